#pragma once

#include "../common/loopback.h"
#include "../common/test_support.h"
#include "coordinator/memorystore.h"
#include "coordinator/relaydialer.h"
#include "relay/relayserver.h"

#include <QElapsedTimer>
#include <cerrno>
#include <fcntl.h>
#include <sys/socket.h>

// One end of a connection as a test drives it: bytes out, bytes in, closed.
struct Peer
{
    int fd = -1;
    QByteArray received;
    bool closed = false;

    Peer() = default;
    explicit Peer(int socket) : fd(socket) { ::fcntl(fd, F_SETFL, O_NONBLOCK); }
    Peer(Peer &&other) noexcept : fd(std::exchange(other.fd, -1)), received(other.received) {}
    ~Peer()
    {
        if (fd >= 0)
            ::close(fd);
    }
    // Sends as much as the socket takes now; gives the count.
    qsizetype send(QByteArrayView bytes)
    {
        const ssize_t sent = ::send(fd, bytes.data(), size_t(bytes.size()), MSG_NOSIGNAL);
        if (sent < 0 && errno != EAGAIN)
            closed = true;
        return sent > 0 ? sent : 0;
    }
    void read()
    {
        char buffer[65536];
        for (;;) {
            const ssize_t got = ::recv(fd, buffer, sizeof buffer, 0);
            if (got > 0) {
                received.append(buffer, got);
                continue;
            }
            if (got == 0 || errno != EAGAIN)
                closed = true;
            return;
        }
    }
    bool waitFor(qsizetype bytes, int timeoutMs = 5000)
    {
        return testsupport::waitUntil(
                   [&] {
                       read();
                       return received.size() >= bytes || closed;
                   },
                   timeoutMs) &&
               received.size() >= bytes;
    }
    bool waitClosed(int timeoutMs = 5000)
    {
        return testsupport::waitUntil(
            [&] {
                read();
                return closed;
            },
            timeoutMs);
    }
};

// A relay on loopback sharing a memory store with the test, which plays the
// coordinator that hands out tickets.
struct RelayFixture
{
    QElapsedTimer clock;
    MemoryStore store{[this] { return clock.elapsed(); }};
    RelayLimits limits;
    std::unique_ptr<RelayServer> relay;
    int tickets = 0;

    RelayFixture()
    {
        clock.start();
        limits.preambleMs = 300;
        limits.pairingMs = 400;
        limits.slowReaderMs = 300;
        limits.perAddress = 6;
    }
    void start()
    {
        relay = std::make_unique<RelayServer>("r1", store, limits);
        relay->listen(QHostAddress::LocalHost, 0);
    }
    Endpoint endpoint() const { return *Endpoint::parse(relay->advertised()); }
    QByteArray ticket(const QByteArray &forRelay = "r1", qint64 ttlMs = 60000)
    {
        const QByteArray ticket = QByteArray::number(++tickets).rightJustified(32, '0');
        store.putTicket(ticket, "7KQ2M9XD " + forRelay, ttlMs);
        return ticket;
    }
    // Dials as a host or joiner with a dialer, as the program does.
    Peer dial(relay::Role role, const QByteArray &ticket, QString *why = nullptr)
    {
        RelayDialer dialer;
        int fd = -1;
        bool failed = false;
        QObject::connect(&dialer, &RelayDialer::ready, [&](int ready) { fd = ready; });
        QObject::connect(&dialer, &RelayDialer::failed, [&](const QString &text) {
            failed = true;
            if (why)
                *why = text;
        });
        dialer.dial(endpoint(), relay::Preamble{role, ticket}, 5000);
        testsupport::waitUntil([&] { return fd >= 0 || failed; });
        return Peer(fd);
    }
    // Both sides at once: the first waits while the second dials.
    std::pair<Peer, Peer> pair(const QByteArray &ticket)
    {
        RelayDialer hostDialer;
        int hostFd = -1;
        QObject::connect(&hostDialer, &RelayDialer::ready, [&](int fd) { hostFd = fd; });
        hostDialer.dial(endpoint(), relay::Preamble{relay::Role::Host, ticket}, 5000);
        Peer joiner = dial(relay::Role::Join, ticket);
        testsupport::waitUntil([&] { return hostFd >= 0; });
        return {Peer(hostFd), std::move(joiner)};
    }
    Peer raw(const QByteArray &bytes = {})
    {
        Peer peer(testsupport::connectLoopback(relay->port()));
        if (!bytes.isEmpty())
            peer.send(bytes);
        return peer;
    }
};
