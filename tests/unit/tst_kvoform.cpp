#include "app/repositorypath.h"
#include "ui/kvo_form.h"
#include "ui/prompts.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLayout>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTranslator>

class TestKvoForm : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();

    void widgetTree_data();
    void widgetTree();
    void layouts_data();
    void layouts();
    void listViewColumns_data();
    void listViewColumns();
    void windowProperties();
    void windowFontKeepsSizeAndWeight();
    void playlistChoices();
    void locationColumnHiddenOnlyInPlaylist();
    void chooserShowsRepositoryPathWithoutReportingIt();
    void operatorChangesRepositoryPath();
    void emptyRepositoryPathIsRefused_data();
    void emptyRepositoryPathIsRefused();
    void layoutPictures();
    void unreadableLayoutPicture();
    void germanCatalogue();

private:
    QTemporaryDir m_workDir;
    QString m_startDir;
};

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

void writeImage(const QString& fileName, QSize size, QColor colour)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    QVERIFY(image.save(fileName, "PNG"));
}

} // namespace

void TestKvoForm::initTestCase()
{
    QVERIFY(m_workDir.isValid());
    m_startDir = QDir::currentPath();
    QVERIFY(QDir::setCurrent(m_workDir.path()));
}

void TestKvoForm::init()
{
    for (const QString& name : QDir().entryList({QStringLiteral("*.png")}, QDir::Files))
        QVERIFY(QFile::remove(name));
    setRepositoryPath(QStringLiteral("/srv/media"));
}

void TestKvoForm::cleanupTestCase()
{
    QDir::setCurrent(m_startDir);
}

void TestKvoForm::widgetTree_data()
{
    QTest::addColumn<QString>("className");
    QTest::addColumn<QString>("parentName");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("toolTip");

    auto row = [](const char* name, const char* className, const char* parent, const QString& text,
                  const QString& toolTip) {
        QTest::newRow(name) << QString::fromLatin1(className) << QString::fromLatin1(parent) << text << toolTip;
    };
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

void TestKvoForm::widgetTree()
{
    QFETCH(QString, className);
    QFETCH(QString, parentName);
    QFETCH(QString, text);
    QFETCH(QString, toolTip);

    kvo_Form form;
    const auto* widget = form.findChild<QWidget*>(QString::fromLatin1(QTest::currentDataTag()));
    QVERIFY(widget);
    QCOMPARE(QString::fromLatin1(widget->metaObject()->className()), className);
    QVERIFY(widget->parentWidget());
    QCOMPARE(widget->parentWidget()->objectName(), parentName);
    QCOMPARE(shownText(widget), text);
    QCOMPARE(widget->toolTip(), toolTip);
}

void TestKvoForm::layouts_data()
{
    QTest::addColumn<QString>("className");
    QTest::addColumn<QString>("ownerName");
    QTest::addColumn<QStringList>("widgets");

    QTest::newRow("kvo_FormLayout") << "QVBoxLayout" << "qt_central_widget"
                                    << QStringList{"splitter6", "Operation_frame"};
    QTest::newRow("Player_frameLayout") << "QGridLayout" << "Player_frame" << QStringList{"Player_groupBox"};
    QTest::newRow("Playlist_frameLayout") << "QGridLayout" << "Playlist_frame" << QStringList{"PlayerContent_groupBox"};
    QTest::newRow("PlayerContent_frameLayout") << "QGridLayout" << "PlayerContent_frame"
                                               << QStringList{"PlayerContent_groupBox_2"};
    QTest::newRow("ServerContents_frameLayout") << "QGridLayout" << "ServerContents_frame"
                                                << QStringList{"ServerContents_groupBox"};
    QTest::newRow("Operation_frameLayout") << "QGridLayout" << "Operation_frame" << QStringList{"Operation_groupBox"};
    QTest::newRow("layout11") << "QHBoxLayout" << "PlayerContent_groupBox"
                              << QStringList{"SaveList_pushButton", "PlayList_pushButton"};
    QTest::newRow("layout5") << "QHBoxLayout" << "PlayerContent_groupBox_2"
                             << QStringList{"DeleteFile_pushButton", "PlaySingle_pushButton", "PlayALL_pushButton"};
    QTest::newRow("layout6") << "QHBoxLayout" << "ServerContents_groupBox"
                             << QStringList{"create_VP_pushButton", "ExtAVin_pushButton", "Refresh_pushButton"};
    QTest::newRow("layout4") << "QHBoxLayout" << "Operation_groupBox"
                             << QStringList{"AbortXfer_pushButton", "Xfer_progressBar"};
}

void TestKvoForm::layouts()
{
    QFETCH(QString, className);
    QFETCH(QString, ownerName);
    QFETCH(QStringList, widgets);

    kvo_Form form;
    const auto* layout = form.findChild<QLayout*>(QString::fromLatin1(QTest::currentDataTag()));
    QVERIFY(layout);
    QCOMPARE(QString::fromLatin1(layout->metaObject()->className()), className);
    QCOMPARE(layout->parentWidget()->objectName(), ownerName);
    QStringList held;
    for (int index = 0; index < layout->count(); ++index) {
        if (QWidget* widget = layout->itemAt(index)->widget())
            held << widget->objectName();
    }
    QCOMPARE(held, widgets);
}

void TestKvoForm::listViewColumns_data()
{
    QTest::addColumn<QStringList>("columns");
    const QStringList playerColumns{"NAME", "SIZE(KB)", "LOCATION", "TYPE", "DURATION"};
    QTest::newRow("Playlist_listView") << playerColumns;
    QTest::newRow("PlayerContent_listView") << playerColumns;
    QTest::newRow("ServerContents_listView") << QStringList{"NAME", "SIZE(KB)", "ATTR", "TYPE", "DURATION"};
}

void TestKvoForm::listViewColumns()
{
    QFETCH(QStringList, columns);

    kvo_Form form;
    const auto* view = form.findChild<QTreeWidget*>(QString::fromLatin1(QTest::currentDataTag()));
    QVERIFY(view);
    QStringList headers;
    for (int column = 0; column < view->columnCount(); ++column)
        headers << view->headerItem()->text(column);
    QCOMPARE(headers, columns);
    QVERIFY(view->allColumnsShowFocus());
    QVERIFY(view->rootIsDecorated());
}

void TestKvoForm::windowProperties()
{
    kvo_Form form;
    QCOMPARE(form.objectName(), QStringLiteral("kvo_Form"));
    QCOMPARE(form.windowTitle(), QStringLiteral("KVO Controller"));
    QVERIFY(form.isWindow());
    QCOMPARE(form.centralWidget(), form.ui.qt_central_widget);
    QCOMPARE(form.menuBar()->objectName(), QStringLiteral("MenuBar"));
    QVERIFY(form.findChild<QStatusBar*>());
    QCOMPARE(form.ui.splitter6->orientation(), Qt::Vertical);
    QCOMPARE(form.ui.splitter3->orientation(), Qt::Horizontal);
    QCOMPARE(form.ui.Player_iconView->viewMode(), QListView::IconMode);
    QCOMPARE(form.ui.Player_iconView->count(), 0);
    QCOMPARE(form.ui.MediaCenter_fileChooser->mode(), FileChooser::Directory);

    const QIcon icon = form.windowIcon();
    QVERIFY(!icon.isNull());
    QVERIFY(icon.availableSizes().contains(QSize(128, 128)));

    kvo_Form named(nullptr, "second_window");
    QCOMPARE(named.objectName(), QStringLiteral("second_window"));
}

void TestKvoForm::windowFontKeepsSizeAndWeight()
{
    const QFont applicationFont = QApplication::font();
    QApplication::setFont(QFont(QStringLiteral("Arial"), 13, QFont::DemiBold));
    {
        kvo_Form form;
        QCOMPARE(form.font().family(), QStringLiteral("Lucida Sans Unicode"));
        QCOMPARE(form.font().pointSize(), 13);
        QCOMPARE(form.font().weight(), QFont::DemiBold);
        QCOMPARE(form.ui.Playlist_comboBox->font().family(), QStringLiteral("Lucida Sans Unicode"));
    }
    QApplication::setFont(applicationFont);
}

void TestKvoForm::playlistChoices()
{
    kvo_Form form;
    const QComboBox* choices = form.ui.Playlist_comboBox;
    QVERIFY(!choices->isEditable());
    QStringList items;
    for (int index = 0; index < choices->count(); ++index)
        items << choices->itemText(index);
    QCOMPARE(items, (QStringList{"MAIN playlist (mixed video/ picture)", "PICTURE playlist 0 (picture only)",
                                 "PICTURE playlist 1 (picture only)", "PICTURE playlist 2 (picture only)"}));
}

void TestKvoForm::locationColumnHiddenOnlyInPlaylist()
{
    kvo_Form form;
    QCOMPARE(form.ui.Playlist_listView->headerItem()->text(2), QStringLiteral("LOCATION"));
    QVERIFY(form.ui.Playlist_listView->isColumnHidden(2));
    QVERIFY(!form.ui.Playlist_listView->isSortingEnabled());
    QCOMPARE(form.ui.PlayerContent_listView->headerItem()->text(2), QStringLiteral("LOCATION"));
    QVERIFY(!form.ui.PlayerContent_listView->isColumnHidden(2));
    for (int column = 0; column < 5; ++column)
        QVERIFY(!form.ui.ServerContents_listView->isColumnHidden(column));
}

void TestKvoForm::chooserShowsRepositoryPathWithoutReportingIt()
{
    // An empty path reported as a change would raise a warning: none may appear.
    ScriptedPrompts prompts;
    setRepositoryPath(QString());
    kvo_Form emptyPathForm;
    QCOMPARE(emptyPathForm.ui.MediaCenter_fileChooser->fileName(), QString());
    QVERIFY(prompts.messages.isEmpty());

    setRepositoryPath(QStringLiteral("/srv/media"));
    kvo_Form form;
    QCOMPARE(form.ui.MediaCenter_fileChooser->fileName(), QStringLiteral("/srv/media"));
    QVERIFY(prompts.messages.isEmpty());
}

void TestKvoForm::operatorChangesRepositoryPath()
{
    kvo_Form form;
    QLineEdit* field = form.ui.MediaCenter_fileChooser->lineEdit();
    field->clear();
    QTest::keyClicks(field, QStringLiteral("/data/signage"));
    QTest::keyClick(field, Qt::Key_Return);
    QCOMPARE(repositoryPath(), QStringLiteral("/data/signage"));

    // Only the operator's changes count, not the program's.
    form.ui.MediaCenter_fileChooser->setFileName(QStringLiteral("/elsewhere"));
    QCOMPARE(repositoryPath(), QStringLiteral("/data/signage"));
}

void TestKvoForm::emptyRepositoryPathIsRefused_data()
{
    QTest::addColumn<QString>("typed");
    QTest::newRow("empty") << QString();
    QTest::newRow("blanks") << QStringLiteral("   ");
}

void TestKvoForm::emptyRepositoryPathIsRefused()
{
    QFETCH(QString, typed);

    ScriptedPrompts prompts;
    kvo_Form form;
    QLineEdit* field = form.ui.MediaCenter_fileChooser->lineEdit();
    field->clear();
    QTest::keyClicks(field, typed);
    QTest::keyClick(field, Qt::Key_Return);

    QCOMPARE(repositoryPath(), QStringLiteral("/srv/media"));
    QCOMPARE(form.ui.MediaCenter_fileChooser->fileName(), QStringLiteral("/srv/media"));
    QCOMPARE(prompts.messages.size(), 1);
    QCOMPARE(prompts.messages.first().kind, Prompts::Kind::Warning);
    QCOMPARE(prompts.messages.first().title, QStringLiteral("Content Repository"));
    QCOMPARE(prompts.messages.first().text,
             QStringLiteral("The content repository path must not be empty. It remains \"/srv/media\"."));
}

void TestKvoForm::layoutPictures()
{
    // Every file but layout3.png, in sizes and shapes unlike the targets.
    for (int index = 0; index < kvo_Form::layoutPictureCount; ++index) {
        if (index == 3)
            continue;
        const QSize size = index % 2 ? QSize(300, 300) : QSize(640, 90);
        writeImage(QStringLiteral("layout%1.png").arg(index), size, QColor::fromHsv(index * 30, 200, 200));
    }

    kvo_Form form;
    for (int index = 0; index < kvo_Form::layoutPictureCount; ++index) {
        const QPixmap picture = form.layoutPicture(index);
        if (index == 3) {
            QVERIFY(picture.isNull());
            continue;
        }
        const QSize expected = index >= 8 ? QSize(64, 114) : QSize(114, 64);
        QCOMPARE(picture.size(), expected);
        const QImage image = picture.toImage();
        QCOMPARE(image.pixel(image.width() / 2, image.height() / 2), QColor::fromHsv(index * 30, 200, 200).rgb());
    }
    QVERIFY(form.layoutPicture(-1).isNull());
    QVERIFY(form.layoutPicture(kvo_Form::layoutPictureCount).isNull());
}

void TestKvoForm::unreadableLayoutPicture()
{
    QFile broken(QStringLiteral("layout4.png"));
    QVERIFY(broken.open(QIODevice::WriteOnly));
    broken.write("\x89PNG\r\n\x1a\n truncated");
    broken.close();
    writeImage(QStringLiteral("layout5.png"), QSize(228, 128), Qt::red);

    kvo_Form form;
    QVERIFY(form.layoutPicture(4).isNull());
    QCOMPARE(form.layoutPicture(5).size(), QSize(114, 64));
}

void TestKvoForm::germanCatalogue()
{
    QTranslator german;
    QVERIFY(german.load(QStringLiteral("kvosvr_de"), QStringLiteral(KVO_BINARY_DIR)));
    QVERIFY(QCoreApplication::installTranslator(&german));
    {
        kvo_Form form;
        QCOMPARE(form.windowTitle(), QStringLiteral("KVO-Steuerung"));
        QCOMPARE(form.ui.Player_groupBox->title(), QStringLiteral("Player online"));
        QCOMPARE(form.ui.PlayerContent_groupBox->title(), QStringLiteral("Wiedergabelisten"));
        QCOMPARE(form.ui.ServerContents_groupBox->title(), QStringLiteral("Serverinhalt"));
        QCOMPARE(form.ui.Playlist_comboBox->itemText(0), QStringLiteral("HAUPT-Wiedergabeliste (Video/ Bild gemischt)"));
        QCOMPARE(form.ui.Refresh_pushButton->text(), QStringLiteral("Serverinhalt\nauffrischen"));
        QCOMPARE(form.ui.Playlist_listView->headerItem()->text(4), QStringLiteral("DAUER"));
        // The path is data, not a text to translate.
        QCOMPARE(form.ui.MediaCenter_fileChooser->fileName(), QStringLiteral("/srv/media"));

        // Removing the catalogue while the window is open puts the original texts back.
        QVERIFY(QCoreApplication::removeTranslator(&german));
        QCoreApplication::sendPostedEvents();
        QCOMPARE(form.windowTitle(), QStringLiteral("KVO Controller"));
        QCOMPARE(form.ui.Operation_groupBox->title(), QStringLiteral("Operation and status"));
        QCOMPARE(form.ui.Playlist_comboBox->count(), 4);
        QCOMPARE(form.ui.MediaCenter_fileChooser->fileName(), QStringLiteral("/srv/media"));
    }
    QCoreApplication::removeTranslator(&german);
}

QTEST_MAIN(TestKvoForm)
#include "tst_kvoform.moc"
