// Crontab rules without a window: the time-field grammar, the task command
// lines, splitting and building lines, and the file written for a virtual player.

#include "core/atomicfile.h"
#include "config/schedulerrules.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace scheduling;

class TestSchedulerRules : public QObject
{
    Q_OBJECT

private slots:
    void timeFields_data()
    {
        QTest::addColumn<int>("field");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        const int minute = int(TimeField::Minute), hour = int(TimeField::Hour), day = int(TimeField::DayOfMonth),
                  month = int(TimeField::Month), week = int(TimeField::DayOfWeek);
        QTest::newRow("minute step on wildcard") << minute << "*/15" << true;
        QTest::newRow("minute list of ranges with steps") << minute << "0-10/2,30,45-59" << true;
        QTest::newRow("minute 60") << minute << "60" << false;
        QTest::newRow("minute step alone") << minute << "/5" << false;
        QTest::newRow("minute trailing comma") << minute << "5," << false;
        QTest::newRow("minute blank") << minute << " 5" << false;
        QTest::newRow("minute empty") << minute << "" << false;
        QTest::newRow("hour 23") << hour << "23" << true;
        QTest::newRow("hour 24") << hour << "24" << false;
        QTest::newRow("hour range 9-17") << hour << "9-17" << true;
        QTest::newRow("day 31") << day << "31" << true;
        QTest::newRow("day 32") << day << "32" << false;
        QTest::newRow("month 12") << month << "1-12/3" << true;
        QTest::newRow("month 13") << month << "13" << false;
        QTest::newRow("week 7 (Sunday)") << week << "7" << true;
        QTest::newRow("week 8") << week << "8" << false;
        QTest::newRow("week names") << week << "mon" << false;
        QTest::newRow("week workdays") << week << "1-5" << true;
    }
    void timeFields()
    {
        QFETCH(int, field);
        QFETCH(QString, text);
        QFETCH(bool, valid);
        QCOMPARE(isValidTimeField(TimeField(field), text), valid);
    }

    void taskActions_data()
    {
        QTest::addColumn<int>("task");
        QTest::addColumn<QString>("action");
        QTest::newRow("none") << int(NoTask) << "";
        QTest::newRow("power off") << int(PowerOff) << "/usr/local/bin/psudoff";
        QTest::newRow("power on") << int(PowerOn) << "/usr/local/bin/psudon";
        QTest::newRow("update") << int(UpdateContents) << "/usr/local/bin/batch_update  Lobby";
        QTest::newRow("poll") << int(PollMode) << "/usr/local/bin/poll  -s   web.local  -u  kvo  -m   Lobby";
    }
    void taskActions()
    {
        QFETCH(int, task);
        QFETCH(QString, action);
        // Parameters are taken trimmed.
        QCOMPARE(taskAction(task, " Lobby ", "\tweb.local ", " kvo"), action);
    }

    void splitting_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QStringList>("columns");
        QTest::newRow("runs of blanks") << "0   7\t*  *   1-5    /usr/local/bin/psudon"
                                        << QStringList{"0", "7", "*", "*", "1-5", "/usr/local/bin/psudon"};
        QTest::newRow("action with arguments")
            << "*/5 * * * * /usr/local/bin/poll  -s   web  -u  kvo"
            << QStringList{"*/5", "*", "*", "*", "*", "/usr/local/bin/poll -s web -u kvo"};
        QTest::newRow("short line") << "@reboot /bin/start" << QStringList{"@reboot", "/bin/start", "", "", "", ""};
        QTest::newRow("comment") << "  # $$ created on Sat Dec 5 07:10:48 2026" << QStringList{};
        QTest::newRow("blank") << " \t " << QStringList{};
    }
    void splitting()
    {
        QFETCH(QString, line);
        QFETCH(QStringList, columns);
        const auto split = splitCrontabLine(line);
        QCOMPARE(split.has_value(), !columns.isEmpty());
        if (split)
            QCOMPARE(QStringList(split->begin(), split->end()), columns);
    }

    void linesAndFile()
    {
        QCOMPARE(crontabLine({"", "7", "*", "*", "1-5", "/usr/local/bin/poll  -s   a"}),
                 QString(" 7 * * 1-5 /usr/local/bin/poll  -s   a"));
        QCOMPARE(createdOnLine(QDateTime(QDate(2026, 12, 5), QTime(7, 10, 48))),
                 QString("# $$ created on Sat Dec 5 07:10:48 2026"));
        QCOMPARE(crontabFileBytes({"0 7 * * 1-5 /usr/local/bin/psudon", "# c"}),
                 QByteArray("0 7 * * 1-5 /usr/local/bin/psudon\n# c\n"));
        QCOMPARE(crontabFileBytes({}), QByteArray());

        QTemporaryDir dir;
        const QString path = dir.filePath("root");
        QVERIFY(writeFileAtomically(path, "new\n"));
        QFile written(path);
        QVERIFY(written.open(QIODevice::ReadOnly));
        QCOMPARE(written.readAll(), QByteArray("new\n"));
        QString error;
        QVERIFY(!writeFileAtomically(dir.filePath("missing/root"), "x", &error));
        QVERIFY(!error.isEmpty());
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"root"});
    }
};

QTEST_GUILESS_MAIN(TestSchedulerRules)
#include "tst_schedulerrules.moc"
