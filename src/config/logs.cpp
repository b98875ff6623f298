// The main window's side of log management and the watchdog dialog: listing,
// deleting and downloading a player's log files.

#include "window/kvo_form.h"

#include "config/logsdialog.h"
#include "config/logsdownload.h"
#include "config/schedulertarget.h"
#include "players/commandchannel.h"
#include "players/playeritem.h"
#include "ui/prompts.h"

#include <QTimer>

void kvo_Form::openLogDialog(PlayerItem* item)
{
    if (!item)
        return;
    ConfigDialogScope scope(this, item);
    auto* dialog = new Log_Dialog(this, "log", true);
    connect(this, &kvo_Form::NewLogEntry, dialog, &Log_Dialog::AddLogEntry);
    connect(dialog, &Log_Dialog::RequestDeleteLogFile, this, &kvo_Form::DeleteLogFile);
    connect(dialog, &Log_Dialog::RequestDownloadLogFile, this, &kvo_Form::DownloadLogFile);
    GetLogList();
    prompts().execDialog(dialog);
    delete dialog;
}

void kvo_Form::openWatchdogDialog(PlayerItem* item)
{
    if (!item)
        return;
    // Shows the seconds only: nothing is sent or kept.
    auto* dialog = new Watchdog_Dialog(this, playerDialogName(item).constData(), true);
    prompts().execDialog(dialog);
    delete dialog;
}

void kvo_Form::GetLogList()
{
    bool gone = false;
    PlayerItem* player = configTarget(&gone);
    if (!player)
        return;
    sendCommand(player, QStringLiteral("Kivo.GetLogList"));
}

void kvo_Form::showLogListReply(PlayerItem* owner, const QVariant& result)
{
    if (!isConfigReplyWanted(owner))
        return;
    for (const QVariant& element : result.toList()) {
        QString name = element.toString().trimmed();
        emit NewLogEntry(name);
    }
}

void kvo_Form::DeleteLogFile(QString name)
{
    bool gone = false;
    PlayerItem* player = configTarget(&gone);
    if (!player) {
        if (!gone)
            showInformation(this, tr("Payer File Operation"), tr("No Player is selected."));
        return;
    }
    if (commandChannel().isBusy()) {
        showWarning(this, tr("Delete Log File"), tr("The command channel to this player is busy, try again later."));
        return;
    }
    sendCommand(player, QStringLiteral("Kivo.DeleteLogFile"), {name});
}

void kvo_Form::DownloadLogFile(QString name)
{
    bool gone = false;
    if (!configTarget(&gone))
        return;
    const QString chosen = prompts().saveFileName(this, tr("Choose a filename to save the log"), QStringLiteral("/"),
                                                  tr("text (*.txt)"));
    if (chosen.isEmpty() || name.isEmpty())
        return;
    // The chooser ran an event loop: the player may have gone meanwhile.
    PlayerItem* player = configTarget(&gone);
    if (!player || player->ipAddress().isEmpty())
        return;

    auto* download = new LogDownload(player->ipAddress(), PlayerItem::ftpPort(), name, logs::saveFileName(chosen), this);
    connect(download, &LogDownload::progress, this, &kvo_Form::showLogDownloadProgress);
    connect(download, &LogDownload::finished, this, [this, download](bool error, const QString& reason) {
        download->deleteLater();
        // Reported once the transfer's handler has returned.
        const QString logName = download->logName();
        const QString localFile = download->localFile();
        QTimer::singleShot(0, this, [=, this] { showLogDownloadEnd(logName, localFile, error, reason); });
    });
    showLogDownloadProgress(0, 0);
    download->start();
}

void kvo_Form::showLogDownloadProgress(qint64 done, qint64 total)
{
    ui.xfer_filename_textLabel->setText(QStringLiteral("<font color=red>Reading......</font>"));
    ui.Xfer_progressBar->setRange(0, int(qMax<qint64>(total, 0)));
    ui.Xfer_progressBar->setValue(int(done));
}

void kvo_Form::showLogDownloadEnd(const QString& logName, const QString& localFile, bool error, const QString& reason)
{
    ui.Xfer_progressBar->reset();
    ui.xfer_filename_textLabel->clear();
    if (error) {
        showInformation(this, tr("File transfer"), tr("Downloading log %1 fails: %2").arg(logName, reason));
        return;
    }
    statusBar()->showMessage(tr("Log %1 is saved as %2").arg(logName, localFile));
}
