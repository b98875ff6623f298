#pragma once

// A player's log files and its watchdog dialog: the log dialog opened for a
// player lists that player's logs (filled only from its reply), and deletes
// and downloads them from it; a download shows its progress on the transfer
// strip.

#include <QObject>
#include <QString>
#include <QVariant>

class CommandChannel;
class PlayerDialogScope;
class PlayerItem;
class QLabel;
class QProgressBar;
class QWidget;

class LogCommands : public QObject
{
    Q_OBJECT
public:
    // window: the parent of dialogs and boxes; bar and label: the transfer strip.
    LogCommands(CommandChannel& channel, QWidget* window, QProgressBar* bar, QLabel* label, QObject* parent = nullptr);

    // The "LOG management" and "Watchdog timer" entries.
    void openLogDialog(PlayerItem* player);
    void openWatchdogDialog(PlayerItem* player);

public slots:
    void GetLogList();
    void DeleteLogFile(QString name);
    void DownloadLogFile(QString name);

signals:
    void NewLogEntry(QString& entry);
    void statusMessage(const QString& text, int timeoutMs = 0);

private:
    void handleReply(const QString& method, PlayerItem* player, const QVariant& result);
    void handleFailure(const QString& method, PlayerItem* player, const QString& message);
    void showDownloadEnd(const QString& logName, const QString& localFile, bool error, const QString& reason);

    CommandChannel& m_channel;
    QWidget* m_window;
    QProgressBar* m_bar;
    QLabel* m_label;
    PlayerDialogScope* m_open = nullptr;
};
