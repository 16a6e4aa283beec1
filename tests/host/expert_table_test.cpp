// The expert player at the host's table: what it may see, and whether the host
// ever refuses what it chooses.
#include "host/computerkind.h"
#include "host/selfplay.h"
#include "host/shuffle.h"
#include "host/tserver.h"
#include "host/virtualport.h"
#include "protocol/hostmessages.h"
#include "protocol/message.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

struct Moment
{
    GameState game;
    SeatTable seats;
    PlayHistory history;
    int seat = 0;
    bool bidding = false;
};

// The tables at every move of a few hands between four expert seats.
std::vector<Moment> recordedMoments(int count)
{
    std::vector<Moment> out;
    VirtualPort port;
    port.recording = false;
    TServer server(port, 31337u);
    server.setComputerKind(ComputerKind::Expert);
    port.attach(&server);
    server.Sock1Accept();
    server.dispatch(1, wire::StartGame::of("t", "100000", true, true, false).encode().chopped(1));
    server.connectionClosed(1);
    while (int(out.size()) < count && port.step()) {
        const int seat = server.computerSeat();
        const bool bid = server.computerMove() == ComputerMove::Bid && server.bidAwaited(seat);
        if (bid || (server.computerMove() == ComputerMove::Card && server.cardAwaited(seat)))
            out.push_back({server.game(), server.seats(), server.history(), seat, bid});
    }
    return out;
}

// Swaps cards between the hands the seat cannot see, keeping to the suits each
// has shown out of, so that nothing the seat knows changes.
SeatTable withHiddenCardsMoved(const Moment &m, Lcg &random)
{
    SeatTable seats = m.seats;
    for (int round = 0; round < 20; ++round) {
        const int a = 1 + int(random.draw(4));
        const int b = 1 + int(random.draw(4));
        if (a == m.seat || b == m.seat || a == b)
            continue;
        int &x = seats[a].hand[1 + random.draw(13)];
        int &y = seats[b].hand[1 + random.draw(13)];
        if (x == 0 || y == 0 || m.history.showedOut(a, getsuit(y)) ||
            m.history.showedOut(b, getsuit(x)))
            continue;
        std::swap(x, y);
    }
    return seats;
}

TEST(ExpertAtTheTable, DecidesOnlyFromWhatTheSeatCanSee)
{
    Lcg random(8u);
    int changed = 0;
    for (const Moment &m : recordedMoments(400)) {
        const SeatTable other = withHiddenCardsMoved(m, random);
        for (int s = 1; s <= cards::kSeats; ++s) {
            if (other[s].hand != m.seats[s].hand) {
                ++changed;
                break;
            }
        }
        if (m.bidding) {
            EXPECT_EQ(expertbid(m.game, m.seats, m.history, m.seat, 99),
                      expertbid(m.game, other, m.history, m.seat, 99));
        } else {
            EXPECT_EQ(expertplay(m.game, m.seats, m.history, m.seat, 99).handPosition,
                      expertplay(m.game, other, m.history, m.seat, 99).handPosition);
        }
    }
    EXPECT_GT(changed, 200);
}

// People at every seat bid at random (Nils and Blind Nils often) and play the
// expert's cards by message: the host refuses none of them.
TEST(ExpertAtTheTable, NeverOffersACardTheHostRefuses)
{
    VirtualPort port;
    port.recording = false;
    TServer server(port, 2024u);
    port.attach(&server);
    for (int n = 1; n <= cards::kSeats; ++n) {
        server.Sock1Accept();
        // The name's end mark and the terminator both go.
        server.dispatch(n, wire::toHost::LoginInfo{n, wire::kVersion, "p"}.encode().chopped(2));
    }
    Lcg choice(5u);
    int cardsPlayed = 0;
    server.dispatch(1, wire::StartGame::of("p", "100000", true, true, false).encode().chopped(1));
    const GameState &game = server.game();
    while (cardsPlayed < 2500) {
        if (server.bidAwaited(game.bidder)) {
            const int seat = game.bidder;
            const int roll = int(choice.draw(8));
            const int bid = roll == 0 ? 100 : roll == 1 ? 0 : 1 + int(choice.draw(6));
            server.dispatch(seat, wire::toHost::MyBid{seat, bid}.encode().chopped(1));
            continue;
        }
        const int seat = game.turn;
        if (server.cardAwaited(seat)) {
            const ComputerCard chosen = expertplay(game, server.seats(), server.history(), seat, 4);
            const int before = server.seats()[seat].cardsLeft();
            server.dispatch(seat,
                            wire::toHost::PlayCard{seat, chosen.handPosition}.encode().chopped(1));
            ASSERT_EQ(server.seats()[seat].cardsLeft(), before - 1) << "card " << cardsPlayed;
            ++cardsPlayed;
            continue;
        }
        ASSERT_TRUE(port.step()) << "the game waits for nothing";
    }
}

// Whole games through the host's timers, experts against classic players on
// both sides of duplicate deals: every bid and card is taken.
TEST(ExpertAtTheTable, WholeGamesAgainstClassicPlayersRunWithoutAFault)
{
    SelfPlay direct(77u);
    SelfPlay swapped(77u);
    SelfPlay::Options options;
    options.blind = true;
    // Seats 1 and 3 expert, 2 and 4 classic; then the other way round.
    options.kinds = {ComputerKind::Classic, ComputerKind::Expert, ComputerKind::Classic,
                     ComputerKind::Expert, ComputerKind::Classic};
    SelfPlay::Options other = options;
    for (int seat = 1; seat <= cards::kSeats; ++seat)
        other.kinds[seat] = options.kinds[cards::nextSeat(seat)];
    for (std::uint32_t deal = 1; deal <= 3; ++deal) {
        direct.playGame(options, deal);
        swapped.playGame(other, deal);
    }
    for (const SelfPlay *play : {&direct, &swapped}) {
        const SelfPlay::Totals &t = play->totals();
        EXPECT_EQ(t.refusedCards, 0);
        EXPECT_EQ(t.missedBids, 0);
        EXPECT_EQ(t.shortHands, 0);
        EXPECT_EQ(t.unfinishedGames, 0);
        EXPECT_EQ(t.unexpectedAlerts, 0) << t.alertTexts.value(0).constData();
        EXPECT_EQ(t.computerBids, t.hands * 4);
    }
}

} // namespace
