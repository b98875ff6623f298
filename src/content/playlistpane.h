#pragma once

// The playlist pane: one of the shown player's four playlists as a working
// copy that the operator builds from the stored files, reorders and then
// saves to that player, or saves and plays.

#include "content/contentwidgets.h"

#include <QObject>
#include <QString>
#include <QVariant>

class PlayerItem;
class PlayersController;
class QPoint;
class QTreeWidgetItem;
class QWidget;
class ShownPlayer;

class PlaylistPane : public QObject
{
    Q_OBJECT
public:
    PlaylistPane(const ContentWidgets& widgets, ShownPlayer* shown, PlayersController* players, QWidget* window,
                 QObject* parent = nullptr);

public slots:
    // Shows the chosen playlist of the shown player: a real player's when its
    // reply comes, a virtual player's at once.
    void GetPlaylist();
    void GetPlaylist(int index);
    void AddPlaylistItem(QTreeWidgetItem* row);
    void OperateOnPlaylistItem(QTreeWidgetItem* row, const QPoint& point, int column);
    void SaveAlbum();
    void PlayAlbum();
    void SaveNPlay();
    void retitle();

signals:
    void set_displaytime_value(const QString& seconds);

private:
    void handleReply(const QString& method, PlayerItem* player, const QVariant& result);
    void appendRows(const QList<QStringList>& rows);
    void showPlaylistFile(const QString& path);

    ContentWidgets m_widgets;
    ShownPlayer* m_shown;
    PlayersController* m_players;
    QWidget* m_window;
};
