#include "tablefixture.h"

#include "chat/chatpanel.h"
#include "chat/chatview.h"
#include "client/phrasebuttons.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QTest>

TEST_F(TableTest, OptionsMenuHoldsTheSoundAndChatItemsInOrder)
{
    QStringList captions;
    // The captions as shown: a mnemonic's "&" only underlines its letter. A
    // table that does not run the host has no computer players to choose.
    for (QAction *item : table->optionsMenu()->actions()) {
        const QString caption = QString(item->text()).remove(QLatin1Char('&'));
        if (item->isVisible())
            captions << caption;
        if (caption == "Scroll Chat Off") {
            EXPECT_EQ(item->shortcut(), QKeySequence("Ctrl+S"));
        }
    }
    EXPECT_EQ(captions,
              (QStringList{"Play Sounds", "Play Chatter Sounds", "Turn Sound", "Bot Speed",
                           "Text Color", "Text Size", "Scroll Chat Off", "Clear Main Chat",
                           "Reset Screen Location", "Just Watch", "Show Playable Cards",
                           "Ask the Router to Open the Port", "List This Table in Open Tables"}));
    for (const char *name :
         {"TextColor1", "N8", "N10", "N12", "N14", "ScrollChatOff2", "ScrollChatOff1",
          "ClearMainChat1", "PlaySounds1", "PlayChatterSounds1", "Classic1", "New1"})
        EXPECT_NE(table->findChild<QAction *>(name), nullptr) << name;
}

TEST_F(TableTest, RelayedChatAndActionsReachTheView)
{
    login(1);
    ChatView *view = control<ChatView>("mainchat");
    ASSERT_NE(view, nullptr);
    view->window()->show();
    const int before = view->paragraphCount();
    feed({"CMD_chat+2+Bob chats: see www.x.org|clRed", "CMD_action+3+Cy waves|$00FF0000"});
    EXPECT_EQ(view->paragraphCount(), before + 2);
    EXPECT_TRUE(view->plainText().endsWith("Bob chats:  see www.x.org \n Cy waves "))
        << view->plainText().toStdString();
    EXPECT_EQ(view->style(7).colour, QColor(255, 0, 0));
    EXPECT_EQ(view->style(8).colour, QColor(0, 0, 255));
    EXPECT_EQ(view->linkCount(), 1);
}

TEST_F(TableTest, TheEntryFieldSendsThroughTheTableOnlyAfterLogin)
{
    auto *entry = control<QLineEdit>("mychat");
    ASSERT_NE(entry, nullptr);
    entry->setText("too early");
    QTest::keyClick(entry, Qt::Key_Return);
    EXPECT_TRUE(sent.isEmpty());
    EXPECT_EQ(entry->text(), "too early");

    login(2);
    entry->setText("/me deals");
    QTest::keyClick(entry, Qt::Key_Return);
    EXPECT_EQ(sent, QList<QByteArray>{terminated("CMD_action+2+deals|clBlack")});
}

TEST_F(TableTest, ChatAndSoundPreferencesWriteTheSettings)
{
    int writes = 0;
    QObject::connect(table.get(), &Tchat::settingsChanged, [&] { ++writes; });
    table->chatPanel()->setColourPicker([](quint32) { return std::optional<quint32>(0xFF); });
    for (const char *name : {"TextColor1", "N14", "PlaySounds1", "PlayChatterSounds1", "New1"})
        table->findChild<QAction *>(name)->trigger();
    EXPECT_EQ(writes, 5);
    // Scrolling and clearing are not preferences.
    table->findChild<QAction *>("ScrollChatOff2")->trigger();
    table->findChild<QAction *>("ClearMainChat1")->trigger();
    EXPECT_EQ(writes, 5);
}

TEST_F(TableTest, PhrasesTravelInTheOwnColourWithoutATerminatorInside)
{
    login(4);
    table->chatPanel()->setTextColour(0x00AA00);
    table->phraseButtons()->setPhrase(2, QString::fromUtf8("Gr\u00fc\u00df \u00ff"));
    table->phraseButtons()->b_phrase1Click(2);
    EXPECT_EQ(sent, QList<QByteArray>{terminated("CMD_action+4+says: Gr\xfc\xdf ?|$0000AA00")});
}
