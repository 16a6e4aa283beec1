// Plays whole games between four computer seats through the game host, on a
// virtual clock and without sockets, and prints one summary.
//
//   spades-selfplay N [--seed S] [--target SCORE] [--no-sandbag] [--startclub]

#include "host/selfplay.h"
#include "host/shuffle.h"

#include <QByteArray>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>

namespace {

void usage()
{
    std::fprintf(stderr, "usage: spades-selfplay GAMES [--seed S] [--target SCORE] "
                         "[--no-sandbag] [--startclub]\n");
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

} // namespace

int main(int argc, char **argv)
{
    std::optional<long long> games;
    std::uint32_t seed = 0;
    bool seeded = false;
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
        } else if (std::strcmp(arg, "--no-sandbag") == 0) {
            options.sandbag = false;
        } else if (std::strcmp(arg, "--startclub") == 0) {
            options.startclub = true;
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

    SelfPlay play(seed);
    for (long long g = 0; g < *games; ++g)
        play.playGame(options);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();

    const SelfPlay::Totals &t = play.totals();
    std::printf("seed %u, play to %d, sandbag %s%s\n", seed, options.playtoscore,
                options.sandbag ? "on" : "off", options.startclub ? ", two of clubs leads" : "");
    std::printf("games %lld, hands %lld, hands per game %.2f\n", (long long)t.games,
                (long long)t.hands, ratio(t.hands, t.games));
    std::printf("wins: team 1 %lld, team 2 %lld, unfinished %lld\n", (long long)t.wins[1],
                (long long)t.wins[2], (long long)t.unfinishedGames);
    std::printf("nil bids %lld: made %lld, set %lld\n", (long long)t.nilBids, (long long)t.nilsMade,
                (long long)t.nilsSet);
    std::printf("average bid %.2f, average tricks taken %.2f (seats not bidding Nil)\n",
                ratio(t.bidTricks, t.seatBids), ratio(t.tookTricks, t.seatBids));
    std::printf("computer bids %lld, computer cards %lld, refused %lld, alerts %lld "
                "(covering only aces %lld)\n",
                (long long)t.computerBids, (long long)t.computerCards,
                (long long)(t.refusedCards + t.missedBids),
                (long long)(t.unexpectedAlerts + t.expectedAlerts), (long long)t.expectedAlerts);
    for (const QByteArray &text : t.alertTexts)
        std::printf("alert: %s\n", text.constData());
    std::printf("time %.3f s, %.0f hands/s\n", seconds, seconds > 0 ? t.hands / seconds : 0.0);

    const bool sound = t.refusedCards == 0 && t.missedBids == 0 && t.shortHands == 0 &&
                       t.unexpectedAlerts == 0 && t.stalledGames == 0;
    return sound ? 0 : 1;
}
