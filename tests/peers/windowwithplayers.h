#pragma once

// The controller's window and registration service in the test process, wired
// as at start-up, with emulated players registering with it over loopback.
// Members are destroyed in reverse order: the players first, so that no
// registration reaches a half-gone window.

#include "players/playeritem.h"
#include "players/qxrkvoserver.h"
#include "players/commandchannel.h"
#include "players/playerscontroller.h"
#include "window/kvo_form.h"
#include "ui/prompts.h"

#include "emulatorpeer.h"
#include "scratchdir.h"

#include <QTest>

struct WindowWithPlayers
{
    ScratchDirectory workDir;
    ScriptedPrompts prompts;
    QXRKVOServer server{0, 5, nullptr, "registration", QHostAddress::LocalHost};
    kvo_Form form;
    EmulatorPeer players{workDir.filePath("emulator")};

    WindowWithPlayers()
    {
        QObject::connect(&server, &QXRKVOServer::NewPlayerRegistration, form.players(), &PlayersController::AddNewPlayer);
    }
    bool isReady() const { return workDir.isValid() && server.isListening(); }
    bool startPlayers(const QString& firstAddress, int count, const QStringList& arguments)
    {
        return players.start(server.serverPort(), firstAddress, count, arguments);
    }
    // The player the window lists under name, or null.
    PlayerItem* player(const QString& name) const
    {
        const auto items = form.ui.Player_iconView->findItems(name, Qt::MatchExactly);
        return items.isEmpty() ? nullptr : static_cast<PlayerItem*>(items.first());
    }
    bool idle() { return form.commandChannel().outstanding() == 0; }
    // Waits until the window lists name (and, when asked, has no call outstanding).
    PlayerItem* waitForPlayer(const QString& name, bool untilIdle = true)
    {
        return QTest::qWaitFor([&] { return player(name) && (!untilIdle || idle()); }, 10000) ? player(name)
                                                                                             : nullptr;
    }
};
