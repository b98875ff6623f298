// What each entry of the player menu and of the bulk menu does: the players
// controller runs the menu on the player (or the players) it was opened for;
// the entries reach the controller that owns the action, with those players.

#include "window/kvo_form.h"

#include "config/configcontroller.h"
#include "content/contentcontroller.h"
#include "content/storagepane.h"
#include "content/virtualplayers.h"
#include "players/bulkcommands.h"
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

    using Selection = QList<QPointer<PlayerItem>>;
    const auto addBulk = [players](int id, PlayersController::BulkMenuAction action) {
        players->setBulkMenuAction(id, std::move(action));
    };
    auto* bulk = new BulkCommands(*players, this, players);
    addBulk(PlayersController::kPlayAllFilesEntry,
            [bulk](const Selection& selected, const QPoint&) { bulk->playAllFiles(selected); });
    addBulk(13, [bulk](const Selection& selected, const QPoint&) { bulk->sleep(selected); });
    addBulk(5, [this, bulk](const Selection& selected, const QPoint&) {
        bulk->restart(selected);
        ui.Xfer_progressBar->reset();
    });
    addBulk(3, [&display, players](const Selection& selected, const QPoint&) {
        display.bulkVideoModeMenu(*players, selected);
    });
    addBulk(11, [&display, players](const Selection& selected, const QPoint&) {
        display.bulkScreenLayoutMenu(*players, selected);
    });
    addBulk(24, [&display, players](const Selection& selected, const QPoint&) {
        display.bulkVolumeDialog(*players, selected);
    });
    addBulk(4, [bulk](const Selection& selected, const QPoint&) { bulk->firmwareVersions(selected); });
    addBulk(1, [bulk](const Selection& selected, const QPoint&) {
        bulk->storageSpace(selected, &VirtualPlayers::virtualStorageReport);
    });
    addBulk(0, [content](const Selection& selected, const QPoint&) { content->storage()->refreshContents(selected); });
    addBulk(6, [&ticker](const Selection& selected, const QPoint&) { ticker.openTickerDialog(selected); });
    connect(&ticker, &TickerCommands::bulkDelivered, players, &PlayersController::reportBulkOutcome);
}
