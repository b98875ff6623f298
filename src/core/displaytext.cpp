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
