#pragma once

#include "protocol/cards.h"

#include <array>
#include <cstdint>

// The deck's random source: a 32-bit linear congruential generator whose
// draw from n values is the high half of the 64-bit product seed * n.
class Lcg
{
public:
    explicit Lcg(std::uint32_t seed = 0) : m_seed(seed) {}

    // A value from 0 to n - 1.
    std::uint32_t draw(std::uint32_t n)
    {
        m_seed = m_seed * 134775813u + 1u;
        return static_cast<std::uint32_t>((std::uint64_t(m_seed) * n) >> 32);
    }
    std::uint32_t seed() const { return m_seed; }

    // Milliseconds since midnight (UTC) of the given time since the epoch.
    static std::uint32_t timeOfDaySeed(std::int64_t msecsSinceEpoch);
    // The seed of a running program: the time of day now, counted in UTC so
    // that it does not depend on where the host sits.
    static std::uint32_t clockSeed();

private:
    std::uint32_t m_seed;
};

// Fills deck positions 1..52: each card 1..52 in turn goes to a position
// drawn uniformly, drawing again while that position is taken.
void shufflecards(std::array<int, cards::kDeckSize + 1> &deck, Lcg &random);
