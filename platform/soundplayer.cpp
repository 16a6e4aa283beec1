#include "platform/soundplayer.h"

#include "platform/alsasoundplayer.h"

SoundPlayer &systemSoundPlayer()
{
    static AlsaSoundPlayer player;
    return player;
}
