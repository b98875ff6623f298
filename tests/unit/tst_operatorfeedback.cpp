// Every action of the operator ends in something to see: a converted picture is reported and listed, copies
// to virtual players reach the events, a closed events pane comes back and buttons keep to two lines.

#include "content/filetransfers.h"
#include "content/imageconversion.h"
#include "content/transfer.h"
#include "core/displaytext.h"
#include "core/repositorypath.h"
#include "ui/events.h"
#include "window/kvo_form.h"

#include "../peers/contenthost.h"
#include "../peers/scratchdir.h"

#include <QtTest>
#include <QtWidgets>

class TestOperatorFeedback : public QObject
{
    Q_OBJECT

private:
    ScratchDirectory m_dir;

    static QString repository(const QString& relative) { return repositoryPath() + "/" + relative; }
    static QTreeWidgetItem* repositoryRow(const ContentHost& host, const QString& relative)
    {
        QTreeWidgetItem* row = host.widgets.repositoryView->invisibleRootItem();
        for (const QString& name : relative.split('/')) {
            QTreeWidgetItem* parent = row;
            row = nullptr;
            for (int index = 0; index < parent->childCount() && !row; ++index)
                row = parent->child(index)->text(0) == name ? parent->child(index) : nullptr;
            if (!row)
                return nullptr;
        }
        return row;
    }

private slots:
    void init() { QDir(repositoryPath()).removeRecursively(); }

    void suggestedNames_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<int>("choice");
        QTest::addColumn<QString>("suggested");
        QTest::newRow("main video area") << "/m/Pictures/hall.photo.JPG" << int(imageconversion::MainVideo)
                                         << "/m/Pictures/hall.photo_main.png";
        QTest::newRow("picture area, never the source") << "/m/P/wide.jpg" << int(imageconversion::PictureArea)
                                                        << "/m/P/wide_area.jpg";
    }
    void suggestedNames()
    {
        QFETCH(QString, source);
        QFETCH(int, choice);
        QFETCH(QString, suggested);
        QCOMPARE(imageconversion::suggestedName(source, imageconversion::Choice(choice)), suggested);
    }

    void convertedPictureIsListed_data()
    {
        QTest::addColumn<QString>("saved");
        QTest::addColumn<QString>("status");  // the last status line, MEDIA for the repository
        QTest::newRow("beside the source") << "Pictures/wide_main.png" << "Converted picture saved as MEDIA/Pictures/wide_main.png.";
        QTest::newRow("repository root")
            << "wide_main.png" << "MEDIA/wide_main.png is not listed: only the media files in the repository's folders are.";
    }
    void convertedPictureIsListed()
    {
        QFETCH(QString, saved);
        QFETCH(QString, status);
        QImage wide(2048, 1024, QImage::Format_RGB32);
        wide.fill(Qt::darkCyan);
        QVERIFY(QDir().mkpath(repository("Pictures")) && wide.save(repository("Pictures/wide.jpg"), "JPEG"));
        ContentHost host;
        host.content.RefreshServerContents();
        QTRY_VERIFY(repositoryRow(host, "Pictures/wide.jpg"));

        host.prompts.dialogScripts << [](QDialog* dialog) {
            auto* ok = dialog->findChild<QPushButton*>("ImageConversion_buttonOk");
            QVERIFY(!ok->isEnabled());
            dialog->findChild<QRadioButton*>("Main_radioButton")->setChecked(true);
            QVERIFY(ok->isEnabled());
            ok->click();
        };
        host.prompts.fileAnswers << repository(saved);
        emit host.widgets.repositoryView->itemDoubleClicked(repositoryRow(host, "Pictures/wide.jpg"), 0);
        QTRY_COMPARE(QString(host.status).replace(repositoryPath(), "MEDIA"), status);
        QCOMPARE(host.widgets.repositoryView->currentItem(), repositoryRow(host, saved));
        QVERIFY(QFileInfo::exists(repository(saved)));
    }

    void copiesToVirtualPlayersAreEvents_data()
    {
        QTest::addColumn<QString>("outcome");
        QTest::addColumn<QString>("event");
        QTest::newRow("finished") << "finished" << "Copy of clip.mpg to Hall finished";
        QTest::newRow("failed") << "failed"
                                << "Copy of clip.mpg to Hall failed: Can't open file 'MEDIA/MIRRORS/Hall/contents/"
                                   "clip.mpg' for writing: No such file or directory";
        QTest::newRow("aborted") << "aborted" << "Copy of clip.mpg to Hall aborted";
    }
    void copiesToVirtualPlayersAreEvents()
    {
        QFETCH(QString, outcome);
        QFETCH(QString, event);
        QListWidget eventsView;
        const QString logPath = m_dir.filePath("events-" + outcome + ".log");
        EventLog log(&eventsView, logPath);
        QVERIFY(writeFile(repository("Video/clip.mpg"), QByteArray(4 * VirtualCopier::BlockSize, 'v')));
        ContentHost host;
        PlayerItem* hall = host.addVirtualPlayer("Hall", repository("MIRRORS/Hall"));
        if (outcome == "failed")
            QVERIFY(QDir(repository("MIRRORS/Hall/contents")).removeRecursively());
        host.choose(hall);
        auto* folder = new QTreeWidgetItem(host.widgets.repositoryView, {"Video", "", "DIRECTORY"});
        emit host.widgets.repositoryView->itemDoubleClicked(new QTreeWidgetItem(folder, {"clip.mpg", "1", "media"}), 0);
        if (outcome == "aborted")
            host.button("Abort Xfer")->click();
        QTRY_COMPARE(eventsView.count(), 1);
        QCOMPARE(eventsView.item(0)->text().section("  ", 1).replace(repositoryPath(), "MEDIA"), event);
        QFile file(logPath);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(file.readAll()), eventsView.item(0)->text() + "\n");
    }

    void closedEventsPaneComesBack()
    {
        ScriptedPrompts prompts;
        auto form = std::make_unique<kvo_Form>();
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        auto* dock = form->findChild<QDockWidget*>("Events_dockWidget");
        dock->close();
        QVERIFY(!dock->toggleViewAction()->isChecked());

        // Closed when the window closed: closed on the next start, and the menu still offers it.
        form.reset();
        form = std::make_unique<kvo_Form>();
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        dock = form->findChild<QDockWidget*>("Events_dockWidget");
        QVERIFY(dock->isHidden());
        dock->toggleViewAction()->trigger();
        QVERIFY(dock->isVisible());
    }

    void buttonTextsOnTwoLines_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("shown");
        QTest::newRow("two lines stay") << "Save\nthis list" << "Save\nthis list";
        QTest::newRow("blank at a line end") << "Create\nVirtual \nPlayer" << "Create\nVirtual Player";
        QTest::newRow("longer line first") << "Refresh\nServer\nContents" << "Refresh Server\nContents";
        QTest::newRow("four lines, balanced") << "a\nbb\nccc\ndddd" << "a bb\nccc dddd";
    }
    void buttonTextsOnTwoLines()
    {
        QFETCH(QString, text);
        QFETCH(QString, shown);
        QCOMPARE(atMostTwoLines(text), shown);
    }
};

QTEST_MAIN(TestOperatorFeedback)
#include "tst_operatorfeedback.moc"
