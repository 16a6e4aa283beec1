// Muting a name in the own chat: the decision without a window, then the
// table window that asks it.
#include "client/chatmutes.h"
#include "client/seatmenu.h"
#include "client/tchatwidgets.h"
#include "tablefixture.h"

#include "chat/chatpanel.h"
#include "chat/chatview.h"

#include <QAction>

TEST(ChatMutes, HidesOnlyOtherConnectionsUnderAMutedNameExactly)
{
    ChatMutes mutes;
    mutes.setMuted("Bob", true);
    const struct
    {
        int n;
        std::optional<QString> name;
        bool hidden;
    } cases[] = {
        {2, "Bob", true},  {6, "Bob", true}, {2, "bob", false}, {2, "Bob ", false},
        {3, "Cy", false},  {2, {}, false},   {1, "Bob", false}, // the own seat, same name
        {0, "Bob", false},
    };
    for (const auto &c : cases)
        EXPECT_EQ(mutes.hides(c.n, 1, c.name), c.hidden)
            << c.n << c.name.value_or("-").toStdString();
    EXPECT_TRUE(mutes.toggle("Bob"));
    EXPECT_FALSE(mutes.hides(2, 1, QString("Bob")));
}

TEST(ChatMutes, BoundedAndShownAsPlainMenuText)
{
    ChatMutes mutes;
    EXPECT_FALSE(mutes.setMuted("", true));
    for (int i = 0; i < ChatMutes::kMost; ++i)
        EXPECT_TRUE(mutes.setMuted("P" + QString::number(i), true));
    EXPECT_FALSE(mutes.setMuted("OneTooMany", true));
    EXPECT_FALSE(mutes.isMuted("OneTooMany"));
    EXPECT_EQ(mutes.size(), ChatMutes::kMost);

    EXPECT_EQ(mutes.itemText("A&B"), "Mute A&&B");
    EXPECT_EQ(mutes.itemText("P0"), "Unmute P0");
    EXPECT_FALSE(ChatMutes::canMute(1, 1, "Ann"));
    EXPECT_FALSE(ChatMutes::canMute(3, 1, "<Waiting>"));
    EXPECT_FALSE(ChatMutes::canMute(3, 1, ""));
    EXPECT_TRUE(ChatMutes::canMute(7, 1, "Spy"));
}

TEST_F(TableTest, AMutedNameIsNeitherShownNorHeardHereAndNothingIsSent)
{
    login(1);
    seatPlayer(2, "Bob");
    seatPlayer(3, "A&B");
    feed("CMD_newplayerinfo+6+Bob"); // a watcher under the same name
    table->findChild<QAction *>("PlayChatterSounds1")->trigger();
    sounds.played.clear();

    SeatMenu *menu = table->seatMenu();
    table->openSeatMenu(2, table->playernameLabel(3), {});
    EXPECT_EQ(menu->muteItem()->text(), "Mute A&&B");
    table->openSeatMenu(0, table->playernameLabel(1), {});
    EXPECT_FALSE(menu->muteItem()->isVisible()); // not the own seat
    table->openSeatMenu(2, table->playernameLabel(2), {});
    ASSERT_EQ(menu->muteItem()->text(), "Mute Bob");
    menu->muteItem()->trigger();
    table->openSeatMenu(2, table->playernameLabel(2), {});
    EXPECT_EQ(menu->muteItem()->text(), "Unmute Bob");

    feed({"CMD_chat+2+Bob chats: buy gold|clRed", "CMD_action+6+Bob waves|clRed",
          "CMD_playasound+2+wave19+", "CMD_chat+3+A&B chats: hello|clRed",
          "CMD_chat+1+Ann chats: hi|clRed"});
    const QString shown = table->chatPanel()->mainchat()->plainText();
    EXPECT_FALSE(shown.contains("buy gold")) << shown.toStdString();
    EXPECT_FALSE(shown.contains("waves")) << shown.toStdString();
    EXPECT_TRUE(shown.contains("A&B chats:")) << shown.toStdString();
    EXPECT_TRUE(shown.contains("Ann chats:")) << shown.toStdString();
    EXPECT_TRUE(sounds.played.isEmpty());
    EXPECT_TRUE(sent.isEmpty());

    menu->muteItem()->trigger();
    feed("CMD_chat+2+Bob chats: sorry|clRed");
    EXPECT_TRUE(table->chatPanel()->mainchat()->plainText().contains("Bob chats:"));
}
