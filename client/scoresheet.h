#pragma once

#include "protocol/wirecodec.h"

#include <array>
#include <cstddef>
#include <optional>
#include <vector>

// The hands of the current game as the table has seen them scored: built from
// the messages every table receives, so the host needs nothing new. A table
// that joined a running game starts its sheet at the hand it joined in.
class ScoreSheet
{
public:
    struct Team
    {
        std::optional<int> bid; // unknown when the bidding was not seen
        int tricks = 0;
        int contract = 0; // points for the bid, negative when set
        int bagged = 0;   // overtricks this hand
        int penalty = 0;  // the bag penalty, 0 or negative
        int nil = 0;      // the Nil or Blind Nil result, 0 for none
        int handTotal = 0;
        int score = 0; // the game score after the hand
        int bags = 0;  // the bags carried after the hand
        bool operator==(const Team &) const = default;
    };
    struct Hand
    {
        int number = 0; // the round number, 0 when not seen
        std::array<Team, 2> teams;
        bool operator==(const Hand &) const = default;
    };

    // Takes in what a host message says about the game's hands. Returns
    // whether the sheet changed.
    bool apply(const wire::ToClient &message);

    // No real game comes near this many hands; a host that keeps scoring
    // gets its oldest hands dropped instead of all the table's memory.
    static constexpr std::size_t kKeptHands = 1000;

    const std::vector<Hand> &hands() const { return m_hands; }
    // Whether hands were played before this table saw the game.
    bool joinedLate() const { return m_joinedLate; }
    // Whether the oldest hands of this game were dropped to stay in bounds.
    bool handsDropped() const { return m_handsDropped; }
    // The connection was lost: a catch-up after the table is back continues
    // this sheet if it is the same game, noting the hands scored meanwhile.
    void connectionLost() { m_rejoining = true; }
    // Round numbers of the hands scored while the table was away.
    const std::vector<int> &missedHands() const { return m_missed; }
    // Counts the sheets started (a new game, a rejoin) and the hands scored
    // on this one, dropped ones included: a view redraws only what is new.
    int sheetNumber() const { return m_sheetNumber; }
    int handsScored() const { return m_handsScored; }

private:
    bool continues(const wire::toClient::GameStats &m);

    std::vector<Hand> m_hands;
    int m_round = 0;
    std::array<std::optional<int>, 2> m_bids;
    bool m_joinedLate = false;
    bool m_handsDropped = false;
    bool m_rejoining = false;
    std::vector<int> m_missed;
    int m_sheetNumber = 0;
    int m_handsScored = 0;
};
