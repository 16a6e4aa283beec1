#pragma once

#include "host/hostport.h"

#include <QByteArray>
#include <QList>
#include <array>
#include <cstdint>
#include <utility>
#include <vector>

class TServer;

// A HostPort for running the host without sockets or a clock: it keeps what
// is sent to each connection and runs the timers on a virtual clock, so a
// whole game with its pauses plays in microseconds. Used by tests, self-play
// and benchmarks.
class VirtualPort : public HostPort
{
public:
    struct Sent
    {
        int connection = 0;
        QByteArray message; // without the terminator
    };

    // The server whose timer handlers the clock calls.
    void attach(TServer *server) { m_server = server; }

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
    void alert(const QByteArray &text) override { alerts << text; }
    std::optional<int> botSpeed() const override { return hostBotSpeed; }

    // The virtual clock, in milliseconds from the start.
    std::int64_t now() const { return m_now; }
    // Runs every timer event due up to now + ms, in time order.
    void advance(std::int64_t ms);
    // Moves the clock to the next timer event and runs it; false when no
    // timer is running.
    bool step();
    bool timer1Running() const { return m_timer1Due >= 0; }
    bool computerTimerRunning() const { return m_computerDue >= 0; }
    int computerDelay() const { return m_computerDelay; }
    bool loginTimerRunning(int n) const { return n >= 1 && n <= 10 && m_loginDue[n] >= 0; }
    bool graceTimerRunning(int seat) const
    {
        return seat >= 1 && seat <= 4 && m_graceDue[seat] >= 0;
    }

    // Messages sent to connection n since the last take, terminators removed.
    QList<QByteArray> take(int n);
    // Drops everything recorded.
    void clearRecords();

    // Options.
    bool recording = true;           // keep what is sent (off for benchmarks)
    bool refuseAccepts = false;      // the platform refuses waiting connections
    int timer1Interval = 1000;       // ms between pause-timer ticks
    std::optional<int> hostBotSpeed; // the hosting table's own bot speed
    QByteArray waitingFrom;          // the address block the next connections come from

    // Records.
    std::vector<Sent> log;                 // every message, in sending order
    QList<QByteArray> alerts;              // texts shown on the host's screen
    QList<int> closedByHost;               // connections the host closed
    QList<std::pair<int, int>> renumbered; // (from, to) of each renumbering
    std::array<bool, 11> open{};           // connections accepted and not closed by the host
    std::uint64_t sentCount = 0;

private:
    std::int64_t nextDue() const;

    TServer *m_server = nullptr;
    std::array<QList<QByteArray>, 11> m_inbox;
    std::array<QByteArray, 11> m_origins;
    std::int64_t m_now = 0;
    std::int64_t m_timer1Due = -1;
    std::int64_t m_computerDue = -1;
    int m_computerDelay = 0;
    std::array<std::int64_t, 11> m_loginDue = [] {
        std::array<std::int64_t, 11> due{};
        due.fill(-1);
        return due;
    }();
    std::array<std::int64_t, 5> m_graceDue{-1, -1, -1, -1, -1};
    std::uint64_t m_random = 0x9E3779B97F4A7C15ull;
};
