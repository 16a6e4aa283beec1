// A table listed with a coordinator on loopback: it says where it stands, and
// only global addresses are offered for the coordinator to connect back to.
#include "tests/common/test_support.h"

#include "coordinator/coordinatorserver.h"
#include "coordinator/memorystore.h"
#include "host/hostruntime.h"
#include "protocol/invitecode.h"
#include "reach/tablelisting.h"

#include <QElapsedTimer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QWebSocket>
#include <QWebSocketServer>
#include <gtest/gtest.h>

namespace {

TEST(TableListing, OffersOnlyGlobalAddressesOnce)
{
    ReachStatus reach;
    reach.addresses = {{"11.22.33.1", 7772}, {"192.168.77.10", 7772}, {"2a01:4f8:1:2::7", 7772},
                       {"11.22.33.1", 7772}, {"198.51.100.7", 7772},  {"fe80::1", 7772},
                       {"11.22.33.1", 0},    {"not an address", 7772}};
    EXPECT_EQ(TableListing::candidatesOf(reach),
              (QList<Endpoint>{{"11.22.33.1", 7772}, {"2a01:4f8:1:2::7", 7772}}));
}

TEST(TableListing, WithoutACoordinatorNothingHappens)
{
    TableListing listing(QStringLiteral(" , "));
    listing.list(7772, offStatus(7772, {}));
    EXPECT_FALSE(listing.isOn());
    EXPECT_EQ(listing.state(), TableListing::State::Off);
    EXPECT_EQ(listing.text(), QString());
    EXPECT_TRUE(listing.invitationLines().isEmpty());
}

// The coordinator connects back to the table's port on loopback: a table that
// greets is direct, a port where nothing listens is relayed, and a coordinator
// that is not there is said to be out of reach.
TEST(TableListing, SaysWhereTheTableStands)
{
    QElapsedTimer clock;
    clock.start();
    MemoryStore store([&] { return clock.elapsed(); });
    CoordinatorServer server("c1", store, CoordinatorLimits{}, CoordinatorServerLimits{});
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost, 0));
    HostRuntime table(1);
    table.listen(0, HostReach::ThisComputer);
    QTcpServer silent; // a port that is taken, so nothing else greets there
    ASSERT_TRUE(silent.listen(QHostAddress::LocalHost, 0));
    const int nowhere = silent.serverPort();
    silent.close();

    const QString coordinator = "127.0.0.1:" + QString::number(server.port());
    const struct
    {
        QString coordinator;
        int port;
        TableListing::State state;
        QString text; // %1: the code, %2: the table's port
    } cases[] = {
        {coordinator, table.port(), TableListing::State::Direct,
         "Invite code %1: friends join with the code, directly at 127.0.0.1:%2."},
        {coordinator, nowhere, TableListing::State::Relayed,
         "Invite code %1: friends join with the code through the relay; the coordinator could "
         "not reach this table directly."},
        {"127.0.0.1:" + QString::number(nowhere), table.port(), TableListing::State::Unreachable,
         "The coordinator cannot be reached (Connection refused); trying again."},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        TableListing listing(c.coordinator);
        EXPECT_EQ(listing.text(), "Not listed with the coordinator yet.");
        listing.list(quint16(c.port), offStatus(c.port, {}));
        ASSERT_TRUE(testsupport::waitUntil([&] { return listing.state() == c.state; }, 10000))
            << listing.text().toStdString();
        const QString code = QString::fromLatin1(invite::display(listing.code()));
        EXPECT_EQ(listing.text(),
                  QString(c.text).replace("%1", code).replace("%2", QString::number(c.port)));
        if (c.state != TableListing::State::Unreachable) {
            EXPECT_EQ(listing.invitationLines(), (QStringList{"spades://code/" + code, code}));
        }
        listing.stop();
        EXPECT_EQ(listing.text(), "Not listed with the coordinator: the table has closed");
    }
}

// A coordinator that sends joiners to a relay faster than the table can meet
// them: at most kMostDials relay connections are opened at once, the others
// are said to wait, and a dial that ends makes room for the next.
TEST(TableListing, OpensAtMostFourRelayConnectionsAtOnce)
{
    QTcpServer relay; // takes connections and never answers: every dial waits
    ASSERT_TRUE(relay.listen(QHostAddress::LocalHost, 0));
    QList<QTcpSocket *> waiting;
    QObject::connect(&relay, &QTcpServer::newConnection, [&] {
        while (QTcpSocket *socket = relay.nextPendingConnection())
            waiting << socket;
    });
    QWebSocketServer coordinator("fake", QWebSocketServer::NonSecureMode);
    ASSERT_TRUE(coordinator.listen(QHostAddress::LocalHost, 0));
    QWebSocket *table = nullptr;
    QObject::connect(&coordinator, &QWebSocketServer::newConnection, [&] {
        table = coordinator.nextPendingConnection();
        table->setParent(&coordinator);
        QObject::connect(table, &QWebSocket::textMessageReceived, [&](const QString &text) {
            if (text.startsWith("host "))
                table->sendTextMessage("hosted 7KQ2M9XD");
        });
    });
    int sent = 0;
    const auto sendJoiners = [&](int count) {
        for (int i = 0; i < count; ++i, ++sent) {
            const QByteArray ticket = QByteArray::number(sent, 16).rightJustified(32, '0');
            table->sendTextMessage(QString::fromLatin1(
                coord::fromCoordinator::Open{{"127.0.0.1", relay.serverPort()}, ticket}.encode()));
        }
    };

    TableListing listing("127.0.0.1:" + QString::number(coordinator.serverPort()));
    QStringList notes;
    QObject::connect(&listing, &TableListing::note, [&](const QString &line) { notes << line; });
    listing.list(7772, offStatus(7772, {}));
    ASSERT_TRUE(testsupport::waitUntil([&] { return !listing.code().isEmpty(); }));

    sendJoiners(TableListing::kMostDials + 2);
    ASSERT_TRUE(testsupport::waitUntil([&] { return notes.size() == 2; }));
    EXPECT_EQ(listing.dialsInFlight(), TableListing::kMostDials);
    EXPECT_TRUE(notes.at(0).contains("but 4 relay connections are being opened already"))
        << notes.at(0).toStdString();
    ASSERT_TRUE(testsupport::waitUntil([&] { return waiting.size() == TableListing::kMostDials; }));

    // The relay turns one away: that dial ends, and the next joiner is met.
    waiting.takeFirst()->close();
    ASSERT_TRUE(testsupport::waitUntil([&] { return notes.size() == 3; }));
    EXPECT_TRUE(notes.at(2).startsWith("The relay 127.0.0.1:")) << notes.at(2).toStdString();
    EXPECT_EQ(listing.dialsInFlight(), TableListing::kMostDials - 1);
    sendJoiners(1);
    ASSERT_TRUE(testsupport::waitUntil([&] { return waiting.size() == TableListing::kMostDials; }));
    EXPECT_EQ(listing.dialsInFlight(), TableListing::kMostDials);
    EXPECT_EQ(notes.size(), 3);
    listing.stop();
    EXPECT_EQ(listing.dialsInFlight(), 0);
}

} // namespace
