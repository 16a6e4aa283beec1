// Drives the game host with arbitrary connections, closes, timer events and
// messages (raw bytes, or well-formed messages with arbitrary numbers so that
// whole games are reached), checking that nothing reaches outside its tables,
// that no card is ever in two places or lost, and that no hand has more than
// thirteen tricks.
#include "host/tserver.h"
#include "host/virtualport.h"
#include "protocol/message.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

void fail(const char *what, int line)
{
    std::fprintf(stderr, "broken invariant at line %d: %s\n", line, what);
    std::abort();
}
#define check(ok) ((ok) ? void() : fail(#ok, __LINE__))

void checkInvariants(const TServer &server)
{
    const GameState &game = server.game();
    const SeatTable &seats = server.seats();
    check(server.connectioncount() >= 0 && server.connectioncount() <= 9);
    check(!seats[10].connected && !seats[0].connected);
    for (int n = server.connectioncount() + 1; n <= 10; ++n)
        check(!seats[n].connected);
    for (int n = 1; n <= 10; ++n)
        check(!server.awaitingLogin(n) || seats[n].connected);
    check(game.bidder >= 0 && game.bidder <= 4);
    check(game.turn >= 0 && game.turn <= 4);
    check(game.dealer >= 1 && game.dealer <= 4);
    check(game.cardsintrick >= 0 && game.cardsintrick <= 4);
    for (int team = 1; team <= 2; ++team)
        check(game.teambags[team] >= 0 && game.teambags[team] <= 9);
    bool seen[cards::kDeckSize + 1] = {};
    for (int seat = 1; seat <= cards::kSeats; ++seat) {
        for (int slot = 1; slot <= cards::kHandSize; ++slot) {
            const int card = seats[seat].hand[slot];
            check(card >= 0 && card <= cards::kDeckSize);
            if (card != 0) {
                check(!seen[card]);
                seen[card] = true;
            }
        }
        const int onTable = seats[seat].tablecard;
        check(onTable >= 0 && onTable <= cards::kDeckSize);
        if (onTable != 0) {
            check(!seen[onTable]);
            seen[onTable] = true;
        }
    }
    // During a hand every card is in a hand, on the table (the last trick stays
    // there through the pause after it) or in a trick taken; between hands all
    // are gathered in.
    int tricks = 0;
    int present = 0;
    for (int seat = 1; seat <= cards::kSeats; ++seat) {
        check(seats[seat].tricks >= 0);
        tricks += seats[seat].tricks;
        present += seats[seat].cardsLeft() + (seats[seat].tablecard != 0);
    }
    check(tricks <= cards::kHandSize);
    const int accounted = present + cards::kSeats * tricks;
    if (game.gamestarted && game.roundnumber > 0)
        check(accounted == 0 || accounted == cards::kDeckSize ||
              accounted == cards::kDeckSize + cards::kSeats);
}

// A catalogue message with numbers taken from the input.
QByteArray wellFormed(int kind, int sender, int a)
{
    switch (kind % 9) {
    case 0:
        return wire::toHost::logininfo(sender, wire::kVersion,
                                       "P" + QByteArray::number(a) + char(0xFF));
    case 1:
        return wire::toHost::startgame("P", QByteArray::number(a * 50), a & 1, a & 2, a & 4);
    case 2:
        return wire::toHost::mybid(sender, a % 16 - 1);
    case 3:
        return wire::toHost::playcard(sender, a % 16 - 1);
    case 4:
        return wire::toHost::justwatch(sender, a % 3);
    case 5:
        return wire::toHost::kickhim(sender, a % 12 - 1);
    case 6:
        return wire::toHost::closed(sender);
    case 7:
        return wire::toHost::botspeed(sender, a * 100);
    default:
        return wire::toHost::chat(sender, "hi|clBlack");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    VirtualPort port;
    TServer server(port, 12345);
    port.attach(&server);
    size_t i = 0;
    auto next = [&]() -> int { return i < size ? data[i++] : 0; };
    while (i < size) {
        switch (next() % 7) {
        case 0:
            server.Sock1Accept();
            break;
        case 1:
            server.connectionClosed(next() % 12 - 1);
            break;
        case 2:
            // Timers out of turn, a login deadline for any number among them.
            server.timer1Timer();
            server.computertimerTimer();
            server.loginTimer(next() % 12 - 1);
            break;
        case 3:
            port.step();
            break;
        case 4: {
            const int connection = next() % 12 - 1;
            QByteArray message;
            while (i < size && data[i] != 0xFF)
                message += char(data[i++]);
            ++i;
            server.dispatch(connection, message);
            break;
        }
        case 5: {
            const int connection = next() % 12 - 1;
            const int kind = next();
            const int sender = (kind & 0x80) ? next() % 12 - 1 : connection;
            QByteArray message = wellFormed(kind, sender, next());
            // The runtime hands over what comes before the first terminator.
            message.truncate(message.indexOf(char(0xFF)));
            server.dispatch(connection, message);
            break;
        }
        default:
            port.refuseAccepts = !port.refuseAccepts;
            break;
        }
        checkInvariants(server);
    }
    return 0;
}
