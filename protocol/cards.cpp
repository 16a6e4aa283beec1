#include "protocol/cards.h"

int SeatRecord::cardsLeft() const
{
    int left = 0;
    for (int slot = 1; slot <= cards::kHandSize; ++slot)
        left += hand[slot] != 0 ? 1 : 0;
    return left;
}
