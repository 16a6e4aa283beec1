// A table on the console server, run from a window that joined it as number 1.
#include "client/sidewindows.h"
#include "client/tchat.h"
#include "client/tchatwiring.h"
#include "client/tgamestart.h"
#include "protocol/message.h"
#include "tests/client/solotable.h"
#include "tests/common/test_support.h"

#include <QAction>
#include <QLabel>
#include <QProcess>
#include <gtest/gtest.h>

namespace {

struct Server
{
    Server()
    {
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start(SPADES_SERVER, {"--port", "0", "--tick", "1"});
        QByteArray out;
        while (!out.contains('\n') && process.waitForReadyRead(10000))
            out += process.readLine();
        if (out.startsWith("listening on port "))
            port = out.mid(18).trimmed().toInt();
    }
    ~Server()
    {
        process.terminate();
        if (!process.waitForFinished(5000))
            process.kill();
    }
    QProcess process;
    int port = 0;
};

TEST(ServerTable, NumberOneStartsAGameThatThreeComputerSeatsFinish)
{
    Server server;
    ASSERT_GT(server.port, 0);
    SilentSounds silence;
    Tchat table;
    QStringList boxes;
    table.setSoundPlayer(&silence);
    table.services().messageBox = [&boxes](const QString &text) { boxes.append(text); };
    SideWindows *windows = attachSideWindows(table);
    table.setHostPort(server.port);
    table.show();
    table.processparams({"Ann", "127.0.0.1", "false"});
    ASSERT_TRUE(testsupport::waitUntil(
        [&] { return table.playernameLabel(1)->text() == QLatin1String("Ann"); }));
    ASSERT_FALSE(table.ishost());
    EXPECT_EQ(table.myseat(), 1);

    // Number 1 sets the computers' pace; a few milliseconds keep the test short.
    table.send(wire::toHost::botspeed(1, 5));
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
