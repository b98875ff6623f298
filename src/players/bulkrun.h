#pragma once

// One action taken on a fixed list of players: each player's step runs in
// view order while at most a bounded number of players have calls in flight,
// and every player ends with exactly one outcome, done or failed with a
// reason. Calls are sent quietly: a fault opens no box and adds no Events
// line of its own; the outcome reports them all at once. A player removed
// while it waits or while its calls are in flight fails as "went offline"
// and frees its slot at once.

#include "players/bulkoutcome.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QTimer>
#include <QVariant>

#include <functional>

class CommandChannel;
class PlayerItem;
class PlayersController;

class BulkRun : public QObject
{
    Q_OBJECT
public:
    static constexpr int kDefaultSlots = 32;

    // What a player's step did: the requests it sent, whose ends it awaits,
    // or, when it sent nothing, whether it is done already.
    struct Step {
        QList<int> requests;
        QString failure; // empty: done (once every request has been answered)

        static Step sent(QList<int> ids) { return {std::move(ids), {}}; }
        static Step done() { return {}; }
        static Step failed(const QString& reason) { return {{}, reason}; }
        // An entry a virtual player does not have.
        static Step notForVirtualPlayers() { return failed(BulkRun::tr("not for a virtual player")); }
    };
    // Runs for one player (never null); sends through the players' channel
    // with CommandChannel::Delivery::Quiet.
    using StepFunction = std::function<Step(PlayerItem* player)>;
    // Reads one answered request of a player: an empty string when the reply
    // is as it should be, else why the player failed.
    using ReplyReader = std::function<QString(PlayerItem* player, const QString& method, const QVariant& result)>;
    // Whether a fault still counts the player done (a player that restarts
    // may close the connection instead of answering).
    using FaultJudge = std::function<bool(const QString& message)>;

    // action: the entry's text as shown, which names the outcome and the
    // progress shown in the controller's status bar.
    BulkRun(PlayersController& controller, const QString& action, const QList<QPointer<PlayerItem>>& players,
            StepFunction step, QObject* parent = nullptr);

    // A run owned by the controller that reports its outcome when it settles
    // and then goes; the caller adds what it needs and starts it.
    static BulkRun* reported(PlayersController& controller, const QString& action,
                             const QList<QPointer<PlayerItem>>& players, StepFunction step);

    void setSlots(int count);
    void setReplyReader(ReplyReader reader) { m_reader = std::move(reader); }
    void setFaultJudge(FaultJudge judge) { m_judge = std::move(judge); }

    // Starts the steps; settled() comes once every player has its outcome
    // (at once, from the event loop, for an empty list).
    void start();

    int total() const { return int(m_entries.size()); }
    int settledCount() const { return m_settled; }
    // Players whose calls are in flight.
    int busySlots() const { return int(m_busy.size()); }
    const BulkOutcome& outcome() const { return m_outcome; }

signals:
    void progress(int settled, int total);
    // One player's outcome; reason is empty when it is done. The player is
    // null when it has gone.
    void playerSettled(PlayerItem* player, const QString& name, const QString& reason);
    void settled(const BulkOutcome& outcome);

private:
    struct Entry {
        QPointer<PlayerItem> player;
        PlayerItem* item; // the player as a removal names it
        QString name;
        QSet<int> awaited;
        QString failure;
        bool ended = false;
    };

    void fill();
    void settle(int index, const QString& reason);
    void finishWhenSettled();
    // The entry awaiting request id, which it no longer awaits; -1 for a request of no entry.
    int takeRequest(int id);
    void requestAnswered(int id, const QString& method, const QVariant& result);
    void requestFaulted(int id, const QString& method, const QString& message);
    void requestEnded(int index, int id);
    void playerRemoved(PlayerItem* player);

    StepFunction m_step;
    ReplyReader m_reader;
    FaultJudge m_judge;
    int m_slots = kDefaultSlots;
    QList<Entry> m_entries;
    int m_next = 0;
    int m_settled = 0;
    // The entry of every request awaited.
    QHash<int, int> m_requests;
    // The entries whose calls are in flight.
    QSet<int> m_busy;
    // The entry of every player without an outcome yet, by the item, which a
    // removal names while it still exists.
    QHash<PlayerItem*, int> m_waiting;
    BulkOutcome m_outcome;
    QTimer m_fill;
    bool m_finished = false;
};

// The step of an entry only real players have: its one call, sent quietly.
BulkRun::Step quietCallToRealPlayer(CommandChannel& channel, PlayerItem* player, const QString& method,
                                    const QVariantList& params = {});
