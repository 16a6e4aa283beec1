#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <optional>

// A table that lists itself for strangers, as a lobby shows it: its name, its
// rules under the host's own names, who is there, and how to get in. The
// table says all but the last two; the coordinator adds its code and whether
// the connect-back reached it.
//
// On the wire a listing is words "key=value" in a fixed order; the name is
// UTF-8, percent-encoded, so any name travels in one line of printable words.
struct PublicListing
{
    // Longer names are cut to this many characters.
    static constexpr int kLongestName = 40;
    static constexpr int kHighestTarget = 99999;
    static constexpr int kSeats = 4;
    static constexpr int kMostWatchers = 5;

    QString name;
    int playtoscore = 500;
    bool sandbag = false;   // bags count, ten of them cost 100
    bool blind = false;     // Blind Nil may be bid
    bool startclub = false; // the two of clubs leads the first trick
    bool computers = true;  // computer players take the seats nobody holds
    int seated = 0;         // people in seats
    int free = kSeats;      // seats a newcomer would get
    int watchers = 0;
    bool gamestarted = false;
    QByteArray code; // canonical
    bool direct = false;

    // What the table sends: everything but the code and the way in.
    QByteArray tableWords() const;
    static std::optional<PublicListing> fromTableWords(const QList<QByteArrayView> &words);
    // Everything: "CODE direct|relayed " and the table's words.
    QByteArray serialize() const;
    static std::optional<PublicListing> parse(QByteArrayView text);
    static std::optional<PublicListing> fromWords(const QList<QByteArrayView> &words);
    bool operator==(const PublicListing &) const = default;
};

// The name a table is listed under is plain text: what cannot be shown as it
// stands (control and format characters, line breaks) becomes "?", and it is
// cut to PublicListing::kLongestName characters and trimmed.
namespace listingname {

QString plain(const QString &name);
QByteArray encode(const QString &name);
// A percent-encoded word as the plain name it stands for; nothing when the
// word is not strictly percent-encoded or names nothing.
std::optional<QString> decode(QByteArrayView word);
// What a hosting table is called unless its player names it: "NAME's table".
QString defaultFor(const QString &player);

} // namespace listingname

// What a lobby asks of the tables it is shown; unset rules match anything.
struct ListingFilter
{
    std::optional<int> playtoscore;
    std::optional<bool> sandbag;
    std::optional<bool> blind;
    std::optional<bool> startclub;
    std::optional<bool> computers;
    bool freeSeat = false;

    bool accepts(const PublicListing &listing) const;
    // "key=value" words for the rules that are set, in a fixed order.
    QList<QByteArray> words() const;
    // Takes one word; false when it is no filter or names a rule already set.
    bool take(QByteArrayView word);
    bool operator==(const ListingFilter &) const = default;
};
