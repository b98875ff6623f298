// The player management menu against emulated players: the entries offered to
// real and virtual players, and what each chosen entry sends.

#include "players/playeritem.h"
#include "players/playermenu.h"
#include "window/kvo_form.h"

#include "../peers/boxes.h"
#include "../peers/windowwithplayers.h"

#include <QtTest>
#include <QtWidgets>

namespace {
const QString kAddress = "127.0.62.2";
}

class TestPlayerMenu : public QObject
{
    Q_OBJECT

private:
    WindowWithPlayers m_fleet;

    QStringList methodsReceived() const
    {
        QStringList methods;
        for (const QJsonObject& call : m_fleet.players.journal("call", kAddress))
            methods.append(call["method"].toString());
        methods.removeAll("Kivo.SyncDateTime");
        return methods;
    }
    void choose(PlayerItem* item, int id)
    {
        m_fleet.prompts.menuAnswers << id;
        m_fleet.form.PlayerManagementMenu(item, QPoint(10, 10));
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_fleet.isReady());
        QVERIFY(m_fleet.startPlayers(kAddress, 1,
                                {"--interval", "0.5", "--name", "Menu{n}", "--ftp-port", "0"}));
        QTRY_VERIFY_WITH_TIMEOUT(m_fleet.player("Menu1") && m_fleet.form.commandChannel().outstanding() == 0, 10000);
    }
    void cleanup()
    {
        m_fleet.prompts.messages.clear();
        m_fleet.prompts.menus.clear();
        m_fleet.prompts.dialogs.clear();
    }

    void entriesByKind()
    {
        // Empty space offers nothing.
        m_fleet.form.PlayerManagementMenu(nullptr, QPoint());
        QVERIFY(m_fleet.prompts.menus.isEmpty());

        m_fleet.form.PlayerManagementMenu(m_fleet.player("Menu1"), QPoint());
        QCOMPARE(ScriptedPrompts::entryTexts(m_fleet.prompts.menus.value(0)),
                 QStringList({"Storage space", "Network management", "Video output selection", "Screen layout",
                              "Scale window", "-", "Volume control", "-", "Event scheduler",
                              "Compose new ticker message", "-", "Refresh player contents", "Firmware version",
                              "Watchdog timer", "LOG management", "-", "Sleep", "Restart/wake player"}));

        auto* virtualPlayer = new PlayerItem(m_fleet.form.ui.Player_iconView, "Mirror", true, false);
        m_fleet.form.PlayerManagementMenu(virtualPlayer, QPoint());
        QCOMPARE(ScriptedPrompts::entryTexts(m_fleet.prompts.menus.value(1)),
                 QStringList({"Refresh player contents", "Storage space", "Network management",
                              "Video output selection", "Screen layout", "Compose new ticker message",
                              "Event scheduler", "Delete this virtual player"}));
        QList<int> ids;
        for (const ScriptedPrompts::MenuEntry& entry : m_fleet.prompts.menus.value(1))
            ids.append(entry.id.toInt());
        QCOMPARE(ids, QList<int>({0, 1, 2, 3, 11, 6, 12, 15}));
        delete virtualPlayer;
    }

    void storageReport_data()
    {
        QTest::addColumn<qint64>("total");
        QTest::addColumn<qint64>("available");
        QTest::addColumn<QString>("text");
        QTest::newRow("before any reply") << qint64(0) << qint64(0) << "Total space -1 KB, available 0 KB (100% Full).";
        QTest::newRow("after a reply") << qint64(1000) << qint64(250) << "Total space 1000 KB, available 250 KB (75% Full).";
        QTest::newRow("negative figures") << qint64(-5) << qint64(-1) << "Total space 4 KB, available 0 KB (100% Full).";
        QTest::newRow("no 32-bit overflow") << qint64(2000000000) << qint64(500000000)
                                            << "Total space 2000000000 KB, available 500000000 KB (75% Full).";
    }
    void storageReport()
    {
        QFETCH(qint64, total);
        QFETCH(qint64, available);
        QFETCH(QString, text);
        QCOMPARE(storageReportText(total, available), text);
    }

    void storageEntryShowsThePreviousReply()
    {
        PlayerItem* item = m_fleet.player("Menu1");
        choose(item, 1);
        QCOMPARE(boxes(m_fleet.prompts).value(0),
                 QString("Information | Storage space | Total space -1 KB, available 0 KB (100% Full)."));
        QTRY_VERIFY_WITH_TIMEOUT(item->totalSpace() > 0, 10000);
        choose(item, 1);
        QCOMPARE(boxes(m_fleet.prompts).value(1),
                 "Information | Storage space | " + storageReportText(item->totalSpace(), item->availableSpace()));
    }

    void everyEntryReachesThePlayer()
    {
        PlayerItem* item = m_fleet.player("Menu1");
        const int before = methodsReceived().size();
        // Dialogs left unanswered are cancelled; what they ask for on opening still goes out.
        for (int id : {4, 14, 24, 12, 10, 9, 13})
            choose(item, id);
        QTRY_COMPARE_WITH_TIMEOUT(methodsReceived().mid(before),
                                  QStringList({"Kivo.FirmwareVersion", "Kivo.GetScaleWindow", "Kivo.GetVolume",
                                               "Kivo.GetCrontab", "Kivo.GetLogList", "Kivo.Sleep"}),
                                  10000);
        QCOMPARE(m_fleet.prompts.dialogs.size(), 5);
    }

    void playerGoneWhileMenuOpen()
    {
        PlayerItem* item = m_fleet.player("Menu1");
        const int before = methodsReceived().size();
        QTimer::singleShot(0, item, [this, item] { m_fleet.form.delete_player(item); });
        choose(item, 4);
        QCOMPARE(boxes(m_fleet.prompts).last(), QString("Warning | Operational error | No player is selected"));
        // The next heartbeat admits it anew; nothing was sent to it meanwhile.
        QTRY_VERIFY_WITH_TIMEOUT(m_fleet.player("Menu1"), 10000);
        QVERIFY(!methodsReceived().mid(before).contains("Kivo.FirmwareVersion"));
    }

    void virtualPlayerEntries()
    {
        const QString directory = m_fleet.workDir.filePath("media/MIRRORS/Lobby");
        QVERIFY(QDir().mkpath(directory + "/contents"));
        QFile file(directory + "/contents/clip.mpg");
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(QByteArray(3 * 1024 * 1024, 'x')) > 0);
        file.close();
        auto* lobby = new PlayerItem(m_fleet.form.ui.Player_iconView, "Lobby", true, false);
        lobby->setVirtualDirectory(directory);

        choose(lobby, 0);
        QCOMPARE(m_fleet.form.ui.PlayerContent_listView->topLevelItemCount(), 1);
        choose(lobby, 1);
        QCOMPARE(boxes(m_fleet.prompts).last(), QString("Information | Required storage space | Used 3072KB (or 3 MB)."));

        m_fleet.prompts.buttonAnswers << QMessageBox::No << QMessageBox::Yes;
        choose(lobby, 15);
        QVERIFY(m_fleet.player("Lobby") && QFileInfo::exists(directory));
        choose(lobby, 15);
        QVERIFY(!m_fleet.player("Lobby"));
        QVERIFY(!QFileInfo::exists(directory));
    }

    void restartRemovesThePlayer()
    {
        choose(m_fleet.player("Menu1"), 5);
        QVERIFY(!m_fleet.player("Menu1"));
        QTRY_VERIFY_WITH_TIMEOUT(methodsReceived().contains("Kivo.Reboot"), 10000);
    }
};

QTEST_MAIN(TestPlayerMenu)
#include "tst_playermenu.moc"
