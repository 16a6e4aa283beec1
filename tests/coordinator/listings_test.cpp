#include "core_fixture.h"

#include <gtest/gtest.h>
#include <memory>

using namespace coord;

namespace {

const QHostAddress kLobby("192.0.2.9");

PublicListing listingOf(int seated, int free = 1, bool blind = false)
{
    PublicListing listing;
    listing.name = "Ann's table";
    listing.seated = seated;
    listing.free = free;
    listing.blind = blind;
    return listing;
}

// One coordinator on virtual time whose tables each come from an address of
// their own, unless told otherwise.
struct Listings : ::testing::Test
{
    RecordingPort port;
    MemoryStore store{[this] { return port.clock; }};
    std::unique_ptr<CoordinatorCore> core;
    int next = 0;

    void SetUp() override { start({}); }
    void start(CoordinatorLimits limits)
    {
        limits.hostsPerMinute = 100000;
        core = std::make_unique<CoordinatorCore>("A", port, store, limits);
    }
    QHostAddress homeOf(int n)
    {
        return QHostAddress(QString("81.2.%1.%2").arg(n / 200).arg(n % 200 + 1));
    }

    // A table hosted and listed from connection n; the connect-back reaches
    // it when `direct`.
    int list(const PublicListing &listing, bool direct = false,
             std::optional<QHostAddress> from = {})
    {
        const int n = ++next;
        core->connected(n, from.value_or(homeOf(n)));
        core->received(n, "host 7772 " + QByteArray::number(n, 16).rightJustified(32, '0') + " -");
        for (const auto &[to, candidate] : std::as_const(port.probes)) {
            if (to == n)
                core->probeDone(n, candidate, direct);
        }
        core->received(n, toCoordinator::List{listing}.encode());
        return n;
    }

    struct Answer
    {
        QList<PublicListing> tables;
        std::optional<QByteArray> next;
        QByteArray refused;
    };
    // What a lobby is answered on a connection of its own.
    Answer ask(const toCoordinator::Tables &query = {}, const QHostAddress &from = kLobby)
    {
        const int n = ++next;
        core->connected(n, from);
        const qsizetype before = port.sent.size();
        core->received(n, query.encode());
        Answer answer;
        for (qsizetype i = before; i < port.sent.size(); ++i) {
            const auto message = decodeFromCoordinator(port.sent[i].second);
            EXPECT_TRUE(message) << port.sent[i].second.constData();
            if (const auto *table = std::get_if<fromCoordinator::Table>(&*message))
                answer.tables.append(table->listing);
            else if (const auto *page = std::get_if<fromCoordinator::Page>(&*message))
                answer.next = page->next;
            else if (const auto *refused = std::get_if<fromCoordinator::Refused>(&*message))
                answer.refused = refused->reason;
        }
        core->disconnected(n);
        return answer;
    }
    QList<int> seatedShown()
    {
        QList<int> seated;
        for (const PublicListing &listing : ask().tables)
            seated.append(listing.seated);
        std::sort(seated.begin(), seated.end());
        return seated;
    }
};

TEST_F(Listings, aListingLivesWhileItsTableBeatsAndGoesTheMomentItIsWithdrawn)
{
    const int relayed = list(listingOf(2));
    list(listingOf(3), true);
    const QList<PublicListing> shown = ask().tables;
    ASSERT_EQ(shown.size(), 2);
    for (const PublicListing &listing : shown) {
        EXPECT_EQ(listing.direct, listing.seated == 3) << "the connect-back decides";
        EXPECT_EQ(listing.name, "Ann's table");
        EXPECT_FALSE(listing.code.isEmpty());
    }
    for (int i = 0; i < 4; ++i) {
        port.clock += 30000;
        core->received(relayed, "beat");
    }
    EXPECT_EQ(seatedShown(), QList<int>{2}) << "the silent table lapsed with its code";
    core->received(relayed, "unlist");
    EXPECT_EQ(seatedShown(), QList<int>{});
    core->received(relayed, toCoordinator::List{listingOf(1)}.encode());
    port.clock += 5000;
    core->tick();
    EXPECT_EQ(seatedShown(), QList<int>{1}) << "a table may list itself again";

    struct Case
    {
        const char *how;
        std::function<void(int n)> withdraw;
    };
    const QList<Case> cases{
        {"leave", [this](int n) { core->received(n, "leave"); }},
        {"disconnect", [this](int n) { core->disconnected(n); }},
    };
    for (const Case &c : cases) {
        const int n = list(listingOf(4, 0));
        EXPECT_TRUE(seatedShown().contains(4)) << c.how;
        c.withdraw(n);
        EXPECT_FALSE(seatedShown().contains(4)) << c.how;
    }
    const int stranger = ++next;
    core->connected(stranger, kLobby);
    core->received(stranger, toCoordinator::List{listingOf(1)}.encode());
    EXPECT_EQ(port.lastTo(stranger), QByteArray("refused ") + refusal::kNotHosting);
}

TEST_F(Listings, aTableThatMovedKeepsTheListingItMadeElsewhere)
{
    const int n = list(listingOf(2));
    const QByteArray code = ask().tables.value(0).code;
    // Its client went to coordinator B, which listed it again; A hears late
    // that the old connection is gone.
    CoordinatorCore b("B", port, store);
    b.connected(900, homeOf(n));
    b.received(900, "host 7772 " + QByteArray::number(n, 16).rightJustified(32, '0') + ' ' + code);
    b.received(900, toCoordinator::List{listingOf(3)}.encode());
    core->disconnected(n);
    EXPECT_EQ(seatedShown(), QList<int>{3});
}

TEST_F(Listings, pagesFollowCodeOrderWithinTheirBoundsAndFilters)
{
    for (int i = 0; i < 120; ++i)
        list(listingOf(i % 4, i % 3 == 0 ? 0 : 1, i % 2 == 0));
    QList<QByteArray> seen;
    toCoordinator::Tables query;
    QList<qsizetype> sizes;
    do {
        const Answer answer = ask(query);
        sizes.append(answer.tables.size());
        for (const PublicListing &listing : answer.tables)
            seen.append(listing.code);
        query.after = answer.next;
    } while (query.after);
    EXPECT_EQ(sizes, (QList<qsizetype>{50, 50, 20}));
    QList<QByteArray> sorted = seen;
    std::sort(sorted.begin(), sorted.end());
    sorted.erase(std::unique(sorted.begin(), sorted.end()), sorted.end());
    EXPECT_EQ(seen, sorted) << "in code order, none twice";
    EXPECT_EQ(seen.size(), 120);

    const struct
    {
        const char *filter;
        int expected;
    } cases[] = {
        {"tables blind=y", 60},
        {"tables freeseat=y", 80},
        {"tables blind=n freeseat=y", 40},
        {"tables playtoscore=500 sandbag=n startclub=n computers=y", 120},
        {"tables playtoscore=250", 0},
        {"tables computers=n", 0},
    };
    for (const auto &c : cases) {
        const auto query = decodeToCoordinator(c.filter);
        ASSERT_TRUE(query) << c.filter;
        int found = 0;
        toCoordinator::Tables next = std::get<toCoordinator::Tables>(*query);
        do {
            const Answer answer = ask(next);
            for (const PublicListing &listing : answer.tables)
                EXPECT_TRUE(next.filter.accepts(listing)) << c.filter;
            found += int(answer.tables.size());
            next.after = answer.next;
        } while (next.after);
        EXPECT_EQ(found, c.expected) << c.filter;
    }
}

TEST_F(Listings, aPageLooksAtABoundedNumberOfListingsAndSkipsBrokenOnes)
{
    CoordinatorLimits limits;
    limits.scanBudget = 30;
    start(limits);
    for (int i = 0; i < 70; ++i)
        list(listingOf(1));
    store.putListing("00000000", "not a listing", 60000);
    PublicListing elsewhere = listingOf(1);
    elsewhere.code = "7KQ2M9XD";
    store.putListing("00000001", elsewhere.serialize(), 60000);
    toCoordinator::Tables noComputers;
    noComputers.filter.computers = false;
    const Answer none = ask(noComputers);
    EXPECT_TRUE(none.tables.isEmpty());
    EXPECT_TRUE(none.next) << "it says where to go on rather than looking further";
    int shown = 0;
    toCoordinator::Tables query;
    do {
        const Answer answer = ask(query);
        shown += int(answer.tables.size());
        query.after = answer.next;
    } while (query.after);
    EXPECT_EQ(shown, 70);
}

TEST_F(Listings, aTableFloodingUpdatesIsCoalescedAndAnAddressIsBounded)
{
    const int n = list(listingOf(1));
    for (int seated = 2; seated <= 4; ++seated) {
        port.clock += 300;
        core->received(n, toCoordinator::List{listingOf(seated, 0)}.encode());
    }
    EXPECT_EQ(seatedShown(), QList<int>{1}) << "written at most once in the gap";
    port.clock += 5000;
    core->tick();
    EXPECT_EQ(seatedShown(), QList<int>{4}) << "then the latest word";
    core->received(n, toCoordinator::List{listingOf(4, 0)}.encode());
    core->received(n, toCoordinator::List{listingOf(3, 0)}.encode());
    core->received(n, toCoordinator::List{listingOf(4, 0)}.encode());
    port.clock += 5000;
    core->tick();
    EXPECT_EQ(seatedShown(), QList<int>{4}) << "a word taken back is void";

    // One home's tables together, against another's.
    CoordinatorLimits limits;
    limits.listingsPerMinute = 3;
    limits.tableTtlMs = 600000;
    start(limits);
    store.dropListing(ask().tables.value(0).code);
    const QHostAddress home("81.2.69.142");
    for (int i = 0; i < 4; ++i)
        list(listingOf(1), false, home);
    list(listingOf(2));
    EXPECT_EQ(seatedShown(), (QList<int>{1, 1, 1, 2})) << "in whatever code order";
    port.clock += 60000;
    core->tick();
    EXPECT_EQ(ask().tables.size(), 5);
}

TEST_F(Listings, anAddressAskingTooOftenIsRefusedAndOthersAreServed)
{
    list(listingOf(1));
    const int allowed = CoordinatorLimits{}.queriesPerMinute;
    for (int i = 0; i < allowed; ++i)
        ASSERT_EQ(ask().tables.size(), 1) << i;
    EXPECT_EQ(ask().refused, refusal::kTooManyTries);
    EXPECT_EQ(ask({}, QHostAddress("192.0.2.10")).tables.size(), 1);
    port.clock += 60000;
    EXPECT_EQ(ask().refused, QByteArray());
}

} // namespace
