#include "core/batchqueue.h"

#include <QPointer>

BatchQueue::BatchQueue(const QStringList& names, int concurrency, qint64 bytesEach, Start start, Stop stop,
                       QObject* parent)
    : QObject(parent)
    , m_concurrency(qMax(1, concurrency))
    , m_bytesEach(qMax<qint64>(0, bytesEach))
    , m_start(std::move(start))
    , m_stop(std::move(stop))
{
    for (const QString& name : names)
        m_entries.append(Entry{name, State::Queued, 0, {}});
}

void BatchQueue::run()
{
    fill();
}

bool BatchQueue::isRunning(int index) const
{
    return index >= 0 && index < total() && m_entries[index].state == State::Running;
}

void BatchQueue::progress(int index, qint64 done)
{
    if (!isRunning(index))
        return;
    Entry& entry = m_entries[index];
    const qint64 bounded = qBound<qint64>(0, done, m_bytesEach);
    if (bounded == entry.done)
        return;
    entry.done = bounded;
    emit progressed();
}

void BatchQueue::end(int index, const QString& failure)
{
    if (index < 0 || index >= total() || m_entries[index].state == State::Ended)
        return;
    Entry& entry = m_entries[index];
    if (entry.state == State::Running)
        --m_running;
    entry.state = State::Ended;
    entry.failure = failure;
    ++m_ended;
    emit progressed();
    fill();
}

void BatchQueue::abort(const QString& reason)
{
    QList<int> stopped;
    for (int index = 0; index < total(); ++index) {
        Entry& entry = m_entries[index];
        if (entry.state == State::Ended)
            continue;
        if (entry.state == State::Running)
            stopped.append(index);
        entry.state = State::Ended;
        entry.failure = reason;
        ++m_ended;
    }
    m_running = 0;
    m_next = total();
    // Counted before they are stopped: the ends their stops report are ignored.
    QPointer<BatchQueue> self(this);
    for (int index : std::as_const(stopped)) {
        if (m_stop)
            m_stop(index);
        if (!self)
            return;
    }
    emit progressed();
    fill();
}

int BatchQueue::percent() const
{
    if (total() == 0)
        return 100;
    if (m_bytesEach == 0)
        return int(qint64(m_ended) * 100 / total());
    qint64 done = 0;
    for (const Entry& entry : m_entries)
        done += entry.state == State::Ended ? m_bytesEach : entry.done;
    return int(done * 100 / (m_bytesEach * total()));
}

QList<QPair<QString, QString>> BatchQueue::failures() const
{
    QList<QPair<QString, QString>> failed;
    for (const Entry& entry : m_entries)
        if (entry.state == State::Ended && !entry.failure.isEmpty())
            failed.append({entry.name, entry.failure});
    return failed;
}

void BatchQueue::fill()
{
    // A start may report its end at once: the loop that is already running
    // takes the freed slot.
    if (m_filling)
        return;
    m_filling = true;
    QPointer<BatchQueue> self(this);
    while (m_running < m_concurrency && m_next < total()) {
        const int index = m_next++;
        if (m_entries[index].state != State::Queued)
            continue;
        m_entries[index].state = State::Running;
        ++m_running;
        m_start(index);
        if (!self)
            return;
    }
    m_filling = false;
    if (isFinished() && !m_finishedSent) {
        m_finishedSent = true;
        emit finished();
    }
}
