// What the window does with the players controller's choices: the panes
// follow a chosen player, the menu's entries reach content and configuration,
// and replies reach the parts that asked for them.

#include "window/kvo_form.h"

#include "config/configcontroller.h"
#include "players/commandchannel.h"
#include "players/playeritem.h"
#include "players/playerscontroller.h"
#include "core/ftptransfer.h"
#include "ui/prompts.h"
#include "ui/transferprogress.h"

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
    NetworkCommands& network = m_config->network();
    DisplayCommands& display = m_config->display();
    SchedulerCommands& scheduler = m_config->scheduler();
    TickerCommands& ticker = m_config->ticker();
    LogCommands& logs = m_config->logs();
    m_players->setMenuAction(2, [&network](PlayerItem* item, const QPoint&) { network.openNetworkDialog(item); });
    m_players->setMenuAction(3, [&display](PlayerItem* item, const QPoint& pos) { display.VideoModeMenu(item, pos); });
    m_players->setMenuAction(11, [&display](PlayerItem* item, const QPoint& pos) { display.ScreenLayoutMenu(item, pos); });
    m_players->setMenuAction(14, [&display](PlayerItem* item, const QPoint&) { display.openScaleWindowDialog(item); });
    m_players->setMenuAction(24, [&display](PlayerItem* item, const QPoint&) { display.openVolumeDialog(item); });
    m_players->setMenuAction(12, [&scheduler](PlayerItem* item, const QPoint&) { scheduler.openSchedulerDialog(item); });
    m_players->setMenuAction(6, [&ticker](PlayerItem* item, const QPoint&) { ticker.openTickerDialog(item); });
    m_players->setMenuAction(4, [this](PlayerItem* item, const QPoint&) { m_players->FirmwareVersion(item); });
    m_players->setMenuAction(9, [&logs](PlayerItem* item, const QPoint&) { logs.openWatchdogDialog(item); });
    m_players->setMenuAction(10, [&logs](PlayerItem* item, const QPoint&) { logs.openLogDialog(item); });
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

void kvo_Form::handleReply(const QString& method, PlayerItem*, const QVariant& result)
{
    switch (replyBranch(method)) {
    case ReplyBranch::GetMediaFileList:
        fillStorageFromReply(result);
        break;
    case ReplyBranch::GetList:
        fillPlaylistFromReply(result);
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
        connect(item->ftp(), &FtpTransfer::dataTransferProgress, bar,
                [bar](qint64 done, qint64 total) { showTransferProgress(bar, done, total); });
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
