// Misbehaving peers on real sockets: resets, trickles, floods, garbage, churn
// and a host that goes away. Whatever they do, the others play on and the
// host's tables stay whole.
#include "raw_peer.h"

#include <QElapsedTimer>
#include <random>

using namespace hosttest;

namespace {

TEST(SocketFaults, ResetMidMessageAndMidHandHandsTheSeatToTheComputer)
{
    ThreeAndAPeer table;
    ASSERT_EQ(table.t.host.server().seats()[4].name, "Raw");
    table.start("250");
    // The peer is asked for its bid and answers only half of it before the reset.
    ASSERT_TRUE(playUntil(table.t, [&] {
        table.peer->pump();
        return table.peer->got("CMD_getbid") && table.t.host.server().bidAwaited(4);
    }));
    table.peer->sendSome("CMD_mybid+4+");
    table.peer->reset();

    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(playUntil(
        table.t, [&] { return table.t.host.server().seats()[4].hasbid; }, 1000));
    EXPECT_LT(clock.elapsed(), 1000);
    EXPECT_FALSE(table.t.host.server().seats()[4].connected);
    ASSERT_TRUE(playUntil(table.t, [&] { return table.everyoneSees("CMD_playerdisconnected"); }));

    ASSERT_TRUE(playUntil(
        table.t, [&] { return table.everyoneSees("CMD_winner"); }, 30000));
    for (const auto &s : table.t.seats)
        EXPECT_EQ(s->all("CMD_heplayed").size() % 52, 0u);
    EXPECT_TRUE(table.t.alerts.isEmpty());
}

TEST(SocketFaults, ResetWhileTheTableWaitsForItsCard)
{
    ThreeAndAPeer table;
    table.start();
    bool bid = false;
    const auto peerToPlay = [&] {
        table.peer->pump();
        if (!bid && table.peer->got("CMD_getbid") && table.t.host.server().bidAwaited(4)) {
            table.peer->sendSome(wire::toHost::MyBid{4, 3}.encode());
            bid = true;
        }
        return table.t.host.server().cardAwaited(4);
    };
    ASSERT_TRUE(playUntil(table.t, peerToPlay));
    table.peer->sendSome("CMD_playc");
    table.peer->reset();
    ASSERT_TRUE(playUntil(
        table.t,
        [&] {
            return table.t.host.server().seats()[4].tablecard != 0 ||
                   table.t.host.server().seats()[4].cardsLeft() < 13;
        },
        1000));
    ASSERT_TRUE(playUntil(table.t, [&] { return table.everyoneSees("CMD_postscores"); }));
    for (const auto &s : table.t.seats)
        EXPECT_EQ(s->all("CMD_heplayed").size(), 52u);
}

TEST(SocketFaults, MessageInOneBytePiecesArrivesWhole)
{
    ThreeAndAPeer table;
    const QByteArray chat = wire::toHost::Chat{4, "slowly|clBlack"}.encode();
    for (char byte : chat) {
        ASSERT_EQ(table.peer->sendSome(QByteArray(1, byte)), 1);
        testsupport::waitUntil([] { return false; }, 3);
    }
    ASSERT_TRUE(playUntil(
        table.t, [&] { return table.everyoneSees("CMD_chat"); }, 3000));
    EXPECT_EQ(table.first().all("CMD_chat"),
              QList<QByteArray>{"CMD_chat+4+Raw chats: slowly|clBlack"});
    EXPECT_TRUE(table.t.host.server().seats()[4].connected);
}

TEST(SocketFaults, MebibyteWithoutAnEndIsCutOffAtTheCap)
{
    ThreeAndAPeer table;
    table.start();
    const QByteArray flood(1 << 20, 'x');
    qsizetype offered = 0;
    bool refused = false;
    ASSERT_TRUE(playUntil(table.t, [&] {
        if (offered < flood.size() && !refused) {
            const ssize_t sent = table.peer->sendSome(flood.mid(offered, 16384));
            refused = sent < 0; // the host has closed the connection
            offered += std::max<ssize_t>(sent, 0);
        }
        table.peer->pump();
        return table.peer->eof;
    }));
    EXPECT_LT(offered, flood.size());
    EXPECT_FALSE(table.t.host.server().seats()[4].connected);
    ASSERT_TRUE(playUntil(table.t, [&] { return table.everyoneSees("CMD_postscores"); }));
    for (const auto &s : table.t.seats)
        EXPECT_EQ(s->all("CMD_heplayed").size(), 52u);
}

TEST(SocketFaults, GarbageBytesLeaveTheGameWhole)
{
    ThreeAndAPeer table;
    table.start();
    std::mt19937 random(7);
    // The computer plays the seat, so that the game does not wait for it.
    QByteArray garbage = wire::toHost::JustWatch{4, 1}.encode();
    for (int i = 0; i < 4096; ++i)
        garbage += char(random() % 7 == 0 ? 0xFF : random() % 256);
    // Shapes of real messages with wrong numbers among the noise.
    for (const char *m : {"CMD_playcard+4+99+", "CMD_mybid+4+-3+", "CMD_playcard+1+1+",
                          "CMD_kickhim+4+1+", "CMD_startgame+Raw+5+y+y+y+", "CMD_closed+9+"})
        garbage += QByteArray(m) + char(0xFF);
    qsizetype offered = 0;
    ASSERT_TRUE(playUntil(table.t, [&] {
        if (offered < garbage.size()) {
            const ssize_t sent = table.peer->sendSome(garbage.mid(offered, 512));
            offered = sent < 0 ? garbage.size() : offered + sent;
        }
        table.peer->pump();
        return table.everyoneSees("CMD_postscores");
    }));
    for (const auto &s : table.t.seats)
        EXPECT_EQ(s->all("CMD_heplayed").size(), 52u);
    EXPECT_EQ(table.t.host.server().seats()[1].name, "Ann");
}

TEST(SocketFaults, TwoHundredVisitorsComeAndGoDuringAGame)
{
    RuntimeTable t;
    SocketSeat &me = t.join("Solo");
    me.sock.Send(wire::toHost::StartGame::of("Solo", "250", true, true, false).encode());
    ASSERT_TRUE(playUntil(t, [&] { return !me.all("CMD_startround").isEmpty(); }));
    for (int cycle = 0; cycle < 200; ++cycle) {
        RawPeer visitor(t.host.port());
        ASSERT_GE(visitor.fd, 0);
        // Every other visitor takes a seat for a moment; some reset on leaving.
        if (cycle % 2 == 0) {
            ASSERT_TRUE(playUntil(
                t, [&] { return visitor.number() != 0; }, 3000));
            visitor.sendSome(login(visitor.number(), "V" + QByteArray::number(cycle)));
        }
        if (cycle % 3 == 0)
            testsupport::waitUntil([] { return false; }, 2);
        if (cycle % 5 == 0)
            visitor.reset();
    }
    ASSERT_TRUE(playUntil(t, [&] {
        for (int n = 2; n <= kRecords; ++n) {
            if (t.host.server().seats()[n].connected)
                return false;
        }
        return true;
    }));
    ASSERT_TRUE(playUntil(
        t, [&] { return !me.all("CMD_winner").isEmpty(); }, 30000));
    EXPECT_TRUE(t.host.server().seats()[1].connected);
    EXPECT_EQ(me.all("CMD_heplayed").size() % 52, 0u);
    EXPECT_TRUE(t.alerts.isEmpty());
}

TEST(SocketFaults, TenthConnectionWhileNinePlayIsTurnedAway)
{
    RuntimeTable t;
    for (const char *name : {"Ann", "Bob", "Cy", "Di", "W5", "W6", "W7", "W8", "W9"})
        t.join(name);
    t.seats[0]->sock.Send(wire::toHost::StartGame::of("Ann", "500", true, true, false).encode());
    ASSERT_TRUE(playUntil(t, [&] { return !t.seats[0]->all("CMD_heplayed").isEmpty(); }));
    RawPeer tenth(t.host.port());
    ASSERT_TRUE(playUntil(t, [&] {
        tenth.pump();
        return tenth.eof;
    }));
    EXPECT_EQ(tenth.received, QList<QByteArray>{"CMD_full+"});
    EXPECT_EQ(t.host.server().connectioncount(), 9);
    ASSERT_TRUE(playUntil(t, [&] { return t.everyoneSees("CMD_postscores"); }));
    EXPECT_EQ(t.seats[8]->all("CMD_heplayed").size(), 52u);
}

TEST(SocketFaults, EveryClientEndsWhenTheHostGoesAway)
{
    auto host = std::make_unique<HostRuntime>(5, HostRuntime::Timing{1, 5, 1});
    host->listen(0);
    std::vector<std::unique_ptr<SocketSeat>> seats;
    for (const char *name : {"Ann", "Bob"}) {
        seats.push_back(std::make_unique<SocketSeat>(host->port(), name));
        ASSERT_TRUE(testsupport::waitUntil([&] { return seats.back()->number != 0; }));
    }
    RawPeer watcher(host->port());
    ASSERT_TRUE(testsupport::waitUntil([&] { return watcher.number() == 3; }));
    // It leaves its seat to the computer.
    watcher.sendSome(login(3, "Watcher") + wire::toHost::JustWatch{3, 1}.encode());
    seats[0]->sock.Send(wire::toHost::StartGame::of("Ann", "500", true, true, false).encode());
    ASSERT_TRUE(testsupport::waitUntil([&] { return !seats[0]->all("CMD_heplayed").isEmpty(); }));

    host.reset();
    EXPECT_TRUE(testsupport::waitUntil([&] {
        watcher.pump();
        return watcher.eof && seats[0]->closedByHost && seats[1]->closedByHost;
    }));
}

} // namespace
