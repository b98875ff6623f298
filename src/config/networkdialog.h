#pragma once

// The dialog in which the operator edits a player's network identity: the
// controller it reports to, its name, DMZ address, wired and wireless
// interfaces. It checks the input and hands the result on by five signals.

#include <QDialog>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;

class NetManagementDialog : public QDialog
{
    Q_OBJECT

public:
    explicit NetManagementDialog(QWidget* parent = nullptr, const QString& name = QString());

    // Fill operations, called before the dialog runs.
    void fill_PlayerName(const QString& name);
    void fill_WLANIP(const QString& ip);
    void fill_ESSID(const QString& essid);
    void fill_WEPKEY(const QString& key);
    void fill_ServerIP(const QString& ip);
    void fill_WLANDEV(const QString& device);
    // An empty gateway shows 127.0.0.1, an empty mask 255.255.255.0, unless
    // the value was stored empty on purpose (emptyShowsDefault false).
    void fill_LANGW(const QString& gateway, bool emptyShowsDefault = true);
    void fill_LANMASK(const QString& mask, bool emptyShowsDefault = true);
    void fill_WLANGW(const QString& gateway, bool emptyShowsDefault = true);
    void fill_WLANMASK(const QString& mask, bool emptyShowsDefault = true);
    // kind "lan" or "wlan" (trimmed, any case); other kinds change nothing.
    void fill_DHCP(const QString& value, const QString& kind);
    void fill_DMZ(const QString& flag, const QString& ip);

signals:
    void NewPlayerIP(QString chipset, QString lan_dhcp, QString ip, QString gw, QString mask);
    void NewServerIP(QString ip);
    void NewWLANSetup(QString chipset, QString ssid, QString key, QString wlan_dhcp, QString ip, QString gw,
                      QString mask);
    void NewPlayerName(QString name);
    void NewDMZSettings(QString dmz, QString DMZ_IP);

public slots:
    void net_dialog_ok();
    void fill_IPLAN(QString ip);
    void fill_LANDEV(QString device);
    void lan_DHCP_toggled();
    void wlan_DHCP_toggled();
    void dmz_toggled();
    virtual void languageChange();

protected:
    void changeEvent(QEvent* event) override;

private:
    void buildWidgets();

    QTabWidget* Net_tabWidget;
    QWidget* serverTab;
    QWidget* lanTab;
    QWidget* wlanTab;
    QLabel* KVO_IP_textLabel;
    QLineEdit* KVO_IP_lineEdit;
    QGroupBox* identificationGroup;
    QRadioButton* lan_path_radioButton;
    QRadioButton* wlan_path_radioButton;
    QLabel* PlayerName_textLabel;
    QLineEdit* PlayerName_lineEdit;
    QCheckBox* dmz_checkBox;
    QLabel* dmz_textLabel;
    QLineEdit* NATIP_lineEdit;

    QGroupBox* lanChipsetGroup;
    QComboBox* LAN_Chipset_comboBox;
    QCheckBox* lan_DHCP_checkBox;
    QLabel* IP_textLabel;
    QLineEdit* IP_lineEdit;
    QLabel* Gateway_IP_textLabel;
    QLineEdit* LAN_Gateway_lineEdit;
    QLabel* lan_netmask_textLabel;
    QLineEdit* LAN_Netmask_lineEdit;

    QGroupBox* wlanChipsetGroup;
    QComboBox* WLAN_Chipset_comboBox;
    QCheckBox* wlan_DHCP_checkBox;
    QLabel* textLabel1;
    QLineEdit* WLAN_ESSID_lineEdit;
    QLabel* textLabel1_3;
    QLineEdit* WLAN_Key_lineEdit;
    QLabel* wlan_IP_textLabel;
    QLineEdit* WLAN_IP_lineEdit;
    QLabel* wlan_GW_textLabel;
    QLineEdit* WLAN_Gateway_lineEdit;
    QLabel* wlan_netmask_textLabel;
    QLineEdit* WLAN_Netmask_lineEdit;

    QPushButton* buttonOk;
    QPushButton* buttonCancel;
};
