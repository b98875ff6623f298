#include "config/schedulerrules.h"


namespace scheduling {

QString timeFieldPattern(TimeField field)
{
    // Each field: a comma-separated list of numbers, ranges "a-b" and "*",
    // the latter two with an optional step "/n".
    switch (field) {
    case TimeField::Minute:
        return QStringLiteral(R"(((((([1-5]?\d)\-([1-5]?\d))|\*)(/([1-5]?\d))?)|([1-5]?\d))(,((((([1-5]?\d)\-([1-5]?\d))|\*)(/([1-5]?\d))?)|([1-5]?\d)))*)");
    case TimeField::Hour:
        return QStringLiteral(R"(((((((1?\d)|(2[0-3]))\-((1?\d)|(2[0-3])))|\*)(/((1?\d)|(2[0-3])))?)|((1?\d)|(2[0-3])))(,((((((1?\d)|(2[0-3]))\-((1?\d)|(2[0-3])))|\*)(/((1?\d)|(2[0-3])))?)|((1?\d)|(2[0-3]))))*)");
    case TimeField::DayOfMonth:
        return QStringLiteral(R"(((((([0-9]|([1-2]\d)|(3[0-1]))\-([0-9]|([1-2]\d)|(3[0-1])))|\*)(/([0-9]|([1-2]\d)|(3[0-1])))?)|([0-9]|([1-2]\d)|(3[0-1])))(,((((([0-9]|([1-2]\d)|(3[0-1]))\-([0-9]|([1-2]\d)|(3[0-1])))|\*)(/([0-9]|([1-2]\d)|(3[0-1])))?)|([0-9]|([1-2]\d)|(3[0-1]))))*)");
    case TimeField::Month:
        return QStringLiteral(R"(((((([0-9]|1[0-2])\-([0-9]|1[0-2]))|\*)(/([0-9]|1[0-2]))?)|([0-9]|1[0-2]))(,((((([0-9]|1[0-2])\-([0-9]|1[0-2]))|\*)(/([0-9]|1[0-2]))?)|([0-9]|1[0-2])))*)");
    case TimeField::DayOfWeek:
        return QStringLiteral(R"(((((([0-7])\-([0-7]))|\*)(/([0-7]))?)|([0-7]))(,((((([0-7])\-([0-7]))|\*)(/([0-7]))?)|([0-7])))*)");
    }
    return {};
}

bool usesPlayerName(int task)
{
    return task == UpdateContents || task == PollMode;
}

bool usesWebServerAndUser(int task)
{
    return task == PollMode;
}

QString taskAction(int task, const QString& playerName, const QString& webServer, const QString& webUser)
{
    switch (task) {
    case PowerOff:
        return QStringLiteral("/usr/local/bin/psudoff");
    case PowerOn:
        return QStringLiteral("/usr/local/bin/psudon");
    case UpdateContents:
        return QStringLiteral("/usr/local/bin/batch_update  ") + playerName.trimmed();
    case PollMode:
        return QStringLiteral("/usr/local/bin/poll  -s   ") + webServer.trimmed() + QStringLiteral("  -u  ")
            + webUser.trimmed() + QStringLiteral("  -m   ") + playerName.trimmed();
    default:
        return {};
    }
}

QString crontabLine(const std::array<QString, columnCount>& columns)
{
    QStringList parts(columns.begin(), columns.end());
    return parts.join(QLatin1Char(' '));
}

std::optional<std::array<QString, columnCount>> splitCrontabLine(const QString& line)
{
    const QString simple = line.simplified();
    if (simple.isEmpty() || simple.startsWith(QLatin1Char('#')))
        return std::nullopt;
    std::array<QString, columnCount> columns;
    const QStringList fields = simple.split(QLatin1Char(' '));
    for (int column = 0; column < actionColumn && column < fields.size(); ++column)
        columns[column] = fields.at(column);
    if (fields.size() > actionColumn)
        columns[actionColumn] = fields.mid(actionColumn).join(QLatin1Char(' '));
    return columns;
}

QString createdOnLine(const QDateTime& time)
{
    return QStringLiteral("# $$ created on ") + time.toString(Qt::TextDate);
}

QByteArray crontabFileBytes(const QStringList& lines)
{
    QByteArray bytes;
    for (const QString& line : lines)
        bytes += line.toUtf8() + '\n';
    return bytes;
}

} // namespace scheduling
