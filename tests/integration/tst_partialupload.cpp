// An upload that breaks off never leaves part of a file under the file's
// name on the player: the emulated player's FTP service keeps what it
// received, as a real one does, and the controller removes it.

#include "core/ftptransfer.h"

#include "../peers/contentfiles.h"
#include "../peers/emulatorpeer.h"
#include "../peers/scratchdir.h"

#include <QBuffer>
#include <QJsonObject>
#include <QtTest>

namespace {

const QString kPlayer = "127.0.17.2";

// A local file whose reading fails after some bytes, as a disk that goes away.
class FailingFile : public QIODevice
{
public:
    explicit FailingFile(qint64 failAfter) : m_left(failAfter) { open(QIODevice::ReadOnly); }
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char* data, qint64 maxSize) override
    {
        if (m_left <= 0) {
            setErrorString("device gone");
            return -1;
        }
        const qint64 size = qMin(maxSize, m_left);
        memset(data, 'x', size_t(size));
        m_left -= size;
        return size;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    qint64 m_left;
};

} // namespace

class TestPartialUpload : public QObject
{
    Q_OBJECT

private:
    ScratchDirectory m_workDir;
    std::unique_ptr<EmulatorPeer> m_player;

private slots:
    void initTestCase()
    {
        m_player = std::make_unique<EmulatorPeer>(m_workDir.filePath("player"));
        QVERIFY(m_player->start(1, kPlayer, 1, {"--interval", "600"}));
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
        const QString media = m_player->mediaDirectory(kPlayer);
        QVERIFY(writeFile(media + "/clip.mpg", "the version the player plays"));
        const qsizetype journalled = m_player->journal("ftp", kPlayer).size();

        QBuffer large;
        large.setData(QByteArray(32 * 1024 * 1024, 'v'));
        FailingFile failing(1024 * 1024);
        FtpTransfer ftp;
        QSignalSpy done(&ftp, &FtpTransfer::done);
        QSignalSpy ended(&ftp, &FtpTransfer::partialUploadEnded);
        connect(&ftp, &FtpTransfer::dataTransferProgress, this, [&](qint64 sent, qint64 total) {
            if (aborted && sent > 0 && sent < total && done.isEmpty())
                ftp.abort();
        });
        ftp.connectToHost(kPlayer, 2121);
        ftp.login("kvo", "qvtm");
        ftp.put(aborted ? static_cast<QIODevice*>(&large) : &failing, "clip.mpg");
        ftp.close();
        QVERIFY(done.wait(20000));
        QCOMPARE(done.first().first().toBool(), true);
        QTRY_COMPARE_WITH_TIMEOUT(ended.size(), 1, 20000);
        QCOMPARE(ended.first(), (QVariantList{QByteArray("clip.mpg"), true, QString()}));

        QCOMPARE(readFile(media + "/clip.mpg"), QByteArray("the version the player plays"));
        QVERIFY(!QFile::exists(media + "/clip.mpg.part"));
        // The service kept the part it received (a cut data connection may even
        // look like a file's end to it) until the controller removed it.
        const auto steps = [&] {
            QStringList lines;
            for (const QJsonObject& record : m_player->journal("ftp", kPlayer).mid(journalled))
                lines.append(record["command"].toString() + " " + record["file"].toString());
            lines.sort();
            return lines;
        };
        QTRY_COMPARE_WITH_TIMEOUT(steps(), (QStringList{"DELE clip.mpg.part", "STOR clip.mpg.part"}), 10000);
    }
};

QTEST_MAIN(TestPartialUpload)
#include "tst_partialupload.moc"
