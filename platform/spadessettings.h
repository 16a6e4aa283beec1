#pragma once

#include "platform/inifile.h"

#include <QString>
#include <array>
#include <optional>

// The player's preferences as the settings file keeps them in section
// "Spades". Members start at the values the windows are built with, which
// is what they show until the file is first read.
struct SpadesSettings
{
    int top = 3;
    int left = 3;
    int lastTrickTop = 348;
    int lastTrickLeft = 414;
    int width = 780;
    int height = 534;
    int textSize = 10;
    // Colour text as stored ("clBlack", "$000000FF", ...); the chat converts.
    QString textColor = QStringLiteral("clBlack");
    int playToScore = 500;
    bool sandbag = true;
    bool blind = true;
    bool startClub = true;
    int botSpeed = 500; // 1000 slow, 500 normal, 200 fast
    int turnSound = 0;  // 0 classic, 1 new
    bool playSounds = true;
    bool chatterSounds = false;
    bool expertComputers = false;   // the hosted table's computer players: expert or classic
    bool playableCards = false;     // veil the cards the rules do not allow at the own turn
    bool portMapping = true;        // ask the router to open the port of a hosted table
    bool listPublicly = false;      // show a hosted table in Open Tables
    std::array<QString, 9> phrases; // phrase of b_phrase1 .. b_phrase9

    bool operator==(const SpadesSettings &) const = default;
};

namespace settings {

inline const QString kSection = QStringLiteral("Spades");
inline const QString kFileName = QStringLiteral("velnorlobby.ini");

// Decimal, or hexadecimal written "$" + digits or "0x" + digits, with an
// optional sign; hexadecimal takes 32 bits as signed. Anything else, an empty
// text included, is nullopt.
std::optional<int> toInteger(const QString &text);

int readInteger(const IniFile &file, const QString &key, int fallback);
QString readString(const IniFile &file, const QString &key, const QString &fallback);

// Applies every key of the file over `current`: keys that are absent take
// their file defaults, and the few keys whose unreadable values leave a
// control as it is (Playtoscore, Sandbag, Blind, Startclub, empty phrases)
// keep the value from `current`.
SpadesSettings read(const IniFile &file, const SpadesSettings &current = {});

// The keys in the order they are written; phrases are not among them.
QList<std::pair<QString, QString>> keyValues(const SpadesSettings &values);
// The keys of keyValues() whose written text differs between the two.
QList<std::pair<QString, QString>> changedKeyValues(const SpadesSettings &before,
                                                    const SpadesSettings &after);
QList<std::pair<QString, QString>> phraseKeyValues(const std::array<QString, 9> &phrases);

} // namespace settings
