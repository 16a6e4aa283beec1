#pragma once

#include <QtGlobal>
#include <algorithm>

// What one connection may still have relayed as chat: bytes that fill at a
// steady rate up to a burst. A line goes while anything is left and costs its
// whole size, so even the longest line the host takes goes out now and then,
// and a sender of long lines waits in proportion. A person chatting stays far
// below the rate; a peer flooding the table with long lines (each one sent to
// every connection) has most of them dropped instead of crowding the others'
// links until the host cuts them off.
struct ChatAllowance
{
    qint64 bytes = 0;
    qint64 at = 0; // ms of the last reckoning
    bool started = false;
    bool dropping = false; // the last line asked for was refused

    // Whether a line costing `cost` bytes may be relayed at `nowMs`; if so, it
    // is charged. A new connection starts with the whole burst.
    bool take(qint64 cost, qint64 nowMs, qint64 perSecond, qint64 burst)
    {
        if (!started) {
            started = true;
            bytes = burst;
            at = nowMs;
        }
        const qint64 elapsed = std::max<qint64>(0, nowMs - at);
        bytes = std::min(burst, bytes + std::min(elapsed, qint64(1) << 24) * perSecond / 1000);
        at = nowMs;
        dropping = bytes <= 0;
        if (dropping)
            return false;
        bytes -= cost;
        return true;
    }
};
