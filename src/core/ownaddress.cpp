#include "core/ownaddress.h"

#include <QHostAddress>
#include <QNetworkInterface>

QString GetOwnIPAddress()
{
    // The host name often resolves to a loopback address (127.0.1.1 on
    // Debian), which tells a player nothing: look at the interfaces instead.
    QString loopback;
    for (const QNetworkInterface& interface : QNetworkInterface::allInterfaces()) {
        const QNetworkInterface::InterfaceFlags flags = interface.flags();
        if (!flags.testFlag(QNetworkInterface::IsUp) || !flags.testFlag(QNetworkInterface::IsRunning))
            continue;
        for (const QNetworkAddressEntry& entry : interface.addressEntries()) {
            const QHostAddress address = entry.ip();
            if (address.protocol() != QAbstractSocket::IPv4Protocol)
                continue;
            if (!address.isLoopback())
                return address.toString();
            if (loopback.isEmpty())
                loopback = address.toString();
        }
    }
    return loopback;
}
