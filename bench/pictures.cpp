// Cost of drawing the pictures the first time they are asked for: the whole card list at
// the common pixel ratios, the board felt, and a lookup of a picture already drawn.
// The table shows its first hand only after the faces exist, so this is start-up time.
#include "resources/pictures.h"
#include "resources/paintkit.h"

#include <QGuiApplication>
#include <benchmark/benchmark.h>

namespace {

void drawWholeCardList(benchmark::State &state)
{
    const qreal dpr = state.range(0) / 100.0;
    for (auto _ : state) {
        for (int i = 0; i <= 53; ++i)
            benchmark::DoNotOptimize(pictures::paintkit::drawCard(i, dpr));
    }
    state.SetItemsProcessed(state.iterations() * 54);
}
BENCHMARK(drawWholeCardList)->Arg(100)->Arg(150)->Arg(200)->Unit(benchmark::kMillisecond);

void drawBoardFelt(benchmark::State &state)
{
    const qreal dpr = state.range(0) / 100.0;
    for (auto _ : state)
        benchmark::DoNotOptimize(
            pictures::paintkit::drawBoard(QSize(768, 483), dpr, QSize(768, 483)));
}
BENCHMARK(drawBoardFelt)->Arg(100)->Arg(200)->Unit(benchmark::kMillisecond);

void drawSmilies(benchmark::State &state)
{
    for (auto _ : state) {
        for (int i = 0; i < pictures::kSmileyCount; ++i)
            benchmark::DoNotOptimize(pictures::paintkit::drawSmiley(i, 1.0));
    }
}
BENCHMARK(drawSmilies)->Unit(benchmark::kMicrosecond);

void cachedCardLookup(benchmark::State &state)
{
    pictures::card(40, 2.0);
    for (auto _ : state)
        benchmark::DoNotOptimize(pictures::card(40, 2.0));
}
BENCHMARK(cachedCardLookup);

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
