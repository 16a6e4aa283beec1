#pragma once

#include <QByteArray>
#include <QString>

class QHostAddress;

// What an address a router reports (or the machine has) is good for. A router
// outside address in a private or shared range means the router itself sits
// behind another NAT: a mapping on it opens nothing to the internet.
enum class AddressKind {
    NotAnAddress, // empty, garbage, or not a unicast IPv4/IPv6 address
    Unspecified,  // 0.0.0.0 / ::
    Loopback,
    LinkLocal, // 169.254/16, fe80::/10
    Private,   // 10/8, 172.16/12, 192.168/16, fc00::/7
    Shared,    // 100.64/10, carrier-grade NAT
    Reserved,  // documentation, benchmarking and "this network" blocks: never on the internet
    Multicast,
    Public,
};

// Classifies text as a router or interface would give it; anything that does
// not parse whole as one address is NotAnAddress.
AddressKind classifyAddress(const QString &text);

// Whether friends outside the home could be told this address.
inline bool isReachableFromInternet(AddressKind kind)
{
    return kind == AddressKind::Public;
}

// Whether an outside address shows a second NAT upstream of the router.
inline bool isBehindAnotherNat(AddressKind kind)
{
    return kind == AddressKind::Private || kind == AddressKind::Shared;
}

// The block an address stands for when counting or keeping someone away: an
// IPv4 address alone (also one written as IPv4-mapped IPv6), an IPv6 address
// by its /64, since one home holds a whole /64 and picks new addresses in it
// at will; but a link-local, private or loopback IPv6 address alone, as the
// guests on one network share those blocks. Empty for text that is not one
// address.
QByteArray addressBlock(const QHostAddress &address);
QByteArray addressBlock(const QString &text);
