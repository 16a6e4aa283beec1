#include "host/computerplayer.h"

namespace {

bool isHonour(int card)
{
    // Every ace and king, and the queen of spades.
    const int rank = cards::rank(card);
    return rank >= 13 || card == cards::aceOf(cards::kSpades) - 2;
}

bool isLowSpade(int card)
{
    return getsuit(card) == cards::kSpades && cards::rank(card) <= 11;
}

int lowSpadeAllowance(int lowSpades)
{
    if (lowSpades >= 1 && lowSpades <= 4)
        return 1;
    if (lowSpades >= 5 && lowSpades <= 9)
        return 2;
    return 0;
}

} // namespace

int computerbid(const GameState &, const SeatTable &seats, int seat)
{
    if (!cards::isSeat(seat))
        return 0;
    int honours = 0;
    int lowSpades = 0;
    for (int slot = 1; slot <= cards::kHandSize; ++slot) {
        const int card = seats[seat].hand[slot];
        if (!cards::isCard(card))
            continue;
        if (isHonour(card))
            ++honours;
        else if (isLowSpade(card))
            ++lowSpades;
    }
    return honours + lowSpadeAllowance(lowSpades);
}
