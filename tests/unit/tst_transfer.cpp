// Sending repository files to a virtual player: the JPEG marker scan, the
// picture checks and conversions, and the copy into "contents" that runs from
// the event loop.

#include "app/repositorypath.h"
#include "content/transfer.h"
#include "players/playeritem.h"
#include "ui/kvo_form.h"

#include "../peers/boxes.h"
#include "../peers/scratchdir.h"

#include <QImageReader>
#include <QImageWriter>
#include <QRadioButton>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>

namespace {

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return QDir().mkpath(QFileInfo(path).path()) && file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// kind: "jpeg", "progressive", "png" or "garbage".
bool makePicture(const QString& path, const QString& kind, QSize size)
{
    if (kind == "garbage")
        return writeFile(path, "not a picture at all");
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    QDir().mkpath(QFileInfo(path).path());
    QImageWriter writer(path, kind == "png" ? "png" : "jpeg");
    writer.setProgressiveScanWrite(kind == "progressive");
    return writer.write(image);
}

} // namespace

class TestTransfer : public QObject
{
    Q_OBJECT

private:
    ScratchDirectory m_dir;
    ScriptedPrompts* m_prompts = nullptr;
    kvo_Form* m_form = nullptr;
    PlayerItem* m_player = nullptr;
    QString m_contents;

    QString repository(const QString& relative) const { return repositoryPath() + "/" + relative; }
    // A repository row for relative, with folder rows above it as needed.
    QTreeWidgetItem* row(const QString& relative, const QString& attr = QString())
    {
        QTreeWidget* view = m_form->ui.ServerContents_listView;
        QTreeWidgetItem* parent = nullptr;
        const QStringList names = relative.split('/');
        for (int depth = 0; depth + 1 < names.size(); ++depth)
            parent = parent ? new QTreeWidgetItem(parent, {names[depth], "", "DIR"})
                            : new QTreeWidgetItem(view, {names[depth], "", "DIRECTORY"});
        const QStringList cells{names.last(), "1", attr};
        return parent ? new QTreeWidgetItem(parent, cells) : new QTreeWidgetItem(view, cells);
    }
    QStringList contents() const { return QDir(m_contents).entryList(QDir::Files | QDir::Hidden, QDir::Name); }

private slots:
    void init()
    {
        QVERIFY(m_dir.isValid());
        setRepositoryPath(m_dir.filePath("media"));
        m_prompts = new ScriptedPrompts;
        m_prompts->nestedLoopMs = 20;
        m_form = new kvo_Form;
        const QString directory = repository("MIRRORS/Hall");
        m_contents = directory + "/contents";
        QVERIFY(QDir().mkpath(m_contents));
        m_player = new PlayerItem(m_form->ui.Player_iconView, "Hall", true, false);
        m_player->setVirtualDirectory(directory);
        m_form->ui.Player_iconView->setCurrentItem(m_player);
    }
    void cleanup()
    {
        delete m_form;
        delete m_prompts;
        QDir(m_dir.filePath("media")).removeRecursively();
    }

    void baselineScan_data()
    {
        QTest::addColumn<QByteArray>("bytes");  // empty: made by the image writer, see kind
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("baseline");
        QTest::newRow("written baseline") << QByteArray() << "jpeg" << true;
        QTest::newRow("written progressive") << QByteArray() << "progressive" << false;
        QTest::newRow("png") << QByteArray() << "png" << false;
        QTest::newRow("fill bytes before C0") << QByteArray("\xFF\xD8\xFF\xFF\xFF\xC0", 6) << "" << true;
        QTest::newRow("C0 then C2") << QByteArray("\xFF\xC0\x00\xFF\xC2", 5) << "" << false;
        QTest::newRow("stuffed zero") << QByteArray("\xFF\x00\xC2\xFF\xC0", 5) << "" << true;
        QTest::newRow("lossless") << QByteArray("\xFF\xC3\xFF\xC0", 4) << "" << false;
        QTest::newRow("C4 and C8 are no frames") << QByteArray("\xFF\xC4\xFF\xC8\xFF\xCC\xFF\xC0", 8) << "" << true;
        QTest::newRow("no frame") << QByteArray("\xFF\xD8\xFF\xD9", 4) << "" << false;
    }
    void baselineScan()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, kind);
        QFETCH(bool, baseline);
        const QString path = m_dir.filePath("scan.jpg");
        QVERIFY(bytes.isEmpty() ? makePicture(path, kind, {64, 48}) : writeFile(path, bytes));
        QCOMPARE(IsBaselineJpeg(path), baseline);
        QVERIFY(!IsBaselineJpeg(m_dir.filePath("missing.jpg")));
    }

    void sendingPictures_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QString>("outcome");  // "sent", "dialog" or the box shown
        QTest::newRow("baseline 800x600") << "a.jpg" << "jpeg" << QSize(800, 600) << "sent";
        QTest::newRow("progressive 800x600") << "a.jpg" << "progressive" << QSize(800, 600) << "dialog";
        QTest::newRow("upper-case extension") << "photo.JPG" << "progressive" << QSize(80, 60) << "dialog";
        QTest::newRow("baseline 1025x10") << "a.jpeg" << "jpeg" << QSize(1025, 10) << "dialog";
        QTest::newRow("png 1024x1024") << "a.png" << "png" << QSize(1024, 1024) << "sent";
        QTest::newRow("png 10x1025") << "a.png" << "png" << QSize(10, 1025) << "dialog";
        QTest::newRow("broken picture") << "b.gif" << "garbage" << QSize() << "Information | Check image size | File "
                                                                                 "MEDIA/b.gif format is incorrect.";
        QTest::newRow("video, not looked at") << "v.mpg" << "garbage" << QSize() << "sent";
    }
    void sendingPictures()
    {
        QFETCH(QString, name);
        QFETCH(QString, kind);
        QFETCH(QSize, size);
        QFETCH(QString, outcome);
        QVERIFY(makePicture(repository(name), kind, size));
        m_form->DownloadFile(row(name));
        QTRY_VERIFY(contents().contains(name) || !m_prompts->dialogs.isEmpty() || !m_prompts->messages.isEmpty());
        QStringList seen = boxes(*m_prompts).replaceInStrings(repositoryPath(), "MEDIA");
        if (!m_prompts->dialogs.isEmpty())
            seen.append("dialog");
        if (contents().contains(name)) {
            QCOMPARE(readFile(m_contents + "/" + name), readFile(repository(name)));
            seen.append("sent");
        }
        QCOMPARE(seen, QStringList{outcome});
        if (outcome == "dialog")
            QCOMPARE(m_prompts->dialogs, QStringList{"ImageConversion_Dialog"});
    }

    void conversions_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("typed");   // the name given in the file chooser
        QTest::addColumn<QString>("written"); // the converted file, "" for none
        QTest::addColumn<QString>("format");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<bool>("sent");
        QTest::newRow("main video area") << "Main_radioButton" << "conv" << "conv.png" << "png" << QSize(1024, 512) << false;
        QTest::newRow("main, extension typed") << "Main_radioButton" << "conv.PNG" << "conv.PNG" << "png"
                                               << QSize(1024, 512) << false;
        QTest::newRow("picture area") << "radioButton2_3" << "conv" << "conv.jpg" << "jpeg" << QSize(512, 256) << false;
        QTest::newRow("picture area, chooser cancelled") << "radioButton2_3" << "" << "" << "" << QSize() << false;
        QTest::newRow("as is") << "Asis_radioButton" << "" << "" << "" << QSize() << true;
        QTest::newRow("offline") << "Offline_radioButton" << "" << "" << "" << QSize() << false;
        QTest::newRow("none checked") << "" << "" << "" << "" << QSize() << false;
        QTest::newRow("cancel") << "cancel" << "" << "" << "" << QSize() << false;
    }
    void conversions()
    {
        QFETCH(QString, button);
        QFETCH(QString, typed);
        QFETCH(QString, written);
        QFETCH(QString, format);
        QFETCH(QSize, size);
        QFETCH(bool, sent);
        QVERIFY(makePicture(repository("wide.jpg"), "jpeg", {2048, 1024}));
        QString caption;
        m_prompts->dialogScripts.append([&](QDialog* dialog) {
            caption = dialog->windowTitle();
            if (!button.isEmpty() && button != "cancel")
                dialog->findChild<QRadioButton*>(button)->setChecked(true);
            dialog->findChild<QPushButton*>(button == "cancel" ? "ImageConversion_buttonCancel"
                                                               : "ImageConversion_buttonOk")->click();
        });
        if (!typed.isEmpty())
            m_prompts->fileAnswers.append(repository(typed));
        m_form->DownloadFile(row("wide.jpg"));
        QCOMPARE(caption, "Image conversion");
        if (sent)
            QTRY_COMPARE(contents(), QStringList{"wide.jpg"});
        QTest::qWait(50);
        QCOMPARE(contents(), sent ? QStringList{"wide.jpg"} : QStringList{});
        const QStringList files = written.isEmpty() ? QStringList{"wide.jpg"} : QStringList{written, "wide.jpg"};
        QCOMPARE(QDir(repositoryPath()).entryList(QDir::Files), files);
        if (!written.isEmpty()) {
            QImageReader reader(repository(written));
            QCOMPARE(reader.format(), format.toLatin1());
            QCOMPARE(reader.size(), size);
        }
        QVERIFY(m_prompts->messages.isEmpty());
    }

    void foldersNestedFilesAndNoPlayer()
    {
        m_form->DownloadFile(row("promo/sub/clip.mpg")->parent());
        QCOMPARE(boxes(*m_prompts), QStringList{"Information | NOTICE | sub is a directory"});

        QVERIFY(writeFile(repository("promo/sub/clip.mpg"), "video"));
        QTreeWidgetItem* nested = row("promo/sub/clip.mpg");
        QCOMPARE(RepositoryRelativePath(nested), QString("promo/sub/clip.mpg"));
        m_form->DownloadFile(nested);
        QTRY_COMPARE(contents(), QStringList{"clip.mpg"});
        QCOMPARE(readFile(m_contents + "/clip.mpg"), QByteArray("video"));
        // The storage view shows it once it is there.
        QTRY_COMPARE(m_form->ui.PlayerContent_listView->topLevelItemCount(), 1);

        m_prompts->messages.clear();
        m_form->ui.Player_iconView->setCurrentItem(nullptr);
        m_form->DownloadFile(nested);
        QCOMPARE(boxes(*m_prompts), QStringList{"Information | File transfer | No player is selected."});
    }

    void copyRunsFromTheEventLoop_data()
    {
        QTest::addColumn<QString>("ending");
        QTest::newRow("complete") << "complete";
        QTest::newRow("aborted") << "aborted";
        QTest::newRow("write fails") << "write fails";
        QTest::newRow("source missing") << "source missing";
    }
    void copyRunsFromTheEventLoop()
    {
        QFETCH(QString, ending);
        QByteArray big(24 * 1024 * 1024, Qt::Uninitialized);
        for (int index = 0; index < big.size(); index += 4096)
            big[index] = char(index / 4096);
        if (ending != "source missing")
            QVERIFY(writeFile(repository("big.mpg"), big));
        QVERIFY(writeFile(m_contents + "/big.mpg", "the earlier copy"));

        QProgressBar* bar = m_form->ui.Xfer_progressBar;
        QList<int> values;
        connect(bar, &QProgressBar::valueChanged, this, [&](int value) {
            values.append(value);
            if (ending == "aborted" && value > 0 && value < bar->maximum())
                m_form->ui.AbortXfer_pushButton->click();
        });
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit previous{};
        getrlimit(RLIMIT_FSIZE, &previous);
        if (ending == "write fails") {
            rlimit small = previous;
            small.rlim_cur = 1024 * 1024;
            setrlimit(RLIMIT_FSIZE, &small);
        }
        m_form->DownloadFile(row("big.mpg"));
        // Nothing is copied before the event loop runs, and the abort button is offered.
        QCOMPARE(readFile(m_contents + "/big.mpg"), QByteArray("the earlier copy"));
        QVERIFY(!m_form->ui.AbortXfer_pushButton->isHidden());
        const auto copying = [this] { return QDir(m_contents).entryList(QDir::Files | QDir::Hidden).size() > 1; };
        if (ending == "complete") {
            QTRY_VERIFY_WITH_TIMEOUT(readFile(m_contents + "/big.mpg") == big, 20000);
            QVERIFY(std::any_of(values.begin(), values.end(), [&](int value) { return value > 0 && value < bar->maximum(); }));
            QCOMPARE(bar->value(), -1);  // reset at the end
            QVERIFY(m_prompts->messages.isEmpty());
        } else if (ending == "aborted") {
            QTRY_VERIFY_WITH_TIMEOUT(!values.isEmpty() && !copying(), 20000);
            QTest::qWait(100);
            QVERIFY(m_prompts->messages.isEmpty());
        } else {
            QTRY_COMPARE_WITH_TIMEOUT(m_prompts->messages.size(), 1, 20000);
            setrlimit(RLIMIT_FSIZE, &previous);
            QVERIFY2(boxes(*m_prompts).first().startsWith("Information | File transfer | The file was not copied to "
                                                          + m_contents + "/big.mpg; an earlier file of that name is "
                                                                         "unchanged.\n"),
                     qPrintable(boxes(*m_prompts).first()));
        }
        setrlimit(RLIMIT_FSIZE, &previous);
        QVERIFY(!copying());
        if (ending != "complete")
            QCOMPARE(readFile(m_contents + "/big.mpg"), QByteArray("the earlier copy"));
    }
};

QTEST_MAIN(TestTransfer)
#include "tst_transfer.moc"
