#include "app/descriptorlimit.h"

#ifdef Q_OS_UNIX
#include <sys/resource.h>

#include <cerrno>
#include <cstring>
#endif
#ifdef Q_OS_MACOS
#include <climits>
#endif

namespace {

QString limitText(qint64 value)
{
    return value < 0 ? QStringLiteral("unlimited") : QString::number(value);
}

} // namespace

DescriptorLimit descriptorLimit()
{
    DescriptorLimit limit;
#ifdef Q_OS_UNIX
    rlimit current{};
    if (getrlimit(RLIMIT_NOFILE, &current) == 0) {
        limit.soft = current.rlim_cur == RLIM_INFINITY ? -1 : qint64(current.rlim_cur);
        limit.hard = current.rlim_max == RLIM_INFINITY ? -1 : qint64(current.rlim_max);
    }
#endif
    return limit;
}

QString raiseDescriptorLimit()
{
#ifdef Q_OS_UNIX
    rlimit current{};
    if (getrlimit(RLIMIT_NOFILE, &current) != 0)
        return QStringLiteral("Open descriptor limit unknown: %1").arg(QString::fromLocal8Bit(strerror(errno)));
    const DescriptorLimit before = descriptorLimit();
    rlimit raised = current;
    raised.rlim_cur = current.rlim_max;
#ifdef Q_OS_MACOS
    // macOS refuses a soft limit above OPEN_MAX, whatever the hard limit says.
    if (raised.rlim_cur == RLIM_INFINITY || raised.rlim_cur > rlim_t(OPEN_MAX))
        raised.rlim_cur = OPEN_MAX;
#endif
    QString outcome;
    if (raised.rlim_cur == current.rlim_cur)
        outcome = QStringLiteral("already at the hard limit");
    else if (setrlimit(RLIMIT_NOFILE, &raised) != 0)
        outcome = QStringLiteral("cannot be raised: %1").arg(QString::fromLocal8Bit(strerror(errno)));
    else
        outcome = QStringLiteral("raised to %1").arg(limitText(descriptorLimit().soft));
    return QStringLiteral("Open descriptor limit: soft %1, hard %2; %3")
        .arg(limitText(before.soft), limitText(before.hard), outcome);
#else
    return QStringLiteral("Open descriptor limit: set by the system");
#endif
}
