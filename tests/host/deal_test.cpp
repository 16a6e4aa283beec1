// The deal hands position p of the deck to seat (p - 1) % 4 + 1 and sorts each hand.
#include "host_harness.h"

#include <gtest/gtest.h>

using namespace hosttest;

namespace {

std::array<std::array<int, 14>, 5> dealtRoundAndSorted(const TServer::Deck &deck)
{
    std::array<std::array<int, 14>, 5> hands{};
    for (int position = 1; position <= 52; ++position)
        hands[(position - 1) % 4 + 1][(position - 1) / 4 + 1] = deck[position];
    for (int seat = 1; seat <= 4; ++seat)
        std::sort(hands[seat].begin() + 1, hands[seat].end());
    return hands;
}

TEST(Deal, EveryShuffleIsDealtRoundTheTableAndSorted)
{
    for (std::uint32_t seed = 0; seed < 500; ++seed) {
        Host h(seed * 2654435761u);
        h.seat(1);
        h.start();
        const auto expected = dealtRoundAndSorted(h.game().deck);
        for (int seat = 1; seat <= 4; ++seat)
            ASSERT_EQ(h.seatRecord(seat).hand, expected[seat]) << "seed " << seed;
        ASSERT_TRUE(h.port.alerts.isEmpty());
    }
}

TEST(Deal, ADeckWithACardTwiceIsStillDealtAndTheMissingCardReported)
{
    Host h;
    h.seat(1);
    TServer::Deck deck = deckWith({});
    const int position = int(std::find(deck.begin() + 1, deck.end(), 7) - deck.begin());
    deck[position] = 9; // 9 twice, 7 never
    h.server.stackDeck(deck);
    h.start();
    const auto expected = dealtRoundAndSorted(deck);
    for (int seat = 1; seat <= 4; ++seat)
        EXPECT_EQ(h.seatRecord(seat).hand, expected[seat]);
    EXPECT_EQ(h.port.alerts, QList<QByteArray>{"7"});
    EXPECT_EQ(named(h.take(1), "CMD_mycards").size(), 1);
}

} // namespace
