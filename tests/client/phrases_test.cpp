#include "client/phrasebuttons.h"
#include "client/tphrases.h"
#include "platform/inifile.h"
#include "tests/common/test_support.h"

#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

struct PhraseFixture : ::testing::Test
{
    QWidget board;
    PhraseButtons *buttons;
    QStringList sent;
    bool sendWorks = true;

    explicit PhraseFixture(int restMs = 60 * 60 * 1000) : buttons(new PhraseButtons(&board, restMs))
    {
        board.resize(768, 483);
        buttons->setSendAction([this](const QString &text) {
            if (sendWorks)
                sent << text;
            return sendWorks;
        });
        board.show();
    }
    void click(int n) { QTest::mouseClick(buttons->button(n), Qt::LeftButton); }
};

TEST_F(PhraseFixture, ButtonsSitAboveTheChatWithTheirPhrases)
{
    const int lefts[] = {478, 505, 531, 558, 585, 611, 638, 665, 691};
    for (int n = 1; n <= 9; ++n) {
        auto *b = board.findChild<QToolButton *>(QStringLiteral("b_phrase%1").arg(n));
        ASSERT_NE(b, nullptr) << n;
        EXPECT_EQ(b->geometry(), QRect(lefts[n - 1], 147, 25, 19)) << n;
        EXPECT_EQ(b->toolTip(), PhraseButtons::designedPhrases()[n - 1]);
    }
    EXPECT_EQ(buttons->phrase(1), "Way To Go!");
    EXPECT_EQ(buttons->phrase(9), "Good Game Everyone!");
    EXPECT_EQ(buttons->phrase(10), "");
}

TEST(PhraseText, MeOnlyWithABlank)
{
    const struct
    {
        const char *phrase, *action;
    } cases[] = {{"Way To Go!", "says: Way To Go!"},
                 {"/me waves", "waves"},
                 {"/mewaves", "says: /mewaves"},
                 {"/me ", ""},
                 {"", "says: "},
                 {"I say /me waves", "says: I say /me waves"}};
    for (const auto &c : cases)
        EXPECT_EQ(PhraseButtons::actionText(c.phrase), c.action) << c.phrase;
}

TEST_F(PhraseFixture, QuickSecondClickIsIgnored)
{
    buttons->setPhrase(4, "/me waves");
    click(4);
    click(2);
    click(4);
    EXPECT_EQ(sent, QStringList{"waves"});
    EXPECT_FALSE(buttons->isReady());
}

TEST_F(PhraseFixture, FailedSendKeepsTheButtonsReady)
{
    sendWorks = false;
    click(1);
    EXPECT_TRUE(buttons->isReady());
    sendWorks = true;
    click(3);
    EXPECT_EQ(sent, QStringList{"says: Nice Try!"});
}

TEST_F(PhraseFixture, StoredPhrasesReplaceOnlyWhenNotEmpty)
{
    std::array<QString, 9> stored;
    stored[0] = "Yay";
    stored[8] = "/me bows";
    buttons->applyStored(stored);
    const auto now = buttons->phrases();
    EXPECT_EQ(now[0], "Yay");
    EXPECT_EQ(now[2], "Nice Try!");
    EXPECT_EQ(now[8], "/me bows");
}

struct ShortRestFixture : PhraseFixture
{
    ShortRestFixture() : PhraseFixture(30) {}
};

TEST_F(ShortRestFixture, ButtonsWakeUpAfterTheRest)
{
    click(1);
    click(2);
    EXPECT_EQ(sent.size(), 1);
    ASSERT_TRUE(testsupport::waitUntil([this] { return buttons->isReady(); }));
    click(2);
    EXPECT_EQ(sent, QStringList({"says: Way To Go!", "says: Good One!"}));
}

struct EditorFixture : PhraseFixture
{
    QTemporaryDir dir;
    QString path = dir.filePath("velnorlobby.ini");
    Tphrases editor{buttons, &board};
    QStringList errors;

    EditorFixture()
    {
        editor.setSettingsFile(SettingsFile(path));
        editor.setErrorReport([this](const QString &e) { errors << e; });
    }
    QLineEdit *field(int n)
    {
        return editor.findChild<QLineEdit *>(QStringLiteral("phrase%1").arg(n));
    }
    void done()
    {
        QTest::mouseClick(editor.findChild<QPushButton *>("button_done"), Qt::LeftButton);
    }
};

TEST_F(EditorFixture, OpensWithTheButtonsPhrases)
{
    EXPECT_EQ(editor.windowTitle(), "Spades - Phrase Buttons ");
    EXPECT_EQ(field(4)->text(), "Good one!");
    EXPECT_EQ(field(4)->maxLength(), 50);
    buttons->setPhrase(4, "Hm");
    editor.PrhaseList1Click();
    EXPECT_TRUE(editor.isVisible());
    for (int n = 1; n <= 9; ++n)
        EXPECT_EQ(field(n)->text(), buttons->phrase(n)) << n;
}

// Phrases the player left alone keep what the file holds, even when the
// buttons have not been given the stored phrases yet.
TEST_F(EditorFixture, DoneStoresTheChangedPhrases)
{
    QFile existing(path);
    ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
    existing.write("[Other]\r\nKeep=1\r\n[Spades]\r\nTop=10\r\nPhrase9=Stored\r\n");
    existing.close();

    editor.PrhaseList1Click();
    field(2)->setText("/me cheers");
    field(3)->clear();
    done();
    EXPECT_FALSE(editor.isVisible());
    EXPECT_TRUE(errors.isEmpty());
    EXPECT_EQ(buttons->phrase(2), "/me cheers");
    EXPECT_EQ(buttons->phrase(3), "");

    const IniFile file = IniFile::load(path);
    EXPECT_EQ(file.value("Spades", "Phrase2"), "/me cheers");
    EXPECT_EQ(file.value("Spades", "Phrase3"), "");
    EXPECT_EQ(file.value("Spades", "Phrase9"), "Stored");
    EXPECT_EQ(file.value("Spades", "Phrase1"), std::nullopt);
    EXPECT_EQ(file.value("Spades", "Top"), "10");
    EXPECT_EQ(file.value("Other", "Keep"), "1");

    click(3);
    EXPECT_EQ(sent, QStringList{"says: "});
}

TEST_F(EditorFixture, ClosingByTheFrameDiscardsEdits)
{
    editor.PrhaseList1Click();
    field(1)->setText("Changed");
    editor.close();
    EXPECT_EQ(buttons->phrase(1), "Way To Go!");
    EXPECT_FALSE(QFile::exists(path));
    editor.PrhaseList1Click();
    EXPECT_EQ(field(1)->text(), "Way To Go!");
}

TEST_F(EditorFixture, FailedWriteIsReported)
{
    QFile blocker(dir.filePath("notafolder"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const QString bad = dir.filePath("notafolder/velnorlobby.ini");
    editor.setSettingsFile(SettingsFile(bad));
    editor.PrhaseList1Click();
    field(1)->setText("Still applied");
    done();
    EXPECT_EQ(errors, QStringList{"Unable to write to " + bad});
    EXPECT_EQ(buttons->phrase(1), "Still applied");
    EXPECT_FALSE(editor.isVisible());
}

} // namespace
