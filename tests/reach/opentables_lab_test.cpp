// Two tables listed in Open Tables from behind the lab's router, one reached
// directly and one only through the relay: a stranger's lobby outside sees
// both with their free seats and joins each from the list; a table that
// stops beating leaves the list.
#include "lobby/gamelauncher.h"
#include "lobby/lobbymodel.h"
#include "routerlab.h"
#include "tests/common/test_support.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <csignal>
#include <gtest/gtest.h>

namespace {

using reachtest::LabProcess;
using reachtest::RouterLab;
using testsupport::waitUntil;

constexpr char kCoordinator[] = "11.22.33.2:7773";

// Starts each game in "outside", where the stranger sits.
struct OutsideLauncher : GameLauncher
{
    RouterLab &lab;
    QStringList arguments;
    LabProcess *game = nullptr;
    explicit OutsideLauncher(RouterLab &l) : lab(l) {}
    bool start(const QString &program, const QStringList &args) override
    {
        arguments = args;
        game = &lab.run("outside", program, args);
        connect(&game->process, &QProcess::finished, this, &GameLauncher::ended);
        return game->process.state() != QProcess::NotRunning;
    }
    bool running() const override { return game && game->process.state() != QProcess::NotRunning; }
};

// The listing in the lobby's list under `name`, if it is there.
std::optional<PublicListing> shown(const LobbyModel &lobby, const QString &name)
{
    for (const PublicListing &listing : lobby.openTables()) {
        if (listing.name == name)
            return listing;
    }
    return std::nullopt;
}

// Asks again every two seconds (well inside the coordinator's limit on
// pages) until the listing under `name` passes `wanted`, or is gone when
// `wanted` is unset; false once `timeoutMs` has passed.
bool refreshUntil(LobbyModel &lobby, const QString &name,
                  const std::function<bool(const PublicListing &)> &wanted, int timeoutMs)
{
    QElapsedTimer asked;
    return waitUntil(
        [&] {
            if (lobby.openTablesFetching())
                return false;
            const std::optional<PublicListing> listing = shown(lobby, name);
            if (asked.isValid() && (wanted ? listing && wanted(*listing) : !listing))
                return true;
            if (!asked.isValid() || asked.elapsed() >= 2000) {
                lobby.refreshOpenTables();
                asked.start();
            }
            return false;
        },
        timeoutMs);
}

TEST(CoordinatorLab, OpenTablesAreSeenJoinedAndForgottenWhenTheyStopBeating)
{
    const std::string why = reachtest::labUnavailable();
    if (!why.empty())
        GTEST_SKIP() << why;
    RouterLab lab(RouterLab::Upstream::Internet);
    ASSERT_TRUE(lab.isUp()) << lab.log().toStdString();
    ASSERT_TRUE(lab.startRouter(true, true));
    LabProcess &coordinator =
        lab.run("outside", QStringLiteral(SPADES_COORDINATOR),
                {"--port", "7773", "--relay-port", "7774", "--relay-address", "11.22.33.2:7774"});
    ASSERT_TRUE(coordinator.waitForText("relay on port 7774", 5000)) << coordinator.out.data();

    // The router maps the first table's port; the second asks for nothing,
    // so only the relay leads to it.
    const struct
    {
        const char *name;
        QStringList options;
        bool direct;
    } tables[] = {
        {"Mapped table", {}, true},
        {"Hidden table", {"--no-port-mapping", "--port", "7780"}, false},
    };
    std::vector<LabProcess *> hosts;
    for (const auto &t : tables) {
        LabProcess &host = lab.host(
            "home", QStringList{"--coordinator", kCoordinator, "--list", "--table-name", t.name} +
                        t.options);
        ASSERT_TRUE(host.waitForText(t.direct ? "friends join with the code, directly"
                                              : "friends join with the code through the relay",
                                     15000))
            << host.out.data();
        hosts.push_back(&host);
    }

    QTemporaryDir home;
    qputenv("SPADES_HOME", home.path().toLocal8Bit());
    qputenv("XDG_RUNTIME_DIR", home.path().toLocal8Bit());
    {
        // The lobby's own connections (the coordinator, the game's link) are
        // made in "outside", like the games it starts there.
        reachtest::InNamespace outside(lab.ns("outside"));
        ASSERT_TRUE(outside.entered);
        OutsideLauncher launcher(lab);
        LobbyModel::Options options;
        options.settingsPath = home.filePath("spadeslobby.ini");
        options.gameProgram = SPADES_PROGRAM;
        // The game links back to the lobby on its own port, which only
        // this lobby holds in the lab's "outside".
        options.linkPort = 9001;
        options.launcher = &launcher;
        LobbyModel lobby(options);
        lobby.setName("Cy");
        lobby.setCoordinator(kCoordinator);

        for (size_t i = 0; i < std::size(tables); ++i) {
            const QString name = tables[i].name;
            SCOPED_TRACE(name.toStdString());
            ASSERT_TRUE(refreshUntil(
                lobby, name, [](const PublicListing &l) { return l.free == 4; }, 15000))
                << lobby.openTablesProblem().toStdString();
            const PublicListing listing = *shown(lobby, name);
            EXPECT_EQ(listing.direct, tables[i].direct);
            EXPECT_EQ(listing.seated, 0);
            EXPECT_FALSE(listing.gamestarted);

            ASSERT_TRUE(lobby.joinOpenTable(int(lobby.openTables().indexOf(listing))))
                << lobby.status().toStdString();
            ASSERT_TRUE(hosts[i]->waitForText("is Cy", 20000)) << hosts[i]->out.data();
            EXPECT_TRUE(refreshUntil(
                lobby, name, [](const PublicListing &l) { return l.free == 3 && l.seated == 1; },
                20000));

            // The stranger leaves; the lobby is free to join the next table.
            ASSERT_TRUE(launcher.game->terminate()) << launcher.game->out.data();
            ASSERT_TRUE(waitUntil([&] { return lobby.state() == LobbyModel::State::Idle; }, 10000))
                << lobby.status().toStdString();
        }

        // A table that stops beating (its process frozen, its connection left
        // open) is gone from the list within 90 s.
        QElapsedTimer clock;
        clock.start();
        ::kill(pid_t(hosts[1]->process.processId()), SIGSTOP);
        EXPECT_TRUE(refreshUntil(lobby, tables[1].name, {}, 90000));
        EXPECT_LE(clock.elapsed(), 90000);
        RecordProperty("goneAfterMs", int(clock.elapsed()));
        ::kill(pid_t(hosts[1]->process.processId()), SIGCONT);
        EXPECT_TRUE(shown(lobby, tables[0].name)) << "the table that beats stays listed";
    }
    qunsetenv("SPADES_HOME");
    qunsetenv("XDG_RUNTIME_DIR");
    for (LabProcess *host : hosts)
        EXPECT_TRUE(host->terminate()) << host->out.data();
}

} // namespace
