#pragma once

// Cards are 1..52: clubs 1-13, diamonds 14-26, spades 27-39, hearts 40-52,
// each suit from the two up to the ace. 0 means "no card".
namespace cards {

constexpr int kClubs = 1;
constexpr int kDiamonds = 2;
constexpr int kSpades = 3;
constexpr int kHearts = 4;

constexpr int kTwoOfClubs = 1;
constexpr int kSeats = 4;
constexpr int kHandSize = 13;
constexpr int kDeckSize = 52;

constexpr bool isCard(int card)
{
    return card >= 1 && card <= kDeckSize;
}
constexpr bool isSeat(int seat)
{
    return seat >= 1 && seat <= kSeats;
}
constexpr bool isHandPosition(int slot)
{
    return slot >= 1 && slot <= kHandSize;
}

// Rank within the suit: 2..14, with 11..14 for jack, queen, king and ace.
constexpr int rank(int card)
{
    return ((card - 1) % 13) + 2;
}
constexpr int aceOf(int suit)
{
    return suit * 13;
}

// Seat after s in table order; after 4 comes 1.
constexpr int nextSeat(int seat)
{
    return seat >= kSeats ? 1 : seat + 1;
}
// Team 1 holds seats 1 and 3, team 2 seats 2 and 4.
constexpr int teamOf(int seat)
{
    return (seat % 2 == 1) ? 1 : 2;
}
constexpr int partnerOf(int seat)
{
    return ((seat + 1) % kSeats) + 1;
}

} // namespace cards

// Suit number 1..4 of a card; anything outside 1..52 (0 included) counts as clubs.
constexpr int getsuit(int card)
{
    // Computed rather than compared range by range: this runs for every card checked.
    return cards::isCard(card) ? (card - 1) / 13 + 1 : cards::kClubs;
}
