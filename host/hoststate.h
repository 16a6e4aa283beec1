#pragma once

#include "protocol/cards.h"

#include <QByteArray>
#include <array>

// The host's record of one connection; records 1..4 are the seats, 5..9 watchers.
// The record's connection is the one with the record's own number, so the host
// core needs no socket reference here; its runtime keeps the sockets.
struct SeatRecord
{
    QByteArray name;                              // as sent at login; empty when the record is free
    bool connected = false;                       // a person's connection holds this record
    bool justwatching = false;                    // the person watches; the computer plays the seat
    std::array<int, cards::kHandSize + 1> hand{}; // slots 1..13; a played slot is 0
    int bid = 0;                                  // 0 for Nil and Blind Nil
    bool hasbid = false;
    int partner = 0;
    int tablecard = 0; // card played to the open trick, 0 while not played
    int tricks = 0;
    bool blindnil = false;
    bool hasclosed = false;

    int cardsLeft() const
    {
        // Counted at every card offered and every seat asked to play, so spelled
        // out for the compiler rather than looped.
        static_assert(cards::kHandSize == 13);
        return (hand[1] != 0) + (hand[2] != 0) + (hand[3] != 0) + (hand[4] != 0) + (hand[5] != 0) +
               (hand[6] != 0) + (hand[7] != 0) + (hand[8] != 0) + (hand[9] != 0) + (hand[10] != 0) +
               (hand[11] != 0) + (hand[12] != 0) + (hand[13] != 0);
    }
};

// A seat is played by the computer when nobody holds it or its person watches.
inline bool isComputerSeat(const SeatRecord &seat)
{
    return !seat.connected || seat.justwatching;
}

// The host's connection table: records 1..10 (index 0 unused). Records 1..4
// are the seats; the tenth connection is only ever refused.
constexpr int kRecords = 10;
using SeatTable = std::array<SeatRecord, kRecords + 1>;

// The host's game-wide state.
struct GameState
{
    bool gamestarted = false;
    int playtoscore = 500;
    bool sandbag = false;
    bool blind = false;
    bool startclub = false;
    int dealer = 4;
    int roundnumber = 0;
    int bidder = 0;
    int totalbids = 0;
    int turn = 0;
    int nextleader = 0;
    int ledcard = 0;
    int leader = 0;
    int winningseat = 0;
    int winningcard = 0;
    int cardsintrick = 0;
    bool spadesbroken = false;
    std::array<bool, 5> aceplayed{}; // by suit number 1..4
    std::array<int, 3> teamscore{};  // by team number 1..2
    std::array<int, 3> teambags{};   // by team number 1..2
    int countdown = 0;
    std::array<int, cards::kDeckSize + 1> deck{}; // 1..52, filled by the shuffle
};
