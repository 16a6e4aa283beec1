#include "host/hostruntime.h"
#include "host_harness.h"
#include "tests/common/test_support.h"

#include <gtest/gtest.h>

#include <memory>

using namespace hosttest;

namespace {

// A table client over a real socket, as far as the game needs one.
struct SocketSeat
{
    TSock sock;
    ReceiveBuffer buffer;
    ScriptedSeat script;
    int number = 0;
    bool closedByHost = false;

    SocketSeat(int port, const QByteArray &name)
    {
        sock.setHostName("127.0.0.1");
        sock.setPortName(QString::number(port));
        sock.OnRead = [this, name](TSock *s, int) {
            QList<QByteArray> complete;
            buffer.append(s->Receive(), complete);
            for (const QByteArray &m : complete) {
                if (nameOf(m) == "CMD_sendlogininfo") {
                    number = ints(m).value(0);
                    script.seat = number;
                    s->Send(wire::toHost::logininfo(number, wire::kVersion, name + char(0xFF)));
                }
                const QByteArray reply = script.react(m);
                if (!reply.isEmpty())
                    s->Send(reply);
            }
        };
        sock.OnInfo = [this](TSock *, TSocketInfo kind, const QByteArray &) {
            if (kind == siClose)
                closedByHost = true;
        };
        sock.Open();
    }

    QList<QByteArray> all(const char *name) const { return named(script.received, name); }
};

struct RuntimeTable
{
    HostRuntime host{12345, HostRuntime::Timing{1, 5, 1}};
    std::vector<std::unique_ptr<SocketSeat>> seats;
    QList<QByteArray> alerts;

    RuntimeTable()
    {
        host.onAlert = [this](const QByteArray &text) { alerts << text; };
        host.listen(0);
    }

    SocketSeat &join(const QByteArray &name)
    {
        seats.push_back(std::make_unique<SocketSeat>(host.port(), name));
        SocketSeat &seat = *seats.back();
        testsupport::waitUntil([&] { return !seat.all("CMD_newplayerinfo").isEmpty(); });
        return seat;
    }
};

TEST(HostRuntime, FourSocketsPlayAWholeHand)
{
    RuntimeTable t;
    ASSERT_GT(t.host.port(), 0);
    for (const char *name : {"Ann", "Bob", "Cy", "Di"})
        t.join(name);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(t.seats[i]->number, i + 1);
    t.seats[0]->sock.Send(wire::toHost::startgame("Ann", "500", true, true, false));
    ASSERT_TRUE(testsupport::waitUntil(
        [&] {
            for (const auto &s : t.seats) {
                if (s->all("CMD_postscores").isEmpty())
                    return false;
            }
            return true;
        },
        20000));
    for (const auto &s : t.seats) {
        EXPECT_EQ(s->all("CMD_heplayed").size(), 52);
        EXPECT_EQ(s->all("CMD_tooktrick").size(), 13);
        EXPECT_EQ(s->all("CMD_usecard").size(), 13);
    }
    EXPECT_TRUE(t.alerts.isEmpty());
}

TEST(HostRuntime, ComputerSeatsPlayWithTheSoloPlayer)
{
    RuntimeTable t;
    SocketSeat &me = t.join("Solo");
    me.sock.Send(wire::toHost::botspeed(1, TServer::kFast));
    me.sock.Send(wire::toHost::startgame("Solo", "500", true, true, true));
    ASSERT_TRUE(testsupport::waitUntil([&] { return !me.all("CMD_postscores").isEmpty(); }, 20000));
    EXPECT_EQ(t.host.server().botspeed(), TServer::kFast);
    EXPECT_EQ(me.all("CMD_hebid").size(), 4);
    EXPECT_EQ(me.all("CMD_heplayed").size(), 52);
}

TEST(HostRuntime, PeerCloseAndOverlongMessageEndTheConnection)
{
    RuntimeTable t;
    SocketSeat &one = t.join("One");
    t.join("Two");
    SocketSeat &three = t.join("Three");

    t.seats[1]->sock.Close();
    ASSERT_TRUE(testsupport::waitUntil([&] {
        return one.all("CMD_playerdisconnected") ==
               QList<QByteArray>{"CMD_playerdisconnected+2+Two"};
    }));
    EXPECT_FALSE(t.host.server().seats()[2].connected);

    three.sock.Send(QByteArray(ReceiveBuffer::kCap + 10, 'x'));
    ASSERT_TRUE(testsupport::waitUntil([&] { return three.closedByHost; }));
    ASSERT_TRUE(
        testsupport::waitUntil([&] { return one.all("CMD_playerdisconnected").size() == 2; }));
    EXPECT_EQ(one.all("CMD_playerdisconnected").last(), "CMD_playerdisconnected+3+Three");

    // The freed numbers go out again, lowest first.
    EXPECT_EQ(t.join("Again").number, 2);
}

TEST(HostRuntime, KickClosesTheSocketAndTheQueueTimerIdles)
{
    RuntimeTable t;
    SocketSeat &one = t.join("One");
    SocketSeat &two = t.join("Two");
    one.sock.Send(wire::toHost::kickhim(1, 2));
    ASSERT_TRUE(testsupport::waitUntil(
        [&] { return two.closedByHost && !one.all("CMD_playerdisconnected").isEmpty(); }));
    EXPECT_FALSE(t.host.server().seats()[2].connected);
    EXPECT_EQ(one.all("CMD_playerdisconnected"), QList<QByteArray>{"CMD_playerdisconnected+2+Two"});
    EXPECT_EQ(t.host.queued(), 0u);
}

TEST(HostRuntime, TenthConnectionIsTurnedAway)
{
    RuntimeTable t;
    for (int i = 0; i < 9; ++i)
        t.join("P");
    auto extra = std::make_unique<SocketSeat>(t.host.port(), "Ten");
    ASSERT_TRUE(testsupport::waitUntil([&] { return extra->closedByHost; }));
    EXPECT_EQ(extra->script.received, QList<QByteArray>{"CMD_full+"});
    EXPECT_EQ(t.host.server().connectioncount(), 9);
}

} // namespace
