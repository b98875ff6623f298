// The registration service called by Python's standard XML-RPC client: what
// players and other independent clients see, and what the window receives.

#include "core/ownaddress.h"
#include "players/qxrkvoserver.h"

#include "../peers/pythonpeer.h"

#include <QNetworkInterface>
#include <QtTest>

class TestRegistration : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QXRKVOServer> server;

    // Makes the calls, in order on one connection, through Python's client;
    // returns one outcome per call.
    QJsonArray callFromPython(const QList<std::pair<QString, QVariantList>>& calls)
    {
        QJsonArray requests;
        for (const auto& [method, params] : calls)
            requests.append(QJsonObject{{"method", method}, {"params", toTyped(params)["array"]}});
        return runPythonPeer({"call", QString("http://127.0.0.1:%1/RPC2").arg(server->serverPort())}, requests);
    }

private slots:
    void init()
    {
        server = std::make_unique<QXRKVOServer>(0, 5, nullptr, "registration", QHostAddress::LocalHost);
        QVERIFY(server->isListening());
    }
    void cleanup() { server.reset(); }

    void registrationsAndProgressReports()
    {
        QStringList fields;
        for (int i = 0; i < 20; ++i)
            fields.append(QString("field %1").arg(i));
        fields[0] = "U+00e9cran"; // passed on as it came
        const QVariantList kinds{5, true, false, 2.5, "  two spaces  ", QVariantMap{{"a", 1}}, QVariantList{1, 2},
                                 QByteArray("bytes")};

        QList<QStringList> records;
        QList<int> pendingDuringSignal;
        connect(server.get(), &QXRKVOServer::NewPlayerRegistration, this, [&](const QStringList& record) {
            records.append(record);
            pendingDuringSignal.append(server->pendingRequestCount());
        });
        QList<QStringList> reports;
        connect(server.get(), &QXRKVOServer::update_wget_progress, this,
                [&](QString& address, QString& line) { reports.append({address, line}); });

        // Other names, in other case or namespace, are not found and pass nothing on.
        const QJsonArray outcomes = callFromPython({{"Kivo_SVR.registerNewPlayer", QVariant(fields).toList()},
                                                    {"Kivo_SVR.wgetProgress", {"127.0.0.5", "clip one.mpg  45% 3s"}},
                                                    {"kivo_svr.registernewplayer", {"a", "b"}},
                                                    {"Kivo.wgetProgress", {"a", "b"}},
                                                    {"Kivo_SVR.registerNewPlayer", kinds},
                                                    {"Kivo_SVR.wgetProgress", {}}});
        // The address the player reached the service at.
        const QJsonObject ownAddress{{"response", typed("string", "127.0.0.1")}};
        const QJsonObject zero{{"response", typed("string", "0")}};
        const auto notFound = [](const QString& method) {
            return QJsonObject{{"fault", QJsonObject{{"code", -32601}, {"string", "Method: " + method + ", not found"}}}};
        };
        QCOMPARE(outcomes, (QJsonArray{ownAddress, zero, notFound("kivo_svr.registernewplayer"),
                                       notFound("Kivo.wgetProgress"), ownAddress, zero}));

        QStringList texts{"5", "true", "false", "2.5", "  two spaces  ", "", "", "bytes"};
        while (texts.size() < 20)
            texts.append(QString());
        QCOMPARE(records.size(), 2);
        QCOMPARE(records[0], fields);
        QCOMPARE(records[1], texts);
        QCOMPARE(pendingDuringSignal, (QList<int>{0, 0})); // each answer was written first
        // A report without parameters still passes two (empty) texts on.
        QCOMPARE(reports, (QList<QStringList>{{"127.0.0.5", "clip one.mpg  45% 3s"}, {"", ""}}));
    }

    void registrationIsAnsweredWithTheAddressReached_data()
    {
        QTest::addColumn<QString>("listen");
        QTest::addColumn<QString>("callAt");
        QTest::newRow("every IPv4 address") << "0.0.0.0" << "127.0.0.6";
        QTest::newRow("every address, dual stack") << "any" << "127.0.0.7";
    }
    void registrationIsAnsweredWithTheAddressReached()
    {
        QFETCH(QString, listen);
        QFETCH(QString, callAt);
        QXRKVOServer service(0, 5, nullptr, "registration",
                             listen == "any" ? QHostAddress(QHostAddress::Any) : QHostAddress(listen));
        QVERIFY(service.isListening());
        const QJsonObject request{{"method", "Kivo_SVR.registerNewPlayer"}, {"params", QJsonArray()}};
        const QJsonArray outcomes = runPythonPeer(
            {"call", QString("http://%1:%2/RPC2").arg(callAt).arg(service.serverPort())}, QJsonArray{request});
        QCOMPARE(outcomes, (QJsonArray{QJsonObject{{"response", typed("string", callAt)}}}));
    }

    void ownAddressIsNotLoopbackWhenTheMachineHasAnother()
    {
        bool hasOther = false;
        for (const QNetworkInterface& interface : QNetworkInterface::allInterfaces()) {
            if (!interface.flags().testFlags(QNetworkInterface::IsUp | QNetworkInterface::IsRunning))
                continue;
            for (const QNetworkAddressEntry& entry : interface.addressEntries())
                hasOther = hasOther || (entry.ip().protocol() == QAbstractSocket::IPv4Protocol && !entry.ip().isLoopback());
        }
        const QHostAddress own(GetOwnIPAddress());
        QCOMPARE(own.protocol(), QAbstractSocket::IPv4Protocol);
        QCOMPARE(own.isLoopback(), !hasOther);
    }
};

QTEST_GUILESS_MAIN(TestRegistration)
#include "tst_registration.moc"
