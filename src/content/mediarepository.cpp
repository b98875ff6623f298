#include "content/mediarepository.h"

#include "content/repositorylister.h"
#include "core/repositorypath.h"
#include "ui/prompts.h"

#include <QDir>
#include <QTimer>
#include <QTreeWidget>

namespace {
constexpr qint64 kProgressDelayMs = 250;
constexpr int kDoneMessageMs = 5000;

// The row whose NAME texts, from the top level down, are the sections of relative.
QTreeWidgetItem* rowOf(const QTreeWidget* view, const QString& relative)
{
    QTreeWidgetItem* row = nullptr;
    for (const QString& name : relative.split(QLatin1Char('/'))) {
        const int count = row ? row->childCount() : view->topLevelItemCount();
        QTreeWidgetItem* found = nullptr;
        for (int index = 0; index < count && !found; ++index) {
            QTreeWidgetItem* candidate = row ? row->child(index) : view->topLevelItem(index);
            if (candidate->text(0) == name)
                found = candidate;
        }
        if (!found)
            return nullptr;
        row = found;
    }
    return row;
}
} // namespace

MediaRepository::MediaRepository(QTreeWidget* view, QWidget* window, QObject* parent)
    : QObject(parent)
    , m_view(view)
    , m_window(window)
    , m_lister(new RepositoryLister(this))
{
    // Only a listing that takes a while reports its progress; a quick one
    // leaves the status bar (the welcome text at start-up) as it is.
    connect(m_lister, &RepositoryLister::progress, this, [this](int probed, int toProbe) {
        if (!m_reporting && m_lister->runningMs() < kProgressDelayMs)
            return;
        m_reporting = true;
        emit statusMessage(tr("Reading media repository: %1 of %2 media files examined").arg(probed).arg(toProbe));
    });
    connect(m_lister, &RepositoryLister::finished, this, [this] {
        if (!std::exchange(m_reporting, false))
            return;
        emit statusMessage(tr("Media repository read."), kDoneMessageMs);
    });
}

void MediaRepository::ReadMediaRepository()
{
    const QString path = repositoryPath();
    // An empty path would silently list the working directory.
    if (path.isEmpty() || !QDir(path).exists()) {
        // Shown once the caller has returned: at start-up the window is up
        // behind the box, and a closed window shows nothing.
        QTimer::singleShot(0, this, [this, path] {
            showWarning(m_window, tr("Reading media repository"),
                        tr("Media repository ") + path + tr(" does not exist or corrupted"));
        });
        return;
    }
    m_lister->list(path, m_view);
}

void MediaRepository::listAndSelect(const QString& path)
{
    disconnect(m_selectWhenListed);
    m_selectWhenListed = connect(m_lister, &RepositoryLister::listed, this, [this, path] {
        disconnect(m_selectWhenListed);
        const QString relative = QDir(repositoryPath()).relativeFilePath(path);
        QTreeWidgetItem* row = relative.startsWith(QLatin1String("..")) ? nullptr : rowOf(m_view, relative);
        if (!row) {
            emit statusMessage(tr("%1 is not listed: only the media files in the repository's folders are.").arg(path));
            return;
        }
        m_view->setCurrentItem(row);
        m_view->scrollToItem(row);
    });
    ReadMediaRepository();
}
