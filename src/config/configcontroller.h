#pragma once

// The configuration of players: network identity, display and audio,
// scheduled tasks, ticker, logs and watchdog. Every dialog it opens belongs
// to the player it was opened for: what the dialog sends goes to that player
// only, replies fill it only when they come from that player, and a dialog
// that shows the player's values sends nothing before they have been read.
// The window opens its parts from the player menu's entries.

#include "config/displaycommands.h"
#include "config/logcommands.h"
#include "config/networkcommands.h"
#include "config/schedulercommands.h"
#include "config/tickercommands.h"

#include <QObject>

class PlayersController;
class QLabel;
class QProgressBar;
class QWidget;

// The window's widgets the controller reports on.
struct ConfigWidgets {
    QProgressBar* transferBar = nullptr;   // the transfer strip: log downloads
    QLabel* transferLabel = nullptr;
};

class ConfigController : public QObject
{
    Q_OBJECT
public:
    // window: the parent of every dialog, menu and box.
    ConfigController(const ConfigWidgets& widgets, PlayersController* players, QWidget* window,
                     QObject* parent = nullptr);

    NetworkCommands& network() { return m_network; }
    DisplayCommands& display() { return m_display; }
    SchedulerCommands& scheduler() { return m_scheduler; }
    TickerCommands& ticker() { return m_ticker; }
    LogCommands& logs() { return m_logs; }

signals:
    void statusMessage(const QString& text, int timeoutMs = 0);

private:
    NetworkCommands m_network;
    DisplayCommands m_display;
    SchedulerCommands m_scheduler;
    TickerCommands m_ticker;
    LogCommands m_logs;
};
