#pragma once

// The batch download server run beside the controller, from start-up until
// the controller ends: the operator hears when it cannot start or stops early.

#include <QByteArray>
#include <QObject>
#include <QProcess>

class QWidget;

class BatchServerProcess : public QObject
{
    Q_OBJECT
public:
    // window: the parent of the boxes.
    explicit BatchServerProcess(QWidget* window, QObject* parent = nullptr);
    // Stops the server.
    ~BatchServerProcess() override;

    // Starts the program batchserver::program() names, serving root; none when
    // it names nothing. A server already running is stopped first, so that a
    // new repository is served on the same port.
    void start(const QString& root);
    // The running server; null before start() or when no server is started.
    QProcess* process() const { return m_process; }

private:
    void stop();
    void finished(int exitCode, QProcess::ExitStatus status);

    QWidget* m_window;
    QProcess* m_process = nullptr;
    QByteArray m_output; // its last lines of output, for the operator
};
