#pragma once

#include <QByteArray>
#include <optional>

// Everything the game host does to the outside world goes through this port:
// the window program and spades-server bind it to sockets and timers, tests
// bind it to a recorder with virtual time.
class HostPort
{
public:
    virtual ~HostPort() = default;

    // Accepts the waiting connection as number n (1..10). Returns false when
    // the platform refuses it; nothing is then held under that number.
    virtual bool accept(int n) = 0;
    // The address block (addressBlock) connection n, just accepted, comes
    // from, by which the host keeps a player it removed away from the table.
    // Empty when n has no address of its own: a connection carried by a relay
    // shows the relay's address, which everyone it carries shares, so keeping
    // that away would turn friends away with the one removed.
    virtual QByteArray originOf(int n) const
    {
        Q_UNUSED(n);
        return {};
    }
    // Queues bytes for connection n.
    virtual void send(int n, const QByteArray &bytes) = 0;
    // Closes connection n. The host runs the departure itself, so the port
    // must not report this close back as a departure.
    virtual void close(int n) = 0;

    // The pause timer: one tick every second until stopped.
    virtual void startTimer1() = 0;
    virtual void stopTimer1() = 0;
    // The computer-move timer: fires once after the given delay; starting it
    // again replaces the pending delay.
    virtual void startComputerTimer(int milliseconds) = 0;
    virtual void stopComputerTimer() = 0;
    // The login deadline of connection n: fires once after the given delay
    // unless stopped; each connection has its own.
    virtual void startLoginTimer(int n, int milliseconds) = 0;
    virtual void stopLoginTimer(int n) = 0;
    // The grace of seat n, kept for its player after a lost connection:
    // fires once after the given delay unless stopped; each seat has its own.
    virtual void startGraceTimer(int seat, int milliseconds) = 0;
    virtual void stopGraceTimer(int seat) = 0;

    // Connection `from`, not logged in yet, goes on under number `to`, which
    // holds no connection: what it sends and what is sent to it from now on
    // carry the new number.
    virtual void renumber(int from, int to) = 0;
    // `count` bytes nobody can guess (the seat tickets are made of them).
    virtual QByteArray randomBytes(int count) = 0;

    // An inconsistency to show on the host's screen; play goes on.
    virtual void alert(const QByteArray &text) = 0;

    // The bot speed chosen at the hosting player's own table, when the host
    // shares its process with it; nullopt leaves the value last reported with
    // CMD_botspeed in force.
    virtual std::optional<int> botSpeed() const { return std::nullopt; }

    // One line about a connection or a game event, for a console host.
    virtual bool wantsNotes() const { return false; }
    virtual void note(const QByteArray &line) { Q_UNUSED(line); }
};
