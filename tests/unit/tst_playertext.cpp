// What a player sends, as the operator sees it: plain text, capped lists, sound figures, a mark while it fails.

#include "core/displaytext.h"
#include "players/playerscontroller.h"

#include "../peers/fakeplayer.h"
#include "../peers/scriptedprompts.h"

#include <QApplication>
#include <QMessageBox>
#include <QtTest>

class TestPlayerText : public QObject
{
    Q_OBJECT

private slots:
    void boxesShowMarkupAsText() // the real box, not the scripted one
    {
        Qt::TextFormat format = Qt::RichText;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box);
            format = box->textFormat();
            box->accept();
        });
        showInformation(nullptr, "Version information", "<h1>Update required</h1>");
        QCOMPARE(format, Qt::PlainText);
    }

    void listsAreCapped_data()
    {
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<int>("taken");
        QTest::newRow("too many") << QStringList{"a", "b", "c", "d", "e"} << 3;
        QTest::newRow("too long to be a name") << QStringList{"a", QString(displaylimit::kEntry + 1, 'n'), "c"} << 2;
    }
    void listsAreCapped()
    {
        QFETCH(QStringList, entries);
        QFETCH(int, taken);
        ListCap cap(3);
        int shown = 0;
        for (const QString& entry : entries)
            shown += cap.take(entry) ? 1 : 0;
        QCOMPARE(shown, taken);
        QCOMPARE(leftOutNote("Screen07", "files", cap.taken(), cap.leftOut()),
                 QString("From Screen07, %1 of %2 files are shown; the others were left out (too many or too long).")
                     .arg(taken).arg(entries.size()));
    }

    void storageFiguresThatCannotBeTrueAreRefused_data()
    {
        QTest::addColumn<QVariant>("reply");
        QTest::addColumn<QString>("figures"); // total/available kB; empty when refused
        QTest::newRow("figures") << QVariant(QVariantList{1000, 250}) << "1000/250";
        QTest::newRow("numeric strings") << QVariant(QVariantList{" 1000", "250 "}) << "1000/250";
        QTest::newRow("available -1 keeps the old value") << QVariant(QVariantList{1000, -1}) << "1000/-1";
        QTest::newRow("2^63") << QVariant(QVariantList{QString("9223372036854775808"), 1}) << "";
        QTest::newRow("beyond int") << QVariant(QVariantList{qlonglong(1) << 40, 1}) << "";
        QTest::newRow("available above total") << QVariant(QVariantList{100, 200}) << "";
        QTest::newRow("a string where a list belongs") << QVariant("1000 250") << "";
        QTest::newRow("not a number") << QVariant(QVariantList{"lots", 1}) << "";
    }
    void storageFiguresThatCannotBeTrueAreRefused()
    {
        QFETCH(QVariant, reply);
        QFETCH(QString, figures);
        const std::optional<StorageFigures> read = storageFigures(reply);
        QCOMPARE(read ? QString("%1/%2").arg(read->totalKb).arg(read->availableKb) : QString(), figures);
    }

    // The mark comes with the third failure in a row and goes with the next reply; markup in the tip stays text.
    void failingPlayerIsMarkedUntilItAnswers()
    {
        ScriptedPrompts prompts;
        prompts.nestedLoopMs = -1;
        QListWidget view;
        CommandChannel channel(&view);
        FakePlayer player(&view, channel, "<b>Lobby</b>");
        player.faults.insert("Kivo.FirmwareVersion", "disk <full>");
        for (int call = 1; call <= PlayerItem::FailingAfter; ++call) {
            QCOMPARE(player.item->isFailing(), false);
            channel.send(player.item, "Kivo.FirmwareVersion");
            QVERIFY(channelIdle(channel));
        }
        QVERIFY(player.item->isFailing());
        const QString tip = player.item->data(Qt::ToolTipRole).toString();
        QVERIFY2(tip.contains("&lt;b&gt;Lobby&lt;/b&gt;") && tip.contains("(disk &lt;full&gt;)"), qPrintable(tip));

        channel.send(player.item, "Kivo.Sleep");
        QVERIFY(channelIdle(channel));
        QCOMPARE(player.item->isFailing(), false);
    }
};

QTEST_MAIN(TestPlayerText)
#include "tst_playertext.moc"
