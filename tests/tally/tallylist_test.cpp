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

#include <functional>

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
const QString kWon = "addtomine";
const QString kLost = "Team Red";

QByteArray lzrw1(const QString &from, const QString &to, bool compress)
{
    Tlzrw1 doit;
    doit.InputFile = from;
    doit.OutputFile = to;
    compress ? doit.Compress() : doit.Decompress();
    QFile out(to);
    EXPECT_TRUE(out.open(QIODevice::ReadOnly)) << to.toStdString();
    return out.readAll();
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

QByteArray compressed(const QByteArray &text)
{
    QTemporaryDir scratch;
    EXPECT_TRUE(writeFile(scratch.filePath("t"), text));
    return lzrw1(scratch.filePath("t"), scratch.filePath("t.tld"), true);
}

class TallyWindow : public ::testing::Test
{
protected:
    void SetUp() override { fresh(); }

    // A first run in an empty folder.
    void fresh()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        open();
    }
    void open()
    {
        m_window = std::make_unique<Ttallylist>();
        auto prompts = std::make_unique<ScriptedPrompts>();
        m_prompts = prompts.get();
        m_window->setPrompts(std::move(prompts));
        m_window->load(m_dir->path());
    }
    // Saves as at program end and starts the program again.
    void restart()
    {
        ASSERT_TRUE(m_window->save());
        open();
    }
    // Shows the tally at `seat` and ticks the players' boxes in "Players In Current Game".
    void view(const QStringList &followed, int seat = 1, const SeatNames &table = kTable)
    {
        m_window->viewTally(seat, table);
        QListWidget *l = list("checklist");
        for (int i = 0; i < l->count(); ++i)
            if (followed.contains(l->item(i)->text()))
                l->item(i)->setCheckState(Qt::Checked);
    }
    // Clears a followed player's box and lets the window answer it.
    void unfollow(const QString &name)
    {
        const auto items = list("listbox_tally")->findItems(name, Qt::MatchExactly);
        if (!items.isEmpty())
            items.first()->setCheckState(Qt::Unchecked);
        QCoreApplication::processEvents();
    }
    void click(const char *name) { m_window->findChild<QPushButton *>(name)->click(); }

    QListWidget *list(const char *name) { return m_window->findChild<QListWidget *>(name); }
    QString text(const QString &name)
    {
        const QLabel *label = m_window->findChild<QLabel *>(name);
        return label ? label->text() : QStringLiteral("<missing>");
    }
    // The texts of the labels named, separated by '|'.
    QString texts(const QString &names)
    {
        QStringList out;
        for (const QString &name : names.split(' '))
            out << text(name);
        return out.join('|');
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
    // The numbers of a player's row, or nothing without one.
    QString row(const QString &name)
    {
        const TallyTable &t = m_window->stringgrid_scores();
        QStringList numbers;
        for (int r = 1; r < t.rowCount(); ++r)
            for (int c = 1; c < TallyTable::kColumns && t.cell(0, r) == name; ++c)
                numbers << QString::number(t.number(c, r));
        return numbers.join(' ');
    }
    int rows() { return m_window->stringgrid_scores().rowCount(); }
    QString tallyPath() const { return m_dir->filePath("Spadestally.tld"); }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<Ttallylist> m_window;
    ScriptedPrompts *m_prompts = nullptr;
};

TEST_F(TallyWindow, FirstRunShowsZeroAndOnlyTheCurrentPlayers)
{
    EXPECT_EQ(m_window->windowTitle(), "Spades - Tally List");
    EXPECT_EQ(m_window->size(), QSize(475, 347));
    EXPECT_TRUE(m_prompts->errors.isEmpty());
    view({}, 2, {"", "You", "Me", "<Waiting>", "Computer 4"});
    EXPECT_TRUE(m_window->isVisible());
    EXPECT_EQ(texts("mylabel_1 mylabel_2 label_1 label_8 label_hisname"), "0|0|0|0|XX Wins:");
    for (QLabel *label : m_window->findChildren<QLabel *>()) {
        if (!label->wordWrap()) {
            EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), label->width())
                << label->text().toStdString();
        }
    }
    EXPECT_EQ(entries("checklist"), (QStringList{"You", "Computer 4"}));
    EXPECT_TRUE(entries("checklist", true).isEmpty());
    EXPECT_TRUE(entries("listbox_tally").isEmpty());
    click("button_done");
    EXPECT_FALSE(m_window->isVisible());
}

// Every game counts for the user and for each followed player sitting at the
// table, and the totals come back from the file on the next start.
TEST_F(TallyWindow, GamesCreditThePlayersPresentAndSurviveARestart)
{
    const SeatNames bobGone{"", "You", "Eve", "Cid", "Dee"};
    const struct
    {
        const char *name;
        int seat;
        const SeatNames &table;
        const char *followed;
        const char *games; // W won, L lost by the user's team
        const char *playedWon;
        const char *checked;
        const char *row;
    } cases[] = {
        {"won", 1, kTable, "Bob Cid Dee", "W", "1|1", "Bob Cid Dee", "1 0 1 0 1 0 1 0"},
        {"won and lost", 1, kTable, "Bob Cid Dee", "WL", "2|1", "Bob Cid Dee", "2 0 1 1 2 0 1 1"},
        {"an absent player", 1, bobGone, "Bob", "L", "1|0", "Bob", "0 0 0 0 0 0 0 0"},
        {"from seat 3", 3, kTable, "You Dee", "WW", "2|2", "Dee", "2 0 2 0 2 0 2 0"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        fresh();
        const QStringList followed = QString(c.followed).split(' ');
        view(followed, c.seat);
        // A followed player stays followed when his box among the current players is cleared.
        list("checklist")->item(0)->setCheckState(Qt::Unchecked);
        EXPECT_EQ(entries("checklist", true), followed);
        for (const QChar game : QString(c.games))
            m_window->addgame(game == 'W' ? kWon : kLost, c.seat, c.table);
        for (const bool restarted : {false, true}) {
            SCOPED_TRACE(restarted ? "after a restart" : "before a restart");
            EXPECT_TRUE(m_prompts->errors.isEmpty());
            EXPECT_EQ(entries("listbox_tally", true), followed);
            EXPECT_EQ(texts("mylabel_1 mylabel_2"), c.playedWon);
            for (const QString &name : QString(c.checked).split(' '))
                EXPECT_EQ(row(name), restarted ? QString(c.row).left(7) + " 0 0 0 0" : c.row)
                    << name.toStdString();
            restart();
        }
        // The file holds the table text compressed, and no scratch file is left beside it.
        EXPECT_EQ(lzrw1(tallyPath(), m_dir->filePath("text"), false),
                  m_window->stringgrid_scores().toText());
        QFile::remove(m_dir->filePath("text"));
        EXPECT_EQ(QDir(m_dir->path()).entryList(QDir::Files), QStringList{"Spadestally.tld"});
    }
}

// The panel shows the chosen player, follows new games at once, and never
// goes on showing a player who is gone; the others move up.
TEST_F(TallyWindow, TheShownPlayerFollowsGamesAndRemovalsMoveTheOthersUp)
{
    view({"Bob", "Cid", "Dee"});
    m_window->addgame(kWon, 1, kTable);
    m_window->addgame(kLost, 1, kTable);
    list("listbox_tally")->setCurrentRow(1);
    EXPECT_EQ(texts("label_hisnametop label_hisname label_1 label_3 label_8"),
              "Cid's Tally|Cid Wins:|2|1|1");
    m_window->addgame(kWon, 1, kTable);
    EXPECT_EQ(text("label_1"), "3");
    m_window->addgame(kWon, 1, {"", "You", "Bob", "<Waiting>", "Dee"});
    unfollow("Cid");
    EXPECT_NE(text("label_hisnametop"), "Cid's Tally");
    EXPECT_EQ(entries("listbox_tally"), (QStringList{"Bob", "Dee"}));
    EXPECT_TRUE(row("Dee").startsWith("4 ")) << row("Dee").toStdString();
    list("listbox_tally")->setCurrentRow(1);
    EXPECT_EQ(texts("label_hisnametop label_1"), "Dee's Tally|4");
}

// Names come from the network: a name that is markup is shown as it is, and
// one too long for its place shows its start, an ellipsis and the words after it.
TEST_F(TallyWindow, AMarkupOrOverlongNameIsShownAsTextThatFits)
{
    const QString evil = R"(<img src="x"><b>Eve</b>)" + QString(40, QLatin1Char('W'));
    view({evil}, 1, {"", "You", evil, "Cid", "Dee"});
    list("listbox_tally")->setCurrentRow(0);
    for (const auto &[name, ending] :
         {std::pair{"label_hisnametop", "'s Tally"}, std::pair{"label_hisname", " Wins:"}}) {
        auto *label = m_window->findChild<NameLabel *>(name);
        ASSERT_NE(label, nullptr) << name;
        EXPECT_TRUE(label->wholeText().startsWith(evil)) << name;
        EXPECT_TRUE(label->text().startsWith("<img")) << name;
        EXPECT_TRUE(label->text().contains(QChar(0x2026))) << name;
        EXPECT_TRUE(label->text().endsWith(ending)) << name;
        EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), label->width()) << name;
    }
    for (const QLabel *label : m_window->findChildren<QLabel *>())
        EXPECT_TRUE(label->textFormat() == Qt::PlainText || !Qt::mightBeRichText(label->text()))
            << label->objectName().toStdString();
}

// Reset and removing a player ask first; a yes clears exactly what was asked,
// on disk too, and a player followed afterwards gets a row of his own.
TEST_F(TallyWindow, ResetAndRemovalAskAndKeepListAndRowsInStep)
{
    const struct
    {
        const char *name;
        QStringList followed;
        const char *removed; // none: the reset button
        QStringList left;
        QString played;
    } cases[] = {
        {"reset", {"Bob", "Cid"}, nullptr, {}, "0"},
        {"reset with nobody followed", {}, nullptr, {}, "0"},
        {"removing a player", {"Bob", "Cid"}, "Cid", {"Bob"}, "1"},
        {"removing the only player", {"Cid"}, "Cid", {}, "1"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        fresh();
        view(c.followed);
        m_window->addgame(kWon, 1, kTable);
        list("listbox_tally")->setCurrentRow(0);
        const auto act = [&] { c.removed ? unfollow(c.removed) : click("button_reset"); };

        m_prompts->answer = false;
        act();
        ASSERT_FALSE(m_prompts->questions.isEmpty());
        EXPECT_EQ(
            m_prompts->questions.last(),
            c.removed
                ? QString("This will delete %1's Tally, Are you want to delete it?").arg(c.removed)
                : "Are you sure you want to reset the Tally?");
        EXPECT_EQ(text("mylabel_1"), "1");
        EXPECT_EQ(entries("listbox_tally", true), c.followed);
        EXPECT_EQ(rows(), 1 + c.followed.size());

        m_prompts->answer = true;
        act();
        EXPECT_EQ(entries("checklist", true), c.left);
        if (c.left.isEmpty()) {
            EXPECT_EQ(texts("label_1 label_3 label_5 label_hisnametop"), "0|0|0|XX's Tally");
        }
        for (const bool restarted : {false, true}) {
            SCOPED_TRACE(restarted ? "after a restart" : "before a restart");
            EXPECT_EQ(entries("listbox_tally"), c.left);
            EXPECT_EQ(rows(), 1 + c.left.size());
            EXPECT_EQ(texts("mylabel_1 mylabel_2"), c.played + '|' + c.played);
            restart();
        }
        view({"Dee"});
        m_window->addgame(kLost, 1, kTable);
        EXPECT_EQ(row("Dee"), "1 0 0 1 1 0 0 1");
        EXPECT_EQ(row("Cid"), "");
        restart();
        EXPECT_EQ(entries("listbox_tally"), c.left + QStringList{"Dee"});
        EXPECT_EQ(text("mylabel_1"), QString::number(c.played.toInt() + 1));
    }
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
    const QStringList kept = {m_dir->filePath("Spadestally-damaged.tld"),
                              m_dir->filePath("Spadestally-damaged-2.tld"),
                              m_dir->filePath("Spadestally-damaged-3.tld")};
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(writeFile(tallyPath(), cases[i].bytes));
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
        m_window->addgame(kWon, 1, kTable);
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
    m_window->addgame(kWon, 1, kTable);
    EXPECT_FALSE(m_window->save());
    EXPECT_TRUE(QFileInfo(tallyPath()).isDir());
}

TEST_F(TallyWindow, AFailedSaveReportsFalseAndLeavesNothingBehind)
{
    m_window->addgame(kWon, 1, kTable);
    ASSERT_TRUE(m_window->save());
    QFile::remove(tallyPath());
    ASSERT_TRUE(QDir(m_dir->path()).rmdir(m_dir->path()));
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
