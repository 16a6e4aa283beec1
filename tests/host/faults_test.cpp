// A client may send anything: none of it may let one player act for another,
// reach outside the tables, or move the game when nothing was asked for.
#include "host_harness.h"

#include <gtest/gtest.h>

using namespace hosttest;

namespace {

QByteArray raw(const char *text)
{
    return QByteArray(text) + char(0xFF);
}

struct FourAtBidding : Host
{
    FourAtBidding()
    {
        seat(5);
        start();
        clear();
    }
};

TEST(Impersonation, NumbersInsideMessagesMustBeTheSendersOwn)
{
    FourAtBidding h;
    ASSERT_EQ(h.game().bidder, 2);
    h.deliver(3, wire::toHost::MyBid{2, 4}.encode()); // seat 3 bids for seat 2
    EXPECT_FALSE(h.seatRecord(2).hasbid);
    h.deliver(5, wire::toHost::Chat{2, "I am P2|clBlack"}.encode());
    h.deliver(5, wire::toHost::Action{2, "waves|clBlack"}.encode());
    h.deliver(5, wire::toHost::PlayASound{2, "wave1"}.encode());
    h.deliver(5, wire::toHost::LoginInfo{2, wire::kVersion, "Imposter"}.encode());
    EXPECT_EQ(h.seatRecord(2).name, "P2");
    EXPECT_TRUE(h.take(1).isEmpty());

    h.deliver(2, wire::toHost::MyBid{2, 4}.encode());
    EXPECT_TRUE(h.seatRecord(2).hasbid);
    h.deliver(4, wire::toHost::MyBid{3, 4}.encode());
    EXPECT_FALSE(h.seatRecord(3).hasbid);
}

TEST(Impersonation, OnlyTheHostingPlayerStartsKicksAndSetsTheSpeed)
{
    FourAtBidding h;
    h.deliver(2, wire::toHost::KickHim{1, 3}.encode());
    h.deliver(2, wire::toHost::KickHim{2, 3}.encode());
    EXPECT_TRUE(h.seatRecord(3).connected);
    EXPECT_TRUE(h.port.closedByHost.isEmpty());

    h.deliver(2, wire::toHost::BotSpeed{1, TServer::kFast}.encode());
    h.deliver(2, wire::toHost::BotSpeed{2, TServer::kFast}.encode());
    EXPECT_EQ(h.server.botspeed(), TServer::kNormal);
    h.deliver(1, wire::toHost::BotSpeed{1, TServer::kFast}.encode());
    EXPECT_EQ(h.server.botspeed(), TServer::kFast);

    h.deliver(2, wire::toHost::StartGame::of("P2", "250", false, false, false).encode());
    EXPECT_EQ(h.game().playtoscore, 500);
    EXPECT_TRUE(h.take(1).isEmpty());
}

TEST(Impersonation, WatchingIsSetByTheSeatOrTheHostingPlayer)
{
    FourAtBidding h;
    h.deliver(2, wire::toHost::JustWatch{3, 1}.encode());
    h.deliver(5, wire::toHost::JustWatch{3, 1}.encode());
    EXPECT_FALSE(h.seatRecord(3).justwatching);
    h.deliver(3, wire::toHost::JustWatch{3, 1}.encode());
    EXPECT_TRUE(h.seatRecord(3).justwatching);
    h.deliver(1, wire::toHost::JustWatch{3, 2}.encode());
    EXPECT_FALSE(h.seatRecord(3).justwatching);
    h.deliver(1, wire::toHost::JustWatch{4, 1}.encode());
    EXPECT_TRUE(h.seatRecord(4).justwatching);
}

TEST(OutOfRange, NumbersNeverHandedOutAreIgnored)
{
    FourAtBidding h;
    const SeatTable before = h.server.seats();
    const char *messages[] = {
        "CMD_logininfo+0+1.0.6+Zero",
        "CMD_logininfo+11+1.0.6+Eleven",
        "CMD_logininfo+-3+1.0.6+Neg",
        "CMD_logininfo+x+1.0.6+X",
        "CMD_justwatch+0+1",
        "CMD_justwatch+5+1",
        "CMD_justwatch+99999999999+1",
        "CMD_justwatch+x+2",
        "CMD_kickhim+1+0+",
        "CMD_kickhim+1+10+",
        "CMD_kickhim+1+-1+",
        "CMD_kickhim+1+x+",
        "CMD_chat+42+hello",
        "CMD_playasound+-7+wave1+",
        "CMD_mybid+2+14+",
        "CMD_mybid+2+-1+",
        "CMD_mybid+2+99+",
        "CMD_mybid+2+x+",
        "CMD_mybid+2++",
        "CMD_mybid+2+-+",
        "CMD_mybid+2+99999999999+",
        "CMD_mybid+2+4294967299+",
        "CMD_mybid+-+3+",
        "CMD_mybid+ 2+3+",
        "CMD_closed+5+",
        "CMD_closed+0+",
        "CMD_botspeed+1+-5+",
        "CMD_botspeed+1+999999+",
        "CMD_playcard+2+1+",
        "CMD_startgame",
        "+",
        "CMD_mybid",
        "CMD_unknown+1+2+",
    };
    for (const char *m : messages) {
        for (int from = 1; from <= 5; ++from)
            h.deliver(from, raw(m));
    }
    for (int n : {0, -1, 10, 11, 1000})
        h.server.dispatch(n, "CMD_mybid+2+3+");
    h.server.connectionClosed(0);
    h.server.connectionClosed(10);
    h.server.connectionClosed(-4);

    EXPECT_EQ(h.game().bidder, 2);
    EXPECT_FALSE(h.seatRecord(2).hasbid);
    EXPECT_EQ(h.server.botspeed(), TServer::kNormal);
    EXPECT_TRUE(h.port.closedByHost.isEmpty());
    for (int n = 1; n <= 10; ++n) {
        EXPECT_EQ(h.seatRecord(n).name, before[n].name) << n;
        EXPECT_EQ(h.seatRecord(n).connected, before[n].connected) << n;
        EXPECT_EQ(h.seatRecord(n).justwatching, before[n].justwatching) << n;
    }
    for (int n = 1; n <= 5; ++n)
        EXPECT_TRUE(named(h.take(n), "CMD_hebid").isEmpty());
}

TEST(OutOfRange, BidsZeroToThirteenAndBlindNilAreTaken)
{
    for (int bid : {0, 13, 100}) {
        FourAtBidding h;
        h.deliver(2, wire::toHost::MyBid{2, bid}.encode());
        EXPECT_TRUE(h.seatRecord(2).hasbid) << bid;
    }
}

TEST(NotAwaited, LeadOfTheSeatBeforeTheWinnerDuringThePauseIsIgnored)
{
    Table t;
    t.dealForHandPlay(deckWith({{1}, {4}, {2}, {3}}));
    t.playFirstSlots();
    ASSERT_EQ(t.host.game().turn, 1); // seat 2 won
    t.host.clear();
    t.host.deliver(1, wire::toHost::PlayCard{1, 2}.encode());
    EXPECT_TRUE(t.host.take(2).isEmpty());
    EXPECT_EQ(t.host.game().ledcard, 0);
    // After the pause the winner leads as usual.
    t.host.port.advance(3000);
    EXPECT_EQ(t.host.take(2), QList<QByteArray>{"CMD_nextplayer+2+0+"});
}

TEST(NotAwaited, BidOutsideTheBiddingAndCardDuringTheBiddingAreIgnored)
{
    Table t;
    t.people[1].closes = false;
    t.host.start();
    t.runUntil([&] { return !t.all(1, "CMD_postscores").isEmpty(); });
    const int lastTurn = t.host.game().turn;
    t.host.clear();
    t.host.deliver(2, wire::toHost::MyBid{2, 5}.encode()); // between hands
    EXPECT_TRUE(t.host.take(1).isEmpty());
    EXPECT_EQ(t.host.game().totalbids, 12);

    t.host.port.advance(15000); // the next hand starts; its bidding waits for seat 3
    ASSERT_NE(t.host.game().bidder, 0);
    t.host.clear();
    t.host.deliver(lastTurn, wire::toHost::PlayCard{lastTurn, 1}.encode());
    EXPECT_TRUE(t.host.take(lastTurn).isEmpty());
    EXPECT_EQ(t.host.game().ledcard, 0);
}

TEST(NotAwaited, LateClosedAfterTheNextHandStartedIsIgnored)
{
    Table t(1);
    t.host.start();
    ASSERT_TRUE(t.runUntil([&] { return t.all(1, "CMD_startround").size() == 2; }));
    t.host.clear();
    t.host.deliver(1, wire::toHost::Closed{1}.encode());
    t.host.deliver(1, wire::toHost::Closed{1}.encode());
    EXPECT_TRUE(named(t.host.take(1), "CMD_startround").isEmpty());
    EXPECT_EQ(t.host.game().roundnumber, 2);
}

TEST(ComputerMoves, WatchingDuringThePauseSchedulesNothing)
{
    Table t(4);
    t.dealForHandPlay(deckWith({{1}, {4}, {2}, {3}}));
    t.playFirstSlots();
    ASSERT_EQ(t.host.game().turn, 1); // the pause: turn names seat 1
    ASSERT_FALSE(t.host.server.cardAwaited(1));
    t.host.deliver(1, wire::toHost::JustWatch{1, 1}.encode());
    EXPECT_FALSE(t.host.port.computerTimerRunning());
    t.host.port.advance(3000);
    EXPECT_EQ(t.host.game().turn, 2);
    EXPECT_TRUE(t.host.server.cardAwaited(2));
}

TEST(ComputerMoves, DepartureOfTheSeatBeforeTheWinnerDuringThePause)
{
    Table t(4);
    t.dealForHandPlay(deckWith({{2}, {1}, {3}, {4}}));
    t.playFirstSlots();
    ASSERT_EQ(t.host.game().turn, 3); // seat 4 won
    t.host.server.connectionClosed(3);
    EXPECT_FALSE(t.host.port.computerTimerRunning());
    t.host.port.advance(3000);
    EXPECT_TRUE(t.host.server.cardAwaited(4));
    EXPECT_EQ(t.host.seatRecord(3).cardsLeft(), 12);
}

TEST(ComputerMoves, TimerServesOnlyTheSeatAndKindItWasArmedFor)
{
    FourAtBidding h;
    ASSERT_EQ(h.game().bidder, 2);
    h.deliver(2, wire::toHost::JustWatch{2, 1}.encode()); // the computer will bid for seat 2
    ASSERT_EQ(h.server.computerSeat(), 2);
    h.deliver(2, wire::toHost::JustWatch{2, 2}.encode()); // ... but the person bids first
    h.deliver(2, wire::toHost::MyBid{2, 4}.encode());
    ASSERT_EQ(h.game().bidder, 3);
    ASSERT_TRUE(h.port.computerTimerRunning());
    h.clear();
    h.port.step();
    EXPECT_FALSE(h.seatRecord(3).hasbid); // seat 3 is a person and is still asked
    EXPECT_TRUE(named(h.take(1), "CMD_hebid").isEmpty());
}

TEST(ComputerMoves, WatchingStartsAComputerMoveOnlyForWhatIsAwaited)
{
    FourAtBidding h;
    h.deliver(3, wire::toHost::JustWatch{3, 1}.encode()); // seat 2 bids now, not seat 3
    EXPECT_FALSE(h.port.computerTimerRunning());
    h.deliver(2, wire::toHost::MyBid{2, 4}.encode());
    EXPECT_EQ(h.server.computerMove(), ComputerMove::Bid);
    EXPECT_EQ(h.server.computerSeat(), 3);
    EXPECT_EQ(h.port.computerDelay(), TServer::kNormal);
    h.port.step();
    EXPECT_TRUE(h.seatRecord(3).hasbid);
}

TEST(Restart, SecondStartDuringThePauseLeavesNoOldTimerBehind)
{
    Table t;
    for (int s = 1; s <= 4; ++s)
        t.people[s].closes = false;
    t.host.start();
    t.runUntil([&] { return t.all(1, "CMD_tooktrick").size() == 2; });
    ASSERT_EQ(t.host.server.phase(), HostPhase::TrickPause);
    t.host.clear();
    for (int s = 1; s <= 4; ++s)
        t.people[s].received.clear();
    t.host.start();
    const GameState &g = t.host.game();
    EXPECT_EQ(g.teamscore[1] + g.teamscore[2] + g.teambags[1] + g.teambags[2], 0);
    EXPECT_EQ(g.roundnumber, 1);
    EXPECT_EQ(g.dealer, 1);
    EXPECT_EQ(t.host.server.phase(), HostPhase::Bidding);
    t.settle(); // the new hand is bid and its first trick played
    ASSERT_TRUE(t.runUntil([&] { return !t.all(1, "CMD_postscores").isEmpty(); }));
    EXPECT_EQ(t.all(1, "CMD_startround"), QList<QByteArray>{"CMD_startround+1+1+"});
    EXPECT_EQ(t.all(1, "CMD_tooktrick").size(), 13);
    EXPECT_EQ(t.all(1, "CMD_heplayed").size(), 52);
}

TEST(Accept, RefusedAcceptMarksNothing)
{
    Host h;
    h.seat(2);
    h.clear();
    h.port.refuseAccepts = true;
    EXPECT_EQ(h.server.Sock1Accept(), 0);
    EXPECT_FALSE(h.seatRecord(3).connected);
    EXPECT_EQ(h.server.connectioncount(), 2);
    EXPECT_TRUE(h.port.log.empty());
    h.port.refuseAccepts = false;
    EXPECT_EQ(h.connect(), 3);
}

} // namespace
