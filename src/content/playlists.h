#pragma once

// Playlist lines as players and virtual players keep them: a header line,
// then one line per item with the five cells NAME, SIZE(KB), LOCATION, TYPE
// and DURATION joined by "," (no quoting, no escaping).

#include <QByteArray>
#include <QDialog>
#include <QString>
#include <QStringList>

#include <optional>

class QLineEdit;

namespace playlist {

constexpr int Count = 4;
// Far more than a playlist holds: a larger file is not read.
constexpr qint64 kMaxFileBytes = 8 * 1024 * 1024;
// Cell positions of a playlist or storage row.
enum Column { Name = 0, Size = 1, Location = 2, Type = 3, Duration = 4 };

QString headerLine();
// The path of playlist index (0 album, 1-3 picture0-2) on a real player, and
// the file that stands for it under a virtual player's directory; empty for
// any other index.
QString playerPath(int index);
QString virtualFile(const QString& playerDirectory, int index);

// The cells of one line read from a file or a reply: NAME, SIZE(KB), "player",
// TYPE, DURATION; nothing for a blank or "#" line.
std::optional<QStringList> readLine(const QString& line);
// Every row of a playlist text, in order.
QList<QStringList> readText(const QString& text);
QString line(const QStringList& cells);
// Header and item lines, each ending in "\n".
QByteArray fileContent(const QList<QStringList>& rows);

// Why a file name cannot stand in a playlist line (a "," shifts the fields, a
// line break splits the line); empty when it can.
QString nameProblem(const QString& name);

// Display times given to files entering a playlist.
bool isPictureName(const QString& name);
bool isCaptureName(const QString& name);

// Drops the lines of a playlist text whose NAME field equals name exactly;
// blank and "#" lines always stay, other bytes are kept as they were.
// Returns the new text, or nothing when no line names the file.
std::optional<QByteArray> withoutEntry(const QByteArray& text, const QString& name);

} // namespace playlist

// Asks for a picture's display time in seconds. Ends with the number typed
// (0 when it is not a number), or -1 when cancelled.
class PictureDisplayTime_Dialog : public QDialog
{
    Q_OBJECT
public:
    explicit PictureDisplayTime_Dialog(QWidget* parent = nullptr, const char* name = nullptr);
    QLineEdit* lineEdit() const { return m_lineEdit; }

public slots:
    void done_ok();
    void done_cancel();
    void reject() override;

private:
    QLineEdit* m_lineEdit;
};
