// A virtual player's network dialog opens with what its settings files hold,
// so that OK without a change writes every file again byte for byte.

#include "../peers/confighost.h"
#include "../peers/contentfiles.h"

#include <QtTest>
#include <QtWidgets>

using Files = QMap<QString, QByteArray>; // sys/*.env name -> content

class TestVirtualNetwork : public QObject
{
    Q_OBJECT

private slots:
    void unchangedDialogRewritesTheFiles_data()
    {
        QTest::addColumn<Files>("files");
        QTest::newRow("static LAN, no DHCP")
            << Files{{"lan.env", "LAN=RTL8100\nLANDHCP=OFF\nIPLAN=192.168.5.20\nLANGW=192.168.5.1\nLANMASK=255.255.0.0\n"},
                     {"wlan.env", "WLAN=DISABLE\nESSID=\nKEY=\nWLANDHCP=OFF\nIPWLAN=\nWLANGW=\nWLANMASK=\n"},
                     {"nat.env", "DMZ=OFF\nDMZIP=\n"},
                     {"kvosvr.env", "KVOSVR=10.1.1.9\n"}};
        QTest::newRow("WiFi with a key, DMZ")
            << Files{{"lan.env", "LAN=DISABLE\nLANDHCP=ON\nIPLAN=\nLANGW=127.0.0.1\nLANMASK=255.255.255.0\n"},
                     {"wlan.env", "WLAN=RT61\nESSID=Hall net\nKEY=0a1b2c3d4e\nWLANDHCP=OFF\nIPWLAN=10.0.0.7\n"
                                  "WLANGW=10.0.0.1\nWLANMASK=255.0.0.0\n"},
                     {"nat.env", "DMZ=ON\nDMZIP=203.0.113.5\n"},
                     {"kvosvr.env", "KVOSVR=10.0.0.2\n"}};
    }
    void unchangedDialogRewritesTheFiles()
    {
        QFETCH(Files, files);
        ConfigHost host;
        PlayerItem* hall = host.virtualPlayer("Hall");
        const QString sys = hall->virtualDirectory() + "/sys/";
        for (auto file = files.cbegin(); file != files.cend(); ++file)
            QVERIFY(writeFile(sys + file.key(), file.value()));
        // Written again whole: a file left alone would pass unread.
        host.prompts.dialogScripts.append([&](QDialog* dialog) {
            for (const QString& name : files.keys())
                QVERIFY(QFile::remove(sys + name));
            click(dialog, "buttonOk");
        });
        host.config.network().openNetworkDialog(hall);
        QCOMPARE(host.prompts.messages.size(), 1);
        QCOMPARE(host.prompts.messages.first().text,
                 QString("All changes in networking parameters will take effect after next reboot."));
        for (auto file = files.cbegin(); file != files.cend(); ++file)
            QCOMPARE(readFile(sys + file.key()), file.value());
    }
};

QTEST_MAIN(TestVirtualNetwork)
#include "tst_virtualnetwork.moc"
