// A player's network and output settings end to end over loopback: the
// window and its registration service here, the players in the emulator
// (tools/). The calls must reach the player with their parameters in order,
// the replies must fill the open dialogs and show their boxes, and settings
// for a player that went while its dialog was open must reach nobody.

#include "players/playeritem.h"
#include "players/commandchannel.h"
#include "players/playerscontroller.h"
#include "window/kvo_form.h"
#include "xmlrpc/xrclient.h"

#include "../peers/boxes.h"
#include "../peers/windowwithplayers.h"

#include <QJsonArray>
#include <QtTest>
#include <QtWidgets>

namespace {

const QString kFirst = "127.0.61.2";
const QString kSecond = "127.0.61.3";
const QStringList kSettingMethods = {"Kivo.SetPlayerName", "Kivo.SetPlayerIP", "Kivo.SetServerIP", "Kivo.WLANSetup",
                                     "Kivo.SetDMZ", "Kivo.VideoMode", "Kivo.SetScreenLayout", "Kivo.GetScreenLayout",
                                     "Kivo.GetScaleWindow", "Kivo.SetScaleWindow", "Kivo.GetVolume", "Kivo.SetVolume"};

} // namespace

class TestPlayerSettings : public QObject
{
    Q_OBJECT

private:
    WindowWithPlayers m_fleet;

    // "method: params as JSON" of the player's setting calls, in arrival order.
    QStringList settingCalls(const QString& address) const
    {
        QStringList calls;
        for (const QJsonObject& call : m_fleet.players.journal("call", address)) {
            const QString method = call["method"].toString();
            if (kSettingMethods.contains(method))
                calls.append(method + ": " + QJsonDocument(call["params"].toArray()).toJson(QJsonDocument::Compact));
        }
        return calls;
    }
    void clearRecords()
    {
        m_fleet.prompts.messages.clear();
        m_fleet.prompts.menus.clear();
        m_fleet.prompts.dialogs.clear();
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_fleet.isReady());
        QVERIFY(m_fleet.startPlayers(kFirst, 2,
                                {"--interval", "0.5", "--name", "Net{n}", "--ftp-port", "0"}));
    }
    void cleanup() { clearRecords(); }

    void networkCallsReachThePlayerInOrder()
    {
        PlayerItem* item = m_fleet.waitForPlayer("Net1");
        QVERIFY(item);
        m_fleet.form.ui.Player_iconView->setCurrentItem(item);
        m_fleet.prompts.dialogScripts.append([](QDialog* dialog) {
            dialog->findChild<QLineEdit*>("PlayerName_lineEdit")->setText("Hallé");
            dialog->findChild<QCheckBox*>("dmz_checkBox")->setChecked(true);
            dialog->findChild<QLineEdit*>("NATIP_lineEdit")->setText("127.0.61.9");
            QTest::mouseClick(dialog->findChild<QPushButton*>("buttonOk"), Qt::LeftButton);
        });
        m_fleet.form.openNetworkDialog(item);

        // The dialog was filled from the registration; the name goes in "U+" form.
        const QStringList expected = {
            R"(Kivo.SetPlayerName: ["U+48U+61U+6CU+6CU+E9"])",
            R"(Kivo.SetPlayerIP: ["RTL8100","OFF","127.0.61.2","127.0.0.1","255.0.0.0"])",
            R"(Kivo.SetServerIP: ["127.0.0.1"])",
            R"(Kivo.WLANSetup: ["DISABLE","","","OFF","","127.0.0.1","255.255.255.0"])",
            R"(Kivo.SetDMZ: ["ON","127.0.61.9"])"};
        QTRY_COMPARE_WITH_TIMEOUT(settingCalls(kFirst), expected, 10000);
        QTRY_COMPARE_WITH_TIMEOUT(m_fleet.form.commandChannel().outstanding(), 0, 10000);
        QVERIFY(m_fleet.players.journal("fault", kFirst).isEmpty());
        QVERIFY(settingCalls(kSecond).isEmpty());
        QCOMPARE(boxes(m_fleet.prompts), QStringList{"Information | Network management: | All changes in networking "
                                               "parameters will take effect after next reboot."});
        QCOMPARE(item->name(), QString("Hallé"));
        QCOMPARE(item->dmzFlag() + " " + item->dmzIp(), QString("ON 127.0.61.9"));
    }

    void outputSettingsAndTheirReplies()
    {
        PlayerItem* item = m_fleet.waitForPlayer("Net2");
        QVERIFY(item);
        m_fleet.form.ui.Player_iconView->setCurrentItem(item);

        m_fleet.prompts.menuAnswers = {16, 9};
        m_fleet.form.VideoModeMenu(item, QPoint());
        m_fleet.form.ScreenLayoutMenu(item, QPoint());
        QCOMPARE(m_fleet.prompts.menus.size(), 2);
        QCOMPARE(m_fleet.prompts.menus[0][6].text + (m_fleet.prompts.menus[0][6].checked ? " checked" : ""),
                 QString("VGA 1024x768 60Hz checked"));
        QTRY_COMPARE_WITH_TIMEOUT(boxes(m_fleet.prompts),
                                  (QStringList{"Information | Set Video mode | Restart this playback to see the new "
                                               "video mode.",
                                               "Information | Set Screen Layout | Restart the player to see the new "
                                               "screen layout."}),
                                  10000);
        QCOMPARE(item->videoMode(), QString("VGA_1024x768x60"));  // until the player reports the new one
        m_fleet.form.players()->UpdatePlayerDisplayData(item);
        QTRY_COMPARE_WITH_TIMEOUT(item->screenLayout(), 9, 10000);
        clearRecords();

        // The scale window dialog shows the player's window once it answers.
        QStringList shown;
        m_fleet.prompts.dialogScripts.append([&](QDialog* dialog) {
            QLineEdit* width = dialog->findChild<QLineEdit*>("ScaleWindowW_lineEdit");
            QVERIFY(QTest::qWaitFor([&] { return !width->text().isEmpty(); }, 10000));
            for (const char* name : {"ScaleWindowX_lineEdit", "ScaleWindowY_lineEdit", "ScaleWindowW_lineEdit",
                                     "ScaleWindowH_lineEdit"})
                shown.append(dialog->findChild<QLineEdit*>(name)->text());
            dialog->findChild<QLineEdit*>("ScaleWindowX_lineEdit")->setText("100");
            QTest::mouseClick(dialog->findChild<QPushButton*>("buttonOk"), Qt::LeftButton);
        });
        m_fleet.form.openScaleWindowDialog(item);
        QCOMPARE(m_fleet.prompts.dialogs.last(), QString("Net2"));
        QCOMPARE(shown, (QStringList{"0", "0", "4096", "4096"}));
        QTRY_COMPARE_WITH_TIMEOUT(boxes(m_fleet.prompts),
                                  (QStringList{"Information | Scale window size | The scaled window extends outside "
                                               "of the right border. It will be clipped.",
                                               "Information | Scale Window | Restart the playback to see the new "
                                               "scaled screen."}),
                                  10000);

        // So does the volume dialog; its OK sends the dial's value as an integer.
        int lcdShown = -1;
        m_fleet.prompts.dialogScripts.append([&](QDialog* dialog) {
            auto* lcd = dialog->findChild<QLCDNumber*>("Volume_lCDNumber");
            QVERIFY(QTest::qWaitFor([&] { return lcd->intValue() != 0; }, 10000));
            lcdShown = lcd->intValue();
            dialog->findChild<QDial*>("Volume_dial")->setValue(50);
            QTest::mouseClick(dialog->findChild<QPushButton*>("VolumeOk_pushButton"), Qt::LeftButton);
        });
        m_fleet.form.openVolumeDialog(item);
        QCOMPARE(m_fleet.prompts.dialogs.last(), QString("VolumeControl"));
        QCOMPARE(lcdShown, 36);

        const QStringList expected = {R"(Kivo.VideoMode: ["VGA_1080p60"])",
                                      R"(Kivo.SetScreenLayout: ["9"])",
                                      R"(Kivo.GetScreenLayout: [])",
                                      R"(Kivo.GetScaleWindow: [])",
                                      R"(Kivo.SetScaleWindow: ["100","0","3996","4096"])",
                                      R"(Kivo.GetVolume: [])",
                                      R"(Kivo.SetVolume: [50])"};
        QTRY_COMPARE_WITH_TIMEOUT(settingCalls(kSecond), expected, 10000);
        QTRY_COMPARE_WITH_TIMEOUT(m_fleet.form.commandChannel().outstanding(), 0, 10000);
        QVERIFY(m_fleet.players.journal("fault", kSecond).isEmpty());
        QCOMPARE(m_fleet.prompts.messages.size(), 2);
    }

    void settingsForAGonePlayerReachNobody()
    {
        PlayerItem* gone = m_fleet.waitForPlayer("Net1");
        PlayerItem* other = m_fleet.waitForPlayer("Net2");
        QVERIFY(gone && other);
        const QStringList before[] = {settingCalls(kFirst), settingCalls(kSecond)};
        m_fleet.form.ui.Player_iconView->setCurrentItem(gone);

        // Each dialog loses its player while open (as a silent player is
        // removed); the other player is current when OK is pressed.
        const auto removeThenOk = [this](const char* okButton) {
            return [this, okButton](QDialog* dialog) {
                PlayerItem* player = m_fleet.waitForPlayer("Net1");
                QVERIFY(player);
                m_fleet.form.players()->delete_player(player);
                m_fleet.form.ui.Player_iconView->setCurrentItem(m_fleet.waitForPlayer("Net2"));
                QTest::mouseClick(dialog->findChild<QPushButton*>(okButton), Qt::LeftButton);
            };
        };
        m_fleet.prompts.dialogScripts = {removeThenOk("buttonOk"), removeThenOk("buttonOk"), removeThenOk("VolumeOk_pushButton")};
        m_fleet.form.openNetworkDialog(gone);
        QCOMPARE(boxes(m_fleet.prompts), QStringList{"Warning | Operational error | No player is selected"});
        m_fleet.form.openScaleWindowDialog(m_fleet.waitForPlayer("Net1"));
        m_fleet.form.openVolumeDialog(m_fleet.waitForPlayer("Net1"));
        QCOMPARE(m_fleet.prompts.dialogs.size(), 3);
        QCOMPARE(boxes(m_fleet.prompts), QStringList(3, "Warning | Operational error | No player is selected"));

        // A call sent after the dialogs arrives after anything they sent.
        m_fleet.form.players()->GetFreeSpace(other);
        QTRY_VERIFY_WITH_TIMEOUT(!m_fleet.players.journal("call", kSecond, "Kivo.FreeSpace").isEmpty(), 10000);
        QTRY_COMPARE_WITH_TIMEOUT(m_fleet.form.commandChannel().outstanding(), 0, 10000);
        QCOMPARE(settingCalls(kSecond), before[1]);
        QCOMPARE(settingCalls(kFirst), before[0] + QStringList({"Kivo.GetScaleWindow: []", "Kivo.GetVolume: []"}));
        QCOMPARE(other->name(), QString("Net2"));
        QCOMPARE(other->dmzFlag(), QString("OFF"));
    }
};

QTEST_MAIN(TestPlayerSettings)
#include "tst_playersettings.moc"
