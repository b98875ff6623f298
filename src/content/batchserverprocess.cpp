#include "content/batchserverprocess.h"

#include "content/batchserver.h"
#include "ui/prompts.h"

#include <QTimer>

namespace {
constexpr qsizetype kKeptOutput = 4096;
constexpr int kStopWaitMs = 3000;
}

BatchServerProcess::BatchServerProcess(QWidget* window, QObject* parent)
    : QObject(parent)
    , m_window(window)
{
}

BatchServerProcess::~BatchServerProcess()
{
    stop();
}

void BatchServerProcess::start(const QString& root)
{
    stop();
    const QString program = batchserver::program();
    if (program.isEmpty()) {
        qDebug("No batch download server is started");
        return;
    }
    m_process = new QProcess(this);
    m_process->setProgram(program);
    m_process->setArguments(batchserver::arguments(root));
    m_process->setProcessChannelMode(QProcess::MergedChannels);
    connect(m_process, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error != QProcess::FailedToStart)
            return;
        qWarning("Batch download server %s cannot start: %s", qPrintable(m_process->program()),
                 qPrintable(m_process->errorString()));
        // Not from inside the process's own signal: the box runs an event loop.
        QTimer::singleShot(0, this, [this] {
            showInformation(m_window, tr("Platform dependency message"), tr("Fail starting batch download server."),
                            QMessageBox::Ok);
        });
    });
    connect(m_process, &QProcess::readyRead, this, [this] {
        const QByteArray output = m_process->readAll();
        for (const QByteArray& line : output.split('\n'))
            if (!line.trimmed().isEmpty())
                qDebug("Batch download server: %s", line.trimmed().left(500).constData());
        m_output = (m_output + output).right(kKeptOutput);
    });
    connect(m_process, &QProcess::finished, this, &BatchServerProcess::finished);
    m_process->start();
    m_process->closeWriteChannel();
    qDebug("Batch download server %s started on port %d for %s", qPrintable(program), batchserver::kPort,
           qPrintable(root));
}

void BatchServerProcess::finished(int exitCode, QProcess::ExitStatus status)
{
    // The server ends only with the controller: any earlier end leaves players
    // without content, which the operator must hear of.
    QString text;
    if (status == QProcess::NormalExit && exitCode == batchserver::kExitPortInUse) {
        text = tr("The batch download server cannot use port %1: another program is using it. Players cannot "
                  "pull content until that program is stopped and the controller is started again.")
                   .arg(batchserver::kPort);
    } else {
        const QString reason = status == QProcess::CrashExit ? tr("crashed") : tr("exit code %1").arg(exitCode);
        const QString output = QString::fromLocal8Bit(m_output).trimmed().section(QLatin1Char('\n'), -3);
        text = tr("The batch download server stopped (%1). Players cannot pull content until the controller is "
                  "started again.").arg(reason);
        if (!output.isEmpty())
            text += QLatin1Char('\n') + output;
    }
    qWarning("%s", qPrintable(text));
    QTimer::singleShot(0, this, [this, text] { showWarning(m_window, tr("Platform dependency message"), text); });
}

void BatchServerProcess::stop()
{
    if (!m_process)
        return;
    // Ended on purpose: no message about an early end.
    m_process->disconnect(this);
    if (m_process->state() != QProcess::NotRunning) {
        // The launcher passes the request on to the server and waits for it.
        m_process->terminate();
        if (!m_process->waitForFinished(kStopWaitMs)) {
            m_process->kill();
            m_process->waitForFinished(kStopWaitMs);
        }
    }
    qDebug("Batch download server stopped");
    delete m_process;
    m_process = nullptr;
}
