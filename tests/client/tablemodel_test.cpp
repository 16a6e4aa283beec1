#include "client/tablemodel.h"

#include <gtest/gtest.h>

namespace {

TableModel modelAfter(std::initializer_list<const char *> messages)
{
    TableModel model;
    for (const char *message : messages)
        if (const auto decoded = wire::decodeToClient(message))
            model.apply(*decoded);
    return model;
}

QByteArray ff(const char *text)
{
    return QByteArray(text) + char(0xFF);
}

TEST(TableModel, FollowsTheHostsMessages)
{
    struct Case
    {
        std::initializer_list<const char *> messages;
        int myseat, turnseat, awaited;
        bool watching, alreadybid, hostRights;
    } cases[] = {
        {{}, 0, 0, 0, false, false, false},
        {{"CMD_sendlogininfo+2"}, 2, 0, 0, false, false, false},
        {{"CMD_sendlogininfo+1"}, 1, 0, 0, false, false, true},
        {{"CMD_sendlogininfo+0"}, 0, 0, 0, false, false, false},
        {{"CMD_sendlogininfo+2", "CMD_nextplayer+3+0+"}, 2, 3, 0, false, false, false},
        {{"CMD_sendlogininfo+2", "CMD_getbid+4+0+"}, 2, 0, 4, false, false, false},
        {{"CMD_sendlogininfo+2", "CMD_nextplayer+3+0+", "CMD_error+2+1+5+"},
         2,
         2,
         0,
         false,
         false,
         false},
        {{"CMD_sendlogininfo+2", "CMD_nextplayer+3+0+", "CMD_error+4+1+5+"},
         2,
         3,
         0,
         false,
         false,
         false},
        {{"CMD_sendlogininfo+2", "CMD_justwatching+2+1"}, 2, 0, 0, true, false, false},
        {{"CMD_sendlogininfo+2", "CMD_justwatching+3+1"}, 2, 0, 0, false, false, false},
        {{"CMD_sendlogininfo+2", "CMD_justwatching+2+1", "CMD_justwatching+2+2"},
         2,
         0,
         0,
         false,
         false,
         false},
        {{"CMD_sendlogininfo+2", "CMD_justwatching+2+1", "CMD_startgame+Ann+300+y+y+n+"},
         2,
         0,
         0,
         false,
         false,
         false},
        {{"CMD_sendlogininfo+2", "CMD_gamestats+2+1+1+300+y+y+1+4+0+0+0+0+2+0+4+0+n+y+"},
         2,
         0,
         0,
         false,
         true,
         false},
        {{"CMD_sendlogininfo+2", "CMD_gamestats+2+1+1+300+y+y+1+4+0+0+0+0+3+0+4+0+n+y+"},
         2,
         0,
         0,
         false,
         false,
         false},
    };
    for (const Case &c : cases) {
        const TableModel m = modelAfter(c.messages);
        SCOPED_TRACE(c.messages.size() ? *(c.messages.end() - 1) : "nothing");
        EXPECT_EQ(m.myseat(), c.myseat);
        EXPECT_EQ(m.loggedin(), c.myseat != 0);
        EXPECT_EQ(m.turnseat(), c.turnseat);
        EXPECT_EQ(m.awaitedBidder(), c.awaited);
        EXPECT_EQ(m.watching(), c.watching);
        EXPECT_EQ(m.alreadybid(), c.alreadybid);
        EXPECT_EQ(m.hostRights(), c.hostRights);
    }
}

TEST(TableModel, SendsOnlyWhatTheHostWaitsFor)
{
    TableModel out = modelAfter({"CMD_nextplayer+2+0+", "CMD_getbid+2+0+"});
    EXPECT_FALSE(out.playCard(3)) << "not logged in";
    EXPECT_FALSE(out.bid(4));
    EXPECT_FALSE(out.closeScores());
    EXPECT_FALSE(out.botSpeedMessage());

    TableModel m = modelAfter({"CMD_sendlogininfo+2", "CMD_getbid+2+0+", "CMD_nextplayer+2+0+"});
    EXPECT_EQ(m.bid(4), ff("CMD_mybid+2+4+"));
    EXPECT_EQ(m.bid(wire::kBlindNil), ff("CMD_mybid+2+100+"));
    m.dropBid();
    EXPECT_FALSE(m.bid(4));
    EXPECT_EQ(m.playCard(7), ff("CMD_playcard+2+7+"));
    EXPECT_FALSE(m.playCard(8)) << "the turn went with the card";
    EXPECT_EQ(m.closeScores(), ff("CMD_closed+2+"));

    TableModel watcher =
        modelAfter({"CMD_sendlogininfo+2", "CMD_nextplayer+2+0+", "CMD_justwatching+2+1"});
    EXPECT_FALSE(watcher.playCard(7));
    EXPECT_FALSE(modelAfter({"CMD_sendlogininfo+5"}).closeScores()) << "a spy has no scores";
}

TEST(TableModel, TakesOnlyTheMenusBotSpeeds)
{
    TableModel m = modelAfter({"CMD_sendlogininfo+1"});
    EXPECT_EQ(m.botSpeed(), 500);
    for (int ms : {0, 300, 10000})
        EXPECT_FALSE(m.setBotSpeed(ms)) << ms;
    EXPECT_TRUE(m.setBotSpeed(200));
    EXPECT_EQ(m.botSpeedMessage(), ff("CMD_botspeed+1+200+"));
}

} // namespace
