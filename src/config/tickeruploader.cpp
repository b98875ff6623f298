#include "config/tickeruploader.h"

#include "core/ftptransfer.h"

#include <QFile>

TickerUploader::TickerUploader(QObject* parent)
    : QObject(parent)
    , m_ftp(new FtpTransfer(this))
{
    connect(m_ftp, &FtpTransfer::commandFinished, this, &TickerUploader::commandFinished);
    connect(m_ftp, &FtpTransfer::done, this, &TickerUploader::done);
}

TickerUploader::~TickerUploader()
{
    m_ftp->disconnect(this);
    m_ftp->abort();
    qDeleteAll(m_files);
}

void TickerUploader::queue(const QString& host, quint16 port, QFile* file, const QString& remoteName)
{
    file->setParent(nullptr);
    m_ftp->connectToHost(host, port);
    m_ftp->login(QLatin1String(user), QString());
    m_files.insert(m_ftp->put(file, remoteName.toUtf8()), file);
    m_ftp->close();
}

void TickerUploader::commandFinished(int id, bool)
{
    delete m_files.take(id);
}

void TickerUploader::done(bool error)
{
    // Puts dropped behind a failure never finish: release their files once
    // nothing is queued any more.
    const bool idle = !m_ftp->hasPendingCommands() && m_ftp->currentCommand() == FtpTransfer::None;
    if (idle) {
        qDeleteAll(m_files);
        m_files.clear();
    }
    if (error)
        emit failed(m_ftp->errorString());
    else if (idle)
        emit delivered();
}
