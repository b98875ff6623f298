#include "config/displaysettings.h"

#include <QCoreApplication>
#include <QMetaType>

#include <cmath>
#include <limits>

namespace display {

const QList<VideoMode>& videoModes()
{
    static const QList<VideoMode> modes = {
        {QT_TRANSLATE_NOOP("DisplayCommands", "NTSC_M"), 0, "CVBS", 0},
        {QT_TRANSLATE_NOOP("DisplayCommands", "PAL_BG"), 3, "PAL_BG", 0},
        {QT_TRANSLATE_NOOP("DisplayCommands", "PAL_60"), 4, "PAL_60", 0},
        {QT_TRANSLATE_NOOP("DisplayCommands", "PAL_M"), 5, "PAL_M", 0},
        {QT_TRANSLATE_NOOP("DisplayCommands", "VGA 800x600 60Hz"), 21, "VGA_800x600x60", 1},
        {QT_TRANSLATE_NOOP("DisplayCommands", "VGA 1024x768 60Hz"), 1, "VGA", 1},
        {QT_TRANSLATE_NOOP("DisplayCommands", "VGA 1152x864 75Hz"), 22, "VGA_1152x864x75", 1},
        {QT_TRANSLATE_NOOP("DisplayCommands", "VGA 1280x768 60Hz"), 23, "VGA_1280x768x60", 1},
        {QT_TRANSLATE_NOOP("DisplayCommands", "VGA 1280x960 60Hz"), 24, "VGA_1280x960x60", 1},
        {QT_TRANSLATE_NOOP("DisplayCommands", "VGA 1280x1024 60Hz"), 25, "VGA_1280x1024x60", 1},
        {QT_TRANSLATE_NOOP("DisplayCommands", "VGA 1360x768 60Hz"), 14, "VGA_1360x768x60", 1},
        {QT_TRANSLATE_NOOP("DisplayCommands", "VGA 1400x1050 60Hz"), 26, "VGA_1400x1050x60", 1},
        {QT_TRANSLATE_NOOP("DisplayCommands", "VGA 1600x1200 60Hz"), 27, "VGA_1600x1200x60", 1},
        {QT_TRANSLATE_NOOP("DisplayCommands", "VGA 1920x1200 60Hz"), 28, "VGA_1920x1200x60", 1},
        {QT_TRANSLATE_NOOP("DisplayCommands", "VGA 1080i 60Hz"), 15, "VGA_1080i60", 1},
        {QT_TRANSLATE_NOOP("DisplayCommands", "VGA 1080p 60Hz"), 16, "VGA_1080p60", 1},
        {QT_TRANSLATE_NOOP("DisplayCommands", "HDMI auto"), 2, "HDMI", 2},
        {QT_TRANSLATE_NOOP("DisplayCommands", "HDMI 1080p 60Hz"), 18, "HDMI_1080p60", 2},
        {QT_TRANSLATE_NOOP("DisplayCommands", "HDMI 1080p 59Hz"), 19, "HDMI_1080p59", 2},
        {QT_TRANSLATE_NOOP("DisplayCommands", "HDMI 1080p 50Hz"), 20, "HDMI_1080p50", 2},
        {QT_TRANSLATE_NOOP("DisplayCommands", "HDMI 1080i 60Hz"), 6, "HDMI_1080i60", 2},
        {QT_TRANSLATE_NOOP("DisplayCommands", "HDMI 1080i 59Hz"), 17, "HDMI_1080i59", 2},
        {QT_TRANSLATE_NOOP("DisplayCommands", "HDMI 1080i 50Hz"), 7, "HDMI_1080i50", 2},
        {QT_TRANSLATE_NOOP("DisplayCommands", "HDMI 720p 60Hz"), 8, "HDMI_720p60", 2},
        {QT_TRANSLATE_NOOP("DisplayCommands", "HDMI 576i 50Hz"), 9, "HDMI_576i50", 2},
        {QT_TRANSLATE_NOOP("DisplayCommands", "HDMI 480i 60Hz"), 10, "HDMI_480i60", 2},
        {QT_TRANSLATE_NOOP("DisplayCommands", "LVDS 1366x768a 60Hz"), 11, "LVDS_1366x768a", 3},
        {QT_TRANSLATE_NOOP("DisplayCommands", "LVDS 1920x1080 60Hz"), 13, "LVDS_1920x1080", 3},
        {QT_TRANSLATE_NOOP("DisplayCommands", "(LED) LVDS VESA 1280x1024 60Hz"), 29, "LVDS_VESA_1280x1024x60", 3},
    };
    return modes;
}

QString videoModeName(int id)
{
    for (const VideoMode& mode : videoModes()) {
        if (mode.id == id)
            return QString::fromLatin1(mode.name);
    }
    return QString();
}

bool videoModeMatches(const VideoMode& mode, const QString& current)
{
    const QString reported = current.trimmed();
    // Three entries also stand for the older names of their mode.
    switch (mode.id) {
    case 0:
        return reported == QLatin1String("CVBS") || reported == QLatin1String("NTSC")
            || reported == QLatin1String("NTSC_M") || reported == QLatin1String("COMPOSITE");
    case 1:
        return reported == QLatin1String("VGA") || reported == QLatin1String("VGA_1024x768x60");
    case 2:
        return reported == QLatin1String("HDMI") || reported == QLatin1String("HDMI_AUTO");
    default:
        return reported == QLatin1String(mode.name);
    }
}

QList<int> offeredScreenLayouts()
{
    return {0, 1, 2, 3, 4, 5, 6, 7, 9};
}

QByteArray videoEnvironment(const QString& mode)
{
    return "VIDEO=" + mode.toUtf8() + '\n';
}

QByteArray screenEnvironment(int layout)
{
    return "LAYOUT=" + QByteArray::number(layout) + '\n';
}

ClippedWindow clipScaleWindow(const ScaleWindow& window)
{
    ClippedWindow clipped{window};
    if (window.x + window.w > kScreenUnits) {
        clipped.clippedRight = true;
        clipped.window.w = kScreenUnits - window.x;
    }
    if (window.y + window.h > kScreenUnits) {
        clipped.clippedBottom = true;
        clipped.window.h = kScreenUnits - window.y;
    }
    return clipped;
}

std::optional<int> scaleFieldValue(const QString& text, int maximum)
{
    bool isNumber = false;
    const int value = text.trimmed().toInt(&isNumber, 10);
    if (isNumber && value >= 0 && value <= maximum)
        return value;
    return std::nullopt;
}

std::optional<int> replyInteger(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::Int:
        return value.toInt();
    case QMetaType::UInt:
    case QMetaType::LongLong: {
        const qlonglong number = value.toLongLong();
        if (number >= std::numeric_limits<int>::min() && number <= std::numeric_limits<int>::max())
            return int(number);
        return std::nullopt;
    }
    case QMetaType::Double: {
        const double number = value.toDouble();
        if (std::isfinite(number) && number == std::trunc(number) && number >= std::numeric_limits<int>::min()
            && number <= std::numeric_limits<int>::max())
            return int(number);
        return std::nullopt;
    }
    case QMetaType::QString: {
        bool isNumber = false;
        const int number = value.toString().trimmed().toInt(&isNumber, 10);
        return isNumber ? std::optional<int>(number) : std::nullopt;
    }
    default:
        return std::nullopt;
    }
}

std::optional<QList<int>> replyIntegers(const QVariant& reply, int count)
{
    if (reply.typeId() != QMetaType::QVariantList)
        return std::nullopt;
    const QVariantList elements = reply.toList();
    if (elements.size() < count)
        return std::nullopt;
    QList<int> numbers;
    for (int index = 0; index < count; ++index) {
        const std::optional<int> number = replyInteger(elements.at(index));
        if (!number)
            return std::nullopt;
        numbers.append(*number);
    }
    return numbers;
}

} // namespace display
