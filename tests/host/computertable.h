#pragma once

#include "host/hoststate.h"

#include <QByteArray>
#include <QList>
#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

// Cards written the way players say them: "QH" is the queen of hearts, "TS" the ten
// of spades. Tests read far better this way than with card numbers.
namespace cardtext {

inline int card(const std::string &text)
{
    static const std::string ranks = "23456789TJQKA";
    static const std::string suits = "CDSH";
    if (text.size() != 2 || ranks.find(text[0]) == std::string::npos ||
        suits.find(text[1]) == std::string::npos)
        throw std::invalid_argument("bad card " + text);
    const int rank = int(ranks.find(text[0]));
    const int suit = int(suits.find(text[1])) + 1;
    return (suit - 1) * 13 + rank + 1;
}

inline std::string name(int card)
{
    if (!cards::isCard(card))
        return "--";
    static const char ranks[] = "23456789TJQKA";
    static const char suits[] = "CDSH";
    return std::string{ranks[(card - 1) % 13], suits[getsuit(card) - 1]};
}

inline std::vector<int> list(const std::string &text)
{
    std::vector<int> out;
    size_t pos = 0;
    while (pos < text.size()) {
        if (text[pos] == ' ') {
            ++pos;
            continue;
        }
        out.push_back(card(text.substr(pos, 2)));
        pos += 2;
    }
    return out;
}

// Fills the first slots in ascending order, as the deal sorts a hand; the rest stay empty.
inline void deal(SeatRecord &seat, const std::string &text)
{
    std::vector<int> held = list(text);
    std::sort(held.begin(), held.end());
    seat.hand.fill(0);
    for (size_t i = 0; i < held.size() && i < size_t(cards::kHandSize); ++i)
        seat.hand[i + 1] = held[i];
}

} // namespace cardtext
