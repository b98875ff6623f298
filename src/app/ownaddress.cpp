#include "app/ownaddress.h"

#include <QHostAddress>
#include <QHostInfo>

QString GetOwnIPAddress()
{
    const QHostInfo info = QHostInfo::fromName(QHostInfo::localHostName());
    for (const QHostAddress& address : info.addresses()) {
        bool isIPv4 = false;
        const quint32 ipv4 = address.toIPv4Address(&isIPv4);
        if (isIPv4)
            return QHostAddress(ipv4).toString();
    }
    return QString();
}
