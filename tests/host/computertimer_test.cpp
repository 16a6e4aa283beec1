// When the computer moves for a seat: the arming events, the bot-speed delay,
// and the moves it must not make, all on the virtual clock.
#include "host/computerplayer.h"
#include "host_harness.h"

#include <gtest/gtest.h>

using namespace hosttest;

namespace {

int countOf(const QList<QByteArray> &messages, const char *name)
{
    return int(named(messages, name).size());
}

// Seat 1 holds every club, seat 2 every diamond, seat 3 every spade, seat 4 every
// heart: seat 2 cashes its ace, seat 3 ruffs with the two and wins the trick.
TServer::Deck suitsBySeat()
{
    return deckWith({{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13}});
}

TEST(ComputerTimer, DepartureDuringBiddingBidsAfterTheDelay)
{
    Host h;
    h.seat(2);
    h.start();
    ASSERT_EQ(h.game().bidder, 2);
    EXPECT_FALSE(h.port.computerTimerRunning());
    const int expected = computerbid(h.game(), h.server.seats(), 2);

    h.port.advance(2000); // a person is waited for, however long
    EXPECT_FALSE(h.seatRecord(2).hasbid);
    h.server.connectionClosed(2);
    EXPECT_EQ(h.port.computerDelay(), TServer::kNormal);
    h.port.advance(TServer::kNormal - 1);
    EXPECT_FALSE(h.seatRecord(2).hasbid);
    h.port.advance(1);
    ASSERT_TRUE(h.seatRecord(2).hasbid);
    EXPECT_EQ(h.seatRecord(2).bid, expected);
    // The computer seats after it follow at the same pace.
    EXPECT_EQ(h.game().bidder, 3);
    h.port.advance(TServer::kNormal);
    EXPECT_TRUE(h.seatRecord(3).hasbid);
    EXPECT_EQ(h.game().bidder, 4);
}

TEST(ComputerTimer, DepartureWhenTheCardIsAwaitedPlaysTheChosenCard)
{
    Table t(4);
    t.people[2].autoplay = false;
    t.host.start();
    ASSERT_TRUE(t.runUntil([&] { return t.host.server.cardAwaited(2); }));

    // Someone else leaving changes nothing for seat 2.
    t.host.server.connectionClosed(4);
    EXPECT_FALSE(t.host.port.computerTimerRunning());

    const ComputerCard choice = computerplay(t.host.game(), t.host.server.seats(), 2);
    const int card = t.host.seatRecord(2).hand[choice.handPosition];
    t.host.server.connectionClosed(2);
    ASSERT_TRUE(t.host.port.computerTimerRunning());
    t.host.port.advance(TServer::kNormal - 1);
    EXPECT_EQ(t.host.seatRecord(2).cardsLeft(), 13);
    t.host.port.advance(1);
    EXPECT_EQ(t.host.seatRecord(2).cardsLeft(), 12);
    EXPECT_EQ(t.host.seatRecord(2).tablecard, card);
    EXPECT_EQ(t.host.game().ledcard, card);
}

TEST(ComputerTimer, WatchingOnAndOffStillMakesTheOneArmedBid)
{
    Table t(4);
    t.host.start();
    ASSERT_EQ(t.host.game().bidder, 2);
    // The scripted people answer only when settled; seat 2 watches before it bids.
    t.host.deliver(2, wire::toHost::justwatch(2, 1));
    t.host.deliver(2, wire::toHost::justwatch(2, 2));
    EXPECT_FALSE(t.host.seatRecord(2).justwatching);
    const int expected = computerbid(t.host.game(), t.host.server.seats(), 2);
    t.host.port.take(2); // seat 2's person never sees its bid request
    t.host.port.advance(TServer::kNormal);
    ASSERT_TRUE(t.host.seatRecord(2).hasbid);
    EXPECT_EQ(t.host.seatRecord(2).bid, expected);
    // Seat 3 is a person again: nothing is armed for it.
    EXPECT_EQ(t.host.game().bidder, 3);
    EXPECT_FALSE(t.host.port.computerTimerRunning());
}

TEST(ComputerTimer, WatchingACardThenStoppingPlaysOnceThenWaitsForThePerson)
{
    Table t(4);
    t.people[2].autoplay = false;
    t.host.start();
    ASSERT_TRUE(t.runUntil([&] { return t.host.server.cardAwaited(2); }));
    t.host.deliver(2, wire::toHost::justwatch(2, 1));
    ASSERT_EQ(t.host.server.computerMove(), ComputerMove::Card);
    t.host.deliver(2, wire::toHost::justwatch(2, 2));
    t.host.port.advance(TServer::kNormal);
    EXPECT_EQ(t.host.seatRecord(2).cardsLeft(), 12);

    // The rest of the trick is played by the people; when seat 2 is asked again
    // its person is waited for.
    ASSERT_TRUE(t.runUntil([&] { return t.host.server.cardAwaited(2); }));
    t.host.port.advance(10 * TServer::kSlow);
    EXPECT_FALSE(t.host.port.computerTimerRunning());
    EXPECT_EQ(t.host.seatRecord(2).cardsLeft(), 12);
}

TEST(ComputerTimer, NothingMovesDuringThePauseAfterATrick)
{
    Table t(1);
    t.host.server.stackDeck(suitsBySeat());
    t.host.start();
    ASSERT_TRUE(t.runUntil([&] { return !t.all(1, "CMD_tooktrick").isEmpty(); }));
    EXPECT_EQ(t.all(1, "CMD_tooktrick"), QList<QByteArray>{"CMD_tooktrick+3+1+"});
    EXPECT_FALSE(t.host.port.computerTimerRunning());
    EXPECT_EQ(t.host.server.phase(), HostPhase::TrickPause);
    ASSERT_EQ(t.host.game().turn, 2); // the seat before the winner

    t.people[1].received.clear();
    t.host.port.advance(2999);
    t.settle();
    EXPECT_TRUE(t.people[1].received.isEmpty());
    EXPECT_FALSE(t.host.port.computerTimerRunning());
    t.host.port.advance(1);
    t.settle();
    EXPECT_EQ(t.all(1, "CMD_nextplayer"), QList<QByteArray>{"CMD_nextplayer+3+0+"});
    EXPECT_EQ(t.host.server.computerSeat(), 3);
    t.host.port.advance(TServer::kNormal - 1);
    EXPECT_EQ(t.host.seatRecord(3).cardsLeft(), 12);
    t.host.port.advance(1);
    EXPECT_EQ(t.host.seatRecord(3).cardsLeft(), 11);
}

TEST(ComputerTimer, RestartDropsTheArmedMoveAndArmsAfresh)
{
    Host h;
    h.seat(1);
    h.start();
    ASSERT_EQ(h.server.computerSeat(), 2);
    h.port.advance(300);
    h.start(); // the same seat is asked again in the new game
    EXPECT_EQ(h.game().roundnumber, 1);
    ASSERT_EQ(h.server.computerSeat(), 2);
    h.clear();
    h.port.advance(TServer::kNormal - 300);
    EXPECT_FALSE(h.seatRecord(2).hasbid);
    h.port.advance(299);
    EXPECT_FALSE(h.seatRecord(2).hasbid);
    h.port.advance(1);
    EXPECT_TRUE(h.seatRecord(2).hasbid);
    EXPECT_EQ(countOf(h.take(1), "CMD_hebid"), 1);
}

struct SpeedCase
{
    std::optional<int> reported; // CMD_botspeed from the hosting connection
    std::optional<int> ownTable; // the hosting table in the same process
    int delay;
};

void PrintTo(const SpeedCase &c, std::ostream *os)
{
    const auto ms = [](std::optional<int> v) { return v ? std::to_string(*v) : "none"; };
    *os << "reported " << ms(c.reported) << ", own table " << ms(c.ownTable);
}

class ComputerTimerSpeed : public ::testing::TestWithParam<SpeedCase>
{
};

TEST_P(ComputerTimerSpeed, EachMoveWaitsTheBotSpeed)
{
    const SpeedCase &c = GetParam();
    Host h;
    h.seat(1);
    h.port.hostBotSpeed = c.ownTable;
    if (c.reported)
        h.deliver(1, wire::toHost::botspeed(1, *c.reported));
    h.start();
    EXPECT_EQ(h.port.computerDelay(), c.delay);
    h.port.advance(c.delay - 1);
    EXPECT_FALSE(h.seatRecord(2).hasbid);
    h.port.advance(1);
    EXPECT_TRUE(h.seatRecord(2).hasbid);
    EXPECT_EQ(h.port.computerDelay(), c.delay);
}

INSTANTIATE_TEST_SUITE_P(Settings, ComputerTimerSpeed,
                         ::testing::Values(SpeedCase{std::nullopt, std::nullopt, TServer::kNormal},
                                           SpeedCase{TServer::kSlow, std::nullopt, TServer::kSlow},
                                           SpeedCase{TServer::kFast, std::nullopt, TServer::kFast},
                                           SpeedCase{TServer::kSlow, TServer::kFast,
                                                     TServer::kFast}));

TEST(ComputerTimer, FastTableAnswersAPersonsLeadWithinSixHundredMilliseconds)
{
    // Seat 1 holds every spade and ruffs the first trick, so it leads the second.
    Table t(1);
    t.host.server.stackDeck(deckWith({{27, 28, 29, 30, 31, 32, 33, 34, 35, 36, 37, 38, 39}}));
    t.host.deliver(1, wire::toHost::botspeed(1, TServer::kFast));
    t.host.start();
    ASSERT_TRUE(t.runUntil([&] { return !t.all(1, "CMD_tooktrick").isEmpty(); }));
    ASSERT_EQ(t.all(1, "CMD_tooktrick"), QList<QByteArray>{"CMD_tooktrick+1+1+"});
    t.people[1].autoplay = false;
    ASSERT_TRUE(t.runUntil([&] { return t.host.server.cardAwaited(1); }));

    const std::int64_t played = t.host.port.now();
    t.host.deliver(1, wire::toHost::playcard(1, 2));
    ASSERT_TRUE(t.runUntil([&] { return t.all(1, "CMD_tooktrick").size() == 2; }));
    EXPECT_EQ(t.host.port.now() - played, 3 * TServer::kFast);
    EXPECT_EQ(t.all(1, "CMD_heplayed").size(), 8);
}

// One person at seat 1 against three computer seats, from the start to the winner.
TEST(SoloGame, RunsFromStartToWinner)
{
    Table t(1);
    ScriptedSeat &me = t.people[1];
    // The person plays as the computer would, which keeps every card legal.
    me.choose = [&t](const ScriptedSeat &, int) {
        return computerplay(t.host.game(), t.host.server.seats(), 1).handPosition;
    };
    t.host.start(true, false, false, "300");
    ASSERT_TRUE(t.runUntil([&] { return !t.all(1, "CMD_winner").isEmpty(); }, 1000000));

    const QList<QByteArray> &got = me.received;
    EXPECT_EQ(nameOf(got.first()), "CMD_startgame");
    EXPECT_EQ(nameOf(got.last()), "CMD_winner");
    const int hands = int(t.all(1, "CMD_startround").size());
    ASSERT_GE(hands, 1);
    EXPECT_EQ(t.all(1, "CMD_postscores").size(), hands);
    EXPECT_EQ(t.all(1, "CMD_tooktrick").size(), 13 * hands);
    EXPECT_EQ(t.all(1, "CMD_heplayed").size(), 52 * hands);
    EXPECT_EQ(t.all(1, "CMD_hebid").size(), 4 * hands);
    EXPECT_TRUE(t.all(1, "CMD_error").isEmpty());
    EXPECT_TRUE(t.host.port.alerts.isEmpty());

    const GameState &g = t.host.game();
    EXPECT_FALSE(g.gamestarted);
    EXPECT_EQ(g.roundnumber, hands);
    const int winner = g.teamscore[1] > g.teamscore[2] ? 1 : 2;
    EXPECT_GE(g.teamscore[winner], 300);
    EXPECT_EQ(got.last(), "CMD_winner+" + QByteArray::number(winner) + "+");
    // Idle means idle: nothing is left running once the game is over.
    EXPECT_FALSE(t.host.port.computerTimerRunning());
    EXPECT_FALSE(t.host.port.timer1Running());
    // Each hand takes at least its thirteen trick pauses on the virtual clock.
    EXPECT_GE(t.host.port.now(), std::int64_t(hands) * 13 * 3000);
}

} // namespace
