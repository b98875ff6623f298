// What each entry of the player menu does: the players controller runs the
// menu on the player it was opened for; the entries reach the controller that
// owns the action, with that player.

#include "window/kvo_form.h"

#include "config/configcontroller.h"
#include "content/contentcontroller.h"
#include "content/virtualplayers.h"
#include "players/playeritem.h"
#include "players/playerscontroller.h"

void kvo_Form::connectPlayerMenu()
{
    NetworkCommands& network = m_config->network();
    DisplayCommands& display = m_config->display();
    SchedulerCommands& scheduler = m_config->scheduler();
    TickerCommands& ticker = m_config->ticker();
    LogCommands& logs = m_config->logs();
    PlayersController* players = m_players;
    ContentController* content = m_content;
    const auto add = [players](int id, PlayersController::MenuAction action) {
        players->setMenuAction(id, std::move(action));
    };
    add(0, [content](PlayerItem* item, const QPoint&) { content->refreshPlayerContents(item); });
    add(1, [players, content](PlayerItem* item, const QPoint&) {
        if (item->isVirtual())
            content->virtualPlayers()->ShowVirtualStorageSpace(item);
        else
            players->showStorageReport(item);
    });
    add(2, [&network](PlayerItem* item, const QPoint&) { network.openNetworkDialog(item); });
    add(3, [&display](PlayerItem* item, const QPoint& pos) { display.VideoModeMenu(item, pos); });
    add(11, [&display](PlayerItem* item, const QPoint& pos) { display.ScreenLayoutMenu(item, pos); });
    add(14, [&display](PlayerItem* item, const QPoint&) { display.openScaleWindowDialog(item); });
    add(24, [&display](PlayerItem* item, const QPoint&) { display.openVolumeDialog(item); });
    add(12, [&scheduler](PlayerItem* item, const QPoint&) { scheduler.openSchedulerDialog(item); });
    add(6, [&ticker](PlayerItem* item, const QPoint&) { ticker.openTickerDialog(item); });
    add(4, [players](PlayerItem* item, const QPoint&) { players->FirmwareVersion(item); });
    add(9, [&logs](PlayerItem* item, const QPoint&) { logs.openWatchdogDialog(item); });
    add(10, [&logs](PlayerItem* item, const QPoint&) { logs.openLogDialog(item); });
    add(13, [players](PlayerItem* item, const QPoint&) { players->SleepPlayer(item); });
    add(5, [this](PlayerItem* item, const QPoint&) {
        m_players->Reboot_player(item);
        ui.Xfer_progressBar->reset();
    });
    add(15, [content](PlayerItem* item, const QPoint&) { content->virtualPlayers()->DeleteVirtualPlayer(item); });

    players->setBulkMenuAction(6, [&ticker](const QList<QPointer<PlayerItem>>& selected, const QPoint&) {
        ticker.openTickerDialog(selected);
    });
    connect(&ticker, &TickerCommands::bulkDelivered, players, &PlayersController::reportBulkOutcome);
}
