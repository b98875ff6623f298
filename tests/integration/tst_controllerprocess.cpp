// Runs the controller program itself, as an operator would, in a scratch
// directory with its own settings stores.

#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

class TestControllerProcess : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void firstStartStoresDefaultAndLogStartsAfresh();
    void secondStartReadsStoredPath();
    void informationOptions_data();
    void informationOptions();

private:
    void startController(QProcess& process, const QStringList& arguments = {});
    QString settingsFile() const { return m_dir.filePath("system/Vex/Kivo.conf"); }
    QByteArray debugLog() const;

    QTemporaryDir m_dir;
};

void TestControllerProcess::init()
{
    QVERIFY(m_dir.isValid());
    QFile::remove(settingsFile());
}

void TestControllerProcess::startController(QProcess& process, const QStringList& arguments)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    environment.insert("XDG_CONFIG_DIRS", m_dir.filePath("system"));
    environment.insert("XDG_CONFIG_HOME", m_dir.filePath("user"));
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(m_dir.path());
    process.start(QStringLiteral(KVO_BINARY_DIR "/kvo-controller"), QStringList{"--listen", "127.0.0.1"} + arguments);
    QVERIFY(process.waitForStarted());
}

QByteArray TestControllerProcess::debugLog() const
{
    QFile log(m_dir.filePath("debug.log"));
    return log.open(QIODevice::ReadOnly) ? log.readAll() : QByteArray();
}

void TestControllerProcess::firstStartStoresDefaultAndLogStartsAfresh()
{
    QFile stale(m_dir.filePath("debug.log"));
    QVERIFY(stale.open(QIODevice::WriteOnly));
    stale.write("Debug: a line of the previous run\n");
    stale.close();

    QProcess controller;
    startController(controller);
    QTRY_VERIFY_WITH_TIMEOUT(debugLog().contains("starting"), 20000);
    controller.terminate(); // SIGTERM ends the event loop as closing the window does
    QVERIFY(controller.waitForFinished(20000));
    QCOMPARE(controller.exitStatus(), QProcess::NormalExit);
    QCOMPARE(controller.exitCode(), 0);

    const QByteArray log = debugLog();
    QVERIFY2(!log.contains("previous run"), log.constData());
    QVERIFY2(log.contains("Debug: Event loop ended (0)\n"), log.constData());
    for (const QByteArray& line : log.split('\n')) {
        QVERIFY2(line.isEmpty() || line.startsWith("Debug: ") || line.startsWith("Warning: "), line.constData());
    }
    QSettings stored(settingsFile(), QSettings::IniFormat);
    QCOMPARE(stored.value("/sys/media_center").toString(), QStringLiteral("/MediaCenter"));
}

void TestControllerProcess::secondStartReadsStoredPath()
{
    {
        QSettings stored(settingsFile(), QSettings::IniFormat);
        stored.setValue("/sys/media_center", "/srv/signage media");
    }
    QProcess controller;
    startController(controller);
    QTRY_VERIFY_WITH_TIMEOUT(debugLog().contains("repository path /srv/signage media\n"), 20000);
    controller.terminate();
    QVERIFY(controller.waitForFinished(20000));
    QSettings stored(settingsFile(), QSettings::IniFormat);
    QCOMPARE(stored.value("/sys/media_center").toString(), QStringLiteral("/srv/signage media"));
}

void TestControllerProcess::informationOptions_data()
{
    QTest::addColumn<QString>("option");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("output");
    QTest::newRow("version") << "--version" << 0 << "Generic Kivo 3.27 2010-05-28\n";
    QTest::newRow("help") << "--help" << 0 << "Usage: kvo-controller [--listen ADDRESS]";
    QTest::newRow("bad option") << "--bogus" << 2 << "kvo-controller: unknown option '--bogus'";
}

void TestControllerProcess::informationOptions()
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

QTEST_GUILESS_MAIN(TestControllerProcess)
#include "tst_controllerprocess.moc"
