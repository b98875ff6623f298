#include "window/kvo_form.h"

#include "core/repositorypath.h"
#include "core/settings.h"
#include "config/configcontroller.h"
#include "players/commandchannel.h"
#include "players/playeritem.h"
#include "players/playerscontroller.h"
#include "ui/artwork.h"
#include "ui/prompts.h"
#include "xmlrpc/xrclient.h"

#include <QEvent>
#include <QFontMetrics>

#include <iterator>

namespace {

constexpr int playlistLocationColumn = 2;

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
    m_config = new ConfigController({ui.Xfer_progressBar, ui.xfer_filename_textLabel}, m_players, this, this);
    connectWidgets();
    init();
}

kvo_Form::~kvo_Form()
{
    stopBatchServer();
    saveOperatorView();
    // The configuration, then the players go first: the players' clients report
    // faults for calls in flight, which must reach nothing that is half gone.
    delete m_config;
    m_players->channel().disconnect(this);
    delete m_players;
}

CommandChannel& kvo_Form::commandChannel()
{
    return m_players->channel();
}

PlayerItem* kvo_Form::currentPlayer() const
{
    return asPlayer(ui.Player_iconView->currentItem());
}

int kvo_Form::sendCommand(PlayerItem* item, const QString& method, const QVariantList& params)
{
    return commandChannel().send(item, method, params);
}

void kvo_Form::connectWidgets()
{
    connect(m_players, &PlayersController::statusMessage, this, [this](const QString& text) {
        statusBar()->showMessage(text);
    });
    connect(m_config, &ConfigController::statusMessage, this, [this](const QString& text, int timeoutMs) {
        statusBar()->showMessage(text, timeoutMs);
    });
    connect(m_players, &PlayersController::playerChosen, this, &kvo_Form::showChosenPlayer);
    connect(m_players, &PlayersController::playerRemoved, this, &kvo_Form::forgetPlayer);
    connect(&commandChannel(), &CommandChannel::replied, this, &kvo_Form::handleReply);
    connect(ui.PlaySingle_pushButton, &QPushButton::clicked, this, &kvo_Form::PlaySingleButton);
    connect(ui.PlayALL_pushButton, &QPushButton::clicked, this, &kvo_Form::PlayALL);
    connectStorageWidgets();
    // Stored names repaired by the storage listing are renamed on the player too.
    connect(this, &kvo_Form::fix_URL_spaces, this, &kvo_Form::RenameContentFile);
    connectRepositoryWidgets();
    connectPlayerMenu();
}

void kvo_Form::init()
{
    ui.Player_iconView->clear();
    // Playlist rows stay in the order the player keeps them.
    ui.Playlist_listView->setSortingEnabled(false);
    ui.Playlist_listView->setColumnHidden(playlistLocationColumn, true);

    // Connected only after the path is shown, so that showing it is no change.
    ui.MediaCenter_fileChooser->setFileName(repositoryPath());
    connect(ui.MediaCenter_fileChooser, &FileChooser::fileNameChanged, this,
            &kvo_Form::ChangeMediaCenterPath_Slot);
    RefreshServerContents();

    startBatchServer();
}

void kvo_Form::ChangeMediaCenterPath_Slot(const QString& path)
{
    if (path.trimmed().isEmpty()) {
        showWarning(this, tr("Content Repository"),
                    tr("The content repository path must not be empty. It remains \"%1\".").arg(repositoryPath()));
        ui.MediaCenter_fileChooser->setFileName(repositoryPath());
        return;
    }
    setRepositoryPath(path);
    RefreshServerContents();
    saveRepositoryPath(path);
}

void kvo_Form::languageChange()
{
    ui.retranslateUi(this);
    nameOperatorView();
}

void kvo_Form::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange)
        languageChange();
    QMainWindow::changeEvent(event);
}
