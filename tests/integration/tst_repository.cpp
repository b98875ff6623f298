// The media repository as the controller lists it: the SIZE(KB) and DURATION texts,
// a repository made with ffmpeg, the probe cache, closing while the worker probes.

#include "content/mediaprobe.h"
#include "content/mediarepository.h"
#include "content/repositorylister.h"
#include "core/repositorypath.h"

#include "../peers/contenthost.h"

#include <QImage>
#include <QProcess>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QtTest>

extern "C" {
#include <libavutil/avutil.h>
}

namespace {

bool ffmpeg(const QStringList& arguments)
{
    QProcess process;
    process.start("ffmpeg", QStringList{"-v", "error", "-y"} + arguments);
    return process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

// Every row of a view, depth-first: indent, NAME, then the other columns, then
// "dd" when the row is drag- and drop-enabled.
QStringList rows(const QTreeWidget* view)
{
    QStringList lines;
    const std::function<void(const QTreeWidgetItem*, int)> walk = [&](const QTreeWidgetItem* item, int depth) {
        QStringList columns{QString(depth * 2, ' ') + item->text(0)};
        for (int column = 1; column < 5; ++column)
            columns << item->text(column);
        const bool dragDrop = item->flags().testFlags(Qt::ItemIsDragEnabled | Qt::ItemIsDropEnabled);
        columns << (dragDrop ? "dd" : "");
        lines << columns.join('|');
        for (int child = 0; child < item->childCount(); ++child)
            walk(item->child(child), depth + 1);
    };
    for (int top = 0; top < view->topLevelItemCount(); ++top)
        walk(view->topLevelItem(top), 0);
    return lines;
}

QString sizeOf(const QString& path)
{
    return QString::number(QFileInfo(path).size() / 1024).rightJustified(8, ' ');
}

} // namespace

class TestRepository : public QObject
{
    Q_OBJECT

private:
    ScratchDirectory m_dir;
    QString m_repository;

    QString media(const QString& relative) const { return m_repository + "/" + relative; }
    // The controller as it starts: the path shown, the repository listed.
    static std::unique_ptr<ContentHost> start()
    {
        auto host = std::make_unique<ContentHost>();
        host->content.init();
        return host;
    }
    static RepositoryLister* lister(ContentHost& host) { return host.content.repository()->lister(); }
    static bool waitForListing(ContentHost& host)
    {
        return QTest::qWaitFor([&] { return !lister(host)->isBusy(); }, 60000);
    }
    QStringList expectedRows() const
    {
        return {
            "Empty||DIRECTORY|||",
            "Video||DIRECTORY|||",
            "  loop.avi||DIRECTORY|||dd",
            "  set.avi||DIRECTORY|||dd",
            "    inner.GIF|       2|media|picture|N/A|dd",
            "  broken.mpg|       0|media|N/A|N/A|dd",
            "  cam.cap|       0|media|capture|N/A|dd",
            "  clip.mpg|" + sizeOf(media("Video/clip.mpg")) + "|media|mpeg|0:0:4.2|dd",
            "  photo.PNG|" + sizeOf(media("Video/photo.PNG")) + "|media|picture|N/A|dd",
        };
    }

private slots:
    void durationText_data()
    {
        QTest::addColumn<qint64>("microseconds");
        QTest::addColumn<QString>("text");
        QTest::newRow("1 h 2 min 5.25 s, tenths truncated") << qint64(3725250000) << "1:2:5.2";
        QTest::newRow("26 hours stay hours") << qint64(26) * 3600 * 1000000 << "26:0:0.0";
        QTest::newRow("no duration reported") << qint64(AV_NOPTS_VALUE) << "N/A";
    }
    void durationText()
    {
        QFETCH(qint64, microseconds);
        QFETCH(QString, text);
        QCOMPARE(mediaDurationText(microseconds), text);
    }

    // Smaller sizes show in the listing below.
    void sizeText()
    {
        QCOMPARE(mediaSizeText(qint64(99999999) * 1024), "99999999");
        QCOMPARE(mediaSizeText(qint64(5) * 1024 * 1024 * 1024 * 1024), "5368709120");  // longer is not cut
    }

    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_repository = m_dir.filePath("repository");
        for (const char* folder : {"Empty", "Video/set.avi", "Video/old", ".hidden"})
            QVERIFY(QDir().mkpath(media(folder)));
        QVERIFY(ffmpeg({"-f", "lavfi", "-i", "testsrc=duration=4.2:size=64x48:rate=25", "-c:v", "mpeg1video",
                        "-bf", "0", "-g", "1", "-f", "mpeg", media("Video/clip.mpg")}));
        // Neither an MPEG stream nor anything else libavformat knows.
        QVERIFY(writeFile(media("Video/broken.mpg"), QByteArray(1023, '\x5a')));
        QImage picture(40, 30, QImage::Format_RGB32);
        picture.fill(Qt::darkCyan);
        QVERIFY(picture.save(media("Video/photo.PNG")));
        QVERIFY(writeFile(media("Video/cam.cap"), "-I vin116a CVBS1\n-if NTSC_M\n"));
        QVERIFY(writeFile(media("Video/set.avi/inner.GIF"), QByteArray(2048, 'g')));
        QVERIFY(writeFile(media("Video/notes.txt"), "not media"));
        QVERIFY(QFile::copy(media("Video/clip.mpg"), media("Video/.x.mpg")));
        QVERIFY(QFile::copy(media("Video/clip.mpg"), media("Video/old/deep.mpg")));
        QVERIFY(QFile::copy(media("Video/clip.mpg"), media(".hidden/a.mpg")));
        QVERIFY(QFile::copy(media("Video/clip.mpg"), media("intro.MPG")));
        // A link back to its own folder: listed once, never walked into.
        QVERIFY(QFile::link(media("Video"), media("Video/loop.avi")));
        setRepositoryPath(m_repository);
    }

    void listsEveryColumnAndCachesProbes()
    {
        const auto host = start();
        QVERIFY(waitForListing(*host));
        QCOMPARE(rows(host->widgets.repositoryView), expectedRows());
        QCOMPARE(lister(*host)->filesProbed(), 2);

        // Unchanged files are not opened again; a changed one is.
        QFile clip(media("Video/clip.mpg"));
        QVERIFY(clip.open(QIODevice::ReadWrite));
        QVERIFY(clip.setFileTime(QDateTime::currentDateTime().addSecs(-3600), QFileDevice::FileModificationTime));
        clip.close();
        host->content.RefreshServerContents();
        QVERIFY(waitForListing(*host));
        QCOMPARE(lister(*host)->filesProbed(), 3);
        QCOMPARE(lister(*host)->cachedResults(), 2);
        QCOMPARE(rows(host->widgets.repositoryView), expectedRows());
    }

    void closingTheWindowWhileProbing()
    {
        const QString crowded = m_dir.filePath("crowded");
        QVERIFY(QDir().mkpath(crowded + "/Bulk"));
        // Random bytes keep libavformat guessing for a while (about 30 ms a file).
        QByteArray noise(256 * 1024, Qt::Uninitialized);
        for (int index = 0; index < 100; ++index) {
            QRandomGenerator::global()->fillRange(reinterpret_cast<quint32*>(noise.data()), noise.size() / 4);
            QVERIFY(writeFile(crowded + QString("/Bulk/bad%1.mpg").arg(index), noise));
        }
        setRepositoryPath(crowded);
        auto host = start();
        QSignalSpy listed(lister(*host), &RepositoryLister::listed);
        QVERIFY(listed.wait(60000));
        QCOMPARE(host->widgets.repositoryView->topLevelItem(0)->childCount(), 100);
        QVERIFY(lister(*host)->isBusy());
        host.reset();
        // Nothing of the closed window's listing arrives afterwards.
        QTest::qWait(100);
        setRepositoryPath(m_repository);
    }
};

QTEST_MAIN(TestRepository)
#include "tst_repository.moc"
