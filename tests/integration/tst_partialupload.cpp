// A broken upload never leaves part of a file under its name: the service keeps it, the controller removes it.

#include "core/ftptransfer.h"

#include "../peers/contentfiles.h"
#include "../peers/emulatorpeer.h"
#include "../peers/scratchdir.h"

#include <QBuffer>
#include <QJsonObject>
#include <QtTest>

class FailingFile : public QBuffer // reading fails after 1 MiB, as a disk that goes away
{
    qint64 readData(char* data, qint64 size) override { return pos() < (1 << 20) ? QBuffer::readData(data, size) : -1; }
};

class TestPartialUpload : public QObject
{
    Q_OBJECT

    ScratchDirectory m_workDir;
    EmulatorPeer m_player{m_workDir.filePath("player")};

private slots:
    void initTestCase()
    {
        QVERIFY(m_player.start(1, "127.0.17.2", 1, {"--interval", "600"}));
    }

    void brokenUploadKeepsTheStoredFile_data()
    {
        QTest::addColumn<bool>("aborted");
        QTest::newRow("aborted by the operator") << true;
        QTest::newRow("local file fails") << false;
    }
    void brokenUploadKeepsTheStoredFile()
    {
        QFETCH(bool, aborted);
        const QString media = m_player.mediaDirectory("127.0.17.2");
        QVERIFY(writeFile(media + "/clip.mpg", "the version the player plays"));
        const qsizetype journalled = m_player.journal("ftp", "127.0.17.2").size();
        const std::unique_ptr<QBuffer> upload(aborted ? new QBuffer : new FailingFile);
        upload->setData(QByteArray(32 * 1024 * 1024, 'v'));
        FtpTransfer ftp;
        QSignalSpy done(&ftp, &FtpTransfer::done);
        QSignalSpy ended(&ftp, &FtpTransfer::partialUploadEnded);
        connect(&ftp, &FtpTransfer::dataTransferProgress, this, [&](qint64 sent, qint64 total) {
            if (aborted && sent > 0 && sent < total && done.isEmpty())
                ftp.abort();
        });
        ftp.connectToHost("127.0.17.2", 2121);
        ftp.login("kvo", "qvtm");
        ftp.put(upload.get(), "clip.mpg");
        ftp.close();
        QVERIFY(done.wait(20000));
        QCOMPARE(done.first().first().toBool(), true);
        QTRY_COMPARE_WITH_TIMEOUT(ended.size(), 1, 20000);
        QCOMPARE(ended.first(), (QVariantList{QByteArray("clip.mpg"), true, QString()}));
        QCOMPARE(readFile(media + "/clip.mpg"), QByteArray("the version the player plays"));
        // A cut data connection may look like a file's end to the service: it keeps the part till it is deleted.
        QTRY_COMPARE_WITH_TIMEOUT(m_player.journal("ftp", "127.0.17.2").size(), journalled + 2, 10000); // STOR, DELE
        const QJsonObject removal = m_player.journal("ftp", "127.0.17.2").last();
        QCOMPARE(removal["command"].toString() + " " + removal["file"].toString(), QString("DELE clip.mpg.part"));
    }
};

QTEST_MAIN(TestPartialUpload)
#include "tst_partialupload.moc"
