#include "../common/redis_process.h"
#include "../common/test_support.h"
#include "coordinator/memorystore.h"
#include "coordinator/redisstore.h"

#include <QThread>
#include <gtest/gtest.h>
#include <memory>

namespace {

// The same promises from both stores. The memory store runs on a clock the
// test moves; Redis expires on its own clock, so its test waits real
// milliseconds, kept short.
struct StoreUnderTest
{
    virtual ~StoreUnderTest() = default;
    virtual CoordinatorStore &store() = 0;
    virtual void pass(qint64 ms) = 0;
    virtual QString skipReason() const { return {}; }
};

struct InMemory : StoreUnderTest
{
    qint64 clock = 0;
    MemoryStore memory{[this] { return clock; }};
    CoordinatorStore &store() override { return memory; }
    void pass(qint64 ms) override { clock += ms; }
};

struct InRedis : StoreUnderTest
{
    testsupport::RedisProcess redis;
    std::unique_ptr<RedisStore> redisStore;
    InRedis()
    {
        if (redis.port)
            redisStore = std::make_unique<RedisStore>("127.0.0.1", redis.port);
    }
    CoordinatorStore &store() override { return *redisStore; }
    void pass(qint64 ms) override { QThread::msleep(ms); }
    QString skipReason() const override { return redis.why; }
};

class Stores : public ::testing::TestWithParam<bool>
{
protected:
    void SetUp() override
    {
        if (GetParam())
            subject = std::make_unique<InRedis>();
        else
            subject = std::make_unique<InMemory>();
        if (!subject->skipReason().isEmpty())
            GTEST_SKIP() << qPrintable(subject->skipReason());
    }
    std::unique_ptr<StoreUnderTest> subject;
};

const TableRecord kRecord{"hash1", "A", "81.2.69.142:7772"};
constexpr qint64 kShortMs = 150;

TEST_P(Stores, tablesAreClaimedOnceAndExpire)
{
    CoordinatorStore &store = subject->store();
    ASSERT_TRUE(store.isUp());
    EXPECT_TRUE(store.claimTable("CODE0001", kRecord, kShortMs));
    EXPECT_FALSE(store.claimTable("CODE0001", TableRecord{"hash2", "B", {}}, kShortMs));
    EXPECT_EQ(store.table("CODE0001"), kRecord);
    store.putTable("CODE0002", TableRecord{"hash2", "B", {}}, 60000);
    store.dropTable("CODE0002");
    EXPECT_EQ(store.table("CODE0002"), std::nullopt);
    subject->pass(kShortMs + 50);
    EXPECT_EQ(store.table("CODE0001"), std::nullopt);
    EXPECT_TRUE(store.claimTable("CODE0001", TableRecord{"hash2", "B", {}}, 60000));
}

TEST_P(Stores, aTicketIsTakenOnceAndExpires)
{
    CoordinatorStore &store = subject->store();
    store.putTicket("t1", "CODE0001 r1", 60000);
    store.putTicket("t2", "CODE0001 r1", kShortMs);
    EXPECT_EQ(store.ticket("t1"), "CODE0001 r1");
    EXPECT_EQ(store.takeTicket("t1"), "CODE0001 r1");
    EXPECT_EQ(store.takeTicket("t1"), std::nullopt);
    subject->pass(kShortMs + 50);
    EXPECT_EQ(store.takeTicket("t2"), std::nullopt);
}

TEST_P(Stores, triesAreCountedPerWindow)
{
    CoordinatorStore &store = subject->store();
    for (int i = 1; i <= 5; ++i)
        EXPECT_EQ(store.countTry("join:192.0.2.4", kShortMs), i);
    EXPECT_EQ(store.countTry("join:192.0.2.5", kShortMs), 1);
    subject->pass(kShortMs + 50);
    EXPECT_EQ(store.countTry("join:192.0.2.4", kShortMs), 1);
}

TEST_P(Stores, relaysAreListedWhileTheyAnnounceThemselves)
{
    CoordinatorStore &store = subject->store();
    store.putRelay({"r1", "127.0.0.1:1", 3}, kShortMs);
    store.putRelay({"r2", "127.0.0.1:2", 0}, 60000);
    store.putRelay({"r3", "127.0.0.1:3", 0}, 60000);
    store.dropRelay("r3");
    auto sorted = [](QList<RelayEntry> relays) {
        std::sort(relays.begin(), relays.end(),
                  [](const auto &a, const auto &b) { return a.id < b.id; });
        return relays;
    };
    EXPECT_EQ(sorted(store.relays()),
              (QList<RelayEntry>{{"r1", "127.0.0.1:1", 3}, {"r2", "127.0.0.1:2", 0}}));
    subject->pass(kShortMs + 50);
    EXPECT_EQ(store.relays(), (QList<RelayEntry>{{"r2", "127.0.0.1:2", 0}}));
}

TEST_P(Stores, listingsArePagedInCodeOrderAndLapse)
{
    CoordinatorStore &store = subject->store();
    const auto codesOf = [](const ListingStretch &stretch) {
        QList<QByteArray> codes;
        for (const StoredListing &listing : stretch.found)
            codes.append(listing.code);
        return codes;
    };
    for (const char *code : {"CODE0004", "CODE0001", "CODE0003", "CODE0002", "CODE0005"})
        store.putListing(code, QByteArray("text of ") + code, 60000);
    store.putListing("CODE0003", "short-lived", kShortMs);
    store.putListing("CODE0005", "short-lived", kShortMs);
    store.dropListing("CODE0004");
    ListingStretch first = store.listings({}, 2);
    EXPECT_EQ(codesOf(first), (QList<QByteArray>{"CODE0001", "CODE0002"}));
    EXPECT_EQ(first.found.front().text, "text of CODE0001");
    EXPECT_EQ(first.last, "CODE0002");
    EXPECT_FALSE(first.end);
    EXPECT_EQ(codesOf(store.listings("CODE0002", 10)), (QList<QByteArray>{"CODE0003", "CODE0005"}));
    EXPECT_TRUE(store.listings("CODE0002", 10).end);

    subject->pass(kShortMs + 50);
    const ListingStretch rest = store.listings("CODE0002", 10);
    EXPECT_EQ(codesOf(rest), QList<QByteArray>{}) << "lapsed listings are not given";
    EXPECT_TRUE(rest.end);
    // Put back after it lapsed, a listing is in its place again.
    store.putListing("CODE0003", "back", 60000);
    EXPECT_EQ(codesOf(store.listings({}, 10)),
              (QList<QByteArray>{"CODE0001", "CODE0002", "CODE0003"}));
}

TEST_P(Stores, linesReachTheCoordinatorTheyAreFor)
{
    CoordinatorStore &store = subject->store();
    QList<QByteArray> heardByA;
    QList<QByteArray> heardByB;
    store.listen("A", [&](const QByteArray &line) { heardByA.append(line); });
    store.listen("B", [&](const QByteArray &line) { heardByB.append(line); });
    // A subscription takes effect on its own connection; give it a moment.
    testsupport::waitUntil([] { return false; }, 100);
    store.post("A", "one");
    store.post("B", "two");
    store.post("C", "nobody");
    EXPECT_TRUE(
        testsupport::waitUntil([&] { return heardByA.size() == 1 && heardByB.size() == 1; }));
    EXPECT_EQ(heardByA, QList<QByteArray>{"one"});
    EXPECT_EQ(heardByB, QList<QByteArray>{"two"});
    store.listen("A", {});
    store.post("A", "after");
    testsupport::waitUntil([] { return false; }, 100);
    EXPECT_EQ(heardByA.size(), 1);
}

INSTANTIATE_TEST_SUITE_P(, Stores, ::testing::Values(false, true),
                         [](const auto &info) { return info.param ? "Redis" : "Memory"; });

TEST(RedisStoreDown, refusesOnceItsServerIsGone)
{
    testsupport::RedisProcess redis;
    if (!redis.port)
        GTEST_SKIP() << qPrintable(redis.why);
    RedisStore store("127.0.0.1", redis.port, 200);
    store.putTicket("t", "v", 60000);
    redis.stop();
    EXPECT_FALSE(store.isUp() && store.ticket("t").has_value());
    EXPECT_EQ(store.table("CODE0001"), std::nullopt);
    EXPECT_FALSE(store.isUp());
}

} // namespace
