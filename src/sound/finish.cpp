// The end of the game on the desktop: the effects still playing (the closing
// scene's blast) ring out before the device closes and the process ends.
#include "sound/sound.h"

#include <chrono>
#include <thread>

void finishSounds(int maxMs)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(maxMs);
    while (anySoundPlaying() && std::chrono::steady_clock::now() < end) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    soundShutDown();
}
