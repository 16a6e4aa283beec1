#pragma once

#include "host/playrules.h"
#include "host/seatknowledge.h"

#include <array>
#include <bit>
#include <cstdint>

// The expert player's simulator: a whole table with every hand filled in (the
// unseen ones by sampling), played to the end of the hand by a quick policy
// for all four seats. Seats are 0..3 here (table seat - 1), so the partner of
// seat i is i ^ 2 and its team i & 1. Nothing in here allocates.
namespace expert {

constexpr CardSet bit(int card)
{
    return CardSet(1) << card;
}
constexpr CardSet suitMask(int suit)
{
    return ((CardSet(1) << 13) - 1) << ((suit - 1) * 13 + 1);
}
constexpr CardSet kSpadeMask = suitMask(cards::kSpades);
constexpr CardSet kDeck = ((CardSet(1) << 52) - 1) << 1;
constexpr CardSet above(int card)
{
    return ~CardSet(0) << (card + 1);
}
constexpr int lowest(CardSet set)
{
    return std::countr_zero(set);
}
constexpr int highest(CardSet set)
{
    return 63 - std::countl_zero(set);
}
constexpr int suitOf(int card)
{
    return (card - 1) / 13 + 1;
}

// A small, fast generator for the sampling; seeded per decision.
class Rng
{
public:
    explicit Rng(std::uint64_t seed) : m_state(seed) {}
    std::uint64_t next()
    {
        // splitmix64
        std::uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // 0 .. n - 1
    std::uint32_t below(std::uint32_t n) { return std::uint32_t(((next() >> 32) * n) >> 32); }

private:
    std::uint64_t m_state;
};

// The cards that beat `winning` in a trick led in `ledSuit`.
constexpr CardSet beating(int winning, int ledSuit)
{
    if (suitOf(winning) == cards::kSpades)
        return kSpadeMask & above(winning);
    return (suitMask(ledSuit) & above(winning)) | kSpadeMask;
}

struct SimTable
{
    std::array<CardSet, 4> hand{};
    std::array<int, 4> tricks{};
    std::array<int, 4> bid{};    // tricks bid; 0 with a Nil
    std::array<bool, 4> nil{};   // Nil or Blind Nil
    std::array<bool, 4> blind{}; // Blind Nil
    int leader = 0;
    int count = 0; // cards on the open trick
    int ledSuit = 0;
    int winSeat = 0;
    int winCard = 0;
    std::array<int, 4> trick{}; // card by seat on the open trick
    bool spadesBroken = false;

    int toPlay() const { return (leader + count) & 3; }
    bool over() const { return (hand[0] | hand[1] | hand[2] | hand[3]) == 0 && count == 0; }

    void play(int seat, int card)
    {
        hand[seat] &= ~bit(card);
        trick[seat] = card;
        const int suit = suitOf(card);
        spadesBroken |= suit == cards::kSpades;
        if (count == 0) {
            ledSuit = suit;
            winSeat = seat;
            winCard = card;
        } else if (beating(winCard, ledSuit) & bit(card)) {
            winSeat = seat;
            winCard = card;
        }
        if (++count == 4) {
            ++tricks[winSeat];
            leader = winSeat;
            count = 0;
            ledSuit = 0;
            trick = {};
        }
    }
};

// The card the quick policy plays for `seat` at its turn.
int policyCard(const SimTable &table, int seat);

// Plays the hand to its end with the quick policy.
void rollout(SimTable &table);

// How a finished hand is worth to one team, in points: its score for the hand
// less the other team's, each side's bags charged at `bagCost` points apiece
// on top of the penalty when they roll over.
struct HandValue
{
    int team = 0;              // 0 for seats 1 and 3, 1 for seats 2 and 4
    std::array<int, 2> bags{}; // before the hand
    bool sandbag = true;
    int bagCost = 5;

    int teamTotal(const SimTable &table, int which) const;
    int operator()(const SimTable &table) const
    {
        return teamTotal(table, team) - teamTotal(table, team ^ 1);
    }
};

// A bid judged from the cards alone, used for seats whose bid is still to come.
int quickBid(CardSet hand);

} // namespace expert
