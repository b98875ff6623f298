// The scheduler, ticker, log and watchdog dialogs, on their own and opened
// by the main window for a virtual player (files, no network). The calls to
// real players are checked against the emulator in tst_configonline.

#include "core/settings.h"
#include "config/logsdialog.h"
#include "config/schedulerdialog.h"
#include "config/tickerdialog.h"
#include "players/playeritem.h"
#include "players/commandchannel.h"
#include "players/playerscontroller.h"
#include "window/kvo_form.h"

#include "../peers/boxes.h"
#include "../peers/scratchdir.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QSlider>
#include <QSpinBox>
#include <QTreeWidget>
#include <QtTest>

namespace {

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

template <typename T>
T* child(QObject* parent, const char* name)
{
    return parent->findChild<T*>(QLatin1String(name));
}

void click(QObject* dialog, const char* button)
{
    child<QPushButton>(dialog, button)->click();
}

QStringList rows(QObject* dialog, const char* view)
{
    QStringList lines;
    auto* list = child<QTreeWidget>(dialog, view);
    for (int index = 0; index < list->topLevelItemCount(); ++index) {
        QStringList columns;
        for (int column = 0; column < list->columnCount(); ++column)
            columns.append(list->topLevelItem(index)->text(column));
        lines.append(columns.join('|'));
    }
    return lines;
}

const char* const timeFields[] = {"schedule_event_minutes_lineEdit", "schedule_event_hours_lineEdit",
                                  "schedule_event_days_lineEdit", "schedule_event_months_lineEdit",
                                  "schedule_event_weeks_lineEdit"};

} // namespace

class TestConfigDialogs : public QObject
{
    Q_OBJECT

private:
    ScratchDirectory m_dir;
    ScriptedPrompts* m_prompts = nullptr;
    kvo_Form* m_form = nullptr;

    PlayerItem* virtualPlayer(const QString& name)
    {
        const QString directory = m_dir.filePath("MediaCenter/MIRRORS/" + name);
        for (const char* folder : {"contents", "playlist", "sys", "tickers"})
            QDir().mkpath(directory + "/" + folder);
        auto* item = new PlayerItem(m_form->ui.Player_iconView, name, true, false);
        item->setVirtualDirectory(directory);
        return item;
    }

private slots:
    void init()
    {
        // Every test starts without virtual players and with default ticker settings.
        QDir(m_dir.filePath("MediaCenter")).removeRecursively();
        for (const auto scope : {QSettings::SystemScope, QSettings::UserScope})
            QSettings(scope, "Vex", "Kivo").clear();
        m_prompts = new ScriptedPrompts;
        m_prompts->nestedLoopMs = 20;
        m_form = new kvo_Form;
    }
    void cleanup()
    {
        delete m_form;
        delete m_prompts;
    }

    void addTaskChecks_data()
    {
        QTest::addColumn<int>("task");
        QTest::addColumn<QStringList>("times");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("server");
        QTest::addColumn<QString>("user");
        QTest::addColumn<int>("answer");
        QTest::addColumn<QStringList>("shown");
        QTest::addColumn<QString>("row");
        const QStringList weekdays{"0", "7", "*", "*", "1-5"};
        const QStringList wildcards{"*", "*", "*", "*", "*"};
        const QString question = "Question | Task scheduler | All entries are wildcards, this will trigger the task "
                                 "every minute.\nAre you sure it is okay to proceed?";
        QTest::newRow("no action") << 0 << weekdays << "" << "" << "" << 0
                                   << QStringList{"Information | Task scheduler | No action is specified. Nothing to do."}
                                   << "";
        QTest::newRow("wildcards, No") << 1 << wildcards << "" << "" << "" << int(QMessageBox::No)
                                       << QStringList{question} << "";
        QTest::newRow("wildcards, Yes") << 2 << wildcards << "" << "" << "" << int(QMessageBox::Yes)
                                        << QStringList{question} << "*|*|*|*|*|/usr/local/bin/psudon";
        QTest::newRow("update without name") << 3 << weekdays << "  " << "" << "" << 0
                                             << QStringList{"Information | Task Scheduler | A virtual/mirror player "
                                                            "name is required."}
                                             << "";
        QTest::newRow("poll without name") << 4 << weekdays << "" << "web" << "kvo" << 0
                                           << QStringList{"Information | Task Scheduler | A virtual/mirror player name "
                                                          "is required in polling mode"}
                                           << "";
        QTest::newRow("poll without server") << 4 << weekdays << "Lobby" << " " << "kvo" << 0
                                             << QStringList{"Information | Task Scheduler | A Web server name is "
                                                            "required in polling mode."}
                                             << "";
        QTest::newRow("poll without user") << 4 << weekdays << "Lobby" << "web" << "" << 0
                                           << QStringList{"Information | Task Scheduler | A Web user name is required "
                                                          "in polling mode."}
                                           << "";
        QTest::newRow("poll keeps its blanks") << 4 << weekdays << " Lobby " << "web" << "kvo" << 0 << QStringList{}
                                               << "0|7|*|*|1-5|/usr/local/bin/poll  -s   web  -u  kvo  -m   Lobby";
        QTest::newRow("empty field") << 1 << QStringList{"", "23", "*", "*", "*"} << "" << "" << "" << 0
                                     << QStringList{} << "|23|*|*|*|/usr/local/bin/psudoff";
    }
    void addTaskChecks()
    {
        QFETCH(int, task);
        QFETCH(QStringList, times);
        QFETCH(QString, name);
        QFETCH(QString, server);
        QFETCH(QString, user);
        QFETCH(int, answer);
        QFETCH(QStringList, shown);
        QFETCH(QString, row);
        schedule_event_Dialog dialog(nullptr, "Lobby");
        auto* combo = child<QComboBox>(&dialog, "schedule_event_comboBox");
        combo->setCurrentIndex(task);
        dialog.adjust_parameters(task);
        for (int field = 0; field < 5; ++field) {
            auto* edit = child<QLineEdit>(&dialog, timeFields[field]);
            QCOMPARE(edit->text(), QString("*"));
            edit->setText(times[field]);
        }
        QCOMPARE(child<QLineEdit>(&dialog, "ContentsWebUser_lineEdit")->text(), QString("kvo"));
        child<QLineEdit>(&dialog, "VirtualPlayerName_lineEdit")->setText(name);
        child<QLineEdit>(&dialog, "ContentsWebServer_lineEdit")->setText(server);
        child<QLineEdit>(&dialog, "ContentsWebUser_lineEdit")->setText(user);
        if (answer)
            m_prompts->buttonAnswers.append(QMessageBox::StandardButton(answer));
        click(&dialog, "AddTask_pushButton");
        QCOMPARE(boxes(*m_prompts), shown);
        QCOMPARE(rows(&dialog, "Crontab_listView"), row.isEmpty() ? QStringList{} : QStringList{row});
        if (!shown.isEmpty() && shown.first().startsWith("Question"))
            QCOMPARE(m_prompts->messages.first().buttons, QMessageBox::Yes | QMessageBox::No);
    }

    void parametersFollowTheTask_data()
    {
        QTest::addColumn<int>("task");
        QTest::addColumn<QStringList>("enabled");
        QTest::newRow("none") << 0 << QStringList{};
        QTest::newRow("power on") << 2 << QStringList{};
        QTest::newRow("update") << 3 << QStringList{"VirtualPlayerName_lineEdit"};
        QTest::newRow("poll") << 4
                              << QStringList{"VirtualPlayerName_lineEdit", "ContentsWebServer_lineEdit",
                                             "ContentsWebUser_lineEdit"};
    }
    void parametersFollowTheTask()
    {
        QFETCH(int, task);
        QFETCH(QStringList, enabled);
        schedule_event_Dialog dialog(nullptr, "Lobby");
        dialog.adjust_parameters(4);
        dialog.adjust_parameters(task);
        QStringList found;
        for (const char* name : {"VirtualPlayerName_lineEdit", "ContentsWebServer_lineEdit",
                                 "ContentsWebUser_lineEdit", "ContentName_lineEdit", "PlaybackTime_lineEdit"})
            if (child<QLineEdit>(&dialog, name)->isEnabled())
                found.append(name);
        QCOMPARE(found, enabled);
        QVERIFY(!child<QSpinBox>(&dialog, "LogDays_spinBox")->isEnabled());
        QVERIFY(child<QWidget>(&dialog, "schedule_event_time_dateTimeEdit")->isHidden());
    }

    void virtualCrontabRoundTrip()
    {
        PlayerItem* item = virtualPlayer("Hall");
        const QString root = item->virtualDirectory() + "/sys/root";
        QVERIFY(writeFile(root, "0   7 *  *\t1-5    /usr/local/bin/psudon\n# $$ created on Sat Dec 5 07:10:48 2026\n"
                                "30 22 * * * /usr/local/bin/psudoff\n"));
        QStringList listed;
        m_prompts->dialogScripts.append([&](QDialog* dialog) {
            listed = rows(dialog, "Crontab_listView");
            // The second row goes; a poll task with its own runs of blanks comes.
            auto* list = child<QTreeWidget>(dialog, "Crontab_listView");
            list->topLevelItem(1)->setSelected(true);
            click(dialog, "DeleteTask_pushButton");
            child<QComboBox>(dialog, "schedule_event_comboBox")->setCurrentIndex(4);
            child<QLineEdit>(dialog, "VirtualPlayerName_lineEdit")->setText("Hall");
            child<QLineEdit>(dialog, "ContentsWebServer_lineEdit")->setText("10.0.0.1");
            child<QLineEdit>(dialog, "schedule_event_minutes_lineEdit")->setText("*/15");
            click(dialog, "AddTask_pushButton");
            click(dialog, "Commit_pushButton");
        });
        m_form->openSchedulerDialog(item);
        QCOMPARE(m_prompts->dialogs, QStringList{"Hall"});
        QCOMPARE(listed, (QStringList{"0|7|*|*|1-5|/usr/local/bin/psudon", "30|22|*|*|*|/usr/local/bin/psudoff"}));
        const QList<QByteArray> lines = readFile(root).split('\n');
        QCOMPARE(lines.size(), 4);
        QCOMPARE(lines[0], QByteArray("0 7 * * 1-5 /usr/local/bin/psudon"));
        QCOMPARE(lines[1], QByteArray("*/15 * * * * /usr/local/bin/poll  -s   10.0.0.1  -u  kvo  -m   Hall"));
        const QDateTime stamp = QDateTime::fromString(QString(lines[2].mid(16)), Qt::TextDate);
        QVERIFY2(lines[2].startsWith("# $$ created on ") && qAbs(stamp.secsTo(QDateTime::currentDateTime())) < 60,
                 lines[2]);
        QCOMPARE(lines[3], QByteArray());
        QVERIFY(boxes(*m_prompts).isEmpty());
        QCOMPARE(QDir(item->virtualDirectory() + "/sys").entryList(QDir::Files | QDir::Hidden), QStringList{"root"});
    }

    void emptyCommitAbortAndNoSelection()
    {
        PlayerItem* item = virtualPlayer("Hall");
        const QString root = item->virtualDirectory() + "/sys/root";
        m_prompts->dialogScripts.append([](QDialog* dialog) {
            click(dialog, "DeleteTask_pushButton");
            click(dialog, "Commit_pushButton");
        });
        m_form->openSchedulerDialog(item);
        QVERIFY(readFile(root).startsWith("# $$ created on "));
        QCOMPARE(readFile(root).count('\n'), 1);
        QCOMPARE(boxes(*m_prompts), QStringList{"Information | Task Scheduler | Need to select an item first."});

        // Abort keeps the stored table as it was.
        const QByteArray before = readFile(root);
        m_prompts->dialogScripts.append([](QDialog* dialog) {
            child<QComboBox>(dialog, "schedule_event_comboBox")->setCurrentIndex(1);
            child<QLineEdit>(dialog, "schedule_event_minutes_lineEdit")->setText("5");
            click(dialog, "AddTask_pushButton");
            click(dialog, "Abort_pushButton");
        });
        m_form->openSchedulerDialog(item);
        QCOMPARE(readFile(root), before);

        // A table that cannot be stored is reported, not lost silently.
        QVERIFY(QDir(item->virtualDirectory() + "/sys").removeRecursively());
        m_prompts->messages.clear();
        m_prompts->dialogScripts.append([](QDialog* dialog) { click(dialog, "Commit_pushButton"); });
        m_form->openSchedulerDialog(item);
        QCOMPARE(m_prompts->messages.size(), 1);
        QCOMPARE(m_prompts->messages.first().title, QString("Task scheduler"));
    }

    void tickerForVirtualPlayer()
    {
        const QString text = "Lobby opens at 9 — «bienvenue»";
        PlayerItem* item = virtualPlayer("Hall");
        m_prompts->dialogScripts.append([&](QDialog* dialog) {
            QCOMPARE(dialog->windowTitle(), QString("Ticker composer"));
            QCOMPARE(child<QSlider>(dialog, "TickerSpeed_slider")->value(), 2);
            QVERIFY(child<QRadioButton>(dialog, "TickerR2L_radioButton")->isChecked());
            child<QLineEdit>(dialog, "TickerLineEdit")->setText(text);
            child<QRadioButton>(dialog, "TickerL2R_radioButton")->setChecked(true);
            child<QSlider>(dialog, "TickerSpeed_slider")->setValue(5);
            click(dialog, "TickerOKButton");
        });
        m_form->openTickerDialog(item);
        QCOMPARE(m_prompts->dialogs, QStringList{"Ticker Composer"});
        QVERIFY(boxes(*m_prompts).isEmpty());
        const QByteArray ini = "#000000\n1\n5\n";
        QCOMPARE(readFile("ticker.ini"), ini);
        const QString tickers = item->virtualDirectory() + "/tickers/";
        QCOMPARE(readFile(tickers + "ticker.xml"), text.toUtf8());
        QCOMPARE(readFile(tickers + "ticker.ini"), ini);
        QCOMPARE(readFile(tickers + "ticker.bmp"), readFile("ticker.bmp"));
        QCOMPARE(QImage(tickers + "ticker.bmp").depth(), 8);

        const auto stored = openSettingsStore();
        QCOMPARE(stored->value("/Ticker/Text").toString(), text);
        QCOMPARE(stored->value("/Ticker/Speed").toInt(), 5);
        QCOMPARE(stored->value("/Ticker/Direction").toBool(), true);
        QCOMPARE(stored->value("/Ticker/BackgroundColor").toString(), QString("#000000"));
        QCOMPARE(stored->value("/Ticker/ForegroundColor").toString(), QString("#f8f8f8"));
    }

    void logDialogRowsAndRequests()
    {
        Log_Dialog dialog(nullptr, "log");
        QCOMPARE(dialog.windowTitle(), QString("Log Management"));
        QSignalSpy deletions(&dialog, &Log_Dialog::RequestDeleteLogFile);
        QSignalSpy downloads(&dialog, &Log_Dialog::RequestDownloadLogFile);
        // Nothing selected: nothing asked for.
        click(&dialog, "Log_buttonDelete");
        click(&dialog, "Log_buttonDownload");
        QCOMPARE(deletions.size() + downloads.size(), 0);

        for (const char* name : {"player.log", "boot.log", "", "player.log.1"}) {
            QString entry = name;
            dialog.AddLogEntry(entry);
        }
        dialog.listView()->topLevelItem(1)->setSelected(true);
        click(&dialog, "Log_buttonDownload");
        QCOMPARE(downloads.takeFirst(), QVariantList{"boot.log"});
        click(&dialog, "Log_buttonDelete");
        QCOMPARE(deletions.takeFirst(), QVariantList{"boot.log"});
        QCOMPARE(rows(&dialog, "Log_listView"), (QStringList{"player.log", "", "player.log.1"}));
    }

    void logSlotsWithoutPlayer()
    {
        m_form->DeleteLogFile("player.log");
        m_form->DownloadLogFile("player.log");
        m_form->GetLogList();
        QCOMPARE(boxes(*m_prompts), QStringList{"Information | Payer File Operation | No Player is selected."});
        QVERIFY(m_prompts->otherPrompts.isEmpty());
        QCOMPARE(m_form->commandChannel().outstanding(), 0);
    }

    void watchdogSendsNothing()
    {
        PlayerItem* item = virtualPlayer("Hall");
        int seconds = -1;
        int maximum = -1;
        m_prompts->dialogScripts.append([&](QDialog* dialog) {
            auto* spin = child<QSpinBox>(dialog, "watchdog_spinBox");
            seconds = spin->value();
            maximum = spin->maximum();
            spin->setValue(99);
            click(dialog, "buttonOk");
        });
        m_form->openWatchdogDialog(item);
        QCOMPARE(m_prompts->dialogs, QStringList{"Hall"});
        QCOMPARE(seconds, 10);
        QCOMPARE(maximum, 255);
        QCOMPARE(m_form->commandChannel().outstanding(), 0);
        QCOMPARE(QDir(item->virtualDirectory() + "/sys").entryList(QDir::Files), QStringList{});
        QVERIFY(boxes(*m_prompts).isEmpty());
    }
};

QTEST_MAIN(TestConfigDialogs)
#include "tst_configdialogs.moc"
