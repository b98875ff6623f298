// One "Volume control" for a whole fleet, as the operator gives it: the
// controller (window and registration service in one process) admits
// KVO_BENCH_EXPECT players, Ctrl+A selects them all, a right click on one
// opens the bulk menu, "Volume control" is chosen and its dialog answered
// with one value. Everything after the dialog is the window's own bulk path:
// its runner and the command channel.
//
// Meanwhile a probe thread posts an event to the window's thread every 5 ms
// and waits until it has been served (the GUI-thread round trip), and the
// calls in flight are sampled on every probe and every answer.
//
// Usage: kvo-bench-bulk-volume [ADDRESS [VOLUME]] (defaults 127.0.0.1, 50).
// Prints the registration port, then, once the run has reported its outcome
// (or after KVO_BENCH_TIMEOUT seconds, default 300):
//   selected N
//   answered N failed N
//   reach_ms T (from the dialog's OK to the last answer)
//   calls_per_second R
//   gui_round_trip_ms p50 A p99 B max C samples N (from the right click to the outcome)
//   max_in_flight N volume V other_calls C (any call / volume calls; other calls answered meanwhile)
//   summary TEXT
//   message_boxes N
// Exits with status 0 when every selected player answered.

#include "app/descriptorlimit.h"
#include "app/startup.h"
#include "core/repositorypath.h"
#include "players/bulkoutcome.h"
#include "players/bulkrun.h"
#include "players/commandchannel.h"
#include "players/playeritem.h"
#include "players/playerscontroller.h"
#include "players/qxrkvoserver.h"
#include "window/kvo_form.h"
#include "percentile.h"
#include "../../tests/peers/scriptedprompts.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDial>
#include <QElapsedTimer>
#include <QListWidget>
#include <QPointer>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

namespace {

const QString kSetVolume = QStringLiteral("Kivo.SetVolume");
const QString kVolumeControl = QStringLiteral("Volume control");

// Chooses "Volume control" from the bulk menu and answers its dialog with
// one value; every message box is counted and closed with its default.
class BulkVolumePrompts : public ScriptedPrompts
{
public:
    explicit BulkVolumePrompts(int volume)
    {
        nestedLoopMs = -1;
        menuAnswers.append(kVolumeControl);
        dialogScripts.append([this, volume](QDialog* dialog) {
            QDial* dial = dialog->findChild<QDial*>();
            if (!dial)
                return;
            dial->setValue(volume);
            for (QAbstractButton* button : dialog->findChildren<QAbstractButton*>()) {
                if (button->objectName().endsWith(QLatin1String("Ok_pushButton"))) {
                    okPressed.start();
                    button->click();
                    return;
                }
            }
        });
    }
    QMessageBox::StandardButton message(Kind kind, QWidget* parent, const QString& title, const QString& text,
                                        QMessageBox::StandardButtons buttons,
                                        QMessageBox::StandardButton defaultButton) override
    {
        if (messages.isEmpty())
            QTextStream(stderr) << "first message box: " << title << ": " << text << Qt::endl;
        return ScriptedPrompts::message(kind, parent, title, text, buttons, defaultButton);
    }
    QElapsedTimer okPressed;
};

// Round trips to the window's thread: every 5 ms an event is posted to it
// and the probe waits until it has been served.
class GuiRoundTrip
{
public:
    explicit GuiRoundTrip(QObject* guiObject, std::function<void()> onServed)
        : m_thread([this, guiObject, onServed] {
            while (!m_stop) {
                const auto sent = std::chrono::steady_clock::now();
                QMetaObject::invokeMethod(guiObject, onServed, Qt::BlockingQueuedConnection);
                const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - sent;
                if (m_recording)
                    m_samples.push_back(took.count());
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
            m_done = true;
        })
    {
    }
    ~GuiRoundTrip() { stop(); }
    void record(bool on) { m_recording = on; }
    // Ends the probe, serving its last post meanwhile.
    void stop()
    {
        m_stop = true;
        while (!m_done) {
            QCoreApplication::processEvents();
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        if (m_thread.joinable())
            m_thread.join();
    }
    // The samples, read once the probe has stopped.
    const std::vector<double>& samples() const { return m_samples; }

private:
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_done{false};
    std::atomic<bool> m_recording{false};
    std::vector<double> m_samples;
    std::thread m_thread;
};

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    const QString descriptorLine = raiseDescriptorLimit();
    QApplication app(argc, argv);
    QTextStream(stderr) << descriptorLine << '\n';
    const QStringList args = app.arguments();
    const QHostAddress address(args.value(1, "127.0.0.1"));
    const int volume = args.value(2, "50").toInt();
    const int expected = qMax(1, qEnvironmentVariableIntValue("KVO_BENCH_EXPECT"));
    bool timeoutSet = false;
    const int timeoutSeconds = qEnvironmentVariableIntValue("KVO_BENCH_TIMEOUT", &timeoutSet);

    // An empty repository of its own: no virtual players join the selection.
    const QTemporaryDir repository;
    setRepositoryPath(repository.path());
    BulkVolumePrompts prompts(volume);
    QXRKVOServer server(0, registrationListenBacklog(), nullptr, "registration", address);
    if (!server.isListening()) {
        QTextStream(stderr) << "cannot listen on " << address.toString() << ": " << server.errorString() << '\n';
        return 1;
    }
    kvo_Form window(nullptr, nullptr, Qt::Window);
    window.show();
    PlayersController* players = window.players();
    QObject::connect(&server, &QXRKVOServer::NewPlayerRegistration, players, &PlayersController::AddNewPlayer);
    QListWidget* view = window.ui.Player_iconView;
    CommandChannel& channel = players->channel();

    // Calls the channel has outstanding (any call), and players the run has
    // calls in flight for (volume calls only).
    int maxInFlight = 0;
    int maxRunBusy = 0;
    QPointer<BulkRun> run;
    const auto sampleInFlight = [&] {
        maxInFlight = qMax(maxInFlight, channel.outstanding());
        if (run)
            maxRunBusy = qMax(maxRunBusy, run->busySlots());
    };
    GuiRoundTrip probe(&window, sampleInFlight);

    // Answers and failures of the volume call, one per player at most.
    QSet<PlayerItem*> answered;
    QSet<PlayerItem*> failed;
    qint64 lastAnswerMs = -1;
    QString summary;
    int selected = 0;
    // Other calls answered while the run was under way (a player admitted again).
    int otherCalls = 0;
    const auto noteOutcome = [&](const QString& method, PlayerItem* player, QSet<PlayerItem*>& into) {
        sampleInFlight();
        if (method != kSetVolume) {
            otherCalls += run ? 1 : 0;
            return;
        }
        into.insert(player);
        if (prompts.okPressed.isValid())
            lastAnswerMs = prompts.okPressed.elapsed();
    };
    QObject::connect(&channel, &CommandChannel::replied, [&](const QString& method, PlayerItem* player, const QVariant&) {
        noteOutcome(method, player, answered);
    });
    QObject::connect(&channel, &CommandChannel::failed, [&](const QString& method, PlayerItem* player, const QString&) {
        noteOutcome(method, player, failed);
    });
    const auto realPlayers = [&] {
        int count = 0;
        for (int row = 0; row < view->count(); ++row) {
            const PlayerItem* player = asPlayer(view->item(row));
            count += player && player->isReal();
        }
        return count;
    };

    // Once the fleet is listed and the calls of its admission are answered
    // (so that every call outstanding afterwards is a volume call): select
    // every player and give them one volume.
    QTimer ready;
    ready.setInterval(100);
    QObject::connect(&ready, &QTimer::timeout, &window, [&] {
        if (realPlayers() < expected || channel.outstanding() > 0)
            return;
        ready.stop();
        QTextStream(stderr) << view->count() << " players listed" << Qt::endl;
        view->setFocus();
        QTest::keyClick(view, Qt::Key_A, Qt::ControlModifier);
        selected = int(players->selectedPlayers().size());
        QListWidgetItem* first = view->selectedItems().value(0);
        if (!first) {
            app.quit();
            return;
        }
        probe.record(true);
        emit view->customContextMenuRequested(view->visualItemRect(first).center());
        // The run the entry started reports its outcome when every player has one.
        run = players->findChild<BulkRun*>(QString(), Qt::FindDirectChildrenOnly);
        if (!run) {
            QTextStream(stderr) << "the bulk menu started no run" << Qt::endl;
            app.quit();
            return;
        }
        QObject::connect(run, &BulkRun::settled, &app, [&](const BulkOutcome& outcome) {
            probe.record(false);
            summary = bulkSummaryText(outcome);
            app.quit();
        });
    });
    ready.start();

    QTimer timeout;
    timeout.setSingleShot(true);
    QObject::connect(&timeout, &QTimer::timeout, &app, [&] {
        QTextStream(stderr) << "timed out" << Qt::endl;
        app.quit();
    });
    timeout.start((timeoutSet ? timeoutSeconds : 300) * 1000);

    QTextStream out(stdout);
    out << server.serverPort() << Qt::endl;
    app.exec();
    probe.stop();

    const std::vector<double>& roundTrips = probe.samples();
    const double reachSeconds = double(lastAnswerMs) / 1000.0;
    out << "selected " << selected << '\n';
    out << "answered " << answered.size() << " failed " << failed.size() << '\n';
    out << "reach_ms " << lastAnswerMs << '\n';
    out << "calls_per_second "
        << QString::number(reachSeconds > 0 ? double(answered.size() + failed.size()) / reachSeconds : 0, 'f', 0)
        << '\n';
    out << QString("gui_round_trip_ms p50 %1 p99 %2 max %3 samples %4\n")
               .arg(percentile(roundTrips, 0.5), 0, 'f', 2)
               .arg(percentile(roundTrips, 0.99), 0, 'f', 2)
               .arg(percentile(roundTrips, 1.0), 0, 'f', 2)
               .arg(roundTrips.size());
    out << "max_in_flight " << maxInFlight << " volume " << maxRunBusy << " other_calls " << otherCalls << '\n';
    out << "summary " << summary << '\n';
    out << "message_boxes " << prompts.messages.size() << Qt::endl;
    return selected == expected && answered.size() == expected ? 0 : 1;
}
