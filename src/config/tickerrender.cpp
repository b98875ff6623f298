#include "config/tickerrender.h"

#include <QBuffer>
#include <QFontMetrics>
#include <QImageWriter>
#include <QPainter>

namespace ticker {

QList<QRgb> palette(const QColor& background, const QColor& foreground)
{
    QList<QRgb> colours;
    colours.reserve(paletteSize);
    const auto blend = [](int from, int to, int level) { return (from * (255 - level) + to * level + 127) / 255; };
    for (int level = 0; level < paletteSize; ++level)
        colours.append(qRgb(blend(background.red(), foreground.red(), level),
                            blend(background.green(), foreground.green(), level),
                            blend(background.blue(), foreground.blue(), level)));
    return colours;
}

Rendering render(const QString& text, const QFont& font, const QColor& background, const QColor& foreground)
{
    Rendering result;
    // The text is drawn as coverage (white on black) and mapped onto the
    // background-to-foreground palette, so that anti-aliased edges keep
    // their shades within 256 colours.
    QImage coverage(maxWidth, maxHeight, QImage::Format_RGB32);
    if (coverage.isNull())
        return result;
    coverage.fill(Qt::black);
    const QRect area(0, 0, maxWidth, maxHeight);
    const int flags = Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine;
    QRect measured;
    {
        QPainter painter(&coverage);
        painter.setFont(font);
        painter.setPen(Qt::white);
        measured = QFontMetrics(font, &coverage).boundingRect(area, flags, text);
        painter.drawText(area, flags, text);
    }

    int width = measured.width();
    int height = measured.height();
    if (width > maxWidth) {
        result.tooLong = true;
        width = maxWidth;
    }
    if (height > maxHeight) {
        result.tooTall = true;
        height = maxHeight;
    }
    width = qMax(width, 1);
    height = qMax(height, 1);

    QImage indexed(width, height, QImage::Format_Indexed8);
    if (indexed.isNull())
        return result;
    indexed.setColorTable(palette(background, foreground));
    for (int y = 0; y < height; ++y) {
        const auto* source = reinterpret_cast<const QRgb*>(coverage.constScanLine(y));
        uchar* target = indexed.scanLine(y);
        for (int x = 0; x < width; ++x)
            target[x] = uchar(qGray(source[x]));
    }
    result.image = indexed;
    return result;
}

QByteArray iniFileBytes(const QColor& background, bool leftToRight, int speed)
{
    return background.name().toLatin1() + '\n' + (leftToRight ? "1" : "0") + '\n' + QByteArray::number(speed)
        + '\n';
}

QByteArray bmpBytes(const QImage& image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "bmp");
    if (!writer.write(image))
        return {};
    return bytes;
}

} // namespace ticker
