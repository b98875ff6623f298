#pragma once

#include "content/transfer.h"
#include "ui_kvo_form.h"

#include <QDir>
#include <QMainWindow>
#include <QPixmap>
#include <QPointer>
#include <QProcess>
#include <QSet>
#include <QStringList>
#include <QVariant>

class CommandChannel;
class ConfigController;
class PlayerItem;
class PlayersController;
class QTreeWidgetItem;
class RepositoryLister;
class QLineEdit;
class XRClient;

// The controller's main window. The widgets of the form are reached through
// `ui` (for example ui.Player_iconView, ui.ServerContents_listView); slots that
// belong to other subsystems are declared here and defined in their folders.
class kvo_Form : public QMainWindow
{
    Q_OBJECT

public:
    explicit kvo_Form(QWidget* parent = nullptr, const char* name = nullptr,
                      Qt::WindowFlags flags = Qt::Window);
    ~kvo_Form() override;

    Ui::kvo_Form ui;

    PlayersController* players() const { return m_players; }
    // Outstanding requests, their owners and the players' clients.
    CommandChannel& commandChannel();
    // The icon view's current item when it is a player, else null.
    PlayerItem* currentPlayer() const;

public slots:
    void ChangeMediaCenterPath_Slot(const QString& path);

    // Playback commands of the storage pane.
    void PlaySingle(QTreeWidgetItem* row);
    void PlayALL();
    void PlaySingleButton();

    // Player storage, playlists and file transfer.
    void AddPlayerContent(QListWidgetItem* item);
    void GetPlaylist();
    void GetPlaylist(int index);
    void AddPlaylistItem(QTreeWidgetItem* row);
    void OperateOnPlaylistItem(QTreeWidgetItem* row, const QPoint& point, int column);
    void SaveAlbum();
    void PlayAlbum();
    void SaveNPlay();
    void DeletePlayerFile();
    void DownloadFile(QTreeWidgetItem* row);
    void SLT_progressbar_update(qint64 done, qint64 total, const UrlOperation& op);
    void SLT_URL_op_finished(const UrlOperation& op);
    void SLT_abort_xfer();
    void refresh_player_contents();

signals:
    void set_displaytime_value(const QString& seconds);
    // Old and repaired name of a stored file whose reported name held escapes.
    void fix_URL_spaces(QString& oldName, QString& newName);

public:
    // Removes the lines naming a file from one of a virtual player's playlist
    // files; true when a line was dropped and the file rewritten.
    virtual bool DeleteLocalPlaylistItem(PlayerItem* player, QString name, QString playlistFile);
    // Batch download server and download progress.
public slots:
    void set_wget_progress(QString& ip, QString& progress);
    void RenameContentFile(QString& from, QString& to);
public:
    // The batch download server started by init(); null when none was.
    QProcess* batchServer() const { return m_batchServer; }
private:
    void startBatchServer();
    void stopBatchServer();
    void batchServerFinished(int exitCode, QProcess::ExitStatus status);
    QProcess* m_batchServer = nullptr;
    QByteArray m_batchServerOutput; // its last lines of output, for the operator

protected:
    void changeEvent(QEvent* event) override;
    virtual void languageChange();

private:
    void connectPlayerMenu();
    void connectWidgets();
    void handleReply(const QString& method, PlayerItem* owner, const QVariant& result);
    void showChosenPlayer(PlayerItem* item);
    void forgetPlayer(PlayerItem* item);
    // The current player, or null after telling the operator that none is selected.
    PlayerItem* currentPlayerOrWarning();
    void init();
    // Calls method on the item's client and records the request; returns the
    // request id, or 0 when the item has no client (a virtual player).
    int sendCommand(PlayerItem* item, const QString& method, const QVariantList& params = {});
    void followTransferProgressOf(PlayerItem* selected);

    // Player storage, playlists and file transfer.
    void connectStorageWidgets();
    void fillStorageFromReply(const QVariant& result);
    void fillPlaylistFromReply(const QVariant& result);
    void appendPlaylistRows(const QList<QStringList>& rows);
    void listVirtualContents(PlayerItem* player);
    void showPlaylistFile(const QString& path);
    void copyToVirtualPlayer(PlayerItem* player, const QString& source, const QString& bareName);
    void followVirtualCopy(qint64 done, qint64 total, PlayerItem* player);
    void finishVirtualCopy(PlayerItem* player, const QString& target, bool ok, const QString& error);
    VirtualCopier* m_virtualCopier = nullptr;
    // The operator's view (src/ui/operatorview.cpp): accessible names, the
    // players filter, the events pane and the layout kept between runs.
    void setUpOperatorView();
    void nameOperatorView();
    void saveOperatorView() const;
    QLineEdit* m_playerFilterField = nullptr;
    QListWidget* m_eventsView = nullptr;

    PlayersController* m_players = nullptr;
    ConfigController* m_config = nullptr;

    // Media repository, virtual players and AV input items.
public slots:
    void RefreshServerContents();
    void create_new_virtual_player();
    void add_new_virtual_player(QString name);
    void EraseDirectory(QDir dir);
    void CreateExtAVinItem();
    void Save_AVIN_file(QString first, QString second);

public:
    // Lists the repository into view; rows appear when the worker has walked it.
    void ReadMediaRepository(QTreeWidget* view);
    RepositoryLister* repositoryLister();
    // The "Storage space" and "Delete this virtual player" entries of a virtual player's menu.
    void ShowVirtualStorageSpace(PlayerItem* item);
    void DeleteVirtualPlayer(PlayerItem* item);

private:
    void connectRepositoryWidgets();
    void recreateVirtualPlayers();
    RepositoryLister* m_repositoryLister = nullptr;
};
