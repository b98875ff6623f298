#pragma once

// The controller's pictures, drawn in code: the window icon, the three player
// icons and the ten screen-layout pictures. The kvo-artwork build tool writes
// the files the running program loads (installpaths::dataFile) and the
// application's icon in each size of the desktop's icon theme.

#include <QImage>
#include <QString>

class QPainter;

namespace artwork {

// A monitor showing a signage screen; the window icon.
QImage monitorPicture(int size = 128);

enum class PlayerLook {
    On,       // a player that is powered and reporting
    Off,      // a player that reported "PWROFF"
    Virtual,  // a directory standing for a player
};

QImage playerPicture(PlayerLook look, int size = 64);
// The same drawing on any paint device (an SVG file, for one), size x size.
void paintPlayerPicture(QPainter& painter, PlayerLook look, int size);
// "player_icon.png", "player_off.png" or "player_virtual.png".
QString playerPictureFileName(PlayerLook look);

inline constexpr int screenLayoutCount = 10;

// Layouts 8 and 9 are for screens standing upright.
bool isPortraitLayout(int layout);
// Layout 0 to 9 as a 228 x 128 picture (128 x 228 when portrait); a null
// image for any other number.
QImage screenLayoutPicture(int layout);
// "layout0.png" to "layout9.png".
QString screenLayoutFileName(int layout);

} // namespace artwork
