// How a hostile player affects the window: for each bad reply of the test
// player (tests/peers/hostileplayer.h, and a few more), and for an honest
// player as the baseline, the calls of a click and of "Firmware version" go
// through the players controller and its fault path while a 10 ms timer on
// the GUI thread measures how late it is served. Boxes stay open until every
// call has ended, as an operator who does not answer at once. Per case it
// prints the worst stall, the peak resident memory and the growth of the
// peak over the memory before the case, and the boxes opened.
//
//   build/bench/kvo-bench-hostile-replies [ROUNDS]   (rounds per case, default 1)

#include "../tests/peers/faultpath.h"
#include "../tests/peers/hostileplayer.h"
#include "../tests/peers/scratchdir.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTimer>

#include <cstdio>

namespace {

// A figure of /proc/self/status in MiB ("VmRSS", "VmHWM").
double memoryMiB(const QByteArray& name)
{
    QFile status("/proc/self/status");
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(name + ':'))
            return line.mid(name.size() + 1).trimmed().split(' ').first().toDouble() / 1024;
    return -1;
}

void resetPeakMemory()
{
    QFile clearRefs("/proc/self/clear_refs");
    if (clearRefs.open(QIODevice::WriteOnly))
        clearRefs.write("5");
}

// The worst lateness of a 10 ms timer while it runs.
class StallProbe
{
public:
    StallProbe()
    {
        m_timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            const double late = m_clock.nsecsElapsed() / 1e6 - 10;
            m_worst = qMax(m_worst, late);
            m_clock.restart();
        });
        m_clock.start();
        m_timer.start(10);
    }
    double worstMs() const { return m_worst; }

private:
    QTimer m_timer;
    QElapsedTimer m_clock;
    double m_worst = 0;
};

struct Case {
    QString name;
    QString setting;
    int names;
};

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int rounds = argc > 1 ? qMax(1, atoi(argv[1])) : 1;
    ScratchDirectory dir;

    QList<Case> cases{{"honest player (baseline)", "none", 1}};
    for (const HostileReply& reply : hostileReplies())
        cases.append({reply.name, reply.setting, 1});
    // More of the issue's cases than the tests send, as they take longer.
    cases.append({"10 MB string with line breaks", R"({"mode": "huge", "size": 10000000, "fill": "line\n"})", 1});
    cases.append({"10 MB fault message", R"({"mode": "fault", "size": 10000000})", 1});
    cases.append({"no answer (5 s timeout here)", "delay:3600", 1});
    cases.append({"1 MB faults under 12 rotating names", R"({"mode": "fault", "size": 1000000})", 12});

    std::printf("| case | worst stall of the GUI thread | peak RSS | peak growth | boxes |\n|---|---|---|---|---|\n");
    for (const Case& each : cases) {
        for (int round = 0; round < rounds; ++round) {
            HostilePlayer player;
            if (!player.start("127.0.32.1", 1, each.setting)) {
                std::fprintf(stderr, "the test player did not start for %s\n", qPrintable(each.name));
                return 1;
            }
            FaultPathHost host(dir.filePath("events.log"));
            const int calls = each.names * FaultPathHost::kCallsPerPlayer;
            host.prompts.answerWhen = [&] { return host.outcomes() >= calls; };
            resetPeakMemory();
            const double before = memoryMiB("VmRSS");
            StallProbe probe;
            for (int n = 0; n < each.names; ++n)
                host.sendCommands(host.addPlayer(QString("%1-%2").arg(HostilePlayer::kName).arg(n), "127.0.32.1",
                                                 5000));
            const bool ended = QTest::qWaitFor([&] { return host.outcomes() >= calls && host.prompts.open == 0; },
                                               60000);
            const double peak = memoryMiB("VmHWM");
            std::printf("| %s%s | %.0f ms | %.0f MiB | %.0f MiB | %lld |\n", qPrintable(each.name),
                        ended ? "" : " (calls still open after 60 s)", probe.worstMs(), peak, peak - before,
                        qlonglong(host.prompts.messages.size()));
            std::fflush(stdout);
        }
    }
    return 0;
}
