#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QHostAddress>
#include <optional>

// A place to connect to, as the coordinator's messages carry it: "host:port"
// or "[v6]:port". The host is an address literal or a DNS name (a relay may be
// known by name); nothing else passes.
struct Endpoint
{
    QByteArray host; // without brackets
    quint16 port = 0;

    static std::optional<Endpoint> parse(QByteArrayView text);
    // A port as decimal digits, 1..65535.
    static std::optional<quint16> parsePort(QByteArrayView text);
    static Endpoint of(const QHostAddress &address, quint16 port);
    QByteArray text() const;
    // The address, when the host is a literal.
    std::optional<QHostAddress> address() const;
    bool operator==(const Endpoint &) const = default;
};

// Up to five decimal digits, from `lowest` to `highest`; nothing else.
std::optional<int> decimalIn(QByteArrayView text, int lowest, int highest);

namespace reach {

// Whether an address can be reached from anywhere: a public address by
// classifyAddress (not loopback, private, shared, link-local or reserved). The coordinator connects
// back only to such addresses, or to the very address a host is seen from, so it can not be made to
// knock on doors inside its own network.
bool isGlobal(const QHostAddress &address);
// The block one address stands for when counting tries: an IPv4 address alone,
// an IPv6 address with its /64, since one home holds a whole /64.
QByteArray blockOf(const QHostAddress &address);

} // namespace reach
