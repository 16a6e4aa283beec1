// The keys of the settings file and their conversions.
#include "platform/spadessettings.h"

#include <limits>

namespace settings {

namespace {

constexpr int kDefaultTextSize = 8;
constexpr int kSmallestTextSize = 8;
constexpr int kLargestTextSize = 14;

std::optional<int> hexInteger(QStringView digits, bool negative)
{
    if (digits.isEmpty() || digits.size() > 8)
        return std::nullopt;
    bool ok = false;
    const uint value = digits.toUInt(&ok, 16);
    if (!ok)
        return std::nullopt;
    const int signedValue = static_cast<int>(value);
    return negative ? -signedValue : signedValue;
}

bool allDigits(QStringView text, int base)
{
    for (QChar c : text) {
        const bool digit = c >= QLatin1Char('0') && c <= QLatin1Char('9');
        const QChar lower = c.toLower();
        const bool hex = lower >= QLatin1Char('a') && lower <= QLatin1Char('f');
        if (!digit && !(base == 16 && hex))
            return false;
    }
    return !text.isEmpty();
}

// "1" and only "1" switches an option on; other numbers switch it off and
// non-numbers leave it as it is.
bool readSwitch(const IniFile &file, const QString &key, const QString &fallback, bool current)
{
    const QString text = readString(file, key, fallback);
    const std::optional<int> number = toInteger(text);
    return number ? *number == 1 : current;
}

QString flag(bool on)
{
    return on ? QStringLiteral("1") : QStringLiteral("0");
}

QString word(bool on)
{
    return on ? QStringLiteral("true") : QStringLiteral("false");
}

} // namespace

std::optional<int> toInteger(const QString &text)
{
    QStringView rest(text);
    bool negative = false;
    if (rest.startsWith(QLatin1Char('-')) || rest.startsWith(QLatin1Char('+'))) {
        negative = rest.front() == QLatin1Char('-');
        rest = rest.mid(1);
    }
    if (rest.startsWith(QLatin1Char('$')))
        return allDigits(rest.mid(1), 16) ? hexInteger(rest.mid(1), negative) : std::nullopt;
    if (rest.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        return allDigits(rest.mid(2), 16) ? hexInteger(rest.mid(2), negative) : std::nullopt;
    if (!allDigits(rest, 10))
        return std::nullopt;
    bool ok = false;
    const qlonglong value = rest.toLongLong(&ok, 10);
    const qlonglong signedValue = negative ? -value : value;
    if (!ok || signedValue < std::numeric_limits<int>::min() ||
        signedValue > std::numeric_limits<int>::max())
        return std::nullopt;
    return static_cast<int>(signedValue);
}

int readInteger(const IniFile &file, const QString &key, int fallback)
{
    return toInteger(file.readString(kSection, key, QString())).value_or(fallback);
}

QString readString(const IniFile &file, const QString &key, const QString &fallback)
{
    return file.readString(kSection, key, fallback);
}

SpadesSettings read(const IniFile &file, const SpadesSettings &current)
{
    SpadesSettings s = current;
    s.top = readInteger(file, QStringLiteral("Top"), 3);
    s.left = readInteger(file, QStringLiteral("Left"), 3);
    s.width = readInteger(file, QStringLiteral("Width"), 780);
    s.height = readInteger(file, QStringLiteral("Height"), 534);
    s.lastTrickTop = readInteger(file, QStringLiteral("Lasttricktop"), 348);
    s.lastTrickLeft = readInteger(file, QStringLiteral("Lasttrickleft"), 414);
    // The Text Size menu spans 8 to 14; a size outside it is as unreadable
    // as one that is not a number.
    s.textSize = readInteger(file, QStringLiteral("Textsize"), kDefaultTextSize);
    if (s.textSize < kSmallestTextSize || s.textSize > kLargestTextSize)
        s.textSize = kDefaultTextSize;
    s.textColor = readString(file, QStringLiteral("Textcolor"), QStringLiteral("clblack"));

    const QString score = readString(file, QStringLiteral("Playtoscore"), QStringLiteral("500"));
    if (const std::optional<int> number = toInteger(score))
        s.playToScore = *number;
    s.sandbag = readSwitch(file, QStringLiteral("Sandbag"), QStringLiteral("1"), s.sandbag);
    s.blind = readSwitch(file, QStringLiteral("Blind"), QStringLiteral("1"), s.blind);
    s.startClub = readSwitch(file, QStringLiteral("Startclub"), QStringLiteral("0"), s.startClub);

    const QString speed = readString(file, QStringLiteral("Botspeed"), QString());
    if (speed == QLatin1String("1000"))
        s.botSpeed = 1000;
    else if (speed == QLatin1String("200"))
        s.botSpeed = 200;
    else
        s.botSpeed = 500;

    for (int i = 0; i < 9; ++i) {
        const QString phrase = readString(file, QStringLiteral("Phrase%1").arg(i + 1), QString());
        if (!phrase.isEmpty())
            s.phrases[i] = phrase;
    }

    s.turnSound =
        readString(file, QStringLiteral("Turnsound"), QStringLiteral("0")) == QLatin1String("1")
            ? 1
            : 0;
    s.playSounds = readString(file, QStringLiteral("Playsounds"), QStringLiteral("true")) !=
                   QLatin1String("false");
    s.chatterSounds = readString(file, QStringLiteral("ChatterSounds"), QStringLiteral("true")) !=
                      QLatin1String("false");
    // Files from before the choice existed have no such key: classic players.
    s.expertComputers =
        readString(file, QStringLiteral("Computers"), QString()) == QLatin1String("Expert");
    s.playableCards =
        readString(file, QStringLiteral("PlayableCards"), QString()) == QLatin1String("true");
    s.portMapping =
        readString(file, QStringLiteral("PortMapping"), QString()) != QLatin1String("false");
    s.listPublicly =
        readString(file, QStringLiteral("ListPublicly"), QString()) == QLatin1String("true");
    return s;
}

QList<std::pair<QString, QString>> keyValues(const SpadesSettings &s)
{
    const auto number = [](int value) { return QString::number(value); };
    return {
        {QStringLiteral("Top"), number(s.top)},
        {QStringLiteral("Left"), number(s.left)},
        {QStringLiteral("Lasttricktop"), number(s.lastTrickTop)},
        {QStringLiteral("Lasttrickleft"), number(s.lastTrickLeft)},
        {QStringLiteral("Width"), number(s.width)},
        {QStringLiteral("Height"), number(s.height)},
        {QStringLiteral("Textsize"), number(s.textSize)},
        {QStringLiteral("Textcolor"), s.textColor},
        {QStringLiteral("Playtoscore"), number(s.playToScore)},
        {QStringLiteral("Sandbag"), flag(s.sandbag)},
        {QStringLiteral("Blind"), flag(s.blind)},
        {QStringLiteral("Startclub"), flag(s.startClub)},
        {QStringLiteral("Botspeed"), number(s.botSpeed)},
        {QStringLiteral("Turnsound"), flag(s.turnSound == 1)},
        {QStringLiteral("Playsounds"), word(s.playSounds)},
        {QStringLiteral("ChatterSounds"), word(s.chatterSounds)},
        {QStringLiteral("Computers"),
         s.expertComputers ? QStringLiteral("Expert") : QStringLiteral("Classic")},
        {QStringLiteral("PlayableCards"), word(s.playableCards)},
        {QStringLiteral("PortMapping"), word(s.portMapping)},
        {QStringLiteral("ListPublicly"), word(s.listPublicly)},
    };
}

QList<std::pair<QString, QString>> changedKeyValues(const SpadesSettings &before,
                                                    const SpadesSettings &after)
{
    const QList<std::pair<QString, QString>> was = keyValues(before);
    const QList<std::pair<QString, QString>> now = keyValues(after);
    QList<std::pair<QString, QString>> changed;
    for (qsizetype i = 0; i < now.size(); ++i)
        if (now[i].second != was[i].second)
            changed.append(now[i]);
    return changed;
}

QList<std::pair<QString, QString>> phraseKeyValues(const std::array<QString, 9> &phrases)
{
    QList<std::pair<QString, QString>> values;
    for (int i = 0; i < 9; ++i)
        values.append({QStringLiteral("Phrase%1").arg(i + 1), phrases[i]});
    return values;
}

} // namespace settings
