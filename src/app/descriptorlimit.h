#pragma once

#include <QString>

// The process's limit on open descriptors (sockets and files): the soft
// limit in force and the hard limit it may be raised to. Both are -1 where
// the system has no such limit to read.
struct DescriptorLimit
{
    qint64 soft = -1;
    qint64 hard = -1;
};

DescriptorLimit descriptorLimit();

// Raises the soft limit to the hard one, since every player's connections
// take descriptors and a desktop session's default (often 1024) is soon
// spent by a large fleet. Returns a line for the debug log giving the limits
// before and after.
QString raiseDescriptorLimit();
