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

// Whether text is a whole match of its field's pattern; an empty field is not,
// since it would shift the action into the time columns of the line.
bool isValidTimeField(TimeField field, const QString& text);

// The parameters that reach the player's command line, taken trimmed: a
// virtual player's name of word characters, a host name or IP address, and a
// user name (letters, digits, "_", "." and "-", up to 32, not starting with
// "." or "-"). Anything else could end the command and start another.
bool isValidPlayerName(const QString& name);
bool isValidHostName(const QString& host);
bool isValidUserName(const QString& user);

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

// Whether a listed row is one the scheduler could have added: five valid time
// fields and an action, whose parameters pass the checks above when it is one
// of the scheduler's tasks. Other lines read from a player are kept as they are.
bool isSchedulerRow(const std::array<QString, columnCount>& columns);

// The comment that closes a committed table, stamped with time.
QString createdOnLine(const QDateTime& time);

// The bytes of a crontab file: every line followed by a line feed.
QByteArray crontabFileBytes(const QStringList& lines);

} // namespace scheduling
