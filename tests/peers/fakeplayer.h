#pragma once

// A player inside the test process: an XML-RPC server on a loopback port that records every call and
// answers it from a script, at once or when released, and the player's item with a client aimed at it,
// registered with a command channel as admission registers a real player's client.

#include "players/commandchannel.h"
#include "players/playeritem.h"
#include "xmlrpc/xrclient.h"
#include "xmlrpc/xrserver.h"

#include <QListWidget>
#include <QPointer>
#include <QTest>

class FakePlayer
{
public:
    struct Call {
        QString method;
        QVariantList params;
    };

    FakePlayer(QListWidget* view, CommandChannel& channel, const QString& name)
    {
        // Held calls keep their connections open.
        m_server.setMaxConnectionsPerPeer(256);
        QObject::connect(&m_server, &XRServer::methodCall, &m_server,
                         [this](int id, const QString& method, const QVariantList& params, bool& handled) {
                             handled = true;
                             calls.append({method, params});
                             if (held.contains(method))
                                 m_waiting.append({id, method});
                             else
                                 answer(id, method);
                         });
        item = new PlayerItem(view, name, false, false);
        item->setName(name);
        item->setIpAddress(QStringLiteral("127.0.0.1"));
        auto* client = new XRClient(QUrl(QStringLiteral("http://127.0.0.1:%1/RPC2").arg(m_server.serverPort())),
                                    nullptr, QStringLiteral("xml-rpc_client") + name + QStringLiteral(":127.0.0.1"));
        channel.setClient(name, client);
        item->setClient(client);
    }

    QHash<QString, QVariant> replies; // the result of each method (an empty string when none is set)
    QHash<QString, QString> faults;   // methods answered with a fault of this text
    QSet<QString> held;               // methods whose calls wait for release()
    QList<Call> calls;
    QPointer<PlayerItem> item;

    // Answers the waiting calls.
    void release()
    {
        for (const auto& [id, name] : std::exchange(m_waiting, {}))
            answer(id, name);
    }
    int waiting() const { return int(m_waiting.size()); }

    QStringList methods() const
    {
        QStringList names;
        for (const Call& call : calls)
            names.append(call.method);
        return names;
    }
    QList<QVariantList> paramsOf(const QString& method) const
    {
        QList<QVariantList> found;
        for (const Call& call : calls)
            if (call.method == method)
                found.append(call.params);
        return found;
    }

private:
    void answer(int id, const QString& method)
    {
        if (faults.contains(method))
            m_server.sendFault(id, 1, faults.value(method));
        else
            m_server.sendMethodResponse(id, replies.value(method, QString()));
    }

    XRServer m_server{0, 5, nullptr, QStringLiteral("fake player"), QHostAddress::LocalHost};
    QList<QPair<int, QString>> m_waiting;
};

// Each call a fake player received as "method: param|param|...".
inline QStringList callLines(const FakePlayer& player, const QString& method = QString())
{
    QStringList lines;
    for (const FakePlayer::Call& call : player.calls)
        if (method.isEmpty() || call.method == method)
            lines.append(call.method + ": " + QVariant(call.params).toStringList().join('|'));
    return lines;
}

// Waits until the channel has no call outstanding.
inline bool channelIdle(const CommandChannel& channel, int timeoutMs = 5000)
{
    return QTest::qWaitFor([&] { return channel.outstanding() == 0; }, timeoutMs);
}
