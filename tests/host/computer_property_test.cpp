#include "host/computerplayer.h"
#include "host/selfplay.h"
#include "host/shuffle.h"
#include "host/tserver.h"
#include "host/virtualport.h"
#include "protocol/message.h"
#include "protocol/wirecodec.h"

#include <gtest/gtest.h>

namespace {

// Whole games with four computer seats on timers: every computer card is taken,
// every hand runs to thirteen tricks, and the only alert is the covering seat's.
TEST(ComputerSelfPlay, HundredThousandDealsWithoutAFault)
{
    SelfPlay play(20261208u);
    SelfPlay::Options options;
    int game = 0;
    while (play.totals().hands < 100000) {
        // Vary the options so both first-lead rules and short and long games occur.
        options.startclub = game % 2 == 1;
        options.sandbag = game % 3 != 0;
        options.playtoscore = game % 5 == 0 ? 250 : 500;
        play.playGame(options);
        ++game;
    }
    const SelfPlay::Totals &t = play.totals();
    EXPECT_EQ(t.refusedCards, 0);
    EXPECT_EQ(t.missedBids, 0);
    EXPECT_EQ(t.shortHands, 0);
    EXPECT_EQ(t.stalledGames, 0);
    EXPECT_EQ(t.unfinishedGames, 0);
    EXPECT_EQ(t.unexpectedAlerts, 0) << t.alertTexts.value(0).constData();
    EXPECT_EQ(t.wins[1] + t.wins[2], t.games);
    // Every card of every hand but the two-of-clubs leads came from a computer seat.
    EXPECT_GE(t.computerCards, t.hands * 51);
    EXPECT_LE(t.computerCards, t.hands * 52);
    EXPECT_EQ(t.computerBids, t.hands * 4);
    EXPECT_EQ(t.nilsMade + t.nilsSet, t.nilBids);
}

// Computed Nil bids are rare, so here the four seats are people whose bids are
// often Nil and whose cards are the computer's choice, sent as messages. This
// drives the Nil-partner strategies hard through the host's own checks.
TEST(ComputerSelfPlay, NilPartnersNeverOfferACardTheHostRefuses)
{
    VirtualPort port;
    port.recording = false;
    TServer server(port, 4242u);
    port.attach(&server);
    for (int n = 1; n <= cards::kSeats; ++n) {
        server.Sock1Accept();
        // The login ends with the name's own 0xFF, which the receive queue
        // would have cut off with the terminator.
        server.dispatch(n, wire::toHost::LoginInfo{n, wire::kVersion, "p"}.encode().chopped(2));
    }

    Lcg choice(99u);
    int hands = 0;
    int refused = 0;
    int nilFollows = 0;
    QList<QByteArray> strayAlerts;
    while (hands < 20000) {
        server.dispatch(
            1, wire::toHost::StartGame::of("p", "300", true, true, false).encode().chopped(1));
        const GameState &game = server.game();
        // Many Nils are set, so a game may sink far below zero; a new game
        // restarts the table after a hundred hands.
        while (game.gamestarted && game.roundnumber <= 100) {
            if (cards::isSeat(game.bidder) && server.bidAwaited(game.bidder)) {
                const int seat = game.bidder;
                const int bid = choice.draw(3) == 0 ? 0 : computerbid(game, server.seats(), seat);
                server.dispatch(seat, wire::toHost::MyBid{seat, bid}.encode().chopped(1));
                continue;
            }
            const int seat = game.turn;
            if (server.cardAwaited(seat)) {
                const ComputerCard chosen = computerplay(game, server.seats(), seat);
                for (const QByteArray &text : chosen.alerts) {
                    if (text != SelfPlay::kCoveringAcesAlert)
                        strayAlerts << text;
                }
                const int partner = cards::partnerOf(seat);
                if (server.seats()[partner].bid == 0 && game.ledcard != 0)
                    ++nilFollows;
                const int before = server.seats()[seat].cardsLeft();
                server.dispatch(
                    seat, wire::toHost::PlayCard{seat, chosen.handPosition}.encode().chopped(1));
                if (server.seats()[seat].cardsLeft() != before - 1) {
                    ++refused;
                    break;
                }
                continue;
            }
            ASSERT_TRUE(port.step()) << "the game waits for nothing";
        }
        hands += game.roundnumber;
        ASSERT_EQ(refused, 0);
    }
    EXPECT_TRUE(strayAlerts.isEmpty()) << strayAlerts.value(0).constData();
    EXPECT_GT(nilFollows, 100000);
}

} // namespace
