// The side windows driven by the table window's own dispatch.
#include "client/phrasebuttons.h"
#include "client/sidewindows.h"
#include "client/tchat.h"
#include "client/tchatwiring.h"
#include "client/tlasttrick.h"
#include "client/tspylist.h"
#include "protocol/message.h"
#include "resources/pictures.h"
#include "platform/soundplayer.h"

#include <QAction>
#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

class QuietSounds : public SoundPlayer
{
public:
    void play(const QString &) override {}
};

struct TableSideFixture : ::testing::Test
{
    Tchat table;
    QuietSounds quiet;
    SideWindows *windows;
    QList<QByteArray> sent;

    TableSideFixture()
    {
        TableServices &s = table.services();
        s.send = [this](const QByteArray &m) { sent << m; };
        s.menuPopup = [](QMenu *) { return true; };
        s.messageBox = [](const QString &) {};
        s.connectTo = [](const QString &) {};
        s.startHost = [] {};
        s.showDownload = [] {};
        table.setSoundPlayer(&quiet);
        windows = attachSideWindows(table);
    }
    void feed(QByteArray message)
    {
        if (message.endsWith(wire::kTerminator))
            message.chop(1);
        table.queueMessage(message);
        while (table.queuedMessages() > 0)
            table.processsocktimer();
    }
    void login(int seat)
    {
        feed(wire::toClient::sendlogininfo(seat));
        feed(wire::toClient::newplayerinfo(seat, "Ann"));
        sent.clear();
    }
    void startGame() { feed(wire::toClient::startgame({"Ann", "500", "y", "y", "n"})); }
    QLabel *last(const QString &name) { return windows->lasttrick()->findChild<QLabel *>(name); }
};

TEST_F(TableSideFixture, LastTrickMarksForOwnSeatThree)
{
    login(3);
    startGame();
    feed(wire::toClient::heplayed(4, 14, 12));
    feed(wire::toClient::heplayed(1, 20, 12));
    feed(wire::toClient::heplayed(2, 2, 12));
    feed(wire::toClient::heplayed(3, 40, 12));
    feed(wire::toClient::tooktrick(3, 1));
    QTest::mouseClick(table.findChild<QWidget *>("button_last"), Qt::LeftButton);

    EXPECT_TRUE(windows->lasttrick()->isVisible());
    // Own seat 3 at the bottom, then 4 left, 1 top, 2 right.
    EXPECT_EQ(last("label_last1")->text(), "Ann");
    EXPECT_EQ(last("label_last2")->text(), "Kling");
    EXPECT_EQ(last("label_last3")->text(), "You");
    EXPECT_EQ(last("label_last4")->text(), "Klot");
    EXPECT_EQ(last("image_lastwinner")->x(), last("image_last1")->x() + 2);
    EXPECT_EQ(last("image_lastlead")->x(), last("image_last2")->x() - 8);
    for (int position = 1; position <= 4; ++position)
        EXPECT_FALSE(last(QStringLiteral("image_last%1").arg(position))->pixmap().isNull());

    startGame();
    EXPECT_FALSE(last("image_lastwinner")->isVisibleTo(windows->lasttrick()));
    EXPECT_FALSE(last("image_lastlead")->isVisibleTo(windows->lasttrick()));
    EXPECT_EQ(windows->lasttrick()->leadSeat(), 0);
}

// Every own seat: each seat's card sits at its place on the turned board, and
// the marks follow the winner and the leader whoever they are.
struct LastTrickEverySeat : TableSideFixture, ::testing::WithParamInterface<int>
{
    // Where a seat sits: 1 bottom, 2 left, 3 top, 4 right.
    static int positionOf(int seat, int own) { return (seat - own + 4) % 4 + 1; }
    QImage cardImage(int position)
    {
        return last(QStringLiteral("image_last%1").arg(position))->pixmap().toImage();
    }
};

TEST_P(LastTrickEverySeat, CardsNamesAndMarks)
{
    const int own = GetParam();
    login(own);
    startGame();
    const QString names[] = {"", "You", "Klot", "Klick", "Kling"};
    const qreal dpr = qApp->devicePixelRatio();
    // Two tricks with different leaders and winners, none of them the own seat
    // in both roles.
    const struct
    {
        int lead, winner;
    } tricks[] = {{own % 4 + 1, (own + 1) % 4 + 1}, {(own + 2) % 4 + 1, own}};
    for (const auto &trick : tricks) {
        for (int i = 0; i < 4; ++i) {
            const int seat = (trick.lead - 1 + i) % 4 + 1;
            feed(wire::toClient::heplayed(seat, seat * 10 + i, 12));
        }
        feed(wire::toClient::tooktrick(trick.winner, 1));
        QTest::mouseClick(table.findChild<QWidget *>("button_last"), Qt::LeftButton);

        for (int seat = 1; seat <= 4; ++seat) {
            const int position = positionOf(seat, own);
            const int card = seat * 10 + (seat - trick.lead + 4) % 4;
            EXPECT_EQ(cardImage(position), pictures::card(card, dpr).toImage())
                << "own " << own << " seat " << seat;
            EXPECT_EQ(last(QStringLiteral("label_last%1").arg(position))->text(),
                      seat == own ? QString("Ann") : names[seat])
                << "own " << own << " seat " << seat;
        }
        const int winnerAt = positionOf(trick.winner, own);
        const int leadAt = positionOf(trick.lead, own);
        EXPECT_EQ(last("image_lastwinner")->x(),
                  last(QStringLiteral("image_last%1").arg(winnerAt))->x() + 2)
            << "own " << own << " winner " << trick.winner;
        EXPECT_EQ(last("image_lastlead")->x(),
                  last(QStringLiteral("image_last%1").arg(leadAt))->x() - 8)
            << "own " << own << " lead " << trick.lead;
    }
}

INSTANTIATE_TEST_SUITE_P(OwnSeats, LastTrickEverySeat, ::testing::Values(1, 2, 3, 4));

TEST_F(TableSideFixture, SpiesComeAndGoAndTheHostRemovesThem)
{
    table.processparams({});
    ASSERT_TRUE(table.ishost());
    login(1);
    feed(wire::toClient::newplayerinfo(6, "Spy+One"));
    EXPECT_EQ(windows->spylist()->lines(), QStringList{"6: Spy+One"});

    auto *list = windows->spylist()->findChild<QListWidget *>("listbox_spys");
    const QPoint at = list->visualItemRect(list->item(0)).center();
    QMouseEvent move(QEvent::MouseMove, at, list->viewport()->mapToGlobal(at), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(list->viewport(), &move);
    auto *kick = windows->spylist()->findChild<QAction *>("popup_kickhim");
    ASSERT_TRUE(kick->isEnabled());
    kick->trigger();
    EXPECT_EQ(sent, QList<QByteArray>{"CMD_kickhim+1+6+\xff"});

    feed(wire::toClient::playerdisconnected(6, "Spy+One"));
    EXPECT_TRUE(windows->spylist()->lines().isEmpty());
}

TEST_F(TableSideFixture, PhraseButtonSpeaksForTheOwnSeat)
{
    login(2);
    QTest::mouseClick(table.phraseButtons()->button(7), Qt::LeftButton);
    QTest::mouseClick(table.phraseButtons()->button(8), Qt::LeftButton);
    ASSERT_EQ(sent.size(), 1);
    EXPECT_TRUE(sent[0].startsWith("CMD_action+2+says: Thanks!|")) << sent[0].constData();
    EXPECT_TRUE(sent[0].endsWith(wire::kTerminator));
}

TEST(TablePhraseButtons, StayReadyWhenNothingWentOut)
{
    // The table's own socket, never connected: the socket's complaint is shown
    // and the buttons can be used again at once.
    Tchat table;
    QuietSounds quiet;
    table.setSoundPlayer(&quiet);
    QStringList boxes;
    table.services().messageBox = [&](const QString &text) { boxes << text; };
    PhraseButtons *buttons = table.phraseButtons();
    QTest::mouseClick(buttons->button(1), Qt::LeftButton);
    EXPECT_EQ(boxes, QStringList{"Send - Socket Not Connected"});
    EXPECT_TRUE(buttons->isReady());

    // Nowhere to send at all.
    table.services().send = nullptr;
    QTest::mouseClick(buttons->button(2), Qt::LeftButton);
    EXPECT_TRUE(buttons->isReady());

    // A message that goes out locks them.
    QList<QByteArray> sent;
    table.services().send = [&](const QByteArray &message) { sent << message; };
    QTest::mouseClick(buttons->button(3), Qt::LeftButton);
    QTest::mouseClick(buttons->button(4), Qt::LeftButton);
    ASSERT_EQ(sent.size(), 1);
    EXPECT_TRUE(sent[0].startsWith("CMD_action+0+says: Nice Try!|")) << sent[0].constData();
    EXPECT_FALSE(buttons->isReady());
}

} // namespace
