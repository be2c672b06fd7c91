// The desktop's sound start-up: every step at once, before the first frame.
// (The browser spreads them over idle time: web/platform/sound_web.cpp.)
#include "sound/sound.h"

bool soundStartUp()
{
    if (!soundOpenDevice()) {
        return false;
    }
    for (int id = 0; id < soundCount; ++id) {
        soundUploadEffect(static_cast<SoundId>(id));
    }
    return soundFinishStartUp();
}
