// Acting on several players: the selection, the bulk menu's entries as the window wires them, and
// the runner behind them, which bounds the calls in flight and ends with one outcome per player.

#include "content/contentcontroller.h"
#include "content/shownplayer.h"
#include "core/repositorypath.h"
#include "players/bulkrun.h"
#include "players/playerscontroller.h"
#include "window/kvo_form.h"

#include "../peers/boxes.h"
#include "../peers/contentfiles.h"
#include "../peers/eventlines.h"
#include "../peers/fakeplayer.h"
#include "../peers/scratchdir.h"

#include <QtTest>
#include <QtWidgets>

// A bulk menu entry, its answers and what it should leave behind.
struct BulkEntry {
    QString entry;
    QVariant choice;    // of the entry's own menu, or the volume set in its dialog
    QStringList calls;  // what each selected real player receives
    QString summary;
    QString virtualFile = {}; // "path=content" written for the virtual player
    QStringList ticked = {};  // entries of the entry's own menu
};
Q_DECLARE_METATYPE(BulkEntry)

class TestBulkActions : public QObject
{
    Q_OBJECT

private:
    ScratchDirectory m_dir;
    std::unique_ptr<ScriptedPrompts> m_prompts;
    std::unique_ptr<kvo_Form> m_form;

    QListWidget* view() const { return m_form->ui.Player_iconView; }
    PlayersController* players() const { return m_form->players(); }
    PlayerItem* addVirtual(const QString& name)
    {
        const QString directory = m_dir.filePath("media/MIRRORS/" + name);
        for (const char* folder : {"contents", "sys"})
            QDir().mkpath(directory + "/" + folder);
        return players()->addVirtualPlayer(name, directory);
    }

private slots:
    void init()
    {
        QVERIFY(m_dir.isValid());
        QDir().mkpath(m_dir.filePath("media/MIRRORS"));
        setRepositoryPath(m_dir.filePath("media"));
        m_prompts = std::make_unique<ScriptedPrompts>();
        m_form = std::make_unique<kvo_Form>();
    }
    void cleanup()
    {
        m_form.reset();
        m_prompts.reset();
        // A window finds the virtual players of the repository: the next starts without them.
        QDir(m_dir.filePath("media")).removeRecursively();
    }

    // Ctrl+A takes what the filter shows and a hidden icon leaves the selection; a click chooses a player for the
    // panes only when it alone is selected; a right click on a selected icon opens the bulk menu.
    void selection()
    {
        PlayerItem* hall1 = addVirtual("Hall1");
        PlayerItem* hall2 = addVirtual("Hall2");
        PlayerItem* lobby = addVirtual("Lobby");
        auto* filter = m_form->findChild<QLineEdit*>("PlayerFilter_lineEdit");
        filter->setText("hall");
        QTest::keySequence(view(), QKeySequence::SelectAll);
        QCOMPARE(players()->selectedPlayers(), (QList<PlayerItem*>{hall1, hall2}));
        QCOMPARE(m_form->statusBar()->currentMessage(), "2 players selected");
        filter->setText("hall2");
        QCOMPARE(view()->selectedItems(), QList<QListWidgetItem*>{hall2});
        filter->clear();

        view()->setCurrentItem(hall1, QItemSelectionModel::ClearAndSelect);
        players()->UpdatePlayerDisplayData(hall1);
        lobby->setSelected(true);
        players()->UpdatePlayerDisplayData(lobby);
        QCOMPARE(m_form->content()->shownPlayer()->player(), hall1);

        players()->PlayerManagementMenu(lobby, QPoint());
        players()->PlayerManagementMenu(hall2, QPoint());
        QCOMPARE((QStringList{m_prompts->menus.value(0).value(0).text, m_prompts->menus.value(1).value(0).text}),
                 (QStringList{"2 players", "Refresh player contents"}));
    }

    void eachEntryReachesTheSelectedPlayers_data()
    {
        QTest::addColumn<BulkEntry>("c");
        const QString notVirtual = "; Wall: not for a virtual player";
        QTest::newRow("play") << BulkEntry{"Play all files", {}, {"Kivo.PlayALL: "}, "Play all files: 2 of 3 done" + notVirtual};
        QTest::newRow("sleep") << BulkEntry{"Sleep", {}, {"Kivo.Sleep: "}, "Sleep: 2 of 3 done" + notVirtual};
        // Every selected player has PAL_60; only two have layout 2.
        QTest::newRow("video") << BulkEntry{"Video output selection", 3, {"Kivo.VideoMode: PAL_BG"},
                                            "Video output selection: 3 of 3 done", "sys/video.env=VIDEO=PAL_BG\n", {"PAL_60"}};
        QTest::newRow("layout") << BulkEntry{"Screen layout", 2, {"Kivo.SetScreenLayout: 2"}, "Screen layout: 3 of 3 done",
                                             "sys/screen.env=LAYOUT=2\n"};
        QTest::newRow("volume") << BulkEntry{"Volume control", 30, {"Kivo.SetVolume: 30"},
                                             "Volume control: 2 of 3 done" + notVirtual};
        QTest::newRow("firmware") << BulkEntry{"Firmware version", {}, {"Kivo.FirmwareVersion: "},
                                               "Firmware version: 2 of 3 done" + notVirtual};
        QTest::newRow("storage") << BulkEntry{"Storage space", {}, {"Kivo.FreeSpace: "}, "Storage space: 3 of 3 done"};
        QTest::newRow("refresh") << BulkEntry{"Refresh player contents", {}, {"Kivo.FreeSpace: ", "Kivo.GetMediaFileList: "},
                                              "Refresh player contents: 3 of 3 done", "poll_contents_list=clip.mpg\n"};
    }

    // The single entry's calls, to the players selected when the menu opened only; one box at most; one summary.
    void eachEntryReachesTheSelectedPlayers()
    {
        QFETCH(BulkEntry, c);
        CommandChannel& channel = players()->channel();
        FakePlayer emu1(view(), channel, "Emu1"), emu2(view(), channel, "Emu2"), emu3(view(), channel, "Emu3");
        for (FakePlayer* player : {&emu1, &emu3})
            player->replies = {{"Kivo.FirmwareVersion", QVariantList{"4.1"}}, {"Kivo.FreeSpace", QVariantList{1000, 250}},
                               {"Kivo.GetMediaFileList", QVariantList{}}};
        PlayerItem* wall = addVirtual("Wall");
        QVERIFY(QFile(wall->virtualDirectory() + "/contents/clip.mpg").open(QIODevice::WriteOnly));
        for (PlayerItem* player : {emu1.item.data(), emu3.item.data(), wall}) {
            player->setSelected(true);
            player->setVideoMode("PAL_60");
            player->setScreenLayout(player == wall ? -1 : 2);
        }

        m_prompts->menuAnswers << c.entry;
        m_prompts->buttonAnswers << QMessageBox::Yes; // the one question, if any
        if (c.entry == "Volume control") {
            m_prompts->dialogScripts << [&](QDialog* dialog) {
                auto* ok = dialog->findChild<QPushButton*>("VolumeOk_pushButton");
                QVERIFY(!ok->isEnabled()); // nothing is sent before the operator has chosen
                dialog->findChild<QDial*>("Volume_dial")->setValue(c.choice.toInt());
                ok->click();
            };
        } else if (c.choice.isValid()) {
            m_prompts->menuAnswers << c.choice;
        }
        QStringList table;
        m_prompts->dialogScripts << [&](QDialog* dialog) {
            const auto* rows = dialog->findChild<QTableWidget*>();
            for (int row = 0; rows && row < rows->rowCount(); ++row)
                table << rows->item(row, 0)->text() + " | " + rows->item(row, 1)->text();
        };
        players()->PlayerManagementMenu(emu3.item, QPoint());
        QTRY_VERIFY(eventLines(m_form.get()).contains(c.summary));

        QStringList ticked;
        for (const ScriptedPrompts::MenuEntry& shown : m_prompts->menus.value(1))
            if (shown.checked)
                ticked << shown.text;
        QCOMPARE(ticked, c.ticked);
        QCOMPARE(callLines(emu1), c.calls);
        QCOMPARE(callLines(emu3), c.calls);
        QVERIFY(emu2.calls.isEmpty());
        if (!c.virtualFile.isEmpty())
            QCOMPARE(readFile(wall->virtualDirectory() + "/" + c.virtualFile.section('=', 0, 0)),
                     c.virtualFile.section('=', 1).toUtf8());
        const QStringList questions = boxes(*m_prompts).filter("Question |");
        QCOMPARE(questions.size(), c.entry == "Sleep" ? 1 : 0);
        QCOMPARE(boxes(*m_prompts).size() - questions.size(), c.summary.contains(';') && table.isEmpty() ? 1 : 0);
        if (c.entry == "Firmware version")
            QCOMPARE(table, QStringList({"Emu1 | 4.1", "Emu3 | 4.1", "Wall | not for a virtual player"}));
        QVERIFY(channelIdle(channel));
    }

    // Slots are kept; a player removed in flight fails at once and frees its slot; a fault fails its player quietly.
    void runnerKeepsToItsSlotsAndGivesOneOutcomeEach()
    {
        CommandChannel& channel = players()->channel();
        std::vector<std::unique_ptr<FakePlayer>> fleet;
        QList<QPointer<PlayerItem>> list;
        for (const char* name : {"A", "B", "C", "D", "E"}) {
            fleet.push_back(std::make_unique<FakePlayer>(view(), channel, name));
            fleet.back()->held << "Kivo.SetVolume";
            list << fleet.back()->item;
        }
        fleet[0]->faults["Kivo.SetVolume"] = "Request timed out";
        BulkRun run(*players(), "Volume control", list, [&channel](PlayerItem* player) {
            return BulkRun::Step::sent({channel.send(player, "Kivo.SetVolume", {5}, CommandChannel::Delivery::Quiet)});
        });
        run.setSlots(2);
        QSignalSpy settled(&run, &BulkRun::settled);
        run.start();
        QTRY_COMPARE(fleet[0]->waiting() + fleet[1]->waiting(), 2);
        QCOMPARE(channel.outstanding(), 2);

        players()->delete_player(fleet[1]->item);
        QCOMPARE(run.settledCount(), 1);
        QTRY_COMPARE(fleet[2]->waiting(), 1);
        QCOMPARE(run.busySlots(), 2);
        while (settled.isEmpty()) {
            QVERIFY(run.busySlots() <= 2);
            for (const auto& player : fleet)
                player->release();
            QTest::qWait(5);
        }
        QCOMPARE(settled.size(), 1);
        const auto outcome = settled.first().first().value<BulkOutcome>();
        QCOMPARE(bulkSummaryText(outcome), "Volume control: 3 of 5 done; A: Request timed out; B: went offline");
        QVERIFY(m_prompts->messages.isEmpty());
        QVERIFY(eventLines(m_form.get()).filter("failed on").isEmpty());
    }

    // A restart is done when the player answers or closes the connection; its icon goes, and no request is left.
    void restartRemovesEachIcon()
    {
        CommandChannel& channel = players()->channel();
        FakePlayer answers(view(), channel, "Answers"), closes(view(), channel, "Closes"),
            refuses(view(), channel, "Refuses");
        closes.faults["Kivo.Reboot"] = "Server closed connection unexpectedly";
        refuses.faults["Kivo.Reboot"] = "Connection refused";
        for (PlayerItem* player : {answers.item.data(), closes.item.data(), refuses.item.data()})
            player->setSelected(true);
        m_prompts->menuAnswers << "Restart/wake player" << "Restart/wake player";
        m_prompts->buttonAnswers << QMessageBox::No << QMessageBox::Yes;
        players()->PlayerManagementMenu(answers.item, QPoint());
        QVERIFY(answers.calls.isEmpty());
        players()->PlayerManagementMenu(answers.item, QPoint());
        QTRY_COMPARE(view()->count(), 0);
        const QString question = "Question | Restart/wake player | Restart 3 players? Each leaves the view and registers anew.";
        QCOMPARE(boxes(*m_prompts), QStringList({question, question,
                                                 "Information | Restart/wake player | Restart/wake player: 2 of 3 done; "
                                                 "Refuses: Connection refused"}));
        QVERIFY(eventLines(m_form.get()).contains("Restart/wake player failed on Refuses: Connection refused"));
        QCOMPARE(channel.outstanding(), 0);
    }
};

QTEST_MAIN(TestBulkActions)
#include "tst_bulkactions.moc"
