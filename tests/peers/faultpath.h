#pragma once

// The window's fault path without a window: players controller, Events pane and prompts that count open boxes.

#include "players/commandchannel.h"
#include "players/playeritem.h"
#include "players/playerscontroller.h"
#include "ui/events.h"
#include "xmlrpc/xrclient.h"

#include "scriptedprompts.h"


class OpenBoxCounter : public ScriptedPrompts // answers as an operator who leaves a box open a while; counts them
{
public:
    int open = 0;

    QMessageBox::StandardButton message(Kind kind, QWidget* parent, const QString& title, const QString& text,
                                        QMessageBox::StandardButtons buttons,
                                        QMessageBox::StandardButton defaultButton) override
    {
        ++open;
        const auto answer = ScriptedPrompts::message(kind, parent, title, text, buttons, defaultButton);
        --open;
        return answer;
    }
};

class FaultPathHost
{
public:
    static constexpr int kCallsPerPlayer = 3; // the calls sendCommands() sends to one player

    explicit FaultPathHost(const QString& eventsFile)
        : players(view, &window)
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
    QListWidget* view = new QListWidget(&window);
    QListWidget* eventsView = new QListWidget(&window);
    PlayersController players;
    EventLog events;
    int replies = 0;
    int faults = 0;
    QStringList statusLines;
};
