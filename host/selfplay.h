#pragma once

#include "host/shuffle.h"
#include "host/tserver.h"
#include "host/virtualport.h"

#include <QByteArray>
#include <QList>
#include <cstdint>
#include <memory>

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
        // A game still running after this many hands is abandoned.
        int handLimit = 1000;
        // Watch every move for faults (costs time; off when only speed matters).
        bool checked = true;
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
    };

    explicit SelfPlay(std::uint32_t seed);
    ~SelfPlay();

    // Plays one game from its start to the winner (or the hand limit).
    void playGame(const Options &options);

    const Totals &totals() const { return m_totals; }
    // The deck seed of the next game.
    std::uint32_t nextSeed();

    // The text of the one alert that a sound game can show.
    static const QByteArray kCoveringAcesAlert;

private:
    void startGame(const Options &options);
    bool stepChecked();
    void recordHand();

    Lcg m_seeds; // one deck seed per game
    VirtualPort m_port;
    std::unique_ptr<TServer> m_server;
    Totals m_totals;
    int m_recordedRound = 0;
};
