#include "content/ftptransfer.h"
#include "players/playeritem.h"
#include "ui/prompts.h"

#include "../peers/ftppeer.h"

#include <QBuffer>
#include <QListWidget>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>

#include <memory>

namespace {

const QString peerHost = QStringLiteral("127.0.0.21");

QByteArray randomBytes(qsizetype size, quint32 seed)
{
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator generator(seed);
    for (char& byte : bytes)
        byte = char(generator.bounded(256));
    return bytes;
}

quint16 closedPort()
{
    QTcpServer server;
    server.listen(QHostAddress(peerHost), 0);
    return server.serverPort();
}

QString writeLocalFile(const QString& name, const QByteArray& content)
{
    QDir().mkpath(QStringLiteral("promo"));
    QFile file(QStringLiteral("promo/") + name);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size()
        ? QFileInfo(file).absoluteFilePath()
        : QString();
}

} // namespace

// Transfers against pyftpdlib, through FtpTransfer and through PlayerItem's upload.
class FtpTransferTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void upload_data();
    void upload();
    void download();
    void abortStopsLargeUpload();
    void failures_data();
    void failures();
    void playerUploads();
    void playerUploadFailureIsReported();

private:
    QTemporaryDir m_workDir;
    std::unique_ptr<FtpPeer> m_peer;
};

void FtpTransferTest::initTestCase()
{
    QVERIFY(m_workDir.isValid());
    QDir::setCurrent(m_workDir.path());
    m_peer = std::make_unique<FtpPeer>(peerHost);
    QVERIFY2(m_peer->isRunning(), "the FTP peer did not start");
}

void FtpTransferTest::upload_data()
{
    QTest::addColumn<QString>("user");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("name");
    QTest::newRow("space") << "kvo" << "qvtm" << QStringLiteral("clip one.mpg");
    QTest::newRow("non-ASCII") << "kvo" << "qvtm" << QStringLiteral("Grüße ünïcode.mpg");
    QTest::newRow("semicolon") << "kvo" << "qvtm" << QStringLiteral("mode;type=a.txt");
    QTest::newRow("empty password") << "ticker" << "" << QStringLiteral("ticker.bmp");
}

void FtpTransferTest::upload()
{
    QFETCH(QString, user);
    QFETCH(QString, password);
    QFETCH(QString, name);
    const QByteArray content = randomBytes(300 * 1024 + 7, 1);
    QBuffer source;
    source.setData(content);
    FtpTransfer ftp;
    QSignalSpy started(&ftp, &FtpTransfer::commandStarted);
    QSignalSpy finished(&ftp, &FtpTransfer::commandFinished);
    QSignalSpy done(&ftp, &FtpTransfer::done);
    QSignalSpy progress(&ftp, &FtpTransfer::dataTransferProgress);
    QIODevice* deviceOfPut = nullptr;
    connect(&ftp, &FtpTransfer::commandFinished, this, [&] {
        if (ftp.currentCommand() == FtpTransfer::Put)
            deviceOfPut = ftp.currentDevice();
    });

    const QList<int> ids = {ftp.connectToHost(m_peer->host(), m_peer->port()), ftp.login(user, password),
                            ftp.put(&source, name.toUtf8()), ftp.close()};
    QVERIFY(done.wait(20000));
    QCOMPARE(done.count(), 1);
    QCOMPARE(done.first().at(0).toBool(), false);
    QCOMPARE(started.count(), 4);
    QCOMPARE(finished.count(), 4);
    for (int i = 0; i < ids.size(); ++i) {
        QCOMPARE(started.at(i).at(0).toInt(), ids.at(i));
        QCOMPARE(finished.at(i), (QVariantList{ids.at(i), false}));
    }
    QCOMPARE(deviceOfPut, &source);
    QCOMPARE(ftp.state(), FtpTransfer::Unconnected);
    QCOMPARE(m_peer->remoteFile(user, name), content);

    QVERIFY(!progress.isEmpty());
    qint64 previous = 0;
    for (const auto& report : std::as_const(progress)) {
        QVERIFY(report.at(0).toLongLong() >= previous);
        previous = report.at(0).toLongLong();
        QCOMPARE(report.at(1).toLongLong(), qint64(content.size()));
    }
    QCOMPARE(previous, qint64(content.size()));
}

void FtpTransferTest::download()
{
    const QString name = QStringLiteral("journal ß.log");
    const QByteArray content = randomBytes(200 * 1024, 2);
    QFile remote(QDir(m_peer->accountDir(QStringLiteral("log"))).filePath(name));
    QVERIFY(remote.open(QIODevice::WriteOnly) && remote.write(content) == content.size());
    remote.close();

    FtpTransfer ftp;
    QBuffer target;
    QSignalSpy done(&ftp, &FtpTransfer::done);
    QSignalSpy progress(&ftp, &FtpTransfer::dataTransferProgress);
    ftp.connectToHost(m_peer->host(), m_peer->port());
    ftp.login(QStringLiteral("log"), QString());
    ftp.get(name.toUtf8(), &target);
    ftp.close();
    QVERIFY(done.wait(20000));
    QCOMPARE(done.first().at(0).toBool(), false);
    QCOMPARE(target.data(), content);
    QCOMPARE(progress.last(), (QVariantList{qint64(content.size()), qint64(content.size())}));
}

void FtpTransferTest::abortStopsLargeUpload()
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
    ftp.connectToHost(m_peer->host(), m_peer->port());
    ftp.login(QStringLiteral("kvo"), QStringLiteral("qvtm"));
    const int putId = ftp.put(&source, "large.mpg");
    ftp.close();
    QVERIFY(done.wait(20000));

    QVERIFY(sentAtAbort > 0);
    QCOMPARE(done.count(), 1);
    QCOMPARE(done.first().at(0).toBool(), true);
    QCOMPARE(ftp.errorString(), QStringLiteral("Aborted"));
    QCOMPARE(started.count(), 3);  // the close was dropped
    QCOMPARE(finished.last(), (QVariantList{putId, true}));
    QCOMPARE(ftp.state(), FtpTransfer::Unconnected);
    QVERIFY(m_peer->remoteFile(QStringLiteral("kvo"), QStringLiteral("large.mpg")).size() < size);

    // The same object carries on with a new sequence.
    QBuffer small;
    small.setData("after abort");
    ftp.connectToHost(m_peer->host(), m_peer->port());
    ftp.login(QStringLiteral("kvo"), QStringLiteral("qvtm"));
    ftp.put(&small, "after.txt");
    QVERIFY(done.wait(20000));
    QCOMPARE(done.last().at(0).toBool(), false);
    QCOMPARE(m_peer->remoteFile(QStringLiteral("kvo"), QStringLiteral("after.txt")), QByteArray("after abort"));
}

void FtpTransferTest::failures_data()
{
    QTest::addColumn<QString>("server");
    QTest::addColumn<QString>("password");
    QTest::addColumn<bool>("download");
    QTest::addColumn<QStringList>("errorParts");
    QTest::newRow("refused port") << "closed" << "qvtm" << false << QStringList{"Couldn't connect", peerHost};
    QTest::newRow("bad login") << "peer" << "wrong" << false << QStringList{"Login denied", "530"};
    QTest::newRow("missing remote file") << "peer" << "qvtm" << true << QStringList{"not found", "550"};
    // Told in the server's own words, not as libcurl's "Timeout was reached".
    QTest::newRow("service going down") << "421" << "qvtm" << false
                                        << QStringList{"421 Service not available, closing control connection."};
}

void FtpTransferTest::failures()
{
    QFETCH(QString, server);
    QFETCH(QString, password);
    QFETCH(bool, download);
    QFETCH(QStringList, errorParts);
    QTcpServer goingDown;
    QVERIFY(goingDown.listen(QHostAddress(peerHost)));
    connect(&goingDown, &QTcpServer::newConnection, this, [&goingDown] {
        QTcpSocket* socket = goingDown.nextPendingConnection();
        socket->write("421 Service not available, closing control connection.\r\n");
        socket->disconnectFromHost();
    });
    const quint16 port = server == "peer" ? m_peer->port() : server == "421" ? goingDown.serverPort() : closedPort();
    FtpTransfer ftp;
    QSignalSpy started(&ftp, &FtpTransfer::commandStarted);
    QSignalSpy finished(&ftp, &FtpTransfer::commandFinished);
    QSignalSpy done(&ftp, &FtpTransfer::done);
    QBuffer buffer;
    buffer.setData("payload");
    ftp.connectToHost(m_peer->host(), port);
    ftp.login(QStringLiteral("kvo"), password);
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

// Two uploads queued back to back both land; each file is released once its put has finished.
void FtpTransferTest::playerUploads()
{
    ScriptedPrompts prompts;
    QListWidget view;
    PlayerItem::setFtpPort(m_peer->port());
    auto* item = new PlayerItem(&view, QStringLiteral("lobby"), false, false);
    item->setIpAddress(peerHost);
    QSignalSpy refreshes(item, &PlayerItem::refresh_player_contents);
    QSignalSpy done(item->ftp(), &FtpTransfer::done);
    const QStringList names = {QStringLiteral("clip one.mpg"), QStringLiteral("Grüße ünïcode.mpg")};
    for (int i = 0; i < names.size(); ++i) {
        QString path = writeLocalFile(names.at(i), randomBytes(100000 + i, 10 + i));
        QVERIFY(!path.isEmpty());
        item->ftp_uploadFile(path);
    }
    QCOMPARE(item->findChildren<QFile*>().size(), 2);

    QVERIFY(done.wait(20000));
    QCOMPARE(done.count(), 1);
    QCOMPARE(done.first().at(0).toBool(), false);
    QCOMPARE(refreshes.count(), 2);
    QVERIFY(prompts.messages.isEmpty());
    for (int i = 0; i < names.size(); ++i)
        QCOMPARE(m_peer->remoteFile(QStringLiteral("kvo"), names.at(i)), randomBytes(100000 + i, 10 + i));
    QVERIFY(item->findChildren<QFile*>().isEmpty());
    QCOMPARE(item->ftp()->state(), FtpTransfer::Unconnected);
}

void FtpTransferTest::playerUploadFailureIsReported()
{
    ScriptedPrompts prompts;
    QListWidget view;
    PlayerItem::setFtpPort(closedPort());
    auto* item = new PlayerItem(&view, QStringLiteral("lobby"), false, false);
    item->setIpAddress(peerHost);
    QSignalSpy refreshes(item, &PlayerItem::refresh_player_contents);
    QSignalSpy done(item->ftp(), &FtpTransfer::done);
    for (const QString& name : {QStringLiteral("refused one.mpg"), QStringLiteral("refused two.mpg")}) {
        QString path = writeLocalFile(name, "data");
        item->ftp_uploadFile(path);
    }

    QVERIFY(done.wait(20000));
    QCOMPARE(done.first().at(0).toBool(), true);
    QCOMPARE(prompts.messages.size(), 1);
    QCOMPARE(prompts.messages.first().kind, Prompts::Kind::Critical);
    QCOMPARE(prompts.messages.first().title, QStringLiteral("File transfer failure"));
    QCOMPARE(prompts.messages.first().text, item->ftp()->errorString());
    QVERIFY(prompts.messages.first().text.contains(QStringLiteral("Couldn't connect")));
    // The failed put finished, the second upload was dropped, both files are released
    // and the failed session is closed.
    QCOMPARE(refreshes.count(), 1);
    QVERIFY(item->findChildren<QFile*>().isEmpty());
    QTRY_COMPARE_WITH_TIMEOUT(done.count(), 2, 20000);
    QCOMPARE(item->ftp()->state(), FtpTransfer::Unconnected);
}

QTEST_MAIN(FtpTransferTest)
#include "tst_ftptransfer.moc"
