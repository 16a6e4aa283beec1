#pragma once

// Where a game stands between two events. Every question of the form "is a
// bid, a card or a pause awaited" is answered from this one value.
enum class HostPhase {
    NoGame,     // before the first start and after a win
    Bidding,    // `GameState::bidder` is asked for a bid
    Playing,    // `GameState::turn` is asked for a card
    TrickPause, // the trick just taken stays shown before the next lead
    HandPause,  // the hand's scores stay shown before the next deal
};

// The move the computer-move delay runs for, if any.
enum class ComputerMove {
    None,
    Bid,
    Card,
};
