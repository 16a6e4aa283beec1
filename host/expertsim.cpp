#include "host/expertsim.h"

namespace expert {

namespace {

// The thirteen ranks of one suit as bits 0 (two) .. 12 (ace).
constexpr unsigned ranksIn(CardSet set, int suit)
{
    return unsigned(set >> ((suit - 1) * 13 + 1)) & 0x1FFFu;
}

constexpr int cardOf(int suit, int rank)
{
    return (suit - 1) * 13 + 1 + rank;
}

// The highest-ranking card of a set whatever its suit; spades win ties, as
// they are the ones that take tricks unasked, then the lower suit.
int topByRank(CardSet set)
{
    const unsigned spades = ranksIn(set, cards::kSpades);
    const unsigned clubs = ranksIn(set, cards::kClubs);
    const unsigned diamonds = ranksIn(set, cards::kDiamonds);
    const unsigned hearts = ranksIn(set, cards::kHearts);
    const unsigned all = spades | clubs | diamonds | hearts;
    if (all == 0)
        return 0;
    const int rank = 31 - std::countl_zero(all);
    for (int suit : {cards::kSpades, cards::kClubs, cards::kDiamonds}) {
        if (ranksIn(set, suit) >> rank & 1)
            return cardOf(suit, rank);
    }
    return cardOf(cards::kHearts, rank);
}

// The lowest-ranking card of a set, kept off spades while another card will
// do; of equal ranks the lower suit.
int lowByRank(CardSet set)
{
    const CardSet sides = set & ~kSpadeMask;
    if (sides == 0)
        return lowest(set);
    const unsigned clubs = ranksIn(sides, cards::kClubs);
    const unsigned diamonds = ranksIn(sides, cards::kDiamonds);
    const unsigned hearts = ranksIn(sides, cards::kHearts);
    const int rank = std::countr_zero(clubs | diamonds | hearts);
    if (clubs >> rank & 1)
        return cardOf(cards::kClubs, rank);
    if (diamonds >> rank & 1)
        return cardOf(cards::kDiamonds, rank);
    return cardOf(cards::kHearts, rank);
}

// Cards of `set` that no card still out (in `outstanding`) can beat in their suit.
CardSet masters(CardSet set, CardSet outstanding)
{
    CardSet out = 0;
    for (int suit = 1; suit <= 4; ++suit) {
        const CardSet in = set & suitMask(suit);
        if (in == 0)
            continue;
        const int top = highest(in);
        if ((outstanding & suitMask(suit) & above(top)) == 0)
            out |= bit(top);
    }
    return out;
}

bool liveNil(const SimTable &t, int seat)
{
    return t.nil[seat] && t.tricks[seat] == 0;
}

int leadCard(const SimTable &t, int me, CardSet outstanding, bool need)
{
    const CardSet legal = playrules::playable(t.hand[me], 0, t.spadesBroken);
    if (liveNil(t, me))
        return lowByRank(legal);
    const CardSet boss = masters(legal, outstanding);
    if (liveNil(t, me ^ 2)) {
        // Lead high so the Nil partner can play under it.
        if (boss != 0)
            return boss & ~kSpadeMask ? lowest(boss & ~kSpadeMask) : lowest(boss);
        return topByRank(legal);
    }
    if (need) {
        if (boss & ~kSpadeMask)
            return lowest(boss & ~kSpadeMask);
        if (boss != 0)
            return lowest(boss);
    }
    // Lead low in a suit an opponent on a Nil still holds, to make it go over.
    for (int opponent : {(me + 1) & 3, (me + 3) & 3}) {
        if (!liveNil(t, opponent))
            continue;
        CardSet target = 0;
        for (int suit = 1; suit <= 4; ++suit) {
            if (t.hand[opponent] & suitMask(suit))
                target |= legal & suitMask(suit);
        }
        if (target != 0)
            return lowByRank(target);
    }
    return lowByRank(legal);
}

int followCard(const SimTable &t, int me, CardSet outstanding, bool need)
{
    const CardSet legal = playrules::playable(t.hand[me], t.ledSuit, t.spadesBroken);
    const bool following = (legal & suitMask(t.ledSuit)) != 0;
    const CardSet beat = beating(t.winCard, t.ledSuit);
    const CardSet winners = legal & beat;
    const CardSet losers = legal & ~beat;
    const bool last = t.count == 3;
    const int partner = me ^ 2;

    if (liveNil(t, me)) {
        if (losers != 0)
            return following ? highest(losers) : topByRank(losers);
        return last ? topByRank(winners) : lowest(winners);
    }
    if (liveNil(t, partner) && winners != 0) {
        const bool partnerPlayed = t.trick[partner] != 0;
        if (!partnerPlayed || t.winSeat == partner) {
            // Take the trick over the Nil partner's head, or before it plays.
            if (last || !following)
                return lowest(winners);
            return highest(winners);
        }
    }
    const int winner = t.winSeat;
    if (!last && liveNil(t, (me + 1) & 3)) {
        // The opponent after this seat is on a Nil: leave it room to go over.
        return following ? lowest(legal) : lowByRank(losers != 0 ? losers : legal);
    }
    if ((winner == ((me + 1) & 3) || winner == ((me + 3) & 3)) && liveNil(t, winner)) {
        // An opponent's Nil is taking this trick: leave it there.
        if (losers != 0)
            return following ? highest(losers) : lowByRank(losers);
    }
    if (!need) {
        if (losers != 0)
            return following ? highest(losers) : topByRank(losers);
        return last ? topByRank(winners) : lowest(winners);
    }

    const bool partnerSafe =
        winner == partner &&
        (last || (outstanding & beating(t.winCard, t.ledSuit) & suitMask(t.ledSuit)) == 0);
    if (partnerSafe || winners == 0)
        return losers != 0 ? lowByRank(losers) : lowByRank(legal);
    if (last)
        return lowest(winners);
    const CardSet led = suitMask(t.ledSuit);
    if (following) {
        // Winners no card still out in the suit can beat.
        const CardSet outLed = outstanding & led;
        const CardSet sure = outLed != 0 ? winners & above(highest(outLed)) : winners;
        if (sure != 0)
            return lowest(sure);
        if (t.count == 2)
            return highest(winners);
        return losers != 0 ? lowest(losers) : lowest(winners);
    }
    return lowest(winners);
}

} // namespace

int policyCard(const SimTable &t, int me)
{
    const CardSet all = t.hand[0] | t.hand[1] | t.hand[2] | t.hand[3];
    const CardSet outstanding = all & ~t.hand[me];
    const int partner = me ^ 2;
    const bool need = t.tricks[me] + t.tricks[partner] < t.bid[me] + t.bid[partner];
    return t.count == 0 ? leadCard(t, me, outstanding, need) : followCard(t, me, outstanding, need);
}

void rollout(SimTable &t)
{
    for (;;) {
        const int seat = t.toPlay();
        if (t.hand[seat] == 0)
            return;
        t.play(seat, policyCard(t, seat));
    }
}

int HandValue::teamTotal(const SimTable &t, int which) const
{
    const int a = which;
    const int b = which + 2;
    const int bid = t.bid[a] + t.bid[b];
    const int tricks = t.tricks[a] + t.tricks[b];
    int total = tricks >= bid ? 10 * bid : -10 * bid;
    for (int s : {a, b}) {
        if (t.nil[s]) {
            const int worth = t.blind[s] ? 200 : 100;
            total += t.tricks[s] == 0 ? worth : -worth;
        }
    }
    if (sandbag && tricks > bid) {
        const int before = bags[which];
        int after = before + tricks - bid;
        if (after > 9) {
            total -= 100;
            after = 0;
        }
        total -= bagCost * (after - before);
    }
    return total;
}

int quickBid(CardSet hand)
{
    int halves = 0;
    const CardSet spades = hand & kSpadeMask;
    const int spadeCount = std::popcount(spades);
    for (int suit : {cards::kClubs, cards::kDiamonds, cards::kHearts}) {
        const CardSet in = hand & suitMask(suit);
        const int length = std::popcount(in);
        const bool ace = in & bit(suit * 13);
        const bool king = in & bit(suit * 13 - 1);
        const bool queen = in & bit(suit * 13 - 2);
        halves += ace ? 2 : 0;
        if (king && length >= 2)
            halves += ace ? 2 : 1;
        if (queen && length >= 3 && (ace || king))
            halves += 1;
        // Short suits let spades ruff.
        if (spadeCount >= 2 && length <= 1)
            halves += length == 0 ? 2 : 1;
    }
    const bool ace = spades & bit(39);
    const bool king = spades & bit(38);
    const bool queen = spades & bit(37);
    halves += ace ? 2 : 0;
    if (king)
        halves += spadeCount >= 2 ? 2 : 1;
    if (queen)
        halves += spadeCount >= 3 ? 2 : (spadeCount == 2 ? 1 : 0);
    if (spadeCount > 3)
        halves += 2 * (spadeCount - 3);
    return (halves + 1) / 2;
}

} // namespace expert
