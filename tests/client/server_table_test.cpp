// A table on the console server, run from a window that joined it as number 1.
#include "client/sidewindows.h"
#include "client/tchat.h"
#include "client/tchatwiring.h"
#include "client/tgamestart.h"
#include "protocol/fields.h"
#include "protocol/message.h"
#include "protocol/wirecodec.h"
#include "tests/client/solotable.h"
#include "tests/common/server_process.h"
#include "tests/common/test_support.h"

#include <QAction>
#include <QLabel>
#include <gtest/gtest.h>

namespace {

TEST(ServerTable, NumberOneStartsAGameThatThreeComputerSeatsFinish)
{
    testsupport::ServerProcess server({"--tick", "1"});
    ASSERT_GT(server.port, 0);
    SilentSounds silence;
    TestRequests requests;
    Tchat table;
    table.setSoundPlayer(&silence);
    requests.own = &table.ownRequests();
    table.setRequests(&requests);
    const QStringList &boxes = requests.boxes;
    SideWindows *windows = attachSideWindows(table);
    table.setHostPort(server.port);
    table.show();
    table.processparams({"Ann", "127.0.0.1", "false"});
    ASSERT_TRUE(testsupport::waitUntil(
        [&] { return table.playernameLabel(1)->text() == QLatin1String("Ann"); }));
    ASSERT_FALSE(table.ishost());
    EXPECT_EQ(table.myseat(), 1);

    // Number 1 sets the computers' pace; a few milliseconds keep the test short.
    table.send(wire::toHost::BotSpeed{1, 5}.encode());
    table.findChild<QAction *>("StartGame1")->trigger();
    Tgamestart *dialog = windows->gamestart();
    ASSERT_TRUE(dialog->isVisible());
    QTest::mouseClick(dialog->findChild<QWidget *>("arrow_down"), Qt::LeftButton);
    QTest::mouseClick(dialog->findChild<QWidget *>("button_start"), Qt::LeftButton);

    SeatPlayer player(table);
    ASSERT_TRUE(testsupport::waitUntil([&] { return player.step(); }, 240000))
        << "hands " << player.hands << ", status " << table.status().toStdString();
    EXPECT_TRUE(table.chatLines().contains("0+Ann has started a game."));
    EXPECT_GE(player.cardsPlayed, 13);
    for (int seat = 2; seat <= 4; ++seat)
        EXPECT_EQ(table.playernameLabel(seat)->text(), table.seatname(seat)) << seat;
    EXPECT_TRUE(player.visible("button_start")) << "number 1 may start again";
    EXPECT_TRUE(boxes.isEmpty()) << boxes.join('|').toStdString();
}

} // namespace
