// The hint's view of the own seat is what the host would give that seat's
// computer player, built only from the messages the table received; and the
// moves it suggests are ones the host takes.
#include "client/seathint.h"
#include "client/tablemodel.h"
#include "tests/host/host_harness.h"

#include <gtest/gtest.h>

namespace {

void expectSameKnowledge(const SeatKnowledge &table, const SeatKnowledge &host)
{
    EXPECT_EQ(table.seat, host.seat);
    EXPECT_EQ(table.hand, host.hand);
    EXPECT_EQ(table.played, host.played);
    EXPECT_EQ(table.voids, host.voids);
    EXPECT_EQ(table.cardsLeft, host.cardsLeft);
    EXPECT_EQ(table.hasbid, host.hasbid);
    EXPECT_EQ(table.bid, host.bid);
    EXPECT_EQ(table.blindnil, host.blindnil);
    EXPECT_EQ(table.tricks, host.tricks);
    EXPECT_EQ(table.leader, host.leader);
    EXPECT_EQ(table.ledcard, host.ledcard);
    EXPECT_EQ(table.tablecard, host.tablecard);
    EXPECT_EQ(table.spadesbroken, host.spadesbroken);
    EXPECT_EQ(table.teamscore, host.teamscore);
    EXPECT_EQ(table.teambags, host.teambags);
    EXPECT_EQ(table.playtoscore, host.playtoscore);
    EXPECT_EQ(table.dealer, host.dealer);
    EXPECT_EQ(table.sandbag, host.sandbag);
    EXPECT_EQ(table.blind, host.blind);
    EXPECT_EQ(table.startclub, host.startclub);
}

// The own cards come face up, as the window lays them out.
void turnUp(TableModel &model)
{
    for (const wire::CardInSlot &c : model.takeDealt())
        model.addCard(c.position, c.card);
}

TEST(SeatHint, SeesWhatTheSeatWasShownAndEveryMoveIsTaken)
{
    const struct
    {
        std::uint32_t seed;
        int seat;
        bool blind, startclub;
    } games[] = {{7, 1, false, false}, {8, 2, true, true}, {9, 3, true, false}};
    for (const auto &g : games) {
        SCOPED_TRACE(g.seed);
        hosttest::Host host(g.seed);
        host.seat(g.seat);
        host.start(true, g.blind, g.startclub, "250");
        // The people before ours watch: the computer plays their seats.
        for (int n = 1; n < g.seat; ++n)
            host.deliver(n, wire::toHost::JustWatch{n, wire::toHost::JustWatch::kWatch}.encode());
        TableModel model;
        bool won = false;
        int cards = 0;
        int bids = 0;
        for (int guard = 0; guard < 200000 && !won; ++guard) {
            // Closing the scores may start the next hand: read until all is in.
            for (QList<QByteArray> in = host.take(g.seat); !in.isEmpty(); in = host.take(g.seat))
                for (const QByteArray &m : in) {
                    const auto decoded = wire::decodeToClient(m);
                    ASSERT_TRUE(decoded) << m.constData();
                    ASSERT_FALSE(std::holds_alternative<wire::toClient::Error>(*decoded));
                    model.apply(*decoded);
                    if (!g.blind)
                        turnUp(model);
                    if (const auto *used = std::get_if<wire::toClient::UseCard>(&*decoded))
                        model.removeCard(used->handPosition);
                    if (std::holds_alternative<wire::toClient::PostScores>(*decoded))
                        host.deliver(g.seat, *model.closeScores());
                    won = won || std::holds_alternative<wire::toClient::Winner>(*decoded);
                }
            const SeatKnowledge hosts =
                knowledgeOf(host.game(), host.server.seats(), host.server.history(), g.seat);
            if (host.server.bidAwaited(g.seat)) {
                ASSERT_TRUE(seathint::hasMove(model));
                seathint::Advice advice = seathint::advise(model);
                if (advice.kind == seathint::Advice::Kind::Look) {
                    turnUp(model);
                    advice = seathint::advise(model);
                }
                int bid = wire::kBlindNil;
                if (advice.kind != seathint::Advice::Kind::BlindNil) {
                    ASSERT_EQ(advice.kind, seathint::Advice::Kind::Bid);
                    ASSERT_LE(advice.bid, 13);
                    expectSameKnowledge(seathint::knowledgeOf(model), hosts);
                    bid = advice.bid;
                }
                turnUp(model);
                host.deliver(g.seat, *model.bid(bid));
                ++bids;
            } else if (host.server.cardAwaited(g.seat)) {
                expectSameKnowledge(seathint::knowledgeOf(model), hosts);
                const seathint::Advice advice = seathint::advise(model);
                ASSERT_EQ(advice.kind, seathint::Advice::Kind::Card);
                host.deliver(g.seat, *model.playCard(advice.handPosition));
                ASSERT_FALSE(host.server.cardAwaited(g.seat)) << "the host refused the card";
                ++cards;
            } else {
                EXPECT_FALSE(seathint::hasMove(model));
                if (!host.port.step())
                    break;
            }
        }
        EXPECT_TRUE(won);
        EXPECT_GE(bids, 2);
        // With the two of clubs led by the host, the hand it opens has one card less to choose.
        EXPECT_GE(cards, 12 * bids);
    }
}

TEST(SeatHint, AfterJoiningMidHandOnlyTheTableIsKnown)
{
    // Seat 4 joins with seats 2 and 3 on the trick: 2 led the five of hearts,
    // 3 trumped it. Five tricks were taken before.
    TableModel model;
    for (const char *m : {"CMD_sendlogininfo+4",
                          "CMD_gamestats+4+4+0+300+n+y+3+9+40+20+1+2+1+2+3+0+n+y+2+1+3+43+n+y+"
                          "3+1+2+29+n+y+4+1+3+0+n+y+",
                          "CMD_loadcards+4+1+0+2+5+3+18+4+44+5+50+6+12+7+31+8+9+9+0+10+0+11+0+12+0+"
                          "13+35",
                          "CMD_nextplayer+4+43+"})
        model.apply(*wire::decodeToClient(m));
    turnUp(model);
    const SeatKnowledge k = seathint::knowledgeOf(model);
    EXPECT_EQ(k.leader, 2);
    EXPECT_EQ(k.ledcard, 43);
    EXPECT_EQ(k.played, (CardSet(1) << 43) | (CardSet(1) << 29));
    EXPECT_EQ(k.voids[3], 0) << "the order of the cards on the table was not seen";
    EXPECT_EQ(k.cardsLeft, (std::array<std::uint8_t, 5>{0, 8, 7, 7, 8}));
    EXPECT_TRUE(k.spadesbroken);
    EXPECT_EQ(k.teamscore[1], 40);
    const seathint::Advice advice = seathint::advise(model);
    ASSERT_EQ(advice.kind, seathint::Advice::Kind::Card);
    EXPECT_EQ(getsuit(model.cardAt(advice.handPosition)), cards::kHearts) << "must follow";

    // From here on the cards are seen in order: seat 1 shows out of hearts.
    model.apply(*wire::decodeToClient("CMD_heplayed+4+44+7+"));
    model.apply(*wire::decodeToClient("CMD_heplayed+1+3+7+"));
    EXPECT_EQ(seathint::knowledgeOf(model).voids[1], 1 << (cards::kHearts - 1));
}

} // namespace
