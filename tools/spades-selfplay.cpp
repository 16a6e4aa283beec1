// Plays whole games between computer seats through the game host, on a
// virtual clock and without sockets, and prints one summary.
//
//   spades-selfplay GAMES [--seed S] [--target SCORE] [--no-sandbag] [--startclub] [--blind]
//                   [--ns expert|classic] [--ew expert|classic] [--duplicate] [--wall-clock]
//
// The "ns" partnership sits at seats 1 and 3, the "ew" partnership at seats 2
// and 4; "--ns expert,classic" seats partners of different kinds. With --duplicate every deal is
// played twice, the second time with the two partnerships in each other's seats, so both get the
// same cards; GAMES then counts both playings. The last line is key=value pairs for scripts.

#include "host/selfplay.h"
#include "host/shuffle.h"

#include <QByteArray>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <functional>
#include <optional>
#include <vector>

namespace {

void usage()
{
    std::fprintf(stderr, "usage: spades-selfplay GAMES [--seed S] [--target SCORE] "
                         "[--no-sandbag] [--startclub] [--blind]\n"
                         "                       [--ns expert|classic] [--ew expert|classic] "
                         "[--duplicate] [--wall-clock]\n");
}

std::optional<long long> number(const char *text, long long low, long long high)
{
    if (!text || !*text)
        return std::nullopt;
    char *end = nullptr;
    errno = 0;
    const long long value = std::strtoll(text, &end, 10);
    if (errno != 0 || *end != '\0' || value < low || value > high)
        return std::nullopt;
    return value;
}

double ratio(std::int64_t part, std::int64_t whole)
{
    return whole == 0 ? 0.0 : double(part) / double(whole);
}

// Wilson's 95 % interval for a share of wins.
void interval(std::int64_t wins, std::int64_t games, double &low, double &high)
{
    if (games == 0) {
        low = 0;
        high = 1;
        return;
    }
    const double z = 1.959963985;
    const double n = double(games);
    const double p = double(wins) / n;
    const double centre = (p + z * z / (2 * n)) / (1 + z * z / n);
    const double half = z * std::sqrt(p * (1 - p) / n + z * z / (4 * n * n)) / (1 + z * z / n);
    low = centre - half;
    high = centre + half;
}

// The q-th share (0..1) of the times, in microseconds.
double percentile(std::vector<std::uint32_t> &times, double q)
{
    if (times.empty())
        return 0;
    const std::size_t at = std::min(times.size() - 1, std::size_t(q * double(times.size())));
    std::nth_element(times.begin(), times.begin() + std::ptrdiff_t(at), times.end());
    return times[at] / 1000.0;
}

// One partnership's figures, from whichever seats it held in each game.
struct Side
{
    std::int64_t wins = 0;
    SelfPlay::TeamTotals totals;

    void add(const SelfPlay::Totals &t, int team)
    {
        wins += t.wins[team];
        const SelfPlay::TeamTotals &from = t.team[team];
        totals.points += from.points;
        totals.bagsAdded += from.bagsAdded;
        totals.nilBids += from.nilBids;
        totals.nilsMade += from.nilsMade;
        totals.blindBids += from.blindBids;
        totals.blindsMade += from.blindsMade;
    }
};

bool sound(const SelfPlay::Totals &t)
{
    return t.refusedCards == 0 && t.missedBids == 0 && t.shortHands == 0 &&
           t.unexpectedAlerts == 0 && t.stalledGames == 0;
}

} // namespace

int main(int argc, char **argv)
{
    std::optional<long long> games;
    std::uint32_t seed = 0;
    bool seeded = false;
    bool duplicate = false;
    bool wallClock = false;
    SelfPlay::Options options;

    for (int i = 1; i < argc; ++i) {
        const char *arg = argv[i];
        const char *value = i + 1 < argc ? argv[i + 1] : nullptr;
        if (std::strcmp(arg, "--seed") == 0) {
            const auto s = number(value, 0, 0xFFFFFFFFll);
            if (!s) {
                usage();
                return 2;
            }
            seed = std::uint32_t(*s);
            seeded = true;
            ++i;
        } else if (std::strcmp(arg, "--target") == 0) {
            const auto t = number(value, 1, 100000);
            if (!t) {
                usage();
                return 2;
            }
            options.playtoscore = int(*t);
            ++i;
        } else if (std::strcmp(arg, "--ns") == 0 || std::strcmp(arg, "--ew") == 0) {
            // One kind for both partners, or "first,second" for seats 1,3 or 2,4.
            const QByteArray text = value ? QByteArray(value) : QByteArray();
            const QList<QByteArray> parts = text.split(',');
            const auto first = computerKindNamed(parts.value(0));
            const auto second = computerKindNamed(parts.value(parts.size() > 1 ? 1 : 0));
            if (!first || !second || parts.size() > 2) {
                usage();
                return 2;
            }
            const int seat = arg[2] == 'n' ? 1 : 2;
            options.kinds[seat] = *first;
            options.kinds[seat + 2] = *second;
            ++i;
        } else if (std::strcmp(arg, "--duplicate") == 0) {
            duplicate = true;
        } else if (std::strcmp(arg, "--wall-clock") == 0) {
            wallClock = true;
        } else if (std::strcmp(arg, "--no-sandbag") == 0) {
            options.sandbag = false;
        } else if (std::strcmp(arg, "--startclub") == 0) {
            options.startclub = true;
        } else if (std::strcmp(arg, "--blind") == 0) {
            options.blind = true;
        } else if (!games) {
            games = number(arg, 1, 1000000000ll);
            if (!games) {
                usage();
                return 2;
            }
        } else {
            usage();
            return 2;
        }
    }
    if (!games) {
        usage();
        return 2;
    }

    const auto started = std::chrono::steady_clock::now();
    if (!seeded) {
        const auto sinceEpoch = std::chrono::system_clock::now().time_since_epoch();
        seed = Lcg::timeOfDaySeed(
            std::chrono::duration_cast<std::chrono::milliseconds>(sinceEpoch).count());
    }
    // Decisions are timed in the processor time of this thread, which other
    // work on the machine barely touches; --wall-clock times them by the clock.
    const std::function<std::int64_t()> clock =
        wallClock ? std::function<std::int64_t()>([] {
            return std::int64_t(std::chrono::duration_cast<std::chrono::nanoseconds>(
                                    std::chrono::steady_clock::now().time_since_epoch())
                                    .count());
        })
                  : std::function<std::int64_t()>([] {
                        timespec now{};
                        ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
                        return std::int64_t(now.tv_sec) * 1000000000 + now.tv_nsec;
                    });

    // `direct` seats the ns partnership at seats 1 and 3; `swapped` the other way round.
    SelfPlay direct(seed);
    SelfPlay swapped(seed);
    direct.clock = clock;
    swapped.clock = clock;
    // Each partnership moves one seat on: the ns players to seats 4 and 2.
    SelfPlay::Options other = options;
    for (int seat = 1; seat <= cards::kSeats; ++seat)
        other.kinds[seat] = options.kinds[cards::nextSeat(seat)];
    Lcg deals(seed);
    for (long long g = 0; g < *games; ++g) {
        if (!duplicate) {
            direct.playGame(options);
            continue;
        }
        const std::uint32_t deal = deals.draw(0xFFFFFFFFu);
        direct.playGame(options, deal);
        if (++g < *games)
            swapped.playGame(other, deal);
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();

    const SelfPlay::Totals &a = direct.totals();
    const SelfPlay::Totals &b = swapped.totals();
    Side ns;
    Side ew;
    ns.add(a, 1);
    ns.add(b, 2);
    ew.add(a, 2);
    ew.add(b, 1);
    const std::int64_t played = a.games + b.games;
    const std::int64_t hands = a.hands + b.hands;
    const std::int64_t unfinished = a.unfinishedGames + b.unfinishedGames;

    std::printf("seed %u, play to %d, sandbag %s, blind nil %s%s%s\n", seed, options.playtoscore,
                options.sandbag ? "on" : "off", options.blind ? "allowed" : "off",
                options.startclub ? ", two of clubs leads" : "",
                duplicate ? ", every deal played both ways" : "");
    std::printf("ns %s and %s, ew %s and %s\n", nameOf(options.kinds[1]), nameOf(options.kinds[3]),
                nameOf(options.kinds[2]), nameOf(options.kinds[4]));
    std::printf("games %lld, hands %lld, hands per game %.2f, unfinished %lld\n", (long long)played,
                (long long)hands, ratio(hands, played), (long long)unfinished);
    double low = 0;
    double high = 1;
    const std::int64_t decided = ns.wins + ew.wins;
    interval(ns.wins, decided, low, high);
    const double rate = ratio(ns.wins, decided);
    std::printf("wins: ns %lld (%.1f %%, 95 %% interval %.1f-%.1f %%), ew %lld (%.1f %%, 95 %% "
                "interval %.1f-%.1f %%)\n",
                (long long)ns.wins, 100 * rate, 100 * low, 100 * high, (long long)ew.wins,
                100 * (1 - rate), 100 * (1 - high), 100 * (1 - low));
    for (const auto &[name, side] : {std::pair{"ns", &ns}, std::pair{"ew", &ew}}) {
        const SelfPlay::TeamTotals &t = side->totals;
        std::printf("%s: points per hand %.1f, bags per hand %.2f, nil bids %lld (made %lld, set "
                    "%lld), blind nil bids %lld (made %lld, set %lld)\n",
                    name, ratio(t.points, hands), ratio(t.bagsAdded, hands), (long long)t.nilBids,
                    (long long)t.nilsMade, (long long)(t.nilBids - t.nilsMade),
                    (long long)t.blindBids, (long long)t.blindsMade,
                    (long long)(t.blindBids - t.blindsMade));
    }

    // Each player's own Nils, when partners differ: the player at a seat in
    // the direct games sits at the seat before it in the swapped ones.
    if (options.kinds[1] != options.kinds[3] || options.kinds[2] != options.kinds[4]) {
        for (int seat = 1; seat <= cards::kSeats; ++seat) {
            SelfPlay::TeamTotals t = a.seat[seat];
            const SelfPlay::TeamTotals &moved = b.seat[seat == 1 ? 4 : seat - 1];
            t.nilBids += moved.nilBids;
            t.nilsMade += moved.nilsMade;
            t.blindBids += moved.blindBids;
            t.blindsMade += moved.blindsMade;
            std::printf("%s %s player: nil bids %lld (made %lld), blind nil bids %lld (made "
                        "%lld)\n",
                        seat % 2 == 1 ? "ns" : "ew", nameOf(options.kinds[seat]),
                        (long long)t.nilBids, (long long)t.nilsMade, (long long)t.blindBids,
                        (long long)t.blindsMade);
        }
    }

    // Decision times of the expert players when any play, else of the classic ones.
    double median = 0;
    double p99 = 0;
    for (int kind = 1; kind >= 0; --kind) {
        std::vector<std::uint32_t> times = a.decisionNanoseconds[kind];
        times.insert(times.end(), b.decisionNanoseconds[kind].begin(),
                     b.decisionNanoseconds[kind].end());
        if (times.empty())
            continue;
        const double m = percentile(times, 0.5);
        const double p = percentile(times, 0.99);
        std::printf("decisions %s: %zu, %s time median %.1f us, p99 %.1f us, max %.1f us\n",
                    kind == 1 ? "expert" : "classic", times.size(),
                    wallClock ? "wall-clock" : "processor", m, p, percentile(times, 1.0));
        if (median == 0 && p99 == 0) {
            median = m;
            p99 = p;
        }
    }
    for (const SelfPlay::Totals *t : {&a, &b}) {
        if (t->refusedCards + t->missedBids + t->unexpectedAlerts > 0)
            std::printf("faults: refused %lld, alerts %lld\n",
                        (long long)(t->refusedCards + t->missedBids),
                        (long long)t->unexpectedAlerts);
        for (const QByteArray &text : t->alertTexts)
            std::printf("alert: %s\n", text.constData());
    }
    std::printf("time %.3f s, %.0f hands/s\n", seconds, seconds > 0 ? hands / seconds : 0.0);
    std::printf("games=%lld ns_wins=%lld ew_wins=%lld ns_win_rate=%.4f ci_low=%.4f ci_high=%.4f "
                "decision_median_us=%.1f decision_p99_us=%.1f\n",
                (long long)played, (long long)ns.wins, (long long)ew.wins, rate, low, high, median,
                p99);
    return sound(a) && sound(b) ? 0 : 1;
}
