#pragma once

#include "protocol/cards.h"

#include <array>

// One hand's score for both partnerships (index 1 = seats 1 and 3, 2 = seats
// 2 and 4; index 0 unused), together with the running totals after the hand.
struct HandScore
{
    std::array<int, 3> tricks{};
    std::array<int, 3> contract{};  // +-10 x the partnership's bid
    std::array<int, 3> teambags{};  // after this hand
    std::array<int, 3> bagsadded{}; // bags taken this hand
    std::array<int, 3> penalty{};   // -100 when the bags rolled over
    std::array<int, 3> handtotal{};
    std::array<int, 3> teamscore{}; // after this hand
    std::array<int, 3> nilscore{};  // +-100 per Nil, +-200 per Blind Nil

    // The sixteen values of CMD_postscores, in their order.
    void postscores(std::array<int, 16> &values) const;
};

// Scores the hand in the seats' bids and tricks against the running totals in
// `game`; changes nothing.
HandScore scoreHand(const GameState &game, const SeatTable &seats);

// The team that has won: a score at or over the target and higher than the
// other; 0 while nobody has (equal scores play on).
int winningTeam(const GameState &game);
