#include "chat/colourtext.h"
#include "platform/settingsfile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>

namespace {

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

class SettingsOnDisk : public ::testing::Test
{
protected:
    QString path() const { return m_dir.filePath(QStringLiteral("velnorlobby.ini")); }
    void writeFile(const QByteArray &bytes)
    {
        QFile file(path());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
    }
    SpadesSettings loadWith(const QByteArray &spadesLines, const SpadesSettings &current = {})
    {
        writeFile("[Spades]\r\n" + spadesLines);
        return SettingsFile(path()).load(current);
    }
    QTemporaryDir m_dir;
};

TEST_F(SettingsOnDisk, AMissingFileGivesEveryKeysDefault)
{
    SpadesSettings current;
    current.phrases[0] = QStringLiteral("Hi");
    const SpadesSettings s = SettingsFile(path()).load(current);
    EXPECT_EQ(s.top, 3);
    EXPECT_EQ(s.left, 3);
    EXPECT_EQ(s.lastTrickTop, 348);
    EXPECT_EQ(s.lastTrickLeft, 414);
    EXPECT_EQ(s.width, 780);
    EXPECT_EQ(s.height, 534);
    EXPECT_EQ(s.textSize, 8);
    EXPECT_EQ(s.textColor, QStringLiteral("clblack"));
    EXPECT_EQ(s.playToScore, 500);
    EXPECT_TRUE(s.sandbag);
    EXPECT_TRUE(s.blind);
    EXPECT_FALSE(s.startClub);
    EXPECT_EQ(s.botSpeed, 500);
    EXPECT_EQ(s.turnSound, 0);
    EXPECT_TRUE(s.playSounds);
    EXPECT_TRUE(s.chatterSounds);
    EXPECT_FALSE(s.expertComputers);
    EXPECT_FALSE(s.playableCards);
    EXPECT_EQ(s.phrases[0], QStringLiteral("Hi"));
    EXPECT_FALSE(QFile::exists(path())) << "reading never creates the file";
}

struct KeyCase
{
    const char *line;
    std::function<bool(const SpadesSettings &)> holds;
};

TEST_F(SettingsOnDisk, EveryKeyConvertsItsValue)
{
    SpadesSettings current;
    current.playToScore = 350;
    current.sandbag = true;
    current.blind = false;
    current.startClub = true;
    current.phrases[2] = QStringLiteral("designed");
    const std::vector<KeyCase> cases = {
        {"Top=0x10", [](auto &s) { return s.top == 16; }},
        {"Top=$1F", [](auto &s) { return s.top == 31; }},
        {"Top=-4", [](auto &s) { return s.top == -4; }},
        {"Top=12px", [](auto &s) { return s.top == 3; }},
        {"Left=0XfF", [](auto &s) { return s.left == 255; }},
        {"Left=", [](auto &s) { return s.left == 3; }},
        {"Width=99999999999", [](auto &s) { return s.width == 780; }},
        {"Height=600", [](auto &s) { return s.height == 600; }},
        {"Lasttricktop=$", [](auto &s) { return s.lastTrickTop == 348; }},
        {"LASTTRICKLEFT=20", [](auto &s) { return s.lastTrickLeft == 20; }},
        {"Textsize=9", [](auto &s) { return s.textSize == 9; }},
        {"Textsize=14", [](auto &s) { return s.textSize == 14; }},
        {"Textsize=5000", [](auto &s) { return s.textSize == 8; }},
        {"Textsize=7", [](auto &s) { return s.textSize == 8; }},
        {"Textsize=-12", [](auto &s) { return s.textSize == 8; }},
        {"Textcolor=$000000FF", [](auto &s) { return s.textColor == "$000000FF"; }},
        {"Playtoscore=750", [](auto &s) { return s.playToScore == 750; }},
        {"Playtoscore=lots", [](auto &s) { return s.playToScore == 350; }},
        {"Playtoscore=", [](auto &s) { return s.playToScore == 350; }},
        {"Sandbag=0", [](auto &s) { return !s.sandbag; }},
        {"Sandbag=2", [](auto &s) { return !s.sandbag; }},
        {"Sandbag=yes", [](auto &s) { return s.sandbag; }},
        {"Blind=1", [](auto &s) { return s.blind; }},
        {"Blind=", [](auto &s) { return !s.blind; }},
        {"Startclub=$1", [](auto &s) { return s.startClub; }},
        {"Startclub=0", [](auto &s) { return !s.startClub; }},
        {"Botspeed=1000", [](auto &s) { return s.botSpeed == 1000; }},
        {"Botspeed=200", [](auto &s) { return s.botSpeed == 200; }},
        {"Botspeed=300", [](auto &s) { return s.botSpeed == 500; }},
        {"Botspeed=0200", [](auto &s) { return s.botSpeed == 500; }},
        {"Turnsound=1", [](auto &s) { return s.turnSound == 1; }},
        {"Turnsound=01", [](auto &s) { return s.turnSound == 0; }},
        {"Playsounds=false", [](auto &s) { return !s.playSounds; }},
        {"Playsounds=False", [](auto &s) { return s.playSounds; }},
        {"Playsounds=0", [](auto &s) { return s.playSounds; }},
        {"ChatterSounds=false", [](auto &s) { return !s.chatterSounds; }},
        {"chattersounds=FALSE", [](auto &s) { return s.chatterSounds; }},
        {"Computers=Expert", [](auto &s) { return s.expertComputers; }},
        {"Computers=Classic", [](auto &s) { return !s.expertComputers; }},
        {"Computers=expert", [](auto &s) { return !s.expertComputers; }},
        {"Computers=Grandmaster", [](auto &s) { return !s.expertComputers; }},
        {"PlayableCards=true", [](auto &s) { return s.playableCards; }},
        {"PlayableCards=false", [](auto &s) { return !s.playableCards; }},
        {"PlayableCards=1", [](auto &s) { return !s.playableCards; }},
        {"PlayableCards=", [](auto &s) { return !s.playableCards; }},
        {"PortMapping=false", [](auto &s) { return !s.portMapping; }},
        {"PortMapping=0", [](auto &s) { return s.portMapping; }},
        {"PortMapping=", [](auto &s) { return s.portMapping; }},
        {"ListPublicly=true", [](auto &s) { return s.listPublicly; }},
        {"ListPublicly=1", [](auto &s) { return !s.listPublicly; }},
        {"ListPublicly=", [](auto &s) { return !s.listPublicly; }},
        {"Phrase3=", [](auto &s) { return s.phrases[2] == "designed"; }},
        {"Phrase3=Nice hand", [](auto &s) { return s.phrases[2] == "Nice hand"; }},
        {"Phrase9=  \" spaced \" ", [](auto &s) { return s.phrases[8] == " spaced "; }},
    };
    for (const KeyCase &c : cases)
        EXPECT_TRUE(c.holds(loadWith(QByteArray(c.line) + "\r\n", current))) << c.line;
}

TEST_F(SettingsOnDisk, SaveWritesEveryKeyInOrderAndNotThePhrases)
{
    SpadesSettings s;
    s.top = 16;
    s.textColor = QStringLiteral("clRed");
    s.phrases[0] = QStringLiteral("never written here");
    ASSERT_TRUE(SettingsFile(path()).save(s));
    EXPECT_EQ(readAll(path()), QByteArray("[Spades]\r\nTop=16\r\nLeft=3\r\nLasttricktop=348\r\n"
                                          "Lasttrickleft=414\r\nWidth=780\r\nHeight=534\r\n"
                                          "Textsize=10\r\nTextcolor=clRed\r\nPlaytoscore=500\r\n"
                                          "Sandbag=1\r\nBlind=1\r\nStartclub=1\r\n"
                                          "Botspeed=500\r\nTurnsound=0\r\nPlaysounds=true\r\n"
                                          "ChatterSounds=false\r\nComputers=Classic\r\n"
                                          "PlayableCards=false\r\nPortMapping=true\r\n"
                                          "ListPublicly=false\r\n"));
}

TEST_F(SettingsOnDisk, ReadThenSaveRoundTripsAndNormalisesOddValues)
{
    writeFile("; kept\r\n[Hearts]\r\nTop=50\r\n\r\n[spades]\r\nBOTSPEED=300\r\nTop=0x10\r\n"
              "Playsounds=False\r\nPhrase3=\r\nPhrase1=Hello\r\n[Zed]\r\nq=1\r\n");
    const SettingsFile file(path());
    const SpadesSettings s = file.load();
    EXPECT_EQ(s.botSpeed, 500);
    ASSERT_TRUE(file.save(s));
    EXPECT_EQ(file.readString(QStringLiteral("Botspeed"), QString()), QStringLiteral("500"));
    EXPECT_EQ(file.readString(QStringLiteral("Top"), QString()), QStringLiteral("16"));
    EXPECT_EQ(file.readString(QStringLiteral("Playsounds"), QString()), QStringLiteral("true"));
    EXPECT_EQ(file.readString(QStringLiteral("Phrase1"), QString()), QStringLiteral("Hello"));
    const QByteArray after = readAll(path());
    EXPECT_TRUE(
        after.startsWith("; kept\r\n[Hearts]\r\nTop=50\r\n\r\n[spades]\r\nBOTSPEED=500\r\n"))
        << after.constData();
    EXPECT_TRUE(after.contains("Phrase3=\r\nPhrase1=Hello\r\n"));
    EXPECT_TRUE(after.endsWith("Computers=Classic\r\nPlayableCards=false\r\nPortMapping=true\r\n"
                               "ListPublicly=false\r\n[Zed]\r\nq=1\r\n"))
        << after.constData();
    EXPECT_EQ(file.load(), s);
}

TEST_F(SettingsOnDisk, PhrasesAreWrittenSeparately)
{
    std::array<QString, 9> phrases;
    for (int i = 0; i < 9; ++i)
        phrases[i] = QStringLiteral("p%1").arg(i + 1);
    phrases[4] = QString();
    const SettingsFile file(path());
    ASSERT_TRUE(file.savePhrases(phrases));
    SpadesSettings current;
    current.phrases[4] = QStringLiteral("kept");
    const SpadesSettings s = file.load(current);
    EXPECT_EQ(s.phrases[0], QStringLiteral("p1"));
    EXPECT_EQ(s.phrases[4], QStringLiteral("kept"));
    EXPECT_EQ(s.phrases[8], QStringLiteral("p9"));
    EXPECT_EQ(file.readString(QStringLiteral("Top"), QStringLiteral("none")),
              QStringLiteral("none"));
}

TEST_F(SettingsOnDisk, AFailedSaveNamesTheFile)
{
    const QString blocked = m_dir.filePath(QStringLiteral("file/velnorlobby.ini"));
    QFile(m_dir.filePath(QStringLiteral("file"))).open(QIODevice::WriteOnly);
    QString error;
    EXPECT_FALSE(SettingsFile(blocked).save(SpadesSettings(), &error));
    EXPECT_EQ(error, QStringLiteral("Unable to write to ") + blocked);
}

TEST(SettingsInteger, ReadsDecimalAndBothHexForms)
{
    const std::vector<std::pair<const char *, std::optional<int>>> cases = {
        {"0", 0},
        {"42", 42},
        {"-42", -42},
        {"+7", 7},
        {"$10", 16},
        {"0x10", 16},
        {"0X1a", 26},
        {"-$10", -16},
        {"$FFFFFFFF", -1},
        {"2147483647", 2147483647},
        {"-2147483648", std::numeric_limits<int>::min()},
        {"2147483648", std::nullopt},
        {"$100000000", std::nullopt},
        {"", std::nullopt},
        {"$", std::nullopt},
        {"0x", std::nullopt},
        {"12a", std::nullopt},
        {"1 2", std::nullopt},
        {"x10", std::nullopt},
        {"--1", std::nullopt},
        {"\xd9\xa3", std::nullopt}, // an Arabic-Indic digit is not a digit here
    };
    for (const auto &[text, expected] : cases)
        EXPECT_EQ(settings::toInteger(QString::fromUtf8(text)), expected) << text;
}

} // namespace

namespace {

// The chat converts the stored colour text; what it writes back is the name.
TEST_F(SettingsOnDisk, TextcolorReadsThroughTheChatsColourText)
{
    const std::vector<std::pair<QByteArray, quint32>> cases = {
        {"Textcolor=$000000FF\r\n", colourtext::kRed},
        {"Textcolor=clRed\r\n", colourtext::kRed},
        {"Textcolor=not a colour\r\n", colourtext::kBlack},
        {"", colourtext::kBlack},
    };
    for (const auto &[line, colour] : cases) {
        const SpadesSettings s = loadWith(line);
        EXPECT_EQ(colourtext::fromTextOr(s.textColor, colourtext::kBlack), colour) << line.data();
    }

    SpadesSettings s = loadWith("Textcolor=$000000FF\r\n");
    s.textColor = colourtext::toText(colourtext::fromTextOr(s.textColor, colourtext::kBlack));
    ASSERT_TRUE(SettingsFile(path()).save(s));
    EXPECT_TRUE(readAll(path()).contains("\r\nTextcolor=clRed\r\n"));
}

} // namespace
