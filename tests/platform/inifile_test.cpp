#include "platform/inifile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void writeAll(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

std::optional<QString> lookup(const QByteArray &contents, const char *section, const char *key)
{
    return IniFile(contents).value(QString::fromUtf8(section), QString::fromUtf8(key));
}

// Text in UTF-16 after a byte-order mark, in the mark's byte order.
QByteArray utf16(const char *mark, const char16_t *text)
{
    const bool big = QByteArray(mark) == "\xFE\xFF";
    QByteArray bytes(mark);
    for (const char16_t *c = text; *c; ++c) {
        const char high = char(*c >> 8);
        const char low = char(*c & 0xFF);
        bytes += big ? high : low;
        bytes += big ? low : high;
    }
    return bytes;
}

struct ReadCase
{
    const char *name;
    QByteArray contents;
    const char *section;
    const char *key;
    std::optional<QString> expected;
};

// The case's name is what the test list shows for it.
void PrintTo(const ReadCase &c, std::ostream *os)
{
    *os << c.name;
}

class IniRead : public ::testing::TestWithParam<ReadCase>
{
};

TEST_P(IniRead, ReadsLikeTheProfileFunctions)
{
    const ReadCase &c = GetParam();
    EXPECT_EQ(lookup(c.contents, c.section, c.key), c.expected) << c.name;
}

const QString kV = QStringLiteral("v");

INSTANTIATE_TEST_SUITE_P(
    Cases, IniRead,
    ::testing::Values(
        ReadCase{"plain", "[Spades]\r\nTop=12\r\n", "Spades", "Top", QStringLiteral("12")},
        ReadCase{"names ignore case", "[sPaDeS]\r\ntOP=1\r\n", "Spades", "Top",
                 QStringLiteral("1")},
        ReadCase{"blanks and tabs", " \t[ Spades\t]\n \tTop \t= \t7 x\t \n", "Spades", "Top",
                 QStringLiteral("7 x")},
        ReadCase{"double quotes", "[S]\nk=  \"  a b \"  \n", "S", "k", QStringLiteral("  a b ")},
        ReadCase{"single quotes", "[S]\nk='v'\n", "S", "k", kV},
        ReadCase{"unmatched quotes kept", "[S]\nk=\"v'\n", "S", "k", QStringLiteral("\"v'")},
        ReadCase{"one quote kept", "[S]\nk=\"\n", "S", "k", QStringLiteral("\"")},
        ReadCase{"only one pair stripped", "[S]\nk=\"\"v\"\"\n", "S", "k", QStringLiteral("\"v\"")},
        ReadCase{"no inline comment", "[S]\nk=v ; note\n", "S", "k", QStringLiteral("v ; note")},
        ReadCase{"empty value", "[S]\nk=\n", "S", "k", QString()},
        ReadCase{"equals in value", "[S]\nk=a=b\n", "S", "k", QStringLiteral("a=b")},
        ReadCase{"first duplicate key", "[S]\nk=v\nK=w\n", "S", "k", kV},
        ReadCase{"first duplicate section", "[S]\na=1\n[T]\n[s]\nk=w\n", "S", "k", std::nullopt},
        ReadCase{"LF ends", "[S]\nx=1\nk=v\n", "S", "k", kV},
        ReadCase{"CR ends", "[S]\rx=1\rk=v\r", "S", "k", kV},
        ReadCase{"mixed ends, no final end", "[S]\r\nx=1\rk=v", "S", "k", kV},
        ReadCase{"key in another section", "[S]\n[T]\nk=v\n", "S", "k", std::nullopt},
        ReadCase{"key before any section", "k=v\n[S]\n", "S", "k", std::nullopt},
        ReadCase{"missing section", "[T]\nk=v\n", "S", "k", std::nullopt},
        ReadCase{"comment line", "[S]\n;k=v\n", "S", "k", std::nullopt},
        ReadCase{"line without equals", "[S]\nk\n", "S", "k", std::nullopt},
        ReadCase{"Latin-1 text", "[S]\nk=caf\xe9\n", "S", "k", QStringLiteral("caf\u00e9")},
        ReadCase{"UTF-8 text", "[S]\nk=caf\xc3\xa9\n", "S", "k", QStringLiteral("caf\u00e9")},
        ReadCase{"UTF-8 mark", "\xEF\xBB\xBF[S]\nk=v\n", "S", "k", kV},
        ReadCase{"UTF-16 mark, little-endian", utf16("\xFF\xFE", u"[S]\r\nk=caf\u00e9\r\n"), "S",
                 "k", QStringLiteral("caf\u00e9")},
        ReadCase{"UTF-16 mark, big-endian", utf16("\xFE\xFF", u"[S]\nk=v\n"), "S", "k", kV},
        ReadCase{"NUL ends the value", QByteArray("[S]\nk=v\0w\n", 9), "S", "k", kV},
        ReadCase{"NUL after quotes and blanks", QByteArray("[S]\nk='v' \0w\n", 12), "S", "k", kV}));

TEST(IniFile, ValuesAreCutAt2047Characters)
{
    const QByteArray longValue(3000, 'x');
    const std::optional<QString> value = lookup("[S]\nk=" + longValue + "\n", "S", "k");
    ASSERT_TRUE(value);
    EXPECT_EQ(value->size(), 2047);
}

TEST(IniFile, WritingChangesOnlyTheKeysLine)
{
    const QByteArray before = "; my notes\n[Other]\nTop=99\n\n[Spades]\n  top = 1 \n"
                              "Left=2\r\n\n[Last]\rz=1";
    IniFile file(before);
    ASSERT_TRUE(
        file.setValue(QStringLiteral("spades"), QStringLiteral("TOP"), QStringLiteral("5")));
    EXPECT_EQ(file.contents(), QByteArray("; my notes\n[Other]\nTop=99\n\n[Spades]\ntop=5\r\n"
                                          "Left=2\r\n\n[Last]\rz=1"));
}

// A marked file stays one section with its mark and encoding after a write.
TEST(IniFile, WritingKeepsTheByteOrderMarkAndEncoding)
{
    const struct
    {
        QByteArray before;
        QByteArray after;
    } cases[] = {
        {"\xEF\xBB\xBF[Spades]\r\nTop=1\r\n", "\xEF\xBB\xBF[Spades]\r\nTop=5\r\nLeft=\xC3\xA9\r\n"},
        {utf16("\xFF\xFE", u"[Spades]\r\nTop=1\r\n"),
         utf16("\xFF\xFE", u"[Spades]\r\nTop=5\r\nLeft=\u00e9\r\n")},
        {utf16("\xFE\xFF", u"[Spades]\r\nTop=1\r\n"),
         utf16("\xFE\xFF", u"[Spades]\r\nTop=5\r\nLeft=\u00e9\r\n")},
    };
    for (const auto &c : cases) {
        IniFile file(c.before);
        EXPECT_EQ(file.contents(), c.before);
        ASSERT_TRUE(
            file.setValue(QStringLiteral("Spades"), QStringLiteral("Top"), QStringLiteral("5")));
        ASSERT_TRUE(file.setValue(QStringLiteral("Spades"), QStringLiteral("Left"),
                                  QStringLiteral("\u00e9")));
        EXPECT_EQ(file.contents().toHex(' '), c.after.toHex(' '));
    }
}

// Text that is not UTF-16 after all stays the bytes it is.
TEST(IniFile, AMarkedFileThatIsNotUtf16KeepsItsBytes)
{
    const QByteArray oddLength("\xFF\xFE[\0S\0]\0\n", 9);
    const QByteArray loneSurrogate("\xFF\xFE[\0S\0]\0\n\0\x00\xD8", 12);
    for (const QByteArray &bytes : {oddLength, loneSurrogate})
        EXPECT_EQ(IniFile(bytes).contents().toHex(' '), bytes.toHex(' '));
    // Nor does a write that makes plain bytes after a mark look like UTF-16.
    IniFile file(QByteArray("\xFE\xFFold\n[S]\nk=1\nx"));
    for (const char *value : {"22", "333"}) {
        ASSERT_TRUE(file.setValue(QStringLiteral("S"), QStringLiteral("k"), value));
        EXPECT_EQ(IniFile(file.contents()).value(QStringLiteral("S"), QStringLiteral("k")),
                  QString::fromLatin1(value));
    }
}

TEST(IniFile, NewKeysGoAfterTheLastLineOfTheirSectionAndNewSectionsAtTheEnd)
{
    IniFile file(QByteArray("[A]\nx=1\n\n[B]\ny=2"));
    ASSERT_TRUE(file.setValue(QStringLiteral("a"), QStringLiteral("New"), QStringLiteral("n")));
    ASSERT_TRUE(file.setValue(QStringLiteral("C"), QStringLiteral("k"), QStringLiteral("v")));
    ASSERT_TRUE(file.setValue(QStringLiteral("B"), QStringLiteral("z"), QStringLiteral("3")));
    EXPECT_EQ(file.contents(),
              QByteArray("[A]\nx=1\nNew=n\r\n\n[B]\ny=2\r\nz=3\r\n[C]\r\nk=v\r\n"));
}

TEST(IniFile, ValuesTheReaderWouldAlterAreQuotedAndReadBackUnchanged)
{
    const QStringList values = {QStringLiteral(" lead"),      QStringLiteral("trail\t"),
                                QStringLiteral("\"quoted\""), QStringLiteral("'q'"),
                                QStringLiteral("a;b=c"),      QStringLiteral("\""),
                                QStringLiteral("caf\u00e9"),  QString()};
    IniFile file;
    for (int i = 0; i < values.size(); ++i)
        ASSERT_TRUE(file.setValue(QStringLiteral("S"), QString::number(i), values[i]));
    const IniFile reread(file.contents());
    for (int i = 0; i < values.size(); ++i)
        EXPECT_EQ(reread.value(QStringLiteral("S"), QString::number(i)), values[i]) << i;
}

TEST(IniFile, RefusesLineBreaksAndBadNames)
{
    IniFile file(QByteArray("[S]\nk=v\n"));
    const QByteArray before = file.contents();
    const QString s = QStringLiteral("S");
    EXPECT_FALSE(file.setValue(s, QStringLiteral("k"), QStringLiteral("a\r\nb")));
    EXPECT_FALSE(file.setValue(s, QStringLiteral("k"), QStringLiteral("a\nb")));
    EXPECT_FALSE(file.setValue(s, QStringLiteral("k"), QStringLiteral("a\rb")));
    EXPECT_FALSE(file.setValue(s, QStringLiteral("k"), QStringLiteral("a") + QChar(0)));
    EXPECT_FALSE(file.setValue(s, QStringLiteral("a=b"), QStringLiteral("v")));
    EXPECT_FALSE(file.setValue(s, QString(), QStringLiteral("v")));
    EXPECT_FALSE(file.setValue(QStringLiteral("S]x"), QStringLiteral("k"), QStringLiteral("v")));
    EXPECT_EQ(file.contents(), before);
}

class IniFileOnDisk : public ::testing::Test
{
protected:
    QString path(const char *name = "velnorlobby.ini") const
    {
        return m_dir.filePath(QString::fromUtf8(name));
    }
    QStringList entries() const
    {
        return QDir(m_dir.path())
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    }
    QTemporaryDir m_dir;
};

TEST_F(IniFileOnDisk, FirstWriteCreatesTheFileWithCrLfAndLeavesNoTemporaryFile)
{
    QString error;
    ASSERT_TRUE(IniFile::writeString(path(), QStringLiteral("Spades"), QStringLiteral("Top"),
                                     QStringLiteral("3"), &error));
    EXPECT_TRUE(error.isEmpty());
    EXPECT_EQ(readAll(path()), QByteArray("[Spades]\r\nTop=3\r\n"));
    EXPECT_EQ(entries(), QStringList{QStringLiteral("velnorlobby.ini")});
}

TEST_F(IniFileOnDisk, WritesKeepOtherSectionsAndProgramsLines)
{
    writeAll(path(), "[Hearts]\nTop=50\nName=\"x\"\n[Spades]\nTop=1\n");
    ASSERT_TRUE(IniFile::write(path(), QStringLiteral("Spades"),
                               {{QStringLiteral("Top"), QStringLiteral("7")},
                                {QStringLiteral("Left"), QStringLiteral("8")}}));
    EXPECT_EQ(readAll(path()),
              QByteArray("[Hearts]\nTop=50\nName=\"x\"\n[Spades]\nTop=7\r\nLeft=8\r\n"));
    EXPECT_EQ(entries(), QStringList{QStringLiteral("velnorlobby.ini")});
}

// A refused write names the file and leaves what was there untouched.
TEST_F(IniFileOnDisk, ARefusedWriteReportsTheErrorAndLeavesNothingBehind)
{
    writeAll(path(), "[Spades]\nTop=1\n");
    QString error;
    EXPECT_FALSE(IniFile::write(path(), QStringLiteral("Spades"),
                                {{QStringLiteral("Top"), QStringLiteral("2")},
                                 {QStringLiteral("Phrase1"), QStringLiteral("a\nb")}},
                                &error));
    EXPECT_EQ(error, QStringLiteral("Unable to write to ") + path());
    EXPECT_EQ(readAll(path()), QByteArray("[Spades]\nTop=1\n"));

    // A folder that is really a file cannot be written to, even by root.
    writeAll(path("notafolder"), "data");
    const QString inside = path("notafolder") + QStringLiteral("/velnorlobby.ini");
    EXPECT_FALSE(IniFile::writeString(inside, QStringLiteral("Spades"), QStringLiteral("Top"),
                                      QStringLiteral("3"), &error));
    EXPECT_EQ(error, QStringLiteral("Unable to write to ") + inside);
    EXPECT_EQ(entries(),
              (QStringList{QStringLiteral("notafolder"), QStringLiteral("velnorlobby.ini")}));
    EXPECT_EQ(readAll(path("notafolder")), QByteArray("data"));
}

TEST_F(IniFileOnDisk, AReadOnlyFolderReportsTheError)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "permission bits do not bind root";
    const QString folder = path("locked");
    ASSERT_TRUE(QDir().mkdir(folder));
    const QString file = folder + QStringLiteral("/velnorlobby.ini");
    writeAll(file, "[Spades]\nTop=1\n");
    QFile::setPermissions(file, QFileDevice::ReadOwner);
    QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    QString error;
    EXPECT_FALSE(IniFile::writeString(file, QStringLiteral("Spades"), QStringLiteral("Top"),
                                      QStringLiteral("3"), &error));
    EXPECT_EQ(error, QStringLiteral("Unable to write to ") + file);
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("velnorlobby.ini")});
    QFile::setPermissions(folder,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    EXPECT_EQ(readAll(file), QByteArray("[Spades]\nTop=1\n"));
}

TEST_F(IniFileOnDisk, AMissingFileReadsAsEmpty)
{
    EXPECT_EQ(IniFile::load(path()).value(QStringLiteral("Spades"), QStringLiteral("Top")),
              std::nullopt);
    EXPECT_TRUE(IniFile::load(path()).contents().isEmpty());
}

} // namespace
