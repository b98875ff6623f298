// Admission, refresh and removal of players, and what a click on a player does.

#include "window/kvo_form.h"

#include "core/ftptransfer.h"
#include "players/playeritem.h"
#include "players/playerregistry.h"
#include "players/registrationrecord.h"
#include "ui/events.h"
#include "ui/prompts.h"
#include "xmlrpc/xrclient.h"

#include <QDateTime>
#include <QFile>
#include <QTextStream>
#include <QUrl>

#include <limits>

using namespace RegistrationField;

namespace {

PlayerItem* asPlayer(QListWidgetItem* item)
{
    return item && item->type() == PlayerItem::ItemType ? static_cast<PlayerItem*>(item) : nullptr;
}

// The text between the first and second "=" of a file's first line, trimmed;
// a null string when the file cannot be opened, an empty one when it is empty.
QString firstLineValue(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return QString();
    const QString value = QTextStream(&file).readLine().section(QLatin1Char('='), 1, 1).trimmed();
    return value.isNull() ? QStringLiteral("") : value;
}

void setNetworkFields(PlayerItem* item, const QStringList& record)
{
    item->setLanIp(recordField(record, LanIp));
    item->setWlanIp(recordField(record, WlanIp));
    item->setEssid(recordField(record, Essid));
    item->setWepKey(recordField(record, WepKey));
    item->setServerIp(recordField(record, ServerIp));
    item->setLanDevice(recordField(record, LanDevice));
    item->setWlanDevice(recordField(record, WlanDevice));
    item->setLanGateway(recordField(record, LanGateway));
    item->setLanMask(recordField(record, LanMask));
    item->setWlanGateway(recordField(record, WlanGateway));
    item->setWlanMask(recordField(record, WlanMask));
    item->setDhcp(recordField(record, LanDhcp), QStringLiteral("LAN"));
    item->setDhcp(recordField(record, WlanDhcp), QStringLiteral("WLAN"));
    item->setDmzFlag(recordField(record, DmzFlag));
    item->setDmzIp(recordField(record, DmzIp));
}

} // namespace

PlayerItem* kvo_Form::currentPlayer() const
{
    return asPlayer(ui.Player_iconView->currentItem());
}

void kvo_Form::AddNewPlayer(QStringList record)
{
    const QString name = decodePlayerName(recordField(record, Name));
    const QString address = recordField(record, Address);

    // Exact, case-insensitive; virtual players take part too.
    PlayerItem* registered = PlayerRegistry::of(ui.Player_iconView)->find(name);
    if (!registered)
        admitPlayer(name, record);
    else if (registered->ipAddress() != address)
        showDuplicateWarning(name, address, registered);
    else
        refreshPlayer(registered, record);
}

void kvo_Form::showDuplicateWarning(const QString& name, const QString& address, const PlayerItem* registered)
{
    const QString key = name + QLatin1Char('\n') + address;
    if (m_openDuplicateWarnings.contains(key))
        return;
    m_openDuplicateWarnings.insert(key);
    events::duplicateRefused(name, address, registered->name(), registered->ipAddress());
    showWarning(this, tr("Duplicated Player"),
                tr("A new player (") + name + tr(",") + address + tr(") is trying to connect to this server while (")
                    + registered->name() + tr(",") + registered->ipAddress() + tr(") has already registered.\n")
                    + tr("This connection is ignored."));
    m_openDuplicateWarnings.remove(key);
}

void kvo_Form::refreshPlayer(PlayerItem* item, const QStringList& record)
{
    item->setVideoMode(recordField(record, VideoMode));
    setNetworkFields(item, record);
    item->setPowerState(recordField(record, PowerState));
    item->updateLastActive();
    item->setPlaying(recordField(record, Playing));
    if (item->isSelected()) {
        statusBar()->showMessage(tr("Player (") + item->name() + tr(") is playing ") + QLatin1Char('"')
                                 + recordField(record, Playing) + QLatin1Char('"') + tr(" on ")
                                 + recordField(record, VideoMode) + tr("; Last contact at ")
                                 + item->lastActiveText());
    }
}

void kvo_Form::admitPlayer(const QString& name, const QStringList& record)
{
    auto* item = new PlayerItem(ui.Player_iconView, name, false, false);
    item->setName(name);
    item->setVideoMode(recordField(record, VideoMode));
    item->setIpAddress(recordField(record, Address));
    setNetworkFields(item, record);
    item->setPowerState(recordField(record, PowerState));
    connect(item, &PlayerItem::dead_player, this, &kvo_Form::delete_player);
    connect(item, &PlayerItem::refresh_player_contents, this, &kvo_Form::refresh_player_contents);

    auto* client = new XRClient(QUrl(playerEndpoint(contactAddress(record))), this,
                                QStringLiteral("xml-rpc_client") + name + QLatin1Char(':')
                                    + recordField(record, Address));
    if (!connect(client, &XRClient::methodResponse, this, &kvo_Form::ProcessResponse)) {
        showCritical(this, tr("AddNewPlayer"),
                     tr("connect(methREsponse) fails,this is an internal error. Subsequent operations are not "
                        "reliable.Please report this to your vendor."),
                     QMessageBox::Ignore);
    }
    if (!connect(client, &XRClient::fault, this, &kvo_Form::ProcessFault)) {
        showCritical(this, tr("AddNewPlayer"),
                     tr("connect(fault) fails, this is an internal error, subsequent operations are not reliable, "
                        "please report this to your vendor."),
                     QMessageBox::Ignore);
    }
    item->setClient(client);
    if (XRClient* previous = m_commands.client(name))
        retireClient(previous);
    m_commands.setClient(name, client);
    item->updateLastActive();
    item->setPlaying(recordField(record, Playing));

    events::playerAdmitted(name, item->ipAddress());
    sendCommand(item, QStringLiteral("Kivo.SyncDateTime"), {QVariant(QDateTime::currentDateTime())});
}

void kvo_Form::delete_player(PlayerItem* item)
{
    if (!item)
        return;
    const QString text = QStringLiteral("Player ") + item->name() + QStringLiteral(" goes offline!");
    QListWidget* view = ui.Player_iconView;
    const bool wasCurrent = view->currentItem() == item;
    if (item->isSelected() || wasCurrent) {
        ui.PlayerContent_listView->clear();
        ui.Playlist_listView->clear();
    }
    // The view would make a neighbour current when the current item goes, and
    // commands would then reach a player the operator never chose.
    if (wasCurrent) {
        view->setCurrentItem(nullptr);
        view->clearSelection();
    }
    XRClient* client = item->client();
    delete item;
    // Nothing sends through a departed player's client: it goes once its
    // calls are answered (a later admission under the name brings a new one).
    if (client)
        retireClient(client);
    statusBar()->showMessage(text);
    events::playerOffline(text);
}

void kvo_Form::UpdatePlayerDisplayData(QListWidgetItem* clicked)
{
    PlayerItem* item = asPlayer(clicked);
    if (!item || !item->isSelected())
        return;
    if (!item->isVirtual()) {
        ui.AbortXfer_pushButton->show();
        sendCommand(item, QStringLiteral("Kivo.GetScreenLayout"));
    } else {
        ui.AbortXfer_pushButton->hide();
        const QString videoMode = firstLineValue(item->virtualDirectory() + QStringLiteral("/sys/video.env"));
        item->setVideoMode(videoMode.isNull() ? QStringLiteral("NA") : videoMode);
        bool isNumber = false;
        const int layout = firstLineValue(item->virtualDirectory() + QStringLiteral("/sys/screen.env")).toInt(&isNumber);
        item->setScreenLayout(isNumber ? layout : -1);
    }
    AddPlayerContent(item);
    GetPlaylist();
    ui.Xfer_progressBar->reset();
    followTransferProgressOf(item);
}

void kvo_Form::followTransferProgressOf(PlayerItem* selected)
{
    QProgressBar* bar = ui.Xfer_progressBar;
    for (int row = 0; row < ui.Player_iconView->count(); ++row) {
        PlayerItem* item = asPlayer(ui.Player_iconView->item(row));
        if (!item || !item->ftp())
            continue;
        // Also for the selected item, so that repeated clicks never connect twice.
        disconnect(item->ftp(), &FtpTransfer::dataTransferProgress, nullptr, nullptr);
        if (item != selected)
            continue;
        connect(item->ftp(), &FtpTransfer::dataTransferProgress, bar, [bar](qint64 done, qint64 total) {
            // A progress bar counts in int: large files move it in KiB.
            const int shift = total > std::numeric_limits<int>::max() ? 10 : 0;
            bar->setRange(0, int(total >> shift));
            bar->setValue(int(done >> shift));
        });
    }
}

void kvo_Form::retireClient(XRClient* client)
{
    // A replaced client still completes the requests it carries, then goes.
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
