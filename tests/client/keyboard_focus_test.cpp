// Where the keys go: the focus shows wherever it is, a click on the table
// gives the table the keys, and the ring keeps to cards that may be played.
#include "tablefixture.h"

#include "client/keyboardplay.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QTest>

namespace {

// Seat 2 holds, sorted: clubs 2 4 8 A, diamonds 2 8 A, spades 2 5 A, hearts 2 7 A.
const QByteArray kHand =
    "CMD_mycards+2+1+45+2+3+3+30+4+14+5+52+6+1+7+27+8+26+9+40+10+13+11+39+12+20+13+7";

class KeyboardFocusTest : public TableTest
{
protected:
    void SetUp() override
    {
        TableTest::SetUp();
        table->show();
        login(2);
        table->activateWindow();
        active = QTest::qWaitForWindowActive(table.get());
        feed({"CMD_startgame+Host+500+y+n+n+", "CMD_startround+1+1+", kHand});
    }
    void bidAll()
    {
        feed({"CMD_hebid+2+3+", "CMD_hebid+3+4+", "CMD_hebid+4+2+", "CMD_hebid+1+3+"});
    }
    void press(int key)
    {
        QWidget *target = table->focusWidget();
        QTest::keyClick(target ? target : table.get(), Qt::Key(key));
        QApplication::processEvents();
    }
    void typeInChat(const QString &text)
    {
        auto *entry = control<QLineEdit>("mychat");
        entry->setFocus(Qt::MouseFocusReason);
        QTest::keyClicks(entry, text);
    }
    // A left click where the board shows nothing but felt.
    void clickFelt()
    {
        QWidget *board = table->boardPanel();
        const QPoint at(320, 100);
        ASSERT_EQ(board->childAt(at)->objectName(), "LbBackground1");
        QTest::mouseClick(board->childAt(at), Qt::LeftButton, {}, at);
        QApplication::processEvents();
    }
    CardPicture *focusedCard() const { return qobject_cast<CardPicture *>(table->focusWidget()); }
    QImage shot() const { return table->grab().toImage(); }

    bool active = false;
};

TEST_F(KeyboardFocusTest, EveryControlTabReachesShowsThatItHasTheFocus)
{
    if (!active)
        GTEST_SKIP() << "no active window on this platform";
    feed("CMD_getbid+2+0+");
    table->offerHostControls();
    if (QWidget *focus = table->focusWidget())
        focus->clearFocus();
    QList<QWidget *> reached;
    for (int step = 0; step < 40; ++step) {
        press(Qt::Key_Tab);
        QWidget *focus = table->focusWidget();
        if (!focus || reached.contains(focus))
            break;
        reached << focus;
        const QRect around =
            QRect(focus->mapTo(table.get(), QPoint(0, 0)), focus->size()).adjusted(-4, -4, 4, 4);
        const QImage focused = shot().copy(around);
        focus->clearFocus();
        QApplication::processEvents();
        const QImage unfocused = shot().copy(around);
        EXPECT_TRUE(focused != unfocused) << focus->objectName().toStdString();
        focus->setFocus(Qt::TabFocusReason);
        QApplication::processEvents();
    }
    QStringList names;
    for (QWidget *w : reached)
        names << w->objectName();
    for (const char *name : {"panel_board", "button_start", "button_bid", "button_nil", "edit_bid",
                             "mainchat", "mychat"})
        EXPECT_TRUE(names.contains(name)) << name << " in " << names.join(' ').toStdString();
}

TEST_F(KeyboardFocusTest, AClickOnTheTableGivesItTheKeysBackFromTheChat)
{
    bidAll();
    feed("CMD_nextplayer+2+0+");
    ASSERT_NE(focusedCard(), nullptr);
    const int ringed = focusedCard()->position();
    typeInChat("hi");
    ASSERT_EQ(focusedCard(), nullptr);
    clickFelt();
    ASSERT_NE(focusedCard(), nullptr) << "the keys went back to the hand";
    EXPECT_EQ(focusedCard()->position(), ringed);
    EXPECT_TRUE(table->findChild<QWidget *>("focus_ring")->isVisible());
    press(Qt::Key_Return);
    EXPECT_EQ(sent,
              QList<QByteArray>{terminated("CMD_playcard+2+" + QByteArray::number(ringed) + "+")});
    EXPECT_EQ(control<QLineEdit>("mychat")->text(), "hi") << "the chat keeps its text";

    // A click on a card out of turn takes the ring to that card.
    feed({"CMD_usecard+2+" + QByteArray::number(ringed) + '+', "CMD_nextplayer+3+0+"});
    typeInChat("!");
    CardPicture *last = table->cardAt(table->model().handInOrder().last());
    QTest::mouseClick(last, Qt::LeftButton);
    EXPECT_EQ(focusedCard(), last);
}

TEST_F(KeyboardFocusTest, PlainHGivesAHintWheneverTheTableHasTheKeys)
{
    enum class Keys { NumberField, TableClickedAfterChat, NilButton };
    const std::pair<Keys, const char *> cases[] = {
        {Keys::NumberField, "the number field"},
        {Keys::TableClickedAfterChat, "the table, clicked after the chat"},
        {Keys::NilButton, "the Nil button, reached with Tab"},
    };
    for (const auto &[keys, where] : cases) {
        SCOPED_TRACE(where);
        SetUp();
        feed("CMD_getbid+2+0+");
        if (keys == Keys::TableClickedAfterChat) {
            typeInChat("x");
            clickFelt();
        } else if (keys == Keys::NilButton) {
            control("button_nil")->setFocus(Qt::TabFocusReason);
        }
        const QString chatBefore = control<QLineEdit>("mychat")->text();
        press(Qt::Key_H);
        EXPECT_TRUE(table->status().startsWith("Hint: bid")) << table->status().toStdString();
        EXPECT_EQ(control<QLineEdit>("mychat")->text(), chatBefore);
        EXPECT_TRUE(sent.isEmpty());
    }
}

TEST_F(KeyboardFocusTest, TheRingLeavesACardTheVeilsDarken)
{
    bidAll();
    // Hearts led: only the hearts 2, 7 and A may follow.
    feed({"CMD_nextplayer+1+0+", "CMD_heplayed+1+42+12+", "CMD_nextplayer+2+42+"});
    ASSERT_NE(focusedCard(), nullptr);
    ASSERT_EQ(focusedCard()->card(), 1) << "the turn starts on the left card";
    table->findChild<QAction *>("ShowPlayableCards1")->trigger();
    ASSERT_TRUE(table->cardAt(table->model().handInOrder().first())->dimmed());
    ASSERT_NE(focusedCard(), nullptr);
    EXPECT_EQ(focusedCard()->card(), 40) << "the nearest card that may be played";
    EXPECT_FALSE(focusedCard()->dimmed());
    const QRect ring = table->findChild<QWidget *>("focus_ring")->geometry();
    EXPECT_TRUE(ring.contains(focusedCard()->geometry().topLeft()));
    press(Qt::Key_Return);
    EXPECT_EQ(sent, QList<QByteArray>{terminated(
                        "CMD_playcard+2+" + QByteArray::number(focusedCard()->position()) + "+")});
}

} // namespace
