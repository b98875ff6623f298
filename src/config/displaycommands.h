#pragma once

// A player's output: the video mode and screen layout menus (with the ten
// layout pictures, loaded once from the working directory), the scale-window
// and volume dialogs opened for a player, and the replies that carry a
// player's layout, window and volume. The dialogs keep OK disabled until
// their player's values have been read.

#include <QList>
#include <QObject>
#include <QPixmap>
#include <QPointer>
#include <QString>
#include <QVariant>

#include "ui/artwork.h"

#include <array>
#include <functional>
#include <optional>

class CommandChannel;
class PlayerDialogScope;
class PlayerItem;
class PlayersController;
namespace display {
struct VideoMode;
}
class QPoint;
class QWidget;

class DisplayCommands : public QObject
{
    Q_OBJECT
public:
    // window: the parent of menus, dialogs and boxes.
    DisplayCommands(CommandChannel& channel, QWidget* window, QObject* parent = nullptr);

    // Picture i stands for screen layout i; null when layout<i>.png was missing
    // or unreadable, and for any index outside 0..9.
    QPixmap layoutPicture(int index) const;

    // The "Scale window" and "Volume control" entries of a real player.
    void openScaleWindowDialog(PlayerItem* player);
    void openVolumeDialog(PlayerItem* player);

    // The same entries for several players: the same menus (an entry ticked
    // only when every player has it), and one volume the operator chooses for
    // all, read from none of them; each player gets what its own entry sends.
    void bulkVideoModeMenu(PlayersController& players, const QList<QPointer<PlayerItem>>& selected);
    void bulkScreenLayoutMenu(PlayersController& players, const QList<QPointer<PlayerItem>>& selected);
    void bulkVolumeDialog(PlayersController& players, const QList<QPointer<PlayerItem>>& selected);

public slots:
    void VideoModeMenu(PlayerItem* item, const QPoint& pos);
    void ScreenLayoutMenu(PlayerItem* item, const QPoint& pos);
    void SetScaleWindow(int x, int y, int w, int h);
    void set_player_volume_Slot(int volume);

signals:
    // The open dialog's player's values, as its reply brought them.
    void received_scale_window_parameters(int x, int y, int w, int h);
    void received_player_volume(int volume);

private:
    // The menus of an output setting; nullopt when the operator chose nothing.
    std::optional<int> chooseVideoMode(const std::function<bool(const display::VideoMode&)>& ticked);
    std::optional<int> chooseScreenLayout(const std::function<bool(int)>& ticked);
    void handleReply(const QString& method, PlayerItem* player, const QVariant& result);
    void handleFailure(const QString& method, PlayerItem* player, const QString& message);

    CommandChannel& m_channel;
    QWidget* m_window;
    PlayerDialogScope* m_open = nullptr;
    std::array<QPixmap, artwork::screenLayoutCount> m_layoutPictures;
};
