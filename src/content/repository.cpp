// The media repository in the main window: the listing, its refresh and the
// progress of the media probes in the status bar.

#include "window/kvo_form.h"

#include "core/repositorypath.h"
#include "content/repositorylister.h"
#include "ui/prompts.h"

#include <QDir>
#include <QStatusBar>
#include <QTimer>

#include <memory>

namespace {
constexpr qint64 progressDelayMs = 250;
}

RepositoryLister* kvo_Form::repositoryLister()
{
    if (!m_repositoryLister) {
        m_repositoryLister = new RepositoryLister(this);
        // Only a listing that takes a while reports its progress; a quick one
        // leaves the status bar (the welcome text at start-up) as it is.
        auto reporting = std::make_shared<bool>(false);
        connect(m_repositoryLister, &RepositoryLister::progress, this, [this, reporting](int probed, int toProbe) {
            if (!*reporting && m_repositoryLister->runningMs() < progressDelayMs)
                return;
            *reporting = true;
            statusBar()->showMessage(
                tr("Reading media repository: %1 of %2 media files examined").arg(probed).arg(toProbe));
        });
        connect(m_repositoryLister, &RepositoryLister::finished, this, [this, reporting] {
            if (!*reporting)
                return;
            *reporting = false;
            statusBar()->showMessage(tr("Media repository read."), 5000);
        });
    }
    return m_repositoryLister;
}

void kvo_Form::RefreshServerContents()
{
    ReadMediaRepository(ui.ServerContents_listView);
    recreateVirtualPlayers();
}

void kvo_Form::ReadMediaRepository(QTreeWidget* view)
{
    const QString path = repositoryPath();
    // An empty path would silently list the working directory.
    if (path.isEmpty() || !QDir(path).exists()) {
        // Shown once the caller has returned: at start-up the window is up
        // behind the box, and a closed window shows nothing.
        QTimer::singleShot(0, this, [this, path] {
            showWarning(this, tr("Reading media repository"),
                        tr("Media repository ") + path + tr(" does not exist or corrupted"));
        });
        return;
    }
    repositoryLister()->list(path, view);
}

void kvo_Form::connectRepositoryWidgets()
{
    connect(ui.Refresh_pushButton, &QPushButton::clicked, this, &kvo_Form::RefreshServerContents);
    connect(ui.create_VP_pushButton, &QPushButton::clicked, this, &kvo_Form::create_new_virtual_player);
    connect(ui.ExtAVin_pushButton, &QPushButton::clicked, this, &kvo_Form::CreateExtAVinItem);
}
