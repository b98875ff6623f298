#pragma once

// The controller's registration service: answers the players' registration
// heartbeat and their batch-download progress reports, and passes both on.

#include "xmlrpc/xrserver.h"

#include <QElapsedTimer>
#include <QStringList>

class QXRKVOServer : public XRServer
{
    Q_OBJECT

public:
    static constexpr int kRegistrationFieldCount = 20;
    // How long a looked-up own address is reused. The lookup blocks and
    // costs a dozen system calls; heartbeats of a whole fleet would repeat
    // it many times a second.
    static constexpr int kOwnAddressLifetimeMs = 5000;

    QXRKVOServer(quint16 port, int backlog, QObject* parent = nullptr, const QString& name = QString(),
                 const QHostAddress& address = QHostAddress::Any);

public slots:
    // "Kivo_SVR.registerNewPlayer": answers with the controller's own IPv4
    // address, then emits the 20-field registration record.
    void registerNewPlayer(int id, const QString& methodname, const QVariantList& params, bool& handled);
    // "Kivo_SVR.wgetProgress": answers "0", then emits address and progress line.
    void wget_progress(int id, const QString& methodname, const QVariantList& params, bool& handled);

signals:
    void NewPlayerRegistration(QStringList record);
    void update_wget_progress(QString& address, QString& progress);

private:
    QString ownAddress();

    QString m_ownAddress;
    QElapsedTimer m_ownAddressAge;
};

