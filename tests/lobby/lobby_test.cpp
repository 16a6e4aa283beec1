// The lobby's fields, the game command each choice starts, and the link
// through which it sees its game run and end.
#include "lobby/lobbydoor.h"
#include "lobby/lobbylink.h"
#include "lobby/lobbymodel.h"
#include "lobby/lobbywindow.h"
#include "tests/common/test_support.h"
#include "tests/lobby/lobby_fixture.h"

#include <QClipboard>
#include <QComboBox>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocalSocket>
#include <QPushButton>
#include <QSignalSpy>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using testsupport::waitUntil;

namespace {

TEST_F(Lobby, EachChoiceStartsTheGameWithItsArguments)
{
    const struct
    {
        const char *name;
        const char *address;
        bool (LobbyModel::*choice)();
        QStringList arguments;
    } cases[] = {
        {"Ann", "", &LobbyModel::host, {"Ann", "127.0.0.1", "true"}},
        {" Ann ", "192.0.2.105", &LobbyModel::host, {"Ann", "127.0.0.1", "true"}},
        {"Bob", " 192.168.1.20 ", &LobbyModel::join, {"Bob", "192.168.1.20", "join"}},
        {"Bob", "2001:db8::20", &LobbyModel::join, {"Bob", "2001:db8::20", "join"}},
        {"Bob", "[::1]", &LobbyModel::join, {"Bob", "[::1]", "join"}},
        {"Bob", "192.168.1.20:7800", &LobbyModel::join, {"Bob", "192.168.1.20:7800", "join"}},
        {"Bob", "[2001:db8::20]:7800", &LobbyModel::join, {"Bob", "[2001:db8::20]:7800", "join"}},
        {"Bob",
         " spades://join/[2001:db8::20]:7800",
         &LobbyModel::join,
         {"Bob", "[2001:db8::20]:7800", "join"}},
        {"Bob+Co", "game.example.org", &LobbyModel::join, {"Bob+Co", "game.example.org", "join"}},
        {"", "", &LobbyModel::playSolo, {}},
    };
    m_launcher.started.clear();
    for (const auto &c : cases) {
        LobbyModel model(options());
        model.setName(c.name);
        model.setAddress(c.address);
        m_launcher.started.clear();
        EXPECT_TRUE((model.*c.choice)()) << c.name << " " << c.address;
        ASSERT_EQ(m_launcher.started.size(), 1);
        EXPECT_EQ(m_launcher.started[0].first, "/opt/games/spades");
        EXPECT_EQ(m_launcher.started[0].second, c.arguments) << c.address;
    }
    // Unticked, the hosted table does not ask the router, and the lobby remembers that.
    {
        LobbyModel model(options());
        model.setName("Ann");
        model.setPortMapping(false);
        ASSERT_TRUE(model.host());
        EXPECT_EQ(m_launcher.started.last().second,
                  QStringList({"Ann", "127.0.0.1", "true", "--no-port-mapping"}));
    }
    EXPECT_FALSE(LobbyModel(options()).portMapping());
}

TEST_F(Lobby, BadFieldsStartNothingAndSayWhy)
{
    const struct
    {
        const char *name;
        const char *address;
        const char *problem;
    } cases[] = {
        {"  ", "192.0.2.105", "Type your name first."},
        {"A\tnn", "192.0.2.105", "Your name holds a character that cannot be shown."},
        {"Łukasz", "192.0.2.105",
         "The table can show only Western European letters; \"Ł\" is not "
         "one."},
        {"Ann", "", "Type the address or the name of the table's computer."},
        {"Ann", "10.0.0.256", "That is not an address of four numbers from 0 to 255."},
        {"Ann", "1::2::3", "That is not an IPv6 address."},
        {"Ann", "the game host", "That is not a computer's name or address."},
        {"Ann", "192.0.2.105:0", "That is not a port number from 1 to 65535."},
        {"Ann", "[game.example.org]:7800", "That is not an IPv6 address."},
        {"Ann", "spades://join/192.0.2.105/x",
         "A Spades invitation holds only the table's address and port."},
    };
    for (const auto &c : cases) {
        LobbyModel model(options());
        model.setName(QString::fromUtf8(c.name));
        model.setAddress(c.address);
        EXPECT_FALSE(model.join()) << c.name << " " << c.address;
        EXPECT_EQ(model.status(), QString::fromUtf8(c.problem));
        EXPECT_EQ(model.state(), LobbyModel::State::Idle);
    }
    EXPECT_TRUE(m_launcher.started.isEmpty());
    m_launcher.works = false;
    LobbyModel model(options());
    model.setName("Ann");
    EXPECT_FALSE(model.host());
    EXPECT_EQ(model.status(), "Spades could not be started (/opt/games/spades).");
}

TEST_F(Lobby, NameAddressAndRecentTablesAreRemembered)
{
    {
        LobbyModel model(options());
        EXPECT_TRUE(model.name().isEmpty());
        model.setName("Ann");
        for (const char *address : {"a.example.org", "192.0.2.105", "::1", "A.example.org", "h1",
                                    "h2", "h3", "h4", "h5", "h6"}) {
            model.setAddress(address);
            ASSERT_TRUE(model.join());
            m_launcher.end(); // each game ends before it links
        }
    }
    LobbyModel again(options());
    EXPECT_EQ(again.name(), "Ann");
    EXPECT_EQ(again.address(), "h6");
    // Latest first, one line per table whatever its case, at most eight.
    EXPECT_EQ(again.recentTables(),
              (QStringList{"h6", "h5", "h4", "h3", "h2", "h1", "A.example.org", "::1"}));
}

TEST_F(Lobby, TheLinkTellsWhileTheGameRunsAndWhenItEnds)
{
    LobbyModel model(options());
    ASSERT_TRUE(model.linkListening());
    QSignalSpy ended(&model, &LobbyModel::gameEnded);
    model.setName("Ann");
    ASSERT_TRUE(model.host());
    EXPECT_EQ(model.state(), LobbyModel::State::Starting);
    EXPECT_FALSE(model.join()); // one game at a time
    EXPECT_EQ(m_launcher.started.size(), 1);

    QTcpSocket *game = link(model);
    ASSERT_TRUE(waitUntil([&] { return model.state() == LobbyModel::State::Playing; }));
    game->write("anything");
    m_launcher.end(); // the process may be seen to end before its link closes
    EXPECT_EQ(model.state(), LobbyModel::State::Playing);
    game->disconnectFromHost();
    ASSERT_TRUE(waitUntil([&] { return model.state() == LobbyModel::State::Idle; }));
    EXPECT_EQ(ended.count(), 1);
    EXPECT_EQ(model.status(), "Your game has ended. Host or join another table.");

    // A game that ends before it links, and one started by hand that links.
    ASSERT_TRUE(model.host());
    m_launcher.end();
    EXPECT_EQ(model.state(), LobbyModel::State::Idle);
    EXPECT_TRUE(model.status().startsWith("Spades closed before its table opened."));
    link(model);
    EXPECT_TRUE(waitUntil([&] { return model.state() == LobbyModel::State::Playing; }));
}

// A second lobby on this computer cannot listen for the link: it knows the
// game it started by the program, where the platform can watch it.
TEST_F(Lobby, ALobbyWithoutTheLinkFollowsTheProgramItStarted)
{
    LobbyModel first(options());
    ASSERT_TRUE(first.linkListening());
    LobbyModel::Options o = options();
    o.linkPort = first.linkPort();
    o.startingMs = 20;
    for (const bool tellsEnd : {true, false}) {
        SCOPED_TRACE(tellsEnd ? "the program is watched" : "the program cannot be watched");
        m_launcher.tellsEnd = tellsEnd;
        LobbyModel model(o);
        ASSERT_FALSE(model.linkListening());
        QSignalSpy ended(&model, &LobbyModel::gameEnded);
        model.setName("Bob");
        model.setAddress("192.0.2.105");
        ASSERT_TRUE(model.join());
        if (!tellsEnd) {
            EXPECT_EQ(model.state(), LobbyModel::State::Starting);
            ASSERT_TRUE(waitUntil([&] { return model.state() == LobbyModel::State::Idle; }));
            continue;
        }
        EXPECT_EQ(model.state(), LobbyModel::State::Playing);
        EXPECT_EQ(model.status(),
                  "Your game is running. The lobby offers another table when it ends.");
        EXPECT_FALSE(model.host()) << "one game at a time";
        m_launcher.end();
        EXPECT_EQ(model.state(), LobbyModel::State::Idle);
        EXPECT_EQ(model.status(), "Your game has ended. Host or join another table.");
        EXPECT_EQ(ended.count(), 1);
        EXPECT_EQ(first.state(), LobbyModel::State::Idle) << "not the first lobby's game";
    }
}

TEST_F(Lobby, AStartedGameThatNeverLinksIsGivenUp)
{
    LobbyModel::Options o = options();
    o.startingMs = 20;
    LobbyModel model(o);
    model.setName("Ann");
    ASSERT_TRUE(model.host());
    ASSERT_TRUE(waitUntil([&] { return model.state() == LobbyModel::State::Idle; }));
    EXPECT_TRUE(model.host());
}

TEST_F(Lobby, TheWindowPassesItsFieldsAndRestsWhileTheGameRuns)
{
    LobbyModel model(options());
    LobbyWindow window(&model);
    window.show();
    auto *name = window.findChild<QLineEdit *>("edit_name");
    auto *address = window.findChild<QComboBox *>("combo_address");
    auto *join = window.findChild<QPushButton *>("button_join");
    auto *status = window.findChild<QLabel *>("label_status");
    ASSERT_TRUE(name && address && join && status);
    name->setText("Bob");
    address->setEditText("192.0.2.105");
    join->click();
    ASSERT_EQ(m_launcher.started.size(), 1);
    EXPECT_EQ(m_launcher.started[0].second, (QStringList{"Bob", "192.0.2.105", "join"}));
    EXPECT_EQ(address->itemText(0), "192.0.2.105");
    EXPECT_EQ(status->text(), "Joining 192.0.2.105...");
    link(model);
    ASSERT_TRUE(waitUntil([&] { return model.state() == LobbyModel::State::Playing; }));
    for (const char *button : {"button_host", "button_join", "button_solo"})
        EXPECT_FALSE(window.findChild<QPushButton *>(button)->isEnabled()) << button;
}

TEST_F(Lobby, AnInvitationFillsInTheAddressOrIsRefusedWhole)
{
    LobbyModel model(options());
    model.setAddress("192.0.2.105");
    EXPECT_TRUE(model.openLink("spades://join/[2001:db8::20]:7800"));
    EXPECT_EQ(model.address(), "[2001:db8::20]:7800");
    EXPECT_EQ(model.status(), "Invitation to [2001:db8::20]:7800: type your name, then join.");
    model.setName("Bob");
    EXPECT_TRUE(model.openLink("spades://join/table.example.org"));
    EXPECT_EQ(model.status(), "Invitation to table.example.org: press Join Table.");
    for (const char *bad : {"spades://join/192.0.2.109?x=1", "spades://join/192.0.2.109:99999",
                            "http://192.0.2.109", "192.0.2.109"}) {
        EXPECT_FALSE(model.openLink(bad)) << bad;
        EXPECT_EQ(model.address(), "table.example.org") << bad;
    }
    EXPECT_EQ(model.status(), "That is not a Spades invitation (spades://join/...).");
    EXPECT_TRUE(m_launcher.started.isEmpty());
}

// A code goes to the coordinator the player set; without one nothing is sent
// anywhere, and a name that merely looks like a code is still a name.
TEST_F(Lobby, ACodeJoinsThroughTheCoordinatorSetHere)
{
    const QString needsOne = "Joining by code needs a coordinator: type its address in the "
                             "Coordinator field first.";
    const QString wrong = "That is not a coordinator's address: type a name or address, with "
                          ":PORT when it is not 7773, or a ws:// or wss:// address.";
    const struct
    {
        const char *coordinator;
        const char *address;
        bool (LobbyModel::*choice)();
        QStringList arguments; // empty: refused with `problem`
        QString problem{};
    } cases[] = {
        {"coord.example.org",
         " 7kq2-m9xd ",
         &LobbyModel::join,
         {"Bob", "7KQ2-M9XD", "join", "--coordinator", "coord.example.org"}},
        {" 192.0.2.9:7800 ",
         "7KQ2 M9XD",
         &LobbyModel::join,
         {"Bob", "7KQ2-M9XD", "join", "--coordinator", "192.0.2.9:7800"}},
        {"wss://coord.example.org/spades",
         "spades://code/7KQ2M9XD",
         &LobbyModel::join,
         {"Bob", "7KQ2-M9XD", "join", "--coordinator", "wss://coord.example.org/spades"}},
        {"coord.example.org", "computer", &LobbyModel::join, {"Bob", "computer", "join"}},
        {"coord.example.org",
         "beef-cafe:7772",
         &LobbyModel::join,
         {"Bob", "beef-cafe:7772", "join"}},
        {"coord.example.org",
         "",
         &LobbyModel::host,
         {"Bob", "127.0.0.1", "true", "--coordinator", "coord.example.org", "--no-list"}},
        {"", "7KQ2-M9XD", &LobbyModel::host, {"Bob", "127.0.0.1", "true"}},
        {"", "7KQ2-M9XD", &LobbyModel::join, {}, needsOne},
        {"  ", "spades://code/7KQ2-M9XD", &LobbyModel::join, {}, needsOne},
        {"coord example", "7KQ2-M9XD", &LobbyModel::join, {}, wrong},
        {"ws://ann@coord.example.org", "7KQ2-M9XD", &LobbyModel::join, {}, wrong},
        {"ws://", "7KQ2-M9XD", &LobbyModel::join, {}, wrong},
        {"coord.example.org:0", "", &LobbyModel::host, {}, wrong},
        {"coord.example.org",
         "spades://code/7KQ2-M9X",
         &LobbyModel::join,
         {},
         "This invitation is broken: That is not an invitation code."},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string(c.coordinator) + " | " + c.address);
        LobbyModel model(options());
        model.setName("Bob");
        model.setCoordinator(c.coordinator);
        model.setAddress(c.address);
        m_launcher.started.clear();
        EXPECT_EQ((model.*c.choice)(), !c.arguments.isEmpty());
        if (c.arguments.isEmpty()) {
            EXPECT_TRUE(m_launcher.started.isEmpty());
            EXPECT_EQ(model.status(), c.problem);
            continue;
        }
        ASSERT_EQ(m_launcher.started.size(), 1);
        EXPECT_EQ(m_launcher.started[0].second, c.arguments);
    }
    LobbyModel model(options());
    model.setName("Bob");
    model.setCoordinator(" coord.example.org ");
    ASSERT_TRUE(model.host());
    EXPECT_EQ(LobbyModel(options()).coordinator(), "coord.example.org") << "remembered";
}

TEST_F(Lobby, ACodeInvitationFillsInTheCodeAndSaysWhatIsMissing)
{
    LobbyModel model(options());
    model.setName("Bob");
    ASSERT_TRUE(model.openLink("spades://code/7kq2m9xd"));
    EXPECT_EQ(model.address(), "7KQ2-M9XD");
    EXPECT_EQ(model.status(), "Invitation to 7KQ2-M9XD: joining by code needs a coordinator; "
                              "type its address in the Coordinator field, then join.");
    model.setCoordinator("coord.example.org");
    ASSERT_TRUE(model.openLink("spades://code/7KQ2-M9XD"));
    EXPECT_EQ(model.status(), "Invitation to 7KQ2-M9XD: press Join Table.");
    EXPECT_FALSE(model.openLink("spades://code/7KQ2-M9XD?x"));
    EXPECT_FALSE(model.openLink("spades://table/7KQ2-M9XD"));
    EXPECT_EQ(model.status(), "A Spades invitation reads spades://join/ and the table's "
                              "address, or spades://code/ and its code.");
    EXPECT_EQ(model.address(), "7KQ2-M9XD");

    LobbyWindow window(&model);
    window.findChild<QLineEdit *>("edit_coordinator")->setText("192.0.2.9");
    window.findChild<QPushButton *>("button_join")->click();
    ASSERT_EQ(m_launcher.started.size(), 1);
    EXPECT_EQ(m_launcher.started[0].second,
              (QStringList{"Bob", "7KQ2-M9XD", "join", "--coordinator", "192.0.2.9"}));
}

TEST_F(Lobby, TablesOnTheNetworkAreListedAndJoinedWithAClick)
{
    LobbyModel model(options());
    LobbyWindow window(&model);
    auto *list = window.findChild<QListWidget *>("list_lan");
    auto *label = window.findChild<QLabel *>("label_lan");
    auto *join = window.findChild<QPushButton *>("button_join_lan");
    ASSERT_TRUE(list && label && join);
    EXPECT_EQ(list->count(), 0);
    EXPECT_EQ(label->text(), "No table on your network yet.");

    m_browser.set({}, "Tables on your network cannot be found: the Avahi daemon is not running.");
    EXPECT_EQ(label->text(), m_browser.trouble);
    EXPECT_FALSE(join->isEnabled());

    m_browser.set({{"Spades table of Ann", "Ann", 3, "192.0.2.9", 7772},
                   {"Spades table of Cy", "Cy", 1, "fe80::1%veth0", 7800}});
    ASSERT_EQ(list->count(), 2);
    EXPECT_EQ(list->item(0)->text(), "Ann - 3 free seats");
    EXPECT_EQ(list->item(1)->text(), "Cy - 1 free seat");
    EXPECT_TRUE(label->isHidden());
    list->setCurrentRow(1);
    // A seat taken elsewhere changes the line but not the choice.
    m_browser.set({{"Spades table of Ann", "Ann", 2, "192.0.2.9", 7772},
                   {"Spades table of Cy", "Cy", 1, "fe80::1%veth0", 7800}});
    EXPECT_EQ(list->item(0)->text(), "Ann - 2 free seats");
    EXPECT_EQ(list->currentRow(), 1);

    window.findChild<QLineEdit *>("edit_name")->setText("Bob");
    ASSERT_TRUE(join->isEnabled());
    join->click();
    ASSERT_EQ(m_launcher.started.size(), 1);
    EXPECT_EQ(m_launcher.started[0].second, (QStringList{"Bob", "[fe80::1%veth0]:7800", "join"}));
    EXPECT_EQ(window.findChild<QComboBox *>("combo_address")->currentText(),
              "[fe80::1%veth0]:7800");
    EXPECT_FALSE(model.joinLanTable(5));
}

TEST(LobbyDoor, ALaterLobbyHandsItsLinkToTheFirst)
{
    QTemporaryDir runtime;
    LobbyDoor first(runtime.path());
    ASSERT_TRUE(first.open());
    QSignalSpy arrived(&first, &LobbyDoor::linkArrived);
    LobbyDoor later(runtime.path());
    EXPECT_FALSE(later.open());
    EXPECT_TRUE(later.handOver("spades://join/192.0.2.9"));
    ASSERT_TRUE(waitUntil([&] { return arrived.size() == 1; }));
    EXPECT_EQ(arrived[0][0].toString(), "spades://join/192.0.2.9");

    // Too long to be a link, a line never ended, more visitors than allowed:
    // nothing arrives, and the door still works after.
    EXPECT_FALSE(later.handOver(QString(LobbyDoor::kMaxLine, QLatin1Char('a'))));
    QList<QLocalSocket *> visitors;
    for (int i = 0; i < LobbyDoor::kMaxVisitors + 2; ++i) {
        auto *visitor = new QLocalSocket(&first);
        visitor->connectToServer(first.socketPath());
        visitor->write(QByteArray(LobbyDoor::kMaxLine * 2, 'x'));
        visitors << visitor;
    }
    ASSERT_TRUE(waitUntil([&] {
        return std::all_of(visitors.cbegin(), visitors.cend(), [](QLocalSocket *v) {
            return v->state() == QLocalSocket::UnconnectedState;
        });
    }));
    EXPECT_EQ(arrived.size(), 1);
    EXPECT_TRUE(later.handOver("spades://join/192.0.2.10"));
    ASSERT_TRUE(waitUntil([&] { return arrived.size() == 2; }));
}

} // namespace

namespace {

// What the hosting game says on the link reaches the lobby's window; what no
// game says (long lines, other words, too many links) does not.
// Any local program or web page can reach the port: only a link that first
// shows this lobby's token is its game, and only its lines are shown.
TEST_F(Lobby, ALinkWithoutTheLobbysTokenIsNotBelieved)
{
    LobbyModel model(options());
    ASSERT_FALSE(model.linkToken().isEmpty());
    for (const QByteArray &first :
         {QByteArray("reach Friends can join at 192.0.2.66.\n"), QByteArray("hello wrong\n"),
          "POST / HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\nhello " + model.linkToken() + '\n'}) {
        QTcpSocket stranger;
        stranger.connectToHost(QHostAddress::LocalHost, model.linkPort());
        ASSERT_TRUE(stranger.waitForConnected(2000));
        stranger.write(first + "reach Friends can join at 192.0.2.66.\ninvite spades://join/x\n");
        EXPECT_TRUE(waitUntil([&] { return stranger.state() != QAbstractSocket::ConnectedState; }))
            << first.constData();
        EXPECT_EQ(model.reach(), "");
        EXPECT_NE(model.state(), LobbyModel::State::Playing);
    }
}

TEST_F(Lobby, TheGameTellsHowFriendsReachItsTableAndNothingElse)
{
    LobbyModel model(options());
    LobbyWindow window(&model);
    QTcpSocket *game = link(model);
    ASSERT_TRUE(waitUntil([&] { return model.state() == LobbyModel::State::Playing; }));
    game->write("reach Friends can join at 198.51.100.7 (the router opened port 7772).\n"
                "invite spades://join/198.51.100.7\nshout hello\n"
                "invite spades://join/192.168.1.20 and more\n");
    for (int i = 0; i < 6; ++i)
        game->write("invite spades://join/192.0.2.10" + QByteArray::number(i) + "\n");
    ASSERT_TRUE(waitUntil([&] { return model.invitation().count('\n') == 3; }));
    EXPECT_EQ(model.reach(), "Friends can join at 198.51.100.7 (the router opened port 7772).");
    EXPECT_EQ(model.invitation(), "spades://join/198.51.100.7\nspades://join/192.0.2.100\n"
                                  "spades://join/192.0.2.101\nspades://join/192.0.2.102");
    EXPECT_EQ(window.findChild<QLabel *>("label_reach")->text(), model.reach());
    // At its narrowest, the window gives every wrapped note the lines it needs.
    window.resize(window.minimumWidth(), 100);
    window.show();
    ASSERT_TRUE(waitUntil([&] { return window.isVisible(); }));
    QCoreApplication::processEvents();
    for (const QLabel *label : window.findChildren<QLabel *>()) {
        if (label->isVisible() && label->wordWrap()) {
            EXPECT_GE(label->height(), label->heightForWidth(label->width()))
                << label->text().toStdString();
        }
    }
    window.findChild<QPushButton *>("button_copyinvitation")->click();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), model.invitation());

    game->write("reach " + QByteArray(LobbyLink::kMaxLine * 2, 'x') + "\nreach late\n");
    game->flush();
    waitUntil([] { return false; }, 300);
    EXPECT_EQ(model.reach(), "Friends can join at 198.51.100.7 (the router opened port 7772).");
    game->disconnectFromHost();
    ASSERT_TRUE(waitUntil([&] { return model.state() == LobbyModel::State::Idle; }));
    EXPECT_EQ(model.reach(), "");
}

} // namespace
