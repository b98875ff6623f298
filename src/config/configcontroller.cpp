#include "config/configcontroller.h"

#include "players/playerscontroller.h"

ConfigController::ConfigController(const ConfigWidgets& widgets, PlayersController* players, QWidget* window,
                                   QObject* parent)
    : QObject(parent)
    , m_network(players->channel(), window)
    , m_display(players->channel(), window)
    , m_scheduler(players->channel(), window)
    , m_ticker(players->channel(), window)
    , m_logs(players->channel(), window, widgets.transferBar, widgets.transferLabel)
{
    connect(&m_logs, &LogCommands::statusMessage, this, &ConfigController::statusMessage);
}
