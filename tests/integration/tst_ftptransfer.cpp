// Transfers against a player's FTP service (the emulator's, served by
// pyftpdlib at the players' port 2121), through FtpTransfer, PlayerItem's
// upload and the log download.

#include "config/logsdownload.h"
#include "core/ftptransfer.h"
#include "players/playeritem.h"
#include "players/qxrkvoserver.h"
#include "xmlrpc/xrdocuments.h"

#include "../peers/boxes.h"
#include "../peers/contentfiles.h"
#include "../peers/emulatorpeer.h"
#include "../peers/rawhttp.h"
#include "../peers/scratchdir.h"

#include <QBuffer>
#include <QListWidget>
#include <QRandomGenerator>
#include <QStorageInfo>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <QtTest>

#include <atomic>

namespace {

const QString playerHost = "127.0.0.21";
const QString silentHost = "127.0.0.22"; // nothing listens there

QByteArray randomBytes(qsizetype size, quint32 seed)
{
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator generator(seed);
    for (char& byte : bytes)
        byte = char(generator.bounded(256));
    return bytes;
}

QString writeLocalFile(const QString& name, const QByteArray& content)
{
    return writeFile("promo/" + name, content) ? QFileInfo("promo/" + name).absoluteFilePath() : QString();
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
        QTest::newRow("space") << "clip one.mpg" << "media";
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
        QSignalSpy started(&ftp, &FtpTransfer::commandStarted);
        QSignalSpy finished(&ftp, &FtpTransfer::commandFinished);
        QSignalSpy done(&ftp, &FtpTransfer::done);
        QSignalSpy progress(&ftp, &FtpTransfer::dataTransferProgress);
        QIODevice* deviceOfTransfer = nullptr;
        connect(&ftp, &FtpTransfer::commandFinished, this, [&] {
            if (ftp.currentCommand() == (upload ? FtpTransfer::Put : FtpTransfer::Get))
                deviceOfTransfer = ftp.currentDevice();
        });

        const QList<int> ids = {ftp.connectToHost(playerHost, 2121), ftp.login(user, password),
                                upload ? ftp.put(&local, name.toUtf8()) : ftp.get(name.toUtf8(), &local), ftp.close()};
        QVERIFY(done.wait(20000));
        QCOMPARE(done.count(), 1);
        QCOMPARE(done.first().at(0).toBool(), false);
        QCOMPARE(started.count(), 4);
        QCOMPARE(finished.count(), 4);
        for (int i = 0; i < ids.size(); ++i) {
            QCOMPARE(started.at(i).at(0).toInt(), ids.at(i));
            QCOMPARE(finished.at(i), (QVariantList{ids.at(i), false}));
        }
        QCOMPARE(deviceOfTransfer, &local);
        QCOMPARE(ftp.state(), FtpTransfer::Unconnected);
        QVERIFY((upload ? readFile(remotePath) : local.data()) == content);

        // Progress only grows, against the whole size (unknown, 0, early in a download).
        qint64 previous = 0;
        for (const auto& report : std::as_const(progress)) {
            QVERIFY(report.at(0).toLongLong() >= previous);
            previous = report.at(0).toLongLong();
            QVERIFY(report.at(1).toLongLong() == content.size() || (!upload && report.at(1).toLongLong() == 0));
        }
        QCOMPARE(progress.last(), (QVariantList{qint64(content.size()), qint64(content.size())}));
    }

    void abortStopsLargeUpload()
    {
        const qint64 size = 32 * 1024 * 1024;
        QBuffer source;
        source.setData(QByteArray(size, 'x'));
        FtpTransfer ftp;
        QSignalSpy started(&ftp, &FtpTransfer::commandStarted);
        QSignalSpy finished(&ftp, &FtpTransfer::commandFinished);
        QSignalSpy done(&ftp, &FtpTransfer::done);
        qint64 sentAtAbort = -1;
        connect(&ftp, &FtpTransfer::dataTransferProgress, this, [&](qint64 sent, qint64 total) {
            if (sentAtAbort < 0 && sent > 0 && sent < total) {
                sentAtAbort = sent;
                ftp.abort();
            }
        });
        ftp.connectToHost(playerHost, 2121);
        ftp.login("kvo", "qvtm");
        const int putId = ftp.put(&source, "large.mpg");
        ftp.close();
        QVERIFY(done.wait(20000));
        QVERIFY(sentAtAbort > 0);
        QCOMPARE(done.count(), 1);
        QCOMPARE(done.first().at(0).toBool(), true);
        QCOMPARE(ftp.errorString(), QString("Aborted"));
        QCOMPARE(started.count(), 3); // the close was dropped
        QCOMPARE(finished.last(), (QVariantList{putId, true}));
        QCOMPARE(ftp.state(), FtpTransfer::Unconnected);
        QVERIFY(readFile(folder("media") + "/large.mpg").size() < size);

        // The same object carries on with a new sequence.
        QBuffer small;
        small.setData("after abort");
        ftp.connectToHost(playerHost, 2121);
        ftp.login("kvo", "qvtm");
        ftp.put(&small, "after.txt");
        QVERIFY(done.wait(20000));
        QCOMPARE(done.last().at(0).toBool(), false);
        QCOMPARE(readFile(folder("media") + "/after.txt"), QByteArray("after abort"));
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
                QTcpSocket socket;
                socket.connectToHost(QHostAddress::LocalHost, servicePort);
                if (!socket.waitForConnected(20000))
                    return;
                socket.write(request);
                QByteArray received;
                HttpMessage reply;
                while (!takeMessage(received, reply) && socket.waitForReadyRead(20000))
                    received += socket.readAll();
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

    void failures_data()
    {
        QTest::addColumn<QString>("server");
        QTest::addColumn<QString>("password");
        QTest::addColumn<bool>("download");
        QTest::addColumn<QStringList>("errorParts");
        QTest::newRow("refused port") << "none" << "qvtm" << false << QStringList{"Couldn't connect", silentHost};
        QTest::newRow("bad login") << "player" << "wrong" << false << QStringList{"Login denied", "530"};
        QTest::newRow("missing remote file") << "player" << "qvtm" << true << QStringList{"not found", "550"};
        // Told in the server's own words, not as libcurl's "Timeout was reached".
        QTest::newRow("service going down") << "421" << "qvtm" << false
                                            << QStringList{"421 Service not available, closing control connection."};
    }
    void failures()
    {
        QFETCH(QString, server);
        QFETCH(QString, password);
        QFETCH(bool, download);
        QFETCH(QStringList, errorParts);
        QTcpServer goingDown;
        QVERIFY(server != "421" || goingDown.listen(QHostAddress(silentHost), 2121));
        connect(&goingDown, &QTcpServer::newConnection, this, [&goingDown] {
            QTcpSocket* socket = goingDown.nextPendingConnection();
            socket->write("421 Service not available, closing control connection.\r\n");
            socket->disconnectFromHost();
        });
        FtpTransfer ftp;
        QSignalSpy started(&ftp, &FtpTransfer::commandStarted);
        QSignalSpy finished(&ftp, &FtpTransfer::commandFinished);
        QSignalSpy done(&ftp, &FtpTransfer::done);
        QBuffer buffer;
        buffer.setData("payload");
        ftp.connectToHost(server == "player" ? playerHost : silentHost, 2121);
        ftp.login("kvo", password);
        const int transferId = download ? ftp.get("no such file.mpg", &buffer) : ftp.put(&buffer, "payload.txt");
        ftp.close();
        QVERIFY(done.wait(20000));
        QCOMPARE(done.count(), 1);
        QCOMPARE(done.first().at(0).toBool(), true);
        QCOMPARE(started.count(), 3);
        QCOMPARE(finished.last(), (QVariantList{transferId, true}));
        for (const QString& part : errorParts)
            QVERIFY2(ftp.errorString().contains(part), qPrintable(ftp.errorString()));
        // The failed sequence leaves the session for the caller to close.
        QCOMPARE(ftp.state(), FtpTransfer::LoggedIn);
    }

    // Two uploads queued back to back both land, each file released once its
    // put has finished; on a failure the second is dropped and the session closed.
    void playerUploads_data()
    {
        QTest::addColumn<QString>("host");
        QTest::newRow("both land") << playerHost;
        QTest::newRow("refused") << silentHost;
    }
    void playerUploads()
    {
        QFETCH(QString, host);
        const bool fails = host == silentHost;
        ScriptedPrompts prompts;
        QListWidget view;
        auto* item = new PlayerItem(&view, "lobby", false, false);
        item->setIpAddress(host);
        QSignalSpy refreshes(item, &PlayerItem::refresh_player_contents);
        QSignalSpy done(item->ftp(), &FtpTransfer::done);
        const QStringList names = {"clip two.mpg", "Grüße zwei.mpg"};
        for (int i = 0; i < names.size(); ++i) {
            QString path = writeLocalFile(names.at(i), randomBytes(100000 + i, 10 + i));
            item->ftp_uploadFile(path);
        }
        QCOMPARE(item->findChildren<QFile*>().size(), 2);
        QVERIFY(done.wait(20000));
        QCOMPARE(done.first().at(0).toBool(), fails);
        QCOMPARE(refreshes.count(), fails ? 1 : 2);
        QVERIFY(item->findChildren<QFile*>().isEmpty());
        if (fails) {
            QCOMPARE(boxes(prompts), QStringList{"Critical | File transfer failure | " + item->ftp()->errorString()});
            QVERIFY(prompts.messages.first().text.contains("Couldn't connect"));
            QTRY_COMPARE_WITH_TIMEOUT(done.count(), 2, 20000);
        } else {
            QCOMPARE(done.count(), 1);
            QVERIFY(prompts.messages.isEmpty());
            for (int i = 0; i < names.size(); ++i)
                QVERIFY(readFile(folder("media") + "/" + names.at(i)) == randomBytes(100000 + i, 10 + i));
        }
        QCOMPARE(item->ftp()->state(), FtpTransfer::Unconnected);
    }

    // A log download stops at its size budget and before the disk runs low,
    // leaving the earlier file and no temporary one.
    void logDownloadStopsAtItsLimits_data()
    {
        QTest::addColumn<qint64>("maxBytes");
        QTest::addColumn<qint64>("keepFreeBytes");
        QTest::addColumn<QString>("reason");
        constexpr qint64 MiB = 1024 * 1024;
        QTest::newRow("size budget") << MiB << qint64(0) << "The log is larger than 1 MiB";
        const qint64 keepFree = (QStorageInfo(m_workDir.filePath("")).bytesAvailable() / MiB + 1024) * MiB;
        QTest::newRow("disk running low") << 16 * MiB << keepFree
                                          << QString("Less than %1 MiB would be left free on the disk").arg(keepFree / MiB);
    }
    void logDownloadStopsAtItsLimits()
    {
        QFETCH(qint64, maxBytes);
        QFETCH(qint64, keepFreeBytes);
        QFETCH(QString, reason);
        QVERIFY(writeFile(folder("logs") + "/long.log", QByteArray(3 * 1024 * 1024 / 2, 'L')));
        const QDir saved(m_workDir.filePath("saved"));
        QVERIFY(writeFile(saved.filePath("long.txt"), "earlier download\n"));
        LogDownload download(playerHost, 2121, "long.log", saved.filePath("long.txt"));
        download.setLimits(maxBytes, keepFreeBytes);
        QSignalSpy finished(&download, &LogDownload::finished);
        download.start();
        QVERIFY(finished.wait(20000));
        QCOMPARE(finished.first().at(0).toBool(), true);
        QVERIFY2(finished.first().at(1).toString().endsWith(reason), qPrintable(finished.first().at(1).toString()));
        QCOMPARE(readFile(saved.filePath("long.txt")), QByteArray("earlier download\n"));
        QCOMPARE(saved.entryList(QDir::Files | QDir::Hidden), QStringList{"long.txt"});
    }
};

QTEST_MAIN(FtpTransferTest)
#include "tst_ftptransfer.moc"
