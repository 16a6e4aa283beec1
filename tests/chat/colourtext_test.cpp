#include "chat/colourtext.h"

#include <gtest/gtest.h>

namespace {

struct NamedColour
{
    const char *name;
    quint32 value;
};

const NamedColour kNames[] = {
    {"clBlack", 0x000000},
    {"clMaroon", 0x000080},
    {"clGreen", 0x008000},
    {"clOlive", 0x008080},
    {"clNavy", 0x800000},
    {"clPurple", 0x800080},
    {"clTeal", 0x808000},
    {"clGray", 0x808080},
    {"clSilver", 0xC0C0C0},
    {"clRed", 0x0000FF},
    {"clLime", 0x00FF00},
    {"clYellow", 0x00FFFF},
    {"clBlue", 0xFF0000},
    {"clFuchsia", 0xFF00FF},
    {"clAqua", 0xFFFF00},
    {"clWhite", 0xFFFFFF},
    {"clScrollBar", 0x80000000},
    {"clBackground", 0x80000001},
    {"clActiveCaption", 0x80000002},
    {"clInactiveCaption", 0x80000003},
    {"clMenu", 0x80000004},
    {"clWindow", 0x80000005},
    {"clWindowFrame", 0x80000006},
    {"clMenuText", 0x80000007},
    {"clWindowText", 0x80000008},
    {"clCaptionText", 0x80000009},
    {"clActiveBorder", 0x8000000A},
    {"clInactiveBorder", 0x8000000B},
    {"clAppWorkSpace", 0x8000000C},
    {"clHighlight", 0x8000000D},
    {"clHighlightText", 0x8000000E},
    {"clBtnFace", 0x8000000F},
    {"clBtnShadow", 0x80000010},
    {"clGrayText", 0x80000011},
    {"clBtnText", 0x80000012},
    {"clInactiveCaptionText", 0x80000013},
    {"clBtnHighlight", 0x80000014},
    {"cl3DDkShadow", 0x80000015},
    {"cl3DLight", 0x80000016},
    {"clInfoText", 0x80000017},
    {"clInfoBk", 0x80000018},
    {"clNone", 0x1FFFFFFF},
};

} // namespace

TEST(ColourText, EveryNameRoundTripsInAnyLetterCase)
{
    for (const NamedColour &c : kNames) {
        SCOPED_TRACE(c.name);
        const QString name = QString::fromLatin1(c.name);
        EXPECT_EQ(colourtext::toText(c.value), name);
        EXPECT_EQ(colourtext::fromText(name), c.value);
        EXPECT_EQ(colourtext::fromText(name.toLower()), c.value);
        EXPECT_EQ(colourtext::fromText(name.toUpper()), c.value);
    }
}

TEST(ColourText, UnnamedValuesAreWrittenAsEightHexDigits)
{
    EXPECT_EQ(colourtext::toText(0x00123456), "$00123456");
    EXPECT_EQ(colourtext::toText(0x00ABCDEF), "$00ABCDEF");
    EXPECT_EQ(colourtext::toText(0x80000019), "$80000019"); // past the last system colour
    for (quint32 v : {0x00123456u, 0x00ABCDEFu, 0x00000001u, 0xFFFFFFFFu})
        EXPECT_EQ(colourtext::fromText(colourtext::toText(v)), v);
}

TEST(ColourText, ReadsNumbers)
{
    const struct
    {
        const char *text;
        quint32 value;
    } cases[] = {
        {"$000000FF", 0x0000FF}, {"$ff", 0xFF},          {"$FFFFFFFF", 0xFFFFFFFF},
        {"$00000000FF", 0xFF},   {"255", 255},           {"0", 0},
        {"-1", 0xFFFFFFFF},      {"16711680", 0xFF0000}, {"+8", 8},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(colourtext::fromText(QString::fromLatin1(c.text)), c.value);
    }
    // A red written as a number reads back under its name.
    EXPECT_EQ(colourtext::toText(*colourtext::fromText("$000000FF")), "clRed");
}

TEST(ColourText, RejectsAnythingElse)
{
    for (const char *text : {"", "$", "$xyz", "$1G", "blue", "clBlu", "12a", " 12", "$100000000",
                             "4294967296", "2147483648", "cl", "clBlack "}) {
        SCOPED_TRACE(text);
        EXPECT_FALSE(colourtext::fromText(QString::fromLatin1(text)).has_value());
        EXPECT_EQ(colourtext::fromTextOr(QString::fromLatin1(text), colourtext::kRed),
                  colourtext::kRed);
    }
}

TEST(ColourText, ScreenColoursKeepRedInTheLowByte)
{
    EXPECT_EQ(colourtext::toQColor(0x0000FF), QColor(255, 0, 0));
    EXPECT_EQ(colourtext::toQColor(0xFF0000), QColor(0, 0, 255));
    EXPECT_EQ(colourtext::toQColor(0x80000008), QColor(0, 0, 0));       // window text
    EXPECT_EQ(colourtext::toQColor(0x80000005), QColor(255, 255, 255)); // window
    EXPECT_EQ(colourtext::fromQColor(QColor(0x12, 0x34, 0x56)), 0x563412u);
}
