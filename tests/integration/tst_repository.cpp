// The media repository as the window lists it: a repository made with ffmpeg,
// column by column; the probe cache; superseding refreshes; closing the window
// while the worker probes.

#include "core/repositorypath.h"
#include "core/settings.h"
#include "content/repositorylister.h"
#include "window/kvo_form.h"

#include "../peers/boxes.h"
#include "../peers/scratchdir.h"

#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QProcess>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QStatusBar>
#include <QtTest>

namespace {

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

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
    static bool waitForListing(kvo_Form& form)
    {
        return QTest::qWaitFor([&] { return !form.repositoryLister()->isBusy(); }, 60000);
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
            "  movie.mp4|" + sizeOf(media("Video/movie.mp4")) + "|media|mov|mp4|m4a|3gp|3g2|mj2|0:0:2.0|dd",
            "  photo.PNG|" + sizeOf(media("Video/photo.PNG")) + "|media|picture|N/A|dd",
            "  shot.jpg|" + sizeOf(media("Video/shot.jpg")) + "|media|picture|N/A|dd",
        };
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_repository = m_dir.filePath("repository");
        for (const char* folder : {"Empty", "Video/set.avi", "Video/old", ".hidden"})
            QVERIFY(QDir().mkpath(media(folder)));
        QVERIFY(ffmpeg({"-f", "lavfi", "-i", "testsrc=duration=4.2:size=64x48:rate=25", "-c:v", "mpeg1video",
                        "-bf", "0", "-g", "1", "-f", "mpeg", media("Video/clip.mpg")}));
        QVERIFY(ffmpeg({"-f", "lavfi", "-i", "testsrc=duration=2:size=32x32:rate=5", "-pix_fmt", "yuv420p",
                        "-c:v", "mpeg4", media("Video/movie.mp4")}));
        // Neither an MPEG stream nor anything else libavformat knows.
        QVERIFY(writeFile(media("Video/broken.mpg"), QByteArray(1023, '\x5a')));
        QImage picture(40, 30, QImage::Format_RGB32);
        picture.fill(Qt::darkCyan);
        QVERIFY(picture.save(media("Video/photo.PNG")) && picture.save(media("Video/shot.jpg")));
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
        ScriptedPrompts prompts;
        prompts.nestedLoopMs = 20;
        kvo_Form form;
        QVERIFY(waitForListing(form));
        QCOMPARE(rows(form.ui.ServerContents_listView), expectedRows());
        QCOMPARE(form.repositoryLister()->filesProbed(), 3);
        QVERIFY(prompts.messages.isEmpty());

        // Unchanged files are not opened again; a changed one is.
        form.RefreshServerContents();
        QVERIFY(waitForListing(form));
        QCOMPARE(form.repositoryLister()->filesProbed(), 3);
        QCOMPARE(rows(form.ui.ServerContents_listView), expectedRows());
        QFile clip(media("Video/clip.mpg"));
        QVERIFY(clip.open(QIODevice::ReadWrite));
        QVERIFY(clip.setFileTime(QDateTime::currentDateTime().addSecs(-3600), QFileDevice::FileModificationTime));
        clip.close();
        form.RefreshServerContents();
        QVERIFY(waitForListing(form));
        QCOMPARE(form.repositoryLister()->filesProbed(), 4);
        QCOMPARE(form.repositoryLister()->cachedResults(), 3);
        QCOMPARE(rows(form.ui.ServerContents_listView), expectedRows());
    }

    void refreshSupersedesARunningOne()
    {
        ScriptedPrompts prompts;
        kvo_Form form;
        QSignalSpy finished(form.repositoryLister(), &RepositoryLister::finished);
        QSignalSpy listed(form.repositoryLister(), &RepositoryLister::listed);
        form.RefreshServerContents();
        form.RefreshServerContents();
        QVERIFY(finished.wait(60000));
        QCOMPARE(listed.count(), 1);
        QVERIFY(!finished.wait(300));
        QCOMPARE(finished.count(), 1);
        QCOMPARE(rows(form.ui.ServerContents_listView), expectedRows());
    }

    void missingRepositoryKeepsTheRows()
    {
        ScriptedPrompts prompts;
        prompts.nestedLoopMs = 20;
        kvo_Form form;
        QVERIFY(waitForListing(form));
        const QString missing = m_dir.filePath("nowhere");
        QLineEdit* field = form.ui.MediaCenter_fileChooser->lineEdit();
        field->clear();
        QTest::keyClicks(field, missing);
        QTest::keyClick(field, Qt::Key_Return);
        QTRY_COMPARE(boxes(prompts), QStringList{"Warning | Reading media repository | Media repository " + missing
                                                 + " does not exist or corrupted"});
        QCOMPARE(repositoryPath(), missing);
        QCOMPARE(openSettingsStore()->value(kMediaCenterKey).toString(), missing);
        QCOMPARE(rows(form.ui.ServerContents_listView), expectedRows());
        setRepositoryPath(m_repository);
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
        ScriptedPrompts prompts;
        auto* form = new kvo_Form;
        QSignalSpy listed(form->repositoryLister(), &RepositoryLister::listed);
        QVERIFY(listed.wait(60000));
        QCOMPARE(form->ui.ServerContents_listView->topLevelItem(0)->childCount(), 100);
        // A long listing counts the files in the status bar.
        QTRY_VERIFY_WITH_TIMEOUT(QRegularExpression("^Reading media repository: \\d+ of 100 media files examined$")
                                     .match(form->statusBar()->currentMessage())
                                     .hasMatch(),
                                 20000);
        QVERIFY(form->repositoryLister()->isBusy());
        delete form;
        // Nothing of the closed window's listing arrives afterwards.
        QTest::qWait(100);
        setRepositoryPath(m_repository);
    }
};

QTEST_MAIN(TestRepository)
#include "tst_repository.moc"
