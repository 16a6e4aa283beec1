#include "../common/coordinator_join.h"
#include "../common/redis_process.h"
#include "../common/server_process.h"
#include "../common/service_process.h"
#include "../common/test_support.h"
#include "coordinator/coordinatorclient.h"
#include "coordinator/redisstore.h"
#include "protocol/hostmessages.h"
#include "protocol/message.h"
#include "relay_fixture.h"

#include <QTcpSocket>
#include <gtest/gtest.h>
#include <memory>

using testsupport::ServiceProcess;
using testsupport::waitUntil;

namespace {

// A table as the host's runtime will run one: listed through the client
// library, and, when a joiner waits at a relay, dialling out and joining that
// connection to the real console server.
struct SimulatedHost
{
    CoordinatorClient client;
    quint16 serverPort;
    QByteArray code;
    int listings = 0;
    std::optional<std::optional<Endpoint>> reach;
    std::vector<std::unique_ptr<RelayDialer>> dialers;
    std::vector<std::unique_ptr<QTcpSocket>> sockets;

    SimulatedHost(const QStringList &coordinators, quint16 listenPort, quint16 server)
        : client(coordinators), serverPort(server)
    {
        QObject::connect(&client, &CoordinatorClient::hosted, [this](const QByteArray &c) {
            code = c;
            ++listings;
        });
        QObject::connect(&client, &CoordinatorClient::reachKnown,
                         [this](const std::optional<Endpoint> &direct) { reach = direct; });
        QObject::connect(
            &client, &CoordinatorClient::openRelay,
            [this](const Endpoint &relay, const QByteArray &ticket) { open(relay, ticket); });
        client.host(listenPort, {});
    }
    void open(const Endpoint &relay, const QByteArray &ticket)
    {
        auto &dialer = dialers.emplace_back(std::make_unique<RelayDialer>());
        QObject::connect(dialer.get(), &RelayDialer::ready, [this](int fd) { bridge(fd); });
        dialer->dial(relay, relay::Preamble{relay::Role::Host, ticket});
    }
    // The relayed connection and a fresh one to the table, joined.
    void bridge(int fd)
    {
        auto *relayed = sockets.emplace_back(std::make_unique<QTcpSocket>()).get();
        auto *table = sockets.emplace_back(std::make_unique<QTcpSocket>()).get();
        relayed->setSocketDescriptor(fd);
        table->connectToHost(QHostAddress::LocalHost, serverPort);
        QObject::connect(relayed, &QTcpSocket::readyRead,
                         [=] { table->write(relayed->readAll()); });
        QObject::connect(table, &QTcpSocket::readyRead, [=] { relayed->write(table->readAll()); });
    }
};

using testsupport::JoinAnswer;

JoinAnswer ask(quint16 coordinator, const QByteArray &code)
{
    return testsupport::askCoordinator("127.0.0.1:" + QString::number(coordinator), code);
}

// Joins through the relay as a table would, and logs in; the table's greeting
// and its answer to the login prove the two ends met.
bool logsInThroughRelay(const JoinAnswer &answer)
{
    if (!answer.relay)
        return false;
    RelayDialer dialer;
    int fd = -1;
    QObject::connect(&dialer, &RelayDialer::ready, [&](int ready) { fd = ready; });
    dialer.dial(*answer.relay, relay::Preamble{relay::Role::Join, answer.ticket}, 10000);
    if (!waitUntil([&] { return fd >= 0; }, 10000))
        return false;
    Peer joiner(fd);
    if (!joiner.waitFor(20) || !joiner.received.startsWith("CMD_sendlogininfo+"))
        return false;
    const int n = joiner.received.mid(18, joiner.received.indexOf('\xFF') - 18).toInt();
    const qsizetype greeting = joiner.received.size();
    joiner.send(wire::toHost::LoginInfo{n, wire::kVersion, "Far"}.encode());
    return joiner.waitFor(greeting + 1) && joiner.received.contains("Far");
}

TEST(Failover, codesOutliveACoordinatorAndJoinsOutliveARelay)
{
    testsupport::RedisProcess redis;
    if (!redis.port)
        GTEST_SKIP() << qPrintable(redis.why);
    const QString store = "127.0.0.1:" + QString::number(redis.port);
    const QStringList common{"--port", "0", "--listen", "127.0.0.1", "--redis", store};
    ServiceProcess c1(SPADES_COORDINATOR,
                      common + QStringList{"--id", "c1", "--per-address", "200"});
    ServiceProcess c2(SPADES_COORDINATOR,
                      common + QStringList{"--id", "c2", "--per-address", "200"});
    auto r1 = std::make_unique<ServiceProcess>(SPADES_RELAY, common + QStringList{"--id", "r1"});
    auto r2 = std::make_unique<ServiceProcess>(SPADES_RELAY, common + QStringList{"--id", "r2"});
    testsupport::ServerProcess table({});
    ASSERT_TRUE(c1.port && c2.port && r1->port && r2->port && table.port)
        << c1.out.constData() << c2.out.constData();

    // One table nobody can reach (it names a port where nothing listens) and
    // one the coordinator finds by connecting back.
    const QStringList both{"127.0.0.1:" + QString::number(c1.port),
                           "127.0.0.1:" + QString::number(c2.port)};
    SimulatedHost hidden(both, testsupport::freeLoopbackPort(), table.port);
    SimulatedHost open(both, table.port, table.port);
    ASSERT_TRUE(waitUntil([&] { return hidden.reach && open.reach; }, 10000));
    EXPECT_EQ(*hidden.reach, std::nullopt);
    EXPECT_EQ(*open.reach, Endpoint::of(QHostAddress::LocalHost, table.port));

    // Asked of the coordinator the table is not connected to.
    EXPECT_TRUE(logsInThroughRelay(ask(c2.port, hidden.code)));
    EXPECT_EQ(ask(c2.port, open.code).direct, open.reach.value());

    // The first coordinator dies: both tables are listed with the second
    // within ten seconds, under the codes people were given.
    const QByteArray hiddenCode = hidden.code;
    const QByteArray openCode = open.code;
    c1.kill();
    EXPECT_TRUE(waitUntil([&] { return hidden.listings == 2 && open.listings == 2; }, 10000));
    EXPECT_EQ(hidden.code, hiddenCode);
    EXPECT_EQ(open.code, openCode);
    const JoinAnswer relayed = ask(c2.port, hiddenCode);
    EXPECT_TRUE(logsInThroughRelay(relayed));
    EXPECT_EQ(ask(c2.port, openCode).direct, open.reach.value());

    // The relay it used dies: new joins are offered the other one as soon as
    // the dead one's announcement lapses, and they work.
    ASSERT_TRUE(relayed.relay);
    const bool firstDied = relayed.relay->port == r1->port;
    (firstDied ? r1 : r2)->kill();
    const quint16 survivor = (firstDied ? r2 : r1)->port;
    RedisStore shared("127.0.0.1", redis.port);
    EXPECT_TRUE(waitUntil([&] { return shared.relays().size() == 1; }, 10000));
    JoinAnswer after;
    for (int i = 0; i < 3; ++i) {
        after = ask(c2.port, hiddenCode);
        ASSERT_TRUE(after.relay) << qPrintable(after.refused);
        EXPECT_EQ(after.relay->port, survivor);
    }
    EXPECT_TRUE(logsInThroughRelay(after));
}

} // namespace
