#pragma once

#include "host/chatallowance.h"
#include "host/hostport.h"
#include "host/hostreach.h"
#include "host/tserver.h"
#include "protocol/receivequeue.h"
#include "protocol/tsock.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <array>
#include <cstdint>
#include <functional>
#include <optional>

// The game host on real sockets and timers: the listening socket `Sock1`, one
// TSock per connection, the receive path into one queue per connection served
// in turn, and the timers. Everything runs on the thread's event loop.
//
// What a connection can make the host hold is bounded (protocol/flowlimits.h):
// a peer that sends more than its queue takes, or does not read what is sent
// to it, is cut off and its seat freed as after any departure. Messages a peer
// sent before closing the connection itself still run, in their turn, before
// its departure; a connection the host closes has its queue dropped. Chat
// and action lines over the sender's allowance are dropped unrelayed.
//
// What the host sends while it handles one event is gathered per connection
// and written at the end of the event in one piece, so that the answers to
// one card or one bid reach a peer together.
//
// Use: make one, set the hooks, call listen(). The window program shows
// onAlert texts as non-blocking message boxes and answers botSpeed from its
// own table's setting; spades-server prints onNote lines.
class HostRuntime : public QObject, private HostPort
{
    Q_OBJECT

public:
    // Timer lengths; tests shorten them to play whole games quickly.
    struct Timing
    {
        int socktimer = 10;        // ms between two dispatched messages
        int timer1 = 1000;         // ms per pause tick
        int computerPercent = 100; // share of the bot speed actually waited
        int loginPercent = 100;    // share of the login deadline actually waited
        int gracePercent = 100;    // share of a kept seat's grace actually waited
        int graceMs = -1;          // a kept seat's grace in place of the host's own (-1)
        int chatBytesPerSecond = limits::kChatBytesPerSecond;
        int chatBurstBytes = limits::kChatBurstBytes;
    };

    explicit HostRuntime(std::uint32_t seed, Timing timing, QObject *parent = nullptr);
    explicit HostRuntime(std::uint32_t seed, QObject *parent = nullptr)
        : HostRuntime(seed, Timing{}, parent)
    {
    }
    ~HostRuntime() override;

    // Starts listening (0 picks a free port) on every local address, or for
    // this computer only on its loopback addresses. Throws ESockException when
    // the port cannot be bound.
    void listen(int port = 7772, HostReach reach = HostReach::Everyone);
    // The port being listened on, 0 when not listening.
    int port() const;
    // A connection made elsewhere (a relay's paired socket) comes in as if the
    // listener had accepted it: the host numbers it, greets it or turns it
    // away. The fd is the host's from here on; one it does not take is closed.
    void takeRelayed(int fd, const QString &peer);

    TServer &server() { return m_server; }
    const TServer &server() const { return m_server; }
    // Messages received and not yet dispatched, over all connections / of one.
    std::size_t queued() const { return m_queue.size(); }
    const ReceiveQueue &queueOf(int n) const { return m_queue[n]; }
    // Bytes waiting to go out to connection n.
    qsizetype unsent(int n) const;

    // An inconsistency to show on the host's screen (default: standard error).
    std::function<void(const QByteArray &)> onAlert;
    // The bot speed of the hosting player's own table, when it shares the
    // process; unset, the host uses the value last sent with CMD_botspeed.
    std::function<std::optional<int>()> botSpeedHook;
    // One line per connection and game event.
    std::function<void(const QByteArray &)> onNote;

private:
    // HostPort
    bool accept(int n) override;
    QByteArray originOf(int n) const override;
    void send(int n, const QByteArray &bytes) override;
    void close(int n) override;
    void startTimer1() override;
    void stopTimer1() override;
    void startComputerTimer(int milliseconds) override;
    void stopComputerTimer() override;
    void startLoginTimer(int n, int milliseconds) override;
    void stopLoginTimer(int n) override;
    void startGraceTimer(int seat, int milliseconds) override;
    void stopGraceTimer(int seat) override;
    void renumber(int from, int to) override;
    QByteArray randomBytes(int count) override;
    void alert(const QByteArray &text) override;
    std::optional<int> botSpeed() const override;
    bool wantsNotes() const override { return bool(onNote); }
    void note(const QByteArray &line) override;

    // Runs one event of the host; what it sent goes out when the outermost
    // event ends.
    template <typename Event> void event(Event &&body)
    {
        struct Depth
        {
            HostRuntime &runtime;
            explicit Depth(HostRuntime &r) : runtime(r) { ++runtime.m_eventDepth; }
            ~Depth()
            {
                if (--runtime.m_eventDepth == 0)
                    runtime.flushAll();
            }
        } depth(*this);
        body();
    }
    void flush(int n);
    void flushAll();
    void bind(int n, TSock *sock);

    void Sock1Read(int n, TSock *sock);
    void tempsockInfo(int n, TSock *sock, const QByteArray &msg);
    void socktimerTimer();
    void forget(int n);
    // Connections gone from the socket's side (m_gone) are reported to the
    // host once what they sent before has run.
    void reportDepartures();
    // Closes connection n at once, dropping its queue, for going over a limit.
    void cutOff(int n, const char *why);
    // Whether a message goes to the host: chat over its sender's allowance
    // is dropped.
    bool withinChatAllowance(int n, const QByteArray &message);

    Timing m_timing;
    TSock m_sock1;
    TSock m_sock1Ipv6;            // a second listener for this computer's ::1
    TSock *m_waitingOn = nullptr; // the listener whose connection is being accepted
    struct Relayed
    {
        int fd = -1;
        QString peer;
    };
    std::optional<Relayed> m_relayed;            // the relayed connection being accepted
    std::array<TSock *, kRecords + 1> m_socks{}; // owned by the listener that accepted them
    std::array<QByteArray, kRecords + 1> m_origins{};
    FairQueue m_queue;
    std::array<bool, kRecords + 1> m_gone{};
    QTimer m_socktimer;
    QTimer m_timer1;
    QTimer m_computertimer;
    std::array<QTimer, kRecords + 1> m_logintimers;
    std::array<QTimer, cards::kSeats + 1> m_gracetimers;
    std::array<QByteArray, kRecords + 1> m_pending{};
    int m_eventDepth = 0;
    std::array<ChatAllowance, kRecords + 1> m_chat{};
    QElapsedTimer m_clock;
    TServer m_server;
};
