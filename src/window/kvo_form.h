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

#include <array>

class CommandChannel;
class PlayerItem;
class PlayersController;
class QTreeWidgetItem;
class QDialog;
class TickerUploader;
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
    static constexpr int layoutPictureCount = 10;

    explicit kvo_Form(QWidget* parent = nullptr, const char* name = nullptr,
                      Qt::WindowFlags flags = Qt::Window);
    ~kvo_Form() override;

    // Picture i stands for screen layout i; null when layout<i>.png was missing
    // or unreadable, and for any index outside 0..9.
    QPixmap layoutPicture(int index) const;

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
    // Task scheduler, ticker, logs and watchdog (src/config/scheduler*, ticker*, logs*).
    // Each open... runs its dialog for item; while it runs, the slots below act
    // on that item (or on nothing, with a warning, once it has gone).
public:
    void openSchedulerDialog(PlayerItem* item);
    void openTickerDialog(PlayerItem* item);
    void openLogDialog(PlayerItem* item);
    void openWatchdogDialog(PlayerItem* item);
public slots:
    void get_crontab();
    void set_crontab_Slot(QStringList table);
    void StartTickerFunction(QString text);
    void GetLogList();
    void DeleteLogFile(QString name);
    void DownloadLogFile(QString name);
signals:
    void Clear_Crontab_listView();
    void Append_Crontab_listView(QString line);
    void NewLogEntry(QString& entry);
private:
    friend class ConfigDialogScope;
    // The player a configuration dialog was opened for, while it runs.
    struct ConfigTarget {
        bool active = false;
        QPointer<PlayerItem> player;
    };
    // The player the configuration slots act on: the open dialog's player, or
    // without such a dialog the current item. Null when there is none; *gone
    // tells that the dialog's player has gone (the operator was told).
    PlayerItem* configTarget(bool* gone);
    // Whether a reply concerning owner may fill the open dialog.
    bool isConfigReplyWanted(const PlayerItem* owner) const;
    void showCrontabReply(PlayerItem* owner, const QVariant& result);
    void showLogListReply(PlayerItem* owner, const QVariant& result);
    void showTickerReply();
    // The transfer display for log downloads.
    void showLogDownloadProgress(qint64 done, qint64 total);
    void showLogDownloadEnd(const QString& logName, const QString& localFile, bool error, const QString& reason);
    ConfigTarget m_configTarget;
    TickerUploader* m_tickerUploader = nullptr;
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

    void loadLayoutPictures();

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

    std::array<QPixmap, layoutPictureCount> m_layoutPictures;
    PlayersController* m_players = nullptr;

    // Player configuration: network, display and audio settings (src/config).
public:
    // What the player menu's entries open for item.
    void openNetworkDialog(PlayerItem* item);
    void openScaleWindowDialog(PlayerItem* item);
    void openVolumeDialog(PlayerItem* item);
public slots:
    void SetPlayerName(QString name);
    void SetPlayerIP(QString chipset, QString dhcp, QString ip, QString gateway, QString mask);
    void SetServerIP(QString ip);
    void WLANSetup(QString chipset, QString essid, QString key, QString dhcp, QString ip, QString gateway,
                   QString mask);
    void SetDMZ(QString flag, QString ip);
    void VideoModeMenu(PlayerItem* item, const QPoint& pos);
    void ScreenLayoutMenu(PlayerItem* item, const QPoint& pos);
    void SetScaleWindow(int x, int y, int w, int h);
    void set_player_volume_Slot(int volume);
signals:
    void received_scale_window_parameters(int x, int y, int w, int h);
    void received_player_volume(int volume);
private:
    // The player a setting goes to: while a settings dialog runs, the player
    // it was opened for (null, after one warning, once that player has gone),
    // otherwise the current player; warnWhenNone warns about no current player.
    PlayerItem* settingsTarget(bool warnWhenNone);
    int runSettingsDialog(QDialog* dialog, PlayerItem* item);
    // Replaces a file of a virtual player's directory; a failure is reported.
    void writeVirtualSettings(PlayerItem* item, const QString& file, const QByteArray& text);
    void videoModeReply();
    void screenLayoutSetReply();
    void screenLayoutReply(PlayerItem* item, const QVariant& result);
    void scaleWindowSetReply();
    void scaleWindowReply(const QVariant& result);
    void volumeReply(const QVariant& result);
    QPointer<QDialog> m_settingsDialog;
    QPointer<PlayerItem> m_settingsPlayer;
    bool m_settingsDialogRunning = false;
    bool m_settingsPlayerGoneShown = false;
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
