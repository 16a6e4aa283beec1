#include "protocol/fields.h"
#include "protocol/message.h"
#include "protocol/seatticket.h"
#include "protocol/wirecodec.h"

#include <gtest/gtest.h>

#include <ostream>

namespace wire {
// Failures show a message by its bytes.
void PrintTo(const ToHost &m, std::ostream *out)
{
    *out << encode(m).toStdString();
}
void PrintTo(const ToClient &m, std::ostream *out)
{
    *out << encode(m).toStdString();
}
} // namespace wire

using namespace wire;

namespace {

// A queued message, what it decodes to, and the bytes that value encodes to
// (terminator left out).
template <class Direction> struct Row
{
    const char *bytes;
    Direction value;
    const char *encoded;
};

template <class Direction, class Decode>
void checkRows(const std::vector<Row<Direction>> &rows, Decode decode)
{
    for (const Row<Direction> &row : rows) {
        const std::optional<Direction> decoded = decode(QByteArrayView(row.bytes));
        ASSERT_TRUE(decoded.has_value()) << row.bytes;
        EXPECT_EQ(*decoded, row.value) << row.bytes;
        EXPECT_EQ(encode(*decoded), QByteArray(row.encoded) + kTerminator) << row.bytes;
    }
}

} // namespace

TEST(WireCodec, MessagesToTheHostDecodeAsTheHostReadsThem)
{
    using namespace toHost;
    checkRows<ToHost>(
        {
            // The name runs to the end; the sender's own 0xFF doubles the end.
            {"CMD_logininfo+2+1.0.6+Ann+Bo", LoginInfo{2, "1.0.6", "Ann+Bo"},
             "CMD_logininfo+2+1.0.6+Ann+Bo\xFF"},
            {"CMD_logininfo+2+1.0.6", LoginInfo{2, "", "1.0.6"}, "CMD_logininfo+2++1.0.6\xFF"},
            // A "+" in the name shifts the fields; the fifth needs no "+".
            {"CMD_startgame+A+B+250+y+n+y+", StartGame{"A", "B", "250", "y", "n"},
             "CMD_startgame+A+B+250+y+n+"},
            {"CMD_startgame+Ann+lots+Y+n+y", StartGame{"Ann", "lots", "Y", "n", "y"},
             "CMD_startgame+Ann+lots+Y+n+y+"},
            {"CMD_startgame+", StartGame{}, "CMD_startgame++++++"},
            // The last number needs no "+", and what follows it is ignored.
            {"CMD_mybid+3+7", MyBid{3, 7}, "CMD_mybid+3+7+"},
            {"CMD_mybid+4+100+x", MyBid{4, 100}, "CMD_mybid+4+100+"},
            {"CMD_mybid+1+0+", MyBid{1, 0}, "CMD_mybid+1+0+"},
            {"CMD_playcard+2+14+", PlayCard{2, 14}, "CMD_playcard+2+14+"},
            {"CMD_playcard+2+-3", PlayCard{2, -3}, "CMD_playcard+2+-3+"},
            {"CMD_chat+2+hi+there|clBlack", Chat{2, "hi+there|clBlack"},
             "CMD_chat+2+hi+there|clBlack"},
            {"CMD_action+9+", Action{9, ""}, "CMD_action+9+"},
            {"CMD_playasound+4+wave7+", PlayASound{4, "wave7"}, "CMD_playasound+4+wave7+"},
            {"CMD_playasound+4+wave7", PlayASound{4, "wave7"}, "CMD_playasound+4+wave7+"},
            {"CMD_playasound+4+a+b++", PlayASound{4, "a+b+"}, "CMD_playasound+4+a+b++"},
            {"CMD_justwatch+3+1", JustWatch{3, 1}, "CMD_justwatch+3+1"},
            {"CMD_justwatch+3+2+", JustWatch{3, 2}, "CMD_justwatch+3+2"},
            {"CMD_kickhim+1+9", KickHim{1, 9}, "CMD_kickhim+1+9+"},
            {"CMD_botspeed+1+0+", BotSpeed{1, 0}, "CMD_botspeed+1+0+"},
            {"CMD_botspeed+1+10000+", BotSpeed{1, 10000}, "CMD_botspeed+1+10000+"},
            {"CMD_closed+2", Closed{2}, "CMD_closed+2+"},
            {"CMD_closed+4+x", Closed{4}, "CMD_closed+4+"},
            {"CMD_rejoin+6+2+0123456789abcdef0123456789abcdef",
             Rejoin{6, 2, "0123456789abcdef0123456789abcdef"},
             "CMD_rejoin+6+2+0123456789abcdef0123456789abcdef+"},
            {"CMD_rejoin+1+4+0123456789abcdef0123456789abcdef+x",
             Rejoin{1, 4, "0123456789abcdef0123456789abcdef"},
             "CMD_rejoin+1+4+0123456789abcdef0123456789abcdef+"},
        },
        decodeToHost);
    EXPECT_EQ(StartGame::of("Ann", "500", true, false, true),
              (StartGame{"Ann", "500", "y", "n", "y"}));
    // A terminator byte in the name would end the login early.
    EXPECT_EQ((LoginInfo{2, "1.0.6", "J\xFFrg"}.encode()), "CMD_logininfo+2+1.0.6+J rg\xFF\xFF");
}

TEST(WireCodec, MessagesToATableDecodeAsTheTableReadsThem)
{
    using namespace toClient;
    checkRows<ToClient>(
        {
            {"CMD_sendlogininfo+3", SendLoginInfo{3}, "CMD_sendlogininfo+3"},
            {"CMD_full+anything", Full{}, "CMD_full+"},
            {"CMD_wrongversion+", WrongVersion{}, "CMD_wrongversion+"},
            {"CMD_havewrongversion+Bo+x", HaveWrongVersion{"Bo+x"}, "CMD_havewrongversion+Bo+x"},
            {"CMD_newplayerinfo+2+A+B", NewPlayerInfo{2, "A+B"}, "CMD_newplayerinfo+2+A+B"},
            {"CMD_existingplayers+-4+", ExistingPlayers{-4, ""}, "CMD_existingplayers+-4+"},
            {"CMD_playerdisconnected+6+Zed", PlayerDisconnected{6, "Zed"},
             "CMD_playerdisconnected+6+Zed"},
            {"CMD_chat+2+Ann chats: a+b|clRed", Chat{2, "Ann chats: a+b|clRed"},
             "CMD_chat+2+Ann chats: a+b|clRed"},
            {"CMD_action+ 0 +x", Action{0, "x"}, "CMD_action+0+x"},
            // Groups for other numbers are passed over; the last flag needs no "+".
            {"CMD_gamestats+6+2+0+500+y+n+3+11+120+-40+2+0+1+0+3+27+n+y+5+0+0+0+n+n+2+1+3+0+y+y",
             toClient::GameStats{6,
                                 2,
                                 0,
                                 500,
                                 true,
                                 false,
                                 3,
                                 11,
                                 {120, -40},
                                 {2, 0},
                                 {{1, 0, 3, 27, false, true}, {2, 1, 3, 0, true, true}}},
             "CMD_gamestats+6+2+0+500+y+n+3+11+120+-40+2+0+1+0+3+27+n+y+2+1+3+0+y+y"},
            // Reading stops at the first group that does not convert.
            {"CMD_gamestats+1+0+0+250+n+y+1+0+0+0+0+0+3+0+0+x+n+n+4+0+0+0+n+n+",
             toClient::GameStats{1, 0, 0, 250, false, true, 1, 0, {0, 0}, {0, 0}, {}},
             "CMD_gamestats+1+0+0+250+n+y+1+0+0+0+0+0+"},
            // Pairs that do not convert are passed over; the last needs no "+".
            {"CMD_mycards+2+1+45+2+3+x+9+13+0", MyCards{2, {{1, 45}, {2, 3}, {13, 0}}},
             "CMD_mycards+2+1+45+2+3+13+0"},
            {"CMD_loadcards+-1+", LoadCards{-1, {}}, "CMD_loadcards+-1+"},
            {"CMD_getbid+77+7+", GetBid{77, 7}, "CMD_getbid+77+7+"},
            {"CMD_hebid+4+100+", HeBid{4, 100}, "CMD_hebid+4+100+"},
            {"CMD_finalbid+11+5+6+", FinalBid{11, 5, 6}, "CMD_finalbid+11+5+6+"},
            {"CMD_nextplayer+1+0+", NextPlayer{1, 0}, "CMD_nextplayer+1+0+"},
            {"CMD_nextplayer+0+", NextPlayer{0, std::nullopt}, "CMD_nextplayer+0++"},
            {"CMD_heplayed+2+99+", HePlayed{2, 99, std::nullopt}, "CMD_heplayed+2+99++"},
            {"CMD_heplayed+2+40+12+", HePlayed{2, 40, 12}, "CMD_heplayed+2+40+12+"},
            {"CMD_usecard+0+13+", UseCard{0, 13}, "CMD_usecard+0+13+"},
            {"CMD_error+3+7+", Error{3, 7, std::nullopt}, "CMD_error+3+7++"},
            {"CMD_error+3+2+9+", Error{3, 2, 9}, "CMD_error+3+2+9+"},
            {"CMD_tooktrick+3+4+", TookTrick{3, 4}, "CMD_tooktrick+3+4+"},
            {"CMD_postscores+6+7+50+-60+1+0+1+0+0+0+51+-60+51+-60+0+100+",
             PostScores{{6, 7, 50, -60, 1, 0, 1, 0, 0, 0, 51, -60, 51, -60, 0, 100}},
             "CMD_postscores+6+7+50+-60+1+0+1+0+0+0+51+-60+51+-60+0+100+"},
            // Only a first field of "1" names team 1.
            {"CMD_winner+1+", Winner{1}, "CMD_winner+1+"},
            {"CMD_winner+1", Winner{2}, "CMD_winner+2+"},
            {"CMD_startgame+Ann+750+y+n+n+", StartGame{"Ann", "750", "y", "n", "n"},
             "CMD_startgame+Ann+750+y+n+n+"},
            {"CMD_startround+1+12+", StartRound{1, 12}, "CMD_startround+1+12+"},
            {"CMD_justwatching+2+1", JustWatching{2, 1}, "CMD_justwatching+2+1"},
            {"CMD_justwatching+2+x+", JustWatching{2, 2}, "CMD_justwatching+2+2"},
            {"CMD_playasound+2+WAVE13+", PlayASound{2, "WAVE13"}, "CMD_playasound+2+WAVE13+"},
            {"CMD_seatticket+3+0123456789abcdef0123456789abcdef",
             SeatTicket{3, "0123456789abcdef0123456789abcdef"},
             "CMD_seatticket+3+0123456789abcdef0123456789abcdef+"},
        },
        decodeToClient);
}

TEST(WireCodec, MessagesThatDoNotFitDecodeToNothing)
{
    for (const char *bytes : {"",
                              "CMD_mybid",
                              "+3+4+",
                              "cmd_mybid+3+4+",
                              "CMD_hebid+4+1+",
                              "CMD_chat+2+a\xFF",
                              "CMD_logininfo+0+1.0.6+Zero",
                              "CMD_logininfo+10+1.0.6+Ten",
                              "CMD_logininfo+x+1+X",
                              "CMD_mybid+5+3+",
                              "CMD_mybid+2+14+",
                              "CMD_mybid+2+-1+",
                              "CMD_mybid+2+99+",
                              "CMD_mybid+2++",
                              "CMD_mybid+2+-+",
                              "CMD_mybid+ 2+3+",
                              "CMD_mybid+2+4294967299+",
                              "CMD_mybid+3",
                              "CMD_playcard+0+1+",
                              "CMD_playcard+2+x+",
                              "CMD_chat+hello",
                              "CMD_chat+10+hi",
                              "CMD_justwatch+5+1",
                              "CMD_justwatch+2+3",
                              "CMD_justwatch+2",
                              "CMD_justwatch+99999999999+1",
                              "CMD_kickhim+1+0+",
                              "CMD_kickhim+1+10+",
                              "CMD_botspeed+1+-5+",
                              "CMD_botspeed+1+10001+",
                              "CMD_closed+5+",
                              "CMD_closed+0+",
                              "CMD_rejoin+2+5+0123456789abcdef0123456789abcdef+",
                              "CMD_rejoin+10+2+0123456789abcdef0123456789abcdef+",
                              "CMD_rejoin+2+2+0123456789ABCDEF0123456789ABCDEF+",
                              "CMD_rejoin+2+2+0123456789abcdef0123456789abcdeg+",
                              "CMD_rejoin+2+2+0123456789abcdef0123456789abcdef0+",
                              "CMD_rejoin+2+2++"})
        EXPECT_FALSE(decodeToHost(QByteArrayView(bytes))) << bytes;

    for (const char *bytes : {"CMD_mybid+1+1+",
                              "CMD_sendlogininfo+3+",
                              "CMD_sendlogininfo+0",
                              "CMD_newplayerinfo+x+Bob",
                              "CMD_chat+10+x",
                              "CMD_chat+2",
                              "CMD_gamestats+1+",
                              "CMD_gamestats+1+2+3+",
                              "CMD_mycards+5+1+1",
                              "CMD_mycards+",
                              "CMD_loadcards+3",
                              "CMD_getbid+",
                              "CMD_getbid+2+",
                              "CMD_hebid+9+3+",
                              "CMD_hebid+x+3+",
                              "CMD_finalbid+1+2+",
                              "CMD_nextplayer+",
                              "CMD_heplayed+5+20+12+",
                              "CMD_heplayed+2+x+",
                              "CMD_usecard+1+14+",
                              "CMD_usecard+1+0+",
                              "CMD_error+1++",
                              "CMD_tooktrick+-3+1+",
                              "CMD_postscores+1+2+",
                              "CMD_postscores+6+7+50+-60+1+0+1+0+0+0+51+-60+51+-60+0+100",
                              "CMD_startround+1+",
                              "CMD_justwatching+12+1",
                              "CMD_playasound+2+wave03+",
                              "CMD_playasound+2+wave21+",
                              "CMD_playasound+5+wave1+",
                              "CMD_playasound+2+wave1",
                              "CMD_playasound+2+bell+",
                              "CMD_seatticket+5+0123456789abcdef0123456789abcdef",
                              "CMD_seatticket+2+0123456789abcdef0123456789abcde"})
        EXPECT_FALSE(decodeToClient(QByteArrayView(bytes))) << bytes;
}

TEST(WireCodec, CuttingRule)
{
    // A missing "+" gives an empty field and leaves the rest alone.
    Fields f("3+7");
    EXPECT_EQ(f.nextInt(), 3);
    EXPECT_EQ(f.next(), QByteArrayView());
    EXPECT_EQ(f.rest(), "7");
    EXPECT_EQ(f.lastField(), "7");
    EXPECT_EQ(f.nextOrRest(), "7");
    EXPECT_TRUE(f.atEnd());

    Fields g("a+b+c");
    EXPECT_EQ(g.lastField(), "a");
    EXPECT_EQ(g.nextOrRest(), "a");
    EXPECT_EQ(g.rest(), "b+c");

    for (const char *bad : {"", "-", " 1", "1 ", "+1", "1.0", "99999999999", "2147483648"})
        EXPECT_FALSE(toInt(bad)) << bad;
    EXPECT_EQ(toInt("-40"), -40);
    EXPECT_EQ(toInt("007"), 7);
    EXPECT_EQ(toInt("2147483647"), 2147483647);
    EXPECT_EQ(toInt("-2147483648"), INT32_MIN);
}

TEST(WireCodec, CommandNamesInDispatchOrder)
{
    EXPECT_EQ(hostCommandNames().size(), 12);
    EXPECT_EQ(hostCommandNames().first(), "CMD_logininfo");
    EXPECT_EQ(hostCommandNames().last(), "CMD_rejoin");
    EXPECT_EQ(clientCommandNames().size(), 27);
    EXPECT_EQ(clientCommandNames()[25], "CMD_playasound");
    EXPECT_EQ(clientCommandNames().last(), "CMD_seatticket");
    for (const char *line : {"CMD_chat+1+hi", "CMD_action+2+", "CMD_chat++"})
        EXPECT_TRUE(isLineToRelay(line)) << line;
    for (const char *other : {"CMD_chat", "CMD_chatter+1", "CMD_mybid+1+3", "", "+CMD_chat+"})
        EXPECT_FALSE(isLineToRelay(other)) << other;
}

TEST(SeatTicket, FormAndComparison)
{
    const QByteArray ticket = ticketOf(QByteArray::fromHex("00ff10a0b1c2d3e4f5061728394a5b6c"));
    EXPECT_EQ(ticket, "00ff10a0b1c2d3e4f5061728394a5b6c");
    EXPECT_TRUE(isTicket(ticket));
    EXPECT_TRUE(sameTicket(ticket, QByteArray(ticket)));
    // Every digit counts, the last as much as the first.
    for (const qsizetype at : {qsizetype(0), qsizetype(15), kTicketLength - 1}) {
        QByteArray other = ticket;
        other[at] = other[at] == '0' ? '1' : '0';
        EXPECT_FALSE(sameTicket(ticket, other)) << at;
    }
    EXPECT_FALSE(sameTicket(ticket, ticket.left(31)));
    EXPECT_FALSE(sameTicket("", ""));
    for (const char *bad :
         {"", "00ff", "00FF10A0B1C2D3E4F5061728394A5B6C", "00ff10a0b1c2d3e4f5061728394a5b6c0",
          "00ff10a0b1c2d3e4f5061728394a5b6g"})
        EXPECT_FALSE(isTicket(bad)) << bad;
}
