// The players controller and its command channel: admission, duplicates,
// heartbeats and liveness, the dispatch of replies and faults to the player
// each call was sent to, the status commands and the player menu.

#include "players/commandchannel.h"
#include "players/playeritem.h"
#include "players/playerscontroller.h"
#include "players/registrationrecord.h"
#include "xmlrpc/xrclient.h"

#include "../peers/boxes.h"
#include "../peers/fakeplayer.h"
#include "../peers/scratchdir.h"
#include "../peers/scriptedprompts.h"

#include <QtTest>

using namespace RegistrationField;

namespace {


// Field i holds prefix + i, so that every field is told apart. Nothing
// listens at these addresses: calls to them end in faults.
QStringList registration(const QString& name, const QString& address, const QString& power = "PWRON",
                         const QString& prefix = "f")
{
    QStringList record;
    for (int field = 0; field < Count; ++field)
        record.append(prefix + QString::number(field));
    record[Name] = name;
    record[Address] = address;
    record[DmzFlag] = "off";
    record[DmzIp] = "127.0.0.251";
    record[PowerState] = power;
    return record;
}

// What the item holds of the fields Playing to DmzIp, in record order.
QStringList heldFields(const PlayerItem* item)
{
    return {item->playing(), item->videoMode(), item->lanIp(), item->wlanIp(), item->essid(), item->wepKey(),
            item->serverIp(), item->lanDevice(), item->wlanDevice(), item->lanGateway(), item->lanMask(),
            item->wlanGateway(), item->wlanMask(), item->dhcp("LAN"), item->dhcp("WLAN"), item->dmzFlag(),
            item->dmzIp()};
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return QDir().mkpath(QFileInfo(path).path()) && file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace

class TestPlayersController : public QObject
{
    Q_OBJECT

private:
    ScratchDirectory m_dir;
    ScriptedPrompts* m_prompts = nullptr;
    QWidget* m_window = nullptr;
    QListWidget* m_view = nullptr;
    PlayersController* m_players = nullptr;
    QSignalSpy* m_status = nullptr;

    CommandChannel& channel() { return m_players->channel(); }
    PlayerItem* admit(const QString& name, const QString& address)
    {
        m_players->AddNewPlayer(registration(name, address));
        return m_players->find(name);
    }
    // Admits a player and waits for the fault of its clock sync to be shown.
    PlayerItem* admitQuietly(const QString& name, const QString& address)
    {
        PlayerItem* item = admit(name, address);
        if (!channelIdle(channel()))
            return nullptr;
        m_prompts->messages.clear();
        return item;
    }
    QString status() const { return m_status->isEmpty() ? QString() : m_status->last().at(0).toString(); }

private slots:
    void init()
    {
        QVERIFY(m_dir.isValid());
        m_prompts = new ScriptedPrompts;
        m_window = new QWidget;
        m_view = new QListWidget(m_window);
        m_players = new PlayersController(m_view, m_window);
        m_status = new QSignalSpy(m_players, &PlayersController::statusMessage);
    }
    void cleanup()
    {
        delete m_status;
        delete m_players;
        delete m_window;
        delete m_prompts;
        PlayerItem::setClock({});
    }

    void admission_data()
    {
        QTest::addColumn<QString>("sentName");
        QTest::addColumn<QString>("dmzFlag");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("called");
        QTest::newRow("plain") << "Lobby" << "off" << "Lobby" << "127.0.0.250";
        QTest::newRow("encoded name, DMZ on") << "U+0041U+0042" << " yes " << "AB" << "127.0.0.251";
    }
    void admission()
    {
        QFETCH(QString, sentName);
        QFETCH(QString, dmzFlag);
        QFETCH(QString, name);
        QFETCH(QString, called);
        QStringList record = registration(sentName, "127.0.0.250");
        record[DmzFlag] = dmzFlag;
        m_players->AddNewPlayer(record);
        PlayerItem* item = m_players->find(name);
        QVERIFY(item);
        QCOMPARE(item->text(), name);
        QVERIFY(item->isReal() && item->isOnline());
        QCOMPARE(item->ipAddress(), QString("127.0.0.250")); // uploads go here
        QCOMPARE(heldFields(item), record.mid(Playing, DmzIp - Playing + 1));
        QCOMPARE(item->client()->objectName(), "xml-rpc_client" + name + ":127.0.0.250");
        QCOMPARE(item->client()->url(), QUrl("http://" + called + ":8888/RPC2"));
        QCOMPARE(channel().client(name), item->client());

        // The clock goes out at once, recorded for the player; its fault
        // (nobody listens) is shown.
        QCOMPARE(channel().outstanding(), 1);
        QTRY_COMPARE_WITH_TIMEOUT(boxes(*m_prompts),
                                  QStringList{"Information | Kivo.SyncDateTime Error | Connection refused. The player "
                                              "is not ready yet. It it safe to ignore this message."},
                                  10000);
        QVERIFY2(QRegularExpression("^Client command <\\d+> fails with message <Connection refused>\\.$")
                     .match(status()).hasMatch(), qPrintable(status()));
        QCOMPARE(channel().outstanding(), 0);

        // A heartbeat refreshes the same item without a second admission and
        // reports the current player; only the exact word means off.
        XRClient* client = item->client();
        m_view->setCurrentItem(item);
        item->setLastActive(QDateTime::currentDateTime().addSecs(-19));
        const QStringList heartbeat = registration(sentName, "127.0.0.250", "PWROFF", "g");
        m_players->AddNewPlayer(heartbeat);
        QCOMPARE(m_view->count(), 1);
        QCOMPARE(item->client(), client);
        QCOMPARE(channel().outstanding(), 0);
        QVERIFY(item->lastActive().secsTo(QDateTime::currentDateTime()) <= 1);
        QCOMPARE(heldFields(item), heartbeat.mid(Playing, DmzIp - Playing + 1));
        QVERIFY(!item->isOnline());
        QCOMPARE(status(), "Player (" + name + ") is playing \"g2\" on g3; Last contact at " + item->lastActiveText());
        m_players->AddNewPlayer(registration(sentName, "127.0.0.250", "pwroff"));
        QVERIFY(item->isOnline());
    }

    void duplicateNameIsRefusedInAnyCase_data()
    {
        QTest::addColumn<QString>("registered");
        QTest::addColumn<QString>("intruder");
        QTest::newRow("same case") << "Lobby" << "Lobby";
        QTest::newRow("other case, non-ASCII") << "Écran ½" << "éCRAN ½";
    }
    void duplicateNameIsRefusedInAnyCase()
    {
        QFETCH(QString, registered);
        QFETCH(QString, intruder);
        PlayerItem* item = admitQuietly(registered, "127.0.0.250");
        QVERIFY(item);
        const QDateTime lastActive = QDateTime::currentDateTime().addSecs(-15);
        item->setLastActive(lastActive);

        // While the warning is open its nested event loop delivers further
        // heartbeats of the duplicate: they must not stack up boxes.
        bool reentered = false;
        m_prompts->answerWhen = [&] {
            if (!std::exchange(reentered, true))
                m_players->AddNewPlayer(registration(intruder, "127.0.0.249", "PWRON", "g"));
            return true;
        };
        m_players->AddNewPlayer(registration(intruder, "127.0.0.249", "PWRON", "g"));
        m_prompts->answerWhen = {};
        QCOMPARE(m_view->count(), 1);
        QCOMPARE(item->lastActive(), lastActive);
        QCOMPARE(item->playing(), QString("f2"));
        QCOMPARE(channel().outstanding(), 0);
        QCOMPARE(boxes(*m_prompts), QStringList{"Warning | Duplicated Player | A new player (" + intruder
                                                 + ",127.0.0.249) is trying to connect to this server while ("
                                                 + registered + ",127.0.0.250) has already registered.\n"
                                                 + "This connection is ignored."});
        // Once it is closed, the next heartbeat warns again.
        m_players->AddNewPlayer(registration(intruder, "127.0.0.249"));
        QCOMPARE(m_prompts->messages.size(), 2);
    }

    // A player leaves by silence, deletion or restart: no other player is made
    // current on the way, and its client goes once its calls are answered,
    // without waiting for the name to come back.
    void aLeavingPlayerTakesNothingWithIt_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("how");
        QTest::newRow("first, deleted") << 0 << "delete";
        QTest::newRow("last, restarted") << 2 << "restart";
        QTest::newRow("middle, silent") << 1 << "silence";
    }
    void aLeavingPlayerTakesNothingWithIt()
    {
        QFETCH(int, row);
        QFETCH(QString, how);
        const QStringList names{"Lobby", "Hall", "Stage"};
        for (int i = 0; i < names.size(); ++i)
            admit(names[i], QString("127.0.0.%1").arg(240 + i));
        QVERIFY(channelIdle(channel()));
        PlayerItem* chosen = m_players->find(names[row]);
        QPointer<XRClient> client = chosen->client();
        m_view->setCurrentItem(chosen);
        QList<QListWidgetItem*> madeCurrent;
        connect(m_view, &QListWidget::currentItemChanged, m_view,
                [&madeCurrent](QListWidgetItem* current) { madeCurrent.append(current); });
        QSignalSpy removed(m_players, &PlayersController::playerRemoved);

        if (how == "silence") {
            const QDateTime later = QDateTime::currentDateTime().addSecs(21);
            PlayerItem::setClock([later] { return later; });
            chosen->check_last_active_time(); // the item deletes itself through the controller
            PlayerItem::setClock({});
        } else if (how == "delete") {
            m_players->delete_player(chosen);
        } else {
            m_players->Reboot_player(chosen);
        }
        QCOMPARE(removed.size(), 1);
        QCOMPARE(m_view->count(), 2);
        QVERIFY(!m_players->find(names[row]));
        QCOMPARE(status(), "Player " + names[row] + " goes offline!");
        QCOMPARE(m_view->currentItem(), nullptr);
        QVERIFY(m_view->selectedItems().isEmpty());
        QVERIFY(!madeCurrent.isEmpty());
        QCOMPARE(madeCurrent, QList<QListWidgetItem*>(madeCurrent.size(), nullptr));

        QTRY_VERIFY_WITH_TIMEOUT(!client, 10000);
        QVERIFY(!channel().client(names[row]));
        PlayerItem* again = admit(names[row], "127.0.0.250");
        QVERIFY(again && again->client());
        QCOMPARE(channel().client(names[row]), again->client());
    }

    // Restart goes out once, unrecorded: the player registers anew.
    void restartIsSentOnceUnrecorded()
    {
        FakePlayer lobby(m_view, channel(), "Lobby");
        m_players->Reboot_player(lobby.item);
        QVERIFY(!lobby.item);
        QCOMPARE(channel().outstanding(), 0);
        QTRY_COMPARE(lobby.methods(), QStringList{"Kivo.Reboot"});
    }

    void clickChoosesThePlayer()
    {
        FakePlayer hall(m_view, channel(), "Hall");
        hall.replies["Kivo.GetScreenLayout"] = QVariantList{" 4"};
        QSignalSpy chosen(m_players, &PlayersController::playerChosen);
        m_view->setCurrentItem(hall.item);
        m_players->UpdatePlayerDisplayData(hall.item);
        QCOMPARE(chosen.size(), 1);
        QCOMPARE(chosen.first().first().value<PlayerItem*>(), hall.item.data());
        QVERIFY(channelIdle(channel()));
        QCOMPARE(hall.methods(), QStringList{"Kivo.GetScreenLayout"});

        // A virtual player's video mode and layout come from its files; it gets no calls.
        auto* group = m_players->addVirtualPlayer("Group", m_dir.filePath("MIRRORS/Group"));
        QVERIFY(!m_players->addVirtualPlayer("GROUP", m_dir.filePath("MIRRORS/GROUP")));
        group->setVideoMode("VGA");
        group->setScreenLayout(3);
        m_view->setCurrentItem(group);
        m_players->UpdatePlayerDisplayData(group);
        QCOMPARE(group->videoMode(), QString("NA"));
        QCOMPARE(group->screenLayout(), -1);
        QVERIFY(writeFile(group->virtualDirectory() + "/sys/video.env", "VIDEO= HDMI-720p =x\nsecond=line\n"));
        QVERIFY(writeFile(group->virtualDirectory() + "/sys/screen.env", "LAYOUT= 7\n"));
        m_players->UpdatePlayerDisplayData(group);
        QCOMPARE(group->videoMode(), QString("HDMI-720p"));
        QCOMPARE(group->screenLayout(), 7);
        m_players->FirmwareVersion(group);
        m_players->GetFreeSpace(group);
        m_players->SleepPlayer(group);
        QCOMPARE(channel().outstanding(), 0);

        // A click on an item that is not selected does nothing.
        group->setSelected(false);
        m_players->UpdatePlayerDisplayData(group);
        QCOMPARE(chosen.size(), 3);
    }

    void repliesReachTheirPlayerOnly()
    {
        FakePlayer lobby(m_view, channel(), "Lobby");
        FakePlayer hall(m_view, channel(), "Hall");
        lobby.replies["Kivo.FreeSpace"] = QVariantList{4000000, -1};
        hall.replies["Kivo.FreeSpace"] = QVariantList{1000, 250};
        hall.held << "Kivo.FreeSpace";
        lobby.item->setAvailableSpace(50);
        m_view->setCurrentItem(hall.item); // the shown player is not the one that replies
        QSignalSpy replied(&channel(), &CommandChannel::replied);

        m_players->GetFreeSpace(hall.item);
        m_players->GetFreeSpace(lobby.item);
        QTRY_COMPARE(lobby.item->totalSpace(), 4000000);
        QCOMPARE(lobby.item->availableSpace(), 50); // a negative figure keeps the old one
        QCOMPARE(hall.item->totalSpace(), 0);
        QVERIFY2(status().startsWith("Kivo.FreeSpace command completed ("), qPrintable(status()));
        QVERIFY(status().endsWith(" of 1)"));

        // The held reply arrives after its player has gone: completed, handed to nobody.
        QTRY_COMPARE(hall.waiting(), 1);
        m_players->delete_player(hall.item);
        hall.release();
        QVERIFY(channelIdle(channel()));
        QCOMPARE(replied.size(), 1);
        QVERIFY(status().endsWith(" of 0)"));

        // A name outside the table leaves its request recorded; names are compared case-sensitively.
        for (const char* method : {"Kivo.NotInTheTable", "kivo.freespace"})
            channel().send(lobby.item, method);
        QTRY_COMPARE(lobby.calls.size(), 3);
        QTest::qWait(100);
        QCOMPARE(channel().outstanding(), 2);
    }

    void repliesAndFaultsAreShown_data()
    {
        QTest::addColumn<QString>("method");
        QTest::addColumn<QVariant>("reply");
        QTest::addColumn<QString>("fault"); // when not empty, the player answers with this fault
        QTest::addColumn<QString>("box");
        const QString version = "Version information | Firmware: %1; Server software: Generic Kivo 3.27 2010-05-28";
        QTest::newRow("firmware") << "Kivo.FirmwareVersion" << QVariant(QVariantList{"KVO-3 1.8.2", "ignored"})
                                  << QString() << version.arg("KVO-3 1.8.2");
        QTest::newRow("firmware, missing element") << "Kivo.FirmwareVersion" << QVariant(QVariantList{}) << QString()
                                                   << version.arg("");
        QTest::newRow("firmware, percent sign kept") << "Kivo.FirmwareVersion" << QVariant(QVariantList{"v%2"})
                                                     << QString() << version.arg("v%2");
        QTest::newRow("connection closed")
            << "Kivo.Sleep" << QVariant() << "Server closed connection unexpectedly"
            << "Kivo.Sleep Error | Server closed connection unexpectedly. Most likely player connection was broken "
               "or player was reset just now, it is safe to ignore this message.";
        QTest::newRow("player's own fault") << "Kivo.Sleep" << QVariant() << "bad path" << "Kivo.Sleep Error | bad path";
    }
    void repliesAndFaultsAreShown()
    {
        QFETCH(QString, method);
        QFETCH(QVariant, reply);
        QFETCH(QString, fault);
        FakePlayer lobby(m_view, channel(), "Lobby");
        lobby.replies[method] = reply;
        if (!fault.isEmpty())
            lobby.faults[method] = fault;
        QSignalSpy failed(&channel(), &CommandChannel::failed);
        method == "Kivo.Sleep" ? m_players->SleepPlayer(lobby.item) : m_players->FirmwareVersion(lobby.item);
        QFETCH(QString, box);
        QTRY_COMPARE(boxes(*m_prompts), QStringList{"Information | " + box});
        QCOMPARE(channel().outstanding(), 0);
        if (fault.isEmpty())
            return;
        QVERIFY2(status().endsWith("> fails with message <" + fault + ">."), qPrintable(status()));
        QCOMPARE(failed.size(), 1);
        QCOMPARE(failed.first().at(1).value<PlayerItem*>(), lobby.item.data());
    }

    void busyChannelStillSleeps()
    {
        FakePlayer lobby(m_view, channel(), "Lobby");
        lobby.held << "Kivo.GetList";
        for (int call = 0; call < CommandChannel::kBusyLimit; ++call)
            channel().send(lobby.item, "Kivo.GetList");
        QVERIFY(channel().isBusy());
        m_players->SleepPlayer(lobby.item);
        QCOMPARE(channel().outstanding(), CommandChannel::kBusyLimit + 1);
    }

    // The menu offers the entries of the player's kind and acts on the player
    // it was opened for, or on nobody when that player went while it was open.
    void menuOfAPlayer()
    {
        m_players->PlayerManagementMenu(nullptr, QPoint()); // empty space offers nothing
        QVERIFY(m_prompts->menus.isEmpty());
        m_players->PlayerManagementMenu(m_players->addVirtualPlayer("Mirror", "/nowhere"), QPoint());
        QCOMPARE(ScriptedPrompts::entryTexts(m_prompts->menus.value(0)),
                 QStringList({"Refresh player contents", "Storage space", "Network management",
                              "Video output selection", "Screen layout", "Compose new ticker message",
                              "Event scheduler", "Delete this virtual player"}));

        PlayerItem* lobby = admitQuietly("Lobby", "127.0.0.250");
        PlayerItem* hall = admitQuietly("Hall", "127.0.0.248");
        m_view->setCurrentItem(hall);
        QList<PlayerItem*> actedOn;
        m_players->setMenuAction(6, [&](PlayerItem* player, const QPoint&) { actedOn.append(player); });
        m_prompts->menuAnswers << 6 << 6;
        m_players->PlayerManagementMenu(lobby, QPoint());
        QCOMPARE(ScriptedPrompts::entryTexts(m_prompts->menus.value(1)),
                 QStringList({"Storage space", "Network management", "Video output selection", "Screen layout",
                              "Scale window", "-", "Volume control", "-", "Event scheduler",
                              "Compose new ticker message", "-", "Refresh player contents", "Firmware version",
                              "Watchdog timer", "LOG management", "-", "Sleep", "Restart/wake player"}));
        QCOMPARE(actedOn, QList<PlayerItem*>{lobby});

        m_prompts->answerWhen = [&] {
            if (m_players->find("Lobby"))
                m_players->delete_player(lobby);
            return true;
        };
        m_players->PlayerManagementMenu(lobby, QPoint());
        m_prompts->answerWhen = {};
        QCOMPARE(actedOn.size(), 1);
        QCOMPARE(m_prompts->messages.size(), 1); // the operator is told no player is selected
    }

    void storageReport_data()
    {
        QTest::addColumn<qint64>("total");
        QTest::addColumn<qint64>("available");
        QTest::addColumn<QString>("text");
        QTest::newRow("before any reply") << qint64(0) << qint64(0) << "Total space -1 KB, available 0 KB (100% Full).";
        QTest::newRow("negative figures") << qint64(-5) << qint64(-1) << "Total space 4 KB, available 0 KB (100% Full).";
        QTest::newRow("no 32-bit overflow") << qint64(2000000000) << qint64(500000000)
                                            << "Total space 2000000000 KB, available 500000000 KB (75% Full).";
    }
    void storageReport()
    {
        QFETCH(qint64, total);
        QFETCH(qint64, available);
        QTEST(storageReportText(total, available), "text");
    }

    // The entry shows the figures at hand and asks for fresh ones.
    void storageEntryShowsThePreviousReply()
    {
        FakePlayer lobby(m_view, channel(), "Lobby");
        lobby.replies["Kivo.FreeSpace"] = QVariantList{1000, 250};
        m_players->showStorageReport(lobby.item);
        QTRY_COMPARE(lobby.item->totalSpace(), 1000);
        m_players->showStorageReport(lobby.item);
        QCOMPARE(boxes(*m_prompts), QStringList({"Information | Storage space | " + storageReportText(0, 0),
                                                 "Information | Storage space | " + storageReportText(1000, 250)}));
    }

    void closingWithACallInFlight()
    {
        admit("Lobby", "127.0.0.250");
        QCOMPARE(channel().outstanding(), 1);
        // The call dies with the controller; nobody is left to tell.
        delete std::exchange(m_players, nullptr);
        QTest::qWait(50);
        QVERIFY(m_prompts->messages.isEmpty());
    }
};

QTEST_MAIN(TestPlayersController)
#include "tst_playerscontroller.moc"
