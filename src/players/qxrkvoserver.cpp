#include "players/qxrkvoserver.h"

#include "core/ownaddress.h"

#include <QPointer>

namespace {

// Parameters 0 to count-1 as text: missing positions, structs and arrays give
// empty text, every other value its variant text form (5, true, ...).
QStringList paramsAsText(const QVariantList& params, int count)
{
    QStringList texts;
    texts.reserve(count);
    for (int i = 0; i < count; ++i) {
        const QVariant value = params.value(i);
        const int type = value.typeId();
        texts.append(type == QMetaType::QVariantList || type == QMetaType::QVariantMap
                         ? QString()
                         : value.toString());
    }
    return texts;
}

} // namespace

QXRKVOServer::QXRKVOServer(quint16 port, int backlog, QObject* parent, const QString& name,
                           const QHostAddress& address)
    : XRServer(port, backlog, parent, name, address)
{
    connect(this, &XRServer::methodCall, this, &QXRKVOServer::registerNewPlayer);
    connect(this, &XRServer::methodCall, this, &QXRKVOServer::wget_progress);
}

// Both signals are emitted from the event loop, after the socket handler that
// read the call has returned: their receivers may open modal boxes, whose
// event loops may close and free the connection the call came on.

void QXRKVOServer::registerNewPlayer(int id, const QString& methodname, const QVariantList& params,
                                     bool& handled)
{
    if (handled || methodname != QLatin1String("Kivo_SVR.registerNewPlayer"))
        return;
    handled = true;
    const QStringList record = paramsAsText(params, kRegistrationFieldCount);
    // The player gets its answer before admission runs, whatever admission decides.
    sendMethodResponse(id, reachedAddress(id));
    // Records read in one event-loop turn are passed on together in the next:
    // one posted event for a burst of heartbeats rather than one each.
    m_registrations.append(record);
    if (m_registrations.size() == 1)
        QMetaObject::invokeMethod(this, &QXRKVOServer::passOnRegistrations, Qt::QueuedConnection);
}

void QXRKVOServer::passOnRegistrations()
{
    // A receiver may run an event loop (a box), in which more records
    // arrive: they queue behind the rest, so a player's records keep their order.
    QPointer<QXRKVOServer> guard(this);
    while (guard && !m_registrations.isEmpty())
        emit NewPlayerRegistration(m_registrations.takeFirst());
}

void QXRKVOServer::wget_progress(int id, const QString& methodname, const QVariantList& params,
                                 bool& handled)
{
    if (handled || methodname != QLatin1String("Kivo_SVR.wgetProgress"))
        return;
    handled = true;
    const QStringList texts = paramsAsText(params, 2);
    sendMethodResponse(id, QStringLiteral("0"));
    QMetaObject::invokeMethod(
        this,
        [this, texts] {
            QString address = texts[0];
            QString progress = texts[1];
            emit update_wget_progress(address, progress);
        },
        Qt::QueuedConnection);
}

QString QXRKVOServer::reachedAddress(int id) const
{
    bool isIPv4 = false;
    const quint32 ipv4 = requestLocalAddress(id).toIPv4Address(&isIPv4);
    return isIPv4 ? QHostAddress(ipv4).toString() : GetOwnIPAddress();
}
