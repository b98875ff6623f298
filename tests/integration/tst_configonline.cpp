// Scheduler, ticker and logs against emulated players over loopback: the
// calls and FTP transfers that reach the player (from its journal), the
// replies that fill the open dialogs, the busy limit and a player that goes
// while its dialog is open.

#include "players/playeritem.h"
#include "players/commandchannel.h"
#include "players/playerscontroller.h"
#include "window/kvo_form.h"

#include "../peers/boxes.h"
#include "../peers/windowwithplayers.h"

#include <QComboBox>
#include <QJsonArray>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTreeWidget>
#include <QtTest>

namespace {

template <typename T>
T* child(QObject* parent, const char* name)
{
    return parent->findChild<T*>(QLatin1String(name));
}

void click(QObject* dialog, const char* button)
{
    child<QPushButton>(dialog, button)->click();
}

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

QStringList strings(const QJsonValue& array)
{
    QStringList list;
    for (const QJsonValue& value : array.toArray())
        list.append(value.toString());
    return list;
}

// Selects the row of the list view that shows text, waiting for it to arrive.
bool selectRow(QDialog* dialog, const char* view, const QString& text)
{
    auto* list = child<QTreeWidget>(dialog, view);
    const auto find = [&]() -> QTreeWidgetItem* {
        const auto found = list->findItems(text, Qt::MatchExactly);
        return found.isEmpty() ? nullptr : found.first();
    };
    if (!QTest::qWaitFor([&] { return find() != nullptr; }, 10000))
        return false;
    list->clearSelection();
    find()->setSelected(true);
    return true;
}

} // namespace

class TestConfigOnline : public QObject
{
    Q_OBJECT

private:
    WindowWithPlayers m_fleet;
    const QString m_first = "127.0.0.110";
    const QString m_second = "127.0.0.111";

    QString stateFile(const QString& address, const QString& name) const
    {
        return m_fleet.workDir.filePath("emulator/state/" + address + "/" + name);
    }
    QList<QJsonObject> calls(const QString& address, const QString& method) const
    {
        return m_fleet.players.journal("call", address, method);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_fleet.isReady());
        // The second player leaves log deletions unanswered, so that requests pile up.
        QVERIFY(m_fleet.startPlayers(m_first, 2,
                                {"--interval", "0.3", "--name", "Cfg{n}", "--fault",
                                 R"({"player": "127.0.0.111", "delay": 60, "methods": ["Kivo.DeleteLogFile"]})"}));
        QVERIFY(m_fleet.waitForPlayer("Cfg1", false) && m_fleet.waitForPlayer("Cfg2", false));
        QTRY_COMPARE_WITH_TIMEOUT(m_fleet.form.commandChannel().outstanding(), 0, 10000);
    }

    void init()
    {
        m_fleet.prompts.messages.clear();
        m_fleet.prompts.dialogs.clear();
        m_fleet.prompts.otherPrompts.clear();
        m_fleet.prompts.fileAnswers.clear();
    }

    void crontabIsReadAndCommitted()
    {
        QVERIFY(writeFile(stateFile(m_first, "crontab"),
                          "# installed by hand\n0   7  * *   1-5   /usr/local/bin/psudon\n\n30 22 * * * /usr/local/bin/psudoff\n"));
        m_fleet.form.ui.Player_iconView->setCurrentItem(m_fleet.waitForPlayer("Cfg2", false));
        QStringList listed;
        m_fleet.prompts.dialogScripts.append([&](QDialog* dialog) {
            auto* list = child<QTreeWidget>(dialog, "Crontab_listView");
            QVERIFY(QTest::qWaitFor([&] { return list->topLevelItemCount() == 2; }, 10000));
            for (int row = 0; row < list->topLevelItemCount(); ++row)
                listed.append(list->topLevelItem(row)->text(5));
            child<QComboBox>(dialog, "schedule_event_comboBox")->setCurrentIndex(3);
            child<QLineEdit>(dialog, "VirtualPlayerName_lineEdit")->setText("Mirror A");
            child<QLineEdit>(dialog, "schedule_event_hours_lineEdit")->setText("3");
            click(dialog, "AddTask_pushButton");
            click(dialog, "Commit_pushButton");
        });
        m_fleet.form.openSchedulerDialog(m_fleet.waitForPlayer("Cfg1", false));
        QCOMPARE(m_fleet.prompts.dialogs, QStringList{"Cfg1"});
        QCOMPARE(listed, (QStringList{"/usr/local/bin/psudon", "/usr/local/bin/psudoff"}));
        QCOMPARE(calls(m_first, "Kivo.GetCrontab").size(), 1);
        QTRY_COMPARE_WITH_TIMEOUT(calls(m_first, "Kivo.SetCrontab").size(), 1, 10000);
        const QStringList sent = strings(calls(m_first, "Kivo.SetCrontab").first()["params"]);
        QCOMPARE(sent.size(), 4);
        QCOMPARE(sent.mid(0, 3), (QStringList{"0 7 * * 1-5 /usr/local/bin/psudon", "30 22 * * * /usr/local/bin/psudoff",
                                              "* 3 * * * /usr/local/bin/batch_update  Mirror A"}));
        QVERIFY2(sent[3].startsWith("# $$ created on "), qPrintable(sent[3]));
        // The current player is not the one the dialog was opened for.
        QVERIFY(calls(m_second, "Kivo.GetCrontab").isEmpty() && calls(m_second, "Kivo.SetCrontab").isEmpty());
        QTRY_COMPARE_WITH_TIMEOUT(m_fleet.form.commandChannel().outstanding(), 0, 10000);
        QVERIFY(boxes(m_fleet.prompts).isEmpty());
    }

    void tickerGoesByCallAndFtp()
    {
        const QString text = "Lobby opens at 9";
        m_fleet.prompts.dialogScripts.append([&](QDialog* dialog) {
            child<QLineEdit>(dialog, "TickerLineEdit")->setText(text);
            child<QRadioButton>(dialog, "TickerL2R_radioButton")->setChecked(true);
            child<QSlider>(dialog, "TickerSpeed_slider")->setValue(5);
            click(dialog, "TickerOKButton");
        });
        m_fleet.form.openTickerDialog(m_fleet.waitForPlayer("Cfg1", false));
        QTRY_COMPARE_WITH_TIMEOUT(boxes(m_fleet.prompts), QStringList{"Information | Set New Ticker | New ticker message is sent."},
                                  10000);
        QCOMPARE(calls(m_first, "Kivo.SetNewTicker").size(), 1);
        QCOMPARE(strings(calls(m_first, "Kivo.SetNewTicker").first()["params"]), QStringList{text});

        QTRY_COMPARE_WITH_TIMEOUT(m_fleet.players.journal("ftp", m_first).size(), 2, 10000);
        const QList<QJsonObject> transfers = m_fleet.players.journal("ftp", m_first);
        QCOMPARE(transfers[0]["file"].toString(), QString("ticker.bmp"));
        QCOMPARE(transfers[1]["file"].toString(), QString("ticker.ini"));
        for (const QJsonObject& transfer : transfers) {
            QCOMPARE(transfer["user"].toString(), QString("ticker"));
            QVERIFY(transfer["complete"].toBool());
        }
        QCOMPARE(readFile(stateFile(m_first, "ticker/ticker.ini")), QByteArray("#000000\n1\n5\n"));
        QCOMPARE(readFile(stateFile(m_first, "ticker/ticker.bmp")), readFile("ticker.bmp"));
        QCOMPARE(QImage(stateFile(m_first, "ticker/ticker.bmp")).depth(), 8);
        QVERIFY(m_fleet.players.journal("ftp", m_second).isEmpty());

        // An empty message sends nothing.
        m_fleet.prompts.messages.clear();
        m_fleet.prompts.dialogScripts.append([](QDialog* dialog) {
            child<QLineEdit>(dialog, "TickerLineEdit")->clear();
            click(dialog, "TickerOKButton");
        });
        m_fleet.form.openTickerDialog(m_fleet.waitForPlayer("Cfg1", false));
        QCOMPARE(boxes(m_fleet.prompts), QStringList{"Information | Ticker | No text is entered, no action."});
        QTest::qWait(300);
        QCOMPARE(calls(m_first, "Kivo.SetNewTicker").size(), 1);
        QCOMPARE(m_fleet.players.journal("ftp", m_first).size(), 2);

        // Files that cannot be delivered are reported; the call has gone out.
        PlayerItem* second = m_fleet.waitForPlayer("Cfg2", false);
        second->setIpAddress("127.0.0.119");
        m_fleet.prompts.messages.clear();
        m_fleet.form.ui.Player_iconView->setCurrentItem(second);
        m_fleet.form.StartTickerFunction("No FTP here");
        second->setIpAddress(m_second);
        QTRY_COMPARE_WITH_TIMEOUT(m_fleet.prompts.messages.size(), 2, 30000);
        QVERIFY(boxes(m_fleet.prompts).contains("Information | Set New Ticker | New ticker message is sent."));
        QVERIFY(boxes(m_fleet.prompts).filter("Warning | Start Ticker Function | Sending the ticker files fails: ").size() == 1);
        QCOMPARE(calls(m_second, "Kivo.SetNewTicker").size(), 1);
    }

    void logsAreListedDownloadedAndDeleted()
    {
        const QByteArray bytes = "2026-12-05 07:10:48 boot\r\n\x01\xff binary tail\n";
        QVERIFY(writeFile(stateFile(m_first, "logs/boot.log"), bytes));
        const QString chosen = m_fleet.workDir.filePath("saved");
        m_fleet.prompts.fileAnswers = QStringList{chosen, m_fleet.workDir.filePath("upper.TXT")};
        m_fleet.prompts.dialogScripts.append([&](QDialog* dialog) {
            QVERIFY(selectRow(dialog, "Log_listView", "boot.log"));
            click(dialog, "Log_buttonDownload");
            QVERIFY(QTest::qWaitFor([&] { return readFile(chosen + ".txt") == bytes; }, 10000));
            click(dialog, "Log_buttonDownload");
            QVERIFY(QTest::qWaitFor([&] { return readFile(m_fleet.workDir.filePath("upper.TXT")) == bytes; }, 10000));
            click(dialog, "Log_buttonDelete");
            QVERIFY(child<QTreeWidget>(dialog, "Log_listView")->findItems("boot.log", Qt::MatchExactly).isEmpty());
            click(dialog, "Log_buttonQuit");
        });
        m_fleet.form.openLogDialog(m_fleet.waitForPlayer("Cfg1", false));
        QCOMPARE(m_fleet.prompts.dialogs, QStringList{"log"});
        QCOMPARE(m_fleet.prompts.otherPrompts,
                 (QStringList{"Choose a filename to save the log", "Choose a filename to save the log"}));
        QCOMPARE(calls(m_first, "Kivo.GetLogList").size(), 1);
        QTRY_COMPARE_WITH_TIMEOUT(calls(m_first, "Kivo.DeleteLogFile").size(), 1, 10000);
        QCOMPARE(strings(calls(m_first, "Kivo.DeleteLogFile").first()["params"]), QStringList{"boot.log"});
        const QList<QJsonObject> transfers = m_fleet.players.journal("ftp", m_first);
        QVERIFY(std::any_of(transfers.begin(), transfers.end(), [](const QJsonObject& transfer) {
            return transfer["user"] == "log" && transfer["file"] == "boot.log" && transfer["complete"].toBool();
        }));
        QVERIFY(boxes(m_fleet.prompts).isEmpty());
        QVERIFY(!QFile::exists(m_fleet.workDir.filePath("upper.TXT.txt")));
    }

    void logNameCannotChooseTheLocalFile_data()
    {
        QTest::addColumn<QString>("logName");
        QTest::newRow("path") << "../../escaped.log";
        QTest::newRow("control characters") << "x.log\r\nDELE player.log";
    }
    void logNameCannotChooseTheLocalFile()
    {
        QFETCH(QString, logName);
        QVERIFY(writeFile(m_fleet.workDir.filePath("kept.txt"), "earlier download\n"));
        m_fleet.form.ui.Player_iconView->setCurrentItem(m_fleet.waitForPlayer("Cfg1", false));
        m_fleet.prompts.fileAnswers = QStringList{m_fleet.workDir.filePath("kept")};
        m_fleet.form.DownloadLogFile(logName);
        QTRY_COMPARE_WITH_TIMEOUT(m_fleet.prompts.messages.size(), 1, 10000);
        QCOMPARE(m_fleet.prompts.messages.first().title, QString("File transfer"));
        QVERIFY(m_fleet.prompts.messages.first().text.startsWith("Downloading log " + logName + " fails: "));
        QCOMPARE(readFile(m_fleet.workDir.filePath("kept.txt")), QByteArray("earlier download\n"));
        QVERIFY(!QFile::exists(m_fleet.workDir.filePath("escaped.log")) && !QFile::exists("escaped.log"));
        QVERIFY(QFile::exists(stateFile(m_first, "logs/player.log")));
        QCOMPARE(m_fleet.form.ui.Xfer_progressBar->value(), -1);
    }

    void playerGoneWhileItsDialogIsOpen_data()
    {
        QTest::addColumn<QString>("dialog");
        QTest::addColumn<QString>("method");
        QTest::newRow("scheduler") << "scheduler" << "Kivo.SetCrontab";
        QTest::newRow("ticker") << "ticker" << "Kivo.SetNewTicker";
        QTest::newRow("log deletion") << "log delete" << "Kivo.DeleteLogFile";
        QTest::newRow("log download") << "log download" << "";
    }
    void playerGoneWhileItsDialogIsOpen()
    {
        QFETCH(QString, dialog);
        QFETCH(QString, method);
        PlayerItem* doomed = m_fleet.waitForPlayer("Cfg1", false);
        PlayerItem* other = m_fleet.waitForPlayer("Cfg2", false);
        QVERIFY(doomed && other);
        m_fleet.form.ui.Player_iconView->setCurrentItem(other);
        const int ftpBefore = m_fleet.players.journal("ftp", m_first).size() + m_fleet.players.journal("ftp", m_second).size();
        const auto sentTo = [&](const QString& address) { return method.isEmpty() ? 0 : int(calls(address, method).size()); };
        const int firstBefore = sentTo(m_first);
        const int secondBefore = sentTo(m_second);
        m_fleet.prompts.fileAnswers = QStringList{m_fleet.workDir.filePath("gone")};
        m_fleet.prompts.dialogScripts.append([&](QDialog* open) {
            if (dialog.startsWith("log"))
                QVERIFY(selectRow(open, "Log_listView", "player.log"));
            // Silent for too long: removed, as its liveness check would.
            m_fleet.form.players()->delete_player(doomed);
            if (dialog == "scheduler") {
                click(open, "Commit_pushButton");
            } else if (dialog == "ticker") {
                child<QLineEdit>(open, "TickerLineEdit")->setText("not for anyone");
                click(open, "TickerOKButton");
            } else {
                click(open, dialog == "log delete" ? "Log_buttonDelete" : "Log_buttonDownload");
                click(open, "Log_buttonQuit");
            }
        });
        if (dialog == "scheduler")
            m_fleet.form.openSchedulerDialog(doomed);
        else if (dialog == "ticker")
            m_fleet.form.openTickerDialog(doomed);
        else
            m_fleet.form.openLogDialog(doomed);
        QCOMPARE(boxes(m_fleet.prompts), QStringList{"Warning | Operational error | No player is selected"});
        QTest::qWait(500);
        QCOMPARE(sentTo(m_first), firstBefore);
        QCOMPARE(sentTo(m_second), secondBefore);
        QCOMPARE(m_fleet.players.journal("ftp", m_first).size() + m_fleet.players.journal("ftp", m_second).size(), ftpBefore);
        QVERIFY(!QFile::exists(m_fleet.workDir.filePath("gone.txt")));
        QVERIFY(m_fleet.waitForPlayer("Cfg1", false)); // registers again on its next heartbeat
    }
};

QTEST_MAIN(TestConfigOnline)
#include "tst_configonline.moc"
