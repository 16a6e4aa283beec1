// How fast the computer players decide, and how many whole hands the host
// core plays per second with four computer seats and nobody connected.

#include "host/computerplayer.h"
#include "host/selfplay.h"
#include "host/shuffle.h"
#include "protocol/message.h"
#include "protocol/wirecodec.h"

#include <benchmark/benchmark.h>
#include <vector>

namespace {

struct Decision
{
    GameState game;
    SeatTable seats;
    int seat = 0;
};

// Tables caught at every computer card of some twenty played hands, so the
// decisions are measured over the situations real play produces.
const std::vector<Decision> &recordedDecisions()
{
    static const std::vector<Decision> decisions = [] {
        std::vector<Decision> out;
        VirtualPort port;
        port.recording = false;
        TServer server(port, 12345u);
        port.attach(&server);
        server.Sock1Accept();
        const QByteArray start =
            wire::StartGame::of("bench", "100000", true, false, false).encode();
        server.dispatch(1, start.left(start.size() - 1));
        server.connectionClosed(1);
        while (out.size() < 1000 && port.step()) {
            const int seat = server.computerSeat();
            if (server.computerMove() == ComputerMove::Card && server.cardAwaited(seat))
                out.push_back({server.game(), server.seats(), seat});
        }
        return out;
    }();
    return decisions;
}

void BM_computerplay(benchmark::State &state)
{
    const std::vector<Decision> &decisions = recordedDecisions();
    size_t i = 0;
    for (auto _ : state) {
        const Decision &d = decisions[i];
        benchmark::DoNotOptimize(computerplay(d.game, d.seats, d.seat));
        i = i + 1 == decisions.size() ? 0 : i + 1;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_computerplay);

void BM_computerbid(benchmark::State &state)
{
    const std::vector<Decision> &decisions = recordedDecisions();
    size_t i = 0;
    for (auto _ : state) {
        const Decision &d = decisions[i];
        benchmark::DoNotOptimize(computerbid(d.game, d.seats, d.seat));
        i = i + 1 == decisions.size() ? 0 : i + 1;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_computerbid);

// Whole games through the host core; items are hands.
void BM_selfplayHands(benchmark::State &state)
{
    SelfPlay play(777u);
    SelfPlay::Options options;
    options.checked = false;
    std::int64_t hands = 0;
    for (auto _ : state) {
        const std::int64_t before = play.totals().hands;
        play.playGame(options);
        hands += play.totals().hands - before;
    }
    state.SetItemsProcessed(hands);
    state.counters["hands/s"] = benchmark::Counter(double(hands), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_selfplayHands)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
