#include "chat/namelabel.h"
#include "tally/lzrw1.h"
#include "tally/tallyfile.h"
#include "tally/tallylist.h"

#include "tests/common/test_support.h"
#include "tests/tally/qstringprinter.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>

namespace {

struct ScriptedPrompts : TallyPrompts
{
    bool confirm(QWidget *, const QString &question) override
    {
        questions << question;
        return answer;
    }
    void showError(QWidget *, const QString &message) override { errors << message; }

    bool answer = true;
    QStringList questions;
    QStringList errors;
};

// Seat 1 is the user; partner Cid at seat 3, opponents Bob and Dee.
const SeatNames kTable{"", "You", "Bob", "Cid", "Dee"};

class TallyWindow : public ::testing::Test
{
protected:
    void SetUp() override { open(); }

    void open()
    {
        m_window = std::make_unique<Ttallylist>();
        auto prompts = std::make_unique<ScriptedPrompts>();
        m_prompts = prompts.get();
        m_window->setPrompts(std::move(prompts));
        m_window->load(m_dir.path());
    }

    // Saves as at program end and starts the program again.
    void restart()
    {
        ASSERT_TRUE(m_window->save());
        open();
    }

    QListWidget *list(const char *name) { return m_window->findChild<QListWidget *>(name); }
    QString text(const QString &name)
    {
        const QLabel *label = m_window->findChild<QLabel *>(name);
        return label ? label->text() : QStringLiteral("<missing>");
    }
    QStringList entries(const char *name, bool checkedOnly = false)
    {
        QStringList out;
        QListWidget *l = list(name);
        for (int i = 0; i < l->count(); ++i)
            if (!checkedOnly || l->item(i)->checkState() == Qt::Checked)
                out << l->item(i)->text();
        return out;
    }
    // Ticks a player's box in "Players In Current Game".
    void follow(const QString &name)
    {
        QListWidget *l = list("checklist");
        for (int i = 0; i < l->count(); ++i)
            if (l->item(i)->text() == name)
                l->item(i)->setCheckState(Qt::Checked);
    }
    // Clears a followed player's box and lets the window answer it.
    void unfollow(const QString &name)
    {
        QListWidget *l = list("listbox_tally");
        for (int i = 0; i < l->count(); ++i)
            if (l->item(i)->text() == name) {
                l->item(i)->setCheckState(Qt::Unchecked);
                break;
            }
        QCoreApplication::processEvents();
    }
    std::vector<int> row(const QString &name)
    {
        const TallyTable &t = m_window->stringgrid_scores();
        for (int r = 1; r < t.rowCount(); ++r)
            if (t.cell(0, r) == name) {
                std::vector<int> out;
                for (int c = 1; c < TallyTable::kColumns; ++c)
                    out.push_back(t.number(c, r));
                return out;
            }
        return {};
    }
    QString tallyPath() const { return QDir(m_dir.path()).filePath("Spadestally.tld"); }

    QTemporaryDir m_dir;
    std::unique_ptr<Ttallylist> m_window;
    ScriptedPrompts *m_prompts = nullptr;
};

TEST_F(TallyWindow, FirstRunShowsZeroAndOnlyTheCurrentPlayers)
{
    EXPECT_EQ(m_window->windowTitle(), "Spades - Tally List");
    EXPECT_EQ(m_window->size(), QSize(475, 347));
    EXPECT_TRUE(m_prompts->errors.isEmpty());
    m_window->viewTally(2, {"", "You", "Me", "<Waiting>", "Computer 4"});
    EXPECT_TRUE(m_window->isVisible());
    for (const char *name : {"mylabel_1", "mylabel_2", "label_1", "label_8"})
        EXPECT_EQ(text(name), "0") << name;
    EXPECT_EQ(text("label_hisname"), "XX Wins:");
    for (QLabel *label : m_window->findChildren<QLabel *>()) {
        if (!label->wordWrap()) {
            EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), label->width())
                << label->text().toStdString();
        }
    }
    EXPECT_EQ(entries("checklist"), (QStringList{"You", "Computer 4"}));
    EXPECT_TRUE(entries("checklist", true).isEmpty());
    EXPECT_TRUE(entries("listbox_tally").isEmpty());
    m_window->findChild<QPushButton *>("button_done")->click();
    EXPECT_FALSE(m_window->isVisible());
}

TEST_F(TallyWindow, WonAndLostGamesCreditThePlayersPresent)
{
    m_window->viewTally(1, kTable);
    for (const QString name : {"Bob", "Cid", "Dee"})
        follow(name);
    EXPECT_EQ(entries("listbox_tally", true), (QStringList{"Bob", "Cid", "Dee"}));
    EXPECT_EQ(entries("checklist", true), (QStringList{"Bob", "Cid", "Dee"}));

    m_window->addgame("addtomine", 1, kTable); // Team Blue: the user and Cid
    EXPECT_EQ(text("mylabel_1"), "1");
    EXPECT_EQ(text("mylabel_2"), "1");
    for (const QString name : {"Bob", "Cid", "Dee"})
        EXPECT_EQ(row(name), (std::vector<int>{1, 0, 1, 0, 1, 0, 1, 0})) << name.toStdString();

    m_window->addgame("Team Red", 1, kTable); // Team Red: Bob and Dee
    EXPECT_EQ(text("mylabel_1"), "2");
    EXPECT_EQ(text("mylabel_2"), "1");
    for (const QString name : {"Bob", "Cid", "Dee"})
        EXPECT_EQ(row(name), (std::vector<int>{2, 0, 1, 1, 2, 0, 1, 1})) << name.toStdString();

    list("listbox_tally")->setCurrentRow(1);
    EXPECT_EQ(text("label_hisnametop"), "Cid's Tally");
    EXPECT_EQ(text("label_hisname"), "Cid Wins:");
    EXPECT_EQ(text("label_1"), "2");
    EXPECT_EQ(text("label_3"), "1");
    EXPECT_EQ(text("label_8"), "1");
    // The shown player follows new games at once.
    m_window->addgame("addtomine", 1, kTable);
    EXPECT_EQ(text("label_1"), "3");
}

// Names come from the network: a name that is markup is shown as it is, and
// one too long for its place shows its start, an ellipsis and the words after it.
TEST_F(TallyWindow, AMarkupOrOverlongNameIsShownAsTextThatFits)
{
    const QString evil = R"(<img src="x"><b>Eve</b>)" + QString(40, QLatin1Char('W'));
    m_window->viewTally(1, {"", "You", evil, "Cid", "Dee"});
    follow(evil);
    list("listbox_tally")->setCurrentRow(0);
    for (const char *name : {"label_hisnametop", "label_hisname"}) {
        auto *label = m_window->findChild<NameLabel *>(name);
        ASSERT_NE(label, nullptr) << name;
        EXPECT_TRUE(label->wholeText().startsWith(evil)) << name;
        EXPECT_TRUE(label->text().startsWith("<img")) << name;
        EXPECT_TRUE(label->text().contains(QChar(0x2026))) << name;
        EXPECT_TRUE(
            label->text().endsWith(name == std::string("label_hisname") ? " Wins:" : "'s Tally"));
        EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), label->width()) << name;
    }
    for (const QLabel *label : m_window->findChildren<QLabel *>())
        EXPECT_TRUE(label->textFormat() == Qt::PlainText || !Qt::mightBeRichText(label->text()))
            << label->objectName().toStdString();
}

TEST_F(TallyWindow, AbsentPlayersAreNotTouched)
{
    m_window->viewTally(1, kTable);
    follow("Bob");
    // Bob has left; Eve sits in his place.
    m_window->addgame("Team Red", 1, {"", "You", "Eve", "Cid", "Dee"});
    EXPECT_EQ(row("Bob"), std::vector<int>(8, 0));
    EXPECT_EQ(text("mylabel_1"), "1");
    EXPECT_EQ(text("mylabel_2"), "0");
}

TEST_F(TallyWindow, TotalsSurviveARestartAndTheSessionStartsAfresh)
{
    m_window->viewTally(3, kTable);
    follow("You");
    follow("Dee");
    m_window->addgame("addtomine", 3, kTable);
    m_window->addgame("addtomine", 3, kTable);
    restart();
    EXPECT_TRUE(m_prompts->errors.isEmpty());
    EXPECT_EQ(entries("listbox_tally", true), (QStringList{"You", "Dee"}));
    EXPECT_EQ(text("mylabel_1"), "2");
    EXPECT_EQ(text("mylabel_2"), "2");
    EXPECT_EQ(row("Dee"), (std::vector<int>{2, 0, 2, 0, 0, 0, 0, 0}));
    // No scratch file is left beside the tally.
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files), QStringList{"Spadestally.tld"});
}

TEST_F(TallyWindow, TheFileHoldsTheTableTextCompressed)
{
    m_window->viewTally(1, kTable);
    follow("Bob");
    m_window->addgame("Team Red", 1, kTable);
    ASSERT_TRUE(m_window->save());
    QTemporaryDir out;
    Tlzrw1 doit;
    doit.InputFile = tallyPath();
    doit.OutputFile = out.filePath("text");
    doit.Decompress();
    QFile f(doit.OutputFile);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), m_window->stringgrid_scores().toText());
}

TEST_F(TallyWindow, ResetAsksZeroesAndKeepsListAndRowsInStep)
{
    m_window->viewTally(1, kTable);
    follow("Bob");
    follow("Cid");
    m_window->addgame("addtomine", 1, kTable);
    list("listbox_tally")->setCurrentRow(0);

    m_prompts->answer = false;
    m_window->findChild<QPushButton *>("button_reset")->click();
    EXPECT_EQ(m_prompts->questions.last(), "Are you sure you want to reset the Tally?");
    EXPECT_EQ(text("mylabel_1"), "1");
    EXPECT_EQ(entries("listbox_tally").size(), 2);

    m_prompts->answer = true;
    m_window->findChild<QPushButton *>("button_reset")->click();
    for (const char *name : {"mylabel_1", "mylabel_2", "label_1", "label_3", "label_5"})
        EXPECT_EQ(text(name), "0") << name;
    EXPECT_TRUE(entries("listbox_tally").isEmpty());
    EXPECT_EQ(m_window->stringgrid_scores().rowCount(), 1);
    EXPECT_TRUE(entries("checklist", true).isEmpty());
    EXPECT_EQ(text("label_hisnametop"), "XX's Tally");

    // A player followed after the reset gets his own row, not a stale one.
    follow("Dee");
    m_window->addgame("Team Red", 1, kTable);
    EXPECT_EQ(row("Dee"), (std::vector<int>{1, 0, 0, 1, 1, 0, 0, 1}));
    EXPECT_EQ(row("Bob"), std::vector<int>{});

    restart();
    EXPECT_EQ(text("mylabel_1"), "1");
    EXPECT_EQ(entries("listbox_tally"), QStringList{"Dee"});
}

TEST_F(TallyWindow, ResetWithNoPlayersZeroesTheOwnRecordOnDisk)
{
    m_window->addgame("addtomine", 2, kTable);
    restart();
    EXPECT_EQ(text("mylabel_2"), "1");
    m_window->findChild<QPushButton *>("button_reset")->click();
    restart();
    EXPECT_EQ(text("mylabel_1"), "0");
    EXPECT_EQ(text("mylabel_2"), "0");
}

TEST_F(TallyWindow, RemovingAPlayerAsksFirst)
{
    m_window->viewTally(1, kTable);
    follow("Bob");
    m_prompts->answer = false;
    unfollow("Bob");
    EXPECT_EQ(m_prompts->questions.last(),
              "This will delete Bob's Tally, Are you want to delete it?");
    EXPECT_EQ(entries("listbox_tally", true), QStringList{"Bob"});
    EXPECT_EQ(m_window->stringgrid_scores().rowCount(), 2);

    m_prompts->answer = true;
    unfollow("Bob");
    EXPECT_TRUE(entries("listbox_tally").isEmpty());
    EXPECT_EQ(m_window->stringgrid_scores().rowCount(), 1);
    EXPECT_TRUE(entries("checklist", true).isEmpty());
    restart();
    EXPECT_TRUE(entries("listbox_tally").isEmpty());
    EXPECT_EQ(m_window->stringgrid_scores().rowCount(), 1);
}

TEST_F(TallyWindow, RemovingAMiddlePlayerMovesTheOthersUp)
{
    m_window->viewTally(1, kTable);
    follow("Bob");
    follow("Cid");
    follow("Dee");
    m_window->addgame("addtomine", 1, kTable);
    m_window->addgame("addtomine", 1, {"", "You", "Bob", "<Waiting>", "Dee"});
    list("listbox_tally")->setCurrentRow(1);
    EXPECT_EQ(text("label_hisnametop"), "Cid's Tally");
    unfollow("Cid");
    // The panel never goes on showing a player who is gone.
    EXPECT_NE(text("label_hisnametop"), "Cid's Tally");
    EXPECT_EQ(entries("listbox_tally"), (QStringList{"Bob", "Dee"}));
    EXPECT_EQ(row("Dee")[0], 2);
    list("listbox_tally")->setCurrentRow(1);
    EXPECT_EQ(text("label_hisnametop"), "Dee's Tally");
    EXPECT_EQ(text("label_1"), "2");
}

TEST_F(TallyWindow, AFollowedPlayerStaysFollowedWhenHisBoxIsCleared)
{
    m_window->viewTally(1, kTable);
    follow("Bob");
    list("checklist")->item(0)->setCheckState(Qt::Unchecked);
    EXPECT_EQ(entries("listbox_tally"), QStringList{"Bob"});
    EXPECT_EQ(entries("checklist", true), QStringList{"Bob"});
}

QByteArray compressed(const QByteArray &text)
{
    QTemporaryDir scratch;
    QFile plain(scratch.filePath("t"));
    EXPECT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.write(text);
    plain.close();
    Tlzrw1 doit;
    doit.InputFile = plain.fileName();
    doit.OutputFile = scratch.filePath("t.tld");
    doit.Compress();
    QFile packed(doit.OutputFile);
    EXPECT_TRUE(packed.open(QIODevice::ReadOnly));
    return packed.readAll();
}

// A damaged tally is said once, kept beside under a name of its own, and a
// new tally takes its place; a second damaged one never replaces the first.
TEST_F(TallyWindow, ADamagedTallyIsKeptAsideAndANewOneStarted)
{
    const struct
    {
        QByteArray bytes;
        QString error;
    } cases[] = {
        {"not a tally at all",
         tallyPath() + " : Lzrw1 decompression : this file has no valid header !"},
        {QByteArray::fromHex("57525a4c0500"),
         "Lzrw1 : Error reading from input file : " + tallyPath()},
        {compressed("9\r\n5\r\n0\r\n"),
         "The tally file " + tallyPath() + " does not hold a tally."},
    };
    const QStringList kept = {m_dir.filePath("Spadestally-damaged.tld"),
                              m_dir.filePath("Spadestally-damaged-2.tld"),
                              m_dir.filePath("Spadestally-damaged-3.tld")};
    for (int i = 0; i < 3; ++i) {
        QFile f(tallyPath());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(cases[i].bytes);
        f.close();
        open();
        ASSERT_EQ(m_prompts->errors.size(), 1);
        EXPECT_EQ(m_prompts->errors.first(), "Your tally was damaged. It has been set aside as " +
                                                 kept[i] + " and a new tally is started." +
                                                 "\n\nWhat went wrong: " + cases[i].error);
        EXPECT_FALSE(m_window->loadFailed());
        EXPECT_EQ(text("mylabel_1"), "0");
        for (int k = 0; k <= i; ++k) {
            QFile aside(kept[k]);
            ASSERT_TRUE(aside.open(QIODevice::ReadOnly));
            EXPECT_EQ(aside.readAll(), cases[k].bytes);
        }
        m_window->addgame("addtomine", 1, kTable);
        restart();
        EXPECT_TRUE(m_prompts->errors.isEmpty());
        EXPECT_EQ(text("mylabel_1"), "1");
    }
}

// A tally that cannot be reached at all is neither moved nor written over.
TEST_F(TallyWindow, AnUnreadableTallyIsLeftAsItIs)
{
    ASSERT_TRUE(QDir().mkpath(tallyPath()));
    open();
    ASSERT_EQ(m_prompts->errors.size(), 1);
    EXPECT_TRUE(m_prompts->errors.first().startsWith(
        "Your tally " + tallyPath() +
        " could not be read. It is left as it is, and nothing is written to it until Spades "
        "starts again.\n\nWhat went wrong: "))
        << m_prompts->errors.first().toStdString();
    EXPECT_TRUE(m_window->loadFailed());
    m_window->addgame("addtomine", 1, kTable);
    EXPECT_FALSE(m_window->save());
    EXPECT_TRUE(QFileInfo(tallyPath()).isDir());
}

TEST_F(TallyWindow, AFailedSaveReportsFalseAndLeavesNothingBehind)
{
    m_window->addgame("addtomine", 1, kTable);
    ASSERT_TRUE(m_window->save());
    QFile::remove(tallyPath());
    ASSERT_TRUE(QDir(m_dir.path()).rmdir(m_dir.path()));
    EXPECT_FALSE(m_window->save());
    EXPECT_FALSE(QFile::exists(tallyPath()));
}

TEST(TallyFile, WriteReplacesTheFileWhole)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(tallyfile::kFileName);
    TallyTable first;
    first.addPlayer("Ann");
    ASSERT_TRUE(tallyfile::write(path, first));
    TallyTable second;
    second.addOwnGame(true);
    ASSERT_TRUE(tallyfile::write(path, second));
    QString error;
    const std::optional<TallyTable> back = tallyfile::read(path, &error);
    ASSERT_TRUE(back) << error.toStdString();
    EXPECT_EQ(back->toText(), second.toText());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{tallyfile::kFileName});
}

} // namespace
