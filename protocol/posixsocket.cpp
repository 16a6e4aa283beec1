#include "protocol/posixsocket.h"

#include <arpa/inet.h>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <net/if.h>
#include <netinet/in.h>
#include <unistd.h>

namespace posixsocket {

void setNonBlocking(int fd)
{
    const int flags = fcntl(fd, F_GETFL, 0);
    fcntl(fd, F_SETFL, flags | O_NONBLOCK);
    fcntl(fd, F_SETFD, FD_CLOEXEC);
}

int newStreamSocket(int family)
{
    // A peer that has gone away must not kill the process through SIGPIPE.
    static const bool ignored = [] {
        std::signal(SIGPIPE, SIG_IGN);
        return true;
    }();
    (void)ignored;
    const int fd = ::socket(family, SOCK_STREAM, 0);
    if (fd >= 0)
        setNonBlocking(fd);
    return fd;
}

socklen_t socketAddress(const QHostAddress &address, quint16 port, sockaddr_storage &out)
{
    out = {};
    if (address.protocol() == QAbstractSocket::IPv4Protocol) {
        auto *v4 = reinterpret_cast<sockaddr_in *>(&out);
        v4->sin_family = AF_INET;
        v4->sin_port = htons(port);
        v4->sin_addr.s_addr = htonl(address.toIPv4Address());
        return sizeof(sockaddr_in);
    }
    auto *v6 = reinterpret_cast<sockaddr_in6 *>(&out);
    v6->sin6_family = AF_INET6;
    v6->sin6_port = htons(port);
    const Q_IPV6ADDR bytes = address.toIPv6Address();
    std::memcpy(&v6->sin6_addr, bytes.c, sizeof bytes.c);
    const QString zone = address.scopeId();
    if (!zone.isEmpty()) {
        bool numeric = false;
        const uint index = zone.toUInt(&numeric);
        v6->sin6_scope_id = numeric ? index : ::if_nametoindex(zone.toLatin1().constData());
    }
    return sizeof(sockaddr_in6);
}

// A peer's address as text: an IPv4 peer on an IPv6 listener reads as the
// plain dotted address it has.
QString peerText(const sockaddr_storage &peer)
{
    char text[INET6_ADDRSTRLEN] = {};
    if (peer.ss_family == AF_INET6) {
        const auto &v6 = reinterpret_cast<const sockaddr_in6 &>(peer);
        if (IN6_IS_ADDR_V4MAPPED(&v6.sin6_addr))
            ::inet_ntop(AF_INET, &v6.sin6_addr.s6_addr[12], text, sizeof text);
        else
            ::inet_ntop(AF_INET6, &v6.sin6_addr, text, sizeof text);
    } else {
        ::inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in &>(peer).sin_addr, text,
                    sizeof text);
    }
    return QString::fromLatin1(text);
}

quint16 portOf(const sockaddr_storage &local)
{
    if (local.ss_family == AF_INET6)
        return ntohs(reinterpret_cast<const sockaddr_in6 &>(local).sin6_port);
    return ntohs(reinterpret_cast<const sockaddr_in &>(local).sin_port);
}

namespace {

int boundTo(const QHostAddress &address, quint16 port)
{
    sockaddr_storage local{};
    const socklen_t length = socketAddress(address, port, local);
    const int fd = newStreamSocket(local.ss_family);
    if (fd < 0)
        return -1;
    const int yes = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    if (local.ss_family == AF_INET6)
        ::setsockopt(fd, IPPROTO_IPV6, IPV6_V6ONLY, &yes, sizeof yes);
    if (::bind(fd, reinterpret_cast<sockaddr *>(&local), length) == 0)
        return fd;
    ::close(fd);
    return -1;
}

} // namespace

// A null address means every address, IPv4 ones as well, on one socket;
// without IPv6 on this machine, every IPv4 address.
int listeningSocket(const QHostAddress &address, quint16 port)
{
    if (!address.isNull())
        return boundTo(address, port);
    const int fd = newStreamSocket(AF_INET6);
    if (fd >= 0) {
        const int yes = 1;
        const int no = 0;
        ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
        ::setsockopt(fd, IPPROTO_IPV6, IPV6_V6ONLY, &no, sizeof no);
        sockaddr_in6 local{};
        local.sin6_family = AF_INET6;
        local.sin6_addr = in6addr_any;
        local.sin6_port = htons(port);
        if (::bind(fd, reinterpret_cast<sockaddr *>(&local), sizeof local) == 0)
            return fd;
        const int error = errno;
        ::close(fd);
        if (error != EADDRNOTAVAIL && error != EAFNOSUPPORT)
            return -1;
    }
    return boundTo(QHostAddress(QHostAddress::AnyIPv4), port);
}

} // namespace posixsocket
