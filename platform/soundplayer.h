#pragma once

#include <QString>

// Plays the program's embedded sounds by name ("turn", "placecard", "wave7", ...).
// A new sound cuts off the one playing; an unknown name plays nothing; without
// an audio device every call is silent.
class SoundPlayer
{
public:
    virtual ~SoundPlayer() = default;
    virtual void play(const QString &name) = 0;
};

// The process-wide player on the system's audio output.
SoundPlayer &systemSoundPlayer();
