#pragma once

#include <QByteArray>
#include <QList>
#include <deque>
#include <optional>

// One connection's bytes after the last terminator seen. Complete messages are
// cut at each 0xFF; the rest waits for the next read.
class ReceiveBuffer
{
public:
    // A peer that sends this much without a terminator is cut off.
    static constexpr qsizetype kCap = 64 * 1024;

    // Appends bytes and moves every complete message into `complete`.
    // Returns false when the unterminated rest exceeds the cap; the buffer is
    // then emptied and the caller should close the connection.
    bool append(const QByteArray &bytes, QList<QByteArray> &complete);
    void clear() { m_pending.clear(); }
    qsizetype pendingSize() const { return m_pending.size(); }

private:
    QByteArray m_pending;
};

struct QueuedMessage
{
    int connection = 0; // which connection it came on (0 on the client side)
    QByteArray text;    // without the terminator
};

// First in, first out; the side's queue timer takes one message per tick.
class MessageQueue
{
public:
    void push(int connection, const QByteArray &text) { m_items.push_back({connection, text}); }
    std::optional<QueuedMessage> take();
    bool isEmpty() const { return m_items.empty(); }
    std::size_t size() const { return m_items.size(); }
    void clear() { m_items.clear(); }
    // Forgets what is still queued from one connection (its number is about
    // to belong to someone else).
    void dropConnection(int connection);

private:
    std::deque<QueuedMessage> m_items;
};
