// The solo table on real sockets and real timers: with the Fast setting the three
// computer seats answer a person's lead in about 600 ms.
#include "host/hostruntime.h"
#include "host_harness.h"
#include "tests/common/test_support.h"

#include <QElapsedTimer>
#include <gtest/gtest.h>

using namespace hosttest;

namespace {

TEST(ComputerEndToEnd, FastComputersAnswerAPersonsLeadInAboutSixHundredMilliseconds)
{
    HostRuntime host(777u); // real pacing: 10 ms queue ticks, one-second pause ticks
    host.listen(0);
    ASSERT_GT(host.port(), 0);
    // Seat 1 holds every spade: it ruffs the first trick and leads the second.
    host.server().stackDeck(deckWith({{27, 28, 29, 30, 31, 32, 33, 34, 35, 36, 37, 38, 39}}));

    TSock sock;
    ReceiveQueue buffer{limits::kClient};
    ScriptedSeat me;
    me.seat = 1;
    QElapsedTimer sinceLead;
    qint64 answeredAfter = -1;
    sock.setHostName("127.0.0.1");
    sock.setPortName(QString::number(host.port()));
    sock.OnRead = [&](TSock *s, int) {
        if (!buffer.append(s->Receive()))
            return;
        for (const QByteArray &m : buffer.takeAll()) {
            if (nameOf(m) == "CMD_sendlogininfo")
                s->Send(
                    wire::toHost::logininfo(1, wire::kVersion, QByteArray("Solo") + char(0xFF)));
            const QByteArray reply = me.react(m);
            if (nameOf(m) == "CMD_tooktrick" && named(me.received, "CMD_tooktrick").size() == 2)
                answeredAfter = sinceLead.elapsed();
            if (reply.isEmpty())
                continue;
            if (nameOf(reply) == "CMD_playcard" && named(me.received, "CMD_tooktrick").size() == 1)
                sinceLead.start();
            s->Send(reply);
        }
    };
    sock.Open(); // the connect completes in the event loop
    ASSERT_TRUE(testsupport::waitUntil([&] { return !me.received.isEmpty(); }));
    ASSERT_TRUE(
        testsupport::waitUntil([&] { return !named(me.received, "CMD_newplayerinfo").isEmpty(); }));

    sock.Send(wire::toHost::botspeed(1, TServer::kFast));
    sock.Send(wire::toHost::startgame("Solo", "500", true, false, false));
    ASSERT_TRUE(testsupport::waitUntil([&] { return answeredAfter >= 0; }, 15000));
    EXPECT_EQ(named(me.received, "CMD_tooktrick"),
              (QList<QByteArray>{"CMD_tooktrick+1+1+", "CMD_tooktrick+1+2+"}));
    // Three moves of 200 ms each (a coarse timer may fire up to 5% early), then
    // whatever the queue and the loopback add; a busy machine gets some slack.
    EXPECT_GE(answeredAfter, 570);
    EXPECT_LE(answeredAfter, 1500);
    RecordProperty("answeredAfterMs", int(answeredAfter));
}

} // namespace
