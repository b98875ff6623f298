// The registration service called by Python's standard XML-RPC client: what players see, what the window receives.

#include "core/ownaddress.h"
#include "players/qxrkvoserver.h"

#include "../peers/pythonpeer.h"

#include <QNetworkInterface>
#include <QtTest>

class TestRegistration : public QObject
{
    Q_OBJECT

private slots:
    // Other names, in other case or namespace, are not found and pass nothing on.
    void registrationsAndProgressReports()
    {
        QXRKVOServer server(0, 5, nullptr, "registration", QHostAddress::LocalHost);
        QStringList fields{"U+00e9cran"}; // passed on as it came
        for (int i = 1; i < 20; ++i)
            fields.append(QString("field %1").arg(i));
        const QVariantList kinds{5, true, false, 2.5, "  two spaces  ", QVariantMap{{"a", 1}}, QVariantList{1, 2},
                                 QByteArray("bytes")};
        // Each record with the calls still unanswered when it is passed on: the answer goes out first.
        QList<QStringList> records;
        connect(&server, &QXRKVOServer::NewPlayerRegistration, this, [&](const QStringList& record) {
            records.append(record + QStringList{QString::number(server.pendingRequestCount())});
        });
        QList<QStringList> reports;
        connect(&server, &QXRKVOServer::update_wget_progress, this,
                [&](QString& address, QString& line) { reports.append({address, line}); });

        QJsonArray calls;
        for (const auto& [method, params] : QList<std::pair<QString, QVariantList>>{
                 {"Kivo_SVR.registerNewPlayer", QVariant(fields).toList()},
                 {"Kivo_SVR.wgetProgress", {"127.0.0.5", "clip one.mpg  45% 3s"}},
                 {"kivo_svr.registernewplayer", {"a", "b"}},
                 {"Kivo_SVR.registerNewPlayer", kinds},
                 {"Kivo_SVR.wgetProgress", {}}})
            calls.append(QJsonObject{{"method", method}, {"params", toTyped(params)["array"]}});
        const QJsonObject ownAddress{{"response", typed("string", "127.0.0.1")}}; // the address reached
        const QJsonObject zero{{"response", typed("string", "0")}};
        const QJsonObject notFound{
            {"fault", QJsonObject{{"code", -32601}, {"string", "Method: kivo_svr.registernewplayer, not found"}}}};
        QCOMPARE(runPythonPeer({"call", QString("http://127.0.0.1:%1/RPC2").arg(server.serverPort())}, calls),
                 (QJsonArray{ownAddress, zero, notFound, ownAddress, zero}));

        QStringList texts{"5", "true", "false", "2.5", "  two spaces  ", "", "", "bytes"};
        texts.resize(20);
        QCOMPARE(records, (QList<QStringList>{fields + QStringList{"0"}, texts + QStringList{"0"}}));
        QCOMPARE(reports, (QList<QStringList>{{"127.0.0.5", "clip one.mpg  45% 3s"}, {"", ""}}));
    }

    // Listening on every address, dual stack, the answer is the IPv4 address the player reached.
    void registrationIsAnsweredWithTheAddressReached()
    {
        QXRKVOServer service(0, 5, nullptr, "registration", QHostAddress(QHostAddress::Any));
        const QJsonObject request{{"method", "Kivo_SVR.registerNewPlayer"}, {"params", QJsonArray()}};
        const QString url = QString("http://127.0.0.7:%1/RPC2").arg(service.serverPort());
        QCOMPARE(runPythonPeer({"call", url}, QJsonArray{request}),
                 (QJsonArray{QJsonObject{{"response", typed("string", "127.0.0.7")}}}));
    }

    void ownAddressIsNotLoopbackWhenTheMachineHasAnother()
    {
        bool hasOther = false;
        for (const QNetworkInterface& interface : QNetworkInterface::allInterfaces())
            for (const QNetworkAddressEntry& entry : interface.addressEntries())
                hasOther = hasOther
                           || (interface.flags().testFlags(QNetworkInterface::IsUp | QNetworkInterface::IsRunning)
                               && entry.ip().protocol() == QAbstractSocket::IPv4Protocol && !entry.ip().isLoopback());
        const QHostAddress own(GetOwnIPAddress());
        QCOMPARE(own.protocol(), QAbstractSocket::IPv4Protocol);
        QCOMPARE(own.isLoopback(), !hasOther);
    }
};

QTEST_GUILESS_MAIN(TestRegistration)
#include "tst_registration.moc"
