// What the window does with the players controller's choices: the panes
// follow a chosen player, the menu's entries reach content and configuration,
// and replies reach the parts that asked for them.

#include "window/kvo_form.h"

#include "players/commandchannel.h"
#include "players/playeritem.h"
#include "players/playerscontroller.h"
#include "core/ftptransfer.h"
#include "ui/prompts.h"

#include <limits>

namespace {
constexpr int nameColumn = 0;
constexpr int locationColumn = 2;
}

void kvo_Form::connectPlayerMenu()
{
    m_players->setMenuAction(0, [this](PlayerItem* item, const QPoint&) { AddPlayerContent(item); });
    m_players->setMenuAction(1, [this](PlayerItem* item, const QPoint&) {
        if (item->isVirtual())
            ShowVirtualStorageSpace(item);
        else
            m_players->showStorageReport(item);
    });
    m_players->setMenuAction(2, [this](PlayerItem* item, const QPoint&) { openNetworkDialog(item); });
    m_players->setMenuAction(3, [this](PlayerItem* item, const QPoint& pos) { VideoModeMenu(item, pos); });
    m_players->setMenuAction(11, [this](PlayerItem* item, const QPoint& pos) { ScreenLayoutMenu(item, pos); });
    m_players->setMenuAction(14, [this](PlayerItem* item, const QPoint&) { openScaleWindowDialog(item); });
    m_players->setMenuAction(24, [this](PlayerItem* item, const QPoint&) { openVolumeDialog(item); });
    m_players->setMenuAction(12, [this](PlayerItem* item, const QPoint&) { openSchedulerDialog(item); });
    m_players->setMenuAction(6, [this](PlayerItem* item, const QPoint&) { openTickerDialog(item); });
    m_players->setMenuAction(4, [this](PlayerItem* item, const QPoint&) { m_players->FirmwareVersion(item); });
    m_players->setMenuAction(9, [this](PlayerItem* item, const QPoint&) { openWatchdogDialog(item); });
    m_players->setMenuAction(10, [this](PlayerItem* item, const QPoint&) { openLogDialog(item); });
    m_players->setMenuAction(13, [this](PlayerItem* item, const QPoint&) { m_players->SleepPlayer(item); });
    m_players->setMenuAction(5, [this](PlayerItem* item, const QPoint&) {
        m_players->Reboot_player(item);
        ui.Xfer_progressBar->reset();
    });
    m_players->setMenuAction(15, [this](PlayerItem* item, const QPoint&) { DeleteVirtualPlayer(item); });
}

void kvo_Form::showChosenPlayer(PlayerItem* item)
{
    ui.AbortXfer_pushButton->setVisible(item->isReal());
    AddPlayerContent(item);
    GetPlaylist();
    ui.Xfer_progressBar->reset();
    followTransferProgressOf(item);
}

void kvo_Form::forgetPlayer(PlayerItem* item)
{
    if (item->isSelected() || ui.Player_iconView->currentItem() == item) {
        ui.PlayerContent_listView->clear();
        ui.Playlist_listView->clear();
    }
}

void kvo_Form::handleReply(const QString& method, PlayerItem* owner, const QVariant& result)
{
    switch (replyBranch(method)) {
    case ReplyBranch::GetMediaFileList:
        fillStorageFromReply(result);
        break;
    case ReplyBranch::GetList:
        fillPlaylistFromReply(result);
        break;
    case ReplyBranch::GetLogList:
        showLogListReply(owner, result);
        break;
    case ReplyBranch::GetVolume:
        volumeReply(result);
        break;
    case ReplyBranch::GetCrontab:
        showCrontabReply(owner, result);
        break;
    case ReplyBranch::SetNewTicker:
        showTickerReply();
        break;
    case ReplyBranch::VideoMode:
        videoModeReply();
        break;
    case ReplyBranch::SetScreenLayout:
        screenLayoutSetReply();
        break;
    case ReplyBranch::GetScreenLayout:
        screenLayoutReply(owner, result);
        break;
    case ReplyBranch::SetScaleWindow:
        scaleWindowSetReply();
        break;
    case ReplyBranch::GetScaleWindow:
        scaleWindowReply(result);
        break;
    default:
        break;
    }
}

void kvo_Form::followTransferProgressOf(PlayerItem* selected)
{
    QProgressBar* bar = ui.Xfer_progressBar;
    for (int row = 0; row < ui.Player_iconView->count(); ++row) {
        PlayerItem* item = asPlayer(ui.Player_iconView->item(row));
        if (!item || !item->ftp())
            continue;
        // Also for the selected item, so that repeated clicks never connect twice.
        disconnect(item->ftp(), &FtpTransfer::dataTransferProgress, nullptr, nullptr);
        if (item != selected)
            continue;
        connect(item->ftp(), &FtpTransfer::dataTransferProgress, bar, [bar](qint64 done, qint64 total) {
            // A progress bar counts in int: large files move it in KiB.
            const int shift = total > std::numeric_limits<int>::max() ? 10 : 0;
            bar->setRange(0, int(total >> shift));
            bar->setValue(int(done >> shift));
        });
    }
}

PlayerItem* kvo_Form::currentPlayerOrWarning()
{
    PlayerItem* player = currentPlayer();
    if (!player)
        showWarning(this, tr("Operational error"), tr("No player is selected"));
    return player;
}

void kvo_Form::PlaySingleButton()
{
    const QList<QTreeWidgetItem*> selected = ui.PlayerContent_listView->selectedItems();
    if (selected.isEmpty()) {
        showInformation(this, tr("Player File Operation"), tr("No file is selected to play."));
        return;
    }
    PlaySingle(selected.first());
}

void kvo_Form::PlaySingle(QTreeWidgetItem* row)
{
    if (!row)
        return;
    if (row->text(locationColumn).trimmed() != QLatin1String("player")) {
        showInformation(this, tr("PlaySingle"),
                        row->text(nameColumn) + tr(" is a local file. It needs to be downloaded to the player first"));
        return;
    }
    PlayerItem* player = currentPlayer();
    if (!player || player->text().isEmpty())
        return;
    sendCommand(player, QStringLiteral("Kivo.PlaySingle"), {row->text(nameColumn)});
}

void kvo_Form::PlayALL()
{
    PlayerItem* player = currentPlayerOrWarning();
    if (!player)
        return;
    if (commandChannel().isBusy()) {
        showWarning(this, tr("PlayALL"), tr("Command channel to this player is busy, try again later."));
        return;
    }
    sendCommand(player, QStringLiteral("Kivo.PlayALL"));
}
