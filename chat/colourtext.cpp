#include "chat/colourtext.h"

#include <array>

namespace colourtext {
namespace {

struct Named
{
    const char *name;
    quint32 value;
};

constexpr std::array<Named, 16> kStandard{{
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
}};

constexpr quint32 kSystemBase = 0x80000000;

// Index i names system colour $80000000 + i.
constexpr std::array<const char *, 25> kSystem{
    "clScrollBar",    "clBackground",  "clActiveCaption", "clInactiveCaption",
    "clMenu",         "clWindow",      "clWindowFrame",   "clMenuText",
    "clWindowText",   "clCaptionText", "clActiveBorder",  "clInactiveBorder",
    "clAppWorkSpace", "clHighlight",   "clHighlightText", "clBtnFace",
    "clBtnShadow",    "clGrayText",    "clBtnText",       "clInactiveCaptionText",
    "clBtnHighlight", "cl3DDkShadow",  "cl3DLight",       "clInfoText",
    "clInfoBk"};

// The classic desktop scheme, $00BBGGRR, in system colour order.
constexpr std::array<quint32, 25> kSystemScheme{
    0xC8D0D4, 0x000000, 0x6A240A, 0x808080, 0xC8D0D4, 0xFFFFFF, 0x000000, 0x000000, 0x000000,
    0xFFFFFF, 0xC8D0D4, 0xC8D0D4, 0x808080, 0x6A240A, 0xFFFFFF, 0xC8D0D4, 0x808080, 0x808080,
    0x000000, 0x000000, 0xFFFFFF, 0x404040, 0xC8D0D4, 0x000000, 0xE1FFFF};

std::optional<quint32> readHex(QStringView digits)
{
    if (digits.isEmpty())
        return std::nullopt;
    quint32 value = 0;
    for (QChar c : digits) {
        const char16_t u = c.unicode();
        int d = -1;
        if (u >= '0' && u <= '9')
            d = u - '0';
        else if (u >= 'a' && u <= 'f')
            d = u - 'a' + 10;
        else if (u >= 'A' && u <= 'F')
            d = u - 'A' + 10;
        if (d < 0)
            return std::nullopt;
        if (value > 0x0FFFFFFF)
            return std::nullopt; // more than 32 bits
        value = value * 16 + quint32(d);
    }
    return value;
}

std::optional<quint32> readDecimal(QStringView text)
{
    bool negative = false;
    if (!text.isEmpty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text = text.mid(1);
    }
    if (text.isEmpty())
        return std::nullopt;
    qint64 value = 0;
    for (QChar c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c.unicode() - '0');
        if (value > qint64(INT32_MAX) + 1)
            return std::nullopt;
    }
    if (negative)
        value = -value;
    if (value < INT32_MIN || value > INT32_MAX)
        return std::nullopt;
    return quint32(qint32(value));
}

} // namespace

QString toText(quint32 colour)
{
    for (const Named &n : kStandard) {
        if (n.value == colour)
            return QString::fromLatin1(n.name);
    }
    if (colour >= kSystemBase && colour - kSystemBase < kSystem.size())
        return QString::fromLatin1(kSystem[colour - kSystemBase]);
    if (colour == kNone)
        return QStringLiteral("clNone");
    return QStringLiteral("$%1").arg(colour, 8, 16, QChar('0')).toUpper();
}

std::optional<quint32> fromText(const QString &text)
{
    for (const Named &n : kStandard) {
        if (text.compare(QLatin1String(n.name), Qt::CaseInsensitive) == 0)
            return n.value;
    }
    for (size_t i = 0; i < kSystem.size(); ++i) {
        if (text.compare(QLatin1String(kSystem[i]), Qt::CaseInsensitive) == 0)
            return kSystemBase + quint32(i);
    }
    if (text.compare(QLatin1String("clNone"), Qt::CaseInsensitive) == 0)
        return kNone;
    if (text.startsWith('$'))
        return readHex(QStringView(text).mid(1));
    return readDecimal(text);
}

quint32 fromTextOr(const QString &text, quint32 fallback)
{
    return fromText(text).value_or(fallback);
}

QColor toQColor(quint32 colour)
{
    if (colour >= kSystemBase && colour - kSystemBase < kSystemScheme.size())
        colour = kSystemScheme[colour - kSystemBase];
    else if (colour & 0xFF000000)
        colour = 0; // clNone and other special values have no colour of their own
    return QColor(int(colour & 0xFF), int((colour >> 8) & 0xFF), int((colour >> 16) & 0xFF));
}

quint32 fromQColor(const QColor &colour)
{
    const QColor rgb = colour.toRgb();
    return quint32(rgb.red()) | quint32(rgb.green()) << 8 | quint32(rgb.blue()) << 16;
}

} // namespace colourtext
