#pragma once

#include "host/computerplayer.h"

#include <array>
#include <bit>
#include <cstdint>

// The rules behind a computer seat's card. Each routine looks at one seat's hand
// and answers with the slot to play (0 when it finds none) and any alerts.
//
// A hand is a set of card numbers here: bit c of a CardSet stands for card c.
// Dealt hands are sorted and slots keep their numbers, so hand order (slot 1
// upwards) is ascending card order: the first qualifying card in hand order is
// the lowest card of the set, and scanning down finds the highest.
using CardSet = std::uint64_t;

namespace computerhand {

constexpr CardSet cardBit(int card)
{
    return CardSet(1) << card;
}

// All cards of one suit: bits (suit - 1) * 13 + 1 .. suit * 13.
constexpr CardSet suitCards(int suit)
{
    return suit >= cards::kClubs && suit <= cards::kHearts
               ? ((CardSet(1) << 13) - 1) << ((suit - 1) * 13 + 1)
               : 0;
}
constexpr CardSet kSpades = suitCards(cards::kSpades);
constexpr CardSet kAces = cardBit(13) | cardBit(26) | cardBit(39) | cardBit(52);
// Cards numbered above (or below) the given card, whatever their suit.
constexpr CardSet above(int card)
{
    return card >= 63 ? 0 : ~CardSet(0) << (card + 1);
}
constexpr CardSet below(int card)
{
    return card <= 0 ? 0 : (CardSet(1) << card) - 2;
}

// Rank index: the two is 1 ... the king 12, the ace 0.
constexpr int rankIndex(int card)
{
    return card % 13;
}
// Rank value: the rank index with the ace counted as 13, comparable across suits.
constexpr int rankValue(int card)
{
    return card % 13 == 0 ? 13 : card % 13;
}
constexpr bool isSpade(int card)
{
    return getsuit(card) == cards::kSpades;
}
constexpr bool isAce(int card)
{
    return rankIndex(card) == 0;
}

// First card in hand order, 0 when the set is empty.
constexpr int first(CardSet set)
{
    return set == 0 ? 0 : std::countr_zero(set);
}
// First card scanning down, 0 when the set is empty.
constexpr int firstScanningDown(CardSet set)
{
    return set == 0 ? 0 : 63 - std::countl_zero(set);
}

// The card of smallest rank value; of equal ranks the first in hand order.
constexpr int lowestRank(CardSet set)
{
    int best = 0;
    for (; set != 0; set &= set - 1) {
        const int card = std::countr_zero(set);
        if (best == 0 || rankValue(card) < rankValue(best))
            best = card;
    }
    return best;
}

// The card of largest rank value; of equal ranks the first in hand order.
constexpr int highestRank(CardSet set)
{
    int best = 0;
    for (; set != 0; set &= set - 1) {
        const int card = std::countr_zero(set);
        if (best == 0 || rankValue(card) > rankValue(best))
            best = card;
    }
    return best;
}

// The cards in a seat's hand.
CardSet held(const SeatRecord &seat);

} // namespace computerhand

// One decision: whose card, and the table it is chosen against.
struct ComputerTurn
{
    const GameState &game;
    const SeatTable &seats;
    int seat = 0;    // 1..4
    int partner = 0; // 1..4
    CardSet hand = 0;
    std::array<std::uint8_t, 64> slotOf{}; // by card number, for the cards in `hand`

    ComputerTurn(const GameState &state, const SeatTable &table, int forSeat);

    const SeatRecord &self() const { return seats[seat]; }
    const SeatRecord &partnerRecord() const { return seats[partner]; }
    int ledSuit() const { return getsuit(game.ledcard); }
    CardSet ledSuitCards() const { return hand & computerhand::suitCards(ledSuit()); }

    // The answer that plays `card` from its slot (nothing when card is 0).
    ComputerCard play(int card) const;
};

// True when the seat holds a card that is not a spade.
bool haveothersuit(const SeatRecord &seat);

ComputerCard computerleadcard(const ComputerTurn &turn);
ComputerCard computerleadcardnil(const ComputerTurn &turn);

ComputerCard computerfindfollow(const ComputerTurn &turn);
ComputerCard computerfindfollownil(const ComputerTurn &turn);
ComputerCard followsuitteamiewin(const ComputerTurn &turn);
ComputerCard followsuitteamienowin(const ComputerTurn &turn);
ComputerCard followsuitteamiewinnil(const ComputerTurn &turn);
ComputerCard followsuitteamienowinnil(const ComputerTurn &turn);

// Last resort after a follow that found nothing (void and holding only aces).
ComputerCard computerjustplay(const ComputerTurn &turn);
