#include "client/scoresheet.h"

#include <gtest/gtest.h>

namespace {

using namespace wire::toClient;

PostScores scores(std::array<int, 16> values)
{
    return PostScores{values};
}

TEST(ScoreSheet, EveryScoredHandIsARowAndANewGameStartsEmpty)
{
    ScoreSheet sheet;
    const wire::ToClient game = wire::StartGame::of("1", "500", true, false, false);
    EXPECT_TRUE(sheet.apply(game));
    sheet.apply(StartRound{1, 1});
    sheet.apply(FinalBid{9, 5, 4});
    // tricks, contract, bags held, bagged, penalty, hand total, score, nil
    EXPECT_TRUE(sheet.apply(scores({6, 7, 60, -40, 1, 3, 1, 3, 0, 0, 61, 60, 61, 60, 0, 100})));
    sheet.apply(StartRound{2, 2});
    sheet.apply(FinalBid{10, 3, 7});
    sheet.apply(scores({3, 10, 30, 70, 1, 6, 0, 3, 0, -100, 30, -30, 91, 30, 0, 0}));
    EXPECT_FALSE(sheet.apply(NextPlayer{3, {}}));

    ASSERT_EQ(sheet.hands().size(), 2u);
    const ScoreSheet::Hand &first = sheet.hands()[0];
    EXPECT_EQ(first.number, 1);
    EXPECT_EQ(first.teams[0], (ScoreSheet::Team{5, 6, 60, 1, 0, 0, 61, 61, 1}));
    EXPECT_EQ(first.teams[1], (ScoreSheet::Team{4, 7, -40, 3, 0, 100, 60, 60, 3}));
    const ScoreSheet::Hand &second = sheet.hands()[1];
    EXPECT_EQ(second.number, 2);
    EXPECT_EQ(second.teams[1].bid, 7);
    EXPECT_EQ(second.teams[1].penalty, -100);
    EXPECT_EQ(second.teams[1].score, 30);
    EXPECT_FALSE(sheet.joinedLate());

    sheet.apply(game);
    EXPECT_TRUE(sheet.hands().empty());

    // A host that never stops scoring: the newest hands are kept, in bounds.
    for (int hand = 1; hand <= int(ScoreSheet::kKeptHands) + 5; ++hand) {
        sheet.apply(StartRound{1, hand});
        sheet.apply(scores({}));
    }
    ASSERT_EQ(sheet.hands().size(), ScoreSheet::kKeptHands);
    EXPECT_EQ(sheet.hands().front().number, 6);
    EXPECT_EQ(sheet.hands().back().number, int(ScoreSheet::kKeptHands) + 5);
    EXPECT_TRUE(sheet.handsDropped());
    sheet.apply(game);
    EXPECT_FALSE(sheet.handsDropped());
}

TEST(ScoreSheet, ALateJoinerStartsAtItsHandWithTheBidsItWasGiven)
{
    const struct
    {
        int round;
        std::array<bool, 4> hasbid;
        bool late;
        std::optional<int> blueBid;
    } cases[] = {
        {1, {true, true, true, true}, false, 7},
        {3, {true, true, true, true}, true, 7},
        {3, {true, true, true, false}, true, std::nullopt},
    };
    for (const auto &c : cases) {
        ScoreSheet sheet;
        GameStats stats;
        stats.roundnumber = c.round;
        // Seat 1 bids 4, seat 3 goes Blind Nil, which counts nothing.
        const int bids[4] = {4, 5, 0, 2};
        for (int seat = 1; seat <= 4; ++seat)
            stats.seats.append({seat, 0, bids[seat - 1], 0, seat == 3, c.hasbid[size_t(seat - 1)]});
        stats.seats[0].bid = 7;
        sheet.apply(stats);
        EXPECT_EQ(sheet.joinedLate(), c.late);
        sheet.apply(scores({}));
        ASSERT_EQ(sheet.hands().size(), 1u);
        EXPECT_EQ(sheet.hands()[0].number, c.round);
        EXPECT_EQ(sheet.hands()[0].teams[0].bid, c.blueBid);
    }
}

} // namespace

#include "client/scoresheetwindow.h"

#include <QTableWidget>

namespace {

TEST(ScoreSheetWindow, DrawsTwoRowsAHandWithSignsAndBlanks)
{
    ScoreSheet sheet;
    sheet.apply(wire::toClient::StartRound{1, 4});
    sheet.apply(wire::toClient::PostScores{
        {2, 11, -50, 80, 0, 4, 0, 4, 0, -100, -50, -20, -50, -20, 0, -100}});
    ScoreSheetWindow window;
    window.draw(sheet);
    auto *table = window.findChild<QTableWidget *>("table_hands");
    ASSERT_EQ(table->rowCount(), 2);
    const auto row = [table](int r) {
        QStringList texts;
        for (int c = 0; c < table->columnCount(); ++c)
            texts << table->item(r, c)->text();
        return texts;
    };
    EXPECT_EQ(row(0),
              (QStringList{"4", "Team Blue", "?", "2", "-50", "0", "", "", "-50", "-50", "0"}));
    EXPECT_EQ(row(1), (QStringList{"", "Team Red", "?", "11", "+80", "4", "-100", "-100", "-20",
                                   "-20", "4"}));
}

// Drawn after every hand, past the sheet's bound and into a new game, the
// window shows what one drawing of the final sheet shows.
TEST(ScoreSheetWindow, DrawingHandByHandEqualsDrawingOnce)
{
    ScoreSheet sheet;
    ScoreSheetWindow often;
    const auto texts = [](const ScoreSheetWindow &window) {
        auto *table = window.findChild<QTableWidget *>("table_hands");
        QStringList all;
        for (int r = 0; r < table->rowCount(); ++r)
            for (int c = 0; c < table->columnCount(); ++c)
                all << (table->item(r, c) ? table->item(r, c)->text() : "none");
        return all;
    };
    const auto compare = [&] {
        ScoreSheetWindow once;
        once.draw(sheet);
        EXPECT_EQ(texts(often), texts(once));
    };
    for (int hand = 1; hand <= int(ScoreSheet::kKeptHands) + 3; ++hand) {
        sheet.apply(wire::toClient::StartRound{1, hand});
        sheet.apply(wire::toClient::PostScores{{hand % 13, 13 - hand % 13, hand}});
        often.draw(sheet);
        if (hand == 2 || hand > int(ScoreSheet::kKeptHands))
            compare();
    }
    sheet.apply(wire::StartGame::of("Ann", "500", true, false, false));
    often.draw(sheet);
    compare();
    sheet.apply(wire::toClient::PostScores{{1, 2, 3}});
    often.draw(sheet);
    compare();
}

} // namespace
