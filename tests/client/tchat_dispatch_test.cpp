#include "tablefixture.h"

#include <QAction>
#include <QTest>

namespace {

TEST_F(TableTest, LoginAnswersWithVersionNameAndSecondTerminator)
{
    table->processparams({"Ann+Bo", "192.0.2.105", "false"});
    feed("CMD_sendlogininfo+3");
    ASSERT_EQ(sent.size(), 1);
    EXPECT_EQ(sent[0], QByteArray("CMD_logininfo+3+1.0.6+Ann+Bo\xFF\xFF"));
    EXPECT_EQ(table->myseat(), 3);
    EXPECT_TRUE(table->loggedin());
}

TEST_F(TableTest, NothingIsSentBeforeLogin)
{
    table->button_bidClick();
    table->button_nilClick();
    table->button_closeClick();
    table->setBotSpeed(200, true);
    table->JustWatch1Click();
    table->button_startClick();
    EXPECT_TRUE(sent.isEmpty());
    EXPECT_EQ(boxes, QStringList{"You are not connected"});
}

TEST_F(TableTest, OwnArrivalRotatesAndOthersGetTheirSeatLabel)
{
    feed({"CMD_sendlogininfo+2", "CMD_newplayerinfo+2+Ann", "CMD_existingplayers+1+Host+Man",
          "CMD_existingplayers+6+Eve"});
    EXPECT_TRUE(table->chatLines().contains("0+You are Connected."));
    EXPECT_TRUE(table->chatLines().contains("0+Host+Man is Connected."));
    EXPECT_TRUE(table->chatLines().contains("0+Eve is spying."));
    EXPECT_EQ(text("label_playername1"), "Host+Man");
    EXPECT_EQ(text("label_playername2"), "Ann");
    EXPECT_EQ(spies, QStringList{"6: Eve"});
    EXPECT_EQ(sounds.played, QStringList({"entered", "entered", "entered"}));
}

TEST_F(TableTest, WatcherSeesBothLinesAndKeepsTheUnrotatedTable)
{
    feed({"CMD_sendlogininfo+5", "CMD_newplayerinfo+5+Eve"});
    const QStringList expected = {"0+You are Connected.", "0+You are spying."};
    EXPECT_EQ(table->chatLines().mid(table->chatLines().size() - 2), expected);
    EXPECT_EQ(control("label_playername1")->pos(), QPoint(72, 311));
    EXPECT_EQ(spies, QStringList{"5: Eve"});
}

TEST_F(TableTest, DeparturesOfSeatsAndWatchers)
{
    login(1, "Host");
    feed({"CMD_newplayerinfo+3+Bob", "CMD_newplayerinfo+7+Eve", "CMD_startgame+Host+500+y+n+n+"});
    table->playernameLabel(3)->setText("Bob");
    feed("CMD_justwatching+3+1");
    ASSERT_TRUE(shown("image_eyes3"));
    const int before = table->chatLines().size();

    feed({"CMD_playerdisconnected+3+Bob", "CMD_playerdisconnected+3+Bob",
          "CMD_playerdisconnected+7+Eve", "CMD_playerdisconnected+8+Nobody"});
    const QStringList expected = {"0+Bob disconnected.", "0+Eve has left."};
    EXPECT_EQ(table->chatLines().mid(before), expected);
    EXPECT_EQ(text("label_playername3"), "Klick");
    EXPECT_FALSE(shown("image_eyes3"));
    EXPECT_TRUE(spies.isEmpty());
}

TEST_F(TableTest, VersionLinesEvenWithoutData)
{
    feed({"CMD_havewrongversion+Bob", "CMD_wrongversion+"});
    const QStringList expected = {"0+Bob has a different version of the game then you.",
                                  "0+You have a differnt version of the game then the host."};
    EXPECT_EQ(table->chatLines().mid(table->chatLines().size() - 2), expected);
}

TEST_F(TableTest, FullShowsTheBoxAndEndsTheProgram)
{
    bool ended = false;
    QObject::connect(table.get(), &Tchat::programEnds, [&] { ended = true; });
    table->show();
    feed({"CMD_full+", "CMD_sendlogininfo+2"});
    EXPECT_EQ(boxes, QStringList{"Game is full"});
    EXPECT_TRUE(ended);
    EXPECT_FALSE(table->isVisible());
    EXPECT_FALSE(table->loggedin()) << "nothing is handled after the end";
}

TEST_F(TableTest, SocketInformation)
{
    bool ended = false;
    QObject::connect(table.get(), &Tchat::programEnds, [&] { ended = true; });
    table->sockInfo("Error #10061 (WSAECONNREFUSED)");
    table->sockInfo("Non-Blocking Socket Connected");
    EXPECT_FALSE(ended) << "a refused connection leaves the window idle";
    table->sockInfo("Socket Closed");
    EXPECT_TRUE(ended);
}

TEST_F(TableTest, BytesAreCutAtTheTerminatorAndHandledOnePerTick)
{
    // Messages without a command name are not even queued.
    table->sockRead("CMD_sendlogininfo+1\xFF\xFFgarbage\xFF+1\xFF"
                    "CMD_hebid+2+3+\xFF"
                    "CMD_newplayer");
    EXPECT_EQ(table->queuedMessages(), 2);
    table->processsocktimer();
    EXPECT_EQ(table->myseat(), 1);
    EXPECT_EQ(table->queuedMessages(), 1);
    table->sockRead("info+1+Ann\xFF");
    drain();
    EXPECT_EQ(text("label_playername1"), "Ann");
}

TEST_F(TableTest, TimerRunsOnlyWhileSomethingIsQueued)
{
    EXPECT_FALSE(table->timerRunning());
    table->queueMessage("no command");
    table->sockRead("CMD_round");
    EXPECT_FALSE(table->timerRunning()) << "nothing to handle yet";
    table->queueMessage("CMD_round+");
    EXPECT_TRUE(table->timerRunning());
    ASSERT_TRUE(testsupport::waitUntil([&] { return !table->timerRunning(); }));
    EXPECT_EQ(table->queuedMessages(), 0);
}

TEST_F(TableTest, PhraseButtonsAndChatLeaveThroughTheOneSend)
{
    login(3);
    QTest::mouseClick(control("b_phrase1"), Qt::LeftButton);
    ASSERT_EQ(sent.size(), 1);
    EXPECT_TRUE(sent[0].startsWith("CMD_action+3+says: ")) << sent[0].constData();
    EXPECT_TRUE(sent[0].endsWith("|clBlack\xFF")) << sent[0].constData();
    EXPECT_FALSE(table->timerRunning());
}

TEST_F(TableTest, UnknownAndMalformedMessagesChangeNothing)
{
    login(1);
    feed({"CMD_SENDLOGININFO+4", "", "noplus", "CMD_hebid+x+3+", "CMD_hebid+9+3+", "CMD_getbid+",
          "CMD_nextplayer+0+0+", "CMD_nextplayer+77+5+", "CMD_tooktrick+-3+1+",
          "CMD_heplayed+2+99+0+", "CMD_usecard+1+44+", "CMD_error+1+2+0+", "CMD_mycards+",
          "CMD_loadcards+1+99+5+", "CMD_gamestats+1+", "CMD_postscores+1+2+",
          "CMD_justwatching+12+1"});
    EXPECT_EQ(table->myseat(), 1);
    for (int seat = 1; seat <= 4; ++seat)
        EXPECT_EQ(table->bidLabel(seat)->text(), "0");
    EXPECT_TRUE(sent.isEmpty());
    EXPECT_EQ(table->findChildren<CardPicture *>().size(), 0);
}

TEST_F(TableTest, ProcessParamsModes)
{
    struct Case
    {
        QStringList args;
        QStringList hostStarts;
        QStringList connects;
        bool host;
        bool lobby;
        QString line;
    };
    const Case cases[] = {
        {{}, {"this computer"}, {"127.0.0.1"}, true, false, "0+Loading Solo Game..Please wait."},
        {{"Ann", "192.0.2.105", "true"},
         {"everyone"},
         {"127.0.0.1"},
         true,
         true,
         "0+Loading Multi-player Game.. Please Wait."},
        {{"Ann", "192.0.2.105", "True"},
         {},
         {"192.0.2.105"},
         false,
         true,
         "0+Loading Multi-player Game.. Please Wait."},
        {{"Ann", "192.0.2.105"},
         {},
         {},
         false,
         false,
         "0+Loading Multi-player Game.. Please Wait."},
    };
    for (const Case &c : cases) {
        SetUp();
        QStringList hostStarts, connects;
        bool lobby = false;
        requests.onStartHost = [&] {
            hostStarts.append(requests.reach == HostReach::ThisComputer ? "this computer"
                                                                        : "everyone");
        };
        requests.onConnect = [&](const QString &host) { connects.append(host); };
        requests.onLobby = [&] { lobby = true; };
        table->processparams(c.args);
        EXPECT_EQ(hostStarts, c.hostStarts) << c.args.join(' ').toStdString();
        EXPECT_EQ(connects, c.connects) << c.args.join(' ').toStdString();
        EXPECT_EQ(table->ishost(), c.host);
        EXPECT_EQ(lobby, c.lobby);
        EXPECT_EQ(shown("button_start"), c.host);
        EXPECT_EQ(table->findChild<QAction *>("StartGame1")->isEnabled(), c.host);
        EXPECT_EQ(table->chatLines().value(0), c.line);
    }
}

} // namespace

namespace {

// Quitting or starting anew ends the game for everybody: the host's window
// asks first, but only while other people play in a running game.
TEST_F(TableTest, TheHostIsAskedBeforeEndingAGameOthersPlay)
{
    const struct
    {
        const char *mode; // the third argument: "true" hosts, "join" joins
        const char *guest;
        bool ended, answer, asked, quits;
    } cases[] = {
        {"true", "Bob", false, false, true, false},   {"true", "Bob", false, true, true, true},
        {"true", nullptr, false, false, false, true}, {"true", "Bob", true, false, false, true},
        {"join", "Bob", false, false, false, true},
    };
    for (const auto &c : cases) {
        SetUp();
        table->processparams({"Ann", "127.0.0.1", c.mode});
        login(1);
        if (c.guest)
            seatPlayer(2, c.guest);
        feed("CMD_startgame+Ann+500+y+n+n+");
        if (c.ended)
            feed("CMD_winner+1+");
        requests.answer = c.answer;
        bool optionsShown = false;
        QObject::connect(table.get(), &Tchat::gameStartWanted, [&] { optionsShown = true; });
        table->findChild<QAction *>("StartGame1")->trigger();
        EXPECT_EQ(optionsShown, c.quits) << c.mode << c.guest << c.ended;
        table->show();
        table->close();
        EXPECT_EQ(requests.questions.size(), c.asked ? 2 : 0);
        EXPECT_EQ(table->isVisible(), !c.quits);
        requests.questions.clear();
    }
}

} // namespace
