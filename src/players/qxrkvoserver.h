#pragma once

// The controller's registration service: answers the players' registration
// heartbeat and their batch-download progress reports, and passes both on.

#include "xmlrpc/xrserver.h"

#include <QStringList>

class QXRKVOServer : public XRServer
{
    Q_OBJECT

public:
    static constexpr int kRegistrationFieldCount = 20;

    QXRKVOServer(quint16 port, int backlog, QObject* parent = nullptr, const QString& name = QString(),
                 const QHostAddress& address = QHostAddress::Any);

public slots:
    // "Kivo_SVR.registerNewPlayer": answers with the controller's IPv4
    // address as the player reached it, then emits the 20-field registration
    // record from the event loop.
    void registerNewPlayer(int id, const QString& methodname, const QVariantList& params, bool& handled);
    // "Kivo_SVR.wgetProgress": answers "0", then emits address and progress
    // line from the event loop.
    void wget_progress(int id, const QString& methodname, const QVariantList& params, bool& handled);

signals:
    void NewPlayerRegistration(QStringList record);
    void update_wget_progress(QString& address, QString& progress);

private:
    // The local address of the connection request id came on, as IPv4 text;
    // the machine's own address when that is no IPv4 address.
    QString reachedAddress(int id) const;
    void passOnRegistrations();

    // Registrations answered but not yet passed on, oldest first.
    QList<QStringList> m_registrations;
};

