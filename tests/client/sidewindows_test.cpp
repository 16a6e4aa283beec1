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
#include <QTest>
#include <gtest/gtest.h>

namespace {

struct SideWindowsFixture : ::testing::Test
{
    QWidget mainWindow;
    QWidget *board = new QWidget(&mainWindow);
    QList<QByteArray> sent;
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

// Every own seat is turned at the table; a watcher sees the table unturned.
TEST_F(SideWindowsFixture, AWatchersLastTrickIsUnturned)
{
    myseat = 7;
    windows->cardLaid(4);
    windows->recordLastTrick(1);
    windows->showLastTrick();
    for (int position = 1; position <= 4; ++position)
        EXPECT_EQ(lastLabel(QStringLiteral("label_last%1").arg(position))->text(),
                  QStringLiteral("P%1").arg(position));
    EXPECT_EQ(lastLabel("image_lastwinner")->x(), lastLabel("image_last1")->x() + 2);
    EXPECT_EQ(lastLabel("image_lastlead")->x(), lastLabel("image_last4")->x() - 8);
    EXPECT_TRUE(windows->lasttrick()->isVisible());
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
    EXPECT_TRUE(windows->spylist()->isVisible());
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
