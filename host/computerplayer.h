#pragma once

#include "host/hoststate.h"

#include <QByteArray>
#include <QList>

// The computer players' decisions: pure functions of the host's state.
// Their moves enter the host through the same handlers as a person's.

// Tricks the computer bids for `seat` (0 is a Nil; never Blind Nil). Seats outside
// 1..4 bid 0.
int computerbid(const GameState &game, const SeatTable &seats, int seat);

struct ComputerCard
{
    int handPosition = 0;     // slot 1..13 of the seat's hand
    QList<QByteArray> alerts; // texts to show on the host's screen, in order

    bool played() const { return handPosition != 0; }
};

// The card the computer plays for `seat` when its card is awaited. handPosition is 0
// (nothing to play) only for an empty hand or a seat outside 1..4; the alerts are
// shown first either way.
ComputerCard computerplay(const GameState &game, const SeatTable &seats, int seat);
