// The configuration dialogs through the configuration controller: the
// scheduler, ticker, log and watchdog dialogs with virtual players (files)
// and real ones (a FakePlayer for the calls, the emulator's FTP service for
// the files), and the rules every dialog opened for a player keeps: it shows
// and sends only that player's values, sends nothing before they have been
// read, and nothing once that player has gone.

#include "config/schedulerdialog.h"
#include "core/settings.h"

#include "../peers/confighost.h"
#include "../peers/emulatorpeer.h"

#include <QJsonObject>
#include <QtTest>
#include <QtWidgets>

namespace {

const QString kFtpHost = "127.0.83.2";

// The player's values a dialog shows: the dial, the list, or the window's fields.
QString shownValues(QDialog* dialog)
{
    if (auto* dial = dialog->findChild<QDial*>())
        return QString::number(dial->value());
    for (const char* view : {"Crontab_listView", "Log_listView"})
        if (child<QTreeWidget>(dialog, view))
            return rows(dialog, view).join(';');
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

struct Task {
    int task;
    QStringList times;
    QStringList parameters; // player name, web server, web user
    QMessageBox::StandardButton answer;
    QString shown;
    QString row = {};
};

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

Q_DECLARE_METATYPE(Task)
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
    // The files a user of the player's FTP service has sent completely (renamed to their names), in order.
    QStringList ftpFiles(const QString& user) const
    {
        QStringList files;
        for (const QJsonObject& transfer : m_ftp->journal("ftp", kFtpHost))
            if (transfer["user"] == user && transfer["command"] == "RNTO")
                files.append(transfer["file"].toString());
        return files;
    }

private slots:
    void initTestCase()
    {
        // Only the emulated player's FTP service is used; it registers with nobody.
        m_ftp = std::make_unique<EmulatorPeer>(m_emulatorDir.path());
        QVERIFY(m_ftp->start(1, kFtpHost, 1, {"--interval", "600"}));
    }
    void cleanupTestCase() { m_ftp.reset(); }
    void init() { m_host = std::make_unique<ConfigHost>(); }
    void cleanup()
    {
        QVERIFY(channelIdle(m_host->channel()));
        m_host.reset();
    }

    void addTaskChecks_data()
    {
        QTest::addColumn<Task>("c");
        const QStringList weekdays{"0", "7", "*", "*", "1-5"};
        const QStringList none{"", "", "kvo"};
        const QString question = "Question | Task scheduler | All entries are wildcards, this will trigger the task "
                                 "every minute.\nAre you sure it is okay to proceed?";
        const QString refused = "Information | Task Scheduler | ";
        QTest::newRow("no action") << Task{0, weekdays, none, {}, "Information | Task scheduler | No action is "
                                                                  "specified. Nothing to do."};
        QTest::newRow("wildcards, No") << Task{1, QStringList(5, "*"), none, QMessageBox::No, question};
        QTest::newRow("wildcards, Yes") << Task{2, QStringList(5, "*"), none, QMessageBox::Yes, question,
                                                "*|*|*|*|*|/usr/local/bin/psudon"};
        QTest::newRow("update without name")
            << Task{3, weekdays, {"  ", "", ""}, {}, refused + "A virtual/mirror player name is required."};
        QTest::newRow("poll without name") << Task{4, weekdays, {"", "web", "kvo"}, {},
                                                   refused + "A virtual/mirror player name is required in polling mode"};
        QTest::newRow("poll without server")
            << Task{4, weekdays, {"Lobby", " ", "kvo"}, {}, refused + "A Web server name is required in polling mode."};
        QTest::newRow("poll without user")
            << Task{4, weekdays, {"Lobby", "web", ""}, {}, refused + "A Web user name is required in polling mode."};
        QTest::newRow("poll keeps its blanks") << Task{4, weekdays, {" Lobby ", "web", "kvo"}, {}, "",
                                                       "0|7|*|*|1-5|/usr/local/bin/poll  -s   web  -u  kvo  -m   Lobby"};
    }
    void addTaskChecks()
    {
        QFETCH(Task, c);
        schedule_event_Dialog dialog(nullptr, "Lobby");
        const char* const parameters[] = {"VirtualPlayerName_lineEdit", "ContentsWebServer_lineEdit",
                                          "ContentsWebUser_lineEdit", "ContentName_lineEdit", "PlaybackTime_lineEdit"};
        for (const char* name : {"minutes", "hours", "days", "months", "weeks"}) {
            auto* field = child<QLineEdit>(&dialog, qPrintable(QString("schedule_event_%1_lineEdit").arg(name)));
            QCOMPARE(field->text(), QString("*"));
            field->setText(c.times.takeFirst());
        }
        QCOMPARE(child<QLineEdit>(&dialog, parameters[2])->text(), QString("kvo"));
        dialog.adjust_parameters(4);
        child<QComboBox>(&dialog, "schedule_event_comboBox")->setCurrentIndex(c.task);
        dialog.adjust_parameters(c.task);
        // Only the task's parameters are enabled: the name for 3; name, server and user for 4.
        for (int field = 0; field < 5; ++field) {
            QCOMPARE(child<QLineEdit>(&dialog, parameters[field])->isEnabled(), field < (c.task == 4 ? 3 : c.task == 3));
            if (field < 3)
                child<QLineEdit>(&dialog, parameters[field])->setText(c.parameters[field]);
        }
        QVERIFY(!child<QSpinBox>(&dialog, "LogDays_spinBox")->isEnabled());
        if (c.answer)
            prompts().buttonAnswers.append(c.answer);
        click(&dialog, "AddTask_pushButton");
        QCOMPARE(boxes(prompts()), c.shown.isEmpty() ? QStringList{} : QStringList{c.shown});
        QCOMPARE(rows(&dialog, "Crontab_listView"), c.row.isEmpty() ? QStringList{} : QStringList{c.row});
    }

    void crontabOfAVirtualPlayer()
    {
        PlayerItem* hall = m_host->virtualPlayer("Hall");
        const QString root = hall->virtualDirectory() + "/sys/root";
        QVERIFY(writeFile(root, "0   7 *  *\t1-5    /usr/local/bin/psudon\n# $$ created on Sat Dec 5 07:10:48 2026\n"
                                "30 22 * * * /usr/local/bin/psudoff\n"));
        QStringList listed;
        script([&](QDialog* dialog) {
            listed = rows(dialog, "Crontab_listView");
            click(dialog, "DeleteTask_pushButton");
            // The second row goes; a poll task with its own runs of blanks comes.
            selectRow(dialog, "Crontab_listView", 1);
            click(dialog, "DeleteTask_pushButton");
            fill(dialog, {{"schedule_event_comboBox", 4}, {"VirtualPlayerName_lineEdit", "Hall"},
                          {"ContentsWebServer_lineEdit", "10.0.0.1"}, {"schedule_event_minutes_lineEdit", "*/15"}});
            click(dialog, "AddTask_pushButton");
            click(dialog, "Commit_pushButton");
        });
        m_host->open("scheduler", hall);
        QCOMPARE(prompts().dialogs, QStringList{"Hall"});
        QCOMPARE(listed, (QStringList{"0|7|*|*|1-5|/usr/local/bin/psudon", "30|22|*|*|*|/usr/local/bin/psudoff"}));
        QCOMPARE(boxes(prompts()), QStringList{"Information | Task Scheduler | Need to select an item first."});
        const QList<QByteArray> lines = readFile(root).split('\n');
        QCOMPARE(lines.size(), 4);
        QCOMPARE(lines.mid(0, 2), (QList<QByteArray>{"0 7 * * 1-5 /usr/local/bin/psudon",
                                                     "*/15 * * * * /usr/local/bin/poll  -s   10.0.0.1  -u  kvo  -m   Hall"}));
        const QDateTime stamp = QDateTime::fromString(QString(lines[2].mid(16)), Qt::TextDate);
        QVERIFY2(lines[2].startsWith("# $$ created on ") && qAbs(stamp.secsTo(QDateTime::currentDateTime())) < 60,
                 lines[2]);

        // Abort keeps the stored table; an empty table is the comment line alone.
        const QByteArray before = readFile(root);
        script([](QDialog* dialog) {
            selectRow(dialog, "Crontab_listView", 0);
            click(dialog, "DeleteTask_pushButton");
            click(dialog, "Abort_pushButton");
        });
        m_host->open("scheduler", hall);
        QCOMPARE(readFile(root), before);
        QVERIFY(QFile::remove(root));
        script([](QDialog* dialog) { click(dialog, "Commit_pushButton"); });
        m_host->open("scheduler", hall);
        QVERIFY(readFile(root).startsWith("# $$ created on ") && readFile(root).count('\n') == 1);

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
            QCOMPARE(child<QSlider>(dialog, "TickerSpeed_slider")->value(), 2);
            QVERIFY(child<QRadioButton>(dialog, "TickerR2L_radioButton")->isChecked());
            fill(dialog, {{"TickerLineEdit", text}, {"TickerL2R_radioButton", true}, {"TickerSpeed_slider", 5}});
            click(dialog, "TickerOKButton");
        });
        m_host->open("ticker", hall);
        QCOMPARE(prompts().dialogs, QStringList{"Ticker Composer"});
        QCOMPARE(readFile("ticker.ini"), QByteArray("#000000\n1\n5\n"));
        const QString tickers = hall->virtualDirectory() + "/tickers/";
        QCOMPARE(readFile(tickers + "ticker.xml"), text.toUtf8());
        QCOMPARE(readFile(tickers + "ticker.ini"), readFile("ticker.ini"));
        QCOMPARE(readFile(tickers + "ticker.bmp"), readFile("ticker.bmp"));

        // A cancelled colour keeps the old one; an empty text sends nothing and
        // keeps text and speed, while colours and direction are saved.
        prompts().colorAnswers = {QColor(), QColor("#FF8000")};
        script([&](QDialog* dialog) {
            click(dialog, "TickerBGColorButton");
            click(dialog, "TickerFGColorButton");
            fill(dialog, {{"TickerLineEdit", ""}, {"TickerSpeed_slider", 1}, {"TickerR2L_radioButton", true}});
            click(dialog, "TickerOKButton");
        });
        m_host->open("ticker", hall);
        QCOMPARE(boxes(prompts()), (QStringList{"Information | Set Ticker Background Color | invalid color",
                                                "Information | Ticker | No text is entered, no action."}));
        const auto stored = openSettingsStore();
        QStringList values;
        for (const char* key : {"Text", "Speed", "Direction", "BackgroundColor", "ForegroundColor"})
            values.append(stored->value(QString("/Ticker/") + key).toString());
        QCOMPARE(values, (QStringList{text, "5", "false", "#000000", "#ff8000"}));
        QCOMPARE(readFile(tickers + "ticker.xml"), text.toUtf8());

        // Too long and too tall: cut to the largest bitmap, with a notice each.
        QFont tall("DejaVu Sans");
        tall.setPixelSize(300);
        prompts().fontAnswers = {tall};
        prompts().messages.clear();
        script([&](QDialog* dialog) {
            click(dialog, "TickerFontButton");
            fill(dialog, {{"TickerLineEdit", QString("Very long and tall news. ").repeated(40)}});
            click(dialog, "TickerOKButton");
        });
        m_host->open("ticker", hall);
        QCOMPARE(boxes(prompts()),
                 (QStringList{"Information | Ticker | Ticker message may be too long. It will be truncated.",
                              "Information | Ticker | Ticker message letters may be too tall. It will be truncated."}));
        QCOMPARE(QImage(tickers + "ticker.bmp").size(), QSize(8192, 256));
    }

    void tickerAndLogsOfARealPlayer()
    {
        FakePlayer lobby(m_host->view, m_host->channel(), "Lobby");
        lobby.item->setIpAddress(kFtpHost);
        script([](QDialog* dialog) {
            fill(dialog, {{"TickerLineEdit", "Lobby opens at 9"}});
            click(dialog, "TickerOKButton");
        });
        m_host->open("ticker", lobby.item);
        // The call, then the bitmap and its settings by FTP, bitmap first.
        QTRY_COMPARE_WITH_TIMEOUT(ftpFiles("ticker"), (QStringList{"ticker.bmp", "ticker.ini"}), 10000);
        QCOMPARE(callLines(lobby), QStringList{"Kivo.SetNewTicker: Lobby opens at 9"});
        QCOMPARE(readFile(ftpState("ticker/ticker.bmp")), readFile("ticker.bmp"));
        QTRY_COMPARE(boxes(prompts()), QStringList{"Information | Set New Ticker | New ticker message is sent."});

        // Logs are downloaded (".txt" added unless there in any case). Names
        // that would reach beyond the chosen file, or into the FTP commands,
        // fail and keep an earlier file.
        const QByteArray bytes = "2026-12-05 07:10:48 boot\r\n\x01\xff binary tail\n";
        QVERIFY(writeFile(ftpState("logs/boot.log"), bytes));
        QVERIFY(writeFile("kept.txt", "earlier download\n"));
        lobby.replies["Kivo.GetLogList"] = QVariantList{"boot.log", "../../escaped.log", "x.log\r\nDELE boot.log"};
        const QString dir = m_host->dir.filePath("");
        prompts().fileAnswers = {dir + "saved", dir + "upper.TXT", dir + "kept", dir + "kept"};
        prompts().messages.clear();
        QSignalSpy status(&m_host->config, &ConfigController::statusMessage);
        script([&](QDialog* dialog) {
            QVERIFY(QTest::qWaitFor([&] { return child<QPushButton>(dialog, "Log_buttonDownload")->isEnabled(); }));
            for (int row : {0, 0, 1, 2}) {
                selectRow(dialog, "Log_listView", row);
                click(dialog, "Log_buttonDownload");
            }
            QVERIFY(QTest::qWaitFor([&] { return status.size() == 2 && prompts().messages.size() == 2; }, 10000));
        });
        m_host->open("logs", lobby.item);
        QCOMPARE(readFile(dir + "saved.txt"), bytes);
        QCOMPARE(readFile(dir + "upper.TXT"), bytes);
        // The two downloads run side by side.
        QStringList saved{status.at(0).first().toString(), status.at(1).first().toString()};
        saved.sort();
        QCOMPARE(saved, (QStringList{"Log boot.log is saved as " + dir + "saved.txt",
                                     "Log boot.log is saved as " + dir + "upper.TXT"}));
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

    void watchdogAndSlotsWithoutADialog()
    {
        PlayerItem* hall = m_host->virtualPlayer("Hall");
        int shown = -1;
        script([&](QDialog* dialog) {
            auto* spin = child<QSpinBox>(dialog, "watchdog_spinBox");
            shown = spin->value() * 1000 + spin->maximum();
            spin->setValue(99);
            click(dialog, "buttonOk");
        });
        m_host->open("watchdog", hall);
        QCOMPARE(prompts().dialogs, QStringList{"Hall"});
        QCOMPARE(shown, 10 * 1000 + 255);

        // Outside a dialog there is no player to act on, whichever is current.
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

    void failedReadKeepsCommitDisabled_data()
    {
        QTest::addColumn<QString>("dialog");
        QTest::addColumn<QString>("read");
        QTest::addColumn<QString>("commit");
        QTest::addColumn<QString>("line");
        QTest::newRow("fault") << "volume" << "Kivo.GetVolume" << "VolumeOk_pushButton"
                               << "Reading from Lobby failed: no mixer";
        QTest::newRow("not a table") << "scheduler" << "Kivo.GetCrontab" << "Commit_pushButton"
                                     << "Reading from Lobby failed: The player's schedule could not be read from its "
                                        "reply.";
        QTest::newRow("player gone") << "logs" << "Kivo.GetLogList" << "Log_buttonDownload"
                                     << "Reading from Lobby failed: the player has gone offline";
    }
    void failedReadKeepsCommitDisabled()
    {
        QFETCH(QString, dialog);
        QFETCH(QString, read);
        QFETCH(QString, commit);
        QFETCH(QString, line);
        FakePlayer lobby(m_host->view, m_host->channel(), "Lobby");
        lobby.faults["Kivo.GetVolume"] = "no mixer";
        lobby.replies["Kivo.GetCrontab"] = "not a list";
        lobby.held << "Kivo.GetLogList";
        QString shownLine;
        script([&](QDialog* open) {
            if (dialog == "logs")
                m_host->players.delete_player(lobby.item);
            auto* label = child<QLabel>(open, "reading_textLabel");
            QVERIFY(QTest::qWaitFor([&] { return label->text().contains("failed"); }));
            shownLine = label->text();
            QVERIFY(!child<QPushButton>(open, qPrintable(commit))->isEnabled());
        });
        m_host->open(dialog, lobby.item);
        lobby.release();
        QCOMPARE(shownLine, line);
        QCOMPARE(lobby.methods(), QStringList{read});
        if (dialog == "volume")
            QCOMPARE(boxes(prompts()), QStringList{"Information | Kivo.GetVolume Error | no mixer"});
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
