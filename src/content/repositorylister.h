#pragma once

// Lists the media repository into a tree view without blocking the GUI thread:
// a worker walks the folders and probes the media files; the rows appear as
// soon as the walk is done and their TYPE and DURATION columns fill in as the
// probes finish. Probe results are kept by path, size and modification time,
// so that listing an unchanged repository again opens no file.

#include "content/mediaprobe.h"

#include <QDir>
#include <QElapsedTimer>
#include <QHash>
#include <QList>
#include <QMutex>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QThreadPool>

#include <atomic>
#include <memory>

class QTreeWidget;
class QTreeWidgetItem;

// One row of the listing, in display order; a row's parent comes before it.
struct RepositoryEntry {
    int parent = -1;           // index of the parent row; -1 for a top-level folder
    QString name;
    QString path;              // absolute path
    bool isDirectory = false;
    qint64 size = 0;
    qint64 modified = 0;       // milliseconds since the epoch
    MediaProbeResult media;    // empty while the file waits for its probe
    bool needsProbe = false;
};
using RepositoryListing = QList<RepositoryEntry>;

// The media name patterns of the listing, matched case-insensitively.
const QStringList& mediaNamePatterns();

// The walk, as the worker runs it: the top-level folders of root, then every
// matching entry beneath them. Entries whose names start with "." are skipped;
// a directory reached again through a symbolic link is not entered twice. Stops
// early (with a partial listing) once cancel is set.
void ListRepositoryFolders(QDir& root, RepositoryListing& listing, const std::atomic_bool& cancel);
void ListMediaFolder(int parent, QDir& folder, RepositoryListing& listing, const std::atomic_bool& cancel,
                     QStringList& ancestors);

// The row texts of an entry: NAME, SIZE(KB), ATTR, TYPE, DURATION.
QStringList repositoryRowTexts(const RepositoryEntry& entry);
// Whether an ATTR text marks a folder: "DIRECTORY" (in the window's language) or "DIR".
bool isDirectoryAttribute(const QString& attribute);

class RepositoryLister : public QObject
{
    Q_OBJECT
public:
    explicit RepositoryLister(QObject* parent = nullptr);
    // Stops a listing that is running and waits for the worker.
    ~RepositoryLister() override;

    // Lists the repository at root into view (replacing its rows when the walk
    // is done). A listing still running is superseded: its results are dropped.
    void list(const QString& root, QTreeWidget* view);
    bool isBusy() const { return m_busy; }
    // Milliseconds since the running listing was started.
    qint64 runningMs() const { return m_started.elapsed(); }
    // Files opened by the probe since the lister was made.
    int filesProbed() const { return m_filesProbed.load(); }
    int cachedResults() const;

signals:
    // The walk is done and its rows are in the view; total files to probe.
    void listed(int folders, int files, int toProbe);
    void progress(int probed, int toProbe);
    void finished();

private:
    struct CachedProbe {
        qint64 size;
        qint64 modified;
        MediaProbeResult media;
    };
    struct Job;
    using ProbeBatch = QList<QPair<int, MediaProbeResult>>;

    void run(const std::shared_ptr<Job>& job);
    void showListing(int generation, const RepositoryListing& listing);
    void showProbes(int generation, const ProbeBatch& batch, int probed, int toProbe);
    void finish(int generation);

    QThreadPool m_pool;
    std::shared_ptr<Job> m_job;
    int m_generation = 0;
    bool m_busy = false;
    QElapsedTimer m_started;
    std::atomic_int m_filesProbed{0};

    mutable QMutex m_cacheMutex;
    QHash<QString, CachedProbe> m_cache;

    QPointer<QTreeWidget> m_view;
    QList<QTreeWidgetItem*> m_rows;
};
