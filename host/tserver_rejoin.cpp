// Seats kept for players whose connection was lost: the tickets that prove
// who a returning player is, the grace, and the way back into the seat.
#include "host/tserver.h"

#include "protocol/clientmessages.h"
#include "protocol/flowlimits.h"
#include "protocol/message.h"
#include "protocol/seatticket.h"

#include <utility>

// A new ticket at every seating: one seen before (by a sniffer of an older
// connection, or replayed) no longer stands.
void TServer::giveTicket(int seat)
{
    m_tickets[seat] = wire::ticketOf(m_port.randomBytes(wire::kTicketLength / 2));
    sendTo(seat, wire::toClient::SeatTicket{seat, m_tickets[seat]}.encode());
}

// As departure decides: only a window's own seat 1 waits for its window.
bool TServer::computerPlaysOn(int n) const
{
    return gameOn() && cards::isSeat(n) && !seatWaitsForItsWindow(n);
}

void TServer::keepSeatIfLost(int n, Leaving how)
{
    if (how == Leaving::Lost && computerPlaysOn(n))
        keepSeat(n);
    else
        releaseSeat(n);
}

void TServer::keepSeat(int seat)
{
    if (m_tickets[seat].isEmpty())
        return;
    m_kept[seat] = true;
    m_port.startGraceTimer(seat, kSeatGraceMs);
    note("seat " + wire::number(seat) + " kept for its player");
}

void TServer::releaseSeat(int seat)
{
    if (!cards::isSeat(seat))
        return;
    if (m_kept[seat]) {
        m_port.stopGraceTimer(seat);
        note("seat " + wire::number(seat) + " no longer kept");
    }
    m_kept[seat] = false;
    m_tickets[seat].clear();
}

void TServer::graceTimer(int seat)
{
    if (seatKept(seat))
        releaseSeat(seat);
}

// Answered with the number to log in as. A connection has one try, before
// its login: a peer cannot use one connection to guess, and a flood of
// tries costs the host one comparison each.
void TServer::rejoin(int from, const wire::toHost::Rejoin &m)
{
    if (m.n != from || !awaitingLogin(from) || m_rejoinTried[from])
        return;
    m_rejoinTried[from] = true;
    if (!ticketHolds(m)) {
        note("connection " + wire::number(from) + " showed a seat ticket that does not hold");
        sendTo(from, wire::toClient::SendLoginInfo{from}.encode());
        return;
    }
    // The player's old connection may not have failed on this side yet;
    // the ticket says it is the same player, so that one is gone.
    if (m_seats[m.seat].connected) {
        m_port.close(m.seat);
        departure(m.seat, Leaving::Lost);
    }
    moveConnection(from, m.seat);
    sendTo(m.seat, wire::toClient::SendLoginInfo{m.seat}.encode());
}

bool TServer::ticketHolds(const wire::toHost::Rejoin &m) const
{
    // A seat still taken counts only when its own connection is a player's
    // that has logged in: an older one this side has not seen fail.
    const bool open = m_kept[m.seat] || (m_seats[m.seat].connected && !m_awaitingLogin[m.seat]);
    const bool matches = wire::sameTicket(m_tickets[m.seat], m.ticket);
    return open && matches;
}

// The seat's record takes over the connection as it stands: accepted, not
// logged in, its deadline running. The login that follows brings the player
// up to date and gives a new ticket.
void TServer::moveConnection(int from, int seat)
{
    releaseSeat(seat);
    m_port.stopLoginTimer(from);
    m_awaitingLogin[from] = false;
    m_seats[from].connected = false;
    m_seats[from].name.clear();
    m_port.renumber(from, seat);
    m_origins[seat] = std::exchange(m_origins[from], QByteArray());
    SeatRecord &record = m_seats[seat];
    record.connected = true;
    record.name.clear();
    record.justwatching = false;
    m_awaitingLogin[seat] = true;
    m_rejoinTried[seat] = true;
    m_port.startLoginTimer(seat, limits::kLoginDeadlineMs);
    note("connection " + wire::number(from) + " takes back seat " + wire::number(seat));
    // The number it had may be a seat the host came to wait for meanwhile.
    if (computerPlaysOn(from))
        computerTakesOver(from);
}
