#pragma once

#include "host/expertsim.h"

#include <array>
#include <cstdint>

namespace expert {

// Deals the cards one seat cannot see among the other three: each gets as
// many as it holds, and none of a suit it has shown out of. Every deal the
// table's history allows can come out; which one is up to the generator.
class DealSampler
{
public:
    // `me` is the seat (0..3) whose cards are known; `unseen` the cards to
    // deal; `need` how many each seat is to get (me's entry is ignored) and
    // `voids` the suits (bit suit-1) each has shown out of.
    DealSampler(int me, CardSet unseen, const std::array<int, 4> &need,
                const std::array<std::uint8_t, 4> &voids);

    // Fills the other three hands of `table`.
    void deal(SimTable &table, Rng &rng) const;

private:
    bool feasible(const std::array<int, 3> &room, const std::array<int, 4> &left) const;

    std::array<int, 3> m_seat{};              // the other three seats
    std::array<int, 3> m_need{};              // cards each is to get
    std::array<std::uint8_t, 4> m_eligible{}; // by suit - 1: bit i when m_seat[i] may hold it
    std::array<int, 4> m_suitCount{};         // unseen cards by suit - 1
    std::array<std::uint8_t, 52> m_cards{};
    int m_count = 0;
    // The sets of seats (bits of m_seat) that some suit is confined to, each
    // with those suits (bits suit - 1): the only limits a deal must keep to.
    std::array<std::uint8_t, 6> m_limitSeats{};
    std::array<std::uint8_t, 6> m_limitSuits{};
    int m_limits = 0;
    bool m_free = true; // no shown void limits the deal
};

// Deals a whole shuffled deck, thirteen cards to each of the four hands.
void dealWhole(SimTable &table, Rng &rng);

} // namespace expert
