#include "host/computerplayer.h"
#include "host/computerrules.h"

using namespace computerhand;

namespace {

// Every ace and king, and the queen of spades.
constexpr CardSet kHonours =
    kAces | cardBit(12) | cardBit(25) | cardBit(38) | cardBit(51) | cardBit(37);
// The spades from the two to the jack.
constexpr CardSet kLowSpades = kSpades & below(37);

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
    const CardSet hand = held(seats[seat]);
    return std::popcount(hand & kHonours) + lowSpadeAllowance(std::popcount(hand & kLowSpades));
}
