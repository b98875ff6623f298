// The registration service called by Python's standard XML-RPC client: what
// players and other independent clients see, and what the window receives.

#include "app/ownaddress.h"
#include "players/qxrkvoserver.h"

#include "../peers/pythonpeer.h"

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

        const QJsonArray outcomes = callFromPython({{"Kivo_SVR.registerNewPlayer", QVariant(fields).toList()},
                                                    {"Kivo_SVR.wgetProgress", {"127.0.0.5", "clip one.mpg  45% 3s"}},
                                                    {"Kivo_SVR.nothing", {}},
                                                    {"Kivo_SVR.registerNewPlayer", kinds},
                                                    {"Kivo_SVR.wgetProgress", {}}});
        const QJsonObject ownAddress{{"response", typed("string", GetOwnIPAddress())}};
        const QJsonObject zero{{"response", typed("string", "0")}};
        const QJsonObject notFound{{"fault", QJsonObject{{"code", -32601}, {"string", "Method: Kivo_SVR.nothing, not found"}}}};
        QCOMPARE(outcomes, (QJsonArray{ownAddress, zero, notFound, ownAddress, zero}));
        QVERIFY(QRegularExpression("^(\\d+\\.\\d+\\.\\d+\\.\\d+)?$").match(GetOwnIPAddress()).hasMatch());

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

    void otherMethodsAreNotFound_data()
    {
        QTest::addColumn<QString>("method");
        QTest::newRow("ping") << "Kivo_SVR.ping";
        QTest::newRow("lower case") << "kivo_svr.registernewplayer";
        QTest::newRow("player namespace") << "Kivo.registerNewPlayer";
    }
    void otherMethodsAreNotFound()
    {
        QFETCH(QString, method);
        QSignalSpy records(server.get(), &QXRKVOServer::NewPlayerRegistration);
        int reports = 0;
        connect(server.get(), &QXRKVOServer::update_wget_progress, this, [&](QString&, QString&) { ++reports; });
        const QJsonObject fault{{"code", -32601}, {"string", QString("Method: %1, not found").arg(method)}};
        QCOMPARE(callFromPython({{method, {"a", "b"}}}), (QJsonArray{QJsonObject{{"fault", fault}}}));
        QCOMPARE(records.size(), 0);
        QCOMPARE(reports, 0);
    }
};

QTEST_GUILESS_MAIN(TestRegistration)
#include "tst_registration.moc"
