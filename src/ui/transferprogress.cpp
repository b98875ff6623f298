#include "ui/transferprogress.h"

#include <QProgressBar>

#include <limits>

void showTransferProgress(QProgressBar* bar, qint64 done, qint64 total)
{
    if (total <= 0) {
        bar->setRange(0, 0);
        return;
    }
    int shift = 0;
    while ((total >> shift) > std::numeric_limits<int>::max())
        ++shift;
    bar->setRange(0, int(total >> shift));
    bar->setValue(int(qBound<qint64>(0, done, total) >> shift));
}
