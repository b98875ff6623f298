// Rules of the configuration dialogs: the network checks, the scale window's
// clipping, numeric replies, the crontab grammar and lines, the ticker's files.

#include "config/displaydialogs.h"
#include "config/displaysettings.h"
#include "config/networkdialog.h"
#include "config/networksettings.h"
#include "config/schedulerrules.h"
#include "config/tickerrender.h"

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

private slots:
    void networkChecksInOrder_data()
    {
        QTest::addColumn<Fields>("changes");
        QTest::addColumn<QString>("box");
        QTest::addColumn<QStringList>("emitted");
        const QString done = "Information | Network management: | All changes in networking parameters will take "
                             "effect after next reboot.";
        const QStringList lanOnly = {"name: Lobby", "lan: RTL8100|OFF|192.168.0.20|192.168.0.1|255.255.255.0",
                                     "server: 192.168.0.2", "wlan: DISABLE|Hall||OFF|10.0.0.7|10.0.0.1|255.0.0.0",
                                     "dmz: OFF|"};
        const Fields wlanOn = {{"LAN_Chipset_comboBox", 1}, {"WLAN_Chipset_comboBox", 0}};
        const auto refused = [](const char* tag, const Fields& changes, const QString& box) {
            QTest::newRow(tag) << changes << "Information | " + box << QStringList();
        };
        QTest::newRow("values trimmed, DMZ on")
            << Fields{{"PlayerName_lineEdit", " Lobby "}, {"dmz_checkBox", true}, {"NATIP_lineEdit", " 10.0.0.5"}}
            << done << (lanOnly.mid(0, 4) << "dmz: ON|10.0.0.5");
        QTest::newRow("LAN DHCP, no address")
            << Fields{{"lan_DHCP_checkBox", true}, {"IP_lineEdit", ""}} << done
            << (QStringList{"name: Lobby", "lan: RTL8100|ON||192.168.0.1|255.255.255.0"} + lanOnly.mid(2));
        QTest::newRow("WLAN with DHCP and a key")
            << (wlanOn + Fields{{"wlan_DHCP_checkBox", true}, {"WLAN_IP_lineEdit", ""}, {"WLAN_Key_lineEdit", "0123456789"}})
            << done
            << QStringList{"name: Lobby", "lan: DISABLE|OFF|192.168.0.20|192.168.0.1|255.255.255.0",
                           "server: 192.168.0.2", "wlan: RT61|Hall|0123456789|ON||10.0.0.1|255.0.0.0", "dmz: OFF|"};
        refused("both disabled", {{"LAN_Chipset_comboBox", 1}},
                "Network management | At least one of the two networking devices must be valid and enabled");
        refused("both enabled", {{"WLAN_Chipset_comboBox", 0}},
                "Network management | Cannot have both LAN and WLAN active at the same time.");
        refused("5-digit key, WLAN on", wlanOn + Fields{{"WLAN_Key_lineEdit", "12345"}, {"PlayerName_lineEdit", ""}},
                "Network management | WEP KEY must be 0, 10 or 26 HEX digits long. This network setting is canceled.");
        refused("half-typed LAN address", {{"IP_lineEdit", "192.168.0."}},
                "Network Management | IP address 192.168.0. is not valid.");
    }
    void networkChecksInOrder()
    {
        QFETCH(Fields, changes);
        QFETCH(QString, box);
        QFETCH(QStringList, emitted);
        ScriptedPrompts prompts;
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
        dialog.findChild<QPushButton*>("buttonOk")->click();
        QCOMPARE(boxes(prompts), QStringList{box});
        QCOMPARE(order, emitted);
        QCOMPARE(dialog.result(), int(emitted.isEmpty() ? QDialog::Rejected : QDialog::Accepted));
    }

    void textsForPlayers()
    {
        // Stored flags are truth words.
        QVERIFY(netsettings::isTruthWord(" Yes") && netsettings::isTruthWord("1") && !netsettings::isTruthWord("true"));
        QCOMPARE(netsettings::nameForPlayer("€😀"), QString("U+20ACU+D83DU+DE00"));
        QCOMPARE(scheduling::createdOnLine(QDateTime(QDate(2026, 12, 5), QTime(7, 10, 48))),
                 QString("# $$ created on Sat Dec 5 07:10:48 2026"));
    }

    void replyNumbers_data()
    {
        QTest::addColumn<QVariant>("reply");
        QTest::addColumn<int>("count");
        QTest::addColumn<QList<int>>("numbers"); // empty: unreadable
        QTest::newRow("numeric strings, extra elements") << QVariant(QVariantList{" 36", "x"}) << 1 << QList<int>{36};
        QTest::newRow("too short") << QVariant(QVariantList{1, 2, 3}) << 4 << QList<int>{};
        QTest::newRow("fraction") << QVariant(QVariantList{2.5}) << 1 << QList<int>{};
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
        ScriptedPrompts prompts;
        ScaleWindowDialog dialog(nullptr, "Lobby");
        QSignalSpy update(&dialog, &ScaleWindowDialog::UpdateScaleWindowDimension);
        dialog.fill_XYWH(1, 2, 3, 4);
        dialog.findChild<QPushButton*>("ScleWndow_reset_button")->click();
        QCOMPARE(dialog.findChild<QLineEdit*>("ScaleWindowW_lineEdit")->text(), QString("4096"));
        for (const char* name : {"ScaleWindowX_lineEdit", "ScaleWindowY_lineEdit", "ScaleWindowW_lineEdit", "ScaleWindowH_lineEdit"})
            dialog.findChild<QLineEdit*>(name)->setText(fields.takeFirst());
        dialog.findChild<QPushButton*>("buttonOk")->click();
        QCOMPARE(boxes(prompts), messages);
        QCOMPARE(update.value(0), sent);
        QCOMPARE(dialog.result(), int(sent.isEmpty() ? QDialog::Rejected : QDialog::Accepted));
    }

    void crontabFields_data()
    {
        QTest::addColumn<int>("field");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::newRow("minute step alone") << 0 << "/5" << false;
        QTest::newRow("day 32") << 2 << "32" << false;
        QTest::newRow("week 7 (Sunday)") << 4 << "7" << true;
    }
    void crontabFields()
    {
        QFETCH(int, field);
        QFETCH(QString, text);
        QFETCH(bool, valid);
        const QRegularExpression pattern(QRegularExpression::anchoredPattern(
            scheduling::timeFieldPattern(scheduling::TimeField(field))));
        QCOMPARE(pattern.match(text).hasMatch(), valid);
    }

    void crontabLines_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QStringList>("columns");
        QTest::newRow("action with arguments") << "*/5 * * * * /usr/local/bin/poll  -s   web  -u  kvo"
                                               << QStringList{"*/5", "*", "*", "*", "*", "/usr/local/bin/poll -s web -u kvo"};
        QTest::newRow("short line") << "@reboot /bin/start" << QStringList{"@reboot", "/bin/start", "", "", "", ""};
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
        // Text as wide as it measures, in shades from the background, where nothing
        // is drawn, to the text's colour.
        const QString text = "Welcome to the lobby";
        QFont font("DejaVu Sans");
        font.setPixelSize(36);
        const ticker::Rendering rendering = ticker::render(text, font, QColor("#102030"), QColor("#f8f8f8"));
        const QImage& image = rendering.image;
        QVERIFY(!rendering.tooLong && !rendering.tooTall);
        const QFontMetrics metrics(font, &image);
        QVERIFY(qAbs(image.width() - metrics.horizontalAdvance(text)) <= 2);
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
        // Too long and too tall: cut to the largest bitmap.
        font.setPixelSize(300);
        const ticker::Rendering cut = ticker::render(text.repeated(40), font, Qt::black, Qt::white);
        QVERIFY(cut.tooLong && cut.tooTall);
        QCOMPARE(cut.image.size(), QSize(8192, 256));
    }
};

QTEST_MAIN(TestConfigRules)
#include "tst_configrules.moc"
