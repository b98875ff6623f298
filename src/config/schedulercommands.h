#pragma once

// A player's scheduled tasks: the scheduler dialog opened for a player, the
// reading of its table (by call for a real player, from "/sys/root" for a
// virtual one) and the storing of the committed table. The dialog is filled
// only from its own player's reply and cannot commit before it has come.

#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariant>

class CommandChannel;
class PlayerDialogScope;
class PlayerItem;
class QWidget;

class SchedulerCommands : public QObject
{
    Q_OBJECT
public:
    // window: the parent of the dialog and boxes.
    SchedulerCommands(CommandChannel& channel, QWidget* window, QObject* parent = nullptr);

    // The "Event scheduler" entry.
    void openSchedulerDialog(PlayerItem* player);

public slots:
    // Loads the open dialog's player's table into the dialog.
    void get_crontab();
    // Stores a table for the open dialog's player.
    void set_crontab_Slot(QStringList table);

signals:
    void Clear_Crontab_listView();
    void Append_Crontab_listView(QString line);

private:
    void handleReply(const QString& method, PlayerItem* player, const QVariant& result);
    void handleFailure(const QString& method, PlayerItem* player, const QString& message);

    CommandChannel& m_channel;
    QWidget* m_window;
    PlayerDialogScope* m_open = nullptr;
};
