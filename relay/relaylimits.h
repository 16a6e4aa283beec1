#pragma once

#include <QtGlobal>

// What one connection can make a relay hold, and how long it may keep it.
// Card traffic is a few bytes a second; every figure is far above that and
// far below what would let strangers exhaust the relay.
struct RelayLimits
{
    // A connection must have sent its preamble this soon.
    int preambleMs = 10000;
    // A side with a valid ticket waits this long for the other side.
    int pairingMs = 30000;
    // Bytes read from one side and not yet taken by the other; reading from
    // a side stops while its peer holds this much.
    qint64 unsentBytes = 16 * 1024;
    // Bytes read ahead from one socket.
    qint64 readAhead = 8 * 1024;
    // A side that leaves its peer's bytes untaken this long is cut off.
    int slowReaderMs = 30000;
    // Connections from one address (an IPv6 /64), and in all.
    int perAddress = 16;
    int connections = 20000;
    // How often the relay tells the store it lives, and how long that lasts.
    int announceMs = 2000;
    int announceTtlMs = 6000;
};
