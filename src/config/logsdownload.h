#pragma once

// Downloads one log file from a player's "log" FTP account into a local
// file chosen by the operator. The local file is replaced only by a complete
// download; a failed one leaves an earlier file of that name as it was. A
// download stops, and fails, once the log passes kMaxLogBytes or when
// writing on would leave less than kKeepFreeBytes free on the disk.

#include <QObject>
#include <QString>

class BoundedSaveFile;
class FtpTransfer;

namespace logs {
// The file a log is saved as: the chosen name, with ".txt" appended unless
// it already ends so (in any letter case).
QString saveFileName(const QString& chosen);
} // namespace logs

class LogDownload : public QObject
{
    Q_OBJECT
public:
    static constexpr const char* user = "log";
    static constexpr qint64 kMaxLogBytes = 128LL * 1024 * 1024;
    static constexpr qint64 kKeepFreeBytes = 256LL * 1024 * 1024;

    LogDownload(const QString& host, quint16 port, const QString& logName, const QString& localFile,
                QObject* parent = nullptr);
    ~LogDownload() override;

    // Replaces kMaxLogBytes and kKeepFreeBytes; before start().
    void setLimits(qint64 maxLogBytes, qint64 keepFreeBytes);
    // Starts the transfer; finished follows in any case.
    void start();
    QString logName() const { return m_logName; }
    QString localFile() const { return m_localFile; }

signals:
    void progress(qint64 done, qint64 total);
    void finished(bool error, const QString& reason);

private:
    void commandFinished(int id, bool error);
    void done(bool error);

    FtpTransfer* m_ftp;
    BoundedSaveFile* m_file;
    QString m_host;
    quint16 m_port;
    QString m_logName;
    QString m_localFile;
    int m_getId = 0;
    bool m_committed = false;
    QString m_reason;
};
