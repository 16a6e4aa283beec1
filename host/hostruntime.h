#pragma once

#include "host/hostport.h"
#include "host/tserver.h"
#include "protocol/receivequeue.h"
#include "protocol/tsock.h"

#include <QObject>
#include <QTimer>
#include <array>
#include <cstdint>
#include <functional>

// The game host on real sockets and timers: the listening socket `Sock1`, one
// TSock per connection, the receive path into one message queue, and the
// three timers. Everything runs on the thread's event loop.
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
    };

    explicit HostRuntime(std::uint32_t seed, Timing timing, QObject *parent = nullptr);
    explicit HostRuntime(std::uint32_t seed, QObject *parent = nullptr)
        : HostRuntime(seed, Timing{}, parent)
    {
    }
    ~HostRuntime() override;

    // Starts listening on all local addresses (0 picks a free port). Throws
    // ESockException when the port cannot be bound.
    void listen(int port = 7772);
    // The port being listened on, 0 when not listening.
    int port() const;

    TServer &server() { return m_server; }
    const TServer &server() const { return m_server; }
    // Messages received and not yet dispatched.
    std::size_t queued() const { return m_queue.size(); }

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
    void send(int n, const QByteArray &bytes) override;
    void close(int n) override;
    void startTimer1() override;
    void stopTimer1() override;
    void startComputerTimer(int milliseconds) override;
    void stopComputerTimer() override;
    void alert(const QByteArray &text) override;
    std::optional<int> botSpeed() const override;
    bool wantsNotes() const override { return bool(onNote); }
    void note(const QByteArray &line) override;

    void Sock1Read(int n, TSock *sock);
    void tempsockInfo(int n, TSock *sock, const QByteArray &msg);
    void socktimerTimer();
    void forget(int n);

    Timing m_timing;
    TSock m_sock1;
    std::array<TSock *, kRecords + 1> m_socks{};
    std::array<ReceiveBuffer, kRecords + 1> m_buffers;
    MessageQueue m_queue;
    QTimer m_socktimer;
    QTimer m_timer1;
    QTimer m_computertimer;
    TServer m_server;
};
