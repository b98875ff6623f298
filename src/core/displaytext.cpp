#include "core/displaytext.h"

#include <QCoreApplication>
#include <QLocale>

namespace {

bool breaksLine(char16_t c)
{
    return c == u'\n' || c == u'\r' || c == u'\v' || c == u'\f' || c == u'\u0085' || c == u'\u2028'
           || c == u'\u2029';
}

} // namespace

QString elideForDisplay(const QString& text, qsizetype maxLength, LineBreaks lineBreaks)
{
    maxLength = qMax<qsizetype>(0, maxLength);
    // Only the part that is kept is copied: a text of megabytes costs no more than a short one.
    QString shown;
    shown.reserve(qMin(text.size(), maxLength + 1));
    for (qsizetype i = 0; i < text.size() && shown.size() <= maxLength; ++i) {
        const char16_t c = text.at(i).unicode();
        if (lineBreaks == LineBreaks::Flatten && breaksLine(c)) {
            if (c == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n')
                ++i;
            shown.append(u' ');
        } else {
            shown.append(QChar(c));
        }
    }
    if (shown.size() <= maxLength)
        return shown;
    qsizetype cut = maxLength;
    if (cut > 0 && shown.at(cut - 1).isHighSurrogate())
        --cut;
    shown.truncate(cut);
    return shown + QStringLiteral("\u2026 ")
           + QCoreApplication::translate("DisplayText", "(%1 characters)").arg(QLocale().toString(text.size()));
}

QString elideBoxText(const QString& text)
{
    qsizetype length = qMin(text.size(), displaylimit::kBoxText);
    int lines = 1;
    for (qsizetype i = 0; i < length; ++i) {
        if (text.at(i) == u'\n' && ++lines > displaylimit::kBoxLines) {
            length = i;
            break;
        }
    }
    if (length == text.size())
        return text;
    return elideForDisplay(text, length, LineBreaks::Keep);
}

QString plainTextAsHtml(const QString& text)
{
    return QStringLiteral("<p style=\"white-space:pre\">") + text.toHtmlEscaped() + QStringLiteral("</p>");
}

bool ListCap::take(const QString& entry)
{
    if (full() || entry.size() > displaylimit::kEntry) {
        ++m_leftOut;
        return false;
    }
    ++m_taken;
    return true;
}

QString leftOutNote(const QString& player, const QString& list, int shown, int leftOut)
{
    const QLocale locale;
    return QCoreApplication::translate("DisplayText",
                                       "From %1, %2 of %3 %4 are shown; the others were left out (too many or too long).")
        .arg(elideForDisplay(player, displaylimit::kValue), locale.toString(shown), locale.toString(shown + leftOut),
             list);
}

QString localDateTimeText(const QDateTime& time, const QLocale& locale)
{
    QString format = locale.dateTimeFormat(QLocale::ShortFormat);
    if (!format.contains(QLatin1Char('s'))) {
        const qsizetype minutes = format.indexOf(QLatin1String("mm"));
        if (minutes >= 0)
            format.insert(minutes + 2, QLatin1String(":ss"));
    }
    return locale.toString(time, format);
}

QString atMostTwoLines(const QString& text)
{
    QStringList lines = text.split(QLatin1Char('\n'));
    for (QString& line : lines)
        line = line.simplified();
    if (lines.size() <= 2)
        return lines.join(QLatin1Char('\n'));
    QString best;
    qsizetype bestLength = -1;
    for (qsizetype split = 1; split < lines.size(); ++split) {
        const QString first = lines.mid(0, split).join(QLatin1Char(' '));
        const QString second = lines.mid(split).join(QLatin1Char(' '));
        const qsizetype longer = qMax(first.size(), second.size());
        if (bestLength < 0 || longer < bestLength) {
            bestLength = longer;
            best = first + QLatin1Char('\n') + second;
        }
    }
    return best;
}
