// What a player sends, as the operator sees it: boxes show it as plain text
// and cut, lists are capped with a note, figures that cannot be true are
// refused, and a player whose calls keep failing is marked until it answers.

#include "core/displaytext.h"
#include "players/playeritem.h"
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
    void boxTextIsCut_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("shown");
        const QString lines = QString("line\n").repeated(displaylimit::kBoxLines);
        QTest::newRow("fits") << lines.chopped(1) << lines.chopped(1);
        QTest::newRow("one line too many")
            << lines + "last" << lines.chopped(1) + "\u2026 (" + QString::number(lines.size() + 4) + " characters)";
        QTest::newRow("too long") << QString(displaylimit::kBoxText + 1, 'x')
                                  << QString(displaylimit::kBoxText, 'x') + "\u2026 (2,001 characters)";
    }
    void boxTextIsCut()
    {
        QFETCH(QString, text);
        QFETCH(QString, shown);
        QCOMPARE(elideBoxText(text), shown);
    }

    // The real box, not the scripted one: markup stays text.
    void boxesShowMarkupAsText()
    {
        const QString text = "<h1>Update required</h1><a href=\"http://example.invalid/\">here</a>"
                             + QString(displaylimit::kBoxText, 'x');
        QString shownText;
        Qt::TextFormat format = Qt::RichText;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box);
            shownText = box->text();
            format = box->textFormat();
            box->accept();
        });
        showInformation(nullptr, "Version information", text);
        QCOMPARE(format, Qt::PlainText);
        QCOMPARE(shownText, elideBoxText(text));
    }

    void listsAreCapped_data()
    {
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<int>("taken");
        QTest::addColumn<QString>("note");
        QTest::newRow("within") << QStringList{"a", "b", "c"} << 3 << QString();
        QTest::newRow("too many") << QStringList{"a", "b", "c", "d", "e"} << 3
                                  << "From Screen07, 3 of 5 files are shown; the others were left out (too many or "
                                     "too long).";
        QTest::newRow("too long to be a name") << QStringList{"a", QString(displaylimit::kEntry + 1, 'n'), "c"} << 2
                                               << "From Screen07, 2 of 3 files are shown; the others were left out "
                                                  "(too many or too long).";
    }
    void listsAreCapped()
    {
        QFETCH(QStringList, entries);
        QFETCH(int, taken);
        QFETCH(QString, note);
        ListCap cap(3);
        QStringList shown;
        for (const QString& entry : entries)
            if (cap.take(entry))
                shown.append(entry);
        QCOMPARE(shown.size(), taken);
        QCOMPARE(cap.leftOut(), int(entries.size()) - taken);
        QCOMPARE(cap.leftOut() ? leftOutNote("Screen07", "files", cap.taken(), cap.leftOut()) : QString(), note);
    }

    void storageFiguresThatCannotBeTrueAreRefused_data()
    {
        QTest::addColumn<QVariant>("reply");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<int>("total");
        QTest::addColumn<int>("available");
        QTest::newRow("figures") << QVariant(QVariantList{1000, 250}) << true << 1000 << 250;
        QTest::newRow("numeric strings") << QVariant(QVariantList{" 1000", "250 "}) << true << 1000 << 250;
        QTest::newRow("available -1 keeps the old value") << QVariant(QVariantList{1000, -1}) << true << 1000 << -1;
        QTest::newRow("2^63") << QVariant(QVariantList{QString("9223372036854775808"), 1}) << false << 0 << 0;
        QTest::newRow("beyond int") << QVariant(QVariantList{qlonglong(1) << 40, 1}) << false << 0 << 0;
        QTest::newRow("available above total") << QVariant(QVariantList{100, 200}) << false << 0 << 0;
        QTest::newRow("a string where a list belongs") << QVariant("1000 250") << false << 0 << 0;
        QTest::newRow("one figure") << QVariant(QVariantList{1000}) << false << 0 << 0;
        QTest::newRow("not a number") << QVariant(QVariantList{"lots", 1}) << false << 0 << 0;
    }
    void storageFiguresThatCannotBeTrueAreRefused()
    {
        QFETCH(QVariant, reply);
        QFETCH(bool, accepted);
        QFETCH(int, total);
        QFETCH(int, available);
        const std::optional<StorageFigures> figures = storageFigures(reply);
        QCOMPARE(figures.has_value(), accepted);
        if (figures) {
            QCOMPARE(figures->totalKb, total);
            QCOMPARE(figures->availableKb, available);
        }
    }

    // Markup in a name stays text in the tool tip; the mark comes with the
    // third failure in a row and goes with the next reply.
    void failingPlayerIsMarkedUntilItAnswers()
    {
        ScriptedPrompts prompts;
        prompts.nestedLoopMs = -1;
        QWidget window;
        auto* view = new QListWidget(&window);
        CommandChannel channel(&window);
        FakePlayer player(view, channel, "<b>Lobby</b>");
        player.faults.insert("Kivo.FirmwareVersion", "disk <full>");
        const qint64 plainIcon = player.item->icon().cacheKey();
        for (int call = 1; call <= PlayerItem::FailingAfter; ++call) {
            QCOMPARE(player.item->isFailing(), false);
            channel.send(player.item, "Kivo.FirmwareVersion");
            QVERIFY(channelIdle(channel));
        }
        QVERIFY(player.item->isFailing());
        QVERIFY(player.item->icon().cacheKey() != plainIcon);
        const QString tip = player.item->data(Qt::ToolTipRole).toString();
        QVERIFY2(tip.contains("Name: &lt;b&gt;Lobby&lt;/b&gt;") && tip.contains("its last 3 calls failed (disk &lt;full&gt;)"),
                 qPrintable(tip));
        QVERIFY(player.item->data(Qt::AccessibleDescriptionRole).toString().contains("Name: <b>Lobby</b>"));

        channel.send(player.item, "Kivo.Sleep");
        QVERIFY(channelIdle(channel));
        QCOMPARE(player.item->isFailing(), false);
        QVERIFY(!player.item->data(Qt::ToolTipRole).toString().contains("failed"));
    }
};

QTEST_MAIN(TestPlayerText)
#include "tst_playertext.moc"
