#pragma once

// What became of one action taken on several players: how many it was for and
// which of them failed, with why; and the texts that report it.

#include <QCoreApplication>
#include <QList>
#include <QPair>
#include <QString>

struct BulkOutcome {
    QString action;                           // the menu entry's text as shown, e.g. "Restart/wake player"
    int total = 0;                            // how many players the action was for
    QList<QPair<QString, QString>> failures;  // (player name, reason), in view order

    // The context of the outcome texts.
    Q_DECLARE_TR_FUNCTIONS(BulkOutcome)
};

// "Restart/wake player: 11 of 12 done; Screen07: no answer": each failure adds
// "; NAME: REASON", names and reasons cut to a value's length.
QString bulkSummaryText(const BulkOutcome& outcome);

// The Events line of one player's failure: "Restart/wake player failed on Screen07: no answer".
QString bulkFailureText(const QString& action, const QString& player, const QString& reason);
