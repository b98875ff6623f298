#include "content/storagepane.h"

#include "content/playlists.h"
#include "content/shownplayer.h"
#include "content/storage.h"
#include "core/atomicfile.h"
#include "core/displaytext.h"
#include "players/bulkrun.h"
#include "players/commandchannel.h"
#include "players/playeritem.h"
#include "players/playerscontroller.h"
#include "ui/events.h"
#include "ui/prompts.h"

#include <QDir>
#include <QGroupBox>
#include <QPointer>
#include <QPushButton>
#include <QTreeWidget>

namespace {

// SIZE, TYPE and DURATION of the repository row with that name, else "N/A".
QStringList repositoryFacts(const QHash<QString, QTreeWidgetItem*>& repository, const QString& name)
{
    const QTreeWidgetItem* row = repository.value(name);
    const QString na = QStringLiteral("N/A");
    if (!row)
        return {na, na, na};
    return {row->text(playlist::Size), row->text(playlist::Type), row->text(playlist::Duration)};
}

bool isStoredRow(const QTreeWidgetItem* row)
{
    const QString location = row->text(playlist::Location).trimmed();
    return location == QLatin1String("player") || location == QLatin1String("mirror");
}

} // namespace

StoragePane::StoragePane(const ContentWidgets& widgets, ShownPlayer* shown, PlayersController* players,
                         QWidget* window, QObject* parent)
    : QObject(parent)
    , m_widgets(widgets)
    , m_shown(shown)
    , m_players(players)
    , m_window(window)
{
    connect(widgets.deleteFile, &QPushButton::clicked, this, &StoragePane::DeletePlayerFile);
    connect(widgets.playFile, &QPushButton::clicked, this, &StoragePane::PlaySingleButton);
    connect(widgets.playAllFiles, &QPushButton::clicked, this, &StoragePane::PlayALL);
    connect(&players->channel(), &CommandChannel::replied, this, &StoragePane::handleReply);
    connect(this, &StoragePane::fix_URL_spaces, this, &StoragePane::RenameContentFile);
    // Another player's files never stand under the shown one's name.
    connect(shown, &ShownPlayer::changed, this, [this] {
        m_widgets.storageView->clear();
        retitle();
        AddPlayerContent();
    });
}

void StoragePane::retitle()
{
    const QString player = m_shown->label();
    m_widgets.storageBox->setTitle(player.isEmpty() ? tr("Player Storage Content")
                                                    : tr("Player Storage Content: %1").arg(player));
}

void StoragePane::AddPlayerContent()
{
    PlayerItem* player = m_shown->player();
    if (!player)
        return;
    emit statusMessage(player->text());
    if (player->isReal()) {
        m_widgets.playFile->show();
        m_widgets.playAllFiles->show();
        m_players->GetFreeSpace(player);
        m_players->channel().send(player, QStringLiteral("Kivo.GetMediaFileList"));
        emit statusMessage(storage::freeSpaceText(player->totalSpace(), player->availableSpace()));
        return;
    }
    m_widgets.playFile->hide();
    m_widgets.playAllFiles->hide();
    m_widgets.storageView->clear();
    const QString failure = listVirtualContents(player);
    if (!failure.isEmpty())
        emit statusMessage(failure);
}

void StoragePane::refreshContents(const QList<QPointer<PlayerItem>>& players)
{
    CommandChannel& channel = m_players->channel();
    const auto step = [this, &channel](PlayerItem* player) {
        // The calls of the single entry: the figures and the list.
        if (player->isReal()) {
            constexpr auto quiet = CommandChannel::Delivery::Quiet;
            return BulkRun::Step::sent({channel.send(player, QStringLiteral("Kivo.FreeSpace"), {}, quiet),
                                        channel.send(player, QStringLiteral("Kivo.GetMediaFileList"), {}, quiet)});
        }
        QString failure;
        if (m_shown->is(player)) {
            m_widgets.storageView->clear();
            failure = listVirtualContents(player);
        } else {
            const QString directory = player->virtualDirectory();
            failure = storage::storeContentsList(directory, storage::virtualContentNames(directory));
        }
        return failure.isEmpty() ? BulkRun::Step::done() : BulkRun::Step::failed(failure);
    };
    BulkRun* run = BulkRun::reported(*m_players, PlayersController::entryText(0), players, step);
    run->setReplyReader([](PlayerItem*, const QString& method, const QVariant& result) {
        if (replyBranch(method) == ReplyBranch::GetMediaFileList && result.typeId() != QMetaType::QVariantList)
            return tr("the storage listing could not be read from its reply");
        return QString();
    });
    run->start();
}

QString StoragePane::listVirtualContents(PlayerItem* player)
{
    if (!QDir(player->virtualDirectory() + QStringLiteral("/contents")).exists())
        return QString();
    const QHash<QString, QTreeWidgetItem*> repository = storage::repositoryRowsByName(m_widgets.repositoryView);
    const QStringList names = storage::virtualContentNames(player->virtualDirectory());
    for (const QString& name : names) {
        const QStringList facts = repositoryFacts(repository, name);
        const QString size = facts[0] == QLatin1String("N/A") ? facts[0] : storage::sizeCell(facts[0]);
        new QTreeWidgetItem(m_widgets.storageView, {name, size, QStringLiteral(" mirror"), facts[1], facts[2]});
    }
    return storage::storeContentsList(player->virtualDirectory(), names);
}

void StoragePane::handleReply(const QString& method, PlayerItem* player, const QVariant& result)
{
    // A late listing of a player chosen before fills nothing.
    if (replyBranch(method) == ReplyBranch::GetMediaFileList && m_shown->is(player))
        fillFromReply(player, result);
}

void StoragePane::fillFromReply(const PlayerItem* player, const QVariant& result)
{
    m_widgets.storageView->clear();
    const QString playerName = elideForDisplay(player->name(), displaylimit::kValue);
    if (result.typeId() != QMetaType::QVariantList) {
        emit statusMessage(tr("The storage listing of %1 could not be read from its reply.").arg(playerName));
        return;
    }
    const QHash<QString, QTreeWidgetItem*> repository = storage::repositoryRowsByName(m_widgets.repositoryView);
    ListCap cap;
    for (const QVariant& entry : result.toList()) {
        const QVariantMap file = entry.toMap();
        QString received = file.value(QStringLiteral("name")).toString();
        if (received.isEmpty() || !cap.take(received))
            continue;
        const QStringList facts = repositoryFacts(repository, received);
        QString name = storage::repairedName(received);
        if (name != received)
            emit fix_URL_spaces(received, name);
        new QTreeWidgetItem(m_widgets.storageView,
                            {name,
                             storage::sizeCell(elideForDisplay(file.value(QStringLiteral("size")).toString(),
                                                               displaylimit::kValue)),
                             QStringLiteral("player"), facts[1], facts[2]});
    }
    if (cap.leftOut() > 0) {
        const QString note = leftOutNote(playerName, tr("files"), cap.taken(), cap.leftOut());
        recordEvent(note);
        emit statusMessage(note);
    }
}

void StoragePane::DeletePlayerFile()
{
    const QList<QTreeWidgetItem*> selected = m_widgets.storageView->selectedItems();
    if (selected.isEmpty()) {
        showInformation(m_window, tr("Player File Operation"), tr("No selected file to delete."));
        return;
    }
    if (!isStoredRow(selected.first()))
        return;
    // Taken before the question: the view may be refilled while it is open.
    const QString name = selected.first()->text(playlist::Name);
    const QPointer<PlayerItem> player = m_shown->player();
    const auto answer = showMessage(
        Prompts::Kind::Question, m_window, tr("Player File Operation"),
        tr("This file  will be deleted from player storage.\nIf this file is also an entry in any playlist, the "
           "entry will also be removed.\nDo you really want to delete this file?"),
        QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
    if (answer != QMessageBox::Yes)
        return;
    if (!player) {
        // This box alone is not translated.
        showInformation(m_window, QStringLiteral("Payer File Operation"), QStringLiteral("No Player is selected."));
        return;
    }
    if (player->isReal()) {
        CommandChannel& channel = m_players->channel();
        channel.send(player, QStringLiteral("Kivo.DeleteMediaFile"), {name});
        m_players->GetFreeSpace(player);
        for (int index = 0; index < playlist::Count; ++index)
            channel.send(player, QStringLiteral("Kivo.DeletePlaylistItem"), {playlist::playerPath(index), name});
    } else {
        // Only a plain name of the "contents" folder is removed.
        if (!name.isEmpty() && !name.contains(QLatin1Char('/')) && name != QLatin1String("..")) {
            const QString path = player->virtualDirectory() + QStringLiteral("/contents/") + name;
            if (QFileInfo::exists(path) && !QFile::remove(path))
                showInformation(m_window, tr("Player File Operation"), tr("Fail to delete %1.").arg(path));
        }
        for (int index = 0; index < playlist::Count; ++index)
            DeleteLocalPlaylistItem(player, name, playlist::virtualFile(player->virtualDirectory(), index));
    }
    if (!m_shown->is(player))
        return;
    AddPlayerContent();
    emit fileDeleted();
}

bool StoragePane::DeleteLocalPlaylistItem(PlayerItem* player, QString name, QString playlistFile)
{
    if (!player)
        return false;
    // A playlist never saved holds no entry to remove.
    if (!QFile::exists(playlistFile))
        return false;
    QFile file(playlistFile);
    if (!file.open(QIODevice::ReadOnly) || file.size() > playlist::kMaxFileBytes) {
        showInformation(m_window, tr("Delete playlist item"), tr("Fail to open the playlist file: ") + playlistFile);
        return false;
    }
    const std::optional<QByteArray> kept = playlist::withoutEntry(file.readAll(), name);
    file.close();
    if (!kept)
        return false;
    QString error;
    if (!writeFileAtomically(playlistFile, *kept, &error)) {
        showInformation(m_window, tr("Delete playlist item"),
                        tr("Fail to save the playlist file: %1 (%2). It is unchanged.").arg(playlistFile, error));
        return false;
    }
    return true;
}

void StoragePane::PlaySingleButton()
{
    const QList<QTreeWidgetItem*> selected = m_widgets.storageView->selectedItems();
    if (selected.isEmpty()) {
        showInformation(m_window, tr("Player File Operation"), tr("No file is selected to play."));
        return;
    }
    PlaySingle(selected.first());
}

void StoragePane::PlaySingle(QTreeWidgetItem* row)
{
    if (!row)
        return;
    if (row->text(playlist::Location).trimmed() != QLatin1String("player")) {
        showInformation(m_window, tr("PlaySingle"),
                        row->text(playlist::Name)
                            + tr(" is a local file. It needs to be downloaded to the player first"));
        return;
    }
    if (PlayerItem* player = m_shown->player())
        m_players->channel().send(player, QStringLiteral("Kivo.PlaySingle"), {row->text(playlist::Name)});
}

void StoragePane::PlayALL()
{
    PlayerItem* player = m_shown->player();
    if (!player) {
        showWarning(m_window, tr("Operational error"), tr("No player is selected"));
        return;
    }
    if (m_players->channel().isBusy()) {
        showWarning(m_window, tr("PlayALL"), tr("Command channel to this player is busy, try again later."));
        return;
    }
    m_players->channel().send(player, QStringLiteral("Kivo.PlayALL"));
}

void StoragePane::RenameContentFile(QString& from, QString& to)
{
    PlayerItem* player = m_shown->player();
    if (player && player->isReal())
        m_players->channel().send(player, QStringLiteral("Kivo.RenameContentFile"), {from, to});
}
