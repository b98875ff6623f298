// What the scheduler lets onto a player's crontab: a task is added only with
// five valid time fields and parameters that are what they stand for; lines
// read from a player that the dialog would not make are kept as read.

#include "config/schedulerdialog.h"

#include "../peers/boxes.h"
#include "../peers/confighost.h"
#include "../peers/scriptedprompts.h"

#include <QtTest>
#include <QtWidgets>

class TestSchedulerChecks : public QObject
{
    Q_OBJECT

private:
    ScriptedPrompts m_prompts;

private slots:
    void init() { m_prompts.messages.clear(); }

    void addedTasks_data()
    {
        QTest::addColumn<int>("task");
        QTest::addColumn<QStringList>("fields"); // minute, hour, day, month, week, name, server, user
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("row");
        const QString field = "Warning | Task scheduler | The field ";
        const QString refused = "Information | Task Scheduler | ";
        QTest::newRow("trailing comma") << 1 << QStringList{"5,", "7", "*", "*", "*"}
                                        << field + "\"minute(s) [0--59]\" holds \"5,\", which is not valid: valid range "
                                                   "0 to 59, supports list of minutes and range of numbers with optional "
                                                   "steppings."
                                        << "";
        QTest::newRow("empty minute") << 2 << QStringList{"", "8", "*", "*", "*"}
                                      << field + "\"minute(s) [0--59]\" is empty; \"*\" stands for every value." << "";
        QTest::newRow("lists, ranges and steps") << 1 << QStringList{"*/15,59", "0-23/2", "31", "1,12", "7"} << ""
                                                 << "*/15,59|0-23/2|31|1,12|7|/usr/local/bin/psudoff";
        QTest::newRow("name that ends the command")
            << 3 << QStringList{"30", "3", "*", "*", "*", "Lobby_Group; rm -rf /"}
            << refused + "The virtual/mirror player name \"Lobby_Group; rm -rf /\" may only hold letters, digits and \"_\"."
            << "";
        QTest::newRow("word name, trimmed") << 3 << QStringList{"30", "3", "*", "*", "*", " Lobby_Group2 "} << ""
                                            << "30|3|*|*|*|/usr/local/bin/batch_update  Lobby_Group2";
        QTest::newRow("server with a command")
            << 4 << QStringList{"0", "4", "*", "*", "*", "Hall", "web$(reboot)", "kvo"}
            << refused + "The Web server \"web$(reboot)\" is neither a host name nor an IP address." << "";
        QTest::newRow("user starting with a hyphen")
            << 4 << QStringList{"0", "4", "*", "*", "*", "Hall", "10.0.0.1", "-m"}
            << refused + "The Web user \"-m\" is not a user name: up to 32 letters, digits, \"_\", \".\" and \"-\", not "
                         "starting with \".\" or \"-\"."
            << "";
        QTest::newRow("host name and user name")
            << 4 << QStringList{"0", "4", "*", "*", "*", "Hall", "media-1.example.com", "kvo.user_2"} << ""
            << "0|4|*|*|*|/usr/local/bin/poll  -s   media-1.example.com  -u  kvo.user_2  -m   Hall";
    }
    void addedTasks()
    {
        QFETCH(int, task);
        QFETCH(QStringList, fields);
        QFETCH(QString, shown);
        QFETCH(QString, row);
        const char* const names[] = {"schedule_event_minutes_lineEdit", "schedule_event_hours_lineEdit",
                                     "schedule_event_days_lineEdit", "schedule_event_months_lineEdit",
                                     "schedule_event_weeks_lineEdit", "VirtualPlayerName_lineEdit",
                                     "ContentsWebServer_lineEdit", "ContentsWebUser_lineEdit"};
        schedule_event_Dialog dialog(nullptr, "Lobby");
        child<QComboBox>(&dialog, "schedule_event_comboBox")->setCurrentIndex(task);
        dialog.adjust_parameters(task);
        for (int index = 0; index < fields.size(); ++index)
            child<QLineEdit>(&dialog, names[index])->setText(fields[index]);
        click(&dialog, "AddTask_pushButton");
        QCOMPARE(boxes(m_prompts), shown.isEmpty() ? QStringList{} : QStringList{shown});
        QCOMPARE(rowsOf(child<QTreeWidget>(&dialog, "Crontab_listView")), row.isEmpty() ? QStringList{} : QStringList{row});
    }

    void linesReadBack_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<bool>("kept"); // else listed by field, committed with single blanks
        QTest::newRow("a task of this dialog") << "0  7 * *   1-5 /usr/local/bin/psudon" << false;
        QTest::newRow("invalid minute") << "5, 7 * * * /usr/local/bin/psudoff" << true;
        QTest::newRow("five fields") << " 8 * * * /usr/local/bin/psudon" << true;
        QTest::newRow("a parameter ending the command")
            << "30 3 * * * /usr/local/bin/batch_update  Lobby_Group; rm -rf /" << true;
    }
    void linesReadBack()
    {
        QFETCH(QString, line);
        QFETCH(bool, kept);
        schedule_event_Dialog dialog(nullptr, "Lobby");
        QSignalSpy commits(&dialog, &schedule_event_Dialog::commit_crontab);
        dialog.Append_Crontab(line);
        QCOMPARE(rowsOf(child<QTreeWidget>(&dialog, "Crontab_listView")),
                 QStringList{kept ? line + "|||||" : line.simplified().replace(' ', '|')});
        click(&dialog, "Commit_pushButton");
        QCOMPARE(commits.size(), 1);
        QCOMPARE(commits.first().first().toStringList().first(), kept ? line : line.simplified());
    }
};

QTEST_MAIN(TestSchedulerChecks)
#include "tst_schedulerchecks.moc"
