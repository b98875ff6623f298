// A virtual player's network dialog opens with what its files hold, so OK alone rewrites them byte for byte.

#include "../peers/confighost.h"

#include <QtTest>

class TestVirtualNetwork : public QObject
{
    Q_OBJECT

private slots:
    void unchangedDialogRewritesTheFiles()
    {
        const QMap<QString, QByteArray> files{ // sys/*.env name -> content
            {"lan.env", "LAN=DISABLE\nLANDHCP=ON\nIPLAN=\nLANGW=127.0.0.1\nLANMASK=255.255.255.0\n"},
            {"wlan.env", "WLAN=RT61\nESSID=Hall net\nKEY=0a1b2c3d4e\nWLANDHCP=OFF\nIPWLAN=10.0.0.7\n"
                         "WLANGW=10.0.0.1\nWLANMASK=255.0.0.0\n"},
            {"nat.env", "DMZ=ON\nDMZIP=203.0.113.5\n"},
            {"kvosvr.env", "KVOSVR=10.0.0.2\n"}};
        ConfigHost host;
        PlayerItem* hall = host.virtualPlayer("Hall");
        const QString sys = hall->virtualDirectory() + "/sys/";
        for (auto file = files.cbegin(); file != files.cend(); ++file)
            QVERIFY(writeFile(sys + file.key(), file.value()));
        host.prompts.dialogScripts.append([&](QDialog* dialog) {
            for (const QString& name : files.keys())
                QVERIFY(QFile::remove(sys + name)); // a file left alone would pass unread
            click(dialog, "buttonOk");
        });
        host.config.network().openNetworkDialog(hall);
        QCOMPARE(host.prompts.messages.value(0).text,
                 QString("All changes in networking parameters will take effect after next reboot."));
        for (auto file = files.cbegin(); file != files.cend(); ++file)
            QCOMPARE(readFile(sys + file.key()), file.value());
    }
};

QTEST_MAIN(TestVirtualNetwork)
#include "tst_virtualnetwork.moc"
