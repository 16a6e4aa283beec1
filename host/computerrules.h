#pragma once

#include "host/computerplayer.h"

// The rules behind a computer seat's card. Each routine looks at one seat's hand
// and answers with the slot to play (0 when it finds none) and any alerts.

// One decision: whose card, and the table it is chosen against.
struct ComputerTurn
{
    const GameState &game;
    const SeatTable &seats;
    int seat = 0;    // 1..4
    int partner = 0; // 1..4

    ComputerTurn(const GameState &state, const SeatTable &table, int forSeat);

    const SeatRecord &self() const { return seats[seat]; }
    const SeatRecord &partnerRecord() const { return seats[partner]; }
    int ledSuit() const { return getsuit(game.ledcard); }
};

namespace computerhand {

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

// First qualifying slot in hand order (slot 1 upwards), 0 when none.
template <typename Pred> int firstSlot(const SeatRecord &rec, Pred wanted)
{
    for (int slot = 1; slot <= cards::kHandSize; ++slot) {
        const int card = rec.hand[slot];
        if (cards::isCard(card) && wanted(card))
            return slot;
    }
    return 0;
}

// First qualifying slot scanning down (slot 13 to 1), 0 when none.
template <typename Pred> int firstSlotScanningDown(const SeatRecord &rec, Pred wanted)
{
    for (int slot = cards::kHandSize; slot >= 1; --slot) {
        const int card = rec.hand[slot];
        if (cards::isCard(card) && wanted(card))
            return slot;
    }
    return 0;
}

// Qualifying slot with the smallest rank value; ties keep the earlier slot.
template <typename Pred> int lowestRankSlot(const SeatRecord &rec, Pred wanted)
{
    int best = 0;
    int bestValue = 0;
    for (int slot = 1; slot <= cards::kHandSize; ++slot) {
        const int card = rec.hand[slot];
        if (!cards::isCard(card) || !wanted(card))
            continue;
        if (best == 0 || rankValue(card) < bestValue) {
            best = slot;
            bestValue = rankValue(card);
        }
    }
    return best;
}

// Qualifying slot with the largest rank value; ties keep the earlier slot.
template <typename Pred> int highestRankSlot(const SeatRecord &rec, Pred wanted)
{
    int best = 0;
    int bestValue = 0;
    for (int slot = 1; slot <= cards::kHandSize; ++slot) {
        const int card = rec.hand[slot];
        if (!cards::isCard(card) || !wanted(card))
            continue;
        if (best == 0 || rankValue(card) > bestValue) {
            best = slot;
            bestValue = rankValue(card);
        }
    }
    return best;
}

inline bool anyCard(int)
{
    return true;
}

} // namespace computerhand

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
