#pragma once

#include <QHostAddress>
#include <QString>
#include <sys/socket.h>

// The descriptor-level steps a TSock is built from: making sockets, turning
// addresses into the platform's form and back.
namespace posixsocket {

// Non-blocking and closed on exec.
void setNonBlocking(int fd);
// A non-blocking stream socket of `family`; -1 when the platform refuses one.
int newStreamSocket(int family);
// Fills `out` with `address`:`port` and returns the length the platform wants.
socklen_t socketAddress(const QHostAddress &address, quint16 port, sockaddr_storage &out);
// A peer's address as text.
QString peerText(const sockaddr_storage &peer);
quint16 portOf(const sockaddr_storage &local);
// A socket bound to `port` on `address`, or on every local address when
// `address` is null; -1 when binding fails.
int listeningSocket(const QHostAddress &address, quint16 port);

} // namespace posixsocket
