// A player's network and output settings: the calls a real player receives, the files of a virtual player.

#include "../peers/confighost.h"

#include <QtTest>
#include <QtWidgets>

class TestPlayerSettings : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<ConfigHost> m_host;
    QString file(const PlayerItem* item, const QString& name) const { return item->virtualDirectory() + name; }

private slots:
    void init() { m_host = std::make_unique<ConfigHost>(); }
    void cleanup()
    {
        QVERIFY(channelIdle(m_host->channel()));
        m_host.reset();
    }

    void networkSettingsReachTheDialogsPlayerInOrder()
    {
        FakePlayer hall(m_host->view, m_host->channel(), "Hall");
        FakePlayer other(m_host->view, m_host->channel(), "Other");
        hall.item->setLanDevice("RTL8100");
        hall.item->setLanIp("192.168.0.20");
        hall.item->setServerIp("127.0.0.1");
        m_host->view->setCurrentItem(other.item);
        m_host->prompts.dialogScripts.append([](QDialog* dialog) {
            fill(dialog, {{"PlayerName_lineEdit", "Hallé"}, {"dmz_checkBox", true}, {"NATIP_lineEdit", "10.0.0.9"}});
            click(dialog, "buttonOk");
        });
        m_host->config.network().openNetworkDialog(hall.item);
        QVERIFY(channelIdle(m_host->channel()));
        // Empty gateways and masks were shown, and sent, as their defaults.
        QCOMPARE(callLines(hall), (QStringList{"Kivo.SetPlayerName: U+48U+61U+6CU+6CU+E9",
                                               "Kivo.SetPlayerIP: RTL8100|OFF|192.168.0.20|127.0.0.1|255.255.255.0",
                                               "Kivo.SetServerIP: 127.0.0.1",
                                               "Kivo.WLANSetup: DISABLE|||OFF||127.0.0.1|255.255.255.0",
                                               "Kivo.SetDMZ: ON|10.0.0.9"}));
        QVERIFY(other.calls.isEmpty());
    }

    void networkSettingsOfAVirtualPlayerAreFiles()
    {
        PlayerItem* hall = m_host->virtualPlayer("Hall");
        PlayerItem* bare = m_host->virtualPlayer("Bare");
        QVERIFY(QDir(file(bare, "/sys")).removeRecursively());
        const auto confirm = [&](QDialog* dialog) {
            fill(dialog, {{"KVO_IP_lineEdit", "192.168.0.2"}, {"PlayerName_lineEdit", "Hall2"}});
            click(dialog, "buttonOk");
        };
        m_host->prompts.dialogScripts = {confirm, confirm};
        m_host->config.network().openNetworkDialog(hall);
        QCOMPARE(readFile(file(hall, "/sys/kvosvr.env")), QByteArray("KVOSVR=192.168.0.2\n"));
        QCOMPARE(hall->name() + " " + hall->text() + " " + hall->serverIp(), QString("Hall2 Hall 192.168.0.2"));

        // Files that cannot be written are reported; the item still changes.
        m_host->prompts.messages.clear();
        m_host->config.network().openNetworkDialog(bare);
        QCOMPARE(m_host->prompts.messages.size(), 5);
        QCOMPARE(bare->serverIp(), QString("192.168.0.2"));
    }

    void outputMenusOfAVirtualPlayer()
    {
        PlayerItem* hall = m_host->virtualPlayer("Screens");
        m_host->prompts.menuAnswers = {0, 9};
        m_host->config.display().VideoModeMenu(hall, QPoint());
        m_host->config.display().ScreenLayoutMenu(hall, QPoint());
        QCOMPARE(readFile(file(hall, "/sys/video.env")), QByteArray("VIDEO=CVBS\n"));
        QCOMPARE(readFile(file(hall, "/sys/screen.env")), QByteArray("LAYOUT=9\n"));

        // A click reads both back; an unreadable layout is no layout.
        m_host->view->setCurrentItem(hall);
        m_host->players.UpdatePlayerDisplayData(hall);
        QCOMPARE(hall->screenLayout(), 9);
        QVERIFY(writeFile(file(hall, "/sys/screen.env"), "LAYOUT=abc\n"));
        QVERIFY(writeFile(file(hall, "/sys/video.env"), "VIDEO= HDMI_AUTO =x\n"));
        m_host->players.UpdatePlayerDisplayData(hall);
        QCOMPARE(hall->videoMode() + " " + QString::number(hall->screenLayout()), QString("HDMI_AUTO -1"));

        m_host->prompts.menuAnswers = {9};
        m_host->prompts.answerWhen = [&] {
            m_host->players.discard(std::exchange(hall, nullptr));
            return true;
        };
        m_host->config.display().ScreenLayoutMenu(hall, QPoint());
        QCOMPARE(boxes(m_host->prompts), QStringList{"Warning | Operational error | No player is selected"});
        QCOMPARE(readFile(m_host->dir.filePath("media/MIRRORS/Screens/sys/screen.env")), QByteArray("LAYOUT=abc\n"));
    }

    void layoutRepliesSetTheirOwnPlayersLayout()
    {
        FakePlayer lobby(m_host->view, m_host->channel(), "Lobby");
        FakePlayer hall(m_host->view, m_host->channel(), "Hall");
        lobby.replies["Kivo.GetScreenLayout"] = QVariantList{3};
        hall.replies["Kivo.GetScreenLayout"] = QVariantList{"7"};
        lobby.held << "Kivo.GetScreenLayout";
        for (FakePlayer* clicked : {&lobby, &hall}) {
            m_host->view->setCurrentItem(clicked->item);
            m_host->players.UpdatePlayerDisplayData(clicked->item);
        }
        QTRY_COMPARE(hall.item->screenLayout(), 7);
        lobby.release();
        QVERIFY(channelIdle(m_host->channel()));
        QCOMPARE(lobby.item->screenLayout(), 3);
        QCOMPARE(hall.item->screenLayout(), 7);

        m_host->prompts.menuAnswers = {16, 9};
        m_host->config.display().VideoModeMenu(hall.item, QPoint());
        m_host->config.display().ScreenLayoutMenu(hall.item, QPoint());
        const auto& layouts = m_host->prompts.menus[1];
        QVERIFY(std::any_of(layouts.begin(), layouts.end(), [](const auto& entry) { return entry.checked && entry.id == 7; }));
        QVERIFY(channelIdle(m_host->channel()));
        QCOMPARE(callLines(hall).mid(1), (QStringList{"Kivo.VideoMode: VGA_1080p60", "Kivo.SetScreenLayout: 9"}));
    }
};

QTEST_MAIN(TestPlayerSettings)
#include "tst_playersettings.moc"
