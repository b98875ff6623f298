// Sending repository files to a virtual player: the JPEG marker scan, the
// picture checks and conversions, and the copy into "contents" that runs from
// the event loop.

#include "core/repositorypath.h"
#include "content/repositorylister.h"
#include "content/transfer.h"
#include "window/kvo_form.h"

#include "../peers/boxes.h"
#include "../peers/contentfiles.h"
#include "../peers/scratchdir.h"

#include <QImageReader>
#include <QImageWriter>
#include <QRadioButton>
#include <QtTest>

namespace {

// kind: "jpeg", "progressive", "png" or "garbage".
bool makePicture(const QString& path, const QString& kind, QSize size)
{
    if (kind == "garbage")
        return writeFile(path, "not a picture");
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    QImageWriter writer(path, kind == "png" ? "png" : "jpeg");
    writer.setProgressiveScanWrite(kind == "progressive");
    return QDir().mkpath(QFileInfo(path).path()) && writer.write(image);
}

} // namespace

class TestTransfer : public QObject
{
    Q_OBJECT

private:
    ScratchDirectory m_dir;
    ScriptedPrompts* m_prompts = nullptr;
    kvo_Form* m_form = nullptr;
    QString m_contents;

    QString repository(const QString& relative) const { return repositoryPath() + "/" + relative; }
    // A repository row for relative, under folder rows as needed.
    QTreeWidgetItem* row(const QString& relative)
    {
        QTreeWidgetItem* parent = m_form->ui.ServerContents_listView->invisibleRootItem();
        const QStringList names = relative.split('/');
        for (const QString& folder : names.mid(0, names.size() - 1))
            parent = new QTreeWidgetItem(parent, {folder, "", parent->parent() ? "DIR" : "DIRECTORY"});
        return new QTreeWidgetItem(parent, {names.last(), "1", ""});
    }
    QStringList contents() const { return QDir(m_contents).entryList(QDir::Files | QDir::Hidden); }

private slots:
    void init()
    {
        setRepositoryPath(m_dir.filePath("media"));
        m_prompts = new ScriptedPrompts;
        m_prompts->nestedLoopMs = 20;
        QVERIFY(QDir().mkpath(m_dir.filePath("media")));
        m_form = new kvo_Form;
        // The start-up listing refills the repository view; the tests' own rows come after it.
        QTRY_VERIFY(!m_form->repositoryLister()->isBusy());
        m_contents = repository("MIRRORS/Hall/contents");
        QVERIFY(QDir().mkpath(m_contents));
        auto* player = new PlayerItem(m_form->ui.Player_iconView, "Hall", true, false);
        player->setVirtualDirectory(repository("MIRRORS/Hall"));
        m_form->ui.Player_iconView->setCurrentItem(player);
    }
    void cleanup()
    {
        delete m_form;
        delete m_prompts;
        QDir(m_dir.filePath("media")).removeRecursively();
    }

    void baselineScan_data()
    {
        QTest::addColumn<QByteArray>("bytes");  // empty: written by the image writer as kind
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("baseline");
        QTest::newRow("written baseline") << QByteArray() << "jpeg" << true;
        QTest::newRow("written progressive") << QByteArray() << "progressive" << false;
        QTest::newRow("png") << QByteArray() << "png" << false;
        QTest::newRow("fill bytes before C0") << QByteArray("\xFF\xD8\xFF\xFF\xFF\xC0", 6) << "" << true;
        QTest::newRow("C0 then C2") << QByteArray("\xFF\xC0\x00\xFF\xC2", 5) << "" << false;
        QTest::newRow("stuffed zero, then C0") << QByteArray("\xFF\x00\xC2\xFF\xC0", 5) << "" << true;
        QTest::newRow("C4, C8, CC are no frames") << QByteArray("\xFF\xC4\xFF\xC8\xFF\xCC\xFF\xC0", 8) << "" << true;
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
        QTest::newRow("broken picture") << "b.gif" << "garbage" << QSize()
                                        << "Information | Check image size | File MEDIA/b.gif format is incorrect.";
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
        if (m_prompts->dialogs == QStringList{"ImageConversion_Dialog"})
            seen.append("dialog");
        if (readFile(m_contents + "/" + name) == readFile(repository(name)))
            seen.append("sent");
        QCOMPARE(seen, QStringList{outcome});
    }

    void conversions_data()
    {
        QTest::addColumn<QString>("button");   // checked before OK; "cancel" presses Cancel
        QTest::addColumn<QString>("typed");    // the name given in the file chooser
        QTest::addColumn<QString>("written");  // the converted file, "" for none
        QTest::addColumn<QSize>("size");
        QTest::addColumn<bool>("sent");
        QTest::newRow("main video area") << "Main_radioButton" << "conv" << "conv.png" << QSize(1024, 512) << false;
        QTest::newRow("main, extension typed") << "Main_radioButton" << "c.PNG" << "c.PNG" << QSize(1024, 512) << false;
        QTest::newRow("picture area") << "radioButton2_3" << "conv" << "conv.jpg" << QSize(512, 256) << false;
        QTest::newRow("as is") << "Asis_radioButton" << "" << "" << QSize() << true;
        QTest::newRow("offline") << "Offline_radioButton" << "" << "" << QSize() << false;
        QTest::newRow("cancel") << "cancel" << "" << "" << QSize() << false;
    }
    void conversions()
    {
        QFETCH(QString, button);
        QFETCH(QString, typed);
        QFETCH(QString, written);
        QFETCH(QSize, size);
        QFETCH(bool, sent);
        QVERIFY(makePicture(repository("wide.jpg"), "jpeg", {2048, 1024}));
        m_prompts->dialogScripts.append([&](QDialog* dialog) {
            QCOMPARE(dialog->windowTitle(), "Image conversion");
            if (button != "cancel")
                dialog->findChild<QRadioButton*>(button)->setChecked(true);
            dialog->findChild<QPushButton*>(button == "cancel" ? "ImageConversion_buttonCancel"
                                                               : "ImageConversion_buttonOk")->click();
        });
        m_prompts->fileAnswers.append(typed.isEmpty() ? QString() : repository(typed));
        m_form->DownloadFile(row("wide.jpg"));
        if (sent) {
            QTRY_COMPARE(contents(), QStringList{"wide.jpg"});
        } else {
            QTest::qWait(100);
            QCOMPARE(contents(), QStringList{});
        }
        QCOMPARE(QDir(repositoryPath()).entryList(QDir::Files), QStringList({written, "wide.jpg"}).filter("."));
        if (!written.isEmpty()) {
            QImageReader reader(repository(written));
            QCOMPARE(reader.format(), written.endsWith(".jpg") ? "jpeg" : "png");
            QCOMPARE(reader.size(), size);
        }
        QCOMPARE(m_prompts->dialogs.size(), 1);
        QVERIFY(m_prompts->messages.isEmpty());
    }

    void foldersNestedFilesAndNoPlayer()
    {
        QVERIFY(writeFile(repository("promo/sub/clip.mpg"), "video"));
        QTreeWidgetItem* nested = row("promo/sub/clip.mpg");
        m_form->DownloadFile(nested->parent());
        QCOMPARE(boxes(*m_prompts), QStringList{"Information | NOTICE | sub is a directory"});

        m_form->DownloadFile(nested);
        QTRY_COMPARE(rowsOf(m_form->ui.PlayerContent_listView), QStringList{"clip.mpg|       1| mirror||"});
        QCOMPARE(contents(), QStringList{"clip.mpg"});

        m_form->ui.Player_iconView->setCurrentItem(nullptr);
        m_form->DownloadFile(nested);
        QCOMPARE(boxes(*m_prompts).last(), "Information | File transfer | No player is selected.");
    }

    void urlTransferDisplay()
    {
        QProgressBar* bar = m_form->ui.Xfer_progressBar;
        m_form->SLT_progressbar_update(30, 120, {UrlOperation::Get});
        QCOMPARE(m_form->ui.xfer_filename_textLabel->text(), "<font color=red>Reading......</font>");
        QCOMPARE(bar->value() * 4, bar->maximum());
        m_form->SLT_progressbar_update(30, -1, {UrlOperation::Put});
        QCOMPARE(m_form->ui.xfer_filename_textLabel->text(), "<font color=red>Writing......</font>");
        QCOMPARE(bar->maximum(), 0);

        m_form->SLT_URL_op_finished({UrlOperation::Get, true, 5});  // not a put: ignored
        m_form->SLT_URL_op_finished({UrlOperation::Put, true, 5});
        QVERIFY(m_form->ui.xfer_filename_textLabel->text().isEmpty());
        m_form->ui.Player_iconView->setCurrentItem(nullptr);
        m_form->SLT_URL_op_finished({UrlOperation::Put, false, 0});
        QCOMPARE(boxes(*m_prompts), QStringList({"Information | File transfer | File transfer failed, erro code = 5",
                                                 "Information | File transfer | File transfer completed, but there is "
                                                 "no selected player."}));
    }

    void copyRunsFromTheEventLoop_data()
    {
        QTest::addColumn<QString>("ending");
        QTest::newRow("complete") << "complete";
        QTest::newRow("aborted") << "aborted";
        QTest::newRow("disk full") << "disk full";
        QTest::newRow("source missing") << "source missing";
    }
    void copyRunsFromTheEventLoop()
    {
        QFETCH(QString, ending);
        QByteArray big(24 * 1024 * 1024, 'v');
        big[big.size() / 2] = 'x';
        QVERIFY(ending == "source missing" || writeFile(repository("big.mpg"), big));
        QVERIFY(writeFile(m_contents + "/big.mpg", "earlier copy"));
        QProgressBar* bar = m_form->ui.Xfer_progressBar;
        QList<int> values;
        connect(bar, &QProgressBar::valueChanged, this, [&](int value) {
            values.append(value);
            if (ending == "aborted" && value > 0 && value < bar->maximum())
                m_form->ui.AbortXfer_pushButton->click();
        });
        std::optional<FileSizeLimit> limit;
        if (ending == "disk full")
            limit.emplace(1024 * 1024);

        m_form->DownloadFile(row("big.mpg"));
        // Nothing is copied before the event loop runs, and the abort button is offered.
        QCOMPARE(readFile(m_contents + "/big.mpg"), QByteArray("earlier copy"));
        QVERIFY(!m_form->ui.AbortXfer_pushButton->isHidden());
        m_form->ui.AbortXfer_pushButton->hide();  // as a click on the player does; progress shows it again
        QTRY_VERIFY_WITH_TIMEOUT(!m_prompts->messages.isEmpty()
                                     || (!values.isEmpty() && contents().size() == 1
                                         && (ending != "complete" || readFile(m_contents + "/big.mpg") == big)),
                                 20000);
        QTest::qWait(100);
        limit.reset();
        QCOMPARE(contents(), QStringList{"big.mpg"});  // no scratch file left
        QCOMPARE(m_form->ui.AbortXfer_pushButton->isHidden(), ending == "source missing");
        QVERIFY(ending == "source missing"
                || std::any_of(values.begin(), values.end(), [&](int value) { return value > 0 && value < bar->maximum(); }));
        if (ending == "complete") {
            QCOMPARE(readFile(m_contents + "/big.mpg"), big);
            QCOMPARE(bar->value(), -1);  // reset at the end
        } else {
            QCOMPARE(readFile(m_contents + "/big.mpg"), QByteArray("earlier copy"));
        }
        const QString told = "Information | File transfer | The file was not copied to " + m_contents
                             + "/big.mpg; an earlier file of that name is unchanged.\n";
        QCOMPARE(boxes(*m_prompts).value(0).left(told.size()), ending.contains(" ") ? told : QString());
    }
};

QTEST_MAIN(TestTransfer)
#include "tst_transfer.moc"
