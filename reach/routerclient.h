#pragma once

#include "reach/routeranswer.h"

// The calls that ask the router, over UPnP IGD (miniupnpc) and then NAT-PMP
// (libnatpmp). Each blocks for at most about its timeouts and is meant to run
// inside runBounded(), off the window's thread.
struct MappingRequest
{
    int internalPort = 7772;
    int wantedPort = 7772; // the outside port asked for first
    int leaseSeconds = 3600;
    int discoverMs = 1000; // how long the UPnP search waits for routers
    int natPmpMs = 1500;   // how long NAT-PMP waits for all its answers together
    bool useUpnp = true;
    bool useNatPmp = true;
};

// Finds the router and asks for the mapping: UPnP first, NAT-PMP when UPnP
// found nothing or was refused.
RouterAnswer askRouter(const MappingRequest &request);
// Asks again for the mapping `held`, on the same outside port and the same way.
RouterAnswer renewMapping(const RouterAnswer &held, const MappingRequest &request);
// Removes the mapping `held`, only if the router still has it for this machine.
bool releaseMapping(const RouterAnswer &held, const MappingRequest &request);
