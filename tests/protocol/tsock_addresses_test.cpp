// Connections over IPv6 and IPv4, and host names looked up without waiting.
#include "protocol/receivequeue.h"
#include "protocol/tsock.h"
#include "tests/common/fake_resolver.h"
#include "tests/common/test_support.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <gtest/gtest.h>

using testsupport::FakeResolver;
using testsupport::waitUntil;

namespace {

const QByteArray T(1, char(0xFF));

// A client socket and everything it reported.
struct Client
{
    TSock sock;
    QList<QByteArray> reports;
    QList<QByteArray> failures;
    bool connected = false;

    explicit Client(int port, HostResolver *resolver = nullptr)
    {
        sock.setPortName(QString::number(port));
        sock.setResolver(resolver);
        sock.OnInfo = [this](TSock *, TSocketInfo, const QByteArray &text) { reports << text; };
        sock.OnConnect = [this](TSock *) { connected = true; };
        sock.OnFailure = [this](TSock *, const QByteArray &text) { failures << text; };
    }
    void open(const char *host)
    {
        sock.setHostName(QString::fromLatin1(host));
        sock.Open();
    }
    qsizetype errors() const
    {
        return std::count_if(reports.begin(), reports.end(),
                             [](const QByteArray &r) { return r.startsWith("Error #"); });
    }
};

TEST(TSockAddresses, TheListenerTakesIpv6AndIpv4OnOnePort)
{
    if (!testsupport::ipv6LoopbackWorks())
        GTEST_SKIP() << "this machine has no IPv6 loopback address";
    TSock listener;
    listener.setPortName("0");
    QList<TSock *> accepted;
    QList<QByteArray> messages;
    ReceiveQueue buffer;
    listener.OnAccept = [&](TSock *sender) {
        TSock *sock = nullptr;
        if (!sender->Accept(sock))
            return;
        accepted << sock;
        sock->OnRead = [&](TSock *s, int) {
            EXPECT_TRUE(buffer.append(s->Receive()));
            messages << buffer.takeAll();
        };
    };
    listener.setListen(true);
    const struct
    {
        const char *host;
        const char *peer;
    } cases[] = {
        {"::1", "::1"},
        {"[::1]", "::1"},
        {"127.0.0.1", "127.0.0.1"},
        {"::ffff:127.0.0.1", "127.0.0.1"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.host);
        Client client(listener.localPort());
        client.open(c.host);
        client.sock.Send(QByteArray("CMD_hi+") + c.host + T);
        ASSERT_TRUE(waitUntil([&] { return messages.contains(QByteArray("CMD_hi+") + c.host); }));
        EXPECT_EQ(accepted.last()->HostName(), QString::fromLatin1(c.peer));
        EXPECT_TRUE(client.connected);
    }
}

TEST(TSockAddresses, ANameIsLookedUpAndEachAddressTriedInTurn)
{
    if (!testsupport::ipv6LoopbackWorks())
        GTEST_SKIP() << "this machine has no IPv6 loopback address";
    const QHostAddress v4 = QHostAddress::LocalHost;
    const QHostAddress v6 = QHostAddress::LocalHostIPv6;
    const struct
    {
        QList<QHostAddress> answer;
        std::optional<QHostAddress> listening; // only this address takes connections
        bool connects;
    } cases[] = {
        {{v6, v4}, v4, true},
        {{v4, v6}, v6, true},
        {{v6}, v6, true},
        {{v4, v6}, std::nullopt, false},
    };
    for (const auto &c : cases) {
        QTcpServer server;
        ASSERT_TRUE(server.listen(c.listening.value_or(v4), 0));
        const int port = server.serverPort();
        if (!c.listening)
            server.close();
        FakeResolver resolver;
        Client client(port, &resolver);
        client.open("game.example.org");
        ASSERT_EQ(resolver.asked.size(), 1);
        EXPECT_EQ(resolver.asked[0].name, "game.example.org");
        EXPECT_TRUE(client.sock.lookingUp());
        // Text sent while the name is looked up waits for the connection.
        client.sock.Send("CMD_x+1" + T);
        resolver.reply(0, c.answer);
        if (c.connects) {
            ASSERT_TRUE(waitUntil([&] { return server.hasPendingConnections(); }));
            QTcpSocket *peer = server.nextPendingConnection();
            ASSERT_TRUE(waitUntil([&] { return peer->bytesAvailable() >= 8; }));
            EXPECT_EQ(peer->readAll(), "CMD_x+1" + T);
            EXPECT_TRUE(client.connected);
            EXPECT_EQ(client.errors(), 0);
        } else {
            // Only the last refusal is reported, as for a single address.
            ASSERT_TRUE(waitUntil([&] { return client.errors() > 0; }));
            waitUntil([] { return false; }, 50);
            EXPECT_EQ(client.reports.last(), "Error #10061 (WSAECONNREFUSED)");
            EXPECT_EQ(client.errors(), 1);
            EXPECT_FALSE(client.connected);
        }
    }
}

TEST(TSockAddresses, AnUnknownNameIsReportedAndAClosedLookupIsForgotten)
{
    FakeResolver resolver;
    Client unknown(7772, &resolver);
    unknown.open("nowhere.example.org");
    EXPECT_TRUE(unknown.failures.isEmpty());
    unknown.sock.Send("CMD_x+1" + T);
    resolver.reply(0, {});
    EXPECT_EQ(unknown.failures, QList<QByteArray>{"Host Lookup - Could Not Find Host Entry"});
    EXPECT_FALSE(unknown.sock.lookingUp());
    EXPECT_FALSE(unknown.sock.hasSocket());
    EXPECT_EQ(unknown.sock.pendingOutgoing(), 0);

    Client closed(7772, &resolver);
    closed.open("slow.example.org");
    closed.open("slow.example.org"); // a second Open while waiting asks nothing more
    ASSERT_EQ(resolver.asked.size(), 2);
    closed.sock.Close();
    EXPECT_TRUE(resolver.asked[1].cancelled);
    EXPECT_FALSE(closed.sock.lookingUp());
    EXPECT_TRUE(closed.reports.contains("Socket Closed"));
}

} // namespace
