// The main window's handling of players and replies, driven directly through
// its slots: registrations, removal, dispatch of replies and faults, and the
// playback and status commands.

#include "core/repositorypath.h"
#include "core/ftptransfer.h"
#include "players/playeritem.h"
#include "players/registrationrecord.h"
#include "window/kvo_form.h"
#include "xmlrpc/xrclient.h"

#include "xmlrpc/xrdocuments.h"

#include "../peers/boxes.h"
#include "../peers/rawhttp.h"
#include "../peers/scratchdir.h"

#include <QtTest>

using namespace RegistrationField;

namespace {

const QString kNotReady = "Connection refused. The player is not ready yet. It it safe to ignore this message.";

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

class TestPlayerWindow : public QObject
{
    Q_OBJECT

private:
    ScratchDirectory m_dir;
    ScriptedPrompts* m_prompts = nullptr;
    kvo_Form* m_form = nullptr;

    PlayerItem* player(const QString& name) const
    {
        const auto found = m_form->ui.Player_iconView->findItems(name, Qt::MatchFixedString);
        return found.isEmpty() ? nullptr : static_cast<PlayerItem*>(found.first());
    }
    PlayerItem* admit(const QString& name, const QString& address)
    {
        m_form->AddNewPlayer(registration(name, address));
        return player(name);
    }
    PlayerItem* admitSelected(const QString& name, const QString& address)
    {
        PlayerItem* item = admit(name, address);
        m_form->ui.Player_iconView->setCurrentItem(item);
        return item;
    }
    // Admits and selects a player once the clock sync of its admission has
    // failed (nothing listens at its address); its later calls go to a peer
    // that holds them unanswered, so they stay outstanding while boxes are open.
    PlayerItem* admitHeld(const QString& name, const QString& address, ScriptedServer& peer)
    {
        PlayerItem* item = admitSelected(name, address);
        if (!QTest::qWaitFor([this] { return outstanding() == 0; }, 10000))
            return nullptr;
        m_prompts->messages.clear();
        peer.hold = true;
        item->client()->setUrl(peer.url().toString());
        return item;
    }
    QString status() const { return m_form->statusBar()->currentMessage(); }
    int outstanding() { return m_form->commandChannel().outstanding(); }

private slots:
    void init()
    {
        QVERIFY(m_dir.isValid());
        setRepositoryPath(m_dir.filePath("media"));
        m_prompts = new ScriptedPrompts;
        m_form = new kvo_Form;
    }
    void cleanup()
    {
        delete m_form;
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
        m_form->AddNewPlayer(record);
        PlayerItem* item = player(name);
        QVERIFY(item);
        QCOMPARE(item->text(), name);
        QVERIFY(item->isReal() && item->isOnline());
        QCOMPARE(item->ipAddress(), QString("127.0.0.250")); // uploads go here
        QCOMPARE(heldFields(item), record.mid(Playing, DmzIp - Playing + 1));
        QCOMPARE(item->client()->objectName(), "xml-rpc_client" + name + ":127.0.0.250");
        QCOMPARE(item->client()->url(), QUrl("http://" + called + ":8888/RPC2"));
        QCOMPARE(item->client()->parent(), m_form);
        QCOMPARE(m_form->commandChannel().client(name), item->client());

        // The clock goes out at once, recorded like every command; its fault
        // (nobody listens) reaches the window.
        QCOMPARE(outstanding(), 1);
        QVERIFY(m_prompts->messages.isEmpty() && status().isEmpty());
        QTRY_COMPARE_WITH_TIMEOUT(boxes(*m_prompts), QStringList{"Information | Kivo.SyncDateTime Error | " + kNotReady},
                                  10000);
        QVERIFY2(QRegularExpression("^Client command <\\d+> fails with message <Connection refused>\\.$")
                     .match(status()).hasMatch(), qPrintable(status()));
        QCOMPARE(outstanding(), 0);
    }

    void duplicateNameIsRefusedInAnyCase_data()
    {
        QTest::addColumn<QString>("registered");
        QTest::addColumn<QString>("intruder");
        QTest::newRow("same case") << "Lobby" << "Lobby";
        QTest::newRow("other case") << "Lobby" << "LOBBY";
        QTest::newRow("other case, non-ASCII") << "Écran ½" << "éCRAN ½";
    }
    void duplicateNameIsRefusedInAnyCase()
    {
        QFETCH(QString, registered);
        QFETCH(QString, intruder);
        ScriptedServer peer;
        PlayerItem* item = admitHeld(registered, "127.0.0.250", peer);
        QVERIFY(item);
        const QDateTime lastActive = QDateTime::currentDateTime().addSecs(-15);
        item->setLastActive(lastActive);

        m_form->AddNewPlayer(registration(intruder, "127.0.0.249", "PWRON", "g"));
        QCOMPARE(m_form->ui.Player_iconView->count(), 1);
        QCOMPARE(item->lastActive(), lastActive);
        QCOMPARE(item->playing(), QString("f2"));
        QCOMPARE(outstanding(), 0);
        QCOMPARE(boxes(*m_prompts), QStringList{"Warning | Duplicated Player | A new player (" + intruder
                                                 + ",127.0.0.249) is trying to connect to this server while ("
                                                 + registered + ",127.0.0.250) has already registered.\n"
                                                 + "This connection is ignored."});
    }

    void duplicateHeartbeatsDoNotStackWarnings()
    {
        // While a warning is open its nested event loop delivers further
        // heartbeats of the duplicate: they must not open box after box.
        struct ReentrantPrompts : ScriptedPrompts {
            std::function<void()> whileOpen;
            QMessageBox::StandardButton message(Kind kind, QWidget* parent, const QString& title, const QString& text,
                                                QMessageBox::StandardButtons buttons,
                                                QMessageBox::StandardButton defaultButton) override
            {
                if (whileOpen)
                    std::exchange(whileOpen, {})();
                return ScriptedPrompts::message(kind, parent, title, text, buttons, defaultButton);
            }
        };
        delete m_prompts;
        auto* prompts = new ReentrantPrompts;
        m_prompts = prompts;
        ScriptedServer peer;
        QVERIFY(admitHeld("Lobby", "127.0.0.250", peer));
        prompts->whileOpen = [this] { m_form->AddNewPlayer(registration("Lobby", "127.0.0.249")); };
        m_form->AddNewPlayer(registration("Lobby", "127.0.0.249"));
        QCOMPARE(m_prompts->messages.size(), 1);
        // Once it is closed, the next heartbeat warns again.
        m_form->AddNewPlayer(registration("Lobby", "127.0.0.249"));
        QCOMPARE(m_prompts->messages.size(), 2);
    }

    void heartbeatRefreshesWithoutSecondAdmission()
    {
        PlayerItem* item = admitSelected("Lobby", "127.0.0.250");
        XRClient* client = item->client();
        item->setLastActive(QDateTime::currentDateTime().addSecs(-19));

        const QStringList heartbeat = registration("Lobby", "127.0.0.250", "PWROFF", "g");
        m_form->AddNewPlayer(heartbeat);
        QCOMPARE(m_form->ui.Player_iconView->count(), 1);
        QCOMPARE(item->client(), client);
        QCOMPARE(outstanding(), 1); // no second clock sync
        QVERIFY(item->lastActive().secsTo(QDateTime::currentDateTime()) <= 1);
        QCOMPARE(heldFields(item), heartbeat.mid(Playing, DmzIp - Playing + 1));
        QVERIFY(!item->isOnline());
        QCOMPARE(status(), "Player (Lobby) is playing \"g2\" on g3; Last contact at " + item->lastActiveText());
        // Only the exact word means off.
        m_form->AddNewPlayer(registration("Lobby", "127.0.0.250", "pwroff"));
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

        now = start.addSecs(20);
        item->check_last_active_time();
        QCOMPARE(m_form->ui.Player_iconView->count(), 2);
        now = start.addSecs(21);
        item->check_last_active_time(); // the item deletes itself through the window
        QCOMPARE(m_form->ui.Player_iconView->count(), 1);
        QVERIFY(!player("Lobby"));
        QCOMPARE(status(), QString("Player Lobby goes offline!"));

        // The departed player's client goes once its calls are answered,
        // without waiting for the name to come back.
        QTRY_VERIFY_WITH_TIMEOUT(!first, 10000);
        QVERIFY(!m_form->commandChannel().client("Lobby"));
        PlayerItem* again = admit("Lobby", "127.0.0.250");
        QVERIFY(again && again->client());
        QCOMPARE(m_form->commandChannel().client("Lobby"), again->client());
    }

    void departedPlayersClientWaitsForItsCalls()
    {
        PlayerItem* item = admitSelected("Lobby", "127.0.0.250");
        QTRY_COMPARE_WITH_TIMEOUT(outstanding(), 0, 10000);
        ScriptedServer peer(httpReply(XRMethodResponse(QVariant(0)).toWire()));
        peer.hold = true;
        QPointer<XRClient> client = item->client();
        client->setUrl(peer.url().toString());
        m_form->PlayALL();
        QTRY_COMPARE(peer.requests.size(), 1);

        m_form->delete_player(item);
        QTest::qWait(50);
        QVERIFY(client && client->hasConnection());
        peer.answerHeld();
        QTRY_VERIFY(!client);
        // Its reply was still completed.
        QCOMPARE(outstanding(), 0);
        QVERIFY2(status().startsWith("Kivo.PlayALL command completed ("), qPrintable(status()));
    }

    void removalClearsTheViewsOfTheSelectedPlayerOnly()
    {
        admitSelected("Lobby", "127.0.0.250");
        PlayerItem* other = admit("Hall", "127.0.0.248");
        new QTreeWidgetItem(m_form->ui.PlayerContent_listView, {"a.mpg"});
        new QTreeWidgetItem(m_form->ui.Playlist_listView, {"a.mpg"});
        m_form->ui.Xfer_progressBar->setRange(0, 10);
        m_form->ui.Xfer_progressBar->setValue(5);
        m_form->delete_player(other);
        QCOMPARE(m_form->ui.PlayerContent_listView->topLevelItemCount(), 1);
        QCOMPARE(status(), QString("Player Hall goes offline!"));

        // A rebooted player goes at once; the reboot itself is not recorded.
        m_form->Reboot_player();
        QCOMPARE(m_form->ui.PlayerContent_listView->topLevelItemCount(), 0);
        QCOMPARE(m_form->ui.Playlist_listView->topLevelItemCount(), 0);
        QCOMPARE(m_form->ui.Player_iconView->count(), 0);
        QCOMPARE(status(), QString("Player Lobby goes offline!"));
        QCOMPARE(m_form->ui.Xfer_progressBar->value(), -1);
        QCOMPARE(outstanding(), 2);
        m_form->delete_player(nullptr);
        QCOMPARE(status(), QString("Player Lobby goes offline!"));
    }

    void removingTheCurrentPlayerLeavesNoneCurrent_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<bool>("bySilence");
        QTest::newRow("first") << 0 << false;
        QTest::newRow("middle") << 1 << false;
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
        QTRY_COMPARE_WITH_TIMEOUT(outstanding(), 0, 10000);
        m_prompts->messages.clear();
        PlayerItem* chosen = player(names[row]);
        m_form->ui.Player_iconView->setCurrentItem(chosen);
        new QTreeWidgetItem(m_form->ui.PlayerContent_listView, {"a.mpg"});
        new QTreeWidgetItem(m_form->ui.Playlist_listView, {"a.mpg"});
        QList<QListWidgetItem*> madeCurrent;
        connect(m_form->ui.Player_iconView, &QListWidget::currentItemChanged, m_form,
                [&madeCurrent](QListWidgetItem* current) { madeCurrent.append(current); });

        if (bySilence) {
            const QDateTime later = QDateTime::currentDateTime().addSecs(25);
            PlayerItem::setClock([later] { return later; });
            chosen->check_last_active_time();
        } else {
            m_form->delete_player(chosen);
        }
        QCOMPARE(m_form->ui.Player_iconView->count(), 2);
        QCOMPARE(m_form->ui.Player_iconView->currentItem(), nullptr);
        QVERIFY(m_form->ui.Player_iconView->selectedItems().isEmpty());
        // No other player was made current on the way.
        QVERIFY(!madeCurrent.isEmpty());
        QCOMPARE(madeCurrent, QList<QListWidgetItem*>(madeCurrent.size(), nullptr));
        QCOMPARE(m_form->ui.PlayerContent_listView->topLevelItemCount(), 0);
        QCOMPARE(m_form->ui.Playlist_listView->topLevelItemCount(), 0);

        // Commands go nowhere until the operator chooses again.
        m_form->PlayALL();
        QCOMPARE(outstanding(), 0);
        QCOMPARE(boxes(*m_prompts), QStringList{"Warning | Operational error | No player is selected"});
    }

    void clickOnVirtualPlayerReadsItsEnvironment()
    {
        auto* item = new PlayerItem(m_form->ui.Player_iconView, "Group", true, false);
        item->setVirtualDirectory(m_dir.filePath("MIRRORS/Group"));
        item->setVideoMode("VGA");
        item->setScreenLayout(3);
        m_form->ui.Player_iconView->setCurrentItem(item);
        m_form->UpdatePlayerDisplayData(item);
        QCOMPARE(item->videoMode(), QString("NA"));
        QCOMPARE(item->screenLayout(), -1);
        QVERIFY(m_form->ui.AbortXfer_pushButton->isHidden());
        QCOMPARE(outstanding(), 0);

        QVERIFY(writeFile(item->virtualDirectory() + "/sys/video.env", "VIDEO= HDMI-720p =x\nsecond=line\n"));
        QVERIFY(writeFile(item->virtualDirectory() + "/sys/screen.env", "LAYOUT= 7\n"));
        m_form->UpdatePlayerDisplayData(item);
        QCOMPARE(item->videoMode(), QString("HDMI-720p"));
        QCOMPARE(item->screenLayout(), 7);

        // Files that open but are empty: no mode, unknown layout.
        QVERIFY(writeFile(item->virtualDirectory() + "/sys/video.env", ""));
        QVERIFY(writeFile(item->virtualDirectory() + "/sys/screen.env", ""));
        m_form->UpdatePlayerDisplayData(item);
        QCOMPARE(item->videoMode(), QString(""));
        QCOMPARE(item->screenLayout(), -1);

        // A click on an item that is not selected does nothing.
        item->setSelected(false);
        item->setVideoMode("kept");
        m_form->UpdatePlayerDisplayData(item);
        QCOMPARE(item->videoMode(), QString("kept"));
    }

    void progressBarFollowsTheSelectedPlayerOnly()
    {
        PlayerItem* other = admitSelected("Hall", "127.0.0.248");
        m_form->UpdatePlayerDisplayData(other);
        PlayerItem* selected = admitSelected("Lobby", "127.0.0.250");
        m_form->UpdatePlayerDisplayData(selected);
        QProgressBar* bar = m_form->ui.Xfer_progressBar;
        QSignalSpy moves(bar, &QProgressBar::valueChanged);

        emit other->ftp()->dataTransferProgress(5, 10);
        QCOMPARE(moves.size(), 0);
        emit selected->ftp()->dataTransferProgress(5, 10);
        QCOMPARE(moves.size(), 1);
        QCOMPARE(bar->maximum(), 10);
        QCOMPARE(bar->value(), 5);
        // Beyond the range of int the bar counts KiB.
        emit selected->ftp()->dataTransferProgress(3LL << 30, 6LL << 30);
        QCOMPARE(bar->maximum(), 6 << 20);
        QCOMPARE(bar->value(), 3 << 20);
    }

    void closingTheWindowWithACallInFlight()
    {
        admit("Lobby", "127.0.0.250");
        QCOMPARE(outstanding(), 1);
        // The call dies with the window; nobody is left to tell.
        delete std::exchange(m_form, nullptr);
        QTest::qWait(50);
        QVERIFY(m_prompts->messages.isEmpty());
    }

    void repliesCompleteUnderTheirOwnMethodOnly()
    {
        CommandChannel& channel = m_form->commandChannel();
        channel.record(7001, "Kivo.PlayALL");
        channel.record(7002, "Kivo.PlaySingle");
        channel.record(7003, "Kivo.SyncDateTime");
        channel.record(8001, "Kivo.NotInTheTable");
        channel.record(8002, "kivo.playall"); // names are compared case-sensitively
        for (int unknown : {9999, 8001, 8002})
            m_form->ProcessResponse(unknown, QVariant(1));
        QCOMPARE(outstanding(), 5);
        QVERIFY(status().isEmpty());
        m_form->ProcessResponse(7002, QVariant(0));
        QCOMPARE(status(), QString("Kivo.PlaySingle command completed (7002 of 4)"));
        m_form->ProcessResponse(7001, QVariant());
        QCOMPARE(status(), QString("Kivo.PlayALL command completed (7001 of 3)"));
        m_form->ProcessResponse(7003, QVariant());
        QCOMPARE(status(), QString("Kivo.SyncDateTime command completed (7003 of 2)"));
        QVERIFY(m_prompts->messages.isEmpty());
    }

    void faultTexts_data()
    {
        QTest::addColumn<QString>("method");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("box");
        QTest::newRow("refused") << "Kivo.PlayALL" << "Connection refused" << "Kivo.PlayALL Error | " + kNotReady;
        QTest::newRow("closed") << "Kivo.Sleep" << "Server closed connection unexpectedly"
                                << "Kivo.Sleep Error | Server closed connection unexpectedly. Most likely player "
                                   "connection was broken or player was reset just now, it is safe to ignore this "
                                   "message.";
        QTest::newRow("player's own") << "Kivo.DeleteMediaFile" << "bad path" << "Kivo.DeleteMediaFile Error | bad path";
        QTest::newRow("unrecorded") << "" << "Request timed out" << " Error | Request timed out";
    }
    void faultTexts()
    {
        QFETCH(QString, method);
        QFETCH(QString, message);
        QFETCH(QString, box);
        CommandChannel& channel = m_form->commandChannel();
        if (!method.isEmpty())
            channel.record(42, method);
        channel.record(43, "Kivo.PlayALL");
        m_form->ProcessFault(42, -32300, message);
        QCOMPARE(boxes(*m_prompts), QStringList{"Information | " + box});
        QCOMPARE(status(), "Client command <42> fails with message <" + message + ">.");
        QVERIFY(!channel.isRecorded(42));
        QVERIFY(channel.isRecorded(43));
    }

    void freeSpaceKeepsOldValuesAndSkipsGoneOwners()
    {
        PlayerItem* item = admit("Lobby", "127.0.0.250");
        item->setTotalSpace(100);
        item->setAvailableSpace(50);
        CommandChannel& channel = m_form->commandChannel();
        channel.record(501, "Kivo.FreeSpace", item);
        m_form->ProcessResponse(501, QVariantList{4000000, -1});
        QCOMPARE(item->totalSpace(), 4000000);
        QCOMPARE(item->availableSpace(), 50);
        QCOMPARE(status(), QString("Kivo.FreeSpace command completed (501 of 1)"));

        PlayerItem* gone = admit("Hall", "127.0.0.248");
        channel.record(502, "Kivo.FreeSpace", gone);
        m_form->delete_player(gone);
        m_form->ProcessResponse(502, QVariantList{1, 1}); // must not touch the deleted item
        QVERIFY(!channel.isRecorded(502));
        QCOMPARE(status(), QString("Kivo.FreeSpace command completed (502 of 2)"));
        m_form->GetFreeSpace(item);
        QCOMPARE(outstanding(), 3);
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
        m_form->commandChannel().record(77, "Kivo.FirmwareVersion");
        m_form->ProcessResponse(77, reply);
        QCOMPARE(status(), QString("Kivo.FirmwareVersion command completed (77 of 0)"));
        QCOMPARE(boxes(*m_prompts), QStringList{"Information | Version information | Firmware: " + firmware
                                                 + "; Server software: Generic Kivo 3.27 2010-05-28"});
    }

    void busyLimitBlocksPlayAllButNotSleep()
    {
        ScriptedServer peer;
        PlayerItem* item = admitHeld("Lobby", "127.0.0.250", peer);
        QVERIFY(item);
        for (int id = 100000; outstanding() < CommandChannel::kBusyLimit - 1; ++id)
            m_form->commandChannel().record(id, "Kivo.GetList");
        m_form->PlayALL(); // 499 outstanding: sent
        QCOMPARE(outstanding(), CommandChannel::kBusyLimit);
        QVERIFY(m_prompts->messages.isEmpty());
        m_form->PlayALL(); // 500 outstanding: refused
        QCOMPARE(outstanding(), CommandChannel::kBusyLimit);
        QCOMPARE(boxes(*m_prompts),
                 QStringList{"Warning | PlayALL | Command channel to this player is busy, try again later."});
        m_form->SleepPlayer(item);
        QCOMPARE(outstanding(), CommandChannel::kBusyLimit + 1);
    }

    void commandsWithoutTarget()
    {
        m_form->PlayALL();
        m_form->FirmwareVersion();
        m_form->Reboot_player();
        m_form->PlaySingleButton();
        const QString noPlayer = "Warning | Operational error | No player is selected";
        QCOMPARE(boxes(*m_prompts), (QStringList{noPlayer, noPlayer, noPlayer,
                                                 "Information | Player File Operation | No file is selected to play."}));
        QCOMPARE(outstanding(), 0);

        // A virtual player has no client: nothing is sent and nothing breaks.
        auto* group = new PlayerItem(m_form->ui.Player_iconView, "Group", true, false);
        m_form->ui.Player_iconView->setCurrentItem(group);
        m_form->PlayALL();
        m_form->FirmwareVersion();
        m_form->GetFreeSpace(group);
        m_form->SleepPlayer(group);
        QCOMPARE(outstanding(), 0);
    }

    void playSingleOnlyForPlayerFiles()
    {
        ScriptedServer peer;
        QVERIFY(admitHeld("Lobby", "127.0.0.250", peer));
        auto* local = new QTreeWidgetItem(m_form->ui.PlayerContent_listView, {"clip.mpg", "10", " mirror", "mpeg"});
        auto* stored = new QTreeWidgetItem(m_form->ui.PlayerContent_listView, {"show.mpg", "10", " player ", "mpeg"});
        local->setSelected(true);
        m_form->PlaySingleButton();
        QCOMPARE(boxes(*m_prompts), QStringList{"Information | PlaySingle | clip.mpg is a local file. It needs to be "
                                                 "downloaded to the player first"});
        QCOMPARE(outstanding(), 0);
        local->setSelected(false);
        stored->setSelected(true);
        m_form->PlaySingleButton();
        QCOMPARE(m_prompts->messages.size(), 1);
        QCOMPARE(outstanding(), 1);
        m_form->PlaySingle(nullptr);
        QCOMPARE(outstanding(), 1);
    }
};

QTEST_MAIN(TestPlayerWindow)
#include "tst_playerwindow.moc"
