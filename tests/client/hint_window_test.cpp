// The hint in the window: a frame on the suggested card, or the bid in the
// number field; nothing is sent until the player acts.
#include "tablefixture.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QTest>

namespace {

// Seat 2's hand: clubs 2 4 8 A, diamonds 2 8 A, spades 2 5 A, hearts 2 7 A.
const QByteArray kHand =
    "CMD_mycards+2+1+45+2+3+3+30+4+14+5+52+6+1+7+27+8+26+9+40+10+13+11+39+12+20+13+7";

class HintTest : public TableTest
{
protected:
    void SetUp() override
    {
        TableTest::SetUp();
        table->show();
        login(2);
    }
    void deal(bool blind)
    {
        feed({blind ? "CMD_startgame+Host+300+y+y+n+" : "CMD_startgame+Host+300+y+n+n+",
              "CMD_startround+1+1+", kHand});
    }
    void bidAll()
    {
        feed({"CMD_hebid+2+3+", "CMD_hebid+3+4+", "CMD_hebid+4+2+", "CMD_hebid+1+3+",
              "CMD_finalbid+12+6+6+"});
    }
    QAction *hint() const { return table->findChild<QAction *>("Hint1"); }
    // The cards that carry the hint's frame.
    QList<CardPicture *> marked() const
    {
        QList<CardPicture *> found;
        for (CardPicture *card : table->findChildren<CardPicture *>())
            if (auto *mark = card->findChild<QWidget *>("hint_mark"); mark && !mark->isHidden())
                found.append(card);
        return found;
    }
};

TEST_F(HintTest, MarksOneCardTheRulesAllowAndSendsNothing)
{
    const struct
    {
        std::initializer_list<QByteArray> trick;
        int suitWanted; // 0: any but spades
    } cases[] = {
        {{"CMD_nextplayer+2+0+"}, 0},
        {{"CMD_nextplayer+1+0+", "CMD_heplayed+1+22+12+", "CMD_nextplayer+2+22+"}, 2},
        {{"CMD_nextplayer+1+0+", "CMD_heplayed+1+35+12+", "CMD_nextplayer+2+35+"}, 3},
    };
    for (const auto &c : cases) {
        SetUp();
        deal(false);
        bidAll();
        EXPECT_FALSE(hint()->isEnabled()) << "no card is awaited yet";
        feed(c.trick);
        ASSERT_TRUE(hint()->isEnabled());
        hint()->trigger();
        const QList<CardPicture *> cards = marked();
        ASSERT_EQ(cards.size(), 1);
        const int suit = getsuit(cards.first()->card());
        if (c.suitWanted == 0) {
            EXPECT_NE(suit, cards::kSpades);
        } else {
            EXPECT_EQ(suit, c.suitWanted);
        }
        EXPECT_TRUE(table->status().startsWith("Hint: play the ")) << table->status().toStdString();
        EXPECT_TRUE(sent.isEmpty());
        // Playing the card takes the frame away with the turn.
        QTest::mouseClick(cards.first(), Qt::LeftButton);
        EXPECT_TRUE(marked().isEmpty());
        ASSERT_EQ(sent.size(), 1);
        EXPECT_EQ(sent.first(), terminated("CMD_playcard+2+" +
                                           QByteArray::number(cards.first()->position()) + "+"));
    }
}

TEST_F(HintTest, TheFrameGoesWhenTheTurnMovesOn)
{
    deal(false);
    bidAll();
    feed("CMD_nextplayer+2+0+");
    hint()->trigger();
    ASSERT_EQ(marked().size(), 1);
    feed("CMD_nextplayer+3+0+");
    EXPECT_TRUE(marked().isEmpty());
    EXPECT_FALSE(hint()->isEnabled());
}

TEST_F(HintTest, SuggestsABidWithoutSendingIt)
{
    deal(false);
    feed("CMD_getbid+2+0+");
    hint()->trigger();
    const QString status = table->status();
    if (status != "Hint: bid Nil.") {
        const int bid = control<QLineEdit>("edit_bid")->text().toInt();
        EXPECT_GE(bid, 1);
        EXPECT_LE(bid, 13);
        EXPECT_EQ(status, QString("Hint: bid %1.").arg(bid));
    }
    EXPECT_TRUE(sent.isEmpty());

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

TEST_F(HintTest, HFromTheTableAndCtrlHFromTheChat)
{
    deal(false);
    bidAll();
    feed("CMD_nextplayer+2+0+");
    auto *entry = table->findChild<QLineEdit *>("mychat");
    ASSERT_NE(entry, nullptr);
    // With the focus on the hand, H asks for the hint.
    QTest::keyClick(table->focusWidget() ? table->focusWidget() : table.get(), Qt::Key_H);
    EXPECT_EQ(marked().size(), 1);

    table->activateWindow();
    if (!QTest::qWaitForWindowActive(table.get()))
        GTEST_SKIP() << "no active window on this platform";
    delete marked().first()->findChild<QWidget *>("hint_mark");
    entry->setFocus();
    QTest::keyClick(entry, Qt::Key_H);
    EXPECT_EQ(entry->text(), "h") << "in the chat H types";
    EXPECT_TRUE(marked().isEmpty());
    QTest::keyClick(entry, Qt::Key_H, Qt::ControlModifier);
    EXPECT_EQ(marked().size(), 1);
}

} // namespace
