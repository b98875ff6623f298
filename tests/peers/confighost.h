#pragma once

// The configuration controller as the window composes it, without the
// window: a host widget with the players view and the transfer strip, the
// real players controller and its command channel, scripted prompts and a
// scratch working directory. Players come from FakePlayer or virtualPlayer().

#include "config/configcontroller.h"
#include "players/playerscontroller.h"

#include "boxes.h"
#include "contentfiles.h"
#include "fakeplayer.h"
#include "scratchdir.h"

#include <QAbstractSlider>
#include <QComboBox>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>

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

// Each call a fake player received as "method: param|param|...".
inline QStringList callLines(const FakePlayer& player, const QString& method = QString())
{
    QStringList lines;
    for (const FakePlayer::Call& call : player.calls) {
        if (!method.isEmpty() && call.method != method)
            continue;
        QStringList params;
        for (const QVariant& param : call.params)
            params.append(param.toString());
        lines.append(call.method + ": " + params.join('|'));
    }
    return lines;
}

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

// Sets a dialog's widgets by object name: the text of a line edit, the index
// of a combo box, the state of a check or radio button, the value of a slider.
inline void fill(QObject* dialog, const Fields& fields)
{
    for (const auto& [name, value] : fields) {
        if (auto* edit = dialog->findChild<QLineEdit*>(name))
            edit->setText(value.toString());
        else if (auto* combo = dialog->findChild<QComboBox*>(name))
            combo->setCurrentIndex(value.toInt());
        else if (auto* button = dialog->findChild<QAbstractButton*>(name))
            button->setChecked(value.toBool());
        else
            dialog->findChild<QAbstractSlider*>(name)->setValue(value.toInt());
    }
}

// The rows of a dialog's list view, columns joined by "|".
inline QStringList rows(QObject* dialog, const char* view)
{
    return rowsOf(child<QTreeWidget>(dialog, view));
}
