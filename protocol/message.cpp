#include "protocol/message.h"

#include "protocol/clientmessages.h"
#include "protocol/hostmessages.h"

#include <algorithm>

namespace wire {

QByteArray message(const char *name, const QList<QByteArray> &fields, bool trailing)
{
    QByteArray out(name);
    out += '+';
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (i > 0)
            out += '+';
        out += fields[i];
    }
    if (trailing)
        out += '+';
    out += kTerminator;
    return out;
}

QByteArray flag(bool value)
{
    return value ? QByteArray("y") : QByteArray("n");
}
QByteArray number(int value)
{
    return QByteArray::number(value);
}

std::pair<QByteArray, QByteArray> splitCommand(const QByteArray &message)
{
    const qsizetype plus = message.indexOf('+');
    if (plus < 0)
        return {QByteArray(), message};
    return {message.left(plus), message.mid(plus + 1)};
}

QByteArray FieldReader::next()
{
    const qsizetype before = m_rest.size();
    Fields fields(m_rest);
    QByteArray field = fields.next().toByteArray();
    m_rest.remove(0, before - fields.rest().size());
    return field;
}

namespace toHost {

QByteArray logininfo(int n, const QByteArray &version, const QByteArray &nameWithTerminator)
{
    const bool ended = nameWithTerminator.endsWith(kTerminator);
    return LoginInfo{n, version, ended ? nameWithTerminator.chopped(1) : nameWithTerminator}
        .encode();
}

QByteArray startgame(const QByteArray &starter, const QByteArray &target, bool sandbag, bool blind,
                     bool startclub)
{
    return StartGame::of(starter, target, sandbag, blind, startclub).encode();
}

QByteArray mybid(int n, int bid)
{
    return MyBid{n, bid}.encode();
}

QByteArray playcard(int n, int handPosition)
{
    return PlayCard{n, handPosition}.encode();
}

QByteArray chat(int n, const QByteArray &textBarColour)
{
    return Chat{n, textBarColour}.encode();
}

QByteArray action(int n, const QByteArray &textBarColour)
{
    return Action{n, textBarColour}.encode();
}

QByteArray playasound(int n, const QByteArray &soundName)
{
    return PlayASound{n, soundName}.encode();
}

QByteArray justwatch(int seat, int mode)
{
    return JustWatch{seat, mode}.encode();
}

QByteArray kickhim(int n, int victim)
{
    return KickHim{n, victim}.encode();
}

QByteArray botspeed(int n, int milliseconds)
{
    return BotSpeed{n, milliseconds}.encode();
}

QByteArray closed(int n)
{
    return Closed{n}.encode();
}

} // namespace toHost

namespace toClient {

QByteArray sendlogininfo(int n)
{
    return SendLoginInfo{n}.encode();
}

QByteArray full()
{
    return Full{}.encode();
}

QByteArray newplayerinfo(int n, const QByteArray &name)
{
    return NewPlayerInfo{n, name}.encode();
}

QByteArray existingplayers(int n, const QByteArray &name)
{
    return ExistingPlayers{n, name}.encode();
}

QByteArray havewrongversion(const QByteArray &name)
{
    return HaveWrongVersion{name}.encode();
}

QByteArray wrongversion()
{
    return WrongVersion{}.encode();
}

template <class Hand> static QByteArray handOf(int seat, const int (&hand)[14])
{
    Hand m{seat, {}};
    for (int slot = 1; slot <= 13; ++slot)
        m.cards.append({slot, hand[slot]});
    return m.encode();
}

QByteArray loadcards(int n, const int (&hand)[14])
{
    return handOf<LoadCards>(n, hand);
}

QByteArray getbid(int bidder, int totalbids)
{
    return GetBid{bidder, totalbids}.encode();
}

QByteArray hebid(int seat, int bid)
{
    return HeBid{seat, bid}.encode();
}

QByteArray finalbid(int totalbids, int team1, int team2)
{
    return FinalBid{totalbids, team1, team2}.encode();
}

QByteArray nextplayer(int turn, int ledcard)
{
    return NextPlayer{turn, ledcard}.encode();
}

QByteArray heplayed(int seat, int card, int cardsLeft)
{
    return HePlayed{seat, card, cardsLeft}.encode();
}

QByteArray usecard(int seat, int handPosition)
{
    return UseCard{seat, handPosition}.encode();
}

QByteArray error(int seat, int code, int handPosition)
{
    return Error{seat, code, handPosition}.encode();
}

QByteArray tooktrick(int seat, int tricks)
{
    return TookTrick{seat, tricks}.encode();
}

QByteArray postscores(const int (&values)[16])
{
    PostScores m;
    std::copy(std::begin(values), std::end(values), m.values.begin());
    return m.encode();
}

QByteArray winner(int team)
{
    return Winner{team}.encode();
}

QByteArray startgame(const QList<QByteArray> &fields)
{
    return StartGame{fields.value(0), fields.value(1), fields.value(2), fields.value(3),
                     fields.value(4)}
        .encode();
}

QByteArray startround(int dealer, int roundnumber)
{
    return StartRound{dealer, roundnumber}.encode();
}

QByteArray mycards(int seat, const int (&hand)[14])
{
    return handOf<MyCards>(seat, hand);
}

QByteArray justwatching(int seat, int mode)
{
    return JustWatching{seat, mode}.encode();
}

QByteArray playerdisconnected(int n, const QByteArray &name)
{
    return PlayerDisconnected{n, name}.encode();
}

QByteArray chat(int n, const QByteArray &relayedLine)
{
    return Chat{n, relayedLine}.encode();
}

QByteArray action(int n, const QByteArray &relayedLine)
{
    return Action{n, relayedLine}.encode();
}

QByteArray playasound(int n, const QByteArray &soundName)
{
    return PlayASound{n, soundName}.encode();
}

} // namespace toClient

} // namespace wire
