// Rules of the configuration dialogs, each dialog on its own: the network
// dialog's start state and checks, the scale window's clipping, the video
// modes a reported mode checks, numeric replies, the crontab grammar and
// lines, and the ticker's bitmap and configuration file.

#include "config/displaydialogs.h"
#include "config/displaysettings.h"
#include "config/networkdialog.h"
#include "config/networksettings.h"
#include "config/schedulerdialog.h"
#include "config/schedulerrules.h"
#include "config/tickerrender.h"
#include "core/ownaddress.h"

#include "../peers/confighost.h"

#include <QtEndian>
#include <QtTest>
#include <QtWidgets>

namespace {

// Records a network dialog's five signals as "name: arg|arg|...", in the order they come.
void recordSignals(NetManagementDialog& dialog, QStringList& lines)
{
    const auto record = [&lines](const char* name) {
        return [&lines, name](const auto&... args) { lines.append(name + (": " + QStringList{args...}.join('|'))); };
    };
    QObject::connect(&dialog, &NetManagementDialog::NewPlayerName, record("name"));
    QObject::connect(&dialog, &NetManagementDialog::NewPlayerIP, record("lan"));
    QObject::connect(&dialog, &NetManagementDialog::NewServerIP, record("server"));
    QObject::connect(&dialog, &NetManagementDialog::NewWLANSetup, record("wlan"));
    QObject::connect(&dialog, &NetManagementDialog::NewDMZSettings, record("dmz"));
}

quint16 bitsPerPixel(const QByteArray& bmp)
{
    return bmp.startsWith("BM") && bmp.size() > 30 ? qFromLittleEndian<quint16>(bmp.constData() + 28) : 0;
}

} // namespace

class TestConfigRules : public QObject
{
    Q_OBJECT

private:
    ScriptedPrompts m_prompts;

private slots:
    void init() { m_prompts.messages.clear(); }

    void networkDialogStartsAndFills()
    {
        NetManagementDialog dialog;
        const auto edit = [&](const char* name) { return dialog.findChild<QLineEdit*>(name); };
        const auto box = [&](const char* name) { return dialog.findChild<QCheckBox*>(name); };
        QCOMPARE(edit("KVO_IP_lineEdit")->text(), GetOwnIPAddress());
        QVERIFY(dialog.findChild<QRadioButton*>("lan_path_radioButton")->isHidden());
        QVERIFY(!box("dmz_checkBox")->isChecked() && !edit("NATIP_lineEdit")->isEnabled());

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
        // Devices compare exactly.
        dialog.fill_LANDEV("rtl8100");
        dialog.fill_WLANDEV("RT61");
        QCOMPARE(dialog.findChild<QComboBox*>("LAN_Chipset_comboBox")->currentIndex(), 1);
        QCOMPARE(dialog.findChild<QComboBox*>("WLAN_Chipset_comboBox")->currentIndex(), 0);
    }

    void networkChecksInOrder_data()
    {
        QTest::addColumn<Fields>("changes");
        QTest::addColumn<QString>("box");
        QTest::addColumn<QStringList>("emitted");
        const QString done = "Information | Network management: | All changes in networking parameters will take "
                             "effect after next reboot.";
        const QString wlanOff = "wlan: DISABLE|Hall|%1|OFF|10.0.0.7|10.0.0.1|255.0.0.0";
        const QStringList lanOnly = {"name: Lobby", "lan: RTL8100|OFF|192.168.0.20|192.168.0.1|255.255.255.0",
                                     "server: 192.168.0.2", wlanOff.arg(""), "dmz: OFF|"};
        const Fields wlanOn = {{"LAN_Chipset_comboBox", 1}, {"WLAN_Chipset_comboBox", 0}};
        const auto refused = [](const char* tag, const Fields& changes, const QString& text,
                                const QString& title = "Network Management") {
            QTest::newRow(tag) << changes << "Information | " + title + " | " + text << QStringList();
        };
        QTest::newRow("LAN, in signal order") << Fields{} << done << lanOnly;
        QTest::newRow("values trimmed, DMZ on")
            << Fields{{"PlayerName_lineEdit", " Lobby "}, {"dmz_checkBox", true}, {"NATIP_lineEdit", " 10.0.0.5"}}
            << done << (lanOnly.mid(0, 4) << "dmz: ON|10.0.0.5");
        QTest::newRow("5-digit key, WLAN off, sent as it is")
            << Fields{{"WLAN_Key_lineEdit", "12345"}} << done << (lanOnly.mid(0, 3) << wlanOff.arg("12345") << "dmz: OFF|");
        QTest::newRow("LAN DHCP, no address")
            << Fields{{"lan_DHCP_checkBox", true}, {"IP_lineEdit", ""}} << done
            << (QStringList{"name: Lobby", "lan: RTL8100|ON||192.168.0.1|255.255.255.0"} + lanOnly.mid(2));
        QTest::newRow("WLAN with DHCP and a key")
            << (wlanOn + Fields{{"wlan_DHCP_checkBox", true}, {"WLAN_IP_lineEdit", ""}, {"WLAN_Key_lineEdit", "0123456789"}})
            << done
            << QStringList{"name: Lobby", "lan: DISABLE|OFF|192.168.0.20|192.168.0.1|255.255.255.0",
                           "server: 192.168.0.2", "wlan: RT61|Hall|0123456789|ON||10.0.0.1|255.0.0.0", "dmz: OFF|"};
        refused("both disabled", {{"LAN_Chipset_comboBox", 1}},
                "At least one of the two networking devices must be valid and enabled", "Network management");
        refused("both enabled", {{"WLAN_Chipset_comboBox", 0}}, "Cannot have both LAN and WLAN active at the same time.",
                "Network management");
        refused("5-digit key, WLAN on", wlanOn + Fields{{"WLAN_Key_lineEdit", "12345"}, {"PlayerName_lineEdit", ""}},
                "WEP KEY must be 0, 10 or 26 HEX digits long. This network setting is canceled.", "Network management");
        refused("no name before no server", {{"PlayerName_lineEdit", "  "}, {"KVO_IP_lineEdit", ""}},
                "player name cannot be empty.");
        refused("no LAN address", {{"IP_lineEdit", " "}}, "IP address cannot be empty.");
        refused("LAN DHCP, no gateway", {{"lan_DHCP_checkBox", true}, {"LAN_Gateway_lineEdit", ""}},
                "Gateway IP address cannot be empty.");
        refused("no LAN mask", {{"LAN_Netmask_lineEdit", ""}}, "Network mask cannot be empty.");
        refused("half-typed LAN address", {{"IP_lineEdit", "192.168.0."}}, "IP address 192.168.0. is not valid.");
        refused("no server", {{"KVO_IP_lineEdit", ""}}, "Server IP address cannot be empty.");
        refused("no ESSID", wlanOn + Fields{{"WLAN_ESSID_lineEdit", ""}}, "ESSID cannot be empty.");
        refused("no WLAN address", wlanOn + Fields{{"WLAN_IP_lineEdit", ""}}, "WLAN IP address cannot be empty.");
        refused("no WLAN gateway", wlanOn + Fields{{"WLAN_Gateway_lineEdit", ""}}, "WLAN gateway cannot be empty.");
        refused("DMZ without address", {{"dmz_checkBox", true}, {"NATIP_lineEdit", ""}}, "DMZ IP address cannot be empty.");
    }
    void networkChecksInOrder()
    {
        QFETCH(Fields, changes);
        QFETCH(QString, box);
        QFETCH(QStringList, emitted);
        NetManagementDialog dialog;
        QStringList order;
        recordSignals(dialog, order);
        fill(&dialog, Fields{{"LAN_Chipset_comboBox", 0}, {"WLAN_Chipset_comboBox", 1},
                                 {"PlayerName_lineEdit", "Lobby"}, {"IP_lineEdit", "192.168.0.20"},
                                 {"LAN_Gateway_lineEdit", "192.168.0.1"}, {"LAN_Netmask_lineEdit", "255.255.255.0"},
                                 {"KVO_IP_lineEdit", "192.168.0.2"}, {"WLAN_ESSID_lineEdit", "Hall"},
                                 {"WLAN_IP_lineEdit", "10.0.0.7"}, {"WLAN_Gateway_lineEdit", "10.0.0.1"},
                                 {"WLAN_Netmask_lineEdit", "255.0.0.0"}}
                                  + changes);
        QSignalSpy finished(&dialog, &QDialog::finished);
        dialog.findChild<QPushButton*>("buttonOk")->click();
        QCOMPARE(boxes(m_prompts), QStringList{box});
        QCOMPARE(order, emitted);
        QCOMPARE(finished.size(), 1);
        QCOMPARE(finished.first().first().toInt(), int(emitted.isEmpty() ? QDialog::Rejected : QDialog::Accepted));
    }

    void textsForPlayers()
    {
        QCOMPARE(netsettings::nameForPlayer("Lobby 2_b"), QString("Lobby 2_b"));
        QCOMPARE(netsettings::nameForPlayer("Aé"), QString("U+41U+E9"));
        QCOMPARE(netsettings::nameForPlayer("€😀"), QString("U+20ACU+D83DU+DE00"));
        QCOMPARE(scheduling::taskAction(scheduling::UpdateContents, " Lobby ", "", ""),
                 QString("/usr/local/bin/batch_update  Lobby"));
        QCOMPARE(scheduling::createdOnLine(QDateTime(QDate(2026, 12, 5), QTime(7, 10, 48))),
                 QString("# $$ created on Sat Dec 5 07:10:48 2026"));
    }

    void videoModeChecks_data()
    {
        QTest::addColumn<QString>("current");
        QTest::addColumn<QList<int>>("checked");
        QTest::newRow("composite alias") << "COMPOSITE" << QList<int>{0};
        QTest::newRow("long VGA name, blanks") << " VGA_1024x768x60 " << QList<int>{1};
        QTest::newRow("HDMI auto alias") << "HDMI_AUTO" << QList<int>{2};
        QTest::newRow("exact name") << "LVDS_VESA_1280x1024x60" << QList<int>{29};
        QTest::newRow("case counts") << "vga" << QList<int>{};
    }
    void videoModeChecks()
    {
        QFETCH(QString, current);
        QFETCH(QList<int>, checked);
        QList<int> ids;
        for (const display::VideoMode& mode : display::videoModes())
            if (display::videoModeMatches(mode, current))
                ids.append(mode.id);
        QCOMPARE(ids, checked);
    }

    void replyNumbers_data()
    {
        QTest::addColumn<QVariant>("reply");
        QTest::addColumn<int>("count");
        QTest::addColumn<QList<int>>("numbers"); // empty: unreadable
        QTest::newRow("integers") << QVariant(QVariantList{0, 10, 4096, 2000}) << 4 << QList<int>{0, 10, 4096, 2000};
        QTest::newRow("numeric strings, extra elements") << QVariant(QVariantList{" 36", "x"}) << 1 << QList<int>{36};
        QTest::newRow("whole double") << QVariant(QVariantList{7.0}) << 1 << QList<int>{7};
        QTest::newRow("too short") << QVariant(QVariantList{1, 2, 3}) << 4 << QList<int>{};
        QTest::newRow("text element") << QVariant(QVariantList{"abc"}) << 1 << QList<int>{};
        QTest::newRow("fraction") << QVariant(QVariantList{2.5}) << 1 << QList<int>{};
        QTest::newRow("not an array") << QVariant(5) << 1 << QList<int>{};
        QTest::newRow("beyond int") << QVariant(QVariantList{qlonglong(1) << 40}) << 1 << QList<int>{};
    }
    void replyNumbers()
    {
        QFETCH(QVariant, reply);
        QFETCH(int, count);
        QFETCH(QList<int>, numbers);
        QCOMPARE(display::replyIntegers(reply, count).value_or(QList<int>{}), numbers);
    }

    void scaleWindowOk_data()
    {
        QTest::addColumn<QStringList>("fields"); // X, Y, Width, Height as typed or filled
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<QVariantList>("sent");
        const QString clipped = "Information | Scale window size | The scaled window extends outside of the %1 "
                                "border. It will be clipped.";
        QTest::newRow("full screen") << QStringList{"0", "0", "4096", "4096"} << QStringList{}
                                     << QVariantList{0, 0, 4096, 4096};
        QTest::newRow("right edge") << QStringList{"100", "0", "4096", "4096"} << QStringList{clipped.arg("right")}
                                    << QVariantList{100, 0, 3996, 4096};
        QTest::newRow("both edges, in order") << QStringList{"4000", "4095", "200", "2"}
                                              << QStringList{clipped.arg("right"), clipped.arg("bottom")}
                                              << QVariantList{4000, 4095, 96, 1};
        // Refused by name, the first one in order; nothing is sent.
        QTest::newRow("empty field") << QStringList{"0", "", "", ""}
                                     << QStringList{"Warning | Scale window size | \"Y (0 ~ 4095)\" is empty: enter a "
                                                    "whole number in that range."}
                                     << QVariantList{};
        QTest::newRow("out of range from the player")
            << QStringList{"5000", "3", "1920", "0"}
            << QStringList{"Warning | Scale window size | \"X (0 ~ 4095)\" holds \"5000\": enter a whole number in "
                           "that range."}
            << QVariantList{};
    }
    void scaleWindowOk()
    {
        QFETCH(QStringList, fields);
        QFETCH(QStringList, messages);
        QFETCH(QVariantList, sent);
        ScaleWindowDialog dialog(nullptr, "Lobby");
        QSignalSpy update(&dialog, &ScaleWindowDialog::UpdateScaleWindowDimension);
        dialog.fill_XYWH(1, 2, 3, 4);
        dialog.findChild<QPushButton*>("ScleWndow_reset_button")->click();
        QCOMPARE(dialog.findChild<QLineEdit*>("ScaleWindowW_lineEdit")->text(), QString("4096"));
        for (const char* name : {"ScaleWindowX_lineEdit", "ScaleWindowY_lineEdit", "ScaleWindowW_lineEdit", "ScaleWindowH_lineEdit"})
            dialog.findChild<QLineEdit*>(name)->setText(fields.takeFirst());
        dialog.findChild<QPushButton*>("buttonOk")->click();
        QCOMPARE(boxes(m_prompts), messages);
        QCOMPARE(update.value(0), sent);
        QCOMPARE(dialog.result(), int(sent.isEmpty() ? QDialog::Rejected : QDialog::Accepted));
    }

    void crontabFields_data()
    {
        QTest::addColumn<int>("field");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::newRow("minute step on wildcard") << 0 << "*/15" << true;
        QTest::newRow("minute ranges with steps") << 0 << "0-10/2,30,45-59" << true;
        QTest::newRow("minute 60") << 0 << "60" << false;
        QTest::newRow("minute step alone") << 0 << "/5" << false;
        QTest::newRow("minute trailing comma") << 0 << "5," << false;
        QTest::newRow("hour 24") << 1 << "24" << false;
        QTest::newRow("day 31") << 2 << "31" << true;
        QTest::newRow("day 32") << 2 << "32" << false;
        QTest::newRow("month 13") << 3 << "13" << false;
        QTest::newRow("week 7 (Sunday)") << 4 << "7" << true;
        QTest::newRow("week names") << 4 << "mon" << false;
    }
    void crontabFields()
    {
        QFETCH(int, field);
        QFETCH(QString, text);
        QFETCH(bool, valid);
        const char* const names[] = {"minutes", "hours", "days", "months", "weeks"};
        schedule_event_Dialog dialog(nullptr, "Lobby");
        const auto* validator = dialog.findChild<QLineEdit*>(QString("schedule_event_%1_lineEdit").arg(names[field]))->validator();
        int position = 0;
        QCOMPARE(validator->validate(text, position) == QValidator::Acceptable, valid);
    }

    void crontabLines_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QStringList>("columns");
        QTest::newRow("runs of blanks") << "0   7\t*  *   1-5    /usr/local/bin/psudon"
                                        << QStringList{"0", "7", "*", "*", "1-5", "/usr/local/bin/psudon"};
        QTest::newRow("action with arguments") << "*/5 * * * * /usr/local/bin/poll  -s   web  -u  kvo"
                                               << QStringList{"*/5", "*", "*", "*", "*", "/usr/local/bin/poll -s web -u kvo"};
        QTest::newRow("short line") << "@reboot /bin/start" << QStringList{"@reboot", "/bin/start", "", "", "", ""};
        QTest::newRow("comment") << "  # $$ created on Sat Dec 5 07:10:48 2026" << QStringList{};
        QTest::newRow("blank") << " \t " << QStringList{};
    }
    void crontabLines()
    {
        QFETCH(QString, line);
        QFETCH(QStringList, columns);
        const auto split = scheduling::splitCrontabLine(line);
        QCOMPARE(split ? QStringList(split->begin(), split->end()) : QStringList{}, columns);
        if (split) // back with single blanks
            QCOMPARE(scheduling::crontabLine(*split), columns.join(' '));
    }

    void tickerBitmap()
    {
        // Text as wide and high as it measures (the limits: tst_configdialogs),
        // in shades from the background, where nothing is drawn, to the text's colour.
        const QString text = "Welcome to the lobby";
        QFont font("DejaVu Sans");
        font.setPixelSize(36);
        const ticker::Rendering rendering = ticker::render(text, font, QColor("#102030"), QColor("#f8f8f8"));
        const QImage& image = rendering.image;
        QVERIFY(!rendering.tooLong && !rendering.tooTall);
        const QFontMetrics metrics(font, &image);
        QVERIFY(qAbs(image.width() - metrics.horizontalAdvance(text)) <= 2);
        QVERIFY(qAbs(image.height() - metrics.height()) <= 1);
        QCOMPARE(image.colorTable().size(), 256);
        QCOMPARE(image.colorTable().last(), qRgb(0xf8, 0xf8, 0xf8));
        QCOMPARE(image.pixel(image.width() - 1, image.height() - 1), qRgb(0x10, 0x20, 0x30));
        int covered = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                covered += image.pixelIndex(x, y) > 128;
        QVERIFY(covered > 0);
        QCOMPARE(QImage::fromData(ticker::bmpBytes(image), "BMP").size(), image.size());
        // 8 bits per pixel even for one colour (16 or fewer would be written as 4 bits).
        QImage plain(10, 4, QImage::Format_Indexed8);
        plain.setColorTable(ticker::palette(Qt::black, Qt::black));
        plain.fill(0);
        QCOMPARE(bitsPerPixel(ticker::bmpBytes(plain)), quint16(8));
        QCOMPARE(ticker::iniFileBytes(QColor("#ABCDEF"), false, 8), QByteArray("#abcdef\n0\n8\n"));
    }
};

QTEST_MAIN(TestConfigRules)
#include "tst_configrules.moc"
