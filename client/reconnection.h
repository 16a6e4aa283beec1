#pragma once

#include <QObject>
#include <QTimer>

// The schedule of a joined table's way back to its host after the connection
// was lost: attempts further and further apart, each given until the next
// one to connect, until the host answers or kGiveUpMs have passed since the
// loss. It decides when; the table makes the connections.
class Reconnection : public QObject
{
    Q_OBJECT

public:
    static constexpr int kGiveUpMs = 120000;
    static constexpr int kFirstDelayMs = 1000;
    static constexpr int kLongestDelayMs = 8000;

    explicit Reconnection(QObject *parent = nullptr);

    // The wait before attempt `attempt` (0 for the first after the loss).
    static int delayBefore(int attempt);

    // The connection was lost: attempts start.
    void start();
    // An attempt reached the host: no new attempt while it logs in.
    void reached();
    // The attempt that reached the host ended before the login: the next
    // attempt comes after the next wait.
    void attemptEnded();
    // The table is back in its seat, or the player gave up: nothing more.
    void stop();
    bool active() const { return m_active; }
    int attempts() const { return m_attempts; }

signals:
    void attemptWanted();
    // kGiveUpMs have passed without the table getting back.
    void gaveUp();

private:
    void scheduleNext();

    QTimer m_attemptTimer;
    QTimer m_giveUpTimer;
    int m_attempts = 0;
    bool m_active = false;
};
