// The configuration dialogs with virtual players (files) and real ones (FakePlayer
// calls, the emulator's FTP service): each shows and sends only its player's
// values, nothing before they are read, nothing once that player has gone.

#include "core/settings.h"

#include "../peers/confighost.h"
#include "../peers/emulatorpeer.h"

#include <QtTest>
#include <QtWidgets>

namespace {

const QString kFtpHost = "127.0.83.2";
const QString kSecondFtpHost = "127.0.83.3";

// The player's values a dialog shows: the dial, the list, or the window's fields.
QString shownValues(QDialog* dialog)
{
    if (auto* dial = dialog->findChild<QDial*>())
        return QString::number(dial->value());
    for (const char* view : {"Crontab_listView", "Log_listView"})
        if (child<QTreeWidget>(dialog, view))
            return rowsOf(child<QTreeWidget>(dialog, view)).join(';');
    QStringList fields;
    for (const char* name : {"ScaleWindowX_lineEdit", "ScaleWindowY_lineEdit", "ScaleWindowW_lineEdit",
                             "ScaleWindowH_lineEdit"})
        fields.append(child<QLineEdit>(dialog, name)->text());
    return fields.join('|');
}

void selectRow(QDialog* dialog, const char* view, int row)
{
    if (auto* list = child<QTreeWidget>(dialog, view)) {
        list->clearSelection();
        list->topLevelItem(row)->setSelected(true);
    }
}

struct PlayersValues {
    QString dialog;
    QString read;
    QVariant values, othersValues;
    QString unread, shown;
    QString commit;
    QString sent; // the start of the call the unchanged dialog sends
    QStringList notices = {};
};

} // namespace

Q_DECLARE_METATYPE(PlayersValues)

class TestConfigDialogs : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_emulatorDir;
    std::unique_ptr<EmulatorPeer> m_ftp;
    std::unique_ptr<ConfigHost> m_host;

    ScriptedPrompts& prompts() { return m_host->prompts; }
    void script(const ScriptedPrompts::DialogScript& run) { prompts().dialogScripts.append(run); }
    QString ftpState(const QString& name) const { return m_emulatorDir.filePath("state/" + kFtpHost + "/" + name); }

private slots:
    void initTestCase()
    {
        // Only the emulated player's FTP service is used; it registers with nobody.
        m_ftp = std::make_unique<EmulatorPeer>(m_emulatorDir.path());
        QVERIFY(m_ftp->start(1, kFtpHost, 2, {"--interval", "600"}));
    }
    void cleanupTestCase() { m_ftp.reset(); }
    void init() { m_host = std::make_unique<ConfigHost>(); }
    void cleanup()
    {
        QVERIFY(channelIdle(m_host->channel()));
        m_host.reset();
    }

    void crontabOfAVirtualPlayer()
    {
        PlayerItem* hall = m_host->virtualPlayer("Hall");
        const QString root = hall->virtualDirectory() + "/sys/root";
        QVERIFY(writeFile(root, "0   7 *  *\t1-5    /usr/local/bin/psudon\n# $$ created on Sat Dec 5 07:10:48 2026\n"
                                "30 22 * * * /usr/local/bin/psudoff\n"));
        QStringList listed;
        prompts().buttonAnswers = {QMessageBox::No};
        script([&](QDialog* dialog) {
            listed = rowsOf(child<QTreeWidget>(dialog, "Crontab_listView"));
            selectRow(dialog, "Crontab_listView", 1);
            click(dialog, "DeleteTask_pushButton");
            // A task of wildcards alone asks first; polling needs a server; a poll keeps its runs of blanks.
            fill(dialog, {{"schedule_event_comboBox", 1}});
            click(dialog, "AddTask_pushButton");
            fill(dialog, {{"schedule_event_comboBox", 4}, {"VirtualPlayerName_lineEdit", " Hall "},
                          {"ContentsWebServer_lineEdit", " "}, {"schedule_event_minutes_lineEdit", "*/15"}});
            click(dialog, "AddTask_pushButton");
            fill(dialog, {{"ContentsWebServer_lineEdit", "10.0.0.1"}});
            click(dialog, "AddTask_pushButton");
            click(dialog, "Commit_pushButton");
        });
        m_host->open("scheduler", hall);
        QCOMPARE(prompts().dialogs, QStringList{"Hall"});
        QCOMPARE(listed, (QStringList{"0|7|*|*|1-5|/usr/local/bin/psudon", "30|22|*|*|*|/usr/local/bin/psudoff"}));
        QCOMPARE(boxes(prompts()), (QStringList{"Question | Task scheduler | All entries are wildcards, this will trigger "
                                                "the task every minute.\nAre you sure it is okay to proceed?",
                                                "Information | Task Scheduler | A Web server name is required in "
                                                "polling mode."}));
        const QList<QByteArray> lines = readFile(root).split('\n');
        QCOMPARE(lines.size(), 4);
        QCOMPARE(lines.mid(0, 2), (QList<QByteArray>{"0 7 * * 1-5 /usr/local/bin/psudon",
                                                     "*/15 * * * * /usr/local/bin/poll  -s   10.0.0.1  -u  kvo  -m   Hall"}));
        QVERIFY2(lines[2].startsWith("# $$ created on "), lines[2]);

        // A table that cannot be stored is reported, not lost silently.
        QVERIFY(QDir(hall->virtualDirectory() + "/sys").removeRecursively());
        prompts().messages.clear();
        script([](QDialog* dialog) { click(dialog, "Commit_pushButton"); });
        m_host->open("scheduler", hall);
        QCOMPARE(prompts().messages.size(), 1);
        QCOMPARE(prompts().messages.first().title, QString("Task scheduler"));
    }

    void tickerOfAVirtualPlayer()
    {
        const QString text = "Lobby opens at 9 — «bienvenue»";
        PlayerItem* hall = m_host->virtualPlayer("Hall");
        script([&](QDialog* dialog) {
            fill(dialog, {{"TickerLineEdit", text}, {"TickerL2R_radioButton", true}, {"TickerSpeed_slider", 5}});
            click(dialog, "TickerOKButton");
        });
        m_host->open("ticker", hall);
        QCOMPARE(readFile("ticker.ini"), QByteArray("#000000\n1\n5\n"));
        const QString tickers = hall->virtualDirectory() + "/tickers/";
        QCOMPARE(readFile(tickers + "ticker.xml"), text.toUtf8());
        QCOMPARE(readFile(tickers + "ticker.ini"), readFile("ticker.ini"));
        QCOMPARE(readFile(tickers + "ticker.bmp"), readFile("ticker.bmp"));
    }

    // The bulk entry: one composer, its ticker delivered to exactly the players chosen, one summary.
    void tickerForSeveralPlayers()
    {
        FakePlayer lobby(m_host->view, m_host->channel(), "Lobby");
        FakePlayer bar(m_host->view, m_host->channel(), "Bar");
        FakePlayer door(m_host->view, m_host->channel(), "Door");
        lobby.item->setIpAddress(kFtpHost);
        bar.item->setIpAddress(kFtpHost);
        door.item->setIpAddress(kSecondFtpHost);
        PlayerItem* hall = m_host->virtualPlayer("Hall");
        BulkOutcome outcome;
        connect(&m_host->config.ticker(), &TickerCommands::bulkDelivered, this,
                [&](const BulkOutcome& ended) { outcome = ended; });
        script([](QDialog* dialog) {
            fill(dialog, {{"TickerLineEdit", "Closing at 8"}});
            click(dialog, "TickerOKButton");
        });
        m_host->config.ticker().openTickerDialog({lobby.item, hall, door.item});
        QTRY_COMPARE_WITH_TIMEOUT(outcome.total, 3, 20000);
        QCOMPARE(bulkSummaryText(outcome), "Compose new ticker message: 3 of 3 done");
        QCOMPARE(prompts().dialogs, QStringList{"Ticker Composer"});
        QVERIFY(prompts().messages.isEmpty());
        for (const FakePlayer* reached : {&lobby, &door})
            QCOMPARE(callLines(*reached), QStringList{"Kivo.SetNewTicker: Closing at 8"});
        QVERIFY(bar.calls.isEmpty());
        QCOMPARE(readFile(hall->virtualDirectory() + "/tickers/ticker.xml"), QByteArray("Closing at 8"));
        // The composer's files reach both players' FTP services.
        for (const QString& address : {kFtpHost, kSecondFtpHost})
            for (const QString file : {"ticker.bmp", "ticker.ini"})
                QCOMPARE(readFile(m_emulatorDir.filePath("state/" + address + "/ticker/" + file)), readFile(file));
    }

    void logsOfARealPlayerDownload()
    {
        FakePlayer lobby(m_host->view, m_host->channel(), "Lobby");
        lobby.item->setIpAddress(kFtpHost);
        // Logs are downloaded (".txt" kept in any case). Names
        // that would reach beyond the chosen file, or into the FTP commands,
        // fail and keep an earlier file.
        const QByteArray bytes = "2026-12-05 07:10:48 boot\r\n\x01\xff binary tail\n";
        QVERIFY(writeFile(ftpState("logs/boot.log"), bytes));
        QVERIFY(writeFile("kept.txt", "earlier download\n"));
        lobby.replies["Kivo.GetLogList"] = QVariantList{"boot.log", "../../escaped.log", "x.log\r\nDELE boot.log"};
        const QString dir = m_host->dir.filePath("");
        prompts().fileAnswers = {dir + "upper.TXT", dir + "kept", dir + "kept"};
        QSignalSpy saved(&m_host->config, &ConfigController::statusMessage);
        script([&](QDialog* dialog) {
            QVERIFY(QTest::qWaitFor([&] { return child<QPushButton>(dialog, "Log_buttonDownload")->isEnabled(); }));
            for (int row : {0, 1, 2}) {
                selectRow(dialog, "Log_listView", row);
                click(dialog, "Log_buttonDownload");
            }
            QVERIFY(QTest::qWaitFor([&] { return saved.size() == 1 && prompts().messages.size() == 2; }, 10000));
        });
        m_host->open("logs", lobby.item);
        QCOMPARE(readFile(dir + "upper.TXT"), bytes);
        // The two hostile names fail with a notice each.
        for (const ScriptedPrompts::Record& box : prompts().messages)
            QVERIFY2(box.title == "File transfer" && box.text.startsWith("Downloading log "), qPrintable(box.text));
        QCOMPARE(readFile("kept.txt"), QByteArray("earlier download\n"));
        QVERIFY(!QFile::exists(dir + "escaped.log") && !QFile::exists(m_emulatorDir.filePath("escaped.log")));
        QVERIFY(QFile::exists(ftpState("logs/boot.log")));
        QCOMPARE(m_host->bar->value(), -1);
    }

    void busyLimitBlocksLogDeletion()
    {
        FakePlayer lobby(m_host->view, m_host->channel(), "Lobby");
        lobby.replies["Kivo.GetLogList"] = QVariantList{"a.log", "b.log"};
        // Other players' calls count too: ten players hold theirs (the first
        // waits at the player, the others behind it in its client).
        std::vector<std::unique_ptr<FakePlayer>> others;
        CommandChannel& channel = m_host->channel();
        script([&](QDialog* dialog) {
            QVERIFY(QTest::qWaitFor([&] { return child<QPushButton>(dialog, "Log_buttonDelete")->isEnabled(); }));
            for (int index = 0; channel.outstanding() < CommandChannel::kBusyLimit - 1; ++index) {
                if (index < 10) {
                    others.push_back(std::make_unique<FakePlayer>(m_host->view, channel, QString("Busy%1").arg(index)));
                    others.back()->held << "Kivo.Sleep";
                }
                channel.send(others[index % 10]->item, "Kivo.Sleep");
            }
            selectRow(dialog, "Log_listView", 0);
            click(dialog, "Log_buttonDelete"); // with 499 outstanding: sent
            QCOMPARE(channel.outstanding(), CommandChannel::kBusyLimit);
            QVERIFY(prompts().messages.isEmpty());
            selectRow(dialog, "Log_listView", 0);
            click(dialog, "Log_buttonDelete"); // with 500: refused
        });
        m_host->open("logs", lobby.item);
        QCOMPARE(boxes(prompts()), QStringList{"Warning | Delete Log File | The command channel to this player is "
                                               "busy, try again later."});
        for (const auto& other : others) {
            other->held.clear();
            other->release();
        }
        QVERIFY(channelIdle(channel, 30000));
        QCOMPARE(callLines(lobby).mid(1), QStringList{"Kivo.DeleteLogFile: a.log"});
    }

    void slotsWithoutADialogActOnNobody()
    {
        // Outside a dialog there is no player to act on, whichever is current.
        PlayerItem* hall = m_host->virtualPlayer("Hall");
        m_host->view->setCurrentItem(hall);
        m_host->config.logs().DeleteLogFile("player.log");
        m_host->config.logs().DownloadLogFile("player.log");
        m_host->config.logs().GetLogList();
        m_host->config.scheduler().set_crontab_Slot({"* * * * * /bin/true"});
        m_host->config.ticker().StartTickerFunction(QString());
        m_host->config.network().SetDMZ("ON", "10.0.0.5");
        QCOMPARE(boxes(prompts()), (QStringList{"Information | Payer File Operation | No Player is selected.",
                                                "Information | STartTickerFunction | empty ticker message, nothing "
                                                "to do",
                                                "Warning | Operational error | No player is selected"}));
        QVERIFY(prompts().otherPrompts.isEmpty());
        QVERIFY(QDir(hall->virtualDirectory() + "/sys").isEmpty() && hall->dmzIp().isEmpty());
    }

    void dialogsShowOnlyTheirPlayersValues_data()
    {
        QTest::addColumn<PlayersValues>("c");
        QTest::newRow("volume") << PlayersValues{"volume", "Kivo.GetVolume", QVariantList{36}, QVariantList{12}, "0",
                                                 "36", "VolumeOk_pushButton", "Kivo.SetVolume: 36"};
        QTest::newRow("scale window")
            << PlayersValues{"scale", "Kivo.GetScaleWindow", QVariantList{10, 20, 300, 400}, QVariantList{1, 1, 1, 1},
                             "|||", "10|20|300|400", "buttonOk", "Kivo.SetScaleWindow: 10|20|300|400",
                             {"Information | Scale Window | Restart the playback to see the new scaled screen."}};
        // Comments and blank lines are dropped; the unchanged table goes back as it was read.
        QTest::newRow("scheduler")
            << PlayersValues{"scheduler", "Kivo.GetCrontab",
                             QVariantList{"# by hand", "0   7  * *   1-5   /usr/local/bin/psudon", "  ", "30 22 * * * /x"},
                             QVariantList{"1 1 1 1 1 /other"}, "", "0|7|*|*|1-5|/usr/local/bin/psudon;30|22|*|*|*|/x",
                             "Commit_pushButton",
                             "Kivo.SetCrontab: 0 7 * * 1-5 /usr/local/bin/psudon|30 22 * * * /x|# $$ created on "};
        QTest::newRow("log list") << PlayersValues{"logs", "Kivo.GetLogList", QVariantList{" boot.log ", "", "a.log"},
                                                   QVariantList{"other.log"}, "", "boot.log;;a.log", "Log_buttonDelete",
                                                   "Kivo.DeleteLogFile: boot.log"};
    }
    void dialogsShowOnlyTheirPlayersValues()
    {
        QFETCH(PlayersValues, c);
        FakePlayer lobby(m_host->view, m_host->channel(), "Lobby");
        FakePlayer hall(m_host->view, m_host->channel(), "Hall");
        lobby.replies[c.read] = c.values;
        hall.replies[c.read] = c.othersValues;
        lobby.held << c.read;
        hall.held << c.read;
        // Hall's dialog is closed before Hall answers; Hall stays the current player.
        m_host->view->setCurrentItem(hall.item);
        script([](QDialog*) {});
        m_host->open(c.dialog, hall.item);
        QStringList seen;
        script([&](QDialog* dialog) {
            QPushButton* commit = child<QPushButton>(dialog, qPrintable(c.commit));
            hall.release();
            QVERIFY(QTest::qWaitFor([&] { return m_host->channel().outstanding() == 1; }));
            seen << shownValues(dialog) << child<QLabel>(dialog, "reading_textLabel")->text();
            commit->click();
            lobby.release();
            QVERIFY(QTest::qWaitFor([&] { return commit->isEnabled(); }));
            seen << shownValues(dialog);
            selectRow(dialog, "Log_listView", 0);
            commit->click();
        });
        m_host->open(c.dialog, lobby.item);
        QVERIFY(channelIdle(m_host->channel()));
        QCOMPARE(seen, (QStringList{c.unread, "Reading from Lobby...", c.shown}));
        const QStringList sent = callLines(lobby, c.sent.section(':', 0, 0));
        QVERIFY2(sent.size() == 1 && sent.first().startsWith(c.sent), qPrintable(sent.join('\n')));
        QVERIFY(callLines(hall, c.sent.section(':', 0, 0)).isEmpty());
        QTRY_COMPARE(boxes(prompts()), c.notices);
    }

    // The player goes while its values are read: the line says so and nothing can be sent.
    void failedReadKeepsCommitDisabled()
    {
        FakePlayer lobby(m_host->view, m_host->channel(), "Lobby");
        lobby.held << "Kivo.GetLogList";
        QString shownLine;
        script([&](QDialog* open) {
            m_host->players.delete_player(lobby.item);
            auto* label = child<QLabel>(open, "reading_textLabel");
            QVERIFY(QTest::qWaitFor([&] { return label->text().contains("failed"); }));
            shownLine = label->text();
            QVERIFY(!child<QPushButton>(open, "Log_buttonDownload")->isEnabled());
        });
        m_host->open("logs", lobby.item);
        lobby.release();
        QCOMPARE(shownLine, QString("Reading from Lobby failed: the player has gone offline"));
        QCOMPARE(lobby.calls.size(), 1);
    }

    void dialogOfAGonePlayerSendsNothing_data()
    {
        QTest::addColumn<QString>("dialog");
        QTest::addColumn<QString>("commit");
        QTest::newRow("network") << "network" << "buttonOk";
        QTest::newRow("scale window") << "scale" << "buttonOk";
        QTest::newRow("volume") << "volume" << "VolumeOk_pushButton";
        QTest::newRow("scheduler") << "scheduler" << "Commit_pushButton";
        QTest::newRow("ticker") << "ticker" << "TickerOKButton";
        QTest::newRow("log deletion") << "logs" << "Log_buttonDelete";
        QTest::newRow("log download") << "logs" << "Log_buttonDownload";
    }
    void dialogOfAGonePlayerSendsNothing()
    {
        QFETCH(QString, dialog);
        QFETCH(QString, commit);
        FakePlayer gone(m_host->view, m_host->channel(), "Gone");
        FakePlayer other(m_host->view, m_host->channel(), "Other");
        gone.item->setLanDevice("RTL8100");
        gone.item->setLanIp("10.0.0.2");
        gone.item->setServerIp("10.0.0.1");
        gone.replies = {{"Kivo.GetVolume", QVariantList{20}}, {"Kivo.GetScaleWindow", QVariantList{0, 0, 4096, 4096}},
                        {"Kivo.GetCrontab", QVariantList{}}, {"Kivo.GetLogList", QVariantList{"player.log"}}};
        prompts().fileAnswers = {m_host->dir.filePath("gone")};
        script([&](QDialog* open) {
            QPushButton* button = child<QPushButton>(open, qPrintable(commit));
            QVERIFY(QTest::qWaitFor([&] { return button->isEnabled(); }));
            selectRow(open, "Log_listView", 0);
            if (dialog == "ticker")
                fill(open, {{"TickerLineEdit", "not for anyone"}});
            // Silent for too long: removed, as its liveness check would; another player is current.
            m_host->players.delete_player(gone.item);
            m_host->view->setCurrentItem(other.item);
            button->click();
        });
        m_host->open(dialog, gone.item);
        QCOMPARE(boxes(prompts()), QStringList{"Warning | Operational error | No player is selected"});
        QVERIFY(other.calls.isEmpty());
        QVERIFY(gone.methods().filter(QRegularExpression("^Kivo.(Set|Delete)")).isEmpty());
        QVERIFY(prompts().otherPrompts.isEmpty());
    }
};

QTEST_MAIN(TestConfigDialogs)
#include "tst_configdialogs.moc"
