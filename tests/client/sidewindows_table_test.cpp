// The side windows driven by the table window's own dispatch.
#include "client/phrasebuttons.h"
#include "client/sidewindows.h"
#include "client/tchat.h"
#include "client/tchatwiring.h"
#include "client/tlasttrick.h"
#include "client/tspylist.h"
#include "platform/soundplayer.h"
#include "protocol/message.h"
#include "protocol/wirecodec.h"
#include "resources/pictures.h"
#include "tests/client/solotable.h"

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

struct TableSideFixture : ::testing::Test
{
    TestRequests requests;
    Tchat table;
    SilentSounds quiet;
    SideWindows *windows;
    QList<QByteArray> sent;

    TableSideFixture()
    {
        requests.onSend = [this](const QByteArray &m) { sent << m; };
        table.setRequests(&requests);
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
        feed(wire::toClient::SendLoginInfo{seat}.encode());
        feed(wire::toClient::NewPlayerInfo{seat, "Ann"}.encode());
        sent.clear();
    }
    void startGame() { feed(wire::toClient::StartGame{"Ann", "500", "y", "y", "n"}.encode()); }
    QLabel *last(const QString &name) { return windows->lasttrick()->findChild<QLabel *>(name); }
};

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
    const QString names[] = {"", "Klack", "Klot", "Klick", "Kling"};
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
            feed(wire::toClient::HePlayed{seat, seat * 10 + i, 12}.encode());
        }
        feed(wire::toClient::TookTrick{trick.winner, 1}.encode());
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
    // A new game forgets the last trick's marks and leader.
    startGame();
    EXPECT_FALSE(last("image_lastwinner")->isVisibleTo(windows->lasttrick()));
    EXPECT_FALSE(last("image_lastlead")->isVisibleTo(windows->lasttrick()));
    EXPECT_EQ(windows->lasttrick()->leadSeat(), 0);
}

INSTANTIATE_TEST_SUITE_P(OwnSeats, LastTrickEverySeat, ::testing::Values(1, 2, 3, 4));

TEST_F(TableSideFixture, SpiesComeAndGoAndTheHostRemovesThem)
{
    table.processparams({});
    ASSERT_TRUE(table.ishost());
    login(1);
    feed(wire::toClient::NewPlayerInfo{6, "Spy+One"}.encode());
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

    feed(wire::toClient::PlayerDisconnected{6, "Spy+One"}.encode());
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
    // and the buttons can be used again at once (a message that went out locks
    // them for a while).
    TestRequests requests;
    Tchat table;
    SilentSounds quiet;
    table.setSoundPlayer(&quiet);
    requests.own = &table.ownRequests();
    table.setRequests(&requests);
    PhraseButtons *buttons = table.phraseButtons();
    QTest::mouseClick(buttons->button(1), Qt::LeftButton);
    EXPECT_EQ(requests.boxes, QStringList{"Send - Socket Not Connected"});
    EXPECT_TRUE(buttons->isReady());
}

} // namespace
