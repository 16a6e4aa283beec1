#include "host_harness.h"

#include <gtest/gtest.h>

using namespace hosttest;

namespace {

TEST(Connections, NumbersAreReusedLowestFirst)
{
    Host h;
    h.seat(5);
    h.server.connectionClosed(3);
    EXPECT_EQ(h.connect(), 3);
    EXPECT_EQ(h.server.connectioncount(), 5);
    EXPECT_EQ(h.connect(), 6);
    EXPECT_EQ(h.server.connectioncount(), 6);
}

TEST(Connections, TheTenthIsSentFullAndClosed)
{
    Host h;
    h.seat(9);
    h.clear();
    EXPECT_EQ(h.server.Sock1Accept(), 0);
    ASSERT_EQ(h.port.log.size(), 1u);
    EXPECT_EQ(h.port.log[0].connection, 10);
    EXPECT_EQ(h.port.log[0].message, "CMD_full+");
    EXPECT_EQ(h.port.closedByHost, QList<int>{10});
    EXPECT_FALSE(h.seatRecord(10).connected);
    EXPECT_EQ(h.server.connectioncount(), 9);
    // A freed number is handed out again, even in the middle of a game.
    h.start();
    h.server.connectionClosed(3);
    h.clear();
    EXPECT_EQ(h.connect(), 3);
    h.login(3, "Newcomer");
    EXPECT_EQ(named(h.take(3), "CMD_loadcards").size(), 1);
}

TEST(Connections, LoginMessagesInOrder)
{
    Host h;
    h.seat(2);
    h.clear();
    const int n = h.connect();
    ASSERT_EQ(n, 3);
    h.login(3, "Ann+Bob");
    EXPECT_EQ(h.take(3),
              (QList<QByteArray>{"CMD_sendlogininfo+3", "CMD_newplayerinfo+3+Ann+Bob",
                                 "CMD_existingplayers+1+P1", "CMD_existingplayers+2+P2"}));
    EXPECT_EQ(h.take(1), QList<QByteArray>{"CMD_newplayerinfo+3+Ann+Bob"});
    EXPECT_EQ(h.seatRecord(3).name, "Ann+Bob");
}

TEST(Connections, VersionMismatchWarnsBothSides)
{
    Host h;
    h.seat(1);
    h.clear();
    h.connect();
    h.login(2, "Old", "1.0.5");
    EXPECT_EQ(h.take(1),
              (QList<QByteArray>{"CMD_newplayerinfo+2+Old", "CMD_havewrongversion+Old"}));
    const QList<QByteArray> mine = h.take(2);
    EXPECT_EQ(mine.last(), "CMD_wrongversion+");
    EXPECT_TRUE(h.seatRecord(2).connected);
}

TEST(Connections, NewcomerCatchUpWatcherAndAwaitedBidder)
{
    Host h;
    h.seat(1);
    h.clear();
    h.start();
    for (const VirtualPort::Sent &sent : h.port.log)
        EXPECT_EQ(sent.connection, 1); // nothing, cards included, for seats nobody holds
    EXPECT_EQ(named(h.take(1), "CMD_mycards").size(), 1);
    // Seat 2 is the first bidder and is played by the computer until someone comes.
    EXPECT_EQ(h.game().bidder, 2);
    EXPECT_TRUE(h.port.computerTimerRunning());
    const int n = h.connect();
    h.login(n, "Late");
    QList<QByteArray> got = h.take(2);
    ASSERT_EQ(got.size(), 6);
    EXPECT_EQ(nameOf(got[3]), "CMD_gamestats");
    EXPECT_EQ(nameOf(got[4]), "CMD_loadcards");
    EXPECT_EQ(got[5], "CMD_getbid+2+0+");
    EXPECT_EQ(ints(got[3]).size(), 12 + 4 * 6);
    EXPECT_TRUE(fieldsOf(got[3]).startsWith("2+0+2+500+y+y+1+0+0+0+0+0+1+0+0+0+n+n+2+"));
    wire::toClient::LoadCards hand{2, {}};
    for (int slot = 1; slot <= 13; ++slot)
        hand.cards.append({slot, h.seatRecord(2).hand[slot]});
    EXPECT_EQ(got[4], hand.encode().chopped(1));

    // A watcher learns the game but gets no cards.
    for (int i = 3; i <= 5; ++i)
        h.login(h.connect(), "W");
    const QList<QByteArray> watcher = h.take(5);
    EXPECT_EQ(named(watcher, "CMD_gamestats").size(), 1);
    EXPECT_TRUE(named(watcher, "CMD_loadcards").isEmpty());
    EXPECT_TRUE(named(watcher, "CMD_getbid").isEmpty());
}

TEST(Connections, NewcomerOnTheAwaitedCardIsAskedForIt)
{
    Table t(2);
    t.host.start();
    ASSERT_TRUE(t.runUntil([&] { return t.host.server.cardAwaited(3); }));
    t.host.clear();
    ASSERT_EQ(t.host.connect(), 3);
    t.host.login(3, "Late");
    const QList<QByteArray> got = t.host.take(3);
    const QList<int> hand = ints(named(got, "CMD_loadcards").value(0));
    ASSERT_EQ(hand.size(), 27);
    EXPECT_EQ(got.last(),
              (wire::toClient::NextPlayer{3, t.host.game().ledcard}.encode().chopped(1)));
    EXPECT_TRUE(named(got, "CMD_getbid").isEmpty());
    // The pending computer card for seat 3 is still made.
    ASSERT_TRUE(t.host.port.computerTimerRunning());
    t.host.port.step();
    EXPECT_FALSE(t.host.server.cardAwaited(3));
}

TEST(Connections, OneDisconnectPerDepartureNotToTheLeaver)
{
    Host h;
    h.seat(4);
    h.clear();
    h.server.connectionClosed(3);
    h.server.connectionClosed(3);
    for (int n : {1, 2, 4})
        EXPECT_EQ(h.take(n), QList<QByteArray>{"CMD_playerdisconnected+3+P3"});
    EXPECT_TRUE(h.take(3).isEmpty());
    EXPECT_FALSE(h.seatRecord(3).connected);
    EXPECT_TRUE(h.seatRecord(3).name.isEmpty());
}

// Seat 1 of a window's table waits for that window; on a table without one,
// seat 1 is taken over like any other.
TEST(Connections, DepartureOfAnAwaitedSeatSchedulesTheComputerButSeatOneMayWait)
{
    for (const auto seatOne : {TServer::SeatOne::OwnWindow, TServer::SeatOne::Remote}) {
        const bool remote = seatOne == TServer::SeatOne::Remote;
        SCOPED_TRACE(remote ? "remote number 1" : "number 1 in the window");
        Host h;
        h.server.setSeatOne(seatOne);
        h.seat(2);
        h.start();
        ASSERT_EQ(h.game().bidder, 2);
        EXPECT_FALSE(h.port.computerTimerRunning()); // a person's seat is waited for
        h.server.connectionClosed(2);
        EXPECT_EQ(h.server.computerMove(), ComputerMove::Bid);
        EXPECT_EQ(h.server.computerSeat(), 2);
        while (h.game().bidder != 1 && h.port.step()) {
        }
        EXPECT_EQ(named(h.take(1), "CMD_hebid").size(), 3); // seats 2, 3 and 4

        ASSERT_EQ(h.game().bidder, 1);
        h.server.connectionClosed(1);
        EXPECT_EQ(h.port.computerTimerRunning(), remote);
        EXPECT_EQ(h.server.computerMove(), remote ? ComputerMove::Bid : ComputerMove::None);
    }
}

TEST(Connections, AcceptedButNotLoggedInSeatIsWaitedForUntilItsLoginDeadline)
{
    Host h;
    h.seat(1);
    h.connect(); // number 2, never logs in
    h.start();
    EXPECT_EQ(h.game().bidder, 2);
    EXPECT_FALSE(h.port.computerTimerRunning());
    h.port.advance(limits::kLoginDeadlineMs);
    EXPECT_EQ(h.port.closedByHost, QList<int>{2});
    EXPECT_EQ(h.server.computerMove(), ComputerMove::Bid);
    EXPECT_EQ(h.server.computerSeat(), 2);
}

TEST(Connections, SilentConnectionsMakeWayForRealPlayersAtTheirLoginDeadline)
{
    Host h;
    for (int n = 1; n <= 9; ++n)
        ASSERT_EQ(h.connect(), n);
    EXPECT_EQ(h.connect(), 0) << "nine silent connections fill the table";
    h.clear();
    h.port.advance(limits::kLoginDeadlineMs - 1);
    h.login(4, "Just in time");
    h.port.advance(1);
    EXPECT_EQ(h.port.closedByHost, (QList<int>{1, 2, 3, 5, 6, 7, 8, 9}));
    EXPECT_TRUE(h.seatRecord(4).connected);
    // Once logged in, a connection has no deadline.
    h.port.advance(10 * limits::kLoginDeadlineMs);
    EXPECT_TRUE(h.seatRecord(4).connected);
    EXPECT_FALSE(h.port.loginTimerRunning(4));

    EXPECT_EQ(h.connect(), 1);
    h.login(1, "Real");
    EXPECT_TRUE(h.take(1).contains("CMD_existingplayers+4+Just in time"));
}

TEST(Connections, RelaysGoToEveryoneTheSenderIncluded)
{
    Host h;
    h.seat(5);
    h.clear();
    h.deliver(5, wire::toHost::Chat{5, "hi + there|clBlack"}.encode());
    h.deliver(2, wire::toHost::Action{2, "waves|$00FF0000"}.encode());
    h.deliver(3, wire::toHost::PlayASound{3, "wave7"}.encode());
    for (int n = 1; n <= 5; ++n) {
        EXPECT_EQ(h.take(n), (QList<QByteArray>{"CMD_chat+5+P5 chats: hi + there|clBlack",
                                                "CMD_action+2+P2 waves|$00FF0000",
                                                "CMD_playasound+3+wave7+"}));
    }
}

TEST(Connections, WatchingOnlyInAGameStoppingAlways)
{
    Host h;
    h.seat(3);
    h.clear();
    h.deliver(3, wire::toHost::JustWatch{3, 1}.encode());
    EXPECT_TRUE(h.take(1).isEmpty());
    EXPECT_FALSE(h.seatRecord(3).justwatching);
    h.deliver(3, wire::toHost::JustWatch{3, 2}.encode());
    EXPECT_EQ(h.take(1), QList<QByteArray>{"CMD_justwatching+3+2"});

    h.start();
    h.clear();
    h.deliver(3, wire::toHost::JustWatch{3, 1}.encode());
    EXPECT_EQ(h.take(1), QList<QByteArray>{"CMD_justwatching+3+1"});
    EXPECT_TRUE(h.seatRecord(3).justwatching);
    // The seat's person still gets the next hand's cards; starting a game clears watching.
    h.start();
    EXPECT_FALSE(h.seatRecord(3).justwatching);
}

TEST(Connections, KickRemovesAndAnnounces)
{
    Host h;
    h.seat(6);
    h.clear();
    h.deliver(1, wire::toHost::KickHim{1, 6}.encode());
    EXPECT_EQ(h.port.closedByHost, QList<int>{6});
    EXPECT_FALSE(h.seatRecord(6).connected);
    EXPECT_EQ(h.take(2), QList<QByteArray>{"CMD_playerdisconnected+6+P6"});
    // The runtime's later report of the same close changes nothing.
    h.server.connectionClosed(6);
    EXPECT_TRUE(h.take(2).isEmpty());
}

} // namespace
