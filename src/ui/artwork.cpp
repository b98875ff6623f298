#include "ui/artwork.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <algorithm>
#include <vector>

namespace artwork {

namespace {

// What a zone of a screen layout shows.
enum class Zone { Video, Picture, Ticker, Text };

QLinearGradient verticalGradient(const QRectF& rect, const QColor& top, const QColor& bottom)
{
    QLinearGradient gradient(rect.topLeft(), rect.bottomLeft());
    gradient.setColorAt(0, top);
    gradient.setColorAt(1, bottom);
    return gradient;
}

void drawPlayGlyph(QPainter& painter, const QRectF& rect, const QColor& color)
{
    const qreal side = std::min(rect.width(), rect.height()) * 0.42;
    const QPointF centre = rect.center() + QPointF(side * 0.08, 0);
    QPainterPath triangle;
    triangle.moveTo(centre + QPointF(-side * 0.4, -side * 0.5));
    triangle.lineTo(centre + QPointF(side * 0.5, 0));
    triangle.lineTo(centre + QPointF(-side * 0.4, side * 0.5));
    triangle.closeSubpath();
    painter.fillPath(triangle, color);
}

// A sun over two hills, the usual sign for a still picture.
void drawPictureGlyph(QPainter& painter, const QRectF& rect)
{
    const qreal unit = std::min(rect.width(), rect.height());
    const QRectF box(rect.center() - QPointF(unit * 0.4, unit * 0.3), QSizeF(unit * 0.8, unit * 0.6));
    painter.save();
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(255, 214, 90));
    const qreal sun = unit * 0.13;
    painter.drawEllipse(QPointF(box.right() - sun * 1.3, box.top() + sun * 1.2), sun, sun);
    QPainterPath hills;
    hills.moveTo(box.left(), box.bottom());
    hills.lineTo(box.left() + box.width() * 0.35, box.top() + box.height() * 0.35);
    hills.lineTo(box.left() + box.width() * 0.58, box.top() + box.height() * 0.68);
    hills.lineTo(box.left() + box.width() * 0.72, box.top() + box.height() * 0.52);
    hills.lineTo(box.right(), box.bottom());
    hills.closeSubpath();
    painter.fillPath(hills, QColor(235, 250, 238));
    painter.restore();
}

// Lines of text, drawn as bars: the picture stays legible when scaled down.
void drawTextBars(QPainter& painter, const QRectF& rect, const QColor& color, int lines)
{
    const qreal margin = std::min(rect.width(), rect.height()) * 0.18;
    const QRectF area = rect.adjusted(margin, margin, -margin, -margin);
    const qreal pitch = area.height() / lines;
    const qreal thickness = std::max<qreal>(2.0, pitch * 0.45);
    static const qreal lengths[] = {1.0, 0.82, 0.93, 0.6, 0.88, 0.7};
    painter.save();
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    for (int line = 0; line < lines; ++line) {
        const qreal y = area.top() + pitch * line + (pitch - thickness) / 2;
        const qreal length = area.width() * lengths[line % 6];
        painter.drawRoundedRect(QRectF(area.left(), y, length, thickness), thickness / 2, thickness / 2);
    }
    painter.restore();
}

// A running text strip: words as bars of different length, arrows to the left.
void drawTickerGlyph(QPainter& painter, const QRectF& rect)
{
    const qreal thickness = std::max<qreal>(2.0, rect.height() * 0.28);
    const qreal y = rect.center().y() - thickness / 2;
    painter.save();
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(60, 32, 0));
    qreal x = rect.left() + rect.height() * 0.9;
    static const qreal words[] = {2.2, 1.4, 3.0, 1.8, 2.6, 1.2};
    for (int word = 0; x < rect.right() - rect.height() * 0.5; ++word) {
        const qreal length = std::min(rect.height() * words[word % 6], rect.right() - rect.height() * 0.5 - x);
        painter.drawRoundedRect(QRectF(x, y, length, thickness), thickness / 2, thickness / 2);
        x += length + rect.height() * 0.5;
    }
    QPainterPath arrow;
    const qreal tip = rect.left() + rect.height() * 0.25;
    const qreal half = rect.height() * 0.22;
    arrow.moveTo(tip, rect.center().y());
    arrow.lineTo(tip + half * 1.4, rect.center().y() - half);
    arrow.lineTo(tip + half * 1.4, rect.center().y() + half);
    arrow.closeSubpath();
    painter.fillPath(arrow, QColor(60, 32, 0));
    painter.restore();
}

void drawZone(QPainter& painter, const QRectF& rect, Zone zone)
{
    const qreal radius = std::min<qreal>(4.0, std::min(rect.width(), rect.height()) / 4);
    QBrush fill;
    switch (zone) {
    case Zone::Video:
        fill = verticalGradient(rect, QColor(64, 150, 232), QColor(22, 76, 150));
        break;
    case Zone::Picture:
        fill = verticalGradient(rect, QColor(76, 184, 110), QColor(28, 112, 60));
        break;
    case Zone::Ticker:
        fill = verticalGradient(rect, QColor(255, 196, 84), QColor(226, 132, 20));
        break;
    case Zone::Text:
        fill = verticalGradient(rect, QColor(150, 118, 214), QColor(88, 62, 156));
        break;
    }
    painter.save();
    painter.setPen(Qt::NoPen);
    painter.setBrush(fill);
    painter.drawRoundedRect(rect, radius, radius);
    switch (zone) {
    case Zone::Video:
        drawPlayGlyph(painter, rect, QColor(255, 255, 255, 235));
        break;
    case Zone::Picture:
        drawPictureGlyph(painter, rect);
        break;
    case Zone::Ticker:
        drawTickerGlyph(painter, rect);
        break;
    case Zone::Text:
        drawTextBars(painter, rect, QColor(244, 238, 255), 4);
        break;
    }
    painter.restore();
}

struct ZoneRect {
    QRectF fraction;  // of the screen, 0..1 in both directions
    Zone zone;
};

std::vector<ZoneRect> layoutZones(int layout)
{
    const Zone V = Zone::Video, P = Zone::Picture, T = Zone::Ticker, X = Zone::Text;
    switch (layout) {
    case 0:  // full-screen video
        return {{{0, 0, 1, 1}, V}};
    case 1:  // video beside a picture column
        return {{{0, 0, 0.75, 1}, V}, {{0.75, 0, 0.25, 1}, P}};
    case 2:  // video over a ticker
        return {{{0, 0, 1, 0.84}, V}, {{0, 0.84, 1, 0.16}, T}};
    case 3:  // video, picture column and ticker
        return {{{0, 0, 0.75, 0.84}, V}, {{0.75, 0, 0.25, 0.84}, P}, {{0, 0.84, 1, 0.16}, T}};
    case 4:  // split screen
        return {{{0, 0, 0.5, 1}, V}, {{0.5, 0, 0.5, 1}, P}};
    case 5:  // four quarters
        return {{{0, 0, 0.5, 0.5}, V}, {{0.5, 0, 0.5, 0.5}, P}, {{0, 0.5, 0.5, 0.5}, P}, {{0.5, 0.5, 0.5, 0.5}, X}};
    case 6:  // banner, video and ticker
        return {{{0, 0, 1, 0.2}, P}, {{0, 0.2, 1, 0.64}, V}, {{0, 0.84, 1, 0.16}, T}};
    case 7:  // video with a picture column and an information panel
        return {{{0, 0, 0.7, 1}, V}, {{0.7, 0, 0.3, 0.5}, P}, {{0.7, 0.5, 0.3, 0.5}, X}};
    case 8:  // portrait: video over a picture
        return {{{0, 0, 1, 0.42}, V}, {{0, 0.42, 1, 0.58}, P}};
    case 9:  // portrait: video, picture and ticker
        return {{{0, 0, 1, 0.36}, V}, {{0, 0.36, 1, 0.54}, P}, {{0, 0.9, 1, 0.1}, T}};
    default:
        return {};
    }
}

// The monitor of the window and player icons, drawn on a 64 x 64 grid.
void drawMonitor(QPainter& painter, PlayerLook look)
{
    const QRectF body(3, 7, 58, 41);
    const QRectF screen = body.adjusted(4, 4, -4, -7);
    const bool isVirtual = look == PlayerLook::Virtual;

    // Stand first, so that the body hides its top.
    QPainterPath stand;
    stand.moveTo(27, 46);
    stand.lineTo(37, 46);
    stand.lineTo(39, 54);
    stand.lineTo(25, 54);
    stand.closeSubpath();
    const QRectF base(15, 53, 34, 5);
    if (isVirtual) {
        QPen dashed(QColor(112, 96, 190), 1.6, Qt::DashLine);
        dashed.setDashPattern({2.5, 2});
        painter.setPen(dashed);
        painter.setBrush(QColor(190, 180, 240, 70));
        painter.drawPath(stand);
        painter.drawRoundedRect(base, 2.5, 2.5);
        painter.drawRoundedRect(body, 4, 4);
        painter.setBrush(QColor(205, 198, 250, 110));
        painter.drawRect(screen);
    } else {
        painter.setPen(QPen(QColor(20, 22, 26), 1));
        painter.setBrush(verticalGradient(QRectF(25, 46, 14, 8), QColor(92, 98, 108), QColor(54, 58, 66)));
        painter.drawPath(stand);
        painter.setBrush(verticalGradient(base, QColor(104, 110, 120), QColor(44, 48, 54)));
        painter.drawRoundedRect(base, 2.5, 2.5);
        painter.setBrush(verticalGradient(body, QColor(78, 84, 94), QColor(30, 33, 38)));
        painter.drawRoundedRect(body, 4, 4);
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(8, 9, 11));
        painter.drawRect(screen.adjusted(-0.8, -0.8, 0.8, 0.8));
    }

    const QRectF content = screen.adjusted(1, 1, -1, -1);
    if (look == PlayerLook::On || isVirtual) {
        // The screen shows a signage layout: video, a picture column and a ticker.
        painter.save();
        if (isVirtual)
            painter.setOpacity(0.55);
        const qreal tickerTop = content.bottom() - content.height() * 0.22;
        const qreal columnLeft = content.left() + content.width() * 0.7;
        drawZone(painter, QRectF(content.left(), content.top(), columnLeft - content.left() - 0.8,
                                 tickerTop - content.top() - 0.8), Zone::Video);
        drawZone(painter, QRectF(columnLeft, content.top(), content.right() - columnLeft,
                                 tickerTop - content.top() - 0.8), Zone::Picture);
        drawZone(painter, QRectF(content.left(), tickerTop, content.width(), content.bottom() - tickerTop),
                 Zone::Ticker);
        painter.restore();
    } else {
        painter.setPen(Qt::NoPen);
        painter.setBrush(verticalGradient(content, QColor(38, 42, 48), QColor(16, 18, 21)));
        painter.drawRect(content);
        // A faint reflection tells a dark screen from a missing one.
        QPainterPath glare;
        glare.moveTo(content.left(), content.top());
        glare.lineTo(content.left() + content.width() * 0.45, content.top());
        glare.lineTo(content.left() + content.width() * 0.2, content.bottom());
        glare.lineTo(content.left(), content.bottom());
        glare.closeSubpath();
        painter.fillPath(glare, QColor(255, 255, 255, 18));
    }

    // Power lamp on the lower edge of the bezel.
    const QPointF lamp(body.right() - 6, body.bottom() - 3.5);
    if (look == PlayerLook::On) {
        QRadialGradient glow(lamp, 3.2);
        glow.setColorAt(0, QColor(170, 255, 140));
        glow.setColorAt(0.5, QColor(60, 210, 60));
        glow.setColorAt(1, QColor(60, 210, 60, 0));
        painter.setPen(Qt::NoPen);
        painter.setBrush(glow);
        painter.drawEllipse(lamp, 3.2, 3.2);
    } else if (look == PlayerLook::Off) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(150, 30, 30));
        painter.drawEllipse(lamp, 1.6, 1.6);
    }

    if (isVirtual) {
        // A folder badge: a virtual player is a directory in the repository.
        const QRectF folder(40, 34, 22, 16);
        QPainterPath tab;
        tab.moveTo(folder.left(), folder.top() + 3);
        tab.lineTo(folder.left(), folder.top());
        tab.lineTo(folder.left() + 8, folder.top());
        tab.lineTo(folder.left() + 10, folder.top() + 3);
        tab.closeSubpath();
        painter.setPen(QPen(QColor(150, 104, 10), 1));
        painter.setBrush(QColor(246, 196, 70));
        painter.drawPath(tab);
        painter.setBrush(verticalGradient(folder, QColor(255, 218, 110), QColor(236, 170, 40)));
        painter.drawRoundedRect(folder.adjusted(0, 3, 0, 0), 1.5, 1.5);
    }
}

QImage transparentCanvas(int width, int height)
{
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

} // namespace

QImage monitorPicture(int size)
{
    return playerPicture(PlayerLook::On, size);
}

QImage playerPicture(PlayerLook look, int size)
{
    QImage image = transparentCanvas(size, size);
    QPainter painter(&image);
    paintPlayerPicture(painter, look, size);
    return image;
}

void paintPlayerPicture(QPainter& painter, PlayerLook look, int size)
{
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 64.0, size / 64.0);
    drawMonitor(painter, look);
}

QString playerPictureFileName(PlayerLook look)
{
    switch (look) {
    case PlayerLook::On:
        return QStringLiteral("player_icon.png");
    case PlayerLook::Off:
        return QStringLiteral("player_off.png");
    case PlayerLook::Virtual:
        return QStringLiteral("player_virtual.png");
    }
    return {};
}

bool isPortraitLayout(int layout)
{
    return layout == 8 || layout == 9;
}

QImage screenLayoutPicture(int layout)
{
    if (layout < 0 || layout >= screenLayoutCount)
        return {};
    const QSize size = isPortraitLayout(layout) ? QSize(128, 228) : QSize(228, 128);
    QImage image = transparentCanvas(size.width(), size.height());
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);

    const QRectF bezel(0.5, 0.5, size.width() - 1, size.height() - 1);
    painter.setPen(QPen(QColor(14, 15, 18), 1));
    painter.setBrush(verticalGradient(bezel, QColor(70, 75, 84), QColor(34, 37, 42)));
    painter.drawRoundedRect(bezel, 9, 9);
    const QRectF screen = bezel.adjusted(6.5, 6.5, -6.5, -6.5);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(10, 11, 13));
    painter.drawRect(screen);

    const QRectF area = screen.adjusted(2, 2, -2, -2);
    const qreal gap = 3;
    for (const ZoneRect& zone : layoutZones(layout)) {
        QRectF rect(area.left() + zone.fraction.left() * area.width(),
                    area.top() + zone.fraction.top() * area.height(),
                    zone.fraction.width() * area.width(), zone.fraction.height() * area.height());
        // Leave a gap wherever a zone meets another one, not at the screen's edge.
        rect.adjust(zone.fraction.left() > 0 ? gap / 2 : 0, zone.fraction.top() > 0 ? gap / 2 : 0,
                    zone.fraction.right() < 1 ? -gap / 2 : 0, zone.fraction.bottom() < 1 ? -gap / 2 : 0);
        drawZone(painter, rect, zone.zone);
    }
    return image;
}

QString screenLayoutFileName(int layout)
{
    return QStringLiteral("layout%1.png").arg(layout);
}

} // namespace artwork
