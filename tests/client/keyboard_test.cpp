// Playing the table from the keyboard, fed host messages directly.
#include "tablefixture.h"

#include "client/keyboardplay.h"
#include "client/menuaccelerators.h"
#include "client/scorepanel.h"

#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <algorithm>

namespace {

// Hand positions 1..13 of seat 2, as the host deals them.
const QByteArray kHand =
    "CMD_mycards+2+1+45+2+3+3+30+4+14+5+52+6+1+7+27+8+26+9+40+10+13+11+39+12+20+13+7";

class KeyboardTest : public TableTest
{
protected:
    void SetUp() override
    {
        TableTest::SetUp();
        table->show();
        login(2);
    }
    void deal(bool blindAllowed = false)
    {
        feed({blindAllowed ? "CMD_startgame+Host+500+y+y+n+" : "CMD_startgame+Host+500+y+n+n+",
              "CMD_startround+1+1+", kHand});
    }
    // A key pressed where the keyboard focus is, as a player would.
    void press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QWidget *target = table->focusWidget();
        if (!target)
            target = table.get();
        QTest::keyClick(target, Qt::Key(key), modifiers);
        QApplication::processEvents();
    }
    KeyboardPlay *keys() const { return table->findChild<KeyboardPlay *>("keyboardPlay"); }
    int focusedCard() const
    {
        auto *card = qobject_cast<CardPicture *>(table->focusWidget());
        return card ? card->card() : 0;
    }
};

TEST_F(KeyboardTest, BiddingANumberWithTheArrowsAndEnter)
{
    deal();
    feed("CMD_getbid+2+0+");
    // The number field takes the focus when the bid is asked for.
    ASSERT_EQ(table->focusWidget(), control("edit_bid"));
    for (int key : {Qt::Key_Up, Qt::Key_Up, Qt::Key_Up, Qt::Key_Down})
        press(key);
    EXPECT_EQ(control<QLineEdit>("edit_bid")->text(), "3");
    for (int i = 0; i < 20; ++i)
        press(Qt::Key_Down); // held at 1, no wrap-around
    EXPECT_EQ(control<QLineEdit>("edit_bid")->text(), "1");
    press(Qt::Key_Up);
    press(Qt::Key_Return);
    EXPECT_EQ(sent, QList<QByteArray>{terminated("CMD_mybid+2+2+")});
    EXPECT_FALSE(shown("button_bid"));
    // The bid is gone: the same keys send nothing more.
    press(Qt::Key_Return);
    press(Qt::Key_N);
    EXPECT_EQ(sent.size(), 1);
}

TEST_F(KeyboardTest, NilAndBlindNilAndLookingFromTheKeyboard)
{
    struct Case
    {
        bool blindAllowed;
        QList<int> keys;
        QByteArray expected; // empty: nothing sent
        bool numberShown;
    };
    const Case cases[] = {
        {false, {Qt::Key_N}, "CMD_mybid+2+0+", false},
        {false, {Qt::Key_B}, "", true}, // Blind Nil not offered
        {true, {Qt::Key_B}, "CMD_mybid+2+100+", false},
        {true, {Qt::Key_N}, "", false}, // must look or go blind first
        {true, {Qt::Key_L}, "", true},
        {true, {Qt::Key_L, Qt::Key_N}, "CMD_mybid+2+0+", false},
        {true, {Qt::Key_L, Qt::Key_Up, Qt::Key_Enter}, "CMD_mybid+2+2+", false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.blindAllowed ? "blind allowed" : "blind disallowed");
        deal(c.blindAllowed);
        feed("CMD_getbid+2+4+");
        sent.clear();
        for (int key : c.keys)
            press(key);
        if (c.expected.isEmpty())
            EXPECT_TRUE(sent.isEmpty()) << sent.value(0).toStdString();
        else
            EXPECT_EQ(sent, QList<QByteArray>{terminated(c.expected)});
        EXPECT_EQ(shown("button_bid"), c.numberShown);
        if (c.blindAllowed && !c.keys.contains(Qt::Key_N)) {
            // Looking or going blind turns the cards face up.
            EXPECT_FALSE(shown("image_flippedcards"));
            EXPECT_EQ(table->findChildren<CardPicture *>().size(), 13);
        }
        feed("CMD_hebid+2+3+");
    }
}

TEST_F(KeyboardTest, ArrowsWalkTheHandAndEnterPlaysTheFocusedCard)
{
    deal();
    feed({"CMD_hebid+2+3+", "CMD_nextplayer+2+0+"});
    // Sorted hand: 1 3 7 13 14 20 26 27 30 39 40 45 52; the turn focuses the first.
    EXPECT_EQ(focusedCard(), 1);
    auto *ring = table->findChild<QWidget *>("focus_ring");
    ASSERT_NE(ring, nullptr);
    EXPECT_TRUE(ring->isVisible());
    press(Qt::Key_Left); // already at the left end
    EXPECT_EQ(focusedCard(), 1);
    press(Qt::Key_Right);
    press(Qt::Key_Right);
    EXPECT_EQ(focusedCard(), 7);
    CardPicture *seven = table->cardAt(13);
    EXPECT_TRUE(ring->geometry().contains(QRect(seven->x(), seven->y(), 18, 96)));
    EXPECT_LT(ring->width(), 71) << "the ring marks only the card's visible strip";
    press(Qt::Key_End);
    EXPECT_EQ(focusedCard(), 52);
    press(Qt::Key_Home);
    press(Qt::Key_Right);
    press(Qt::Key_Right);

    press(Qt::Key_Space);
    EXPECT_EQ(sent, QList<QByteArray>{terminated("CMD_playcard+2+13+")});
    EXPECT_EQ(seven->y(), 328);
    press(Qt::Key_Return); // waiting for the host: nothing more goes out
    EXPECT_EQ(sent.size(), 1);

    // Refused: the card drops back and another can be chosen.
    feed("CMD_error+2+3+13+");
    EXPECT_EQ(seven->y(), 333);
    press(Qt::Key_Left);
    press(Qt::Key_Return);
    EXPECT_EQ(sent.last(), terminated("CMD_playcard+2+2+")); // the three of clubs

    // Accepted: the focus stays on the hand, on the card that slid into the slot.
    feed("CMD_usecard+2+2+");
    QApplication::processEvents();
    EXPECT_EQ(table->findChildren<CardPicture *>().size(), 12);
    EXPECT_EQ(focusedCard(), 7);
    EXPECT_TRUE(ring->isVisible());
    // The focus going to the chat takes the ring with it.
    QWidget *entry = table->findChild<QWidget *>("mychat");
    entry->setFocus();
    EXPECT_TRUE(ring->isVisible());
    EXPECT_TRUE(ring->geometry().contains(entry->geometry()));
    EXPECT_FALSE(ring->geometry().intersects(table->cardAt(13)->geometry()));
}

TEST_F(KeyboardTest, EnterDoesNothingOutOfTurnOrWhileWatching)
{
    deal();
    feed({"CMD_hebid+2+3+", "CMD_nextplayer+3+0+"});
    press(Qt::Key_Tab); // nothing was focused by the table: reach it by hand
    table->boardPanel()->setFocus();
    press(Qt::Key_Right);
    EXPECT_EQ(focusedCard(), 1) << "the hand can be read while others play";
    press(Qt::Key_Return);
    EXPECT_TRUE(sent.isEmpty());
    feed({"CMD_justwatching+2+1+", "CMD_nextplayer+2+0+"});
    press(Qt::Key_Return);
    EXPECT_TRUE(sent.isEmpty());
}

TEST_F(KeyboardTest, KeysTypedInTheChatAreNotMoves)
{
    deal();
    auto *entry = table->findChild<QLineEdit *>("mychat");
    ASSERT_NE(entry, nullptr);
    entry->setFocus();
    feed("CMD_getbid+2+0+");
    EXPECT_EQ(table->focusWidget(), entry) << "a bid request does not take the typing away";
    for (int key : {Qt::Key_N, Qt::Key_B, Qt::Key_Up, Qt::Key_Return})
        press(key);
    EXPECT_TRUE(std::none_of(sent.begin(), sent.end(),
                             [](const QByteArray &m) { return m.startsWith("CMD_mybid"); }));
}

TEST_F(KeyboardTest, EscapeClosesTheScorePanel)
{
    deal();
    table->activateWindow();
    if (!QTest::qWaitForWindowActive(table.get()))
        GTEST_SKIP() << "no active window on this platform";
    feed("CMD_postscores+6+7+60+-40+1+0+0+0+0+0+60+-40+60+-40+0+0+");
    ASSERT_TRUE(shown("panel_scores"));
    press(Qt::Key_Escape);
    EXPECT_FALSE(shown("panel_scores"));
    EXPECT_EQ(sent, QList<QByteArray>{terminated("CMD_closed+2+")});
    press(Qt::Key_Escape); // nothing left to close
    EXPECT_EQ(sent.size(), 1) << sent.join("|").toStdString();
}

TEST(MenuAccelerators, MnemonicsPreferWordStartsAndStayUnique)
{
    struct Case
    {
        const char *caption;
        const char *expected;
    };
    const Case cases[] = {
        {"Start Game", "&Start Game"},
        {"Spy List", "Spy &List"},
        {"&Exit", "&Exit"},
        {"Scroll Chat Off", "Scroll &Chat Off"},
        {"Text Color", "&Text Color"},
        {"Text Size", "Te&xt Size"},
        {"Sss", "Sss"}, // every letter taken
    };
    QStringList taken;
    for (const Case &c : cases)
        EXPECT_EQ(menuaccelerators::withMnemonic(QString::fromLatin1(c.caption), taken),
                  QString::fromLatin1(c.expected));
}

TEST_F(KeyboardTest, EveryMenuItemHasAMnemonicUniqueInItsMenu)
{
    QList<QMenu *> menus;
    for (QAction *top : table->menuBar()->actions())
        if (top->menu())
            menus.append(top->menu());
    int items = 0;
    for (int i = 0; i < menus.size(); ++i) {
        QStringList letters;
        for (QAction *action : menus.at(i)->actions()) {
            if (action->isSeparator() || !action->isVisible())
                continue;
            ++items;
            const QString text = action->text();
            const qsizetype amp = text.indexOf(QLatin1Char('&'));
            ASSERT_GE(amp, 0) << text.toStdString();
            const QString letter = text.mid(amp + 1, 1).toLower();
            EXPECT_FALSE(letters.contains(letter)) << text.toStdString();
            letters.append(letter);
            if (action->menu())
                menus.append(action->menu());
        }
    }
    EXPECT_GT(items, 15);
    EXPECT_EQ(table->findChild<QAction *>("Exit1")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Q));
}

} // namespace
