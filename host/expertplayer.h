#pragma once

#include "host/seatknowledge.h"

#include <cstdint>

// The expert player: before every bid and card it deals the cards its seat
// cannot see in many ways that fit what the table has shown, plays each deal
// out for every choice, and takes the choice that scores best for its side.
// It needs nothing but one seat's knowledge, so any program can ask it.

// The expert's effort and judgement; the defaults are the measured best.
struct ExpertSettings
{
    int cardPlayouts = 2560; // playouts per card at most, shared among the distinct choices
    int minSamples = 32;     // deals per card before the leader may be called
    int maxSamples = 256;
    double stopMargin = 2.5; // standard errors the leader must be ahead to stop dealing
    int bidSamples = 128;    // deals per bid
    int bagCost = 10;        // points charged per bag besides the rollover penalty
    int nilMargin = 40;      // points a Nil must promise above the best number
};

constexpr int kBlindNilBid = 100;

// The card the seat of `k` plays now: always one of its legal cards, 0 only
// when it holds none. The same knowledge and seed give the same card.
int expertCard(const SeatKnowledge &k, std::uint64_t seed, const ExpertSettings &settings = {});

// The seat's bid: 1..13 tricks, 0 for a Nil, or kBlindNilBid when the table
// allows Blind Nil; whether to go blind is decided without the seat's cards.
int expertBid(const SeatKnowledge &k, std::uint64_t seed, const ExpertSettings &settings = {});

// The seed of one decision, from a table's own seed and what everyone can see.
std::uint64_t decisionSeed(std::uint64_t tableSeed, int round, int seat, CardSet played);
