#pragma once

// Book-keeping of the calls sent to players: which method each outstanding
// request id belongs to, which player some of them concern, and each
// player's client by name.

#include <QHash>
#include <QMap>
#include <QPointer>
#include <QString>

class PlayerItem;
class XRClient;

class CommandChannel
{
public:
    // Commands that check it refuse to send while this many requests are outstanding.
    static constexpr int kBusyLimit = 500;

    // Request map: request id -> method name.
    void record(int id, const QString& method);
    // Also remembers the player the reply concerns (request owner map).
    void record(int id, const QString& method, PlayerItem* owner);
    bool isRecorded(int id) const { return m_methods.contains(id); }
    QString method(int id) const { return m_methods.value(id); }
    // Removes the request; returns its method name (empty when unknown).
    QString complete(int id);
    // Removes and returns the owner of the request, or null when there was
    // none or the player has gone since.
    PlayerItem* takeOwner(int id);
    int outstanding() const { return int(m_methods.size()); }
    bool isBusy() const { return outstanding() >= kBusyLimit; }

    // Channel map: player name -> client. A later admission under the same
    // name replaces the entry.
    void setClient(const QString& playerName, XRClient* client);
    XRClient* client(const QString& playerName) const;

private:
    QMap<int, QString> m_methods;
    QMap<int, QPointer<PlayerItem>> m_owners;
    QHash<QString, QPointer<XRClient>> m_clients;
};

// The replies the controller knows how to complete, in the order in which
// their names are compared.
enum class ReplyBranch {
    GetMediaFileList, GetLogList, GetList, SetVolume, GetVolume, DeleteMediaFile, DeletePlaylistItem,
    DeleteLogFile, PlaySingle, Sleep, PlayALL, FreeSpace, VideoMode, SetScreenLayout, GetScreenLayout,
    FirmwareVersion, SyncDateTime, SetPlayerIP, SetDMZ, SetPlayerName, SetServerIP, SetNewTicker,
    WLANSetup, SaveList, PlayAlbum, RenameContentFile, SetScaleWindow, GetScaleWindow, GetCrontab,
    SetCrontab,
    None
};

// The branch for a method name, compared case-sensitively; None for any other name.
ReplyBranch replyBranch(const QString& method);

// Status-bar line after a completed reply.
QString completionText(const QString& method, int id, int remaining);
// Message-box text for a failed request.
QString faultMessageText(const QString& message);
// Status-bar line after a failed request.
QString faultStatusText(int id, const QString& message);
