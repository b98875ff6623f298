#pragma once

// Rendering of a ticker message into the 8-bit bitmap the players scroll,
// and the small configuration file sent with it. No window needed.

#include <QByteArray>
#include <QColor>
#include <QFont>
#include <QImage>
#include <QList>
#include <QString>

namespace ticker {

inline constexpr int maxWidth = 8192;
inline constexpr int maxHeight = 256;
inline constexpr int paletteSize = 256;

// Entry i blends background into foreground by i/255: index 0 is the
// background, 255 the foreground. A full palette also keeps the bitmap at 8
// bits per pixel (a writer may shrink a palette of 16 colours or fewer).
QList<QRgb> palette(const QColor& background, const QColor& foreground);

struct Rendering {
    QImage image;          // Format_Indexed8 with palette(); null when it could not be made
    bool tooLong = false;  // the text was wider than maxWidth and is cut
    bool tooTall = false;  // the line was higher than maxHeight and is cut
};

// The text as one line from the top-left corner, as wide and high as it
// measures, at most maxWidth by maxHeight.
Rendering render(const QString& text, const QFont& font, const QColor& background, const QColor& foreground);

// The three lines of "ticker.ini": background colour, direction, speed.
QByteArray iniFileBytes(const QColor& background, bool leftToRight, int speed);

// Encodes image as a Windows BMP file.
QByteArray bmpBytes(const QImage& image);

} // namespace ticker
