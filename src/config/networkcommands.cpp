#include "config/networkcommands.h"

#include "config/networkdialog.h"
#include "config/networksettings.h"
#include "config/playerdialogscope.h"
#include "config/virtualsettings.h"
#include "core/ownaddress.h"
#include "players/commandchannel.h"
#include "players/playeritem.h"
#include "ui/prompts.h"

#include <memory>

using namespace netsettings;

namespace {

void fillFromItem(NetManagementDialog& dialog, const PlayerItem* item)
{
    dialog.fill_PlayerName(item->name());
    dialog.fill_IPLAN(item->lanIp());
    dialog.fill_WLANIP(item->wlanIp());
    dialog.fill_ESSID(item->essid());
    dialog.fill_WEPKEY(item->wepKey());
    dialog.fill_ServerIP(item->serverIp());
    dialog.fill_LANDEV(item->lanDevice());
    dialog.fill_WLANDEV(item->wlanDevice());
    dialog.fill_DHCP(item->dhcp(QStringLiteral("lan")), QStringLiteral("lan"));
    dialog.fill_LANGW(item->lanGateway());
    dialog.fill_LANMASK(item->lanMask());
    dialog.fill_WLANGW(item->wlanGateway());
    dialog.fill_WLANMASK(item->wlanMask());
    dialog.fill_DHCP(item->dhcp(QStringLiteral("wlan")), QStringLiteral("wlan"));
    dialog.fill_DMZ(item->dmzFlag(), item->dmzIp());
}

// A virtual player's settings live in its files: the dialog shows what they
// hold, so that OK without a change writes them again as they are. Only what
// they lack comes from the item and the start values of a new virtual player.
void fillFromFiles(NetManagementDialog& dialog, const PlayerItem* item)
{
    const auto read = [item](const char* file) {
        return readEnvironment(readVirtualSettings(item, QString::fromLatin1(file)));
    };
    const QHash<QString, QString> lan = read(kLanFile), wlan = read(kWlanFile), nat = read(kNatFile),
                                  server = read(kServerFile);
    const auto stored = [](const QHash<QString, QString>& file, const char* key, const QString& absent) {
        return file.value(QLatin1String(key), absent);
    };
    const auto has = [](const QHash<QString, QString>& file, const char* key) {
        return file.contains(QLatin1String(key));
    };
    dialog.fill_PlayerName(item->name());
    dialog.fill_IPLAN(stored(lan, "IPLAN", item->lanIp()));
    dialog.fill_WLANIP(stored(wlan, "IPWLAN", item->wlanIp()));
    dialog.fill_ESSID(stored(wlan, "ESSID", item->essid()));
    dialog.fill_WEPKEY(stored(wlan, "KEY", item->wepKey()));
    dialog.fill_ServerIP(stored(server, "KVOSVR", GetOwnIPAddress()));
    dialog.fill_LANDEV(stored(lan, "LAN", QString::fromLatin1(kLanChipset)));
    dialog.fill_WLANDEV(stored(wlan, "WLAN", QString::fromLatin1(kDisabled)));
    dialog.fill_DHCP(stored(lan, "LANDHCP", QStringLiteral("on")), QStringLiteral("lan"));
    dialog.fill_LANGW(stored(lan, "LANGW", item->lanGateway()), !has(lan, "LANGW"));
    dialog.fill_LANMASK(stored(lan, "LANMASK", item->lanMask()), !has(lan, "LANMASK"));
    dialog.fill_WLANGW(stored(wlan, "WLANGW", item->wlanGateway()), !has(wlan, "WLANGW"));
    dialog.fill_WLANMASK(stored(wlan, "WLANMASK", item->wlanMask()), !has(wlan, "WLANMASK"));
    dialog.fill_DHCP(stored(wlan, "WLANDHCP", item->dhcp(QStringLiteral("wlan"))), QStringLiteral("wlan"));
    dialog.fill_DMZ(stored(nat, "DMZ", item->dmzFlag()), stored(nat, "DMZIP", item->dmzIp()));
}

} // namespace

NetworkCommands::NetworkCommands(CommandChannel& channel, QWidget* window, QObject* parent)
    : QObject(parent)
    , m_channel(channel)
    , m_window(window)
{
}

PlayerItem* NetworkCommands::target()
{
    if (m_open)
        return m_open->player();
    showWarning(m_window, tr("Operational error"), tr("No player is selected"));
    return nullptr;
}

void NetworkCommands::openNetworkDialog(PlayerItem* item)
{
    if (!item)
        return;
    const std::unique_ptr<NetManagementDialog> dialog(
        new NetManagementDialog(m_window, QString::fromLatin1(playerDialogName(item))));
    if (item->isVirtual())
        fillFromFiles(*dialog, item);
    else
        fillFromItem(*dialog, item);

    const auto reportFailure = [this](bool connected, const QString& text) {
        if (!connected)
            showCritical(m_window, tr("PlayerManagementMenu"), text, QMessageBox::Ignore);
    };
    reportFailure(bool(connect(dialog.get(), &NetManagementDialog::NewPlayerName, this, &NetworkCommands::SetPlayerName)),
                  tr("connect(NewPlayerName) fails, this is an internal error, subsequent operations are not "
                     "reliable,  please report this to your vendor."));
    reportFailure(bool(connect(dialog.get(), &NetManagementDialog::NewPlayerIP, this, &NetworkCommands::SetPlayerIP)),
                  tr("connect(NewPlayerIP) fails, this is an internal error, subsequent operations are not "
                     "reliable,  please report this to your vendor."));
    reportFailure(bool(connect(dialog.get(), &NetManagementDialog::NewServerIP, this, &NetworkCommands::SetServerIP)),
                  tr("connect(NewServerIP) fails, this is an internal error, subsequent operations are not "
                     "reliable,  please report this to your vendor."));
    reportFailure(bool(connect(dialog.get(), &NetManagementDialog::NewWLANSetup, this, &NetworkCommands::WLANSetup)),
                  tr("connect(WLANSetup) fails, this is an internal error,subsequent operations may be affected, "
                     "please report this to your vendor."));
    reportFailure(bool(connect(dialog.get(), &NetManagementDialog::NewDMZSettings, this, &NetworkCommands::SetDMZ)),
                  tr("connect(DMZ setting) fails, this is an internal error,subsequent operations may be affected, "
                     "please report this to your vendor."));
    PlayerDialogScope scope(m_open, item, dialog.get());
    scope.exec();
}

void NetworkCommands::SetPlayerName(QString name)
{
    PlayerItem* item = target();
    if (!item)
        return;
    // A virtual player keeps its name in its item only.
    if (!item->isVirtual())
        m_channel.send(item, QStringLiteral("Kivo.SetPlayerName"), {nameForPlayer(name)});
    item->setName(name);
}

void NetworkCommands::SetPlayerIP(QString chipset, QString dhcp, QString ip, QString gateway, QString mask)
{
    PlayerItem* item = target();
    if (!item)
        return;
    if (item->isVirtual()) {
        writeVirtualSettings(m_window, item, QString::fromLatin1(kLanFile),
                             environmentText(lanLines(chipset, dhcp, ip, gateway, mask)));
    } else {
        m_channel.send(item, QStringLiteral("Kivo.SetPlayerIP"), {chipset, dhcp, ip, gateway, mask});
    }
    item->setLanDevice(chipset);
    item->setDhcp(dhcp, QStringLiteral("LAN"));
    item->setLanIp(ip);
    item->setLanGateway(gateway);
    item->setLanMask(mask);
}

void NetworkCommands::SetServerIP(QString ip)
{
    PlayerItem* item = target();
    if (!item)
        return;
    if (item->isVirtual())
        writeVirtualSettings(m_window, item, QString::fromLatin1(kServerFile), environmentText(serverLines(ip)));
    else
        m_channel.send(item, QStringLiteral("Kivo.SetServerIP"), {ip});
    item->setServerIp(ip);
}

void NetworkCommands::WLANSetup(QString chipset, QString essid, QString key, QString dhcp, QString ip,
                                QString gateway, QString mask)
{
    PlayerItem* item = target();
    if (!item)
        return;
    if (item->isVirtual()) {
        writeVirtualSettings(m_window, item, QString::fromLatin1(kWlanFile),
                             environmentText(wlanLines(chipset, essid, key, dhcp, ip, gateway, mask)));
    } else {
        m_channel.send(item, QStringLiteral("Kivo.WLANSetup"), {chipset, essid, key, dhcp, ip, gateway, mask});
    }
    item->setWlanDevice(chipset);
    item->setEssid(essid);
    item->setWepKey(key);
    item->setDhcp(dhcp, QStringLiteral("WLAN"));
    item->setWlanIp(ip);
    item->setWlanGateway(gateway);
    item->setWlanMask(mask);
}

void NetworkCommands::SetDMZ(QString flag, QString ip)
{
    PlayerItem* item = target();
    if (!item)
        return;
    if (item->isVirtual())
        writeVirtualSettings(m_window, item, QString::fromLatin1(kNatFile), environmentText(natLines(flag, ip)));
    else
        m_channel.send(item, QStringLiteral("Kivo.SetDMZ"), {flag, ip});
    item->setDmzFlag(flag);
    item->setDmzIp(ip);
}
