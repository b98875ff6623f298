// The player management menu: a right click on a player offers every action
// on it, and the chosen entry opens its dialog or sends its command.

#include "window/kvo_form.h"

#include "players/playeritem.h"
#include "players/playermenu.h"
#include "ui/prompts.h"

#include <QCursor>
#include <QMenu>
#include <QPointer>

#include <memory>

namespace {

struct MenuEntry {
    const char* text;
    int id;
};

constexpr int separator = -1;

// Real players: fourteen entries in five groups.
constexpr MenuEntry realPlayerEntries[] = {
    {QT_TRANSLATE_NOOP("kvo_Form", "Storage space"), 1},
    {QT_TRANSLATE_NOOP("kvo_Form", "Network management"), 2},
    {QT_TRANSLATE_NOOP("kvo_Form", "Video output selection"), 3},
    {QT_TRANSLATE_NOOP("kvo_Form", "Screen layout"), 11},
    {QT_TRANSLATE_NOOP("kvo_Form", "Scale window"), 14},
    {nullptr, separator},
    {QT_TRANSLATE_NOOP("kvo_Form", "Volume control"), 24},
    {nullptr, separator},
    {QT_TRANSLATE_NOOP("kvo_Form", "Event scheduler"), 12},
    {QT_TRANSLATE_NOOP("kvo_Form", "Compose new ticker message"), 6},
    {nullptr, separator},
    {QT_TRANSLATE_NOOP("kvo_Form", "Refresh player contents"), 0},
    {QT_TRANSLATE_NOOP("kvo_Form", "Firmware version"), 4},
    {QT_TRANSLATE_NOOP("kvo_Form", "Watchdog timer"), 9},
    {QT_TRANSLATE_NOOP("kvo_Form", "LOG management"), 10},
    {nullptr, separator},
    {QT_TRANSLATE_NOOP("kvo_Form", "Sleep"), 13},
    {QT_TRANSLATE_NOOP("kvo_Form", "Restart/wake player"), 5},
};

// Virtual players: eight entries, no separators.
constexpr MenuEntry virtualPlayerEntries[] = {
    {QT_TRANSLATE_NOOP("kvo_Form", "Refresh player contents"), 0},
    {QT_TRANSLATE_NOOP("kvo_Form", "Storage space"), 1},
    {QT_TRANSLATE_NOOP("kvo_Form", "Network management"), 2},
    {QT_TRANSLATE_NOOP("kvo_Form", "Video output selection"), 3},
    {QT_TRANSLATE_NOOP("kvo_Form", "Screen layout"), 11},
    {QT_TRANSLATE_NOOP("kvo_Form", "Compose new ticker message"), 6},
    {QT_TRANSLATE_NOOP("kvo_Form", "Event scheduler"), 12},
    {QT_TRANSLATE_NOOP("kvo_Form", "Delete this virtual player"), 15},
};

template <size_t N>
void addEntries(QMenu* menu, const MenuEntry (&entries)[N])
{
    for (const MenuEntry& entry : entries) {
        if (entry.id == separator)
            menu->addSeparator();
        else
            menu->addAction(kvo_Form::tr(entry.text))->setData(entry.id);
    }
}

} // namespace

QString storageReportText(qint64 totalKb, qint64 availableKb)
{
    // Before any reply the total is 0: its complement -1 keeps the division defined.
    if (totalKb <= 0)
        totalKb = -totalKb - 1;
    if (availableKb < 0)
        availableKb = 0;
    const qint64 percentFull = (totalKb - availableKb) * 100 / totalKb;
    return kvo_Form::tr("Total space %1 KB, available %2 KB (%3% Full).")
        .arg(totalKb)
        .arg(availableKb)
        .arg(percentFull);
}

void kvo_Form::connectPlayerMenu()
{
    ui.Player_iconView->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(ui.Player_iconView, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        PlayerManagementMenu(ui.Player_iconView->itemAt(pos), ui.Player_iconView->viewport()->mapToGlobal(pos));
    });
}

void kvo_Form::PlayerManagementMenu(QListWidgetItem* clicked, const QPoint& pos)
{
    if (!clicked || clicked->type() != PlayerItem::ItemType)
        return;
    // A real player can be removed for silence while the menu is open.
    const QPointer<PlayerItem> item = static_cast<PlayerItem*>(clicked);
    const std::unique_ptr<QMenu> menu(new QMenu(this));
    if (item->isVirtual())
        addEntries(menu.get(), virtualPlayerEntries);
    else
        addEntries(menu.get(), realPlayerEntries);

    QAction* chosen = prompts().execMenu(menu.get(), QCursor::pos());
    if (!chosen)
        return;
    if (!item) {
        showWarning(this, tr("Operational error"), tr("No player is selected"));
        return;
    }
    runPlayerMenuEntry(item, chosen->data().toInt(), pos);
}

void kvo_Form::runPlayerMenuEntry(PlayerItem* item, int id, const QPoint& pos)
{
    switch (id) {
    case 0:
        AddPlayerContent(item);
        break;
    case 1:
        showStorageReport(item);
        break;
    case 2:
        openNetworkDialog(item);
        break;
    case 3:
        VideoModeMenu(item, pos);
        break;
    case 11:
        ScreenLayoutMenu(item, pos);
        break;
    case 14:
        openScaleWindowDialog(item);
        break;
    case 24:
        openVolumeDialog(item);
        break;
    case 12:
        openSchedulerDialog(item);
        break;
    case 6:
        openTickerDialog(item);
        break;
    case 4:
        requestFirmwareVersion(item);
        break;
    case 9:
        openWatchdogDialog(item);
        break;
    case 10:
        openLogDialog(item);
        break;
    case 13:
        SleepPlayer(item);
        break;
    case 5:
        rebootPlayer(item);
        break;
    case 15:
        DeleteVirtualPlayer(item);
        break;
    default:
        break;
    }
}

void kvo_Form::showStorageReport(PlayerItem* item)
{
    if (item->isVirtual()) {
        ShowVirtualStorageSpace(item);
        return;
    }
    // The box shows the figures of the previous reply; this call refreshes them for the next one.
    GetFreeSpace(item);
    showInformation(this, tr("Storage space"), storageReportText(item->totalSpace(), item->availableSpace()));
}
