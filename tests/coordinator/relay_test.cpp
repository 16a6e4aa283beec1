#include "relay_fixture.h"

#include <gtest/gtest.h>

using relay::Role;

namespace {

struct Relay : ::testing::Test, RelayFixture
{
    void SetUp() override { start(); }
};

TEST_F(Relay, splicesAJoinerAndItsHostBytesInOrder)
{
    auto [host, joiner] = pair(ticket());
    ASSERT_GE(host.fd, 0);
    ASSERT_GE(joiner.fd, 0);
    EXPECT_EQ(relay->pairs(), 1);
    // More than every buffer on the way holds, so the relay has to wait for
    // the joiner to read.
    QByteArray stream;
    for (int i = 0; stream.size() < 3 * 1024 * 1024; ++i)
        stream += QByteArray::number(i) + ',';
    qsizetype sent = 0;
    ASSERT_TRUE(testsupport::waitUntil(
        [&] {
            sent += host.send(
                QByteArrayView(stream).sliced(sent, qMin<qsizetype>(65536, stream.size() - sent)));
            joiner.read();
            return joiner.received.size() == stream.size() || joiner.closed;
        },
        20000));
    EXPECT_TRUE(joiner.received == stream);
    joiner.send("CMD_logininfo+1+x+y\xFF");
    ASSERT_TRUE(host.waitFor(19));
    EXPECT_EQ(host.received, "CMD_logininfo+1+x+y\xFF");
    // The host goes: what it sent last still arrives, then the joiner is closed.
    host.send("bye");
    ::shutdown(host.fd, SHUT_WR);
    EXPECT_TRUE(joiner.waitClosed());
    EXPECT_TRUE(joiner.received.endsWith("bye"));
    EXPECT_TRUE(testsupport::waitUntil([&] { return relay->pairs() == 0; }));
}

TEST_F(Relay, turnsAwayWhatHasNoValidTicket)
{
    const QByteArray used = ticket();
    {
        auto [host, joiner] = pair(used);
    }
    const struct
    {
        const char *what;
        QByteArray bytes;
        const char *why;
    } cases[] = {
        {"a web request", "GET / HTTP/1.1\r\nHost: x\r\n\r\n", RelayServer::kBadPreamble},
        {"an oversized preamble", QByteArray(200, 'S'), RelayServer::kBadPreamble},
        {"an unknown ticket", relay::Preamble{Role::Join, QByteArray(32, 'f')}.encode(),
         RelayServer::kBadTicket},
        {"a replayed ticket", relay::Preamble{Role::Join, used}.encode(), RelayServer::kBadTicket},
        {"a ticket for another relay", relay::Preamble{Role::Join, ticket("r2")}.encode(),
         RelayServer::kBadTicket},
        {"a host with an unknown ticket", relay::Preamble{Role::Host, QByteArray(32, 'f')}.encode(),
         RelayServer::kBadTicket},
        {"silence", {}, RelayServer::kBadPreamble},
    };
    for (const auto &c : cases) {
        Peer peer = raw(c.bytes);
        EXPECT_TRUE(peer.waitClosed()) << c.what;
        EXPECT_EQ(peer.received, relay::refusedLine(c.why)) << c.what;
    }
    const QByteArray expired = ticket("r1", 50);
    testsupport::waitUntil([] { return false; }, 100);
    QString why;
    EXPECT_LT(dial(Role::Join, expired, &why).fd, 0);
    EXPECT_EQ(why, QString("The relay refused: ") + RelayServer::kBadTicket);
    EXPECT_TRUE(testsupport::waitUntil([&] { return relay->connections() == 0; }));
}

TEST_F(Relay, aSideWhosePeerNeverComesIsClosed)
{
    const QByteArray lonely = ticket();
    Peer joiner = raw(relay::Preamble{Role::Join, lonely}.encode());
    EXPECT_TRUE(testsupport::waitUntil([&] { return relay->waiting() == 1; }));
    EXPECT_TRUE(joiner.waitClosed());
    EXPECT_EQ(joiner.received, relay::refusedLine(RelayServer::kNoPeer));
    EXPECT_EQ(relay->waiting(), 0);
    // Its ticket was used up when it came.
    EXPECT_EQ(store.ticket(lonely), std::nullopt);
    // Two hosts cannot wait with one ticket.
    const QByteArray shared = ticket();
    Peer first = raw(relay::Preamble{Role::Host, shared}.encode());
    Peer second = raw(relay::Preamble{Role::Host, shared}.encode());
    EXPECT_TRUE(second.waitClosed());
    EXPECT_EQ(second.received, relay::refusedLine(RelayServer::kBadTicket));
}

TEST_F(Relay, boundsWhatOneAddressAndOneSlowReaderCost)
{
    std::vector<Peer> idle;
    for (int i = 0; i < limits.perAddress; ++i)
        idle.push_back(raw());
    Peer tooMany = raw();
    EXPECT_TRUE(tooMany.waitClosed());
    EXPECT_EQ(tooMany.received, relay::refusedLine(RelayServer::kTooMany));
    idle.clear();
    ASSERT_TRUE(testsupport::waitUntil([&] { return relay->connections() == 0; }));

    // A joiner that never reads: the host's bytes pile up to the cap, no
    // further, and after the slow reader's time both sides are cut.
    auto [host, joiner] = pair(ticket());
    auto [otherHost, otherJoiner] = pair(ticket());
    const QByteArray chunk(65536, 'x');
    qint64 accepted = 0;
    testsupport::waitUntil(
        [&] {
            accepted += host.send(chunk);
            host.read();
            return host.closed;
        },
        10000);
    EXPECT_TRUE(host.closed);
    EXPECT_LT(accepted, 256LL * 1024 * 1024) << "the host could write without end";
    // The other pair was served all along.
    otherHost.send("CMD_sendlogininfo+2\xFF");
    EXPECT_TRUE(otherJoiner.waitFor(20));
    EXPECT_EQ(relay->pairs(), 1);
}

} // namespace
