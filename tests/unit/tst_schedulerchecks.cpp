// A task is added only with five valid time fields and parameters that are what they stand for; other lines are kept.

#include "config/schedulerdialog.h"

#include "../peers/confighost.h"

#include <QtTest>

class TestSchedulerChecks : public QObject
{
    Q_OBJECT

private slots:
    void addedTasks_data()
    {
        QTest::addColumn<int>("task");
        QTest::addColumn<QStringList>("fields"); // minute, hour, day, month, week, name, server, user
        QTest::addColumn<QString>("outcome"); // the row added, or a part of the one refusal shown
        QTest::newRow("trailing comma") << 1 << QStringList{"5,", "7", "*", "*", "*"} << "\"5,\", which is not valid";
        QTest::newRow("lists, ranges and steps") << 1 << QStringList{"*/15,59", "0-23/2", "31", "1,12", "7"}
                                                 << "*/15,59|0-23/2|31|1,12|7|/usr/local/bin/psudoff";
        QTest::newRow("name with a command") << 3 << QStringList{"30", "3", "*", "*", "*", "Lobby_Group; rm -rf /"}
                                             << "player name \"Lobby_Group; rm -rf /\" may only hold";
        QTest::newRow("word name, trimmed") << 3 << QStringList{"30", "3", "*", "*", "*", " Lobby_Group2 "}
                                            << "30|3|*|*|*|/usr/local/bin/batch_update  Lobby_Group2";
        QTest::newRow("command as server") << 4 << QStringList{"0", "4", "*", "*", "*", "Hall", "web$(reboot)", "kvo"}
                                           << "Web server \"web$(reboot)\" is neither";
        QTest::newRow("hyphen user") << 4 << QStringList{"0", "4", "*", "*", "*", "Hall", "10.0.0.1", "-m"}
                                     << "Web user \"-m\" is not a user name";
        QTest::newRow("names") << 4 << QStringList{"0", "4", "*", "*", "*", "Hall", "media-1.example.com", "kvo.user_2"}
                               << "0|4|*|*|*|/usr/local/bin/poll  -s   media-1.example.com  -u  kvo.user_2  -m   Hall";
    }
    void addedTasks()
    {
        QFETCH(int, task);
        QFETCH(QStringList, fields);
        QFETCH(QString, outcome);
        const char* const names[] = {"schedule_event_minutes_lineEdit", "schedule_event_hours_lineEdit",
                                     "schedule_event_days_lineEdit", "schedule_event_months_lineEdit",
                                     "schedule_event_weeks_lineEdit", "VirtualPlayerName_lineEdit",
                                     "ContentsWebServer_lineEdit", "ContentsWebUser_lineEdit"};
        ScriptedPrompts prompts;
        schedule_event_Dialog dialog(nullptr, "Lobby");
        child<QComboBox>(&dialog, "schedule_event_comboBox")->setCurrentIndex(task);
        for (int index = 0; index < fields.size(); ++index)
            child<QLineEdit>(&dialog, names[index])->setText(fields[index]);
        click(&dialog, "AddTask_pushButton");
        const QStringList seen = rowsOf(child<QTreeWidget>(&dialog, "Crontab_listView")) + boxes(prompts);
        QVERIFY2(seen.size() == 1 && seen.first().contains(outcome), qPrintable(seen.join('\n')));
    }

    void linesReadBack_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<bool>("kept"); // else committed with single blanks
        QTest::newRow("a task of this dialog") << "0  7 * *   1-5 /usr/local/bin/psudon" << false;
        QTest::newRow("; in a name") << "30 3 * * * /usr/local/bin/batch_update  Lobby_Group; rm -rf /" << true;
    }
    void linesReadBack()
    {
        QFETCH(QString, line);
        QFETCH(bool, kept);
        schedule_event_Dialog dialog(nullptr, "Lobby");
        QSignalSpy commits(&dialog, &schedule_event_Dialog::commit_crontab);
        dialog.Append_Crontab(line);
        click(&dialog, "Commit_pushButton");
        QCOMPARE(commits.value(0).value(0).toStringList().value(0), kept ? line : line.simplified());
    }
};

QTEST_MAIN(TestSchedulerChecks)
#include "tst_schedulerchecks.moc"
