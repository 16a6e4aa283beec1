#include "protocol/receivequeue.h"

#include "protocol/message.h"

#include <utility>

bool ReceiveQueue::append(QByteArrayView bytes)
{
    qsizetype start = 0;
    for (;;) {
        const qsizetype end = bytes.indexOf(wire::kTerminator, start);
        if (end < 0)
            break;
        const QByteArrayView piece = bytes.sliced(start, end - start);
        if (m_unfinished.isEmpty()) {
            if (!queue(piece))
                return false;
        } else {
            m_unfinished += piece;
            const QByteArray message = std::exchange(m_unfinished, QByteArray());
            if (!queue(message))
                return false;
        }
        start = end + 1;
    }
    const QByteArrayView rest = bytes.sliced(start);
    if (m_unfinished.size() + rest.size() > m_limits.unfinishedBytes)
        return refuse();
    m_unfinished += rest;
    return true;
}

bool ReceiveQueue::push(const QByteArray &message)
{
    return queue(message);
}

bool ReceiveQueue::queue(QByteArrayView message)
{
    // Without a command name (no "+", or nothing before the first) the
    // dispatch ignores a message; it is not worth a place in the queue.
    if (message.indexOf('+') <= 0)
        return true;
    if (message.size() > m_limits.unfinishedBytes || size() >= m_limits.queuedMessages ||
        m_queuedBytes + message.size() > m_limits.queuedBytes)
        return refuse();
    m_messages.push_back(message.toByteArray());
    m_queuedBytes += message.size();
    return true;
}

bool ReceiveQueue::refuse()
{
    clear();
    return false;
}

std::optional<QByteArray> ReceiveQueue::take()
{
    if (m_messages.empty())
        return std::nullopt;
    QByteArray front = std::move(m_messages.front());
    m_messages.pop_front();
    m_queuedBytes -= front.size();
    return front;
}

QList<QByteArray> ReceiveQueue::takeAll()
{
    QList<QByteArray> all;
    all.reserve(size());
    while (std::optional<QByteArray> message = take())
        all.append(std::move(*message));
    return all;
}

void ReceiveQueue::clear()
{
    m_unfinished = QByteArray();
    m_messages.clear();
    m_queuedBytes = 0;
}

FairQueue::FairQueue(ReceiveLimits limits)
{
    for (ReceiveQueue &queue : m_queues)
        queue = ReceiveQueue(limits);
}

std::optional<QueuedMessage> FairQueue::take()
{
    for (int step = 1; step <= kConnections; ++step) {
        const int n = (m_last + step - 1) % kConnections + 1;
        if (std::optional<QByteArray> text = m_queues[n].take()) {
            m_last = n;
            return QueuedMessage{n, std::move(*text)};
        }
    }
    return std::nullopt;
}

bool FairQueue::isEmpty() const
{
    for (const ReceiveQueue &queue : m_queues) {
        if (!queue.isEmpty())
            return false;
    }
    return true;
}

std::size_t FairQueue::size() const
{
    std::size_t total = 0;
    for (const ReceiveQueue &queue : m_queues)
        total += std::size_t(queue.size());
    return total;
}
