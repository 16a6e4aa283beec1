#include "socket_table.h"

#include <gtest/gtest.h>

#include <memory>
#include <sys/socket.h>

using namespace hosttest;

namespace {

TEST(HostRuntime, FourSocketsPlayAWholeHand)
{
    RuntimeTable t;
    ASSERT_GT(t.host.port(), 0);
    for (const char *name : {"Ann", "Bob", "Cy", "Di"})
        t.join(name);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(t.seats[i]->number, i + 1);
    t.seats[0]->sock.Send(wire::toHost::StartGame::of("Ann", "500", true, true, false).encode());
    ASSERT_TRUE(testsupport::waitUntil(
        [&] {
            for (const auto &s : t.seats) {
                if (s->all("CMD_postscores").isEmpty())
                    return false;
            }
            return true;
        },
        20000));
    for (const auto &s : t.seats) {
        EXPECT_EQ(s->all("CMD_heplayed").size(), 52);
        EXPECT_EQ(s->all("CMD_tooktrick").size(), 13);
        EXPECT_EQ(s->all("CMD_usecard").size(), 13);
    }
    EXPECT_TRUE(t.alerts.isEmpty());
}

TEST(HostRuntime, ComputerSeatsPlayWithTheSoloPlayer)
{
    RuntimeTable t;
    SocketSeat &me = t.join("Solo");
    me.sock.Send(wire::toHost::BotSpeed{1, TServer::kFast}.encode());
    me.sock.Send(wire::toHost::StartGame::of("Solo", "500", true, true, true).encode());
    ASSERT_TRUE(testsupport::waitUntil([&] { return !me.all("CMD_postscores").isEmpty(); }, 20000));
    EXPECT_EQ(t.host.server().botspeed(), TServer::kFast);
    EXPECT_EQ(me.all("CMD_hebid").size(), 4);
    EXPECT_EQ(me.all("CMD_heplayed").size(), 52);
}

TEST(HostRuntime, PeerCloseAndOverlongMessageEndTheConnection)
{
    RuntimeTable t;
    SocketSeat &one = t.join("One");
    t.join("Two");
    SocketSeat &three = t.join("Three");

    t.seats[1]->sock.Close();
    ASSERT_TRUE(testsupport::waitUntil([&] {
        return one.all("CMD_playerdisconnected") ==
               QList<QByteArray>{"CMD_playerdisconnected+2+Two"};
    }));
    EXPECT_FALSE(t.host.server().seats()[2].connected);

    three.sock.Send(QByteArray(limits::kHostConnection.unfinishedBytes + 10, 'x'));
    ASSERT_TRUE(testsupport::waitUntil([&] { return three.closedByHost; }));
    ASSERT_TRUE(
        testsupport::waitUntil([&] { return one.all("CMD_playerdisconnected").size() == 2; }));
    EXPECT_EQ(one.all("CMD_playerdisconnected").last(), "CMD_playerdisconnected+3+Three");

    // The freed numbers go out again, lowest first.
    EXPECT_EQ(t.join("Again").number, 2);
}

TEST(HostRuntime, KickClosesTheSocketAndTheQueueTimerIdles)
{
    RuntimeTable t;
    SocketSeat &one = t.join("One");
    SocketSeat &two = t.join("Two");
    one.sock.Send(wire::toHost::KickHim{1, 2}.encode());
    ASSERT_TRUE(testsupport::waitUntil(
        [&] { return two.closedByHost && !one.all("CMD_playerdisconnected").isEmpty(); }));
    EXPECT_FALSE(t.host.server().seats()[2].connected);
    EXPECT_EQ(one.all("CMD_playerdisconnected"), QList<QByteArray>{"CMD_playerdisconnected+2+Two"});
    EXPECT_EQ(t.host.queued(), 0u);
}

TEST(HostRuntime, TenthConnectionIsTurnedAway)
{
    RuntimeTable t;
    for (int i = 0; i < 9; ++i)
        t.join("P");
    auto extra = std::make_unique<SocketSeat>(t.host.port(), "Ten");
    ASSERT_TRUE(testsupport::waitUntil([&] { return extra->closedByHost; }));
    EXPECT_EQ(extra->script.received, QList<QByteArray>{"CMD_full+"});
    EXPECT_EQ(t.host.server().connectioncount(), 9);
}

} // namespace

// A relay's paired socket comes in like an accepted one: it logs in when a
// number is free and is sent CMD_full and closed when none is; a host that is
// not listening closes it at once. Either way the far end sees how it ended.
TEST(HostRuntime, RelayedConnectionsAreTakenLikeAcceptedOnes)
{
    const struct
    {
        int alreadyIn;
        bool listening;
        bool loggedIn;
        QList<QByteArray> lastWords;
    } cases[] = {
        {0, true, true, {}},
        {3, true, true, {}},
        {9, true, false, {"CMD_full+"}},
        {0, false, false, {}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.alreadyIn);
        RuntimeTable t;
        for (int i = 0; i < c.alreadyIn; ++i)
            t.join("P");
        HostRuntime idle(1);
        HostRuntime &host = c.listening ? t.host : idle;
        int pair[2];
        ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair), 0);
        auto relayed = std::make_unique<SocketSeat>("Far", pair[1]);
        host.takeRelayed(pair[0], QStringLiteral("relay 192.0.2.9:7774"));
        if (c.loggedIn) {
            ASSERT_TRUE(testsupport::waitUntil(
                [&] { return !relayed->all("CMD_newplayerinfo").isEmpty(); }));
            EXPECT_EQ(relayed->number, c.alreadyIn + 1);
            EXPECT_EQ(t.host.server().seats()[relayed->number].name, "Far");
            continue;
        }
        ASSERT_TRUE(testsupport::waitUntil([&] { return relayed->closedByHost; }));
        EXPECT_EQ(relayed->script.received, c.lastWords);
        EXPECT_EQ(t.host.server().connectioncount(), c.alreadyIn);
    }
}
