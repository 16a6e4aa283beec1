#include "host/tserver.h"

#include "host/computerplayer.h"
#include "protocol/message.h"

#include <cstdint>

TServer::TServer(HostPort &port, std::uint32_t seed)
    : m_port(port), m_random(seed), m_expertSeed(decisionSeed(seed, 0, 0, 0))
{
    for (int seat = 1; seat <= cards::kSeats; ++seat)
        m_seats[seat].partner = cards::partnerOf(seat);
}

void TServer::dispatch(int connection, const QByteArray &message)
{
    // Nothing counts from a connection after its departure: its number may
    // already belong to someone else. (The runtime lets a peer's last messages
    // run before it reports the peer's close.)
    if (connection < 1 || connection >= kRecords || !m_seats[connection].connected)
        return;
    const auto [name, payload] = wire::splitCommand(message);
    if (name.isEmpty())
        return;

    using Handler = void (TServer::*)(int, const QByteArray &);
    static const struct
    {
        const char *name;
        Handler handler;
    } table[] = {
        {"CMD_logininfo", &TServer::receivedlogininfo},
        {"CMD_kickhim", &TServer::kickhim},
        {"CMD_botspeed", &TServer::botspeed},
        {"CMD_chat", &TServer::chat},
        {"CMD_action", &TServer::action},
        {"CMD_startgame", &TServer::startgame},
        {"CMD_justwatch", &TServer::justwatch},
        {"CMD_mybid", &TServer::mybid},
        {"CMD_playcard", &TServer::playcard},
        {"CMD_playasound", &TServer::playasound},
        {"CMD_closed", &TServer::closed},
    };
    for (const auto &entry : table) {
        if (name == entry.name) {
            (this->*entry.handler)(connection, payload);
            return;
        }
    }
}

void TServer::sendTo(int n, const QByteArray &bytes)
{
    if (n >= 1 && n <= kRecords && m_seats[n].connected)
        m_port.send(n, bytes);
}

void TServer::sendToAll(const QByteArray &bytes)
{
    for (int n = 1; n <= m_connectioncount; ++n) {
        if (m_seats[n].connected)
            m_port.send(n, bytes);
    }
}

void TServer::note(const QByteArray &line)
{
    if (m_port.wantsNotes())
        m_port.note(line);
}

void TServer::armComputer(int mode, int seat)
{
    m_port.stopComputerTimer();
    m_computerMode = mode;
    m_computerSeat = seat;
    m_port.startComputerTimer(m_port.botSpeed().value_or(m_botspeed));
}

void TServer::stopComputer()
{
    m_port.stopComputerTimer();
    m_computerMode = 0;
    m_computerSeat = 0;
}

void TServer::computertimerTimer()
{
    const int mode = m_computerMode;
    const int seat = m_computerSeat;
    stopComputer();
    // The move is made only for the seat and kind it was armed for; anything
    // else means that seat has moved already or the game went on without it.
    if (mode == 1 && bidAwaited(seat))
        computerBidFor(seat);
    else if (mode == 2 && cardAwaited(seat))
        computerCardFor(seat);
}

void TServer::computerBidFor(int seat)
{
    // The same checks as a person's bid, without the round trip through text.
    const int bid = m_kinds[seat] == ComputerKind::Expert
                        ? expertbid(m_game, m_seats, m_history, seat, m_expertSeed)
                        : computerbid(m_game, m_seats, seat);
    if (bidAwaited(seat) && ((bid >= 0 && bid <= cards::kHandSize) || bid == kBlindNilBid))
        takebid(seat, bid);
}

void TServer::computerCardFor(int seat)
{
    const ComputerCard choice = m_kinds[seat] == ComputerKind::Expert
                                    ? expertplay(m_game, m_seats, m_history, seat, m_expertSeed)
                                    : computerplay(m_game, m_seats, seat);
    for (const QByteArray &text : choice.alerts)
        m_port.alert(text);
    // Alerts may have let other events in, so the card must still be awaited.
    if (choice.handPosition != 0 && cardAwaited(seat))
        offerCard(seat, choice.handPosition);
}

QByteArrayView TServer::cut(QByteArrayView &rest)
{
    const qsizetype plus = rest.indexOf('+');
    if (plus < 0)
        return {};
    const QByteArrayView field = rest.first(plus);
    rest = rest.sliced(plus + 1);
    return field;
}

std::optional<int> TServer::intOf(QByteArrayView text)
{
    qsizetype i = !text.isEmpty() && text[0] == '-' ? 1 : 0;
    if (i >= text.size() || text.size() - i > 10)
        return std::nullopt;
    long long value = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9')
            return std::nullopt;
        value = value * 10 + (text[i] - '0');
    }
    if (text[0] == '-')
        value = -value;
    if (value < INT32_MIN || value > INT32_MAX)
        return std::nullopt;
    return int(value);
}

std::optional<int> TServer::lastInt(QByteArrayView rest)
{
    const qsizetype plus = rest.indexOf('+');
    return intOf(plus < 0 ? rest : rest.first(plus));
}
