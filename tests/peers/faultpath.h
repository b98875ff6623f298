#pragma once

// The window's fault path without the window: a players controller with its
// view and command channel, an Events pane with its file, and prompts that
// count how many boxes are open at once. Players are added as admission adds
// them (an item and a client aimed at the player's XML-RPC service) and sent
// the calls that a click and the "Firmware version" entry send.

#include "players/commandchannel.h"
#include "players/playeritem.h"
#include "players/playerscontroller.h"
#include "ui/events.h"
#include "xmlrpc/xrclient.h"

#include "scriptedprompts.h"

#include <QListWidget>
#include <QUrl>
#include <QWidget>

// Answers every box only once the condition holds, as an operator who leaves
// it open; records the most boxes open at one time.
class OpenBoxCounter : public ScriptedPrompts
{
public:
    int open = 0;
    int mostOpen = 0;

    QMessageBox::StandardButton message(Kind kind, QWidget* parent, const QString& title, const QString& text,
                                        QMessageBox::StandardButtons buttons,
                                        QMessageBox::StandardButton defaultButton) override
    {
        mostOpen = qMax(mostOpen, ++open);
        const QMessageBox::StandardButton answer =
            ScriptedPrompts::message(kind, parent, title, text, buttons, defaultButton);
        --open;
        return answer;
    }
};

class FaultPathHost
{
public:
    // The calls sendCommands() sends to one player.
    static constexpr int kCallsPerPlayer = 3;

    explicit FaultPathHost(const QString& eventsFile)
        : view(new QListWidget(&window))
        , eventsView(new QListWidget(&window))
        , players(view, &window)
        , events(eventsView, eventsFile)
    {
        QObject::connect(&players.channel(), &CommandChannel::replied, &window, [this] { ++replies; });
        QObject::connect(&players.channel(), &CommandChannel::failed, &window, [this] { ++faults; });
        QObject::connect(&players, &PlayersController::statusMessage, &window,
                         [this](const QString& text) { statusLines.append(text); });
    }

    PlayerItem* addPlayer(const QString& name, const QString& address, int timeoutMs)
    {
        auto* item = new PlayerItem(view, name, false, false);
        item->setName(name);
        item->setIpAddress(address);
        auto* client = new XRClient(QUrl("http://" + address + ":8888/RPC2"), nullptr,
                                    "xml-rpc_client" + name + ":" + address);
        client->setRequestTimeout(timeoutMs);
        players.channel().setClient(name, client);
        item->setClient(client);
        return item;
    }

    // What a click on the player and its "Firmware version" entry send.
    void sendCommands(PlayerItem* item)
    {
        players.GetFreeSpace(item);
        players.channel().send(item, "Kivo.GetMediaFileList");
        players.FirmwareVersion(item);
    }

    int outcomes() const { return replies + faults; }

    OpenBoxCounter prompts;
    QWidget window;
    QListWidget* view;
    QListWidget* eventsView;
    PlayersController players;
    EventLog events;
    int replies = 0;
    int faults = 0;
    QStringList statusLines;
};
