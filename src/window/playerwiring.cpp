// What the window does with the players controller's choices: the menu's
// entries reach content and configuration, and replies reach the parts that
// asked for them.

#include "window/kvo_form.h"

#include "content/contentcontroller.h"
#include "content/virtualplayers.h"
#include "players/commandchannel.h"
#include "players/playeritem.h"
#include "players/playerscontroller.h"
#include "ui/prompts.h"

void kvo_Form::connectPlayerMenu()
{
    m_players->setMenuAction(0, [this](PlayerItem* item, const QPoint&) { m_content->refreshPlayerContents(item); });
    m_players->setMenuAction(1, [this](PlayerItem* item, const QPoint&) {
        if (item->isVirtual())
            m_content->virtualPlayers()->ShowVirtualStorageSpace(item);
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
    m_players->setMenuAction(15, [this](PlayerItem* item, const QPoint&) {
        m_content->virtualPlayers()->DeleteVirtualPlayer(item);
    });
}

void kvo_Form::handleReply(const QString& method, PlayerItem* owner, const QVariant& result)
{
    switch (replyBranch(method)) {
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

PlayerItem* kvo_Form::currentPlayerOrWarning()
{
    PlayerItem* player = currentPlayer();
    if (!player)
        showWarning(this, tr("Operational error"), tr("No player is selected"));
    return player;
}
