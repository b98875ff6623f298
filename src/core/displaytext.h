#pragma once

// Text from elsewhere (a player, a file) made fit to be shown or logged:
// bounded in length and, where one line is wanted, without line breaks.

#include <QDateTime>
#include <QLocale>
#include <QString>

enum class LineBreaks {
    Flatten, // CR LF, CR, LF and the other line and paragraph separators each become one space
    Keep,
};

// text unchanged when it holds at most maxLength characters (after
// flattening); otherwise its first maxLength characters (never half a
// surrogate pair), "…" and the whole text's length, e.g.
// "abc… (10,485,760 characters)". The result is plain text: show it with
// Qt::PlainText (or escaped), never as rich text.
QString elideForDisplay(const QString& text, qsizetype maxLength, LineBreaks lineBreaks = LineBreaks::Flatten);

// A date and time as the locale writes it in short, with the seconds
// (for example 12/7/26 2:15:09 PM, or 07.12.26 14:15:09 in German).
QString localDateTimeText(const QDateTime& time, const QLocale& locale = QLocale());

// text on at most two lines: lines beyond the second are joined with spaces,
// at the line break that keeps the longer of the two lines shortest.
QString atMostTwoLines(const QString& text);
