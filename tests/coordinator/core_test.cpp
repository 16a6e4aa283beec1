#include "core_fixture.h"
#include "protocol/invitecode.h"

#include <gtest/gtest.h>
#include <memory>

using namespace coord;

namespace {

const QByteArray kKey = QByteArray(32, 'a');
const QByteArray kOtherKey = QByteArray(32, 'b');
const QHostAddress kHome("198.51.100.7");
const QHostAddress kJoiner("192.0.2.9");

// One or two coordinators sharing one store, on one virtual clock.
struct Coordinators : ::testing::Test
{
    RecordingPort port;
    MemoryStore store{[this] { return port.clock; }};
    std::unique_ptr<CoordinatorCore> a = std::make_unique<CoordinatorCore>("A", port, store);
    std::unique_ptr<CoordinatorCore> b = std::make_unique<CoordinatorCore>("B", port, store);

    // Lists a table from connection n and gives its code.
    QByteArray host(CoordinatorCore &core, int n, const QByteArray &line)
    {
        core.connected(n, kHome);
        core.received(n, line);
        const auto hosted = decodeFromCoordinator(port.lastTo(n));
        EXPECT_TRUE(hosted && std::holds_alternative<fromCoordinator::Hosted>(*hosted))
            << port.lastTo(n).constData();
        return hosted ? std::get<fromCoordinator::Hosted>(*hosted).code : QByteArray();
    }
    QByteArray hostRelayed(CoordinatorCore &core, int n)
    {
        const QByteArray code = host(core, n, "host 7772 " + kKey + " -");
        for (const auto &[to, candidate] : port.probes)
            core.probeDone(to, candidate, false);
        return code;
    }
    QByteArray join(CoordinatorCore &core, int n, const QByteArray &code,
                    const QHostAddress &from = kJoiner)
    {
        core.connected(n, from);
        core.received(n, "join " + code);
        return port.lastTo(n);
    }
};

TEST_F(Coordinators, connectBackDecidesBetweenDirectAndRelayed)
{
    // The address the table is seen from and a global one are tried; private
    // and documentation space never are.
    const QByteArray code = host(*a, 1,
                                 "host 7772 " + kKey +
                                     " - 81.2.69.142:7772 192.168.1.5:7772 "
                                     "203.0.113.4:7772 [2a01:4f8::1]:7772");
    QList<QByteArray> tried;
    for (const auto &[n, candidate] : port.probes)
        tried.append(candidate.text());
    EXPECT_EQ(tried,
              (QList<QByteArray>{"198.51.100.7:7772", "81.2.69.142:7772", "[2a01:4f8::1]:7772"}));
    EXPECT_EQ(join(*a, 2, code), QByteArray("refused ") + refusal::kNoRelay)
        << "until the check is done the table is not known to be reachable";
    a->probeDone(1, *Endpoint::parse("198.51.100.7:7772"), false);
    a->probeDone(1, *Endpoint::parse("81.2.69.142:7772"), true);
    EXPECT_EQ(port.lastTo(1), "reach direct 81.2.69.142:7772");
    a->probeDone(1, *Endpoint::parse("[2a01:4f8::1]:7772"), false);
    EXPECT_EQ(port.lastTo(1), "reach direct 81.2.69.142:7772") << "a late failure changes nothing";
    EXPECT_EQ(join(*b, 3, code), "direct 81.2.69.142:7772");
    // As typed by a person: lower case, with its dash.
    EXPECT_EQ(join(*b, 4, invite::display(code).toLower()), "direct 81.2.69.142:7772");

    const QByteArray relayed = hostRelayed(*a, 5);
    EXPECT_EQ(port.lastTo(5), "reach relayed");
    EXPECT_EQ(store.table(relayed)->direct, QByteArray());
}

TEST_F(Coordinators, aRelayedJoinMeetsItsHostAtTheLeastLoadedRelay)
{
    store.putRelay({"r1", "127.0.0.1:9001", 4}, 60000);
    store.putRelay({"r2", "127.0.0.1:9002", 1}, 60000);
    const QByteArray code = hostRelayed(*a, 1);
    // The joiner asks the other coordinator: the request reaches the host
    // through the store.
    const auto answer = decodeFromCoordinator(join(*b, 2, code));
    ASSERT_TRUE(answer && std::holds_alternative<fromCoordinator::ViaRelay>(*answer));
    const auto via = std::get<fromCoordinator::ViaRelay>(*answer);
    EXPECT_EQ(via.relay.text(), "127.0.0.1:9002");
    EXPECT_EQ(port.lastTo(1), "open 127.0.0.1:9002 " + via.ticket);
    EXPECT_EQ(store.ticket(via.ticket), code + " r2");
    port.clock += 60000;
    EXPECT_EQ(store.ticket(via.ticket), std::nullopt) << "tickets expire in a minute";
}

TEST_F(Coordinators, aHostKeepsItsCodeWhenItsCoordinatorDies)
{
    store.putRelay({"r1", "127.0.0.1:9001", 0}, 600000);
    const QByteArray code = hostRelayed(*a, 1);
    a.reset();
    // Its client lists it again elsewhere with the same code and key.
    EXPECT_EQ(host(*b, 7, "host 7772 " + kKey + ' ' + code), code);
    EXPECT_EQ(store.table(code)->owner, "B");
    // The relay is offered while the table is checked again, and the host
    // hears of the joiner on its new coordinator.
    const auto answer = decodeFromCoordinator(join(*b, 8, code));
    ASSERT_TRUE(answer && std::holds_alternative<fromCoordinator::ViaRelay>(*answer));
    EXPECT_TRUE(port.lastTo(7).startsWith("open "));

    // Nobody else can take the code over.
    b->connected(9, kJoiner);
    b->received(9, "host 7772 " + kOtherKey + ' ' + code);
    EXPECT_EQ(port.lastTo(9), QByteArray("refused ") + refusal::kCodeTaken);
}

TEST_F(Coordinators, aTableStaysListedWhileItBeatsAndGoesWhenItStopsOrLeaves)
{
    const QByteArray code = hostRelayed(*a, 1);
    for (int i = 0; i < 4; ++i) {
        port.clock += 30000;
        a->received(1, "beat");
    }
    EXPECT_TRUE(store.table(code));
    a->disconnected(1);
    port.clock += 59000;
    EXPECT_TRUE(store.table(code)) << "a host that lost its coordinator has time to come back";
    port.clock += 1000;
    EXPECT_EQ(join(*a, 2, code), QByteArray("refused ") + refusal::kNoSuchTable);

    const QByteArray second = hostRelayed(*a, 3);
    a->received(3, "leave");
    EXPECT_EQ(join(*a, 4, second), QByteArray("refused ") + refusal::kNoSuchTable);
    a->received(3, "beat");
    EXPECT_EQ(port.lastTo(3), QByteArray("refused ") + refusal::kNotHosting);
}

// A host whose own link dropped comes back to the same coordinator before
// its old connection is found dead: the new one takes the code over.
TEST_F(Coordinators, aHostBackOnANewConnectionTakesItsCodeOver)
{
    for (int n = 100; n < 400; ++n) // enough others that the table grows and moves
        a->connected(n, kJoiner);
    const QByteArray code = hostRelayed(*a, 1);
    EXPECT_EQ(host(*a, 2, "host 7772 " + kKey + ' ' + code), code);
    EXPECT_TRUE(port.closed.contains(1));
    a->received(2, "beat");
    EXPECT_NE(port.lastTo(2), QByteArray("refused ") + refusal::kNotHosting);
    EXPECT_EQ(a->connections(), 300 + 1);
}

// A store that fails on the way says nothing about a code: neither "taken"
// (the host would give its code up) nor "no such table".
TEST(CoordinatorStoreDown, isNeverTakenForAnAnswerAboutTheCode)
{
    // Up when asked first; the next lookup fails, and from then on it is down.
    struct FailingStore : MemoryStore
    {
        using MemoryStore::MemoryStore;
        bool failing = false;
        bool failed = false;
        bool isUp() override { return !failed; }
        bool claimTable(const QByteArray &code, const TableRecord &record, qint64 ttl) override
        {
            failed = failed || failing;
            return !failed && MemoryStore::claimTable(code, record, ttl);
        }
        std::optional<TableRecord> table(const QByteArray &code) override
        {
            failed = failed || failing;
            return failed ? std::nullopt : MemoryStore::table(code);
        }
    };
    RecordingPort port;
    FailingStore store{[&port] { return port.clock; }};
    CoordinatorCore core("A", port, store);
    core.connected(1, kHome);
    core.received(1, "host 7772 " + kKey + " -");
    const auto hosted = decodeFromCoordinator(port.lastTo(1));
    ASSERT_TRUE(hosted && std::holds_alternative<fromCoordinator::Hosted>(*hosted));
    const QByteArray code = std::get<fromCoordinator::Hosted>(*hosted).code;
    core.disconnected(1);
    for (const QByteArray &line : {"host 7772 " + kKey + ' ' + code, "join " + code}) {
        store.failing = true;
        store.failed = false;
        core.connected(2, kHome);
        core.received(2, line);
        EXPECT_EQ(port.lastTo(2), QByteArray("refused ") + refusal::kStoreDown) << line.constData();
        core.disconnected(2);
    }
}

TEST_F(Coordinators, guessingCodesIsCutShortPerAddress)
{
    store.putRelay({"r1", "127.0.0.1:9001", 0}, 600000);
    const QByteArray code = hostRelayed(*a, 1);
    const CoordinatorLimits limits;
    int refusedForTries = 0;
    for (int i = 0; i < limits.joinsPerMinute + 5; ++i) {
        port.clock += 100;
        const QByteArray guess = invite::fromBits(quint64(i) * 7919);
        if (join(*a, 100 + i, guess) == QByteArray("refused ") + refusal::kTooManyTries)
            ++refusedForTries;
    }
    EXPECT_EQ(refusedForTries, 5);
    EXPECT_EQ(join(*a, 200, code), QByteArray("refused ") + refusal::kTooManyTries)
        << "even the right code, until the minute is over";
    EXPECT_TRUE(join(*a, 201, code, QHostAddress("192.0.2.10")).startsWith("relay "))
        << "another address is served";
    // An IPv6 home is one /64: its other addresses share the count.
    for (int i = 0; i < limits.joinsPerMinute; ++i)
        join(*a, 300 + i, code, QHostAddress(QString("2a01:4f8:1:2::%1").arg(i + 1)));
    EXPECT_EQ(join(*a, 400, code, QHostAddress("2a01:4f8:1:2::ffff")),
              QByteArray("refused ") + refusal::kTooManyTries);
    for (int i = 0; i < 2; ++i) {
        port.clock += 30000;
        a->received(1, "beat");
    }
    EXPECT_TRUE(join(*a, 401, code).startsWith("relay "));
}

TEST_F(Coordinators, hostilePeersAreClosed)
{
    struct Case
    {
        const char *what;
        QList<QByteArray> lines;
        qint64 waitMs;
    };
    const QList<Case> cases{
        {"garbage", {"\x01\x02nonsense"}, 0},
        {"an unknown word", {"hello"}, 0},
        {"a host line with a bad key", {"host 7772 XYZ -"}, 0},
        {"a flood of lines", QList<QByteArray>(40, "join 00000000"), 0},
        {"silence", {}, CoordinatorLimits{}.firstLineMs},
    };
    int n = 1000;
    for (const Case &c : cases) {
        ++n;
        a->connected(n, QHostAddress(QString("81.2.69.%1").arg(n % 200)));
        for (const QByteArray &line : c.lines)
            a->received(n, line);
        port.clock += c.waitMs;
        a->tick();
        EXPECT_TRUE(port.closed.contains(n)) << c.what;
    }
    EXPECT_EQ(a->connections(), 0);
    // Lines that arrive after a close change nothing.
    a->received(1001, "join 00000000");
    EXPECT_EQ(port.lastTo(1001), QByteArray());
}

TEST_F(Coordinators, oneConnectionListsOneTable)
{
    hostRelayed(*a, 1);
    a->received(1, "host 7772 " + kKey + " -");
    EXPECT_EQ(port.lastTo(1), QByteArray("refused ") + refusal::kAlreadyHosting);
    EXPECT_EQ(a->tablesHere(), 1);
}

} // namespace
