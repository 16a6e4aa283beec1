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

    // Plain text whatever the name holds; a long name is cut, never an "&" of it.
    const QString longest = QString(64, '&');
    const struct
    {
        QString name;
        QString text;
    } items[] = {
        {"A&B", "Mute A&&B"},
        {"P0", "Unmute P0"},
        {"<b>x</b>", "Mute <b>x</b>"},
        {"\u202Eevil\u200F", "Mute \u202Eevil\u200F"},
        {longest, {}},
    };
    for (const auto &c : items) {
        const QString text = mutes.itemText(c.name);
        if (!c.text.isEmpty()) {
            EXPECT_EQ(text, c.text);
        }
        EXPECT_FALSE(QString(text).remove("&&").contains('&')) << text.toStdString();
    }
    EXPECT_TRUE(mutes.itemText(longest).endsWith("&&\u2026"));
    EXPECT_LT(mutes.itemText(longest).size(), 5 + longest.size());
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

// Every line of a person offers to mute the name it was shown under; the
// choice goes the way of the seat menu's.
TEST_F(TableTest, AChatLineOffersToMuteTheNameItCameUnder)
{
    login(1);
    seatPlayer(2, "Bob");
    seatPlayer(3, "A&B");
    feed({"CMD_newplayerinfo+6+<b>x</b>", "CMD_newplayerinfo+7+" + QByteArray(100, 'W')});
    feed({"CMD_chat+2+Bob chats: alpha|clRed", "CMD_chat+1+Ann chats: bravo|clRed",
          "CMD_chat+0+Host chats: charlie|clRed", "CMD_action+4+Kling waves delta|clRed",
          "CMD_chat+3+A&B chats: echo|clRed", "CMD_action+6+<b>x</b> waves foxtrot|clRed",
          "CMD_chat+7+" + QByteArray(64, 'W') + " chats: golf|clRed", "CMD_newplayerinfo+2+Robert",
          "CMD_chat+2+Robert chats: hotel|clRed"});
    ChatPanel *chat = table->chatPanel();
    const auto itemOn = [&](const QString &words) -> QString {
        const QStringList lines = chat->mainchat()->plainText().split('\n');
        qsizetype p = 0;
        while (p < lines.size() && !lines[p].contains(words))
            ++p;
        EXPECT_LT(p, lines.size()) << words.toStdString();
        chat->prepareMainchatMenu(chat->mainchat()->paragraphRect(int(p)).center());
        return chat->authorItem()->isVisible() ? chat->authorItem()->text() : QString();
    };
    const struct
    {
        const char *line;
        QString item;
    } cases[] = {
        {"alpha", "Mute Bob"}, // since renamed
        {"bravo", {}},         // our own
        {"charlie", {}},
        {"delta", {}}, // nobody holds the seat
        {"echo", "Mute A&&B"},
        {"foxtrot", "Mute <b>x</b>"},
        {"x</b> is spying.", {}},
        {"hotel", "Mute Robert"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(itemOn(c.line), c.item) << c.line;
    const QString longName = itemOn("golf");
    EXPECT_TRUE(longName.startsWith("Mute WW") && longName.endsWith("\u2026"))
        << longName.toStdString();
    EXPECT_LT(longName.size(), 5 + 64);

    itemOn("alpha");
    chat->authorItem()->trigger();
    EXPECT_TRUE(table->mutes().isMuted("Bob"));
    EXPECT_EQ(itemOn("alpha"), "Unmute Bob");
    feed({"CMD_newplayerinfo+8+Bob", "CMD_chat+8+Bob chats: india|clRed",
          "CMD_chat+2+Robert chats: juliett|clRed"});
    const QString shown = chat->mainchat()->plainText();
    EXPECT_FALSE(shown.contains("india")) << shown.toStdString();
    EXPECT_TRUE(shown.contains("juliett")) << shown.toStdString();
    EXPECT_TRUE(sent.isEmpty());
}
