// spades-server as a separate program, with four plain TCP clients at its table.
#include "host_harness.h"
#include "raw_client.h"
#include "tests/common/loopback.h"
#include "tests/common/server_process.h"

#include <QByteArray>
#include <QList>
#include <QProcess>
#include <QStringList>
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <array>
#include <chrono>
#include <memory>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

using hosttest::Clients;
using hosttest::ints;
using hosttest::kEnd;
using hosttest::named;
using hosttest::RawClient;
using hosttest::serve;

// Ticks of 10 ms keep the hands short.
struct Server : testsupport::ServerProcess
{
    explicit Server(const QStringList &more = {})
        : ServerProcess(QStringList{"--tick", "10"} + more)
    {
    }
};

TEST(SpadesServer, FourRawClientsPlayAWholeHandThenTheServerStopsCleanly)
{
    Server server;
    ASSERT_GT(server.port, 0);
    Clients clients;
    // The last name would drive a terminal: the console shows it escaped.
    for (const char *name : {"Ann", "Bob", "Cy", "Di\x1b[2J"}) {
        clients.push_back(std::make_unique<RawClient>(server.port, name));
        ASSERT_GE(clients.back()->fd, 0);
    }
    RawClient &host = *clients[0];
    ASSERT_TRUE(serve(clients, [&] { return host.all("CMD_newplayerinfo").size() == 4; }));
    EXPECT_EQ(host.me(), 1);
    host.send(QByteArray("CMD_startgame+Ann+500+y+y+n+") + kEnd);
    ASSERT_TRUE(serve(clients, [&] { return everyoneGot(clients, "CMD_postscores"); }));
    for (const auto &c : clients) {
        EXPECT_EQ(c->all("CMD_heplayed").size(), 52);
        EXPECT_EQ(c->all("CMD_tooktrick").size(), 13);
        EXPECT_EQ(c->all("CMD_usecard").size(), 13);
        const QList<int> scores = ints(c->all("CMD_postscores")[0]);
        ASSERT_EQ(scores.size(), 16);
        EXPECT_EQ(scores[0] + scores[1], 13);
    }

    clients[3].reset();
    clients.pop_back();
    ASSERT_TRUE(serve(clients, [&] { return !host.all("CMD_playerdisconnected").isEmpty(); }));
    EXPECT_EQ(host.all("CMD_playerdisconnected")[0], "CMD_playerdisconnected+4+Di\x1b[2J");

    server.process.terminate(); // SIGTERM
    ASSERT_TRUE(server.process.waitForFinished(10000));
    EXPECT_EQ(server.process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(server.process.exitCode(), 0);
    const QByteArray log = server.process.readAllStandardOutput();
    EXPECT_TRUE(log.contains("connection 1 accepted\n"));
    EXPECT_TRUE(log.contains("connection 1 is Ann\n"));
    EXPECT_TRUE(log.contains("game started by Ann, play to 500\n"));
    EXPECT_TRUE(log.contains("hand 1 dealt by seat 1\n"));
    EXPECT_TRUE(log.contains("seat 2 bids 3\n"));
    EXPECT_TRUE(log.contains("hand 1 scored: "));
    EXPECT_TRUE(log.contains("connection 4 (Di\\x1b[2J) left\n"));
    EXPECT_FALSE(log.contains('\x1b'));
    EXPECT_TRUE(log.endsWith("stopped\n"));
}

TEST(SpadesServer, PeerResetMidHandThenTheServerDiesAndEveryClientEnds)
{
    Server server;
    ASSERT_GT(server.port, 0);
    Clients clients;
    for (const char *name : {"Ann", "Bob", "Cy", "Di"}) {
        clients.push_back(std::make_unique<RawClient>(server.port, name));
        ASSERT_GE(clients.back()->fd, 0);
    }
    RawClient &host = *clients[0];
    ASSERT_TRUE(serve(clients, [&] { return host.all("CMD_newplayerinfo").size() == 4; }));
    host.send(QByteArray("CMD_botspeed+1+200+") + kEnd);
    host.send(QByteArray("CMD_startgame+Ann+500+y+y+n+") + kEnd);
    ASSERT_TRUE(serve(clients, [&] { return host.all("CMD_heplayed").size() >= 6; }));

    // Half a message, then a reset instead of an orderly close.
    clients[3]->send("CMD_playcard+4");
    const linger abort{1, 0};
    ::setsockopt(clients[3]->fd, SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
    clients.pop_back();
    ASSERT_TRUE(serve(clients, [&] { return everyoneGot(clients, "CMD_postscores"); }));
    EXPECT_EQ(host.all("CMD_playerdisconnected"), QList<QByteArray>{"CMD_playerdisconnected+4+Di"});
    for (const auto &c : clients)
        EXPECT_EQ(c->all("CMD_heplayed").size(), 52);

    server.process.kill();
    ASSERT_TRUE(serve(clients, [&] {
        for (const auto &c : clients) {
            if (!c->gone)
                return false;
        }
        return true;
    }));
}

bool gotStartingWith(const RawClient &client, const QByteArray &start)
{
    return std::any_of(client.script.received.begin(), client.script.received.end(),
                       [&](const QByteArray &m) { return m.startsWith(start); });
}

// Number 1 of spades-server is a remote player like any other: when it leaves
// on its turn, the computer plays its seat from where it stands, and once its
// seat is no longer kept for it, the next to take number 1 runs the table.
TEST(SpadesServer, WhenNumberOneLeavesTheComputerPlaysItsSeat)
{
    const struct
    {
        const char *moment;
        bool annBids;
        bool annPlays;
        const char *leaveOn;  // what number 1 leaves at, without answering it
        const char *playedOn; // what shows that the table went on without it
    } cases[] = {
        {"bidding", false, false, "CMD_getbid+1+", "CMD_hebid+1+"},
        {"card play", true, false, "CMD_nextplayer+1+", "CMD_heplayed+1+"},
        {"score pause", true, true, "CMD_postscores+", "CMD_startround+2+2+"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.moment);
        Server server({"--grace", "1"});
        ASSERT_GT(server.port, 0);
        Clients clients;
        for (const char *name : {"Ann", "Bob"})
            clients.push_back(std::make_unique<RawClient>(server.port, name));
        RawClient &bob = *clients[1];
        clients[0]->script.bids = c.annBids;
        clients[0]->script.autoplay = c.annPlays;
        bob.script.closes = true;
        ASSERT_TRUE(serve(clients, [&] { return bob.all("CMD_newplayerinfo").size() == 2; }));
        clients[0]->send(QByteArray("CMD_botspeed+1+0+") + kEnd);
        clients[0]->send(QByteArray("CMD_startgame+Ann+500+y+y+n+") + kEnd);
        ASSERT_TRUE(serve(clients, [&] { return gotStartingWith(*clients[0], c.leaveOn); }));
        clients.erase(clients.begin());

        EXPECT_TRUE(serve(
            clients, [&] { return gotStartingWith(bob, c.playedOn); }, 10));
        EXPECT_EQ(bob.all("CMD_playerdisconnected"),
                  QList<QByteArray>{"CMD_playerdisconnected+1+Ann"});

        // Seat 1 is kept for Ann for the grace (a second here), then freed.
        const auto freed = std::chrono::steady_clock::now() + std::chrono::milliseconds(1500);
        serve(clients, [&] { return std::chrono::steady_clock::now() > freed; });
        clients.push_back(std::make_unique<RawClient>(server.port, "Cy"));
        RawClient &cy = *clients.back();
        ASSERT_TRUE(serve(clients, [&] { return !cy.all("CMD_sendlogininfo").isEmpty(); }));
        EXPECT_EQ(cy.me(), 1);
        cy.send(QByteArray("CMD_startgame+Cy+500+y+y+n+") + kEnd);
        EXPECT_TRUE(serve(clients, [&] { return gotStartingWith(bob, "CMD_startgame+Cy+"); }));
    }
}

TEST(SpadesServer, ExpertComputersPlayTheEmptySeats)
{
    Server server({"--computer", "expert"});
    ASSERT_GT(server.port, 0);
    Clients clients;
    clients.push_back(std::make_unique<RawClient>(server.port, "Ann"));
    RawClient &host = *clients[0];
    ASSERT_TRUE(serve(clients, [&] { return !host.all("CMD_newplayerinfo").isEmpty(); }));
    host.send(QByteArray("CMD_botspeed+1+0+") + kEnd);
    host.send(QByteArray("CMD_startgame+Ann+500+y+y+n+") + kEnd);
    ASSERT_TRUE(serve(clients, [&] { return !host.all("CMD_postscores").isEmpty(); }));
    EXPECT_EQ(host.all("CMD_heplayed").size(), 52);
    EXPECT_EQ(host.all("CMD_hebid").size(), 4);
    server.process.terminate();
    ASSERT_TRUE(server.process.waitForFinished(10000));
    const QByteArray log = server.out + server.process.readAllStandardOutput();
    EXPECT_TRUE(log.contains("\nexpert computer players\n")) << log.constData();
}

TEST(SpadesServer, BusyPortFailsAndBadArgumentsAreRefused)
{
    Server first;
    ASSERT_GT(first.port, 0);
    QProcess second;
    second.start(SPADES_SERVER, {"--port", QString::number(first.port)});
    ASSERT_TRUE(second.waitForFinished(10000));
    EXPECT_EQ(second.exitCode(), 1);
    EXPECT_TRUE(second.readAllStandardError().contains("Listen - Error Binding Socket"));

    const QString tooLong(41, QLatin1Char('x'));
    const struct
    {
        QStringList args;
        const char *environment; // "NAME=value", or nothing
        const char *said;
    } cases[] = {
        {{"--port", "x"}, nullptr, "bad value 'x' for --port"},
        {{"--port", "70000"}, nullptr, "bad value '70000' for --port"},
        {{"--what"}, nullptr, "usage: spades-server"},
        {{"--computer", "genius"}, nullptr, "bad value 'genius' for --computer"},
        {{"--computer"}, nullptr, "usage: spades-server"},
        {{"--list"}, nullptr, "--list needs --coordinator"},
        {{"--list", "--coordinator", ""}, nullptr, "--list needs --coordinator"},
        {{}, "SPADES_LIST=yes", "--list needs --coordinator"},
        {{}, "SPADES_LIST=maybe", "bad value 'maybe' for SPADES_LIST"},
        {{"--coordinator", "127.0.0.1", "--table-name", " "},
         nullptr,
         "--table-name names no table"},
        {{"--coordinator", "127.0.0.1", "--table-name", tooLong},
         nullptr,
         "--table-name is longer than 40 characters"},
        {{},
         "SPADES_TABLE_NAME=xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx",
         "SPADES_TABLE_NAME is longer than 40 characters"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString() + (c.environment ? c.environment : ""));
        QProcess bad;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        if (c.environment) {
            const QString setting = QString::fromLatin1(c.environment);
            environment.insert(setting.section('=', 0, 0), setting.section('=', 1));
        }
        bad.setProcessEnvironment(environment);
        bad.start(SPADES_SERVER, c.args);
        ASSERT_TRUE(bad.waitForFinished(10000));
        EXPECT_EQ(bad.exitCode(), 2);
        EXPECT_TRUE(bad.readAllStandardError().contains(c.said));
    }
}

} // namespace
