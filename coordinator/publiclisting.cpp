#include "coordinator/publiclisting.h"

#include "coordinator/endpoint.h"
#include "protocol/invitecode.h"

#include <array>

namespace {

constexpr std::array<const char *, 10> kTableKeys{"name",      "playtoscore", "sandbag", "blind",
                                                  "startclub", "computers",   "seated",  "free",
                                                  "watchers",  "gamestarted"};

QByteArray flag(bool on)
{
    return on ? "y" : "n";
}

std::optional<bool> flagOf(QByteArrayView value)
{
    if (value == "y")
        return true;
    if (value == "n")
        return false;
    return std::nullopt;
}

QByteArray number(int value)
{
    return QByteArray::number(value);
}

// The value of a word "key=value", when the word has that key.
std::optional<QByteArrayView> valueOf(QByteArrayView word, QByteArrayView key)
{
    if (word.size() <= key.size() || !word.startsWith(key) || word[key.size()] != '=')
        return std::nullopt;
    return word.sliced(key.size() + 1);
}

QList<QByteArrayView> splitWords(QByteArrayView text)
{
    QList<QByteArrayView> words;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == ' ') {
            words.append(text.sliced(start, i - start));
            start = i + 1;
        }
    }
    return words;
}

bool isUnreserved(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '_' || c == '~';
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

namespace listingname {

QString plain(const QString &name)
{
    // A character takes at most two UTF-16 units: nothing past these counts.
    const QList<uint> characters = name.left(2 * PublicListing::kLongestName).toUcs4();
    QString shown;
    for (qsizetype i = 0; i < characters.size() && i < PublicListing::kLongestName; ++i) {
        const char32_t c = characters[i];
        // Only the plain space may stand for white space: a line or paragraph
        // separator would break a lobby's row.
        const bool printable = QChar::isPrint(c) && (c == U' ' || !QChar::isSpace(c));
        shown += printable ? QString::fromUcs4(&c, 1) : QStringLiteral("?");
    }
    shown = shown.trimmed();
    return shown.isEmpty() ? QStringLiteral("?") : shown;
}

QByteArray encode(const QString &name)
{
    return plain(name).toUtf8().toPercentEncoding();
}

std::optional<QString> decode(QByteArrayView word)
{
    if (word.isEmpty())
        return std::nullopt;
    QByteArray bytes;
    for (qsizetype i = 0; i < word.size(); ++i) {
        if (isUnreserved(word[i])) {
            bytes += word[i];
            continue;
        }
        if (word[i] != '%' || i + 2 >= word.size() || hexValue(word[i + 1]) < 0 ||
            hexValue(word[i + 2]) < 0)
            return std::nullopt;
        bytes += char(hexValue(word[i + 1]) * 16 + hexValue(word[i + 2]));
        i += 2;
    }
    return plain(QString::fromUtf8(bytes));
}

QString defaultFor(const QString &player)
{
    return plain(player + QStringLiteral("'s table"));
}

} // namespace listingname

QByteArray PublicListing::tableWords() const
{
    const std::array<QByteArray, kTableKeys.size()> values{
        listingname::encode(name), number(playtoscore), flag(sandbag),  flag(blind),
        flag(startclub),           flag(computers),     number(seated), number(free),
        number(watchers),          flag(gamestarted)};
    QByteArray out;
    for (size_t i = 0; i < values.size(); ++i)
        out += (i ? " " : "") + QByteArray(kTableKeys[i]) + '=' + values[i];
    return out;
}

std::optional<PublicListing> PublicListing::fromTableWords(const QList<QByteArrayView> &words)
{
    if (words.size() != qsizetype(kTableKeys.size()))
        return std::nullopt;
    std::array<QByteArrayView, kTableKeys.size()> v;
    for (size_t i = 0; i < kTableKeys.size(); ++i) {
        const std::optional<QByteArrayView> value = valueOf(words[qsizetype(i)], kTableKeys[i]);
        if (!value)
            return std::nullopt;
        v[i] = *value;
    }
    const std::optional<QString> name = listingname::decode(v[0]);
    const std::optional<int> target = decimalIn(v[1], 1, kHighestTarget);
    const std::optional<bool> sandbag = flagOf(v[2]);
    const std::optional<bool> blind = flagOf(v[3]);
    const std::optional<bool> startclub = flagOf(v[4]);
    const std::optional<bool> computers = flagOf(v[5]);
    const std::optional<int> seated = decimalIn(v[6], 0, kSeats);
    const std::optional<int> free = decimalIn(v[7], 0, kSeats);
    const std::optional<int> watchers = decimalIn(v[8], 0, kMostWatchers);
    const std::optional<bool> started = flagOf(v[9]);
    if (!name || !target || !sandbag || !blind || !startclub || !computers || !seated || !free ||
        !watchers || !started || *seated + *free > kSeats)
        return std::nullopt;
    PublicListing listing;
    listing.name = *name;
    listing.playtoscore = *target;
    listing.sandbag = *sandbag;
    listing.blind = *blind;
    listing.startclub = *startclub;
    listing.computers = *computers;
    listing.seated = *seated;
    listing.free = *free;
    listing.watchers = *watchers;
    listing.gamestarted = *started;
    return listing;
}

QByteArray PublicListing::serialize() const
{
    return code + (direct ? " direct " : " relayed ") + tableWords();
}

std::optional<PublicListing> PublicListing::fromWords(const QList<QByteArrayView> &words)
{
    if (words.size() != qsizetype(kTableKeys.size()) + 2 || invite::normalize(words[0]) != words[0])
        return std::nullopt;
    if (words[1] != "direct" && words[1] != "relayed")
        return std::nullopt;
    std::optional<PublicListing> listing = fromTableWords(words.sliced(2));
    if (listing) {
        listing->code = words[0].toByteArray();
        listing->direct = words[1] == "direct";
    }
    return listing;
}

std::optional<PublicListing> PublicListing::parse(QByteArrayView text)
{
    return fromWords(splitWords(text));
}

bool ListingFilter::accepts(const PublicListing &listing) const
{
    const auto matches = [](const std::optional<bool> &wanted, bool has) {
        return !wanted || *wanted == has;
    };
    return (!playtoscore || *playtoscore == listing.playtoscore) &&
           matches(sandbag, listing.sandbag) && matches(blind, listing.blind) &&
           matches(startclub, listing.startclub) && matches(computers, listing.computers) &&
           (!freeSeat || listing.free > 0);
}

namespace {

// The filter's on/off rules by their names, in the order they are written.
template <typename Filter> auto flagsOf(Filter &filter)
{
    return std::array{std::pair{"sandbag", &filter.sandbag}, std::pair{"blind", &filter.blind},
                      std::pair{"startclub", &filter.startclub},
                      std::pair{"computers", &filter.computers}};
}

} // namespace

QList<QByteArray> ListingFilter::words() const
{
    QList<QByteArray> out;
    if (playtoscore)
        out.append("playtoscore=" + number(*playtoscore));
    for (const auto &[key, wanted] : flagsOf(*this)) {
        if (*wanted)
            out.append(QByteArray(key) + '=' + flag(**wanted));
    }
    if (freeSeat)
        out.append("freeseat=y");
    return out;
}

bool ListingFilter::take(QByteArrayView word)
{
    if (const auto value = valueOf(word, "playtoscore")) {
        const std::optional<int> target = decimalIn(*value, 1, PublicListing::kHighestTarget);
        if (playtoscore || !target)
            return false;
        playtoscore = target;
        return true;
    }
    for (const auto &[key, wanted] : flagsOf(*this)) {
        if (const auto value = valueOf(word, key)) {
            const std::optional<bool> on = flagOf(*value);
            if (*wanted || !on)
                return false;
            *wanted = on;
            return true;
        }
    }
    if (word == "freeseat=y" && !freeSeat) {
        freeSeat = true;
        return true;
    }
    return false;
}
