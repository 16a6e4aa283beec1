#include "shell/platform/soundplayer.h"

#include "shell/platform/alsasoundplayer.h"

SoundPlayer &systemSoundPlayer()
{
    static AlsaSoundPlayer player;
    return player;
}
