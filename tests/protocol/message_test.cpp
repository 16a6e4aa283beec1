#include "protocol/cards.h"
#include "protocol/message.h"

#include <gtest/gtest.h>

using namespace wire;

namespace {
QByteArray ff(const char *text)
{
    return QByteArray(text) + kTerminator;
}
} // namespace

TEST(Cards, SuitsRanksSeatsAndTeams)
{
    EXPECT_EQ(getsuit(0), 1);
    EXPECT_EQ(getsuit(53), 1);
    EXPECT_EQ(getsuit(-7), 1);
    EXPECT_EQ(getsuit(13), 1);
    EXPECT_EQ(getsuit(14), 2);
    EXPECT_EQ(getsuit(27), 3);
    EXPECT_EQ(getsuit(39), 3);
    EXPECT_EQ(getsuit(40), 4);
    EXPECT_EQ(getsuit(52), 4);
    EXPECT_EQ(cards::rank(1), 2);
    EXPECT_EQ(cards::rank(13), 14);
    EXPECT_EQ(cards::rank(39), 14);
    EXPECT_EQ(cards::nextSeat(4), 1);
    EXPECT_EQ(cards::nextSeat(1), 2);
    EXPECT_EQ(cards::partnerOf(1), 3);
    EXPECT_EQ(cards::partnerOf(2), 4);
    EXPECT_EQ(cards::partnerOf(3), 1);
    EXPECT_EQ(cards::partnerOf(4), 2);
    EXPECT_EQ(cards::teamOf(3), 1);
    EXPECT_EQ(cards::teamOf(4), 2);

    SeatRecord seat;
    EXPECT_EQ(seat.cardsLeft(), 0);
    seat.hand[1] = 5;
    seat.hand[13] = 52;
    EXPECT_EQ(seat.cardsLeft(), 2);
    EXPECT_TRUE(isComputerSeat(seat));
    seat.connected = true;
    EXPECT_FALSE(isComputerSeat(seat));
    seat.justwatching = true;
    EXPECT_TRUE(isComputerSeat(seat));
}

TEST(Messages, ClientToHostCatalogue)
{
    EXPECT_EQ(toHost::logininfo(2, kVersion, ff("Ann")),
              ff("CMD_logininfo+2+1.0.6+Ann") + kTerminator);
    EXPECT_EQ(toHost::startgame("Ann", "500", true, false, true),
              ff("CMD_startgame+Ann+500+y+n+y+"));
    EXPECT_EQ(toHost::mybid(3, 100), ff("CMD_mybid+3+100+"));
    EXPECT_EQ(toHost::playcard(3, 13), ff("CMD_playcard+3+13+"));
    EXPECT_EQ(toHost::chat(2, "hi+there|clBlack"), ff("CMD_chat+2+hi+there|clBlack"));
    EXPECT_EQ(toHost::action(2, "waves|clRed"), ff("CMD_action+2+waves|clRed"));
    EXPECT_EQ(toHost::playasound(4, "wave7"), ff("CMD_playasound+4+wave7+"));
    EXPECT_EQ(toHost::justwatch(3, 1), ff("CMD_justwatch+3+1"));
    EXPECT_EQ(toHost::kickhim(1, 6), ff("CMD_kickhim+1+6+"));
    EXPECT_EQ(toHost::botspeed(1, 200), ff("CMD_botspeed+1+200+"));
    EXPECT_EQ(toHost::closed(2), ff("CMD_closed+2+"));
}

TEST(Messages, HostToClientCatalogue)
{
    EXPECT_EQ(toClient::sendlogininfo(3), ff("CMD_sendlogininfo+3"));
    EXPECT_EQ(toClient::full(), ff("CMD_full+"));
    EXPECT_EQ(toClient::newplayerinfo(2, "A+B"), ff("CMD_newplayerinfo+2+A+B"));
    EXPECT_EQ(toClient::existingplayers(1, "You"), ff("CMD_existingplayers+1+You"));
    EXPECT_EQ(toClient::havewrongversion("Bo"), ff("CMD_havewrongversion+Bo"));
    EXPECT_EQ(toClient::wrongversion(), ff("CMD_wrongversion+"));
    EXPECT_EQ(toClient::getbid(2, 7), ff("CMD_getbid+2+7+"));
    EXPECT_EQ(toClient::hebid(4, 100), ff("CMD_hebid+4+100+"));
    EXPECT_EQ(toClient::finalbid(11, 5, 6), ff("CMD_finalbid+11+5+6+"));
    EXPECT_EQ(toClient::nextplayer(1, 0), ff("CMD_nextplayer+1+0+"));
    EXPECT_EQ(toClient::heplayed(2, 40, 12), ff("CMD_heplayed+2+40+12+"));
    EXPECT_EQ(toClient::usecard(2, 5), ff("CMD_usecard+2+5+"));
    EXPECT_EQ(toClient::error(3, 2, 9), ff("CMD_error+3+2+9+"));
    EXPECT_EQ(toClient::tooktrick(3, 4), ff("CMD_tooktrick+3+4+"));
    EXPECT_EQ(toClient::winner(2), ff("CMD_winner+2+"));
    EXPECT_EQ(toClient::startgame({"Ann", "750", "y", "n", "n"}),
              ff("CMD_startgame+Ann+750+y+n+n+"));
    EXPECT_EQ(toClient::startround(1, 1), ff("CMD_startround+1+1+"));
    EXPECT_EQ(toClient::justwatching(2, 2), ff("CMD_justwatching+2+2"));
    EXPECT_EQ(toClient::playerdisconnected(6, "Zed"), ff("CMD_playerdisconnected+6+Zed"));
    EXPECT_EQ(toClient::chat(2, "2+Ann chats: hi|clBlack"),
              ff("CMD_chat+2+2+Ann chats: hi|clBlack"));
    EXPECT_EQ(toClient::action(2, "2+Ann waves|clBlack"), ff("CMD_action+2+2+Ann waves|clBlack"));
    EXPECT_EQ(toClient::playasound(1, "wave3"), ff("CMD_playasound+1+wave3+"));

    const int hand[14] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13};
    EXPECT_EQ(toClient::mycards(2, hand),
              ff("CMD_mycards+2+1+1+2+2+3+3+4+4+5+5+6+6+7+7+8+8+9+9+10+10+11+11+12+12+13+13"));
    const int left[14] = {0, 0, 20, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 52};
    EXPECT_EQ(toClient::loadcards(3, left),
              ff("CMD_loadcards+3+1+0+2+20+3+0+4+0+5+0+6+0+7+0+8+0+9+0+10+0+11+0+12+0+13+52"));

    const int scores[16] = {6, 7, 50, -60, 1, 0, 1, 0, 0, 0, 51, -60, 51, -60, 0, 100};
    EXPECT_EQ(toClient::postscores(scores),
              ff("CMD_postscores+6+7+50+-60+1+0+1+0+0+0+51+-60+51+-60+0+100+"));
}
