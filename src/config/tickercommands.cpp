#include "config/tickercommands.h"

#include "config/playerdialogscope.h"
#include "config/tickerbatch.h"
#include "config/tickerdialog.h"
#include "config/tickeruploader.h"
#include "players/commandchannel.h"
#include "players/playeritem.h"
#include "ui/prompts.h"

#include <QDir>
#include <QFile>
#include <QTimer>

#include <memory>

TickerCommands::TickerCommands(CommandChannel& channel, QWidget* window, QObject* parent)
    : QObject(parent)
    , m_channel(channel)
    , m_window(window)
{
    connect(&channel, &CommandChannel::replied, this, &TickerCommands::handleReply);
}

void TickerCommands::openTickerDialog(PlayerItem* item)
{
    if (!item)
        return;
    const std::unique_ptr<TickerDialog> dialog(new TickerDialog(m_window, "Ticker Composer", true));
    if (!connect(dialog.get(), &TickerDialog::NewTickerReady, this, &TickerCommands::StartTickerFunction))
        showCritical(m_window, tr("PlayerManagementMenu"),
                     tr("connect NewTickerReady fails, this is an internal error, subsequent operations are not "
                        "reliable, please report this to your vendor."),
                     QMessageBox::Ignore);
    PlayerDialogScope scope(m_open, item, dialog.get());
    scope.exec();
}

void TickerCommands::StartTickerFunction(QString text)
{
    if (text.isEmpty()) {
        showInformation(m_window, tr("STartTickerFunction"), tr("empty ticker message, nothing to do"));
        return;
    }
    if (!m_open) {
        showWarning(m_window, tr("Operational error"), tr("No player is selected"));
        return;
    }
    PlayerItem* player = m_open->player();
    if (!player)
        return;

    const QString bitmapName = QLatin1String(TickerDialog::bitmapFileName);
    const QString iniName = QLatin1String(TickerDialog::iniFileName);
    if (player->isVirtual()) {
        if (const QString failure = writeVirtualTicker(player->virtualDirectory(), text); !failure.isEmpty())
            showWarning(m_window, tr("Start Ticker Function"), failure);
        return;
    }

    m_channel.send(player, QStringLiteral("Kivo.SetNewTicker"), {text});
    const QString address = player->ipAddress();
    if (address.isEmpty()) {
        showInformation(m_window, tr("Start Ticker Function"),
                        tr("Could not find IP address of the player. No action is taken."));
        return;
    }
    if (!m_uploader) {
        m_uploader = new TickerUploader(this);
        // Reported once the transfer's handler has returned.
        connect(m_uploader, &TickerUploader::failed, this, [this](const QString& reason) {
            QTimer::singleShot(0, this, [this, reason] {
                showWarning(m_window, tr("Start Ticker Function"), tr("Sending the ticker files fails: %1").arg(reason));
            });
        });
    }

    auto* bitmap = new QFile(QDir::current().filePath(bitmapName));
    if (!bitmap->open(QIODevice::ReadOnly)) {
        delete bitmap;
        showInformation(m_window, bitmapName, tr("File open fails"));
        return;
    }
    m_uploader->queue(address, PlayerItem::ftpPort(), bitmap, bitmapName);

    auto* ini = new QFile(QDir::current().filePath(iniName));
    if (!ini->exists()) {
        delete ini;
        showInformation(m_window, iniName, tr("File not found"));
        return;
    }
    if (!ini->open(QIODevice::ReadOnly)) {
        delete ini;
        showInformation(m_window, iniName, tr("File open fails"));
        return;
    }
    m_uploader->queue(address, PlayerItem::ftpPort(), ini, iniName);
}

void TickerCommands::openTickerDialog(const QList<QPointer<PlayerItem>>& players)
{
    // Nothing is read from a player: the composer starts as it always does.
    const std::unique_ptr<TickerDialog> dialog(new TickerDialog(m_window, "Ticker Composer", true));
    QString composed;
    connect(dialog.get(), &TickerDialog::NewTickerReady, this, [&composed](const QString& text) { composed = text; });
    prompts().execDialog(dialog.get());
    if (composed.isEmpty())
        return;
    auto* batch = new TickerBatch(m_channel, players, composed, this);
    connect(batch, &TickerBatch::ended, this, [this, batch](const BulkOutcome& outcome) {
        batch->deleteLater();
        emit bulkDelivered(outcome);
    });
    batch->run();
}

void TickerCommands::handleReply(const QString& method, PlayerItem*, const QVariant&)
{
    // A delivery to several players is told by its summary.
    if (replyBranch(method) != ReplyBranch::SetNewTicker || m_channel.replyIsQuiet())
        return;
    // The box opens once the reply's handler has returned.
    QTimer::singleShot(0, this, [this] {
        showInformation(m_window, tr("Set New Ticker"), tr("New ticker message is sent."));
    });
}
