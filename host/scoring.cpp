#include "host/scoring.h"

void HandScore::postscores(std::array<int, 16> &values) const
{
    const std::array<int, 3> *rows[8] = {&tricks,  &contract,  &teambags,  &bagsadded,
                                         &penalty, &handtotal, &teamscore, &nilscore};
    for (int i = 0; i < 8; ++i) {
        values[2 * i] = (*rows[i])[1];
        values[2 * i + 1] = (*rows[i])[2];
    }
}

HandScore scoreHand(const GameState &game, const SeatTable &seats)
{
    HandScore s;
    std::array<int, 3> bid{};
    for (int seat = 1; seat <= cards::kSeats; ++seat) {
        const SeatRecord &r = seats[seat];
        const int team = cards::teamOf(seat);
        bid[team] += r.bid;
        s.tricks[team] += r.tricks;
        if (r.bid == 0) {
            const int worth = r.blindnil ? 200 : 100;
            s.nilscore[team] += r.tricks == 0 ? worth : -worth;
        }
    }
    for (int team = 1; team <= 2; ++team) {
        s.contract[team] = s.tricks[team] >= bid[team] ? 10 * bid[team] : -10 * bid[team];
        s.teambags[team] = game.teambags[team];
        if (game.sandbag && s.tricks[team] > bid[team]) {
            s.bagsadded[team] = s.tricks[team] - bid[team];
            s.teambags[team] += s.bagsadded[team];
            if (s.teambags[team] > 9) {
                s.teambags[team] = 0;
                s.penalty[team] = -100;
            }
        }
        s.handtotal[team] = s.contract[team] + s.nilscore[team] + s.penalty[team];
        s.teamscore[team] = game.teamscore[team] + s.handtotal[team];
    }
    return s;
}

int winningTeam(const GameState &game)
{
    const int one = game.teamscore[1];
    const int two = game.teamscore[2];
    if (one < game.playtoscore && two < game.playtoscore)
        return 0;
    if (one == two)
        return 0;
    return one > two ? 1 : 2;
}
