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

// The table's state as one line: own seat, turn, awaited bidder, then W when
// watching, B when the own bid is in, H with the hosting player's rights.
QString stateLine(const TableModel &m)
{
    return QStringLiteral("%1 %2 %3 %4%5%6")
        .arg(m.myseat())
        .arg(m.turnseat())
        .arg(m.awaitedBidder())
        .arg(m.watching() ? "W" : "")
        .arg(m.alreadybid() ? "B" : "")
        .arg(m.hostRights() ? "H" : "");
}

TEST(TableModel, FollowsTheHostsMessages)
{
    const char *login = "CMD_sendlogininfo+2";
    const char *bidIn = "CMD_gamestats+2+1+1+300+y+y+1+4+0+0+0+0+2+0+4+0+n+y+";
    const char *otherBid = "CMD_gamestats+2+1+1+300+y+y+1+4+0+0+0+0+3+0+4+0+n+y+";
    const struct
    {
        std::initializer_list<const char *> messages;
        const char *state;
    } cases[] = {
        {{}, "0 0 0 "},
        {{login}, "2 0 0 "},
        {{"CMD_sendlogininfo+1"}, "1 0 0 H"},
        {{"CMD_sendlogininfo+0"}, "0 0 0 "},
        {{login, "CMD_nextplayer+3+0+"}, "2 3 0 "},
        {{login, "CMD_getbid+4+0+"}, "2 0 4 "},
        {{login, "CMD_nextplayer+3+0+", "CMD_error+2+1+5+"}, "2 2 0 "},
        {{login, "CMD_nextplayer+3+0+", "CMD_error+4+1+5+"}, "2 3 0 "},
        {{login, "CMD_justwatching+2+1"}, "2 0 0 W"},
        {{login, "CMD_justwatching+3+1"}, "2 0 0 "},
        {{login, "CMD_justwatching+2+1", "CMD_justwatching+2+2"}, "2 0 0 "},
        {{login, "CMD_justwatching+2+1", "CMD_startgame+Ann+300+y+y+n+"}, "2 0 0 "},
        {{login, bidIn}, "2 0 0 B"},
        {{login, otherBid}, "2 0 0 "},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.messages.size() ? *(c.messages.end() - 1) : "nothing");
        const TableModel m = modelAfter(c.messages);
        EXPECT_EQ(stateLine(m), QString::fromLatin1(c.state));
        EXPECT_EQ(m.loggedin(), m.myseat() != 0);
    }
}

// A seat as one line: name, bid with Nil (N) and Blind Nil (B) marks, tricks,
// the card on the table.
QString seatLine(const TableModel &m, int seat)
{
    const TableModel::Seat &s = m.seat(seat);
    return QStringLiteral("%1 %2%3%4 %5 %6")
        .arg(s.name)
        .arg(s.bid)
        .arg(s.nil ? "N" : "")
        .arg(s.blind ? "B" : "")
        .arg(s.tricks)
        .arg(s.played);
}

TEST(TableModel, KeepsWhatEachSeatShows)
{
    const char *login = "CMD_sendlogininfo+2";
    const char *stats = "CMD_gamestats+2+1+1+300+y+y+3+4+0+0+0+0+"
                        "1+3+2+17+n+y+3+1+0+0+y+y+4+0+0+0+n+n+";
    const struct
    {
        std::initializer_list<const char *> messages;
        int seat;
        const char *line;
    } cases[] = {
        {{}, 1, "<Waiting> 0 0 0"},
        {{login, "CMD_existingplayers+3+Cy"}, 3, "Cy 0 0 0"},
        {{login, "CMD_hebid+3+100+"}, 3, "<Waiting> 0NB 0 0"},
        {{login, "CMD_hebid+3+0+"}, 3, "<Waiting> 0N 0 0"},
        {{login, "CMD_hebid+3+4+", "CMD_tooktrick+3+2+", "CMD_heplayed+3+40+12+"},
         3,
         "<Waiting> 4 2 40"},
        {{login, "CMD_heplayed+3+40+12+", "CMD_nextplayer+1+0+"}, 3, "<Waiting> 0 0 0"},
        {{login, "CMD_heplayed+3+40+12+", "CMD_nextplayer+1+40+"}, 3, "<Waiting> 0 0 40"},
        {{login, "CMD_hebid+3+0+", "CMD_tooktrick+3+2+", "CMD_startround+1+2+"},
         3,
         "<Waiting> 0 0 0"},
        {{login, "CMD_hebid+3+100+", "CMD_winner+1+"}, 3, "<Waiting> 0 0 0"},
        {{login, "CMD_startgame+Ann+300+y+y+n+"}, 3, "Klick 0 0 0"},
        {{login, "CMD_existingplayers+4+Di", "CMD_startgame+Ann+300+y+y+n+"}, 4, "Di 0 0 0"},
        {{login, stats}, 1, "Klack 2 3 17"},
        {{"CMD_sendlogininfo+6", stats}, 1, "Klack 2 3 17"},
        {{login, stats}, 3, "Klick 0NB 1 0"},
        {{login, stats}, 4, "Kling 0 0 0"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.messages.size() ? *(c.messages.end() - 1) : "nothing");
        EXPECT_EQ(seatLine(modelAfter(c.messages), c.seat), QString::fromLatin1(c.line));
    }
    EXPECT_EQ(seatLine(modelAfter({}), 0), " 0 0 0") << "no fifth seat";
}

TEST(TableModel, ALeavingPlayerOrWatcherIsAnnouncedOnce)
{
    TableModel m = modelAfter({"CMD_existingplayers+3+Cy"});
    EXPECT_EQ(m.seatLeft(3), "Cy");
    EXPECT_EQ(m.seatName(3), "3") << "the seat number until we know our own seat";
    EXPECT_EQ(m.seatLeft(3), std::nullopt);
    EXPECT_EQ(m.seatLeft(9), std::nullopt);

    m = modelAfter({"CMD_sendlogininfo+2", "CMD_newplayerinfo+2+Ann", "CMD_newplayerinfo+3+Cy"});
    EXPECT_EQ(m.seatLeft(3), "Cy");
    EXPECT_EQ(m.seatName(3), "Klick");
    EXPECT_EQ(m.seatLeft(3), std::nullopt);
    EXPECT_EQ(m.seatLeft(4), std::nullopt) << "nobody sat there";

    // Seat 1 is played by a computer too when its player leaves a table that
    // runs without a window; only at seat 1 itself is it "You".
    m = modelAfter({"CMD_sendlogininfo+2", "CMD_newplayerinfo+2+Bob", "CMD_existingplayers+1+Ann"});
    EXPECT_EQ(m.seatLeft(1), "Ann");
    EXPECT_EQ(m.seatName(1), "Klack");
    EXPECT_FALSE(m.othersSeated());
    m = modelAfter({"CMD_sendlogininfo+1", "CMD_newplayerinfo+1+Ann"});
    EXPECT_EQ(m.seat(1).fallback, "You");

    EXPECT_EQ(m.spyJoined(6, "Zed"), std::nullopt);
    EXPECT_EQ(m.spyJoined(6, "Zoe"), "6: Zed") << "one line per connection, however often told";
    EXPECT_FALSE(m.spyLeft(6, "Zed"));
    EXPECT_TRUE(m.spyLeft(6, "Zoe"));
    EXPECT_FALSE(m.spyLeft(6, "Zoe"));
    EXPECT_EQ(m.spyJoined(3, "Cy"), std::nullopt) << "a seat is no watcher";
    EXPECT_FALSE(m.spyLeft(3, "Cy"));

    // A name of 64 KiB shows its start, the same each time it is named.
    const QByteArray longName(64 * 1024, 'n');
    m = modelAfter({"CMD_sendlogininfo+2", "CMD_newplayerinfo+3+" + longName});
    EXPECT_EQ(m.seatName(3), QString(TableModel::kLongestName, 'n'));
    EXPECT_EQ(m.seatLeft(3), QString(TableModel::kLongestName, 'n'));
}

// Score, bags and bids of team 1, then of team 2; the round and the bids of
// the hand; P with the bag penalty and B with blind nil allowed.
QString teamsLine(const TableModel &m)
{
    return QStringLiteral("%1 %2 %3 | %4 %5 %6 | %7 %8 %9%10")
        .arg(m.team(1).score)
        .arg(m.team(1).bags)
        .arg(m.team(1).bids)
        .arg(m.team(2).score)
        .arg(m.team(2).bags)
        .arg(m.team(2).bids)
        .arg(m.round())
        .arg(m.totalBids())
        .arg(m.bagPenalty() ? "P" : "")
        .arg(m.blindAllowed() ? "B" : "");
}

TEST(TableModel, KeepsTheTeamsTheRoundAndTheRules)
{
    const struct
    {
        std::initializer_list<const char *> messages;
        const char *teams;
    } cases[] = {
        {{}, "0 0 0 | 0 0 0 | 0 0 PB"},
        {{"CMD_finalbid+9+5+4+"}, "0 0 5 | 0 0 4 | 0 9 PB"},
        {{"CMD_postscores+6+7+50+-60+1+0+1+0+0+0+51+-60+51+-60+0+100+"},
         "51 1 0 | -60 0 0 | 0 0 PB"},
        {{"CMD_finalbid+9+5+4+", "CMD_startround+1+3+", "CMD_getbid+2+4+"},
         "0 0 0 | 0 0 0 | 3 4 PB"},
        {{"CMD_finalbid+9+5+4+", "CMD_startgame+Ann+300+n+n+n+"}, "0 0 0 | 0 0 0 | 0 9 "},
        {{"CMD_gamestats+2+1+1+300+n+y+4+7+120+-30+2+5+"}, "120 2 0 | -30 5 0 | 4 7 P"},
        // A late joiner's team bids: seat 3 went Blind Nil.
        {{"CMD_gamestats+2+1+1+300+y+y+4+9+0+0+0+0+1+0+4+0+n+y+2+0+3+0+n+y+3+0+0+0+y+y+4+0+6+0+n+"
          "y+"},
         "0 0 4 | 0 0 9 | 4 9 PB"},
        {{"CMD_gamestats+2+1+1+300+y+y+4+4+0+0+0+0+1+0+4+0+n+y+2+0+3+0+n+n+"},
         "0 0 0 | 0 0 0 | 4 4 PB"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.messages.size() ? *(c.messages.end() - 1) : "nothing");
        EXPECT_EQ(teamsLine(modelAfter(c.messages)), QString::fromLatin1(c.teams));
    }
}

TEST(TableModel, HandFillsSortsAndClosesGaps)
{
    TableModel m;
    using Dealt = TableModel::Dealt;
    const std::tuple<int, int, Dealt> deals[] = {
        {3, 40, Dealt::Added},  {1, 7, Dealt::Added},    {3, 41, Dealt::Refused},
        {0, 5, Dealt::Refused}, {14, 5, Dealt::Refused}, {2, 53, Dealt::Refused},
        {2, 20, Dealt::Added},
    };
    for (const auto &[position, card, result] : deals)
        EXPECT_EQ(m.addCard(position, card), result) << position << " " << card;
    EXPECT_EQ(m.handInOrder(), (QList<int>{3, 1, 2}));
    m.sortHand();
    EXPECT_EQ(m.handInOrder(), (QList<int>{1, 2, 3}));
    m.removeCard(2);
    EXPECT_EQ(m.handInOrder(), (QList<int>{1, 3}));
    EXPECT_EQ(m.slotOf(3), 2);
    EXPECT_EQ(m.cardAt(2), 0);
    EXPECT_EQ(m.handSlots()[3], -1);

    for (int position = 4; position <= 13; ++position)
        m.addCard(position, position);
    EXPECT_EQ(m.addCard(2, 2), Dealt::Added);
    EXPECT_EQ(m.addCard(14, 99), Dealt::HandFull) << "a full hand is told before anything else";
    EXPECT_EQ(modelAfter({"CMD_startround+1+1+"}).handInOrder(), QList<int>{});
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
