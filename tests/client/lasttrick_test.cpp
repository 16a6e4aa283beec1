#include "client/tlasttrick.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace {

struct LastTrickFixture : ::testing::Test
{
    Tlasttrick window;

    QLabel *label(const QString &name) { return window.findChild<QLabel *>(name); }
    int winnerLeft() { return label("image_lastwinner")->x(); }
    int leadLeft() { return label("image_lastlead")->x(); }
    int cardLeft(int position) { return label(QStringLiteral("image_last%1").arg(position))->x(); }
};

TEST_F(LastTrickFixture, LayoutAndStartState)
{
    EXPECT_EQ(window.windowTitle(), "Spades - Last Trick");
    EXPECT_EQ(window.size(), QSize(350, 173));
    const QRect cards[] = {{8, 18, 71, 96}, {93, 19, 71, 96}, {179, 19, 71, 96}, {264, 19, 71, 96}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(label(QStringLiteral("image_last%1").arg(i + 1))->geometry(), cards[i]);
        EXPECT_EQ(label(QStringLiteral("label_last%1").arg(i + 1))->pos(),
                  QPoint(cards[i].x() - 1, 125));
    }
    EXPECT_FALSE(label("image_lastwinner")->isVisibleTo(&window));
    EXPECT_FALSE(label("image_lastlead")->isVisibleTo(&window));
    EXPECT_EQ(window.findChild<QPushButton *>("button_done")->pos(), QPoint(242, 145));
    EXPECT_EQ(window.storedTop(), 348);
    EXPECT_EQ(window.storedLeft(), 414);
}

TEST(LastTrickPositions, EveryOwnSeatAndWatchers)
{
    // Rows: own seat; columns: where seats 1..4 sit (1 bottom, 2 left, 3 top, 4 right).
    const int expected[6][4] = {{1, 2, 3, 4}, {4, 1, 2, 3}, {3, 4, 1, 2},
                                {2, 3, 4, 1}, {1, 2, 3, 4}, {1, 2, 3, 4}};
    const int own[6] = {1, 2, 3, 4, 5, 0};
    for (int row = 0; row < 6; ++row) {
        for (int seat = 1; seat <= 4; ++seat)
            EXPECT_EQ(Tlasttrick::screenPosition(seat, own[row]), expected[row][seat - 1])
                << "own " << own[row] << " seat " << seat;
    }
    EXPECT_EQ(Tlasttrick::screenPosition(0, 1), 0);
    EXPECT_EQ(Tlasttrick::screenPosition(5, 1), 0);
}

TEST_F(LastTrickFixture, MarksSitOnTheWinnerAndLeaderForEveryOwnSeat)
{
    for (int myseat = 1; myseat <= 4; ++myseat) {
        for (int winner = 1; winner <= 4; ++winner) {
            const int lead = winner % 4 + 1;
            window.cardPlayed(lead);
            window.cardPlayed(winner); // only the first card leads
            window.recordTrick({10, 20, 30, 40}, winner, myseat);
            const int winnerAt = Tlasttrick::screenPosition(winner, myseat);
            const int leadAt = Tlasttrick::screenPosition(lead, myseat);
            EXPECT_EQ(winnerLeft(), cardLeft(winnerAt) + 2) << myseat << winner;
            EXPECT_EQ(leadLeft(), cardLeft(leadAt) - 8) << myseat << winner;
            EXPECT_TRUE(label("image_lastwinner")->isVisibleTo(&window));
            EXPECT_TRUE(label("image_lastlead")->isVisibleTo(&window));
            EXPECT_EQ(window.leadSeat(), 0);
        }
    }
    // Own seat 3 takes the trick: the mark is over the bottom card.
    window.recordTrick({1, 2, 3, 4}, 3, 3);
    EXPECT_EQ(winnerLeft(), 10);
}

TEST_F(LastTrickFixture, CardsAndResetAndBadSeats)
{
    window.recordTrick({14, 0, 99, 52}, 9, 1);
    EXPECT_FALSE(label("image_last1")->pixmap().isNull());
    EXPECT_TRUE(label("image_last2")->pixmap().isNull());
    EXPECT_TRUE(label("image_last3")->pixmap().isNull());
    EXPECT_FALSE(label("image_last4")->pixmap().isNull());
    EXPECT_FALSE(label("image_lastwinner")->isVisibleTo(&window));
    EXPECT_FALSE(label("image_lastlead")->isVisibleTo(&window));

    window.cardPlayed(7);
    EXPECT_EQ(window.leadSeat(), 0);
    window.cardPlayed(2);
    window.recordTrick({1, 2, 3, 4}, 2, 1);
    window.cardPlayed(4);
    window.reset();
    EXPECT_EQ(window.leadSeat(), 0);
    EXPECT_FALSE(label("image_lastwinner")->isVisibleTo(&window));
    EXPECT_FALSE(label("image_lastlead")->isVisibleTo(&window));
    for (int i = 1; i <= 4; ++i)
        EXPECT_TRUE(label(QStringLiteral("image_last%1").arg(i))->pixmap().isNull());
}

TEST_F(LastTrickFixture, ShowCopiesNamesAndDoneHides)
{
    window.showTrick({"You", "Klot", "Klick", "Kling"});
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(label("label_last1")->text(), "You");
    EXPECT_EQ(label("label_last4")->text(), "Kling");
    QTest::mouseClick(window.findChild<QPushButton *>("button_done"), Qt::LeftButton);
    EXPECT_FALSE(window.isVisible());
}

TEST_F(LastTrickFixture, ActivationMovesToTheStoredPlace)
{
    window.setStoredPosition(120, 200);
    window.show();
    QEvent activate(QEvent::WindowActivate);
    QCoreApplication::sendEvent(&window, &activate);
    EXPECT_EQ(window.pos(), QPoint(200, 120));
}

} // namespace
