#include "host/computerplayer.h"
#include "host/computerrules.h"
#include "tests/host/computertable.h"

#include <gtest/gtest.h>

using cardtext::card;
using cardtext::deal;

namespace {

// The computer sits at seat 1 with its partner at seat 3.
constexpr int kMe = 1;
constexpr int kPartner = 3;
constexpr int kLeft = 2;

struct Table
{
    GameState game;
    SeatTable seats;

    Table()
    {
        for (int seat = 1; seat <= cards::kSeats; ++seat) {
            seats[seat].partner = cards::partnerOf(seat);
            seats[seat].bid = 3;
            seats[seat].hasbid = true;
        }
    }

    std::string play(int seat = kMe) const
    {
        const ComputerCard chosen = computerplay(game, seats, seat);
        return cardtext::name(chosen.played() ? seats[seat].hand[chosen.handPosition] : 0);
    }
};

struct BidCase
{
    const char *hand;
    int bid;
};

void PrintTo(const BidCase &c, std::ostream *os)
{
    *os << c.hand;
}

class ComputerBid : public ::testing::TestWithParam<BidCase>
{
};

TEST_P(ComputerBid, CountsHonoursAndLowSpades)
{
    Table table;
    deal(table.seats[2], GetParam().hand);
    EXPECT_EQ(computerbid(table.game, table.seats, 2), GetParam().bid) << GetParam().hand;
}

INSTANTIATE_TEST_SUITE_P(Hands, ComputerBid,
                         ::testing::Values(
                             // aces and kings without the spade queen or a low spade
                             BidCase{"AC KC AD KD AS KS AH KH 2C 3C 2D 3D 2H", 8},
                             // every honour with four low spades, or eight honours with five
                             BidCase{"AC KC AD KD AS KS AH KH QS 2S 3S 4S 5S", 10},
                             BidCase{"AC KC AD KD AS KS AH KH 2S 3S 4S 5S 6S", 10},
                             // nothing at all is a Nil
                             BidCase{"2C 3C 4C 5C 6C 7C 8C 9C TC JC QC 2D 3D", 0},
                             // ten low spades add nothing; nine add two; one adds one
                             BidCase{"2S 3S 4S 5S 6S 7S 8S 9S TS JS AS KS QS", 3},
                             BidCase{"2S 3S 4S 5S 6S 7S 8S 9S TS 2C 3C 4C 5C", 2},
                             BidCase{"JS 2C 3C 4C 5C 6C 7C 8C 9C TC JC QC 2D", 1},
                             BidCase{"2S 3S 4S 5S 2C 3C 4C 5C 6C 7C 8C 9C TC", 1},
                             // queens other than the spade queen are no honours
                             BidCase{"QC QD QH QS 2C 3C 4C 5C 6C 7C 8C 9C TC", 1}));

TEST(ComputerBidRange, SeatsOutsideTheTableBidNothing)
{
    Table table;
    deal(table.seats[1], "AC KC AD KD AS KS AH KH QS 2S 3S 4S 5S");
    EXPECT_EQ(computerbid(table.game, table.seats, 0), 0);
    EXPECT_EQ(computerbid(table.game, table.seats, 5), 0);
    EXPECT_EQ(computerbid(table.game, table.seats, 1), 10);
}

// One card decision: the seat's hand and what lies on the table.
struct PlayCase
{
    const char *name;
    const char *hand;
    const char *led = "";     // empty: the seat leads
    const char *winning = ""; // card now winning the trick
    int winner = kLeft;       // seat now winning the trick
    int partnerBid = 3;
    const char *partnerCard = ""; // partner's card on the table, if played
    bool spadesBroken = false;
    const char *acesGone = ""; // suits whose ace has been played, e.g. "CH"
    int ownBid = 3;
    int ownTricks = 0;
    int partnerTricks = 0;
    const char *expected = "";
    const char *alert = "";
};

void PrintTo(const PlayCase &c, std::ostream *os)
{
    *os << c.name;
}

class ComputerPlay : public ::testing::TestWithParam<PlayCase>
{
};

TEST_P(ComputerPlay, ChoosesTheCard)
{
    const PlayCase &c = GetParam();
    Table table;
    deal(table.seats[kMe], c.hand);
    table.seats[kMe].bid = c.ownBid;
    table.seats[kMe].tricks = c.ownTricks;
    table.seats[kPartner].bid = c.partnerBid;
    table.seats[kPartner].tricks = c.partnerTricks;
    if (*c.partnerCard)
        table.seats[kPartner].tablecard = card(c.partnerCard);
    table.game.spadesbroken = c.spadesBroken;
    for (const char *suit = c.acesGone; *suit; ++suit)
        table.game.aceplayed[std::string("CDSH").find(*suit) + 1] = true;
    if (*c.led) {
        table.game.ledcard = card(c.led);
        table.game.winningcard = card(c.winning);
        table.game.winningseat = c.winner;
    }

    const ComputerCard chosen = computerplay(table.game, table.seats, kMe);
    const int played = chosen.played() ? table.seats[kMe].hand[chosen.handPosition] : 0;
    EXPECT_EQ(cardtext::name(played), std::string(*c.expected ? c.expected : "--"));
    if (*c.alert)
        EXPECT_EQ(chosen.alerts, QList<QByteArray>{QByteArray(c.alert)});
    else
        EXPECT_TRUE(chosen.alerts.isEmpty()) << chosen.alerts.value(0).constData();
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(PartnerWinning, ComputerPlay, ::testing::Values(
    PlayCase{.name = "JackIsOvertakenByTheQueen", .hand = "QH 3H 5C", .led = "4H", .winning = "JH",
             .winner = kPartner, .expected = "QH"},
    PlayCase{.name = "JackIsOvertakenFromTheTop", .hand = "KH QH 3H", .led = "4H", .winning = "JH",
             .winner = kPartner, .expected = "KH"},
    PlayCase{.name = "QueenIsTrusted", .hand = "KH 3H 5C", .led = "4H", .winning = "QH",
             .winner = kPartner, .expected = "3H"},
    PlayCase{.name = "AceIsTrusted", .hand = "KH 3H", .led = "4H", .winning = "AH",
             .winner = kPartner, .expected = "3H"},
    PlayCase{.name = "LowTrumpCountsAsLow", .hand = "QH 3H", .led = "4H", .winning = "5S",
             .winner = kPartner, .expected = "QH"},
    PlayCase{.name = "VoidDiscardsClubBeforeSpade", .hand = "2C 2S", .led = "4H", .winning = "KH",
             .winner = kPartner, .expected = "2C"},
    PlayCase{.name = "VoidDiscardsLowestRankAcrossSuits", .hand = "9C 4D 2S", .led = "4H",
             .winning = "JH", .winner = kPartner, .expected = "4D"},
    PlayCase{.name = "OnlySpadesPlaysTheLowest", .hand = "9S 5S", .led = "4H", .winning = "KH",
             .winner = kPartner, .expected = "5S"},
    PlayCase{.name = "EmptyHandAlerts", .hand = "", .led = "4H", .winning = "KH",
             .winner = kPartner, .alert = "Error playing following suit low card - teamie win."}));

INSTANTIATE_TEST_SUITE_P(OpponentWinning, ComputerPlay, ::testing::Values(
    PlayCase{.name = "AceOfTheLedSuit", .hand = "4D 9D AD", .led = "5D", .winning = "QD",
             .expected = "AD"},
    PlayCase{.name = "KingAfterTheAceHasGone", .hand = "4D KD", .led = "5D", .winning = "QD",
             .acesGone = "D", .expected = "KD"},
    PlayCase{.name = "KingHeldBackWhileTheAceIsOut", .hand = "4D KD", .led = "5D",
             .winning = "QD", .expected = "4D"},
    PlayCase{.name = "KingAgainstALowTrump", .hand = "4D KD", .led = "5D", .winning = "3S",
             .acesGone = "D", .expected = "KD"},
    PlayCase{.name = "KingHeldBackAgainstAnAce", .hand = "4D KD", .led = "5D", .winning = "AS",
             .acesGone = "D", .expected = "4D"},
    PlayCase{.name = "NoOvertrumpAgainstASideSuit", .hand = "TS 3H", .led = "5D",
             .winning = "QD", .expected = "3H"},
    PlayCase{.name = "LowestTrumpOvertrumps", .hand = "TS 3H 7S", .led = "5D", .winning = "5S",
             .expected = "7S"},
    PlayCase{.name = "NoOvertrumpDiscardsLow", .hand = "TS 3H", .led = "5D", .winning = "KS",
             .expected = "3H"},
    PlayCase{.name = "LowSpadeRuffsWhenItIsLowest", .hand = "2S 3H", .led = "5D",
             .winning = "QD", .expected = "2S"},
    PlayCase{.name = "AcesOnlyShortOfTricksTrumps", .hand = "AC AS AH", .led = "5D",
             .winning = "QD", .ownBid = 2, .expected = "AS"},
    PlayCase{.name = "AcesOnlyContractMadeDiscards", .hand = "AS AH", .led = "5D",
             .winning = "QD", .ownBid = 1, .ownTricks = 1, .partnerTricks = 3, .expected = "AH"},
    PlayCase{.name = "AcesOnlyOtherwiseFirstCard", .hand = "AS AH", .led = "5D",
             .winning = "QD", .ownBid = 1, .ownTricks = 1, .expected = "AS"}));

INSTANTIATE_TEST_SUITE_P(Leading, ComputerPlay, ::testing::Values(
    PlayCase{.name = "CashesASideAce", .hand = "KS 4H 7H AC", .expected = "AC"},
    PlayCase{.name = "NeverCashesTheSpadeAce", .hand = "AS KH 3H 5H", .expected = "3H"},
    PlayCase{.name = "CashesAKingOnceItsAceHasGone", .hand = "AS KH 3H 5H", .acesGone = "H",
             .expected = "KH"},
    PlayCase{.name = "ClubKingWaitsForItsAce", .hand = "3C KC 5H", .expected = "3C"},
    PlayCase{.name = "SpadesSkippedWhileUnbroken", .hand = "3S 5H", .expected = "5H"},
    PlayCase{.name = "SpadesInOrderOnceBroken", .hand = "3S 5H", .spadesBroken = true,
             .expected = "3S"},
    PlayCase{.name = "NothingButSpades", .hand = "9S 4S", .expected = "4S"},
    PlayCase{.name = "OwnNilPlaysTheOrdinaryLead", .hand = "9S 4H KD", .ownBid = 0,
             .expected = "KD"},
    PlayCase{.name = "EmptyHandAlerts", .hand = "", .alert = "not supposed to be here"}));

INSTANTIATE_TEST_SUITE_P(NilPartner, ComputerPlay, ::testing::Values(
    PlayCase{.name = "LeadsHighestSpadeWhenOnlySpades", .hand = "4S KS 9S", .partnerBid = 0,
             .expected = "KS"},
    PlayCase{.name = "LeadsHighestSideCardWhileUnbroken", .hand = "AS 2C 9H", .partnerBid = 0,
             .expected = "9H"},
    PlayCase{.name = "LeadsTheSpadeAceOnceBroken", .hand = "AS 2C 9H", .partnerBid = 0,
             .spadesBroken = true, .expected = "AS"},
    PlayCase{.name = "EqualRanksLeadTheLowerSuit", .hand = "KH KC 3D", .partnerBid = 0,
             .expected = "KC"},
    PlayCase{.name = "EmptyHandAlertsOnTheLead", .hand = "", .partnerBid = 0,
             .alert = "Error leading nil card"},
    PlayCase{.name = "HighBeforeThePartnerPlays", .hand = "3H 8H QH", .led = "5H",
             .winning = "5H", .partnerBid = 0, .expected = "QH"},
    PlayCase{.name = "LowAfterThePartnerPlayed", .hand = "3H 8H QH", .led = "5H",
             .winning = "9H", .partnerBid = 0, .partnerCard = "2H", .expected = "3H"},
    PlayCase{.name = "VoidTrumpsWhileThePartnerWaits", .hand = "2C 9S 4S", .led = "5H",
             .winning = "9H", .partnerBid = 0, .expected = "4S"},
    PlayCase{.name = "VoidNoSpadeDiscardsLowNonAce", .hand = "AC 7D 5C", .led = "5H",
             .winning = "9H", .partnerBid = 0, .expected = "5C"},
    PlayCase{.name = "OnlyAcesFallsBackToTheFirstCard", .hand = "AC AD", .led = "5H",
             .winning = "9H", .partnerBid = 0, .expected = "AC"},
    PlayCase{.name = "TakesTheTrickOffThePartner", .hand = "3H TH KH", .led = "5H",
             .winning = "9H", .winner = kPartner, .partnerBid = 0, .partnerCard = "9H",
             .expected = "TH"},
    PlayCase{.name = "CannotBeatThePartnerGoesLow", .hand = "3H 5H", .led = "2H",
             .winning = "9H", .winner = kPartner, .partnerBid = 0, .partnerCard = "9H",
             .expected = "3H"},
    PlayCase{.name = "VoidTrumpsThePartner", .hand = "2C 9S 4S", .led = "2H", .winning = "9H",
             .winner = kPartner, .partnerBid = 0, .partnerCard = "9H", .expected = "4S"},
    PlayCase{.name = "VoidNoSpadeDiscardsLow", .hand = "AD 2C", .led = "2H", .winning = "9H",
             .winner = kPartner, .partnerBid = 0, .partnerCard = "9H", .expected = "2C"},
    PlayCase{.name = "OnlyAcesAlertsThenPlaysTheFirst", .hand = "AD AC", .led = "2H",
             .winning = "9H", .winner = kPartner, .partnerBid = 0, .partnerCard = "9H",
             .expected = "AC", .alert = "Error playing following suit nil card."}));
// clang-format on

TEST(ComputerPlaySlots, PlayedSlotsAreSkippedAndSlotNumbersKept)
{
    Table table;
    // Slots 1..13 as dealt, with slots 1, 2 and 5 already played.
    const int dealt[] = {0,          0,          0,          card("7C"), card("9C"),
                         0,          card("4D"), card("9D"), card("2S"), card("5S"),
                         card("3H"), card("8H"), card("QH"), card("KH")};
    for (int slot = 1; slot <= cards::kHandSize; ++slot)
        table.seats[kMe].hand[slot] = dealt[slot];
    EXPECT_EQ(computerplay(table.game, table.seats, kMe).handPosition, 3); // lowest club

    table.game.ledcard = card("2H");
    table.game.winningcard = card("KH");
    table.game.winningseat = kLeft;
    EXPECT_EQ(computerplay(table.game, table.seats, kMe).handPosition, 10); // lowest heart

    EXPECT_EQ(computerplay(table.game, table.seats, 0).handPosition, 0);
    EXPECT_EQ(computerplay(table.game, table.seats, 5).handPosition, 0);
}

TEST(ComputerPlaySlots, RankOrderHelpers)
{
    using namespace computerhand;
    EXPECT_EQ(rankIndex(card("2C")), 1);
    EXPECT_EQ(rankIndex(card("JD")), 10);
    EXPECT_EQ(rankIndex(card("KS")), 12);
    EXPECT_EQ(rankIndex(card("AH")), 0);
    EXPECT_EQ(rankValue(card("AH")), 13);
    EXPECT_EQ(rankValue(card("2H")), 1);
    EXPECT_EQ(suitCards(cards::kSpades), ((CardSet(1) << 13) - 1) << 27);
    EXPECT_EQ(suitCards(0), 0u);
    EXPECT_EQ(above(card("QS")) & kSpades, cardBit(card("KS")) | cardBit(card("AS")));
    EXPECT_EQ(below(card("3S")) & kSpades, cardBit(card("2S")));
    EXPECT_EQ(below(card("2C")), 0u);

    SeatRecord seat;
    EXPECT_FALSE(haveothersuit(seat));
    deal(seat, "5C 5H 2D AS");
    EXPECT_TRUE(haveothersuit(seat));
    const CardSet hand = held(seat);
    EXPECT_EQ(first(hand), card("5C"));
    EXPECT_EQ(firstScanningDown(hand), card("5H"));
    // Ties go to the first in hand order, both for the lowest and the highest rank.
    EXPECT_EQ(highestRank(hand & ~kSpades), card("5C"));
    EXPECT_EQ(lowestRank(hand), card("2D"));
    EXPECT_EQ(highestRank(hand), card("AS"));
    EXPECT_EQ(lowestRank(0), 0);
    EXPECT_EQ(first(0), 0);
    EXPECT_EQ(firstScanningDown(0), 0);
}

} // namespace
