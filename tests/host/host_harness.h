#pragma once

#include "host/tserver.h"
#include "host/virtualport.h"
#include "protocol/fields.h"
#include "protocol/message.h"
#include "protocol/receivequeue.h"
#include "protocol/wirecodec.h"

#include <QByteArray>
#include <QList>
#include <algorithm>
#include <array>
#include <functional>
#include <initializer_list>
#include <vector>

namespace hosttest {

inline QByteArray fieldsOf(const QByteArray &message)
{
    const qsizetype plus = message.indexOf('+');
    return plus < 0 ? message : message.mid(plus + 1);
}
inline QByteArray nameOf(const QByteArray &message)
{
    const qsizetype plus = message.indexOf('+');
    return plus < 0 ? QByteArray() : message.left(plus);
}

// The integer fields of a message (a trailing "+" adds nothing).
inline QList<int> ints(const QByteArray &message)
{
    QList<int> out;
    for (const QByteArray &f : fieldsOf(message).split('+')) {
        if (!f.isEmpty())
            out << wire::toInt(f).value_or(-9999);
    }
    return out;
}

inline QList<QByteArray> named(const QList<QByteArray> &messages, const char *name)
{
    QList<QByteArray> out;
    for (const QByteArray &m : messages) {
        if (nameOf(m) == name)
            out << m;
    }
    return out;
}

// A deck that deals the given hands to seats 1..4 (13 cards each).
inline TServer::Deck deckOf(const std::array<std::array<int, 13>, 4> &hands)
{
    TServer::Deck deck{};
    for (int seat = 0; seat < 4; ++seat) {
        for (int i = 0; i < 13; ++i)
            deck[i * 4 + seat + 1] = hands[seat][i];
    }
    return deck;
}

// Deals the cards 1..52 so that seat s gets the listed cards first and the
// rest is filled in ascending order.
inline TServer::Deck deckWith(std::initializer_list<std::initializer_list<int>> wanted)
{
    std::array<std::array<int, 13>, 4> hands{};
    std::array<int, 4> count{};
    bool used[53] = {};
    int seat = 0;
    for (const auto &cardsOfSeat : wanted) {
        for (int card : cardsOfSeat) {
            hands[seat][count[seat]++] = card;
            used[card] = true;
        }
        ++seat;
    }
    int next = 1;
    for (int s = 0; s < 4; ++s) {
        while (count[s] < 13) {
            while (used[next])
                ++next;
            used[next] = true;
            hands[s][count[s]++] = next;
        }
    }
    return deckOf(hands);
}

// A host on a virtual port with helpers that act like connecting clients.
struct Host
{
    VirtualPort port;
    TServer server;
    std::array<ReceiveQueue, 11> buffers;

    explicit Host(std::uint32_t seed = 12345) : server(port, seed) { port.attach(&server); }

    // A new connection; returns the number the host gave it (0 if none).
    int connect() { return server.Sock1Accept(); }

    // Delivers raw bytes as they would arrive on connection n.
    void deliver(int n, const QByteArray &bytes)
    {
        if (!buffers[n].append(bytes))
            return;
        for (const QByteArray &m : buffers[n].takeAll())
            server.dispatch(n, m);
    }

    void login(int n, const QByteArray &name, const QByteArray &version = wire::kVersion)
    {
        deliver(n, wire::toHost::LoginInfo{n, version, name}.encode());
    }

    // Connects and logs in `count` people named P1, P2, ...
    void seat(int count)
    {
        for (int i = 0; i < count; ++i) {
            const int n = connect();
            login(n, "P" + QByteArray::number(n));
        }
    }

    void start(bool sandbag = true, bool blind = true, bool startclub = false,
               const QByteArray &target = "500")
    {
        deliver(1, wire::toHost::StartGame::of("P1", target, sandbag, blind, startclub).encode());
    }

    QList<QByteArray> take(int n) { return port.take(n); }
    void clear() { port.clearRecords(); }
    const SeatRecord &seatRecord(int n) const { return server.seats()[n]; }
    const GameState &game() const { return server.game(); }
};

// A table client as far as the game needs one: it keeps its hand from the
// messages it gets, bids what it is told and plays the first legal card
// (or what `choose` picks), and closes the score display at once.
struct ScriptedSeat
{
    int seat = 0;
    std::array<int, 14> hand{};
    int bid = 3;
    bool closes = true;
    bool autoplay = true;
    bool bids = true;
    bool spadesBroken = false;
    std::function<int(const ScriptedSeat &, int ledcard)> choose;
    QList<QByteArray> received; // everything, in order

    int firstLegal(int ledcard) const
    {
        auto first = [&](auto pred) {
            for (int slot = 1; slot <= 13; ++slot) {
                if (hand[slot] != 0 && pred(hand[slot]))
                    return slot;
            }
            return 0;
        };
        if (ledcard == 0) {
            if (!spadesBroken) {
                if (int slot = first([](int c) { return getsuit(c) != cards::kSpades; }))
                    return slot;
            }
            return first([](int) { return true; });
        }
        if (int slot = first([&](int c) { return getsuit(c) == getsuit(ledcard); }))
            return slot;
        return first([](int) { return true; });
    }

    // Reacts to one host message; returns what the client sends back.
    QByteArray react(const QByteArray &message)
    {
        received << message;
        const QByteArray name = nameOf(message);
        const QList<int> f = ints(message);
        if (name == "CMD_mycards" || name == "CMD_loadcards") {
            for (int slot = 1; slot <= 13; ++slot)
                hand[slot] = f.value(2 * slot);
        } else if (name == "CMD_usecard" && f.value(0) == seat) {
            hand[f.value(1)] = 0;
        } else if (name == "CMD_heplayed" && getsuit(f.value(1)) == cards::kSpades) {
            spadesBroken = true;
        } else if (name == "CMD_startround") {
            spadesBroken = false;
        } else if (name == "CMD_getbid" && f.value(0) == seat && bids) {
            return wire::toHost::MyBid{seat, bid}.encode();
        } else if (name == "CMD_nextplayer" && f.value(0) == seat && autoplay) {
            const int slot = choose ? choose(*this, f.value(1)) : firstLegal(f.value(1));
            return wire::toHost::PlayCard{seat, slot}.encode();
        } else if (name == "CMD_postscores" && closes) {
            return wire::toHost::Closed{seat}.encode();
        }
        return {};
    }
};

// Four (or fewer) people at the host's seats, reacting to what they receive;
// seats without a person are left to the computer.
struct Table
{
    Host host;
    std::array<ScriptedSeat, 5> people;
    int present = 0;

    explicit Table(int seated = 4, std::uint32_t seed = 12345) : host(seed), present(seated)
    {
        host.seat(seated);
        host.clear();
        for (int s = 1; s <= 4; ++s)
            people[s].seat = s;
    }

    // Hands every pending message to its client and delivers the answers,
    // until nobody has anything to say.
    void settle()
    {
        for (bool busy = true; busy;) {
            busy = false;
            for (int s = 1; s <= present; ++s) {
                for (const QByteArray &m : host.take(s)) {
                    busy = true;
                    const QByteArray reply = people[s].react(m);
                    if (!reply.isEmpty())
                        host.deliver(s, reply);
                }
            }
        }
    }

    // Runs until `done` holds or the timers run dry; false on the latter.
    bool runUntil(const std::function<bool()> &done, int maxSteps = 100000)
    {
        settle();
        for (int i = 0; i < maxSteps && !done(); ++i) {
            if (!host.port.step())
                return done();
            settle();
        }
        return done();
    }

    QList<QByteArray> all(int s, const char *name) const { return named(people[s].received, name); }

    // Deals `deck` to people who bid but play only when told; seat 2 leads.
    void dealForHandPlay(const TServer::Deck &deck)
    {
        for (int s = 1; s <= 4; ++s)
            people[s].autoplay = false;
        host.server.stackDeck(deck);
        host.start();
        settle();
    }
    // Seats 2, 3, 4 and 1 play the card in their first slot.
    void playFirstSlots()
    {
        for (int seat : {2, 3, 4, 1})
            host.deliver(seat, wire::toHost::PlayCard{seat, 1}.encode());
    }
};

} // namespace hosttest
