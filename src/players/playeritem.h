#pragma once

// One known player, real or virtual: its icon in the players view and the
// record of what the controller holds about it. Items enter their view's
// PlayerRegistry, whose liveness sweep has each real item check its last
// contact and report itself dead; every item uploads single files to its
// player by FTP.

#include <QDateTime>
#include <QList>
#include <QListWidgetItem>
#include <QObject>
#include <QPixmap>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <functional>

class FtpTransfer;
class PlayerRegistry;
class QFile;
class XRClient;

class PlayerItem : public QObject, public QListWidgetItem
{
    Q_OBJECT
public:
    // The list-widget item type of player items.
    static constexpr int ItemType = QListWidgetItem::UserType + 1;
    static constexpr int LivenessIntervalMs = 7000;
    // A player silent for more than this many whole seconds is dead.
    static constexpr qint64 MaxSilenceSeconds = 20;

    // Creates the item in view with name as its text. The creator connects
    // dead_player and refresh_player_contents to its own slots.
    PlayerItem(QListWidget* view, const QString& name, bool isVirtual, bool isMirror);
    ~PlayerItem() override;

    // The clock used for last active and the liveness check; an empty
    // function restores the system clock (in UTC).
    static void setClock(std::function<QDateTime()> clock);
    static QDateTime now();
    // The port of the players' FTP service (2121 unless changed).
    static void setFtpPort(quint16 port);
    static quint16 ftpPort();

    int screenLayout() const { return m_screenLayout; }
    void setScreenLayout(int layout) { m_screenLayout = layout; }
    QString name() const { return m_name; }
    void setName(const QString& name) { m_name = name; }
    QString ipAddress() const { return m_ipAddress; }
    void setIpAddress(const QString& address);
    QDateTime lastActive() const { return m_lastActive; }
    void setLastActive(const QDateTime& time);
    void updateLastActive();
    // Last active in the locale's short date and time, with seconds.
    QString lastActiveText() const;
    // Silent for more than MaxSilenceSeconds whole seconds at nowMs
    // (milliseconds since the epoch).
    bool isSilentAt(qint64 nowMs) const { return (nowMs - m_lastActiveMs) / 1000 > MaxSilenceSeconds; }
    QString playing() const { return m_playing; }
    void setPlaying(const QString& file) { m_playing = file; }
    QString videoMode() const { return m_videoMode; }
    void setVideoMode(const QString& mode) { m_videoMode = mode; }
    QString lanIp() const { return m_lanIp; }
    void setLanIp(const QString& ip) { m_lanIp = ip; }
    QString dmzFlag() const { return m_dmzFlag; }
    void setDmzFlag(const QString& flag) { m_dmzFlag = flag; }
    QString dmzIp() const { return m_dmzIp; }
    void setDmzIp(const QString& ip) { m_dmzIp = ip; }
    // DHCP of the interface kind "LAN" or "WLAN" (blanks and letter case
    // ignored); another kind reads as empty and sets nothing.
    QString dhcp(const QString& kind) const;
    void setDhcp(const QString& value, const QString& kind);
    QString wlanIp() const { return m_wlanIp; }
    void setWlanIp(const QString& ip) { m_wlanIp = ip; }
    QString essid() const { return m_essid; }
    void setEssid(const QString& essid) { m_essid = essid; }
    QString wepKey() const { return m_wepKey; }
    void setWepKey(const QString& key) { m_wepKey = key; }
    QString serverIp() const { return m_serverIp; }
    void setServerIp(const QString& ip) { m_serverIp = ip; }
    QString lanDevice() const { return m_lanDevice; }
    void setLanDevice(const QString& device) { m_lanDevice = device; }
    QString wlanDevice() const { return m_wlanDevice; }
    void setWlanDevice(const QString& device) { m_wlanDevice = device; }
    QString lanGateway() const { return m_lanGateway; }
    void setLanGateway(const QString& gateway) { m_lanGateway = gateway; }
    QString lanMask() const { return m_lanMask; }
    void setLanMask(const QString& mask) { m_lanMask = mask; }
    QString wlanGateway() const { return m_wlanGateway; }
    void setWlanGateway(const QString& gateway) { m_wlanGateway = gateway; }
    QString wlanMask() const { return m_wlanMask; }
    void setWlanMask(const QString& mask) { m_wlanMask = mask; }
    bool isVirtual() const { return m_isVirtual; }
    bool isMirror() const { return m_isMirror; }
    // Neither virtual nor mirror: a player on the network that registers.
    bool isReal() const { return !m_isVirtual && !m_isMirror; }
    QString virtualDirectory() const { return m_virtualDirectory; }
    void setVirtualDirectory(const QString& directory) { m_virtualDirectory = directory; }
    // The player's XML-RPC client; not owned.
    XRClient* client() const { return m_client; }
    void setClient(XRClient* client) { m_client = client; }
    bool isOnline() const { return m_online; }
    // "PWROFF" (exactly) turns the item offline, any other word online.
    void setPowerState(const QString& state);
    const QPixmap& onIcon() const { return m_onIcon; }
    const QPixmap& offIcon() const { return m_offIcon; }
    const QPixmap& virtualIcon() const { return m_virtualIcon; }
    // Calls that failed one after another; from FailingAfter on the item is
    // marked as failing (icon and tool tip) until the player answers a call.
    static constexpr int FailingAfter = 3;
    void noteCallFailed(const QString& message);
    void noteCallAnswered();
    bool isFailing() const { return m_failedCalls >= FailingAfter; }
    int failedCalls() const { return m_failedCalls; }
    // The message of the last failed call, cut to a line.
    QString lastFault() const { return m_lastFault; }
    int totalSpace() const { return m_totalSpace; }
    void setTotalSpace(int kilobytes);
    int availableSpace() const { return m_availableSpace; }
    void setAvailableSpace(int kilobytes);
    QStringList album() const { return m_album; }
    void setAlbum(const QStringList& lines) { m_album = lines; }
    QString downloadStatus() const { return m_downloadStatus; }
    void setDownloadStatus(const QString& status) { m_downloadStatus = status; }
    // The item's own FTP client, used for its uploads.
    FtpTransfer* ftp() const { return m_ftp; }

    // Presentation in the players view (src/ui/playerview.cpp): ordered by
    // name, tool tip and accessible description built from the fields.
    bool operator<(const QListWidgetItem& other) const override;
    QVariant data(int role) const override;

signals:
    void dead_player(PlayerItem* item);
    void refresh_player_contents();

public slots:
    // Emits dead_player(this) as its last act, so a receiver may delete the item.
    void check_last_active_time();
    // The same at a given time (milliseconds since the epoch), which a sweep
    // of many items reads from the clock once.
    void checkLastActiveAt(qint64 nowMs);
    void ftp_commandFinished(int id, bool error);
    void ftp_done(bool error);
    void ftp_uploadFile(QString& path);
    void ftp_abort();

public:
    // Queues the upload of path, as ftp_uploadFile does, for a caller that
    // reports the outcome itself: no box tells a failure of this sequence.
    // False when the file cannot be read.
    bool uploadReportedByCaller(const QString& path);

private:
    void showIcon();
    // Opens path and queues its upload; false when it cannot be read.
    bool queueUpload(const QString& path);

    FtpTransfer* m_ftp = nullptr;
    int m_screenLayout = -1;
    QString m_name;
    QString m_ipAddress;
    QDateTime m_lastActive;
    qint64 m_lastActiveMs = 0; // m_lastActive since the epoch, for cheap comparisons
    QString m_playing;
    QString m_videoMode;
    QString m_lanIp;
    QString m_dmzFlag = QStringLiteral("off");
    QString m_dmzIp;
    QString m_lanDhcp = QStringLiteral("OFF");
    QString m_wlanDhcp = QStringLiteral("OFF");
    QString m_wlanIp;
    QString m_essid;
    QString m_wepKey;
    QString m_serverIp;
    QString m_lanDevice;
    QString m_wlanDevice;
    QString m_lanGateway;
    QString m_lanMask;
    QString m_wlanGateway;
    QString m_wlanMask;
    bool m_isVirtual = false;
    bool m_isMirror = false;
    QString m_virtualDirectory;
    XRClient* m_client = nullptr;
    bool m_online = true;
    QPixmap m_onIcon;
    QPixmap m_offIcon;
    QPixmap m_virtualIcon;
    QPointer<PlayerRegistry> m_registry;
    int m_totalSpace = 0;
    int m_availableSpace = 0;
    QStringList m_album;
    QString m_downloadStatus;
    int m_failedCalls = 0;
    QString m_lastFault;
    // Files opened for queued puts, each deleted once its put has finished.
    QList<QFile*> m_uploads;
    // The running upload sequence's failure is told by its caller, not by a box.
    bool m_failureToldByCaller = false;
};
