#include "coordinator/coordinatormessages.h"
#include "coordinator/quickplay.h"

#include <gtest/gtest.h>

using namespace coord;

namespace {

PublicListing sample()
{
    PublicListing listing;
    listing.name = QString::fromUtf8("Zoë's table + friends");
    listing.playtoscore = 750;
    listing.sandbag = true;
    listing.startclub = true;
    listing.computers = false;
    listing.seated = 3;
    listing.free = 1;
    listing.watchers = 5;
    listing.gamestarted = true;
    return listing;
}

TEST(PublicListing, namesFromTheWireArePlainBoundedText)
{
    const struct
    {
        QByteArray word;
        std::optional<QString> name;
    } cases[] = {
        {"Ann%27s%20table", "Ann's table"},
        {"Zo%C3%AB", QString::fromUtf8("Zoë")},
        {"zo%c3%ab", QString::fromUtf8("zoë")},
        {"a%0Ab%09c%00", "a?b?c?"},
        {"%E2%80%AEevil%E2%80%A8x", "?evil?x"}, // a direction override, a line separator
        {"%FF%FEab", QString::fromUtf8("\xEF\xBF\xBD\xEF\xBF\xBD"
                                       "ab")},
        {"%20%20padded%20%20", "padded"},
        {"%20", "?"},
        {QByteArray(60, 'x'), QString(40, 'x')},
        {QByteArray("%F0%9F%82%A1").repeated(50),
         QString::fromUtf8("\xF0\x9F\x82\xA1").repeated(40)},
        {"", std::nullopt},
        {"a%2", std::nullopt},
        {"a%zz", std::nullopt},
        {"a+b", std::nullopt},
        {"a%", std::nullopt},
    };
    for (const auto &c : cases) {
        const std::optional<QString> name = listingname::decode(c.word);
        EXPECT_EQ(name, c.name) << c.word.constData();
        if (name) {
            EXPECT_EQ(listingname::decode(listingname::encode(*name)), name) << c.word.constData();
        }
    }
    EXPECT_EQ(listingname::defaultFor("Ann"), "Ann's table");
    EXPECT_EQ(listingname::defaultFor(QString(100, 'B')), QString(40, 'B'));
}

TEST(PublicListing, messagesRoundTripAndRefuseWhatDoesNotFit)
{
    PublicListing listed = sample();
    listed.code = "7KQ2M9XD";
    listed.direct = true;
    toCoordinator::Tables filtered;
    filtered.filter.playtoscore = 500;
    filtered.filter.blind = false;
    filtered.filter.computers = true;
    filtered.filter.freeSeat = true;
    filtered.after = "7KQ2M9XD";
    for (const ToCoordinator &message :
         QList<ToCoordinator>{toCoordinator::List{sample()}, toCoordinator::Unlist{},
                              toCoordinator::Tables{}, filtered}) {
        const QByteArray line = std::visit([](const auto &m) { return m.encode(); }, message);
        EXPECT_EQ(decodeToCoordinator(line), message) << line.constData();
    }
    for (const FromCoordinator &message :
         QList<FromCoordinator>{fromCoordinator::Table{listed}, fromCoordinator::Page{},
                                fromCoordinator::Page{"7KQ2M9XD"}}) {
        const QByteArray line = std::visit([](const auto &m) { return m.encode(); }, message);
        EXPECT_EQ(decodeFromCoordinator(line), message) << line.constData();
    }
    // The longest name there can be still leaves the line within bounds.
    listed.name = QString::fromUtf8("\xF0\x9F\x82\xA1").repeated(PublicListing::kLongestName);
    EXPECT_LE(fromCoordinator::Table{listed}.encode().size(), kLongestLine);

    const QByteArray words = sample().tableWords();
    for (const QByteArray &line : QList<QByteArray>{
             "list", "list " + QByteArray(words).replace("seated=3", "seated=4"),
             "list " + QByteArray(words).replace("watchers=5", "watchers=6"),
             "list " + QByteArray(words).replace("playtoscore=750", "playtoscore=0"),
             "list " + QByteArray(words).replace("playtoscore=750", "playtoscore=100000"),
             "list " + QByteArray(words).replace("sandbag=y", "sandbag=yes"),
             "list " + QByteArray(words).replace("blind=n ", ""),
             "list " + QByteArray(words).replace("name=", "title="),
             "list " + QByteArray(words).replace("Zo%C3%AB", "Zo\xC3\xAB"),
             "list " + words + " extra", "unlist now", "tables blind=y blind=n",
             "tables after=7kq2m9xd", "tables after=7KQ2M9XD after=7KQ2M9XD", "tables freeseat=n",
             "tables colour=red", "tables playtoscore=-5"})
        EXPECT_EQ(decodeToCoordinator(line), std::nullopt) << line.constData();
    for (const QByteArray &line :
         QList<QByteArray>{"table " + words, "table 7KQ2M9XD maybe " + words,
                           "table 7kq2m9xd direct " + words, "page", "page 7KQ2", "page - -"})
        EXPECT_EQ(decodeFromCoordinator(line), std::nullopt) << line.constData();
}

TEST(QuickPlay, picksTheFullestTableWithAFreeSeat)
{
    const auto table = [](const char *code, int seated, int free, int watchers = 0,
                          bool started = false) {
        PublicListing listing;
        listing.code = code;
        listing.seated = seated;
        listing.free = free;
        listing.watchers = watchers;
        listing.gamestarted = started;
        return listing;
    };
    const struct
    {
        const char *what;
        QList<PublicListing> page;
        std::optional<QByteArray> choice;
    } cases[] = {
        {"nothing listed", {}, std::nullopt},
        {"every table full", {table("A", 4, 0), table("B", 3, 0, 1)}, std::nullopt},
        {"most people", {table("A", 1, 3), table("B", 3, 1), table("C", 2, 2)}, "B"},
        {"a full table is passed over", {table("A", 4, 0), table("B", 0, 4)}, "B"},
        {"a game not yet started first", {table("A", 2, 2, 0, true), table("B", 2, 2)}, "B"},
        {"then fewer watchers", {table("A", 2, 2, 3), table("B", 2, 2, 1)}, "B"},
        {"then the lower code", {table("B", 2, 2), table("A", 2, 2)}, "A"},
    };
    for (const auto &c : cases) {
        const std::optional<PublicListing> chosen = quickPlayChoice(c.page);
        EXPECT_EQ(chosen ? std::optional(chosen->code) : std::nullopt, c.choice) << c.what;
    }
}

} // namespace
