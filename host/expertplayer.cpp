#include "host/expertplayer.h"

#include "host/expertdeal.h"
#include "host/expertsim.h"

#include <algorithm>
#include <cmath>

using namespace expert;

namespace {

constexpr int kMaxChoices = 13;
constexpr int kMaxSamples = 512;       // deals per card at most, whatever the settings
constexpr int kCheckEvery = 16;        // deals between two looks at the running totals
constexpr double kBlindNilEdge = 0.05; // in chances of winning the game
constexpr int kBlindNilBehind = 150;   // points behind before a Blind Nil is weighed

// The table as the seat of `k` sees it, its own hand in place and the others
// empty until a sample fills them.
SimTable tableOf(const SeatKnowledge &k)
{
    SimTable t;
    t.hand[k.seat - 1] = k.hand;
    for (int s = 1; s <= cards::kSeats; ++s) {
        t.tricks[s - 1] = k.tricks[s];
        t.bid[s - 1] = k.hasbid[s] ? k.bid[s] : 0;
        t.nil[s - 1] = k.isNil(s);
        t.blind[s - 1] = k.isNil(s) && k.blindnil[s];
    }
    t.spadesBroken = k.spadesbroken;
    return t;
}

// Puts the open trick on the table, in playing order from its leader. False
// when it does not end at the seat of `k`.
bool openTrick(const SeatKnowledge &k, SimTable &t)
{
    if (k.ledcard == 0) {
        t.leader = k.seat - 1;
        return true;
    }
    if (!cards::isSeat(k.leader) || k.tablecard[k.leader] != k.ledcard)
        return false;
    t.leader = k.leader - 1;
    for (int i = 0, s = k.leader - 1; i < 3 && s != k.seat - 1; ++i, s = (s + 1) & 3) {
        const int card = k.tablecard[s + 1];
        if (!cards::isCard(card))
            return false;
        t.hand[s] |= bit(card); // played from the hand it was in
        t.play(s, card);
    }
    return t.toPlay() == k.seat - 1 && t.count > 0;
}

// The legal cards that are worth telling apart: of cards in one suit with
// nothing between them but cards already gone from earlier tricks (or the
// seat's own), only the lowest.
int distinctChoices(CardSet legal, CardSet hand, CardSet gone, int (&out)[kMaxChoices])
{
    int n = 0;
    int previous = 0;
    for (CardSet rest = legal; rest != 0 && n < kMaxChoices; rest &= rest - 1) {
        const int card = lowest(rest);
        if (previous != 0 && suitOf(previous) == suitOf(card)) {
            const CardSet between = above(previous) & ~above(card - 1);
            if ((between & ~(gone | hand)) == 0) {
                previous = card;
                continue;
            }
        }
        out[n++] = card;
        previous = card;
    }
    return n;
}

HandValue valueFor(const SeatKnowledge &k, int bagCost)
{
    HandValue v;
    v.team = (k.seat - 1) & 1;
    v.bags = {k.teambags[1], k.teambags[2]};
    v.sandbag = k.sandbag;
    v.bagCost = bagCost;
    return v;
}

// Who leads the first trick, with the two of clubs played when it opens.
void openHand(SimTable &t, int dealer, bool startclub)
{
    t.leader = dealer & 3; // the seat after the dealer (dealer is 1..4)
    if (!startclub)
        return;
    for (int s = 0; s < 4; ++s) {
        if (t.hand[s] & bit(cards::kTwoOfClubs)) {
            t.leader = s;
            t.play(s, cards::kTwoOfClubs);
            return;
        }
    }
}

// The chance of winning the game from these scores; the hands still to come
// are guessed from how far the leader is from the target.
double winChance(int our, int their, int target)
{
    if (our >= target || their >= target) {
        if (our != their)
            return our > their ? 1.0 : 0.0;
    }
    const double hands = std::max(1.0, (target - std::max(our, their)) / 60.0);
    const double z = (our - their) / (120.0 * std::sqrt(hands));
    return 0.5 * std::erfc(-z / std::sqrt(2.0));
}

// Bids for the seats still to bid, from the sampled hands.
void guessBids(const SeatKnowledge &k, SimTable &t)
{
    for (int s = 1; s <= cards::kSeats; ++s) {
        if (k.hasbid[s] || s == k.seat)
            continue;
        const int guess = quickBid(t.hand[s - 1]);
        t.bid[s - 1] = guess;
        t.nil[s - 1] = guess == 0;
    }
}

// Whether a Blind Nil is the better bet for the game, judged on random hands
// for everyone: the seat's own cards play no part.
bool blindNilPays(const SeatKnowledge &k, std::uint64_t seed, const ExpertSettings &settings)
{
    const int me = k.seat - 1;
    const int team = cards::teamOf(k.seat);
    const int our = k.teamscore[team];
    const int their = k.teamscore[3 - team];
    // Only a side well behind gambles; and never both partners blind.
    if (their - our < kBlindNilBehind || k.isNil(cards::partnerOf(k.seat)))
        return false;
    SeatKnowledge blindfold = k;
    blindfold.hand = 0;
    Rng rng(seed ^ 0xB11DB11DB11DB11Dull);
    HandValue value = valueFor(blindfold, 0);
    // Deal by deal, the gain in the chance of winning from going blind, less
    // the edge it must show; dealing stops once its sign is beyond doubt.
    double sum = 0;
    double squares = 0;
    const int samples = 2 * settings.bidSamples;
    for (int i = 0; i < samples; ++i) {
        SimTable t = tableOf(blindfold);
        dealWhole(t, rng);
        guessBids(blindfold, t);
        SimTable n = t;
        n.bid[me] = std::max(1, quickBid(n.hand[me]));
        n.nil[me] = false;
        openHand(n, k.dealer, k.startclub);
        rollout(n);
        SimTable b = t;
        b.bid[me] = 0;
        b.nil[me] = true;
        b.blind[me] = true;
        openHand(b, k.dealer, k.startclub);
        rollout(b);
        const double gain = winChance(our + value.teamTotal(b, team - 1),
                                      their + value.teamTotal(b, 2 - team), k.playtoscore) -
                            winChance(our + value.teamTotal(n, team - 1),
                                      their + value.teamTotal(n, 2 - team), k.playtoscore) -
                            kBlindNilEdge;
        sum += gain;
        squares += gain * gain;
        const int dealt = i + 1;
        if (dealt >= settings.minSamples && dealt % kCheckEvery == 0) {
            const double mean = sum / dealt;
            const double spread = std::sqrt(std::max(0.0, squares / dealt - mean * mean) / dealt);
            if (std::abs(mean) > settings.stopMargin * spread)
                break;
        }
    }
    return sum > 0;
}

int bestOf(const long long *total, int n)
{
    int best = 0;
    for (int c = 1; c < n; ++c) {
        if (total[c] > total[best])
            best = c;
    }
    return best;
}

// Whether `best` leads every other choice, deal by deal, by more than `margin`
// standard errors of the difference. Choices that always score alike are no
// reason to go on.
bool clearlyBest(const int (&values)[kMaxSamples][kMaxChoices], int dealt, int n, int best,
                 double margin)
{
    for (int c = 0; c < n; ++c) {
        if (c == best)
            continue;
        double sum = 0;
        double squares = 0;
        for (int i = 0; i < dealt; ++i) {
            const double d = values[i][best] - values[i][c];
            sum += d;
            squares += d * d;
        }
        if (squares == 0)
            continue;
        const double mean = sum / dealt;
        const double variance = std::max(0.0, squares / dealt - mean * mean);
        if (mean <= margin * std::sqrt(variance / dealt))
            return false;
    }
    return true;
}

} // namespace

int expertCard(const SeatKnowledge &k, std::uint64_t seed, const ExpertSettings &settings)
{
    if (!cards::isSeat(k.seat) || k.hand == 0)
        return 0;
    const int me = k.seat - 1;
    SimTable base = tableOf(k);
    const bool trickFits = openTrick(k, base);
    const int ledSuit = k.ledcard != 0 ? getsuit(k.ledcard) : 0;
    const CardSet legal = playrules::playable(k.hand, ledSuit, k.spadesbroken);
    if (!trickFits)
        return lowest(legal);

    CardSet onTable = 0;
    for (int s = 1; s <= cards::kSeats; ++s)
        onTable |= cards::isCard(k.tablecard[s]) ? bit(k.tablecard[s]) : 0;
    int choices[kMaxChoices];
    const int n = distinctChoices(legal, k.hand, k.played & ~onTable, choices);
    if (n == 1)
        return choices[0];

    std::array<int, 4> need{};
    std::array<std::uint8_t, 4> voids{};
    for (int s = 1; s <= cards::kSeats; ++s) {
        need[s - 1] = k.cardsLeft[s];
        voids[s - 1] = k.voids[s];
    }
    const DealSampler sampler(me, kDeck & ~k.hand & ~k.played, need, voids);
    const HandValue value = valueFor(k, settings.bagCost);
    const int samples = std::clamp(settings.cardPlayouts / n, std::max(1, settings.minSamples),
                                   std::clamp(settings.maxSamples, 1, kMaxSamples));

    // Each deal is played out once for every choice; after the first few,
    // dealing stops as soon as one choice is ahead of every other beyond doubt.
    Rng rng(seed);
    int values[kMaxSamples][kMaxChoices];
    long long total[kMaxChoices] = {};
    int best = 0;
    for (int i = 0; i < samples; ++i) {
        SimTable deal = base;
        sampler.deal(deal, rng);
        for (int c = 0; c < n; ++c) {
            SimTable t = deal;
            t.play(me, choices[c]);
            rollout(t);
            values[i][c] = value(t);
            total[c] += values[i][c];
        }
        const int dealt = i + 1;
        if (dealt >= settings.minSamples && dealt % kCheckEvery == 0) {
            best = bestOf(total, n);
            if (clearlyBest(values, dealt, n, best, settings.stopMargin))
                return choices[best];
        }
    }
    best = bestOf(total, n);
    return choices[best];
}

int expertBid(const SeatKnowledge &k, std::uint64_t seed, const ExpertSettings &settings)
{
    if (!cards::isSeat(k.seat))
        return 1;
    if (k.blind && blindNilPays(k, seed, settings))
        return kBlindNilBid;

    const int me = k.seat - 1;
    const int partner = me ^ 2;
    std::array<int, 4> need{13, 13, 13, 13};
    const DealSampler sampler(me, kDeck & ~k.hand, need, {});
    const HandValue value = valueFor(k, settings.bagCost);
    const int guess = std::max(1, quickBid(k.hand));

    Rng rng(seed);
    long long byBid[cards::kHandSize + 1] = {};
    long long nil = 0;
    for (int i = 0; i < settings.bidSamples; ++i) {
        SimTable t = tableOf(k);
        sampler.deal(t, rng);
        guessBids(k, t);

        SimTable played = t;
        played.bid[me] = guess;
        played.nil[me] = false;
        openHand(played, k.dealer, k.startclub);
        rollout(played);
        // The tricks fall the same whatever number is bid; only the score moves.
        for (int b = 1; b <= cards::kHandSize; ++b) {
            played.bid[me] = b;
            byBid[b] += value(played);
        }

        SimTable nilHand = t;
        nilHand.bid[me] = 0;
        nilHand.nil[me] = true;
        openHand(nilHand, k.dealer, k.startclub);
        rollout(nilHand);
        nil += value(nilHand);
    }
    int best = 1;
    for (int b = 2; b <= cards::kHandSize; ++b) {
        if (byBid[b] > byBid[best])
            best = b;
    }
    // Two Nils on one side leave nobody to cover.
    const bool nilOpen = !k.isNil(partner + 1);
    if (nilOpen && nil > byBid[best] + (long long)settings.nilMargin * settings.bidSamples)
        return 0;
    return best;
}

std::uint64_t decisionSeed(std::uint64_t tableSeed, int round, int seat, CardSet played)
{
    Rng mix(tableSeed ^ (std::uint64_t(std::uint32_t(round)) << 40) ^ (std::uint64_t(seat) << 56));
    return mix.next() ^ Rng(played).next();
}
