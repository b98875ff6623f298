// Work for many players run a few at a time: slots, the batch's progress, an abort and players that go.

#include "core/batchqueue.h"

#include <QtTest>

class TestBatchQueue : public QObject
{
    Q_OBJECT

    // Five entries of 100 bytes, two at a time; records what started and stopped.
    struct Batch {
        QList<int> started, stopped;
        QSet<int> failAtStart;
        int finished = 0;
        int mostRunning = 0;
        BatchQueue queue{{"A", "B", "C", "D", "E"}, 2, 100,
                         [this](int index) {
                             started.append(index);
                             mostRunning = qMax(mostRunning, queue.runningCount());
                             if (failAtStart.contains(index))
                                 queue.end(index, "no file");
                         },
                         [this](int index) { stopped.append(index); }};
        Batch() { QObject::connect(&queue, &BatchQueue::finished, &queue, [this] { ++finished; }); }
    };

private slots:
    // Two run at once; each end starts the next; percent counts bytes, an ended entry in full.
    void slotsAndProgress()
    {
        Batch batch;
        batch.queue.run();
        QCOMPARE(batch.started, (QList<int>{0, 1}));
        batch.queue.progress(0, 50);
        batch.queue.progress(1, 500); // bounded by the entry's bytes
        QCOMPARE(batch.queue.percent(), 30);
        batch.queue.end(1, "refused");
        QCOMPARE(batch.started, (QList<int>{0, 1, 2}));
        QCOMPARE(batch.queue.endedCount(), 1);
        QCOMPARE(batch.queue.percent(), 30);
        batch.queue.end(1, QString()); // a second end of the same entry changes nothing
        for (int index : {0, 2, 3, 4})
            batch.queue.end(index, QString());
        QCOMPARE(batch.started, (QList<int>{0, 1, 2, 3, 4}));
        QCOMPARE(batch.mostRunning, 2);
        QCOMPARE(batch.finished, 1);
        QCOMPARE(batch.queue.percent(), 100);
        QCOMPARE(batch.queue.failures(), (QList<QPair<QString, QString>>{{"B", "refused"}}));
    }

    // An abort stops the running entries, never starts the queued ones, and fails all of them.
    void abortStopsRunningAndQueued()
    {
        Batch batch;
        batch.queue.run();
        batch.queue.end(0, QString());
        batch.queue.abort("aborted");
        QCOMPARE(batch.stopped, (QList<int>{1, 2}));
        QCOMPARE(batch.started, (QList<int>{0, 1, 2}));
        QCOMPARE(batch.finished, 1);
        QCOMPARE(batch.queue.failures(),
                 (QList<QPair<QString, QString>>{{"B", "aborted"}, {"C", "aborted"}, {"D", "aborted"}, {"E", "aborted"}}));
        batch.queue.end(1, QString()); // the stopped work's own end is ignored
        QCOMPARE(batch.queue.failures().size(), 4);
    }

    // A player gone while running frees its slot at once; one gone while queued never starts;
    // a start that fails at once hands its slot on.
    void goneAndFailingAtOnce()
    {
        Batch batch;
        BatchQueue& queue = batch.queue;
        batch.failAtStart = {2};
        queue.end(3, "went offline");
        queue.run();
        queue.end(0, "went offline");
        QCOMPARE(batch.started, (QList<int>{0, 1, 2, 4}));
        QCOMPARE(queue.runningCount(), 2);
        queue.end(1, QString());
        queue.end(4, QString());
        QCOMPARE(batch.finished, 1);
        QCOMPARE(queue.failures(), (QList<QPair<QString, QString>>{
                                       {"A", "went offline"}, {"C", "no file"}, {"D", "went offline"}}));
    }
};

QTEST_MAIN(TestBatchQueue)
#include "tst_batchqueue.moc"
