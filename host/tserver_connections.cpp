// Who is at the table: accepting and numbering connections, login and the
// catch-up of a newcomer, watching, removal, departure and the relays.
#include "host/tserver.h"

#include "protocol/clientmessages.h"
#include "protocol/flowlimits.h"
#include "protocol/message.h"

namespace {
constexpr int kMaxConnections = kRecords - 1; // the tenth is only ever refused
using namespace wire::toClient;
} // namespace

int TServer::lowestFreeNumber() const
{
    for (int n = 1; n <= m_connectioncount; ++n) {
        if (!m_seats[n].connected && !seatKept(n))
            return n;
    }
    return 0;
}

int TServer::Sock1Accept()
{
    int n = lowestFreeNumber();
    if (n == 0 && m_connectioncount >= kMaxConnections) {
        if (m_port.accept(kRecords)) {
            m_port.send(kRecords, Full{}.encode());
            m_port.close(kRecords);
        }
        note("connection refused: the table is full");
        return 0;
    }
    const bool grows = n == 0;
    if (grows)
        n = m_connectioncount + 1;
    if (!m_port.accept(n)) {
        note("a waiting connection could not be accepted");
        return 0;
    }
    m_origins[n] = m_port.originOf(n);
    if (keptAway(n)) {
        m_port.send(n, Full{}.encode());
        m_port.close(n);
        note("connection refused: its address was removed from the table");
        return 0;
    }
    if (grows)
        m_connectioncount = n;
    SeatRecord &record = m_seats[n];
    record.connected = true;
    record.name.clear();
    record.justwatching = false;
    note("connection " + wire::number(n) + " accepted");
    m_awaitingLogin[n] = true;
    m_rejoinTried[n] = false;
    m_port.startLoginTimer(n, limits::kLoginDeadlineMs);
    m_port.send(n, SendLoginInfo{n}.encode());
    return n;
}

void TServer::receivedlogininfo(int from, const wire::toHost::LoginInfo &m)
{
    if (m.n != from)
        return;
    const QByteArray &version = m.version;
    const QByteArray &name = m.name;
    if (m_awaitingLogin[from]) {
        m_awaitingLogin[from] = false;
        m_port.stopLoginTimer(from);
    }
    m_seats[from].name = name;
    note("connection " + wire::number(from) + " is " + name);

    sendToAll(NewPlayerInfo{from, name}.encode());
    for (int i = 1; i <= m_connectioncount; ++i) {
        if (i != from && m_seats[i].connected)
            sendTo(from, ExistingPlayers{i, m_seats[i].name}.encode());
    }
    if (version != wire::kVersion) {
        note(name + " has version " + version);
        sendTo(1, HaveWrongVersion{name}.encode());
        sendTo(from, WrongVersion{}.encode());
    }
    if (cards::isSeat(from))
        giveTicket(from);
    if (gameOn())
        bringUpToDate(from);
}

void TServer::bringUpToDate(int n)
{
    GameStats stats;
    stats.recipient = n;
    stats.turn = m_game.turn;
    stats.bidder = m_game.bidder;
    stats.playtoscore = m_game.playtoscore;
    stats.blind = m_game.blind;
    stats.sandbag = m_game.sandbag;
    stats.roundnumber = m_game.roundnumber;
    stats.totalbids = m_game.totalbids;
    stats.teamscore = {m_game.teamscore[1], m_game.teamscore[2]};
    stats.teambags = {m_game.teambags[1], m_game.teambags[2]};
    for (int seat = 1; seat <= cards::kSeats; ++seat) {
        const SeatRecord &r = m_seats[seat];
        stats.seats.append({seat, r.tricks, r.bid, r.tablecard, r.blindnil, r.hasbid});
    }
    sendTo(n, stats.encode());

    if (!cards::isSeat(n))
        return;
    LoadCards hand{n, {}};
    for (int slot = 1; slot <= cards::kHandSize; ++slot)
        hand.cards.append({slot, m_seats[n].hand[slot]});
    sendTo(n, hand.encode());
    if (bidAwaited(n))
        sendTo(n, GetBid{m_game.bidder, m_game.totalbids}.encode());
    // Between tricks and during the bidding `turn` still names the last
    // player; only a card actually awaited is asked for.
    if (cardAwaited(n))
        sendTo(n, NextPlayer{m_game.turn, m_game.ledcard}.encode());
}

void TServer::justwatch(int from, const wire::toHost::JustWatch &m)
{
    if (from != m.seat && from != 1)
        return;
    SeatRecord &record = m_seats[m.seat];
    if (m.mode == wire::toHost::JustWatch::kPlay) {
        record.justwatching = false;
        sendToAll(JustWatching{m.seat, m.mode}.encode());
        return;
    }
    if (!gameOn())
        return;
    record.justwatching = true;
    sendToAll(JustWatching{m.seat, m.mode}.encode());
    armComputerIfAwaited(m.seat);
}

void TServer::kickhim(int from, const wire::toHost::KickHim &m)
{
    if (from != 1 || m.n != 1)
        return;
    if (m.victim <= kMaxConnections && m_seats[m.victim].connected) {
        keepAway(m.victim);
        disconnectsock(m.victim);
    }
}

// The hosting player's own table comes back from its address after a lost
// connection, so whoever shares it (the same computer, the same home) stays
// welcome.
void TServer::keepAway(int n)
{
    if (n != 1 && m_origins[n] != m_origins[1])
        m_removed.add(m_origins[n]);
}

void TServer::disconnectsock(int n)
{
    note("connection " + wire::number(n) + " removed");
    m_port.close(n);
    departure(n, Leaving::Removed);
}

// A connection that stays silent holds a number, and a seat in a game, that
// nobody plays; nine of them would lock everyone else out.
void TServer::loginTimer(int connection)
{
    if (!awaitingLogin(connection) || !m_seats[connection].connected)
        return;
    note("connection " + wire::number(connection) + " did not log in in time");
    disconnectsock(connection);
}

void TServer::connectionClosed(int connection)
{
    if (connection >= 1 && connection <= kMaxConnections)
        departure(connection, Leaving::Lost);
}

void TServer::departure(int n, Leaving how)
{
    SeatRecord &record = m_seats[n];
    if (!record.connected)
        return;
    if (m_awaitingLogin[n]) {
        m_awaitingLogin[n] = false;
        m_port.stopLoginTimer(n);
    }
    for (int i = 1; i <= m_connectioncount; ++i) {
        if (i != n && m_seats[i].connected)
            m_port.send(i, PlayerDisconnected{n, record.name}.encode());
    }
    note("connection " + wire::number(n) + " (" + record.name + ") left");
    record.connected = false;
    record.name.clear();
    record.justwatching = false;

    keepSeatIfLost(n, how);

    if (gameOn() && cards::isSeat(n) && !seatWaitsForItsWindow(n))
        computerTakesOver(n);
}

// The seat's cards, bid and tricks stay: the computer plays on from there. A
// computer seat never holds up the scores between two hands.
void TServer::computerTakesOver(int seat)
{
    if (m_phase == HostPhase::HandPause)
        startroundOnceAllClosed();
    else
        armComputerIfAwaited(seat);
}

void TServer::chat(int from, const wire::toHost::Chat &m)
{
    if (m.n == from)
        sendToAll(Chat{from, m_seats[from].name + " chats: " + m.text}.encode());
}

void TServer::action(int from, const wire::toHost::Action &m)
{
    if (m.n == from)
        sendToAll(Action{from, m_seats[from].name + ' ' + m.text}.encode());
}

void TServer::playasound(int from, const wire::toHost::PlayASound &m)
{
    if (m.n == from)
        sendToAll(PlayASound{from, m.sound}.encode());
}

void TServer::botspeed(int from, const wire::toHost::BotSpeed &m)
{
    if (from == 1 && m.n == 1)
        m_botspeed = m.milliseconds;
}
