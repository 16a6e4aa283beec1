#include "protocol/cards.h"

int SeatRecord::cardsLeft() const
{
    // Counted at every card offered and every seat asked to play, so spelled out
    // for the compiler rather than looped.
    static_assert(cards::kHandSize == 13);
    return (hand[1] != 0) + (hand[2] != 0) + (hand[3] != 0) + (hand[4] != 0) + (hand[5] != 0) +
           (hand[6] != 0) + (hand[7] != 0) + (hand[8] != 0) + (hand[9] != 0) + (hand[10] != 0) +
           (hand[11] != 0) + (hand[12] != 0) + (hand[13] != 0);
}
