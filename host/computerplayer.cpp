#include "host/computerplayer.h"
#include "host/computerrules.h"

using computerhand::anyCard;
using computerhand::firstSlot;
using computerhand::isSpade;

namespace {

ComputerCard playSlot(int slot)
{
    return ComputerCard{slot, {}};
}

ComputerCard alertOnly(const char *text)
{
    ComputerCard none;
    none.alerts.append(QByteArray(text));
    return none;
}

int partnerSeatOf(const SeatTable &seats, int seat)
{
    // The record carries the partner; fall back to the fixed pairing if it was never set.
    const int partner = seats[seat].partner;
    return cards::isSeat(partner) && partner != seat ? partner : cards::partnerOf(seat);
}

} // namespace

ComputerTurn::ComputerTurn(const GameState &state, const SeatTable &table, int forSeat)
    : game(state), seats(table), seat(forSeat), partner(partnerSeatOf(table, forSeat))
{
}

bool haveothersuit(const SeatRecord &seat)
{
    return firstSlot(seat, [](int card) { return !isSpade(card); }) != 0;
}

ComputerCard computerleadcard(const ComputerTurn &turn)
{
    const GameState &game = turn.game;
    const SeatRecord &me = turn.self();

    // Cash a side-suit ace, or a king whose ace has gone; spades are kept back.
    int slot = firstSlot(me, [&game](int card) {
        switch (card) {
        case 13:
        case 26:
        case 52:
            return true;
        case 12:
            return game.aceplayed[cards::kClubs];
        case 25:
            return game.aceplayed[cards::kDiamonds];
        case 51:
            return game.aceplayed[cards::kHearts];
        default:
            return false;
        }
    });
    if (slot != 0)
        return playSlot(slot);

    const bool spadesLeadable = game.spadesbroken || !haveothersuit(me);
    slot = firstSlot(me, [spadesLeadable](int card) { return !isSpade(card) || spadesLeadable; });
    if (slot != 0)
        return playSlot(slot);

    slot = firstSlot(me, [](int card) { return !isSpade(card); });
    if (slot != 0)
        return playSlot(slot);

    slot = firstSlot(me, anyCard);
    if (slot != 0)
        return playSlot(slot);

    return alertOnly("not supposed to be here");
}

ComputerCard computerleadcardnil(const ComputerTurn &turn)
{
    const SeatRecord &me = turn.self();
    const bool spadesLeadable = turn.game.spadesbroken || !haveothersuit(me);

    // Lead high so the Nil partner can duck under it.
    int slot = computerhand::highestRankSlot(
        me, [spadesLeadable](int card) { return !isSpade(card) || spadesLeadable; });
    if (slot != 0)
        return playSlot(slot);

    slot = firstSlot(me, anyCard);
    if (slot != 0)
        return playSlot(slot);

    return alertOnly("Error leading nil card");
}

ComputerCard computerjustplay(const ComputerTurn &turn)
{
    const SeatRecord &me = turn.self();
    const SeatRecord &partner = turn.partnerRecord();
    const int winning = turn.game.winningcard;
    const bool winningIsSpade = isSpade(winning);

    if (me.tricks < me.bid) {
        const int slot = firstSlot(me, [winning, winningIsSpade](int card) {
            return isSpade(card) && (!winningIsSpade || card > winning);
        });
        if (slot != 0)
            return playSlot(slot);
    }

    if (me.tricks + partner.tricks >= me.bid + partner.bid) {
        const int slot = firstSlot(me, [winning, winningIsSpade](int card) {
            return !isSpade(card) || (winningIsSpade && card < winning);
        });
        if (slot != 0)
            return playSlot(slot);
    }

    return playSlot(firstSlot(me, anyCard));
}

ComputerCard computerplay(const GameState &game, const SeatTable &seats, int seat)
{
    if (!cards::isSeat(seat))
        return ComputerCard{};

    const ComputerTurn turn(game, seats, seat);
    const bool partnerBidNil = turn.partnerRecord().bid == 0;
    const bool leading = game.ledcard == 0;

    if (leading)
        return partnerBidNil ? computerleadcardnil(turn) : computerleadcard(turn);

    ComputerCard chosen = partnerBidNil ? computerfindfollownil(turn) : computerfindfollow(turn);
    if (chosen.played())
        return chosen;

    ComputerCard fallback = computerjustplay(turn);
    fallback.alerts = chosen.alerts + fallback.alerts;
    return fallback;
}
