// Cost of adding one chat line to a view that already holds n lines, with
// and without painting the view afterwards. A long evening of chat must not
// make each new line slower.
#include "chat/chatpanel.h"
#include "chat/chatview.h"
#include "resources/pictures.h"

#include <QApplication>
#include <QWidget>
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <memory>

namespace {

QString sampleLine(int i)
{
    return QStringLiteral("%1+Player%1 chats: line %2 with a few words :)#12 and www.example%2.com")
        .arg(i % 9 + 1)
        .arg(i);
}

struct Table
{
    Table()
    {
        board.resize(768, 483);
        board.show();
        chat = new ChatPanel(&board);
        QList<QPixmap> smilies;
        for (int i = 0; i < pictures::kSmileyCount; ++i) {
            QPixmap pm(17, 16);
            pm.fill(Qt::yellow);
            smilies << pm;
        }
        chat->setSmileyImages(smilies);
    }

    void fillTo(int lines)
    {
        chat->ClearMainChat1Click();
        for (int i = 0; i < lines; ++i)
            chat->addlinetochat(sampleLine(i), 0x008000);
        count = lines;
    }

    QWidget board;
    ChatPanel *chat = nullptr;
    int count = 0;
};

void appendLine(benchmark::State &state, bool paint)
{
    const int history = int(state.range(0));
    const int window = std::max(10, history / 10);
    Table table;
    table.fillTo(history);
    for (auto _ : state) {
        if (table.count >= history + window) {
            state.PauseTiming();
            table.fillTo(history);
            state.ResumeTiming();
        }
        table.chat->addlinetochat(sampleLine(table.count++), 0x008000);
        if (paint)
            table.chat->mainchat()->viewport()->repaint();
    }
}

void BM_AppendLine(benchmark::State &state)
{
    appendLine(state, false);
}

void BM_AppendAndPaintLine(benchmark::State &state)
{
    appendLine(state, true);
}

// The longest line a host relays, about 128 KiB: one word, or one-letter
// words. Past its bounds the view drops old lines, so memory stays flat.
void BM_AppendLongestLine(benchmark::State &state)
{
    Table table;
    const QString body = state.range(0) == 0 ? QString(128 * 1024, QLatin1Char('w'))
                                             : QStringLiteral("w ").repeated(64 * 1024);
    for (auto _ : state)
        table.chat->addlinetochat(QStringLiteral("1+") + body, 0x008000);
    state.counters["items_kept"] = table.chat->mainchat()->itemCount();
}

} // namespace

BENCHMARK(BM_AppendLine)->Arg(10)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_AppendAndPaintLine)->Arg(10)->Arg(10000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_AppendLongestLine)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
