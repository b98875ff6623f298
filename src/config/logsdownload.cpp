#include "config/logsdownload.h"

#include "core/ftptransfer.h"

#include <QFileInfo>
#include <QSaveFile>
#include <QStorageInfo>

// A save file that refuses to grow past a budget or to fill its disk. It is
// written on the transfer's worker thread; a refused write fails the download.
class BoundedSaveFile : public QSaveFile
{
public:
    using QSaveFile::QSaveFile;

    qint64 maxBytes = LogDownload::kMaxLogBytes;
    qint64 keepFreeBytes = LogDownload::kKeepFreeBytes;

protected:
    qint64 writeData(const char* data, qint64 length) override
    {
        constexpr qint64 MiB = 1024 * 1024;
        if (m_written + length > maxBytes) {
            setErrorString(LogDownload::tr("The log is larger than %1 MiB").arg(maxBytes / MiB));
            return -1;
        }
        // The disk is asked again after every MiB written.
        if (m_written >= m_nextDiskCheck) {
            const QStorageInfo disk(QFileInfo(fileName()).absolutePath());
            m_freeAtCheck = disk.isValid() ? disk.bytesAvailable() : -1;
            m_writtenAtCheck = m_written;
            m_nextDiskCheck = m_written + MiB;
        }
        if (m_freeAtCheck >= 0 && m_freeAtCheck - (m_written + length - m_writtenAtCheck) < keepFreeBytes) {
            setErrorString(LogDownload::tr("Less than %1 MiB would be left free on the disk").arg(keepFreeBytes / MiB));
            return -1;
        }
        const qint64 written = QSaveFile::writeData(data, length);
        if (written > 0)
            m_written += written;
        return written;
    }

private:
    qint64 m_written = 0;
    qint64 m_nextDiskCheck = 0;
    qint64 m_freeAtCheck = -1;
    qint64 m_writtenAtCheck = 0;
};

QString logs::saveFileName(const QString& chosen)
{
    if (chosen.endsWith(QLatin1String(".txt"), Qt::CaseInsensitive))
        return chosen;
    return chosen + QLatin1String(".txt");
}

LogDownload::LogDownload(const QString& host, quint16 port, const QString& logName, const QString& localFile,
                         QObject* parent)
    : QObject(parent)
    , m_ftp(new FtpTransfer(this))
    , m_file(new BoundedSaveFile(localFile, this))
    , m_host(host)
    , m_port(port)
    , m_logName(logName)
    , m_localFile(localFile)
{
    connect(m_ftp, &FtpTransfer::dataTransferProgress, this, &LogDownload::progress);
    connect(m_ftp, &FtpTransfer::commandFinished, this, &LogDownload::commandFinished);
    connect(m_ftp, &FtpTransfer::done, this, &LogDownload::done);
}

LogDownload::~LogDownload()
{
    m_ftp->disconnect(this);
    m_ftp->abort();
    m_file->cancelWriting();
}

void LogDownload::setLimits(qint64 maxLogBytes, qint64 keepFreeBytes)
{
    m_file->maxBytes = maxLogBytes;
    m_file->keepFreeBytes = keepFreeBytes;
}

void LogDownload::start()
{
    if (!m_file->open(QIODevice::WriteOnly)) {
        const QString reason = m_file->errorString();
        // Reported from the event loop, like the end of a transfer.
        QMetaObject::invokeMethod(this, [this, reason] { emit finished(true, reason); }, Qt::QueuedConnection);
        return;
    }
    // The log's name is only the remote name: the transfer escapes it in
    // the URL, and the local file is the one the operator chose.
    m_ftp->connectToHost(m_host, m_port);
    m_ftp->login(QLatin1String(user), QString());
    m_getId = m_ftp->get(m_logName.toUtf8(), m_file);
    m_ftp->close();
}

void LogDownload::commandFinished(int id, bool error)
{
    if (id != m_getId)
        return;
    if (error) {
        m_reason = m_ftp->errorString();
        m_file->cancelWriting();
        return;
    }
    m_committed = m_file->commit();
    if (!m_committed)
        m_reason = m_file->errorString();
}

void LogDownload::done(bool error)
{
    if (error && m_reason.isEmpty())
        m_reason = m_ftp->errorString();
    // The closing QUIT may fail after a complete download: the file counts.
    emit finished(!m_committed, m_committed ? QString() : m_reason);
}
