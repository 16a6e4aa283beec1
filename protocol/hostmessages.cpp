#include "protocol/hostmessages.h"

#include "protocol/cards.h"
#include "protocol/fields.h"
#include "protocol/message.h"
#include "protocol/seatticket.h"

namespace wire {

namespace {

constexpr int kDefaultTarget = 500;

std::optional<int> seatOf(std::optional<int> value)
{
    return within(value, 1, cards::kSeats);
}

std::optional<int> connectionOf(std::optional<int> value)
{
    return within(value, 1, kConnections);
}

} // namespace

StartGame StartGame::of(const QByteArray &starter, const QByteArray &target, bool sandbag,
                        bool blind, bool startclub)
{
    return {starter, target, flag(sandbag), flag(blind), flag(startclub)};
}

int StartGame::targetScoreOf(QByteArrayView target)
{
    return toInt(target).value_or(kDefaultTarget);
}

QByteArray StartGame::encode() const
{
    return join(kName, {starter, target, sandbag, blind, startclub}, true);
}

std::optional<StartGame> StartGame::decode(QByteArrayView payload)
{
    Fields f(payload);
    StartGame m;
    m.starter = f.next().toByteArray();
    m.target = f.next().toByteArray();
    m.sandbag = f.next().toByteArray();
    m.blind = f.next().toByteArray();
    m.startclub = f.lastField().toByteArray();
    return m;
}

namespace toHost {

QByteArray LoginInfo::encode() const
{
    // The name runs to a terminator of its own; one inside it (a "ÿ" in
    // Latin-1) would end the message early, so it goes as a blank.
    QByteArray field = name;
    field.replace(kTerminator, ' ');
    return join(kName, {number(n), version, field + kTerminator}, false);
}

std::optional<LoginInfo> LoginInfo::decode(QByteArrayView payload)
{
    Fields f(payload);
    const std::optional<int> n = connectionOf(f.nextInt());
    if (!n)
        return std::nullopt;
    const QByteArrayView version = f.next();
    return LoginInfo{*n, version.toByteArray(), f.rest().toByteArray()};
}

QByteArray MyBid::encode() const
{
    return join(kName, {number(n), number(bid)}, true);
}

std::optional<MyBid> MyBid::decode(QByteArrayView payload)
{
    Fields f(payload);
    const std::optional<int> n = seatOf(f.nextInt());
    std::optional<int> bid = toInt(f.lastField());
    if (bid != kBlindNil)
        bid = within(bid, 0, cards::kHandSize);
    if (!n || !bid)
        return std::nullopt;
    return MyBid{*n, *bid};
}

QByteArray PlayCard::encode() const
{
    return join(kName, {number(n), number(handPosition)}, true);
}

std::optional<PlayCard> PlayCard::decode(QByteArrayView payload)
{
    Fields f(payload);
    const std::optional<int> n = seatOf(f.nextInt());
    const std::optional<int> position = toInt(f.lastField());
    if (!n || !position)
        return std::nullopt;
    return PlayCard{*n, *position};
}

template <const char *Name> QByteArray LineFrom<Name>::encode() const
{
    return join(kName, {number(n), text}, false);
}

template <const char *Name>
std::optional<LineFrom<Name>> LineFrom<Name>::decode(QByteArrayView payload)
{
    Fields f(payload);
    const std::optional<int> n = connectionOf(f.nextInt());
    if (!n)
        return std::nullopt;
    return LineFrom{*n, f.rest().toByteArray()};
}

template struct LineFrom<kChatName>;
template struct LineFrom<kActionName>;

QByteArray PlayASound::encode() const
{
    return join(kName, {number(n), sound}, true);
}

std::optional<PlayASound> PlayASound::decode(QByteArrayView payload)
{
    Fields f(payload);
    const std::optional<int> n = connectionOf(f.nextInt());
    if (!n)
        return std::nullopt;
    QByteArrayView sound = f.rest();
    if (sound.endsWith('+'))
        sound.chop(1);
    return PlayASound{*n, sound.toByteArray()};
}

QByteArray JustWatch::encode() const
{
    return join(kName, {number(seat), number(mode)}, false);
}

std::optional<JustWatch> JustWatch::decode(QByteArrayView payload)
{
    Fields f(payload);
    const std::optional<int> seat = seatOf(f.nextInt());
    const std::optional<int> mode = within(toInt(f.lastField()), kWatch, kPlay);
    if (!seat || !mode)
        return std::nullopt;
    return JustWatch{*seat, *mode};
}

QByteArray KickHim::encode() const
{
    return join(kName, {number(n), number(victim)}, true);
}

std::optional<KickHim> KickHim::decode(QByteArrayView payload)
{
    Fields f(payload);
    const std::optional<int> n = connectionOf(f.nextInt());
    const std::optional<int> victim = connectionOf(toInt(f.lastField()));
    if (!n || !victim)
        return std::nullopt;
    return KickHim{*n, *victim};
}

QByteArray BotSpeed::encode() const
{
    return join(kName, {number(n), number(milliseconds)}, true);
}

std::optional<BotSpeed> BotSpeed::decode(QByteArrayView payload)
{
    Fields f(payload);
    const std::optional<int> n = connectionOf(f.nextInt());
    const std::optional<int> delay = within(toInt(f.lastField()), 0, kLongestBotDelay);
    if (!n || !delay)
        return std::nullopt;
    return BotSpeed{*n, *delay};
}

QByteArray Closed::encode() const
{
    return join(kName, {number(n)}, true);
}

std::optional<Closed> Closed::decode(QByteArrayView payload)
{
    const std::optional<int> n = seatOf(toInt(Fields(payload).lastField()));
    if (!n)
        return std::nullopt;
    return Closed{*n};
}

QByteArray Rejoin::encode() const
{
    return join(kName, {number(n), number(seat), ticket}, true);
}

std::optional<Rejoin> Rejoin::decode(QByteArrayView payload)
{
    Fields f(payload);
    const std::optional<int> n = connectionOf(f.nextInt());
    const std::optional<int> seat = seatOf(f.nextInt());
    const QByteArrayView ticket = f.lastField();
    if (!n || !seat || !isTicket(ticket))
        return std::nullopt;
    return Rejoin{*n, *seat, ticket.toByteArray()};
}

} // namespace toHost
} // namespace wire
