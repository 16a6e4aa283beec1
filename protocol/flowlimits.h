#pragma once

#include <QtGlobal>

// What one peer can make this side hold, and how long it may stay silent.
// The game port is open to anyone, so every figure here bounds what a stranger
// costs the table; a peer over any of them is cut off, and the host handles
// its seat as after any departure. Well-behaved peers stay far below them.
struct ReceiveLimits
{
    // Bytes of one message whose terminator has not arrived yet.
    qsizetype unfinishedBytes = 64 * 1024;
    // Whole messages received and not yet handled, and their bytes together.
    qsizetype queuedMessages = 256;
    qsizetype queuedBytes = 256 * 1024;
};

namespace limits {

// The host, per connection. It handles one message per 10 ms tick from all
// connections in turn; a person sends a few messages a minute.
inline constexpr ReceiveLimits kHostConnection{};

// The table client, from its host. It handles a message every millisecond; a
// host relays at most one message per 10 ms tick to it, plus a few answers. A
// relayed chat line carries a name and a text that each may be as long as the
// host takes one message, so one message from the host may be twice that.
inline constexpr ReceiveLimits kClient{2 * kHostConnection.unfinishedBytes + 1024, 4096,
                                       4 * 1024 * 1024};

// Bytes the host has given a connection's socket and the peer has not taken.
// A whole game sends a connection a few tens of kilobytes.
inline constexpr qsizetype kUnsentBytes = 1024 * 1024;

// Chat and action lines one connection may have relayed: a steady rate and a
// burst (host/chatallowance.h). The host sends each line, with the sender's
// name, to every connection.
inline constexpr int kChatBytesPerSecond = 4096;
inline constexpr int kChatBurstBytes = 16 * 1024;

// A connection that has not logged in this long after being accepted is
// closed, so silent connections cannot hold the table's numbers.
inline constexpr int kLoginDeadlineMs = 30000;

} // namespace limits
