#pragma once

// The entries of the bulk menu that the players answer themselves: playing
// every stored file, sleep, restart, and the firmware version and storage
// space of each player, answered in one table. Each sends every player what
// its single-player entry sends and reports one outcome for all.

#include <QList>
#include <QObject>
#include <QPair>
#include <QPointer>
#include <QString>

#include <functional>

class PlayerItem;
class PlayersController;
class QDialog;
class QWidget;

class BulkCommands : public QObject
{
    Q_OBJECT
public:
    // What a virtual player's storage holds, as its single entry tells it;
    // on failure an empty string with the reason in *failure.
    using VirtualStorage = std::function<QString(PlayerItem* player, QString* failure)>;

    BulkCommands(PlayersController& players, QWidget* window, QObject* parent = nullptr);

    void playAllFiles(const QList<QPointer<PlayerItem>>& players);
    // Ask once, naming the count; No sends nothing.
    void sleep(const QList<QPointer<PlayerItem>>& players);
    // Each icon goes once its call has ended, as a restarting player registers anew.
    void restart(const QList<QPointer<PlayerItem>>& players);
    void firmwareVersions(const QList<QPointer<PlayerItem>>& players);
    void storageSpace(const QList<QPointer<PlayerItem>>& players, VirtualStorage virtualStorage);

private:
    bool confirm(int entry, const QString& question);
    // Runs single calls of method, read by reader, then shows one row per
    // player (value or reason) under the entry's title.
    using Reader = std::function<QString(PlayerItem* player, const QVariant& result, QString* failure)>;
    void tabulate(int entry, const QList<QPointer<PlayerItem>>& players, const QString& method, Reader reader,
                  VirtualStorage virtualValue);

    PlayersController& m_players;
    QWidget* m_window;
};

// The table of a bulk answer: one row per player, its name and its value or
// why there is none. Run through the prompts; the dialog is the caller's.
QDialog* bulkTableDialog(QWidget* parent, const QString& title, const QString& valueHeading,
                         const QList<QPair<QString, QString>>& rows);
