#include "client/seathint.h"

#include "client/tablemodel.h"
#include "host/expertplayer.h"

#include <bit>

namespace seathint {

namespace {

// Any fixed number: a hint asked twice in one position gives the same answer.
constexpr std::uint64_t kHintSeed = 0x5EA75EA75EA75EA7ull;

bool bidAwaited(const TableModel &model)
{
    return model.myBidAwaited() && !model.seat(model.myseat()).hasbid;
}

bool cardAwaited(const TableModel &model)
{
    return model.myTurn() && model.offeredCard() == 0 && !model.handInOrder().isEmpty();
}

} // namespace

SeatKnowledge knowledgeOf(const TableModel &model)
{
    SeatKnowledge k;
    const int me = model.myseat();
    if (!cards::isSeat(me))
        return k;
    k.seat = me;
    for (int position : model.handInOrder())
        k.hand |= CardSet(1) << model.cardAt(position);
    k.played = model.history().played;
    k.voids = model.history().voids;
    int onTable = 0;
    for (int s = 1; s <= cards::kSeats; ++s) {
        const TableModel::Seat &seat = model.seat(s);
        k.cardsLeft[s] = std::uint8_t(s == me ? std::popcount(k.hand) : model.cardsLeft(s));
        k.hasbid[s] = seat.hasbid;
        k.bid[s] = seat.hasbid ? seat.bid : 0;
        k.blindnil[s] = seat.hasbid && seat.blind;
        k.tricks[s] = seat.tricks;
        k.tablecard[s] = model.trickCard(s);
        onTable += k.tablecard[s] != 0;
    }
    // Cards go round the table in seat order: a leader not seen sits as many
    // seats before the one to play as there are cards on the table.
    k.leader = model.trickLeader();
    if (onTable > 0 && !cards::isSeat(k.leader)) {
        const int next = cards::isSeat(model.turnseat()) ? model.turnseat() : me;
        k.leader = (next - 1 - onTable + 2 * cards::kSeats) % cards::kSeats + 1;
    }
    k.ledcard = onTable > 0 ? k.tablecard[k.leader] : 0;
    if (onTable == 0)
        k.leader = 0;
    k.spadesbroken = model.spadesBroken();
    for (int team = 1; team <= 2; ++team) {
        k.teamscore[team] = model.team(team).score;
        k.teambags[team] = model.team(team).bags;
    }
    k.playtoscore = wire::StartGame::targetScoreOf(model.playToScore().toLatin1());
    k.dealer = cards::isSeat(model.dealer()) ? model.dealer() : 1;
    k.sandbag = model.bagPenalty();
    k.blind = model.blindAllowed();
    k.startclub = model.startClub();
    return k;
}

bool hasMove(const TableModel &model)
{
    return model.loggedin() && !model.watching() && cards::isSeat(model.myseat()) &&
           (cardAwaited(model) || bidAwaited(model));
}

Advice advise(const TableModel &model)
{
    if (!hasMove(model))
        return {};
    SeatKnowledge k = knowledgeOf(model);
    const std::uint64_t seed = decisionSeed(kHintSeed, model.round(), k.seat, k.played);
    if (cardAwaited(model)) {
        const int card = expertCard(k, seed);
        for (int position : model.handInOrder())
            if (card != 0 && model.cardAt(position) == card)
                return {Advice::Kind::Card, position, 0};
        return {};
    }
    if (k.hand == 0) {
        // Face down, the choice is Blind Nil or a look; without Blind Nil
        // there is nothing to judge until the cards are shown.
        if (!k.blind)
            return {};
        return {expertBid(k, seed) == kBlindNilBid ? Advice::Kind::BlindNil : Advice::Kind::Look, 0,
                0};
    }
    // Once the cards are seen Blind Nil is no longer on offer.
    k.blind = false;
    const int bid = expertBid(k, seed);
    if (bid < 0 || bid > cards::kHandSize)
        return {};
    return {Advice::Kind::Bid, 0, bid};
}

} // namespace seathint
