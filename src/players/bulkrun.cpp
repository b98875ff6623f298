#include "players/bulkrun.h"

#include "players/commandchannel.h"
#include "players/playeritem.h"
#include "players/playerscontroller.h"

BulkRun::BulkRun(PlayersController& controller, const QString& action, const QList<QPointer<PlayerItem>>& players,
                 StepFunction step, QObject* parent)
    : QObject(parent)
    , m_step(std::move(step))
{
    m_outcome.action = action;
    m_outcome.total = int(players.size());
    m_entries.reserve(players.size());
    for (const QPointer<PlayerItem>& player : players) {
        const int index = int(m_entries.size());
        m_entries.append({player, player.data(), player ? player->name() : QString(), {}, {}, false});
        if (player)
            m_waiting.insert(player.data(), index);
    }
    // Steps start from the event loop, a slot's worth at a time, so that a long
    // list never holds the window up.
    m_fill.setSingleShot(true);
    m_fill.setInterval(0);
    connect(&m_fill, &QTimer::timeout, this, &BulkRun::fill);
    CommandChannel& channel = controller.channel();
    connect(&channel, &CommandChannel::answered, this, &BulkRun::requestAnswered);
    connect(&channel, &CommandChannel::faulted, this, &BulkRun::requestFaulted);
    connect(&controller, &PlayersController::playerRemoved, this, &BulkRun::playerRemoved);
    connect(this, &BulkRun::progress, &controller, [&controller, action](int settled, int total) {
        emit controller.statusMessage(
            tr("%1: %2 of %3 players").arg(action, QString::number(settled), QString::number(total)));
    });
}

BulkRun* BulkRun::reported(PlayersController& controller, const QString& action,
                           const QList<QPointer<PlayerItem>>& players, StepFunction step)
{
    auto* run = new BulkRun(controller, action, players, std::move(step), &controller);
    connect(run, &BulkRun::settled, &controller, [&controller, run](const BulkOutcome& outcome) {
        run->deleteLater();
        controller.reportBulkOutcome(outcome);
    });
    return run;
}

void BulkRun::setSlots(int count)
{
    m_slots = qMax(1, count);
}

void BulkRun::start()
{
    m_fill.start();
}

void BulkRun::fill()
{
    int started = 0;
    while (m_next < total() && busySlots() < m_slots && started < m_slots) {
        const int index = m_next++;
        Entry& entry = m_entries[index];
        if (entry.ended)
            continue;
        ++started;
        if (!entry.player) {
            settle(index, tr("went offline"));
            continue;
        }
        Step step = m_step(entry.player);
        // A call the channel could not send (the player has no client) fails the player.
        if (step.requests.removeAll(0) > 0 && step.failure.isEmpty())
            step.failure = tr("not connected");
        entry.failure = step.failure;
        if (step.requests.isEmpty()) {
            settle(index, step.failure);
            continue;
        }
        for (const int id : std::as_const(step.requests)) {
            entry.awaited.insert(id);
            m_requests.insert(id, index);
        }
        m_busy.insert(index);
    }
    if (m_next < total() && busySlots() < m_slots)
        m_fill.start();
    finishWhenSettled();
}

void BulkRun::settle(int index, const QString& reason)
{
    Entry& entry = m_entries[index];
    if (entry.ended)
        return;
    entry.ended = true;
    entry.failure = reason;
    for (const int id : std::as_const(entry.awaited))
        m_requests.remove(id);
    entry.awaited.clear();
    m_busy.remove(index);
    m_waiting.remove(entry.item);
    ++m_settled;
    const QPointer<PlayerItem> player = entry.player;
    const QString name = entry.name;
    emit playerSettled(player, name, reason);
    emit progress(m_settled, total());
    if (m_next < total() && busySlots() < m_slots)
        m_fill.start();
    finishWhenSettled();
}

void BulkRun::finishWhenSettled()
{
    if (m_finished || m_settled < total())
        return;
    m_finished = true;
    for (const Entry& entry : std::as_const(m_entries)) {
        if (!entry.failure.isEmpty())
            m_outcome.failures.append({entry.name, entry.failure});
    }
    emit settled(m_outcome);
}

int BulkRun::takeRequest(int id)
{
    const auto found = m_requests.constFind(id);
    if (found == m_requests.constEnd())
        return -1;
    const int index = found.value();
    m_requests.erase(found);
    return index;
}

void BulkRun::requestAnswered(int id, const QString& method, const QVariant& result)
{
    const int index = takeRequest(id);
    if (index < 0)
        return;
    Entry& entry = m_entries[index];
    if (m_reader && entry.player && entry.failure.isEmpty())
        entry.failure = m_reader(entry.player, method, result);
    requestEnded(index, id);
}

void BulkRun::requestFaulted(int id, const QString&, const QString& message)
{
    const int index = takeRequest(id);
    if (index < 0)
        return;
    Entry& entry = m_entries[index];
    if (entry.failure.isEmpty() && !(m_judge && m_judge(message)))
        entry.failure = message.isEmpty() ? tr("no answer") : message;
    requestEnded(index, id);
}

void BulkRun::requestEnded(int index, int id)
{
    Entry& entry = m_entries[index];
    entry.awaited.remove(id);
    if (entry.awaited.isEmpty())
        settle(index, entry.failure);
}

void BulkRun::playerRemoved(PlayerItem* player)
{
    const auto found = m_waiting.constFind(player);
    if (found != m_waiting.constEnd())
        settle(found.value(), tr("went offline"));
}

BulkRun::Step quietCallToRealPlayer(CommandChannel& channel, PlayerItem* player, const QString& method,
                                    const QVariantList& params)
{
    if (!player->isReal())
        return BulkRun::Step::notForVirtualPlayers();
    return BulkRun::Step::sent({channel.send(player, method, params, CommandChannel::Delivery::Quiet)});
}
