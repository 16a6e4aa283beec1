// Floods on real sockets: whatever one peer sends, or leaves unread, what the
// host holds for it stays within its limits, and the others are served.
#include "raw_peer.h"

#include <QElapsedTimer>
#include <algorithm>

using namespace hosttest;

namespace {

QList<QByteArray> chatsAndDepartures(const SocketSeat &seat)
{
    QList<QByteArray> out;
    for (const QByteArray &m : seat.script.received) {
        if (nameOf(m) == "CMD_chat" || nameOf(m) == "CMD_playerdisconnected")
            out << m;
    }
    return out;
}

TEST(Floods, BareTerminatorsCostNothingButTheReading)
{
    ThreeAndAPeer table;
    const QByteArray flood(1 << 20, wire::kTerminator);
    qsizetype offered = 0;
    std::size_t mostQueued = 0;
    qsizetype mostHeld = 0;
    const ReceiveQueue &peerQueue = table.t.host.queueOf(4);
    ASSERT_TRUE(playUntil(table.t, [&] {
        const ssize_t sent = table.peer->sendSome(flood.mid(offered, 65536));
        offered = sent < 0 ? flood.size() : offered + sent;
        mostQueued = std::max(mostQueued, table.t.host.queued());
        mostHeld = std::max(mostHeld, peerQueue.queuedBytes() + peerQueue.unfinishedBytes());
        return offered == flood.size();
    }));
    // What follows the flood gets through: everything before it has been read.
    table.peer->sendSome(wire::toHost::Chat{4, "still here|clBlack"}.encode());
    ASSERT_TRUE(playUntil(table.t, [&] { return table.everyoneSees("CMD_chat"); }));
    EXPECT_EQ(mostQueued, 0u);
    EXPECT_EQ(mostHeld, 0);
    EXPECT_TRUE(table.t.host.server().seats()[4].connected);
}

TEST(Floods, AFloodingPeerIsServedInTurnAndCutOffOverItsLimit)
{
    // Ticks of 10 ms, as in play: the flood takes seconds to drain.
    ThreeAndAPeer table(HostRuntime::Timing{10, 5, 1});
    SocketSeat &ann = table.first();
    QByteArray flood;
    for (int i = 0; i < 200; ++i)
        flood += wire::toHost::Chat{4, "spam|clBlack"}.encode();
    ASSERT_EQ(table.peer->sendSome(flood), flood.size());
    ASSERT_TRUE(playUntil(table.t, [&] { return table.t.host.queueOf(4).size() >= 150; }));

    // Ann's own line comes back after a flood line or two, not after the flood.
    const qsizetype before = ann.all("CMD_chat").size();
    ann.sock.Send(wire::toHost::Chat{1, "hello|clBlack"}.encode());
    const QByteArray own = "CMD_chat+1+Ann chats: hello|clBlack";
    ASSERT_TRUE(playUntil(table.t, [&] { return ann.all("CMD_chat").contains(own); }));
    EXPECT_LE(ann.all("CMD_chat").indexOf(own) - before, 3) << "flood lines relayed first";
    EXPECT_GE(table.t.host.queueOf(4).size(), 100);

    // Sent faster than it is served, the flood goes over the limit.
    std::size_t mostQueued = 0;
    ASSERT_TRUE(playUntil(table.t, [&] {
        if (table.peer->sendSome(flood) < 0 || table.peer->eof)
            return true;
        table.peer->pump();
        mostQueued = std::max(mostQueued, table.t.host.queued());
        return !ann.all("CMD_playerdisconnected").isEmpty();
    }));
    ASSERT_TRUE(playUntil(table.t, [&] { return !ann.all("CMD_playerdisconnected").isEmpty(); }));
    EXPECT_EQ(ann.all("CMD_playerdisconnected").last(), "CMD_playerdisconnected+4+Raw");
    EXPECT_LE(mostQueued, std::size_t(limits::kHostConnection.queuedMessages));
    EXPECT_EQ(table.t.host.queueOf(4).size(), 0);
}

TEST(Floods, APeerThatNeverReadsIsCutOffOnceItsBacklogIsFull)
{
    // Chat without an allowance, to fill the deaf peer's backlog quickly.
    HostRuntime::Timing timing{1, 5, 1};
    timing.chatBytesPerSecond = timing.chatBurstBytes = 1 << 30;
    RuntimeTable t(timing);
    SocketSeat &ann = t.join("Ann");
    RawPeer deaf(t.host.port(), 4096);
    ASSERT_TRUE(playUntil(t, [&] { return deaf.number() == 2; }));
    deaf.sendSome(login(2, "Deaf"));
    ASSERT_TRUE(playUntil(t, [&] { return t.host.server().seats()[2].name == "Deaf"; }));

    // Ann chats long lines, one after the other, each relayed to the deaf peer too.
    const QByteArray line = wire::toHost::Chat{1, QByteArray(60000, 'x') + "|clBlack"}.encode();
    qsizetype mostUnsent = 0;
    int sent = 0;
    ASSERT_TRUE(playUntil(
        t,
        [&] {
            mostUnsent = std::max(mostUnsent, t.host.unsent(2));
            if (!ann.all("CMD_playerdisconnected").isEmpty())
                return true;
            if (ann.all("CMD_chat").size() < sent)
                return false;
            if (sent == 400)
                return true; // 24 MB relayed and still connected: no limit
            ann.sock.Send(line);
            ++sent;
            return false;
        },
        60000));
    EXPECT_EQ(ann.all("CMD_playerdisconnected"),
              QList<QByteArray>{"CMD_playerdisconnected+2+Deaf"});
    EXPECT_LE(mostUnsent, limits::kUnsentBytes + line.size() + 100);
    EXPECT_EQ(t.host.unsent(2), 0);
}

TEST(Floods, NineSilentConnectionsMakeWayForARealPlayer)
{
    // The login deadline shortened to 1 %: 300 ms. (The lock-out itself, and
    // the deadline to the millisecond, are shown on virtual time.)
    RuntimeTable t(HostRuntime::Timing{1, 5, 1, 1});
    std::vector<std::unique_ptr<RawPeer>> silent;
    for (int i = 1; i <= 9; ++i) {
        silent.push_back(std::make_unique<RawPeer>(t.host.port()));
        ASSERT_TRUE(playUntil(t, [&] { return silent.back()->number() != 0; }));
    }
    ASSERT_TRUE(playUntil(t, [&] {
        return std::all_of(silent.begin(), silent.end(), [](const auto &peer) {
            peer->pump();
            return peer->eof;
        });
    }));
    EXPECT_EQ(t.join("Real").number, 1);
}

// A peer's last messages before it closes the connection still count, said
// under its name and before its departure is announced.
TEST(Floods, LastWordsBeforeLeavingAreStillHeard)
{
    // Slow ticks: the close arrives before the host gets to the messages.
    RuntimeTable t(HostRuntime::Timing{200, 5, 1});
    SocketSeat &ann = t.join("Ann");
    SocketSeat &bob = t.join("Bob");
    bob.sock.Send(wire::toHost::Chat{2, "bye|clBlack"}.encode() +
                  wire::toHost::Chat{2, "now|clBlack"}.encode());
    bob.sock.Close();
    ASSERT_TRUE(playUntil(t, [&] { return !ann.all("CMD_playerdisconnected").isEmpty(); }));
    EXPECT_EQ(chatsAndDepartures(ann), (QList<QByteArray>{"CMD_chat+2+Bob chats: bye|clBlack",
                                                          "CMD_chat+2+Bob chats: now|clBlack",
                                                          "CMD_playerdisconnected+2+Bob"}));
    EXPECT_EQ(t.host.queued(), 0u);
}

} // namespace

TEST(Floods, AChatAllowanceFillsAtItsRateUpToItsBurst)
{
    // 1,000 bytes a second, a burst of 3,000.
    const struct
    {
        qint64 cost;
        qint64 atMs;
        bool relayed;
    } steps[] = {
        {2000, 0, true},      // the whole burst to start with
        {2000, 0, true},      // 1,000 left: a line goes while anything is left
        {10, 0, false},       // -1,000
        {10, 999, false},     // -1
        {10, 1001, true},     // +1, then -9
        {100000, 1020, true}, // +10: even the longest line goes now and then
        {10, 60000, false},   // -99,990 + 58,980
        {10, 200000, true},   // never more than the burst, however long the wait
        {2990, 200000, true}, {1, 200000, false},
    };
    ChatAllowance allowance;
    for (const auto &step : steps)
        EXPECT_EQ(allowance.take(step.cost, step.atMs, 1000, 3000), step.relayed)
            << step.cost << " at " << step.atMs;
}

TEST(Floods, LongLinesOverTheChatAllowanceAreDroppedOthersStillChat)
{
    RuntimeTable t;
    SocketSeat &ann = t.join("Ann");
    SocketSeat &bob = t.join("Bob");
    const QByteArray line = wire::toHost::Chat{1, QByteArray(30000, 'x') + "|clBlack"}.encode();
    QByteArray flood;
    for (int i = 0; i < 8; ++i)
        flood += line;
    ann.sock.Send(flood);
    bob.sock.Send(wire::toHost::Chat{2, "hello|clBlack"}.encode());
    const QByteArray hello = "CMD_chat+2+Bob chats: hello|clBlack";
    ASSERT_TRUE(playUntil(t, [&] {
        return ann.all("CMD_chat").contains(hello) && bob.all("CMD_chat").contains(hello);
    }));
    // Long enough for the whole flood to have come in and gone through.
    QElapsedTimer settled;
    settled.start();
    ASSERT_TRUE(playUntil(t, [&] { return settled.elapsed() > 300 && t.host.queued() == 0; }));
    EXPECT_EQ(bob.all("CMD_chat").size(), 2) << "one long line, and Bob's own";
    EXPECT_EQ(ann.all("CMD_chat").size(), 2);
}
