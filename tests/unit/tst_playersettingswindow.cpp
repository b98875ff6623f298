// Network, video mode and screen layout settings of virtual players, driven
// through the main window as the player menu drives it: the files written,
// the item's fields, the read-back on a click, and acting on the right player.

#include "core/ownaddress.h"
#include "core/repositorypath.h"
#include "players/playeritem.h"
#include "players/commandchannel.h"
#include "players/playerscontroller.h"
#include "window/kvo_form.h"

#include "../peers/boxes.h"
#include "../peers/scratchdir.h"

#include <QtTest>
#include <QtWidgets>

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

const QString kNoPlayer = "Warning | Operational error | No player is selected";

} // namespace

class TestPlayerSettingsWindow : public QObject
{
    Q_OBJECT

private:
    ScratchDirectory m_dir;
    ScriptedPrompts* m_prompts = nullptr;
    kvo_Form* m_form = nullptr;

    // A virtual player whose directory has its sys folder unless told otherwise.
    PlayerItem* virtualPlayer(const QString& name, bool withSys = true)
    {
        const QString directory = m_dir.filePath("media/MIRRORS/" + name);
        QDir().mkpath(withSys ? directory + "/sys" : directory);
        auto* item = new PlayerItem(m_form->ui.Player_iconView, name, true, false);
        item->setVirtualDirectory(directory);
        return item;
    }
    QString file(const PlayerItem* item, const QString& name) const { return item->virtualDirectory() + name; }
    QList<int> checkedIds(int menu) const
    {
        QList<int> ids;
        for (const ScriptedPrompts::MenuEntry& entry : m_prompts->menus.at(menu))
            if (entry.checked)
                ids.append(entry.id.toInt());
        return ids;
    }

private slots:
    void init()
    {
        QVERIFY(m_dir.isValid());
        setRepositoryPath(m_dir.filePath("media"));
        m_prompts = new ScriptedPrompts;
        m_prompts->nestedLoopMs = 20;
        m_form = new kvo_Form;
    }
    void cleanup()
    {
        delete m_form;
        delete m_prompts;
    }

    void networkDialogWritesTheFourFilesOfItsPlayer()
    {
        PlayerItem* hall = virtualPlayer("Hall");
        hall->setLanIp("192.168.0.20");
        hall->setEssid("Guest net");
        hall->setWlanIp("10.0.0.7");
        hall->setDmzFlag("off");
        // Another player is current: the dialog's player gets the settings.
        PlayerItem* other = virtualPlayer("Other");
        m_form->ui.Player_iconView->setCurrentItem(other);

        QStringList filled;
        m_prompts->dialogScripts.append([&](QDialog* dialog) {
            const auto edit = [&](const char* name) { return dialog->findChild<QLineEdit*>(name); };
            filled = QStringList{edit("KVO_IP_lineEdit")->text(),
                                 dialog->findChild<QComboBox*>("LAN_Chipset_comboBox")->currentText(),
                                 dialog->findChild<QComboBox*>("WLAN_Chipset_comboBox")->currentText(),
                                 dialog->findChild<QCheckBox*>("lan_DHCP_checkBox")->isChecked() ? "on" : "off",
                                 edit("LAN_Gateway_lineEdit")->text(), edit("WLAN_Netmask_lineEdit")->text()};
            edit("KVO_IP_lineEdit")->setText("192.168.0.2");
            edit("PlayerName_lineEdit")->setText("Hall2");
            QTest::mouseClick(dialog->findChild<QPushButton*>("buttonOk"), Qt::LeftButton);
        });
        m_form->openNetworkDialog(hall);

        QCOMPARE(m_prompts->dialogs, QStringList{"Hall"});
        QCOMPARE(filled, (QStringList{GetOwnIPAddress(), "RTL8100", "DISABLE", "on", "127.0.0.1", "255.255.255.0"}));
        QCOMPARE(boxes(*m_prompts), QStringList{"Information | Network management: | All changes in networking "
                                                "parameters will take effect after next reboot."});
        QCOMPARE(readFile(file(hall, "/sys/lan.env")),
                 QByteArray("LAN=RTL8100\nLANDHCP=ON\nIPLAN=192.168.0.20\nLANGW=127.0.0.1\nLANMASK=255.255.255.0\n"));
        QCOMPARE(readFile(file(hall, "/sys/wlan.env")),
                 QByteArray("WLAN=DISABLE\nESSID=Guest net\nKEY=\nWLANDHCP=OFF\nIPWLAN=10.0.0.7\nWLANGW=127.0.0.1\n"
                            "WLANMASK=255.255.255.0\n"));
        QCOMPARE(readFile(file(hall, "/sys/nat.env")), QByteArray("DMZ=OFF\nDMZIP=\n"));
        QCOMPARE(readFile(file(hall, "/sys/kvosvr.env")), QByteArray("KVOSVR=192.168.0.2\n"));
        QCOMPARE(QDir(file(hall, "/sys")).entryList(QDir::Files).size(), 4);  // the name has no file
        QVERIFY(QDir(file(other, "/sys")).isEmpty());

        // The item holds what was written, at once.
        QCOMPARE(hall->name(), QString("Hall2"));
        QCOMPARE(hall->text(), QString("Hall"));
        QCOMPARE(QStringList({hall->lanDevice(), hall->dhcp("lan"), hall->lanGateway(), hall->serverIp(),
                              hall->wlanDevice(), hall->wlanMask(), hall->dmzFlag()}),
                 QStringList({"RTL8100", "ON", "127.0.0.1", "192.168.0.2", "DISABLE", "255.255.255.0", "OFF"}));
    }

    void slotsOutsideADialogFollowTheCurrentPlayer()
    {
        m_form->SetDMZ("ON", "10.0.0.5");
        QCOMPARE(boxes(*m_prompts), QStringList{kNoPlayer});

        PlayerItem* hall = virtualPlayer("Current");
        m_form->ui.Player_iconView->setCurrentItem(hall);
        m_form->SetDMZ("ON", "10.0.0.5");
        QCOMPARE(readFile(file(hall, "/sys/nat.env")), QByteArray("DMZ=ON\nDMZIP=10.0.0.5\n"));
        QCOMPARE(hall->dmzFlag() + hall->dmzIp(), QString("ON10.0.0.5"));

        // A file that cannot be written is reported; the item still changes.
        PlayerItem* bare = virtualPlayer("Bare", false);
        m_form->ui.Player_iconView->setCurrentItem(bare);
        m_form->SetServerIP("192.168.0.9");
        QCOMPARE(m_prompts->messages.size(), 2);
        QCOMPARE(m_prompts->messages.last().title, QString("Virtual player"));
        QVERIFY2(m_prompts->messages.last().text.contains("kvosvr.env"), qPrintable(m_prompts->messages.last().text));
        QCOMPARE(bare->serverIp(), QString("192.168.0.9"));
    }

    void videoModeAndLayoutAreWrittenAndReadBack()
    {
        PlayerItem* hall = virtualPlayer("Screens");
        hall->setVideoMode("COMPOSITE");
        m_form->ui.Player_iconView->setCurrentItem(hall);

        m_prompts->menuAnswers = {0, 9};
        m_form->VideoModeMenu(hall, QPoint());
        m_form->ScreenLayoutMenu(hall, QPoint());
        QCOMPARE(m_prompts->menus.size(), 2);
        // 29 modes in four groups; the composite alias checks NTSC_M.
        QCOMPARE(m_prompts->menus[0].size(), 32);
        QCOMPARE(ScriptedPrompts::entryTexts(m_prompts->menus[0]).count("-"), 3);
        QCOMPARE(checkedIds(0), QList<int>{0});
        QList<int> layouts;
        for (const ScriptedPrompts::MenuEntry& entry : m_prompts->menus[1])
            layouts.append(entry.id.toInt());
        QCOMPARE(layouts, (QList<int>{0, 1, 2, 3, 4, 5, 6, 7, 9}));
        QCOMPARE(checkedIds(1), QList<int>{});

        QCOMPARE(readFile(file(hall, "/sys/video.env")), QByteArray("VIDEO=CVBS\n"));
        QCOMPARE(hall->videoMode(), QString("CVBS"));
        QCOMPARE(readFile(file(hall, "/sys/screen.env")), QByteArray("LAYOUT=9\n"));
        QCOMPARE(hall->screenLayout(), -1);

        // A click reads both back; the layout menu then checks 9.
        m_form->players()->UpdatePlayerDisplayData(hall);
        QCOMPARE(hall->screenLayout(), 9);
        m_prompts->menuAnswers = {QVariant()};
        m_form->ScreenLayoutMenu(hall, QPoint());
        QCOMPARE(checkedIds(2), QList<int>{9});

        // An unreadable layout is no layout; a cancelled menu writes nothing.
        QVERIFY(writeFile(file(hall, "/sys/screen.env"), "LAYOUT=abc\n"));
        QVERIFY(writeFile(file(hall, "/sys/video.env"), "VIDEO= HDMI_AUTO =x\n"));
        m_form->players()->UpdatePlayerDisplayData(hall);
        QCOMPARE(hall->screenLayout(), -1);
        QCOMPARE(hall->videoMode(), QString("HDMI_AUTO"));
        m_form->ScreenLayoutMenu(hall, QPoint());
        m_form->VideoModeMenu(hall, QPoint());
        QCOMPARE(checkedIds(3), QList<int>{});
        QCOMPARE(checkedIds(4), QList<int>{2});
        QCOMPARE(readFile(file(hall, "/sys/screen.env")), QByteArray("LAYOUT=abc\n"));
        QVERIFY(m_prompts->messages.isEmpty());
    }

    void playerGoneWhileItsMenuIsOpenGetsNothing()
    {
        PlayerItem* hall = virtualPlayer("Gone");
        const QString sys = file(hall, "/sys");
        m_prompts->answerWhen = [&] {
            delete std::exchange(hall, nullptr);
            return true;
        };
        m_prompts->menuAnswers = {9};
        m_form->ScreenLayoutMenu(hall, QPoint());
        QVERIFY(!hall);
        QCOMPARE(boxes(*m_prompts), QStringList{kNoPlayer});
        QVERIFY(QDir(sys).isEmpty());
    }
};

QTEST_MAIN(TestPlayerSettingsWindow)
#include "tst_playersettingswindow.moc"
