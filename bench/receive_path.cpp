// What one message costs on its way in: on the host, the bytes of a read are
// cut at the terminator, queued, and handed to the host core (which answers
// every connection); on the client, the bytes are cut, queued, and one tick of
// the queue timer routes the message to its handler.
#include "client/scoresheet.h"
#include "client/scoresheetwindow.h"
#include "client/tchat.h"
#include "host/tserver.h"
#include "host/virtualport.h"
#include "protocol/message.h"
#include "protocol/receivequeue.h"
#include "protocol/wirecodec.h"

#include <QApplication>
#include <benchmark/benchmark.h>
#include <cstdlib>

namespace {

constexpr int kPlayers = 4;

// A host core with four logged-in connections; what it sends is counted, not
// kept, so a long run does not grow.
struct Host
{
    Host() : server(port, 4711u)
    {
        port.recording = false;
        port.attach(&server);
        for (int n = 1; n <= kPlayers; ++n) {
            server.Sock1Accept();
            receive(n, wire::toHost::LoginInfo{n, wire::kVersion, "Player" + QByteArray::number(n)}
                           .encode());
        }
    }

    // The receive path of HostRuntime::Sock1Read and its socket timer.
    void receive(int connection, const QByteArray &bytes)
    {
        if (!queue[connection].append(bytes))
            std::abort();
        while (const std::optional<QueuedMessage> message = queue.take())
            server.dispatch(message->connection, message->text);
    }

    VirtualPort port;
    TServer server;
    FairQueue queue;
};

QByteArray chatFrom(int n)
{
    return wire::toHost::Chat{n, "good luck everyone, nice bid partner :)#12|clBlue"}.encode();
}

// One chat line arriving in one read; the host relays it to all four.
void BM_HostChat(benchmark::State &state)
{
    Host host;
    const QByteArray bytes = chatFrom(2);
    for (auto _ : state)
        host.receive(2, bytes);
    state.SetItemsProcessed(state.iterations());
    state.counters["relayed"] = double(host.port.sentCount);
}
BENCHMARK(BM_HostChat);

// Several messages in one read, as a busy peer delivers them.
void BM_HostChatBurst(benchmark::State &state)
{
    Host host;
    QByteArray bytes;
    for (int i = 0; i < state.range(0); ++i)
        bytes += chatFrom(3);
    for (auto _ : state)
        host.receive(3, bytes);
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_HostChatBurst)->Arg(8)->Arg(64);

// A message that arrives in pieces of a few bytes: the cut must not rescan
// what it has already seen to the point of getting slow.
void BM_HostChatInPieces(benchmark::State &state)
{
    Host host;
    const QByteArray bytes = chatFrom(4);
    const int piece = int(state.range(0));
    for (auto _ : state) {
        for (qsizetype at = 0; at < bytes.size(); at += piece)
            host.receive(4, bytes.mid(at, piece));
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_HostChatInPieces)->Arg(1)->Arg(7);

// A message the host ignores (wrong sender number): the floor of the path.
void BM_HostIgnored(benchmark::State &state)
{
    Host host;
    const QByteArray bytes = wire::toHost::Chat{3, "not mine|clBlue"}.encode();
    for (auto _ : state)
        host.receive(1, bytes);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_HostIgnored);

// The table client: bytes from the socket, then one queue-timer tick.
void clientMessage(benchmark::State &state, const QList<QByteArray> &messages)
{
    Tchat table;
    table.resize(768, 483);
    qsizetype i = 0;
    for (auto _ : state) {
        table.sockRead(messages[i]);
        table.processsocktimer();
        i = i + 1 == messages.size() ? 0 : i + 1;
    }
    state.SetItemsProcessed(state.iterations());
}

void BM_ClientNextPlayer(benchmark::State &state)
{
    QList<QByteArray> messages;
    for (int seat = 1; seat <= kPlayers; ++seat)
        messages << wire::toClient::NextPlayer{seat, 1}.encode();
    clientMessage(state, messages);
}
BENCHMARK(BM_ClientNextPlayer)->Unit(benchmark::kMicrosecond);

void BM_ClientHebid(benchmark::State &state)
{
    QList<QByteArray> messages;
    for (int seat = 1; seat <= kPlayers; ++seat)
        messages << wire::toClient::HeBid{seat, seat + 1}.encode();
    clientMessage(state, messages);
}
BENCHMARK(BM_ClientHebid)->Unit(benchmark::kMicrosecond);

// The longest text a host may put in one message (64 KiB), where a table
// shows it: a player's name, a watcher's name, a game starter's name.
void BM_ClientLongestText(benchmark::State &state)
{
    const QByteArray text(64 * 1024, 'w');
    QList<QByteArray> messages;
    switch (state.range(0)) {
    case 0:
        messages << wire::toClient::NewPlayerInfo{2, text}.encode();
        break;
    case 1:
        messages << wire::toClient::NewPlayerInfo{6, text}.encode();
        break;
    case 2:
        messages << wire::toClient::HaveWrongVersion{text}.encode();
        break;
    default:
        messages << wire::StartGame{text, "500", "y", "n", "n"}.encode();
        break;
    }
    clientMessage(state, messages);
}
BENCHMARK(BM_ClientLongestText)->DenseRange(0, 3)->Unit(benchmark::kMicrosecond);

// The score sheet window, open, taking one more hand when it holds n.
void BM_ScoreSheetOneMoreHand(benchmark::State &state)
{
    ScoreSheet sheet;
    for (int hand = 1; hand <= state.range(0); ++hand) {
        sheet.apply(wire::toClient::StartRound{1, hand});
        sheet.apply(wire::toClient::PostScores{});
    }
    ScoreSheetWindow window;
    window.show();
    window.draw(sheet);
    for (auto _ : state) {
        sheet.apply(wire::toClient::PostScores{});
        window.draw(sheet);
        QCoreApplication::processEvents();
    }
}
BENCHMARK(BM_ScoreSheetOneMoreHand)->Arg(10)->Arg(1000)->Unit(benchmark::kMillisecond);

} // namespace

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
