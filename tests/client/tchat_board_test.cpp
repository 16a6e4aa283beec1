#include "tablefixture.h"

#include "client/seatmenu.h"

#include <QAction>
#include <QLabel>
#include <QTest>

namespace {

// Positions 1 bottom, 2 left, 3 top, 4 right, of two families.
const QPoint kBidAt[5] = {{}, {139, 350}, {78, 170}, {202, 45}, {425, 114}};
const QPoint kNameAt[5] = {{}, {72, 311}, {28, 131}, {153, 5}, {376, 77}};
const QPoint kCardsAt[5] = {{}, {168, 333}, {37, 189}, {227, 29}, {385, 133}};

TEST_F(TableTest, RotationPutsTheOwnSeatAtTheBottom)
{
    // Own seat -> the seat shown at positions 1..4.
    const std::pair<int, std::array<int, 4>> cases[] = {{1, {1, 2, 3, 4}}, {2, {2, 3, 4, 1}},
                                                        {3, {3, 4, 1, 2}}, {4, {4, 1, 2, 3}},
                                                        {5, {1, 2, 3, 4}}, {9, {1, 2, 3, 4}}};
    for (const auto &[own, seatAt] : cases) {
        SetUp();
        login(own);
        for (int position = 1; position <= 4; ++position) {
            const QString n = QString::number(seatAt[position - 1]);
            SCOPED_TRACE(QString("own %1, position %2").arg(own).arg(position).toStdString());
            EXPECT_EQ(control("label_bid" + n)->pos(), kBidAt[position]);
            EXPECT_EQ(control("label_playername" + n)->pos(), kNameAt[position]);
            EXPECT_EQ(control("image_cards" + n)->pos(), kCardsAt[position]);
            EXPECT_EQ(table->bidLabel(seatAt[position - 1])->pos(), kBidAt[position]);
        }
        EXPECT_EQ(table->findChildren<QWidget *>("label_bid0").size(), 0);
    }
}

TEST_F(TableTest, RotationRenamesEveryFamilyAndKeepsOneControlPerName)
{
    login(3);
    const char *families[] = {
        "label_playername", "label_tricklabel", "label_tricks",     "label_bidlabel", "label_bid",
        "image_cards",      "image_played",     "image_turn",       "image_eyes",     "image_nil",
        "image_blind",      "image_winner",     "image_trickwinner"};
    for (const char *family : families)
        for (int seat = 1; seat <= 4; ++seat)
            EXPECT_EQ(table->findChildren<QWidget *>(family + QString::number(seat)).size(), 1)
                << family << seat;
    // The partner, seat 1, sits at the top.
    EXPECT_EQ(control("image_turn1")->pos(), QPoint(128, 4));
    EXPECT_EQ(control("image_trickwinner1")->pos(), QPoint(182, 61));
}

TEST_F(TableTest, NameHintsAndTeamColoursFollowTheSeat)
{
    login(2);
    // Seat 1 is "You" only at seat 1 itself; elsewhere its computer's name.
    const char *names[] = {"Klack", "Klot", "Klick", "Kling"};
    for (int seat = 1; seat <= 4; ++seat) {
        BoardLabel *label = table->playernameLabel(seat);
        EXPECT_EQ(label->toolTip(), names[seat - 1]);
        const QString colour = seat % 2 ? "#004080" : "#800000";
        EXPECT_TRUE(label->styleSheet().contains("color: " + colour)) << seat;
    }
}

TEST_F(TableTest, InitialBoard)
{
    const std::pair<const char *, const char *> texts[] = {
        {"label_round", "Round: 0"},
        {"label_totalbids", "Total Bids: 0"},
        {"label_turn", "Good Luck!"},
        {"label_status", "Welcome To Spades by Velnor Software"},
        {"label_playtoscore", "Play to Score: 500"},
        {"label_baggin", "Penalty for Bags: Yes"},
        {"label_blind", "Blind Nil: Disallowed"},
        {"label_playername3", "<Waiting>"},
        {"label_tricks2", "0"},
        {"label_team1", "0"},
        {"label_bags2", "0"},
        {"label_bids1", "0"},
        {"label_bid", "Your Bid:"},
    };
    for (const auto &[name, expected] : texts)
        EXPECT_EQ(text(name), expected) << name;
    EXPECT_TRUE(table->model().bagPenalty());
    EXPECT_TRUE(table->model().blindAllowed()) << "until a game says otherwise";
    EXPECT_EQ(table->boardPanel()->size(), QSize(768, 483));
    EXPECT_EQ(table->windowTitle(), "Spades ");
    for (const char *hidden : {"image_turn1", "image_cards2", "image_winner3", "image_eyes4",
                               "image_nil1", "button_start", "button_last", "button_bid",
                               "edit_bid", "panel_scores", "image_flippedcards"})
        EXPECT_FALSE(shown(hidden)) << hidden;
    EXPECT_TRUE(shown("image_played1"));
    EXPECT_EQ(control("label_playername1")->toolTip(), "1");
    EXPECT_EQ(control("label_playername1")->size(), QSize(90, 22));
    EXPECT_EQ(control("image_winner2")->geometry(), QRect(29, 189, 92, 90));
}

TEST_F(TableTest, TextsFitTheirBoxesAndTheEyesKeepClearOfTheirSeat)
{
    login(1);
    for (QLabel *label : table->findChildren<QLabel *>()) {
        if (label->wordWrap() || label->text().isEmpty() || !label->isVisibleTo(table.get()))
            continue;
        EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), label->width())
            << label->objectName().toStdString() << " \"" << label->text().toStdString() << '"';
    }
    for (int seat = 1; seat <= 4; ++seat) {
        const QRect eyes = control("image_eyes" + QString::number(seat))->geometry();
        for (const char *family :
             {"label_playername", "label_tricklabel", "label_tricks", "label_bidlabel", "label_bid",
              "image_turn", "image_nil", "image_blind", "image_cards"})
            EXPECT_FALSE(eyes.intersects(control(family + QString::number(seat))->geometry()))
                << family << seat;
    }
}

TEST_F(TableTest, MenusHoldEveryItem)
{
    const char *items[] = {"StartGame1",  "Exit1",
                           "PlaySounds1", "PlayChatterSounds1",
                           "Classic1",    "New1",
                           "Slow1",       "Normal1",
                           "Fast1",       "ResetScreenLocation1",
                           "JustWatch1",  "ViewTally1",
                           "SpyList1",    "LastTrick1",
                           "ScoreSheet1", "PhraseList1",
                           "Content1",    "About1",
                           "Debug1"};
    for (const char *item : items)
        EXPECT_NE(table->findChild<QAction *>(item), nullptr) << item;
    EXPECT_TRUE(table->playSounds());
    EXPECT_FALSE(table->playChatterSounds());
    EXPECT_FALSE(table->newTurnSound());
    EXPECT_EQ(table->botSpeed(), 500);
    EXPECT_FALSE(table->findChild<QAction *>("Debug1")->isVisible());
}

TEST_F(TableTest, StartTheGameSetsRulesAndNamesEmptySeats)
{
    login(1, "Host");
    feed("CMD_newplayerinfo+2+Bob");
    feed("CMD_startgame+Host+750+n+y+n+");
    EXPECT_EQ(text("label_baggin"), "Penalty for Bags: No");
    EXPECT_FALSE(table->model().bagPenalty());
    EXPECT_EQ(text("label_blind"), "Blind Nil: Allowed");
    EXPECT_TRUE(table->model().blindAllowed());
    EXPECT_EQ(text("label_playtoscore"), "Play to Score: 750");
    EXPECT_EQ(table->chatLines().last(), "0+Host has started a game.");
    EXPECT_EQ(text("label_playername2"), "Bob");
    EXPECT_EQ(text("label_playername3"), "Klick");
    EXPECT_EQ(text("label_playername4"), "Kling");

    feed("CMD_startgame+Host+1000+y+x+n+");
    EXPECT_EQ(text("label_baggin"), "Penalty for Bags: Yes");
    EXPECT_EQ(text("label_blind"), "Blind Nil: Disallowed");
    EXPECT_FALSE(table->model().blindAllowed());
}

TEST_F(TableTest, StartRoundResetsTheHandButKeepsTheGameScore)
{
    login(2);
    feed({"CMD_startgame+Host+500+y+n+n+", "CMD_startround+1+1+", "CMD_hebid+3+100+",
          "CMD_finalbid+9+4+5+", "CMD_heplayed+1+13+12+", "CMD_tooktrick+1+1+",
          "CMD_postscores+5+8+50+-60+1+0+1+0+0+0+51+-60+51+-60+0+0+"});
    ASSERT_EQ(text("label_team2"), "-60");
    feed("CMD_startround+2+2+");
    EXPECT_EQ(text("label_round"), "Round: 2");
    EXPECT_FALSE(shown("panel_scores"));
    EXPECT_FALSE(shown("image_blind3"));
    EXPECT_FALSE(shown("image_nil3"));
    EXPECT_FALSE(shown("image_trickwinner1"));
    EXPECT_EQ(text("label_bid3"), "0");
    EXPECT_EQ(text("label_tricks1"), "0");
    EXPECT_EQ(text("label_bids1"), "0");
    EXPECT_EQ(text("label_team2"), "-60");
    EXPECT_EQ(text("label_bags1"), "1");
    EXPECT_FALSE(table->playedPicture(1)->hasPicture());
    EXPECT_FALSE(shown("image_cards2")) << "own face-down hand stays hidden";
    for (int seat : {1, 3, 4})
        EXPECT_TRUE(table->cardsPicture(seat)->isVisibleTo(table->boardPanel())) << seat;
}

TEST_F(TableTest, WatcherSeesFourFaceDownHands)
{
    login(6);
    feed("CMD_startround+1+1+");
    for (int seat = 1; seat <= 4; ++seat)
        EXPECT_FALSE(table->cardsPicture(seat)->isHidden()) << seat;
}

TEST_F(TableTest, NextPlayerClearsTheTableOnlyForANewTrick)
{
    login(1);
    feed({"CMD_startgame+Host+500+y+n+n+", "CMD_heplayed+2+20+12+", "CMD_tooktrick+2+1+",
          "CMD_nextplayer+3+20+"});
    EXPECT_TRUE(table->playedPicture(2)->hasPicture());
    EXPECT_TRUE(shown("image_trickwinner2"));
    EXPECT_TRUE(shown("image_turn3"));
    EXPECT_EQ(table->turnseat(), 3);
    EXPECT_EQ(text("label_status"), "Klick's turn.");
    EXPECT_TRUE(sounds.played.isEmpty() || sounds.played.last() != "turn");

    feed("CMD_nextplayer+1+0+");
    EXPECT_FALSE(table->playedPicture(2)->hasPicture());
    EXPECT_EQ(table->model().seat(2).played, 0);
    EXPECT_FALSE(shown("image_trickwinner2"));
    EXPECT_FALSE(shown("image_turn3"));
    EXPECT_TRUE(shown("image_turn1"));
    EXPECT_EQ(text("label_status"), "Your Turn.");
    EXPECT_EQ(sounds.played.last(), "turn");

    table->setNewTurnSound(true);
    feed("CMD_nextplayer+1+0+");
    EXPECT_EQ(sounds.played.last(), "turnnew");
}

TEST_F(TableTest, SoundsAreSilentWhilePlaySoundsIsOff)
{
    login(1);
    table->setPlaySounds(false);
    feed({"CMD_getbid+2+0+", "CMD_heplayed+2+20+12+"});
    EXPECT_TRUE(sounds.played.isEmpty());
}

TEST_F(TableTest, ChatterSoundsPlayOrAreAnnounced)
{
    login(1);
    seatPlayer(2, "Ann");
    feed("CMD_playasound+2+wave13+");
    EXPECT_EQ(table->chatLines().last(), "0+Ann: <Chatter Sound> Applause");
    EXPECT_TRUE(sounds.played.isEmpty());
    feed({"CMD_playasound+7+wave13+", "CMD_playasound+2+wave99+"});
    EXPECT_EQ(table->chatLines().last(), "0+Ann: <Chatter Sound> Applause");

    table->setPlayChatterSounds(true);
    table->setPlaySounds(false);
    feed("CMD_playasound+2+wave13+");
    EXPECT_EQ(sounds.played, QStringList{"wave13"});
}

TEST_F(TableTest, JustWatchingMarksAndRequests)
{
    login(2);
    table->JustWatch1Click();
    EXPECT_EQ(sent.value(0), terminated("CMD_justwatch+2+1"));
    EXPECT_FALSE(table->justWatching()) << "only the host's word checks it";
    feed("CMD_justwatching+2+1");
    EXPECT_TRUE(table->justWatching());
    EXPECT_TRUE(shown("image_eyes2"));
    EXPECT_EQ(table->chatLines().last(), "0+Ann is just watching");
    table->JustWatch1Click();
    EXPECT_EQ(sent.value(1), terminated("CMD_justwatch+2+2"));
    feed("CMD_justwatching+2+2");
    EXPECT_FALSE(table->justWatching());
    EXPECT_EQ(table->chatLines().last(), "0+Ann is now playing again");
    feed({"CMD_justwatching+2+1", "CMD_startgame+Host+500+y+n+n+"});
    EXPECT_FALSE(table->justWatching()) << "a new game unchecks it";
}

TEST_F(TableTest, BotSpeedIsSentAndKept)
{
    login(1);
    table->findChild<QAction *>("Fast1")->trigger();
    EXPECT_EQ(table->botSpeed(), 200);
    EXPECT_EQ(sent, QList<QByteArray>{terminated("CMD_botspeed+1+200+")});
    EXPECT_TRUE(table->findChild<QAction *>("Fast1")->isChecked());
    EXPECT_FALSE(table->findChild<QAction *>("Normal1")->isChecked());
}

} // namespace

namespace {

TEST_F(TableTest, SeatMenuFollowsHostingAndTheClickedLabel)
{
    QList<QMenu *> opened;
    requests.onPopup = [&](QMenu *menu) { opened.append(menu); };
    login(2);
    QTest::mouseClick(control("label_playername3"), Qt::RightButton);
    ASSERT_EQ(opened.size(), 1);
    SeatMenu *menu = table->seatMenu();
    EXPECT_EQ(opened[0], menu);
    for (QAction *item : menu->actions())
        EXPECT_FALSE(item->isEnabled()) << "only the host may use it";

    SetUp();
    table->hostpress();
    login(1);
    QTest::mouseClick(control("label_playername4"), Qt::RightButton);
    EXPECT_EQ(table->seatMenu()->tag(), 4);
    EXPECT_FALSE(table->seatMenu()->removeItem()->isEnabled()) << "nobody to remove";
    EXPECT_TRUE(table->seatMenu()->setWatchItem()->isEnabled());
    table->seatMenu()->setWatchItem()->trigger();
    EXPECT_EQ(sent.value(0), terminated("CMD_justwatch+4+1"));

    feed("CMD_newplayerinfo+4+Dan");
    QTest::mouseClick(control("label_playername4"), Qt::RightButton);
    table->seatMenu()->removeItem()->trigger();
    EXPECT_EQ(sent.value(1), terminated("CMD_kickhim+1+4+"));
}

// A window that joins a host without a window of its own and is given number
// 1 runs the table as the hosting player's window does; any other number not.
TEST_F(TableTest, NumberOneOfAJoinedTableRunsIt)
{
    for (int seat : {1, 2}) {
        SCOPED_TRACE(seat);
        SetUp();
        int hosting = 0;
        QObject::connect(table.get(), &Tchat::hosting, [&hosting] { ++hosting; });
        table->processparams({"Ann", "192.0.2.105", "false"});
        EXPECT_FALSE(shown("button_start"));
        feed("CMD_sendlogininfo+" + QByteArray::number(seat));
        sent.clear();
        feed("CMD_newplayerinfo+" + QByteArray::number(seat) + "+Ann");
        const bool runs = seat == 1;
        EXPECT_EQ(shown("button_start"), runs);
        EXPECT_EQ(table->findChild<QAction *>("StartGame1")->isEnabled(), runs);
        EXPECT_EQ(hosting, runs ? 1 : 0);
        // The host learns the saved bot speed from its number 1.
        EXPECT_EQ(sent, runs ? QList<QByteArray>{terminated("CMD_botspeed+1+500+")}
                             : QList<QByteArray>{});

        sent.clear();
        feed("CMD_newplayerinfo+4+Dan");
        QTest::mouseClick(control("label_playername4"), Qt::RightButton);
        EXPECT_EQ(table->seatMenu()->removeItem()->isEnabled(), runs);
        table->kicking(4);
        EXPECT_EQ(sent,
                  runs ? QList<QByteArray>{terminated("CMD_kickhim+1+4+")} : QList<QByteArray>{});
        feed("CMD_winner+1");
        EXPECT_EQ(shown("button_start"), runs);
    }
}

} // namespace
