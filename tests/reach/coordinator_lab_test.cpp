// Tables listed with a coordinator that sits outside the router lab: one
// behind two NATs is joined by code through the relay, one behind a router
// that maps its port is joined by code directly, and each says which.
#include "routerlab.h"
#include "tests/common/coordinator_join.h"
#include "tests/host/raw_client.h"

#include "coordinator/coordinatorclient.h"
#include "coordinator/relaydialer.h"

#include <gtest/gtest.h>

namespace {

using hosttest::Clients;
using hosttest::kEnd;
using hosttest::RawClient;
using reachtest::InNamespace;
using reachtest::LabProcess;
using reachtest::RouterLab;

constexpr char kCoordinator[] = "11.22.33.2:7773";

// What the coordinator answers a joiner in `ns` for `code`.
testsupport::JoinAnswer askFor(const QString &ns, const QByteArray &code)
{
    InNamespace inside(ns);
    EXPECT_TRUE(inside.entered);
    return testsupport::askCoordinator(kCoordinator, code);
}

// A connection from `ns` to the table behind the relay, paired by `ticket`.
int throughRelay(const QString &ns, const Endpoint &relay, const QByteArray &ticket)
{
    InNamespace inside(ns);
    int fd = -1;
    QString why;
    RelayDialer dialer;
    QObject::connect(&dialer, &RelayDialer::ready, [&](int paired) { fd = paired; });
    QObject::connect(&dialer, &RelayDialer::failed, [&](const QString &text) { why = text; });
    dialer.dial(relay, relay::Preamble{relay::Role::Join, ticket});
    EXPECT_TRUE(testsupport::waitUntil([&] { return fd >= 0 || !why.isEmpty(); }, 10000));
    EXPECT_EQ(why, QString());
    return fd;
}

struct Listed
{
    QByteArray code;
    QByteArray reach;
};

// The code the table printed and its reach line once the connect-back is in.
Listed listedAs(LabProcess &table)
{
    const QByteArray code = table.waitForLine("code: ", {}, 10000).mid(6);
    const QByteArray reach =
        table.waitForLine("reach: Invite code " + code + ": friends join", {}, 10000);
    return {code, reach};
}

TEST(CoordinatorLab, TablesAreJoinedByCodeDirectlyOrThroughTheRelay)
{
    const std::string why = reachtest::labUnavailable();
    if (!why.empty())
        GTEST_SKIP() << why;
    const struct
    {
        RouterLab::Upstream upstream;
        bool upnp;
        const char *reach;
        bool relayed;
    } cases[] = {
        {RouterLab::Upstream::AnotherNat, false,
         "friends join with the code through the relay; the coordinator could not reach this "
         "table directly.",
         true},
        {RouterLab::Upstream::Internet, true,
         "friends join with the code, directly at 11.22.33.1:7772.", false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.reach);
        RouterLab lab(c.upstream);
        ASSERT_TRUE(lab.isUp()) << lab.log().toStdString();
        ASSERT_TRUE(lab.startRouter(c.upnp, c.upnp));
        LabProcess &coordinator = lab.run(
            "outside", QStringLiteral(SPADES_COORDINATOR),
            {"--port", "7773", "--relay-port", "7774", "--relay-address", "11.22.33.2:7774"});
        ASSERT_TRUE(coordinator.waitForText("relay on port 7774", 5000)) << coordinator.out.data();
        QStringList options{"--coordinator", kCoordinator};
        if (!c.upnp)
            options << "--no-port-mapping";
        LabProcess &table = lab.host("home", options);
        const Listed listed = listedAs(table);
        ASSERT_EQ(listed.code.size(), 9) << table.out.data();
        EXPECT_EQ(listed.reach, "reach: Invite code " + listed.code + ": " + c.reach);

        // Two players outside join with the code as it was read to them.
        Clients clients;
        for (const char *name : {"Ann", "Bob"}) {
            const testsupport::JoinAnswer answer = askFor(lab.ns("outside"), listed.code.toLower());
            ASSERT_TRUE(answer.answered);
            ASSERT_EQ(answer.refused, QString());
            ASSERT_EQ(bool(answer.relay), c.relayed);
            const int fd = c.relayed ? throughRelay(lab.ns("outside"), *answer.relay, answer.ticket)
                                     : reachtest::connectFrom(lab.ns("outside"),
                                                              answer.direct->host.constData(),
                                                              answer.direct->port);
            ASSERT_GE(fd, 0);
            clients.push_back(std::make_unique<RawClient>(fd, name, true));
            ASSERT_TRUE(hosttest::serve(
                clients, [&] { return !clients.back()->all("CMD_newplayerinfo").isEmpty(); }));
        }
        RawClient &ann = *clients[0];
        ann.send(wire::toHost::BotSpeed{1, TServer::kFast}.encode());
        ann.send(QByteArray("CMD_startgame+Ann+500+y+y+n+") + kEnd);
        EXPECT_TRUE(hosttest::serve(
            clients, [&] { return hosttest::everyoneGot(clients, "CMD_postscores"); }, 60));
        for (const auto &player : clients)
            EXPECT_EQ(player->all("CMD_tooktrick").size(), 13u);
        EXPECT_TRUE(table.terminate());
        EXPECT_TRUE(table.out.contains("Not listed with the coordinator: the table has closed"));
    }
}

} // namespace
