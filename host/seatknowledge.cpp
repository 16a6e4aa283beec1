#include "host/seatknowledge.h"

namespace {

constexpr std::uint8_t suitBit(int suit)
{
    return std::uint8_t(1u << (suit - 1));
}

constexpr std::uint8_t kAllButSpades =
    suitBit(cards::kClubs) | suitBit(cards::kDiamonds) | suitBit(cards::kHearts);

} // namespace

void PlayHistory::place(int seat, int card, int ledcard, bool spadesbroken)
{
    if (!cards::isSeat(seat) || !cards::isCard(card))
        return;
    played |= CardSet(1) << card;
    const int suit = getsuit(card);
    if (ledcard == 0) {
        // A spade may open before spades are broken only from a hand of spades.
        if (suit == cards::kSpades && !spadesbroken)
            voids[seat] |= kAllButSpades;
        return;
    }
    if (suit != getsuit(ledcard))
        voids[seat] |= suitBit(getsuit(ledcard));
}

SeatKnowledge knowledgeOf(const GameState &game, const SeatTable &seats, const PlayHistory &history,
                          int seat)
{
    SeatKnowledge k;
    if (!cards::isSeat(seat))
        return k;
    k.seat = seat;
    for (int card : seats[seat].hand) {
        if (cards::isCard(card))
            k.hand |= CardSet(1) << card;
    }
    k.played = history.played;
    k.voids = history.voids;
    for (int s = 1; s <= cards::kSeats; ++s) {
        const SeatRecord &r = seats[s];
        k.cardsLeft[s] = std::uint8_t(r.cardsLeft());
        k.hasbid[s] = r.hasbid;
        k.bid[s] = r.hasbid ? r.bid : 0;
        k.blindnil[s] = r.hasbid && r.blindnil;
        k.tricks[s] = r.tricks;
        k.tablecard[s] = game.ledcard != 0 ? r.tablecard : 0;
    }
    k.leader = game.ledcard != 0 ? game.leader : 0;
    k.ledcard = game.ledcard;
    k.spadesbroken = game.spadesbroken;
    k.teamscore = game.teamscore;
    k.teambags = game.teambags;
    k.playtoscore = game.playtoscore;
    k.dealer = cards::isSeat(game.dealer) ? game.dealer : 1;
    k.startclub = game.startclub;
    k.sandbag = game.sandbag;
    k.blind = game.blind;
    return k;
}
