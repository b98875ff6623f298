#include "content/repositorylister.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QMetaObject>
#include <QMutexLocker>
#include <QTreeWidget>

namespace {

constexpr QDir::Filters listingFilter = QDir::Dirs | QDir::Files | QDir::Drives;
constexpr QDir::SortFlags listingOrder = QDir::Name | QDir::IgnoreCase | QDir::DirsFirst;

// Probe results go to the view in batches, so that a large repository does
// not post one event per file.
constexpr int batchSize = 64;
constexpr qint64 batchIntervalMs = 100;

bool isHiddenName(const QString& name)
{
    return name.startsWith(QLatin1Char('.'));
}

} // namespace

const QStringList& mediaNamePatterns()
{
    static const QStringList patterns = QStringLiteral(
        "*.[mM][pP][gG];*.[aA][vV][iI];*.[mM][pP][eE][gG];*.[vV][oO][bB];*.[wW][mM][vV];*.[jJ][pP][gG];"
        "*.[jJ][pP][eE][gG];*.[bB][mM][pP];*.[mM][pP][234];*.[wW][aA][vV];*.[pP][nN][gG];*.[gG][iI][fF];"
        "*.[mM][124][vV];*.[cC][aA][pP]").split(QLatin1Char(';'));
    return patterns;
}

void ListRepositoryFolders(QDir& root, RepositoryListing& listing, const std::atomic_bool& cancel)
{
    root.setFilter(listingFilter);
    root.setSorting(listingOrder);
    root.setNameFilters({});
    const QString rootCanonical = root.canonicalPath();
    for (const QFileInfo& info : root.entryInfoList()) {
        if (cancel.load())
            return;
        if (isHiddenName(info.fileName()) || !info.isDir())
            continue;
        RepositoryEntry folder;
        folder.name = info.fileName();
        folder.path = info.absoluteFilePath();
        folder.isDirectory = true;
        listing.append(folder);
        QDir inner(info.absoluteFilePath());
        QStringList ancestors{rootCanonical};
        ListMediaFolder(int(listing.size()) - 1, inner, listing, cancel, ancestors);
    }
}

void ListMediaFolder(int parent, QDir& folder, RepositoryListing& listing, const std::atomic_bool& cancel,
                     QStringList& ancestors)
{
    // A symbolic link back up the tree would otherwise be walked for ever.
    const QString canonical = folder.canonicalPath();
    if (canonical.isEmpty() || ancestors.contains(canonical))
        return;
    ancestors.append(canonical);
    folder.setFilter(listingFilter);
    folder.setSorting(listingOrder);
    folder.setNameFilters(mediaNamePatterns());
    for (const QFileInfo& info : folder.entryInfoList()) {
        if (cancel.load())
            break;
        if (isHiddenName(info.fileName()))
            continue;
        RepositoryEntry entry;
        entry.parent = parent;
        entry.name = info.fileName();
        entry.path = info.absoluteFilePath();
        entry.isDirectory = info.isDir();
        if (entry.isDirectory) {
            listing.append(entry);
            QDir nested(entry.path);
            ListMediaFolder(int(listing.size()) - 1, nested, listing, cancel, ancestors);
            continue;
        }
        entry.size = info.size();
        entry.modified = info.lastModified().toMSecsSinceEpoch();
        entry.needsProbe = !mediaResultByExtension(entry.name, &entry.media);
        listing.append(entry);
    }
    ancestors.removeLast();
}

QStringList repositoryRowTexts(const RepositoryEntry& entry)
{
    if (entry.isDirectory)
        return {entry.name, QString(), RepositoryLister::tr("DIRECTORY")};
    return {entry.name, mediaSizeText(entry.size), RepositoryLister::tr("media"), entry.media.type,
            entry.media.duration};
}

bool isDirectoryAttribute(const QString& attribute)
{
    const QString trimmed = attribute.trimmed();
    return trimmed == QLatin1String("DIRECTORY") || trimmed == QLatin1String("DIR")
        || trimmed == RepositoryLister::tr("DIRECTORY");
}

struct RepositoryLister::Job {
    int generation;
    QString root;
    std::atomic_bool cancel{false};
};

RepositoryLister::RepositoryLister(QObject* parent)
    : QObject(parent)
{
    // One worker: a superseding listing queues behind the one it cancels,
    // which stops at its next file.
    m_pool.setMaxThreadCount(1);
}

RepositoryLister::~RepositoryLister()
{
    if (m_job)
        m_job->cancel = true;
    m_pool.waitForDone();
}

int RepositoryLister::cachedResults() const
{
    const QMutexLocker lock(&m_cacheMutex);
    return int(m_cache.size());
}

void RepositoryLister::list(const QString& root, QTreeWidget* view)
{
    if (m_job)
        m_job->cancel = true;
    m_view = view;
    m_busy = true;
    m_started.start();
    auto job = std::make_shared<Job>();
    job->generation = ++m_generation;
    job->root = root;
    m_job = job;
    m_pool.start([this, job] { run(job); });
}

void RepositoryLister::run(const std::shared_ptr<Job>& job)
{
    const int generation = job->generation;
    RepositoryListing listing;
    if (!job->cancel.load()) {
        QDir root(job->root);
        ListRepositoryFolders(root, listing, job->cancel);
    }

    // Known results first, so that an unchanged file is never opened again.
    QHash<QString, CachedProbe> seen;
    QList<int> toProbe;
    {
        const QMutexLocker lock(&m_cacheMutex);
        for (int index = 0; index < listing.size(); ++index) {
            RepositoryEntry& entry = listing[index];
            if (!entry.needsProbe)
                continue;
            const auto cached = m_cache.constFind(entry.path);
            if (cached != m_cache.constEnd() && cached->size == entry.size && cached->modified == entry.modified) {
                entry.media = cached->media;
                entry.needsProbe = false;
                seen.insert(entry.path, *cached);
            } else {
                toProbe.append(index);
            }
        }
    }
    if (job->cancel.load()) {
        QMetaObject::invokeMethod(this, [this, generation] { finish(generation); }, Qt::QueuedConnection);
        return;
    }
    QMetaObject::invokeMethod(this, [this, generation, listing] { showListing(generation, listing); },
                              Qt::QueuedConnection);

    ProbeBatch batch;
    QElapsedTimer sincePosted;
    sincePosted.start();
    int probed = 0;
    const int total = int(toProbe.size());
    for (const int index : toProbe) {
        if (job->cancel.load())
            break;
        const RepositoryEntry& entry = listing.at(index);
        const MediaProbeResult media = probeMediaFile(entry.path, &job->cancel);
        if (job->cancel.load())
            break;  // an interrupted probe says nothing about the file
        ++m_filesProbed;
        ++probed;
        seen.insert(entry.path, {entry.size, entry.modified, media});
        batch.append({index, media});
        if (batch.size() >= batchSize || sincePosted.elapsed() >= batchIntervalMs || probed == total) {
            QMetaObject::invokeMethod(
                this, [this, generation, batch, probed, total] { showProbes(generation, batch, probed, total); },
                Qt::QueuedConnection);
            batch.clear();
            sincePosted.restart();
        }
    }

    {
        const QMutexLocker lock(&m_cacheMutex);
        if (job->cancel.load()) {
            // Keep what was learnt; the next complete listing prunes the rest.
            for (auto it = seen.cbegin(); it != seen.cend(); ++it)
                m_cache.insert(it.key(), it.value());
        } else {
            // Only files that still exist stay cached.
            m_cache = std::move(seen);
        }
    }
    QMetaObject::invokeMethod(this, [this, generation] { finish(generation); }, Qt::QueuedConnection);
}

void RepositoryLister::showListing(int generation, const RepositoryListing& listing)
{
    if (generation != m_generation || !m_view)
        return;
    m_view->clear();
    m_rows.clear();
    m_rows.reserve(listing.size());
    QList<QTreeWidgetItem*> topLevel;
    int folders = 0;
    int files = 0;
    int toProbe = 0;
    for (const RepositoryEntry& entry : listing) {
        QTreeWidgetItem* parent = entry.parent >= 0 ? m_rows.at(entry.parent) : nullptr;
        auto* row = parent ? new QTreeWidgetItem(parent, repositoryRowTexts(entry))
                           : new QTreeWidgetItem(repositoryRowTexts(entry));
        Qt::ItemFlags flags = Qt::ItemIsSelectable | Qt::ItemIsEnabled;
        if (parent)
            flags |= Qt::ItemIsDragEnabled | Qt::ItemIsDropEnabled;
        else
            topLevel.append(row);
        row->setFlags(flags);
        m_rows.append(row);
        entry.isDirectory ? ++folders : ++files;
        toProbe += entry.needsProbe ? 1 : 0;
    }
    m_view->addTopLevelItems(topLevel);
    emit listed(folders, files, toProbe);
}

void RepositoryLister::showProbes(int generation, const ProbeBatch& batch, int probed, int toProbe)
{
    if (generation != m_generation || !m_view)
        return;
    for (const auto& [index, media] : batch) {
        QTreeWidgetItem* row = m_rows.value(index);
        if (!row)
            continue;
        row->setText(3, media.type);
        row->setText(4, media.duration);
    }
    emit progress(probed, toProbe);
}

void RepositoryLister::finish(int generation)
{
    if (generation != m_generation)
        return;
    m_busy = false;
    m_job.reset();
    emit finished();
}
