#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <optional>

// The messages a table client sends to the host, one type each.
//
// `encode` gives the bytes as they go on the wire, terminator included.
// `decode` reads a payload (the text after the command name and its "+", as
// the receive queue hands it over) by the cutting rule and checks every number
// once; it gives nothing for a payload the host would not act on. Numbers that
// depend on the game (whose turn it is, which connection sent the message) are
// the host's to check.
namespace wire {

constexpr int kConnections = 9;         // connection numbers 1..9; 1..4 are the seats
constexpr int kBlindNil = 100;          // the bid that stands for Blind Nil on the wire
constexpr int kLongestBotDelay = 10000; // milliseconds

// Sent at both ends: the five fields of the game options exactly as typed, so
// that the host relays them unchanged. The target is text: the host plays to
// 500 when it is not a number, while every table shows the text as sent.
struct StartGame
{
    static constexpr char kName[] = "CMD_startgame";
    QByteArray starter;
    QByteArray target;
    QByteArray sandbag; // the flags: "y" is on, anything else off
    QByteArray blind;
    QByteArray startclub;

    static StartGame of(const QByteArray &starter, const QByteArray &target, bool sandbag,
                        bool blind, bool startclub);
    int targetScore() const { return targetScoreOf(target); }
    bool sandbagOn() const { return sandbag == "y"; }
    bool blindOn() const { return blind == "y"; }
    bool startclubOn() const { return startclub == "y"; }
    static int targetScoreOf(QByteArrayView target);

    QByteArray encode() const;
    // Never fails: missing fields are empty. A "+" in the starter's name
    // shifts the later fields; the last flag may come without its "+".
    static std::optional<StartGame> decode(QByteArrayView payload);
    bool operator==(const StartGame &) const = default;
};

namespace toHost {

using wire::StartGame;

// The name is the rest of the message and may hold "+". The sender appends a
// 0xFF to its name, so the message ends with two; the empty message between
// them is ignored by the host.
struct LoginInfo
{
    static constexpr char kName[] = "CMD_logininfo";
    int n = 0; // 1..9
    QByteArray version;
    QByteArray name;

    QByteArray encode() const;
    static std::optional<LoginInfo> decode(QByteArrayView payload);
    bool operator==(const LoginInfo &) const = default;
};

// The bid may come without its trailing "+".
struct MyBid
{
    static constexpr char kName[] = "CMD_mybid";
    int n = 0;   // 1..4
    int bid = 0; // 0 (Nil) to 13, or kBlindNil

    QByteArray encode() const;
    static std::optional<MyBid> decode(QByteArrayView payload);
    bool operator==(const MyBid &) const = default;
};

// Any position converts: one outside 1..13 is answered as an empty slot.
struct PlayCard
{
    static constexpr char kName[] = "CMD_playcard";
    int n = 0; // 1..4
    int handPosition = 0;

    QByteArray encode() const;
    static std::optional<PlayCard> decode(QByteArrayView payload);
    bool operator==(const PlayCard &) const = default;
};

// Chat and action lines: the sender's number, then one text field running to
// the end ("text|colour text"), which may hold "+".
template <const char *Name> struct LineFrom
{
    static constexpr const char *kName = Name;
    int n = 0; // 1..9
    QByteArray text;

    QByteArray encode() const;
    static std::optional<LineFrom> decode(QByteArrayView payload);
    bool operator==(const LineFrom &) const = default;
};
inline constexpr char kChatName[] = "CMD_chat";
inline constexpr char kActionName[] = "CMD_action";
using Chat = LineFrom<kChatName>;
using Action = LineFrom<kActionName>;

// The sound name is the rest, less one trailing "+".
struct PlayASound
{
    static constexpr char kName[] = "CMD_playasound";
    int n = 0; // 1..9
    QByteArray sound;

    QByteArray encode() const;
    static std::optional<PlayASound> decode(QByteArrayView payload);
    bool operator==(const PlayASound &) const = default;
};

// Sent without a trailing "+"; any other mode changes nothing.
struct JustWatch
{
    static constexpr char kName[] = "CMD_justwatch";
    static constexpr int kWatch = 1;
    static constexpr int kPlay = 2;
    int seat = 0; // 1..4
    int mode = 0; // kWatch or kPlay

    QByteArray encode() const;
    static std::optional<JustWatch> decode(QByteArrayView payload);
    bool operator==(const JustWatch &) const = default;
};

struct KickHim
{
    static constexpr char kName[] = "CMD_kickhim";
    int n = 0;      // 1..9; only the hosting player's 1 is obeyed
    int victim = 0; // 1..9

    QByteArray encode() const;
    static std::optional<KickHim> decode(QByteArrayView payload);
    bool operator==(const KickHim &) const = default;
};

struct BotSpeed
{
    static constexpr char kName[] = "CMD_botspeed";
    int n = 0;            // 1..9; only the hosting player's 1 is obeyed
    int milliseconds = 0; // 0..kLongestBotDelay

    QByteArray encode() const;
    static std::optional<BotSpeed> decode(QByteArrayView payload);
    bool operator==(const BotSpeed &) const = default;
};

// The number may come without its trailing "+".
struct Closed
{
    static constexpr char kName[] = "CMD_closed";
    int n = 0; // 1..4

    QByteArray encode() const;
    static std::optional<Closed> decode(QByteArrayView payload);
    bool operator==(const Closed &) const = default;
};

// A player whose connection was lost asks for its seat back with the seat's
// ticket, in answer to CMD_sendlogininfo and in place of CMD_logininfo. The
// host answers with CMD_sendlogininfo again: the seat's number when the
// ticket holds, the connection's own otherwise; the player logs in as that.
struct Rejoin
{
    static constexpr char kName[] = "CMD_rejoin";
    int n = 0;    // 1..9, the number this connection was given
    int seat = 0; // 1..4
    QByteArray ticket;

    QByteArray encode() const;
    static std::optional<Rejoin> decode(QByteArrayView payload);
    bool operator==(const Rejoin &) const = default;
};

} // namespace toHost
} // namespace wire
