#include "client/soundboard.h"
#include "platform/soundplayer.h"

#include <QAction>
#include <QByteArrayList>
#include <QMenu>
#include <QStringList>
#include <gtest/gtest.h>

namespace {

class RecordingPlayer : public SoundPlayer
{
public:
    void play(const QString &name) override { played << name; }
    QStringList played;
};

class SoundBoardTest : public ::testing::Test
{
protected:
    SoundBoardTest() : board(nullptr, &player)
    {
        board.setSendFunction([this](const QByteArray &m) { sent << m; });
        board.setStatusLine([this](const QString &line) { lines << line; });
        board.setSeatName([](int seat) -> std::optional<QString> {
            if (seat == 2)
                return QStringLiteral("Ann");
            if (seat == 3)
                return QStringLiteral("<Waiting>");
            return std::nullopt;
        });
        board.setSettingsChanged([this] { ++settingsWritten; });
    }

    QAction *item(const char *name) { return board.findChild<QAction *>(name); }
    // A sound message as it arrives: what does not decode never reaches the board.
    void playasound(QByteArrayView payload)
    {
        if (const auto message = wire::toClient::PlayASound::decode(payload))
            board.playasound(*message);
    }

    RecordingPlayer player;
    SoundBoard board;
    QByteArrayList sent;
    QStringList lines;
    int settingsWritten = 0;
};

} // namespace

TEST_F(SoundBoardTest, EventSoundsPlayOnlyWithPlaySoundsChecked)
{
    EXPECT_TRUE(item("PlaySounds1")->isChecked());
    board.playsounds("placecard");
    item("PlaySounds1")->trigger();
    EXPECT_FALSE(board.playSounds());
    board.playsounds("turnoverbad");
    item("PlaySounds1")->trigger();
    board.playsounds("winner");
    EXPECT_EQ(player.played, (QStringList{"placecard", "winner"}));
    EXPECT_EQ(settingsWritten, 2);
}

TEST_F(SoundBoardTest, TurnSoundFollowsTheRadioPair)
{
    EXPECT_TRUE(item("Classic1")->isChecked());
    EXPECT_EQ(board.turnSound(), "turn");
    item("New1")->trigger();
    EXPECT_EQ(board.turnSound(), "turnnew");
    EXPECT_FALSE(item("Classic1")->isChecked());
    EXPECT_TRUE(item("New1")->isChecked());
    item("Classic1")->trigger();
    EXPECT_EQ(board.turnSound(), "turn");
    EXPECT_EQ(board.turnSoundChoice(), 0);
    EXPECT_EQ(settingsWritten, 2);
    board.setTurnSoundChoice(7); // anything but 1 is Classic
    EXPECT_EQ(board.turnSound(), "turn");
}

// Off, a chatter sound becomes a status line; on, it plays even without event sounds.
TEST_F(SoundBoardTest, ChatterSoundsPlayWhenSwitchedOnOrBecomeStatusLines)
{
    EXPECT_FALSE(item("PlayChatterSounds1")->isChecked());
    playasound("2+wave13+");
    playasound("3+wave20+");
    EXPECT_EQ(lines, (QStringList{"0+Ann: <Chatter Sound> Applause",
                                  "0+<Waiting>: <Chatter Sound> Crying"}));
    EXPECT_TRUE(player.played.isEmpty());

    board.setPlaySounds(false);
    board.setPlayChatterSounds(true);
    playasound("2+wave13+");
    playasound("4+wave1+");
    EXPECT_EQ(player.played, (QStringList{"wave13", "wave1"}));
    EXPECT_EQ(lines.size(), 2);
}

TEST_F(SoundBoardTest, BadChatterMessagesDoNothing)
{
    for (bool chatterOn : {false, true}) {
        board.setPlayChatterSounds(chatterOn);
        for (const char *data :
             {"5+wave3+", "0+wave3+", "2+wave0+", "2+wave21+", "2+boom+", "2+wave+", "x+wave3+",
              "2+wave3", "2", "", "2+wave03+", "1+wave3+"}) // seat 1 has no name label here
            playasound(data);
    }
    EXPECT_TRUE(lines.isEmpty());
    // Only the well-formed message from seat 1 plays, once chatter sounds are on.
    EXPECT_EQ(player.played, QStringList{"wave3"});
}

TEST_F(SoundBoardTest, OnlyLoggedInPlayingSeatsSendChatterSounds)
{
    QMenu *menu = board.popupSounds();
    ASSERT_EQ(menu->actions().size(), 21);
    EXPECT_EQ(menu->actions()[0]->text(), "<Cancel>");
    EXPECT_EQ(menu->actions()[13]->text(), "Applause");
    EXPECT_EQ(menu->actions()[13]->toolTip(), "Applause");

    board.setMySeat(3);
    menu->actions()[7]->trigger(); // not logged in yet
    board.setLoggedIn(true);
    menu->actions()[0]->trigger(); // "<Cancel>"
    EXPECT_TRUE(sent.isEmpty());
    menu->actions()[7]->trigger();
    EXPECT_EQ(sent, QByteArrayList{QByteArray("CMD_playasound+3+wave7+") + char(0xFF)});

    sent.clear();
    board.setMySeat(5); // a watcher
    board.wave14Click(7);
    board.setMySeat(0);
    board.wave14Click(7);
    EXPECT_TRUE(sent.isEmpty());
}
