// Playback and status commands of the storage buttons and the player menu.

#include "window/kvo_form.h"

#include "players/playeritem.h"
#include "ui/prompts.h"
#include "xmlrpc/xrclient.h"

namespace {
constexpr int nameColumn = 0;
constexpr int locationColumn = 2;
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
    if (m_commands.isBusy()) {
        showWarning(this, tr("PlayALL"), tr("Command channel to this player is busy, try again later."));
        return;
    }
    sendCommand(player, QStringLiteral("Kivo.PlayALL"));
}

void kvo_Form::SleepPlayer(QListWidgetItem* item)
{
    XRClient* client = item ? m_commands.client(item->text()) : nullptr;
    if (!client)
        return;
    const QString method = QStringLiteral("Kivo.Sleep");
    m_commands.record(client->call(method, {}), method);
}

void kvo_Form::Reboot_player()
{
    if (PlayerItem* player = currentPlayerOrWarning())
        rebootPlayer(player);
}

void kvo_Form::rebootPlayer(PlayerItem* player)
{
    // Not recorded: the player restarts and registers anew.
    if (XRClient* client = player->client())
        client->call(QStringLiteral("Kivo.Reboot"), {});
    delete_player(player);
    ui.Xfer_progressBar->reset();
}

void kvo_Form::FirmwareVersion()
{
    if (PlayerItem* player = currentPlayerOrWarning())
        requestFirmwareVersion(player);
}

void kvo_Form::requestFirmwareVersion(PlayerItem* player)
{
    sendCommand(player, QStringLiteral("Kivo.FirmwareVersion"));
}

void kvo_Form::GetFreeSpace(QListWidgetItem* item)
{
    XRClient* client = item ? m_commands.client(item->text()) : nullptr;
    if (!client)
        return;
    const QString method = QStringLiteral("Kivo.FreeSpace");
    const int id = client->call(method, {});
    m_commands.record(id, method, item->type() == PlayerItem::ItemType ? static_cast<PlayerItem*>(item) : nullptr);
}
