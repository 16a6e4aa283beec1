#pragma once

#include "host/hoststate.h"
#include "host/playrules.h"

#include <array>
#include <cstdint>

// What the whole table has seen of the hand being played: every card played
// so far and the suits each seat has shown it no longer holds. The host keeps
// one, and so can a table client from the cards it is shown.
struct PlayHistory
{
    CardSet played = 0;
    std::array<std::uint8_t, cards::kSeats + 1> voids{}; // by seat: bit suit-1

    void clear() { *this = PlayHistory{}; }
    // Notes a card as it reaches the table. `ledcard` is the card that led the
    // trick (0 when this card leads it) and `spadesbroken` the state before
    // this card.
    void place(int seat, int card, int ledcard, bool spadesbroken);

    bool showedOut(int seat, int suit) const
    {
        return cards::isSeat(seat) && (voids[seat] >> (suit - 1) & 1) != 0;
    }
};

// Everything one seat may know when it has to bid or play, and nothing more:
// its own cards, the bids, the cards played, the suits others have shown out
// of, the scores and the table's options. Other seats' cards are not in it.
struct SeatKnowledge
{
    int seat = 1;       // 1..4
    CardSet hand = 0;   // the seat's own cards still held
    CardSet played = 0; // played this hand, the open trick included
    std::array<std::uint8_t, cards::kSeats + 1> voids{};     // by seat: bit suit-1
    std::array<std::uint8_t, cards::kSeats + 1> cardsLeft{}; // by seat

    // Bids, by seat. A bid of 0 is a Nil (or a Blind Nil when blindnil is set).
    std::array<bool, cards::kSeats + 1> hasbid{};
    std::array<int, cards::kSeats + 1> bid{};
    std::array<bool, cards::kSeats + 1> blindnil{};
    std::array<int, cards::kSeats + 1> tricks{};

    // The open trick: who led it and the card each seat has put on it (0: none).
    int leader = 0;
    int ledcard = 0;
    std::array<int, cards::kSeats + 1> tablecard{};
    bool spadesbroken = false;

    std::array<int, 3> teamscore{}; // by team 1..2
    std::array<int, 3> teambags{};
    int playtoscore = 500;
    int dealer = 1;
    bool sandbag = true;
    bool blind = false;     // Blind Nil bids are allowed
    bool startclub = false; // the two of clubs opens the hand

    bool isNil(int s) const { return hasbid[s] && bid[s] == 0; }
    bool operator==(const SeatKnowledge &) const = default;
};

// The knowledge of `seat` at the host's table, taken from the host's records:
// of the hands it reads only the seat's own; of the others only how many cards
// they hold.
SeatKnowledge knowledgeOf(const GameState &game, const SeatTable &seats, const PlayHistory &history,
                          int seat);
