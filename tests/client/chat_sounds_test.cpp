#include "tablefixture.h"

#include "client/soundboard.h"

#include <QAction>
#include <QMenu>
#include <QToolButton>

namespace {

struct EventSound
{
    const char *message;
    QStringList expected;
};

// Seen from seat 1, whose partner is seat 3.
const EventSound kEvents[] = {
    {"CMD_newplayerinfo+2+Bob", {"entered"}},
    {"CMD_existingplayers+3+Cy", {"entered"}},
    {"CMD_newplayerinfo+6+Spy", {"entered"}},
    {"CMD_getbid+2+0+", {"click"}},
    {"CMD_getbid+1+0+", {"turn"}},
    {"CMD_nextplayer+1+0+", {"turn"}},
    {"CMD_nextplayer+3+0+", {}},
    {"CMD_heplayed+2+20+12+", {"placecard"}},
    {"CMD_tooktrick+1+1+", {"turnovergood"}},
    {"CMD_tooktrick+3+1+", {"turnoverbad"}},
    {"CMD_tooktrick+2+1+", {"turnoverbad"}},
    {"CMD_error+1+2+5+", {"error"}},
    {"CMD_error+2+2+5+", {}},
    {"CMD_postscores+2+3+4+5+60+-40+2+1+0+0+0+0+60+-40+0+0+", {"roundover"}},
    {"CMD_winner+1+", {"winner"}},
    {"CMD_chat+2+Bob chats: hi|clRed", {}},
};

} // namespace

TEST_F(TableTest, EveryGameEventPlaysItsSoundUnlessPlaySoundsIsOff)
{
    for (const bool playSounds : {true, false}) {
        for (const EventSound &event : kEvents) {
            SCOPED_TRACE(event.message);
            SetUp();
            login(1);
            if (!playSounds)
                table->findChild<QAction *>("PlaySounds1")->trigger();
            feed(event.message);
            EXPECT_EQ(sounds.played, playSounds ? event.expected : QStringList());
        }
    }
}

TEST_F(TableTest, TheTurnSoundFollowsTheChoiceAlsoWhenBlindNilIsDeclined)
{
    login(1);
    table->findChild<QAction *>("New1")->trigger();
    feed("CMD_getbid+1+0+");
    EXPECT_EQ(sounds.played, QStringList{"turnnew"});
    table->button_dobidClick(); // sees the cards instead of bidding Blind Nil
    EXPECT_EQ(sounds.played, (QStringList{"turnnew", "turnnew"}));

    table->findChild<QAction *>("Classic1")->trigger();
    feed("CMD_nextplayer+1+0+");
    EXPECT_EQ(sounds.played.last(), "turn");
}

TEST_F(TableTest, ChatterSoundsFromTheMenuLeaveOnlyForPlayingSeats)
{
    auto *button = control<QToolButton>("b_phrase10");
    ASSERT_NE(button, nullptr);
    QMenu *menu = table->soundBoard()->popupSounds();
    button->click();
    EXPECT_TRUE(menu->isVisible());
    menu->hide();

    QAction *cough = table->findChild<QAction *>("wave2");
    ASSERT_NE(cough, nullptr);
    cough->trigger(); // not logged in yet
    EXPECT_TRUE(sent.isEmpty());

    login(3);
    cough->trigger();
    EXPECT_EQ(sent, QList<QByteArray>{terminated("CMD_playasound+3+wave2+")});

    SetUp();
    login(6); // a watcher
    table->findChild<QAction *>("wave2")->trigger();
    EXPECT_TRUE(sent.isEmpty());
}

TEST_F(TableTest, ChatterSoundsPlayOrBecomeALineWithTheSeatsName)
{
    login(1);
    feed("CMD_newplayerinfo+2+Bob");
    sounds.played.clear();
    feed("CMD_playasound+2+wave19+");
    EXPECT_EQ(table->chatLines().last(), "0+Bob: <Chatter Sound> Man Laughing");
    table->findChild<QAction *>("PlayChatterSounds1")->trigger();
    table->findChild<QAction *>("PlaySounds1")->trigger();
    feed("CMD_playasound+1+wave19+"); // the own sound comes back too
    EXPECT_EQ(sounds.played, QStringList{"wave19"});
}
