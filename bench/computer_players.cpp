// How fast the computer players decide, and how many whole hands the host
// core plays per second with four computer seats and nobody connected.

#include "host/computerkind.h"
#include "host/computerplayer.h"
#include "host/selfplay.h"
#include "host/shuffle.h"
#include "protocol/hostmessages.h"
#include "protocol/message.h"

#include <benchmark/benchmark.h>
#include <vector>

namespace {

struct Decision
{
    GameState game;
    SeatTable seats;
    PlayHistory history;
    int seat = 0;
    bool bid = false;
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
                out.push_back({server.game(), server.seats(), server.history(), seat, false});
        }
        return out;
    }();
    return decisions;
}

// The same for the expert: every bid and card of hands played by four experts.
const std::vector<Decision> &expertDecisions()
{
    static const std::vector<Decision> decisions = [] {
        std::vector<Decision> out;
        VirtualPort port;
        port.recording = false;
        TServer server(port, 4711u);
        server.setComputerKind(ComputerKind::Expert);
        port.attach(&server);
        server.Sock1Accept();
        const QByteArray start =
            wire::StartGame::of("bench", "100000", true, false, false).encode();
        server.dispatch(1, start.left(start.size() - 1));
        server.connectionClosed(1);
        while (out.size() < 1120 && port.step()) {
            const int seat = server.computerSeat();
            const bool bid = server.computerMove() == ComputerMove::Bid && server.bidAwaited(seat);
            if (bid || (server.computerMove() == ComputerMove::Card && server.cardAwaited(seat)))
                out.push_back({server.game(), server.seats(), server.history(), seat, bid});
        }
        return out;
    }();
    return decisions;
}

// One expert decision, cards and bids in the proportion play produces them
// (one bid to every thirteen cards).
void BM_expertDecision(benchmark::State &state)
{
    const std::vector<Decision> &decisions = expertDecisions();
    size_t i = 0;
    for (auto _ : state) {
        const Decision &d = decisions[i];
        if (d.bid)
            benchmark::DoNotOptimize(expertbid(d.game, d.seats, d.history, d.seat, i));
        else
            benchmark::DoNotOptimize(expertplay(d.game, d.seats, d.history, d.seat, i));
        i = i + 1 == decisions.size() ? 0 : i + 1;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_expertDecision)->Unit(benchmark::kMicrosecond);

void BM_expertBid(benchmark::State &state)
{
    std::vector<Decision> bids;
    for (const Decision &d : expertDecisions()) {
        if (d.bid)
            bids.push_back(d);
    }
    size_t i = 0;
    for (auto _ : state) {
        const Decision &d = bids[i];
        benchmark::DoNotOptimize(expertbid(d.game, d.seats, d.history, d.seat, i));
        i = i + 1 == bids.size() ? 0 : i + 1;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_expertBid)->Unit(benchmark::kMicrosecond);

// The first lead of a hand: thirteen cards to choose from, the most work a card takes.
void BM_expertFirstLead(benchmark::State &state)
{
    std::vector<Decision> leads;
    for (const Decision &d : expertDecisions()) {
        if (!d.bid && d.seats[d.seat].cardsLeft() == cards::kHandSize && d.game.ledcard == 0)
            leads.push_back(d);
    }
    size_t i = 0;
    for (auto _ : state) {
        const Decision &d = leads[i];
        benchmark::DoNotOptimize(expertplay(d.game, d.seats, d.history, d.seat, i));
        i = i + 1 == leads.size() ? 0 : i + 1;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_expertFirstLead)->Unit(benchmark::kMicrosecond);

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
