// The lobby starts the real game, which links back while it runs.
#include "lobby/gamelauncher.h"
#include "lobby/lobbymodel.h"
#include "tests/common/private_network.h"
#include "tests/common/test_support.h"

#include <QTcpSocket>
#include <QTemporaryDir>
#include <csignal>
#include <gtest/gtest.h>

using testsupport::waitUntil;

namespace {

TEST(LobbyGame, TheHostedGameLinksWhileItRunsAndTheLobbySeesItEnd)
{
    SPADES_NEEDS_PORT(7772);
    QTemporaryDir home;
    QTemporaryDir runtime;
    qputenv("SPADES_HOME", home.path().toLocal8Bit());
    qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
    qputenv("QT_QPA_PLATFORM", "offscreen");
    SystemGameLauncher launcher;
    LobbyModel::Options options;
    options.settingsPath = home.filePath("spadeslobby.ini");
    options.gameProgram = SPADES_PROGRAM;
    options.launcher = &launcher;
    LobbyModel model(options);
    if (!model.linkListening())
        GTEST_SKIP() << "port 9001 is in use on this machine";
    model.setName("Ann");
    // The router of the machine running the tests is not ours to ask.
    model.setPortMapping(false);
    ASSERT_TRUE(model.host());
    const struct Ender
    {
        const SystemGameLauncher &launcher;
        ~Ender()
        {
            if (launcher.processId() > 0)
                ::kill(pid_t(launcher.processId()), SIGKILL);
        }
    } ender{launcher};

    ASSERT_TRUE(waitUntil([&] { return model.state() == LobbyModel::State::Playing; }, 30000))
        << model.status().toStdString();
    // The game the lobby started hosts the table.
    QTcpSocket player;
    player.connectToHost(QHostAddress::LocalHost, 7772);
    ASSERT_TRUE(waitUntil([&] { return player.bytesAvailable() > 0; }, 10000));
    EXPECT_TRUE(player.readAll().startsWith("CMD_sendlogininfo+"));

    ::kill(pid_t(launcher.processId()), SIGTERM);
    ASSERT_TRUE(waitUntil([&] { return model.state() == LobbyModel::State::Idle; }, 20000));
    EXPECT_EQ(model.status(), "Your game has ended. Host or join another table.");
}

} // namespace
