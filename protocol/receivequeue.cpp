#include "protocol/receivequeue.h"

#include "protocol/message.h"

bool ReceiveBuffer::append(const QByteArray &bytes, QList<QByteArray> &complete)
{
    m_pending += bytes;
    qsizetype start = 0;
    for (;;) {
        const qsizetype end = m_pending.indexOf(wire::kTerminator, start);
        if (end < 0)
            break;
        complete.append(m_pending.mid(start, end - start));
        start = end + 1;
    }
    if (start > 0)
        m_pending.remove(0, start);
    if (m_pending.size() > kCap) {
        m_pending.clear();
        return false;
    }
    return true;
}

std::optional<QueuedMessage> MessageQueue::take()
{
    if (m_items.empty())
        return std::nullopt;
    QueuedMessage front = std::move(m_items.front());
    m_items.pop_front();
    return front;
}

void MessageQueue::dropConnection(int connection)
{
    std::erase_if(m_items,
                  [connection](const QueuedMessage &m) { return m.connection == connection; });
}
