#include "host/expertdeal.h"
#include "host/expertplayer.h"
#include "tests/host/computertable.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

using cardtext::card;

namespace {

CardSet setOf(const std::string &text)
{
    CardSet set = 0;
    for (int c : cardtext::list(text))
        set |= CardSet(1) << c;
    return set;
}

constexpr int kAllSuits = 0b1111;
constexpr int kHeartsBit = 1 << (cards::kHearts - 1);

// A late position seen from one seat: its hand, the cards it cannot see (all
// others are gone), the open trick in playing order, the bids and tricks.
struct Position
{
    SeatKnowledge k;

    Position(int seat, const std::string &hand, const std::string &unseen)
    {
        k.seat = seat;
        k.hand = setOf(hand);
        k.played = expert::kDeck & ~k.hand & ~setOf(unseen);
        k.spadesbroken = true;
        k.hasbid.fill(true);
        for (int s = 1; s <= cards::kSeats; ++s)
            k.cardsLeft[s] = std::uint8_t(std::popcount(k.hand));
    }
    Position &trick(int leader, const std::vector<std::string> &played)
    {
        k.leader = leader;
        int s = leader;
        for (const std::string &c : played) {
            k.tablecard[s] = card(c);
            --k.cardsLeft[s];
            s = cards::nextSeat(s);
        }
        k.ledcard = card(played.front());
        return *this;
    }
    Position &bids(std::array<int, 4> b)
    {
        for (int s = 1; s <= cards::kSeats; ++s)
            k.bid[s] = b[s - 1];
        return *this;
    }
    Position &tricks(std::array<int, 4> t)
    {
        for (int s = 1; s <= cards::kSeats; ++s)
            k.tricks[s] = t[s - 1];
        return *this;
    }
    Position &bags(int team1)
    {
        k.teambags[1] = team1;
        return *this;
    }
    std::string play() const { return cardtext::name(expertCard(k, 7)); }
};

TEST(ExpertCard, PlaysTheClearCardInTheseTightSpots)
{
    const struct
    {
        const char *why;
        Position at;
        const char *card;
    } cases[] = {
        {"partner (seat 2) bid Nil and is winning the trick: take it over",
         Position(4, "KH 3H 2C", "4C 5C 6C 7C 8C 9C")
             .trick(1, {"5H", "9H", "7H"})
             .bids({4, 0, 4, 4})
             .tricks({3, 0, 4, 3}),
         "KH"},
        {"an opponent's Nil (seat 2) is winning: duck under it and set the Nil",
         Position(3, "AH 2H", "3C 4C 5C 6C")
             .trick(1, {"5H", "QH"})
             .bids({4, 0, 4, 5})
             .tricks({4, 0, 4, 3}),
         "2H"},
        {"contract made with nine bags: the overtrick would cost a hundred",
         Position(1, "9H 4H", "2S 3S 4S")
             .trick(2, {"5H", "3H", "7H"})
             .bids({3, 4, 3, 4})
             .tricks({3, 3, 3, 2})
             .bags(9),
         "4H"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(c.at.play(), c.card) << c.why;
}

struct BidCase
{
    const char *name;
    const char *hand;
    int lowest;
    int highest;
};

void PrintTo(const BidCase &c, std::ostream *os)
{
    *os << c.hand;
}

class ExpertBid : public ::testing::TestWithParam<BidCase>
{
};

TEST_P(ExpertBid, BidsWhatTheHandCanTake)
{
    SeatKnowledge k;
    k.seat = 2;
    k.dealer = 1;
    k.hand = setOf(GetParam().hand);
    const int bid = expertBid(k, 11);
    EXPECT_GE(bid, GetParam().lowest) << GetParam().hand;
    EXPECT_LE(bid, GetParam().highest) << GetParam().hand;
}

INSTANTIATE_TEST_SUITE_P(
    Hands, ExpertBid,
    ::testing::Values(
        BidCase{"NothingButLowCardsIsANil", "2C 3C 4C 5C 2D 3D 4D 2H 3H 4H 5H 2S 3S", 0, 0},
        BidCase{"TopSpadesAndSideAcesAndKings", "AS KS QS JS TS AH KH AD KD AC KC 2H 2D", 9, 13},
        BidCase{"AnAverageHand", "AS 7S 4S KH 9H 5H QD 8D 3D JC 9C 6C 2C", 2, 4}),
    [](const ::testing::TestParamInfo<BidCase> &info) { return std::string(info.param.name); });

TEST(ExpertBid, BlindNilComesFromTheScoreNeverFromTheCards)
{
    SeatKnowledge k;
    k.seat = 1;
    k.dealer = 4;
    k.blind = true;
    k.playtoscore = 500;
    for (const char *hand :
         {"AS KS QS JS TS AH KH AD KD AC KC 2H 2D", "2C 3C 4C 5C 2D 3D 4D 2H 3H 4H 5H 2S 3S"}) {
        k.hand = setOf(hand);
        k.teamscore = {0, 300, 450}; // behind, the other side nearly home
        EXPECT_EQ(expertBid(k, 3), kBlindNilBid) << hand;
        k.teamscore = {0, 300, 200}; // ahead: no gamble
        EXPECT_NE(expertBid(k, 3), kBlindNilBid) << hand;
        k.blind = false;
        k.teamscore = {0, 300, 450};
        EXPECT_NE(expertBid(k, 3), kBlindNilBid) << hand;
        k.blind = true;
    }
}

TEST(PlayHistory, NotesWhatEachCardShows)
{
    struct Case
    {
        int seat;
        const char *card;
        const char *led; // "" for a lead
        bool broken;
        int voids;
    } cases[] = {
        {2, "3D", "5H", false, kHeartsBit},          // shows out of the suit led
        {2, "4H", "5H", false, 0},                   // follows
        {3, "2S", "", false, kAllSuits & ~(1 << 2)}, // leads a spade unbroken: spades only
        {3, "2S", "", true, 0},                      // leads a spade once broken
        {4, "9C", "", false, 0},
    };
    for (const Case &c : cases) {
        PlayHistory h;
        h.place(c.seat, card(c.card), *c.led ? card(c.led) : 0, c.broken);
        EXPECT_EQ(h.voids[c.seat], c.voids) << c.card << " on " << c.led;
        EXPECT_EQ(h.played, setOf(c.card));
    }
}

TEST(DealSampler, HonoursCountsAndShownVoidsEvenWhenTight)
{
    struct Case
    {
        std::array<int, 4> need;
        std::array<std::uint8_t, 4> voids;
        const char *unseen;
    } cases[] = {
        // only seat 2 may hold spades, only seat 3 hearts
        {{0, 3, 3, 2}, {0, 0b1011, 0b0111, 0b1100}, "2S 3S 4S 2H 3H 4H 2C 3C"},
        // nobody void: a plain shuffle
        {{0, 4, 4, 4}, {0, 0, 0, 0}, "2C 3C 4C 5C 2D 3D 4D 5D 2H 3H 4H 5H"},
        // one seat void in everything but clubs
        {{0, 2, 3, 3}, {0, 0, 0b1110, 0}, "2C 3C 4C 5C 6C 2D 3D 4D"},
        // everyone void in hearts, which are all gone; one also in diamonds
        {{0, 2, 2, 2}, {0, 0b1010, 0b1000, 0b1000}, "2C 3C 4C 5C 2D 3D"},
    };
    for (const auto &c : cases) {
        const CardSet unseen = setOf(c.unseen);
        const expert::DealSampler sampler(0, unseen, c.need, c.voids);
        expert::Rng rng(5);
        for (int i = 0; i < 500; ++i) {
            expert::SimTable t;
            sampler.deal(t, rng);
            EXPECT_EQ(t.hand[1] | t.hand[2] | t.hand[3], unseen);
            for (int s = 1; s < 4; ++s) {
                ASSERT_EQ(std::popcount(t.hand[s]), c.need[s]) << c.unseen;
                for (int suit = 1; suit <= 4; ++suit) {
                    const CardSet shownOut =
                        (c.voids[s] >> (suit - 1) & 1) != 0 ? expert::suitMask(suit) : CardSet(0);
                    ASSERT_EQ(t.hand[s] & shownOut, 0u) << c.unseen;
                }
            }
        }
    }
}

} // namespace
