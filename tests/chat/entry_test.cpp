#include "chat_fixture.h"

#include "chat/colourtext.h"

#include <QApplication>
#include <QClipboard>
#include <QMenu>

namespace {

QByteArray terminated(const char *text)
{
    return QByteArray(text) + char(0xFF);
}

} // namespace

TEST_F(ChatFixture, SenditBuildsChatAndActionMessages)
{
    chat->setMySeat(3);
    chat->setLoggedIn(true);
    const struct
    {
        const char *typed;
        QByteArray expected; // empty: nothing is sent
    } cases[] = {
        {"hello there", terminated("CMD_chat+3+hello there|clBlack")},
        {"a+b|c", terminated("CMD_chat+3+a+b|c|clBlack")},
        {"/me waves", terminated("CMD_action+3+waves|clBlack")},
        {"/me", terminated("CMD_action+3+|clBlack")},
        {"/mehi", terminated("CMD_action+3+i|clBlack")},
        {"/who", {}},
        {"/", {}},
        {"", {}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.typed);
        sent.clear();
        chat->mychat()->setText(QString::fromLatin1(c.typed));
        chat->sendit();
        if (c.expected.isEmpty())
            EXPECT_TRUE(sent.isEmpty());
        else
            EXPECT_EQ(sent, QByteArrayList{c.expected});
        EXPECT_TRUE(chat->mychat()->text().isEmpty());
    }
}

TEST_F(ChatFixture, TheOwnColourTravelsWithEveryLineAndNothingBreaksTheMessage)
{
    chat->setMySeat(1);
    chat->setLoggedIn(true);
    chat->setTextColour(0x00123456);
    chat->mychat()->setText(QString::fromUtf8("caf\u00e9 \u00ff \u20ac"));
    chat->sendit();
    ASSERT_EQ(sent.size(), 1);
    // Latin-1 travels as it is; 0xFF would end the message, so it goes as "?".
    EXPECT_EQ(sent[0], terminated("CMD_chat+1+caf\xe9 ? ?|$00123456"));
    EXPECT_EQ(sent[0].count(char(0xFF)), 1);
}

TEST_F(ChatFixture, TypingReplacesThePlaceholderAndEnterSends)
{
    board->show();
    chat->setMySeat(2);
    chat->setLoggedIn(true);
    QLineEdit *entry = chat->mychat();
    entry->setFocus();
    ASSERT_EQ(entry->text(), "<Enter Chat Here>");
    QTest::keyClicks(entry, "hi all");
    EXPECT_EQ(entry->text(), "hi all");
    QTest::keyClick(entry, Qt::Key_Return);
    EXPECT_EQ(sent, QByteArrayList{terminated("CMD_chat+2+hi all|clBlack")});
    EXPECT_TRUE(entry->text().isEmpty());

    entry->setText("<Enter Chat Here>");
    QTest::keyClick(entry, Qt::Key_Return);
    EXPECT_EQ(sent.size(), 1); // the placeholder went away first, leaving nothing to send
}

TEST_F(ChatFixture, PasteAndSmiliesAppendAtTheEnd)
{
    QApplication::clipboard()->setText("PASTED");
    chat->mychat()->setText("abc");
    chat->mychat()->setCursorPosition(1);
    chat->Paste1Click();
    EXPECT_EQ(chat->mychat()->text(), "abcPASTED");
    EXPECT_EQ(chat->mychat()->cursorPosition(), 9);

    chat->mychat()->setText("<Enter Chat Here>");
    chat->MenuItem17Click(12);
    EXPECT_EQ(chat->mychat()->text(), ":)#12");
    chat->popupSmilies()->actions().at(16)->trigger();
    EXPECT_EQ(chat->mychat()->text(), ":)#12:)#26");
    EXPECT_FALSE(chat->mychat()->hasSelectedText());
    EXPECT_EQ(chat->popupSmilies()->actions().size(), 17);
    EXPECT_EQ(chat->popupSmilies()->actions().first()->text(), ":)#10");
}

TEST_F(ChatFixture, CtrlVInTheEntryAppendsTheClipboard)
{
    board->show();
    QApplication::clipboard()->setText("XY");
    chat->mychat()->setFocus();
    chat->mychat()->setText("12345");
    chat->mychat()->setCursorPosition(0);
    QTest::keyClick(chat->mychat(), Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(chat->mychat()->text(), "12345XY");
}

TEST_F(ChatFixture, TextSizeAppliesToTheStylesOfLinesAndStatus)
{
    chat->addlinetochat("2+Ann: www.a.com", 0);
    const int before = view()->linkRect(0).height();
    QAction *n12 = board->findChild<QAction *>("N12");
    ASSERT_NE(n12, nullptr);
    n12->trigger();
    EXPECT_GT(view()->linkRect(0).height(), before) << "older lines laid out again";
    for (int i = 0; i < 15; ++i)
        EXPECT_EQ(view()->style(i).pointSize, 12) << i;
    EXPECT_EQ(view()->style(15).pointSize, 10);
    EXPECT_EQ(chat->textSize(), 12);
    EXPECT_EQ(settingsWritten, 1);
    for (const char *name : {"N8", "N10", "N12", "N14"})
        EXPECT_EQ(board->findChild<QAction *>(name)->isChecked(), QByteArray(name) == "N12");

    chat->setTextSize(9); // a stored size without a menu item
    EXPECT_EQ(chat->textSize(), 9);
    for (const char *name : {"N8", "N10", "N12", "N14"})
        EXPECT_FALSE(board->findChild<QAction *>(name)->isChecked());
    EXPECT_EQ(settingsWritten, 1);
}

TEST_F(ChatFixture, TextColourComesFromThePickerAndColoursTheEntry)
{
    std::optional<quint32> answer = 0x0000FF;
    quint32 offered = 1;
    chat->setColourPicker([&](quint32 current) {
        offered = current;
        return answer;
    });
    board->findChild<QAction *>("TextColor1")->trigger();
    EXPECT_EQ(offered, colourtext::kBlack);
    EXPECT_EQ(chat->textColour(), 0x0000FFu);
    EXPECT_EQ(chat->mychat()->palette().color(QPalette::Text), QColor(255, 0, 0));
    EXPECT_EQ(settingsWritten, 1);

    answer.reset(); // cancelled
    board->findChild<QAction *>("TextColor1")->trigger();
    EXPECT_EQ(chat->textColour(), 0x0000FFu);
    EXPECT_EQ(settingsWritten, 1);
}
