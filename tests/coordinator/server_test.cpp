#include "../common/service_process.h"
#include "../common/test_support.h"
#include "coordinator/coordinatorclient.h"
#include "coordinator/coordinatorserver.h"
#include "protocol/invitecode.h"
#include "coordinator/memorystore.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QWebSocket>
#include <gtest/gtest.h>
#include <memory>

using testsupport::waitUntil;

namespace {

// A coordinator on loopback in this process, on a memory store.
struct Server : ::testing::Test
{
    QElapsedTimer clock;
    MemoryStore store{[this] { return clock.elapsed(); }};
    std::unique_ptr<CoordinatorServer> server;

    void SetUp() override
    {
        clock.start();
        CoordinatorLimits limits;
        limits.firstLineMs = 300;
        CoordinatorServerLimits serverLimits;
        serverLimits.perAddress = 4;
        server = std::make_unique<CoordinatorServer>("c1", store, limits, serverLimits);
        ASSERT_TRUE(server->listen(QHostAddress::LocalHost, 0));
    }
    QString address() const { return "127.0.0.1:" + QString::number(server->port()); }
    std::unique_ptr<QWebSocket> open()
    {
        auto socket = std::make_unique<QWebSocket>();
        bool ended = false;
        QObject::connect(socket.get(), &QWebSocket::disconnected, [&] { ended = true; });
        socket->open(CoordinatorClient::urlOf(address()));
        waitUntil([&] { return ended || socket->state() == QAbstractSocket::ConnectedState; });
        QObject::disconnect(socket.get(), &QWebSocket::disconnected, nullptr, nullptr);
        return socket;
    }
    static bool closes(QWebSocket &socket)
    {
        return waitUntil([&] { return socket.state() == QAbstractSocket::UnconnectedState; });
    }
};

TEST_F(Server, closesWhatNoTableOrJoinerWouldSend)
{
    auto oversized = open();
    oversized->sendTextMessage(QString(4096, 'j'));
    auto binary = open();
    binary->sendBinaryMessage("join 7KQ2M9XD");
    auto silent = open();
    auto garbage = open();
    garbage->sendTextMessage("\x01\x02\x03");
    for (QWebSocket *socket : {oversized.get(), binary.get(), silent.get(), garbage.get()})
        EXPECT_TRUE(closes(*socket));
    EXPECT_EQ(server->core().connections(), 0);

    // One address holds a few connections at most; the rest are turned away
    // while those already in are served.
    std::vector<std::unique_ptr<QWebSocket>> many;
    int answered = 0;
    for (int i = 0; i < 6; ++i) {
        QWebSocket *socket = many.emplace_back(open()).get();
        QObject::connect(socket, &QWebSocket::textMessageReceived, [&](const QString &text) {
            answered += text == QString("refused ") + coord::refusal::kNoSuchTable;
        });
        socket->sendTextMessage("join 7KQ2M9XD");
    }
    EXPECT_TRUE(waitUntil([&] { return answered == 4; }));
    int closed = 0;
    for (auto &socket : many)
        closed += socket->state() == QAbstractSocket::UnconnectedState;
    EXPECT_EQ(closed, 2);
}

TEST_F(Server, aTableIsFoundByConnectingBackToItsGreeting)
{
    // A table that greets newcomers as the game host does, and a port that
    // answers with something else.
    QTcpServer table;
    table.listen(QHostAddress::LocalHost, 0);
    QObject::connect(&table, &QTcpServer::newConnection, [&] {
        while (QTcpSocket *socket = table.nextPendingConnection())
            socket->write("CMD_sendlogininfo+5\xFF");
    });
    QTcpServer impostor;
    impostor.listen(QHostAddress::LocalHost, 0);
    QObject::connect(&impostor, &QTcpServer::newConnection, [&] {
        while (QTcpSocket *socket = impostor.nextPendingConnection())
            socket->write("SSH-2.0-x\r\n\xFF");
    });
    const struct
    {
        quint16 port;
        std::optional<Endpoint> reach;
    } cases[] = {
        {table.serverPort(), Endpoint::of(QHostAddress::LocalHost, table.serverPort())},
        {impostor.serverPort(), std::nullopt},
    };
    for (const auto &c : cases) {
        CoordinatorClient host({address()});
        std::optional<std::optional<Endpoint>> reach;
        QObject::connect(&host, &CoordinatorClient::reachKnown,
                         [&](const std::optional<Endpoint> &direct) { reach = direct; });
        host.host(c.port, {});
        ASSERT_TRUE(waitUntil([&] { return reach.has_value(); })) << c.port;
        EXPECT_EQ(*reach, c.reach);
        ASSERT_FALSE(host.code().isEmpty());

        CoordinatorClient joiner({address()});
        std::optional<Endpoint> direct;
        QString refused;
        QObject::connect(&joiner, &CoordinatorClient::joinDirect,
                         [&](const Endpoint &table) { direct = table; });
        QObject::connect(&joiner, &CoordinatorClient::refused,
                         [&](const QString &why) { refused = why; });
        joiner.join(QString::fromLatin1(invite::display(host.code())).toLower());
        ASSERT_TRUE(waitUntil([&] { return direct || !refused.isEmpty(); }));
        if (c.reach)
            EXPECT_EQ(direct, c.reach);
        else
            EXPECT_EQ(refused, coord::refusal::kNoRelay);
        host.stopHosting();
    }
}

TEST(CoordinatorClientAlone, saysSoWhenNoCoordinatorAnswers)
{
    CoordinatorClient joiner({"127.0.0.1:1", "127.0.0.1:2"});
    QString refused;
    QObject::connect(&joiner, &CoordinatorClient::refused,
                     [&](const QString &why) { refused = why; });
    joiner.join("no such code!");
    EXPECT_EQ(refused, CoordinatorClient::kNotACode);
    refused.clear();
    joiner.join("7KQ2-M9XD");
    EXPECT_TRUE(waitUntil([&] { return !refused.isEmpty(); }));
    EXPECT_EQ(refused, CoordinatorClient::kNoCoordinator);
    EXPECT_EQ(CoordinatorClient::urlOf("coordinator.example.net").toString(),
              "ws://coordinator.example.net:7773/");
    EXPECT_EQ(CoordinatorClient::urlOf("[::1]:9").toString(), "ws://[::1]:9/");
    EXPECT_EQ(CoordinatorClient::urlOf("wss://c.example.net/spades").toString(),
              "wss://c.example.net/spades");
}

} // namespace

namespace {

TEST(CoordinatorProgram, speaksWssWhenGivenACertificate)
{
    const QString openssl = QStandardPaths::findExecutable("openssl");
    if (openssl.isEmpty())
        GTEST_SKIP() << "openssl is not installed: no certificate to test with";
    QTemporaryDir dir;
    const QString cert = dir.filePath("cert.pem");
    const QString key = dir.filePath("key.pem");
    QProcess make;
    make.start(openssl, {"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "1", "-subj",
                         "/CN=127.0.0.1", "-keyout", key, "-out", cert});
    ASSERT_TRUE(make.waitForFinished(60000) && make.exitCode() == 0);

    testsupport::ServiceProcess coordinator(
        SPADES_COORDINATOR,
        {"--port", "0", "--listen", "127.0.0.1", "--tls-cert", cert, "--tls-key", key});
    ASSERT_NE(coordinator.port, 0) << coordinator.out.constData();
    QWebSocket socket;
    // The certificate is the test's own; a player's client checks it.
    QObject::connect(&socket, &QWebSocket::sslErrors, [&] { socket.ignoreSslErrors(); });
    QString answer;
    QObject::connect(&socket, &QWebSocket::textMessageReceived,
                     [&](const QString &text) { answer = text; });
    QObject::connect(&socket, &QWebSocket::connected,
                     [&] { socket.sendTextMessage("join 7KQ2M9XD"); });
    socket.open(QUrl(QString("wss://127.0.0.1:%1/").arg(coordinator.port)));
    EXPECT_TRUE(waitUntil([&] { return !answer.isEmpty(); }, 10000));
    EXPECT_EQ(answer, QString("refused ") + coord::refusal::kNoSuchTable);

    testsupport::ServiceProcess unreadable(
        SPADES_COORDINATOR, {"--port", "0", "--tls-cert", cert, "--tls-key", cert + ".missing"});
    EXPECT_EQ(unreadable.port, 0);
    unreadable.process.waitForFinished(5000);
    EXPECT_EQ(unreadable.process.state(), QProcess::NotRunning);
    EXPECT_EQ(unreadable.process.exitCode(), 1);
}

} // namespace
