// What Open Tables shows of a hosting table, read from its game host: who is
// there, which seats a newcomer would get, and the rules, planned or played.
#include "tests/common/test_support.h"
#include "tests/host/host_harness.h"

#include "reach/hostlisting.h"

#include <QTcpSocket>
#include <gtest/gtest.h>

namespace {

using hosttest::Host;

struct Shown
{
    int seated = 0;
    int free = 4;
    int watchers = 0;
    bool gamestarted = false;
    int playtoscore = 500;
    bool sandbag = false;
    bool blind = false;
    bool startclub = false;
};

TEST(HostListing, SaysWhoIsThereWhichSeatsAreFreeAndTheRules)
{
    const PlannedRules planned{250, true, false, true};
    const struct
    {
        const char *table;
        std::function<void(Host &)> setUp;
        std::optional<PlannedRules> planned;
        Shown shown;
    } cases[] = {
        {"empty", [](Host &) {}, std::nullopt, {}},
        {"two people, rules not yet chosen",
         [](Host &h) { h.seat(2); },
         std::nullopt,
         {.seated = 2, .free = 2}},
        {"two people, the host's rules planned",
         [](Host &h) { h.seat(2); },
         planned,
         {.seated = 2, .free = 2, .playtoscore = 250, .sandbag = true, .startclub = true}},
        {"full, with watchers",
         [](Host &h) { h.seat(6); },
         std::nullopt,
         {.seated = 4, .free = 0, .watchers = 2}},
        {"a connection not logged in is nobody yet, and its seat is offered",
         [](Host &h) {
             h.seat(1);
             h.connect();
         },
         std::nullopt,
         {.seated = 1, .free = 3}},
        {"someone left before a game",
         [](Host &h) {
             h.seat(3);
             h.server.connectionClosed(2);
         },
         std::nullopt,
         {.seated = 2, .free = 2}},
        {"a game on: its own rules, not the planned ones",
         [](Host &h) {
             h.seat(2);
             h.start(false, true, false, "300");
         },
         planned,
         {.seated = 2, .free = 2, .gamestarted = true, .playtoscore = 300, .blind = true}},
        {"a lost player's seat is kept during its grace",
         [](Host &h) {
             h.seat(4);
             h.start();
             h.server.connectionClosed(3);
         },
         std::nullopt,
         {.seated = 3, .free = 0, .gamestarted = true, .sandbag = true, .blind = true}},
        {"and free once the grace is over",
         [](Host &h) {
             h.seat(4);
             h.start();
             h.server.connectionClosed(3);
             h.port.advance(TServer::kSeatGraceMs);
         },
         std::nullopt,
         {.seated = 3, .free = 1, .gamestarted = true, .sandbag = true, .blind = true}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.table);
        Host h;
        c.setUp(h);
        const PublicListing listing = listingOf(h.server, "  Ann's\ttable ", c.planned);
        EXPECT_EQ(listing.name, "Ann's?table");
        EXPECT_TRUE(listing.computers);
        const Shown got{listing.seated,      listing.free,    listing.watchers, listing.gamestarted,
                        listing.playtoscore, listing.sandbag, listing.blind,    listing.startclub};
        EXPECT_EQ(std::tie(got.seated, got.free, got.watchers, got.gamestarted),
                  std::tie(c.shown.seated, c.shown.free, c.shown.watchers, c.shown.gamestarted));
        EXPECT_EQ(std::tie(got.playtoscore, got.sandbag, got.blind, got.startclub),
                  std::tie(c.shown.playtoscore, c.shown.sandbag, c.shown.blind, c.shown.startclub));
    }
}

// A departure is noted before its seat is free: what is counted after a note
// is counted once the host's event has ended.
TEST(HostListing, CountsAfterTheNotedEventHasEnded)
{
    HostRuntime host(1);
    host.listen(0, HostReach::ThisComputer);
    QObject context;
    QList<int> free;
    afterEachNote(host, &context, [&] { free << countOf(host.server()).free; });

    QTcpSocket guest;
    guest.connectToHost(QHostAddress::LocalHost, quint16(host.port()));
    QByteArray greeting;
    ASSERT_TRUE(testsupport::waitUntil([&] {
        greeting += guest.readAll();
        return greeting.contains(char(0xFF));
    }));
    const QByteArray number = greeting.left(greeting.indexOf(char(0xFF))).split('+').value(1);
    guest.write("CMD_logininfo+" + number + "+1.0.6+Ann" + char(0xFF) + char(0xFF));
    ASSERT_TRUE(testsupport::waitUntil([&] { return !free.isEmpty() && free.last() == 3; }));
    const qsizetype seated = free.size();
    guest.disconnectFromHost();
    ASSERT_TRUE(testsupport::waitUntil([&] { return free.size() > seated; }));
    EXPECT_EQ(free.last(), 4);
}

} // namespace
