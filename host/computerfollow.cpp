#include "host/computerrules.h"

using computerhand::firstSlot;
using computerhand::firstSlotScanningDown;
using computerhand::isAce;
using computerhand::isSpade;
using computerhand::lowestRankSlot;
using computerhand::rankIndex;

namespace {

ComputerCard playSlot(int slot)
{
    return ComputerCard{slot, {}};
}

bool notAce(int card)
{
    return !isAce(card);
}

} // namespace

ComputerCard computerfindfollow(const ComputerTurn &turn)
{
    return turn.game.winningseat == turn.partner ? followsuitteamiewin(turn)
                                                 : followsuitteamienowin(turn);
}

ComputerCard computerfindfollownil(const ComputerTurn &turn)
{
    return turn.game.winningseat == turn.partner ? followsuitteamiewinnil(turn)
                                                 : followsuitteamienowinnil(turn);
}

ComputerCard followsuitteamiewin(const ComputerTurn &turn)
{
    const SeatRecord &me = turn.self();
    const int led = turn.ledSuit();
    const auto ofLedSuit = [led](int card) { return getsuit(card) == led; };
    const int winningIndex = rankIndex(turn.game.winningcard);

    // A partner winning with a jack or lower is covered from the top; a queen or
    // better is trusted and the lowest card follows.
    int slot = winningIndex >= 1 && winningIndex <= 10 ? firstSlotScanningDown(me, ofLedSuit)
                                                       : firstSlot(me, ofLedSuit);
    if (slot != 0)
        return playSlot(slot);

    slot = lowestRankSlot(me, [](int card) { return !isSpade(card); });
    if (slot != 0)
        return playSlot(slot);

    slot = lowestRankSlot(me, computerhand::anyCard);
    if (slot != 0)
        return playSlot(slot);

    ComputerCard none;
    none.alerts.append(QByteArray("Error playing following suit low card - teamie win."));
    return none;
}

ComputerCard followsuitteamienowin(const ComputerTurn &turn)
{
    const GameState &game = turn.game;
    const SeatRecord &me = turn.self();
    const int led = turn.ledSuit();
    const int winning = game.winningcard;
    const int ledAce = cards::aceOf(led);

    int slot = firstSlot(me, [ledAce](int card) { return card == ledAce; });
    if (slot != 0)
        return playSlot(slot);

    if (!isAce(winning) && game.aceplayed[led]) {
        slot = firstSlot(me, [ledAce](int card) { return card == ledAce - 1; });
        if (slot != 0)
            return playSlot(slot);
    }

    slot = firstSlot(me, [led](int card) { return getsuit(card) == led; });
    if (slot != 0)
        return playSlot(slot);

    if (isSpade(winning)) {
        slot = firstSlot(me, [winning](int card) { return isSpade(card) && card > winning; });
        if (slot != 0)
            return playSlot(slot);
    }

    return playSlot(lowestRankSlot(me, notAce));
}

ComputerCard followsuitteamiewinnil(const ComputerTurn &turn)
{
    const SeatRecord &me = turn.self();
    const int led = turn.ledSuit();
    const int winning = turn.game.winningcard;

    // Take the trick away from the Nil partner.
    int slot =
        firstSlot(me, [led, winning](int card) { return getsuit(card) == led && card > winning; });
    if (slot != 0)
        return playSlot(slot);

    slot = firstSlot(me, [led](int card) { return getsuit(card) == led; });
    if (slot != 0)
        return playSlot(slot);

    slot = firstSlot(me, isSpade);
    if (slot != 0)
        return playSlot(slot);

    slot = lowestRankSlot(me, notAce);
    if (slot != 0)
        return playSlot(slot);

    ComputerCard first = playSlot(firstSlot(me, computerhand::anyCard));
    first.alerts.append(QByteArray("Error playing following suit nil card."));
    return first;
}

ComputerCard followsuitteamienowinnil(const ComputerTurn &turn)
{
    const SeatRecord &me = turn.self();
    const int led = turn.ledSuit();
    const auto ofLedSuit = [led](int card) { return getsuit(card) == led; };

    // Before the Nil partner plays, go high so it can play under; after, stay low.
    const bool partnerStillToPlay = turn.partnerRecord().tablecard == 0;
    int slot = partnerStillToPlay ? firstSlotScanningDown(me, ofLedSuit) : firstSlot(me, ofLedSuit);
    if (slot != 0)
        return playSlot(slot);

    slot = firstSlot(me, isSpade);
    if (slot != 0)
        return playSlot(slot);

    return playSlot(lowestRankSlot(me, notAce));
}
