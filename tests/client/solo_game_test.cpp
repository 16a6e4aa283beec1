// A whole solo game through the window: the host and the table in one
// process on real sockets, the host's pauses shortened.
#include "client/scorepanel.h"
#include "client/scoresheetwindow.h"
#include "client/sidewindows.h"
#include "client/tchat.h"
#include "client/tchatwidgets.h"
#include "client/tchatwiring.h"
#include "client/tgamestart.h"
#include "host/hostruntime.h"
#include "platform/soundplayer.h"
#include "tests/client/solotable.h"
#include "tests/common/test_support.h"

#include <QAbstractButton>
#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>
#include <QTest>
#include <gtest/gtest.h>

namespace {

bool visibleOnBoard(Tchat &table, const char *name)
{
    auto *widget = table.findChild<QWidget *>(name);
    return widget && !widget->isHidden();
}

TEST(SoloGame, PlaysToTheWinnerThroughTheWindow)
{
    SoloTable solo;
    Tchat &table = solo.table;
    QStringList &boxes = solo.boxes;
    SideWindows *windows = solo.windows;
    solo.start();
    ASSERT_TRUE(table.ishost());
    ASSERT_TRUE(testsupport::waitUntil(
        [&] { return table.playernameLabel(1)->text() == QLatin1String("You"); }));
    EXPECT_EQ(table.myseat(), 1);

    QTest::mouseClick(table.findChild<QWidget *>("button_start"), Qt::LeftButton);
    Tgamestart *dialog = windows->gamestart();
    ASSERT_TRUE(dialog->isVisible());
    auto *down = dialog->findChild<QWidget *>("arrow_down");
    ASSERT_NE(down, nullptr);
    QTest::mouseClick(down, Qt::LeftButton);
    EXPECT_EQ(dialog->findChild<QLineEdit *>("edit_playtoscore")->text(), "250");
    QTest::mouseClick(dialog->findChild<QWidget *>("button_start"), Qt::LeftButton);
    EXPECT_FALSE(dialog->isVisible());

    SeatPlayer player(table);
    const bool finished = testsupport::waitUntil([&] { return player.step(); }, 240000);
    const int hands = player.hands;
    const int cardsPlayed = player.cardsPlayed;
    ASSERT_TRUE(finished) << "hands " << hands << ", status " << table.status().toStdString();

    // With one-millisecond pauses a score panel can come and go between two
    // looks, so the hands played are counted by the round label.
    const QString round = table.findChild<QLabel *>("label_round")->text();
    ASSERT_TRUE(round.startsWith(QLatin1String("Round: ")));
    const int rounds = round.mid(7).toInt();
    EXPECT_GE(rounds, 1);
    EXPECT_LE(hands, rounds);
    EXPECT_GE(cardsPlayed, 13 * rounds);
    const bool blueWon = table.status() == QLatin1String("You have Won the Game!");
    if (!blueWon) {
        EXPECT_EQ(table.status(), "Team Red has Won the Game!");
    }
    for (int seat = 1; seat <= 4; ++seat) {
        const bool trophy =
            visibleOnBoard(table, ("image_winner" + QByteArray::number(seat)).constData());
        EXPECT_EQ(trophy, (seat % 2 == 1) == blueWon) << seat;
    }
    const int score1 = table.findChild<QLabel *>("label_team1")->text().toInt();
    const int score2 = table.findChild<QLabel *>("label_team2")->text().toInt();
    EXPECT_GE(blueWon ? score1 : score2, 250);
    EXPECT_GT(blueWon ? score1 : score2, blueWon ? score2 : score1);
    // View > Score Sheet: a row per team for every hand, ending at the board's scores.
    table.findChild<QAction *>("ScoreSheet1")->trigger();
    ASSERT_TRUE(windows->scoreSheet()->isVisible());
    auto *sheet = windows->scoreSheet()->findChild<QTableWidget *>("table_hands");
    ASSERT_EQ(sheet->rowCount(), 2 * rounds);
    EXPECT_EQ(sheet->item(0, 0)->text(), "1");
    EXPECT_EQ(sheet->item(2 * rounds - 2, 9)->text().toInt(), score1);
    EXPECT_EQ(sheet->item(2 * rounds - 1, 9)->text().toInt(), score2);
    EXPECT_NE(sheet->item(0, 2)->text(), "?") << "the bids of every hand were seen";
    EXPECT_TRUE(visibleOnBoard(table, "button_start")) << "the host may start again";
    EXPECT_TRUE(boxes.isEmpty()) << boxes.join('|').toStdString();
    EXPECT_EQ(table.playernameLabel(2)->text(), "Klot");
}

} // namespace
