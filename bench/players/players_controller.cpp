// The controller as the players see it, for load runs: the main window and
// its registration service wired as at start-up, in one process, plus a
// 10 ms timer that measures how late the event loop serves it.
//
// Usage: kvo-bench-players-controller [ADDRESS [PORT]] (defaults 127.0.0.1, 0
// = a free port). Prints the port, then runs until SIGTERM or SIGINT.
// SIGUSR1 starts a new measurement window; at the end the figures of the
// current window are printed:
//   ticks N
//   tick_interval_ms median P50 p95 P95 p99 P99 max MAX
//   registrations N per_second R
//   players_listed N
//   message_boxes N
//   admitted N dropped N (players added to and removed from the view, whole run)
//   all_admitted_ms T (since start, when KVO_BENCH_EXPECT players were first listed; -1 if never)
//   heartbeat_gap_ms p50 P50 p99 P99 max MAX over_20s N (whole run: time between two
//     registrations of the same player as the controller read them; over 20 s a player is dropped)
//   first_drop_ms T (since start; -1 if none)
//   open_descriptors N

#include "app/descriptorlimit.h"
#include "app/startup.h"
#include "players/qxrkvoserver.h"
#include "players/commandchannel.h"
#include "players/playerscontroller.h"
#include "window/kvo_form.h"
#include "percentile.h"
#include "../../tests/peers/scriptedprompts.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QHash>
#include <QSocketNotifier>
#include <QTextStream>
#include <QTimer>

#include <algorithm>
#include <csignal>
#include <vector>

#include <unistd.h>

namespace {

int g_signalPipe[2];

void onSignal(int signalNumber)
{
    const char byte = char(signalNumber);
    [[maybe_unused]] const auto written = ::write(g_signalPipe[1], &byte, 1);
}

// Message boxes would stop the event loop: count them instead.
class CountingPrompts : public ScriptedPrompts
{
public:
    QMessageBox::StandardButton message(Kind, QWidget*, const QString& title, const QString& text,
                                        QMessageBox::StandardButtons,
                                        QMessageBox::StandardButton defaultButton) override
    {
        ++count;
        if (count == 1)
            QTextStream(stderr) << "first message box: " << title << ": " << text << '\n';
        return defaultButton == QMessageBox::NoButton ? QMessageBox::Ok : defaultButton;
    }
    long long count = 0;
};

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    const QString descriptorLine = raiseDescriptorLimit();
    chooseEventDispatcher();
    QApplication app(argc, argv);
    QTextStream(stderr) << descriptorLine << '\n';
    QElapsedTimer sinceStart;
    sinceStart.start();
    const QStringList args = app.arguments();
    const QHostAddress address(args.value(1, "127.0.0.1"));
    const quint16 port = quint16(args.value(2, "0").toUInt());

    CountingPrompts prompts;
    QXRKVOServer server(port, registrationListenBacklog(), nullptr, "registration", address);
    if (!server.isListening()) {
        QTextStream(stderr) << "cannot listen on " << address.toString() << ':' << port << ": "
                            << server.errorString() << '\n';
        return 1;
    }
    kvo_Form window(nullptr, nullptr, Qt::Window);
    window.show();
    QObject::connect(&server, &QXRKVOServer::NewPlayerRegistration, window.players(), &PlayersController::AddNewPlayer);

    // Admissions and removals as the view sees them; a player that is
    // removed while it keeps registering is dropped and admitted again.
    QAbstractItemModel* players = window.ui.Player_iconView->model();
    const int expected = qEnvironmentVariableIntValue("KVO_BENCH_EXPECT");
    long long admitted = 0;
    long long dropped = 0;
    qint64 allAdmittedMs = -1;
    QObject::connect(players, &QAbstractItemModel::rowsInserted, [&](const QModelIndex&, int first, int last) {
        admitted += last - first + 1;
        if (allAdmittedMs < 0 && expected > 0 && players->rowCount() >= expected) {
            allAdmittedMs = sinceStart.elapsed();
            QTextStream(stderr) << "all admitted after " << allAdmittedMs << " ms" << Qt::endl;
        }
    });
    qint64 firstDropMs = -1;
    QObject::connect(players, &QAbstractItemModel::rowsRemoved, [&](const QModelIndex&, int first, int last) {
        dropped += last - first + 1;
        if (firstDropMs < 0)
            firstDropMs = sinceStart.elapsed();
    });

    long long registrations = 0;
    QObject::connect(&server, &QXRKVOServer::NewPlayerRegistration, [&] { ++registrations; });

    // The time between two registrations of one player as read here: the
    // players' interval plus how late the second was sent or read.
    QHash<QString, qint64> lastReadMs;
    std::vector<double> gaps;
    gaps.reserve(1 << 20);
    long long gapsOver20s = 0;
    QObject::connect(&server, &QXRKVOServer::NewPlayerRegistration, [&](const QStringList& record) {
        const qint64 now = sinceStart.elapsed();
        auto it = lastReadMs.find(record.value(0));
        if (it == lastReadMs.end()) {
            lastReadMs.insert(record.value(0), now);
            return;
        }
        const qint64 gap = now - *it;
        *it = now;
        gaps.push_back(double(gap));
        gapsOver20s += gap > 20000;
    });

    // Intervals between ticks of a 10 ms timer: 10 ms on an idle loop, more
    // when the loop was busy when the tick was due.
    std::vector<double> intervals;
    intervals.reserve(1 << 16);
    QElapsedTimer sinceTick;
    QElapsedTimer measuring;
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    tick.setInterval(10);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        intervals.push_back(double(sinceTick.nsecsElapsed()) / 1e6);
        sinceTick.restart();
    });
    const auto startWindow = [&] {
        intervals.clear();
        registrations = 0;
        measuring.start();
        sinceTick.start();
    };
    startWindow();
    tick.start();

    if (::pipe(g_signalPipe) != 0)
        return 1;
    QSocketNotifier signalReader(g_signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&signalReader, &QSocketNotifier::activated, [&] {
        char signalNumber = 0;
        if (::read(g_signalPipe[0], &signalNumber, 1) != 1)
            return;
        if (signalNumber == SIGUSR1)
            startWindow();
        else
            app.quit();
    });
    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);
    std::signal(SIGUSR1, onSignal);

    QTextStream out(stdout);
    out << server.serverPort() << Qt::endl;
    const int status = app.exec();

    const double seconds = double(measuring.elapsed()) / 1000.0;
    out << "ticks " << intervals.size() << '\n';
    out << QString("tick_interval_ms median %1 p95 %2 p99 %3 max %4\n")
               .arg(percentile(intervals, 0.5), 0, 'f', 2)
               .arg(percentile(intervals, 0.95), 0, 'f', 2)
               .arg(percentile(intervals, 0.99), 0, 'f', 2)
               .arg(percentile(intervals, 1.0), 0, 'f', 2);
    out << QString("registrations %1 per_second %2\n").arg(registrations).arg(double(registrations) / seconds, 0, 'f', 1);
    out << "players_listed " << window.ui.Player_iconView->count() << '\n';
    out << "message_boxes " << prompts.count << '\n';
    out << "admitted " << admitted << " dropped " << dropped << '\n';
    out << "all_admitted_ms " << allAdmittedMs << '\n';
    out << QString("heartbeat_gap_ms p50 %1 p99 %2 max %3 over_20s %4\n")
               .arg(percentile(gaps, 0.5), 0, 'f', 0)
               .arg(percentile(gaps, 0.99), 0, 'f', 0)
               .arg(percentile(gaps, 1.0), 0, 'f', 0)
               .arg(gapsOver20s);
    out << "first_drop_ms " << firstDropMs << '\n';
    out << "open_descriptors " << QDir("/proc/self/fd").entryList(QDir::Files | QDir::System).size() << Qt::endl;
    return status;
}
