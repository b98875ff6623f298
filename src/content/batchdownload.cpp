// The batch download server's life beside the window, the players' download
// progress reports, and renaming files that arrived with URL escapes.

#include "window/kvo_form.h"

#include "core/repositorypath.h"
#include "content/batchserver.h"
#include "players/playeritem.h"
#include "players/playerscontroller.h"
#include "ui/prompts.h"

#include <QTimer>

namespace {

constexpr qsizetype kKeptOutput = 4096;
constexpr int kStopWaitMs = 3000;

PlayerItem* playerAt(QListWidget* view, int row)
{
    QListWidgetItem* item = view->item(row);
    return item && item->type() == PlayerItem::ItemType ? static_cast<PlayerItem*>(item) : nullptr;
}

} // namespace

void kvo_Form::startBatchServer()
{
    const QString program = batchserver::program();
    if (program.isEmpty()) {
        qDebug("No batch download server is started");
        return;
    }
    m_batchServer = new QProcess(this);
    m_batchServer->setProgram(program);
    m_batchServer->setArguments(batchserver::arguments(repositoryPath()));
    m_batchServer->setProcessChannelMode(QProcess::MergedChannels);
    connect(m_batchServer, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error != QProcess::FailedToStart)
            return;
        qWarning("Batch download server %s cannot start: %s", qPrintable(m_batchServer->program()),
                 qPrintable(m_batchServer->errorString()));
        // Not from inside the process's own signal: the box runs an event loop.
        QTimer::singleShot(0, this, [this] {
            showInformation(this, tr("Platform dependency message"), tr("Fail starting batch download server."),
                            QMessageBox::Ok);
        });
    });
    connect(m_batchServer, &QProcess::readyRead, this, [this] {
        const QByteArray output = m_batchServer->readAll();
        for (const QByteArray& line : output.split('\n'))
            if (!line.trimmed().isEmpty())
                qDebug("Batch download server: %s", line.trimmed().left(500).constData());
        m_batchServerOutput = (m_batchServerOutput + output).right(kKeptOutput);
    });
    connect(m_batchServer, &QProcess::finished, this, &kvo_Form::batchServerFinished);
    m_batchServer->start();
    m_batchServer->closeWriteChannel();
    qDebug("Batch download server %s started on port %d for %s", qPrintable(program), batchserver::kPort,
           qPrintable(repositoryPath()));
}

void kvo_Form::batchServerFinished(int exitCode, QProcess::ExitStatus status)
{
    // The server ends only with the window: any earlier end leaves players
    // without content, which the operator must hear of.
    QString text;
    if (status == QProcess::NormalExit && exitCode == batchserver::kExitPortInUse) {
        text = tr("The batch download server cannot use port %1: another program is using it. Players cannot "
                  "pull content until that program is stopped and the controller is started again.")
                   .arg(batchserver::kPort);
    } else {
        const QString reason = status == QProcess::CrashExit ? tr("crashed") : tr("exit code %1").arg(exitCode);
        const QString output = QString::fromLocal8Bit(m_batchServerOutput).trimmed().section(QLatin1Char('\n'), -3);
        text = tr("The batch download server stopped (%1). Players cannot pull content until the controller is "
                  "started again.").arg(reason);
        if (!output.isEmpty())
            text += QLatin1Char('\n') + output;
    }
    qWarning("%s", qPrintable(text));
    QTimer::singleShot(0, this, [this, text] { showWarning(this, tr("Platform dependency message"), text); });
}

void kvo_Form::stopBatchServer()
{
    if (!m_batchServer)
        return;
    m_batchServer->disconnect(this);
    if (m_batchServer->state() != QProcess::NotRunning) {
        // The launcher passes the request on to the server and waits for it.
        m_batchServer->terminate();
        if (!m_batchServer->waitForFinished(kStopWaitMs)) {
            m_batchServer->kill();
            m_batchServer->waitForFinished(kStopWaitMs);
        }
    }
    qDebug("Batch download server stopped");
    delete m_batchServer;
    m_batchServer = nullptr;
}

void kvo_Form::set_wget_progress(QString& ip, QString& progress)
{
    // Virtual players have no address: an empty one names nobody.
    if (ip.isEmpty())
        return;
    PlayerItem* item = nullptr;
    for (int row = 0; row < ui.Player_iconView->count() && !item; ++row) {
        PlayerItem* candidate = playerAt(ui.Player_iconView, row);
        if (candidate && candidate->ipAddress() == ip)
            item = candidate;
    }
    if (!item)
        return;
    item->updateLastActive();

    const WgetProgress report = parseWgetProgress(progress);
    if (!report.valid || !item->isSelected())
        return;
    ui.xfer_filename_textLabel->setText(tr("Transfer file (") + report.fileName + QLatin1Char(')'));
    // A percentage is shown against 100, also after an upload measured the bar in bytes.
    if (ui.Xfer_progressBar->minimum() != 0 || ui.Xfer_progressBar->maximum() != 100)
        ui.Xfer_progressBar->setRange(0, 100);
    ui.Xfer_progressBar->setValue(report.percent);
    statusBar()->showMessage(report.line);
    if (report.percent == 100)
        m_players->UpdatePlayerDisplayData(item);
}

void kvo_Form::RenameContentFile(QString& from, QString& to)
{
    PlayerItem* item = currentPlayer();
    if (!item || !item->isReal())
        return;
    sendCommand(item, QStringLiteral("Kivo.RenameContentFile"), {from, to});
}
