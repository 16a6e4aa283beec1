// Drives the game host with arbitrary connections, closes, timer events and
// messages, checking that nothing reaches outside its tables and that no card
// is ever in two places.
#include "host/tserver.h"
#include "host/virtualport.h"

#include <cstdint>
#include <cstdlib>

namespace {

void check(bool ok)
{
    if (!ok)
        std::abort();
}

void checkInvariants(const TServer &server)
{
    const GameState &game = server.game();
    const SeatTable &seats = server.seats();
    check(server.connectioncount() >= 0 && server.connectioncount() <= 9);
    check(!seats[10].connected && !seats[0].connected);
    for (int n = server.connectioncount() + 1; n <= 10; ++n)
        check(!seats[n].connected);
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
        switch (next() % 6) {
        case 0:
            server.Sock1Accept();
            break;
        case 1:
            server.connectionClosed(next() % 12 - 1);
            break;
        case 2:
            server.timer1Timer();
            server.computertimerTimer();
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
        default:
            port.refuseAccepts = !port.refuseAccepts;
            break;
        }
        checkInvariants(server);
    }
    return 0;
}
