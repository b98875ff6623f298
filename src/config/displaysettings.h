#pragma once

// Rules of a player's output settings that need no window: the video modes
// offered and which of them a reported mode matches, the screen layouts
// offered, the environment files of a virtual player, the scaled window's
// clipping and the reading of the players' numeric replies.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QVariant>

#include <optional>

namespace display {

struct VideoMode {
    const char* label;  // the menu text, untranslated (context DisplayCommands)
    int id;             // the menu id
    const char* name;   // the mode name sent or written
    int group;          // 0 composite, 1 VGA, 2 HDMI, 3 LVDS
};

// Every mode in menu order.
const QList<VideoMode>& videoModes();
// The mode name of a menu id; empty for an unknown id.
QString videoModeName(int id);
// Whether the player's current mode (trimmed, compared exactly) checks the mode's entry.
bool videoModeMatches(const VideoMode& mode, const QString& current);

// Layouts offered in the layout menu, in order (layout 8 is not offered).
QList<int> offeredScreenLayouts();

inline constexpr const char* kVideoFile = "/sys/video.env";
inline constexpr const char* kScreenFile = "/sys/screen.env";
// "VIDEO=" mode, "LAYOUT=" layout, each one line ended by a line feed.
QByteArray videoEnvironment(const QString& mode);
QByteArray screenEnvironment(int layout);

// The screen is 4096 by 4096 in scale-window units.
inline constexpr int kScreenUnits = 4096;
inline constexpr int kMaxOrigin = kScreenUnits - 1;

struct ScaleWindow {
    int x = 0, y = 0, w = 0, h = 0;
    bool operator==(const ScaleWindow&) const = default;
};
struct ClippedWindow {
    ScaleWindow window;
    bool clippedRight = false;
    bool clippedBottom = false;
};
// Cuts the window at the right and bottom borders.
ClippedWindow clipScaleWindow(const ScaleWindow& window);
// A field's number: a decimal integer from 0 to maximum (blanks around it
// allowed); nothing for anything else, an empty field included.
std::optional<int> scaleFieldValue(const QString& text, int maximum);

// An element of a player's reply read as an integer: an integer, a whole
// number or a decimal string; nothing for any other value.
std::optional<int> replyInteger(const QVariant& value);
// The first count elements of an array reply, or nothing when the reply is
// not an array or one of them is not an integer.
std::optional<QList<int>> replyIntegers(const QVariant& reply, int count);

} // namespace display
