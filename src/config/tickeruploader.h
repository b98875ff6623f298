#pragma once

// Sends the ticker files to a player's "ticker" FTP account: each file as a
// whole connection (connect, login, put, close) queued behind the previous
// one, each file kept open until its put has finished.

#include <QHash>
#include <QObject>
#include <QString>

class FtpTransfer;
class QFile;

class TickerUploader : public QObject
{
    Q_OBJECT
public:
    static constexpr const char* user = "ticker";

    explicit TickerUploader(QObject* parent = nullptr);
    ~TickerUploader() override;

    // Queues the upload of file (taken over; opened for reading) as remoteName.
    void queue(const QString& host, quint16 port, QFile* file, const QString& remoteName);

signals:
    // A queued upload failed; the uploads queued behind it were dropped.
    void failed(const QString& reason);
    // Every upload queued has been sent.
    void delivered();

private:
    void commandFinished(int id, bool error);
    void done(bool error);

    FtpTransfer* m_ftp;
    QHash<int, QFile*> m_files;
};
