// The batch download server: the launcher run directly (what it serves and
// refuses), and the controller program with the launcher beside it, killed.

#include "../peers/contentfiles.h"
#include "../peers/rawhttp.h"

#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString kLauncher = KVO_BINARY_DIR "/kvo-batch-server";

// The processes pid has started, from /proc.
QList<qint64> childrenOf(qint64 pid)
{
    QList<qint64> children;
    for (const QByteArray& child : readFile(QString("/proc/%1/task/%1/children").arg(pid)).split(' '))
        if (child.toLongLong() > 0)
            children.append(child.toLongLong());
    return children;
}

// Gone, or a zombie nobody has reaped yet (it serves nothing).
bool isGone(qint64 pid)
{
    const QByteArray stat = readFile(QString("/proc/%1/stat").arg(pid));
    return stat == "<missing>" || stat.mid(stat.lastIndexOf(')') + 2, 1) == "Z";
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
        m_root = m_dir.filePath("repository");
        for (int i = 0; i < 1000; ++i)
            m_clip.append(char(i * 7 % 251));
        QVERIFY(writeFile(m_root + "/MIRRORS/Group/contents/clip one (1).mpg", m_clip));
        QVERIFY(writeFile(m_dir.filePath("outside/secret.txt"), "SECRET"));
        QVERIFY(QFile::link(m_dir.filePath("outside"), m_root + "/MIRRORS/Group/contents/linked"));

        m_port = freePort();
        QVERIFY(m_port > 0);
        m_server.setWorkingDirectory(m_dir.path());
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

    void servesTheRepositoryOnly()
    {
        // A range of a file, as a resumed download asks; nothing outside the root, not even through a link.
        const HttpMessage range = get(m_port, "/MIRRORS/Group/contents/clip%20one%20%281%29.mpg", "Range: bytes=-10\r\n");
        QCOMPARE(range.startLine.split(' ').value(1) + " " + range.body, "206 " + m_clip.right(10));
        for (const char* target : {"/MIRRORS/../../outside/secret.txt", "/MIRRORS/Group/contents/linked/secret.txt"}) {
            const HttpMessage reply = get(m_port, target);
            QVERIFY2(reply.startLine.contains(" 40") && !reply.body.contains("SECRET"), reply.startLine.constData());
        }
    }

    void refusesAQuoteInTheRoot()
    {
        QProcess launcher;
        launcher.start(kLauncher, launcherArguments("/tmp/a\"b", "8899"));
        QVERIFY(launcher.waitForFinished(10000));
        QCOMPARE(launcher.exitCode(), 2);
        QVERIFY(launcher.readAllStandardError().contains("path not usable"));
    }

    // The controller program starts the launcher beside it with the repository
    // of its settings; killed, it leaves nothing running.
    void controllerTakesTheServerAlong()
    {
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
        QTRY_COMPARE_WITH_TIMEOUT(get(8899, "/MIRRORS/Group/poll_contents_list").body, QByteArray("a.mpg\n"), 10000);

        controller.kill();
        QVERIFY(controller.waitForFinished(20000));
        QTRY_VERIFY_WITH_TIMEOUT(isGone(launcher.first()) && isGone(server.first()), 10000);
        QTRY_VERIFY_WITH_TIMEOUT(QDir(work.filePath("tmp")).entryList({"kvo-batch-server.*"}, QDir::Dirs).isEmpty(),
                                 10000);
    }
};

QTEST_GUILESS_MAIN(TestBatchServer)
#include "tst_batchserver.moc"
