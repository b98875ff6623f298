#include "content/ftptransfer.h"

#include "../peers/ftppeer.h"

#include <QBuffer>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTemporaryDir>
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

} // namespace

class FtpTransferTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void upload_data();
    void upload();
    void download();
    void abortStopsLargeUpload();
    void failures_data();
    void failures();

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

void FtpTransferTest::cleanupTestCase()
{
    m_peer.reset();
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
    QList<int> putDuringFinish;
    connect(&ftp, &FtpTransfer::commandFinished, this, [&](int id) {
        if (ftp.currentCommand() == FtpTransfer::Put) {
            putDuringFinish << id;
            QCOMPARE(ftp.currentDevice(), &source);
        }
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
        QCOMPARE(finished.at(i).at(0).toInt(), ids.at(i));
        QCOMPARE(finished.at(i).at(1).toBool(), false);
    }
    QCOMPARE(putDuringFinish, QList<int>{ids.at(2)});
    QCOMPARE(ftp.state(), FtpTransfer::Unconnected);
    QCOMPARE(ftp.currentCommand(), FtpTransfer::None);

    QVERIFY(!progress.isEmpty());
    qint64 previous = 0;
    for (const auto& report : std::as_const(progress)) {
        QVERIFY(report.at(0).toLongLong() >= previous);
        previous = report.at(0).toLongLong();
        QCOMPARE(report.at(1).toLongLong(), qint64(content.size()));
    }
    QCOMPARE(progress.last().at(0).toLongLong(), qint64(content.size()));
    QCOMPARE(m_peer->remoteFile(user, name), content);
}

void FtpTransferTest::download()
{
    const QString name = QStringLiteral("journal ß.log");
    const QByteArray content = randomBytes(200 * 1024, 2);
    QFile remote(QDir(m_peer->accountDir(QStringLiteral("log"))).filePath(name));
    QVERIFY(remote.open(QIODevice::WriteOnly));
    remote.write(content);
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
    QVERIFY(!progress.isEmpty());
    QCOMPARE(progress.last().at(0).toLongLong(), qint64(content.size()));
    QCOMPARE(progress.last().at(1).toLongLong(), qint64(content.size()));
}

void FtpTransferTest::abortStopsLargeUpload()
{
    const QString name = QStringLiteral("large.mpg");
    const qint64 size = 32 * 1024 * 1024;
    QBuffer source;
    source.setData(QByteArray(size, 'x'));

    FtpTransfer ftp;
    QSignalSpy started(&ftp, &FtpTransfer::commandStarted);
    QSignalSpy finished(&ftp, &FtpTransfer::commandFinished);
    QSignalSpy done(&ftp, &FtpTransfer::done);
    qint64 doneAtAbort = -1;
    connect(&ftp, &FtpTransfer::dataTransferProgress, this, [&](qint64 sent, qint64 total) {
        if (doneAtAbort < 0 && sent > 0 && sent < total) {
            doneAtAbort = sent;
            ftp.abort();
        }
    });
    ftp.connectToHost(m_peer->host(), m_peer->port());
    ftp.login(QStringLiteral("kvo"), QStringLiteral("qvtm"));
    const int putId = ftp.put(&source, name.toUtf8());
    ftp.close();
    QVERIFY(done.wait(20000));

    QVERIFY(doneAtAbort > 0);
    QCOMPARE(done.count(), 1);
    QCOMPARE(done.first().at(0).toBool(), true);
    QCOMPARE(ftp.errorString(), QStringLiteral("Aborted"));
    QCOMPARE(started.count(), 3);  // the close was dropped
    QCOMPARE(finished.last().at(0).toInt(), putId);
    QCOMPARE(finished.last().at(1).toBool(), true);
    QCOMPARE(ftp.state(), FtpTransfer::Unconnected);
    QVERIFY(m_peer->remoteFile(QStringLiteral("kvo"), name).size() < size);

    // The same object carries on with a new sequence.
    QBuffer small;
    small.setData("after abort");
    ftp.connectToHost(m_peer->host(), m_peer->port());
    ftp.login(QStringLiteral("kvo"), QStringLiteral("qvtm"));
    ftp.put(&small, "after.txt");
    ftp.close();
    QVERIFY(done.wait(20000));
    QCOMPARE(done.last().at(0).toBool(), false);
    QCOMPARE(m_peer->remoteFile(QStringLiteral("kvo"), QStringLiteral("after.txt")), QByteArray("after abort"));
}

void FtpTransferTest::failures_data()
{
    QTest::addColumn<bool>("refusedPort");
    QTest::addColumn<QString>("password");
    QTest::addColumn<bool>("download");
    QTest::addColumn<QStringList>("errorParts");
    QTest::newRow("refused port") << true << "qvtm" << false
                                  << QStringList{"Couldn't connect", peerHost};
    QTest::newRow("bad login") << false << "wrong" << false << QStringList{"Login denied", "530"};
    QTest::newRow("missing remote file") << false << "qvtm" << true << QStringList{"550"};
}

void FtpTransferTest::failures()
{
    QFETCH(bool, refusedPort);
    QFETCH(QString, password);
    QFETCH(bool, download);
    QFETCH(QStringList, errorParts);

    FtpTransfer ftp;
    QSignalSpy started(&ftp, &FtpTransfer::commandStarted);
    QSignalSpy finished(&ftp, &FtpTransfer::commandFinished);
    QSignalSpy done(&ftp, &FtpTransfer::done);
    QBuffer buffer;
    buffer.setData("payload");
    ftp.connectToHost(m_peer->host(), refusedPort ? closedPort() : m_peer->port());
    ftp.login(QStringLiteral("kvo"), password);
    const int transferId = download ? ftp.get("no such file.mpg", &buffer) : ftp.put(&buffer, "payload.txt");
    ftp.close();
    QVERIFY(done.wait(20000));

    QCOMPARE(done.count(), 1);
    QCOMPARE(done.first().at(0).toBool(), true);
    QCOMPARE(started.count(), 3);
    QCOMPARE(finished.last().at(0).toInt(), transferId);
    QCOMPARE(finished.last().at(1).toBool(), true);
    for (const QString& part : errorParts)
        QVERIFY2(ftp.errorString().contains(part), qPrintable(ftp.errorString()));
    // The session stays as the failed sequence left it, for the caller to close.
    QCOMPARE(ftp.state(), FtpTransfer::LoggedIn);
}

QTEST_GUILESS_MAIN(FtpTransferTest)
#include "tst_ftptransfer.moc"
