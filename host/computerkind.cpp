#include "host/computerkind.h"

std::optional<ComputerKind> computerKindNamed(QByteArrayView name)
{
    if (name == "classic")
        return ComputerKind::Classic;
    if (name == "expert")
        return ComputerKind::Expert;
    return std::nullopt;
}

const char *nameOf(ComputerKind kind)
{
    return kind == ComputerKind::Expert ? "expert" : "classic";
}

ComputerCard expertplay(const GameState &game, const SeatTable &seats, const PlayHistory &history,
                        int seat, std::uint64_t tableSeed)
{
    if (!cards::isSeat(seat))
        return ComputerCard{};
    const SeatKnowledge k = knowledgeOf(game, seats, history, seat);
    const int card = expertCard(k, decisionSeed(tableSeed, game.roundnumber, seat, k.played));
    for (int slot = 1; slot <= cards::kHandSize; ++slot) {
        if (card != 0 && seats[seat].hand[slot] == card)
            return ComputerCard{slot, {}};
    }
    return ComputerCard{};
}

int expertbid(const GameState &game, const SeatTable &seats, const PlayHistory &history, int seat,
              std::uint64_t tableSeed)
{
    if (!cards::isSeat(seat))
        return 1;
    const SeatKnowledge k = knowledgeOf(game, seats, history, seat);
    return expertBid(k, decisionSeed(tableSeed, game.roundnumber, seat, 0));
}
