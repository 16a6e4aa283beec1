#include "chat/chatpanel.h"
#include "chat/colourtext.h"
#include "client/sidewindows.h"
#include "client/tchat.h"
#include "client/tlasttrick.h"
#include "client/tspylist.h"
#include "platform/settingsfile.h"
#include "protocol/tsock.h"
#include "shell/spadesapp.h"
#include "shell/tabout.h"
#include "shell/tdownload.h"
#include "shell/thelp.h"
#include "tally/tallylist.h"
#include "tests/common/fake_resolver.h"
#include "tests/common/private_network.h"
#include "tests/common/test_support.h"

#include <QAction>
#include <QFile>
#include <QMenu>
#include <QSignalSpy>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using testsupport::waitUntil;

namespace {

// Every start gets a fresh program folder so settings and tally stay private.
class SpadesAppTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_home.isValid());
        qputenv("SPADES_HOME", m_home.path().toLocal8Bit());
    }
    void TearDown() override { qunsetenv("SPADES_HOME"); }

    // Any free port: only the solo-start test needs the real one.
    SpadesApp::Options quiet(int port = 0)
    {
        SpadesApp::Options options;
        options.port = port;
        options.messageSink = [this](const QString &text) { messages << text; };
        return options;
    }
    QString path(const QString &name) const { return m_home.filePath(name); }
    void writeSettings(const QByteArray &bytes)
    {
        QFile ini(path("velnorlobby.ini"));
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
        ini.write(bytes);
    }

    QTemporaryDir m_home;
    QStringList messages;
};

} // namespace

TEST_F(SpadesAppTest, SoloStartHostsOn7772AndSeatsTheOwnClient)
{
    SPADES_NEEDS_PORT(7772);
    SpadesApp app({}, quiet(7772));
    app.start();
    ASSERT_EQ(app.host()->port(), 7772) << messages.join('\n').toStdString();
    ASSERT_TRUE(waitUntil([&] { return app.table()->myseat() == 1; }));
    EXPECT_TRUE(app.table()->loggedin());
    EXPECT_TRUE(app.table()->ishost());
    EXPECT_EQ(app.table()->playername(), "You");
    // The host has the own client's login on record 1.
    ASSERT_TRUE(waitUntil([&] { return app.host()->server().seats()[1].name == "You"; }));
    EXPECT_TRUE(app.host()->server().seats()[1].connected);
    EXPECT_TRUE(app.download()->isVisible());
    const QStringList &lines = app.table()->chatLines();
    EXPECT_TRUE(lines.contains("0+Loading Solo Game..Please wait."));
    ASSERT_TRUE(
        waitUntil([&] { return app.table()->chatLines().contains("0+You are Connected."); }));
    EXPECT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
}

TEST_F(SpadesAppTest, OneOrTwoArgumentsStayIdle)
{
    SpadesApp app({"Ann", "192.0.2.105"}, quiet());
    app.start();
    EXPECT_EQ(app.host()->port(), 0);
    EXPECT_FALSE(app.sock()->hasSocket());
    EXPECT_TRUE(app.table()->chatLines().contains("0+Loading Multi-player Game.. Please Wait."));
    EXPECT_FALSE(app.download()->isVisible());
}

TEST_F(SpadesAppTest, SettingsAreReadOnceConnectedAndWrittenBack)
{
    writeSettings("[Spades]\r\nBotspeed=200\r\nTextcolor=$000000FF\r\nTurnsound=1\r\n"
                  "Playsounds=false\r\nChatterSounds=true\r\nTextsize=12\r\nComputers=Expert\r\n");
    SpadesApp app({}, quiet());
    EXPECT_EQ(app.table()->botSpeed(), 500); // not read at start-up
    app.start();
    ASSERT_TRUE(waitUntil([&] { return app.table()->botSpeed() == 200; }));
    EXPECT_TRUE(app.table()->newTurnSound());
    EXPECT_FALSE(app.table()->playSounds());
    EXPECT_TRUE(app.table()->playChatterSounds());
    EXPECT_EQ(app.table()->chatPanel()->textColour(), 0x0000FFu);
    EXPECT_EQ(app.table()->chatPanel()->textSize(), 12);
    // The hosted table's computer players are the expert ones, and so are the host's.
    EXPECT_EQ(app.host()->server().computerKind(3), ComputerKind::Expert);
    EXPECT_TRUE(app.table()->findChild<QAction *>("ExpertComputers1")->isChecked());
    EXPECT_TRUE(app.table()->findChild<QMenu *>("ComputerPlayers1")->menuAction()->isVisible());
    EXPECT_FALSE(app.table()->showPlayable()) << "absent: off";

    app.table()->setBotSpeed(1000, true); // a menu choice writes the file
    app.table()->findChild<QAction *>("ClassicComputers1")->trigger();
    EXPECT_EQ(app.host()->server().computerKind(3), ComputerKind::Classic);
    const SpadesSettings written = SettingsFile(path("velnorlobby.ini")).load();
    EXPECT_FALSE(written.expertComputers);
    EXPECT_FALSE(written.playableCards);
    app.table()->findChild<QAction *>("ShowPlayableCards1")->trigger();
    EXPECT_TRUE(SettingsFile(path("velnorlobby.ini")).load().playableCards);
    EXPECT_EQ(written.botSpeed, 1000);
    EXPECT_EQ(written.textColor, "clRed");
    EXPECT_EQ(written.turnSound, 1);
    EXPECT_FALSE(written.playSounds);
}

TEST_F(SpadesAppTest, ClosingAnUnchangedWindowWritesNothing)
{
    SpadesApp app({}, quiet());
    app.start();
    ASSERT_TRUE(
        waitUntil([&] { return app.table()->chatLines().contains("0+You are Connected."); }));
    QFile::remove(path("velnorlobby.ini"));
    // The box read at login is the box it still has.
    app.table()->close();
    EXPECT_FALSE(QFile::exists(path("velnorlobby.ini")));
}

TEST_F(SpadesAppTest, ClosingBeforeTheSettingsWereReadKeepsTheFile)
{
    writeSettings("[Spades]\r\nBotspeed=200\r\nLeft=40\r\n");
    SpadesApp app({"Ann", "127.0.0.1"}, quiet()); // idle: never connects
    app.start();
    app.table()->resize(900, 600);
    app.table()->close();
    const SpadesSettings kept = SettingsFile(path("velnorlobby.ini")).load();
    EXPECT_EQ(kept.botSpeed, 200);
    EXPECT_EQ(kept.left, 40);
}

// Every menu write before the file was read carries only the player's own
// change; what the file holds for the rest stays, byte for byte.
TEST_F(SpadesAppTest, WritesBeforeTheSettingsWereReadKeepTheRestOfTheFile)
{
    const QByteArray saved = "[Spades]\r\nTop=40\r\nWidth=900\r\nTextcolor=clRed\r\n"
                             "Textsize=14\r\nBotspeed=200\r\nPlaysounds=true\r\n";
    writeSettings(saved);
    SpadesApp app({"Ann", "192.0.2.105"}, quiet()); // idle: never connects
    app.start();
    app.table()->move(200, 150);
    const struct
    {
        const char *what;
        std::function<void()> change;
        QByteArray expected;
    } cases[] = {
        {"nothing changed", [&] { app.table()->setBotSpeed(500, true); }, saved},
        {"play sounds", [&] { app.table()->findChild<QAction *>("PlaySounds1")->trigger(); },
         QByteArray(saved).replace("Playsounds=true", "Playsounds=false")},
        {"bot speed", [&] { app.table()->setBotSpeed(1000, true); },
         QByteArray(saved)
             .replace("Playsounds=true", "Playsounds=false")
             .replace("Botspeed=200", "Botspeed=1000")},
    };
    for (const auto &c : cases) {
        c.change();
        QFile ini(path("velnorlobby.ini"));
        ASSERT_TRUE(ini.open(QIODevice::ReadOnly));
        EXPECT_EQ(ini.readAll(), c.expected) << c.what;
    }
}

// However the table closes, the program ends, side windows and all.
TEST_F(SpadesAppTest, ClosingTheTableEndsTheProgramWithItsOpenWindows)
{
    const std::function<void(SpadesApp &)> closings[] = {
        [](SpadesApp &app) { app.table()->findChild<QAction *>("Exit1")->trigger(); },
        [](SpadesApp &app) { app.table()->close(); },
        [](SpadesApp &app) { emit app.download()->exitRequested(); },
    };
    for (const auto &closeTable : closings) {
        SpadesApp app({"Ann", "192.0.2.105"}, quiet());
        app.start();
        QSignalSpy ended(&app, &SpadesApp::finished);
        for (const char *item : {"ViewTally1", "Content1", "About1", "LastTrick1", "SpyList1"})
            app.table()->findChild<QAction *>(item)->trigger();
        const QList<QWidget *> open = {app.tally(), app.help(), app.about(),
                                       app.sideWindows()->lasttrick(),
                                       app.sideWindows()->spylist()};
        for (QWidget *window : open)
            ASSERT_TRUE(window->isVisible()) << window->objectName().toStdString();
        EXPECT_LE(
            (app.about()->geometry().center() - app.table()->geometry().center()).manhattanLength(),
            4);
        closeTable(app);
        EXPECT_EQ(ended.count(), 1);
        for (QWidget *window : open)
            EXPECT_FALSE(window->isVisible()) << window->objectName().toStdString();
    }
}

TEST_F(SpadesAppTest, BusyPortStopsHostingWithTheSocketError)
{
    TSock squatter;
    squatter.setPortName("0");
    squatter.setListen(true);
    SpadesApp app({}, quiet(squatter.localPort()));
    app.start();
    EXPECT_TRUE(messages.contains("Listen - Error Binding Socket"));
    EXPECT_FALSE(app.sock()->hasSocket()); // the own client never connects
    EXPECT_FALSE(app.table()->ishost());
}

namespace {

// Whether a connection to address:port is taken; false when it is refused.
bool reachable(const char *address, int port)
{
    QTcpSocket socket;
    socket.connectToHost(QHostAddress(QString::fromLatin1(address)), quint16(port));
    return socket.waitForConnected(5000);
}

} // namespace

// A solo game is the player's alone: its host takes connections only on this
// computer's loopback addresses, where a table hosted for others takes them
// on every address.
TEST_F(SpadesAppTest, ASoloTableIsReachedFromThisComputerOnly)
{
    SPADES_NEEDS_PRIVATE_NETWORK();
    const char *outside = "10.77.0.1"; // as if on a network card, inside this namespace
    ASSERT_TRUE(testsupport::addAddressToLoopback(outside));
    const struct
    {
        QStringList arguments;
        bool fromOutside;
    } cases[] = {
        {{}, false},
        {{"Ann", "127.0.0.1", "true"}, true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.arguments.join(' ').toStdString());
        SpadesApp app(c.arguments, quiet());
        app.start();
        const int port = app.host()->port();
        ASSERT_GT(port, 0) << messages.join('\n').toStdString();
        ASSERT_TRUE(waitUntil([&] { return app.table()->myseat() == 1; }));
        EXPECT_TRUE(reachable("127.0.0.1", port));
        if (testsupport::ipv6LoopbackWorks()) {
            EXPECT_TRUE(reachable("::1", port));
        }
        EXPECT_EQ(reachable(outside, port), c.fromOutside);
    }
}
