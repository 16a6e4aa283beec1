#include "protocol/message.h"

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
    const qsizetype plus = m_rest.indexOf('+');
    if (plus < 0)
        return QByteArray();
    QByteArray field = m_rest.left(plus);
    m_rest.remove(0, plus + 1);
    return field;
}

std::optional<int> FieldReader::nextInt()
{
    return toInt(next());
}

std::optional<int> toInt(const QByteArray &text)
{
    qsizetype i = 0;
    const bool negative = !text.isEmpty() && text[0] == '-';
    if (negative)
        i = 1;
    if (i >= text.size() || text.size() - i > 10)
        return std::nullopt;
    long long value = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    if (negative)
        value = -value;
    if (value < INT32_MIN || value > INT32_MAX)
        return std::nullopt;
    return static_cast<int>(value);
}

namespace toHost {

QByteArray logininfo(int n, const QByteArray &version, const QByteArray &nameWithTerminator)
{
    return message("CMD_logininfo", {number(n), version, nameWithTerminator}, false);
}

QByteArray startgame(const QByteArray &starter, const QByteArray &target, bool sandbag, bool blind,
                     bool startclub)
{
    return message("CMD_startgame", {starter, target, flag(sandbag), flag(blind), flag(startclub)},
                   true);
}

QByteArray mybid(int n, int bid)
{
    return message("CMD_mybid", {number(n), number(bid)}, true);
}

QByteArray playcard(int n, int handPosition)
{
    return message("CMD_playcard", {number(n), number(handPosition)}, true);
}

QByteArray chat(int n, const QByteArray &textBarColour)
{
    return message("CMD_chat", {number(n), textBarColour}, false);
}

QByteArray action(int n, const QByteArray &textBarColour)
{
    return message("CMD_action", {number(n), textBarColour}, false);
}

QByteArray playasound(int n, const QByteArray &soundName)
{
    return message("CMD_playasound", {number(n), soundName}, true);
}

QByteArray justwatch(int seat, int mode)
{
    return message("CMD_justwatch", {number(seat), number(mode)}, false);
}

QByteArray kickhim(int n, int victim)
{
    return message("CMD_kickhim", {number(n), number(victim)}, true);
}

QByteArray botspeed(int n, int milliseconds)
{
    return message("CMD_botspeed", {number(n), number(milliseconds)}, true);
}

QByteArray closed(int n)
{
    return message("CMD_closed", {number(n)}, true);
}

} // namespace toHost

namespace toClient {

QByteArray sendlogininfo(int n)
{
    return message("CMD_sendlogininfo", {number(n)}, false);
}
QByteArray full()
{
    return message("CMD_full", {}, false);
}

QByteArray newplayerinfo(int n, const QByteArray &name)
{
    return message("CMD_newplayerinfo", {number(n), name}, false);
}

QByteArray existingplayers(int n, const QByteArray &name)
{
    return message("CMD_existingplayers", {number(n), name}, false);
}

QByteArray havewrongversion(const QByteArray &name)
{
    return message("CMD_havewrongversion", {name}, false);
}

QByteArray wrongversion()
{
    return message("CMD_wrongversion", {}, false);
}

QByteArray gamestats(const GameStats &s)
{
    QList<QByteArray> f{number(s.recipient),    number(s.turn),        number(s.bidder),
                        number(s.playtoscore),  flag(s.blind),         flag(s.sandbag),
                        number(s.roundnumber),  number(s.totalbids),   number(s.teamscore[0]),
                        number(s.teamscore[1]), number(s.teambags[0]), number(s.teambags[1])};
    for (const SeatStats &seat : s.seats) {
        f << number(seat.seat) << number(seat.tricks) << number(seat.bid) << number(seat.tablecard)
          << flag(seat.blindnil) << flag(seat.hasbid);
    }
    return message("CMD_gamestats", f, false);
}

static QList<QByteArray> slotPairs(int n, const int (&hand)[14])
{
    QList<QByteArray> f{number(n)};
    for (int slot = 1; slot <= 13; ++slot)
        f << number(slot) << number(hand[slot]);
    return f;
}

QByteArray loadcards(int n, const int (&hand)[14])
{
    return message("CMD_loadcards", slotPairs(n, hand), false);
}

QByteArray getbid(int bidder, int totalbids)
{
    return message("CMD_getbid", {number(bidder), number(totalbids)}, true);
}

QByteArray hebid(int seat, int bid)
{
    return message("CMD_hebid", {number(seat), number(bid)}, true);
}

QByteArray finalbid(int totalbids, int team1, int team2)
{
    return message("CMD_finalbid", {number(totalbids), number(team1), number(team2)}, true);
}

QByteArray nextplayer(int turn, int ledcard)
{
    return message("CMD_nextplayer", {number(turn), number(ledcard)}, true);
}

QByteArray heplayed(int seat, int card, int cardsLeft)
{
    return message("CMD_heplayed", {number(seat), number(card), number(cardsLeft)}, true);
}

QByteArray usecard(int seat, int handPosition)
{
    return message("CMD_usecard", {number(seat), number(handPosition)}, true);
}

QByteArray error(int seat, int code, int handPosition)
{
    return message("CMD_error", {number(seat), number(code), number(handPosition)}, true);
}

QByteArray tooktrick(int seat, int tricks)
{
    return message("CMD_tooktrick", {number(seat), number(tricks)}, true);
}

QByteArray postscores(const int (&values)[16])
{
    QList<QByteArray> f;
    for (int v : values)
        f << number(v);
    return message("CMD_postscores", f, true);
}

QByteArray winner(int team)
{
    return message("CMD_winner", {number(team)}, true);
}

QByteArray startgame(const QList<QByteArray> &fields)
{
    return message("CMD_startgame", fields, true);
}

QByteArray startround(int dealer, int roundnumber)
{
    return message("CMD_startround", {number(dealer), number(roundnumber)}, true);
}

QByteArray mycards(int seat, const int (&hand)[14])
{
    return message("CMD_mycards", slotPairs(seat, hand), false);
}

QByteArray justwatching(int seat, int mode)
{
    return message("CMD_justwatching", {number(seat), number(mode)}, false);
}

QByteArray playerdisconnected(int n, const QByteArray &name)
{
    return message("CMD_playerdisconnected", {number(n), name}, false);
}

QByteArray chat(int n, const QByteArray &relayedLine)
{
    return message("CMD_chat", {number(n), relayedLine}, false);
}

QByteArray action(int n, const QByteArray &relayedLine)
{
    return message("CMD_action", {number(n), relayedLine}, false);
}

QByteArray playasound(int n, const QByteArray &soundName)
{
    return message("CMD_playasound", {number(n), soundName}, true);
}

} // namespace toClient

const QList<QByteArray> &hostCommandNames()
{
    static const QList<QByteArray> names{"CMD_logininfo",  "CMD_kickhim", "CMD_botspeed",
                                         "CMD_chat",       "CMD_action",  "CMD_startgame",
                                         "CMD_justwatch",  "CMD_mybid",   "CMD_playcard",
                                         "CMD_playasound", "CMD_closed"};
    return names;
}

const QList<QByteArray> &clientCommandNames()
{
    static const QList<QByteArray> names{"CMD_sendlogininfo",
                                         "CMD_chat",
                                         "CMD_action",
                                         "CMD_newplayerinfo",
                                         "CMD_havewrongversion",
                                         "CMD_wrongversion",
                                         "CMD_existingplayers",
                                         "CMD_playerdisconnected",
                                         "CMD_startgame",
                                         "CMD_nextplayer",
                                         "CMD_winner",
                                         "CMD_full",
                                         "CMD_justwatching",
                                         "CMD_mycards",
                                         "CMD_startround",
                                         "CMD_getbid",
                                         "CMD_hebid",
                                         "CMD_finalbid",
                                         "CMD_error",
                                         "CMD_heplayed",
                                         "CMD_usecard",
                                         "CMD_tooktrick",
                                         "CMD_postscores",
                                         "CMD_gamestats",
                                         "CMD_loadcards",
                                         "CMD_playasound"};
    return names;
}

} // namespace wire
