// Acting on several players: the selection, the bulk menu's entries as the window
// wires them, and the runner behind them, which bounds the calls in flight and
// ends with one outcome per player.

#include "content/contentcontroller.h"
#include "content/shownplayer.h"
#include "core/repositorypath.h"
#include "players/bulkrun.h"
#include "players/playerscontroller.h"
#include "window/kvo_form.h"

#include "../peers/boxes.h"
#include "../peers/fakeplayer.h"
#include "../peers/scratchdir.h"

#include <QtTest>
#include <QtWidgets>

#include <memory>

namespace {

QStringList namesOf(const QList<PlayerItem*>& players)
{
    QStringList names;
    for (const PlayerItem* player : players)
        names << player->name();
    return names;
}

// Each call as "method: param|param".
QStringList callLines(const FakePlayer& player)
{
    QStringList lines;
    for (const FakePlayer::Call& call : player.calls)
        lines << call.method + ": " + QVariant(call.params).toStringList().join('|');
    return lines;
}

QString fileText(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

} // namespace

class TestBulkActions : public QObject
{
    Q_OBJECT

private:
    ScratchDirectory m_dir;
    std::unique_ptr<ScriptedPrompts> m_prompts;
    std::unique_ptr<kvo_Form> m_form;

    QListWidget* view() const { return m_form->ui.Player_iconView; }
    PlayersController* players() const { return m_form->players(); }
    QString status() const { return m_form->statusBar()->currentMessage(); }
    // The events pane's lines without their time stamp.
    QStringList events() const
    {
        const auto* pane = m_form->findChild<QListWidget*>("Events_listWidget");
        QStringList lines;
        for (int row = 0; row < pane->count(); ++row)
            lines << pane->item(row)->text().section("  ", 1);
        return lines;
    }
    PlayerItem* addVirtual(const QString& name)
    {
        const QString directory = m_dir.filePath("media/MIRRORS/" + name);
        for (const char* folder : {"contents", "sys"})
            QDir().mkpath(directory + "/" + folder);
        return players()->addVirtualPlayer(name, directory);
    }
    void select(const QList<PlayerItem*>& chosen)
    {
        view()->clearSelection();
        for (PlayerItem* player : chosen)
            player->setSelected(true);
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

    // Ctrl+A takes what the filter shows; an icon the filter hides leaves the selection; a click
    // chooses a player for the panes only when it alone is selected; a right click on one of
    // several selected icons opens the bulk menu, elsewhere the player's own menu.
    void selection()
    {
        PlayerItem* hall1 = addVirtual("Hall1");
        PlayerItem* hall2 = addVirtual("Hall2");
        PlayerItem* lobby = addVirtual("Lobby");
        auto* filter = m_form->findChild<QLineEdit*>("PlayerFilter_lineEdit");
        filter->setText("hall");
        QTest::keySequence(view(), QKeySequence::SelectAll);
        QCOMPARE(namesOf(players()->selectedPlayers()), QStringList({"Hall1", "Hall2"}));
        QCOMPARE(status(), "2 players selected");
        filter->setText("hall2");
        QCOMPARE(view()->selectedItems(), QList<QListWidgetItem*>{hall2});
        filter->clear();

        select({hall1});
        players()->UpdatePlayerDisplayData(hall1);
        lobby->setSelected(true);
        players()->UpdatePlayerDisplayData(lobby);
        QCOMPARE(m_form->content()->shownPlayer()->player(), hall1);

        players()->PlayerManagementMenu(lobby, QPoint());
        players()->PlayerManagementMenu(hall2, QPoint());
        QCOMPARE(m_prompts->menus.size(), 2);
        QCOMPARE(m_prompts->menus[0].first().text, "2 players");
        QCOMPARE(m_prompts->menus[1].first().text, "Refresh player contents");
    }

    void eachEntryReachesTheSelectedPlayers_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QVariant>("choice");  // of the entry's own menu, or the volume set in its dialog
        QTest::addColumn<QStringList>("calls"); // what each selected real player receives
        QTest::addColumn<QString>("virtualFile");
        QTest::addColumn<QString>("summary");
        QTest::addColumn<QStringList>("ticked"); // entries of the entry's own menu
        const QString notVirtual = "; Wall: not for a virtual player";
        QTest::newRow("play") << "Play all files" << QVariant() << QStringList{"Kivo.PlayALL: "} << ""
                              << "Play all files: 2 of 3 done" + notVirtual << QStringList();
        QTest::newRow("sleep") << "Sleep" << QVariant() << QStringList{"Kivo.Sleep: "} << ""
                               << "Sleep: 2 of 3 done" + notVirtual << QStringList();
        // Every selected player has PAL_60; only two have layout 2.
        QTest::newRow("video") << "Video output selection" << QVariant(3) << QStringList{"Kivo.VideoMode: PAL_BG"}
                               << "sys/video.env=VIDEO=PAL_BG\n" << "Video output selection: 3 of 3 done"
                               << QStringList{"PAL_60"};
        QTest::newRow("layout") << "Screen layout" << QVariant(2) << QStringList{"Kivo.SetScreenLayout: 2"}
                                << "sys/screen.env=LAYOUT=2\n" << "Screen layout: 3 of 3 done" << QStringList();
        QTest::newRow("volume") << "Volume control" << QVariant(30) << QStringList{"Kivo.SetVolume: 30"} << ""
                                << "Volume control: 2 of 3 done" + notVirtual << QStringList();
        QTest::newRow("firmware") << "Firmware version" << QVariant() << QStringList{"Kivo.FirmwareVersion: "} << ""
                                  << "Firmware version: 2 of 3 done" + notVirtual << QStringList();
        QTest::newRow("storage") << "Storage space" << QVariant() << QStringList{"Kivo.FreeSpace: "} << ""
                                 << "Storage space: 3 of 3 done" << QStringList();
        QTest::newRow("refresh") << "Refresh player contents" << QVariant()
                                 << QStringList{"Kivo.FreeSpace: ", "Kivo.GetMediaFileList: "}
                                 << "poll_contents_list=clip.mpg\n" << "Refresh player contents: 3 of 3 done"
                                 << QStringList();
    }

    // The same calls as the single entry, to the players selected when the menu opened and to no
    // other, one box at most (the table of values), and one summary.
    void eachEntryReachesTheSelectedPlayers()
    {
        QFETCH(QString, entry);
        QFETCH(QVariant, choice);
        QFETCH(QStringList, calls);
        QFETCH(QString, virtualFile);
        QFETCH(QString, summary);
        QFETCH(QStringList, ticked);
        CommandChannel& channel = players()->channel();
        FakePlayer emu1(view(), channel, "Emu1"), emu2(view(), channel, "Emu2"), emu3(view(), channel, "Emu3");
        for (FakePlayer* player : {&emu1, &emu3}) {
            player->replies["Kivo.FirmwareVersion"] = QVariantList{"4.1"};
            player->replies["Kivo.FreeSpace"] = QVariantList{1000, 250};
            player->replies["Kivo.GetMediaFileList"] = QVariantList{};
        }
        PlayerItem* wall = addVirtual("Wall");
        QVERIFY(QFile(wall->virtualDirectory() + "/contents/clip.mpg").open(QIODevice::WriteOnly));
        select({emu1.item, emu3.item, wall});
        for (PlayerItem* player : {emu1.item.data(), emu3.item.data(), wall}) {
            player->setVideoMode("PAL_60");
            player->setScreenLayout(player == wall ? -1 : 2);
        }

        m_prompts->menuAnswers << entry;
        m_prompts->buttonAnswers << QMessageBox::Yes; // the one question, if any
        if (entry == "Volume control") {
            m_prompts->dialogScripts << [&](QDialog* dialog) {
                auto* ok = dialog->findChild<QPushButton*>("VolumeOk_pushButton");
                QVERIFY(!ok->isEnabled()); // nothing is sent before the operator has chosen
                dialog->findChild<QDial*>("Volume_dial")->setValue(choice.toInt());
                ok->click();
            };
        } else if (choice.isValid()) {
            m_prompts->menuAnswers << choice;
        }
        QStringList table;
        m_prompts->dialogScripts << [&](QDialog* dialog) {
            const auto* rows = dialog->findChild<QTableWidget*>();
            for (int row = 0; rows && row < rows->rowCount(); ++row)
                table << rows->item(row, 0)->text() + " | " + rows->item(row, 1)->text();
        };
        players()->PlayerManagementMenu(emu3.item, QPoint());
        QTRY_VERIFY(events().contains(summary));

        QStringList tickedEntries;
        for (const ScriptedPrompts::MenuEntry& shown : m_prompts->menus.value(1))
            if (shown.checked)
                tickedEntries << shown.text;
        QCOMPARE(tickedEntries, ticked);
        QCOMPARE(callLines(emu1), calls);
        QCOMPARE(callLines(emu3), calls);
        QVERIFY(emu2.calls.isEmpty());
        if (!virtualFile.isEmpty())
            QCOMPARE(fileText(wall->virtualDirectory() + "/" + virtualFile.section('=', 0, 0)),
                     virtualFile.section('=', 1));
        const QStringList questions = boxes(*m_prompts).filter("Question |");
        QCOMPARE(questions.size(), entry == "Sleep" ? 1 : 0);
        QCOMPARE(boxes(*m_prompts).size() - questions.size(), summary.contains(';') && table.isEmpty() ? 1 : 0);
        if (entry == "Firmware version")
            QCOMPARE(table, QStringList({"Emu1 | 4.1", "Emu3 | 4.1", "Wall | not for a virtual player"}));
        QVERIFY(channelIdle(channel));
    }

    // The runner keeps to its slots, a player removed while its call is in flight fails at once
    // and frees its slot, a fault fails its player only and opens no box of its own.
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
        const auto waiting = [&] {
            int count = 0;
            for (const auto& player : fleet)
                count += player->waiting();
            return count;
        };
        QTRY_COMPARE(waiting(), 2);
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
        QVERIFY(events().filter("failed on").isEmpty());
    }

    // A restart counts a player done when it answers or closes the connection as it goes down; either
    // way its icon goes, and a reply that nothing completes leaves no request behind.
    void restartRemovesEachIcon()
    {
        CommandChannel& channel = players()->channel();
        FakePlayer answers(view(), channel, "Answers"), closes(view(), channel, "Closes"),
            refuses(view(), channel, "Refuses");
        closes.faults["Kivo.Reboot"] = "Server closed connection unexpectedly";
        refuses.faults["Kivo.Reboot"] = "Connection refused";
        select({answers.item, closes.item, refuses.item});
        m_prompts->menuAnswers << "Restart/wake player" << "Restart/wake player";
        m_prompts->buttonAnswers << QMessageBox::No << QMessageBox::Yes;
        players()->PlayerManagementMenu(answers.item, QPoint());
        QVERIFY(answers.calls.isEmpty());
        players()->PlayerManagementMenu(answers.item, QPoint());
        QTRY_COMPARE(view()->count(), 0);
        QCOMPARE(boxes(*m_prompts),
                 QStringList({"Question | Restart/wake player | Restart 3 players? Each leaves the view and registers "
                              "anew.",
                              "Question | Restart/wake player | Restart 3 players? Each leaves the view and registers "
                              "anew.",
                              "Information | Restart/wake player | Restart/wake player: 2 of 3 done; Refuses: "
                              "Connection refused"}));
        QVERIFY(events().contains("Restart/wake player failed on Refuses: Connection refused"));
        QCOMPARE(channel.outstanding(), 0);
    }
};

QTEST_MAIN(TestBulkActions)
#include "tst_bulkactions.moc"
