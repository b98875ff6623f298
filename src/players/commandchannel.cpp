#include "players/commandchannel.h"

#include "players/playeritem.h"
#include "xmlrpc/xrclient.h"

#include <QCoreApplication>

#include <array>

void CommandChannel::record(int id, const QString& method)
{
    m_methods.insert(id, method);
}

void CommandChannel::record(int id, const QString& method, PlayerItem* owner)
{
    m_methods.insert(id, method);
    m_owners.insert(id, owner);
}

QString CommandChannel::complete(int id)
{
    return m_methods.take(id);
}

PlayerItem* CommandChannel::takeOwner(int id)
{
    return m_owners.take(id).data();
}

void CommandChannel::setClient(const QString& playerName, XRClient* client)
{
    m_clients.insert(playerName, client);
}

XRClient* CommandChannel::client(const QString& playerName) const
{
    return m_clients.value(playerName).data();
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
    return method + QCoreApplication::translate("kvo_Form", " command completed (%1 of %2)").arg(id).arg(remaining);
}

QString faultMessageText(const QString& message)
{
    if (message == QLatin1String("Server closed connection unexpectedly"))
        return message
            + QCoreApplication::translate("kvo_Form", ". Most likely player connection was broken or player was "
                                                      "reset just now, it is safe to ignore this message.");
    if (message == QLatin1String("Connection refused"))
        return message
            + QCoreApplication::translate("kvo_Form", ". The player is not ready yet. It it safe to ignore this message.");
    return message;
}

QString faultStatusText(int id, const QString& message)
{
    return QStringLiteral("Client command <%1> fails with message <%2>.").arg(id).arg(message);
}
