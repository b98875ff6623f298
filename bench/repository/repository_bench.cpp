// Lists a repository of media files in the main window, as the controller
// does at start-up, and reports:
// - the first listing (every media file probed) and a refresh of the
//   unchanged repository, and their ratio;
// - how late the GUI thread serves a 10 ms timer while the first listing runs;
// - as the baseline, how long probing the same files on the GUI thread takes,
//   which is how long the window would be frozen without the worker.
// Usage: kvo-bench-repository REPOSITORY

#include "content/contentcontroller.h"
#include "content/mediaprobe.h"
#include "content/mediarepository.h"
#include "content/repositorylister.h"
#include "core/repositorypath.h"
#include "window/kvo_form.h"

#include <QApplication>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>

namespace {

double percentile(QList<double> values, double fraction)
{
    if (values.isEmpty())
        return 0;
    std::sort(values.begin(), values.end());
    const qsizetype index = std::min(values.size() - 1, qsizetype(fraction * double(values.size())));
    return values.at(index);
}

double waitUntilListed(RepositoryLister* lister)
{
    QElapsedTimer clock;
    clock.start();
    while (lister->isBusy())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    return double(clock.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s REPOSITORY\n", argv[0]);
        return 2;
    }
    QTemporaryDir scratch;
    QDir::setCurrent(scratch.path());
    for (const auto format : {QSettings::NativeFormat, QSettings::IniFormat}) {
        QSettings::setPath(format, QSettings::SystemScope, scratch.filePath("system"));
        QSettings::setPath(format, QSettings::UserScope, scratch.filePath("user"));
    }
    const QString repository = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
    setRepositoryPath(repository);

    // The timer's lateness: each interval beyond its 10 ms.
    QList<double> lateness;
    QElapsedTimer sinceTick;
    QTimer timer;
    timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        if (sinceTick.isValid())
            lateness.append(std::max(0.0, double(sinceTick.nsecsElapsed()) / 1e6 - 10.0));
        sinceTick.start();
    });

    QElapsedTimer clock;
    clock.start();
    timer.start(10);
    kvo_Form form;  // lists the repository as it starts
    const double construction = double(clock.nsecsElapsed()) / 1e6;
    RepositoryLister* lister = form.content()->repository()->lister();
    const double first = construction + waitUntilListed(lister);
    timer.stop();
    const int probed = lister->filesProbed();

    clock.start();
    form.content()->RefreshServerContents();
    const double refresh = waitUntilListed(lister);
    const int probedAgain = lister->filesProbed() - probed;

    int files = 0;
    QList<QString> toProbe;
    QDirIterator it(repository, mediaNamePatterns(), QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        ++files;
        MediaProbeResult unused;
        if (!mediaResultByExtension(path, &unused))
            toProbe.append(path);
    }
    clock.start();
    for (const QString& path : toProbe)
        probeMediaFile(path);
    const double synchronous = double(clock.nsecsElapsed()) / 1e6;

    std::printf("media files                         %d (%d probed)\n", files, probed);
    std::printf("first listing                       %.0f ms (window construction %.0f ms of it)\n", first,
                construction);
    std::printf("refresh of the unchanged repository %.1f ms (%d files probed again)\n", refresh, probedAgain);
    std::printf("first / refresh                     %.1fx\n", refresh > 0 ? first / refresh : 0.0);
    std::printf("10 ms timer during the first listing: %lld ticks, late by median %.2f / p99 %.2f / max %.2f ms\n",
                static_cast<long long>(lateness.size()), percentile(lateness, 0.5), percentile(lateness, 0.99),
                percentile(lateness, 1.0));
    std::printf("baseline: the same probes on the GUI thread would freeze it for %.0f ms\n", synchronous);
    return 0;
}
