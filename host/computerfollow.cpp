#include "host/computerrules.h"

using namespace computerhand;

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
    const CardSet hand = turn.hand;
    const CardSet led = turn.ledSuitCards();
    const int winningIndex = rankIndex(turn.game.winningcard);

    // A partner winning with a jack or lower is covered from the top; a queen or
    // better is trusted and the lowest card follows.
    const bool cover = winningIndex >= 1 && winningIndex <= 10;
    if (const int card = cover ? firstScanningDown(led) : first(led))
        return turn.play(card);
    if (const int card = lowestRank(hand & ~kSpades))
        return turn.play(card);
    if (const int card = lowestRank(hand))
        return turn.play(card);

    ComputerCard none;
    none.alerts.append(QByteArray("Error playing following suit low card - teamie win."));
    return none;
}

ComputerCard followsuitteamienowin(const ComputerTurn &turn)
{
    const GameState &game = turn.game;
    const CardSet hand = turn.hand;
    const int ledSuit = turn.ledSuit();
    const CardSet led = turn.ledSuitCards();
    const int winning = game.winningcard;
    const int ledAce = cards::aceOf(ledSuit);

    if (const int card = first(hand & cardBit(ledAce)))
        return turn.play(card);
    if (!isAce(winning) && game.aceplayed[ledSuit]) {
        if (const int card = first(hand & cardBit(ledAce - 1)))
            return turn.play(card);
    }
    if (const int card = first(led))
        return turn.play(card);
    if (isSpade(winning)) {
        if (const int card = first(hand & kSpades & above(winning)))
            return turn.play(card);
    }
    return turn.play(lowestRank(hand & ~kAces));
}

ComputerCard followsuitteamiewinnil(const ComputerTurn &turn)
{
    const CardSet hand = turn.hand;
    const CardSet led = turn.ledSuitCards();

    // Take the trick away from the Nil partner.
    if (const int card = first(led & above(turn.game.winningcard)))
        return turn.play(card);
    if (const int card = first(led))
        return turn.play(card);
    if (const int card = first(hand & kSpades))
        return turn.play(card);
    if (const int card = lowestRank(hand & ~kAces))
        return turn.play(card);

    ComputerCard firstCard = turn.play(first(hand));
    firstCard.alerts.append(QByteArray("Error playing following suit nil card."));
    return firstCard;
}

ComputerCard followsuitteamienowinnil(const ComputerTurn &turn)
{
    const CardSet hand = turn.hand;
    const CardSet led = turn.ledSuitCards();

    // Before the Nil partner plays, go high so it can play under; after, stay low.
    const bool partnerStillToPlay = turn.partnerRecord().tablecard == 0;
    if (const int card = partnerStillToPlay ? firstScanningDown(led) : first(led))
        return turn.play(card);
    if (const int card = first(hand & kSpades))
        return turn.play(card);
    return turn.play(lowestRank(hand & ~kAces));
}
