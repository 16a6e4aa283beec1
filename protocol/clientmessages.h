#pragma once

#include "protocol/hostmessages.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <array>
#include <optional>

// The messages the host sends to a table client, one type each; `encode` and
// `decode` as for the messages to the host (hostmessages.h).
//
// A number a table acts on is checked here as the table checks it. Where a
// table takes any integer (its handler passes over what makes no sense) the
// field says "any". Numbers a table only shows must convert. A field a table
// only compares ("y" flags, the winning team, the watching mode) decodes as
// that comparison reads it, so any text decodes to the value it stands for.
namespace wire {

constexpr int kChatterSounds = 20; // "wave1".."wave20"
constexpr int kLastLineNumber = 9; // chat line numbers 0 (own status) to 9

// One seat's state in CMD_gamestats.
struct SeatStats
{
    int seat = 0; // 1..4
    int tricks = 0;
    int bid = 0;
    int tablecard = 0; // any: a table shows a card only for 1..52
    bool blindnil = false;
    bool hasbid = false;
    bool operator==(const SeatStats &) const = default;
};

// A card of a dealt or reloaded hand: its hand position and its card number
// (0 for a card already played). Both any: a table places only positions
// 1..13 and cards 1..52.
struct CardInSlot
{
    int position = 0;
    int card = 0;
    bool operator==(const CardInSlot &) const = default;
};

namespace toClient {

using wire::StartGame;

struct SendLoginInfo
{
    static constexpr char kName[] = "CMD_sendlogininfo";
    int n = 0; // 1 or more: the whole payload is the number, no "+" after it

    QByteArray encode() const;
    static std::optional<SendLoginInfo> decode(QByteArrayView payload);
    bool operator==(const SendLoginInfo &) const = default;
};

// Messages without fields; whatever follows the name is ignored.
template <const char *Name> struct Bare
{
    static constexpr const char *kName = Name;

    QByteArray encode() const;
    static std::optional<Bare> decode(QByteArrayView payload);
    bool operator==(const Bare &) const = default;
};
inline constexpr char kFullName[] = "CMD_full";
inline constexpr char kWrongVersionName[] = "CMD_wrongversion";
using Full = Bare<kFullName>;
using WrongVersion = Bare<kWrongVersionName>;

// A connection number (any) and a name or line that runs to the end.
template <const char *Name> struct NumberAndText
{
    static constexpr const char *kName = Name;
    int n = 0;
    QByteArray text;

    QByteArray encode() const;
    static std::optional<NumberAndText> decode(QByteArrayView payload);
    bool operator==(const NumberAndText &) const = default;
};
inline constexpr char kNewPlayerInfoName[] = "CMD_newplayerinfo";
inline constexpr char kExistingPlayersName[] = "CMD_existingplayers";
inline constexpr char kPlayerDisconnectedName[] = "CMD_playerdisconnected";
using NewPlayerInfo = NumberAndText<kNewPlayerInfoName>;
using ExistingPlayers = NumberAndText<kExistingPlayersName>;
using PlayerDisconnected = NumberAndText<kPlayerDisconnectedName>;

// The whole payload is the name.
struct HaveWrongVersion
{
    static constexpr char kName[] = "CMD_havewrongversion";
    QByteArray name;

    QByteArray encode() const;
    static std::optional<HaveWrongVersion> decode(QByteArrayView payload);
    bool operator==(const HaveWrongVersion &) const = default;
};

// A relayed chat or action line: the sender's number, which picks the line's
// style (0..kLastLineNumber), and "name chats: text|colour" (or "name text|
// colour"), which may hold "+".
template <const char *Name> struct RelayedLine
{
    static constexpr const char *kName = Name;
    int n = 0;
    QByteArray line;

    QByteArray encode() const;
    static std::optional<RelayedLine> decode(QByteArrayView payload);
    bool operator==(const RelayedLine &) const = default;
};
using Chat = RelayedLine<toHost::kChatName>;
using Action = RelayedLine<toHost::kActionName>;

struct GameStats
{
    static constexpr char kName[] = "CMD_gamestats";
    int recipient = 0; // any: converted, not used
    int turn = 0;      // any: converted, not used
    int bidder = 0;    // any: converted, not used
    int playtoscore = 0;
    bool blind = false;
    bool sandbag = false;
    int roundnumber = 0;
    int totalbids = 0;
    std::array<int, 2> teamscore{};
    std::array<int, 2> teambags{};
    // Groups in the order sent. Reading stops at the first group that does
    // not convert; a group for a number that is not a seat is passed over.
    QList<SeatStats> seats;

    QByteArray encode() const;
    static std::optional<GameStats> decode(QByteArrayView payload);
    bool operator==(const GameStats &) const = default;
};

// A hand: the seat (at most 4, no lower bound) and its cards in pairs. The
// pairs are read two fields at a time until the fields run out; a pair that
// does not convert is passed over. Sent without a trailing "+".
template <const char *Name> struct HandCards
{
    static constexpr const char *kName = Name;
    int seat = 0;
    QList<CardInSlot> cards;

    QByteArray encode() const;
    static std::optional<HandCards> decode(QByteArrayView payload);
    bool operator==(const HandCards &) const = default;
};
inline constexpr char kMyCardsName[] = "CMD_mycards";
inline constexpr char kLoadCardsName[] = "CMD_loadcards";
using MyCards = HandCards<kMyCardsName>;
using LoadCards = HandCards<kLoadCardsName>;

struct GetBid
{
    static constexpr char kName[] = "CMD_getbid";
    int bidder = 0; // any
    int totalbids = 0;

    QByteArray encode() const;
    static std::optional<GetBid> decode(QByteArrayView payload);
    bool operator==(const GetBid &) const = default;
};

struct HeBid
{
    static constexpr char kName[] = "CMD_hebid";
    int seat = 0; // 1..4
    int bid = 0;  // kBlindNil for Blind Nil

    QByteArray encode() const;
    static std::optional<HeBid> decode(QByteArrayView payload);
    bool operator==(const HeBid &) const = default;
};

struct FinalBid
{
    static constexpr char kName[] = "CMD_finalbid";
    int totalbids = 0;
    int team1 = 0;
    int team2 = 0;

    QByteArray encode() const;
    static std::optional<FinalBid> decode(QByteArrayView payload);
    bool operator==(const FinalBid &) const = default;
};

struct NextPlayer
{
    static constexpr char kName[] = "CMD_nextplayer";
    int turn = 0; // any: a table takes the turn away from every seat for others
    // Any; 0 when the card asked for opens a trick. Absent when the field does
    // not convert: the table then leaves the cards on the table alone.
    std::optional<int> ledcard;

    QByteArray encode() const;
    static std::optional<NextPlayer> decode(QByteArrayView payload);
    bool operator==(const NextPlayer &) const = default;
};

struct HePlayed
{
    static constexpr char kName[] = "CMD_heplayed";
    int seat = 0;                 // 1..4
    int card = 0;                 // any: outside 1..52 the table clears the card
    std::optional<int> cardsLeft; // any; absent when it does not convert

    QByteArray encode() const;
    static std::optional<HePlayed> decode(QByteArrayView payload);
    bool operator==(const HePlayed &) const = default;
};

struct UseCard
{
    static constexpr char kName[] = "CMD_usecard";
    int seat = 0;         // any: the table acts only on its own number
    int handPosition = 0; // 1..13

    QByteArray encode() const;
    static std::optional<UseCard> decode(QByteArrayView payload);
    bool operator==(const UseCard &) const = default;
};

struct Error
{
    static constexpr char kName[] = "CMD_error";
    static constexpr int kEmptySlot = 1;
    static constexpr int kSpadesNotBroken = 2;
    static constexpr int kMustFollow = 3;
    int seat = 0;                    // any: the table acts only on its own number
    int code = 0;                    // any: only 1..3 have a text
    std::optional<int> handPosition; // any; absent when it does not convert

    QByteArray encode() const;
    static std::optional<Error> decode(QByteArrayView payload);
    bool operator==(const Error &) const = default;
};

struct TookTrick
{
    static constexpr char kName[] = "CMD_tooktrick";
    int seat = 0; // 1..4
    int tricks = 0;

    QByteArray encode() const;
    static std::optional<TookTrick> decode(QByteArrayView payload);
    bool operator==(const TookTrick &) const = default;
};

struct PostScores
{
    static constexpr char kName[] = "CMD_postscores";
    std::array<int, 16> values{}; // each needs its "+", the last one too

    QByteArray encode() const;
    static std::optional<PostScores> decode(QByteArrayView payload);
    bool operator==(const PostScores &) const = default;
};

// A first field other than "1" reads as team 2.
struct Winner
{
    static constexpr char kName[] = "CMD_winner";
    int team = 0; // 1 or 2

    QByteArray encode() const;
    static std::optional<Winner> decode(QByteArrayView payload);
    bool operator==(const Winner &) const = default;
};

struct StartRound
{
    static constexpr char kName[] = "CMD_startround";
    int dealer = 0; // any: not used by a table
    int roundnumber = 0;

    QByteArray encode() const;
    static std::optional<StartRound> decode(QByteArrayView payload);
    bool operator==(const StartRound &) const = default;
};

// Sent without a trailing "+"; a mode other than "1" reads as playing again.
struct JustWatching
{
    static constexpr char kName[] = "CMD_justwatching";
    int seat = 0; // 1..4
    int mode = 0; // toHost::JustWatch::kWatch or kPlay

    QByteArray encode() const;
    static std::optional<JustWatching> decode(QByteArrayView payload);
    bool operator==(const JustWatching &) const = default;
};

// Only a playing seat's chatter sounds are played: "wave1".."wave20", in any
// letter case, without leading zeros.
struct PlayASound
{
    static constexpr char kName[] = "CMD_playasound";
    int n = 0; // 1..4
    QByteArray sound;

    // The sound's number, 1..kChatterSounds.
    int chatter() const;

    QByteArray encode() const;
    static std::optional<PlayASound> decode(QByteArrayView payload);
    bool operator==(const PlayASound &) const = default;
};

// The seat's ticket (seatticket.h), sent to the seat's own connection only,
// each time someone is seated; it stands until the next one.
struct SeatTicket
{
    static constexpr char kName[] = "CMD_seatticket";
    int seat = 0; // 1..4
    QByteArray ticket;

    QByteArray encode() const;
    static std::optional<SeatTicket> decode(QByteArrayView payload);
    bool operator==(const SeatTicket &) const = default;
};

} // namespace toClient
} // namespace wire
