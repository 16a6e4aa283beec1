// A table hosted in one namespace of the lab is found from the other, with
// its free seats, and joined from the lobby's list; the seat taken shows.
#include "lan/avahitablebrowser.h"
#include "lobby/gamelauncher.h"
#include "lobby/lobbymodel.h"
#include "tests/common/test_support.h"
#include "tests/lan/lanlab.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using testsupport::waitUntil;

namespace {

// Starts the game inside the lab's other namespace, where the table is
// reachable, as the lobby there would.
struct LabLauncher : GameLauncher
{
    LanLab &lab;
    int side;
    QProcessEnvironment environment;
    QStringList arguments;
    QProcess *game = nullptr;
    LabLauncher(LanLab &l, int s, QProcessEnvironment e) : lab(l), side(s), environment(e) {}
    bool start(const QString &program, const QStringList &args) override
    {
        arguments = args;
        game = lab.start(side, program, args, environment);
        return game != nullptr;
    }
    bool running() const override { return game && game->state() != QProcess::NotRunning; }
};

QString output(QProcess *process)
{
    static QHash<QProcess *, QString> seen;
    seen[process] += QString::fromUtf8(process->readAll());
    return seen[process];
}

TEST(LanLab, ATableOnTheNetworkIsListedWithItsSeatsAndJoinedFromTheList)
{
    LanLab lab;
    if (!lab.problem().isEmpty())
        GTEST_SKIP() << lab.problem().toStdString();
    ASSERT_TRUE(lab.startBus(0));
    ASSERT_TRUE(lab.startBus(1));
    ASSERT_TRUE(lab.startAvahi(0));

    QTemporaryDir home;
    QTemporaryDir runtime;
    QProcessEnvironment environment;
    environment.insert("SPADES_HOME", home.path());
    environment.insert("XDG_RUNTIME_DIR", runtime.path());
    environment.insert("QT_QPA_PLATFORM", "offscreen");

    QProcess *server = lab.start(0, SPADES_SERVER, {"--port", "7800"}, environment);
    ASSERT_TRUE(server);
    ASSERT_TRUE(
        waitUntil([&] { return output(server).contains("shown on the local network"); }, 20000))
        << output(server).toStdString();

    // The lobby's side has a bus but no daemon yet: it says so, and finds the
    // table once the daemon is there.
    const QByteArray systemBus = qgetenv("DBUS_SYSTEM_BUS_ADDRESS");
    qputenv("DBUS_SYSTEM_BUS_ADDRESS", lab.side(1).bus.toUtf8());
    LabLauncher launcher(lab, 1, environment);
    LobbyModel::Options options;
    options.settingsPath = home.filePath("spadeslobby.ini");
    options.gameProgram = SPADES_PROGRAM;
    options.linkPort = 0;
    options.launcher = &launcher;
    LobbyModel lobby(options);
    EXPECT_TRUE(waitUntil([&] { return lobby.lanProblem().contains("not running"); }))
        << lobby.lanProblem().toStdString();
    QProcess *avahi = lab.startAvahi(1);
    ASSERT_TRUE(avahi);
    ASSERT_TRUE(waitUntil([&] { return lobby.lanTables().size() == 1; }, 20000))
        << lobby.lanProblem().toStdString();
    EXPECT_TRUE(lobby.lanProblem().isEmpty());
    LanTable table = lobby.lanTables().at(0);
    EXPECT_EQ(table.address, lab.side(0).address);
    EXPECT_EQ(table.port, 7800);
    EXPECT_EQ(table.freeSeats, 4);
    EXPECT_TRUE(table.service.startsWith("Spades table of"));

    lobby.setName("Bob");
    ASSERT_TRUE(lobby.joinLanTable(0));
    EXPECT_EQ(launcher.arguments, (QStringList{"Bob", lab.side(0).address + ":7800", "join"}));
    ASSERT_TRUE(waitUntil([&] { return output(server).contains("connection 1 is Bob"); }, 20000))
        << output(server).toStdString();
    ASSERT_TRUE(waitUntil(
        [&] { return !lobby.lanTables().isEmpty() && lobby.lanTables()[0].freeSeats == 3; },
        20000));

    // A daemon that stops and comes back is waited for, and asked again.
    avahi->terminate();
    ASSERT_TRUE(avahi->waitForFinished(10000));
    EXPECT_TRUE(waitUntil([&] { return lobby.lanProblem().contains("not running"); }, 10000));
    EXPECT_TRUE(lobby.lanTables().isEmpty());
    ASSERT_TRUE(lab.startAvahi(1));
    ASSERT_TRUE(waitUntil([&] { return lobby.lanTables().size() == 1; }, 20000))
        << lobby.lanProblem().toStdString();
    EXPECT_EQ(lobby.lanTables()[0].freeSeats, 3);

    // The table that closes leaves the list.
    server->terminate();
    ASSERT_TRUE(server->waitForFinished(10000));
    EXPECT_TRUE(waitUntil([&] { return lobby.lanTables().isEmpty(); }, 20000));
    qputenv("DBUS_SYSTEM_BUS_ADDRESS", systemBus);
}

} // namespace
