#include "content/contentcontroller.h"

#include "content/avinput.h"
#include "content/batchserverprocess.h"
#include "content/filetransfers.h"
#include "content/mediarepository.h"
#include "content/playlistpane.h"
#include "content/shownplayer.h"
#include "content/storagepane.h"
#include "content/virtualplayers.h"
#include "core/repositorypath.h"
#include "core/settings.h"
#include "players/playeritem.h"
#include "players/playerscontroller.h"
#include "ui/filechooser.h"
#include "ui/prompts.h"

#include <QPushButton>

ContentController::ContentController(const ContentWidgets& widgets, PlayersController* players, QWidget* window,
                                     QObject* parent)
    : QObject(parent)
    , m_widgets(widgets)
    , m_window(window)
    , m_shown(new ShownPlayer(this))
    , m_storage(new StoragePane(widgets, m_shown, players, window, this))
    , m_playlist(new PlaylistPane(widgets, m_shown, players, window, this))
    , m_transfers(new FileTransfers(widgets, m_shown, players, window, this))
    , m_virtualPlayers(new VirtualPlayers(players, window, this))
    , m_avInputs(new AVInputItems(window, this))
    , m_repository(new MediaRepository(widgets.repositoryView, window, this))
    , m_batchServer(new BatchServerProcess(window, this))
{
    connect(m_storage, &StoragePane::statusMessage, this, &ContentController::statusMessage);
    connect(m_transfers, &FileTransfers::statusMessage, this, &ContentController::statusMessage);
    connect(m_repository, &MediaRepository::statusMessage, this, &ContentController::statusMessage);
    connect(players, &PlayersController::playerChosen, this, &ContentController::showPlayer);
    connect(players, &PlayersController::playerRemoved, m_shown, &ShownPlayer::forget);
    connect(m_storage, &StoragePane::fileDeleted, m_playlist, qOverload<>(&PlaylistPane::GetPlaylist));
    connect(m_transfers, &FileTransfers::storageChanged, m_storage, &StoragePane::AddPlayerContent);
    connect(m_transfers, &FileTransfers::pictureConverted, m_repository, &MediaRepository::listAndSelect);
    connect(m_avInputs, &AVInputItems::itemSaved, this, &ContentController::RefreshServerContents);
    connect(widgets.refreshRepository, &QPushButton::clicked, this, &ContentController::RefreshServerContents);
    connect(widgets.createVirtualPlayer, &QPushButton::clicked, m_virtualPlayers,
            &VirtualPlayers::create_new_virtual_player);
    connect(widgets.createAVInput, &QPushButton::clicked, m_avInputs, &AVInputItems::CreateExtAVinItem);
    retranslate();
}

void ContentController::init()
{
    // Connected only after the path is shown, so that showing it is no change.
    m_widgets.repositoryPath->setFileName(repositoryPath());
    connect(m_widgets.repositoryPath, &FileChooser::fileNameChanged, this,
            &ContentController::ChangeMediaCenterPath_Slot);
    RefreshServerContents();
    m_batchServer->start(repositoryPath());
}

void ContentController::showPlayer(PlayerItem* player)
{
    m_shown->show(player);
}

void ContentController::refreshPlayerContents(PlayerItem* player)
{
    if (m_shown->is(player))
        m_storage->AddPlayerContent();
    else
        showPlayer(player);
}

void ContentController::RefreshServerContents()
{
    m_repository->ReadMediaRepository();
    m_virtualPlayers->recreate();
}

void ContentController::ChangeMediaCenterPath_Slot(const QString& path)
{
    if (path.trimmed().isEmpty()) {
        showWarning(m_window, tr("Content Repository"),
                    tr("The content repository path must not be empty. It remains \"%1\".").arg(repositoryPath()));
        m_widgets.repositoryPath->setFileName(repositoryPath());
        return;
    }
    setRepositoryPath(path);
    RefreshServerContents();
    // Players pull from the repository shown, not from the one the controller started with.
    m_batchServer->start(path);
    saveRepositoryPath(path);
}

void ContentController::set_wget_progress(QString& ip, QString& progress)
{
    m_transfers->set_wget_progress(ip, progress);
}

void ContentController::retranslate()
{
    m_storage->retitle();
    m_playlist->retitle();
}
