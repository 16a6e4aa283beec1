#include "host/shuffle.h"

#include <QDateTime>

std::uint32_t Lcg::timeOfDaySeed(std::int64_t msecsSinceEpoch)
{
    constexpr std::int64_t kDay = 24LL * 60 * 60 * 1000;
    std::int64_t ms = msecsSinceEpoch % kDay;
    if (ms < 0)
        ms += kDay;
    return static_cast<std::uint32_t>(ms);
}

std::uint32_t Lcg::clockSeed()
{
    return timeOfDaySeed(QDateTime::currentMSecsSinceEpoch());
}

void shufflecards(std::array<int, cards::kDeckSize + 1> &deck, Lcg &random)
{
    deck.fill(0);
    for (int card = 1; card <= cards::kDeckSize; ++card) {
        int position;
        do {
            position = int(random.draw(cards::kDeckSize)) + 1;
        } while (deck[position] != 0);
        deck[position] = card;
    }
}
