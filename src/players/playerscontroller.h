#pragma once

// The players on line: admission of registering players and their liveness,
// the command channel to them, the status commands of the player menu and the
// menu itself. The players view is the only widget it owns the content of;
// what the menu's entries do for content and configuration is registered by
// the window.

#include <QHash>
#include <QList>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <optional>

struct BulkOutcome;
class CommandChannel;
class PlayerItem;
class QListWidget;
class QListWidgetItem;
class QWidget;

class PlayersController : public QObject
{
    Q_OBJECT
public:
    // view: the players view; window: the parent of boxes and menus.
    PlayersController(QListWidget* view, QWidget* window, QObject* parent = nullptr);

    CommandChannel& channel() { return *m_channel; }
    QListWidget* view() const { return m_view; }
    // The player listed under name (case-insensitively), or null.
    PlayerItem* find(const QString& name) const;

    // A virtual player's item for a directory; null when the name is taken.
    PlayerItem* addVirtualPlayer(const QString& name, const QString& directory);
    // Removes an item the operator has done with (a deleted virtual player).
    void discard(PlayerItem* item);

    // What a menu entry does; the window registers one per entry id.
    using MenuAction = std::function<void(PlayerItem* player, const QPoint& pos)>;
    void setMenuAction(int id, MenuAction action);

    // The entry of the bulk menu that plays every stored file (the single
    // player has it as a button); the other bulk entries share the ids of the
    // single-player menu.
    static constexpr int kPlayAllFilesEntry = 16;
    // The selected icons the filter shows, in view order.
    QList<PlayerItem*> selectedPlayers() const;
    // What a bulk-menu entry does, with the players that were selected when
    // the menu opened. Entries without a registered action are not offered.
    using BulkMenuAction = std::function<void(const QList<QPointer<PlayerItem>>& players, const QPoint& pos)>;
    void setBulkMenuAction(int id, BulkMenuAction action);
    // One Events line per failure and one for the summary; the summary in the
    // status bar; an information box titled with the action, holding the
    // summary, when any player failed and no table has shown the failures.
    void reportBulkOutcome(const BulkOutcome& outcome, bool failuresShown = false);
    // A menu entry's text as the menus show it.
    static QString entryText(int id);

public slots:
    void AddNewPlayer(QStringList record);
    void delete_player(PlayerItem* item);
    // A click on a player: refreshes what is known of it and chooses it.
    void UpdatePlayerDisplayData(QListWidgetItem* item);
    void PlayerManagementMenu(QListWidgetItem* item, const QPoint& pos);

    void GetFreeSpace(QListWidgetItem* item);
    void FirmwareVersion(PlayerItem* player);
    void SleepPlayer(PlayerItem* player);
    void Reboot_player(PlayerItem* player);
    // The "Storage space" box of a real player.
    void showStorageReport(PlayerItem* player);

signals:
    // The operator chose this player by clicking it.
    void playerChosen(PlayerItem* player);
    // The item is about to be deleted.
    void playerRemoved(PlayerItem* player);
    void statusMessage(const QString& text);

private:
    void admitPlayer(const QString& name, const QStringList& record);
    void refreshPlayer(PlayerItem* item, const QStringList& record);
    void showDuplicateWarning(const QString& name, const QString& address, const PlayerItem* registered);
    void handleReply(const QString& method, PlayerItem* player, const QVariant& result);
    void openBulkMenu(const QList<PlayerItem*>& selected, const QPoint& pos);
    // Ctrl+A selects the icons the filter shows, never the hidden ones.
    bool eventFilter(QObject* watched, QEvent* event) override;
    void noteSelection();
    // How many icons are selected, hidden or not.
    int selectedCount() const;

    QListWidget* m_view;
    QWidget* m_window;
    CommandChannel* m_channel;
    QHash<int, MenuAction> m_menuActions;
    QHash<int, BulkMenuAction> m_bulkMenuActions;
    // The selection count the status bar last said.
    int m_shownSelectionCount = 0;
    // Name and address of duplicates whose warning is open, so that a
    // duplicate's heartbeats do not stack up boxes.
    QSet<QString> m_openDuplicateWarnings;
};

// The player an icon-view item stands for, or null.
PlayerItem* asPlayer(QListWidgetItem* item);

// The total and available storage (KB) of a "Kivo.FreeSpace" reply: a list
// of two integers (or numeric strings) within int range; nullopt for any
// other shape, and when a player claims more available than total space.
struct StorageFigures {
    int totalKb;
    int availableKb;
};
std::optional<StorageFigures> storageFigures(const QVariant& reply);

// "Total space %1 KB, available %2 KB (%3% Full)." for a player's last reported
// figures; a total of 0 or less is replaced by its complement (0 becomes -1)
// and a negative available space counts 0.
QString storageReportText(qint64 totalKb, qint64 availableKb);
