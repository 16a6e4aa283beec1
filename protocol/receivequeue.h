#pragma once

#include "protocol/flowlimits.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <array>
#include <deque>
#include <optional>

// One connection's incoming side: bytes in, whole messages out, first in
// first out. Messages are cut at each 0xFF and kept without it. A message
// without a command name (empty, or with nothing before its first "+") means
// nothing to either side and is not kept, so a stream of bare terminators
// costs the reading and nothing more.
//
// Holds at most `limits` (see flowlimits.h). A delivery that would go over
// them is refused: everything held is dropped and the caller closes the
// connection.
class ReceiveQueue
{
public:
    explicit ReceiveQueue(ReceiveLimits limits = {}) : m_limits(limits) {}

    // Cuts and queues what arrived; false when a limit is exceeded.
    [[nodiscard]] bool append(QByteArrayView bytes);
    // Queues one message whose terminator is already removed; false when a
    // limit is exceeded.
    [[nodiscard]] bool push(const QByteArray &message);
    std::optional<QByteArray> take();
    // Everything queued, oldest first.
    QList<QByteArray> takeAll();

    bool isEmpty() const { return m_messages.empty(); }
    qsizetype size() const { return qsizetype(m_messages.size()); }
    qsizetype queuedBytes() const { return m_queuedBytes; }
    qsizetype unfinishedBytes() const { return m_unfinished.size(); }
    const ReceiveLimits &limits() const { return m_limits; }
    void clear();

private:
    bool queue(QByteArrayView message);
    bool refuse();

    ReceiveLimits m_limits;
    QByteArray m_unfinished;
    std::deque<QByteArray> m_messages;
    qsizetype m_queuedBytes = 0;
};

struct QueuedMessage
{
    int connection = 0; // which connection it came on
    QByteArray text;    // without the terminator
};

// The host's queues, one per connection 1..10, served in turn: each take
// moves on to the next connection that has a message waiting, so a busy peer
// delays a quiet one by one message at most. Each connection's own messages
// keep their order.
class FairQueue
{
public:
    static constexpr int kConnections = 10;

    explicit FairQueue(ReceiveLimits limits = limits::kHostConnection);

    // Connection n's queue (1..kConnections).
    ReceiveQueue &operator[](int n) { return m_queues[n]; }
    const ReceiveQueue &operator[](int n) const { return m_queues[n]; }
    std::optional<QueuedMessage> take();
    bool isEmpty() const;
    // Messages waiting over all connections.
    std::size_t size() const;
    // Forgets what is still queued from connection n.
    void drop(int n) { m_queues[n].clear(); }

private:
    std::array<ReceiveQueue, kConnections + 1> m_queues;
    int m_last = 0; // the connection served last
};
