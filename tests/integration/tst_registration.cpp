// The registration service called by Python's standard XML-RPC client: what
// players and other independent clients see, and what the window receives.

#include "app/ownaddress.h"
#include "players/qxrkvoserver.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QtTest>

class TestRegistration : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QXRKVOServer> server;

    // Runs the calls through Python's client; returns one outcome per call.
    QJsonArray callFromPython(const QJsonArray& calls)
    {
        QProcess python;
        QSignalSpy finished(&python, &QProcess::finished);
        python.start("/usr/bin/python3",
                     {KVO_SOURCE_DIR "/tests/peers/xmlrpc_call.py",
                      QString("http://127.0.0.1:%1/RPC2").arg(server->serverPort()),
                      QString::fromUtf8(QJsonDocument(calls).toJson(QJsonDocument::Compact))});
        if (!finished.wait(30000)) {
            python.kill();
            python.waitForFinished();
            return {};
        }
        if (python.exitCode() != 0)
            qWarning() << python.readAllStandardError();
        return QJsonDocument::fromJson(python.readAllStandardOutput()).array();
    }

    static QJsonArray oneCall(const QString& method, const QJsonArray& params)
    {
        QJsonArray calls;
        calls.append(QJsonArray{method, params});
        return calls;
    }

private slots:
    void init()
    {
        server = std::make_unique<QXRKVOServer>(0, 5, nullptr, "registration", QHostAddress::LocalHost);
        QVERIFY(server->isListening());
    }
    void cleanup() { server.reset(); }

    void registrationIsAnsweredWithOwnAddressBeforeTheRecordIsEmitted()
    {
        QJsonArray params;
        QStringList expected;
        for (int i = 0; i < 20; ++i) {
            params.append(QString("field %1").arg(i));
            expected.append(QString("field %1").arg(i));
        }
        expected[0] = "U+00e9cran";
        params[0] = "U+00e9cran";

        QList<QStringList> records;
        int pendingDuringSignal = -1;
        connect(server.get(), &QXRKVOServer::NewPlayerRegistration, this, [&](const QStringList& record) {
            records.append(record);
            pendingDuringSignal = server->pendingRequestCount();
        });

        const QJsonArray outcomes = callFromPython(oneCall("Kivo_SVR.registerNewPlayer", params));
        QCOMPARE(outcomes.size(), 1);
        const QString answer = outcomes[0].toObject().value("result").toString();
        QCOMPARE(answer, GetOwnIPAddress());
        if (!answer.isEmpty())
            QVERIFY(QRegularExpression("^\\d+\\.\\d+\\.\\d+\\.\\d+$").match(answer).hasMatch());
        QCOMPARE(records.size(), 1);
        QCOMPARE(records[0], expected);
        QCOMPARE(pendingDuringSignal, 0); // the answer was already written
    }

    void parametersArriveAsText()
    {
        const QJsonArray params{5, true, false, 2.5, "  two spaces  ", QJsonObject{{"a", 1}},
                                QJsonArray{1, 2}, QJsonObject{{"base64", "bytes"}}};
        QStringList expected{"5", "true", "false", "2.5", "  two spaces  ", "", "", "bytes"};
        while (expected.size() < 20)
            expected.append(QString());

        QSignalSpy records(server.get(), &QXRKVOServer::NewPlayerRegistration);
        const QJsonArray outcomes = callFromPython(oneCall("Kivo_SVR.registerNewPlayer", params));
        QCOMPARE(outcomes.size(), 1);
        QVERIFY(outcomes[0].toObject().contains("result"));
        QCOMPARE(records.size(), 1);
        QCOMPARE(records[0][0].toStringList(), expected);
    }

    void progressReportIsAnsweredWithZero()
    {
        QStringList reported;
        connect(server.get(), &QXRKVOServer::update_wget_progress, this,
                [&](QString& address, QString& line) { reported = {address, line}; });
        QSignalSpy records(server.get(), &QXRKVOServer::NewPlayerRegistration);
        const QJsonArray outcomes = callFromPython(
            oneCall("Kivo_SVR.wgetProgress", {"127.0.0.5", "clip one.mpg  45% 1.2M 3s"}));
        QCOMPARE(outcomes.size(), 1);
        QCOMPARE(outcomes[0].toObject().value("result").toString(), QString("0"));
        QCOMPARE(reported, (QStringList{"127.0.0.5", "clip one.mpg  45% 1.2M 3s"}));
        QCOMPARE(records.size(), 0);

        // A report without parameters still passes two (empty) texts on.
        reported.clear();
        callFromPython(oneCall("Kivo_SVR.wgetProgress", {}));
        QCOMPARE(reported, (QStringList{"", ""}));
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
        int progressReports = 0;
        connect(server.get(), &QXRKVOServer::update_wget_progress, this,
                [&](QString&, QString&) { ++progressReports; });
        const QJsonArray outcomes = callFromPython(oneCall(method, {"a", "b"}));
        QCOMPARE(outcomes.size(), 1);
        const QJsonArray fault = outcomes[0].toObject().value("fault").toArray();
        QCOMPARE(fault.size(), 2);
        QCOMPARE(fault[0].toInt(), -32601);
        QCOMPARE(fault[1].toString(), QString("Method: %1, not found").arg(method));
        QCOMPARE(records.size(), 0);
        QCOMPARE(progressReports, 0);
    }

    void severalCallsOnOneConnection()
    {
        QSignalSpy records(server.get(), &QXRKVOServer::NewPlayerRegistration);
        const QJsonArray outcomes = callFromPython(
            {QJsonArray{"Kivo_SVR.registerNewPlayer", QJsonArray{"one"}},
             QJsonArray{"Kivo_SVR.nothing", QJsonArray{}},
             QJsonArray{"Kivo_SVR.wgetProgress", QJsonArray{"a", "b"}},
             QJsonArray{"Kivo_SVR.registerNewPlayer", QJsonArray{"two"}}});
        QCOMPARE(outcomes.size(), 4);
        QCOMPARE(outcomes[1].toObject().value("fault").toArray().at(0).toInt(), -32601);
        QCOMPARE(outcomes[2].toObject().value("result").toString(), QString("0"));
        QCOMPARE(records.size(), 2);
        QCOMPARE(records[0][0].toStringList().value(0), QString("one"));
        QCOMPARE(records[1][0].toStringList().value(0), QString("two"));
    }
};

QTEST_GUILESS_MAIN(TestRegistration)
#include "tst_registration.moc"
