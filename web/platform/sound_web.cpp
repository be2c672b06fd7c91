// The sound's pieces that differ in a browser: the page's mute button reaches
// the game through fetchSetMuted, and the end of the game does not wait for
// the blast, because Web Audio plays what was started on after the game ends.
#include "sound/sound.h"

#include <emscripten/emscripten.h>

void finishSounds(int /*maxMs: the page's audio rings out by itself*/) {}

extern "C" EMSCRIPTEN_KEEPALIVE void fetchSetMuted(int muted)
{
    setSoundMuted(muted != 0);
}
