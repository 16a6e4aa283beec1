#include "client/playablecards.h"

#include "client/seathint.h"
#include "client/tablemodel.h"

namespace playablecards {

std::optional<CardSet> allowed(const TableModel &model)
{
    const int me = model.myseat();
    if (!model.loggedin() || model.watching() || !cards::isSeat(me) || !model.myTurn() ||
        model.trickCard(me) != 0)
        return std::nullopt;
    // The turn of the last trick may still be shown while the next hand is bid.
    for (int s = 1; s <= cards::kSeats; ++s)
        if (!model.seat(s).hasbid)
            return std::nullopt;
    const SeatKnowledge k = seathint::knowledgeOf(model);
    int onTable = 0;
    for (int s = 1; s <= cards::kSeats; ++s)
        onTable += k.tablecard[s] != 0;
    // A trick whose lead is not where the seat order puts it did not come
    // from a host playing by these rules: leave every card to the host.
    if (k.hand == 0 || onTable >= cards::kSeats || (onTable > 0 && k.ledcard == 0))
        return std::nullopt;
    const int ledSuit = onTable > 0 ? getsuit(k.ledcard) : 0;
    // Unless the table saw the whole hand, spades may have been broken
    // before it came: then a spade lead is left to the host.
    const bool broken = model.spadesBroken() || !model.spadesKnown();
    return playrules::playable(k.hand, ledSuit, broken);
}

} // namespace playablecards
