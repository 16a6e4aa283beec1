#pragma once

#include "host/tserver.h"

// Who is at a table, as it is told to people looking for one: people in
// seats, seats a newcomer would get (not one kept for its lost player), and
// people watching. A connection is someone once it has logged in: one that
// has not (a coordinator checking the table can be reached, which leaves at
// once) is nobody yet, and its seat is still offered.
struct TableCount
{
    int seated = 0;
    int free = 0;
    int watchers = 0;
    bool operator==(const TableCount &) const = default;
};

inline TableCount countOf(const TServer &server)
{
    TableCount count;
    for (int n = 1; n < kRecords; ++n) {
        const bool held = server.seats()[n].connected;
        const bool someone = held && !server.awaitingLogin(n);
        if (!cards::isSeat(n)) {
            count.watchers += someone ? 1 : 0;
        } else if (someone) {
            ++count.seated;
        } else if (!server.seatKept(n)) {
            ++count.free;
        }
    }
    return count;
}
