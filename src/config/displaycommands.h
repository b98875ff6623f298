#pragma once

// A player's output: the video mode and screen layout menus (with the ten
// layout pictures, loaded once from the working directory), the scale-window
// and volume dialogs opened for a player, and the replies that carry a
// player's layout, window and volume. The dialogs keep OK disabled until
// their player's values have been read.

#include <QObject>
#include <QPixmap>
#include <QString>
#include <QVariant>

#include "ui/artwork.h"

#include <array>

class CommandChannel;
class PlayerDialogScope;
class PlayerItem;
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
    void handleReply(const QString& method, PlayerItem* player, const QVariant& result);
    void handleFailure(const QString& method, PlayerItem* player, const QString& message);

    CommandChannel& m_channel;
    QWidget* m_window;
    PlayerDialogScope* m_open = nullptr;
    std::array<QPixmap, artwork::screenLayoutCount> m_layoutPictures;
};
