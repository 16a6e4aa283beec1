#include "client/scoresheet.h"

#include <type_traits>
#include <utility>

namespace {

// A running game's seat records give the team bids once all four have bid.
std::array<std::optional<int>, 2> teamBidsOf(const QList<wire::SeatStats> &seats)
{
    std::array<int, 2> sum{};
    int bidden = 0;
    for (const wire::SeatStats &seat : seats) {
        if (!seat.hasbid)
            continue;
        ++bidden;
        if (!seat.blindnil && seat.bid > 0 && seat.bid <= 13)
            sum[size_t((seat.seat + 1) % 2)] += seat.bid;
    }
    if (bidden < 4)
        return {};
    return {sum[0], sum[1]};
}

} // namespace

// Back after a lost connection in the same game: the hands from the one
// being played at the loss to the one before the present were scored
// without this table.
bool ScoreSheet::continues(const wire::toClient::GameStats &m)
{
    if (m_round <= 0 || m.roundnumber < m_round)
        return false;
    const bool lastScored = !m_hands.empty() && m_hands.back().number == m_round;
    for (int round = lastScored ? m_round + 1 : m_round; round < m.roundnumber; ++round)
        m_missed.push_back(round);
    const std::array<std::optional<int>, 2> seen = teamBidsOf(m.seats);
    if (m.roundnumber != m_round || seen[0])
        m_bids = seen;
    m_round = m.roundnumber;
    return true;
}

bool ScoreSheet::apply(const wire::ToClient &message)
{
    return std::visit(
        [this](const auto &m) {
            using M = std::decay_t<decltype(m)>;
            if constexpr (std::is_same_v<M, wire::StartGame>) {
                m_hands.clear();
                m_round = 0;
                m_bids = {};
                m_joinedLate = false;
                m_handsDropped = false;
                m_rejoining = false;
                m_missed.clear();
                ++m_sheetNumber;
                m_handsScored = 0;
                return true;
            } else if constexpr (std::is_same_v<M, wire::toClient::StartRound>) {
                m_round = m.roundnumber;
                m_bids = {};
                return false;
            } else if constexpr (std::is_same_v<M, wire::toClient::FinalBid>) {
                m_bids = {m.team1, m.team2};
                return false;
            } else if constexpr (std::is_same_v<M, wire::toClient::GameStats>) {
                if (std::exchange(m_rejoining, false) && continues(m))
                    return true;
                m_hands.clear();
                m_missed.clear();
                m_round = m.roundnumber;
                m_bids = teamBidsOf(m.seats);
                m_joinedLate = m.roundnumber > 1;
                m_handsDropped = false;
                ++m_sheetNumber;
                m_handsScored = 0;
                return true;
            } else if constexpr (std::is_same_v<M, wire::toClient::PostScores>) {
                // Team 1's value of each pair first, then team 2's.
                const auto &v = m.values;
                Hand hand;
                hand.number = m_round;
                for (size_t t = 0; t < 2; ++t) {
                    Team &team = hand.teams[t];
                    team.bid = m_bids[t];
                    team.tricks = v[0 + t];
                    team.contract = v[2 + t];
                    team.bags = v[4 + t];
                    team.bagged = v[6 + t];
                    team.penalty = v[8 + t];
                    team.handTotal = v[10 + t];
                    team.score = v[12 + t];
                    team.nil = v[14 + t];
                }
                if (m_hands.size() >= kKeptHands) {
                    m_hands.erase(m_hands.begin());
                    m_handsDropped = true;
                }
                m_hands.push_back(hand);
                ++m_handsScored;
                m_bids = {};
                return true;
            } else {
                return false;
            }
        },
        message);
}
