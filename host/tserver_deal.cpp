// The hand cycle up to the first card: starting a game and a hand, the deal,
// the bidding round, the pause timer and the score-display handshake.
#include "host/tserver.h"

#include "protocol/clientmessages.h"
#include "protocol/message.h"

#include <algorithm>

namespace {
using namespace wire::toClient;
using wire::kBlindNil;
constexpr int kTrickPause = 3; // ticks
constexpr int kHandPause = 15; // ticks
} // namespace

void TServer::startgame(int from, const wire::StartGame &m)
{
    if (from != 1)
        return;

    // A restart must not leave the old game's pause or computer move behind.
    stopComputer();
    stopTimer1();
    enterPhase(HostPhase::Bidding);

    m_game.sandbag = m.sandbagOn();
    m_game.blind = m.blindOn();
    m_game.startclub = m.startclubOn();
    m_game.playtoscore = m.targetScore();
    note("game started by " + m.starter + ", play to " + wire::number(m_game.playtoscore));
    sendToAll(m.encode());

    for (int seat = 1; seat <= cards::kSeats; ++seat) {
        SeatRecord &r = m_seats[seat];
        r.justwatching = false;
        r.tricks = 0;
        r.bid = 0;
        r.tablecard = 0;
    }
    m_game.teamscore.fill(0);
    m_game.teambags.fill(0);
    m_game.bidder = 0;
    m_game.dealer = 4;
    m_game.roundnumber = 0;
    m_game.ledcard = 0;
    m_game.cardsintrick = 0;
    startround();
}

void TServer::startround()
{
    enterPhase(HostPhase::Bidding);
    if (checkforwin())
        return;
    for (int seat = 1; seat <= cards::kSeats; ++seat) {
        SeatRecord &r = m_seats[seat];
        r.hasbid = false;
        r.blindnil = false;
        r.hasclosed = false;
    }
    m_game.aceplayed.fill(false);
    m_game.dealer = cards::nextSeat(m_game.dealer);
    ++m_game.roundnumber;
    if (notes()) {
        note("hand " + wire::number(m_game.roundnumber) + " dealt by seat " +
             wire::number(m_game.dealer));
    }
    if (anyoneConnected())
        sendToAll(StartRound{m_game.dealer, m_game.roundnumber}.encode());
    m_game.spadesbroken = false;
    dealcards();
    m_game.bidder = m_game.dealer;
    m_game.totalbids = 0;
    getbids();
}

void TServer::dealcards()
{
    m_history.clear();
    if (m_hasStacked) {
        m_game.deck = m_stacked;
        m_hasStacked = false;
    } else {
        shufflecards(m_game.deck, m_random);
    }
    // Position p goes to seat (p - 1) % 4 + 1 and every hand is sorted. A deck
    // that holds each card once is dealt sorted straight away: handing out the
    // cards in ascending order, each to the seat its position names, fills every
    // hand in order without comparing cards.
    std::array<int, cards::kDeckSize + 1> seatOf{};
    bool eachCardOnce = true;
    for (int position = 1; position <= cards::kDeckSize && eachCardOnce; ++position) {
        const int card = m_game.deck[position];
        eachCardOnce = cards::isCard(card) && seatOf[card] == 0;
        if (eachCardOnce)
            seatOf[card] = (position - 1) % cards::kSeats + 1;
    }
    if (eachCardOnce) {
        std::array<int, cards::kSeats + 1> filled{};
        for (int card = 1; card <= cards::kDeckSize; ++card) {
            const int seat = seatOf[card];
            m_seats[seat].hand[++filled[seat]] = card;
        }
    } else {
        dealUnsorted();
    }

    for (int seat = 1; seat <= cards::kSeats; ++seat) {
        if (!m_seats[seat].connected)
            continue;
        MyCards hand{seat, {}};
        for (int slot = 1; slot <= cards::kHandSize; ++slot)
            hand.cards.append({slot, m_seats[seat].hand[slot]});
        sendTo(seat, hand.encode());
    }
    if (!eachCardOnce)
        reportMissingCards();
}

void TServer::dealUnsorted()
{
    for (int position = 1; position <= cards::kDeckSize; ++position) {
        const int seat = (position - 1) % cards::kSeats + 1;
        const int slot = (position - 1) / cards::kSeats + 1;
        m_seats[seat].hand[slot] = m_game.deck[position];
    }
    for (int seat = 1; seat <= cards::kSeats; ++seat)
        std::sort(m_seats[seat].hand.begin() + 1, m_seats[seat].hand.end());
}

void TServer::reportMissingCards()
{
    // The shuffle never produces such a deck; a stacked one might.
    bool dealt[cards::kDeckSize + 1] = {};
    for (int seat = 1; seat <= cards::kSeats; ++seat) {
        for (int card : m_seats[seat].hand) {
            if (cards::isCard(card))
                dealt[card] = true;
        }
    }
    for (int card = 1; card <= cards::kDeckSize; ++card) {
        if (!dealt[card])
            m_port.alert(wire::number(card));
    }
}

void TServer::getbids()
{
    int next = 0;
    for (int seat = 1; seat <= cards::kSeats && next == 0; ++seat) {
        if (!m_seats[seat].hasbid)
            next = seat;
    }
    if (next == 0) {
        closeBidding();
        return;
    }
    m_game.bidder = cards::nextSeat(m_game.bidder);
    if (anyoneConnected())
        sendToAll(GetBid{m_game.bidder, m_game.totalbids}.encode());
    if (isComputerSeat(m_seats[m_game.bidder]))
        armComputer(ComputerMove::Bid, m_game.bidder);
}

void TServer::closeBidding()
{
    const int team1 = m_seats[1].bid + m_seats[3].bid;
    const int team2 = m_seats[2].bid + m_seats[4].bid;
    if (notes()) {
        note("bids: team 1 " + wire::number(team1) + ", team 2 " + wire::number(team2) +
             ", total " + wire::number(m_game.totalbids));
    }
    if (anyoneConnected())
        sendToAll(FinalBid{m_game.totalbids, team1, team2}.encode());
    m_game.bidder = 0;
    m_game.ledcard = 0;
    m_game.winningseat = 0;
    m_game.spadesbroken = false;
    m_game.turn = m_game.dealer;
    for (int seat = 1; seat <= cards::kSeats; ++seat) {
        SeatRecord &r = m_seats[seat];
        r.tablecard = 0;
        r.tricks = 0;
        r.hasbid = true;
    }
    if (!m_game.startclub) {
        findplayer();
        return;
    }
    for (int seat = 1; seat <= cards::kSeats; ++seat) {
        for (int slot = 1; slot <= cards::kHandSize; ++slot) {
            if (m_seats[seat].hand[slot] == cards::kTwoOfClubs) {
                m_game.turn = seat;
                enterPhase(HostPhase::Playing);
                offerCard(seat, slot);
                return;
            }
        }
    }
    m_port.alert("no one has the 2 of clubs.. contact Velnor");
    m_game.turn = 1;
    findplayer();
}

void TServer::mybid(int from, const wire::toHost::MyBid &m)
{
    if (m.n == from && bidAwaited(m.n))
        takebid(m.n, m.bid);
}

void TServer::takebid(int seat, int bid)
{
    SeatRecord &r = m_seats[seat];
    r.hasbid = true;
    if (bid == kBlindNil) {
        r.bid = 0;
        r.blindnil = m_game.blind; // without the option it is a plain Nil
    } else {
        r.bid = bid;
    }
    m_game.totalbids += r.bid;
    const int announced = r.blindnil ? kBlindNil : r.bid;
    if (notes())
        note("seat " + wire::number(seat) + " bids " + wire::number(announced));
    if (anyoneConnected())
        sendToAll(HeBid{seat, announced}.encode());
    getbids();
}

void TServer::findplayer()
{
    m_game.turn = cards::nextSeat(m_game.turn);
    if (m_seats[m_game.turn].cardsLeft() == 0) {
        endround();
        return;
    }
    enterPhase(HostPhase::Playing);
    if (anyoneConnected())
        sendToAll(NextPlayer{m_game.turn, m_game.ledcard}.encode());
    if (isComputerSeat(m_seats[m_game.turn]))
        armComputer(ComputerMove::Card, m_game.turn);
}

void TServer::armTimer1(int countdown, HostPhase pause)
{
    m_port.stopTimer1();
    m_game.countdown = countdown;
    enterPhase(pause);
    m_port.startTimer1();
}

// The pause timer runs only in the two pauses; whoever stops it moves the
// phase on straight after.
void TServer::stopTimer1()
{
    m_port.stopTimer1();
}

void TServer::timer1Timer()
{
    const HostPhase pause = m_phase;
    if (pause != HostPhase::TrickPause && pause != HostPhase::HandPause)
        return;
    if (--m_game.countdown > 0)
        return;
    stopTimer1();
    if (pause == HostPhase::HandPause)
        startround();
    else
        starthand();
}

void TServer::starthand()
{
    m_game.turn = m_game.nextleader;
    findplayer();
}

void TServer::closed(int from, const wire::toHost::Closed &m)
{
    const int seat = m.n;
    if (seat != from)
        return;
    // Only the score display between two hands can be dismissed.
    if (m_phase != HostPhase::HandPause)
        return;
    m_seats[seat].hasclosed = true;
    startroundOnceAllClosed();
}

// The scores stay shown until every person at a seat has closed them (or the
// pause runs out).
void TServer::startroundOnceAllClosed()
{
    for (int s = 1; s <= cards::kSeats; ++s) {
        if (m_seats[s].connected && !m_seats[s].hasclosed)
            return;
    }
    stopTimer1();
    startround();
}

void TServer::armTrickPause()
{
    armTimer1(kTrickPause, HostPhase::TrickPause);
}
void TServer::armHandPause()
{
    armTimer1(kHandPause, HostPhase::HandPause);
}
