// The sound's pieces that differ in a browser: the start-up is spread over
// idle time, the page's mute button reaches the game through fetchSetMuted,
// and the end of the game does not wait for the blast, because Web Audio plays
// what was started on after the game ends.
#include "sound/sound.h"

#include <emscripten/emscripten.h>

namespace {

// The start-up's next step: 0 opens the device (the page's audio context),
// 1 to soundCount synthesise and upload one effect each, then the sources.
int nextStep = 0;

// Asks for fetchWebSoundStep when the page is next idle (or within 200 ms, on
// a page that is never idle), in a task of its own.
EM_JS(void, requestSoundStep, (), {
    const step = () => { if (Module._fetchWebSoundStep) Module._fetchWebSoundStep(); };
    if (typeof requestIdleCallback === 'function') requestIdleCallback(step, { timeout : 200 });
    else setTimeout(step, 0);
});

}  // namespace

// Sound cannot start before the player's first gesture anyway: the audio
// context and the effects need not hold up the game's first frame, and each
// step is a short task of its own, so that neither the start nor a click
// waits on them. Effects asked for before the last step are not played.
bool soundStartUp()
{
    nextStep = 0;
    requestSoundStep();
    return true;
}

extern "C" EMSCRIPTEN_KEEPALIVE void fetchWebSoundStep()
{
    if (nextStep == 0) {
        if (!soundOpenDevice()) {
            return;  // no sound here: the game plays silently
        }
    } else if (nextStep <= soundCount) {
        soundUploadEffect(static_cast<SoundId>(nextStep - 1));
    } else {
        soundFinishStartUp();
        return;
    }
    ++nextStep;
    requestSoundStep();
}

void finishSounds(int /*maxMs: the page's audio rings out by itself*/) {}

extern "C" EMSCRIPTEN_KEEPALIVE void fetchSetMuted(int muted)
{
    setSoundMuted(muted != 0);
}
