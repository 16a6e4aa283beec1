// A removed player's address is kept away from the table until the host
// closes; nobody else is.
#include "host/removedaddresses.h"
#include "host_harness.h"
#include "raw_peer.h"

#include <gtest/gtest.h>

namespace {

using namespace hosttest;

struct Comeback
{
    const char *what;
    QByteArray hostFrom;   // the hosting player's own connection
    QByteArray victimFrom; // the connection that goes
    bool removed;          // by the hosting player, or it left by itself
    QByteArray laterFrom;  // a new connection afterwards
    bool welcome;
};

TEST(Removal, AddressOfARemovedPlayerIsTurnedAwayAsFromAFullTable)
{
    const Comeback cases[] = {
        {"the removed address comes back", "127.0.0.1", "127.0.0.2", true, "127.0.0.2", false},
        {"another address", "127.0.0.1", "127.0.0.2", true, "127.0.0.3", true},
        {"a player who left by himself", "127.0.0.1", "127.0.0.2", false, "127.0.0.2", true},
        {"a relayed connection keeps nothing away", "127.0.0.1", "", true, "", true},
        {"the hosting player's own address", "127.0.0.1", "127.0.0.1", true, "127.0.0.1", true},
        {"the same /64", "127.0.0.1", "20010db8000000ab/64", true, "20010db8000000ab/64", false},
    };
    for (const Comeback &c : cases) {
        SCOPED_TRACE(c.what);
        Host h;
        h.port.waitingFrom = c.hostFrom;
        h.seat(1);
        h.port.waitingFrom = c.victimFrom;
        h.seat(2);
        h.clear();
        if (c.removed)
            h.deliver(1, wire::toHost::KickHim{1, 3}.encode());
        else
            h.server.connectionClosed(3);
        h.port.waitingFrom = c.laterFrom;
        h.clear();

        const int n = h.connect();
        EXPECT_EQ(n, c.welcome ? 3 : 0);
        EXPECT_EQ(h.take(3), c.welcome ? QList<QByteArray>{"CMD_sendlogininfo+3"}
                                       : QList<QByteArray>{"CMD_full+"});
        EXPECT_EQ(h.port.closedByHost.contains(3), !c.welcome);
        EXPECT_EQ(h.seatRecord(3).connected, c.welcome);
        EXPECT_TRUE(h.take(1).isEmpty());
        EXPECT_EQ(h.server.connectioncount(), 3);
    }
}

TEST(Removal, TheHostingPlayerRemovingHimselfKeepsNothingAway)
{
    Host h;
    h.port.waitingFrom = "127.0.0.2";
    h.seat(2);
    h.deliver(1, wire::toHost::KickHim{1, 1}.encode());
    EXPECT_EQ(h.connect(), 1);
    EXPECT_EQ(h.server.removedAddresses().size(), 0);
}

TEST(Removal, ListKeepsTheLatestAddressesAndNeverAnEmptyOne)
{
    RemovedAddresses removed;
    removed.add("");
    EXPECT_FALSE(removed.holds(""));
    for (int i = 0; i <= RemovedAddresses::kMost; ++i)
        removed.add("127.0.0." + QByteArray::number(i));
    removed.add("127.0.0.5");
    EXPECT_EQ(removed.size(), RemovedAddresses::kMost);
    EXPECT_FALSE(removed.holds("127.0.0.0"));
    EXPECT_TRUE(removed.holds("127.0.0.1"));
    EXPECT_TRUE(removed.holds("127.0.0." + QByteArray::number(RemovedAddresses::kMost)));
}

TEST(Removal, OnRealSocketsTheRemovedComputerIsTurnedAwayAndOthersAreNot)
{
    constexpr quint32 kSecond = 0x7F000002; // 127.0.0.2: another computer to the host
    constexpr quint32 kThird = 0x7F000003;
    RuntimeTable t;
    SocketSeat &one = t.join("One");
    {
        RawPeer victim(t.host.port(), 0, kSecond);
        ASSERT_GE(victim.fd, 0);
        ASSERT_TRUE(testsupport::waitUntil([&] { return t.host.server().seats()[2].connected; }));
        one.sock.Send(wire::toHost::KickHim{1, 2}.encode());
        ASSERT_TRUE(testsupport::waitUntil([&] {
            victim.pump();
            return victim.eof;
        }));
    }
    const struct
    {
        quint32 from;
        QList<QByteArray> received;
    } comers[] = {{kSecond, {"CMD_full+"}}, {kThird, {"CMD_sendlogininfo+2"}}};
    for (const auto &comer : comers) {
        RawPeer peer(t.host.port(), 0, comer.from);
        ASSERT_TRUE(testsupport::waitUntil([&] {
            peer.pump();
            return !peer.received.isEmpty();
        }));
        EXPECT_EQ(peer.received, comer.received);
    }
    EXPECT_EQ(one.all("CMD_newplayerinfo").size(), 1);
}

} // namespace
