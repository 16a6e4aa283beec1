#include "host_harness.h"
#include "protocol/seatticket.h"

#include <gtest/gtest.h>

using namespace hosttest;

namespace {

// The ticket last given in these messages, empty when none.
QByteArray ticketIn(const QList<QByteArray> &messages)
{
    const QList<QByteArray> tickets = named(messages, "CMD_seatticket");
    if (tickets.isEmpty())
        return {};
    const auto decoded = wire::decodeToClient(tickets.last());
    return decoded ? std::get<wire::toClient::SeatTicket>(*decoded).ticket : QByteArray();
}

QByteArray rejoin(int n, int seat, const QByteArray &ticket)
{
    return wire::toHost::Rejoin{n, seat, ticket}.encode();
}

// Four people in a game waiting for seat 2's bid; each seat's ticket kept.
struct Game
{
    Host h;
    std::array<QByteArray, 5> tickets{};

    Game()
    {
        h.seat(4);
        for (int s = 1; s <= 4; ++s)
            tickets[s] = ticketIn(h.take(s));
        h.start();
        h.clear();
    }
    // A new connection that shows `ticket` for `seat`; returns its number.
    int comeBack(int seat, const QByteArray &ticket)
    {
        const int n = h.connect();
        h.deliver(n, rejoin(n, seat, ticket));
        return n;
    }
};

TEST(SeatTickets, EachSeatedPlayerGetsItsOwnAndNobodyElseSeesIt)
{
    Host h;
    h.seat(6);
    std::array<QByteArray, 5> tickets{};
    for (int n = 1; n <= 6; ++n) {
        const QList<QByteArray> mine = named(h.take(n), "CMD_seatticket");
        if (n > 4) {
            EXPECT_TRUE(mine.isEmpty()) << "a watcher has no seat to keep";
            continue;
        }
        ASSERT_EQ(mine.size(), 1) << n;
        EXPECT_EQ(ints(mine[0]).value(0), n);
        tickets[n] = ticketIn(mine);
        EXPECT_TRUE(wire::isTicket(tickets[n]));
    }
    for (int s = 1; s <= 4; ++s) {
        for (const VirtualPort::Sent &sent : h.port.log)
            EXPECT_TRUE(sent.connection == s || !sent.message.contains(tickets[s]));
    }
}

TEST(SeatTickets, ALostSeatIsKeptAndTheSamePlayerGetsItBack)
{
    Game g;
    const std::array<int, 14> hand = g.h.seatRecord(3).hand;
    g.h.server.connectionClosed(3);
    for (int n : {1, 2, 4})
        EXPECT_EQ(g.h.take(n), QList<QByteArray>{"CMD_playerdisconnected+3+P3"});
    EXPECT_TRUE(g.h.server.seatKept(3));
    EXPECT_TRUE(isComputerSeat(g.h.seatRecord(3)));

    // A newcomer meanwhile watches: seat 3 is not free.
    EXPECT_EQ(g.h.connect(), 5);
    g.h.login(5, "New");
    EXPECT_TRUE(named(g.h.take(5), "CMD_loadcards").isEmpty());

    // The player comes back on a new connection and shows the ticket.
    g.h.clear();
    ASSERT_EQ(g.comeBack(3, g.tickets[3]), 6);
    EXPECT_EQ(g.h.port.renumbered, (QList<std::pair<int, int>>{{6, 3}}));
    EXPECT_EQ(g.h.take(3), QList<QByteArray>{"CMD_sendlogininfo+3"});
    EXPECT_FALSE(g.h.server.seatKept(3));
    EXPECT_FALSE(g.h.seatRecord(6).connected);
    g.h.login(3, "P3");
    const QList<QByteArray> back = g.h.take(3);
    wire::toClient::LoadCards cards{3, {}};
    for (int slot = 1; slot <= 13; ++slot)
        cards.cards.append({slot, hand[slot]});
    EXPECT_EQ(named(back, "CMD_loadcards"), QList<QByteArray>{cards.encode().chopped(1)});
    EXPECT_EQ(named(back, "CMD_gamestats").size(), 1);
    const QByteArray fresh = ticketIn(back);
    EXPECT_TRUE(wire::isTicket(fresh));
    EXPECT_NE(fresh, g.tickets[3]);
    EXPECT_FALSE(isComputerSeat(g.h.seatRecord(3)));
    EXPECT_TRUE(g.h.take(1).contains("CMD_newplayerinfo+3+P3"));
}

TEST(SeatTickets, TicketsThatDoNotHoldAreRefusedAndChangeNothing)
{
    struct Case
    {
        const char *what;
        std::function<QByteArray(Game &)> ticket; // shown for seat 3 after it was lost
    };
    const std::vector<Case> cases = {
        {"another seat's ticket", [](Game &g) { return g.tickets[2]; }},
        {"a forged ticket", [](Game &) { return QByteArray(wire::kTicketLength, 'a'); }},
        {"the ticket once its grace is over",
         [](Game &g) {
             g.h.port.advance(TServer::kSeatGraceMs);
             return g.tickets[3];
         }},
        {"a ticket already used",
         [](Game &g) {
             g.comeBack(3, g.tickets[3]);
             g.h.login(3, "P3");
             g.h.server.connectionClosed(3);
             return g.tickets[3];
         }},
    };
    for (const Case &c : cases) {
        Game g;
        g.h.server.connectionClosed(3);
        const QByteArray ticket = c.ticket(g);
        const bool kept = g.h.server.seatKept(3);
        g.h.clear();
        const int n = g.comeBack(3, ticket);
        EXPECT_TRUE(g.h.port.renumbered.isEmpty()) << c.what;
        EXPECT_EQ(g.h.take(n), (QList<QByteArray>{"CMD_sendlogininfo+" + QByteArray::number(n),
                                                  "CMD_sendlogininfo+" + QByteArray::number(n)}))
            << c.what;
        EXPECT_EQ(g.h.server.seatKept(3), kept) << c.what;
        EXPECT_TRUE(g.h.seatRecord(2).connected) << c.what;
        EXPECT_TRUE(g.h.take(1).isEmpty()) << c.what;
    }
}

TEST(SeatTickets, AFloodOfTriesGetsOneAnswerAndTheRightTicketStillWorksElsewhere)
{
    Game g;
    g.h.server.connectionClosed(3);
    g.h.clear();
    const int n = g.h.connect();
    for (int i = 0; i < 2000; ++i)
        g.h.deliver(n,
                    rejoin(n, 3, QByteArray::number(i).rightJustified(wire::kTicketLength, '0')));
    g.h.deliver(n, rejoin(n, 3, g.tickets[3])); // one connection, one try
    EXPECT_EQ(named(g.h.take(n), "CMD_sendlogininfo").size(), 2);
    EXPECT_TRUE(g.h.port.renumbered.isEmpty());
    EXPECT_TRUE(g.h.server.seatKept(3));
    // Nor after its login.
    g.h.login(n, "Guess");
    g.h.deliver(n, rejoin(n, 3, g.tickets[3]));
    EXPECT_TRUE(g.h.port.renumbered.isEmpty());

    g.comeBack(3, g.tickets[3]);
    EXPECT_EQ(g.h.port.renumbered.size(), 1);
}

TEST(SeatTickets, SeatsThatAreNotKept)
{
    // Removed by the hosting player: the seat is free at once.
    Game removed;
    removed.h.deliver(1, wire::toHost::KickHim{1, 3}.encode());
    EXPECT_FALSE(removed.h.server.seatKept(3));
    EXPECT_EQ(removed.h.connect(), 3);

    // Before a game: nothing to keep.
    Host idle;
    idle.seat(3);
    const QByteArray ticket = ticketIn(idle.take(3));
    idle.server.connectionClosed(3);
    EXPECT_FALSE(idle.server.seatKept(3));
    const int n = idle.connect();
    EXPECT_EQ(n, 3);
    idle.deliver(n, rejoin(n, 3, ticket));
    EXPECT_TRUE(idle.port.renumbered.isEmpty());

    // After the grace the seat goes to the next newcomer, as before.
    Game late;
    late.h.server.connectionClosed(3);
    EXPECT_EQ(late.h.connect(), 5);
    late.h.port.advance(TServer::kSeatGraceMs - 1);
    EXPECT_TRUE(late.h.server.seatKept(3));
    late.h.port.advance(1);
    EXPECT_FALSE(late.h.server.seatKept(3));
    EXPECT_EQ(late.h.connect(), 3);
}

TEST(SeatTickets, TheSeatAReturningPlayerPassedThroughIsNotLeftWaiting)
{
    // Seats 3 and 4 are the computer's; seat 2's player comes back while its
    // bid is being made for it, and is first given number 3.
    Host h;
    h.seat(2);
    const QByteArray ticket = ticketIn(h.take(2));
    h.start();
    h.server.connectionClosed(2);
    ASSERT_EQ(h.server.computerSeat(), 2);
    const int n = h.connect();
    ASSERT_EQ(n, 3);
    h.port.step(); // the computer's bid for seat 2; number 3 now holds the awaited seat
    ASSERT_TRUE(h.server.bidAwaited(3));
    EXPECT_EQ(h.server.computerMove(), ComputerMove::None);
    h.deliver(n, rejoin(n, 2, ticket));
    EXPECT_FALSE(h.seatRecord(3).connected);
    EXPECT_EQ(h.server.computerMove(), ComputerMove::Bid);
    EXPECT_EQ(h.server.computerSeat(), 3);
}

TEST(SeatTickets, AReturningPlayerReplacesItsOwnConnectionThatLooksAlive)
{
    // This side has not yet noticed that the old connection is dead.
    Game g;
    const int n = g.comeBack(2, g.tickets[2]);
    EXPECT_EQ(g.h.port.closedByHost, QList<int>{2});
    EXPECT_EQ(g.h.port.renumbered, (QList<std::pair<int, int>>{{n, 2}}));
    EXPECT_TRUE(g.h.take(1).contains("CMD_playerdisconnected+2+P2"));
    EXPECT_TRUE(g.h.seatRecord(2).connected);
    EXPECT_TRUE(g.h.server.awaitingLogin(2));
}

} // namespace
