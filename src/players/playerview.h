#pragma once

// How players are presented in the players view: their order, the tool tip
// of each icon and the filter field above the view.

#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

class PlayerItem;
class QLineEdit;
class QListWidget;
class QListWidgetItem;

// Case-insensitive order in which runs of digits compare by value, so that
// "Emu2" comes before "Emu10"; ties are broken by the plain text.
bool playerNameLess(const QString& left, const QString& right);

// Name, address, power state, what it plays and when it last called.
QString playerToolTip(const PlayerItem& item);

// Every blank-separated word of filter appears, ignoring case, in the item's
// name or address. An empty or blank filter matches everything.
bool playerMatchesFilter(const QListWidgetItem& item, const QStringList& words);
QStringList filterWords(const QString& filter);

// Narrows a players view to the icons matching a filter field, as the
// operator types and as players arrive. Hiding an icon takes it out of the
// selection but does not change the view's current player.
class PlayerFilter : public QObject
{
    Q_OBJECT
public:
    PlayerFilter(QListWidget* view, QLineEdit* field);

    // Shows or hides every icon for the field's text; returns how many are shown.
    int apply();

private:
    void applyToRows(int first, int last);

    QListWidget* m_view;
    QLineEdit* m_field;
    QStringList m_words;
    QTimer m_pending;
};
