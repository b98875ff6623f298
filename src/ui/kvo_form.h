#pragma once

#include "players/commandchannel.h"
#include "ui_kvo_form.h"

#include <QMainWindow>
#include <QPixmap>
#include <QSet>
#include <QStringList>
#include <QVariant>

#include <array>

class PlayerItem;
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

    // The operator's view (src/ui/operatorview.cpp): accessible names, the
    // players filter, the events pane and the layout kept between runs.
    void setUpOperatorView();
    void nameOperatorView();
    void saveOperatorView() const;
    QLineEdit* m_playerFilterField = nullptr;
    QListWidget* m_eventsView = nullptr;

    std::array<QPixmap, layoutPictureCount> m_layoutPictures;
    CommandChannel m_commands;
    // Name and address of duplicates whose warning is open, so that a
    // duplicate's heartbeats do not stack up boxes.
    QSet<QString> m_openDuplicateWarnings;
};
