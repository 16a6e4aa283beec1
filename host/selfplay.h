#pragma once

#include "host/shuffle.h"
#include "host/tserver.h"
#include "host/virtualport.h"

#include <QByteArray>
#include <QList>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

// Whole games with four computer seats, run through the host core on a virtual
// clock: no sockets, no waiting. The hosting connection only starts each game
// and leaves at once, so every seat is the computer's and nothing is sent.
class SelfPlay
{
public:
    struct Options
    {
        int playtoscore = 500;
        bool sandbag = true;
        bool startclub = false;
        bool blind = false; // Blind Nil bids allowed
        // The computer player at each seat 1..4.
        std::array<ComputerKind, cards::kSeats + 1> kinds{};
        // A game still running after this many hands is abandoned.
        int handLimit = 1000;
        // Watch every move for faults (costs time; off when only speed matters).
        bool checked = true;
    };

    // One team's or one seat's hands, added up over the games (points and
    // bags are a team's only).
    struct TeamTotals
    {
        std::int64_t points = 0;    // hand totals
        std::int64_t bagsAdded = 0; // bags taken
        std::int64_t nilBids = 0;   // Nil bids, Blind Nil not counted
        std::int64_t nilsMade = 0;
        std::int64_t blindBids = 0;
        std::int64_t blindsMade = 0;
    };

    struct Totals
    {
        std::int64_t games = 0;
        std::int64_t unfinishedGames = 0; // stopped at the hand limit or stalled
        std::int64_t stalledGames = 0;    // no timer left running and no winner
        std::int64_t hands = 0;
        std::int64_t wins[3] = {}; // by team number
        std::int64_t nilBids = 0;
        std::int64_t nilsMade = 0;
        std::int64_t nilsSet = 0;
        std::int64_t seatBids = 0;   // seats that bid a number of tricks
        std::int64_t bidTricks = 0;  // tricks those seats bid
        std::int64_t tookTricks = 0; // tricks those seats took
        std::int64_t computerCards = 0;
        std::int64_t computerBids = 0;
        // Faults; all stay 0 in a sound game.
        std::int64_t refusedCards = 0; // a computer card the host did not take
        std::int64_t missedBids = 0;   // a computer bid the host did not take
        std::int64_t shortHands = 0;   // a hand scored with other than 13 tricks
        std::int64_t unexpectedAlerts = 0;
        std::int64_t expectedAlerts = 0; // the covering seat holding only aces
        QList<QByteArray> alertTexts;    // the first few unexpected ones
        std::array<TeamTotals, 3> team{};
        std::array<TeamTotals, cards::kSeats + 1> seat{};
        // How long each computer decision took, by kind, when a clock is set.
        std::array<std::vector<std::uint32_t>, 2> decisionNanoseconds;
    };

    explicit SelfPlay(std::uint32_t seed);
    ~SelfPlay();

    // Plays one game from its start to the winner (or the hand limit).
    void playGame(const Options &options);
    // The same, with the deck seeded by `seed`: the same seed deals the same
    // hands in the same order, whoever plays them.
    void playGame(const Options &options, std::uint32_t seed);

    // A steady clock in nanoseconds; set, each computer decision is timed.
    std::function<std::int64_t()> clock;

    const Totals &totals() const { return m_totals; }
    // The deck seed of the next game.
    std::uint32_t nextSeed();

    // The text of the one alert that a sound game can show.
    static const QByteArray kCoveringAcesAlert;

private:
    void startGame(const Options &options, std::uint32_t seed);
    bool stepChecked();
    void recordHand();

    Lcg m_seeds; // one deck seed per game
    VirtualPort m_port;
    std::unique_ptr<TServer> m_server;
    Totals m_totals;
    int m_recordedRound = 0;
};
