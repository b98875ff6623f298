// A player's network settings from the main window: the network dialog, the
// five calls (or environment files of a virtual player) it leads to, and the
// rule that a settings dialog acts on the player it was opened for.

#include "window/kvo_form.h"

#include "core/atomicfile.h"
#include "core/ownaddress.h"
#include "config/networkdialog.h"
#include "config/networksettings.h"
#include "players/playeritem.h"
#include "ui/prompts.h"

#include <QDir>

#include <memory>

using namespace netsettings;

PlayerItem* kvo_Form::settingsTarget(bool warnWhenNone)
{
    if (!m_settingsDialogRunning)
        return warnWhenNone ? currentPlayerOrWarning() : currentPlayer();
    if (m_settingsPlayer)
        return m_settingsPlayer;
    // The player went (silent for too long) while its dialog was open: its
    // settings must not go to whichever player is current now.
    if (!m_settingsPlayerGoneShown) {
        m_settingsPlayerGoneShown = true;
        showWarning(this, tr("Operational error"), tr("No player is selected"));
    }
    if (m_settingsDialog)
        m_settingsDialog->reject();
    return nullptr;
}

int kvo_Form::runSettingsDialog(QDialog* dialog, PlayerItem* item)
{
    // Modal, so never nested; kept anyway so that an inner run cannot leave
    // the outer one without its player.
    const QPointer<QDialog> outerDialog = m_settingsDialog;
    const QPointer<PlayerItem> outerPlayer = m_settingsPlayer;
    const bool outerRunning = m_settingsDialogRunning;
    const bool outerShown = m_settingsPlayerGoneShown;
    m_settingsDialog = dialog;
    m_settingsPlayer = item;
    m_settingsDialogRunning = true;
    m_settingsPlayerGoneShown = false;
    const int result = prompts().execDialog(dialog);
    m_settingsDialog = outerDialog;
    m_settingsPlayer = outerPlayer;
    m_settingsDialogRunning = outerRunning;
    m_settingsPlayerGoneShown = outerShown;
    return result;
}

void kvo_Form::writeVirtualSettings(PlayerItem* item, const QString& file, const QByteArray& text)
{
    const QString path = item->virtualDirectory() + file;
    QString error;
    if (!writeFileAtomically(path, text, &error)) {
        showWarning(this, tr("Virtual player"),
                    tr("The settings file %1 could not be written: %2").arg(QDir::toNativeSeparators(path), error));
    }
}

void kvo_Form::openNetworkDialog(PlayerItem* item)
{
    if (!item)
        return;
    const std::unique_ptr<NetManagementDialog> dialog(new NetManagementDialog(this, item->name()));
    dialog->fill_PlayerName(item->name());
    dialog->fill_IPLAN(item->lanIp());
    dialog->fill_WLANIP(item->wlanIp());
    dialog->fill_ESSID(item->essid());
    dialog->fill_WEPKEY(item->wepKey());
    if (item->isVirtual()) {
        dialog->fill_ServerIP(GetOwnIPAddress());
        dialog->fill_LANDEV(QString::fromLatin1(kLanChipset));
        dialog->fill_WLANDEV(QString::fromLatin1(kDisabled));
        dialog->fill_DHCP(QStringLiteral("on"), QStringLiteral("lan"));
    } else {
        dialog->fill_ServerIP(item->serverIp());
        dialog->fill_LANDEV(item->lanDevice());
        dialog->fill_WLANDEV(item->wlanDevice());
        dialog->fill_DHCP(item->dhcp(QStringLiteral("lan")), QStringLiteral("lan"));
    }
    dialog->fill_LANGW(item->lanGateway());
    dialog->fill_LANMASK(item->lanMask());
    dialog->fill_WLANGW(item->wlanGateway());
    dialog->fill_WLANMASK(item->wlanMask());
    dialog->fill_DHCP(item->dhcp(QStringLiteral("wlan")), QStringLiteral("wlan"));
    dialog->fill_DMZ(item->dmzFlag(), item->dmzIp());

    const auto reportFailure = [this](bool connected, const QString& text) {
        if (!connected)
            showCritical(this, tr("PlayerManagementMenu"), text, QMessageBox::Ignore);
    };
    reportFailure(bool(connect(dialog.get(), &NetManagementDialog::NewPlayerName, this, &kvo_Form::SetPlayerName)),
                  tr("connect(NewPlayerName) fails, this is an internal error, subsequent operations are not "
                     "reliable,  please report this to your vendor."));
    reportFailure(bool(connect(dialog.get(), &NetManagementDialog::NewPlayerIP, this, &kvo_Form::SetPlayerIP)),
                  tr("connect(NewPlayerIP) fails, this is an internal error, subsequent operations are not "
                     "reliable,  please report this to your vendor."));
    reportFailure(bool(connect(dialog.get(), &NetManagementDialog::NewServerIP, this, &kvo_Form::SetServerIP)),
                  tr("connect(NewServerIP) fails, this is an internal error, subsequent operations are not "
                     "reliable,  please report this to your vendor."));
    reportFailure(bool(connect(dialog.get(), &NetManagementDialog::NewWLANSetup, this, &kvo_Form::WLANSetup)),
                  tr("connect(WLANSetup) fails, this is an internal error,subsequent operations may be affected, "
                     "please report this to your vendor."));
    reportFailure(bool(connect(dialog.get(), &NetManagementDialog::NewDMZSettings, this, &kvo_Form::SetDMZ)),
                  tr("connect(DMZ setting) fails, this is an internal error,subsequent operations may be affected, "
                     "please report this to your vendor."));
    runSettingsDialog(dialog.get(), item);
}

void kvo_Form::SetPlayerName(QString name)
{
    PlayerItem* item = settingsTarget(true);
    if (!item)
        return;
    // A virtual player keeps its name in its item only.
    if (!item->isVirtual())
        sendCommand(item, QStringLiteral("Kivo.SetPlayerName"), {nameForPlayer(name)});
    item->setName(name);
}

void kvo_Form::SetPlayerIP(QString chipset, QString dhcp, QString ip, QString gateway, QString mask)
{
    PlayerItem* item = settingsTarget(true);
    if (!item)
        return;
    if (item->isVirtual()) {
        writeVirtualSettings(item, QString::fromLatin1(kLanFile),
                             environmentText(lanLines(chipset, dhcp, ip, gateway, mask)));
    } else {
        sendCommand(item, QStringLiteral("Kivo.SetPlayerIP"), {chipset, dhcp, ip, gateway, mask});
    }
    item->setLanDevice(chipset);
    item->setDhcp(dhcp, QStringLiteral("LAN"));
    item->setLanIp(ip);
    item->setLanGateway(gateway);
    item->setLanMask(mask);
}

void kvo_Form::SetServerIP(QString ip)
{
    PlayerItem* item = settingsTarget(true);
    if (!item)
        return;
    if (item->isVirtual())
        writeVirtualSettings(item, QString::fromLatin1(kServerFile), environmentText(serverLines(ip)));
    else
        sendCommand(item, QStringLiteral("Kivo.SetServerIP"), {ip});
    item->setServerIp(ip);
}

void kvo_Form::WLANSetup(QString chipset, QString essid, QString key, QString dhcp, QString ip, QString gateway,
                         QString mask)
{
    PlayerItem* item = settingsTarget(true);
    if (!item)
        return;
    if (item->isVirtual()) {
        writeVirtualSettings(item, QString::fromLatin1(kWlanFile),
                             environmentText(wlanLines(chipset, essid, key, dhcp, ip, gateway, mask)));
    } else {
        sendCommand(item, QStringLiteral("Kivo.WLANSetup"), {chipset, essid, key, dhcp, ip, gateway, mask});
    }
    item->setWlanDevice(chipset);
    item->setEssid(essid);
    item->setWepKey(key);
    item->setDhcp(dhcp, QStringLiteral("WLAN"));
    item->setWlanIp(ip);
    item->setWlanGateway(gateway);
    item->setWlanMask(mask);
}

void kvo_Form::SetDMZ(QString flag, QString ip)
{
    PlayerItem* item = settingsTarget(true);
    if (!item)
        return;
    if (item->isVirtual())
        writeVirtualSettings(item, QString::fromLatin1(kNatFile), environmentText(natLines(flag, ip)));
    else
        sendCommand(item, QStringLiteral("Kivo.SetDMZ"), {flag, ip});
    item->setDmzFlag(flag);
    item->setDmzIp(ip);
}
