// Start-up rules without a window: the debug log, the settings store, the
// command line, the welcome text, the descriptor limit and the backlog.

#include "app/commandline.h"
#include "core/debuglog.h"
#include "app/descriptorlimit.h"
#include "core/settings.h"
#include "app/startup.h"
#include "xmlrpc/xrserver.h"

#include <QDir>
#include <QFile>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QtTest>

#include <optional>

#include <sys/resource.h>

namespace {

QByteArray readLog()
{
    QFile log(QString::fromLatin1(kDebugLogFileName));
    return log.open(QIODevice::ReadOnly) ? log.readAll() : QByteArray("<missing>");
}

} // namespace

class TestStartup : public QObject
{
    Q_OBJECT

private:
    // Each test works in a fresh directory with fresh settings stores.
    std::optional<QTemporaryDir> m_dir;
    const QString m_previousDir = QDir::currentPath();

private slots:
    void init()
    {
        m_dir.emplace();
        QVERIFY(QDir::setCurrent(m_dir->path()));
        QSettings::setPath(QSettings::NativeFormat, QSettings::SystemScope, m_dir->filePath("system"));
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_dir->filePath("user"));
    }
    void cleanup()
    {
        qInstallMessageHandler(nullptr);
        QDir::setCurrent(m_previousDir);
    }

    void logLines_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("line");
        QTest::newRow("debug") << int(QtDebugMsg) << "Debug: text as given \n";
        QTest::newRow("info is kept as debug") << int(QtInfoMsg) << "Debug: text as given \n";
        QTest::newRow("warning") << int(QtWarningMsg) << "Warning: text as given \n";
        QTest::newRow("critical is kept as warning") << int(QtCriticalMsg) << "Warning: text as given \n";
        QTest::newRow("fatal") << int(QtFatalMsg) << "Fatal: text as given \n";
    }
    void logLines()
    {
        QFETCH(int, type);
        QFETCH(QString, line);
        QCOMPARE(debugLogLine(QtMsgType(type), "text as given "), line);
    }

    void logFileIsAppendedPerMessageAndRemovedAtStart()
    {
        qInstallMessageHandler(debugLogMessageHandler);
        qDebug("first run");
        removeDebugLog();
        qDebug("second run: %d", 2);
        QCOMPARE(readLog(), QByteArray("Debug: second run: 2\n"));
        qWarning("non-ASCII \xc3\xa9");
        QCOMPARE(readLog(), QByteArray("Debug: second run: 2\nWarning: non-ASCII \xc3\xa9\n"));
        // A message of megabytes with line breaks, as a player may send, is one line of bounded length.
        qWarning("%s", qPrintable(QString("fake line\nWarning: ").repeated(200000)));
        const QList<QByteArray> lines = readLog().split('\n');
        QCOMPARE(lines.size(), 4);
        QVERIFY(lines[2].startsWith("Warning: fake line Warning: fake line"));
        QVERIFY(lines[2].size() < kDebugLogLineLength + 100);
        removeDebugLog();
        removeDebugLog(); // a missing file is no error
        QCOMPARE(readLog(), QByteArray("<missing>"));
        // Qt's own warnings are lines of the log too.
        QObject sender;
        QVERIFY(!QObject::connect(&sender, SIGNAL(noSuchSignal()), &sender, SLOT(deleteLater())));
        QVERIFY2(readLog().startsWith("Warning: QObject::connect") && readLog().count('\n') == 1, readLog().constData());
    }

    // A path below a plain file can never be created, not even by root.
    void repositoryPathIsKeptInTheFirstWritableStore_data()
    {
        QTest::addColumn<bool>("machineWritable");
        QTest::addColumn<QString>("store");
        QTest::newRow("the machine's") << true << "system";
        QTest::newRow("the user's when the machine's cannot be written") << false << "user";
    }
    void repositoryPathIsKeptInTheFirstWritableStore()
    {
        QFETCH(bool, machineWritable);
        QFETCH(QString, store);
        if (!machineWritable) {
            QFile blocker(m_dir->filePath("blocker"));
            QVERIFY(blocker.open(QIODevice::WriteOnly));
            QSettings::setPath(QSettings::NativeFormat, QSettings::SystemScope, m_dir->filePath("blocker/system"));
        }
        const QString fallback = QDir::rootPath() + "MediaCenter";
        {
            auto settings = openSettingsStore();
            QCOMPARE(settings->scope(), machineWritable ? QSettings::SystemScope : QSettings::UserScope);
            QCOMPARE(readRepositoryPath(*settings), fallback);
        }
        // The default is written back.
        QCOMPARE(QSettings(m_dir->filePath(store + "/Vex/Kivo.conf"), QSettings::IniFormat).value(kMediaCenterKey),
                 QVariant(fallback));
        saveRepositoryPath("/srv/media with space");
        QCOMPARE(readRepositoryPath(*openSettingsStore()), QString("/srv/media with space"));
    }

    void commandLine_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("outcome"); // the address listened on, or "refused"
        const QString any = QHostAddress(QHostAddress::Any).toString();
        QTest::newRow("none") << QStringList{"kvo"} << any;
        QTest::newRow("listen") << QStringList{"kvo", "--listen", "127.0.0.1"} << "127.0.0.1";
        QTest::newRow("listen=") << QStringList{"kvo", "--listen=127.0.0.9"} << "127.0.0.9";
        QTest::newRow("listen without address") << QStringList{"kvo", "--listen"} << "refused";
        QTest::newRow("listen host name") << QStringList{"kvo", "--listen", "player"} << "refused";
        QTest::newRow("Qt's own option") << QStringList{"kvo", "-platform", "offscreen"} << any;
    }
    void commandLine()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, outcome);
        const StartupOptions options = parseCommandLine(arguments);
        QCOMPARE(options.error.isEmpty() ? options.listenAddress.toString() : "refused", outcome);
    }

    void descriptorLimitIsRaisedToTheHardLimit_data()
    {
        QTest::addColumn<bool>("lowered");
        QTest::addColumn<QString>("line"); // %1: the hard limit
        QTest::newRow("below the hard limit") << true << "Open descriptor limit: soft 256, hard %1; raised to %1";
        QTest::newRow("already at it") << false << "Open descriptor limit: soft %1, hard %1; already at the hard limit";
    }
    void descriptorLimitIsRaisedToTheHardLimit()
    {
        QFETCH(bool, lowered);
        QFETCH(QString, line);
        rlimit limit{};
        QCOMPARE(getrlimit(RLIMIT_NOFILE, &limit), 0);
        if (limit.rlim_max != RLIM_INFINITY && limit.rlim_max < 300)
            QSKIP("hard descriptor limit too low to lower the soft one");
        const qint64 hard = limit.rlim_max == RLIM_INFINITY ? -1 : qint64(limit.rlim_max);
        if (lowered) {
            limit.rlim_cur = 256;
            QCOMPARE(setrlimit(RLIMIT_NOFILE, &limit), 0);
        }
        QCOMPARE(raiseDescriptorLimit(), line.arg(hard < 0 ? QString("unlimited") : QString::number(hard)));
        const DescriptorLimit after = descriptorLimit();
        QCOMPARE(after.soft, hard);
        QCOMPARE(after.hard, hard);
    }

    // A burst of players connecting at once is queued by the system while the
    // controller is busy (nothing accepts here), instead of waiting for connect retries.
    void registrationBacklogTakesABurstOfConnections()
    {
        XRServer server(0, registrationListenBacklog(), nullptr, "backlog", QHostAddress::LocalHost);
        QVERIFY(server.isListening());
        std::vector<std::unique_ptr<QTcpSocket>> burst;
        for (int i = 0; i < 100; ++i) {
            burst.push_back(std::make_unique<QTcpSocket>());
            burst.back()->connectToHost(QHostAddress::LocalHost, server.serverPort());
        }
        int established = 0;
        for (const auto& socket : burst)
            established += socket->waitForConnected(700);
        QCOMPARE(established, 100);
    }

    void welcome()
    {
        QCOMPARE(welcomeText("en_US", "192.168.0.20", "Generic Kivo 3.27 2010-05-28", "C:/"),
                 QString("[en_US] Welcome to KVO Controller, 192.168.0.20, Generic Kivo 3.27 2010-05-28, "
                         "with Media drive C:/"));
        // Placeholder-like text in an argument is not expanded again.
        QCOMPARE(welcomeText("%2", "", "v", "/"), QString("[%2] Welcome to KVO Controller, , v, with Media drive /"));
    }
};

QTEST_GUILESS_MAIN(TestStartup)
#include "tst_startup.moc"
