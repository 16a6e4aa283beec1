#include "protocol/message.h"
#include "protocol/receivequeue.h"

#include <gtest/gtest.h>

namespace {

const QByteArray T(1, wire::kTerminator);

TEST(ReceiveQueue, CutsAtEveryTerminatorAcrossReadsAndKeepsNoNamelessMessage)
{
    ReceiveQueue queue;
    ASSERT_TRUE(queue.append("CMD_a+1" + T + "CMD_b+2" + T + "CMD_c"));
    EXPECT_EQ(queue.unfinishedBytes(), 5);
    ASSERT_TRUE(queue.append("+3" + T + T + "noplus" + T + "+5" + T + T));
    EXPECT_EQ(queue.takeAll(), (QList<QByteArray>{"CMD_a+1", "CMD_b+2", "CMD_c+3"}));
    EXPECT_EQ(queue.unfinishedBytes(), 0);
    EXPECT_EQ(queue.queuedBytes(), 0);
    EXPECT_FALSE(queue.take().has_value());
}

// Every limit is a bound on what the peer can make us hold; going over it
// drops everything held.
TEST(ReceiveQueue, RefusesWhatGoesOverItsLimits)
{
    const ReceiveLimits small{8, 3, 12};
    struct Case
    {
        const char *what;
        QList<QByteArray> reads;
        bool accepted;
    };
    const Case cases[] = {
        {"a message at the unfinished cap", {"1234567+"}, true},
        {"one byte more, in a second read", {"1234567+", "9"}, false},
        {"an overlong message that ends in the same read", {"12345678+" + T}, false},
        {"as many messages as allowed", {"a+" + T + "b+" + T + "c+" + T}, true},
        {"one message more", {"a+" + T + "b+" + T + "c+" + T + "d+" + T}, false},
        {"more bytes than allowed", {"abcd+" + T + "efgh+" + T + "ij+" + T}, false},
        {"a flood of bare terminators", {QByteArray(100000, wire::kTerminator)}, true},
        {"a flood of nameless messages", {("x" + T + "+y" + T).repeated(1000)}, true},
    };
    for (const Case &c : cases) {
        ReceiveQueue queue(small);
        bool accepted = true;
        for (const QByteArray &read : c.reads)
            accepted = accepted && queue.append(read);
        EXPECT_EQ(accepted, c.accepted) << c.what;
        EXPECT_LE(queue.size(), small.queuedMessages) << c.what;
        EXPECT_LE(queue.queuedBytes(), small.queuedBytes) << c.what;
        EXPECT_LE(queue.unfinishedBytes(), small.unfinishedBytes) << c.what;
        if (!accepted) {
            EXPECT_TRUE(queue.isEmpty() && queue.unfinishedBytes() == 0) << c.what;
        }
    }
}

TEST(ReceiveQueue, TakingMakesRoomAgain)
{
    ReceiveQueue queue({8, 2, 100});
    ASSERT_TRUE(queue.push("a+"));
    ASSERT_TRUE(queue.push("b+"));
    EXPECT_FALSE(ReceiveQueue(queue).push("c+"));
    EXPECT_EQ(queue.take(), "a+");
    EXPECT_TRUE(queue.push("c+"));
    EXPECT_EQ(queue.takeAll(), (QList<QByteArray>{"b+", "c+"}));
}

TEST(FairQueue, ServesConnectionsInTurnKeepingEachOnesOrder)
{
    FairQueue queue;
    for (int i = 0; i < 5; ++i)
        ASSERT_TRUE(queue[2].push("two+" + QByteArray::number(i)));
    ASSERT_TRUE(queue[7].push("seven+"));
    ASSERT_TRUE(queue[3].push("three+0"));
    ASSERT_TRUE(queue[3].push("three+1"));
    EXPECT_EQ(queue.size(), 8u);

    QList<QByteArray> order;
    while (const std::optional<QueuedMessage> m = queue.take())
        order << QByteArray::number(m->connection) + ':' + m->text;
    EXPECT_EQ(order, (QList<QByteArray>{"2:two+0", "3:three+0", "7:seven+", "2:two+1", "3:three+1",
                                        "2:two+2", "2:two+3", "2:two+4"}));
    EXPECT_TRUE(queue.isEmpty());
}

TEST(FairQueue, AQuietConnectionWaitsOneTurnBehindAFlood)
{
    FairQueue queue;
    for (int i = 0; i < 200; ++i)
        ASSERT_TRUE(queue[9].push("flood+"));
    queue.take();
    ASSERT_TRUE(queue[4].push("quiet+"));
    EXPECT_EQ(queue.take()->connection, 4);

    queue.drop(9);
    EXPECT_TRUE(queue.isEmpty());
}

} // namespace
