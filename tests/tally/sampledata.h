#pragma once

#include <QByteArray>
#include <random>
#include <string>

// Inputs for the compressor: noise, text like a chat log, and long runs
// mixed with short repeating patterns.
namespace sampledata {

inline QByteArray noise(qsizetype n, unsigned seed)
{
    std::mt19937 rng(seed);
    QByteArray out(n, Qt::Uninitialized);
    for (char &c : out)
        c = char(rng());
    return out;
}

inline QByteArray text(qsizetype n, unsigned seed)
{
    static const char *const words[] = {"Spades", "trick", "bid",     "nil", "Team", "Blue",
                                        "Red",    "the",   "and",     "won", "hand", "score",
                                        "blind",  "bags",  "partner", "0",   "42",   "\r\n"};
    std::mt19937 rng(seed);
    QByteArray out;
    out.reserve(n + 16);
    while (out.size() < n)
        out += QByteArray(words[rng() % std::size(words)]) + ' ';
    out.truncate(n);
    return out;
}

inline QByteArray runs(qsizetype n, unsigned seed)
{
    std::mt19937 rng(seed);
    QByteArray out;
    out.reserve(n + 5000);
    while (out.size() < n) {
        if (rng() % 2) {
            out += QByteArray(qsizetype(1 + rng() % 5000), char(rng()));
        } else {
            const QByteArray pattern = noise(qsizetype(1 + rng() % 7), rng());
            out += pattern.repeated(qsizetype(1 + rng() % 300));
        }
    }
    out.truncate(n);
    return out;
}

} // namespace sampledata
