#include "host/computerplayer.h"
#include "host/computerrules.h"

using namespace computerhand;

namespace {

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

CardSet computerhand::held(const SeatRecord &seat)
{
    // Branch-free: this runs for every computer card. An empty slot sets bit 0,
    // which no card uses; anything outside 0..52 sets nothing.
    CardSet set = 0;
#pragma GCC unroll 13
    for (int slot = 1; slot <= cards::kHandSize; ++slot) {
        const unsigned card = unsigned(seat.hand[slot]);
        set |= CardSet(card <= unsigned(cards::kDeckSize)) << (card & 63u);
    }
    return set & ~CardSet(1);
}

ComputerTurn::ComputerTurn(const GameState &state, const SeatTable &table, int forSeat)
    : game(state), seats(table), seat(forSeat), partner(partnerSeatOf(table, forSeat))
{
    // held() and a note of each card's slot in one pass.
    const SeatRecord &record = table[forSeat];
#pragma GCC unroll 13
    for (int slot = 1; slot <= cards::kHandSize; ++slot) {
        const unsigned card = unsigned(record.hand[slot]);
        hand |= CardSet(card <= unsigned(cards::kDeckSize)) << (card & 63u);
        slotOf[card & 63u] = std::uint8_t(slot);
    }
    hand &= ~CardSet(1);
}

ComputerCard ComputerTurn::play(int card) const
{
    // Only cards of `hand` are ever chosen, so their slot was noted.
    return ComputerCard{card != 0 ? slotOf[card & 63] : 0, {}};
}

bool haveothersuit(const SeatRecord &seat)
{
    return (held(seat) & ~kSpades) != 0;
}

ComputerCard computerleadcard(const ComputerTurn &turn)
{
    const GameState &game = turn.game;
    const CardSet hand = turn.hand;

    // Cash a side-suit ace, or a king whose ace has gone; spades are kept back.
    CardSet winners = cardBit(13) | cardBit(26) | cardBit(52);
    if (game.aceplayed[cards::kClubs])
        winners |= cardBit(12);
    if (game.aceplayed[cards::kDiamonds])
        winners |= cardBit(25);
    if (game.aceplayed[cards::kHearts])
        winners |= cardBit(51);
    if (const int card = first(hand & winners))
        return turn.play(card);

    const bool spadesLeadable = game.spadesbroken || (hand & ~kSpades) == 0;
    if (const int card = first(spadesLeadable ? hand : hand & ~kSpades))
        return turn.play(card);
    if (const int card = first(hand & ~kSpades))
        return turn.play(card);
    if (const int card = first(hand))
        return turn.play(card);
    return alertOnly("not supposed to be here");
}

ComputerCard computerleadcardnil(const ComputerTurn &turn)
{
    const CardSet hand = turn.hand;
    const bool spadesLeadable = turn.game.spadesbroken || (hand & ~kSpades) == 0;

    // Lead high so the Nil partner can duck under it.
    if (const int card = highestRank(spadesLeadable ? hand : hand & ~kSpades))
        return turn.play(card);
    if (const int card = first(hand))
        return turn.play(card);
    return alertOnly("Error leading nil card");
}

ComputerCard computerjustplay(const ComputerTurn &turn)
{
    const SeatRecord &me = turn.self();
    const SeatRecord &partner = turn.partnerRecord();
    const CardSet hand = turn.hand;
    const int winning = turn.game.winningcard;
    const bool winningIsSpade = isSpade(winning);

    if (me.tricks < me.bid) {
        // A spade that takes the trick.
        const CardSet overtrumps = winningIsSpade ? kSpades & above(winning) : kSpades;
        if (const int card = first(hand & overtrumps))
            return turn.play(card);
    }
    if (me.tricks + partner.tricks >= me.bid + partner.bid) {
        // The contract is safe: anything that does not take the trick.
        const CardSet underneath = ~kSpades | (winningIsSpade ? kSpades & below(winning) : 0);
        if (const int card = first(hand & underneath))
            return turn.play(card);
    }
    return turn.play(first(hand));
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
