#include "players/bulkoutcome.h"

#include "core/displaytext.h"

namespace {

QString cut(const QString& text)
{
    return elideForDisplay(text, displaylimit::kValue);
}

} // namespace

QString bulkSummaryText(const BulkOutcome& outcome)
{
    const int done = outcome.total - int(outcome.failures.size());
    QString text = BulkOutcome::tr("%1: %2 of %3 done")
                       .arg(outcome.action, QString::number(qMax(done, 0)), QString::number(outcome.total));
    for (const auto& [name, reason] : outcome.failures)
        text += BulkOutcome::tr("; %1: %2").arg(cut(name), cut(reason));
    return text;
}

QString bulkFailureText(const QString& action, const QString& player, const QString& reason)
{
    return BulkOutcome::tr("%1 failed on %2: %3").arg(action, cut(player), cut(reason));
}
