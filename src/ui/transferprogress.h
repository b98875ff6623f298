#pragma once

// Progress of a transfer on a progress bar. A bar counts in int: a transfer
// larger than that moves it in coarser steps, so that any size shows.

#include <QtGlobal>

class QProgressBar;

// done of total bytes; a total of 0 or less (not known) shows a busy bar.
void showTransferProgress(QProgressBar* bar, qint64 done, qint64 total);
