// The main window's side of the ticker: the composer for a player, and the
// delivery of a composed ticker by call and FTP to a real player or as files
// into a virtual player's "tickers" folder.

#include "window/kvo_form.h"

#include "core/atomicfile.h"
#include "config/schedulertarget.h"
#include "config/tickerdialog.h"
#include "config/tickeruploader.h"
#include "players/playeritem.h"
#include "ui/prompts.h"

#include <QDir>
#include <QFile>
#include <QTimer>

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

void kvo_Form::openTickerDialog(PlayerItem* item)
{
    if (!item)
        return;
    ConfigDialogScope scope(this, item);
    auto* dialog = new TickerDialog(this, "Ticker Composer", true);
    if (!connect(dialog, &TickerDialog::NewTickerReady, this, &kvo_Form::StartTickerFunction))
        showCritical(this, tr("PlayerManagementMenu"),
                     tr("connect NewTickerReady fails, this is an internal error, subsequent operations are not "
                        "reliable, please report this to your vendor."),
                     QMessageBox::Ignore);
    prompts().execDialog(dialog);
    delete dialog;
}

void kvo_Form::StartTickerFunction(QString text)
{
    if (text.isEmpty()) {
        showInformation(this, tr("STartTickerFunction"), tr("empty ticker message, nothing to do"));
        return;
    }
    bool gone = false;
    PlayerItem* player = configTarget(&gone);
    if (!player) {
        if (!gone)
            showWarning(this, tr("Operational error"), tr("No player is selected"));
        return;
    }

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
            showWarning(this, tr("Start Ticker Function"),
                        tr("Could not write %1 for the virtual player: %2").arg(failed, error));
        return;
    }

    sendCommand(player, QStringLiteral("Kivo.SetNewTicker"), {text});
    const QString address = player->ipAddress();
    if (address.isEmpty()) {
        showInformation(this, tr("Start Ticker Function"),
                        tr("Could not find IP address of the player. No action is taken."));
        return;
    }
    if (!m_tickerUploader) {
        m_tickerUploader = new TickerUploader(this);
        // Reported once the transfer's handler has returned.
        connect(m_tickerUploader, &TickerUploader::failed, this, [this](const QString& reason) {
            QTimer::singleShot(0, this, [this, reason] {
                showWarning(this, tr("Start Ticker Function"), tr("Sending the ticker files fails: %1").arg(reason));
            });
        });
    }

    auto* bitmap = new QFile(QDir::current().filePath(bitmapName));
    if (!bitmap->open(QIODevice::ReadOnly)) {
        delete bitmap;
        showInformation(this, bitmapName, tr("File open fails"));
        return;
    }
    m_tickerUploader->queue(address, PlayerItem::ftpPort(), bitmap, bitmapName);

    auto* ini = new QFile(QDir::current().filePath(iniName));
    if (!ini->exists()) {
        delete ini;
        showInformation(this, iniName, tr("File not found"));
        return;
    }
    if (!ini->open(QIODevice::ReadOnly)) {
        delete ini;
        showInformation(this, iniName, tr("File open fails"));
        return;
    }
    m_tickerUploader->queue(address, PlayerItem::ftpPort(), ini, iniName);
}

void kvo_Form::showTickerReply()
{
    // The box opens once the reply's handler has returned.
    QTimer::singleShot(0, this, [this] {
        showInformation(this, tr("Set New Ticker"), tr("New ticker message is sent."));
    });
}
