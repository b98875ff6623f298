// The main window's form: every widget with its class, parent, text and tool
// tip, the layouts, the list views, the repository path field, the screen
// layout pictures and the German catalogue.

#include "core/repositorypath.h"
#include "window/kvo_form.h"

#include "../peers/boxes.h"
#include "../peers/scratchdir.h"
#include "../peers/scriptedprompts.h"

#include <QApplication>
#include <QDir>
#include <QLayout>
#include <QLineEdit>
#include <QTest>
#include <QTranslator>

namespace {

QString shownText(const QObject* object)
{
    if (auto* box = qobject_cast<const QGroupBox*>(object))
        return box->title();
    if (auto* button = qobject_cast<const QAbstractButton*>(object))
        return button->text();
    if (auto* label = qobject_cast<const QLabel*>(object))
        return label->text();
    return {};
}

} // namespace

class TestKvoForm : public QObject
{
    Q_OBJECT

private:
    ScratchDirectory m_workDir;

private slots:
    void initTestCase() { QVERIFY(m_workDir.isValid()); }
    void init() { setRepositoryPath("/srv/media"); }

    void widgetTree_data()
    {
        QTest::addColumn<QString>("className");
        QTest::addColumn<QString>("parentName");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("toolTip");
        const auto row = [](const char* name, const char* className, const char* parent, const char* text,
                            const char* toolTip) { QTest::newRow(name) << className << parent << text << toolTip; };
        row("qt_central_widget", "QWidget", "kvo_Form", "", "");
        row("splitter6", "QSplitter", "qt_central_widget", "", "");
        row("Player_frame", "QFrame", "splitter6", "", "");
        row("Player_groupBox", "QGroupBox", "Player_frame", "Players on line", "List of KVO players that are online.");
        row("Player_iconView", "QListWidget", "Player_groupBox", "", "");
        row("splitter3", "QSplitter", "splitter6", "", "");
        row("Playlist_frame", "QFrame", "splitter3", "", "");
        row("PlayerContent_groupBox", "QGroupBox", "Playlist_frame", "Playlists", "The playlist of the chosen KVO player.");
        row("Playlist_comboBox", "QComboBox", "PlayerContent_groupBox", "", "");
        row("Playlist_listView", "QTreeWidget", "PlayerContent_groupBox", "", "show current playlist content");
        row("SaveList_pushButton", "QPushButton", "PlayerContent_groupBox", "Save\nthis list", "Save the current playlist");
        row("PlayList_pushButton", "QPushButton", "PlayerContent_groupBox", "Re-Play\nthis list",
            "Save and then play the newly created playlist");
        row("PlayerContent_frame", "QFrame", "splitter3", "", "");
        row("PlayerContent_groupBox_2", "QGroupBox", "PlayerContent_frame", "Player Storage Content",
            "The playlist of the chosen KVO player.");
        row("PlayerContent_listView", "QTreeWidget", "PlayerContent_groupBox_2", "", "");
        row("DeleteFile_pushButton", "QPushButton", "PlayerContent_groupBox_2", "Delete\nFile", "Delete selected playlist item");
        row("PlaySingle_pushButton", "QPushButton", "PlayerContent_groupBox_2", "Play\nfile", "Play the selected file repeatedly");
        row("PlayALL_pushButton", "QPushButton", "PlayerContent_groupBox_2", "Play\nall files",
            "Play all files in the player's storage at file order.");
        row("ServerContents_frame", "QFrame", "splitter3", "", "");
        row("ServerContents_groupBox", "QGroupBox", "ServerContents_frame", "Server Content", "The media files on this server");
        row("Content_Repository_textLabel", "QLabel", "ServerContents_groupBox", "Content Repository:", "");
        row("MediaCenter_fileChooser", "FileChooser", "ServerContents_groupBox", "", "");
        row("ServerContents_listView", "QTreeWidget", "ServerContents_groupBox", "", "");
        row("create_VP_pushButton", "QPushButton", "ServerContents_groupBox", "Create\nVirtual \nPlayer", "");
        row("ExtAVin_pushButton", "QPushButton", "ServerContents_groupBox", "Create\nExt\nAV in", "");
        row("Refresh_pushButton", "QPushButton", "ServerContents_groupBox", "Refresh\nServer\nContents",
            "Refresh the server file list");
        row("Operation_frame", "QFrame", "qt_central_widget", "", "");
        row("Operation_groupBox", "QGroupBox", "Operation_frame", "Operation and status", "");
        row("xfer_filename_textLabel", "QLabel", "Operation_groupBox", "", "");
        row("AbortXfer_pushButton", "QPushButton", "Operation_groupBox", "Abort Xfer", "Abort the file transfer immediately");
        row("Xfer_progressBar", "QProgressBar", "Operation_groupBox", "", "Show the progress of the file transfer");
    }
    void widgetTree()
    {
        QFETCH(QString, className);
        QFETCH(QString, parentName);
        QFETCH(QString, text);
        QFETCH(QString, toolTip);
        kvo_Form form;
        const auto* widget = form.findChild<QWidget*>(QTest::currentDataTag());
        QVERIFY(widget && widget->parentWidget());
        QCOMPARE(QString(widget->metaObject()->className()), className);
        QCOMPARE(widget->parentWidget()->objectName(), parentName);
        QCOMPARE(shownText(widget), text);
        QCOMPARE(widget->toolTip(), toolTip);
    }

    void layouts_data()
    {
        QTest::addColumn<QString>("className");
        QTest::addColumn<QString>("ownerName");
        QTest::addColumn<QStringList>("widgets");
        const auto row = [](const char* name, const char* className, const char* owner, const QStringList& widgets) {
            QTest::newRow(name) << className << owner << widgets;
        };
        row("kvo_FormLayout", "QVBoxLayout", "qt_central_widget", {"splitter6", "Operation_frame"});
        row("Player_frameLayout", "QGridLayout", "Player_frame", {"Player_groupBox"});
        row("Playlist_frameLayout", "QGridLayout", "Playlist_frame", {"PlayerContent_groupBox"});
        row("PlayerContent_frameLayout", "QGridLayout", "PlayerContent_frame", {"PlayerContent_groupBox_2"});
        row("ServerContents_frameLayout", "QGridLayout", "ServerContents_frame", {"ServerContents_groupBox"});
        row("Operation_frameLayout", "QGridLayout", "Operation_frame", {"Operation_groupBox"});
        row("layout11", "QHBoxLayout", "PlayerContent_groupBox", {"SaveList_pushButton", "PlayList_pushButton"});
        row("layout5", "QHBoxLayout", "PlayerContent_groupBox_2",
            {"DeleteFile_pushButton", "PlaySingle_pushButton", "PlayALL_pushButton"});
        row("layout6", "QHBoxLayout", "ServerContents_groupBox",
            {"create_VP_pushButton", "ExtAVin_pushButton", "Refresh_pushButton"});
        row("layout4", "QHBoxLayout", "Operation_groupBox", {"AbortXfer_pushButton", "Xfer_progressBar"});
    }
    void layouts()
    {
        QFETCH(QString, className);
        QFETCH(QString, ownerName);
        QFETCH(QStringList, widgets);
        kvo_Form form;
        const auto* layout = form.findChild<QLayout*>(QTest::currentDataTag());
        QVERIFY(layout);
        QCOMPARE(QString(layout->metaObject()->className()), className);
        QCOMPARE(layout->parentWidget()->objectName(), ownerName);
        QStringList held;
        for (int index = 0; index < layout->count(); ++index)
            if (QWidget* widget = layout->itemAt(index)->widget())
                held << widget->objectName();
        QCOMPARE(held, widgets);
    }

    void listViews_data()
    {
        QTest::addColumn<QStringList>("columns");
        QTest::addColumn<bool>("locationHidden");
        const QStringList playerColumns{"NAME", "SIZE(KB)", "LOCATION", "TYPE", "DURATION"};
        QTest::newRow("Playlist_listView") << playerColumns << true;
        QTest::newRow("PlayerContent_listView") << playerColumns << false;
        QTest::newRow("ServerContents_listView") << QStringList{"NAME", "SIZE(KB)", "ATTR", "TYPE", "DURATION"} << false;
    }
    void listViews()
    {
        QFETCH(QStringList, columns);
        QFETCH(bool, locationHidden);
        kvo_Form form;
        const auto* view = form.findChild<QTreeWidget*>(QTest::currentDataTag());
        QVERIFY(view);
        QStringList headers, hidden;
        for (int column = 0; column < view->columnCount(); ++column) {
            headers << view->headerItem()->text(column);
            if (view->isColumnHidden(column))
                hidden << headers.last();
        }
        QCOMPARE(headers, columns);
        QCOMPARE(hidden, locationHidden ? QStringList{"LOCATION"} : QStringList());
        QVERIFY(view->allColumnsShowFocus() && view->rootIsDecorated());
    }

    void windowProperties()
    {
        kvo_Form form;
        QCOMPARE(form.objectName(), QString("kvo_Form"));
        QCOMPARE(form.windowTitle(), QString("KVO Controller"));
        QVERIFY(form.isWindow());
        QCOMPARE(form.centralWidget(), form.ui.qt_central_widget);
        QCOMPARE(form.menuBar()->objectName(), QString("MenuBar"));
        QVERIFY(form.findChild<QStatusBar*>());
        QCOMPARE(form.ui.splitter6->orientation(), Qt::Vertical);
        QCOMPARE(form.ui.splitter3->orientation(), Qt::Horizontal);
        QCOMPARE(form.ui.Player_iconView->viewMode(), QListView::IconMode);
        QCOMPARE(form.ui.Player_iconView->count(), 0);
        QCOMPARE(form.ui.MediaCenter_fileChooser->mode(), FileChooser::Directory);
        QVERIFY(!form.ui.Playlist_listView->isSortingEnabled()); // rows stay in the player's order
        QVERIFY(form.windowIcon().availableSizes().contains(QSize(128, 128)));
        QVERIFY(!form.ui.Playlist_comboBox->isEditable());
        QStringList choices;
        for (int index = 0; index < form.ui.Playlist_comboBox->count(); ++index)
            choices << form.ui.Playlist_comboBox->itemText(index);
        QCOMPARE(choices, (QStringList{"MAIN playlist (mixed video/ picture)", "PICTURE playlist 0 (picture only)",
                                       "PICTURE playlist 1 (picture only)", "PICTURE playlist 2 (picture only)"}));
        QCOMPARE(kvo_Form(nullptr, "second_window").objectName(), QString("second_window"));
    }

    void windowFontKeepsSizeAndWeight()
    {
        const QFont applicationFont = QApplication::font();
        QApplication::setFont(QFont("Arial", 13, QFont::DemiBold));
        {
            kvo_Form form;
            QCOMPARE(form.font().family(), QString("Lucida Sans Unicode"));
            QCOMPARE(form.font().pointSize(), 13);
            QCOMPARE(form.font().weight(), QFont::DemiBold);
            QCOMPARE(form.ui.Playlist_comboBox->font().family(), QString("Lucida Sans Unicode"));
        }
        QApplication::setFont(applicationFont);
    }

    void repositoryPathIsShownWithoutBeingReported()
    {
        // An empty path reported as a change would raise a warning: none may appear.
        ScriptedPrompts prompts;
        setRepositoryPath(QString());
        QCOMPARE(kvo_Form().ui.MediaCenter_fileChooser->fileName(), QString());
        setRepositoryPath("/srv/media");
        QCOMPARE(kvo_Form().ui.MediaCenter_fileChooser->fileName(), QString("/srv/media"));
        QVERIFY(prompts.messages.isEmpty());
    }

    void operatorEditsRepositoryPath_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("kept");
        QTest::addColumn<QStringList>("shown");
        const QStringList refused{"Warning | Content Repository | The content repository path must not be empty. "
                                  "It remains \"/srv/media\"."};
        QTest::newRow("new path") << "/data/signage" << "/data/signage" << QStringList();
        QTest::newRow("empty") << "" << "/srv/media" << refused;
        QTest::newRow("blanks") << "   " << "/srv/media" << refused;
    }
    void operatorEditsRepositoryPath()
    {
        QFETCH(QString, typed);
        QFETCH(QString, kept);
        QFETCH(QStringList, shown);
        ScriptedPrompts prompts;
        kvo_Form form;
        QLineEdit* field = form.ui.MediaCenter_fileChooser->lineEdit();
        field->clear();
        QTest::keyClicks(field, typed);
        QTest::keyClick(field, Qt::Key_Return);
        QCOMPARE(repositoryPath(), kept);
        QCOMPARE(form.ui.MediaCenter_fileChooser->fileName(), kept);
        // "/srv/media" does not exist here: its own warning may show while the refusal is open.
        QCOMPARE(boxes(prompts).filter("| Content Repository |"), shown);
        // Only the operator's changes count, not the program's.
        form.ui.MediaCenter_fileChooser->setFileName("/elsewhere");
        QCOMPARE(repositoryPath(), kept);
    }

    void germanCatalogue()
    {
        QTranslator german;
        QVERIFY(german.load("kvosvr_de", KVO_BINARY_DIR));
        QVERIFY(QCoreApplication::installTranslator(&german));
        ScriptedPrompts prompts;  // answers the missing-repository warning
        kvo_Form form;
        QCOMPARE(form.windowTitle(), QString("KVO-Steuerung"));
        QCOMPARE(form.ui.Player_groupBox->title(), QString("Player online"));
        QCOMPARE(form.ui.PlayerContent_groupBox->title(), QString("Wiedergabelisten"));
        QCOMPARE(form.ui.ServerContents_groupBox->title(), QString("Serverinhalt"));
        QCOMPARE(form.ui.Playlist_comboBox->itemText(0), QString("HAUPT-Wiedergabeliste (Video/ Bild gemischt)"));
        QCOMPARE(form.ui.Refresh_pushButton->text(), QString("Serverinhalt\nauffrischen"));
        QCOMPARE(form.ui.Playlist_listView->headerItem()->text(4), QString("DAUER"));
        // The path is data, not a text to translate.
        QCOMPARE(form.ui.MediaCenter_fileChooser->fileName(), QString("/srv/media"));

        // Removing the catalogue while the window is open puts the original texts back.
        QVERIFY(QCoreApplication::removeTranslator(&german));
        QCoreApplication::sendPostedEvents();
        QCOMPARE(form.windowTitle(), QString("KVO Controller"));
        QCOMPARE(form.ui.Operation_groupBox->title(), QString("Operation and status"));
        QCOMPARE(form.ui.Playlist_comboBox->count(), 4);
        QCOMPARE(form.ui.MediaCenter_fileChooser->fileName(), QString("/srv/media"));
    }
};

QTEST_MAIN(TestKvoForm)
#include "tst_kvoform.moc"
