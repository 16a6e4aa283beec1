// Who is at the table: accepting and numbering connections, login and the
// catch-up of a newcomer, watching, removal, departure and the relays.
#include "host/tserver.h"

#include "protocol/flowlimits.h"
#include "protocol/message.h"

namespace {
constexpr int kMaxConnections = kRecords - 1; // the tenth is only ever refused
constexpr int kLongestBotDelay = 10000;
} // namespace

int TServer::lowestFreeNumber() const
{
    for (int n = 1; n <= m_connectioncount; ++n) {
        if (!m_seats[n].connected)
            return n;
    }
    return 0;
}

int TServer::Sock1Accept()
{
    int n = lowestFreeNumber();
    if (n == 0 && m_connectioncount >= kMaxConnections) {
        if (m_port.accept(kRecords)) {
            m_port.send(kRecords, wire::toClient::full());
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
    if (grows)
        m_connectioncount = n;
    SeatRecord &record = m_seats[n];
    record.connected = true;
    record.name.clear();
    record.justwatching = false;
    note("connection " + wire::number(n) + " accepted");
    m_awaitingLogin[n] = true;
    m_port.startLoginTimer(n, limits::kLoginDeadlineMs);
    m_port.send(n, wire::toClient::sendlogininfo(n));
    return n;
}

void TServer::receivedlogininfo(int from, const QByteArray &payload)
{
    wire::FieldReader fields(payload);
    const std::optional<int> n = fields.nextInt();
    if (!n || *n != from)
        return;
    const QByteArray version = fields.next();
    const QByteArray name = fields.text();
    if (m_awaitingLogin[from]) {
        m_awaitingLogin[from] = false;
        m_port.stopLoginTimer(from);
    }
    m_seats[from].name = name;
    note("connection " + wire::number(from) + " is " + name);

    sendToAll(wire::toClient::newplayerinfo(from, name));
    for (int i = 1; i <= m_connectioncount; ++i) {
        if (i != from && m_seats[i].connected)
            sendTo(from, wire::toClient::existingplayers(i, m_seats[i].name));
    }
    if (version != wire::kVersion) {
        note(name + " has version " + version);
        sendTo(1, wire::toClient::havewrongversion(name));
        sendTo(from, wire::toClient::wrongversion());
    }
    if (m_game.gamestarted)
        bringUpToDate(from);
}

void TServer::bringUpToDate(int n)
{
    wire::GameStats stats;
    stats.recipient = n;
    stats.turn = m_game.turn;
    stats.bidder = m_game.bidder;
    stats.playtoscore = m_game.playtoscore;
    stats.blind = m_game.blind;
    stats.sandbag = m_game.sandbag;
    stats.roundnumber = m_game.roundnumber;
    stats.totalbids = m_game.totalbids;
    for (int team = 1; team <= 2; ++team) {
        stats.teamscore[team - 1] = m_game.teamscore[team];
        stats.teambags[team - 1] = m_game.teambags[team];
    }
    for (int seat = 1; seat <= cards::kSeats; ++seat) {
        const SeatRecord &r = m_seats[seat];
        stats.seats[seat - 1] = {seat, r.tricks, r.bid, r.tablecard, r.blindnil, r.hasbid};
    }
    sendTo(n, wire::toClient::gamestats(stats));

    if (!cards::isSeat(n))
        return;
    int hand[cards::kHandSize + 1] = {};
    for (int slot = 1; slot <= cards::kHandSize; ++slot)
        hand[slot] = m_seats[n].hand[slot];
    sendTo(n, wire::toClient::loadcards(n, hand));
    if (bidAwaited(n))
        sendTo(n, wire::toClient::getbid(m_game.bidder, m_game.totalbids));
    // Between tricks and during the bidding `turn` still names the last
    // player; only a card actually awaited is asked for.
    if (cardAwaited(n))
        sendTo(n, wire::toClient::nextplayer(m_game.turn, m_game.ledcard));
}

void TServer::justwatch(int from, const QByteArray &payload)
{
    wire::FieldReader fields(payload);
    const std::optional<int> seat = fields.nextInt();
    if (!seat || !cards::isSeat(*seat))
        return;
    if (from != *seat && from != 1)
        return;
    const std::optional<int> mode = lastInt(fields.text());
    SeatRecord &record = m_seats[*seat];
    if (mode == 2) {
        record.justwatching = false;
        sendToAll(wire::toClient::justwatching(*seat, 2));
        return;
    }
    if (mode != 1 || !m_game.gamestarted)
        return;
    record.justwatching = true;
    sendToAll(wire::toClient::justwatching(*seat, 1));
    if (cardAwaited(*seat))
        armComputer(2, *seat);
    else if (bidAwaited(*seat))
        armComputer(1, *seat);
}

void TServer::kickhim(int from, const QByteArray &payload)
{
    wire::FieldReader fields(payload);
    const std::optional<int> n = fields.nextInt();
    if (from != 1 || n != 1)
        return;
    const std::optional<int> target = lastInt(fields.text());
    if (!target || *target < 1 || *target > kMaxConnections)
        return;
    if (m_seats[*target].connected)
        disconnectsock(*target);
}

void TServer::disconnectsock(int n)
{
    note("connection " + wire::number(n) + " removed");
    m_port.close(n);
    departure(n);
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
        departure(connection);
}

void TServer::departure(int n)
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
            m_port.send(i, wire::toClient::playerdisconnected(n, record.name));
    }
    note("connection " + wire::number(n) + " (" + record.name + ") left");
    record.connected = false;
    record.name.clear();
    record.justwatching = false;

    // The seat's cards, bid and tricks stay: the computer plays on from there
    // until someone takes the number. The hosting player's seat just waits.
    if (!m_game.gamestarted || n == 1 || !cards::isSeat(n))
        return;
    if (bidAwaited(n))
        armComputer(1, n);
    else if (cardAwaited(n))
        armComputer(2, n);
}

void TServer::chat(int from, const QByteArray &payload)
{
    wire::FieldReader fields(payload);
    if (fields.nextInt() != from)
        return;
    sendToAll(wire::toClient::chat(from, m_seats[from].name + " chats: " + fields.text()));
}

void TServer::action(int from, const QByteArray &payload)
{
    wire::FieldReader fields(payload);
    if (fields.nextInt() != from)
        return;
    sendToAll(wire::toClient::action(from, m_seats[from].name + ' ' + fields.text()));
}

void TServer::playasound(int from, const QByteArray &payload)
{
    wire::FieldReader fields(payload);
    if (fields.nextInt() != from)
        return;
    QByteArray sound = fields.text();
    if (sound.endsWith('+'))
        sound.chop(1);
    sendToAll(wire::toClient::playasound(from, sound));
}

void TServer::botspeed(int from, const QByteArray &payload)
{
    wire::FieldReader fields(payload);
    if (from != 1 || fields.nextInt() != 1)
        return;
    const std::optional<int> delay = lastInt(fields.text());
    if (delay && *delay >= 0 && *delay <= kLongestBotDelay)
        m_botspeed = *delay;
}
