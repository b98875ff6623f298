#include "content/mediarepository.h"

#include "content/repositorylister.h"
#include "core/repositorypath.h"
#include "ui/prompts.h"

#include <QDir>
#include <QTimer>

namespace {
constexpr qint64 kProgressDelayMs = 250;
constexpr int kDoneMessageMs = 5000;
}

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
