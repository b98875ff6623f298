#pragma once

// The content controller without the window: the widgets it fills, the players
// view with the real players controller, and scripted prompts.

#include "content/contentcontroller.h"
#include "players/playerscontroller.h"
#include "ui/filechooser.h"

#include "boxes.h"
#include "contentfiles.h"
#include "fakeplayer.h"
#include "scratchdir.h"

#include <QtWidgets>

class ContentHost
{
public:
    ScriptedPrompts prompts;
    QWidget window;
    const ContentWidgets widgets = makeWidgets(&window);
    QListWidget* playersView = new QListWidget(&window);
    PlayersController players{playersView, &window};
    ContentController content{widgets, &players, &window};
    QString status;  // the last status line

    ContentHost()
    {
        prompts.nestedLoopMs = 20;
        QObject::connect(&content, &ContentController::statusMessage, &window, [this](const QString& text) { status = text; });
    }

    // The operator's click on a player: it alone is selected.
    void choose(PlayerItem* player)
    {
        playersView->setCurrentItem(player, QItemSelectionModel::ClearAndSelect);
        players.UpdatePlayerDisplayData(player);
    }
    PlayerItem* addVirtualPlayer(const QString& name, const QString& directory)
    {
        QDir().mkpath(directory + "/contents");
        QDir().mkpath(directory + "/playlist");
        return players.addVirtualPlayer(name, directory);
    }
    // A button by its text.
    QPushButton* button(const QString& text)
    {
        for (QPushButton* each : window.findChildren<QPushButton*>())
            if (each->text() == text)
                return each;
        return nullptr;
    }
    QTreeWidgetItem* storageRow(const QString& name) const
    {
        const auto found = widgets.storageView->findItems(name, Qt::MatchExactly);
        return found.isEmpty() ? nullptr : found.first();
    }
    // Waits until every call has been answered.
    bool waitIdle() { return channelIdle(players.channel()); }

private:
    static ContentWidgets makeWidgets(QWidget* window)
    {
        const auto view = [window] {
            auto* tree = new QTreeWidget(window);
            tree->setHeaderLabels({"NAME", "SIZE(KB)", "LOCATION", "TYPE", "DURATION"});
            return tree;
        };
        const auto button = [window](const char* text) { return new QPushButton(text, window); };
        auto* choice = new QComboBox(window);
        choice->addItems({"main", "picture0", "picture1", "picture2"});
        return {.storageBox = new QGroupBox(window), .storageView = view(), .deleteFile = button("Delete File"),
                .playFile = button("Play file"), .playAllFiles = button("Play all files"),
                .playlistBox = new QGroupBox(window), .playlistChoice = choice, .playlistView = view(),
                .saveList = button("Save this list"), .replayList = button("Re-Play this list"),
                .repositoryPath = new FileChooser(window), .repositoryView = view(),
                .createVirtualPlayer = button("Create Virtual Player"), .createAVInput = button("Create Ext AV in"),
                .refreshRepository = button("Refresh"), .transferLabel = new QLabel(window),
                .transferBar = new QProgressBar(window), .abortTransfer = button("Abort Xfer")};
    }
};
