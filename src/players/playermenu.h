#pragma once

#include <QString>

// "Total space %1 KB, available %2 KB (%3% Full)." for a player's last reported
// figures; a total of 0 or less is replaced by its complement (0 becomes -1)
// and a negative available space counts 0.
QString storageReportText(qint64 totalKb, qint64 availableKb);
