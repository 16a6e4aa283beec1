#pragma once

#include "protocol/clientmessages.h"
#include "protocol/fields.h"

#include <QByteArray>
#include <QList>
#include <optional>
#include <utility>

// Messages on the wire: name, "+", fields joined by "+", an optional trailing
// "+", then the terminator byte 0xFF. Nothing is escaped or length-prefixed.
namespace wire {

constexpr char kTerminator = char(0xFF);
inline const QByteArray kVersion = "1.0.6";

// Builds one message; `trailing` adds the extra "+" after the last field.
QByteArray message(const char *name, const QList<QByteArray> &fields, bool trailing);
QByteArray flag(bool value);
QByteArray number(int value);

// Splits a queued message into its command name and payload. A message
// without "+" has an empty name (and is ignored by both dispatchers).
std::pair<QByteArray, QByteArray> splitCommand(const QByteArray &message);

// The cutting rule (fields.h) over a payload it keeps a copy of.
class FieldReader
{
public:
    explicit FieldReader(QByteArray payload) : m_rest(std::move(payload)) {}

    QByteArray next();
    // The next field as an integer; nullopt when it does not convert, which
    // ends the handler reading it.
    std::optional<int> nextInt() { return toInt(next()); }
    QByteArray text() const { return m_rest; }
    bool atEnd() const { return m_rest.isEmpty(); }

private:
    QByteArray m_rest;
};

// Builders of the messages to the host (hostmessages.h has the types).
namespace toHost {
// `nameWithTerminator` is the login text: the name with 0xFF already appended.
QByteArray logininfo(int n, const QByteArray &version, const QByteArray &nameWithTerminator);
QByteArray startgame(const QByteArray &starter, const QByteArray &target, bool sandbag, bool blind,
                     bool startclub);
QByteArray mybid(int n, int bid);
QByteArray playcard(int n, int handPosition);
QByteArray chat(int n, const QByteArray &textBarColour);
QByteArray action(int n, const QByteArray &textBarColour);
QByteArray playasound(int n, const QByteArray &soundName);
QByteArray justwatch(int seat, int mode);
QByteArray kickhim(int n, int victim);
QByteArray botspeed(int n, int milliseconds);
QByteArray closed(int n);
} // namespace toHost

// Builders of the messages to a table (clientmessages.h has the types).
namespace toClient {
QByteArray sendlogininfo(int n);
QByteArray full();
QByteArray newplayerinfo(int n, const QByteArray &name);
QByteArray existingplayers(int n, const QByteArray &name);
QByteArray havewrongversion(const QByteArray &name);
QByteArray wrongversion();
// `hand` holds the cards of hand positions 1..13 (index 0 unused).
QByteArray loadcards(int n, const int (&hand)[14]);
QByteArray getbid(int bidder, int totalbids);
QByteArray hebid(int seat, int bid);
QByteArray finalbid(int totalbids, int team1, int team2);
QByteArray nextplayer(int turn, int ledcard);
QByteArray heplayed(int seat, int card, int cardsLeft);
QByteArray usecard(int seat, int handPosition);
QByteArray error(int seat, int code, int handPosition);
QByteArray tooktrick(int seat, int tricks);
QByteArray postscores(const int (&values)[16]);
QByteArray winner(int team);
// Relays the five fields of a received start exactly as they came.
QByteArray startgame(const QList<QByteArray> &fields);
QByteArray startround(int dealer, int roundnumber);
QByteArray mycards(int seat, const int (&hand)[14]);
QByteArray justwatching(int seat, int mode);
QByteArray playerdisconnected(int n, const QByteArray &name);
QByteArray chat(int n, const QByteArray &relayedLine);
QByteArray action(int n, const QByteArray &relayedLine);
QByteArray playasound(int n, const QByteArray &soundName);
} // namespace toClient

} // namespace wire
