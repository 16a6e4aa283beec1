#pragma once

#include "host/seatknowledge.h"

class TableModel;

// The hint: what the expert player would do in the own seat's place, worked
// out in this program from what the table has shown this seat and nothing
// else. It only suggests; nothing is sent.
namespace seathint {

// What the own seat knows now: its face-up cards, the bids, the cards played
// and the suits shown out of, the open trick, scores, bags and rules.
SeatKnowledge knowledgeOf(const TableModel &model);

struct Advice
{
    enum class Kind {
        None,     // the host waits for nothing from this seat
        Card,     // play the card at handPosition
        Bid,      // bid `bid` tricks, 0 for Nil
        BlindNil, // the cards are still face down: bid Blind Nil
        Look,     // the cards are still face down: look at them, then bid
    };
    Kind kind = Kind::None;
    int handPosition = 0;
    int bid = 0;
};

// Whether the host waits for the own seat's card or bid.
bool hasMove(const TableModel &model);
// The same position always gives the same advice.
Advice advise(const TableModel &model);

} // namespace seathint
