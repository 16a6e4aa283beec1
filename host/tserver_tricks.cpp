// Refereeing the cards: checking and placing each card, resolving tricks,
// scoring the hand and declaring the winner.
#include "host/tserver.h"

#include "host/computerrules.h"
#include "host/playrules.h"
#include "host/scoring.h"
#include "protocol/clientmessages.h"
#include "protocol/message.h"

namespace {
using namespace wire::toClient;
} // namespace

void TServer::playcard(int from, const wire::toHost::PlayCard &m)
{
    if (m.n == from && cardAwaited(m.n))
        offerCard(m.n, m.handPosition);
}

void TServer::offerCard(int seat, int slot)
{
    SeatRecord &record = m_seats[seat];
    const int card = cards::isHandPosition(slot) ? record.hand[slot] : 0;
    if (card == 0) {
        sendTo(seat, Error{seat, Error::kEmptySlot, slot}.encode());
        return;
    }
    const int left = record.cardsLeft() - 1;
    const CardSet hand = computerhand::held(record);

    if (m_game.ledcard == 0) {
        m_game.leader = seat;
        if (!playrules::mayPlay(hand, card, 0, m_game.spadesbroken)) {
            sendTo(seat, Error{seat, Error::kSpadesNotBroken, slot}.encode());
            return;
        }
        m_game.ledcard = card;
        m_game.winningseat = seat;
        m_game.winningcard = card;
        m_game.cardsintrick = 1;
        placecard(seat, slot, card, left);
        findplayer();
        return;
    }

    if (!playrules::mayPlay(hand, card, getsuit(m_game.ledcard), m_game.spadesbroken)) {
        sendTo(seat, Error{seat, Error::kMustFollow, slot}.encode());
        return;
    }
    if (beats(card, m_game.winningcard)) {
        m_game.winningcard = card;
        m_game.winningseat = seat;
    }
    ++m_game.cardsintrick;
    placecard(seat, slot, card, left);
    for (int s = 1; s <= cards::kSeats; ++s) {
        if (m_seats[s].tablecard == 0) {
            findplayer();
            return;
        }
    }
    endtrick();
}

void TServer::placecard(int seat, int slot, int card, int cardsLeft)
{
    if (anyoneConnected()) {
        sendToAll(HePlayed{seat, card, cardsLeft}.encode());
        sendTo(seat, UseCard{seat, slot}.encode());
    }
    m_history.place(seat, card, m_game.cardsintrick == 1 ? 0 : m_game.ledcard, m_game.spadesbroken);
    if (getsuit(card) == cards::kSpades)
        m_game.spadesbroken = true;
    SeatRecord &record = m_seats[seat];
    record.hand[slot] = 0;
    record.tablecard = card;
    if (cards::rank(card) == 14)
        m_game.aceplayed[getsuit(card)] = true;
}

bool TServer::beats(int card, int other) const
{
    const int suit = getsuit(card);
    const int otherSuit = getsuit(other);
    if (suit == cards::kSpades)
        return otherSuit != cards::kSpades || card > other;
    const int led = getsuit(m_game.ledcard);
    return suit == led && otherSuit == led && card > other;
}

void TServer::endtrick()
{
    int winner = m_game.leader;
    for (int seat = 1; seat <= cards::kSeats; ++seat) {
        if (seat != winner && beats(m_seats[seat].tablecard, m_seats[winner].tablecard))
            winner = seat;
    }
    if (winner != m_game.winningseat) {
        const int shown =
            cards::isSeat(m_game.winningseat) ? m_seats[m_game.winningseat].tablecard : 0;
        m_port.alert("something is wrong    " + wire::number(winner) + '=' +
                     wire::number(m_seats[winner].tablecard) + "...." +
                     wire::number(m_game.winningseat) + '=' + wire::number(m_game.winningcard) +
                     "==" + wire::number(shown));
    }
    for (int seat = 1; seat <= cards::kSeats; ++seat)
        m_seats[seat].tablecard = 0;
    m_game.ledcard = 0;
    m_game.cardsintrick = 0;

    const int tricks = ++m_seats[winner].tricks;
    if (notes())
        note("seat " + wire::number(winner) + " takes the trick (" + wire::number(tricks) + ")");
    if (anyoneConnected())
        sendToAll(TookTrick{winner, tricks}.encode());
    m_game.nextleader = winner - 1;
    m_game.turn = m_game.nextleader;
    armTrickPause();
}

void TServer::endround()
{
    const HandScore score = scoreHand(m_game, m_seats);
    m_game.teambags = score.teambags;
    m_game.teamscore = score.teamscore;
    PostScores scores;
    score.postscores(scores.values);
    if (notes()) {
        note("hand " + wire::number(m_game.roundnumber) + " scored: team 1 " +
             wire::number(score.handtotal[1]) + " (" + wire::number(score.teamscore[1]) +
             "), team 2 " + wire::number(score.handtotal[2]) + " (" +
             wire::number(score.teamscore[2]) + ")");
    }
    if (anyoneConnected())
        sendToAll(scores.encode());
    for (int seat = 1; seat <= cards::kSeats; ++seat) {
        m_seats[seat].bid = 0;
        m_seats[seat].tricks = 0;
    }
    armHandPause();
}

bool TServer::checkforwin()
{
    const int team = winningTeam(m_game);
    if (team == 0)
        return false;
    note("team " + wire::number(team) + " wins");
    sendToAll(Winner{team}.encode());
    enterPhase(HostPhase::NoGame);
    return true;
}
