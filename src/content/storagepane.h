#pragma once

// The storage pane: the files the shown player stores, listed from its reply
// or from a virtual player's "contents" folder, and the pane's buttons, which
// delete or play a stored file on that player.

#include "content/contentwidgets.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariant>

class PlayerItem;
class PlayersController;
class QTreeWidgetItem;
class QWidget;
class ShownPlayer;

class StoragePane : public QObject
{
    Q_OBJECT
public:
    StoragePane(const ContentWidgets& widgets, ShownPlayer* shown, PlayersController* players, QWidget* window,
                QObject* parent = nullptr);

    // Removes the lines naming a file from one of a virtual player's playlist
    // files; true when a line was dropped and the file rewritten.
    bool DeleteLocalPlaylistItem(PlayerItem* player, QString name, QString playlistFile);
    // "Refresh player contents" for several players: each real player is asked
    // for its storage figures and list again (the panes keep their player,
    // whose list fills them when it comes); each virtual player's list for the
    // players that pull it is written anew.
    void refreshContents(const QList<QPointer<PlayerItem>>& players);

public slots:
    // Lists the shown player's storage: a real player's when its reply comes,
    // a virtual player's at once; with no player shown the pane stays empty.
    void AddPlayerContent();
    void DeletePlayerFile();
    void PlaySingleButton();
    void PlaySingle(QTreeWidgetItem* row);
    void PlayALL();
    // Asks the shown player to rename a stored file.
    void RenameContentFile(QString& from, QString& to);
    void retitle();

signals:
    // Old and repaired name of a stored file whose reported name held escapes.
    void fix_URL_spaces(QString& oldName, QString& newName);
    // A file was deleted from the shown player, and its lines from its playlists.
    void fileDeleted();
    void statusMessage(const QString& text, int timeoutMs = 0);

private:
    void handleReply(const QString& method, PlayerItem* player, const QVariant& result);
    void fillFromReply(const PlayerItem* player, const QVariant& result);
    // Lists a virtual player's files in the pane and writes its list for
    // pulling players; an empty string, or why the list was not written.
    QString listVirtualContents(PlayerItem* player);

    ContentWidgets m_widgets;
    ShownPlayer* m_shown;
    PlayersController* m_players;
    QWidget* m_window;
};
