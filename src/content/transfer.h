#pragma once

// Sending a repository file to a player: the checks made before, the copy
// into a virtual player's "contents" folder, and the progress shown.

#include "players/playeritem.h"

#include <QFile>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <memory>
#include <optional>

class QProgressBar;
class QSaveFile;
class QTreeWidgetItem;

// True when the file holds a baseline start-of-frame marker and no marker of
// another coding process (progressive, lossless, arithmetic, hierarchical);
// false for a file that cannot be read.
bool IsBaselineJpeg(const QString& path);

// The NAME texts of the row and its ancestors from the top-level folder down,
// joined with "/"; empty for no row.
QString RepositoryRelativePath(QTreeWidgetItem* row);

// Shows done out of total on a bar that counts in int (large files in KiB).
void showTransferProgress(QProgressBar* bar, qint64 done, qint64 total);

// Copies files into virtual players' folders one after another, one block of
// 131072 bytes at a time from the event loop, so that the window keeps
// working. A target is replaced only once its copy is complete.
class VirtualCopier : public QObject
{
    Q_OBJECT
public:
    static constexpr qint64 BlockSize = 131072;

    explicit VirtualCopier(QObject* parent = nullptr);
    ~VirtualCopier() override;

    // Queues the copy; it starts when the copies queued before it have ended.
    void enqueue(const QString& source, const QString& target, PlayerItem* player);
    // Stops the running copy and drops the queued ones for player, leaving
    // their targets as they were; returns their targets, running one first.
    QStringList abort(PlayerItem* player);

signals:
    void progress(qint64 done, qint64 total, PlayerItem* player);
    void finished(PlayerItem* player, const QString& target, bool ok, const QString& error);

private:
    struct Job {
        QString source;
        QString target;
        QPointer<PlayerItem> player;
    };
    void startNext();
    void startNextLater();
    void step();
    void endCurrent(bool ok, const QString& error);

    QList<Job> m_queue;
    std::optional<Job> m_current;
    QFile m_source;
    std::unique_ptr<QSaveFile> m_target;
    qint64 m_done = 0;
    qint64 m_total = 0;
    // Counts the jobs started, so that a step notices that its job ended
    // while a receiver of its progress ran.
    quint64 m_generation = 0;
    QTimer m_timer;
};
