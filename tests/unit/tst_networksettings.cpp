// A player's network settings without a window: the dialog's start state,
// filling and checks, the name form sent to players and the atomic writing
// of environment files.

#include "core/atomicfile.h"
#include "core/ownaddress.h"
#include "config/networkdialog.h"
#include "config/networksettings.h"

#include "../peers/boxes.h"
#include "../peers/scratchdir.h"

#include <QtTest>
#include <QtWidgets>

using namespace netsettings;

namespace {

// Sets a dialog widget by object name: text of a line edit, index of a combo
// box, state of a check box.
void setField(QDialog& dialog, const QString& name, const QVariant& value)
{
    if (auto* edit = dialog.findChild<QLineEdit*>(name))
        edit->setText(value.toString());
    else if (auto* combo = dialog.findChild<QComboBox*>(name))
        combo->setCurrentIndex(value.toInt());
    else if (auto* box = dialog.findChild<QCheckBox*>(name))
        box->setChecked(value.toBool());
    else
        QFAIL(qPrintable("no widget " + name));
}

// Records the five signals as "Signal: arg|arg|..." in the order they come.
QStringList* recordSignals(NetManagementDialog& dialog)
{
    auto* lines = new QStringList;
    QObject::connect(&dialog, &QObject::destroyed, [lines] { delete lines; });
    const auto line = [lines](const char* name, const QStringList& args) {
        lines->append(QLatin1String(name) + ": " + args.join('|'));
    };
    QObject::connect(&dialog, &NetManagementDialog::NewPlayerName, [=](QString a) { line("name", {a}); });
    QObject::connect(&dialog, &NetManagementDialog::NewPlayerIP,
                     [=](QString a, QString b, QString c, QString d, QString e) { line("lan", {a, b, c, d, e}); });
    QObject::connect(&dialog, &NetManagementDialog::NewServerIP, [=](QString a) { line("server", {a}); });
    QObject::connect(&dialog, &NetManagementDialog::NewWLANSetup,
                     [=](QString a, QString b, QString c, QString d, QString e, QString f, QString g) {
                         line("wlan", {a, b, c, d, e, f, g});
                     });
    QObject::connect(&dialog, &NetManagementDialog::NewDMZSettings, [=](QString a, QString b) { line("dmz", {a, b}); });
    return lines;
}

using Fields = QList<QPair<QString, QVariant>>;

} // namespace

class TestNetworkSettings : public QObject
{
    Q_OBJECT

private slots:
    void startStateAndFilling()
    {
        ScriptedPrompts prompts;
        NetManagementDialog dialog;
        const auto edit = [&](const char* name) { return dialog.findChild<QLineEdit*>(name); };
        const auto box = [&](const char* name) { return dialog.findChild<QCheckBox*>(name); };
        QCOMPARE(edit("KVO_IP_lineEdit")->text(), GetOwnIPAddress());
        QVERIFY(dialog.findChild<QRadioButton*>("lan_path_radioButton")->isHidden());
        QVERIFY(dialog.findChild<QRadioButton*>("wlan_path_radioButton")->isHidden());
        QVERIFY(!box("dmz_checkBox")->isChecked() && !edit("NATIP_lineEdit")->isEnabled()
                && !dialog.findChild<QLabel*>("dmz_textLabel")->isEnabled());

        // Truth words of stored flags, kinds in any case; other kinds change nothing.
        dialog.fill_DHCP("Yes ", " LAN ");
        dialog.fill_DHCP("true", "wlan");
        dialog.fill_DHCP("on", "eth0");
        QVERIFY(box("lan_DHCP_checkBox")->isChecked() && !box("wlan_DHCP_checkBox")->isChecked());
        QVERIFY(!edit("IP_lineEdit")->isEnabled() && !edit("LAN_Netmask_lineEdit")->isEnabled());
        QVERIFY(edit("WLAN_IP_lineEdit")->isEnabled());
        box("lan_DHCP_checkBox")->setChecked(false);
        QVERIFY(edit("IP_lineEdit")->isEnabled() && dialog.findChild<QLabel*>("IP_textLabel")->isEnabled());

        dialog.fill_DMZ(" 1", " 10.0.0.5 ");
        QVERIFY(box("dmz_checkBox")->isChecked() && edit("NATIP_lineEdit")->isEnabled());
        QCOMPARE(edit("NATIP_lineEdit")->text(), QString("10.0.0.5"));

        // Devices compare exactly (defaults of empty fields: the window's test).
        dialog.fill_LANDEV("rtl8100");
        dialog.fill_WLANDEV("RT61");
        QCOMPARE(dialog.findChild<QComboBox*>("LAN_Chipset_comboBox")->currentIndex(), 1);
        QCOMPARE(dialog.findChild<QComboBox*>("WLAN_Chipset_comboBox")->currentIndex(), 0);
    }

    void okChecksInOrder_data()
    {
        QTest::addColumn<Fields>("changes");
        QTest::addColumn<QString>("box");
        QTest::addColumn<QStringList>("emitted");

        const QString done = "Information | Network management: | All changes in networking parameters will take "
                             "effect after next reboot.";
        const QString wlanDisabled = "wlan: DISABLE|Hall|%1|OFF|10.0.0.7|10.0.0.1|255.0.0.0";
        const auto refused = [](const QString& text, const QString& title = "Network Management") {
            return "Information | " + title + " | " + text;
        };
        const QStringList lanOnly = {"name: Lobby", "lan: RTL8100|OFF|192.168.0.20|192.168.0.1|255.255.255.0",
                                     "server: 192.168.0.2", wlanDisabled.arg(""), "dmz: OFF|"};
        const Fields wlanOn = {{"LAN_Chipset_comboBox", 1}, {"WLAN_Chipset_comboBox", 0}};

        QTest::newRow("LAN, in signal order") << Fields{} << done << lanOnly;
        QTest::newRow("values trimmed, DMZ on")
            << Fields{{"PlayerName_lineEdit", " Lobby "}, {"dmz_checkBox", true}, {"NATIP_lineEdit", " 10.0.0.5"}}
            << done << (lanOnly.mid(0, 4) << "dmz: ON|10.0.0.5");
        QTest::newRow("both disabled") << Fields{{"LAN_Chipset_comboBox", 1}} << refused(
            "At least one of the two networking devices must be valid and enabled", "Network management")
                                       << QStringList();
        QTest::newRow("both enabled") << Fields{{"WLAN_Chipset_comboBox", 0}}
                                      << refused("Cannot have both LAN and WLAN active at the same time.",
                                                 "Network management")
                                      << QStringList();
        QTest::newRow("5-digit key, WLAN on")
            << (wlanOn + Fields{{"WLAN_Key_lineEdit", "12345"}, {"PlayerName_lineEdit", ""}})
            << refused("WEP KEY must be 0, 10 or 26 HEX digits long. This network setting is canceled.",
                       "Network management")
            << QStringList();
        QTest::newRow("5-digit key, WLAN off, sent as it is")
            << Fields{{"WLAN_Key_lineEdit", "12345"}} << done
            << (lanOnly.mid(0, 3) << wlanDisabled.arg("12345") << "dmz: OFF|");
        QTest::newRow("no name before no server")
            << Fields{{"PlayerName_lineEdit", "  "}, {"KVO_IP_lineEdit", ""}} << refused("player name cannot be empty.")
            << QStringList();
        QTest::newRow("LAN DHCP, no address")
            << Fields{{"lan_DHCP_checkBox", true}, {"IP_lineEdit", ""}} << done
            << (QStringList{"name: Lobby", "lan: RTL8100|ON||192.168.0.1|255.255.255.0"} + lanOnly.mid(2));
        QTest::newRow("no LAN address") << Fields{{"IP_lineEdit", " "}} << refused("IP address cannot be empty.")
                                        << QStringList();
        QTest::newRow("LAN DHCP, no gateway")
            << Fields{{"lan_DHCP_checkBox", true}, {"LAN_Gateway_lineEdit", ""}}
            << refused("Gateway IP address cannot be empty.") << QStringList();
        QTest::newRow("no LAN mask") << Fields{{"LAN_Netmask_lineEdit", ""}} << refused("Network mask cannot be empty.")
                                     << QStringList();
        QTest::newRow("half-typed LAN address")
            << Fields{{"IP_lineEdit", "192.168.0."}} << refused("IP address 192.168.0. is not valid.") << QStringList();
        QTest::newRow("no server") << Fields{{"KVO_IP_lineEdit", ""}} << refused("Server IP address cannot be empty.")
                                   << QStringList();
        QTest::newRow("no ESSID") << (wlanOn + Fields{{"WLAN_ESSID_lineEdit", ""}}) << refused("ESSID cannot be empty.")
                                  << QStringList();
        QTest::newRow("no WLAN address")
            << (wlanOn + Fields{{"WLAN_IP_lineEdit", ""}}) << refused("WLAN IP address cannot be empty.") << QStringList();
        QTest::newRow("no WLAN gateway") << (wlanOn + Fields{{"WLAN_Gateway_lineEdit", ""}})
                                         << refused("WLAN gateway cannot be empty.") << QStringList();
        QTest::newRow("WLAN with DHCP and a key")
            << (wlanOn + Fields{{"wlan_DHCP_checkBox", true}, {"WLAN_IP_lineEdit", ""}, {"WLAN_Key_lineEdit", "0123456789"}})
            << done
            << QStringList{"name: Lobby", "lan: DISABLE|OFF|192.168.0.20|192.168.0.1|255.255.255.0", "server: 192.168.0.2",
                           "wlan: RT61|Hall|0123456789|ON||10.0.0.1|255.0.0.0", "dmz: OFF|"};
        QTest::newRow("DMZ without address")
            << Fields{{"dmz_checkBox", true}, {"NATIP_lineEdit", ""}} << refused("DMZ IP address cannot be empty.")
            << QStringList();
    }
    void okChecksInOrder()
    {
        QFETCH(Fields, changes);
        QFETCH(QString, box);
        QFETCH(QStringList, emitted);
        ScriptedPrompts prompts;
        prompts.nestedLoopMs = 20;
        NetManagementDialog dialog;
        const QStringList* order = recordSignals(dialog);
        const Fields valid = {{"LAN_Chipset_comboBox", 0}, {"WLAN_Chipset_comboBox", 1}, {"PlayerName_lineEdit", "Lobby"},
                              {"IP_lineEdit", "192.168.0.20"}, {"LAN_Gateway_lineEdit", "192.168.0.1"},
                              {"LAN_Netmask_lineEdit", "255.255.255.0"}, {"KVO_IP_lineEdit", "192.168.0.2"},
                              {"WLAN_ESSID_lineEdit", "Hall"}, {"WLAN_IP_lineEdit", "10.0.0.7"},
                              {"WLAN_Gateway_lineEdit", "10.0.0.1"}, {"WLAN_Netmask_lineEdit", "255.0.0.0"}};
        for (const auto& [name, value] : valid + changes)
            setField(dialog, name, value);
        QSignalSpy finished(&dialog, &QDialog::finished);
        dialog.show();
        QTest::mouseClick(dialog.findChild<QPushButton*>("buttonOk"), Qt::LeftButton);

        QCOMPARE(boxes(prompts), QStringList{box});
        QCOMPARE(*order, emitted);
        QCOMPARE(finished.size(), 1);
        QCOMPARE(finished.first().first().toInt(), int(emitted.isEmpty() ? QDialog::Rejected : QDialog::Accepted));
    }

    void playerNameForm_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("sent");
        QTest::newRow("ASCII") << "Lobby 2_b" << "Lobby 2_b";
        QTest::newRow("one non-ASCII") << "Aé" << "U+41U+E9";
        QTest::newRow("beyond Latin-1, surrogates") << "€x😀" << "U+20ACU+78U+D83DU+DE00";
    }
    void playerNameForm()
    {
        QFETCH(QString, name);
        QFETCH(QString, sent);
        QCOMPARE(nameForPlayer(name), sent);
    }

    void environmentFileIsReplacedWholeOrNotAtAll()
    {
        ScratchDirectory dir;
        QVERIFY(QDir().mkpath(dir.filePath("v/sys")));
        const QString path = dir.filePath("v/sys/nat.env");
        QVERIFY(writeFileAtomically(path, "DMZ=ON\nDMZIP=10.0.0.5\nLEFT=OVER\n"));
        QVERIFY(writeFileAtomically(path, "DMZ=OFF\nDMZIP=\n"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("DMZ=OFF\nDMZIP=\n"));

        QString error;
        QVERIFY(!writeFileAtomically(dir.filePath("gone/sys/nat.env"), "DMZ=ON\n", &error));
        QVERIFY(!error.isEmpty());
        QVERIFY(!QFileInfo::exists(dir.filePath("gone")));
    }
};

QTEST_MAIN(TestNetworkSettings)
#include "tst_networksettings.moc"
