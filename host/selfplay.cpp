#include "host/selfplay.h"

#include "host/scoring.h"
#include "host/shuffle.h"
#include "protocol/hostmessages.h"

#include <algorithm>
#include <limits>

const QByteArray SelfPlay::kCoveringAcesAlert = "Error playing following suit nil card.";

namespace {
constexpr int kHostingConnection = 1;
constexpr int kKeptAlertTexts = 10;
} // namespace

SelfPlay::SelfPlay(std::uint32_t seed) : m_seeds(seed)
{
    m_port.recording = false;
}

SelfPlay::~SelfPlay() = default;

std::uint32_t SelfPlay::nextSeed()
{
    return m_seeds.draw(0xFFFFFFFFu);
}

void SelfPlay::startGame(const Options &options, std::uint32_t seed)
{
    // A game abandoned at the hand limit may leave a timer behind.
    m_port.stopTimer1();
    m_port.stopComputerTimer();
    m_server = std::make_unique<TServer>(m_port, seed);
    for (int seat = 1; seat <= cards::kSeats; ++seat)
        m_server->setComputerKind(seat, options.kinds[seat]);
    m_port.attach(m_server.get());
    m_port.clearRecords();
    m_recordedRound = 0;

    // Only the hosting connection may start a game; it leaves straight after,
    // which hands seat 1 to the computer like the other three.
    m_server->Sock1Accept();
    const QByteArray start =
        wire::StartGame::of("selfplay", QByteArray::number(options.playtoscore), options.sandbag,
                            options.blind, options.startclub)
            .encode();
    m_server->dispatch(kHostingConnection, start.left(start.size() - 1));
    m_server->connectionClosed(kHostingConnection);
}

void SelfPlay::playGame(const Options &options)
{
    playGame(options, nextSeed());
}

void SelfPlay::playGame(const Options &options, std::uint32_t seed)
{
    startGame(options, seed);
    const GameState &game = m_server->game();
    while (game.gamestarted && game.roundnumber <= options.handLimit) {
        const bool moved = options.checked ? stepChecked() : m_port.step();
        if (!moved) {
            // Nothing left to wait for, yet no winner: the game is stuck.
            ++m_totals.stalledGames;
            break;
        }
    }

    ++m_totals.games;
    m_totals.hands += game.roundnumber;
    if (options.checked && m_recordedRound < game.roundnumber && !game.gamestarted)
        ++m_totals.shortHands;
    if (game.gamestarted) {
        ++m_totals.unfinishedGames;
        return;
    }
    ++m_totals.wins[game.teamscore[1] > game.teamscore[2] ? 1 : 2];
}

bool SelfPlay::stepChecked()
{
    const TServer &server = *m_server;
    const ComputerMove move = server.computerMove();
    const int seat = server.computerSeat();
    const bool cardDue = move == ComputerMove::Card && server.cardAwaited(seat);
    const bool bidDue = move == ComputerMove::Bid && server.bidAwaited(seat);
    const int cardsBefore = cardDue ? server.seats()[seat].cardsLeft() : 0;
    const int roundBefore = server.game().roundnumber;
    const qsizetype alertsBefore = m_port.alerts.size();

    // Bids and tricks are cleared by the scoring, so read them while all 13
    // tricks lie taken, during the pause before the hand is scored.
    int taken = 0;
    for (int s = 1; s <= cards::kSeats; ++s)
        taken += server.seats()[s].tricks;
    if (taken == cards::kHandSize && m_recordedRound < roundBefore)
        recordHand();

    const bool timed = (cardDue || bidDue) && clock;
    const std::int64_t started = timed ? clock() : 0;
    if (!m_port.step())
        return false;
    const std::int64_t took = timed ? clock() - started : 0;

    // The pending move was made when the timer no longer waits for that seat.
    const bool fired = server.computerMove() != move || server.computerSeat() != seat ||
                       !m_port.computerTimerRunning();
    if (cardDue && fired) {
        ++m_totals.computerCards;
        if (server.seats()[seat].cardsLeft() != cardsBefore - 1)
            ++m_totals.refusedCards;
    }
    if (bidDue && fired) {
        ++m_totals.computerBids;
        if (!server.seats()[seat].hasbid)
            ++m_totals.missedBids;
    }
    if (timed && fired) {
        const int kind = server.computerKind(seat) == ComputerKind::Expert ? 1 : 0;
        m_totals.decisionNanoseconds[kind].push_back(std::uint32_t(std::min<std::int64_t>(
            std::max<std::int64_t>(took, 0), std::numeric_limits<std::uint32_t>::max())));
    }
    for (qsizetype i = alertsBefore; i < m_port.alerts.size(); ++i) {
        const QByteArray &text = m_port.alerts[i];
        if (text == kCoveringAcesAlert) {
            ++m_totals.expectedAlerts;
            continue;
        }
        ++m_totals.unexpectedAlerts;
        if (m_totals.alertTexts.size() < kKeptAlertTexts)
            m_totals.alertTexts << text;
    }
    if (server.game().roundnumber != roundBefore && m_recordedRound < roundBefore) {
        // The next hand was dealt before all thirteen tricks of this one were taken.
        ++m_totals.shortHands;
        m_recordedRound = roundBefore;
    }
    return true;
}

void SelfPlay::recordHand()
{
    const SeatTable &seats = m_server->seats();
    const HandScore score = scoreHand(m_server->game(), seats);
    for (int team = 1; team <= 2; ++team) {
        m_totals.team[team].points += score.handtotal[team];
        m_totals.team[team].bagsAdded += score.bagsadded[team];
    }
    for (int s = 1; s <= cards::kSeats; ++s) {
        const SeatRecord &r = seats[s];
        for (TeamTotals *t : {&m_totals.team[cards::teamOf(s)], &m_totals.seat[s]}) {
            if (r.bid == 0 && r.blindnil) {
                ++t->blindBids;
                t->blindsMade += r.tricks == 0;
            } else if (r.bid == 0) {
                ++t->nilBids;
                t->nilsMade += r.tricks == 0;
            }
        }
        if (r.bid == 0) {
            ++m_totals.nilBids;
            ++(r.tricks == 0 ? m_totals.nilsMade : m_totals.nilsSet);
        } else {
            ++m_totals.seatBids;
            m_totals.bidTricks += r.bid;
            m_totals.tookTricks += r.tricks;
        }
    }
    m_recordedRound = m_server->game().roundnumber;
}
