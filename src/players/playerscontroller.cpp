#include "players/playerscontroller.h"

#include "core/displaytext.h"
#include "core/ownaddress.h"
#include "players/bulkoutcome.h"
#include "players/commandchannel.h"
#include "players/playeritem.h"
#include "players/playerregistry.h"
#include "players/registrationrecord.h"
#include "ui/events.h"
#include "ui/prompts.h"
#include "xmlrpc/xrclient.h"

#include <QCursor>
#include <QDateTime>
#include <QFile>
#include <QKeyEvent>
#include <QListWidget>
#include <QMenu>
#include <QPointer>
#include <QTextStream>
#include <QUrl>

#include <limits>
#include <memory>

using namespace RegistrationField;

namespace {

struct MenuEntry {
    const char* text;
    int id;
};

constexpr int separator = -1;

// Real players: fourteen entries in five groups.
constexpr MenuEntry realPlayerEntries[] = {
    {QT_TRANSLATE_NOOP("PlayersController", "Storage space"), 1},
    {QT_TRANSLATE_NOOP("PlayersController", "Network management"), 2},
    {QT_TRANSLATE_NOOP("PlayersController", "Video output selection"), 3},
    {QT_TRANSLATE_NOOP("PlayersController", "Screen layout"), 11},
    {QT_TRANSLATE_NOOP("PlayersController", "Scale window"), 14},
    {nullptr, separator},
    {QT_TRANSLATE_NOOP("PlayersController", "Volume control"), 24},
    {nullptr, separator},
    {QT_TRANSLATE_NOOP("PlayersController", "Event scheduler"), 12},
    {QT_TRANSLATE_NOOP("PlayersController", "Compose new ticker message"), 6},
    {nullptr, separator},
    {QT_TRANSLATE_NOOP("PlayersController", "Refresh player contents"), 0},
    {QT_TRANSLATE_NOOP("PlayersController", "Firmware version"), 4},
    {QT_TRANSLATE_NOOP("PlayersController", "Watchdog timer"), 9},
    {QT_TRANSLATE_NOOP("PlayersController", "LOG management"), 10},
    {nullptr, separator},
    {QT_TRANSLATE_NOOP("PlayersController", "Sleep"), 13},
    {QT_TRANSLATE_NOOP("PlayersController", "Restart/wake player"), 5},
};

// Virtual players: eight entries, no separators.
constexpr MenuEntry virtualPlayerEntries[] = {
    {QT_TRANSLATE_NOOP("PlayersController", "Refresh player contents"), 0},
    {QT_TRANSLATE_NOOP("PlayersController", "Storage space"), 1},
    {QT_TRANSLATE_NOOP("PlayersController", "Network management"), 2},
    {QT_TRANSLATE_NOOP("PlayersController", "Video output selection"), 3},
    {QT_TRANSLATE_NOOP("PlayersController", "Screen layout"), 11},
    {QT_TRANSLATE_NOOP("PlayersController", "Compose new ticker message"), 6},
    {QT_TRANSLATE_NOOP("PlayersController", "Event scheduler"), 12},
    {QT_TRANSLATE_NOOP("PlayersController", "Delete this virtual player"), 15},
};

// Several players: what makes sense for many, in three groups.
constexpr MenuEntry bulkEntries[] = {
    {QT_TRANSLATE_NOOP("PlayersController", "Play all files"), PlayersController::kPlayAllFilesEntry},
    {QT_TRANSLATE_NOOP("PlayersController", "Sleep"), 13},
    {QT_TRANSLATE_NOOP("PlayersController", "Restart/wake player"), 5},
    {nullptr, separator},
    {QT_TRANSLATE_NOOP("PlayersController", "Video output selection"), 3},
    {QT_TRANSLATE_NOOP("PlayersController", "Screen layout"), 11},
    {QT_TRANSLATE_NOOP("PlayersController", "Volume control"), 24},
    {QT_TRANSLATE_NOOP("PlayersController", "Compose new ticker message"), 6},
    {nullptr, separator},
    {QT_TRANSLATE_NOOP("PlayersController", "Firmware version"), 4},
    {QT_TRANSLATE_NOOP("PlayersController", "Storage space"), 1},
    {QT_TRANSLATE_NOOP("PlayersController", "Refresh player contents"), 0},
};

template <size_t N>
void addEntries(QMenu* menu, const MenuEntry (&entries)[N])
{
    for (const MenuEntry& entry : entries) {
        if (entry.id == separator)
            menu->addSeparator();
        else
            menu->addAction(PlayersController::tr(entry.text))->setData(entry.id);
    }
}

// The text between the first and second "=" of a file's first line, trimmed;
// a null string when the file cannot be opened, an empty one when it is empty.
QString firstLineValue(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return QString();
    const QString value = QTextStream(&file).readLine().section(QLatin1Char('='), 1, 1).trimmed();
    return value.isNull() ? QStringLiteral("") : value;
}

void setNetworkFields(PlayerItem* item, const QStringList& record)
{
    item->setLanIp(recordField(record, LanIp));
    item->setWlanIp(recordField(record, WlanIp));
    item->setEssid(recordField(record, Essid));
    item->setWepKey(recordField(record, WepKey));
    item->setServerIp(recordField(record, ServerIp));
    item->setLanDevice(recordField(record, LanDevice));
    item->setWlanDevice(recordField(record, WlanDevice));
    item->setLanGateway(recordField(record, LanGateway));
    item->setLanMask(recordField(record, LanMask));
    item->setWlanGateway(recordField(record, WlanGateway));
    item->setWlanMask(recordField(record, WlanMask));
    item->setDhcp(recordField(record, LanDhcp), QStringLiteral("LAN"));
    item->setDhcp(recordField(record, WlanDhcp), QStringLiteral("WLAN"));
    item->setDmzFlag(recordField(record, DmzFlag));
    item->setDmzIp(recordField(record, DmzIp));
}

} // namespace

PlayerItem* asPlayer(QListWidgetItem* item)
{
    return item && item->type() == PlayerItem::ItemType ? static_cast<PlayerItem*>(item) : nullptr;
}

std::optional<StorageFigures> storageFigures(const QVariant& reply)
{
    if (reply.typeId() != QMetaType::QVariantList)
        return std::nullopt;
    const QVariantList elements = reply.toList();
    if (elements.size() < 2)
        return std::nullopt;
    qint64 figures[2] = {0, 0};
    for (int index = 0; index < 2; ++index) {
        const QVariant& element = elements.at(index);
        const int type = element.typeId();
        bool isNumber = false;
        if (type == QMetaType::Int || type == QMetaType::UInt || type == QMetaType::LongLong
            || type == QMetaType::ULongLong || type == QMetaType::QString)
            figures[index] = element.toString().trimmed().toLongLong(&isNumber);
        if (!isNumber || figures[index] < std::numeric_limits<int>::min()
            || figures[index] > std::numeric_limits<int>::max())
            return std::nullopt;
    }
    if (figures[0] >= 0 && figures[1] > figures[0])
        return std::nullopt;
    return StorageFigures{int(figures[0]), int(figures[1])};
}

QString storageReportText(qint64 totalKb, qint64 availableKb)
{
    // Before any reply the total is 0: its complement -1 keeps the division defined.
    if (totalKb <= 0)
        totalKb = -totalKb - 1;
    if (availableKb < 0)
        availableKb = 0;
    const qint64 percentFull = (totalKb - availableKb) * 100 / totalKb;
    return PlayersController::tr("Total space %1 KB, available %2 KB (%3% Full).")
        .arg(totalKb)
        .arg(availableKb)
        .arg(percentFull);
}

PlayersController::PlayersController(QListWidget* view, QWidget* window, QObject* parent)
    : QObject(parent)
    , m_view(view)
    , m_window(window)
    , m_channel(new CommandChannel(window, this))
{
    connect(m_channel, &CommandChannel::statusMessage, this, &PlayersController::statusMessage);
    connect(m_channel, &CommandChannel::replied, this, &PlayersController::handleReply);
    connect(view, &QListWidget::itemClicked, this, &PlayersController::UpdatePlayerDisplayData);
    view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    view->setSelectionRectVisible(true);
    view->installEventFilter(this);
    connect(view, &QListWidget::itemSelectionChanged, this, &PlayersController::noteSelection);
    view->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(view, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        PlayerManagementMenu(m_view->itemAt(pos), m_view->viewport()->mapToGlobal(pos));
    });
}

PlayerItem* PlayersController::find(const QString& name) const
{
    return PlayerRegistry::of(m_view)->find(name);
}

void PlayersController::setMenuAction(int id, MenuAction action)
{
    m_menuActions.insert(id, std::move(action));
}

void PlayersController::setBulkMenuAction(int id, BulkMenuAction action)
{
    m_bulkMenuActions.insert(id, std::move(action));
}

QList<PlayerItem*> PlayersController::selectedPlayers() const
{
    QList<PlayerItem*> players;
    for (int row = 0; row < m_view->count(); ++row) {
        PlayerItem* player = asPlayer(m_view->item(row));
        if (player && player->isSelected() && !m_view->isRowHidden(row))
            players.append(player);
    }
    return players;
}

int PlayersController::selectedCount() const
{
    // By ranges: a fleet selected with Ctrl+A is one range, however many icons it holds.
    int count = 0;
    for (const QItemSelectionRange& range : m_view->selectionModel()->selection())
        count += range.height();
    return count;
}

bool PlayersController::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_view || event->type() != QEvent::KeyPress
        || !static_cast<QKeyEvent*>(event)->matches(QKeySequence::SelectAll))
        return QObject::eventFilter(watched, event);
    // One range per run of shown icons.
    QItemSelection shown;
    const QAbstractItemModel* model = m_view->model();
    for (int row = 0; row < m_view->count(); ++row) {
        if (m_view->isRowHidden(row))
            continue;
        const int first = row;
        while (row + 1 < m_view->count() && !m_view->isRowHidden(row + 1))
            ++row;
        shown.select(model->index(first, 0), model->index(row, 0));
    }
    m_view->selectionModel()->select(shown, QItemSelectionModel::ClearAndSelect);
    return true;
}

void PlayersController::noteSelection()
{
    // Said while several are selected, and once more when they no longer are,
    // so that the status bar never shows a count that has gone.
    const int count = int(selectedPlayers().size());
    if (count > 1 || m_shownSelectionCount > 1)
        emit statusMessage(count == 1 ? tr("One player selected") : tr("%n players selected", nullptr, count));
    m_shownSelectionCount = count;
}

QString PlayersController::entryText(int id)
{
    for (const MenuEntry& entry : bulkEntries) {
        if (entry.id == id)
            return tr(entry.text);
    }
    for (const MenuEntry& entry : realPlayerEntries) {
        if (entry.id == id)
            return tr(entry.text);
    }
    return QString();
}

void PlayersController::reportBulkOutcome(const BulkOutcome& outcome)
{
    recordBulkOutcome(outcome, true);
}

void PlayersController::reportTabulatedOutcome(const BulkOutcome& outcome)
{
    recordBulkOutcome(outcome, false);
}

void PlayersController::recordBulkOutcome(const BulkOutcome& outcome, bool withBox)
{
    for (const auto& [name, reason] : outcome.failures)
        recordEvent(bulkFailureText(outcome.action, name, reason));
    const QString summary = bulkSummaryText(outcome);
    recordEvent(summary);
    emit statusMessage(summary);
    if (!outcome.failures.isEmpty() && withBox)
        showInformation(m_window, outcome.action, summary);
}

void PlayersController::AddNewPlayer(QStringList record)
{
    const QString name = decodePlayerName(recordField(record, Name));
    const QString address = recordField(record, Address);

    // Exact, case-insensitive; virtual players take part too.
    PlayerItem* registered = find(name);
    if (!registered)
        admitPlayer(name, record);
    else if (registered->ipAddress() != address)
        showDuplicateWarning(name, address, registered);
    else
        refreshPlayer(registered, record);
}

void PlayersController::showDuplicateWarning(const QString& name, const QString& address,
                                             const PlayerItem* registered)
{
    const QString key = name + QLatin1Char('\n') + address;
    if (m_openDuplicateWarnings.contains(key))
        return;
    m_openDuplicateWarnings.insert(key);
    events::duplicateRefused(name, address, registered->name(), registered->ipAddress());
    showWarning(m_window, tr("Duplicated Player"),
                tr("A new player (") + name + tr(",") + address + tr(") is trying to connect to this server while (")
                    + registered->name() + tr(",") + registered->ipAddress() + tr(") has already registered.\n")
                    + tr("This connection is ignored."));
    m_openDuplicateWarnings.remove(key);
}

void PlayersController::refreshPlayer(PlayerItem* item, const QStringList& record)
{
    item->setVideoMode(recordField(record, VideoMode));
    setNetworkFields(item, record);
    item->setPowerState(recordField(record, PowerState));
    item->updateLastActive();
    item->setPlaying(recordField(record, Playing));
    // With several players selected, their heartbeats would take turns in the status bar.
    if (item->isSelected() && selectedCount() == 1) {
        emit statusMessage(tr("Player (") + item->name() + tr(") is playing ") + QLatin1Char('"')
                           + recordField(record, Playing) + QLatin1Char('"') + tr(" on ")
                           + recordField(record, VideoMode) + tr("; Last contact at ") + item->lastActiveText());
    }
}

void PlayersController::admitPlayer(const QString& name, const QStringList& record)
{
    auto* item = new PlayerItem(m_view, name, false, false);
    item->setName(name);
    item->setVideoMode(recordField(record, VideoMode));
    item->setIpAddress(recordField(record, Address));
    setNetworkFields(item, record);
    item->setPowerState(recordField(record, PowerState));
    connect(item, &PlayerItem::dead_player, this, &PlayersController::delete_player);

    auto* client = new XRClient(QUrl(playerEndpoint(contactAddress(record))), m_channel,
                                QStringLiteral("xml-rpc_client") + name + QLatin1Char(':')
                                    + recordField(record, Address));
    item->setClient(client);
    m_channel->setClient(name, client);
    item->updateLastActive();
    item->setPlaying(recordField(record, Playing));

    events::playerAdmitted(name, item->ipAddress());
    m_channel->send(item, QStringLiteral("Kivo.SyncDateTime"), {QVariant(QDateTime::currentDateTime())});
}

PlayerItem* PlayersController::addVirtualPlayer(const QString& name, const QString& directory)
{
    if (!m_view->findItems(name, Qt::MatchFixedString).isEmpty())
        return nullptr;
    auto* item = new PlayerItem(m_view, name, true, false);
    item->setName(name);
    item->setVirtualDirectory(directory);
    return item;
}

void PlayersController::discard(PlayerItem* item)
{
    if (!item)
        return;
    emit playerRemoved(item);
    // The view would make a neighbour current when the current item goes, and
    // commands would then reach a player the operator never chose; the other
    // selected players stay selected.
    if (m_view->currentItem() == item)
        m_view->setCurrentItem(nullptr, QItemSelectionModel::NoUpdate);
    delete item;
}

void PlayersController::delete_player(PlayerItem* item)
{
    if (!item)
        return;
    const QString text = QStringLiteral("Player ") + item->name() + QStringLiteral(" goes offline!");
    XRClient* client = item->client();
    discard(item);
    // Nothing sends through a departed player's client: it goes once its
    // calls are answered (a later admission under the name brings a new one).
    if (client)
        m_channel->retire(client);
    emit statusMessage(text);
    events::playerOffline(text);
}

void PlayersController::UpdatePlayerDisplayData(QListWidgetItem* clicked)
{
    // A click that adds to a selection of several leaves the panes with their player.
    PlayerItem* item = asPlayer(clicked);
    if (!item || !item->isSelected() || selectedCount() != 1)
        return;
    if (item->isReal()) {
        m_channel->send(item, QStringLiteral("Kivo.GetScreenLayout"));
    } else {
        const QString videoMode = firstLineValue(item->virtualDirectory() + QStringLiteral("/sys/video.env"));
        item->setVideoMode(videoMode.isNull() ? QStringLiteral("NA") : videoMode);
        bool isNumber = false;
        const int layout =
            firstLineValue(item->virtualDirectory() + QStringLiteral("/sys/screen.env")).toInt(&isNumber);
        item->setScreenLayout(isNumber ? layout : -1);
    }
    emit playerChosen(item);
}

void PlayersController::PlayerManagementMenu(QListWidgetItem* clicked, const QPoint& pos)
{
    // A real player can be removed for silence while the menu is open.
    const QPointer<PlayerItem> item = asPlayer(clicked);
    if (!item)
        return;
    if (item->isSelected()) {
        const QList<PlayerItem*> selected = selectedPlayers();
        if (selected.size() > 1) {
            openBulkMenu(selected, pos);
            return;
        }
    }
    const std::unique_ptr<QMenu> menu(new QMenu(m_window));
    if (item->isVirtual())
        addEntries(menu.get(), virtualPlayerEntries);
    else
        addEntries(menu.get(), realPlayerEntries);

    QAction* chosen = prompts().execMenu(menu.get(), QCursor::pos());
    if (!chosen)
        return;
    if (!item) {
        showWarning(m_window, tr("Operational error"), tr("No player is selected"));
        return;
    }
    if (const MenuAction action = m_menuActions.value(chosen->data().toInt()))
        action(item, pos);
}

void PlayersController::openBulkMenu(const QList<PlayerItem*>& selected, const QPoint& pos)
{
    // Players can go while the menu is open: each is tracked, and the action
    // hears of it as the player it was meant for.
    const QList<QPointer<PlayerItem>> players(selected.cbegin(), selected.cend());
    const std::unique_ptr<QMenu> menu(new QMenu(m_window));
    const QString title = tr("%n players", nullptr, int(players.size()));
    menu->setTitle(title);
    menu->addAction(title)->setEnabled(false);
    menu->addSeparator();
    for (const MenuEntry& entry : bulkEntries) {
        if (entry.id == separator)
            menu->addSeparator();
        else if (m_bulkMenuActions.contains(entry.id))
            menu->addAction(tr(entry.text))->setData(entry.id);
    }
    QAction* chosen = prompts().execMenu(menu.get(), QCursor::pos());
    if (!chosen)
        return;
    if (const BulkMenuAction action = m_bulkMenuActions.value(chosen->data().toInt()))
        action(players, pos);
}

void PlayersController::GetFreeSpace(QListWidgetItem* item)
{
    PlayerItem* player = asPlayer(item);
    if (player && m_channel->client(player->text()))
        m_channel->send(player, QStringLiteral("Kivo.FreeSpace"));
}

void PlayersController::showStorageReport(PlayerItem* player)
{
    // The box shows the figures of the previous reply; this call refreshes them for the next one.
    GetFreeSpace(player);
    showInformation(m_window, tr("Storage space"), storageReportText(player->totalSpace(), player->availableSpace()));
}

void PlayersController::FirmwareVersion(PlayerItem* player)
{
    m_channel->send(player, QStringLiteral("Kivo.FirmwareVersion"));
}

void PlayersController::SleepPlayer(PlayerItem* player)
{
    if (player && m_channel->client(player->text()))
        m_channel->send(player, QStringLiteral("Kivo.Sleep"));
}

void PlayersController::Reboot_player(PlayerItem* player)
{
    // Not recorded: the player restarts and registers anew.
    if (XRClient* client = player->client())
        client->call(QStringLiteral("Kivo.Reboot"), {});
    delete_player(player);
}

void PlayersController::handleReply(const QString& method, PlayerItem* player, const QVariant& result)
{
    switch (replyBranch(method)) {
    case ReplyBranch::FreeSpace:
        // Figures that cannot be true are not kept, so that no box shows them.
        if (const std::optional<StorageFigures> figures = storageFigures(result)) {
            player->setTotalSpace(figures->totalKb);
            player->setAvailableSpace(figures->availableKb);
        } else {
            emit statusMessage(tr("The storage figures of %1 cannot be right; they are not shown.")
                                   .arg(elideForDisplay(player->name(), displaylimit::kValue)));
        }
        break;
    case ReplyBranch::FirmwareVersion:
        // Versions asked of many players are shown in one table.
        if (m_channel->replyIsQuiet())
            break;
        if (result.typeId() != QMetaType::QVariantList) {
            showInformation(m_window, tr("Version information"),
                            tr("The firmware version of %1 could not be read from its reply.")
                                .arg(elideForDisplay(player->name(), displaylimit::kValue)));
            break;
        }
        showInformation(m_window, tr("Version information"),
                        tr("Firmware: %1; Server software: %2")
                            .arg(elideForDisplay(result.toList().value(0).toString(), displaylimit::kValue),
                                 QString::fromLatin1(kVersionText)));
        break;
    default:
        break;
    }
}
