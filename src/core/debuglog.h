#pragma once

#include <QString>
#include <QtGlobal>

// The developer's diagnostics: "debug.log" in the current directory, one line
// per message, prefixed "Debug: ", "Warning: " or "Fatal: ", its line breaks
// flattened and its length cut at kDebugLogLineLength characters (a player's
// text of megabytes leaves a line of readable size). The file is
// opened and closed for every message so that it is complete on disk after
// each line. Qt's info messages are written as debug lines and its critical
// messages as warnings, so that no diagnostic is lost.
inline constexpr const char* kDebugLogFileName = "debug.log";
inline constexpr qsizetype kDebugLogLineLength = 16 * 1024;

void debugLogMessageHandler(QtMsgType type, const QMessageLogContext& context, const QString& message);

// The line written for a message, or an empty string for none.
QString debugLogLine(QtMsgType type, const QString& message);

// Deletes the log of the previous run; a missing file is no error.
void removeDebugLog();
