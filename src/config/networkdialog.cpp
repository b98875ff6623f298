#include "config/networkdialog.h"

#include "core/ownaddress.h"
#include "config/networksettings.h"
#include "ui/namedwidgets.h"
#include "ui/prompts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QTabWidget>
#include <QVBoxLayout>

using namespace netsettings;

namespace {

void setEnabledAll(std::initializer_list<QWidget*> widgets, bool enabled)
{
    for (QWidget* widget : widgets)
        widget->setEnabled(enabled);
}

} // namespace

NetManagementDialog::NetManagementDialog(QWidget* parent, const QString& name)
    : QDialog(parent)
{
    setObjectName(name.isEmpty() ? QStringLiteral("NetManagementDialog") : name);
    setModal(true);
    buildWidgets();
    languageChange();

    // \w takes letters of every script, as player names may have them.
    const QRegularExpression address(QString::fromLatin1(kIpAddressPattern));
    for (QLineEdit* field : {KVO_IP_lineEdit, IP_lineEdit, LAN_Gateway_lineEdit, LAN_Netmask_lineEdit,
                             WLAN_IP_lineEdit, WLAN_Gateway_lineEdit, WLAN_Netmask_lineEdit, NATIP_lineEdit})
        field->setValidator(new QRegularExpressionValidator(address, field));
    PlayerName_lineEdit->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QString::fromLatin1(kPlayerNamePattern), QRegularExpression::UseUnicodePropertiesOption),
        PlayerName_lineEdit));
    WLAN_Key_lineEdit->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QString::fromLatin1(kWepKeyPattern)), WLAN_Key_lineEdit));

    // Start state, before the dialog is filled.
    KVO_IP_lineEdit->setText(GetOwnIPAddress());
    lan_path_radioButton->hide();
    wlan_path_radioButton->hide();
    dmz_checkBox->setChecked(false);
    dmz_toggled();
    lan_DHCP_toggled();
    wlan_DHCP_toggled();

    connect(buttonOk, &QPushButton::clicked, this, &NetManagementDialog::net_dialog_ok);
    connect(buttonCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(lan_DHCP_checkBox, &QCheckBox::toggled, this, &NetManagementDialog::lan_DHCP_toggled);
    connect(wlan_DHCP_checkBox, &QCheckBox::toggled, this, &NetManagementDialog::wlan_DHCP_toggled);
    connect(dmz_checkBox, &QCheckBox::toggled, this, &NetManagementDialog::dmz_toggled);
}

void NetManagementDialog::buildWidgets()
{
    auto* top = new QVBoxLayout(this);
    Net_tabWidget = named(new QTabWidget(this), "Net_tabWidget");
    top->addWidget(Net_tabWidget);

    // Controller, identity and DMZ.
    serverTab = named(new QWidget(Net_tabWidget), "serverTab");
    auto* serverLayout = new QGridLayout(serverTab);
    KVO_IP_textLabel = named(new QLabel(serverTab), "KVO_IP_textLabel");
    KVO_IP_lineEdit = named(new QLineEdit(serverTab), "KVO_IP_lineEdit");
    KVO_IP_textLabel->setBuddy(KVO_IP_lineEdit);
    serverLayout->addWidget(KVO_IP_textLabel, 0, 0);
    serverLayout->addWidget(KVO_IP_lineEdit, 0, 1);
    identificationGroup = named(new QGroupBox(serverTab), "Identification_groupBox");
    auto* identificationLayout = new QGridLayout(identificationGroup);
    lan_path_radioButton = named(new QRadioButton(identificationGroup), "lan_path_radioButton");
    wlan_path_radioButton = named(new QRadioButton(identificationGroup), "wlan_path_radioButton");
    PlayerName_textLabel = named(new QLabel(identificationGroup), "PlayerName_textLabel");
    PlayerName_lineEdit = named(new QLineEdit(identificationGroup), "PlayerName_lineEdit");
    PlayerName_textLabel->setBuddy(PlayerName_lineEdit);
    identificationLayout->addWidget(lan_path_radioButton, 0, 0);
    identificationLayout->addWidget(wlan_path_radioButton, 0, 1);
    identificationLayout->addWidget(PlayerName_textLabel, 1, 0);
    identificationLayout->addWidget(PlayerName_lineEdit, 1, 1);
    serverLayout->addWidget(identificationGroup, 1, 0, 1, 2);
    dmz_checkBox = named(new QCheckBox(serverTab), "dmz_checkBox");
    serverLayout->addWidget(dmz_checkBox, 2, 0, 1, 2);
    dmz_textLabel = named(new QLabel(serverTab), "dmz_textLabel");
    NATIP_lineEdit = named(new QLineEdit(serverTab), "NATIP_lineEdit");
    dmz_textLabel->setBuddy(NATIP_lineEdit);
    serverLayout->addWidget(dmz_textLabel, 3, 0);
    serverLayout->addWidget(NATIP_lineEdit, 3, 1);
    serverLayout->setRowStretch(4, 1);
    Net_tabWidget->addTab(serverTab, QString());

    // Wired interface.
    lanTab = named(new QWidget(Net_tabWidget), "lanTab");
    auto* lanLayout = new QGridLayout(lanTab);
    lanChipsetGroup = named(new QGroupBox(lanTab), "LAN_Chipset_groupBox");
    auto* lanChipsetLayout = new QHBoxLayout(lanChipsetGroup);
    LAN_Chipset_comboBox = named(new QComboBox(lanChipsetGroup), "LAN_Chipset_comboBox");
    LAN_Chipset_comboBox->addItems({QString::fromLatin1(kLanChipset), QString::fromLatin1(kDisabled)});
    lan_DHCP_checkBox = named(new QCheckBox(lanChipsetGroup), "lan_DHCP_checkBox");
    lanChipsetLayout->addWidget(LAN_Chipset_comboBox);
    lanChipsetLayout->addWidget(lan_DHCP_checkBox);
    lanLayout->addWidget(lanChipsetGroup, 0, 0, 1, 2);
    IP_textLabel = named(new QLabel(lanTab), "IP_textLabel");
    IP_lineEdit = named(new QLineEdit(lanTab), "IP_lineEdit");
    Gateway_IP_textLabel = named(new QLabel(lanTab), "Gateway_IP_textLabel");
    LAN_Gateway_lineEdit = named(new QLineEdit(lanTab), "LAN_Gateway_lineEdit");
    lan_netmask_textLabel = named(new QLabel(lanTab), "lan_netmask_textLabel");
    LAN_Netmask_lineEdit = named(new QLineEdit(lanTab), "LAN_Netmask_lineEdit");
    int row = 1;
    for (auto [label, field] : {std::pair{IP_textLabel, IP_lineEdit}, std::pair{Gateway_IP_textLabel, LAN_Gateway_lineEdit},
                                std::pair{lan_netmask_textLabel, LAN_Netmask_lineEdit}}) {
        label->setBuddy(field);
        lanLayout->addWidget(label, row, 0);
        lanLayout->addWidget(field, row++, 1);
    }
    lanLayout->setRowStretch(row, 1);
    Net_tabWidget->addTab(lanTab, QString());

    // Wireless interface.
    wlanTab = named(new QWidget(Net_tabWidget), "wlanTab");
    auto* wlanLayout = new QGridLayout(wlanTab);
    wlanChipsetGroup = named(new QGroupBox(wlanTab), "WLAN_Chipset_groupBox");
    auto* wlanChipsetLayout = new QHBoxLayout(wlanChipsetGroup);
    WLAN_Chipset_comboBox = named(new QComboBox(wlanChipsetGroup), "WLAN_Chipset_comboBox");
    WLAN_Chipset_comboBox->addItems({QString::fromLatin1(kWlanChipset), QString::fromLatin1(kDisabled)});
    wlan_DHCP_checkBox = named(new QCheckBox(wlanChipsetGroup), "wlan_DHCP_checkBox");
    wlanChipsetLayout->addWidget(WLAN_Chipset_comboBox);
    wlanChipsetLayout->addWidget(wlan_DHCP_checkBox);
    wlanLayout->addWidget(wlanChipsetGroup, 0, 0, 1, 2);
    textLabel1 = named(new QLabel(wlanTab), "textLabel1");
    WLAN_ESSID_lineEdit = named(new QLineEdit(wlanTab), "WLAN_ESSID_lineEdit");
    textLabel1_3 = named(new QLabel(wlanTab), "textLabel1_3");
    WLAN_Key_lineEdit = named(new QLineEdit(wlanTab), "WLAN_Key_lineEdit");
    wlan_IP_textLabel = named(new QLabel(wlanTab), "wlan_IP_textLabel");
    WLAN_IP_lineEdit = named(new QLineEdit(wlanTab), "WLAN_IP_lineEdit");
    wlan_GW_textLabel = named(new QLabel(wlanTab), "wlan_GW_textLabel");
    WLAN_Gateway_lineEdit = named(new QLineEdit(wlanTab), "WLAN_Gateway_lineEdit");
    wlan_netmask_textLabel = named(new QLabel(wlanTab), "wlan_netmask_textLabel");
    WLAN_Netmask_lineEdit = named(new QLineEdit(wlanTab), "WLAN_Netmask_lineEdit");
    row = 1;
    for (auto [label, field] :
         {std::pair{textLabel1, WLAN_ESSID_lineEdit}, std::pair{textLabel1_3, WLAN_Key_lineEdit},
          std::pair{wlan_IP_textLabel, WLAN_IP_lineEdit}, std::pair{wlan_GW_textLabel, WLAN_Gateway_lineEdit},
          std::pair{wlan_netmask_textLabel, WLAN_Netmask_lineEdit}}) {
        label->setBuddy(field);
        wlanLayout->addWidget(label, row, 0);
        wlanLayout->addWidget(field, row++, 1);
    }
    wlanLayout->setRowStretch(row, 1);
    Net_tabWidget->addTab(wlanTab, QString());

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttonOk = named(new QPushButton(this), "buttonOk");
    buttonOk->setAutoDefault(true);
    buttonOk->setDefault(true);
    buttonCancel = named(new QPushButton(this), "buttonCancel");
    buttonCancel->setAutoDefault(true);
    buttons->addWidget(buttonOk);
    buttons->addWidget(buttonCancel);
    top->addLayout(buttons);
}

void NetManagementDialog::languageChange()
{
    setWindowTitle(tr("Network Management"));
    Net_tabWidget->setToolTip(tr("Provide tab windows for all network management."));
    Net_tabWidget->setTabText(Net_tabWidget->indexOf(serverTab), tr("KVO Server"));
    Net_tabWidget->setTabText(Net_tabWidget->indexOf(lanTab), tr("LAN"));
    Net_tabWidget->setTabText(Net_tabWidget->indexOf(wlanTab), tr("WiFi"));

    KVO_IP_textLabel->setText(tr("Server IP Address:"));
    KVO_IP_lineEdit->setToolTip(tr("Enter KVO server IP address"));
    identificationGroup->setTitle(tr("Identification"));
    lan_path_radioButton->setText(tr("Use LAN path"));
    wlan_path_radioButton->setText(tr("Use WiFi path"));
    PlayerName_textLabel->setText(tr("Payer's new name:"));
    PlayerName_lineEdit->setToolTip(tr("Enter new player name"));
    dmz_checkBox->setText(tr("Use DMZ"));
    dmz_textLabel->setText(tr("My IP as seen by Server: \n(via DMZ etc.)"));
    NATIP_lineEdit->setToolTip(tr("This is the IP outside of firewall."));

    lanChipsetGroup->setTitle(tr("Chipset"));
    lan_DHCP_checkBox->setText(tr("enable DHCP"));
    IP_textLabel->setText(tr("LAN IP Address:"));
    IP_lineEdit->setToolTip(tr("Enter player's new IP address"));
    Gateway_IP_textLabel->setText(tr("GATEWAY IP Address:"));
    LAN_Gateway_lineEdit->setToolTip(tr("Enter optional gateway IP address"));
    lan_netmask_textLabel->setText(tr("NETMASK:"));
    LAN_Netmask_lineEdit->setToolTip(tr("Enter optional net mask"));

    wlanChipsetGroup->setTitle(tr("Chipset"));
    wlan_DHCP_checkBox->setText(tr("enable DHCP"));
    textLabel1->setText(tr("ESSID"));
    WLAN_ESSID_lineEdit->setToolTip(tr("Enter ESSID of the Access Point"));
    textLabel1_3->setText(tr("WEP KEY \n(10 or 26 HEX digits)"));
    WLAN_Key_lineEdit->setToolTip(tr("Enter WEP key"));
    wlan_IP_textLabel->setText(tr("WiFi Interface IP"));
    WLAN_IP_lineEdit->setToolTip(tr("Enter new IP address on the Wireless LAN interface"));
    wlan_GW_textLabel->setText(tr("GATEWAY"));
    WLAN_Gateway_lineEdit->setToolTip(tr("Enter gateway IP address of the Wireless LAN interface"));
    wlan_netmask_textLabel->setText(tr("NETMASK"));
    WLAN_Netmask_lineEdit->setToolTip(tr("Enter Netmask for the Wireless LAN interface"));

    buttonOk->setText(tr("&OK"));
    buttonCancel->setText(tr("&Cancel"));
}

void NetManagementDialog::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange)
        languageChange();
    QDialog::changeEvent(event);
}

void NetManagementDialog::fill_PlayerName(const QString& name)
{
    PlayerName_lineEdit->setText(name);
}

void NetManagementDialog::fill_IPLAN(QString ip)
{
    IP_lineEdit->setText(ip);
}

void NetManagementDialog::fill_WLANIP(const QString& ip)
{
    WLAN_IP_lineEdit->setText(ip);
}

void NetManagementDialog::fill_ESSID(const QString& essid)
{
    WLAN_ESSID_lineEdit->setText(essid);
}

void NetManagementDialog::fill_WEPKEY(const QString& key)
{
    WLAN_Key_lineEdit->setText(key);
}

void NetManagementDialog::fill_ServerIP(const QString& ip)
{
    KVO_IP_lineEdit->setText(ip);
}

void NetManagementDialog::fill_LANDEV(QString device)
{
    LAN_Chipset_comboBox->setCurrentIndex(device == QLatin1String(kLanChipset) ? 0 : 1);
}

void NetManagementDialog::fill_WLANDEV(const QString& device)
{
    WLAN_Chipset_comboBox->setCurrentIndex(device == QLatin1String(kWlanChipset) ? 0 : 1);
}

void NetManagementDialog::fill_LANGW(const QString& gateway, bool emptyShowsDefault)
{
    LAN_Gateway_lineEdit->setText(gateway.isEmpty() && emptyShowsDefault ? QString::fromLatin1(kDefaultGateway) : gateway);
}

void NetManagementDialog::fill_LANMASK(const QString& mask, bool emptyShowsDefault)
{
    LAN_Netmask_lineEdit->setText(mask.isEmpty() && emptyShowsDefault ? QString::fromLatin1(kDefaultNetmask) : mask);
}

void NetManagementDialog::fill_WLANGW(const QString& gateway, bool emptyShowsDefault)
{
    WLAN_Gateway_lineEdit->setText(gateway.isEmpty() && emptyShowsDefault ? QString::fromLatin1(kDefaultGateway) : gateway);
}

void NetManagementDialog::fill_WLANMASK(const QString& mask, bool emptyShowsDefault)
{
    WLAN_Netmask_lineEdit->setText(mask.isEmpty() && emptyShowsDefault ? QString::fromLatin1(kDefaultNetmask) : mask);
}

void NetManagementDialog::fill_DHCP(const QString& value, const QString& kind)
{
    const QString interfaceKind = kind.trimmed().toLower();
    if (interfaceKind == QLatin1String("lan")) {
        lan_DHCP_checkBox->setChecked(isTruthWord(value));
        lan_DHCP_toggled();
    } else if (interfaceKind == QLatin1String("wlan")) {
        wlan_DHCP_checkBox->setChecked(isTruthWord(value));
        wlan_DHCP_toggled();
    }
}

void NetManagementDialog::fill_DMZ(const QString& flag, const QString& ip)
{
    dmz_checkBox->setChecked(isTruthWord(flag));
    dmz_toggled();
    NATIP_lineEdit->setText(ip.trimmed());
}

void NetManagementDialog::lan_DHCP_toggled()
{
    setEnabledAll({IP_textLabel, IP_lineEdit, Gateway_IP_textLabel, LAN_Gateway_lineEdit, lan_netmask_textLabel,
                   LAN_Netmask_lineEdit},
                  !lan_DHCP_checkBox->isChecked());
}

void NetManagementDialog::wlan_DHCP_toggled()
{
    setEnabledAll({wlan_IP_textLabel, WLAN_IP_lineEdit, wlan_GW_textLabel, WLAN_Gateway_lineEdit,
                   wlan_netmask_textLabel, WLAN_Netmask_lineEdit},
                  !wlan_DHCP_checkBox->isChecked());
}

void NetManagementDialog::dmz_toggled()
{
    setEnabledAll({dmz_textLabel, NATIP_lineEdit}, dmz_checkBox->isChecked());
}

void NetManagementDialog::net_dialog_ok()
{
    NetworkForm form;
    form.lanChipset = LAN_Chipset_comboBox->currentText();
    form.lanIndex = LAN_Chipset_comboBox->currentIndex();
    form.wlanChipset = WLAN_Chipset_comboBox->currentText();
    form.wlanIndex = WLAN_Chipset_comboBox->currentIndex();
    form.wepKey = WLAN_Key_lineEdit->text();
    form.name = PlayerName_lineEdit->text();
    form.lanIp = IP_lineEdit->text();
    form.lanGateway = LAN_Gateway_lineEdit->text();
    form.lanMask = LAN_Netmask_lineEdit->text();
    form.lanDhcp = lan_DHCP_checkBox->isChecked();
    form.serverIp = KVO_IP_lineEdit->text();
    form.essid = WLAN_ESSID_lineEdit->text();
    form.wlanIp = WLAN_IP_lineEdit->text();
    form.wlanGateway = WLAN_Gateway_lineEdit->text();
    form.wlanMask = WLAN_Netmask_lineEdit->text();
    form.wlanDhcp = wlan_DHCP_checkBox->isChecked();
    form.dmz = dmz_checkBox->isChecked();
    form.dmzIp = NATIP_lineEdit->text();

    const NetworkCheck check = checkNetworkForm(form);
    if (!check.ok) {
        showInformation(this, check.title, check.text);
        reject();
        return;
    }
    const NetworkSettings& s = check.settings;
    // A receiver that cannot apply the settings (its player has gone) closes
    // the dialog: then there is nothing to confirm.
    bool closed = false;
    const auto watch = connect(this, &QDialog::finished, this, [&closed] { closed = true; });
    emit NewPlayerName(s.name);
    emit NewPlayerIP(s.lanDevice, s.lanDhcp, s.lanIp, s.lanGateway, s.lanMask);
    emit NewServerIP(s.serverIp);
    emit NewWLANSetup(s.wlanDevice, s.essid, s.wepKey, s.wlanDhcp, s.wlanIp, s.wlanGateway, s.wlanMask);
    emit NewDMZSettings(s.dmz, s.dmzIp);
    disconnect(watch);
    if (closed)
        return;
    showInformation(this, tr("Network management:"),
                    tr("All changes in networking parameters will take effect after next reboot."));
    accept();
}
