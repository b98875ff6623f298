// Runs the controller program itself, as an operator would, in a scratch
// directory with its own settings stores.

#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

class TestControllerProcess : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    // A loopback address of its own, so that overlapping test runs never share the registration port.
    void startController(QProcess& process, const QStringList& arguments = {})
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        environment.insert("XDG_CONFIG_DIRS", m_dir.filePath("system"));
        environment.insert("XDG_CONFIG_HOME", m_dir.filePath("user"));
        process.setProcessEnvironment(environment);
        process.setWorkingDirectory(m_dir.path());
        QRandomGenerator& random = *QRandomGenerator::global();
        const QString listen = QString("127.%1.%2.%3").arg(random.bounded(2, 255)).arg(random.bounded(256)).arg(random.bounded(1, 255));
        process.start(KVO_BINARY_DIR "/kvo-controller", QStringList{"--listen", listen} + arguments);
        QVERIFY(process.waitForStarted());
    }

private slots:
    // The program wires the debug log, the settings store and the termination signals.
    void runsWithAFreshLogAndStoresTheRepositoryPath()
    {
        QFile stale(m_dir.filePath("debug.log"));
        QVERIFY(stale.open(QIODevice::WriteOnly) && stale.write("Debug: a line of the previous run\n") > 0);
        stale.close();
        const auto debugLog = [this] {
            QFile log(m_dir.filePath("debug.log"));
            return log.open(QIODevice::ReadOnly) ? log.readAll() : QByteArray();
        };
        QProcess controller;
        startController(controller);
        QTRY_VERIFY_WITH_TIMEOUT(debugLog().contains("starting"), 20000);
        controller.terminate();
        QVERIFY(controller.waitForFinished(20000));
        QCOMPARE(controller.exitStatus(), QProcess::NormalExit);
        QCOMPARE(controller.exitCode(), 0);

        const QByteArray log = debugLog();
        QVERIFY2(!log.contains("previous run") && log.contains("Debug: Event loop ended (0)\n"), log.constData());
        for (const QByteArray& line : log.split('\n'))
            QVERIFY2(line.isEmpty() || line.startsWith("Debug: ") || line.startsWith("Warning: "), line.constData());
        QCOMPARE(QSettings(m_dir.filePath("system/Vex/Kivo.conf"), QSettings::IniFormat).value("/sys/media_center"),
                 QVariant("/MediaCenter"));
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
