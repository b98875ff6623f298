#include "config/tickercommands.h"

#include "config/playerdialogscope.h"
#include "config/tickerdialog.h"
#include "config/tickeruploader.h"
#include "core/atomicfile.h"
#include "players/commandchannel.h"
#include "players/playeritem.h"
#include "ui/prompts.h"

#include <QDir>
#include <QFile>
#include <QTimer>

#include <memory>

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
        const QString folder = player->virtualDirectory() + QLatin1String("/tickers");
        QString error;
        QString failed;
        if (!writeFileAtomically(folder + QLatin1String("/ticker.xml"), text.toUtf8(), &error))
            failed = QStringLiteral("ticker.xml");
        else if (!copyIntoFolder(iniName, folder, &error))
            failed = iniName;
        else if (!copyIntoFolder(bitmapName, folder, &error))
            failed = bitmapName;
        if (!failed.isEmpty())
            showWarning(m_window, tr("Start Ticker Function"),
                        tr("Could not write %1 for the virtual player: %2").arg(failed, error));
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

void TickerCommands::handleReply(const QString& method, PlayerItem*, const QVariant&)
{
    if (replyBranch(method) != ReplyBranch::SetNewTicker)
        return;
    // The box opens once the reply's handler has returned.
    QTimer::singleShot(0, this, [this] {
        showInformation(m_window, tr("Set New Ticker"), tr("New ticker message is sent."));
    });
}
