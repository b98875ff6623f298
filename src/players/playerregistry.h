#pragma once

// The players of one icon view, indexed by name (case-insensitively, as
// the duplicate check compares) and by address, and one liveness sweep for
// all real players, so that a heartbeat costs the same however large the
// fleet. Player items enter and leave it themselves.

#include <QHash>
#include <QList>
#include <QObject>
#include <QSet>
#include <QString>
#include <QTimer>

class PlayerItem;
class QListWidget;

class PlayerRegistry : public QObject
{
    Q_OBJECT
public:
    // The registry of view, created with it as parent on first use.
    static PlayerRegistry* of(QListWidget* view);

    // The player whose icon text (as it was when the item was made) equals
    // name, ignoring case; the earliest when several do. Null when none does.
    PlayerItem* find(const QString& name) const;
    // The players with this IP address, earliest first.
    QList<PlayerItem*> atAddress(const QString& address) const;
    int count() const { return int(m_items.size()); }

    // Fires every PlayerItem::LivenessIntervalMs while real players exist;
    // each time every real player checks its last contact.
    QTimer* livenessTimer() { return &m_sweep; }

    void add(PlayerItem* item);
    void remove(PlayerItem* item);
    void addressChanged(PlayerItem* item, const QString& previous);

private:
    explicit PlayerRegistry(QListWidget* view);
    void sweep();

    // Every item with the name key it was indexed under.
    QHash<PlayerItem*, QString> m_items;
    QHash<QString, QList<PlayerItem*>> m_byName;
    QHash<QString, QList<PlayerItem*>> m_byAddress;
    // The real players, which the sweep checks.
    QSet<PlayerItem*> m_watched;
    QTimer m_sweep;
};
