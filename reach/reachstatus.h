#pragma once

#include "reach/routeranswer.h"

#include <QList>
#include <QString>

// One address and port friends may use to join.
struct ReachAddress
{
    QString host; // IPv4 or IPv6 without brackets
    int port = 7772;
    bool operator==(const ReachAddress &) const = default;
};

// This machine's own addresses, as its interfaces show them.
struct LocalAddresses
{
    QString lan;        // the address people at home join at (IPv4)
    QString globalIpv6; // a global IPv6 address, when the machine has one
};

// What the hosting table tells its player about who can reach it. It names
// only ways in that were shown to exist: an outside address the router
// reported with a mapping it made, or a global IPv6 address on this machine.
struct ReachStatus
{
    enum class Way {
        Asking,    // the router has not answered yet
        Off,       // port mapping is turned off
        Router,    // the router forwards its outside address and port to this table
        Ipv6,      // no mapping, but this machine has a global IPv6 address
        NotOpened, // no way in from outside was found
        BehindNat, // the router has no public outside address: another NAT is upstream
    };

    Way way = Way::Asking;
    QString text; // one or two sentences for the status line and the console
    // Best first: what an invitation carries.
    QList<ReachAddress> addresses;
};

// The status for a table listening on `port`.
ReachStatus askingStatus(int port);
ReachStatus offStatus(int port, const LocalAddresses &local);
ReachStatus describeReach(const RouterAnswer &answer, int port, const LocalAddresses &local);
