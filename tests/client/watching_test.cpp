#include "client/seatmenu.h"
#include "client/tspylist.h"
#include "client/watchrequests.h"

#include <QAction>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace {

struct SpyListFixture : ::testing::Test
{
    Tspylist spies;
    QList<int> kicked;

    SpyListFixture()
    {
        QObject::connect(&spies, &Tspylist::kickRequested, [this](int seat) { kicked << seat; });
        spies.show();
    }
    QListWidget *list() { return spies.findChild<QListWidget *>("listbox_spys"); }
    QAction *kickItem() { return spies.findChild<QAction *>("popup_kickhim"); }
    void hover(int row)
    {
        QPoint at(5, list()->viewport()->height() - 2); // below the lines
        if (row >= 0)
            at = list()->visualItemRect(list()->item(row)).center();
        QMouseEvent move(QEvent::MouseMove, at, list()->viewport()->mapToGlobal(at), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(list()->viewport(), &move);
    }
};

TEST_F(SpyListFixture, WindowAndLines)
{
    EXPECT_EQ(spies.windowTitle(), "Spades - Spys");
    EXPECT_EQ(spies.size(), QSize(162, 168));
    EXPECT_TRUE(spies.windowFlags() & Qt::WindowStaysOnTopHint);
    spies.addSpy(5, "Ann");
    spies.addSpy(6, "Bob+Co");
    spies.addSpy(7, "Cy");
    EXPECT_EQ(spies.lines(), QStringList({"5: Ann", "6: Bob+Co", "7: Cy"}));
    EXPECT_FALSE(spies.removeSpy(6, "Bob"));
    EXPECT_TRUE(spies.removeSpy(6, "Bob+Co"));
    EXPECT_FALSE(spies.removeSpy(6, "Bob+Co"));
    EXPECT_EQ(spies.lines(), QStringList({"5: Ann", "7: Cy"}));
    QTest::mouseClick(spies.findChild<QPushButton *>("button_done"), Qt::LeftButton);
    EXPECT_FALSE(spies.isVisible());
}

TEST_F(SpyListFixture, RemovalFollowsThePointerAndOnlyForTheHost)
{
    spies.addSpy(5, "Ann");
    spies.addSpy(8, "Dee");
    EXPECT_FALSE(kickItem()->isEnabled());
    spies.setHosting(true);
    EXPECT_TRUE(kickItem()->isEnabled());

    hover(1);
    EXPECT_EQ(spies.hoverIndex(), 1);
    kickItem()->trigger();
    hover(0);
    EXPECT_EQ(spies.hoverIndex(), 0);
    kickItem()->trigger();
    hover(-1);
    EXPECT_EQ(spies.hoverIndex(), -1);
    kickItem()->trigger();
    EXPECT_EQ(kicked, QList<int>({8, 5}));
}

// Nothing is removed when the line under the pointer names no seat or is gone.
TEST_F(SpyListFixture, NoSeatUnderThePointerRemovesNobody)
{
    spies.setHosting(true);
    list()->addItem("no number here");
    list()->addItem("x: Ann");
    spies.addSpy(5, "Ann");
    spies.addSpy(6, "Bo");
    for (int row : {0, 1}) {
        hover(row);
        kickItem()->trigger();
    }
    hover(2); // a stale pointer would now be on Bo
    spies.removeSpy(5, "Ann");
    kickItem()->trigger();
    EXPECT_TRUE(kicked.isEmpty());
}

TEST(SeatMenu, EnablingRules)
{
    SeatMenu menu;
    EXPECT_EQ(menu.objectName(), "popup_kick");
    const struct
    {
        int tag;
        const char *text;
        bool ishost;
        bool remove, watch;
    } cases[] = {{2, "Klot", false, false, false},
                 {3, "<Waiting>", false, false, false},
                 {3, "<Waiting>", true, false, true},
                 {4, "Ann", true, true, true},
                 {0, "You", true, true, true}};
    for (const auto &c : cases) {
        menu.prepare(c.tag, c.text, c.ishost);
        EXPECT_EQ(menu.tag(), c.tag);
        EXPECT_EQ(menu.removeItem()->isEnabled(), c.remove) << c.text << c.ishost;
        EXPECT_EQ(menu.setWatchItem()->isEnabled(), c.watch) << c.text << c.ishost;
        EXPECT_EQ(menu.unsetWatchItem()->isEnabled(), c.watch) << c.text << c.ishost;
    }
    EXPECT_EQ(menu.removeItem()->text(), "Remove From Game");
    EXPECT_EQ(menu.setWatchItem()->text(), "Set to Just Watch");
    EXPECT_EQ(menu.unsetWatchItem()->text(), "Unset Just Watch");
}

TEST(SeatMenu, ItemsCarryTheTag)
{
    SeatMenu menu;
    QList<std::pair<int, int>> watch;
    QList<int> removed;
    QObject::connect(&menu, &SeatMenu::watchRequested, [&](int tag, int mode) {
        watch << std::pair{tag, mode};
    });
    QObject::connect(&menu, &SeatMenu::removeRequested, [&](int tag) { removed << tag; });
    menu.prepare(3, "Ann", true);
    menu.setWatchItem()->trigger();
    menu.unsetWatchItem()->trigger();
    menu.removeItem()->trigger();
    EXPECT_EQ(watch, (QList<std::pair<int, int>>{{3, 1}, {3, 2}}));
    EXPECT_EQ(removed, QList<int>{3});
}

TEST(WatchRequests, Messages)
{
    using namespace watchrequests;
    EXPECT_EQ(justWatchToggle(true, 2, false), QByteArray("CMD_justwatch+2+1\xff"));
    EXPECT_EQ(justWatchToggle(true, 2, true), QByteArray("CMD_justwatch+2+2\xff"));
    EXPECT_FALSE(justWatchToggle(false, 2, false));
    EXPECT_FALSE(justWatchToggle(true, 5, false));
    EXPECT_FALSE(justWatchToggle(true, 0, false));

    EXPECT_EQ(seatWatch(true, 1, 3, 1), QByteArray("CMD_justwatch+3+1\xff"));
    EXPECT_EQ(seatWatch(true, 1, 0, 2), QByteArray("CMD_justwatch+1+2\xff"));
    EXPECT_FALSE(seatWatch(false, 1, 3, 1));
    EXPECT_FALSE(seatWatch(true, 1, 5, 1));

    EXPECT_EQ(kicking(true, true, 1, 3), QByteArray("CMD_kickhim+1+3+\xff"));
    EXPECT_EQ(kicking(true, true, 1, 9), QByteArray("CMD_kickhim+1+9+\xff"));
    EXPECT_FALSE(kicking(false, true, 1, 3));
    EXPECT_FALSE(kicking(true, false, 1, 3));
    for (int seat : {-1, 0, 1, 10})
        EXPECT_FALSE(kicking(true, true, 1, seat)) << seat;
}

} // namespace

TEST_F(SpyListFixture, MuteFollowsThePointerWithTheWatchersWholeName)
{
    QStringList offered, toggled;
    spies.setMuteOffer([&](int n, const QString &name) {
        offered << QString::number(n) + '=' + name;
        return n == 6 ? QString() : "Mute " + name;
    });
    QObject::connect(&spies, &Tspylist::muteToggled, [&](const QString &name) { toggled << name; });
    spies.addSpy(5, "Ann: the 2nd");
    spies.addSpy(6, "Me");
    for (int row : {0, 1, -1}) {
        hover(row);
        spies.prepareMenu();
        spies.muteItem()->trigger();
    }
    EXPECT_EQ(offered, QStringList({"5=Ann: the 2nd", "6=Me"}));
    EXPECT_EQ(toggled, QStringList({"Ann: the 2nd"}));
}
