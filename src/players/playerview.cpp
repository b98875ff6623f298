#include "players/playerview.h"

#include "core/displaytext.h"
#include "players/playeritem.h"

#include <QCoreApplication>
#include <QLineEdit>
#include <QListWidget>

namespace {

// The translation context of the tool tips.
struct PlayerView {
    Q_DECLARE_TR_FUNCTIONS(PlayerView)
};

// Skips leading zeros so that "007" and "7" compare equal by value.
qsizetype digitRunEnd(const QString& text, qsizetype from)
{
    while (from < text.size() && text.at(from).isDigit())
        ++from;
    return from;
}

int compareNatural(const QString& left, const QString& right)
{
    qsizetype i = 0;
    qsizetype j = 0;
    while (i < left.size() && j < right.size()) {
        const QChar a = left.at(i);
        const QChar b = right.at(j);
        if (a.isDigit() && b.isDigit()) {
            qsizetype aStart = i;
            qsizetype bStart = j;
            const qsizetype aEnd = digitRunEnd(left, i);
            const qsizetype bEnd = digitRunEnd(right, j);
            while (aStart < aEnd - 1 && left.at(aStart) == QLatin1Char('0'))
                ++aStart;
            while (bStart < bEnd - 1 && right.at(bStart) == QLatin1Char('0'))
                ++bStart;
            // Longer significant digit runs are larger numbers; equal lengths compare digit by digit.
            if (aEnd - aStart != bEnd - bStart)
                return aEnd - aStart < bEnd - bStart ? -1 : 1;
            const int digits = QStringView(left).mid(aStart, aEnd - aStart).compare(
                QStringView(right).mid(bStart, bEnd - bStart));
            if (digits != 0)
                return digits;
            i = aEnd;
            j = bEnd;
            continue;
        }
        const QChar foldedA = a.toCaseFolded();
        const QChar foldedB = b.toCaseFolded();
        if (foldedA != foldedB)
            return foldedA < foldedB ? -1 : 1;
        ++i;
        ++j;
    }
    if (i < left.size())
        return 1;
    if (j < right.size())
        return -1;
    return 0;
}

} // namespace

bool playerNameLess(const QString& left, const QString& right)
{
    const int natural = compareNatural(left, right);
    return natural != 0 ? natural < 0 : left < right;
}

QString playerToolTip(const PlayerItem& item)
{
    QString power;
    if (item.isVirtual() || item.isMirror())
        power = PlayerView::tr("virtual player");
    else
        power = item.isOnline() ? PlayerView::tr("on") : PlayerView::tr("off (PWROFF)");
    const QString playing = item.playing().isEmpty() ? PlayerView::tr("nothing reported") : item.playing();
    const QString contact = item.lastActive().isValid() ? item.lastActiveText() : PlayerView::tr("never");
    QStringList lines{PlayerView::tr("Name: %1").arg(elideForDisplay(item.name(), displaylimit::kValue))};
    if (!item.ipAddress().isEmpty())
        lines << PlayerView::tr("Address: %1").arg(item.ipAddress());
    if (item.isVirtual() || item.isMirror())
        lines << PlayerView::tr("Folder: %1").arg(item.virtualDirectory());
    lines << PlayerView::tr("Power: %1").arg(power)
          << PlayerView::tr("Playing: %1").arg(elideForDisplay(playing, displaylimit::kValue))
          << PlayerView::tr("Last contact: %1").arg(contact);
    if (item.isFailing())
        lines << PlayerView::tr("Failing: its last %n calls failed (%1)", nullptr, item.failedCalls()).arg(item.lastFault());
    return lines.join(QLatin1Char('\n'));
}

QStringList filterWords(const QString& filter)
{
    return filter.split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

bool playerMatchesFilter(const QListWidgetItem& item, const QStringList& words)
{
    const auto* player = item.type() == PlayerItem::ItemType ? static_cast<const PlayerItem*>(&item) : nullptr;
    const QString name = item.text();
    const QString address = player ? player->ipAddress() : QString();
    for (const QString& word : words) {
        if (!name.contains(word, Qt::CaseInsensitive) && !address.contains(word, Qt::CaseInsensitive))
            return false;
    }
    return true;
}

// Players sort by name in the view (sorting is on there).
bool PlayerItem::operator<(const QListWidgetItem& other) const
{
    return playerNameLess(text(), other.text());
}

// Built when asked, so that it is always current and heartbeats cost nothing.
QVariant PlayerItem::data(int role) const
{
    // A tool tip renders anything that looks like markup: names and files come from players.
    if (role == Qt::ToolTipRole)
        return plainTextAsHtml(playerToolTip(*this));
    if (role == Qt::AccessibleDescriptionRole)
        return playerToolTip(*this);
    return QListWidgetItem::data(role);
}

PlayerFilter::PlayerFilter(QListWidget* view, QLineEdit* field)
    : QObject(field), m_view(view), m_field(field)
{
    connect(field, &QLineEdit::textChanged, this, &PlayerFilter::apply);
    // Players that arrive while a filter is set are filtered too, once their
    // address is filled in: admission sets it after the icon is in the view.
    m_pending.setSingleShot(true);
    m_pending.setInterval(0);
    connect(&m_pending, &QTimer::timeout, this, &PlayerFilter::apply);
    connect(view->model(), &QAbstractItemModel::rowsInserted, this, [this] {
        if (!m_words.isEmpty())
            m_pending.start();
    });
}

int PlayerFilter::apply()
{
    m_words = filterWords(m_field->text());
    applyToRows(0, m_view->count() - 1);
    int shown = 0;
    for (int row = 0; row < m_view->count(); ++row)
        shown += m_view->isRowHidden(row) ? 0 : 1;
    return shown;
}

void PlayerFilter::applyToRows(int first, int last)
{
    for (int row = first; row <= last && row < m_view->count(); ++row) {
        const QListWidgetItem* item = m_view->item(row);
        const bool hide = item && !playerMatchesFilter(*item, m_words);
        // By row, not through the item: finding an item's row walks the whole list.
        if (m_view->isRowHidden(row) != hide)
            m_view->setRowHidden(row, hide);
        // What the operator cannot see is never acted on with the selection.
        if (hide && item->isSelected())
            m_view->selectionModel()->select(m_view->model()->index(row, 0), QItemSelectionModel::Deselect);
    }
}
