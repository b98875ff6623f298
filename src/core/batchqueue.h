#pragma once

// One piece of work for each of many players, run a few at a time: an entry
// starts when a slot is free, its end is reported by whoever ran it, and the
// next queued entry takes the slot. The queue keeps each entry's outcome and
// counts the bytes done of the whole batch, so that one bar and one summary
// can stand for all of it.

#include <QList>
#include <QObject>
#include <QPair>
#include <QString>
#include <QStringList>

#include <functional>

class BatchQueue : public QObject
{
    Q_OBJECT
public:
    // Starts the work of an entry; its end comes back through end().
    using Start = std::function<void(int index)>;
    // Stops the running work of an entry, whose end has already been counted;
    // may be empty for work that is never aborted.
    using Stop = std::function<void(int index)>;

    // names: one per entry, as the outcome names them; bytesEach: the bytes
    // one entry moves (0 when the work is not counted in bytes).
    BatchQueue(const QStringList& names, int concurrency, qint64 bytesEach, Start start, Stop stop,
               QObject* parent = nullptr);

    // Starts the first entries; finished() follows once every entry has ended.
    void run();
    // Bytes done so far by a running entry.
    void progress(int index, qint64 done);
    // The entry has ended, successfully when failure is empty; a queued entry
    // ended so never starts (a player gone before its turn). Ends of entries
    // that have ended already are ignored.
    void end(int index, const QString& failure);
    // Every entry not ended yet fails with reason: running ones are stopped,
    // queued ones never start.
    void abort(const QString& reason);

    int total() const { return int(m_entries.size()); }
    int endedCount() const { return m_ended; }
    int runningCount() const { return m_running; }
    bool isRunning(int index) const;
    bool isFinished() const { return m_ended == total(); }
    // Percent of the batch's bytes, an ended entry counting in full; by
    // entries when nothing is counted in bytes.
    int percent() const;
    // (name, reason) of each failed entry, in entry order.
    QList<QPair<QString, QString>> failures() const;

signals:
    // The counts or the bytes done have changed.
    void progressed();
    // Every entry has ended; emitted once.
    void finished();

private:
    enum class State { Queued, Running, Ended };
    struct Entry {
        QString name;
        State state = State::Queued;
        qint64 done = 0;
        QString failure;
    };
    void fill();

    QList<Entry> m_entries;
    int m_concurrency;
    qint64 m_bytesEach;
    Start m_start;
    Stop m_stop;
    int m_next = 0;
    int m_running = 0;
    int m_ended = 0;
    bool m_filling = false;
    bool m_finishedSent = false;
};
