// Runs the controller program itself, as an operator would, in a scratch
// directory with its own settings stores.

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

class TestControllerProcess : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    void startController(QProcess& process, const QStringList& arguments = {})
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        environment.insert("XDG_CONFIG_DIRS", m_dir.filePath("system"));
        environment.insert("XDG_CONFIG_HOME", m_dir.filePath("user"));
        process.setProcessEnvironment(environment);
        process.setWorkingDirectory(m_dir.path());
        process.start(KVO_BINARY_DIR "/kvo-controller", QStringList{"--listen", "127.0.0.1"} + arguments);
        QVERIFY(process.waitForStarted());
    }
    QByteArray debugLog() const
    {
        QFile log(m_dir.filePath("debug.log"));
        return log.open(QIODevice::ReadOnly) ? log.readAll() : QByteArray();
    }
    // Runs the controller until its log contains expected, then ends it as closing the window does.
    void runUntilLogged(const QByteArray& expected)
    {
        QProcess controller;
        startController(controller);
        QTRY_VERIFY_WITH_TIMEOUT(debugLog().contains(expected), 20000);
        controller.terminate();
        QVERIFY(controller.waitForFinished(20000));
        QCOMPARE(controller.exitStatus(), QProcess::NormalExit);
        QCOMPARE(controller.exitCode(), 0);
    }

    // Python's standard XML-RPC client (tests/peers/xmlrpc_peer.py); empty when it failed.
    static QByteArray runPeer(const QStringList& mode, const QByteArray& input)
    {
        QProcess peer;
        peer.start("/usr/bin/python3", QStringList{KVO_SOURCE_DIR "/tests/peers/xmlrpc_peer.py"} + mode);
        peer.write(input);
        peer.closeWriteChannel();
        if (!peer.waitForFinished(20000) || peer.exitCode() != 0)
            return {};
        return peer.readAllStandardOutput();
    }

private slots:
    void storesTheRepositoryPathAndStartsEachLogAfresh()
    {
        QFile stale(m_dir.filePath("debug.log"));
        QVERIFY(stale.open(QIODevice::WriteOnly) && stale.write("Debug: a line of the previous run\n") > 0);
        stale.close();
        runUntilLogged("starting");
        const QByteArray log = debugLog();
        QVERIFY2(!log.contains("previous run") && log.contains("Debug: Event loop ended (0)\n"), log.constData());
        for (const QByteArray& line : log.split('\n'))
            QVERIFY2(line.isEmpty() || line.startsWith("Debug: ") || line.startsWith("Warning: "), line.constData());
        const QString settingsFile = m_dir.filePath("system/Vex/Kivo.conf");
        QCOMPARE(QSettings(settingsFile, QSettings::IniFormat).value("/sys/media_center").toString(),
                 QString("/MediaCenter"));

        // The next start reads what is stored.
        QSettings(settingsFile, QSettings::IniFormat).setValue("/sys/media_center", "/srv/signage media");
        runUntilLogged("repository path /srv/signage media\n");
        QCOMPARE(QSettings(settingsFile, QSettings::IniFormat).value("/sys/media_center").toString(),
                 QString("/srv/signage media"));
    }

    // Players are told the address they reached the controller at.
    void registrationIsAnsweredWithTheListenAddress()
    {
        QProcess controller;
        startController(controller, {"--listen", "127.0.0.5"});
        QTRY_VERIFY_WITH_TIMEOUT(debugLog().contains("starting"), 20000);
        QJsonArray outcomes;
        const QByteArray request = R"([{"method": "Kivo_SVR.registerNewPlayer", "params": []}])";
        // The service listens once the window is up; the first tries may be refused.
        QTRY_VERIFY_WITH_TIMEOUT(
            !(outcomes = QJsonDocument::fromJson(runPeer({"call", "http://127.0.0.5:8888/RPC2"}, request)).array())
                 .isEmpty(),
            20000);
        QCOMPARE(outcomes, (QJsonArray{QJsonObject{{"response", QJsonObject{{"string", "127.0.0.5"}}}}}));
        controller.terminate();
        QVERIFY(controller.waitForFinished(20000));
    }

    void informationOptions_data()
    {
        QTest::addColumn<QString>("option");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("output");
        QTest::newRow("version") << "--version" << 0 << "Generic Kivo 3.27 2010-05-28\n";
        QTest::newRow("help") << "--help" << 0 << "Usage: kvo-controller [--listen ADDRESS]";
        QTest::newRow("bad option") << "--bogus" << 2 << "kvo-controller: unknown option '--bogus'";
    }
    void informationOptions()
    {
        QFETCH(QString, option);
        QFETCH(int, exitCode);
        QFETCH(QString, output);
        QProcess controller;
        startController(controller, {option});
        QVERIFY(controller.waitForFinished(20000));
        QCOMPARE(controller.exitCode(), exitCode);
        const QString printed = QString::fromUtf8(controller.readAllStandardOutput() + controller.readAllStandardError());
        QVERIFY2(printed.startsWith(output), qPrintable(printed));
    }
};

QTEST_GUILESS_MAIN(TestControllerProcess)
#include "tst_controllerprocess.moc"
