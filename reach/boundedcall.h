#pragma once

#include <QByteArray>
#include <functional>
#include <optional>

// Runs work that talks to a router in a child process, so that whatever the
// router sends (endless, huge or malformed replies) can cost at most the time
// and memory given here: the child is killed at the deadline, its memory is
// capped, and a crash in a parser ends only the child. The caller's thread
// waits; never call this on the window's thread.
struct CallLimits
{
    int deadlineMs = 4000;
    qsizetype maxReplyBytes = 4096;     // what the child may hand back
    qint64 extraMemoryBytes = 64 << 20; // what the child may allocate beyond what it started with
};

// The bytes the work returned, or nullopt when it ran out of time or memory,
// crashed, or returned more than the limit.
std::optional<QByteArray> runBounded(const std::function<QByteArray()> &work, CallLimits limits);
