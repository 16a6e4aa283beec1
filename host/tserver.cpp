#include "host/tserver.h"

#include "host/computerplayer.h"
#include "protocol/wirecodec.h"

#include <cstdint>
#include <variant>

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
    const std::optional<wire::ToHost> decoded = wire::decodeToHost(message);
    if (!decoded)
        return;
    std::visit([this, connection](const auto &m) { handle(connection, m); }, *decoded);
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

void TServer::enterPhase(HostPhase phase)
{
    m_phase = phase;
    // The flag stays in the game state for those that read only the state
    // (computer players, replays); it follows the phase and nothing else.
    m_game.gamestarted = phase != HostPhase::NoGame;
}

void TServer::armComputer(ComputerMove move, int seat)
{
    m_port.stopComputerTimer();
    m_computerMove = move;
    m_computerSeat = seat;
    m_port.startComputerTimer(m_port.botSpeed().value_or(m_botspeed));
}

void TServer::stopComputer()
{
    m_port.stopComputerTimer();
    m_computerMove = ComputerMove::None;
    m_computerSeat = 0;
}

void TServer::armComputerIfAwaited(int seat)
{
    if (cardAwaited(seat))
        armComputer(ComputerMove::Card, seat);
    else if (bidAwaited(seat))
        armComputer(ComputerMove::Bid, seat);
}

void TServer::computertimerTimer()
{
    const ComputerMove move = m_computerMove;
    const int seat = m_computerSeat;
    stopComputer();
    // The move is made only for the seat and kind it was armed for; anything
    // else means that seat has moved already or the game went on without it.
    if (move == ComputerMove::Bid && bidAwaited(seat))
        computerBidFor(seat);
    else if (move == ComputerMove::Card && cardAwaited(seat))
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
