// Joining a table by its code from the command line, through a coordinator
// and a relay on loopback, as the lobby starts the game for a code.
#include "client/tchat.h"
#include "coordinator/codeconnector.h"
#include "coordinator/coordinatorclient.h"
#include "coordinator/coordinatorserver.h"
#include "coordinator/memorystore.h"
#include "coordinator/relaydialer.h"
#include "host/hostruntime.h"
#include "protocol/invitecode.h"
#include "relay/relayserver.h"
#include "shell/spadesapp.h"
#include "tests/common/test_support.h"
#include "tests/shell/quiet_apps.h"

#include <QElapsedTimer>
#include <QTcpServer>
#include <QTcpSocket>
#include <gtest/gtest.h>
#include <list>

using testsupport::waitUntil;

namespace {

// The table's end of a relayed connection, spliced here to the host's port.
struct Bridge
{
    RelayDialer dialer;
    QTcpSocket relayed;
    QTcpSocket table;

    Bridge(const Endpoint &relay, const QByteArray &ticket, int hostPort)
    {
        QObject::connect(&dialer, &RelayDialer::ready, [this, hostPort](int fd) {
            relayed.setSocketDescriptor(fd);
            table.connectToHost(QHostAddress::LocalHost, quint16(hostPort));
        });
        QObject::connect(&relayed, &QTcpSocket::readyRead,
                         [this] { table.write(relayed.readAll()); });
        QObject::connect(&table, &QTcpSocket::readyRead,
                         [this] { relayed.write(table.readAll()); });
        QObject::connect(&relayed, &QTcpSocket::disconnected, [this] { table.close(); });
        QObject::connect(&table, &QTcpSocket::disconnected, [this] { relayed.close(); });
        dialer.dial(relay, relay::Preamble{relay::Role::Host, ticket}, 5000);
    }
};

enum class Way { Direct, Relayed, RelayedButTheTableNeverComes };

class CodeJoin : public QuietApps
{
protected:
    void SetUp() override
    {
        QuietApps::SetUp();
        m_clock.start();
        m_coordinator = std::make_unique<CoordinatorServer>("c1", m_store);
        ASSERT_TRUE(m_coordinator->listen(QHostAddress::LocalHost, 0));
        RelayLimits limits;
        limits.pairingMs = 500;
        m_relay = std::make_unique<RelayServer>("r1", m_store, limits);
        ASSERT_TRUE(m_relay->listen(QHostAddress::LocalHost, 0));
        m_host = std::make_unique<SpadesApp>(QStringList{"Ann", "127.0.0.1", "true"}, quiet(0));
        m_host->start();
        ASSERT_TRUE(waitUntil([&] { return m_host->table()->myseat() == 1; }));
    }
    QString coordinator() const { return "127.0.0.1:" + QString::number(m_coordinator->port()); }

    // Lists the host's table and gives its code. A relayed table is listed
    // with a port where nothing answers, so the connect-back fails.
    QString list(Way way)
    {
        m_lister = std::make_unique<CoordinatorClient>(QStringList{coordinator()});
        QObject::connect(m_lister.get(), &CoordinatorClient::openRelay,
                         [this, way](const Endpoint &relay, const QByteArray &ticket) {
                             ++relayRequests;
                             if (way == Way::Relayed)
                                 m_bridges.emplace_back(relay, ticket, m_host->host()->port());
                         });
        std::optional<std::optional<Endpoint>> reach;
        QObject::connect(m_lister.get(), &CoordinatorClient::reachKnown,
                         [&](const std::optional<Endpoint> &direct) { reach = direct; });
        m_lister->host(way == Way::Direct ? quint16(m_host->host()->port()) : deadPort(), {});
        EXPECT_TRUE(waitUntil([&] { return reach.has_value(); }));
        EXPECT_EQ(reach && *reach, way == Way::Direct);
        return QString::fromLatin1(invite::display(m_lister->code()));
    }
    static quint16 deadPort()
    {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost, 0);
        return probe.serverPort();
    }
    const SeatRecord &seat(int n) const { return m_host->host()->server().seats()[n]; }

    QElapsedTimer m_clock;
    MemoryStore m_store{[this] { return m_clock.elapsed(); }};
    std::unique_ptr<CoordinatorServer> m_coordinator;
    std::unique_ptr<RelayServer> m_relay;
    std::unique_ptr<SpadesApp> m_host;
    std::unique_ptr<CoordinatorClient> m_lister;
    std::list<Bridge> m_bridges;
    int relayRequests = 0;
};

TEST_F(CodeJoin, AGuestJoinsByCodeStraightOrThroughTheRelayAndLogsIn)
{
    for (const Way way : {Way::Direct, Way::Relayed}) {
        SCOPED_TRACE(way == Way::Direct ? "direct" : "relayed");
        const QString code = list(way);
        {
            // The default port leads nowhere: only the coordinator's answer can work.
            SpadesApp guest({"Bob", code.toLower(), "join", "--coordinator", coordinator()},
                            quiet(1));
            guest.start();
            ASSERT_TRUE(waitUntil([&] { return guest.table()->myseat() == 2; }));
            ASSERT_TRUE(waitUntil([&] { return seat(2).name == "Bob"; }));
            EXPECT_TRUE(guest.table()->chatLines().contains("0+Asking the coordinator for table " +
                                                            code + "..."));
            EXPECT_EQ(relayRequests, way == Way::Relayed ? 1 : 0);
        }
        ASSERT_TRUE(waitUntil([&] { return !seat(2).connected; }));
        m_lister->stopHosting();
        relayRequests = 0;
    }
    EXPECT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
}

// A relay's ticket is good once: the way back after a lost connection asks
// the coordinator again, and the table is back in its own seat.
TEST_F(CodeJoin, TheWayBackAsksTheCoordinatorAgain)
{
    const QString code = list(Way::Relayed);
    SpadesApp guest({"Bob", code, "join", "--coordinator", coordinator()}, quiet(1));
    guest.start();
    ASSERT_TRUE(waitUntil([&] { return guest.table()->myseat() == 2; }));
    // Cy comes after Bob's seat ticket on Bob's connection: once Bob's table
    // knows Cy, it holds its ticket.
    SpadesApp cy({"Cy", "127.0.0.1", "join"}, quiet(m_host->host()->port()));
    cy.start();
    ASSERT_TRUE(waitUntil([&] { return guest.table()->model().seatName(3) == "Cy"; }));
    // What the socket reports when the network fails under it.
    guest.table()->sockError();
    guest.table()->sockInfo("Socket Closed");
    ASSERT_TRUE(guest.table()->reconnecting());
    ASSERT_TRUE(waitUntil([&] { return !guest.table()->reconnecting(); }, 15000));
    EXPECT_EQ(guest.table()->myseat(), 2);
    EXPECT_EQ(relayRequests, 2);
    EXPECT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
}

TEST_F(CodeJoin, ARefusalIsToldInPlainWords)
{
    const QString relayFailed = QString("Could not reach the table through the relay: The relay "
                                        "refused: ") +
                                RelayServer::kNoPeer;
    const struct
    {
        Way way;
        QStringList options; // after the code and "join"
        QString shown;
    } cases[] = {
        {Way::Direct, {}, CodeConnector::kNoCoordinatorSet},
        {Way::Direct, {"--coordinator", "127.0.0.1:1"}, CoordinatorClient::kNoCoordinator},
        {Way::RelayedButTheTableNeverComes, {"--coordinator", "%1"}, relayFailed},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.shown.toStdString());
        const QString code = list(c.way);
        QStringList arguments{"Bob", code, "join"};
        for (const QString &option : c.options)
            arguments << (option == "%1" ? coordinator() : option);
        messages.clear();
        SpadesApp guest(arguments, quiet(1));
        guest.start();
        ASSERT_TRUE(waitUntil([&] { return !messages.isEmpty(); }));
        EXPECT_EQ(messages, QStringList{c.shown});
        EXPECT_TRUE(guest.table()->chatLines().contains("0+" + c.shown));
        EXPECT_EQ(guest.table()->myseat(), 0);
        m_lister->stopHosting();
    }
    // A code nobody listed.
    messages.clear();
    SpadesApp guest({"Bob", "7KQ2-M9XD", "join", "--coordinator", coordinator()}, quiet(1));
    guest.start();
    ASSERT_TRUE(waitUntil([&] { return !messages.isEmpty(); }));
    EXPECT_EQ(messages, QStringList{coord::refusal::kNoSuchTable});
}

} // namespace
