#pragma once

#include "host/computerkind.h"
#include "host/hostphase.h"
#include "host/hostport.h"
#include "host/hoststate.h"
#include "host/removedaddresses.h"
#include "host/seatknowledge.h"
#include "host/shuffle.h"
#include "protocol/hostmessages.h"

#include <QByteArray>
#include <cstdint>
#include <optional>

// The game host: the connection table, the seats and the game, driven by four
// kinds of event and acting only through its HostPort. It holds no socket and
// no timer, so the window program, spades-server and tests all run the same
// core: they feed it events and carry out what it asks of the port.
//
// Events, each handled to its end before the next:
//   Sock1Accept()             a connection is waiting on the listening socket;
//                             returns the number it got (0: turned away)
//   dispatch(n, message)      one complete message (terminator removed) that
//                             arrived on connection n; the runtime hands over
//                             one per socket-timer tick
//   connectionClosed(n)       connection n has gone (its peer closed it or it
//                             failed); repeated reports are harmless
//   timer1Timer()             a tick of the pause timer
//   computertimerTimer()      the computer-move delay has run out
//   loginTimer(n)             connection n's login deadline has run out
//   graceTimer(seat)          the seat kept for its player is kept no longer
//
// A message carrying a sender number is acted on only when that number is the
// connection it arrived on; CMD_startgame, CMD_kickhim and CMD_botspeed only
// from connection 1, the hosting player.
//
// A seat whose player's connection is lost during a game (not one the hosting
// player removed) is played by the computer and kept for that player for
// kSeatGraceMs: newcomers get other numbers meanwhile.
//
// The address of a connection the hosting player removes is kept away until
// the host closes: a new connection from it is turned away as from a full
// table, the refusal every table understands. The hosting player's own
// address is never kept away. Each seated player
// holds a secret ticket (CMD_seatticket) with which a new connection takes
// the seat back within that time (CMD_rejoin), as a newcomer would take it.
class TServer
{
public:
    static constexpr int kSlow = 1000;
    static constexpr int kNormal = 500;
    static constexpr int kFast = 200;
    static constexpr int kSeatGraceMs = 120000;

    // `seed` starts the deck's generator: Lcg::timeOfDaySeed of the clock in
    // production, a fixed value in tests.
    TServer(HostPort &port, std::uint32_t seed);

    int Sock1Accept();
    void dispatch(int connection, const QByteArray &message);
    void connectionClosed(int connection);
    void timer1Timer();
    void computertimerTimer();
    void loginTimer(int connection);
    void graceTimer(int seat);

    using Deck = std::array<int, cards::kDeckSize + 1>;
    // The next deal uses this deck (positions 1..52) instead of a shuffle,
    // once; for tests and replays of a known deal.
    void stackDeck(const Deck &deck)
    {
        m_stacked = deck;
        m_hasStacked = true;
    }

    // Who holds number 1. At a table inside a window it is that window's own
    // table, which runs the table (the default); at a table without a window
    // (spades-server) it is a remote player like any other.
    enum class SeatOne { OwnWindow, Remote };
    void setSeatOne(SeatOne holder) { m_seatOne = holder; }

    // The kind of computer player that serves a seat (Classic unless set).
    void setComputerKind(ComputerKind kind) { m_kinds.fill(kind); }
    void setComputerKind(int seat, ComputerKind kind)
    {
        if (cards::isSeat(seat))
            m_kinds[seat] = kind;
    }
    ComputerKind computerKind(int seat) const
    {
        return cards::isSeat(seat) ? m_kinds[seat] : ComputerKind::Classic;
    }

    const GameState &game() const { return m_game; }
    // What every seat has seen of the hand being played.
    const PlayHistory &history() const { return m_history; }
    const SeatTable &seats() const { return m_seats; }
    int connectioncount() const { return m_connectioncount; }
    // The delay of a computer move as last reported by connection 1.
    int botspeed() const { return m_botspeed; }
    // What the host is waiting for from a seat right now.
    bool bidAwaited(int seat) const;
    bool cardAwaited(int seat) const;
    HostPhase phase() const { return m_phase; }
    bool gameOn() const { return m_phase != HostPhase::NoGame; }
    // Connection n is accepted and has not logged in yet.
    bool awaitingLogin(int n) const { return n >= 1 && n < kRecords && m_awaitingLogin[n]; }
    // The seat is kept for its player whose connection was lost.
    bool seatKept(int seat) const { return cards::isSeat(seat) && m_kept[seat]; }
    // The computer move pending and its seat (0 when none).
    ComputerMove computerMove() const { return m_computerMove; }
    const RemovedAddresses &removedAddresses() const { return m_removed; }
    int computerSeat() const { return m_computerSeat; }

private:
    // One decoded message from connection `from`; the handlers check only
    // what depends on the game: the sender, its rights, the awaited move.
    void handle(int from, const wire::toHost::LoginInfo &m) { receivedlogininfo(from, m); }
    void handle(int from, const wire::toHost::KickHim &m) { kickhim(from, m); }
    void handle(int from, const wire::toHost::BotSpeed &m) { botspeed(from, m); }
    void handle(int from, const wire::toHost::Chat &m) { chat(from, m); }
    void handle(int from, const wire::toHost::Action &m) { action(from, m); }
    void handle(int from, const wire::StartGame &m) { startgame(from, m); }
    void handle(int from, const wire::toHost::JustWatch &m) { justwatch(from, m); }
    void handle(int from, const wire::toHost::MyBid &m) { mybid(from, m); }
    void handle(int from, const wire::toHost::PlayCard &m) { playcard(from, m); }
    void handle(int from, const wire::toHost::PlayASound &m) { playasound(from, m); }
    void handle(int from, const wire::toHost::Closed &m) { closed(from, m); }
    void handle(int from, const wire::toHost::Rejoin &m) { rejoin(from, m); }

    // Sending.
    void sendTo(int n, const QByteArray &bytes);
    void sendToAll(const QByteArray &bytes);
    bool anyoneConnected() const;
    void note(const QByteArray &line);
    bool notes() const { return m_port.wantsNotes(); }

    // Connections and login (tserver_connections.cpp).
    int lowestFreeNumber() const;
    void receivedlogininfo(int from, const wire::toHost::LoginInfo &m);
    void bringUpToDate(int n);
    void justwatch(int from, const wire::toHost::JustWatch &m);
    void kickhim(int from, const wire::toHost::KickHim &m);
    void keepAway(int n);
    bool keptAway(int n) const { return m_removed.holds(m_origins[n]); }
    void disconnectsock(int n);
    enum class Leaving { Lost, Removed };
    void departure(int n, Leaving how);
    // A departed seat 1 of a window's table waits for that window; any other
    // departed seat is played by the computer until someone takes its number.
    bool seatWaitsForItsWindow(int seat) const
    {
        return seat == 1 && m_seatOne == SeatOne::OwnWindow;
    }
    void computerTakesOver(int seat);
    void chat(int from, const wire::toHost::Chat &m);
    void action(int from, const wire::toHost::Action &m);
    void playasound(int from, const wire::toHost::PlayASound &m);
    void botspeed(int from, const wire::toHost::BotSpeed &m);

    // Seats kept for their players (tserver_rejoin.cpp).
    void giveTicket(int seat);
    // Every seat the computer takes over from a lost connection is kept.
    bool computerPlaysOn(int n) const;
    void keepSeatIfLost(int n, Leaving how);
    void keepSeat(int seat);
    void releaseSeat(int seat);
    void rejoin(int from, const wire::toHost::Rejoin &m);
    bool ticketHolds(const wire::toHost::Rejoin &m) const;
    void moveConnection(int from, int seat);

    // Game start, deal and bidding (tserver_deal.cpp).
    void startgame(int from, const wire::StartGame &m);
    void startround();
    void dealcards();
    void dealUnsorted(); // a deck missing a card or holding one twice
    void reportMissingCards();
    void getbids();
    void closeBidding();
    void mybid(int from, const wire::toHost::MyBid &m);
    void takebid(int seat, int bid); // a bid already checked: awaited and in range
    void findplayer();
    void starthand();
    void closed(int from, const wire::toHost::Closed &m);
    void startroundOnceAllClosed();
    void enterPhase(HostPhase phase);
    void armTimer1(int countdown, HostPhase pause);
    void armTrickPause();
    void armHandPause();
    void stopTimer1();

    // Trick play and scoring (tserver_tricks.cpp).
    void playcard(int from, const wire::toHost::PlayCard &m);
    void offerCard(int seat, int slot);
    void placecard(int seat, int slot, int card, int cardsLeft);
    bool beats(int card, int other) const;
    void endtrick();
    void endround();
    bool checkforwin();

    // Computer moves.
    void armComputer(ComputerMove move, int seat);
    void armComputerIfAwaited(int seat);
    void stopComputer();
    void computerBidFor(int seat);
    void computerCardFor(int seat);

    HostPort &m_port;
    Lcg m_random;
    SeatTable m_seats;
    GameState m_game;
    int m_connectioncount = 0;
    int m_botspeed = kNormal;
    SeatOne m_seatOne = SeatOne::OwnWindow;
    HostPhase m_phase = HostPhase::NoGame;
    ComputerMove m_computerMove = ComputerMove::None;
    int m_computerSeat = 0;
    std::array<bool, kRecords + 1> m_awaitingLogin{};
    // Where each connection came from (HostPort::originOf), as last accepted.
    std::array<QByteArray, kRecords + 1> m_origins{};
    RemovedAddresses m_removed;
    // Each seat's ticket (empty when none stands) and whether the seat is
    // kept for its holder; one rejoin per connection.
    std::array<QByteArray, cards::kSeats + 1> m_tickets{};
    std::array<bool, cards::kSeats + 1> m_kept{};
    std::array<bool, kRecords + 1> m_rejoinTried{};
    Deck m_stacked{};
    bool m_hasStacked = false;
    PlayHistory m_history;
    std::array<ComputerKind, cards::kSeats + 1> m_kinds{};
    // The expert players' own randomness; separate from the deck's, so that a
    // deal does not depend on which kind of computer played the hands before.
    std::uint64_t m_expertSeed = 0;
};

// Asked at every move, so defined where the compiler can inline them.
inline bool TServer::bidAwaited(int seat) const
{
    return m_phase == HostPhase::Bidding && cards::isSeat(seat) && m_game.bidder == seat;
}

inline bool TServer::cardAwaited(int seat) const
{
    return m_phase == HostPhase::Playing && cards::isSeat(seat) && m_game.turn == seat;
}

inline bool TServer::anyoneConnected() const
{
    for (int n = 1; n <= m_connectioncount; ++n) {
        if (m_seats[n].connected)
            return true;
    }
    return false;
}
