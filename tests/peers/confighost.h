#pragma once

// The configuration controller as the window composes it, without the window:
// the players view and transfer strip, the real players controller, scripted
// prompts and a scratch directory. Players come from FakePlayer or virtualPlayer().

#include "config/configcontroller.h"
#include "players/playerscontroller.h"

#include "boxes.h"
#include "contentfiles.h"
#include "fakeplayer.h"
#include "scratchdir.h"

#include <QtWidgets>

#include <functional>

struct ConfigHost
{
    ScratchDirectory dir;
    ScriptedPrompts prompts;
    QWidget window;
    QListWidget* view = new QListWidget(&window);
    QProgressBar* bar = new QProgressBar(&window);
    QLabel* label = new QLabel(&window);
    PlayersController players{view, &window};
    ConfigController config{{bar, label}, &players, &window};

    CommandChannel& channel() { return players.channel(); }
    // Opens the dialog of a player menu entry: "network", "scale", "volume",
    // "scheduler", "ticker", "logs" or "watchdog".
    void open(const QString& dialog, PlayerItem* player)
    {
        const QHash<QString, std::function<void()>> openers{
            {"network", [&] { config.network().openNetworkDialog(player); }},
            {"scale", [&] { config.display().openScaleWindowDialog(player); }},
            {"volume", [&] { config.display().openVolumeDialog(player); }},
            {"scheduler", [&] { config.scheduler().openSchedulerDialog(player); }},
            {"ticker", [&] { config.ticker().openTickerDialog(player); }},
            {"logs", [&] { config.logs().openLogDialog(player); }},
            {"watchdog", [&] { config.logs().openWatchdogDialog(player); }}};
        openers.value(dialog)();
    }
    // A virtual player whose directory has its four folders.
    PlayerItem* virtualPlayer(const QString& name)
    {
        const QString directory = dir.filePath("media/MIRRORS/" + name);
        for (const char* folder : {"contents", "playlist", "sys", "tickers"})
            QDir().mkpath(directory + "/" + folder);
        return players.addVirtualPlayer(name, directory);
    }
};

// A dialog's widget by object name.
template <typename T>
T* child(QObject* parent, const char* name)
{
    return parent->findChild<T*>(QLatin1String(name));
}

inline void click(QObject* dialog, const char* button)
{
    child<QPushButton>(dialog, button)->click();
}

using Fields = QList<QPair<QString, QVariant>>;

// Sets a dialog's widgets by object name: the index of a combo box, else the
// widget's own value (a line edit's text, a button's check, a slider's value).
inline void fill(QObject* dialog, const Fields& fields)
{
    for (const auto& [name, value] : fields) {
        QObject* widget = dialog->findChild<QWidget*>(name);
        if (auto* combo = qobject_cast<QComboBox*>(widget))
            combo->setCurrentIndex(value.toInt());
        else
            widget->setProperty(widget->metaObject()->userProperty().name(), value);
    }
}
