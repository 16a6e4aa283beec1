// spades-server as a separate program, with four plain TCP clients at its table.
#include "host_harness.h"
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

using hosttest::ints;
using hosttest::named;

constexpr char kEnd = char(0xFF);

// A plain TCP client that logs in and plays as a scripted seat.
struct RawClient
{
    int fd = -1;
    QByteArray name;
    QByteArray pending;
    hosttest::ScriptedSeat script;
    bool gone = false;

    RawClient(int port, QByteArray playerName) : name(std::move(playerName))
    {
        fd = testsupport::connectLoopback(port);
        script.closes = false;
    }
    ~RawClient()
    {
        if (fd >= 0)
            ::close(fd);
    }

    void send(const QByteArray &bytes) const
    {
        ASSERT_EQ(::send(fd, bytes.constData(), size_t(bytes.size()), MSG_NOSIGNAL),
                  ssize_t(bytes.size()));
    }
    int me() const { return script.seat; }
    QList<QByteArray> all(const char *command) const { return named(script.received, command); }

    void react(const QByteArray &m)
    {
        if (m.startsWith("CMD_sendlogininfo+")) {
            script.seat = ints(m).value(0);
            send("CMD_logininfo+" + QByteArray::number(me()) + "+1.0.6+" + name + kEnd + kEnd);
        }
        const QByteArray reply = script.react(m);
        if (!reply.isEmpty())
            send(reply);
    }

    void readSome()
    {
        char area[4096];
        const ssize_t got = ::recv(fd, area, sizeof area, 0);
        if (got <= 0) {
            gone = true;
            return;
        }
        pending.append(area, got);
        for (qsizetype end; (end = pending.indexOf(kEnd)) >= 0;) {
            const QByteArray message = pending.left(end);
            pending.remove(0, end + 1);
            react(message);
        }
    }
};

using Clients = std::vector<std::unique_ptr<RawClient>>;

bool everyoneGot(const Clients &clients, const char *command)
{
    return std::all_of(clients.begin(), clients.end(),
                       [&](const auto &c) { return !c->all(command).isEmpty(); });
}

// Serves every client until `done` holds; false when the time runs out.
template <typename Done> bool serve(Clients &clients, Done done, int seconds = 30)
{
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (!done()) {
        if (std::chrono::steady_clock::now() > until)
            return false;
        std::vector<pollfd> fds;
        for (const auto &c : clients)
            fds.push_back({c->fd, POLLIN, 0});
        if (::poll(fds.data(), fds.size(), 100) <= 0)
            continue;
        for (std::size_t i = 0; i < fds.size(); ++i) {
            if (fds[i].revents != 0 && !clients[i]->gone)
                clients[i]->readSome();
        }
    }
    return true;
}

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
// on its turn, the computer plays its seat from where it stands, and the next
// to take number 1 runs the table.
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
        Server server;
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

    for (const QStringList &args :
         {QStringList{"--port", "x"}, QStringList{"--port", "70000"}, QStringList{"--what"},
          QStringList{"--computer", "genius"}, QStringList{"--computer"}}) {
        QProcess bad;
        bad.start(SPADES_SERVER, args);
        ASSERT_TRUE(bad.waitForFinished(10000));
        EXPECT_EQ(bad.exitCode(), 2) << args.join(' ').toStdString();
    }
}

} // namespace
