#pragma once

// An FTP client with a queued command interface: connect, login, put, get and
// close are queued, run one after another from the Qt event loop, and report
// their start and end by signal. Connect and login only record the session; a
// put or get is one libcurl transfer on a control connection of its own, made
// with the host and login recorded before it. libcurl waits for a transfer's
// final reply and for the answer to QUIT without returning, so every transfer
// runs on a worker thread of its own; its progress and its end come back to
// this object's thread as queued calls, and every signal is emitted there,
// from the event loop. While a put or get runs, its device is read or written
// on that worker thread only; an abort or the destruction of this object
// detaches the worker, which never touches the device again.
//
// A put writes its file under a temporary name (the name + ".part") and
// renames it once the server has it whole, on the same control connection,
// so that the name never stands for part of a file. When a put fails or is
// aborted after its data began, the worker removes the temporary file (an
// FTP server keeps what it received) over a new control connection, and
// partialUploadEnded() tells whether it is gone.

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>

#include <memory>
#include <optional>

class QIODevice;
struct FtpJob;

class FtpTransfer : public QObject
{
    Q_OBJECT
public:
    enum Command { None, ConnectToHost, Login, Put, Get, Close };
    Q_ENUM(Command)
    // Unconnected until a connectToHost has run, Connected once it has,
    // LoggedIn once a login has run; close and abort return to Unconnected.
    enum State { Unconnected, Connected, LoggedIn };
    Q_ENUM(State)

    explicit FtpTransfer(QObject* parent = nullptr);
    ~FtpTransfer() override;

    // Each call queues one command and returns its id (unique within this object).
    int connectToHost(const QString& host, quint16 port = 21);
    int login(const QString& user, const QString& password);
    // Uploads the rest of device (opened for reading if not open yet) as
    // remoteName, sent as these bytes (UTF-8 names travel as UTF-8), by way
    // of partialName(remoteName).
    // The device is not owned; it must live until the put has finished.
    int put(QIODevice* device, const QByteArray& remoteName);
    // Downloads remoteName into device (opened for writing if not open yet).
    int get(const QByteArray& remoteName, QIODevice* device);
    int close();

    // The name a put writes under until its file is complete.
    static QByteArray partialName(const QByteArray& remoteName);

    // Stops the running command, drops the queued ones and ends the sequence
    // with commandFinished(id, true) and done(true), error string "Aborted".
    // Without a running or queued command it only resets the state.
    void abort();

    // The command that is running; still set while commandFinished is emitted.
    Command currentCommand() const;
    QIODevice* currentDevice() const;
    State state() const { return m_state; }
    // The text of the last failure.
    QString errorString() const { return m_errorString; }
    bool hasPendingCommands() const { return !m_queue.isEmpty(); }

signals:
    void commandStarted(int id);
    void commandFinished(int id, bool error);
    // The queue ran empty; error is true when a command of the sequence failed
    // (the commands queued after a failed one are dropped).
    void done(bool error);
    // Bytes transferred so far by the running put or get; total is 0 when unknown.
    void dataTransferProgress(qint64 done, qint64 total);
    // A put that failed or was aborted left partialName on the server: it has
    // been removed, or could not be (reason). Comes after the put has been
    // reported finished when it was aborted, before that when it failed.
    void partialUploadEnded(const QByteArray& remoteName, bool removed, const QString& reason);

private:
    struct Pending {
        int id = 0;
        Command command = None;
        QString host;
        quint16 port = 0;
        QString user;
        QString password;
        QByteArray remoteName;
        QIODevice* device = nullptr;
    };

    int enqueue(Pending pending);
    void scheduleNext();
    void startNext();
    void startTransfer();
    void finishCurrent(bool error, const QString& errorText = QString());
    void emitDone(bool error);
    bool isCurrent(int id) const;
    // Detaches the running worker, if any: its results are no longer heard.
    void releaseJob();
    void jobProgressed(FtpJob* job);
    void jobFinished(const std::shared_ptr<FtpJob>& job);
    void emitProgress(qint64 done, qint64 total);

    friend struct FtpJob;

    std::shared_ptr<FtpJob> m_job;
    // Every worker still running, the detached ones included: they report a
    // partial file's removal here until this object goes.
    QList<std::shared_ptr<FtpJob>> m_workers;
    QList<Pending> m_queue;
    std::optional<Pending> m_current;
    bool m_startScheduled = false;
    bool m_finishing = false;
    bool m_reportingDone = false;
    bool m_sequenceFailed = false;
    int m_lastId = 0;
    State m_state = Unconnected;
    QString m_errorString;

    // Session gathered from the commands that have run.
    QString m_host;
    quint16 m_port = 0;
    QString m_user;
    QString m_password;

    qint64 m_reportedDone = -1;
    qint64 m_reportedTotal = -1;
};
