#pragma once

// A player's network identity: the network dialog opened for a player, and
// the five slots its signals reach. Each sends one call to a real player or
// writes one environment file of a virtual player, and updates the item at
// once; all of them act on the dialog's player.

#include <QObject>
#include <QString>

class CommandChannel;
class PlayerDialogScope;
class PlayerItem;
class QWidget;

class NetworkCommands : public QObject
{
    Q_OBJECT
public:
    // window: the parent of the dialog and boxes.
    NetworkCommands(CommandChannel& channel, QWidget* window, QObject* parent = nullptr);

    // The "Network management" entry: the dialog, filled from the item.
    void openNetworkDialog(PlayerItem* player);

public slots:
    void SetPlayerName(QString name);
    void SetPlayerIP(QString chipset, QString dhcp, QString ip, QString gateway, QString mask);
    void SetServerIP(QString ip);
    void WLANSetup(QString chipset, QString essid, QString key, QString dhcp, QString ip, QString gateway,
                   QString mask);
    void SetDMZ(QString flag, QString ip);

private:
    // The open dialog's player; without a dialog, or once it has gone, null
    // after telling the operator.
    PlayerItem* target();

    CommandChannel& m_channel;
    QWidget* m_window;
    PlayerDialogScope* m_open = nullptr;
};
