#include "players/commandchannel.h"

#include "core/displaytext.h"
#include "players/playeritem.h"
#include "ui/events.h"
#include "ui/prompts.h"
#include "xmlrpc/xrclient.h"

#include <QCoreApplication>

#include <array>
#include <utility>

CommandChannel::CommandChannel(QWidget* window, QObject* parent)
    : QObject(parent)
    , m_window(window)
{
}

CommandChannel::~CommandChannel()
{
    // A client destroyed with a call in flight reports a fault, which must not
    // reach a channel that is half gone.
    for (XRClient* client : findChildren<XRClient*>(Qt::FindDirectChildrenOnly))
        client->disconnect(this);
}

int CommandChannel::send(PlayerItem* player, const QString& method, const QVariantList& params, Delivery delivery)
{
    XRClient* client = player ? player->client() : nullptr;
    if (!client)
        return 0;
    const int id = client->call(method, params);
    m_requests.insert(id, {method, player, delivery});
    return id;
}

void CommandChannel::setClient(const QString& playerName, XRClient* client)
{
    client->setParent(this);
    connect(client, &XRClient::methodResponse, this, &CommandChannel::ProcessResponse);
    connect(client, &XRClient::fault, this, &CommandChannel::ProcessFault);
    if (XRClient* previous = m_clients.value(playerName); previous && previous != client)
        retire(previous);
    m_clients.insert(playerName, client);
}

XRClient* CommandChannel::client(const QString& playerName) const
{
    return m_clients.value(playerName).data();
}

void CommandChannel::retire(XRClient* client)
{
    // A replaced or departed player's client still completes the requests it
    // carries, then goes.
    if (client->pendingCalls() == 0) {
        client->deleteLater();
        return;
    }
    const auto deleteWhenIdle = [client] {
        if (client->pendingCalls() == 0)
            client->deleteLater();
    };
    connect(client, &XRClient::methodResponse, client, deleteWhenIdle, Qt::QueuedConnection);
    connect(client, &XRClient::fault, client, deleteWhenIdle, Qt::QueuedConnection);
}

void CommandChannel::ProcessResponse(int id, const QVariant& result)
{
    const auto found = m_requests.constFind(id);
    if (found == m_requests.constEnd())
        return;
    const Request request = *found;
    m_requests.erase(found);
    if (request.player)
        request.player->noteCallAnswered();
    // A reply nothing completes ends its request all the same.
    if (replyBranch(request.method) != ReplyBranch::None) {
        emit statusMessage(completionText(request.method, id, outstanding()));
        // The reply of a player that has gone concerns nobody any more.
        if (request.player) {
            const QPointer<CommandChannel> alive(this);
            const bool outer = std::exchange(m_replyIsQuiet, request.delivery == Delivery::Quiet);
            emit replied(request.method, request.player, result);
            if (!alive)
                return;
            m_replyIsQuiet = outer;
        }
    }
    emit answered(id, request.method, result);
}

void CommandChannel::ProcessFault(int id, int, const QString& message)
{
    const Request request = m_requests.take(id);
    if (request.player)
        request.player->noteCallFailed(message);
    if (request.delivery == Delivery::Quiet) {
        emit failed(request.method, request.player, message);
        emit faulted(id, request.method, message);
        return;
    }
    events::commandFault(request.method,
                         events::faultPlayerName(request.player ? request.player->name() : QString(), sender()),
                         message);
    emit failed(request.method, request.player, message);
    emit faulted(id, request.method, message);
    // One fault box at a time: a player failing call after call, or many
    // players at once, must not bury the window in boxes. Faults that come
    // while the box is open are in the Events pane; the operator learns how
    // many when it closes.
    if (m_faultBoxOpen) {
        ++m_faultsWhileBoxOpen;
        emit statusMessage(faultStatusText(id, message));
        return;
    }
    m_faultBoxOpen = true;
    const QPointer<CommandChannel> alive(this);
    showInformation(m_window, request.method + tr(" Error"), faultMessageText(message));
    if (!alive)
        return;
    m_faultBoxOpen = false;
    emit statusMessage(faultStatusText(id, message));
    if (const int more = std::exchange(m_faultsWhileBoxOpen, 0))
        emit statusMessage(moreFaultsText(more));
}

ReplyBranch replyBranch(const QString& method)
{
    static const std::array<const char*, int(ReplyBranch::None)> names = {
        "Kivo.GetMediaFileList", "Kivo.GetLogList", "Kivo.GetList", "Kivo.SetVolume", "Kivo.GetVolume",
        "Kivo.DeleteMediaFile", "Kivo.DeletePlaylistItem", "Kivo.DeleteLogFile", "Kivo.PlaySingle",
        "Kivo.Sleep", "Kivo.PlayALL", "Kivo.FreeSpace", "Kivo.VideoMode", "Kivo.SetScreenLayout",
        "Kivo.GetScreenLayout", "Kivo.FirmwareVersion", "Kivo.SyncDateTime", "Kivo.SetPlayerIP",
        "Kivo.SetDMZ", "Kivo.SetPlayerName", "Kivo.SetServerIP", "Kivo.SetNewTicker", "Kivo.WLANSetup",
        "Kivo.SaveList", "Kivo.PlayAlbum", "Kivo.RenameContentFile", "Kivo.SetScaleWindow",
        "Kivo.GetScaleWindow", "Kivo.GetCrontab", "Kivo.SetCrontab"};
    for (size_t i = 0; i < names.size(); ++i) {
        if (method == QLatin1String(names[i]))
            return ReplyBranch(i);
    }
    return ReplyBranch::None;
}

QString completionText(const QString& method, int id, int remaining)
{
    return method + CommandChannel::tr(" command completed (%1 of %2)").arg(id).arg(remaining);
}

QString faultMessageText(const QString& message)
{
    if (message == QLatin1String("Server closed connection unexpectedly"))
        return message
            + CommandChannel::tr(". Most likely player connection was broken or player was reset just now, it is "
                                 "safe to ignore this message.");
    if (message == QLatin1String("Connection refused"))
        return message + CommandChannel::tr(". The player is not ready yet. It it safe to ignore this message.");
    return message;
}

QString faultStatusText(int id, const QString& message)
{
    return QStringLiteral("Client command <%1> fails with message <%2>.")
        .arg(id)
        .arg(elideForDisplay(message, displaylimit::kValue));
}

QString moreFaultsText(int count)
{
    return CommandChannel::tr("And %n more faults while the box was open, see Events.", nullptr, count);
}
