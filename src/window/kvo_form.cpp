#include "window/kvo_form.h"

#include "config/configcontroller.h"
#include "content/contentcontroller.h"
#include "core/displaytext.h"
#include "players/playerscontroller.h"
#include "ui/artwork.h"

#include <QEvent>
#include <QFontMetrics>

#include <iterator>

namespace {

// Room for a typical file name and the figures beside it; the operator can
// still drag the columns.
void sizeContentColumns(QTreeWidget* view)
{
    static constexpr int characters[] = {20, 9, 10, 10, 10};
    const QFontMetrics metrics(view->font());
    for (int column = 0; column < view->columnCount() && column < int(std::size(characters)); ++column)
        view->setColumnWidth(column, metrics.averageCharWidth() * characters[column] + 2 * metrics.height());
}

} // namespace

kvo_Form::kvo_Form(QWidget* parent, const char* name, Qt::WindowFlags flags)
    : QMainWindow(parent, flags)
{
    setObjectName(name ? QString::fromUtf8(name) : QStringLiteral("kvo_Form"));
    QFont windowFont = font();
    windowFont.setFamily(QStringLiteral("Lucida Sans Unicode"));
    setFont(windowFont);
    setWindowIcon(QPixmap::fromImage(artwork::monitorPicture(128)));

    // setupUi also sets every text, through the same retranslateUi as languageChange().
    ui.setupUi(this);
    for (QTreeWidget* view : {ui.Playlist_listView, ui.PlayerContent_listView, ui.ServerContents_listView})
        sizeContentColumns(view);
    setUpOperatorView();
    m_players = new PlayersController(ui.Player_iconView, this, this);
    m_content = new ContentController({.storageBox = ui.PlayerContent_groupBox_2,
                                       .storageView = ui.PlayerContent_listView,
                                       .deleteFile = ui.DeleteFile_pushButton,
                                       .playFile = ui.PlaySingle_pushButton,
                                       .playAllFiles = ui.PlayALL_pushButton,
                                       .playlistBox = ui.PlayerContent_groupBox,
                                       .playlistChoice = ui.Playlist_comboBox,
                                       .playlistView = ui.Playlist_listView,
                                       .saveList = ui.SaveList_pushButton,
                                       .replayList = ui.PlayList_pushButton,
                                       .repositoryPath = ui.MediaCenter_fileChooser,
                                       .repositoryView = ui.ServerContents_listView,
                                       .createVirtualPlayer = ui.create_VP_pushButton,
                                       .createAVInput = ui.ExtAVin_pushButton,
                                       .refreshRepository = ui.Refresh_pushButton,
                                       .transferLabel = ui.xfer_filename_textLabel,
                                       .transferBar = ui.Xfer_progressBar,
                                       .abortTransfer = ui.AbortXfer_pushButton},
                                      m_players, this, this);
    m_config = new ConfigController({ui.Xfer_progressBar, ui.xfer_filename_textLabel}, m_players, this, this);
    connect(m_players, &PlayersController::statusMessage, this, [this](const QString& text) { showStatus(text, 0); });
    connect(m_content, &ContentController::statusMessage, this, &kvo_Form::showStatus);
    connect(m_config, &ConfigController::statusMessage, this, &kvo_Form::showStatus);
    connectPlayerMenu();
    init();
}

kvo_Form::~kvo_Form()
{
    // The content stops the batch download server and the repository listing;
    // the players go last, after everything their clients' final faults
    // could still reach.
    delete m_content;
    delete m_config;
    saveOperatorView();
    delete m_players;
}

void kvo_Form::init()
{
    ui.Player_iconView->clear();
    m_content->init();
}

void kvo_Form::showStatus(const QString& text, int timeoutMs)
{
    // Lines carry what players send: one line, cut.
    statusBar()->showMessage(elideForDisplay(text, displaylimit::kStatusLine), timeoutMs);
}

void kvo_Form::languageChange()
{
    ui.retranslateUi(this);
    m_content->retranslate();
    nameOperatorView();
}

void kvo_Form::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange)
        languageChange();
    QMainWindow::changeEvent(event);
}
