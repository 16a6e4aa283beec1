#pragma once

#include "host/hostruntime.h"
#include "lan/tableannouncer.h"

// Announces a hosting table on the local network and keeps its free seats
// current: every connection and departure the host notes is a moment to
// count them again. Whatever the host already did with its notes it still
// does. Header-only, so that the network library needs no game host.
inline int freeSeatsOf(const HostRuntime &host)
{
    int free = 0;
    for (int seat = 1; seat <= 4; ++seat)
        free += host.server().seats()[seat].connected ? 0 : 1;
    return free;
}

inline void announceHost(HostRuntime &host, TableAnnouncer &announcer, const QString &hostName)
{
    auto noted = std::move(host.onNote);
    host.onNote = [noted = std::move(noted), &host, &announcer](const QByteArray &line) {
        if (noted)
            noted(line);
        announcer.setFreeSeats(freeSeatsOf(host));
    };
    announcer.announce(quint16(host.port()), hostName, freeSeatsOf(host));
}
