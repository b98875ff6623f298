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
#include <QTemporaryDir>
#include <QtTest>

#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

QByteArray readLog()
{
    QFile log(QString::fromLatin1(kDebugLogFileName));
    return log.open(QIODevice::ReadOnly) ? log.readAll() : QByteArray("<missing>");
}

// Starts non-blocking connects to port and counts those established within
// timeoutMs, while nothing accepts them.
int connectBurst(quint16 port, int count, int timeoutMs)
{
    std::vector<int> sockets;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    for (int i = 0; i < count; ++i) {
        const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
        ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
        sockets.push_back(fd);
    }
    QElapsedTimer clock;
    clock.start();
    int established = 0;
    std::vector<pollfd> waiting;
    for (int fd : sockets)
        waiting.push_back({fd, POLLOUT, 0});
    while (!waiting.empty() && clock.elapsed() < timeoutMs) {
        if (::poll(waiting.data(), nfds_t(waiting.size()), int(timeoutMs - clock.elapsed())) <= 0)
            break;
        std::vector<pollfd> still;
        for (const pollfd& entry : waiting) {
            int error = 0;
            socklen_t length = sizeof error;
            if (entry.revents == 0)
                still.push_back(entry);
            else if (::getsockopt(entry.fd, SOL_SOCKET, SO_ERROR, &error, &length) == 0 && error == 0)
                ++established;
        }
        waiting = std::move(still);
    }
    for (int fd : sockets)
        ::close(fd);
    return established;
}

} // namespace

class TestStartup : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_previousDir;

private slots:
    void init()
    {
        m_previousDir = QDir::currentPath();
        QVERIFY(QDir::setCurrent(m_dir.path()));
        QSettings::setPath(QSettings::NativeFormat, QSettings::SystemScope, m_dir.filePath("system"));
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_dir.filePath("user"));
    }
    void cleanup()
    {
        qInstallMessageHandler(nullptr);
        QDir::setCurrent(m_previousDir);
        QDir(m_dir.filePath("system")).removeRecursively();
        QDir(m_dir.filePath("user")).removeRecursively();
        QFile::remove(m_dir.filePath(kDebugLogFileName));
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
    }

    void qtOwnWarningIsOneWarningLine()
    {
        qInstallMessageHandler(debugLogMessageHandler);
        QObject sender;
        QVERIFY(!QObject::connect(&sender, SIGNAL(noSuchSignal()), &sender, SLOT(deleteLater())));
        const QList<QByteArray> lines = readLog().split('\n');
        QCOMPARE(lines.size(), 2); // one line and the final line feed
        QVERIFY2(lines.first().startsWith("Warning: QObject::connect"), lines.first().constData());
    }

    void repositoryPathIsStoredForTheMachine()
    {
        {
            auto settings = openSettingsStore();
            QCOMPARE(settings->scope(), QSettings::SystemScope);
            QCOMPARE(readRepositoryPath(*settings), QDir::rootPath() + "MediaCenter");
        }
        // The default is written back.
        QSettings stored(m_dir.filePath("system/Vex/Kivo.conf"), QSettings::IniFormat);
        QCOMPARE(stored.value(kMediaCenterKey).toString(), QDir::rootPath() + "MediaCenter");

        saveRepositoryPath("/srv/media with space");
        QCOMPARE(readRepositoryPath(*openSettingsStore()), QString("/srv/media with space"));
    }

    void unwritableMachineStoreFallsBackToUserStore()
    {
        // A path below a plain file can never be created, not even by root.
        QFile blocker(m_dir.filePath("blocker"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        QSettings::setPath(QSettings::NativeFormat, QSettings::SystemScope, m_dir.filePath("blocker/system"));

        saveRepositoryPath("/kept");
        auto settings = openSettingsStore();
        QCOMPARE(settings->scope(), QSettings::UserScope);
        QCOMPARE(readRepositoryPath(*settings), QString("/kept"));
        QVERIFY(QFile::exists(m_dir.filePath("user/Vex/Kivo.conf")));
    }

    void commandLine_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("address"); // empty: refused
        QTest::addColumn<bool>("help");
        QTest::addColumn<bool>("version");
        const QString any = QHostAddress(QHostAddress::Any).toString();
        QTest::newRow("none") << QStringList{"kvo"} << any << false << false;
        QTest::newRow("listen") << QStringList{"kvo", "--listen", "127.0.0.1"} << "127.0.0.1" << false << false;
        QTest::newRow("listen=") << QStringList{"kvo", "--listen=127.0.0.9"} << "127.0.0.9" << false << false;
        QTest::newRow("listen without address") << QStringList{"kvo", "--listen"} << "" << false << false;
        QTest::newRow("listen host name") << QStringList{"kvo", "--listen", "player"} << "" << false << false;
        QTest::newRow("version") << QStringList{"kvo", "--version"} << any << false << true;
        QTest::newRow("help") << QStringList{"kvo", "--help"} << any << true << false;
        QTest::newRow("unknown") << QStringList{"kvo", "--bogus"} << "" << false << false;
        QTest::newRow("Qt's own option") << QStringList{"kvo", "-platform", "offscreen"} << any << false << false;
    }
    void commandLine()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, address);
        QFETCH(bool, help);
        QFETCH(bool, version);
        const StartupOptions options = parseCommandLine(arguments);
        QCOMPARE(options.error.isEmpty(), !address.isEmpty());
        if (!address.isEmpty())
            QCOMPARE(options.listenAddress.toString(), address);
        QCOMPARE(options.showHelp, help);
        QCOMPARE(options.showVersion, version);
    }

    void descriptorLimitIsRaisedToTheHardLimit_data()
    {
        QTest::addColumn<bool>("lowered");
        QTest::newRow("below the hard limit") << true;
        QTest::newRow("already at it") << false;
    }
    void descriptorLimitIsRaisedToTheHardLimit()
    {
        QFETCH(bool, lowered);
        rlimit limit{};
        QCOMPARE(getrlimit(RLIMIT_NOFILE, &limit), 0);
        if (limit.rlim_max != RLIM_INFINITY && limit.rlim_max < 300)
            QSKIP("hard descriptor limit too low to lower the soft one");
        const qint64 hard = limit.rlim_max == RLIM_INFINITY ? -1 : qint64(limit.rlim_max);
        if (lowered) {
            limit.rlim_cur = 256;
            QCOMPARE(setrlimit(RLIMIT_NOFILE, &limit), 0);
        }
        const QString line = raiseDescriptorLimit();
        const DescriptorLimit after = descriptorLimit();
        QCOMPARE(after.soft, hard);
        QCOMPARE(after.hard, hard);
        const QString hardText = hard < 0 ? QString("unlimited") : QString::number(hard);
        const QString expected = lowered ? QString("Open descriptor limit: soft 256, hard %1; raised to %1").arg(hardText)
                                         : QString("Open descriptor limit: soft %1, hard %1; already at the hard limit").arg(hardText);
        QCOMPARE(line, expected);
    }

    // A burst of players connecting at once is queued by the system while
    // the controller is busy, instead of waiting for connect retries.
    void registrationBacklogTakesABurstOfConnections()
    {
        XRServer server(0, registrationListenBacklog(), nullptr, "backlog", QHostAddress::LocalHost);
        QVERIFY(server.isListening());
        QCOMPARE(connectBurst(server.serverPort(), 100, 700), 100);
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
