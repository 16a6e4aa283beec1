#include "tally/tallytable.h"

#include "tests/tally/qstringprinter.h"

#include <gtest/gtest.h>

namespace {

std::vector<int> counts(const TallyTable &t, int row)
{
    std::vector<int> out;
    for (int c = 1; c < TallyTable::kColumns; ++c)
        out.push_back(t.number(c, row));
    return out;
}

TEST(TallyTable, TextFormIsColumnByColumnWithCrLf)
{
    TallyTable t;
    t.addOwnGame(true);
    t.addPlayer("Bob");
    t.creditPlayer(1, "addtomine");
    const QByteArray expected = "9\r\n2\r\n"
                                "0\r\nBob\r\n" // column 0
                                "1\r\n1\r\n"   // games
                                "1\r\n0\r\n"   // wins
                                "0\r\n1\r\n"
                                "0\r\n0\r\n"
                                "0\r\n1\r\n"
                                "0\r\n0\r\n"
                                "0\r\n1\r\n"
                                "0\r\n0\r\n";
    EXPECT_EQ(t.toText(), expected);
    const std::optional<TallyTable> back = TallyTable::fromText(expected);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->toText(), expected);
    // Bare line feeds and a missing last line break read the same.
    QByteArray unix = expected;
    unix.replace("\r\n", "\n");
    unix.chop(1);
    ASSERT_TRUE(TallyTable::fromText(unix));
    EXPECT_EQ(TallyTable::fromText(unix)->toText(), expected);
}

// Names are 8-bit text as on the wire; a plain ASCII tally keeps its bytes.
TEST(TallyTable, NamesAreEightBitText)
{
    const QByteArray text = "9\r\n2\r\n0\r\nJos\xe9\r\n" + QByteArray("0\r\n0\r\n").repeated(8);
    const std::optional<TallyTable> t = TallyTable::fromText(text);
    ASSERT_TRUE(t);
    EXPECT_EQ(t->cell(0, 1), QStringLiteral("Jos\u00e9"));
    EXPECT_EQ(t->toText(), text);
    TallyTable fresh;
    fresh.addPlayer(QStringLiteral("Ren\u00e9e"));
    EXPECT_TRUE(fresh.toText().contains("\r\nRen\xe9"
                                        "e\r\n"));
}

TEST(TallyTable, TextThatIsNoTallyIsRefused)
{
    for (const QByteArray &text :
         {QByteArray(), QByteArray("9\r\n"), QByteArray("8\r\n1\r\n0\r\n0\r\n0\r\n0\r\n0\r\n"),
          QByteArray("9\r\n0\r\n"), QByteArray("9\r\n-3\r\n"), QByteArray("9\r\nlots\r\n"),
          QByteArray("9\r\n2\r\n0\r\nBob\r\n1\r\n"), QByteArray("9\r\n999999999\r\n")})
        EXPECT_FALSE(TallyTable::fromText(text)) << text.toStdString();
}

TEST(TallyTable, CreditingFollowsTheResultText)
{
    const struct
    {
        QString name;
        QString result;
        std::vector<int> expected; // columns 1..8
    } cases[] = {
        {"Bob", "addtomine", {1, 0, 1, 0, 1, 0, 1, 0}},
        {"Bob", "Team Red", {1, 0, 0, 1, 1, 0, 0, 1}},
        {"Team Red", "Team Red", {1, 1, 0, 0, 1, 1, 0, 0}},
        {"addtomine", "addtomine", {1, 1, 0, 0, 1, 1, 0, 0}},
    };
    for (const auto &c : cases) {
        TallyTable t;
        const int row = t.addPlayer(c.name);
        t.creditPlayer(row, c.result);
        EXPECT_EQ(counts(t, row), c.expected) << c.name.toStdString();
        EXPECT_EQ(counts(t, 0), std::vector<int>(8, 0));
    }
}

TEST(TallyTable, EmptyOrOddCellsCountFromZero)
{
    TallyTable t;
    const int row = t.addPlayer("Ann");
    t.setCell(1, row, "");
    t.setCell(5, row, "x7");
    t.setCell(2, row, "");
    t.creditPlayer(row, "Team Blue");
    EXPECT_EQ(counts(t, row), (std::vector<int>{1, 0, 0, 1, 1, 0, 0, 1}));
    EXPECT_EQ(t.cell(2, row), "0");
}

TEST(TallyTable, RowsMoveUpAndResetKeepsOnlyTheOwnRecord)
{
    TallyTable t;
    t.addPlayer("A");
    t.addPlayer("B");
    t.addPlayer("C");
    t.removeRow(2);
    EXPECT_EQ(t.rowCount(), 3);
    EXPECT_EQ(t.cell(0, 2), "C");
    t.removeRow(0); // the own record stays
    t.removeRow(7);
    EXPECT_EQ(t.rowCount(), 3);
    t.addOwnGame(false);
    t.reset();
    EXPECT_EQ(t.rowCount(), 1);
    EXPECT_EQ(counts(t, 0), std::vector<int>(8, 0));
}

TEST(TallyTable, ALineBreakInANameCannotShiftTheCells)
{
    TallyTable t;
    t.addPlayer("Two\r\nLines");
    const std::optional<TallyTable> back = TallyTable::fromText(t.toText());
    ASSERT_TRUE(back);
    EXPECT_EQ(back->rowCount(), 2);
    EXPECT_EQ(back->cell(0, 1), "Two  Lines");
    EXPECT_EQ(back->cell(1, 1), "0");
}

} // namespace
