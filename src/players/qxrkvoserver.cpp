#include "players/qxrkvoserver.h"

#include "app/ownaddress.h"

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

void QXRKVOServer::registerNewPlayer(int id, const QString& methodname, const QVariantList& params,
                                     bool& handled)
{
    if (handled || methodname != QLatin1String("Kivo_SVR.registerNewPlayer"))
        return;
    handled = true;
    const QStringList record = paramsAsText(params, kRegistrationFieldCount);
    // The player gets its answer before admission runs, whatever admission decides.
    sendMethodResponse(id, ownAddress());
    emit NewPlayerRegistration(record);
}

void QXRKVOServer::wget_progress(int id, const QString& methodname, const QVariantList& params,
                                 bool& handled)
{
    if (handled || methodname != QLatin1String("Kivo_SVR.wgetProgress"))
        return;
    handled = true;
    QStringList texts = paramsAsText(params, 2);
    sendMethodResponse(id, QStringLiteral("0"));
    emit update_wget_progress(texts[0], texts[1]);
}

QString QXRKVOServer::ownAddress()
{
    if (!m_ownAddressAge.isValid() || m_ownAddressAge.hasExpired(kOwnAddressLifetimeMs)) {
        m_ownAddress = GetOwnIPAddress();
        m_ownAddressAge.start();
    }
    return m_ownAddress;
}
