// The hint in the window: a frame on the suggested card, or the bid in the
// number field; nothing is sent until the player acts.
#include "tablefixture.h"

#include <QAction>
#include <QLineEdit>
#include <QTest>

namespace {

class HintTest : public TableTest
{
protected:
    void SetUp() override
    {
        TableTest::SetUp();
        table->show();
        login(2);
    }
    // Seat 2 holds clubs 2 4 8 A, diamonds 2 8 A, spades 2 5 A, hearts 2 7 A.
    void deal(bool blind, bool bid = false)
    {
        feed({blind ? "CMD_startgame+Host+300+y+y+n+" : "CMD_startgame+Host+300+y+n+n+",
              "CMD_startround+1+1+",
              "CMD_mycards+2+1+45+2+3+3+30+4+14+5+52+6+1+7+27+8+26+9+40+10+13+11+39+12+20+13+7"});
        if (bid)
            feed({"CMD_hebid+2+3+", "CMD_hebid+3+4+", "CMD_hebid+4+2+", "CMD_hebid+1+3+"});
    }
    QAction *hint() const { return table->findChild<QAction *>("Hint1"); }
    // The cards that carry the hint's frame.
    QList<CardPicture *> marked() const
    {
        QList<CardPicture *> found;
        for (CardPicture *card : table->findChildren<CardPicture *>())
            if (card->findChild<QWidget *>("hint_mark"))
                found.append(card);
        return found;
    }
};

TEST_F(HintTest, MarksOneCardTheRulesAllowAndSendsNothing)
{
    const struct
    {
        std::initializer_list<QByteArray> trick;
        int suit; // 0: any but spades, which are not broken
    } cases[] = {
        {{"CMD_nextplayer+2+0+"}, 0},
        {{"CMD_nextplayer+1+0+", "CMD_heplayed+1+22+12+", "CMD_nextplayer+2+22+"}, 2},
        {{"CMD_nextplayer+1+0+", "CMD_heplayed+1+35+12+", "CMD_nextplayer+2+35+"}, 3},
    };
    for (const auto &c : cases) {
        SetUp();
        deal(false, true);
        EXPECT_FALSE(hint()->isEnabled()) << "no card is awaited yet";
        feed(c.trick);
        hint()->trigger();
        const QList<CardPicture *> cards = marked();
        ASSERT_EQ(cards.size(), 1);
        // The frame shows whole on the strip of the card the next one leaves showing.
        const QList<int> hand = table->model().handInOrder();
        const qsizetype slot = hand.indexOf(cards.first()->position());
        const QRect card = cards.first()->geometry();
        const int strip =
            slot + 1 < hand.size() ? table->cardAt(hand[slot + 1])->x() - card.x() : card.width();
        const QImage shown = table->boardPanel()->grab(card).toImage();
        for (const QPoint &edge :
             {QPoint(1, card.height() / 2), QPoint(strip - 3, card.height() / 2),
              QPoint(strip / 2, 1), QPoint(strip / 2, card.height() - 3)}) {
            const QColor colour = shown.pixelColor(edge);
            EXPECT_TRUE(colour.green() > 180 && colour.red() < 100 && colour.blue() < 140)
                << edge.x() << ',' << edge.y() << ' ' << colour.name().toStdString();
        }
        const int suit = getsuit(cards.first()->card());
        EXPECT_TRUE(c.suit == 0 ? suit != cards::kSpades : suit == c.suit) << suit;
        EXPECT_TRUE(table->status().startsWith("Hint: play the ")) << table->status().toStdString();
        EXPECT_TRUE(sent.isEmpty());
        // Playing the card takes the frame away.
        QTest::mouseClick(cards.first(), Qt::LeftButton);
        EXPECT_TRUE(marked().isEmpty());
        EXPECT_EQ(sent,
                  QList<QByteArray>{terminated(
                      "CMD_playcard+2+" + QByteArray::number(cards.first()->position()) + "+")});
    }
}

TEST_F(HintTest, SuggestsABidWithoutSendingIt)
{
    deal(false);
    feed("CMD_getbid+2+0+");
    hint()->trigger();
    const int bid = control<QLineEdit>("edit_bid")->text().toInt();
    EXPECT_TRUE(table->status() == "Hint: bid Nil." ||
                (bid >= 1 && bid <= 13 && table->status() == QString("Hint: bid %1.").arg(bid)))
        << table->status().toStdString();

    // Face down, the choice is between Blind Nil and looking.
    SetUp();
    deal(true);
    feed("CMD_getbid+2+0+");
    hint()->trigger();
    EXPECT_TRUE(table->status() == "Hint: bid Blind Nil." ||
                table->status() == "Hint: look at your cards, then bid.")
        << table->status().toStdString();
    EXPECT_TRUE(sent.isEmpty());
}

TEST_F(HintTest, HOnTheTableCtrlHInTheChatAndTheFrameGoesWithTheTurn)
{
    deal(false, true);
    feed("CMD_nextplayer+2+0+");
    // The focus is on the hand at the own turn.
    QTest::keyClick(table->focusWidget(), Qt::Key_H);
    EXPECT_EQ(marked().size(), 1);
    feed("CMD_nextplayer+3+0+");
    EXPECT_TRUE(marked().isEmpty());
    EXPECT_FALSE(hint()->isEnabled());

    feed("CMD_nextplayer+2+0+");
    table->activateWindow();
    if (!QTest::qWaitForWindowActive(table.get()))
        GTEST_SKIP() << "no active window on this platform";
    auto *entry = table->findChild<QLineEdit *>("mychat");
    entry->setFocus();
    QTest::keyClick(entry, Qt::Key_H);
    EXPECT_EQ(entry->text(), "h") << "in the chat H types";
    EXPECT_TRUE(marked().isEmpty());
    QTest::keyClick(entry, Qt::Key_H, Qt::ControlModifier);
    EXPECT_EQ(marked().size(), 1);
}

} // namespace
