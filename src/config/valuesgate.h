#pragma once

// The part of a dialog that shows a player's current values and waits for
// them: while they are being read a line says so and the widgets that would
// send them are disabled, so that nothing the dialog sends is a placeholder.
// A failed read says why and keeps them disabled.

#include <QCoreApplication>
#include <QList>
#include <QString>

class QLabel;
class QWidget;

class ValuesGate
{
    Q_DECLARE_TR_FUNCTIONS(ValuesGate)
public:
    enum class State { Open, Reading, Failed };

    // line shows what the gate waits for (hidden while open); held are the
    // widgets disabled until the values have been read.
    ValuesGate(QLabel* line, const QList<QWidget*>& held);

    // "Reading from <player>..."
    void reading(const QString& playerName);
    void failed(const QString& playerName, const QString& reason);
    // The values are shown: the line goes, the held widgets are enabled.
    void read();
    State state() const { return m_state; }

private:
    void enter(State state, const QString& line);

    QLabel* m_line;
    QList<QWidget*> m_held;
    State m_state = State::Open;
};
