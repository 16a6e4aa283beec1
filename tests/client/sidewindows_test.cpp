#include "client/phrasebuttons.h"
#include "client/picturebutton.h"
#include "client/sidewindows.h"
#include "client/tgamestart.h"
#include "client/tlasttrick.h"
#include "client/tphrases.h"
#include "client/tspylist.h"
#include "platform/spadessettings.h"

#include <QAction>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

struct SideWindowsFixture : ::testing::Test
{
    QWidget mainWindow;
    QWidget *board = new QWidget(&mainWindow);
    QList<QByteArray> sent;
    QList<int> kicked;
    int settingsWrites = 0;
    int myseat = 2;
    SideWindows *windows;

    SideWindowsFixture()
    {
        board->resize(768, 483);
        SideWindows::Table table;
        table.send = [this](const QByteArray &m) { sent << m; };
        table.myseat = [this] { return myseat; };
        table.playername = [] { return QStringLiteral("Ann"); };
        table.seatName = [](int seat) { return QStringLiteral("P%1").arg(seat); };
        table.playedCard = [](int seat) { return seat * 10; };
        table.kick = [this](int seat) { kicked << seat; };
        table.writeSettings = [this] { ++settingsWrites; };
        windows = new SideWindows(&mainWindow, new PhraseButtons(board), table);
        mainWindow.show();
    }
    QLabel *lastLabel(const QString &name)
    {
        return windows->lasttrick()->findChild<QLabel *>(name);
    }
};

// The felt is drawn for a side window when it opens, not for every window at
// start-up; each window wears it from its first showing on.
TEST_F(SideWindowsFixture, SideWindowsWearTheFeltOnceShown)
{
    const QList<QWidget *> all{windows->gamestart(), windows->spylist(), windows->lasttrick(),
                               windows->phraseEditor()};
    for (QWidget *window : all) {
        SCOPED_TRACE(window->objectName().toStdString());
        EXPECT_TRUE(window->palette().brush(QPalette::Window).texture().isNull());
        window->show();
        const QPixmap felt = window->palette().brush(QPalette::Window).texture();
        EXPECT_FALSE(felt.isNull());
        EXPECT_TRUE(window->autoFillBackground());
        window->hide();
        window->show();
        EXPECT_EQ(window->palette().brush(QPalette::Window).texture().cacheKey(), felt.cacheKey());
        window->hide();
    }
}

TEST_F(SideWindowsFixture, GameStartSendsUnderThePlayersNameAndSavesSettings)
{
    windows->showGameStart();
    EXPECT_TRUE(windows->gamestart()->isVisible());
    QTest::mouseClick(windows->gamestart()->findChild<PictureButton *>("button_start"),
                      Qt::LeftButton);
    ASSERT_EQ(sent.size(), 1);
    EXPECT_EQ(sent[0], QByteArray("CMD_startgame+Ann+500+y+y+y+\xff"));
    EXPECT_EQ(settingsWrites, 1);
}

TEST_F(SideWindowsFixture, LastTrickTakesTheBoardInScreenOrder)
{
    myseat = 3;
    windows->cardLaid(4);
    windows->recordLastTrick(1);
    windows->showLastTrick();
    // Own seat 3: bottom 3, left 4, top 1, right 2.
    EXPECT_EQ(lastLabel("label_last1")->text(), "P3");
    EXPECT_EQ(lastLabel("label_last2")->text(), "P4");
    EXPECT_EQ(lastLabel("label_last3")->text(), "P1");
    EXPECT_EQ(lastLabel("label_last4")->text(), "P2");
    EXPECT_EQ(lastLabel("image_lastwinner")->x(), lastLabel("image_last3")->x() + 2);
    EXPECT_EQ(lastLabel("image_lastlead")->x(), lastLabel("image_last2")->x() - 8);
    EXPECT_TRUE(windows->lasttrick()->isVisible());

    myseat = 7; // a watcher sees the table unturned
    windows->showLastTrick();
    EXPECT_EQ(lastLabel("label_last1")->text(), "P1");
    EXPECT_EQ(lastLabel("label_last4")->text(), "P4");
}

TEST_F(SideWindowsFixture, SpiesAndTheirRemoval)
{
    windows->addSpy("5: Cy");
    windows->addSpy("6: Di");
    EXPECT_TRUE(windows->removeSpy("5: Cy"));
    EXPECT_FALSE(windows->removeSpy("5: Cy"));
    EXPECT_EQ(windows->spylist()->lines(), QStringList{"6: Di"});
    auto *kick = windows->spylist()->findChild<QAction *>("popup_kickhim");
    EXPECT_FALSE(kick->isEnabled());
    windows->hosting();
    EXPECT_TRUE(kick->isEnabled());

    EXPECT_TRUE(windows->showWindow("SpyList1"));
    auto *list = windows->spylist()->findChild<QListWidget *>("listbox_spys");
    const QPoint at = list->visualItemRect(list->item(0)).center();
    QMouseEvent move(QEvent::MouseMove, at, list->viewport()->mapToGlobal(at), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(list->viewport(), &move);
    kick->trigger();
    EXPECT_EQ(kicked, QList<int>{6});
}

TEST_F(SideWindowsFixture, ViewItems)
{
    EXPECT_TRUE(windows->showWindow("PhraseList1"));
    EXPECT_TRUE(windows->phraseEditor()->isVisible());
    EXPECT_TRUE(windows->showWindow("LastTrick1"));
    EXPECT_TRUE(windows->lasttrick()->isVisible());
    EXPECT_FALSE(windows->showWindow("ViewTally1"));
}

TEST_F(SideWindowsFixture, SettingsInAndOut)
{
    SpadesSettings in;
    in.lastTrickTop = 40;
    in.lastTrickLeft = 50;
    in.playToScore = 750;
    in.sandbag = false;
    in.blind = true;
    in.startClub = false;
    in.phrases[2] = "Oops";
    windows->applySettings(in);

    SpadesSettings out;
    windows->collectSettings(out);
    EXPECT_EQ(out.lastTrickTop, 40);
    EXPECT_EQ(out.lastTrickLeft, 50);
    EXPECT_EQ(out.playToScore, 750);
    EXPECT_FALSE(out.sandbag);
    EXPECT_TRUE(out.blind);
    EXPECT_FALSE(out.startClub);
    EXPECT_EQ(out.phrases[2], "Oops");
    EXPECT_EQ(out.phrases[0], "Way To Go!");

    // An open window goes back to its place at once, not when next activated.
    windows->showWindow("LastTrick1");
    windows->lasttrick()->move(100, 120);
    windows->resetLastTrickPlace();
    windows->collectSettings(out);
    EXPECT_EQ(out.lastTrickTop, 348);
    EXPECT_EQ(out.lastTrickLeft, 414);
    EXPECT_EQ(windows->lasttrick()->pos(), QPoint(414, 348));
}

} // namespace
