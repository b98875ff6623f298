// The main window's handling of players and replies, driven directly through
// its slots: registrations, removal, dispatch of replies and faults, and the
// playback and status commands.

#include "app/repositorypath.h"
#include "players/playeritem.h"
#include "players/registrationrecord.h"
#include "ui/kvo_form.h"
#include "ui/prompts.h"
#include "xmlrpc/xrclient.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// Nothing listens at these addresses: calls to them end in faults.
QStringList registration(const QString& name, const QString& address, const QString& power = "PWRON")
{
    QStringList record(RegistrationField::Count);
    record[RegistrationField::Name] = name;
    record[RegistrationField::Address] = address;
    record[RegistrationField::Playing] = "intro.mpg";
    record[RegistrationField::VideoMode] = "VGA";
    record[RegistrationField::LanIp] = address;
    record[RegistrationField::LanDhcp] = "ON";
    record[RegistrationField::WlanDevice] = "DISABLE";
    record[RegistrationField::DmzFlag] = "off";
    record[RegistrationField::DmzIp] = "127.0.0.251";
    record[RegistrationField::PowerState] = power;
    return record;
}

} // namespace

class TestPlayerWindow : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void admissionStoresTheRecordAndSyncsTheClock();
    void admissionDecodesNamesAndAimsAtTheDmzAddress();
    void duplicateNameIsRefusedInAnyCase_data();
    void duplicateNameIsRefusedInAnyCase();
    void duplicateHeartbeatsDoNotStackWarnings();
    void heartbeatRefreshesWithoutSecondAdmission();
    void readmissionReplacesTheIdleClient();
    void powerStateSwitchesTheIconOnce();
    void silentPlayerGoesOffline();
    void deletingTheSelectedPlayerClearsItsViews();
    void clickOnVirtualPlayerReadsItsEnvironment();

    void repliesCompleteUnderTheirOwnMethod();
    void unknownRepliesChangeNothing();
    void faultTexts_data();
    void faultTexts();
    void freeSpaceKeepsOldValuesAndSkipsGoneOwners();
    void firmwareVersionBox_data();
    void firmwareVersionBox();

    void busyLimitBlocksPlayAllButNotSleep();
    void commandsWithoutTarget();
    void playSingleOnlyForPlayerFiles();
    void rebootRemovesThePlayerAtOnce();

private:
    PlayerItem* player(const QString& name) const;
    PlayerItem* admit(const QString& name, const QString& address);
    QString status() const { return m_form->statusBar()->currentMessage(); }

    QTemporaryDir m_dir;
    QString m_previousDir;
    ScriptedPrompts* m_prompts = nullptr;
    kvo_Form* m_form = nullptr;
};

void TestPlayerWindow::init()
{
    m_previousDir = QDir::currentPath();
    QVERIFY(QDir::setCurrent(m_dir.path()));
    QSettings::setPath(QSettings::NativeFormat, QSettings::SystemScope, m_dir.filePath("system"));
    setRepositoryPath(m_dir.filePath("media"));
    m_prompts = new ScriptedPrompts;
    m_form = new kvo_Form;
}

void TestPlayerWindow::cleanup()
{
    delete m_form;
    delete m_prompts;
    PlayerItem::setClock({});
    QDir::setCurrent(m_previousDir);
}

PlayerItem* TestPlayerWindow::player(const QString& name) const
{
    const auto found = m_form->ui.Player_iconView->findItems(name, Qt::MatchFixedString);
    return found.isEmpty() ? nullptr : static_cast<PlayerItem*>(found.first());
}

PlayerItem* TestPlayerWindow::admit(const QString& name, const QString& address)
{
    m_form->AddNewPlayer(registration(name, address));
    return player(name);
}

void TestPlayerWindow::admissionStoresTheRecordAndSyncsTheClock()
{
    PlayerItem* item = admit("Lobby", "127.0.0.250");
    QVERIFY(item);
    QVERIFY(item->isReal());
    QCOMPARE(item->ipAddress(), QStringLiteral("127.0.0.250"));
    QCOMPARE(item->playing(), QStringLiteral("intro.mpg"));
    QCOMPARE(item->videoMode(), QStringLiteral("VGA"));
    QCOMPARE(item->lanIp(), QStringLiteral("127.0.0.250"));
    QCOMPARE(item->dhcp("LAN"), QStringLiteral("ON"));
    QCOMPARE(item->dhcp("WLAN"), QString());
    QCOMPARE(item->wlanDevice(), QStringLiteral("DISABLE"));
    QVERIFY(item->isOnline());
    QVERIFY(item->client());
    QCOMPARE(item->client()->objectName(), QStringLiteral("xml-rpc_clientLobby:127.0.0.250"));
    QCOMPARE(item->client()->url(), QUrl("http://127.0.0.250:8888/RPC2"));
    QCOMPARE(m_form->commandChannel().client("Lobby"), item->client());
    QCOMPARE(item->client()->parent(), m_form);

    // The clock goes out at once, recorded like every command.
    QCOMPARE(m_form->commandChannel().outstanding(), 1);
    QVERIFY(m_prompts->messages.isEmpty());
    QVERIFY(status().isEmpty()); // no status text for a new player
}

void TestPlayerWindow::admissionDecodesNamesAndAimsAtTheDmzAddress()
{
    QStringList record = registration("U+0041U+0042", "127.0.0.250");
    record[RegistrationField::DmzFlag] = " yes ";
    m_form->AddNewPlayer(record);
    PlayerItem* item = player("AB");
    QVERIFY(item);
    QCOMPARE(item->text(), QStringLiteral("AB"));
    QCOMPARE(item->client()->url(), QUrl("http://127.0.0.251:8888/RPC2"));
    QCOMPARE(item->ipAddress(), QStringLiteral("127.0.0.250")); // FTP goes here
    QCOMPARE(item->dmzFlag(), QStringLiteral(" yes "));
}

void TestPlayerWindow::duplicateNameIsRefusedInAnyCase_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("same case") << "Lobby";
    QTest::newRow("other case") << "LOBBY";
}

void TestPlayerWindow::duplicateNameIsRefusedInAnyCase()
{
    QFETCH(QString, name);
    PlayerItem* item = admit("Lobby", "127.0.0.250");
    const QDateTime lastActive = QDateTime::currentDateTime().addSecs(-15);
    item->setLastActive(lastActive);

    QStringList intruder = registration(name, "127.0.0.249");
    intruder[RegistrationField::Playing] = "other.mpg";
    m_form->AddNewPlayer(intruder);

    QCOMPARE(m_form->ui.Player_iconView->count(), 1);
    QCOMPARE(item->lastActive(), lastActive);
    QCOMPARE(item->playing(), QStringLiteral("intro.mpg"));
    QCOMPARE(m_form->commandChannel().outstanding(), 1);
    QCOMPARE(m_prompts->messages.size(), 1);
    QCOMPARE(m_prompts->messages.first().kind, Prompts::Kind::Warning);
    QCOMPARE(m_prompts->messages.first().title, QStringLiteral("Duplicated Player"));
    QCOMPARE(m_prompts->messages.first().text,
             "A new player (" + name
                 + ",127.0.0.249) is trying to connect to this server while (Lobby,127.0.0.250) has already "
                   "registered.\nThis connection is ignored.");
}

void TestPlayerWindow::duplicateHeartbeatsDoNotStackWarnings()
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
    admit("Lobby", "127.0.0.250");
    prompts->whileOpen = [this] { m_form->AddNewPlayer(registration("Lobby", "127.0.0.249")); };
    m_form->AddNewPlayer(registration("Lobby", "127.0.0.249"));
    QCOMPARE(m_prompts->messages.size(), 1);

    // Once it is closed, the next heartbeat warns again.
    m_form->AddNewPlayer(registration("Lobby", "127.0.0.249"));
    QCOMPARE(m_prompts->messages.size(), 2);
}

void TestPlayerWindow::readmissionReplacesTheIdleClient()
{
    PlayerItem* item = admit("Lobby", "127.0.0.250");
    QPointer<XRClient> first = item->client();
    QTRY_COMPARE_WITH_TIMEOUT(first->pendingCalls(), 0, 10000); // the clock call fails: nobody listens
    m_form->delete_player(item);
    QVERIFY(first);

    PlayerItem* again = admit("Lobby", "127.0.0.250");
    QVERIFY(again->client() != first);
    QCOMPARE(m_form->commandChannel().client("Lobby"), again->client());
    QTRY_VERIFY(!first);
}

void TestPlayerWindow::heartbeatRefreshesWithoutSecondAdmission()
{
    PlayerItem* item = admit("Lobby", "127.0.0.250");
    XRClient* client = item->client();
    item->setLastActive(QDateTime::currentDateTime().addSecs(-19));
    m_form->ui.Player_iconView->setCurrentItem(item);

    QStringList heartbeat = registration("Lobby", "127.0.0.250");
    heartbeat[RegistrationField::Playing] = "loop.mpg";
    heartbeat[RegistrationField::VideoMode] = "HDMI";
    heartbeat[RegistrationField::Essid] = "signage";
    m_form->AddNewPlayer(heartbeat);

    QCOMPARE(m_form->ui.Player_iconView->count(), 1);
    QCOMPARE(item->client(), client);
    QCOMPARE(m_form->commandChannel().outstanding(), 1); // no second clock sync
    QVERIFY(item->lastActive().secsTo(QDateTime::currentDateTime()) <= 1);
    QCOMPARE(item->playing(), QStringLiteral("loop.mpg"));
    QCOMPARE(item->essid(), QStringLiteral("signage"));
    QCOMPARE(status(), "Player (Lobby) is playing \"loop.mpg\" on HDMI; Last contact at " + item->lastActiveText());
}

void TestPlayerWindow::powerStateSwitchesTheIconOnce()
{
    PlayerItem* item = admit("Lobby", "127.0.0.250");
    QSignalSpy changes(m_form->ui.Player_iconView->model(), &QAbstractItemModel::dataChanged);
    m_form->AddNewPlayer(registration("Lobby", "127.0.0.250", "PWROFF"));
    QVERIFY(!item->isOnline());
    const int afterFirst = changes.size();
    QVERIFY(afterFirst > 0);
    m_form->AddNewPlayer(registration("Lobby", "127.0.0.250", "PWROFF"));
    QCOMPARE(changes.size(), afterFirst);
    m_form->AddNewPlayer(registration("Lobby", "127.0.0.250", "pwroff"));
    QVERIFY(item->isOnline());
}

void TestPlayerWindow::silentPlayerGoesOffline()
{
    const QDateTime start = QDateTime::currentDateTime();
    QDateTime now = start;
    PlayerItem::setClock([&now] { return now; });
    PlayerItem* item = admit("Lobby", "127.0.0.250");
    admit("Hall", "127.0.0.248");

    now = start.addSecs(20);
    item->check_last_active_time();
    QCOMPARE(m_form->ui.Player_iconView->count(), 2);

    now = start.addSecs(21);
    item->check_last_active_time(); // the item deletes itself through the window
    QCOMPARE(m_form->ui.Player_iconView->count(), 1);
    QVERIFY(!player("Lobby"));
    QCOMPARE(status(), QStringLiteral("Player Lobby goes offline!"));

    // The client stays for late replies, and the name can be admitted anew.
    QVERIFY(m_form->commandChannel().client("Lobby"));
    QVERIFY(admit("Lobby", "127.0.0.250"));
}

void TestPlayerWindow::deletingTheSelectedPlayerClearsItsViews()
{
    PlayerItem* selected = admit("Lobby", "127.0.0.250");
    PlayerItem* other = admit("Hall", "127.0.0.248");
    m_form->ui.Player_iconView->setCurrentItem(selected);
    new QTreeWidgetItem(m_form->ui.PlayerContent_listView, {"a.mpg"});
    new QTreeWidgetItem(m_form->ui.Playlist_listView, {"a.mpg"});

    m_form->delete_player(other);
    QCOMPARE(m_form->ui.PlayerContent_listView->topLevelItemCount(), 1);
    QCOMPARE(status(), QStringLiteral("Player Hall goes offline!"));

    m_form->delete_player(selected);
    QCOMPARE(m_form->ui.PlayerContent_listView->topLevelItemCount(), 0);
    QCOMPARE(m_form->ui.Playlist_listView->topLevelItemCount(), 0);
    QCOMPARE(m_form->ui.Player_iconView->count(), 0);

    m_form->delete_player(nullptr);
    QCOMPARE(status(), QStringLiteral("Player Lobby goes offline!"));
}

void TestPlayerWindow::clickOnVirtualPlayerReadsItsEnvironment()
{
    auto* item = new PlayerItem(m_form->ui.Player_iconView, "Group", true, false);
    item->setVirtualDirectory(m_dir.filePath("MIRRORS/Group"));
    item->setVideoMode("VGA");
    item->setScreenLayout(3);
    m_form->ui.Player_iconView->setCurrentItem(item);

    m_form->UpdatePlayerDisplayData(item);
    QCOMPARE(item->videoMode(), QStringLiteral("NA"));
    QCOMPARE(item->screenLayout(), -1);
    QVERIFY(m_form->ui.AbortXfer_pushButton->isHidden());
    QCOMPARE(m_form->commandChannel().outstanding(), 0);

    QVERIFY(QDir().mkpath(item->virtualDirectory() + "/sys"));
    QFile video(item->virtualDirectory() + "/sys/video.env");
    QVERIFY(video.open(QIODevice::WriteOnly));
    video.write("VIDEO= HDMI-720p =x\nsecond=line\n");
    video.close();
    QFile screen(item->virtualDirectory() + "/sys/screen.env");
    QVERIFY(screen.open(QIODevice::WriteOnly));
    screen.write("LAYOUT= 7\n");
    screen.close();
    m_form->UpdatePlayerDisplayData(item);
    QCOMPARE(item->videoMode(), QStringLiteral("HDMI-720p"));
    QCOMPARE(item->screenLayout(), 7);

    // A click on an item that is not selected does nothing.
    item->setSelected(false);
    item->setVideoMode("kept");
    m_form->UpdatePlayerDisplayData(item);
    QCOMPARE(item->videoMode(), QStringLiteral("kept"));
}

void TestPlayerWindow::repliesCompleteUnderTheirOwnMethod()
{
    CommandChannel& channel = m_form->commandChannel();
    channel.record(7001, "Kivo.PlayALL");
    channel.record(7002, "Kivo.PlaySingle");
    channel.record(7003, "Kivo.SyncDateTime");

    m_form->ProcessResponse(7002, QVariant(0));
    QCOMPARE(status(), QStringLiteral("Kivo.PlaySingle command completed (7002 of 2)"));
    m_form->ProcessResponse(7001, QVariant());
    QCOMPARE(status(), QStringLiteral("Kivo.PlayALL command completed (7001 of 1)"));
    m_form->ProcessResponse(7003, QVariant());
    QCOMPARE(status(), QStringLiteral("Kivo.SyncDateTime command completed (7003 of 0)"));
    QVERIFY(m_prompts->messages.isEmpty());
}

void TestPlayerWindow::unknownRepliesChangeNothing()
{
    CommandChannel& channel = m_form->commandChannel();
    channel.record(8001, "Kivo.NotInTheTable");
    channel.record(8002, "kivo.playall"); // names are compared case-sensitively
    m_form->ProcessResponse(9999, QVariant(1));
    m_form->ProcessResponse(8001, QVariant(1));
    m_form->ProcessResponse(8002, QVariant(1));
    QCOMPARE(channel.outstanding(), 2);
    QVERIFY(status().isEmpty());
    QVERIFY(m_prompts->messages.isEmpty());
}

void TestPlayerWindow::faultTexts_data()
{
    QTest::addColumn<QString>("method");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("text");
    QTest::newRow("refused") << "Kivo.PlayALL" << "Connection refused" << "Kivo.PlayALL Error"
                             << "Connection refused. The player is not ready yet. It it safe to ignore this message.";
    QTest::newRow("closed") << "Kivo.Sleep" << "Server closed connection unexpectedly" << "Kivo.Sleep Error"
                            << "Server closed connection unexpectedly. Most likely player connection was broken or "
                               "player was reset just now, it is safe to ignore this message.";
    QTest::newRow("player's own") << "Kivo.DeleteMediaFile" << "bad path" << "Kivo.DeleteMediaFile Error"
                                  << "bad path";
    QTest::newRow("unrecorded") << "" << "Request timed out" << " Error" << "Request timed out";
}

void TestPlayerWindow::faultTexts()
{
    QFETCH(QString, method);
    QFETCH(QString, message);
    QFETCH(QString, title);
    QFETCH(QString, text);
    CommandChannel& channel = m_form->commandChannel();
    if (!method.isEmpty())
        channel.record(42, method);
    channel.record(43, "Kivo.PlayALL");

    m_form->ProcessFault(42, -32300, message);
    QCOMPARE(m_prompts->messages.size(), 1);
    QCOMPARE(m_prompts->messages.first().kind, Prompts::Kind::Information);
    QCOMPARE(m_prompts->messages.first().title, title);
    QCOMPARE(m_prompts->messages.first().text, text);
    QCOMPARE(status(), "Client command <42> fails with message <" + message + ">.");
    QVERIFY(!channel.isRecorded(42));
    QVERIFY(channel.isRecorded(43));
}

void TestPlayerWindow::freeSpaceKeepsOldValuesAndSkipsGoneOwners()
{
    PlayerItem* item = admit("Lobby", "127.0.0.250");
    item->setTotalSpace(100);
    item->setAvailableSpace(50);
    CommandChannel& channel = m_form->commandChannel();
    channel.record(501, "Kivo.FreeSpace", item);
    m_form->ProcessResponse(501, QVariantList{4000000, -1});
    QCOMPARE(item->totalSpace(), 4000000);
    QCOMPARE(item->availableSpace(), 50);
    QCOMPARE(status(), QStringLiteral("Kivo.FreeSpace command completed (501 of 1)"));

    PlayerItem* gone = admit("Hall", "127.0.0.248");
    channel.record(502, "Kivo.FreeSpace", gone);
    m_form->delete_player(gone);
    m_form->ProcessResponse(502, QVariantList{1, 1}); // must not touch the deleted item
    QVERIFY(!channel.isRecorded(502));
    QCOMPARE(status(), QStringLiteral("Kivo.FreeSpace command completed (502 of 2)"));

    // GetFreeSpace records the owner with the request.
    const int before = channel.outstanding();
    m_form->GetFreeSpace(item);
    QCOMPARE(channel.outstanding(), before + 1);
}

void TestPlayerWindow::firmwareVersionBox_data()
{
    QTest::addColumn<QVariant>("reply");
    QTest::addColumn<QString>("text");
    QTest::newRow("description") << QVariant(QVariantList{"KVO-3 1.8.2", "ignored"})
                                 << "Firmware: KVO-3 1.8.2; Server software: Generic Kivo 3.27 2010-05-28";
    QTest::newRow("missing element") << QVariant(QVariantList{})
                                     << "Firmware: ; Server software: Generic Kivo 3.27 2010-05-28";
    QTest::newRow("percent sign kept") << QVariant(QVariantList{"v%2"})
                                       << "Firmware: v%2; Server software: Generic Kivo 3.27 2010-05-28";
}

void TestPlayerWindow::firmwareVersionBox()
{
    QFETCH(QVariant, reply);
    QFETCH(QString, text);
    m_form->commandChannel().record(77, "Kivo.FirmwareVersion");
    m_form->ProcessResponse(77, reply);
    QCOMPARE(status(), QStringLiteral("Kivo.FirmwareVersion command completed (77 of 0)"));
    QCOMPARE(m_prompts->messages.size(), 1);
    QCOMPARE(m_prompts->messages.first().title, QStringLiteral("Version information"));
    QCOMPARE(m_prompts->messages.first().text, text);
}

void TestPlayerWindow::busyLimitBlocksPlayAllButNotSleep()
{
    PlayerItem* item = admit("Lobby", "127.0.0.250"); // one request: the clock
    m_form->ui.Player_iconView->setCurrentItem(item);
    CommandChannel& channel = m_form->commandChannel();
    for (int id = 100000; channel.outstanding() < CommandChannel::kBusyLimit - 1; ++id)
        channel.record(id, "Kivo.GetList");

    m_form->PlayALL(); // 499 outstanding: sent
    QCOMPARE(channel.outstanding(), CommandChannel::kBusyLimit);
    QVERIFY(m_prompts->messages.isEmpty());

    m_form->PlayALL(); // 500 outstanding: refused
    QCOMPARE(channel.outstanding(), CommandChannel::kBusyLimit);
    QCOMPARE(m_prompts->messages.size(), 1);
    QCOMPARE(m_prompts->messages.first().kind, Prompts::Kind::Warning);
    QCOMPARE(m_prompts->messages.first().title, QStringLiteral("PlayALL"));
    QCOMPARE(m_prompts->messages.first().text, QStringLiteral("Command channel to this player is busy, try again later."));

    m_form->SleepPlayer(item);
    QCOMPARE(channel.outstanding(), CommandChannel::kBusyLimit + 1);
}

void TestPlayerWindow::commandsWithoutTarget()
{
    m_form->PlayALL();
    m_form->FirmwareVersion();
    m_form->Reboot_player();
    m_form->PlaySingleButton();
    QCOMPARE(m_prompts->messages.size(), 4);
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(m_prompts->messages.at(i).kind, Prompts::Kind::Warning);
        QCOMPARE(m_prompts->messages.at(i).title, QStringLiteral("Operational error"));
        QCOMPARE(m_prompts->messages.at(i).text, QStringLiteral("No player is selected"));
    }
    QCOMPARE(m_prompts->messages.at(3).title, QStringLiteral("Player File Operation"));
    QCOMPARE(m_prompts->messages.at(3).text, QStringLiteral("No file is selected to play."));
    QCOMPARE(m_form->commandChannel().outstanding(), 0);

    // A virtual player has no client: nothing is sent and nothing breaks.
    auto* group = new PlayerItem(m_form->ui.Player_iconView, "Group", true, false);
    m_form->ui.Player_iconView->setCurrentItem(group);
    m_form->PlayALL();
    m_form->FirmwareVersion();
    m_form->GetFreeSpace(group);
    m_form->SleepPlayer(group);
    QCOMPARE(m_form->commandChannel().outstanding(), 0);
}

void TestPlayerWindow::playSingleOnlyForPlayerFiles()
{
    PlayerItem* item = admit("Lobby", "127.0.0.250");
    m_form->ui.Player_iconView->setCurrentItem(item);
    auto* local = new QTreeWidgetItem(m_form->ui.PlayerContent_listView, {"clip.mpg", "10", " mirror", "mpeg"});
    auto* stored = new QTreeWidgetItem(m_form->ui.PlayerContent_listView, {"show.mpg", "10", " player ", "mpeg"});

    local->setSelected(true);
    m_form->PlaySingleButton();
    QCOMPARE(m_prompts->messages.size(), 1);
    QCOMPARE(m_prompts->messages.first().title, QStringLiteral("PlaySingle"));
    QCOMPARE(m_prompts->messages.first().text,
             QStringLiteral("clip.mpg is a local file. It needs to be downloaded to the player first"));
    QCOMPARE(m_form->commandChannel().outstanding(), 1);

    local->setSelected(false);
    stored->setSelected(true);
    m_form->PlaySingleButton();
    QCOMPARE(m_prompts->messages.size(), 1);
    QCOMPARE(m_form->commandChannel().outstanding(), 2);
    m_form->PlaySingle(nullptr);
    QCOMPARE(m_form->commandChannel().outstanding(), 2);
}

void TestPlayerWindow::rebootRemovesThePlayerAtOnce()
{
    PlayerItem* item = admit("Lobby", "127.0.0.250");
    m_form->ui.Player_iconView->setCurrentItem(item);
    m_form->ui.Xfer_progressBar->setRange(0, 10);
    m_form->ui.Xfer_progressBar->setValue(5);
    m_form->Reboot_player();
    QCOMPARE(m_form->ui.Player_iconView->count(), 0);
    QCOMPARE(status(), QStringLiteral("Player Lobby goes offline!"));
    QCOMPARE(m_form->ui.Xfer_progressBar->value(), -1);
    QCOMPARE(m_form->commandChannel().outstanding(), 1); // the reboot itself is not recorded
}

QTEST_MAIN(TestPlayerWindow)
#include "tst_playerwindow.moc"
