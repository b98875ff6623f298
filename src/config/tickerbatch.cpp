#include "config/tickerbatch.h"

#include "config/tickerdialog.h"
#include "config/tickeruploader.h"
#include "core/atomicfile.h"
#include "core/batchqueue.h"
#include "players/bulkrun.h"
#include "players/commandchannel.h"
#include "players/playeritem.h"

#include <QDir>
#include <QFile>

#include <utility>

namespace {

// Copies a file of the working directory into folder, replacing a file of
// that name only once the copy is complete.
bool copyIntoFolder(const QString& name, const QString& folder, QString* error)
{
    QFile source(QDir::current().filePath(name));
    if (!source.open(QIODevice::ReadOnly)) {
        *error = source.errorString();
        return false;
    }
    return writeFileAtomically(folder + QLatin1Char('/') + name, source.readAll(), error);
}

} // namespace

QString writeVirtualTicker(const QString& playerDirectory, const QString& text)
{
    const QString folder = playerDirectory + QLatin1String("/tickers");
    const QString bitmapName = QLatin1String(TickerDialog::bitmapFileName);
    const QString iniName = QLatin1String(TickerDialog::iniFileName);
    QString error;
    QString failed;
    if (!writeFileAtomically(folder + QLatin1String("/ticker.xml"), text.toUtf8(), &error))
        failed = QStringLiteral("ticker.xml");
    else if (!copyIntoFolder(iniName, folder, &error))
        failed = iniName;
    else if (!copyIntoFolder(bitmapName, folder, &error))
        failed = bitmapName;
    if (failed.isEmpty())
        return QString();
    return TickerBatch::tr("Could not write %1 for the virtual player: %2").arg(failed, error);
}

TickerBatch::TickerBatch(CommandChannel& channel, const QList<QPointer<PlayerItem>>& players, const QString& text,
                         QObject* parent)
    : QObject(parent)
    , m_channel(channel)
    , m_text(text)
{
    QStringList names;
    for (const QPointer<PlayerItem>& player : players) {
        Delivery delivery;
        delivery.player = player;
        delivery.name = player ? player->name() : QString();
        names.append(delivery.name);
        m_deliveries.append(delivery);
    }
    connect(&channel, &CommandChannel::answered, this,
            [this](int id, const QString&, const QVariant&) { requestEnded(id, QString()); });
    connect(&channel, &CommandChannel::faulted, this, [this](int id, const QString&, const QString& message) {
        requestEnded(id, message.isEmpty() ? tr("the call failed") : message);
    });
    m_queue = new BatchQueue(names, kConcurrentDeliveries, 0, [this](int index) { start(index); }, nullptr, this);
    connect(m_queue, &BatchQueue::finished, this, [this] {
        emit ended({tr("Compose new ticker message"), m_queue->total(), m_queue->failures()});
    });
}

void TickerBatch::run()
{
    m_queue->run();
}

void TickerBatch::start(int index)
{
    Delivery& delivery = m_deliveries[index];
    PlayerItem* player = delivery.player;
    if (!player) {
        m_queue->end(index, BulkRun::tr("went offline"));
        return;
    }
    if (player->isVirtual()) {
        m_queue->end(index, writeVirtualTicker(player->virtualDirectory(), m_text));
        return;
    }
    const QString address = player->ipAddress();
    if (address.isEmpty()) {
        m_queue->end(index, tr("Could not find IP address of the player. No action is taken."));
        return;
    }
    const int request =
        m_channel.send(player, QStringLiteral("Kivo.SetNewTicker"), {m_text}, CommandChannel::Delivery::Quiet);
    if (request == 0) {
        m_queue->end(index, BulkRun::tr("not connected"));
        return;
    }
    m_requests.insert(request, index);
    delivery.awaitingReply = true;
    // The item goes at once; its slot is freed with it.
    connect(player, &QObject::destroyed, this, [this, index] { fail(index, BulkRun::tr("went offline")); });

    delivery.uploader = new TickerUploader(this);
    connect(delivery.uploader, &TickerUploader::failed, this, [this, index](const QString& reason) {
        fail(index, tr("Sending the ticker files fails: %1").arg(reason));
    });
    connect(delivery.uploader, &TickerUploader::delivered, this, [this, index] {
        if (TickerUploader* uploader = std::exchange(m_deliveries[index].uploader, nullptr))
            uploader->deleteLater();
        settle(index);
    });
    for (const char* name : {TickerDialog::bitmapFileName, TickerDialog::iniFileName}) {
        auto* file = new QFile(QDir::current().filePath(QLatin1String(name)));
        if (!file->open(QIODevice::ReadOnly)) {
            const QString reason = file->errorString();
            delete file;
            fail(index, QLatin1String(name) + QStringLiteral(": ") + reason);
            return;
        }
        delivery.uploader->queue(address, PlayerItem::ftpPort(), file, QLatin1String(name));
    }
}

void TickerBatch::requestEnded(int id, const QString& failure)
{
    const auto found = m_requests.constFind(id);
    if (found == m_requests.constEnd())
        return;
    Delivery& delivery = m_deliveries[*found];
    const int index = *found;
    m_requests.erase(found);
    if (!std::exchange(delivery.awaitingReply, false))
        return;
    if (!failure.isEmpty() && delivery.failure.isEmpty())
        delivery.failure = failure;
    settle(index);
}

void TickerBatch::fail(int index, const QString& reason)
{
    Delivery& delivery = m_deliveries[index];
    if (delivery.failure.isEmpty())
        delivery.failure = reason;
    // Neither a late answer nor the rest of the files changes the result.
    delivery.awaitingReply = false;
    if (TickerUploader* uploader = std::exchange(delivery.uploader, nullptr))
        uploader->deleteLater();
    settle(index);
}

void TickerBatch::settle(int index)
{
    const Delivery& delivery = m_deliveries[index];
    if (!delivery.awaitingReply && !delivery.uploader)
        m_queue->end(index, delivery.failure);
}
