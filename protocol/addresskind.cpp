#include "protocol/addresskind.h"

#include <QHostAddress>

namespace {

bool within(const QHostAddress &address, const char *network, int bits)
{
    return address.isInSubnet(QHostAddress(QString::fromLatin1(network)), bits);
}

AddressKind classifyV4(const QHostAddress &address)
{
    if (address.toIPv4Address() == 0)
        return AddressKind::Unspecified;
    if (within(address, "127.0.0.0", 8))
        return AddressKind::Loopback;
    if (within(address, "169.254.0.0", 16))
        return AddressKind::LinkLocal;
    if (within(address, "10.0.0.0", 8) || within(address, "172.16.0.0", 12) ||
        within(address, "192.168.0.0", 16))
        return AddressKind::Private;
    if (within(address, "100.64.0.0", 10))
        return AddressKind::Shared;
    if (within(address, "0.0.0.0", 8) || within(address, "192.0.0.0", 24) ||
        within(address, "192.0.2.0", 24) || within(address, "198.18.0.0", 15) ||
        within(address, "198.51.100.0", 24) || within(address, "203.0.113.0", 24))
        return AddressKind::Reserved;
    if (within(address, "224.0.0.0", 3)) // multicast and the reserved block above it
        return AddressKind::Multicast;
    return AddressKind::Public;
}

AddressKind classifyV6(const QHostAddress &address)
{
    if (address == QHostAddress(QHostAddress::AnyIPv6))
        return AddressKind::Unspecified;
    if (address.isLoopback())
        return AddressKind::Loopback;
    if (within(address, "fe80::", 10))
        return AddressKind::LinkLocal;
    if (within(address, "fc00::", 7))
        return AddressKind::Private;
    if (within(address, "ff00::", 8))
        return AddressKind::Multicast;
    if (within(address, "2001:db8::", 32))
        return AddressKind::Reserved;
    // Only global unicast is offered; mapped, compatible and other special blocks are not.
    if (!within(address, "2000::", 3))
        return AddressKind::NotAnAddress;
    return AddressKind::Public;
}

} // namespace

AddressKind classifyAddress(const QString &text)
{
    // QHostAddress accepts forms like "1" or "1.2.3" and a scope suffix; a router's
    // answer must be one plain address.
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty() || trimmed.size() > 45 || trimmed.contains(QLatin1Char('%')))
        return AddressKind::NotAnAddress;
    QHostAddress address;
    if (!address.setAddress(trimmed))
        return AddressKind::NotAnAddress;
    if (address.protocol() == QAbstractSocket::IPv4Protocol) {
        if (trimmed.count(QLatin1Char('.')) != 3)
            return AddressKind::NotAnAddress;
        return classifyV4(address);
    }
    if (address.protocol() == QAbstractSocket::IPv6Protocol)
        return classifyV6(address);
    return AddressKind::NotAnAddress;
}

QByteArray addressBlock(const QHostAddress &address)
{
    if (address.isNull())
        return {};
    bool isV4 = false;
    const quint32 v4 = address.toIPv4Address(&isV4);
    if (isV4)
        return QHostAddress(v4).toString().toLatin1();
    const Q_IPV6ADDR v6 = address.toIPv6Address();
    // On the home's own network every guest shares the /64 (link-local ones
    // all of fe80::/64): there each address stands for itself.
    const AddressKind kind = classifyV6(address);
    if (kind == AddressKind::LinkLocal || kind == AddressKind::Private ||
        kind == AddressKind::Loopback)
        return QByteArray(reinterpret_cast<const char *>(v6.c), 16).toHex();
    return QByteArray(reinterpret_cast<const char *>(v6.c), 8).toHex() + "/64";
}

QByteArray addressBlock(const QString &text)
{
    return addressBlock(QHostAddress(text));
}
