// Hosting behind a router made of network namespaces: miniupnpd maps the port
// (or does not), the table says so, and a player outside joins where it says.
#include "routerlab.h"
#include "tests/host/raw_client.h"

#include <QElapsedTimer>
#include <QFile>
#include <gtest/gtest.h>

namespace {

using hosttest::Clients;
using hosttest::kEnd;
using hosttest::RawClient;
using reachtest::LabProcess;
using reachtest::RouterLab;

constexpr int kStatusMs = 5000;

#define SPADES_NEEDS_LAB(lab)                                                                      \
    do {                                                                                           \
        const std::string why_ = reachtest::labUnavailable();                                      \
        if (!why_.empty())                                                                         \
            GTEST_SKIP() << why_;                                                                  \
        ASSERT_TRUE((lab).isUp()) << (lab).log().toStdString();                                    \
    } while (false)

// The table's first status after asking, within the time a player would wait.
QByteArray reachOf(LabProcess &table)
{
    return table.waitForLine("reach: ", "reach: Asking", kStatusMs);
}

// A player logs in from `ns` at address:port, starts a game and sees a trick taken.
void playATrickFrom(RouterLab &lab, const char *ns, const char *address, int port)
{
    const int fd = reachtest::connectFrom(lab.ns(ns), address, port);
    ASSERT_GE(fd, 0) << "no connection to " << address << ":" << port;
    Clients clients;
    clients.push_back(std::make_unique<RawClient>(fd, "Ann", true));
    RawClient &player = *clients[0];
    ASSERT_TRUE(
        hosttest::serve(clients, [&] { return !player.all("CMD_newplayerinfo").isEmpty(); }));
    player.send(QByteArray("CMD_startgame+Ann+500+y+y+n+") + kEnd);
    EXPECT_TRUE(hosttest::serve(clients, [&] { return !player.all("CMD_tooktrick").isEmpty(); }));
}

TEST(RouterLab, UpnpMapsThePortAPlayerOutsideJoinsAndSigtermRemovesTheMapping)
{
    RouterLab lab(RouterLab::Upstream::Internet);
    SPADES_NEEDS_LAB(lab);
    ASSERT_TRUE(lab.startRouter(true, true));
    LabProcess &table = lab.host("home");
    EXPECT_EQ(reachOf(table), "reach: Friends can join at 11.22.33.1 (the router opened port "
                              "7772). At home, friends can join at 192.168.77.10.");
    EXPECT_TRUE(lab.forwards().contains("dnat ip to 192.168.77.10:7772"));
    playATrickFrom(lab, "outside", "11.22.33.1", 7772);
    EXPECT_TRUE(table.terminate());
    EXPECT_EQ(lab.forwards(), "");
    EXPECT_EQ(reachtest::connectFrom(lab.ns("outside"), "11.22.33.1", 7772), -1);
}

TEST(RouterLab, NatPmpMapsThePortWhenTheRouterHasNoUpnp)
{
    RouterLab lab(RouterLab::Upstream::Internet);
    SPADES_NEEDS_LAB(lab);
    ASSERT_TRUE(lab.startRouter(false, true));
    LabProcess &table = lab.host("home");
    EXPECT_TRUE(reachOf(table).startsWith("reach: Friends can join at 11.22.33.1 "));
    playATrickFrom(lab, "outside", "11.22.33.1", 7772);
    EXPECT_TRUE(table.terminate());
    EXPECT_EQ(lab.forwards(), "");
}

TEST(RouterLab, WithoutMappingTheStatusSaysSoAndTheHomeNetworkStillJoins)
{
    RouterLab lab(RouterLab::Upstream::Internet);
    SPADES_NEEDS_LAB(lab);
    ASSERT_TRUE(lab.startRouter(false, false));
    LabProcess &table = lab.host("home");
    const QByteArray status = reachOf(table);
    EXPECT_TRUE(status.startsWith("reach: The router did not open the port (")) << status.data();
    EXPECT_TRUE(status.endsWith("At home, friends can join at 192.168.77.10.")) << status.data();
    EXPECT_EQ(reachtest::connectFrom(lab.ns("outside"), "11.22.33.1", 7772), -1);
    playATrickFrom(lab, "home2", "192.168.77.10", 7772);
}

TEST(RouterLab, ASecondNatUpstreamIsToldAndNoOutsideAddressIsClaimed)
{
    RouterLab lab(RouterLab::Upstream::AnotherNat);
    SPADES_NEEDS_LAB(lab);
    ASSERT_TRUE(lab.startRouter(true, true));
    LabProcess &table = lab.host("home");
    const QByteArray status = reachOf(table);
    EXPECT_TRUE(status.startsWith("reach: The router has no public outside address: it sits "
                                  "behind another NAT"))
        << status.data();
    EXPECT_FALSE(status.contains("11.22.33")) << status.data();
}

TEST(RouterLab, ASecondTableAtHomeGetsAnotherOutsidePortAndIsJoinedThere)
{
    RouterLab lab(RouterLab::Upstream::Internet);
    SPADES_NEEDS_LAB(lab);
    ASSERT_TRUE(lab.startRouter(true, true));
    LabProcess &first = lab.host("home");
    ASSERT_TRUE(reachOf(first).startsWith("reach: Friends can join at 11.22.33.1 "));
    LabProcess &second = lab.host("home2");
    const QByteArray status = reachOf(second);
    const QByteArray prefix = "reach: Friends can join at 11.22.33.1:";
    ASSERT_TRUE(status.startsWith(prefix)) << status.data();
    const int port =
        status.mid(prefix.size(), status.indexOf(' ', prefix.size()) - prefix.size()).toInt();
    EXPECT_NE(port, 7772);
    EXPECT_GT(port, 0);
    playATrickFrom(lab, "outside", "11.22.33.1", port);
    // Quitting the second table takes only its own mapping.
    EXPECT_TRUE(second.terminate());
    const QByteArray left = lab.forwards();
    EXPECT_TRUE(left.contains("192.168.77.10:7772")) << left.data();
    EXPECT_FALSE(left.contains("192.168.78.10")) << left.data();
}

} // namespace

namespace {

qint64 peakKilobytes(const LabProcess &table)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(table.process.processId()));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

// A gateway answering discovery and control with replies that never end, are
// huge, crawl, are garbage, or name no address: the table goes on, its memory
// stays where it was, and it says the router did not open the port.
TEST(RouterLab, AHostileRouterOpensNothingAndHoldsNothingUp)
{
    for (const char *mode : {"endless", "oversized", "slow", "malformed", "notanaddress"}) {
        SCOPED_TRACE(mode);
        RouterLab lab(RouterLab::Upstream::Internet);
        SPADES_NEEDS_LAB(lab);
        LabProcess &router = lab.run(
            "router", QStringLiteral("/usr/bin/python3"),
            {SPADES_SOURCE_DIR "/tests/reach/hostile_router.py", mode, "192.168.77.1", "30"});
        ASSERT_TRUE(router.waitForText("ready", 5000))
            << router.out.data() << router.process.errorString().toStdString()
            << router.process.state();
        LabProcess &table = lab.host("home");
        ASSERT_TRUE(table.waitForText("reach: Asking", 5000));
        playATrickFrom(lab, "home2", "192.168.77.10", 7772);
        const QByteArray status = reachOf(table);
        EXPECT_TRUE(status.startsWith("reach: The router did not open the port ("))
            << status.data();
        EXPECT_FALSE(status.contains("<")) << status.data();
        const qint64 peak = peakKilobytes(table);
        EXPECT_GT(peak, 0);
        EXPECT_LT(peak, 100 * 1024);
        EXPECT_TRUE(table.terminate());
    }
}

} // namespace
