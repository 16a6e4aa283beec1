#pragma once

#include "protocol/cards.h"

#include <cstdint>

// A set of cards: bit c stands for card c (1..52).
using CardSet = std::uint64_t;

// Which cards a seat may put on the trick. The host referees every card by
// this rule, the expert player chooses among the cards it allows, and a table
// uses it to show the player the cards it may play, so none of them can tell
// another story.
namespace playrules {

constexpr CardSet suitCards(int suit)
{
    return suit >= cards::kClubs && suit <= cards::kHearts
               ? ((CardSet(1) << 13) - 1) << ((suit - 1) * 13 + 1)
               : 0;
}

// The cards of `hand` that may be played now. `ledSuit` is the suit of the
// card that led the open trick, 0 when this card leads it. A follower keeps
// to the led suit while it holds one; a leader keeps off spades until they
// are broken, unless it holds nothing else.
constexpr CardSet playable(CardSet hand, int ledSuit, bool spadesBroken)
{
    if (ledSuit != 0) {
        const CardSet follow = hand & suitCards(ledSuit);
        return follow != 0 ? follow : hand;
    }
    const CardSet others = hand & ~suitCards(cards::kSpades);
    return spadesBroken || others == 0 ? hand : others;
}

constexpr bool mayPlay(CardSet hand, int card, int ledSuit, bool spadesBroken)
{
    return cards::isCard(card) && (playable(hand, ledSuit, spadesBroken) >> card & 1) != 0;
}

} // namespace playrules
