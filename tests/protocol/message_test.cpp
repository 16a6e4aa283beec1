#include "protocol/cards.h"

#include <gtest/gtest.h>

TEST(Cards, SuitsRanksSeatsAndTeams)
{
    EXPECT_EQ(getsuit(0), 1);
    EXPECT_EQ(getsuit(53), 1);
    EXPECT_EQ(getsuit(-7), 1);
    EXPECT_EQ(getsuit(13), 1);
    EXPECT_EQ(getsuit(14), 2);
    EXPECT_EQ(getsuit(27), 3);
    EXPECT_EQ(getsuit(39), 3);
    EXPECT_EQ(getsuit(40), 4);
    EXPECT_EQ(getsuit(52), 4);
    EXPECT_EQ(cards::rank(1), 2);
    EXPECT_EQ(cards::rank(13), 14);
    EXPECT_EQ(cards::rank(39), 14);
    EXPECT_EQ(cards::nextSeat(4), 1);
    EXPECT_EQ(cards::nextSeat(1), 2);
    EXPECT_EQ(cards::partnerOf(1), 3);
    EXPECT_EQ(cards::partnerOf(2), 4);
    EXPECT_EQ(cards::partnerOf(3), 1);
    EXPECT_EQ(cards::partnerOf(4), 2);
    EXPECT_EQ(cards::teamOf(3), 1);
    EXPECT_EQ(cards::teamOf(4), 2);
}
