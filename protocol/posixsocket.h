#pragma once

#include <QHostAddress>
#include <QString>
#include <sys/socket.h>

// The descriptor-level steps a TSock is built from: making sockets, turning
// addresses into the platform's form and back.
namespace posixsocket {

// How long a game connection may go unanswered before it counts as lost:
// quiet for `idleSeconds`, then `probes` probes `intervalSeconds` apart.
struct Keepalive
{
    int idleSeconds = 30;
    int intervalSeconds = 10;
    int probes = 3;

    // The same bound for data the peer never acknowledges.
    int deadlineMs() const { return (idleSeconds + intervalSeconds * probes) * 1000; }
};

// A connected game socket: a peer that vanishes without a word (its network
// gone, its machine asleep) is found within keepalive.deadlineMs(), whether
// anything waits to go to it or not; and small messages go out at once
// instead of waiting for the acknowledgement of the one before.
void tuneConnection(int fd, const Keepalive &keepalive);

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
