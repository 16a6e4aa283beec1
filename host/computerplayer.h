#pragma once

#include "protocol/cards.h"

#include <QByteArray>
#include <QList>

// The computer players' decisions: pure functions of the host's state.
// Their moves enter the host through the same handlers as a person's.

// Tricks the computer bids for `seat` (0 is a Nil; never Blind Nil).
int computerbid(const GameState &game, const SeatTable &seats, int seat);

struct ComputerCard
{
    int handPosition = 0;      // slot 1..13 of the seat's hand
    QList<QByteArray> alerts; // texts to show on the host's screen, in order
};

// The card the computer plays for `seat` when its card is awaited.
ComputerCard computerplay(const GameState &game, const SeatTable &seats, int seat);
