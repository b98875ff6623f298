#pragma once

#include "content/transfer.h"
#include "players/commandchannel.h"
#include "ui_kvo_form.h"

#include <QMainWindow>
#include <QPixmap>
#include <QSet>
#include <QStringList>
#include <QVariant>

#include <array>

class PlayerItem;
class QTreeWidgetItem;
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

    // Outstanding requests, their owners and the players' clients.
    CommandChannel& commandChannel() { return m_commands; }
    // The icon view's current item when it is a player, else null.
    PlayerItem* currentPlayer() const;

    // Sends "Kivo.Sleep" through the client held for the player's name.
    void SleepPlayer(QListWidgetItem* item);

public slots:
    void ChangeMediaCenterPath_Slot(const QString& path);

    // Admission and liveness.
    void AddNewPlayer(QStringList record);
    void delete_player(PlayerItem* item);
    void UpdatePlayerDisplayData(QListWidgetItem* item);

    // Reply dispatch.
    void ProcessResponse(int id, const QVariant& result);
    void ProcessFault(int id, int code, const QString& message);

    // Playback and status commands.
    void PlaySingle(QTreeWidgetItem* row);
    void GetFreeSpace(QListWidgetItem* item);
    void PlayALL();
    void FirmwareVersion();
    void Reboot_player();
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

protected:
    void changeEvent(QEvent* event) override;
    virtual void languageChange();

private:
    void connectWidgets();
    // The current player, or null after telling the operator that none is selected.
    PlayerItem* currentPlayerOrWarning();
    void init();
    // Calls method on the item's client and records the request; returns the
    // request id, or 0 when the item has no client (a virtual player).
    int sendCommand(PlayerItem* item, const QString& method, const QVariantList& params = {});
    void admitPlayer(const QString& name, const QStringList& record);
    void refreshPlayer(PlayerItem* item, const QStringList& record);
    void showDuplicateWarning(const QString& name, const QString& address, const PlayerItem* registered);
    void followTransferProgressOf(PlayerItem* selected);
    // Deletes a client replaced by a new admission once its calls are answered.
    void retireClient(XRClient* client);

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

    std::array<QPixmap, layoutPictureCount> m_layoutPictures;
    CommandChannel m_commands;
    // Name and address of duplicates whose warning is open, so that a
    // duplicate's heartbeats do not stack up boxes.
    QSet<QString> m_openDuplicateWarnings;
};
