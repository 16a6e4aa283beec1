#include "tablefixture.h"

#include <QTest>

namespace {

TEST_F(TableTest, PostedScoresFillThePanelAndTheBoard)
{
    login(1);
    feed({"CMD_startround+1+1+", "CMD_nextplayer+3+0+", "CMD_tooktrick+3+4+",
          "CMD_postscores+6+7+-40+0+3+11+1+2+-100+0+-140+70+120+-30+100+-200+"});
    // What the panel shows of a posting is its own affair; the board keeps the totals.
    EXPECT_TRUE(shown("panel_scores"));
    EXPECT_EQ(text("label_teamscore2"), "Total Score: -30");
    EXPECT_EQ(text("label_bags1"), "3");
    EXPECT_EQ(text("label_bags2"), "11");
    EXPECT_EQ(text("label_team1"), "120");
    EXPECT_EQ(text("label_team2"), "-30");
    EXPECT_FALSE(shown("image_trickwinner3"));
    EXPECT_FALSE(shown("image_turn3"));
    EXPECT_EQ(table->status(), "Posting Scores, Please Wait...");
    EXPECT_EQ(sounds.played.last(), "roundover");

    QTest::mouseClick(control("button_close"), Qt::LeftButton);
    EXPECT_FALSE(shown("panel_scores"));
    EXPECT_EQ(sent, QList<QByteArray>{terminated("CMD_closed+1+")});
}

TEST_F(TableTest, WatcherClosesThePanelSilently)
{
    login(5);
    feed("CMD_postscores+6+7+60+70+0+0+0+0+0+0+60+70+60+70+0+0+");
    table->button_closeClick();
    EXPECT_FALSE(shown("panel_scores"));
    EXPECT_TRUE(sent.isEmpty());
}

TEST_F(TableTest, WinnerShowsTrophiesWhereverTheSeatsSit)
{
    struct Case
    {
        int own;
        QByteArray team;
        QString status;
        QString tally;
        QPoint trophyOfSeat1;
    };
    const Case cases[] = {
        {2, "1", "Team Blue has Won the Game!", "Team Blue", {384, 133}},
        {3, "1", "You have Won the Game!", "addtomine", {227, 15}},
        {1, "2", "Team Red has Won the Game!", "Team Red", {160, 333}},
        {7, "2", "Team Red has Won the Game!", "", {160, 333}},
    };
    for (const Case &c : cases) {
        SetUp();
        tally.clear();
        login(c.own);
        feed({"CMD_hebid+1+0+", "CMD_tooktrick+2+1+", "CMD_winner+" + c.team + "+"});
        const bool blue = c.team == "1";
        for (int seat = 1; seat <= 4; ++seat) {
            EXPECT_EQ(shown("image_winner" + QString::number(seat)), (seat % 2 == 1) == blue);
            EXPECT_FALSE(shown("image_nil" + QString::number(seat)));
            EXPECT_FALSE(shown("image_trickwinner" + QString::number(seat)));
        }
        EXPECT_EQ(control("image_winner1")->pos(), c.trophyOfSeat1);
        EXPECT_EQ(table->status(), c.status);
        EXPECT_EQ(table->chatLines().last(), "0+" + c.status);
        EXPECT_EQ(tally, c.tally.isEmpty() ? QStringList() : QStringList{c.tally});
        EXPECT_EQ(sounds.played.last(), "winner");
        EXPECT_EQ(shown("button_start"), c.own == 1) << "only number 1 is offered a new game";
    }
}

TEST_F(TableTest, HostIsOfferedTheNextGame)
{
    table->hostpress();
    login(1);
    feed("CMD_startgame+You+500+y+n+n+");
    EXPECT_FALSE(shown("button_start"));
    feed("CMD_winner+1+");
    EXPECT_TRUE(shown("button_start"));
    int opened = 0;
    QObject::connect(table.get(), &Tchat::gameStartWanted, [&] { ++opened; });
    QTest::mouseClick(control("button_start"), Qt::LeftButton);
    EXPECT_EQ(opened, 1);
}

TEST_F(TableTest, WatcherJoiningMidHandSeesTheWholeTable)
{
    feed({"CMD_sendlogininfo+6", "CMD_newplayerinfo+6+Eve", "CMD_existingplayers+1+Host",
          "CMD_nextplayer+4+20+",
          "CMD_gamestats+6+4+0+750+n+y+3+10+120+-40+4+2+"
          "1+2+3+20+n+y+2+1+0+0+n+y+3+0+4+25+n+y+4+1+0+0+y+y"});
    EXPECT_EQ(text("label_playtoscore"), "Play to Score: 750");
    EXPECT_EQ(text("label_blind"), "Blind Nil: Disallowed");
    EXPECT_EQ(text("label_baggin"), "Penalty for Bags: Yes");
    EXPECT_EQ(text("label_round"), "Round: 3");
    EXPECT_EQ(text("label_totalbids"), "Total Bids: 10");
    EXPECT_EQ(text("label_team1"), "120");
    EXPECT_EQ(text("label_team2"), "-40");
    EXPECT_EQ(text("label_bags1"), "4");
    EXPECT_EQ(text("label_tricks1"), "2");
    EXPECT_EQ(text("label_bid3"), "4");
    EXPECT_EQ(table->model().seat(1).played, 20);
    EXPECT_EQ(table->model().seat(3).played, 25);
    EXPECT_FALSE(table->playedPicture(2)->hasPicture());
    EXPECT_TRUE(shown("image_nil2"));
    EXPECT_FALSE(shown("image_blind2"));
    EXPECT_TRUE(shown("image_nil4"));
    EXPECT_TRUE(shown("image_blind4"));
    EXPECT_EQ(text("label_playername1"), "Host");
    EXPECT_EQ(text("label_playername2"), "Klot");
    for (int seat = 1; seat <= 4; ++seat)
        EXPECT_FALSE(table->cardsPicture(seat)->isHidden()) << seat;
    EXPECT_TRUE(shown("image_turn4"));
}

TEST_F(TableTest, PlayerRejoiningAfterBlindNilBiddingGetsCardsFaceUp)
{
    const QByteArray stats = "CMD_gamestats+2+1+0+500+y+y+1+9+0+0+0+0+"
                             "1+0+3+0+n+y+2+0+{own}+0+n+y+3+0+4+0+n+y+4+0+2+0+n+y";
    for (const bool hasBid : {true, false}) {
        SetUp();
        login(2);
        QByteArray message = stats;
        if (!hasBid)
            message.replace("2+0+{own}+0+n+y", "2+0+0+0+n+n");
        message.replace("{own}", "5");
        feed(
            {message, "CMD_loadcards+2+1+0+2+8+3+0+4+30+5+44+6+0+7+0+8+0+9+0+10+0+11+0+12+0+13+0"});
        EXPECT_EQ(table->alreadybid(), hasBid);
        EXPECT_TRUE(table->cardsPicture(2)->isHidden());
        const int cardCount = table->findChildren<CardPicture *>().size();
        EXPECT_EQ(cardCount, hasBid ? 3 : 0);
        EXPECT_EQ(shown("image_flippedcards"), !hasBid);
    }
}

} // namespace
