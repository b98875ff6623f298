#include "content/mediaprobe.h"

#include <QStringList>

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/log.h>
}

#include <mutex>

namespace {

const QString notAvailable = QStringLiteral("N/A");

int interruptWhenCancelled(void* opaque)
{
    const auto* cancel = static_cast<const std::atomic_bool*>(opaque);
    return cancel && cancel->load() ? 1 : 0;
}

// libavformat's own messages about broken files would flood the terminal and
// tell the operator nothing the listing does not already show.
void quietLibavformat()
{
    static std::once_flag once;
    std::call_once(once, [] { av_log_set_level(AV_LOG_QUIET); });
}

} // namespace

QString mediaDurationText(qint64 microseconds)
{
    if (microseconds == AV_NOPTS_VALUE)
        return notAvailable;
    const qint32 seconds = qint32(microseconds / 1000000);
    const qint32 hours = (seconds / 60) / 60;
    const qint32 minutes = (seconds / 60) % 60;
    const qint32 secs = seconds % 60;
    const qint64 tenths = ((microseconds % 1000000) * 10) / 1000000;
    return QStringLiteral("%1:%2:%3.%4").arg(hours).arg(minutes).arg(secs).arg(tenths);
}

QString mediaSizeText(qint64 bytes)
{
    return QString::number(bytes / 1024).rightJustified(8, QLatin1Char(' '));
}

bool mediaResultByExtension(const QString& fileName, MediaProbeResult* result)
{
    static const QStringList pictures{QStringLiteral("jpg"), QStringLiteral("jpeg"), QStringLiteral("gif"),
                                      QStringLiteral("png"), QStringLiteral("bmp")};
    const QString extension = fileName.section(QLatin1Char('.'), -1).toLower();
    if (!fileName.contains(QLatin1Char('.')))
        return false;
    if (pictures.contains(extension)) {
        *result = {QStringLiteral("picture"), notAvailable};
        return true;
    }
    if (extension == QLatin1String("cap")) {
        *result = {QStringLiteral("capture"), notAvailable};
        return true;
    }
    return false;
}

MediaProbeResult probeMediaFile(const QString& path, const std::atomic_bool* cancel)
{
    quietLibavformat();
    AVFormatContext* context = avformat_alloc_context();
    if (!context)
        return {notAvailable, notAvailable};
    context->interrupt_callback.callback = interruptWhenCancelled;
    context->interrupt_callback.opaque = const_cast<std::atomic_bool*>(cancel);
    // On failure avformat_open_input frees the context itself.
    if (avformat_open_input(&context, path.toUtf8().constData(), nullptr, nullptr) != 0)
        return {notAvailable, notAvailable};
    MediaProbeResult result{notAvailable, notAvailable};
    if (avformat_find_stream_info(context, nullptr) >= 0) {
        result.type = QString::fromUtf8(context->iformat->name).replace(QLatin1Char(','), QLatin1Char('|'));
        result.duration = mediaDurationText(context->duration);
    }
    avformat_close_input(&context);
    return result;
}
