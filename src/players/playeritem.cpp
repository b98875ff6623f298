#include "players/playeritem.h"

#include "core/displaytext.h"
#include "core/ftptransfer.h"
#include "core/installpaths.h"
#include "players/playerregistry.h"
#include "ui/events.h"
#include "ui/prompts.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QIcon>
#include <QPainter>

#include <utility>

namespace {

std::function<QDateTime()>& clockFunction()
{
    static std::function<QDateTime()> clock;
    return clock;
}

quint16 playerFtpPort = 2121;

// The account of the players' FTP service for single-file uploads.
const QString uploadUser = QStringLiteral("kvo");
const QString uploadPassword = QStringLiteral("qvtm");

constexpr int IconSize = 64;

// A process-wide cache of pictures, one per key type, emptied before the
// application goes: pixmaps must not outlive it.
template <typename Key>
QHash<Key, QPixmap>& pixmapCache()
{
    static QHash<Key, QPixmap> cache;
    static const bool released = [] {
        qAddPostRoutine([] { cache.clear(); });
        return true;
    }();
    Q_UNUSED(released);
    return cache;
}

// Icons are looked up in the working directory, then where the program's
// pictures are installed (installpaths::dataFile).
// Each picture is read and scaled once per working directory and shared by
// every item: a fleet admits thousands.
QPixmap loadIcon(const QString& fileName)
{
    QHash<QString, QPixmap>& loaded = pixmapCache<QString>();
    const QString key = QDir::currentPath() + QLatin1Char('\n') + fileName;
    if (const auto it = loaded.constFind(key); it != loaded.cend())
        return *it;
    QPixmap pixmap;
    pixmap.load(installpaths::dataFile(fileName));
    if (!pixmap.isNull())
        pixmap = pixmap.scaled(IconSize, IconSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    loaded.insert(key, pixmap);
    return pixmap;
}

// The icon with a red exclamation mark in its lower right corner, made once per icon.
QPixmap failingIcon(const QPixmap& icon)
{
    QHash<qint64, QPixmap>& marked = pixmapCache<qint64>();
    if (const auto it = marked.constFind(icon.cacheKey()); it != marked.cend())
        return *it;
    QPixmap pixmap = icon.isNull() ? QPixmap(IconSize, IconSize) : icon;
    if (icon.isNull())
        pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal side = pixmap.width() * 0.45;
    const QRectF badge(pixmap.width() - side, pixmap.height() - side, side, side);
    painter.setPen(QPen(Qt::white, 2));
    painter.setBrush(QColor(200, 0, 0));
    painter.drawEllipse(badge.adjusted(1, 1, -1, -1));
    QFont font = painter.font();
    font.setBold(true);
    font.setPixelSize(int(side * 0.7));
    painter.setFont(font);
    painter.drawText(badge, Qt::AlignCenter, QStringLiteral("!"));
    painter.end();
    marked.insert(icon.cacheKey(), pixmap);
    return pixmap;
}

} // namespace

PlayerItem::PlayerItem(QListWidget* view, const QString& name, bool isVirtual, bool isMirror)
    : QObject()
    , QListWidgetItem(name, view, ItemType)
    , m_name(name)
    , m_isVirtual(isVirtual)
    , m_isMirror(isMirror)
{
    // Strings start empty, not null.
    for (QString* field : {&m_ipAddress, &m_playing, &m_videoMode, &m_lanIp, &m_dmzIp, &m_wlanIp, &m_essid,
                           &m_wepKey, &m_serverIp, &m_lanDevice, &m_wlanDevice, &m_lanGateway, &m_lanMask,
                           &m_wlanGateway, &m_wlanMask, &m_virtualDirectory, &m_downloadStatus})
        *field = QLatin1String("");
    setLastActive(now());

    if (m_isVirtual) {
        m_virtualIcon = loadIcon(QStringLiteral("player_virtual.png"));
    } else {
        m_onIcon = loadIcon(QStringLiteral("player_icon.png"));
        m_offIcon = loadIcon(QStringLiteral("player_off.png"));
    }
    showIcon();

    m_ftp = new FtpTransfer(this);
    connect(m_ftp, &FtpTransfer::commandFinished, this, &PlayerItem::ftp_commandFinished);
    connect(m_ftp, &FtpTransfer::done, this, &PlayerItem::ftp_done);
    connect(m_ftp, &FtpTransfer::partialUploadEnded, this,
            [this](const QByteArray& remoteName, bool removed, const QString& reason) {
                events::partialUpload(m_name, QString::fromUtf8(remoteName),
                                      QString::fromUtf8(FtpTransfer::partialName(remoteName)), removed, reason);
                // The storage listed at the abort may still have shown it.
                emit refresh_player_contents();
            });

    m_registry = PlayerRegistry::of(view);
    if (m_registry)
        m_registry->add(this);
}

PlayerItem::~PlayerItem()
{
    if (m_registry)
        m_registry->remove(this);
    // The item is going: its own handlers must not hear about the abort.
    m_ftp->disconnect(this);
    if (m_ftp->state() != FtpTransfer::Unconnected)
        m_ftp->abort();
    delete m_ftp;
    // The upload files are children of the item and go with it; the client
    // belongs to the main window.
}

void PlayerItem::setClock(std::function<QDateTime()> clock)
{
    clockFunction() = std::move(clock);
}

QDateTime PlayerItem::now()
{
    // In UTC: local time would look up the time zone on every heartbeat;
    // it is needed only when the time is shown.
    const auto& clock = clockFunction();
    return clock ? clock() : QDateTime::currentDateTimeUtc();
}

void PlayerItem::setFtpPort(quint16 port)
{
    playerFtpPort = port;
}

quint16 PlayerItem::ftpPort()
{
    return playerFtpPort;
}

void PlayerItem::setIpAddress(const QString& address)
{
    if (address == m_ipAddress)
        return;
    const QString previous = m_ipAddress;
    m_ipAddress = address;
    if (m_registry)
        m_registry->addressChanged(this, previous);
}

void PlayerItem::updateLastActive()
{
    setLastActive(now());
}

void PlayerItem::setLastActive(const QDateTime& time)
{
    m_lastActive = time;
    m_lastActiveMs = time.toMSecsSinceEpoch();
}

QString PlayerItem::lastActiveText() const
{
    return localDateTimeText(m_lastActive.toLocalTime());
}

QString PlayerItem::dhcp(const QString& kind) const
{
    const QString normalized = kind.trimmed().toLower();
    if (normalized == QLatin1String("lan"))
        return m_lanDhcp;
    if (normalized == QLatin1String("wlan"))
        return m_wlanDhcp;
    return QLatin1String("");
}

void PlayerItem::setDhcp(const QString& value, const QString& kind)
{
    const QString normalized = kind.trimmed().toLower();
    if (normalized == QLatin1String("lan"))
        m_lanDhcp = value;
    else if (normalized == QLatin1String("wlan"))
        m_wlanDhcp = value;
}

void PlayerItem::setPowerState(const QString& state)
{
    const bool poweredOff = state == QLatin1String("PWROFF");
    if (poweredOff == !m_online)
        return;
    m_online = !poweredOff;
    showIcon();
}

void PlayerItem::setTotalSpace(int kilobytes)
{
    if (kilobytes >= 0)
        m_totalSpace = kilobytes;
}

void PlayerItem::setAvailableSpace(int kilobytes)
{
    if (kilobytes >= 0)
        m_availableSpace = kilobytes;
}

void PlayerItem::noteCallFailed(const QString& message)
{
    m_lastFault = elideForDisplay(message, displaylimit::kValue);
    if (++m_failedCalls == FailingAfter)
        showIcon();
}

void PlayerItem::noteCallAnswered()
{
    const bool wasFailing = isFailing();
    m_failedCalls = 0;
    m_lastFault.clear();
    if (wasFailing)
        showIcon();
}

void PlayerItem::showIcon()
{
    const QPixmap& icon = m_isVirtual ? m_virtualIcon : m_online ? m_onIcon : m_offIcon;
    setIcon(QIcon(isFailing() ? failingIcon(icon) : icon));
}

void PlayerItem::check_last_active_time()
{
    checkLastActiveAt(now().toMSecsSinceEpoch());
}

void PlayerItem::checkLastActiveAt(qint64 nowMs)
{
    // Whole seconds, as QDateTime::secsTo counts them.
    if (isSilentAt(nowMs))
        emit dead_player(this);
}

void PlayerItem::ftp_commandFinished(int, bool)
{
    if (m_ftp->currentCommand() != FtpTransfer::Put)
        return;
    // Only files this item opened are its to delete; others may queue puts of their own.
    if (auto* file = qobject_cast<QFile*>(m_ftp->currentDevice()); file && m_uploads.removeOne(file))
        delete file;
    emit refresh_player_contents();
}

void PlayerItem::ftp_done(bool error)
{
    // A failure or an abort drops the puts queued behind it; their files are
    // released once nothing is queued or running any more.
    if (!m_ftp->hasPendingCommands() && m_ftp->currentCommand() == FtpTransfer::None) {
        qDeleteAll(m_uploads);
        m_uploads.clear();
    }
    events::transferDone(m_name, error ? m_ftp->errorString() : QString());
    const bool boxed = !std::exchange(m_failureToldByCaller, false);
    if (!error)
        return;
    const QString reason = m_ftp->errorString();
    if (m_ftp->state() != FtpTransfer::Unconnected)
        m_ftp->close();
    if (boxed)
        showCritical(listWidget(), tr("File transfer failure"), reason);
}

void PlayerItem::ftp_uploadFile(QString& path)
{
    if (path.isEmpty())
        return;
    if (!queueUpload(path))
        showCritical(listWidget(), tr("Upload error"), tr("Can't open file '%1' for reading.").arg(path));
}

bool PlayerItem::uploadReportedByCaller(const QString& path)
{
    if (!queueUpload(path))
        return false;
    m_failureToldByCaller = true;
    return true;
}

bool PlayerItem::queueUpload(const QString& path)
{
    auto* file = new QFile(path, this);
    if (!file->open(QIODevice::ReadOnly)) {
        delete file;
        return false;
    }
    m_uploads.append(file);
    m_ftp->connectToHost(m_ipAddress, playerFtpPort);
    m_ftp->login(uploadUser, uploadPassword);
    m_ftp->put(file, QFileInfo(path).fileName().toUtf8());
    m_ftp->close();
    return true;
}

void PlayerItem::ftp_abort()
{
    m_ftp->abort();
}
