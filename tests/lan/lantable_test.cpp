// What a table says of itself in its TXT record, and what is believed of
// what the network says.
#include "lan/lantable.h"

#include <gtest/gtest.h>

namespace {

TEST(LanTableRecord, ARecordReadsBackAndHostileOnesAreBoundedOrRefused)
{
    const auto back = lantable::readRecord(lantable::record("Ann", 3));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->hostName, "Ann");
    EXPECT_EQ(back->freeSeats, 3);
    EXPECT_EQ(lantable::readRecord(lantable::record("Ann", 9))->freeSeats, 4);

    const struct
    {
        QList<QByteArray> strings;
        std::optional<int> free;
        const char *host = "";
    } cases[] = {
        {{"free=0"}, 0},
        {{"free=4", "host=Bo\nb\x1b[2J"}, 4, "Bob[2J"},
        {{"host=" + QByteArray(5000, 'x'), "free=1"}, 1, "xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx"},
        {{"host=\xc3\xa9l\xc3\xa8ve\xe2\x80\xae", "free=2"}, 2, "\xc3\xa9l\xc3\xa8ve"},
        {{"host=\xff\xfe", "free=2"}, 2, ""},
        {{"free=2", "free=9"}, 2},
        {{"host=Ann"}, {}},
        {{"free=5"}, {}},
        {{"free=-1"}, {}},
        {{"free=12"}, {}},
        {{"free="}, {}},
        {{"free"}, {}},
        {{QByteArray("free=1\0", 7)}, {}},
        {{}, {}},
    };
    for (const auto &c : cases) {
        const auto read = lantable::readRecord(c.strings);
        ASSERT_EQ(read.has_value(), c.free.has_value()) << c.strings.join('|').toStdString();
        if (read) {
            EXPECT_EQ(read->freeSeats, *c.free);
            EXPECT_EQ(read->hostName, QString::fromUtf8(c.host));
        }
    }
}

} // namespace
