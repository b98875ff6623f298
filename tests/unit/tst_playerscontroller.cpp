// The players controller and its command channel: admission, duplicates, leaving
// players, replies and faults dispatched to their own player, and the player menu.

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

} // namespace

class TestPlayersController : public QObject
{
    Q_OBJECT

private:
    ScratchDirectory m_dir;
    ScriptedPrompts* m_prompts = nullptr;
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
        m_view = new QListWidget;
        m_players = new PlayersController(m_view, m_view);
        m_status = new QSignalSpy(m_players, &PlayersController::statusMessage);
    }
    void cleanup()
    {
        delete m_status;
        delete m_players;
        delete m_view;
        delete m_prompts;
        PlayerItem::setClock({});
    }

    // An encoded name is decoded; with the DMZ on the player is called at its DMZ address.
    void admission()
    {
        QStringList record = registration("U+0041U+0042", "127.0.0.250");
        record[DmzFlag] = " yes ";
        m_players->AddNewPlayer(record);
        PlayerItem* item = m_players->find("AB");
        QVERIFY(item);
        QCOMPARE(item->ipAddress(), QString("127.0.0.250")); // uploads go here
        QCOMPARE(heldFields(item), record.mid(Playing, DmzIp - Playing + 1));
        QCOMPARE(item->client()->objectName(), "xml-rpc_clientAB:127.0.0.250");
        QCOMPARE(item->client()->url(), QUrl("http://127.0.0.251:8888/RPC2"));

        // The clock goes out at once, recorded for the player; its fault (nobody listens) is shown.
        QCOMPARE(channel().outstanding(), 1);
        QTRY_COMPARE_WITH_TIMEOUT(boxes(*m_prompts),
                                  QStringList{"Information | Kivo.SyncDateTime Error | Connection refused. The player "
                                              "is not ready yet. It it safe to ignore this message."},
                                  10000);
        QCOMPARE(channel().outstanding(), 0);

        // A heartbeat refreshes the same item without a second admission and reports the current player.
        XRClient* client = item->client();
        m_view->setCurrentItem(item);
        item->setLastActive(QDateTime::currentDateTime().addSecs(-19));
        m_players->AddNewPlayer(registration("U+0041U+0042", "127.0.0.250", "PWROFF", "g"));
        QCOMPARE(m_view->count(), 1);
        QCOMPARE(item->client(), client);
        QCOMPARE(channel().outstanding(), 0);
        QVERIFY(!item->isOnline());
        QCOMPARE(status(), "Player (AB) is playing \"g2\" on g3; Last contact at " + item->lastActiveText());
    }

    void duplicateNameIsRefusedInAnyCase()
    {
        const QString registered = "Écran ½", intruder = "éCRAN ½";
        PlayerItem* item = admitQuietly(registered, "127.0.0.250");
        QVERIFY(item);
        const QDateTime lastActive = QDateTime::currentDateTime().addSecs(-15);
        item->setLastActive(lastActive);

        // Heartbeats of the duplicate delivered while its warning is open must not stack up boxes.
        m_prompts->answerWhen = [&] {
            if (m_prompts->messages.size() == 1)
                m_players->AddNewPlayer(registration(intruder, "127.0.0.249", "PWRON", "g"));
            return true;
        };
        m_players->AddNewPlayer(registration(intruder, "127.0.0.249", "PWRON", "g"));
        m_prompts->answerWhen = {};
        QCOMPARE(m_view->count(), 1);
        QCOMPARE(item->lastActive(), lastActive);
        QCOMPARE(channel().outstanding(), 0);
        QCOMPARE(boxes(*m_prompts), QStringList{"Warning | Duplicated Player | A new player (" + intruder + ",127.0.0.249) "
                                                "is trying to connect to this server while (" + registered
                                                + ",127.0.0.250) has already registered.\nThis connection is ignored."});
    }

    // A player leaving by silence, deletion or restart makes no other player current on the way;
    // its client goes once its calls are answered, without waiting for the name to come back.
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
        } else if (how == "delete") {
            m_players->delete_player(chosen);
        } else {
            m_players->Reboot_player(chosen);
        }
        QCOMPARE(removed.size(), 1);
        QCOMPARE(channel().outstanding(), 0); // a restart goes out unrecorded
        QCOMPARE(m_view->count(), 2);
        QCOMPARE(status(), "Player " + names[row] + " goes offline!");
        QCOMPARE(m_view->currentItem(), nullptr);
        QVERIFY(m_view->selectedItems().isEmpty());
        QVERIFY(!madeCurrent.isEmpty());
        QCOMPARE(madeCurrent, QList<QListWidgetItem*>(madeCurrent.size(), nullptr));

        QTRY_VERIFY_WITH_TIMEOUT(!client, 10000);
        QVERIFY(!channel().client(names[row]));
        PlayerItem* again = admit(names[row], "127.0.0.250");
        QVERIFY(again && again->client() && channel().client(names[row]) == again->client());
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
        QVERIFY2(status().startsWith("Kivo.FreeSpace command completed (") && status().endsWith(" of 1)"),
                 qPrintable(status()));

        // The held reply arrives after its player has gone: completed, handed to nobody.
        QTRY_COMPARE(hall.waiting(), 1);
        m_players->delete_player(hall.item);
        hall.release();
        QVERIFY(channelIdle(channel()));
        QCOMPARE(replied.size(), 1);
        QVERIFY(status().endsWith(" of 0)"));
    }

    // A reply short of its element is shown empty; Sleep goes out even on a busy channel, and its
    // fault is shown and reported for its player.
    void repliesAndFaultsAreShown()
    {
        FakePlayer lobby(m_view, channel(), "Lobby");
        lobby.replies["Kivo.FirmwareVersion"] = QVariantList{};
        lobby.faults["Kivo.Sleep"] = "Server closed connection unexpectedly";
        lobby.held << "Kivo.GetList";
        QSignalSpy failed(&channel(), &CommandChannel::failed);
        m_players->FirmwareVersion(lobby.item);
        QTRY_COMPARE(m_prompts->messages.size(), 1);
        for (int call = 0; call < CommandChannel::kBusyLimit; ++call)
            channel().send(lobby.item, "Kivo.GetList");
        QVERIFY(channel().isBusy());
        m_players->SleepPlayer(lobby.item);
        QCOMPARE(channel().outstanding(), CommandChannel::kBusyLimit + 1);
        lobby.held.clear();
        lobby.release();
        QTRY_COMPARE(boxes(*m_prompts),
                     QStringList({"Information | Version information | Firmware: ; Server software: Generic Kivo 3.27 "
                                  "2010-05-28",
                                  "Information | Kivo.Sleep Error | Server closed connection unexpectedly. Most likely "
                                  "player connection was broken or player was reset just now, it is safe to ignore "
                                  "this message."}));
        QVERIFY2(status().endsWith("> fails with message <Server closed connection unexpectedly>."), qPrintable(status()));
        QCOMPARE(failed.size(), 1);
        QCOMPARE(failed.first().at(1).value<PlayerItem*>(), lobby.item.data());
    }

    // The menu acts on the player it was opened for, or on nobody when that player went while it was open.
    void menuOfAPlayer()
    {
        PlayerItem* lobby = admitQuietly("Lobby", "127.0.0.250");
        PlayerItem* hall = admitQuietly("Hall", "127.0.0.248");
        m_view->setCurrentItem(hall);
        QList<PlayerItem*> actedOn;
        m_players->setMenuAction(6, [&](PlayerItem* player, const QPoint&) { actedOn.append(player); });
        m_prompts->menuAnswers << 6 << 6;
        m_players->PlayerManagementMenu(lobby, QPoint());
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

    void storageReport()
    {
        QCOMPARE(storageReportText(2000000000, 500000000),
                 "Total space 2000000000 KB, available 500000000 KB (75% Full).");
        QCOMPARE(storageReportText(-5, -1), "Total space 4 KB, available 0 KB (100% Full).");
    }

    // A call in flight dies with the controller; nobody is left to tell.
    void closingWithACallInFlight()
    {
        admit("Lobby", "127.0.0.250");
        QCOMPARE(channel().outstanding(), 1);
        delete std::exchange(m_players, nullptr);
        QTest::qWait(50);
        QVERIFY(m_prompts->messages.isEmpty());
    }
};

QTEST_MAIN(TestPlayersController)
#include "tst_playerscontroller.moc"
