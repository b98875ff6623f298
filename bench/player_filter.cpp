// How long the players filter takes to answer a keystroke: a fleet of 2,000
// icons against a baseline of 200 in the same run. Each keystroke is timed
// from the key press until the icon view has been laid out and painted again.
//
//   build/bench/kvo-bench-player-filter [LARGE [BASELINE]]

#include "players/playeritem.h"
#include "window/kvo_form.h"
#include "../tests/peers/scriptedprompts.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cstdio>

namespace {

struct Timing {
    double median = 0;
    double worst = 0;
    int shownAtEnd = 0;
};

void settle(QListWidget* view)
{
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    view->viewport()->repaint();
}

Timing measure(int players)
{
    kvo_Form form;
    form.resize(1600, 1000);
    form.show();
    (void)QTest::qWaitForWindowExposed(&form);
    QListWidget* view = form.ui.Player_iconView;
    for (int n = 1; n <= players; ++n) {
        auto* item = new PlayerItem(view, QStringLiteral("Screen%1").arg(n, 4, 10, QLatin1Char('0')), false, false);
        item->setIpAddress(QStringLiteral("10.%1.%2.%3").arg(n / 65536).arg(n / 256 % 256).arg(n % 256));
    }
    settle(view);

    auto* field = form.findChild<QLineEdit*>(QStringLiteral("PlayerFilter_lineEdit"));
    field->setFocus();
    QList<double> samples;
    // Typed, then erased: narrowing and widening both count.
    const QString typed = QStringLiteral("screen01");
    for (int round = 0; round < 3; ++round) {
        for (const QChar character : typed) {
            QElapsedTimer timer;
            timer.start();
            QTest::keyClick(field, character.toLatin1());
            settle(view);
            samples.append(timer.nsecsElapsed() / 1e6);
        }
        for (int i = 0; i < typed.size(); ++i) {
            QElapsedTimer timer;
            timer.start();
            QTest::keyClick(field, Qt::Key_Backspace);
            settle(view);
            samples.append(timer.nsecsElapsed() / 1e6);
        }
    }
    std::sort(samples.begin(), samples.end());
    Timing timing;
    timing.median = samples.at(samples.size() / 2);
    timing.worst = samples.last();
    for (int row = 0; row < view->count(); ++row)
        timing.shownAtEnd += view->isRowHidden(row) ? 0 : 1;
    return timing;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    const int large = argc > 1 ? std::max(1, atoi(argv[1])) : 2000;
    const int baseline = argc > 2 ? std::max(1, atoi(argv[2])) : 200;

    // Settings, events file and debug files stay in a scratch directory.
    QTemporaryDir scratch;
    QDir::setCurrent(scratch.path());
    for (const auto format : {QSettings::NativeFormat, QSettings::IniFormat}) {
        QSettings::setPath(format, QSettings::SystemScope, scratch.filePath(QStringLiteral("system")));
        QSettings::setPath(format, QSettings::UserScope, scratch.filePath(QStringLiteral("user")));
    }
    ScriptedPrompts quiet;

    const Timing small = measure(baseline);
    const Timing big = measure(large);
    std::printf("filter keystroke, key press to repainted view (ms)\n");
    std::printf("%8s %10s %10s %8s\n", "players", "median", "worst", "shown");
    std::printf("%8d %10.2f %10.2f %8d\n", baseline, small.median, small.worst, small.shownAtEnd);
    std::printf("%8d %10.2f %10.2f %8d\n", large, big.median, big.worst, big.shownAtEnd);
    std::printf("ratio %d / %d: median %.1f, worst %.1f (target: worst under 100 ms)\n", large, baseline,
                big.median / std::max(small.median, 0.001), big.worst / std::max(small.worst, 0.001));
    return big.shownAtEnd == large ? 0 : 1;
}
