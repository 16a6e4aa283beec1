#pragma once

// Peers on plain sockets that do what no well-behaved client does, and the
// checks that the host's tables stay whole meanwhile.
#include "socket_table.h"
#include "tests/common/loopback.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace hosttest {

// A peer on a plain socket, so that it can do what no well-behaved client
// does: stop mid-message, reset the connection, trickle or flood.
struct RawPeer
{
    int fd = -1;
    ReceiveQueue buffer{limits::kClient};
    QList<QByteArray> received;
    bool eof = false;

    // A small receive buffer makes a peer that stops reading fill up soon.
    explicit RawPeer(int port, int receiveBuffer = 0, quint32 from = 0)
    {
        fd = testsupport::connectLoopback(port, receiveBuffer, from);
        if (fd < 0)
            return;
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    }
    ~RawPeer()
    {
        if (fd >= 0)
            ::close(fd);
    }
    RawPeer(const RawPeer &) = delete;
    RawPeer &operator=(const RawPeer &) = delete;

    // Reads whatever has arrived; notes the end of the connection.
    void pump()
    {
        char chunk[16384];
        while (fd >= 0 && !eof) {
            const ssize_t got = ::recv(fd, chunk, sizeof chunk, 0);
            if (got > 0) {
                if (!buffer.append(QByteArrayView(chunk, got)))
                    eof = true;
                received << buffer.takeAll();
                continue;
            }
            if (got == 0 || (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR))
                eof = true;
            break;
        }
    }
    // Sends as much as the socket takes now; -1 once the host has gone.
    ssize_t sendSome(const QByteArray &bytes) const
    {
        const ssize_t sent =
            ::send(fd, bytes.constData(), size_t(bytes.size()), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            return 0;
        return sent;
    }
    // Ends the connection with a reset instead of an orderly close.
    void reset()
    {
        const linger abort{1, 0};
        ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
        ::close(fd);
        fd = -1;
    }
    int number()
    {
        pump();
        for (const QByteArray &m : received) {
            if (nameOf(m) == "CMD_sendlogininfo")
                return ints(m).value(0);
        }
        return 0;
    }
    bool got(const char *name) const { return !named(received, name).isEmpty(); }
};

// No card in two places, none lost during a hand (the last trick stays on the
// table through the pause after it), and at most 13 tricks a hand.
inline ::testing::AssertionResult consistent(const TServer &server)
{
    const SeatTable &seats = server.seats();
    std::array<bool, cards::kDeckSize + 1> seen{};
    int present = 0;
    int tricks = 0;
    for (int seat = 1; seat <= cards::kSeats; ++seat) {
        std::array<int, 14> held = seats[seat].hand;
        held[0] = seats[seat].tablecard;
        for (int card : held) {
            if (card == 0)
                continue;
            if (!cards::isCard(card) || seen[card])
                return ::testing::AssertionFailure() << "card " << card << " at seat " << seat;
            seen[card] = true;
            ++present;
        }
        tricks += seats[seat].tricks;
    }
    if (tricks > cards::kHandSize)
        return ::testing::AssertionFailure() << tricks << " tricks";
    const GameState &game = server.game();
    const int accounted = present + cards::kSeats * tricks;
    if (game.gamestarted && game.roundnumber > 0 && accounted != 0 &&
        accounted != cards::kDeckSize && accounted != cards::kDeckSize + cards::kSeats)
        return ::testing::AssertionFailure() << accounted << " cards accounted for";
    return ::testing::AssertionSuccess();
}

// Runs the loop until `done`, checking the host's tables at every turn.
inline ::testing::AssertionResult playUntil(RuntimeTable &t, const std::function<bool()> &done,
                                            int timeoutMs = 20000)
{
    ::testing::AssertionResult state = ::testing::AssertionSuccess();
    const bool reached = testsupport::waitUntil(
        [&] {
            state = consistent(t.host.server());
            return !state || done();
        },
        timeoutMs);
    if (!state)
        return state;
    if (!reached)
        return ::testing::AssertionFailure() << "timed out";
    return ::testing::AssertionSuccess();
}

inline QByteArray login(int n, const QByteArray &name)
{
    return wire::toHost::LoginInfo{n, wire::kVersion, name}.encode();
}

// Three scripted people in seats 1-3 and a raw peer logged in at seat 4.
struct ThreeAndAPeer
{
    RuntimeTable t;
    std::unique_ptr<RawPeer> peer;

    explicit ThreeAndAPeer(HostRuntime::Timing timing = {1, 5, 1}) : t(timing)
    {
        for (const char *name : {"Ann", "Bob", "Cy"})
            t.join(name);
        peer = std::make_unique<RawPeer>(t.host.port());
        testsupport::waitUntil([&] { return peer->number() == 4; });
        peer->sendSome(login(4, "Raw"));
        testsupport::waitUntil([&] { return t.host.server().seats()[4].name == "Raw"; });
    }
    SocketSeat &first() { return *t.seats[0]; }
    void start(const QByteArray &target = "500")
    {
        first().sock.Send(wire::toHost::StartGame::of("Ann", target, true, true, false).encode());
    }
    bool everyoneSees(const char *name, int count = 1) const { return t.everyoneSees(name, count); }
};

} // namespace hosttest
