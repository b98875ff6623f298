#pragma once

#include "ui_kvo_form.h"

#include <QMainWindow>
#include <QPixmap>
#include <QPointer>
#include <QSet>
#include <QStringList>
#include <QVariant>

#include <array>

class CommandChannel;
class ContentController;
class PlayerItem;
class PlayersController;
class QTreeWidgetItem;
class QDialog;
class TickerUploader;
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
    ContentController* content() const { return m_content; }
    // Outstanding requests, their owners and the players' clients.
    CommandChannel& commandChannel();
    // The icon view's current item when it is a player, else null.
    PlayerItem* currentPlayer() const;

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

protected:
    void changeEvent(QEvent* event) override;
    virtual void languageChange();

private:
    void connectPlayerMenu();
    void connectWidgets();
    void handleReply(const QString& method, PlayerItem* owner, const QVariant& result);
    // The current player, or null after telling the operator that none is selected.
    PlayerItem* currentPlayerOrWarning();
    void init();
    // Calls method on the item's client and records the request; returns the
    // request id, or 0 when the item has no client (a virtual player).
    int sendCommand(PlayerItem* item, const QString& method, const QVariantList& params = {});

    void loadLayoutPictures();

    // The operator's view (src/ui/operatorview.cpp): accessible names, the
    // players filter, the events pane and the layout kept between runs.
    void setUpOperatorView();
    void nameOperatorView();
    void saveOperatorView() const;
    QLineEdit* m_playerFilterField = nullptr;
    QListWidget* m_eventsView = nullptr;

    std::array<QPixmap, layoutPictureCount> m_layoutPictures;
    PlayersController* m_players = nullptr;
    ContentController* m_content = nullptr;

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
};
