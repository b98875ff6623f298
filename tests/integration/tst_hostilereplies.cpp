// Hostile players against the window's fault path: every bad reply ends in a fault (or text shown as it is),
// one box at most is open, and every text the operator sees is bounded.

#include "core/displaytext.h"

#include "../peers/faultpath.h"
#include "../peers/hostileplayer.h"
#include "../peers/scratchdir.h"

#include <QtTest>

class TestHostileReplies : public QObject
{
    Q_OBJECT

private slots:
    void badRepliesReachTheOperatorBounded_data()
    {
        QTest::addColumn<QString>("setting");
        QTest::addColumn<int>("names"); // the player's names, one after another at the same address
        QTest::addColumn<bool>("fails");
        for (const HostileReply& reply : hostileReplies())
            QTest::newRow(reply.name) << reply.setting << 1 << (reply.code != 0);
        QTest::newRow("1 MB faults under rotating names")
            << R"({"mode": "fault", "size": 1000000, "text": "<b>update now</b>\n"})" << 12 << true;
    }
    void badRepliesReachTheOperatorBounded()
    {
        QFETCH(QString, setting);
        QFETCH(int, names);
        QFETCH(bool, fails);
        ScratchDirectory dir;
        HostilePlayer player;
        QVERIFY(player.start("127.0.31.3", 1, setting));
        FaultPathHost host(dir.filePath("events.log"));
        const int calls = names * FaultPathHost::kCallsPerPlayer;
        host.prompts.answerWhen = [&] { return host.outcomes() >= calls; }; // first box open till all calls end

        QList<QPointer<PlayerItem>> items;
        for (int n = 0; n < names; ++n) {
            items.append(host.addPlayer(QString("%1-%2").arg(HostilePlayer::kName).arg(n), "127.0.31.3", 2000));
            host.sendCommands(items.last());
        }
        QVERIFY(QTest::qWaitFor([&] { return host.outcomes() >= calls && host.prompts.open == 0; }, 30000));

        QCOMPARE(host.faults, fails ? calls : 0);
        QCOMPARE(host.prompts.messages.size(), 1); // one box in all, so never two at once
        const QString box = host.prompts.messages.value(0).text;
        QVERIFY(box.size() <= displaylimit::kBoxText + 40 && box.count('\n') < displaylimit::kBoxLines);
        for (const QString& line : host.statusLines)
            QVERIFY2(line.size() <= displaylimit::kStatusLine, qPrintable(line.left(200)));
        if (!fails)
            return;
        QCOMPARE(host.statusLines.last(), moreFaultsText(calls - 1));
        for (const QPointer<PlayerItem>& item : items) { // each player is marked, each fault an event with its name
            const int events = int(host.eventsView->findItems(" on " + item->name() + ": ", Qt::MatchContains).size());
            QCOMPARE(events, FaultPathHost::kCallsPerPlayer);
            QVERIFY(item->isFailing());
        }
    }
};

QTEST_MAIN(TestHostileReplies)
#include "tst_hostilereplies.moc"
