#include "host/scoring.h"
#include "host/shuffle.h"
#include "host_harness.h"

#include <QDateTime>
#include <algorithm>
#include <ctime>
#include <gtest/gtest.h>

namespace {

TEST(SeatRecord, CountsCardsAndKnowsComputerSeats)
{
    SeatRecord seat;
    EXPECT_EQ(seat.cardsLeft(), 0);
    seat.hand[1] = 5;
    seat.hand[13] = 52;
    EXPECT_EQ(seat.cardsLeft(), 2);
    EXPECT_TRUE(isComputerSeat(seat));
    seat.connected = true;
    EXPECT_FALSE(isComputerSeat(seat));
    seat.justwatching = true;
    EXPECT_TRUE(isComputerSeat(seat));
}

TEST(Shuffle, FixedSeedGivesTheKnownDeck)
{
    const int expected[52] = {42, 8,  19, 25, 3,  47, 27, 41, 49, 18, 32, 34, 12,
                              37, 23, 2,  11, 6,  31, 22, 1,  45, 7,  52, 24, 51,
                              14, 29, 4,  35, 40, 43, 5,  39, 30, 38, 20, 21, 46,
                              26, 16, 13, 33, 15, 28, 44, 17, 50, 9,  36, 10, 48};
    Lcg random(12345);
    std::array<int, 53> deck{};
    shufflecards(deck, random);
    for (int i = 0; i < 52; ++i)
        EXPECT_EQ(deck[i + 1], expected[i]) << "position " << i + 1;
}

TEST(Shuffle, DrawTakesTheHighHalfOfTheProduct)
{
    Lcg random(0);
    EXPECT_EQ(random.draw(52), 0u); // seed becomes 1: 1 * 52 >> 32
    EXPECT_EQ(random.seed(), 1u);
    EXPECT_EQ(random.draw(0x80000000u), 134775814u / 2); // seed 134775814
}

TEST(Shuffle, TimeOfDaySeedIsMillisecondsSinceMidnight)
{
    const std::int64_t day = 24LL * 3600 * 1000;
    EXPECT_EQ(Lcg::timeOfDaySeed(20000 * day + 12345), 12345u);
    EXPECT_EQ(Lcg::timeOfDaySeed(day - 1), std::uint32_t(day - 1));
}

TEST(Shuffle, ClockSeedCountsFromMidnightUtcWhateverTheLocalZone)
{
    const QByteArray savedZone = qgetenv("TZ");
    qputenv("TZ", "XST-5:30"); // five and a half hours ahead of UTC
    tzset();
    const std::uint32_t seed = Lcg::clockSeed();
    const std::uint32_t utc = Lcg::timeOfDaySeed(QDateTime::currentMSecsSinceEpoch());
    if (savedZone.isNull())
        qunsetenv("TZ");
    else
        qputenv("TZ", savedZone);
    tzset();

    const std::int64_t day = 24LL * 3600 * 1000;
    std::int64_t apart = (std::int64_t(utc) - std::int64_t(seed) + day) % day;
    apart = std::min(apart, day - apart);
    EXPECT_LT(apart, 60 * 1000) << "seed " << seed << ", UTC " << utc;
}

struct ScoringCase
{
    const char *what;
    // Bid/tricks of seats 1 to 4; a B marks a blind nil.
    const char *seats;
    bool sandbag;
    int bagsBefore1;
    // team 1 values: tricks, contract, teambags, bagsadded, penalty, handtotal, nilscore
    int expected1[7];
};

void PrintTo(const ScoringCase &c, std::ostream *os)
{
    *os << c.what;
}

class Scoring : public ::testing::TestWithParam<ScoringCase>
{
};

TEST_P(Scoring, TeamOneValues)
{
    const ScoringCase &c = GetParam();
    GameState game;
    game.sandbag = c.sandbag;
    game.teambags[1] = c.bagsBefore1;
    game.teamscore[1] = 100;
    SeatTable seats;
    const QList<QByteArray> results = QByteArray(c.seats).split(' ');
    ASSERT_EQ(results.size(), 4);
    for (int s = 1; s <= 4; ++s) {
        const QList<QByteArray> bidAndTricks = results[s - 1].split('/');
        seats[s].bid = bidAndTricks[0].toInt();
        seats[s].blindnil = bidAndTricks[1].endsWith('B');
        seats[s].tricks = bidAndTricks[1].chopped(seats[s].blindnil ? 1 : 0).toInt();
    }
    const HandScore score = scoreHand(game, seats);
    const int got[7] = {score.tricks[1],  score.contract[1],  score.teambags[1], score.bagsadded[1],
                        score.penalty[1], score.handtotal[1], score.nilscore[1]};
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(got[i], c.expected1[i]) << c.what << " value " << i;
    EXPECT_EQ(score.teamscore[1], 100 + c.expected1[5]) << c.what;
}

// Seats 1 and 3 are team 1; seats 2 and 4 just fill the table.
INSTANTIATE_TEST_SUITE_P(
    Hands, Scoring,
    ::testing::Values(
        ScoringCase{"made exactly", "2/2 3/3 3/3 5/5", true, 0, {5, 50, 0, 0, 0, 50, 0}},
        ScoringCase{"two bags", "2/4 3/2 3/3 5/4", true, 0, {7, 50, 2, 2, 0, 50, 0}},
        ScoringCase{"bags off", "2/4 3/2 3/3 5/4", false, 0, {7, 50, 0, 0, 0, 50, 0}},
        ScoringCase{"set", "2/1 3/4 3/3 5/5", true, 0, {4, -50, 0, 0, 0, -50, 0}},
        ScoringCase{
            "nil set, partner carries it", "0/2 3/3 4/4 4/4", true, 0, {6, 40, 2, 2, 0, -60, -100}},
        ScoringCase{"nil made", "0/0 3/3 4/4 6/6", true, 0, {4, 40, 0, 0, 0, 140, 100}},
        ScoringCase{"blind nil made", "0/0B 3/3 4/4 6/6", true, 0, {4, 40, 0, 0, 0, 240, 200}},
        ScoringCase{"blind nil set", "0/1B 3/3 4/4 5/5", true, 0, {5, 40, 1, 1, 0, -160, -200}},
        ScoringCase{
            "both nil, every trick a bag", "0/1 5/5 0/2 5/5", true, 0, {3, 0, 3, 3, 0, -200, -200}},
        ScoringCase{"bags roll over to 0", "2/4 3/2 3/4 5/3", true, 8, {8, 50, 0, 3, -100, -50, 0}},
        ScoringCase{"nine bags stay", "2/3 3/3 3/3 5/4", true, 8, {6, 50, 9, 1, 0, 50, 0}}));

TEST(Scoring, PostscoresOrder)
{
    HandScore s;
    for (int t = 1; t <= 2; ++t) {
        s.tricks[t] = 10 + t;
        s.contract[t] = 20 + t;
        s.teambags[t] = 30 + t;
        s.bagsadded[t] = 40 + t;
        s.penalty[t] = 50 + t;
        s.handtotal[t] = 60 + t;
        s.teamscore[t] = 70 + t;
        s.nilscore[t] = 80 + t;
    }
    std::array<int, 16> v{};
    s.postscores(v);
    const std::array<int, 16> expected = {11, 12, 21, 22, 31, 32, 41, 42,
                                          51, 52, 61, 62, 71, 72, 81, 82};
    EXPECT_EQ(v, expected);
}

TEST(Winner, TargetAndTies)
{
    struct Case
    {
        int one, two, target, winner;
    } cases[] = {
        {490, 499, 500, 0}, {510, 520, 500, 2}, {510, 510, 500, 0},
        {520, 300, 500, 1}, {500, 499, 500, 1}, {-300, 260, 250, 2},
    };
    for (const Case &c : cases) {
        GameState game;
        game.teamscore[1] = c.one;
        game.teamscore[2] = c.two;
        game.playtoscore = c.target;
        EXPECT_EQ(winningTeam(game), c.winner) << c.one << " " << c.two;
    }
}

} // namespace
