#include "protocol/message.h"
#include "protocol/receivequeue.h"

#include <gtest/gtest.h>

TEST(ReceiveBuffer, CutsAtEveryTerminatorAndKeepsTheRest)
{
    ReceiveBuffer buffer;
    QList<QByteArray> out;
    const QByteArray t(1, wire::kTerminator);
    ASSERT_TRUE(buffer.append("CMD_a+1" + t + "CMD_b+2" + t + "CMD_c", out));
    EXPECT_EQ(out, (QList<QByteArray>{"CMD_a+1", "CMD_b+2"}));
    out.clear();
    ASSERT_TRUE(buffer.append("+3" + t + t, out));
    EXPECT_EQ(out, (QList<QByteArray>{"CMD_c+3", ""})); // two terminators: an empty message
    EXPECT_EQ(buffer.pendingSize(), 0);
}

TEST(ReceiveBuffer, OverlongMessageHitsTheCap)
{
    ReceiveBuffer buffer;
    QList<QByteArray> out;
    EXPECT_TRUE(buffer.append(QByteArray(ReceiveBuffer::kCap, 'x'), out));
    EXPECT_FALSE(buffer.append("y", out));
    EXPECT_EQ(buffer.pendingSize(), 0);
    EXPECT_TRUE(out.isEmpty());
}

TEST(MessageQueue, FirstInFirstOutWithConnections)
{
    MessageQueue queue;
    EXPECT_FALSE(queue.take().has_value());
    queue.push(2, "a");
    queue.push(5, "b");
    auto first = queue.take();
    ASSERT_TRUE(first);
    EXPECT_EQ(first->connection, 2);
    EXPECT_EQ(first->text, "a");
    EXPECT_EQ(queue.take()->connection, 5);
    EXPECT_TRUE(queue.isEmpty());
}
