#include "config/logcommands.h"

#include "config/logsdialog.h"
#include "config/logsdownload.h"
#include "config/playerdialogscope.h"
#include "core/displaytext.h"
#include "players/commandchannel.h"
#include "players/playeritem.h"
#include "ui/events.h"
#include "ui/prompts.h"
#include "ui/transferprogress.h"

#include <QLabel>
#include <QProgressBar>
#include <QTimer>

#include <memory>

namespace {
const QString getLogList = QStringLiteral("Kivo.GetLogList");
}

LogCommands::LogCommands(CommandChannel& channel, QWidget* window, QProgressBar* bar, QLabel* label, QObject* parent)
    : QObject(parent)
    , m_channel(channel)
    , m_window(window)
    , m_bar(bar)
    , m_label(label)
{
    connect(&channel, &CommandChannel::replied, this, &LogCommands::handleReply);
    connect(&channel, &CommandChannel::failed, this, &LogCommands::handleFailure);
}

void LogCommands::openLogDialog(PlayerItem* item)
{
    if (!item)
        return;
    const std::unique_ptr<Log_Dialog> dialog(new Log_Dialog(m_window, "log", true));
    connect(this, &LogCommands::NewLogEntry, dialog.get(), &Log_Dialog::AddLogEntry);
    connect(dialog.get(), &Log_Dialog::RequestDeleteLogFile, this, &LogCommands::DeleteLogFile);
    connect(dialog.get(), &Log_Dialog::RequestDownloadLogFile, this, &LogCommands::DownloadLogFile);
    PlayerDialogScope scope(m_open, item, dialog.get(), &dialog->valuesGate());
    GetLogList();
    scope.exec();
}

void LogCommands::openWatchdogDialog(PlayerItem* item)
{
    if (!item)
        return;
    // Shows the seconds only: nothing is sent or kept.
    const std::unique_ptr<Watchdog_Dialog> dialog(
        new Watchdog_Dialog(m_window, playerDialogName(item).constData(), true));
    prompts().execDialog(dialog.get());
}

void LogCommands::GetLogList()
{
    PlayerItem* player = m_open ? m_open->player() : nullptr;
    if (player && m_channel.send(player, getLogList))
        m_open->awaitReply(getLogList);
}

void LogCommands::handleReply(const QString& method, PlayerItem* player, const QVariant& result)
{
    if (!m_open || !m_open->awaits(method, player))
        return;
    if (result.typeId() != QMetaType::QVariantList) {
        m_open->readFailed(tr("The player's logs could not be read from its reply."));
        return;
    }
    ListCap cap;
    for (const QVariant& element : result.toList()) {
        QString name = element.toString().trimmed();
        if (cap.take(name))
            emit NewLogEntry(name);
    }
    m_open->valuesRead();
    if (cap.leftOut() > 0) {
        const QString note = leftOutNote(player->name(), tr("logs"), cap.taken(), cap.leftOut());
        recordEvent(note);
        emit statusMessage(note);
    }
}

void LogCommands::handleFailure(const QString& method, PlayerItem* player, const QString& message)
{
    if (m_open && m_open->awaits(method, player))
        m_open->readFailed(message);
}

void LogCommands::DeleteLogFile(QString name)
{
    if (!m_open) {
        showInformation(m_window, tr("Payer File Operation"), tr("No Player is selected."));
        return;
    }
    PlayerItem* player = m_open->player();
    if (!player)
        return;
    if (m_channel.isBusy()) {
        showWarning(m_window, tr("Delete Log File"), tr("The command channel to this player is busy, try again later."));
        return;
    }
    m_channel.send(player, QStringLiteral("Kivo.DeleteLogFile"), {name});
}

void LogCommands::DownloadLogFile(QString name)
{
    if (!m_open || !m_open->player())
        return;
    const QString chosen = prompts().saveFileName(m_window, tr("Choose a filename to save the log"), QStringLiteral("/"),
                                                  tr("text (*.txt)"));
    if (chosen.isEmpty() || name.isEmpty())
        return;
    // The chooser ran an event loop: the player may have gone meanwhile.
    PlayerItem* player = m_open ? m_open->player() : nullptr;
    if (!player || player->ipAddress().isEmpty())
        return;

    auto* download = new LogDownload(player->ipAddress(), PlayerItem::ftpPort(), name, logs::saveFileName(chosen), this);
    connect(download, &LogDownload::progress, this, [this](qint64 done, qint64 total) {
        showTransferProgress(m_bar, done, total);
    });
    connect(download, &LogDownload::finished, this, [this, download](bool error, const QString& reason) {
        download->deleteLater();
        // Reported once the transfer's handler has returned.
        const QString logName = download->logName();
        const QString localFile = download->localFile();
        QTimer::singleShot(0, this, [=, this] { showDownloadEnd(logName, localFile, error, reason); });
    });
    m_label->setText(QStringLiteral("<font color=red>Reading......</font>"));
    showTransferProgress(m_bar, 0, 0);
    download->start();
}

void LogCommands::showDownloadEnd(const QString& logName, const QString& localFile, bool error, const QString& reason)
{
    m_bar->reset();
    m_label->clear();
    if (error) {
        showInformation(m_window, tr("File transfer"), tr("Downloading log %1 fails: %2").arg(logName, reason));
        return;
    }
    emit statusMessage(tr("Log %1 is saved as %2").arg(logName, localFile));
}
