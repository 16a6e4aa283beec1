#include "host/expertdeal.h"

#include <utility>

namespace expert {

DealSampler::DealSampler(int me, CardSet unseen, const std::array<int, 4> &need,
                         const std::array<std::uint8_t, 4> &voids)
{
    for (int i = 0, s = 0; s < 4; ++s) {
        if (s == me)
            continue;
        m_seat[i] = s;
        m_need[i] = need[s] > 0 ? need[s] : 0;
        ++i;
    }
    for (CardSet rest = unseen & kDeck; rest != 0; rest &= rest - 1) {
        const int card = lowest(rest);
        m_cards[m_count++] = std::uint8_t(card);
        ++m_suitCount[suitOf(card) - 1];
    }
    for (int suit = 0; suit < 4; ++suit) {
        for (int i = 0; i < 3; ++i) {
            if ((voids[m_seat[i]] >> suit & 1) == 0)
                m_eligible[suit] |= std::uint8_t(1u << i);
            else if (m_suitCount[suit] > 0)
                m_free = false;
        }
    }
    for (unsigned seats = 1; seats < 7; ++seats) {
        std::uint8_t suits = 0;
        for (int suit = 0; suit < 4; ++suit) {
            if ((m_eligible[suit] & ~seats) == 0)
                suits |= std::uint8_t(1u << suit);
        }
        if (suits != 0) {
            m_limitSeats[m_limits] = std::uint8_t(seats);
            m_limitSuits[m_limits] = suits;
            ++m_limits;
        }
    }
    // Counts that do not add up, or shown voids no deal can honour, come only
    // from a history that does not fit the hand; deal by counts alone then.
    bool unplaceable = false;
    for (int suit = 0; suit < 4; ++suit)
        unplaceable |= m_suitCount[suit] > 0 && m_eligible[suit] == 0;
    if (m_need[0] + m_need[1] + m_need[2] != m_count || unplaceable ||
        !feasible(m_need, m_suitCount)) {
        m_free = true;
        m_eligible.fill(7);
        m_limits = 0;
    }
}

bool DealSampler::feasible(const std::array<int, 3> &room, const std::array<int, 4> &left) const
{
    // Hall's condition: the cards that only some set of seats may take must fit
    // in those seats' room. All seats together always have room for all cards.
    for (int i = 0; i < m_limits; ++i) {
        int demand = 0;
        for (int suit = 0; suit < 4; ++suit)
            demand += (m_limitSuits[i] >> suit & 1) ? left[suit] : 0;
        int space = 0;
        for (int seat = 0; seat < 3; ++seat)
            space += (m_limitSeats[i] >> seat & 1) ? room[seat] : 0;
        if (demand > space)
            return false;
    }
    return true;
}

void DealSampler::deal(SimTable &table, Rng &rng) const
{
    std::array<std::uint8_t, 52> order = m_cards;
    const int n = m_count;
    for (int i = 0; i < 3; ++i)
        table.hand[m_seat[i]] = 0;

    if (m_free) {
        // A shuffle cut into the three hands.
        int at = 0;
        for (int i = 0; i < 3; ++i) {
            CardSet got = 0;
            for (int k = 0; k < m_need[i] && at < n; ++k, ++at) {
                const int j = at + int(rng.below(std::uint32_t(n - at)));
                std::swap(order[at], order[j]);
                got |= bit(order[at]);
            }
            table.hand[m_seat[i]] = got;
        }
        return;
    }

    // Card by card in random order, each to a seat with room chosen in
    // proportion to its room (which is a plain shuffle when nobody is void),
    // never to a seat whose choice would leave the rest undealable.
    std::array<int, 3> room = m_need;
    std::array<int, 4> left = m_suitCount;
    for (int at = 0; at < n; ++at) {
        const int j = at + int(rng.below(std::uint32_t(n - at)));
        std::swap(order[at], order[j]);
        const int card = order[at];
        const int suit = suitOf(card) - 1;
        --left[suit];
        unsigned allowed = m_eligible[suit];
        int chosen = -1;
        while (allowed != 0) {
            int total = 0;
            for (int i = 0; i < 3; ++i)
                total += (allowed >> i & 1) ? room[i] : 0;
            if (total == 0)
                break;
            int pick = int(rng.below(std::uint32_t(total)));
            int i = 0;
            for (; i < 3; ++i) {
                const int r = (allowed >> i & 1) ? room[i] : 0;
                if (pick < r)
                    break;
                pick -= r;
            }
            --room[i];
            if (feasible(room, left)) {
                chosen = i;
                break;
            }
            ++room[i];
            allowed &= ~(1u << i);
        }
        if (chosen < 0)
            return; // cannot happen from a feasible start
        table.hand[m_seat[chosen]] |= bit(card);
    }
}

void dealWhole(SimTable &table, Rng &rng)
{
    std::array<std::uint8_t, 52> order;
    for (int i = 0; i < 52; ++i)
        order[i] = std::uint8_t(i + 1);
    for (int s = 0; s < 4; ++s) {
        CardSet got = 0;
        for (int at = s * 13; at < s * 13 + 13; ++at) {
            const int j = at + int(rng.below(std::uint32_t(52 - at)));
            std::swap(order[at], order[j]);
            got |= bit(order[at]);
        }
        table.hand[s] = got;
    }
}

} // namespace expert
