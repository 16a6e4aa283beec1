// A lobby reads the public tables page by page from a coordinator on
// loopback, and believes a hostile one only as far as it makes sense.
#include "../common/test_support.h"
#include "coordinator/coordinatorserver.h"
#include "coordinator/memorystore.h"
#include "coordinator/tabledirectory.h"
#include "protocol/invitecode.h"

#include <QElapsedTimer>
#include <QTcpServer>
#include <QWebSocket>
#include <QWebSocketServer>
#include <functional>
#include <gtest/gtest.h>

using namespace coord;
using testsupport::waitUntil;

namespace {

PublicListing listing(int n, bool blind = false, int free = 2)
{
    PublicListing l;
    l.name = QString("Table %1").arg(n);
    l.blind = blind;
    l.seated = 4 - free;
    l.free = free;
    l.code = invite::fromBits(quint64(1000 + n));
    return l;
}

QList<QByteArray> codesOf(const QList<PublicListing> &listings)
{
    QList<QByteArray> codes;
    for (const PublicListing &l : listings)
        codes << l.code;
    return codes;
}

// What one fetch came to: the tables, or the reason it failed.
struct Outcome
{
    std::optional<QList<PublicListing>> listings;
    QString failure;
    int reports = 0;
};

Outcome fetchFrom(TableDirectory &directory, const ListingFilter &filter, int waitMs = 5000)
{
    Outcome outcome;
    QObject context;
    QObject::connect(&directory, &TableDirectory::fetched, &context,
                     [&](const QList<PublicListing> &found) {
                         outcome.listings = found;
                         ++outcome.reports;
                     });
    QObject::connect(&directory, &TableDirectory::failed, &context, [&](const QString &why) {
        outcome.failure = why;
        ++outcome.reports;
    });
    directory.fetch(filter);
    EXPECT_EQ(outcome.reports, 0) << "reported from within fetch";
    waitUntil([&] { return outcome.reports > 0; }, waitMs);
    // Nothing more comes of the same fetch.
    waitUntil([] { return false; }, 50);
    EXPECT_EQ(outcome.reports, 1);
    return outcome;
}

TEST(TableDirectory, followsARealCoordinatorsPagesToItsCaps)
{
    QElapsedTimer clock;
    clock.start();
    MemoryStore store([&] { return clock.elapsed(); });
    CoordinatorLimits limits;
    limits.pageSize = 3;
    CoordinatorServer server("c1", store, limits);
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost, 0));
    QList<PublicListing> all;
    for (int n = 0; n < 10; ++n) {
        all << listing(n, n % 3 == 0, n % 2 ? 0 : 2);
        store.putListing(all.last().code, all.last().serialize(), 60000);
    }
    ListingFilter blind;
    blind.blind = true;
    ListingFilter freeSeat;
    freeSeat.freeSeat = true;
    const auto codes = [&](std::initializer_list<int> ns) {
        QList<QByteArray> out;
        for (int n : ns)
            out << all[n].code;
        return out;
    };
    const struct
    {
        ListingFilter filter;
        TableDirectory::Limits limits;
        QList<QByteArray> expected;
    } cases[] = {
        {{}, {}, codes({0, 1, 2, 3, 4, 5, 6, 7, 8, 9})},
        {{}, {200, 2, 5000}, codes({0, 1, 2, 3, 4, 5})},
        {{}, {5, 4, 5000}, codes({0, 1, 2, 3, 4})},
        {blind, {}, codes({0, 3, 6, 9})},
        {freeSeat, {}, codes({0, 2, 4, 6, 8})},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.filter.words().join(' ').toStdString() + " cap " +
                     std::to_string(c.limits.mostListings));
        TableDirectory directory(c.limits);
        directory.setCoordinator("127.0.0.1:" + QString::number(server.port()));
        const Outcome outcome = fetchFrom(directory, c.filter);
        ASSERT_TRUE(outcome.listings) << outcome.failure.toStdString();
        EXPECT_EQ(codesOf(*outcome.listings), c.expected);
        // The connection serves the next fetch as well.
        EXPECT_EQ(codesOf(*fetchFrom(directory, c.filter).listings), c.expected);
    }

    // A new fetch supersedes the one under way: only its answer comes. Of a
    // list of coordinators the first is asked.
    TableDirectory directory;
    directory.setCoordinator(" 127.0.0.1:" + QString::number(server.port()) + ", 127.0.0.1:1");
    directory.fetch(freeSeat);
    EXPECT_EQ(codesOf(*fetchFrom(directory, blind).listings), codes({0, 3, 6, 9}));
    // Without a coordinator nothing is asked of anyone.
    directory.setCoordinator(" ");
    EXPECT_EQ(fetchFrom(directory, {}).failure, TableDirectory::kNoCoordinator);
}

// A coordinator that answers each request for a page with the lines the case
// gives it, and keeps the requests.
struct FakeCoordinator
{
    QWebSocketServer server{"fake", QWebSocketServer::NonSecureMode};
    QStringList requests;
    std::function<QList<QByteArray>(int page, const QString &request)> answer;

    FakeCoordinator()
    {
        server.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&server, &QWebSocketServer::newConnection, [this] {
            QWebSocket *socket = server.nextPendingConnection();
            socket->setParent(&server);
            QObject::connect(
                socket, &QWebSocket::textMessageReceived, [this, socket](const QString &request) {
                    requests << request;
                    for (const QByteArray &line : answer(int(requests.size()), request))
                        socket->sendTextMessage(QString::fromLatin1(line));
                });
        });
    }
    QString address() const { return "127.0.0.1:" + QString::number(server.serverPort()); }
};

QByteArray tableLine(int n, bool blind = false)
{
    return fromCoordinator::Table{listing(n, blind)}.encode();
}

QByteArray pageLine(std::optional<int> next)
{
    return fromCoordinator::Page{next ? std::optional(listing(*next).code) : std::nullopt}.encode();
}

TEST(TableDirectory, aHostileCoordinatorIsBelievedOnlyAsFarAsItMakesSense)
{
    using Lines = QList<QByteArray>;
    ListingFilter blind;
    blind.blind = true;
    blind.freeSeat = true;
    const QString closed = TableDirectory::kClosed;
    const struct
    {
        const char *what;
        std::function<Lines(int page)> answer;
        ListingFilter filter;
        TableDirectory::Limits limits;
        QList<int> expected; // the tables taken, unless it fails
        QString failure;
        QStringList requests; // empty: not checked
    } cases[] = {
        {"garbage and tables out of order or outside the filter are passed over",
         [](int) {
             return Lines{tableLine(5, true),
                          "hello there",
                          tableLine(3, true),
                          tableLine(5, true),
                          "table " + QByteArray(40, 'x'),
                          "\x01\x02",
                          tableLine(6, false),
                          tableLine(7, true) + " ",
                          "hosted 7KQ2M9XD",
                          tableLine(8, true),
                          pageLine(std::nullopt)};
         },
         blind,
         {},
         {5, 8},
         {},
         {"tables blind=y freeseat=y"}},
        {"endless pages are followed to the cap",
         [](int page) {
             return Lines{tableLine(page), pageLine(page)};
         },
         {},
         {},
         {1, 2, 3, 4},
         {},
         {"tables", "tables after=" + listing(1).code, "tables after=" + listing(2).code,
          "tables after=" + listing(3).code}},
        {"a page that does not move on ends the walk",
         [](int page) {
             return Lines{tableLine(page + 4), pageLine(2)};
         },
         {},
         {},
         {5},
         {},
         {"tables"}},
        {"endless tables in one page are taken to the cap",
         [](int) {
             Lines lines;
             for (int n = 0; n < 500; ++n)
                 lines << tableLine(n);
             return lines;
         },
         {},
         {5, 4, 5000},
         {0, 1, 2, 3, 4},
         {},
         {"tables"}},
        {"a coordinator that never answers is given up",
         [](int) { return Lines{}; },
         {},
         {200, 4, 300},
         {},
         TableDirectory::kTimedOut,
         {"tables"}},
        {"a refusal is said as the coordinator words it",
         [](int) {
             return Lines{tableLine(1), fromCoordinator::Refused{refusal::kTooManyTries}.encode()};
         },
         {},
         {},
         {},
         refusal::kTooManyTries,
         {}},
        {"an oversized line closes the connection",
         [](int) {
             return Lines{tableLine(1), "table " + QByteArray(kLongestLine * 4, 'x')};
         },
         {},
         {},
         {},
         closed,
         {}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        FakeCoordinator fake;
        fake.answer = [&](int page, const QString &) { return c.answer(page); };
        TableDirectory directory(c.limits);
        directory.setCoordinator(fake.address());
        const Outcome outcome = fetchFrom(directory, c.filter);
        if (c.failure.isEmpty()) {
            ASSERT_TRUE(outcome.listings) << outcome.failure.toStdString();
            QList<QByteArray> expected;
            for (int n : c.expected)
                expected << listing(n).code;
            EXPECT_EQ(codesOf(*outcome.listings), expected);
        } else {
            EXPECT_EQ(outcome.failure, c.failure);
        }
        if (!c.requests.isEmpty()) {
            EXPECT_EQ(fake.requests, c.requests);
        }
    }

    // Nobody listens at the port.
    QTcpServer taken;
    ASSERT_TRUE(taken.listen(QHostAddress::LocalHost, 0));
    const quint16 nowhere = taken.serverPort();
    taken.close();
    TableDirectory directory;
    directory.setCoordinator("127.0.0.1:" + QString::number(nowhere));
    EXPECT_EQ(fetchFrom(directory, {}).failure,
              "The coordinator cannot be reached (Connection refused).");
}

} // namespace
