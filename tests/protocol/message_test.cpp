#include "protocol/cards.h"
#include "protocol/message.h"
#include "protocol/wirecodec.h"

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
}

TEST(Messages, ClientToHostCatalogue)
{
    EXPECT_EQ((toHost::LoginInfo{2, kVersion, "Ann"}.encode()),
              ff("CMD_logininfo+2+1.0.6+Ann") + kTerminator);
    EXPECT_EQ(toHost::StartGame::of("Ann", "500", true, false, true).encode(),
              ff("CMD_startgame+Ann+500+y+n+y+"));
    EXPECT_EQ((toHost::MyBid{3, 100}.encode()), ff("CMD_mybid+3+100+"));
    EXPECT_EQ((toHost::PlayCard{3, 13}.encode()), ff("CMD_playcard+3+13+"));
    EXPECT_EQ((toHost::Chat{2, "hi+there|clBlack"}.encode()), ff("CMD_chat+2+hi+there|clBlack"));
    EXPECT_EQ((toHost::Action{2, "waves|clRed"}.encode()), ff("CMD_action+2+waves|clRed"));
    EXPECT_EQ((toHost::PlayASound{4, "wave7"}.encode()), ff("CMD_playasound+4+wave7+"));
    EXPECT_EQ((toHost::JustWatch{3, 1}.encode()), ff("CMD_justwatch+3+1"));
    EXPECT_EQ((toHost::KickHim{1, 6}.encode()), ff("CMD_kickhim+1+6+"));
    EXPECT_EQ((toHost::BotSpeed{1, 200}.encode()), ff("CMD_botspeed+1+200+"));
    EXPECT_EQ(toHost::Closed{2}.encode(), ff("CMD_closed+2+"));
}

TEST(Messages, HostToClientCatalogue)
{
    EXPECT_EQ(toClient::SendLoginInfo{3}.encode(), ff("CMD_sendlogininfo+3"));
    EXPECT_EQ(toClient::Full{}.encode(), ff("CMD_full+"));
    EXPECT_EQ((toClient::NewPlayerInfo{2, "A+B"}.encode()), ff("CMD_newplayerinfo+2+A+B"));
    EXPECT_EQ((toClient::ExistingPlayers{1, "You"}.encode()), ff("CMD_existingplayers+1+You"));
    EXPECT_EQ(toClient::HaveWrongVersion{"Bo"}.encode(), ff("CMD_havewrongversion+Bo"));
    EXPECT_EQ(toClient::WrongVersion{}.encode(), ff("CMD_wrongversion+"));
    EXPECT_EQ((toClient::GetBid{2, 7}.encode()), ff("CMD_getbid+2+7+"));
    EXPECT_EQ((toClient::HeBid{4, 100}.encode()), ff("CMD_hebid+4+100+"));
    EXPECT_EQ((toClient::FinalBid{11, 5, 6}.encode()), ff("CMD_finalbid+11+5+6+"));
    EXPECT_EQ((toClient::NextPlayer{1, 0}.encode()), ff("CMD_nextplayer+1+0+"));
    EXPECT_EQ((toClient::HePlayed{2, 40, 12}.encode()), ff("CMD_heplayed+2+40+12+"));
    EXPECT_EQ((toClient::UseCard{2, 5}.encode()), ff("CMD_usecard+2+5+"));
    EXPECT_EQ((toClient::Error{3, 2, 9}.encode()), ff("CMD_error+3+2+9+"));
    EXPECT_EQ((toClient::TookTrick{3, 4}.encode()), ff("CMD_tooktrick+3+4+"));
    EXPECT_EQ(toClient::Winner{2}.encode(), ff("CMD_winner+2+"));
    EXPECT_EQ((toClient::StartGame{"Ann", "750", "y", "n", "n"}.encode()),
              ff("CMD_startgame+Ann+750+y+n+n+"));
    EXPECT_EQ((toClient::StartRound{1, 1}.encode()), ff("CMD_startround+1+1+"));
    EXPECT_EQ((toClient::JustWatching{2, 2}.encode()), ff("CMD_justwatching+2+2"));
    EXPECT_EQ((toClient::PlayerDisconnected{6, "Zed"}.encode()),
              ff("CMD_playerdisconnected+6+Zed"));
    EXPECT_EQ((toClient::Chat{2, "2+Ann chats: hi|clBlack"}.encode()),
              ff("CMD_chat+2+2+Ann chats: hi|clBlack"));
    EXPECT_EQ((toClient::Action{2, "2+Ann waves|clBlack"}.encode()),
              ff("CMD_action+2+2+Ann waves|clBlack"));
    EXPECT_EQ((toClient::PlayASound{1, "wave3"}.encode()), ff("CMD_playasound+1+wave3+"));

    toClient::MyCards mine{2, {}};
    toClient::LoadCards left{3, {}};
    for (int slot = 1; slot <= 13; ++slot) {
        mine.cards.append({slot, slot});
        left.cards.append({slot, slot == 2 ? 20 : slot == 13 ? 52 : 0});
    }
    EXPECT_EQ(mine.encode(),
              ff("CMD_mycards+2+1+1+2+2+3+3+4+4+5+5+6+6+7+7+8+8+9+9+10+10+11+11+12+12+13+13"));
    EXPECT_EQ(left.encode(),
              ff("CMD_loadcards+3+1+0+2+20+3+0+4+0+5+0+6+0+7+0+8+0+9+0+10+0+11+0+12+0+13+52"));

    const toClient::PostScores scores{{6, 7, 50, -60, 1, 0, 1, 0, 0, 0, 51, -60, 51, -60, 0, 100}};
    EXPECT_EQ(scores.encode(), ff("CMD_postscores+6+7+50+-60+1+0+1+0+0+0+51+-60+51+-60+0+100+"));
}
