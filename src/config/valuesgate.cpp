#include "config/valuesgate.h"

#include "core/displaytext.h"

#include <QLabel>

namespace {
// Names and fault messages come from players: shown as plain text, bounded.
constexpr qsizetype maxShownLength = 500;
}

ValuesGate::ValuesGate(QLabel* line, const QList<QWidget*>& held)
    : m_line(line)
    , m_held(held)
{
    m_line->setTextFormat(Qt::PlainText);
    m_line->setWordWrap(true);
    m_line->hide();
}

void ValuesGate::reading(const QString& playerName)
{
    enter(State::Reading, tr("Reading from %1...").arg(elideForDisplay(playerName, maxShownLength)));
}

void ValuesGate::failed(const QString& playerName, const QString& reason)
{
    enter(State::Failed, tr("Reading from %1 failed: %2")
                              .arg(elideForDisplay(playerName, maxShownLength), elideForDisplay(reason, maxShownLength)));
}

void ValuesGate::read()
{
    enter(State::Open, QString());
}

void ValuesGate::enter(State state, const QString& line)
{
    m_state = state;
    m_line->setText(line);
    m_line->setVisible(state != State::Open);
    for (QWidget* widget : m_held)
        widget->setEnabled(state == State::Open);
}
