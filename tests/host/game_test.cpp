#include "host_harness.h"

#include <gtest/gtest.h>

#include <set>

using namespace hosttest;

namespace {

// The winner of four cards in play order, by the trick rules.
int trickWinner(const QList<std::pair<int, int>> &plays)
{
    const int led = getsuit(plays[0].second);
    auto beats = [&](int a, int b) {
        if (getsuit(a) == cards::kSpades)
            return getsuit(b) != cards::kSpades || a > b;
        return getsuit(a) == led && getsuit(b) == led && a > b;
    };
    std::pair<int, int> best = plays[0];
    for (const auto &p : plays) {
        if (beats(p.second, best.second))
            best = p;
    }
    return best.first;
}

TEST(WholeHand, FourPeoplePlayAHandMessageByMessage)
{
    Table t;
    for (int s = 1; s <= 4; ++s)
        t.people[s].closes = false;
    t.host.start();
    ASSERT_TRUE(t.runUntil([&] { return !t.all(1, "CMD_postscores").isEmpty(); }));

    // The deal: one CMD_mycards per seat, ascending, every card once.
    std::set<int> dealt;
    for (int s = 1; s <= 4; ++s) {
        const QList<QByteArray> mine = t.all(s, "CMD_mycards");
        ASSERT_EQ(mine.size(), 1);
        const QList<int> f = ints(mine[0]);
        ASSERT_EQ(f.size(), 27);
        EXPECT_EQ(f[0], s);
        for (int slot = 1; slot <= 13; ++slot) {
            EXPECT_EQ(f[2 * slot - 1], slot);
            if (slot > 1) {
                EXPECT_LT(f[2 * slot - 2], f[2 * slot]);
            }
            dealt.insert(f[2 * slot]);
        }
    }
    EXPECT_EQ(dealt.size(), 52u);
    EXPECT_EQ(*dealt.begin(), 1);
    EXPECT_EQ(*dealt.rbegin(), 52);

    // The start of the hand, then bidding from the seat after the dealer.
    const QList<QByteArray> &seen = t.people[3].received;
    EXPECT_EQ(named(seen, "CMD_startround").value(0), "CMD_startround+1+1+");
    const QList<QByteArray> asks = named(seen, "CMD_getbid");
    ASSERT_EQ(asks.size(), 4);
    EXPECT_EQ(asks[0], "CMD_getbid+2+0+");
    EXPECT_EQ(asks[1], "CMD_getbid+3+3+");
    EXPECT_EQ(asks[2], "CMD_getbid+4+6+");
    EXPECT_EQ(asks[3], "CMD_getbid+1+9+");
    EXPECT_EQ(named(seen, "CMD_hebid").value(0), "CMD_hebid+2+3+");
    EXPECT_EQ(named(seen, "CMD_finalbid"), QList<QByteArray>{"CMD_finalbid+12+6+6+"});
    EXPECT_EQ(named(seen, "CMD_nextplayer").value(0), "CMD_nextplayer+2+0+");

    // Every card announced once, counting down per seat; trick winners by the rules.
    std::array<int, 5> left{0, 13, 13, 13, 13};
    QList<std::pair<int, int>> trick;
    int tricksSeen = 0;
    std::array<int, 5> tricksOf{};
    for (const QByteArray &m : seen) {
        const QList<int> f = ints(m);
        if (nameOf(m) == "CMD_heplayed") {
            EXPECT_EQ(f[2], --left[f[0]]);
            trick << std::pair{f[0], f[1]};
        } else if (nameOf(m) == "CMD_tooktrick") {
            ASSERT_EQ(trick.size(), 4);
            EXPECT_EQ(f[0], trickWinner(trick));
            EXPECT_EQ(f[1], ++tricksOf[f[0]]);
            trick.clear();
            ++tricksSeen;
        }
    }
    EXPECT_EQ(tricksSeen, 13);
    EXPECT_EQ(left, (std::array<int, 5>{0, 0, 0, 0, 0}));

    // Each person got CMD_usecard for each own card and nobody else's.
    for (int s = 1; s <= 4; ++s) {
        const QList<QByteArray> used = t.all(s, "CMD_usecard");
        EXPECT_EQ(used.size(), 13);
        for (const QByteArray &u : used)
            EXPECT_EQ(ints(u)[0], s);
    }

    const QList<int> scores = ints(named(seen, "CMD_postscores").value(0));
    ASSERT_EQ(scores.size(), 16);
    EXPECT_EQ(scores[0] + scores[1], 13);
    EXPECT_EQ(scores[0], tricksOf[1] + tricksOf[3]);
    EXPECT_EQ(scores[12], scores[10]);
    EXPECT_EQ(scores[13], scores[11]);
    EXPECT_EQ(t.host.game().teamscore[1], scores[12]);
}

TEST(WholeHand, PauseOfThreeTicksAfterATrickAndNoLeadAfterTheLast)
{
    Table t;
    for (int s = 1; s <= 4; ++s)
        t.people[s].closes = false;
    t.host.start();
    t.runUntil([&] { return !t.all(1, "CMD_tooktrick").isEmpty(); });
    const std::int64_t took = t.host.port.now();
    EXPECT_EQ(t.host.server.phase(), HostPhase::TrickPause);
    t.host.port.advance(2999);
    t.settle();
    EXPECT_TRUE(named(t.people[1].received, "CMD_nextplayer").size() == 4);
    t.host.port.advance(1);
    t.settle();
    const QList<QByteArray> asks = t.all(1, "CMD_nextplayer");
    ASSERT_GE(asks.size(), 5); // the rest of the trick follows at once
    EXPECT_EQ(ints(asks[4])[0], ints(t.all(1, "CMD_tooktrick")[0])[0]);
    EXPECT_EQ(t.host.port.now() - took, 3000);

    // After the thirteenth trick the hand is scored and no lead is asked for.
    t.runUntil([&] { return !t.all(1, "CMD_postscores").isEmpty(); });
    QList<QByteArray> tail;
    const QList<QByteArray> &seen = t.people[1].received;
    for (qsizetype i = seen.lastIndexOf(t.all(1, "CMD_tooktrick").last()); i < seen.size(); ++i)
        tail << nameOf(seen[i]);
    EXPECT_EQ(tail, (QList<QByteArray>{"CMD_tooktrick", "CMD_postscores"}));
}

// The next hand starts once every connected seat closed its scores, or after
// fifteen seconds when one does not; a seat whose player leaves instead is
// the computer's, which holds nothing up.
TEST(WholeHand, TheNextHandWaitsForEveryClosedOrFifteenTicks)
{
    const struct
    {
        int stays;  // a seat that never closes, 0 for none
        int leaves; // a seat that never closes and leaves in the pause
        TServer::SeatOne seatOne;
        int pause;
    } cases[] = {
        {0, 0, TServer::SeatOne::OwnWindow, 0},     {4, 0, TServer::SeatOne::OwnWindow, 15000},
        {0, 4, TServer::SeatOne::OwnWindow, 0},     {0, 1, TServer::SeatOne::Remote, 0},
        {3, 4, TServer::SeatOne::OwnWindow, 15000},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << "stays " << c.stays << ", leaves " << c.leaves);
        Table t;
        t.host.server.setSeatOne(c.seatOne);
        for (int seat : {c.stays, c.leaves})
            t.people[seat].closes = false;
        t.host.start();
        t.runUntil([&] { return !t.all(2, "CMD_postscores").isEmpty(); });
        const std::int64_t scored = t.host.port.now();
        if (c.leaves != 0)
            t.host.server.connectionClosed(c.leaves);
        ASSERT_TRUE(t.runUntil([&] { return t.all(2, "CMD_startround").size() == 2; }));
        EXPECT_EQ(t.host.port.now() - scored, c.pause);
        EXPECT_EQ(t.all(2, "CMD_startround")[1], "CMD_startround+2+2+");
        EXPECT_EQ(ints(t.all(2, "CMD_getbid")[4])[0], 3);
        EXPECT_NE(t.host.server.phase(), HostPhase::HandPause);
    }
}

TEST(WholeHand, GamePlaysToTheTargetAndDeclaresTheWinner)
{
    Table t(4, 777);
    t.host.start(true, true, false, "150");
    ASSERT_TRUE(t.runUntil([&] { return !t.all(1, "CMD_winner").isEmpty(); }));
    const GameState &g = t.host.game();
    EXPECT_FALSE(g.gamestarted);
    const int team = ints(t.all(1, "CMD_winner")[0])[0];
    EXPECT_GE(g.teamscore[team], 150);
    EXPECT_GT(g.teamscore[team], g.teamscore[3 - team]);
    // The winner is declared where the next hand would have begun.
    EXPECT_EQ(nameOf(t.people[2].received.last()), "CMD_winner");
    EXPECT_EQ(t.all(2, "CMD_startround").size(), g.roundnumber);
    EXPECT_FALSE(t.host.port.timer1Running());
    EXPECT_FALSE(t.host.port.computerTimerRunning());
}

TEST(WholeHand, TargetTextIsRelayedAsSentAndFallsBackTo500)
{
    Table t;
    t.host.start(true, false, false, "lots");
    EXPECT_EQ(t.host.game().playtoscore, 500);
    EXPECT_EQ(t.host.take(2).value(0), "CMD_startgame+P1+lots+y+n+n+");
    EXPECT_TRUE(t.host.game().sandbag);
    EXPECT_FALSE(t.host.game().blind);
}

TEST(WholeHand, StartFieldsAreCutFromTheLeftAndRelayedAsCut)
{
    struct Case
    {
        QByteArray payload;
        QByteArray relayed;
        int target;
        bool sandbag, blind, startclub;
    };
    const Case cases[] = {
        {"Ann+750+y+y+y+", "CMD_startgame+Ann+750+y+y+y+", 750, true, true, true},
        // A "+" in the name shifts every later field: the target comes from
        // the name's tail and the flags from the fields after it.
        {"A+B+250+y+n+y+", "CMD_startgame+A+B+250+y+n+", 500, false, true, false},
        {"Ann+-40+Y+yes+n+", "CMD_startgame+Ann+-40+Y+yes+n+", -40, false, false, false},
        {"Ann+1000+n+n+y+extra+", "CMD_startgame+Ann+1000+n+n+y+", 1000, false, false, true},
    };
    for (const Case &c : cases) {
        Host h;
        h.seat(1);
        h.connect();
        h.clear();
        h.deliver(1, "CMD_startgame+" + c.payload + char(0xFF));
        EXPECT_EQ(named(h.take(1), "CMD_startgame").value(0), c.relayed) << c.payload.constData();
        EXPECT_EQ(h.game().playtoscore, c.target) << c.payload.constData();
        EXPECT_EQ(h.game().sandbag, c.sandbag) << c.payload.constData();
        EXPECT_EQ(h.game().blind, c.blind) << c.payload.constData();
        EXPECT_EQ(h.game().startclub, c.startclub) << c.payload.constData();

        // A newcomer learns the value the host plays to, not the text.
        h.login(2, "Late");
        const QList<int> stats = ints(named(h.take(2), "CMD_gamestats").value(0));
        EXPECT_EQ(stats.value(3), c.target) << c.payload.constData();
    }
}

TEST(Bidding, BlindNilDependsOnTheOption)
{
    for (const bool blind : {true, false}) {
        Table t;
        t.people[2].bid = 100;
        t.host.start(true, blind);
        t.settle();
        EXPECT_EQ(t.all(1, "CMD_hebid").value(0), blind ? "CMD_hebid+2+100+" : "CMD_hebid+2+0+");
        EXPECT_EQ(t.host.seatRecord(2).bid, 0);
        EXPECT_EQ(t.host.seatRecord(2).blindnil, blind);
        EXPECT_EQ(t.all(1, "CMD_finalbid").value(0), "CMD_finalbid+9+6+3+");
    }
}

TEST(Bidding, AWatchingPersonStillGetsTheHandWhileTheComputerPlaysIt)
{
    Table t;
    t.host.start();
    t.host.deliver(3, wire::toHost::JustWatch{3, 1}.encode());
    t.people[3].bids = false;
    t.people[3].autoplay = false;
    ASSERT_TRUE(t.runUntil([&] { return t.all(1, "CMD_startround").size() == 2; }));
    t.settle();
    EXPECT_EQ(t.all(3, "CMD_mycards").size(), 2);
    EXPECT_EQ(t.all(3, "CMD_usecard").size(), 13); // the computer's cards, from its hand
    ASSERT_TRUE(t.runUntil([&] { return t.host.seatRecord(3).hasbid; }));
    EXPECT_TRUE(t.all(1, "CMD_hebid").value(4).startsWith("CMD_hebid+3+")); // by the computer
}

TEST(Bidding, StartClubLeadsTheTwoOfClubsAtOnce)
{
    Table t;
    t.host.server.stackDeck(deckWith({{}, {}, {1}, {}}));
    t.host.start(true, true, true);
    t.settle();
    const QList<QByteArray> &seen = t.people[1].received;
    const qsizetype final = seen.indexOf("CMD_finalbid+12+6+6+");
    ASSERT_GE(final, 0);
    EXPECT_EQ(seen.value(final + 1), "CMD_heplayed+3+1+12+");
    EXPECT_EQ(seen.value(final + 2), "CMD_nextplayer+4+1+");
    EXPECT_EQ(named(t.people[3].received, "CMD_usecard").value(0), "CMD_usecard+3+1+");
    // Bidding still began after the dealer.
    EXPECT_EQ(t.all(1, "CMD_getbid").value(0), "CMD_getbid+2+0+");
}

// Seat 1 diamonds; seat 2 the club two, spades two to queen and the heart
// two; seat 3 clubs three to ace and the spade ace; seat 4 the spade king and
// hearts three to ace. Seat 1 deals, so seat 2 leads.
struct RefereeTable : Table
{
    RefereeTable()
    {
        dealForHandPlay(deckWith({{14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26},
                                  {1, 27, 28, 29, 30, 31, 32, 33, 34, 35, 36, 37, 40},
                                  {2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 39},
                                  {38, 41, 42, 43, 44, 45, 46, 47, 48, 49, 50, 51, 52}}));
    }

    // Plays slot `slot` for `seat` and returns what that seat was sent back.
    QList<QByteArray> play(int seat, int slot)
    {
        host.deliver(seat, wire::toHost::PlayCard{seat, slot}.encode());
        const QList<QByteArray> got = host.take(seat);
        for (const QByteArray &m : got)
            people[seat].react(m);
        settle();
        return got;
    }
};

TEST(Referee, RefusalsTrumpsAndThirdSuits)
{
    RefereeTable t;
    EXPECT_EQ(t.play(2, 2), QList<QByteArray>{"CMD_error+2+2+2+"}); // spade lead, unbroken
    EXPECT_EQ(t.play(2, 1).value(0), "CMD_heplayed+2+1+12+");
    EXPECT_EQ(t.play(3, 13), QList<QByteArray>{"CMD_error+3+3+13+"}); // must follow clubs
    EXPECT_EQ(t.play(3, 1).value(1), "CMD_usecard+3+1+");
    t.play(4, 2);  // heart three, a third suit
    t.play(1, 13); // diamond ace, a third suit
    EXPECT_EQ(t.all(1, "CMD_tooktrick").value(0), "CMD_tooktrick+3+1+");

    t.host.port.advance(3000);
    t.settle();
    EXPECT_EQ(t.all(3, "CMD_nextplayer").last(), "CMD_nextplayer+3+0+");
    EXPECT_EQ(t.play(3, 1), QList<QByteArray>{"CMD_error+3+1+1+"});   // played already
    EXPECT_EQ(t.play(3, 14), QList<QByteArray>{"CMD_error+3+1+14+"}); // no such slot
    EXPECT_EQ(t.play(3, 0), QList<QByteArray>{"CMD_error+3+1+0+"});
    EXPECT_EQ(t.play(3, 13), QList<QByteArray>{"CMD_error+3+2+13+"}); // holds clubs
    t.play(3, 2);                                                     // club four
    t.play(4, 3);
    t.play(1, 1);
    EXPECT_FALSE(t.host.game().spadesbroken);
    t.play(2, 2); // void in clubs: the spade two trumps and breaks spades
    EXPECT_TRUE(t.host.game().spadesbroken);
    EXPECT_EQ(t.all(1, "CMD_tooktrick").value(1), "CMD_tooktrick+2+1+");

    t.host.port.advance(3000);
    t.settle();
    // Seat 2 still holds the heart two, but spades are broken now.
    EXPECT_EQ(t.play(2, 3).value(0), "CMD_heplayed+2+28+10+");
    EXPECT_EQ(t.host.seatRecord(2).hand[3], 0);
    EXPECT_EQ(t.host.game().aceplayed[cards::kDiamonds], true);
    EXPECT_EQ(t.host.game().aceplayed[cards::kClubs], false);
}

TEST(Referee, ASeatHoldingOnlySpadesMayLeadOne)
{
    Table t;
    t.dealForHandPlay(
        deckWith({{40}, {27, 28, 29, 30, 31, 32, 33, 34, 35, 36, 37, 38, 39}, {41}, {42}}));
    t.host.deliver(2, wire::toHost::PlayCard{2, 1}.encode()); // only spades: may lead one
    EXPECT_EQ(t.host.take(2).value(0), "CMD_heplayed+2+27+12+");
    EXPECT_TRUE(t.host.game().spadesbroken);
}

TEST(Referee, TrickOfOnlyTheLedSuitGoesToItsHighestCard)
{
    Table t;
    t.dealForHandPlay(deckWith({{4}, {1}, {2}, {3}}));
    t.playFirstSlots();
    t.settle();
    EXPECT_EQ(t.all(2, "CMD_tooktrick").value(0), "CMD_tooktrick+1+1+");
    EXPECT_EQ(t.host.game().nextleader, 0);
    t.host.port.advance(3000);
    t.settle();
    EXPECT_EQ(t.all(2, "CMD_nextplayer").last(), "CMD_nextplayer+1+0+");
    EXPECT_TRUE(t.host.port.alerts.isEmpty());
}

} // namespace
