#include "coordinator/endpoint.h"

#include "protocol/addresskind.h"

namespace {

bool isNameCharacter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.';
}

} // namespace

std::optional<Endpoint> Endpoint::parse(QByteArrayView text)
{
    if (text.isEmpty() || text.size() > 262)
        return std::nullopt;
    QByteArrayView host;
    QByteArrayView port;
    if (text.front() == '[') {
        const qsizetype close = text.indexOf(']');
        if (close < 0 || close + 1 >= text.size() || text[close + 1] != ':')
            return std::nullopt;
        host = text.sliced(1, close - 1);
        port = text.sliced(close + 2);
        if (QHostAddress(QString::fromLatin1(host)).protocol() != QAbstractSocket::IPv6Protocol)
            return std::nullopt;
    } else {
        const qsizetype colon = text.lastIndexOf(':');
        if (colon <= 0)
            return std::nullopt;
        host = text.first(colon);
        port = text.sliced(colon + 1);
        if (host.size() > 253)
            return std::nullopt;
        for (const char c : host) {
            if (!isNameCharacter(c))
                return std::nullopt;
        }
    }
    const std::optional<quint16> number = parsePort(port);
    if (!number)
        return std::nullopt;
    return Endpoint{host.toByteArray(), *number};
}

std::optional<int> decimalIn(QByteArrayView text, int lowest, int highest)
{
    if (text.isEmpty() || text.size() > 5)
        return std::nullopt;
    int number = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        number = number * 10 + (c - '0');
    }
    if (number < lowest || number > highest)
        return std::nullopt;
    return number;
}

std::optional<quint16> Endpoint::parsePort(QByteArrayView text)
{
    const std::optional<int> port = decimalIn(text, 1, 65535);
    return port ? std::optional<quint16>(quint16(*port)) : std::nullopt;
}

Endpoint Endpoint::of(const QHostAddress &address, quint16 port)
{
    QHostAddress plain = address;
    bool mapped = false;
    const quint32 v4 = address.toIPv4Address(&mapped);
    if (mapped)
        plain = QHostAddress(v4);
    plain.setScopeId(QString());
    return Endpoint{plain.toString().toLatin1(), port};
}

QByteArray Endpoint::text() const
{
    if (host.contains(':'))
        return '[' + host + "]:" + QByteArray::number(port);
    return host + ':' + QByteArray::number(port);
}

std::optional<QHostAddress> Endpoint::address() const
{
    QHostAddress address;
    if (!address.setAddress(QString::fromLatin1(host)))
        return std::nullopt;
    return address;
}

namespace reach {

bool isGlobal(const QHostAddress &address)
{
    // A peer of a dual-stack socket shows as an IPv4-mapped IPv6 address.
    bool isV4 = false;
    const quint32 v4 = address.toIPv4Address(&isV4);
    const QHostAddress plain = isV4 ? QHostAddress(v4) : address;
    return classifyAddress(plain.toString()) == AddressKind::Public;
}

QByteArray blockOf(const QHostAddress &address)
{
    return addressBlock(address);
}

} // namespace reach
