// The batch download server: the launcher run directly (what it serves and
// refuses, its command line, its lifetime), and the controller program with
// the launcher beside it, ended every way a controller can end.

#include "../peers/contentfiles.h"
#include "../peers/rawhttp.h"

#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>

namespace {

const QString kLauncher = KVO_BINARY_DIR "/kvo-batch-server";

// Field 4 of /proc/PID/stat, after the command name in parentheses.
qint64 parentOf(const QString& pid, char* state = nullptr)
{
    const QByteArray stat = readFile("/proc/" + pid + "/stat");
    const QList<QByteArray> fields = stat.mid(stat.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 2)
        return -1;
    if (state)
        *state = fields[0].at(0);
    return fields[1].toLongLong();
}

QList<qint64> childrenOf(qint64 parent)
{
    QList<qint64> children;
    for (const QString& entry : QDir("/proc").entryList(QDir::Dirs)) {
        bool isPid = false;
        const qint64 pid = entry.toLongLong(&isPid);
        if (isPid && parentOf(entry) == parent)
            children.append(pid);
    }
    return children;
}

// Gone, or a zombie nobody has reaped yet (it serves nothing).
bool isGone(qint64 pid)
{
    char state = 0;
    return parentOf(QString::number(pid), &state) < 0 || state == 'Z';
}

// One GET, its reply read by its Content-Length.
HttpMessage get(int port, const QByteArray& target, const QByteArray& extraFields = QByteArray())
{
    RawClient client(port);
    client.send("GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n" + extraFields + "\r\n");
    HttpMessage message;
    client.receive(message, 2000);
    return message;
}

} // namespace

class TestBatchServer : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_root;
    QProcess m_server;
    int m_port = 0;
    QByteArray m_clip;

    QStringList launcherArguments(const QString& root, const QString& ports) const
    {
        return {"-root", root, "-ports", ports, "-access_log", "access.log", "-error_log", "error.log"};
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QVERIFY2(QFileInfo(kLauncher).isExecutable(), "the launcher is built beside the controller");
        m_root = m_dir.filePath("repository");
        for (int i = 0; i < 1000; ++i)
            m_clip.append(char(i * 7 % 251));
        QVERIFY(writeFile(m_root + "/MIRRORS/Group/contents/clip one (1).mpg", m_clip));
        QVERIFY(writeFile(m_root + "/MIRRORS/Group/contents/short.txt", QByteArray(50, 's')));
        QVERIFY(writeFile(m_dir.filePath("outside/secret.txt"), "SECRET"));
        QVERIFY(QFile::link(m_dir.filePath("outside"), m_root + "/MIRRORS/Group/contents/linked"));

        m_port = freePort();
        QVERIFY(m_port > 0);
        m_server.setWorkingDirectory(m_dir.path());
        m_server.setProcessChannelMode(QProcess::ForwardedChannels);
        m_server.start(kLauncher, launcherArguments(m_root, "127.0.0.1:" + QString::number(m_port)));
        QVERIFY(m_server.waitForStarted());
        QTcpSocket probe;
        QTRY_VERIFY_WITH_TIMEOUT((probe.connectToHost(QHostAddress::LocalHost, m_port), probe.waitForConnected(200)),
                                 10000);
    }
    void cleanupTestCase()
    {
        m_server.terminate();
        m_server.waitForFinished(10000);
    }

    void servesTheRepositoryOnly_data()
    {
        QTest::addColumn<QByteArray>("target");
        QTest::addColumn<QByteArray>("range");
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("contentRange");
        QTest::addColumn<int>("from"); // expected body: m_clip.mid(from, length), or any body when from < 0
        QTest::addColumn<int>("length");
        const QByteArray clip = "/MIRRORS/Group/contents/clip%20one%20%281%29.mpg";
        QTest::newRow("whole file, spaces in its name") << clip << QByteArray() << 200 << QByteArray() << 0 << 1000;
        QTest::newRow("last ten bytes") << clip << QByteArray("bytes=-10") << 206
                                        << QByteArray("bytes 990-999/1000") << 990 << 10;
        QTest::newRow("first ten bytes") << clip << QByteArray("bytes=0-9") << 206 << QByteArray("bytes 0-9/1000")
                                         << 0 << 10;
        QTest::newRow("range past the end") << QByteArray("/MIRRORS/Group/contents/short.txt")
                                            << QByteArray("bytes=100-") << 416 << QByteArray() << -1 << 0;
        QTest::newRow("dot-dot") << QByteArray("/MIRRORS/../../outside/secret.txt") << QByteArray() << 404
                                 << QByteArray() << -1 << 0;
        QTest::newRow("encoded dot-dot") << QByteArray("/%2e%2e/outside/secret.txt") << QByteArray() << 404
                                         << QByteArray() << -1 << 0;
        QTest::newRow("absolute path") << QByteArray("//etc/passwd") << QByteArray() << 404 << QByteArray() << -1 << 0;
        QTest::newRow("linked directory out of the root")
            << QByteArray("/MIRRORS/Group/contents/linked/secret.txt") << QByteArray() << 403 << QByteArray() << -1 << 0;
        QTest::newRow("directory listing") << QByteArray("/MIRRORS/Group/contents/") << QByteArray() << 403
                                           << QByteArray() << -1 << 0;
    }
    void servesTheRepositoryOnly()
    {
        QFETCH(QByteArray, target);
        QFETCH(QByteArray, range);
        QFETCH(int, status);
        QFETCH(QByteArray, contentRange);
        QFETCH(int, from);
        QFETCH(int, length);
        const HttpMessage reply = get(m_port, target, range.isEmpty() ? QByteArray() : "Range: " + range + "\r\n");
        QCOMPARE(reply.startLine.split(' ').value(1).toInt(), status);
        QCOMPARE(reply.field("Content-Range"), contentRange);
        QVERIFY(!reply.body.contains("SECRET") && !reply.body.contains("root:"));
        if (from >= 0) {
            QCOMPARE(reply.field("Content-Length").toInt(), length);
            QCOMPARE(reply.body, m_clip.mid(from, length));
            QCOMPARE(reply.field("Content-Type"), QByteArray("video/mpeg"));
        }
    }

    void refusesBadCommandLines_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QByteArray>("message");
        QTest::newRow("missing option") << QStringList{"-root", "/tmp", "-ports", "8899"} << 2
                                        << QByteArray("every option is required");
        QTest::newRow("quote in the root") << launcherArguments("/tmp/a\"b", "8899") << 2
                                           << QByteArray("path not usable");
        QTest::newRow("port in use") << QStringList() << 3 << QByteArray("port %1 is already in use");
    }
    void refusesBadCommandLines()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QByteArray, message);
        if (arguments.isEmpty()) // the port of the server started above
            arguments = launcherArguments(m_root, "127.0.0.1:" + QString::number(m_port));
        message.replace("%1", QByteArray::number(m_port));
        QProcess launcher;
        launcher.setWorkingDirectory(m_dir.path());
        launcher.start(kLauncher, arguments);
        QVERIFY(launcher.waitForFinished(10000));
        QCOMPARE(launcher.exitCode(), exitCode);
        QVERIFY2(launcher.readAllStandardError().contains(message), message.constData());
    }

    // Killed outright, the launcher cannot pass anything on: lighttpd goes by itself.
    void lighttpdDiesWithTheLauncher()
    {
        QProcess launcher;
        launcher.start(kLauncher, launcherArguments(m_root, "127.0.0.1:" + QString::number(freePort())));
        QList<qint64> server;
        QTRY_VERIFY_WITH_TIMEOUT(!(server = childrenOf(launcher.processId())).isEmpty(), 10000);
        launcher.kill();
        QVERIFY(launcher.waitForFinished(10000));
        QTRY_VERIFY_WITH_TIMEOUT(isGone(server.first()), 10000);
    }

    // The controller program starts the launcher beside it with the
    // repository of its settings; however it ends, nothing is left running.
    void controllerTakesTheServerAlong_data()
    {
        QTest::addColumn<int>("signal");
        QTest::newRow("closed (SIGTERM ends the loop as closing does)") << int(SIGTERM);
        QTest::newRow("interrupted") << int(SIGINT);
        QTest::newRow("killed") << int(SIGKILL);
    }
    void controllerTakesTheServerAlong()
    {
        QFETCH(int, signal);
        QTemporaryDir work;
        QVERIFY(writeFile(work.filePath("repository/MIRRORS/Group/poll_contents_list"), "a.mpg\n"));
        QSettings(work.filePath("system/Vex/Kivo.conf"), QSettings::IniFormat)
            .setValue("/sys/media_center", work.filePath("repository"));
        QVERIFY(QDir().mkpath(work.filePath("tmp")));
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove("KVO_BATCH_SERVER");
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        environment.insert("XDG_CONFIG_DIRS", work.filePath("system"));
        environment.insert("XDG_CONFIG_HOME", work.filePath("user"));
        environment.insert("TMPDIR", work.filePath("tmp"));
        QProcess controller;
        controller.setProcessEnvironment(environment);
        controller.setWorkingDirectory(work.path());
        controller.start(KVO_BINARY_DIR "/kvo-controller", {"--listen", "127.0.0.1"});
        QVERIFY(controller.waitForStarted());

        QList<qint64> launcher, server;
        QTRY_VERIFY_WITH_TIMEOUT(!(launcher = childrenOf(controller.processId())).isEmpty()
                                     && !(server = childrenOf(launcher.first())).isEmpty(),
                                 20000);
        HttpMessage reply;
        QTRY_VERIFY_WITH_TIMEOUT((reply = get(8899, "/MIRRORS/Group/poll_contents_list")).body == "a.mpg\n", 10000);

        ::kill(controller.processId(), signal);
        QVERIFY(controller.waitForFinished(20000));
        QTRY_VERIFY_WITH_TIMEOUT(isGone(launcher.first()) && isGone(server.first()), 10000);
        QTRY_VERIFY_WITH_TIMEOUT(QDir(work.filePath("tmp")).entryList({"kvo-batch-server.*"}, QDir::Dirs).isEmpty(),
                                 10000);
        if (signal != SIGKILL) {
            QCOMPARE(controller.exitCode(), 0);
            QVERIFY(readFile(work.filePath("debug.log")).contains("Batch download server stopped"));
        }
        // The logs lie in the controller's working directory.
        QVERIFY(readFile(work.filePath("access.log")).contains("GET /MIRRORS/Group/poll_contents_list"));
        QVERIFY(QFile::exists(work.filePath("error.log")));
    }
};

QTEST_GUILESS_MAIN(TestBatchServer)
#include "tst_batchserver.moc"
