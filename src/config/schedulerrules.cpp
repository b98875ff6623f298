#include "config/schedulerrules.h"

#include <QHostAddress>
#include <QRegularExpression>

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

bool isValidTimeField(TimeField field, const QString& text)
{
    static const auto patterns = [] {
        std::array<QRegularExpression, timeFieldCount> compiled;
        for (int index = 0; index < timeFieldCount; ++index)
            compiled[index].setPattern(QRegularExpression::anchoredPattern(timeFieldPattern(TimeField(index))));
        return compiled;
    }();
    return !text.isEmpty() && patterns[int(field)].match(text).hasMatch();
}

bool isValidPlayerName(const QString& name)
{
    // Without Unicode properties \w is ASCII letters, digits and "_".
    static const QRegularExpression word(QRegularExpression::anchoredPattern(QStringLiteral(R"(\w+)")));
    return word.match(name.trimmed()).hasMatch();
}

bool isValidHostName(const QString& host)
{
    const QString trimmed = host.trimmed();
    // Labels of letters, digits and inner hyphens, joined by dots.
    static const QRegularExpression name(QRegularExpression::anchoredPattern(
        QStringLiteral(R"([A-Za-z0-9]([A-Za-z0-9-]{0,61}[A-Za-z0-9])?(\.[A-Za-z0-9]([A-Za-z0-9-]{0,61}[A-Za-z0-9])?)*)")));
    if (trimmed.size() <= 253 && name.match(trimmed).hasMatch())
        return true;
    QHostAddress address;
    return address.setAddress(trimmed) && address.scopeId().isEmpty();
}

bool isValidUserName(const QString& user)
{
    static const QRegularExpression name(
        QRegularExpression::anchoredPattern(QStringLiteral(R"([A-Za-z0-9_][A-Za-z0-9_.-]{0,31})")));
    return name.match(user.trimmed()).hasMatch();
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

namespace {

// Whether an action (words joined by single blanks) of one of the dialog's own
// tasks carries parameters the dialog accepts; other commands are the player's.
bool hasAcceptedParameters(const QString& action)
{
    const QStringList words = action.split(QLatin1Char(' '));
    if (words.first() == QLatin1String("/usr/local/bin/batch_update"))
        return words.size() == 2 && isValidPlayerName(words[1]);
    if (words.first() == QLatin1String("/usr/local/bin/poll"))
        return words.size() == 7 && words[1] == QLatin1String("-s") && isValidHostName(words[2])
            && words[3] == QLatin1String("-u") && isValidUserName(words[4]) && words[5] == QLatin1String("-m")
            && isValidPlayerName(words[6]);
    return true;
}

} // namespace

bool isSchedulerRow(const std::array<QString, columnCount>& columns)
{
    for (int field = 0; field < timeFieldCount; ++field)
        if (!isValidTimeField(TimeField(field), columns[field]))
            return false;
    return !columns[actionColumn].isEmpty() && hasAcceptedParameters(columns[actionColumn]);
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
