// A hosting table shows itself in Open Tables through its coordinator client:
// what it lists is found in a page of tables, follows its changes, goes at
// once when unlisted, comes back on every new connection, and many quick
// changes go out as few lines.
#include "../common/test_support.h"
#include "coordinator/coordinatorclient.h"
#include "coordinator/coordinatorserver.h"
#include "coordinator/memorystore.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QThread>
#include <QWebSocket>
#include <QWebSocketServer>
#include <gtest/gtest.h>
#include <memory>

using testsupport::waitUntil;

namespace {

PublicListing listingNamed(const QString &name, int seated = 1)
{
    PublicListing listing;
    listing.name = name;
    listing.playtoscore = 300;
    listing.sandbag = true;
    listing.seated = seated;
    listing.free = 4 - seated;
    listing.watchers = 2;
    return listing;
}

// Coordinators on loopback in this process, sharing one memory store; they
// write a listing as soon as they get it.
struct PublicTables : ::testing::Test
{
    QElapsedTimer clock;
    MemoryStore store{[this] { return clock.elapsed(); }};
    std::unique_ptr<CoordinatorServer> first;
    std::unique_ptr<CoordinatorServer> second;

    void SetUp() override
    {
        clock.start();
        CoordinatorLimits limits;
        limits.listingGapMs = 0;
        limits.queriesPerMinute = 10000; // the test asks for pages often
        CoordinatorServerLimits serverLimits;
        serverLimits.perAddress = 1000;
        first = std::make_unique<CoordinatorServer>("c1", store, limits, serverLimits);
        second = std::make_unique<CoordinatorServer>("c2", store, limits, serverLimits);
        ASSERT_TRUE(first->listen(QHostAddress::LocalHost, 0));
        ASSERT_TRUE(second->listen(QHostAddress::LocalHost, 0));
    }
    static QString address(const CoordinatorServer &server)
    {
        return "127.0.0.1:" + QString::number(server.port());
    }
    // The public tables a lobby is shown by `server`, in one page.
    static QList<PublicListing> tables(const CoordinatorServer &server)
    {
        QWebSocket lobby;
        QList<PublicListing> found;
        bool ended = false;
        QObject::connect(&lobby, &QWebSocket::textMessageReceived, [&](const QString &text) {
            const auto message = coord::decodeFromCoordinator(text.toLatin1());
            if (message && std::holds_alternative<coord::fromCoordinator::Table>(*message))
                found << std::get<coord::fromCoordinator::Table>(*message).listing;
            ended = ended ||
                    (message && std::holds_alternative<coord::fromCoordinator::Page>(*message));
        });
        QObject::connect(&lobby, &QWebSocket::connected,
                         [&] { lobby.sendTextMessage(coord::toCoordinator::Tables{}.encode()); });
        lobby.open(CoordinatorClient::urlOf(address(server)));
        waitUntil([&] { return ended; });
        return found;
    }
    // Waits until `server` shows exactly `expected` (nothing: no table).
    static bool shows(const CoordinatorServer &server, const CoordinatorClient &table,
                      const std::optional<PublicListing> &expected, int timeoutMs = 5000)
    {
        return waitUntil(
            [&] {
                const QList<PublicListing> found = tables(server);
                bool match = found.isEmpty() && !expected;
                if (found.size() == 1 && expected) {
                    PublicListing wanted = *expected;
                    wanted.code = table.code();
                    wanted.direct = found[0].direct; // the connect-back's to say
                    match = found[0] == wanted;
                }
                if (!match)
                    QThread::msleep(20);
                return match;
            },
            timeoutMs);
    }
};

TEST_F(PublicTables, aListedTableIsShownFollowedUnlistedAtOnceAndShownAgainElsewhere)
{
    CoordinatorClient table({address(*first), address(*second)});
    table.setListingGap(50);
    // Set before the coordinator has listed the table: it waits for that.
    table.setListing(listingNamed("Ann's table"));
    table.host(1, {});
    ASSERT_TRUE(waitUntil([&] { return !table.code().isEmpty(); }));
    const struct
    {
        const char *step;
        std::optional<PublicListing> listing;
        int withinMs;
    } steps[] = {
        {"listed", listingNamed("Ann's table"), 5000},
        {"a second player sits", listingNamed("Ann's table", 2), 5000},
        {"unlisted, at once", std::nullopt, 300},
        {"listed again", listingNamed("Ann's table", 3), 5000},
    };
    for (const auto &s : steps) {
        SCOPED_TRACE(s.step);
        table.setListing(s.listing);
        EXPECT_TRUE(shows(*first, table, s.listing, s.withinMs));
    }

    // Its coordinator goes: the table moves to the next with its code, and
    // is shown there again.
    const QByteArray code = table.code();
    first.reset();
    store.dropListing(code); // the listing lapses with its coordinator's word

    ASSERT_TRUE(waitUntil([&] { return table.current() == 1 && table.code() == code; }));
    EXPECT_TRUE(shows(*second, table, listingNamed("Ann's table", 3)));
}

// The console server lists its table in Open Tables under the name it is
// given, says so, and unlists it when it ends.
TEST_F(PublicTables, theConsoleServerListsItsTableByNameAndUnlistsItOnSigterm)
{
    QProcess server;
    server.start(SPADES_SERVER, {"--port", "0", "--no-port-mapping", "--coordinator",
                                 address(*first), "--list", "--table-name", "Night owls"});
    QByteArray out;
    ASSERT_TRUE(waitUntil(
        [&] {
            out += server.readAllStandardOutput();
            return out.contains("\nlisted in Open Tables as Night owls\n");
        },
        10000))
        << out.constData();
    PublicListing expected;
    expected.name = "Night owls";
    EXPECT_TRUE(waitUntil([&] {
        const QList<PublicListing> found = tables(*first);
        return found.size() == 1 && found[0].tableWords() == expected.tableWords();
    }));

    server.terminate();
    ASSERT_TRUE(waitUntil([&] { return server.state() == QProcess::NotRunning; }, 10000));
    out += server.readAllStandardOutput();
    EXPECT_TRUE(out.contains("\nno longer listed in Open Tables\n")) << out.constData();
    EXPECT_TRUE(tables(*first).isEmpty());
}

// A coordinator that lists every table under one code and keeps what it is told.
struct FakeCoordinator
{
    QWebSocketServer server{"fake", QWebSocketServer::NonSecureMode};
    QList<QWebSocket *> sockets;
    QList<QByteArray> lines;

    FakeCoordinator()
    {
        server.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&server, &QWebSocketServer::newConnection, [this] {
            QWebSocket *socket = server.nextPendingConnection();
            socket->setParent(&server); // it goes with the server
            sockets << socket;
            QObject::connect(socket, &QWebSocket::textMessageReceived,
                             [this, socket](const QString &text) {
                                 lines << text.toLatin1();
                                 if (text.startsWith("host "))
                                     socket->sendTextMessage("hosted 7KQ2M9XD");
                             });
        });
    }
    QString address() const { return "127.0.0.1:" + QString::number(server.serverPort()); }
    QList<QByteArray> starting(const QByteArray &word) const
    {
        QList<QByteArray> found;
        for (const QByteArray &line : lines) {
            if (line.startsWith(word))
                found << line;
        }
        return found;
    }
};

TEST(ListingClient, manyQuickChangesGoOutAsFewLinesAndEveryNewConnectionHearsTheLatest)
{
    FakeCoordinator coordinator;
    CoordinatorClient table({coordinator.address()});
    table.setListingGap(300);
    table.host(1, {});
    ASSERT_TRUE(waitUntil([&] { return !table.code().isEmpty(); }));

    for (int seated = 0; seated <= 4; ++seated) {
        for (int watchers = 0; watchers <= 5; ++watchers) {
            PublicListing listing = listingNamed("Busy table", seated);
            listing.watchers = watchers;
            table.setListing(listing);
        }
    }
    const QByteArray latest = coord::toCoordinator::List{table.listing().value()}.encode();
    ASSERT_TRUE(waitUntil([&] { return coordinator.lines.last() == latest; }));
    EXPECT_EQ(coordinator.starting("list ").size(), 2); // the first at once, the latest after

    // Unlisting goes out at once, in the middle of a gap too.
    table.setListing(listingNamed("Busy table", 1));
    table.setListing(std::nullopt);
    ASSERT_TRUE(waitUntil([&] { return coordinator.lines.last() == "unlist"; }, 100));

    // A listing the coordinator could not read is never sent as it stands.
    PublicListing odd = listingNamed("Odd\ntable");
    odd.playtoscore = -5;
    odd.free = 4;
    odd.watchers = 12;
    table.setListing(odd);
    ASSERT_TRUE(waitUntil([&] { return coordinator.lines.last().startsWith("list "); }));
    const auto sent = coord::decodeToCoordinator(coordinator.lines.last());
    ASSERT_TRUE(sent.has_value());
    const PublicListing read = std::get<coord::toCoordinator::List>(*sent).listing;
    EXPECT_EQ(read.name, "Odd?table");
    EXPECT_EQ(read.playtoscore, 1);
    EXPECT_EQ(read.seated + read.free, 4);
    EXPECT_EQ(read.watchers, PublicListing::kMostWatchers);

    // The connection drops and comes back: the table is listed and then
    // shown again as it is now.
    const qsizetype before = coordinator.lines.size();
    coordinator.sockets.last()->close();
    ASSERT_TRUE(waitUntil([&] { return coordinator.lines.size() >= before + 2; }));
    EXPECT_TRUE(coordinator.lines[before].startsWith("host "));
    EXPECT_EQ(coordinator.lines[before + 1], coordinator.lines[before - 1]);

    table.stopHosting();
    ASSERT_TRUE(waitUntil([&] { return coordinator.lines.last() == "leave"; }));
}

// New ways in are checked on a new connection to the coordinator in use:
// the table does not wander along its list, and says nothing of being out
// of reach.
TEST(ListingClient, newWaysInAreListedAgainWithTheSameCoordinator)
{
    FakeCoordinator first;
    FakeCoordinator second;
    CoordinatorClient table({first.address(), second.address()});
    QStringList said;
    QObject::connect(&table, &CoordinatorClient::unreachable,
                     [&](const QString &why) { said << why; });
    QObject::connect(&table, &CoordinatorClient::refused, [&](const QString &why) { said << why; });
    table.host(1, {});
    ASSERT_TRUE(waitUntil([&] { return !table.code().isEmpty(); }));
    for (const quint16 port : {7772, 7773}) {
        table.host(1, {{"11.22.33.1", port}});
        ASSERT_TRUE(waitUntil([&] {
            return first.starting("host ").size() == port - 7770 &&
                   first.starting("host ").last().contains(":" + QByteArray::number(port));
        }));
    }
    EXPECT_EQ(table.current(), 0);
    EXPECT_TRUE(second.lines.isEmpty());
    EXPECT_TRUE(said.isEmpty()) << said.join(' ').toStdString();
}

} // namespace
