#include "chat_fixture.h"

#include "chat/colourtext.h"

#include <QScrollBar>

using Items = QStringList;

TEST_F(ChatFixture, RelayedChatWithASmileyBecomesItemsInTheSeatStyle)
{
    chatrecieved("3+Ann chats: hi :)#12 bye|clGreen");
    // The body after the head starts with the blank that followed the colon.
    EXPECT_EQ(items(),
              (Items{"|Ann chats: @8", " @8", "hi @8", " @8", "<pic 2>", " @8", "bye @8"}));
    EXPECT_EQ(view()->style(8).colour, QColor(0, 0x80, 0));
    EXPECT_TRUE(view()->style(8).bold);
    EXPECT_EQ(view()->plainText(), "Ann chats:  hi   bye ");
}

TEST_F(ChatFixture, HeadIsTheBodyUpToTheFirstColon)
{
    const struct
    {
        const char *line;
        Items expected;
    } cases[] = {
        {"0+You are Connected.", {"| @0", "You @0", "are @0", "Connected. @0"}},
        {"5+a:b:c", {"|a: @10", "b:c @10"}},
        {"1+:x", {"|: @6", "x @6"}},
        {"2+Bob ", {"| @7", "Bob @7", " @7"}},
        {"4+", {"| @9"}},
        // The address's own colon ends the head; the rest is a plain word.
        {"2+Bob goes to http://example.com", {"|Bob goes to http: @7", "//example.com @7"}},
        {"2+Bob goes to http://www.example.com", {"|Bob goes to http: @7", "//www.example.com @4"}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.line);
        chat->ClearMainChat1Click();
        chat->addlinetochat(QString::fromLatin1(c.line), 0x123456);
        EXPECT_EQ(items(), c.expected);
    }
}

TEST_F(ChatFixture, SmileyCodesPickPicturesOrFallBackToTheFirst)
{
    const struct
    {
        const char *body;
        int picture;
        const char *after; // the next word item
    } cases[] = {
        {"x:)#10y", 0, "y @6"}, {"x:)#26y", 16, "y @6"}, {"x:)#27y", 17, "y @6"},
        {"x:)#09y", 0, "y @6"}, {"x:)#28y", 0, "y @6"},  {"x:)#9xy", 0, "y @6"},
        {"x:)#ab y", 0, " @6"}, {"x:)# 1y", 0, "y @6"},  {"x:)#-1y", 0, "y @6"},
        {"x:)#99y", 0, "y @6"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.body);
        chat->ClearMainChat1Click();
        // A head first, so the code's colon is not the first one.
        chat->addlinetochat(QStringLiteral("1+A: ") + QString::fromLatin1(c.body), 0);
        const Items got = items();
        const qsizetype pic = got.indexOf(QStringLiteral("<pic %1>").arg(c.picture));
        ASSERT_GE(pic, 0) << got.join(',').toStdString();
        ASSERT_LT(pic + 1, got.size());
        EXPECT_EQ(got[pic - 1], "x @6"); // with the blank added before the cut
        EXPECT_EQ(got[pic + 1], QString::fromLatin1(c.after));
    }
}

TEST_F(ChatFixture, ACodeAtTheEndOfTheLineStillShowsTheFirstPicture)
{
    chat->addlinetochat("1+A: x:)#1", 0);
    EXPECT_EQ(items(), (Items{"|A: @6", " @6", "x @6", "<pic 0>"}));
    chat->ClearMainChat1Click();
    chat->addlinetochat("1+A: :)#12:)#13", 0);
    EXPECT_EQ(items(), (Items{"|A: @6", " @6", " @6", "<pic 2>", " @6", "<pic 3>"}));
}

TEST_F(ChatFixture, AnActionStartingWithACodeShowsItsCharacters)
{
    chatrecieved("1+You :)#12|clBlack");
    EXPECT_EQ(items(), (Items{"|You : @6", ")#12 @6"}));
}

TEST_F(ChatFixture, LinksAreCaseSensitiveAndNumberedInOrder)
{
    chat->addlinetochat(
        "2+Ann: see www.a.com and http://b.com HTTP://c.com Http://www.d.com https://e.com/x", 0);
    EXPECT_EQ(view()->linkCount(), 4);
    EXPECT_EQ(chat->linkTargets(), (QStringList{"www.a.com ", "http://b.com ", "Http://www.d.com ",
                                                "https://e.com/x "}));
    EXPECT_TRUE(items().contains("HTTP://c.com @7"));
    for (int link = 0; link < 4; ++link)
        chat->mainchatJump(link);
    ASSERT_EQ(opened.size(), 4);
    EXPECT_EQ(opened[0], QUrl("http://www.a.com"));
    EXPECT_EQ(opened[1], QUrl("http://b.com"));
    // "Http://" is removed whatever its letter case before the page is opened.
    EXPECT_EQ(opened[2], QUrl("http://www.d.com"));
    EXPECT_EQ(opened[3], QUrl("https://e.com/x"));
    EXPECT_TRUE(alerts.isEmpty());
}

TEST_F(ChatFixture, LinksAreNumberedFromZeroAgainAfterClearing)
{
    chat->addlinetochat("2+Ann: www.first.com www.second.com", 0);
    chat->ClearMainChat1Click();
    EXPECT_EQ(view()->itemCount(), 0);
    chat->addlinetochat("3+Bob: www.third.com", 0);
    const QRect link = view()->linkRect(0);
    ASSERT_FALSE(link.isEmpty());
    ASSERT_EQ(view()->item(view()->itemCount() - 1).link, 0);
    chat->mainchatJump(0);
    ASSERT_EQ(opened.size(), 1);
    EXPECT_EQ(opened[0], QUrl("http://www.third.com"));
    chat->mainchatJump(1); // no such link any more
    EXPECT_EQ(opened.size(), 1);
}

TEST_F(ChatFixture, EveryLinkOpensItsOwnAddressPastAHundred)
{
    for (int i = 0; i < 150; ++i)
        chat->addlinetochat(QStringLiteral("2+Ann: www.site%1.com").arg(i), 0);
    for (int n : {0, 100, 101, 149}) {
        opened.clear();
        chat->mainchatJump(n);
        ASSERT_EQ(opened.size(), 1);
        EXPECT_EQ(opened[0], QUrl(QStringLiteral("http://www.site%1.com").arg(n)));
    }
    opened.clear();
    chat->mainchatJump(150);
    chat->mainchatJump(-1);
    EXPECT_TRUE(opened.isEmpty());
}

TEST_F(ChatFixture, AFailedOpenSaysSoAndOnlyWebPagesAreOpened)
{
    openSucceeds = false;
    chat->addlinetochat("2+Ann: www.a.com", 0);
    chat->mainchatJump(0);
    EXPECT_EQ(alerts, QStringList{"Cannot open Webpage"});

    openSucceeds = true;
    alerts.clear();
    opened.clear();
    chat->addlinetochat("2+Ann: file:///etc/passwd#http:// javascript:x//www.a", 0);
    chat->mainchatJump(1);
    chat->mainchatJump(2);
    EXPECT_TRUE(opened.isEmpty());
    EXPECT_EQ(alerts.size(), 2);
}

TEST_F(ChatFixture, AnInvitationGoesToTheLobbyOnlyWhenItIsExactlyOne)
{
    QStringList handed;
    chat->setJoinLinkOpener([&](const QString &link) {
        handed << link;
        return true;
    });
    chat->addlinetochat("2+Ann: come SPADES://join/[2001:db8::20]:7800 or spades://join/192.0.2.7 "
                        "not spades://join/192.0.2.7/x?y=1 nor spades://join/a@192.0.2.7:0 "
                        "or spades://code/7kq2-m9xd but not spades://code/7KQ2-M9XD/x",
                        0);
    ASSERT_EQ(view()->linkCount(), 6);
    for (int link = 0; link < 6; ++link)
        chat->mainchatJump(link);
    EXPECT_TRUE(opened.isEmpty());
    // What is handed over is rebuilt from what was read.
    EXPECT_EQ(handed, (QStringList{"spades://join/[2001:db8::20]:7800", "spades://join/192.0.2.7",
                                   "spades://code/7KQ2-M9XD"}));
    ASSERT_EQ(alerts.size(), 3);
    for (const QString &alert : alerts)
        EXPECT_TRUE(alert.startsWith("Cannot open this invitation.")) << alert.toStdString();

    alerts.clear();
    chat->setJoinLinkOpener([](const QString &) { return false; });
    chat->mainchatJump(1);
    EXPECT_EQ(alerts, QStringList{"Cannot open the Spades lobby."});
}

TEST_F(ChatFixture, ClickingALinkOpensIt)
{
    board->show();
    chat->addlinetochat("2+Ann: go www.click.com now", 0);
    const QRect r = view()->linkRect(0);
    ASSERT_FALSE(r.isEmpty());
    QTest::mouseClick(view()->viewport(), Qt::LeftButton, {}, r.center());
    ASSERT_EQ(opened.size(), 1);
    EXPECT_EQ(opened[0], QUrl("http://www.click.com"));
}

TEST_F(ChatFixture, AStyleIsSharedByEveryLineOfItsSeat)
{
    chatrecieved("4+Dan chats: one|clRed");
    chatrecieved("2+Bob chats: other|clNavy");
    chatrecieved("4+Dan chats: two|clLime");
    for (int i = 0; i < view()->itemCount(); ++i) {
        const ChatView::ItemInfo it = view()->item(i);
        if (it.text.contains("Dan")) {
            EXPECT_EQ(it.style, 9);
        }
    }
    // Both of Dan's lines now show in the second colour, Bob's keeps its own.
    EXPECT_EQ(view()->style(9).colour, QColor(0, 255, 0));
    EXPECT_EQ(view()->style(7).colour, QColor(0, 0, 0x80));
    EXPECT_EQ(view()->paragraphCount(), 3);
}

TEST_F(ChatFixture, ABarInTheTextCutsTheLineAndTurnsItRed)
{
    const struct
    {
        const char *data;
        const char *text;
        QColor colour;
    } cases[] = {
        {"3+Ann chats: a|b|clGreen", "Ann chats:  a ", QColor(255, 0, 0)},
        {"3+Ann chats: no colour", "Ann chats:  no colour ", QColor(255, 0, 0)},
        {"3+Ann chats: x|nonsense", "Ann chats:  x ", QColor(255, 0, 0)},
        {"3+Ann chats: y|$00FF0000", "Ann chats:  y ", QColor(0, 0, 255)},
        {"3+Ann chats: z|", "Ann chats:  z ", QColor(255, 0, 0)},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.data);
        chat->ClearMainChat1Click();
        chatrecieved(c.data);
        EXPECT_EQ(view()->plainText(), QString::fromLatin1(c.text));
        EXPECT_EQ(view()->style(8).colour, c.colour);
    }
}

TEST_F(ChatFixture, MarkupFromTheNetworkIsShownAsText)
{
    chatrecieved("3+Ann chats: <b>bold</b> &amp; <img src=x>|clBlack");
    EXPECT_EQ(view()->plainText(), "Ann chats:  <b>bold</b> &amp; <img src=x> ");
}

TEST_F(ChatFixture, BadLineNumbersShowNothing)
{
    for (const char *line : {"10+x", "-1+x", "a+x", "+x", "no plus at all", "99999999999+x"})
        chat->addlinetochat(QString::fromLatin1(line), 0);
    chatrecieved("12+Eve chats: hi|clRed");
    EXPECT_EQ(view()->itemCount(), 0);
    chat->addlinetochat("9+ok", 0);
    EXPECT_EQ(items().first(), "| @14");
}

TEST_F(ChatFixture, ScrollChatOffKeepsTheViewWhereTheUserLeftIt)
{
    board->show();
    for (int i = 0; i < 60; ++i)
        chat->addlinetochat(QStringLiteral("1+A: line %1").arg(i), 0);
    QScrollBar *bar = view()->verticalScrollBar();
    ASSERT_GT(bar->maximum(), 0);
    EXPECT_EQ(bar->value(), bar->maximum());

    QAction *menuItem = board->findChild<QAction *>("ScrollChatOff2");
    ASSERT_NE(menuItem, nullptr);
    menuItem->trigger();
    EXPECT_TRUE(chat->scrollChatOff());
    EXPECT_TRUE(board->findChild<QAction *>("ScrollChatOff1")->isChecked());
    bar->setValue(10);
    const int before = bar->maximum();
    chat->addlinetochat("1+A: new", 0);
    EXPECT_GT(bar->maximum(), before);
    EXPECT_EQ(bar->value(), 10);

    board->findChild<QAction *>("ScrollChatOff1")->trigger();
    EXPECT_FALSE(chat->scrollChatOff());
    EXPECT_FALSE(menuItem->isChecked());
    chat->addlinetochat("1+A: newer", 0);
    EXPECT_EQ(bar->value(), bar->maximum());
}

// A host may relay a line of 128 KiB: the view shows its start and an ellipsis,
// cut at a blank when one is near, never inside a link or a character written
// with two code units.
TEST_F(ChatFixture, AVeryLongLineShowsItsStart)
{
    const QString emoji = QStringLiteral("\U0001F600");
    const struct
    {
        QString body;
        QString shownEnd;
    } cases[] = {
        {QString(128 * 1024, 'w'), "ww \u2026"},
        {QStringLiteral("w ").repeated(64 * 1024), "w w \u2026"},
        {QString(ChatPanel::kLongestLine - 10, 'a') + " www.example.com/page", "aa \u2026"},
        // After "1+", the cut falls after the first emoji, or inside it.
        {QString(ChatPanel::kLongestLine - 4, 'w') + emoji + emoji, "w" + emoji + " \u2026"},
        {QString(ChatPanel::kLongestLine - 3, 'w') + emoji + emoji, "ww \u2026"},
        {QString(ChatPanel::kLongestLine - 2, 'w'), "ww"},
    };
    for (const auto &c : cases) {
        chat->ClearMainChat1Click();
        chat->addlinetochat("1+" + c.body, 0);
        const QString shown = view()->plainText();
        EXPECT_LE(shown.size(), ChatPanel::kLongestLine + 2);
        EXPECT_TRUE(shown.trimmed().endsWith(c.shownEnd)) << shown.right(8).toStdString();
        EXPECT_TRUE(chat->linkTargets().isEmpty());
    }
}

// The view's menu offers the author item for the line under the pointer: a
// line keeps the author it was added with, and a line the pane refuses does
// not give its author to the line before.
TEST_F(ChatFixture, TheMenuOffersTheItemForTheAuthorOfTheLineUnderThePointer)
{
    QStringList chosen;
    chat->setAuthorItemText(
        [](const QString &author) { return author == "Quiet" ? QString() : "Mute " + author; });
    QObject::connect(chat, &ChatPanel::authorItemChosen, [&](const QString &a) { chosen << a; });
    chat->addlinetochat("0+Bob is Connected.", 0);
    chatrecieved("2+Bob chats: hi|clRed");
    chat->chatrecieved(2, "Bob chats: again|clRed", "Bob");
    chat->chatrecieved(12, "Eve chats: x|clRed", "Eve"); // no such line number
    chat->addlinetochat("3+Quiet waves", 0, "Quiet");
    chat->addlinetochat("4+Dan chats: <b>x</b>", 0, "Dan & <b>x</b>");
    const QString below[] = {"", "", "Mute Bob", "", "Mute Dan & <b>x</b>", ""};
    ASSERT_EQ(view()->paragraphCount(), 5);
    for (int p = 0; p <= 5; ++p) {
        const QRect line =
            p < 5 ? view()->paragraphRect(p) : view()->paragraphRect(4).translated(0, 40);
        chat->prepareMainchatMenu(line.center());
        EXPECT_EQ(chat->authorItem()->text(), below[p]) << p;
        EXPECT_EQ(chat->authorItem()->isVisible(), !below[p].isEmpty()) << p;
        EXPECT_EQ(chat->authorItem()->isEnabled(), !below[p].isEmpty()) << p;
        chat->authorItem()->trigger();
    }
    EXPECT_EQ(chosen, (QStringList{"Bob", "Dan & <b>x</b>"}));
    chat->ClearMainChat1Click();
    chat->prepareMainchatMenu(QPoint(10, 5));
    EXPECT_FALSE(chat->authorItem()->isVisible());
}
