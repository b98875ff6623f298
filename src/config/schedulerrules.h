#pragma once

// Rules of the task scheduler that need no window: the grammar of the five
// time fields, the command line of each task, and how crontab lines are
// built, split and written.

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>

namespace scheduling {

enum class TimeField { Minute, Hour, DayOfMonth, Month, DayOfWeek };
inline constexpr int timeFieldCount = 5;
// Columns of a crontab row: the five time fields, then the action.
inline constexpr int actionColumn = 5;
inline constexpr int columnCount = 6;

// The tasks of the task combo box, by index.
enum Task { NoTask = 0, PowerOff, PowerOn, UpdateContents, PollMode, TaskCount };

// The whole-field pattern of a time field (case-sensitive).
QString timeFieldPattern(TimeField field);

// Which parameters a task takes.
bool usesPlayerName(int task);
bool usesWebServerAndUser(int task);

// The command line of a task with its parameters (each trimmed); empty for
// NoTask and unknown indices.
QString taskAction(int task, const QString& playerName, const QString& webServer, const QString& webUser);

// Six columns joined by single blanks; time fields and action as they are.
QString crontabLine(const std::array<QString, columnCount>& columns);

// A line as the scheduler lists it: runs of white space collapsed, fields
// one to five as the time columns, the rest as the action. Comment lines
// (starting with "#") and blank lines give nothing.
std::optional<std::array<QString, columnCount>> splitCrontabLine(const QString& line);

// The comment that closes a committed table, stamped with time.
QString createdOnLine(const QDateTime& time);

// The bytes of a crontab file: every line followed by a line feed.
QByteArray crontabFileBytes(const QStringList& lines);

} // namespace scheduling
