// Transfers against a player's FTP service (the emulator's, at the players'
// port 2121), through FtpTransfer and the log download.

#include "config/logsdownload.h"
#include "core/ftptransfer.h"
#include "players/qxrkvoserver.h"
#include "xmlrpc/xrdocuments.h"

#include "../peers/contentfiles.h"
#include "../peers/emulatorpeer.h"
#include "../peers/rawhttp.h"
#include "../peers/scratchdir.h"

#include <QBuffer>
#include <QRandomGenerator>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <QtTest>

#include <atomic>

namespace {

const QString playerHost = "127.0.0.21";
const QString silentHost = "127.0.0.22"; // no player there

// Every byte value, in an order of its own for each seed (a text-mode transfer would change them).
QByteArray randomBytes(qsizetype size, quint32 seed)
{
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator generator(seed);
    std::generate(bytes.begin(), bytes.end(), [&generator] { return char(generator.bounded(256)); });
    return bytes;
}

} // namespace

class FtpTransferTest : public QObject
{
    Q_OBJECT

private:
    ScratchDirectory m_workDir;
    std::unique_ptr<EmulatorPeer> m_player;

    // The folder of a player's account: "media" (kvo), "ticker" or "logs" (log).
    QString folder(const QString& name) const { return m_workDir.filePath("player/state/" + playerHost + "/" + name); }

private slots:
    void initTestCase()
    {
        QVERIFY(m_workDir.isValid());
        m_player = std::make_unique<EmulatorPeer>(m_workDir.filePath("player"));
        QVERIFY(m_player->start(1, playerHost, 1, {"--interval", "600"}));
    }
    void cleanupTestCase() { m_player.reset(); }

    // Uploads as kvo (password "qvtm") to "media" or as ticker (no password)
    // to "ticker"; downloads as log (no password) from "logs".
    void transfer_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("directory");
        QTest::newRow("non-ASCII") << "Grüße ünïcode.mpg" << "media";
        QTest::newRow("semicolon") << "mode;type=a.txt" << "media";
        QTest::newRow("empty password") << "ticker.bmp" << "ticker";
        QTest::newRow("download") << "journal ß.log" << "logs";
    }
    void transfer()
    {
        QFETCH(QString, name);
        QFETCH(QString, directory);
        const bool upload = directory != "logs";
        const QString user = directory == "media" ? "kvo" : upload ? "ticker" : "log";
        const QString password = directory == "media" ? "qvtm" : "";
        const QByteArray content = randomBytes(300 * 1024 + 7, 1);
        const QString remotePath = folder(directory) + "/" + name;
        QVERIFY(upload || writeFile(remotePath, content));
        QBuffer local;
        local.setData(upload ? content : QByteArray());
        FtpTransfer ftp;
        QSignalSpy finished(&ftp, &FtpTransfer::commandFinished);
        QSignalSpy done(&ftp, &FtpTransfer::done);
        ftp.connectToHost(playerHost, 2121);
        ftp.login(user, password);
        const int transferId = upload ? ftp.put(&local, name.toUtf8()) : ftp.get(name.toUtf8(), &local);
        ftp.close();
        QVERIFY(done.wait(20000));
        QCOMPARE(done.count(), 1);
        QCOMPARE(done.first().at(0).toBool(), false);
        QCOMPARE(finished.at(2), (QVariantList{transferId, false}));
        QCOMPARE(ftp.state(), FtpTransfer::Unconnected);
        QVERIFY((upload ? readFile(remotePath) : local.data()) == content);
    }

    // A server holds back a transfer's final reply for 10 s: meanwhile the
    // thread of the window keeps answering registrations.
    void slowFinalReplyLeavesTheWindowServing()
    {
        const QString directory = m_workDir.filePath("slow");
        QVERIFY(QDir().mkpath(directory));
        QProcess peer;
        peer.start("/usr/bin/python3", {KVO_SOURCE_DIR "/tests/peers/slow_ftp_peer.py", "127.0.0.24", "10", directory});
        QVERIFY(peer.waitForStarted() && QTest::qWaitFor([&] { return peer.canReadLine(); }, 20000));
        const quint16 ftpPort = peer.readLine().trimmed().toUShort();
        QVERIFY(ftpPort > 0);
        QXRKVOServer service(0, 5, nullptr, "registration", QHostAddress::LocalHost);
        QVERIFY(service.isListening());
        const QByteArray body = XRMethodCall("Kivo_SVR.registerNewPlayer", {"probe", "127.0.0.25"}).toWire();
        const QByteArray request = "POST /RPC2 HTTP/1.1\r\nHost: controller\r\nContent-Length: "
                                   + QByteArray::number(body.size()) + "\r\n\r\n" + body;
        const quint16 servicePort = service.serverPort();
        // Registrations from a thread of their own, counted once the held file has arrived (under its
        // temporary name until the final reply).
        std::atomic<bool> stop{false};
        std::atomic<int> answered{0};
        std::unique_ptr<QThread> prober(QThread::create([&] {
            while (!stop && !QFile::exists(directory + "/held.txt.part"))
                QThread::msleep(20);
            while (!stop) {
                RawClient client(servicePort);
                client.send(request);
                HttpMessage reply;
                if (!client.receive(reply, 20000))
                    return;
                answered += reply.body.contains("methodResponse");
            }
        }));
        prober->start();
        QBuffer source;
        source.setData("held back");
        FtpTransfer ftp;
        int answeredBeforeDone = -1;
        connect(&ftp, &FtpTransfer::done, this, [&] { answeredBeforeDone = answered; });
        QSignalSpy done(&ftp, &FtpTransfer::done);
        ftp.connectToHost("127.0.0.24", ftpPort);
        ftp.login("kvo", "qvtm");
        ftp.put(&source, "held.txt");
        ftp.close();
        QVERIFY(done.wait(40000));
        stop = true;
        QVERIFY(prober->wait(30000));
        QCOMPARE(done.first().at(0).toBool(), false);
        QCOMPARE(readFile(directory + "/held.txt"), QByteArray("held back"));
        QVERIFY2(answeredBeforeDone >= 3, qPrintable(QString::number(answeredBeforeDone)));
        peer.kill();
        peer.waitForFinished(5000);
    }

    // Told in the server's own words, not as libcurl's "Timeout was reached".
    void serviceGoingDown()
    {
        QTcpServer goingDown;
        QVERIFY(goingDown.listen(QHostAddress(silentHost), 2121));
        connect(&goingDown, &QTcpServer::newConnection, this, [&goingDown] {
            QTcpSocket* socket = goingDown.nextPendingConnection();
            socket->write("421 Service not available, closing control connection.\r\n");
            socket->disconnectFromHost();
        });
        FtpTransfer ftp;
        QSignalSpy started(&ftp, &FtpTransfer::commandStarted);
        QSignalSpy done(&ftp, &FtpTransfer::done);
        QBuffer buffer;
        buffer.setData("payload");
        ftp.connectToHost(silentHost, 2121);
        ftp.login("kvo", "qvtm");
        ftp.put(&buffer, "payload.txt");
        ftp.close();
        QVERIFY(done.wait(20000));
        QCOMPARE(done.count(), 1);
        QCOMPARE(done.first().at(0).toBool(), true);
        QCOMPARE(started.count(), 3); // the close is dropped
        QVERIFY2(ftp.errorString().contains("421 Service not available, closing control connection."),
                 qPrintable(ftp.errorString()));
        // The failed sequence leaves the session for the caller to close.
        QCOMPARE(ftp.state(), FtpTransfer::LoggedIn);
    }

    // A log download stops at its size budget, leaving the earlier file and no temporary one.
    void logDownloadStopsAtItsLimit()
    {
        QVERIFY(writeFile(folder("logs") + "/long.log", QByteArray(3 * 1024 * 1024 / 2, 'L')));
        const QDir saved(m_workDir.filePath("saved"));
        QVERIFY(writeFile(saved.filePath("long.txt"), "earlier download\n"));
        LogDownload download(playerHost, 2121, "long.log", saved.filePath("long.txt"));
        download.setLimits(1024 * 1024, 0);
        QSignalSpy finished(&download, &LogDownload::finished);
        download.start();
        QVERIFY(finished.wait(20000));
        QCOMPARE(finished.first().at(0).toBool(), true);
        QVERIFY2(finished.first().at(1).toString().endsWith("The log is larger than 1 MiB"),
                 qPrintable(finished.first().at(1).toString()));
        QCOMPARE(readFile(saved.filePath("long.txt")), QByteArray("earlier download\n"));
        QCOMPARE(saved.entryList(QDir::Files | QDir::Hidden), QStringList{"long.txt"});
    }
};

QTEST_MAIN(FtpTransferTest)
#include "tst_ftptransfer.moc"
