#pragma once

#include "host/hostnotes.h"
#include "host/tablecount.h"
#include "lan/tableannouncer.h"

// Announces a hosting table on the local network and keeps its free seats
// current: every connection and departure the host notes is a moment to
// count them again. Header-only, so that the network library needs no game
// host.
inline void announceHost(HostRuntime &host, TableAnnouncer &announcer, const QString &hostName)
{
    afterEachNote(host, &announcer,
                  [&host, &announcer] { announcer.setFreeSeats(countOf(host.server()).free); });
    announcer.announce(quint16(host.port()), hostName, countOf(host.server()).free);
}
