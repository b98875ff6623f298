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

// How much of a player's text the window shows.
namespace displaylimit {
// One value within a line: a firmware version, a name in a note, a fault message in the status bar.
constexpr qsizetype kValue = 256;
// A message box's text, line breaks kept.
constexpr qsizetype kBoxText = 2000;
constexpr int kBoxLines = 30;
// A status-bar line.
constexpr qsizetype kStatusLine = 400;
// Rows of a list a player sends (files, playlist entries, logs, tasks); an
// entry longer than kEntry is no real name and is left out as well.
constexpr int kListRows = 5000;
constexpr qsizetype kEntry = 1024;
} // namespace displaylimit

// A box's text with its line breaks: at most kBoxLines lines and kBoxText
// characters, cut as elideForDisplay cuts.
QString elideBoxText(const QString& text);

// Plain text made into rich text that shows it as it is (for tool tips, which
// render anything that looks like markup): markup characters escaped, line
// breaks and spaces kept.
QString plainTextAsHtml(const QString& text);

// Counts the entries of a list from a player as they are offered, taking at
// most kListRows entries of at most kEntry characters.
class ListCap
{
public:
    explicit ListCap(int maxRows = displaylimit::kListRows) : m_maxRows(maxRows) {}
    // Whether an entry of this text is shown; counted either way.
    bool take(const QString& entry);
    // Whether more rows can be taken at all (a caller may stop offering).
    bool full() const { return m_taken >= m_maxRows; }
    int taken() const { return m_taken; }
    int leftOut() const { return m_leftOut; }

private:
    int m_maxRows;
    int m_taken = 0;
    int m_leftOut = 0;
};

// "From Screen07, 5,000 of 25,000 files are shown; the others were left out
// (too many or too long)." list names the entries ("files", "logs").
QString leftOutNote(const QString& player, const QString& list, int shown, int leftOut);
// A date and time as the locale writes it in short, with the seconds
// (for example 12/7/26 2:15:09 PM, or 07.12.26 14:15:09 in German).
QString localDateTimeText(const QDateTime& time, const QLocale& locale = QLocale());

// text on at most two lines: lines beyond the second are joined with spaces,
// at the line break that keeps the longer of the two lines shortest.
QString atMostTwoLines(const QString& text);
