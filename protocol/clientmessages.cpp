#include "protocol/clientmessages.h"

#include "protocol/cards.h"
#include "protocol/fields.h"
#include "protocol/message.h"
#include "protocol/seatticket.h"

#include <algorithm>
#include <climits>

namespace wire::toClient {

namespace {

std::optional<int> seatOf(std::optional<int> value)
{
    return within(value, 1, cards::kSeats);
}

QByteArray numberOrEmpty(std::optional<int> value)
{
    return value ? number(*value) : QByteArray();
}

} // namespace

QByteArray SendLoginInfo::encode() const
{
    return join(kName, {number(n)}, false);
}

std::optional<SendLoginInfo> SendLoginInfo::decode(QByteArrayView payload)
{
    const std::optional<int> n = within(toInt(payload), 1, INT_MAX);
    if (!n)
        return std::nullopt;
    return SendLoginInfo{*n};
}

template <const char *Name> QByteArray Bare<Name>::encode() const
{
    return join(kName, {}, false);
}

template <const char *Name> std::optional<Bare<Name>> Bare<Name>::decode(QByteArrayView)
{
    return Bare{};
}

template struct Bare<kFullName>;
template struct Bare<kWrongVersionName>;

template <const char *Name> QByteArray NumberAndText<Name>::encode() const
{
    return join(kName, {number(n), text}, false);
}

template <const char *Name>
std::optional<NumberAndText<Name>> NumberAndText<Name>::decode(QByteArrayView payload)
{
    Fields f(payload);
    const std::optional<int> n = f.nextInt();
    if (!n)
        return std::nullopt;
    return NumberAndText{*n, f.rest().toByteArray()};
}

template struct NumberAndText<kNewPlayerInfoName>;
template struct NumberAndText<kExistingPlayersName>;
template struct NumberAndText<kPlayerDisconnectedName>;

QByteArray HaveWrongVersion::encode() const
{
    return join(kName, {name}, false);
}

std::optional<HaveWrongVersion> HaveWrongVersion::decode(QByteArrayView payload)
{
    return HaveWrongVersion{payload.toByteArray()};
}

template <const char *Name> QByteArray RelayedLine<Name>::encode() const
{
    return join(kName, {number(n), line}, false);
}

template <const char *Name>
std::optional<RelayedLine<Name>> RelayedLine<Name>::decode(QByteArrayView payload)
{
    Fields f(payload);
    // A table reads the line's number with blanks around it allowed.
    const std::optional<int> n = within(toInt(f.next().trimmed()), 0, kLastLineNumber);
    if (!n)
        return std::nullopt;
    return RelayedLine{*n, f.rest().toByteArray()};
}

template struct RelayedLine<toHost::kChatName>;
template struct RelayedLine<toHost::kActionName>;

QByteArray GameStats::encode() const
{
    QList<QByteArray> f{number(recipient),    number(turn),        number(bidder),
                        number(playtoscore),  flag(blind),         flag(sandbag),
                        number(roundnumber),  number(totalbids),   number(teamscore[0]),
                        number(teamscore[1]), number(teambags[0]), number(teambags[1])};
    for (const SeatStats &s : seats) {
        f << number(s.seat) << number(s.tricks) << number(s.bid) << number(s.tablecard)
          << flag(s.blindnil) << flag(s.hasbid);
    }
    // Without seats the last number needs its "+" to be read.
    return join(kName, f, seats.isEmpty());
}

std::optional<GameStats> GameStats::decode(QByteArrayView payload)
{
    Fields f(payload);
    const std::optional<int> recipient = f.nextInt();
    const std::optional<int> turn = f.nextInt();
    const std::optional<int> bidder = f.nextInt();
    const std::optional<int> target = f.nextInt();
    const bool blind = f.next() == "y";
    const bool sandbag = f.next() == "y";
    std::optional<int> counts[6]; // round, total bids, two scores, two bag counts
    for (std::optional<int> &value : counts)
        value = f.nextInt();
    if (!recipient || !turn || !bidder || !target ||
        std::any_of(std::begin(counts), std::end(counts), [](auto v) { return !v; }))
        return std::nullopt;
    GameStats m{*recipient,
                *turn,
                *bidder,
                *target,
                blind,
                sandbag,
                *counts[0],
                *counts[1],
                {*counts[2], *counts[3]},
                {*counts[4], *counts[5]},
                {}};

    while (!f.atEnd()) {
        const std::optional<int> seat = f.nextInt();
        if (!seat)
            break;
        const std::optional<int> tricks = f.nextInt();
        const std::optional<int> bid = f.nextInt();
        const std::optional<int> card = f.nextInt();
        const bool blindnil = f.next() == "y";
        const bool hasbid = f.nextOrRest() == "y";
        if (!tricks || !bid || !card)
            break;
        if (cards::isSeat(*seat))
            m.seats.append({*seat, *tricks, *bid, *card, blindnil, hasbid});
    }
    return m;
}

template <const char *Name> QByteArray HandCards<Name>::encode() const
{
    QList<QByteArray> f{number(seat)};
    for (const CardInSlot &c : cards)
        f << number(c.position) << number(c.card);
    // Without cards the seat needs its "+" to be read.
    return join(kName, f, cards.isEmpty());
}

template <const char *Name>
std::optional<HandCards<Name>> HandCards<Name>::decode(QByteArrayView payload)
{
    Fields f(payload);
    const std::optional<int> seat = f.nextInt();
    if (!seat || *seat > cards::kSeats)
        return std::nullopt;
    HandCards m{*seat, {}};
    // The pairs are cut from the rest with a "+" and a stop mark after it, so
    // that the last card is read although it comes without its "+".
    const QByteArray pending = f.rest().toByteArray() + "+@";
    Fields pairs(pending);
    while (!pairs.atEnd() && pairs.rest() != "@") {
        const qsizetype before = pairs.rest().size();
        const std::optional<int> position = pairs.nextInt();
        const std::optional<int> card = pairs.nextInt();
        if (pairs.rest().size() >= before)
            break;
        if (position && card)
            m.cards.append({*position, *card});
    }
    return m;
}

template struct HandCards<kMyCardsName>;
template struct HandCards<kLoadCardsName>;

QByteArray GetBid::encode() const
{
    return join(kName, {number(bidder), number(totalbids)}, true);
}

std::optional<GetBid> GetBid::decode(QByteArrayView payload)
{
    Fields f(payload);
    const std::optional<int> bidder = f.nextInt();
    const std::optional<int> total = f.nextInt();
    if (!bidder || !total)
        return std::nullopt;
    return GetBid{*bidder, *total};
}

QByteArray HeBid::encode() const
{
    return join(kName, {number(seat), number(bid)}, true);
}

std::optional<HeBid> HeBid::decode(QByteArrayView payload)
{
    Fields f(payload);
    const std::optional<int> seat = seatOf(f.nextInt());
    const std::optional<int> bid = f.nextInt();
    if (!seat || !bid)
        return std::nullopt;
    return HeBid{*seat, *bid};
}

QByteArray FinalBid::encode() const
{
    return join(kName, {number(totalbids), number(team1), number(team2)}, true);
}

std::optional<FinalBid> FinalBid::decode(QByteArrayView payload)
{
    Fields f(payload);
    const std::optional<int> total = f.nextInt();
    const std::optional<int> team1 = f.nextInt();
    const std::optional<int> team2 = f.nextInt();
    if (!total || !team1 || !team2)
        return std::nullopt;
    return FinalBid{*total, *team1, *team2};
}

QByteArray NextPlayer::encode() const
{
    return join(kName, {number(turn), numberOrEmpty(ledcard)}, true);
}

std::optional<NextPlayer> NextPlayer::decode(QByteArrayView payload)
{
    Fields f(payload);
    const std::optional<int> turn = f.nextInt();
    if (!turn)
        return std::nullopt;
    return NextPlayer{*turn, f.nextInt()};
}

QByteArray HePlayed::encode() const
{
    return join(kName, {number(seat), number(card), numberOrEmpty(cardsLeft)}, true);
}

std::optional<HePlayed> HePlayed::decode(QByteArrayView payload)
{
    Fields f(payload);
    const std::optional<int> seat = seatOf(f.nextInt());
    const std::optional<int> card = f.nextInt();
    if (!seat || !card)
        return std::nullopt;
    return HePlayed{*seat, *card, f.nextInt()};
}

QByteArray UseCard::encode() const
{
    return join(kName, {number(seat), number(handPosition)}, true);
}

std::optional<UseCard> UseCard::decode(QByteArrayView payload)
{
    Fields f(payload);
    const std::optional<int> seat = f.nextInt();
    const std::optional<int> position = within(f.nextInt(), 1, cards::kHandSize);
    if (!seat || !position)
        return std::nullopt;
    return UseCard{*seat, *position};
}

QByteArray Error::encode() const
{
    return join(kName, {number(seat), number(code), numberOrEmpty(handPosition)}, true);
}

std::optional<Error> Error::decode(QByteArrayView payload)
{
    Fields f(payload);
    const std::optional<int> seat = f.nextInt();
    const std::optional<int> code = f.nextInt();
    if (!seat || !code)
        return std::nullopt;
    return Error{*seat, *code, f.nextInt()};
}

QByteArray TookTrick::encode() const
{
    return join(kName, {number(seat), number(tricks)}, true);
}

std::optional<TookTrick> TookTrick::decode(QByteArrayView payload)
{
    Fields f(payload);
    const std::optional<int> seat = seatOf(f.nextInt());
    const std::optional<int> tricks = f.nextInt();
    if (!seat || !tricks)
        return std::nullopt;
    return TookTrick{*seat, *tricks};
}

QByteArray PostScores::encode() const
{
    QList<QByteArray> f;
    for (int v : values)
        f << number(v);
    return join(kName, f, true);
}

std::optional<PostScores> PostScores::decode(QByteArrayView payload)
{
    Fields f(payload);
    PostScores m;
    for (int &v : m.values) {
        const std::optional<int> value = f.nextInt();
        if (!value)
            return std::nullopt;
        v = *value;
    }
    return m;
}

QByteArray Winner::encode() const
{
    return join(kName, {number(team)}, true);
}

std::optional<Winner> Winner::decode(QByteArrayView payload)
{
    return Winner{Fields(payload).next() == "1" ? 1 : 2};
}

QByteArray StartRound::encode() const
{
    return join(kName, {number(dealer), number(roundnumber)}, true);
}

std::optional<StartRound> StartRound::decode(QByteArrayView payload)
{
    Fields f(payload);
    const std::optional<int> dealer = f.nextInt();
    const std::optional<int> round = f.nextInt();
    if (!dealer || !round)
        return std::nullopt;
    return StartRound{*dealer, *round};
}

QByteArray JustWatching::encode() const
{
    return join(kName, {number(seat), number(mode)}, false);
}

std::optional<JustWatching> JustWatching::decode(QByteArrayView payload)
{
    Fields f(payload);
    const std::optional<int> seat = seatOf(f.nextInt());
    if (!seat)
        return std::nullopt;
    const bool watching = f.nextOrRest() == "1";
    return JustWatching{*seat, watching ? toHost::JustWatch::kWatch : toHost::JustWatch::kPlay};
}

int PlayASound::chatter() const
{
    return toInt(sound.mid(4)).value_or(0);
}

QByteArray PlayASound::encode() const
{
    return join(kName, {number(n), sound}, true);
}

std::optional<PlayASound> PlayASound::decode(QByteArrayView payload)
{
    Fields f(payload);
    const std::optional<int> n = seatOf(f.nextInt());
    const QByteArrayView sound = f.next();
    if (!n || sound.size() < 4)
        return std::nullopt;
    // "wave" in any case, then the number as written by us: "wave03" is no
    // sound of ours.
    const QByteArray lower = sound.toByteArray().toLower();
    const std::optional<int> k = within(toInt(lower.mid(4)), 1, kChatterSounds);
    if (!k || lower != "wave" + number(*k))
        return std::nullopt;
    return PlayASound{*n, sound.toByteArray()};
}

QByteArray SeatTicket::encode() const
{
    return join(kName, {number(seat), ticket}, true);
}

std::optional<SeatTicket> SeatTicket::decode(QByteArrayView payload)
{
    Fields f(payload);
    const std::optional<int> seat = within(f.nextInt(), 1, cards::kSeats);
    const QByteArrayView ticket = f.lastField();
    if (!seat || !isTicket(ticket))
        return std::nullopt;
    return SeatTicket{*seat, ticket.toByteArray()};
}

} // namespace wire::toClient
