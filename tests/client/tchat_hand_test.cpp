#include "tablefixture.h"

#include <QLineEdit>
#include <QTest>

namespace {

// Cards given to hand positions 1..13 in the host's order, but here shuffled.
const QByteArray kShuffledHand =
    "CMD_mycards+2+1+45+2+3+3+30+4+14+5+52+6+1+7+27+8+26+9+40+10+13+11+39+12+20+13+7";

class HandTest : public TableTest
{
protected:
    void deal(bool blindAllowed = false)
    {
        login(2);
        feed({blindAllowed ? "CMD_startgame+Host+500+y+y+n+" : "CMD_startgame+Host+500+y+n+n+",
              "CMD_startround+1+1+", kShuffledHand});
    }
    QList<int> cardsLeftToRight() const
    {
        QList<int> result;
        for (int position : table->handSlots())
            if (position > 0)
                result.append(table->cardAt(position)->card());
        return result;
    }
    QList<int> lefts() const
    {
        QList<int> result;
        for (int position : table->handSlots())
            if (position > 0)
                result.append(table->cardAt(position)->x());
        return result;
    }
};

TEST_F(HandTest, ADealtHandIsShownSortedAtItsSlots)
{
    deal();
    const QList<int> sorted = {1, 3, 7, 13, 14, 20, 26, 27, 30, 39, 40, 45, 52};
    EXPECT_EQ(cardsLeftToRight(), sorted);
    for (int slot = 1; slot <= 13; ++slot) {
        CardPicture *card = table->cardAt(table->handSlots()[slot]);
        EXPECT_EQ(card->pos(), QPoint(170 + 18 * (slot - 1), 333));
        EXPECT_EQ(card->size(), QSize(71, 96));
        EXPECT_EQ(card->objectName(), "card" + QString::number(card->position()));
        EXPECT_EQ(tagOf(card), card->position());
        EXPECT_EQ(card->toolTip(), QString::number(card->card()));
    }
    // Later slots lie on top: the last child among the cards is the rightmost.
    QWidget *top = table->boardPanel()->childAt(457 - 2, 380);
    EXPECT_EQ(top, table->cardAt(table->handSlots()[13]));
}

TEST_F(HandTest, RightClickSortsAndSendsNothingEvenOnTurn)
{
    deal();
    feed("CMD_nextplayer+2+0+");
    CardPicture *card = table->cardAt(5);
    QTest::mouseClick(card, Qt::RightButton);
    EXPECT_TRUE(sent.isEmpty());
    EXPECT_EQ(card->y(), 333);
    EXPECT_EQ(table->turnseat(), 2);
    EXPECT_EQ(cardsLeftToRight().first(), 1);
}

TEST_F(HandTest, LeftClickPlaysOnlyOnTheOwnTurn)
{
    deal();
    CardPicture *card = table->cardAt(4);
    QTest::mouseClick(card, Qt::LeftButton);
    EXPECT_TRUE(sent.isEmpty()) << "not the own turn";
    EXPECT_EQ(card->y(), 333);

    feed("CMD_nextplayer+2+0+");
    QTest::mouseClick(card, Qt::LeftButton);
    EXPECT_EQ(sent, QList<QByteArray>{terminated("CMD_playcard+2+4+")})
        << "the hand position goes out, not the card number";
    EXPECT_EQ(card->y(), 328);
    EXPECT_EQ(table->turnseat(), 0);
    QTest::mouseClick(table->cardAt(6), Qt::LeftButton);
    EXPECT_EQ(sent.size(), 1) << "a second click waits for the host";
}

TEST_F(HandTest, JustWatchingIgnoresClicks)
{
    deal();
    feed({"CMD_justwatching+2+1", "CMD_nextplayer+2+0+"});
    QTest::mouseClick(table->cardAt(4), Qt::LeftButton);
    EXPECT_TRUE(sent.isEmpty());
}

TEST_F(HandTest, RefusedCardDropsBackAndTheTurnReturns)
{
    deal();
    const std::pair<int, const char *> codes[] = {
        {1, "Invalid Card"}, {2, "Spades are not broken."}, {3, "You need to follow suit."}};
    for (const auto &[code, reason] : codes) {
        feed("CMD_nextplayer+2+0+");
        QTest::mouseClick(table->cardAt(7), Qt::LeftButton);
        ASSERT_EQ(table->cardAt(7)->y(), 328);
        feed("CMD_error+2+" + QByteArray::number(code) + "+7+");
        EXPECT_EQ(table->status(), reason);
        EXPECT_EQ(table->cardAt(7)->y(), 333);
        EXPECT_EQ(table->turnseat(), 2);
        EXPECT_EQ(sounds.played.last(), "error");
    }
    feed("CMD_error+3+1+7+");
    EXPECT_EQ(table->status(), "You need to follow suit.") << "another seat's refusal is ignored";
}

TEST_F(HandTest, PlayedCardLeavesAndTheGapCloses)
{
    deal();
    // Slot 4 holds card 13 (ace of clubs), dealt at position 10.
    ASSERT_EQ(table->handSlots()[4], 10);
    feed("CMD_nextplayer+2+0+");
    QTest::mouseClick(table->cardAt(10), Qt::LeftButton);
    feed({"CMD_heplayed+2+13+12+", "CMD_usecard+2+10+"});
    EXPECT_EQ(table->cardAt(10), nullptr);
    EXPECT_EQ(table->findChild<QWidget *>("card10"), nullptr);
    EXPECT_EQ(cardsLeftToRight(), QList<int>({1, 3, 7, 14, 20, 26, 27, 30, 39, 40, 45, 52}));
    QList<int> expectedLefts;
    for (int slot = 1; slot <= 12; ++slot)
        expectedLefts.append(170 + 18 * (slot - 1));
    EXPECT_EQ(lefts(), expectedLefts);
    for (int position : table->handSlots()) {
        if (position > 0) {
            EXPECT_EQ(table->cardAt(position)->y(), 333);
        }
    }
    EXPECT_EQ(table->handSlots()[13], -1);
    EXPECT_EQ(tagOf(table->playedPicture(2)), 13);
    EXPECT_TRUE(table->playedPicture(2)->hasPicture());

    feed("CMD_usecard+3+1+");
    EXPECT_NE(table->cardAt(1), nullptr) << "another seat's card message is ignored";
}

TEST_F(HandTest, LastCardOfASeatHidesItsFaceDownHand)
{
    deal();
    ASSERT_FALSE(table->cardsPicture(3)->isHidden());
    feed("CMD_heplayed+3+5+1+");
    EXPECT_FALSE(table->cardsPicture(3)->isHidden());
    feed("CMD_heplayed+3+6+0+");
    EXPECT_TRUE(table->cardsPicture(3)->isHidden());
    EXPECT_EQ(tagOf(table->playedPicture(3)), 6);
    EXPECT_EQ(sounds.played.last(), "placecard");
}

TEST_F(HandTest, TookTrickMarksTheWinner)
{
    deal();
    table->playernameLabel(4)->setText("Dan");
    EXPECT_TRUE(table->findChild<QWidget *>("button_last")->isHidden());
    feed({"CMD_nextplayer+4+0+", "CMD_tooktrick+4+3+"});
    EXPECT_FALSE(table->findChild<QWidget *>("button_last")->isHidden());
    EXPECT_TRUE(shown("image_trickwinner4"));
    EXPECT_EQ(text("label_tricks4"), "3");
    EXPECT_EQ(table->status(), "Dan took the trick.");
    EXPECT_FALSE(shown("image_turn4"));
    EXPECT_EQ(lastTricks, QList<int>{4});
    EXPECT_EQ(sounds.played.last(), "turnoverbad");
    feed("CMD_tooktrick+2+1+");
    EXPECT_EQ(sounds.played.last(), "turnovergood");
}

TEST_F(HandTest, MoreThanThirteenCardsSaysNoNo)
{
    deal();
    table->createcard(14, 33);
    EXPECT_EQ(boxes, QStringList{"no no"}) << "a fourteenth card finds no slot";
    EXPECT_EQ(table->cardAt(14), nullptr);
    feed("CMD_mycards+2+1+45");
    EXPECT_EQ(boxes, QStringList{"no no"}) << "said once, however many cards follow";
    EXPECT_EQ(cardsLeftToRight().size(), 13);

    // With a slot free, a position outside the hand or one already shown is
    // refused quietly instead of taking the slot.
    boxes.clear();
    table->usecard({2, 1});
    table->createcard(14, 33);
    table->createcard(2, 34);
    EXPECT_TRUE(boxes.isEmpty());
    EXPECT_EQ(table->handSlots()[13], -1);
    table->createcard(1, 33);
    EXPECT_EQ(cardsLeftToRight().size(), 13);
    for (int slot = 1; slot <= 13; ++slot)
        EXPECT_GT(table->handSlots()[slot], 0);
    table->createcard(1, 34);
    EXPECT_TRUE(boxes.isEmpty());
    EXPECT_EQ(table->cardAt(1)->card(), 33);
}

TEST_F(HandTest, CardsDealtAfterAPlayFillTheFreedSlotsInOrder)
{
    login(1);
    feed("CMD_startround+1+1+");
    table->createcard(1, 40);
    table->createcard(2, 10);
    table->createcard(3, 5);
    table->usecard({1, 2}); // slot 2 freed, slot 3 moves into it
    table->createcard(4, 2);
    table->sortthem();
    EXPECT_EQ(cardsLeftToRight(), QList<int>({2, 5, 40}));
}

TEST_F(HandTest, BlindNilGameKeepsTheCardsFaceDownUntilChosen)
{
    deal(true);
    EXPECT_EQ(table->findChildren<CardPicture *>().size(), 0);
    EXPECT_TRUE(shown("image_flippedcards"));
    feed("CMD_getbid+2+5+");
    EXPECT_TRUE(shown("button_blind"));
    EXPECT_TRUE(shown("button_dobid"));
    for (const char *hidden : {"button_bid", "button_nil", "edit_bid", "updown_bid", "label_bid"})
        EXPECT_FALSE(shown(hidden)) << hidden;
    EXPECT_EQ(table->findChildren<CardPicture *>().size(), 0);

    table->button_blindClick();
    EXPECT_EQ(sent, QList<QByteArray>{terminated("CMD_mybid+2+100+")});
    EXPECT_EQ(cardsLeftToRight().size(), 13);
    EXPECT_FALSE(shown("image_flippedcards"));
    EXPECT_FALSE(shown("button_blind"));
    feed("CMD_hebid+2+100+");
    EXPECT_EQ(text("label_bid2"), "0");
    EXPECT_TRUE(shown("image_nil2"));
    EXPECT_TRUE(shown("image_blind2"));
}

TEST_F(HandTest, ChoosingToLookOffersTheNumberBid)
{
    deal(true);
    table->button_dobidClick();
    EXPECT_EQ(cardsLeftToRight().size(), 0) << "not the own bid turn";
    feed("CMD_getbid+2+0+");
    sounds.played.clear();
    table->button_dobidClick();
    EXPECT_EQ(cardsLeftToRight().size(), 13);
    for (const char *visible : {"button_bid", "button_nil", "edit_bid", "updown_bid", "label_bid"})
        EXPECT_TRUE(shown(visible)) << visible;
    EXPECT_FALSE(shown("button_blind"));
    EXPECT_EQ(table->status(), "Your turn to bid.");
    EXPECT_EQ(sounds.played, QStringList{"turn"});
    EXPECT_TRUE(sent.isEmpty());
}

TEST_F(HandTest, NumberBidSendsTheFieldAndClosesTheTurn)
{
    deal();
    table->playernameLabel(3)->setText("Cy");
    feed("CMD_getbid+3+4+");
    EXPECT_EQ(text("label_totalbids"), "Total Bids: 4");
    EXPECT_EQ(table->status(), "Cy is bidding..");
    EXPECT_EQ(sounds.played.last(), "click");
    EXPECT_FALSE(shown("button_bid"));
    table->button_bidClick();
    EXPECT_TRUE(sent.isEmpty());

    feed("CMD_getbid+2+4+");
    EXPECT_TRUE(shown("button_bid"));
    EXPECT_EQ(text("label_status"), "Your turn to bid.");
    auto *edit = control<QLineEdit>("edit_bid");
    EXPECT_EQ(edit->text(), "1");
    for (int i = 0; i < 20; ++i)
        QTest::mouseClick(control("updown_bid_up"), Qt::LeftButton);
    EXPECT_EQ(edit->text(), "13");
    for (int i = 0; i < 20; ++i)
        QTest::mouseClick(control("updown_bid_down"), Qt::LeftButton);
    EXPECT_EQ(edit->text(), "1");
    edit->setText("4");
    QTest::mouseClick(control("button_bid"), Qt::LeftButton);
    EXPECT_EQ(sent, QList<QByteArray>{terminated("CMD_mybid+2+4+")});
    EXPECT_FALSE(shown("button_bid"));
    EXPECT_EQ(table->model().awaitedBidder(), 0);
    table->button_nilClick();
    EXPECT_EQ(sent.size(), 1) << "the bidder mark is gone";

    feed("CMD_getbid+2+4+");
    table->button_nilClick();
    EXPECT_EQ(sent.last(), terminated("CMD_mybid+2+0+"));
    feed({"CMD_hebid+2+0+", "CMD_finalbid+11+5+6+"});
    EXPECT_TRUE(shown("image_nil2"));
    EXPECT_FALSE(shown("image_blind2"));
    EXPECT_EQ(text("label_totalbids"), "Total Bids: 11");
    EXPECT_EQ(text("label_bids1"), "5");
    EXPECT_EQ(text("label_bids2"), "6");
    EXPECT_EQ(text("label_teambids2"), "6");
}

// Only a number of tricks leaves the bid field; anything else would be
// message text (a "+" adds fields, 0xFF ends the message) or a bid the host
// ignores while it waits for ever.
TEST_F(HandTest, TheBidFieldSendsOnlyANumberOfTricks)
{
    deal();
    const struct
    {
        QString typed;
        QByteArray sent; // empty: nothing goes out and the field stays
    } cases[] = {
        {"4", "CMD_mybid+2+4+"},
        {"13", "CMD_mybid+2+13+"},
        {"0", "CMD_mybid+2+0+"},
        {"07", "CMD_mybid+2+7+"},
        {"14", ""},
        {"", ""},
        {"3+9", ""},
        {"+3", ""},
        {"-1", ""},
        {QString("3") + QChar(0xFF) + "CMD_x", ""},
        {QStringLiteral("\u0663"), ""},
    };
    auto *edit = control<QLineEdit>("edit_bid");
    for (const auto &c : cases) {
        SCOPED_TRACE(c.typed.toStdString());
        feed("CMD_getbid+2+0+");
        sent.clear();
        edit->setText(c.typed);
        QTest::mouseClick(control("button_bid"), Qt::LeftButton);
        if (c.sent.isEmpty()) {
            EXPECT_TRUE(sent.isEmpty());
            EXPECT_TRUE(shown("button_bid"));
            EXPECT_EQ(edit->text(), "1");
        } else {
            EXPECT_EQ(sent, QList<QByteArray>{terminated(c.sent)});
            EXPECT_FALSE(shown("button_bid"));
        }
    }
    // Typing goes through the same gate: a sign or a third digit never lands.
    feed("CMD_getbid+2+0+");
    edit->clear();
    QTest::keyClicks(edit, "+1x23");
    EXPECT_EQ(edit->text(), "12");
}

} // namespace
