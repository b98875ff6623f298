#pragma once

// What the repository listing shows for one media file: its TYPE and DURATION
// columns, decided by extension for pictures and capture items and read from
// the file with libavformat for everything else.

#include <QString>

#include <atomic>

struct MediaProbeResult {
    QString type;
    QString duration;

    bool operator==(const MediaProbeResult& other) const = default;
};

// "h:m:s.t" of a duration in microseconds; "N/A" when the container reports
// no duration.
QString mediaDurationText(qint64 microseconds);

// The size column: whole KiB right-justified to 8 characters (never cut).
QString mediaSizeText(qint64 bytes);

// TYPE and DURATION decided by the file name alone ("picture" or "capture",
// with "N/A"); false when the file has to be probed.
bool mediaResultByExtension(const QString& fileName, MediaProbeResult* result);

// Opens the file with libavformat (a context of its own, so it may run on any
// thread) and reads the container's short name and duration. A file that does
// not open or whose streams cannot be analysed gives "N/A" twice. When cancel
// is given and becomes true, libavformat's reading is interrupted.
MediaProbeResult probeMediaFile(const QString& path, const std::atomic_bool* cancel = nullptr);
