#include "protocol/receivequeue.h"
#include "protocol/tsock.h"
#include "protocol/winsockerrors.h"
#include "tests/common/loopback.h"
#include "tests/common/test_support.h"

#include <QSocketNotifier>
#include <QTimer>
#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

using testsupport::waitUntil;

namespace {

struct Report
{
    TSocketInfo kind;
    QByteArray text;
};

// Records every report and event of a socket, in order.
struct Recorder
{
    QList<Report> reports;
    QStringList events;

    void attach(TSock &sock)
    {
        sock.OnInfo = [this](TSock *, TSocketInfo kind, const QByteArray &text) {
            reports.append({kind, text});
            events << "info:" + QString::fromLatin1(text);
        };
        sock.OnConnect = [this](TSock *) { events << "connect"; };
        sock.OnDisconnect = [this](TSock *) { events << "disconnect"; };
    }
    bool saw(const QByteArray &text) const
    {
        for (const Report &r : reports) {
            if (r.text == text)
                return true;
        }
        return false;
    }
};

// A listener on a free loopback port and the connections it accepted.
struct Server
{
    TSock listener;
    QList<TSock *> accepted;
    QList<QByteArray> messages;
    QList<ReceiveQueue> buffers;
    Recorder recorder;
    Recorder listenerReports;

    Server()
    {
        listenerReports.attach(listener);
        listener.setPortName("0");
        listener.OnAccept = [this](TSock *sender) {
            TSock *sock = nullptr;
            if (!sender->Accept(sock))
                return;
            accepted.append(sock);
            buffers.append(ReceiveQueue());
            const int index = int(accepted.size()) - 1;
            recorder.attach(*sock);
            sock->OnRead = [this, index](TSock *s, int) {
                if (!buffers[index].append(s->Receive()))
                    s->Close();
                messages.append(buffers[index].takeAll());
            };
        };
        listener.setListen(true);
    }
    int port() const { return listener.localPort(); }
};

int rawConnect(int port)
{
    const int fd = testsupport::connectLoopback(port);
    EXPECT_GE(fd, 0);
    return fd;
}

// A socket that will connect to 127.0.0.1:port, with its reports recorded.
struct Client
{
    TSock sock;
    Recorder rec;

    explicit Client(int port)
    {
        rec.attach(sock);
        sock.setHostName("127.0.0.1");
        sock.setPortName(QString::number(port));
    }
};

void rawSend(int fd, const QByteArray &bytes)
{
    ASSERT_EQ(::send(fd, bytes.constData(), size_t(bytes.size()), MSG_NOSIGNAL),
              ssize_t(bytes.size()));
}

const QByteArray T(1, char(0xFF));

} // namespace

TEST(TSock, ReceivePathCutsChunksIntoMessagesAndAResetPeerIsAClose)
{
    Server server;
    const int fd = rawConnect(server.port());
    ASSERT_TRUE(waitUntil([&] { return server.accepted.size() == 1; }));
    EXPECT_TRUE(server.listenerReports.saw("Created New TSock Structure"));
    EXPECT_TRUE(server.accepted[0]->Connected());
    EXPECT_EQ(server.accepted[0]->HostName(), "127.0.0.1");

    rawSend(fd, "CMD_a+1" + T + "CMD_b+2" + T + "CMD_c+");
    ASSERT_TRUE(waitUntil([&] { return server.messages.size() == 2; }));
    rawSend(fd, "3" + T + T + "CMD_d+4" + T);
    ASSERT_TRUE(waitUntil([&] { return server.messages.size() == 4; }));
    // Two terminators in a row hold an empty message, which is not kept.
    EXPECT_EQ(server.messages, (QList<QByteArray>{"CMD_a+1", "CMD_b+2", "CMD_c+3", "CMD_d+4"}));

    linger hard{1, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
    rawSend(fd, "CMD_partial");
    ::close(fd); // sends a reset
    ASSERT_TRUE(waitUntil([&] { return server.recorder.events.contains("disconnect"); }));
    EXPECT_TRUE(server.recorder.saw("Socket Closed"));
    EXPECT_FALSE(server.accepted[0]->Connected());
    EXPECT_EQ(server.messages.size(), 4); // the unterminated rest is discarded
}

// A connection made elsewhere (as a relay hands one over) behaves like one
// the sockets made themselves: the listener's events on one end, OnConnect
// and queued sends on the other.
TEST(TSock, ConnectionsMadeElsewhereAreTakenOverOnBothEnds)
{
    int ends[2];
    ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, ends), 0);
    Server server;
    TSock *taken = nullptr;
    ASSERT_TRUE(server.listener.AcceptConnected(ends[0], "relay 192.0.2.7", taken));
    ASSERT_NE(taken, nullptr);
    EXPECT_EQ(taken->HostName(), "relay 192.0.2.7");
    QByteArray atHost;
    taken->OnRead = [&](TSock *s, int) { atHost += s->Receive(); };

    Client c(server.port());
    c.sock.OpenConnected(ends[1], "relay");
    EXPECT_TRUE(c.sock.Connected());
    EXPECT_EQ(c.rec.events.count("connect"), 1);
    c.sock.Send("CMD_a+1" + T);
    taken->Send("CMD_b+2" + T);
    QByteArray atClient;
    c.sock.OnRead = [&](TSock *s, int) { atClient += s->Receive(); };
    ASSERT_TRUE(waitUntil([&] { return atHost.size() == 8 && atClient.size() == 8; }));
    EXPECT_EQ(atHost, "CMD_a+1" + T);
    EXPECT_EQ(atClient, "CMD_b+2" + T);

    // Not a listener: the descriptor is closed, not leaked.
    TSock idle;
    const int spare = ::dup(ends[1]);
    EXPECT_THROW(idle.AcceptConnected(spare, "x", taken), ESockException);
    EXPECT_EQ(::fcntl(spare, F_GETFD), -1);
}

TEST(TSock, SendBeforeConnectIsDeliveredAndAnOrderlyCloseReportsDisconnectThenClosed)
{
    Server server;
    Client c(server.port());
    TSock &client = c.sock;
    const Recorder &rec = c.rec;
    EXPECT_FALSE(client.Open());
    client.Send("CMD_x+1" + T);
    EXPECT_TRUE(rec.saw("Lookup Of Port " + QByteArray::number(server.port())));
    EXPECT_TRUE(rec.saw("Lookup Of Host 127.0.0.1"));
    ASSERT_TRUE(waitUntil([&] { return server.messages.size() == 1; }));
    EXPECT_EQ(server.messages[0], "CMD_x+1");
    EXPECT_TRUE(client.Connected());
    EXPECT_TRUE(rec.events.contains("connect"));
    EXPECT_TRUE(rec.saw("Non-Blocking Socket Connected"));
    EXPECT_EQ(client.pendingOutgoing(), 0);

    server.accepted[0]->Close();
    ASSERT_TRUE(waitUntil([&] { return rec.events.contains("disconnect"); }));
    const qsizetype at = rec.events.indexOf("disconnect");
    ASSERT_LT(at + 1, rec.events.size());
    EXPECT_EQ(rec.events[at + 1], "info:Socket Closed");
    EXPECT_FALSE(client.Connected());
    EXPECT_FALSE(client.hasSocket());
}

TEST(TSock, RefusedConnectGivesOnlyTheErrorReport)
{
    int port = 0;
    {
        Server probe; // find a port that is free right now
        port = probe.port();
    }
    Client c(port);
    TSock &client = c.sock;
    const Recorder &rec = c.rec;
    client.Open();
    ASSERT_TRUE(waitUntil([&] { return rec.saw("Error #10061 (WSAECONNREFUSED)"); }));
    // Let the loop run a little: nothing else may follow.
    waitUntil([] { return false; }, 100);
    EXPECT_FALSE(rec.events.contains("connect"));
    EXPECT_FALSE(rec.events.contains("disconnect"));
    EXPECT_FALSE(rec.saw("Socket Closed"));
    EXPECT_TRUE(client.hasSocket()); // stays open and idle
}

TEST(TSock, OverlongMessageClosesOnlyThatConnection)
{
    Server server;
    const int flood = rawConnect(server.port());
    const int quiet = rawConnect(server.port());
    ASSERT_TRUE(waitUntil([&] { return server.accepted.size() == 2; }));
    const QByteArray chunk(16 * 1024, 'x');
    for (int i = 0; i < 5; ++i)
        rawSend(flood, chunk);
    ASSERT_TRUE(waitUntil([&] { return !server.accepted[0]->Connected(); }));
    rawSend(quiet, "CMD_ok+" + T);
    ASSERT_TRUE(waitUntil([&] { return server.messages.contains("CMD_ok+"); }));
    EXPECT_TRUE(server.accepted[1]->Connected());
    ::close(flood);
    ::close(quiet);
}

TEST(TSock, MisuseRaisesTheFixedTexts)
{
    Server server;
    TSock idle, busy, datagram, badService, throwingInfo;
    TSock *none = nullptr;
    busy.setPortName(QString::number(server.port()));
    datagram.setSocketType(stDatagram);
    datagram.setPortName("0");
    badService.setPortName("no-such-service-here");
    throwingInfo.OnInfo = [](TSock *, TSocketInfo, const QByteArray &) {
        throw std::runtime_error("handler failed");
    };
    throwingInfo.setPortName("0");
    TSock &listener = server.listener;
    const std::pair<std::function<void()>, QByteArray> cases[] = {
        {[&] { idle.Send("x"); }, "Send - Socket Not Connected"},
        {[&] { idle.Receive(); }, "Receive - Socket Not Connected"},
        {[&] { idle.Accept(none); }, "Accept - Socket Not In Listening Mode"},
        {[&] { listener.Send("x"); }, "Send - Cannot Send On A Listener Socket"},
        {[&] { listener.Receive(); }, "Receive - Cannot Receive On A Listener Socket"},
        {[&] { listener.setSocketType(stDatagram); },
         "SocketType - Can't Assign Socket Type While Listening"},
        {[&] { busy.setListen(true); }, "Listen - Error Binding Socket"},
        {[&] { datagram.setListen(true); }, "Listen - Cannot Listen On A Datagram Socket"},
        {[&] { badService.setListen(true); }, "Port Lookup - Could Not Find Service Entry"},
        {[&] { throwingInfo.setListen(true); }, "Error here"},
    };
    for (const auto &[call, text] : cases) {
        QByteArray thrown = "no exception";
        try {
            call();
        } catch (const ESockException &e) {
            thrown = e.what();
        }
        EXPECT_EQ(thrown, text);
    }
}

// Lowers the soft limit of open descriptors so the next one cannot be made;
// the old limit comes back at the end of the scope.
class DescriptorsExhausted
{
public:
    DescriptorsExhausted()
    {
        getrlimit(RLIMIT_NOFILE, &m_saved);
        const int lowestFree = ::dup(0);
        ::close(lowestFree);
        rlimit lowered = m_saved;
        lowered.rlim_cur = rlim_t(lowestFree);
        m_ok = lowestFree > 0 && setrlimit(RLIMIT_NOFILE, &lowered) == 0;
    }
    ~DescriptorsExhausted() { setrlimit(RLIMIT_NOFILE, &m_saved); }
    bool ok() const { return m_ok; }

private:
    rlimit m_saved{};
    bool m_ok = false;
};

TEST(TSock, AcceptRefusedBySystemPausesTheListenerThenResumes)
{
    Server server;
    int wakes = 0;
    auto taking = server.listener.OnAccept;
    server.listener.OnAccept = [&](TSock *sender) {
        ++wakes;
        taking(sender);
    };
    const int peer = rawConnect(server.port());
    // UBSan checks a class's type the first time it meets it and needs a spare
    // descriptor to do so; let it meet the classes the pause uses while
    // descriptors are still free.
    {
        QTimer timer;
        timer.setSingleShot(true);
        timer.start(1000);
        timer.stop();
        QSocketNotifier notifier(peer, QSocketNotifier::Write);
        notifier.setEnabled(false);
    }
    {
        DescriptorsExhausted limit;
        ASSERT_TRUE(limit.ok());
        ASSERT_TRUE(waitUntil([&] { return wakes >= 1; }));
        EXPECT_TRUE(server.listener.acceptPaused());
        EXPECT_TRUE(server.accepted.isEmpty());
        // Unpaused, the waiting connection would wake every pass of the loop.
        waitUntil([] { return false; }, TSock::kAcceptPauseMs / 2);
        EXPECT_LE(wakes, 3);
    }
    // Descriptors are free again: the same waiting connection gets in.
    ASSERT_TRUE(waitUntil([&] { return server.accepted.size() == 1; }));
    EXPECT_FALSE(server.listener.acceptPaused());
    rawSend(peer, "CMD_hello+" + T);
    ASSERT_TRUE(waitUntil([&] { return server.messages.size() == 1; }));
    ::close(peer);
}

TEST(TSock, ListenReportsAndStops)
{
    TSock sock;
    Recorder rec;
    rec.attach(sock);
    sock.setPortName("0");
    sock.setListen(true);
    sock.setListen(true);
    sock.setListen(false);
    QList<QByteArray> texts;
    for (const Report &r : rec.reports)
        texts << r.text;
    EXPECT_EQ(texts, (QList<QByteArray>{"Lookup Of Port 0", "Listening Started",
                                        "Listening Already Running", "Socket Closed",
                                        "Listening Stopped"}));
    EXPECT_FALSE(sock.Listen());
}

TEST(WinsockErrors, CodesAndNames)
{
    EXPECT_EQ(winsock::errorText(winsock::fromErrno(ECONNREFUSED)),
              "Error #10061 (WSAECONNREFUSED)");
    EXPECT_EQ(winsock::errorText(winsock::fromErrno(ECONNRESET)), "Error #10054 (WSAECONNRESET)");
    EXPECT_EQ(winsock::name(11001), "WSAHOST_NOT_FOUND");
    EXPECT_EQ(winsock::name(10101), "WSAEDISCON");
    EXPECT_EQ(winsock::name(10000), "UNKNOWN ERROR");
    EXPECT_EQ(winsock::name(10102), "UNKNOWN ERROR");
}
