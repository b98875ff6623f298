#pragma once

// The operator's record of what happened: player admitted, went offline,
// duplicate refused, command faults, transfers. Each line is timestamped,
// shown in the "Events" pane and appended to the events file in the working
// directory, so that an operator can see afterwards what the status bar
// showed only for a moment.

#include <QFile>
#include <QObject>
#include <QString>
#include <QTimer>

class QListWidget;

class EventLog : public QObject
{
    Q_OBJECT
public:
    static constexpr int kViewLines = 1000;
    // Longer event texts are cut (elideForDisplay): the file then keeps
    // hundreds of events however long the texts a player sends.
    static constexpr int kLineLength = 500;
    static constexpr qint64 kFileLimit = 1024 * 1024;
    static constexpr const char* kFileName = "events.log";

    // Lines go to view (keeping its last kViewLines) and to filePath; once
    // the file would pass maxFileBytes it is renamed to filePath + ".1"
    // (replacing the older one) and a new file is started. While it exists
    // this log receives recordEvent().
    EventLog(QListWidget* view, const QString& filePath, qint64 maxFileBytes = kFileLimit,
             QObject* parent = nullptr);
    ~EventLog() override;

    // One line, whatever the text holds.
    void record(const QString& text);

private:
    bool openFile();

    QListWidget* m_view;
    QString m_path;
    qint64 m_limit;
    QFile m_file;
    bool m_fileFailed = false;
    // Scrolling lays the whole list out: once per burst of events, not per line.
    QTimer m_scroll;
};

// Appends a line to the current event log; without one it does nothing.
void recordEvent(const QString& text);

// The event lines, one per kind of event.
namespace events {
void playerAdmitted(const QString& name, const QString& address);
void playerOffline(const QString& statusText);
void duplicateRefused(const QString& name, const QString& address, const QString& registeredName,
                      const QString& registeredAddress);
// player: the player's name, or empty when unknown.
void commandFault(const QString& method, const QString& player, const QString& message);
void transferDone(const QString& player, const QString& errorText);
// What became of the partial file an upload that failed or was aborted left on the player.
void partialUpload(const QString& player, const QString& file, const QString& partialFile, bool removed,
                   const QString& reason);
// A copy of a repository file into a virtual player's folder.
void copyDone(const QString& player, const QString& fileName, const QString& errorText);
void copyAborted(const QString& player, const QString& fileName);
// The player a fault came from: the owner's name when known, else the name
// within the sending client's object name ("xml-rpc_client" NAME ":" ADDRESS).
QString faultPlayerName(const QString& ownerName, const QObject* client);
} // namespace events
