#pragma once

// The content of the window: the media repository and its virtual players and
// AV input items, the storage and playlist panes of the shown player, the
// transfers to it, and the batch download server. The panes belong to the
// player the operator last chose; whatever the panes do, and whatever reaches
// them, concerns that player alone.

#include "content/contentwidgets.h"

#include <QObject>
#include <QString>

class AVInputItems;
class BatchServerProcess;
class FileTransfers;
class MediaRepository;
class PlayerItem;
class PlayersController;
class PlaylistPane;
class QWidget;
class ShownPlayer;
class StoragePane;
class VirtualPlayers;

class ContentController : public QObject
{
    Q_OBJECT
public:
    // window: the parent of boxes, menus and dialogs.
    ContentController(const ContentWidgets& widgets, PlayersController* players, QWidget* window,
                      QObject* parent = nullptr);

    // Shows the repository path and lists the repository, then starts the
    // batch download server on it.
    void init();

    ShownPlayer* shownPlayer() const { return m_shown; }
    StoragePane* storage() const { return m_storage; }
    PlaylistPane* playlist() const { return m_playlist; }
    FileTransfers* transfers() const { return m_transfers; }
    VirtualPlayers* virtualPlayers() const { return m_virtualPlayers; }
    MediaRepository* repository() const { return m_repository; }

public slots:
    // The panes show player: its storage and playlist are listed afresh.
    void showPlayer(PlayerItem* player);
    // The "Refresh player contents" menu entry: the storage of the shown
    // player listed again, or another player shown.
    void refreshPlayerContents(PlayerItem* player);
    void RefreshServerContents();
    void ChangeMediaCenterPath_Slot(const QString& path);
    void set_wget_progress(QString& ip, QString& progress);
    // The panes' titles after a change of language.
    void retranslate();

signals:
    void statusMessage(const QString& text, int timeoutMs = 0);

private:
    ContentWidgets m_widgets;
    QWidget* m_window;
    ShownPlayer* m_shown;
    StoragePane* m_storage;
    PlaylistPane* m_playlist;
    FileTransfers* m_transfers;
    VirtualPlayers* m_virtualPlayers;
    AVInputItems* m_avInputs;
    MediaRepository* m_repository;
    BatchServerProcess* m_batchServer;
};
