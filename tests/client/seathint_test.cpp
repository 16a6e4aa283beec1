// The hint's view of the own seat is what the host would give that seat's
// computer player, built only from the messages the table received; and the
// moves it suggests are ones the host takes.
#include "client/seathint.h"
#include "client/tablemodel.h"
#include "tests/client/tablereader.h"
#include "tests/host/host_harness.h"

#include <gtest/gtest.h>

namespace {

using Kind = seathint::Advice::Kind;

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
        // As the window does: cards up (at once when nobody may bid blind),
        // played cards out, the score panel closed at once, which may start
        // the next hand.
        const auto read = [&] {
            for (QList<QByteArray> in = host.take(g.seat); !in.isEmpty(); in = host.take(g.seat))
                for (const QByteArray &m : in) {
                    const auto decoded = tabletest::takeIn(model, m, !g.blind);
                    EXPECT_TRUE(decoded) << m.constData();
                    if (!decoded)
                        continue;
                    if (std::holds_alternative<wire::toClient::PostScores>(*decoded))
                        host.deliver(g.seat, *model.closeScores());
                    won = won || std::holds_alternative<wire::toClient::Winner>(*decoded);
                }
        };
        int cards = 0;
        int bids = 0;
        for (read(); !won; read()) {
            const SeatKnowledge hosts =
                knowledgeOf(host.game(), host.server.seats(), host.server.history(), g.seat);
            seathint::Advice advice = seathint::advise(model);
            EXPECT_EQ(advice.kind != Kind::None, seathint::hasMove(model));
            if (host.server.bidAwaited(g.seat)) {
                if (advice.kind == Kind::Look) {
                    turnUp(model);
                    advice = seathint::advise(model);
                }
                if (advice.kind != Kind::BlindNil) {
                    ASSERT_EQ(advice.kind, Kind::Bid);
                    ASSERT_LE(advice.bid, 13);
                    EXPECT_TRUE(seathint::knowledgeOf(model) == hosts);
                }
                turnUp(model);
                host.deliver(g.seat,
                             *model.bid(advice.kind == Kind::Bid ? advice.bid : wire::kBlindNil));
                ++bids;
            } else if (host.server.cardAwaited(g.seat)) {
                EXPECT_TRUE(seathint::knowledgeOf(model) == hosts);
                ASSERT_EQ(advice.kind, Kind::Card);
                host.deliver(g.seat, *model.playCard(advice.handPosition));
                ASSERT_FALSE(host.server.cardAwaited(g.seat)) << "the host refused the card";
                ++cards;
            } else {
                ASSERT_EQ(advice.kind, Kind::None);
                ASSERT_TRUE(host.port.step());
            }
        }
        EXPECT_GE(bids, 2);
        // The two of clubs the host leads for its holder is not the hint's.
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
    ASSERT_EQ(advice.kind, Kind::Card);
    EXPECT_EQ(getsuit(model.cardAt(advice.handPosition)), cards::kHearts) << "must follow";

    // From here on the cards are seen in order: seat 1 shows out of hearts.
    model.apply(*wire::decodeToClient("CMD_heplayed+4+44+7+"));
    model.apply(*wire::decodeToClient("CMD_heplayed+1+3+7+"));
    EXPECT_EQ(seathint::knowledgeOf(model).voids[1], 1 << (cards::kHearts - 1));
}

} // namespace
