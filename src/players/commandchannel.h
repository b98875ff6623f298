#pragma once

// The calls sent to players and the routing of their outcomes. Every call
// records the method and the player it was sent to; its reply or fault is
// handed on for that player only, so that a late answer of one player never
// fills what belongs to another.

#include <QHash>
#include <QMap>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariant>

class PlayerItem;
class QWidget;
class XRClient;

class CommandChannel : public QObject
{
    Q_OBJECT
public:
    // Commands that check it refuse to send while this many requests are outstanding.
    static constexpr int kBusyLimit = 500;

    // window is the parent of the fault boxes, of which at most one is open.
    explicit CommandChannel(QWidget* window, QObject* parent = nullptr);
    ~CommandChannel() override;

    // How a request's fault reaches the operator: a box and an Events line of
    // its own, or nothing, for a caller that reports many outcomes at once.
    enum class Delivery { Reported, Quiet };

    // Calls method on the player's client and records the request under the
    // player; returns the request id, or 0 when the player has no client (a
    // virtual player).
    int send(PlayerItem* player, const QString& method, const QVariantList& params = {},
             Delivery delivery = Delivery::Reported);
    // True while replied() is emitted for a quiet request: the handlers then
    // keep what the reply brings but open no box.
    bool replyIsQuiet() const { return m_replyIsQuiet; }

    bool isRecorded(int id) const { return m_requests.contains(id); }
    QString method(int id) const { return m_requests.value(id).method; }
    int outstanding() const { return int(m_requests.size()); }
    bool isBusy() const { return outstanding() >= kBusyLimit; }

    // A client made for an admitted player: its outcomes come here. A later
    // admission under the same name replaces the entry of the channel map;
    // the replaced client is retired.
    void setClient(const QString& playerName, XRClient* client);
    XRClient* client(const QString& playerName) const;
    // Deletes a client that no longer sends once its calls are answered.
    void retire(XRClient* client);

public slots:
    void ProcessResponse(int id, const QVariant& result);
    void ProcessFault(int id, int code, const QString& message);

signals:
    // A reply completed for a player that still exists.
    void replied(const QString& method, PlayerItem* player, const QVariant& result);
    // A call failed; player is null when it has gone (or the call was not recorded).
    void failed(const QString& method, PlayerItem* player, const QString& message);
    void statusMessage(const QString& text);
    // Every recorded request once it has ended, by id, after replied() or failed().
    void answered(int id, const QString& method, const QVariant& result);
    void faulted(int id, const QString& method, const QString& message);

private:
    struct Request {
        QString method;
        QPointer<PlayerItem> player;
        Delivery delivery = Delivery::Reported;
    };

    QWidget* m_window;
    bool m_faultBoxOpen = false;
    int m_faultsWhileBoxOpen = 0;
    bool m_replyIsQuiet = false;
    QMap<int, Request> m_requests;
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
// Status-bar line after a failed request; the message is cut to a line.
QString faultStatusText(int id, const QString& message);
// Status-bar line once the fault box closes, when count more faults came while it was open.
QString moreFaultsText(int count);
