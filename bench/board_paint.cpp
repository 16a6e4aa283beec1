// Cost of drawing the whole board of the table window, in the middle of a hand
// (thirteen cards, a card on the table, the bid controls, the score panel), at
// 100 % and at 200 % of its size: a repaint as the window system asks for one,
// and a resize to a size not drawn before (every picture drawn anew).
#include "client/boardscaler.h"
#include "client/tablerequests.h"
#include "client/tchat.h"

#include <QApplication>
#include <QElapsedTimer>
#include <benchmark/benchmark.h>

namespace {

class Silent : public TableRequests
{
public:
    void send(const QByteArray &) override {}
    void connectTo(const QString &) override {}
    void startHost(HostReach) override {}
    void openLobbyLink() override {}
    void messageBox(const QString &) override {}
    bool confirm(const QString &) override { return true; }
    void popup(QMenu *, const QPoint &) override {}
};

Tchat &tableInAHand()
{
    static Silent requests;
    static Tchat *table = [] {
        auto *t = new Tchat;
        t->setRequests(&requests);
        for (const char *message :
             {"CMD_sendlogininfo+2", "CMD_newplayerinfo+2+Ann", "CMD_startgame+Host+500+y+n+n+",
              "CMD_startround+1+1+",
              "CMD_mycards+2+1+45+2+3+3+30+4+14+5+52+6+1+7+27+8+26+9+40+10+13+11+39+12+20+13+7",
              "CMD_heplayed+3+5+1+", "CMD_getbid+2+0+",
              "CMD_postscores+2+3+4+5+60+-40+2+1+0+0+0+0+60+-40+0+0+"})
            t->queueMessage(message);
        while (t->queuedMessages() > 0)
            t->processsocktimer();
        t->show();
        QCoreApplication::processEvents();
        return t;
    }();
    return *table;
}

// Gives the board this room, the window around it growing alike. The board
// stands at scale 1 in a room of 776 x 507, the window's first size.
void giveRoom(Tchat &table, QSize room)
{
    table.resize(table.size() + (room - table.boardPanel()->size()));
    QCoreApplication::processEvents();
}

// Lets the window keep its size until the felt is drawn anew.
void settle()
{
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 300)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
}

void repaintBoard(benchmark::State &state)
{
    Tchat &table = tableInAHand();
    const qreal scale = state.range(0) / 100.0;
    giveRoom(table, QSize(qRound(776 * scale), qRound(507 * scale)));
    settle();
    benchmark::DoNotOptimize(table.boardPanel()->grab());
    for (auto _ : state)
        benchmark::DoNotOptimize(table.boardPanel()->grab());
    state.counters["scale"] = table.boardScaler().scale();
}
BENCHMARK(repaintBoard)->Arg(100)->Arg(200)->Unit(benchmark::kMillisecond);

// A size a little different each time, as while the window is dragged; with
// the repaint, or only the part spent placing the controls and choosing fonts.
void resize(benchmark::State &state, bool repaint)
{
    Tchat &table = tableInAHand();
    const qreal scale = state.range(0) / 100.0;
    int step = 0;
    for (auto _ : state) {
        const qreal s = scale + 0.004 * (++step % 200);
        giveRoom(table, QSize(qRound(776 * s), qRound(507 * s)));
        if (repaint)
            benchmark::DoNotOptimize(table.boardPanel()->grab());
    }
}
void resizeAndRepaint(benchmark::State &state)
{
    resize(state, true);
}
BENCHMARK(resizeAndRepaint)->Arg(100)->Arg(200)->Unit(benchmark::kMillisecond);
void resizeOnly(benchmark::State &state)
{
    resize(state, false);
}
BENCHMARK(resizeOnly)->Arg(200)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
