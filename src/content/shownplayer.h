#pragma once

// The player whose storage and playlist the content panes show. Every pane
// action and every transfer started from the panes acts on it, and replies
// fill the panes only when they come from it. It changes only when the
// operator chooses a player; once the player has gone, its name stays, so
// that the panes can say whose contents they no longer show.

#include <QObject>
#include <QPointer>
#include <QString>

class PlayerItem;

class ShownPlayer : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    // Null when no player was chosen, or when the chosen one has gone.
    PlayerItem* player() const;
    bool is(const PlayerItem* player) const;
    // What the panes' titles name: "Screen01", "Screen01 (offline)", or empty
    // when no player was ever chosen.
    QString label() const;

    void show(PlayerItem* player);
    // The player is about to go: the panes keep its name and say so.
    void forget(PlayerItem* player);

signals:
    void changed();

private:
    QPointer<PlayerItem> m_player;
    QString m_name;
    bool m_virtual = false;
};
