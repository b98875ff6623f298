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

const QString kNotReady = "Connection refused. The player is not ready yet. It it safe to ignore this message.";
const QString kNoPlayer = "Warning | Operational error | No player is selected";

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
        QTRY_COMPARE_WITH_TIMEOUT(boxes(*m_prompts), QStringList{"Information | Kivo.SyncDateTime Error | " + kNotReady},
                                  10000);
        QVERIFY2(QRegularExpression("^Client command <\\d+> fails with message <Connection refused>\\.$")
                     .match(status()).hasMatch(), qPrintable(status()));
        QCOMPARE(channel().outstanding(), 0);
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

    void heartbeatRefreshesWithoutSecondAdmission()
    {
        PlayerItem* item = admit("Lobby", "127.0.0.250");
        m_view->setCurrentItem(item);
        XRClient* client = item->client();
        item->setLastActive(QDateTime::currentDateTime().addSecs(-19));

        const QStringList heartbeat = registration("Lobby", "127.0.0.250", "PWROFF", "g");
        m_players->AddNewPlayer(heartbeat);
        QCOMPARE(m_view->count(), 1);
        QCOMPARE(item->client(), client);
        QCOMPARE(channel().outstanding(), 1); // no second clock sync
        QVERIFY(item->lastActive().secsTo(QDateTime::currentDateTime()) <= 1);
        QCOMPARE(heldFields(item), heartbeat.mid(Playing, DmzIp - Playing + 1));
        QVERIFY(!item->isOnline());
        QCOMPARE(status(), "Player (Lobby) is playing \"g2\" on g3; Last contact at " + item->lastActiveText());
        // Only the exact word means off.
        m_players->AddNewPlayer(registration("Lobby", "127.0.0.250", "pwroff"));
        QVERIFY(item->isOnline());
    }

    void silentPlayerGoesOfflineAndIsAdmittedAnew()
    {
        const QDateTime start = QDateTime::currentDateTime();
        QDateTime now = start;
        PlayerItem::setClock([&now] { return now; });
        PlayerItem* item = admit("Lobby", "127.0.0.250");
        admit("Hall", "127.0.0.248");
        QPointer<XRClient> first = item->client();
        QSignalSpy removed(m_players, &PlayersController::playerRemoved);

        now = start.addSecs(20);
        item->check_last_active_time();
        QCOMPARE(m_view->count(), 2);
        now = start.addSecs(21);
        item->check_last_active_time(); // the item deletes itself through the controller
        QCOMPARE(removed.size(), 1);
        QCOMPARE(m_view->count(), 1);
        QVERIFY(!m_players->find("Lobby"));
        QCOMPARE(status(), QString("Player Lobby goes offline!"));

        // The departed player's client goes once its calls are answered,
        // without waiting for the name to come back.
        QTRY_VERIFY_WITH_TIMEOUT(!first, 10000);
        QVERIFY(!channel().client("Lobby"));
        PlayerItem* again = admit("Lobby", "127.0.0.250");
        QVERIFY(again && again->client());
        QCOMPARE(channel().client("Lobby"), again->client());
    }

    void removingTheCurrentPlayerLeavesNoneCurrent_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<bool>("bySilence");
        QTest::newRow("first") << 0 << false;
        QTest::newRow("last") << 2 << false;
        QTest::newRow("middle, silent") << 1 << true;
    }
    void removingTheCurrentPlayerLeavesNoneCurrent()
    {
        QFETCH(int, row);
        QFETCH(bool, bySilence);
        const QStringList names{"Lobby", "Hall", "Stage"};
        for (int i = 0; i < names.size(); ++i)
            admit(names[i], QString("127.0.0.%1").arg(240 + i));
        QVERIFY(channelIdle(channel()));
        PlayerItem* chosen = m_players->find(names[row]);
        m_view->setCurrentItem(chosen);
        QList<QListWidgetItem*> madeCurrent;
        connect(m_view, &QListWidget::currentItemChanged, m_view,
                [&madeCurrent](QListWidgetItem* current) { madeCurrent.append(current); });

        if (bySilence) {
            const QDateTime later = QDateTime::currentDateTime().addSecs(25);
            PlayerItem::setClock([later] { return later; });
            chosen->check_last_active_time();
        } else {
            m_players->delete_player(chosen);
        }
        QCOMPARE(m_view->count(), 2);
        QCOMPARE(m_view->currentItem(), nullptr);
        QVERIFY(m_view->selectedItems().isEmpty());
        // No other player was made current on the way.
        QVERIFY(!madeCurrent.isEmpty());
        QCOMPARE(madeCurrent, QList<QListWidgetItem*>(madeCurrent.size(), nullptr));
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

        // A virtual player's video mode and layout come from its files.
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

    void faultTexts_data()
    {
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("box");
        QTest::newRow("closed") << "Server closed connection unexpectedly"
                                << "Kivo.Sleep Error | Server closed connection unexpectedly. Most likely player "
                                   "connection was broken or player was reset just now, it is safe to ignore this "
                                   "message.";
        QTest::newRow("player's own") << "bad path" << "Kivo.Sleep Error | bad path";
    }
    void faultTexts()
    {
        QFETCH(QString, message);
        QFETCH(QString, box);
        FakePlayer lobby(m_view, channel(), "Lobby");
        lobby.faults["Kivo.Sleep"] = message;
        QSignalSpy failed(&channel(), &CommandChannel::failed);
        m_players->SleepPlayer(lobby.item);
        QTRY_COMPARE(boxes(*m_prompts), QStringList{"Information | " + box});
        QVERIFY2(status().endsWith("> fails with message <" + message + ">."), qPrintable(status()));
        QCOMPARE(failed.size(), 1);
        QCOMPARE(failed.first().at(1).value<PlayerItem*>(), lobby.item.data());
        QCOMPARE(channel().outstanding(), 0);
    }

    void firmwareVersionBox_data()
    {
        QTest::addColumn<QVariant>("reply");
        QTest::addColumn<QString>("firmware");
        QTest::newRow("description") << QVariant(QVariantList{"KVO-3 1.8.2", "ignored"}) << "KVO-3 1.8.2";
        QTest::newRow("missing element") << QVariant(QVariantList{}) << "";
        QTest::newRow("percent sign kept") << QVariant(QVariantList{"v%2"}) << "v%2";
    }
    void firmwareVersionBox()
    {
        QFETCH(QVariant, reply);
        QFETCH(QString, firmware);
        FakePlayer lobby(m_view, channel(), "Lobby");
        lobby.replies["Kivo.FirmwareVersion"] = reply;
        m_players->FirmwareVersion(lobby.item);
        QTRY_COMPARE(boxes(*m_prompts), QStringList{"Information | Version information | Firmware: " + firmware
                                                     + "; Server software: Generic Kivo 3.27 2010-05-28"});
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

    void menuEntriesByKind()
    {
        // Empty space offers nothing.
        m_players->PlayerManagementMenu(nullptr, QPoint());
        QVERIFY(m_prompts->menus.isEmpty());

        PlayerItem* lobby = admitQuietly("Lobby", "127.0.0.250");
        m_players->PlayerManagementMenu(lobby, QPoint());
        QCOMPARE(ScriptedPrompts::entryTexts(m_prompts->menus.value(0)),
                 QStringList({"Storage space", "Network management", "Video output selection", "Screen layout",
                              "Scale window", "-", "Volume control", "-", "Event scheduler",
                              "Compose new ticker message", "-", "Refresh player contents", "Firmware version",
                              "Watchdog timer", "LOG management", "-", "Sleep", "Restart/wake player"}));

        m_players->PlayerManagementMenu(m_players->addVirtualPlayer("Mirror", "/nowhere"), QPoint());
        QCOMPARE(ScriptedPrompts::entryTexts(m_prompts->menus.value(1)),
                 QStringList({"Refresh player contents", "Storage space", "Network management",
                              "Video output selection", "Screen layout", "Compose new ticker message",
                              "Event scheduler", "Delete this virtual player"}));
        QList<int> ids;
        for (const ScriptedPrompts::MenuEntry& entry : m_prompts->menus.value(1))
            ids.append(entry.id.toInt());
        QCOMPARE(ids, QList<int>({0, 1, 2, 3, 11, 6, 12, 15}));
    }

    void menuActsOnItsPlayer()
    {
        PlayerItem* lobby = admitQuietly("Lobby", "127.0.0.250");
        PlayerItem* hall = admitQuietly("Hall", "127.0.0.248");
        m_view->setCurrentItem(hall);
        QList<PlayerItem*> actedOn;
        m_players->setMenuAction(6, [&](PlayerItem* player, const QPoint&) { actedOn.append(player); });
        m_prompts->menuAnswers << 6;
        m_players->PlayerManagementMenu(lobby, QPoint());
        QCOMPARE(actedOn, QList<PlayerItem*>{lobby});

        // The player goes while the menu is open: nothing is done for anybody.
        m_prompts->menuAnswers << 6;
        m_prompts->answerWhen = [&] {
            if (m_players->find("Lobby"))
                m_players->delete_player(lobby);
            return true;
        };
        m_players->PlayerManagementMenu(lobby, QPoint());
        m_prompts->answerWhen = {};
        QCOMPARE(actedOn.size(), 1);
        QCOMPARE(boxes(*m_prompts), QStringList{kNoPlayer});
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
        FakePlayer lobby(m_view, channel(), "Lobby");
        lobby.replies["Kivo.FreeSpace"] = QVariantList{1000, 250};
        m_players->showStorageReport(lobby.item);
        QTRY_COMPARE(lobby.item->totalSpace(), 1000);
        m_players->showStorageReport(lobby.item);
        QCOMPARE(boxes(*m_prompts),
                 QStringList({"Information | Storage space | Total space -1 KB, available 0 KB (100% Full).",
                              "Information | Storage space | Total space 1000 KB, available 250 KB (75% Full)."}));
    }

    void restartSendsOnceUnrecordedAndRemoves()
    {
        FakePlayer lobby(m_view, channel(), "Lobby");
        QSignalSpy removed(m_players, &PlayersController::playerRemoved);
        m_players->Reboot_player(lobby.item);
        QVERIFY(!lobby.item);
        QCOMPARE(removed.size(), 1);
        QCOMPARE(channel().outstanding(), 0);
        QCOMPARE(status(), QString("Player Lobby goes offline!"));
        QTRY_COMPARE(lobby.methods(), QStringList{"Kivo.Reboot"});
    }

    void virtualPlayersGetNoCalls()
    {
        PlayerItem* group = m_players->addVirtualPlayer("Group", "/nowhere");
        m_players->FirmwareVersion(group);
        m_players->GetFreeSpace(group);
        m_players->SleepPlayer(group);
        QCOMPARE(channel().outstanding(), 0);
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
