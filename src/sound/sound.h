// Sound: seven effects synthesised at start-up and played through OpenAL from
// their place in the scene, heard from the camera. Where no sound device opens,
// every call returns at once and the game plays silently.
#pragma once

#include "world/world.h"

#include <vector>

// The effects. The closing scene's blast is the house's boom.
enum SoundId : int {
    ThrowSound = 0,     // a short whoosh
    LandingSound = 1,   // a soft thud where the bone lands
    BarkSound = 2,      // one happy bark: the dog takes the bone
    HomeSound = 3,      // two barks: the dog home with the bone
    TreeSound = 4,      // a crack and a rustle: a tree knocked over
    BoomSound = 5,      // a deep boom with a rumble: a blast
    EngineSound = 6,    // the car's engine coming in
    soundCount = 7,
};

inline constexpr int soundSampleRate = 48000;   // mono samples per second, as most devices play
inline constexpr float soundFadeSeconds = 0.01f; // every effect fades in and out over this
inline constexpr int soundSourceCount = 8;       // effects that can sound at once

// One effect: its file name (tools/make_sounds writes <name>.wav), what it is,
// and the loudness it is brought to (LUFS, see soundLoudnessLufs).
struct SoundInfo {
    SoundId id;
    const char* name;
    const char* what;
    float plannedLufs;
};

// The device, the context and what lives in them. The member initialisers are
// the load values; `open` is true only while a device and context are open.
struct SoundState {
    bool open = false;
    bool muted = false;                      // no new effect starts while set
    void* device = nullptr;                  // ALCdevice*
    void* context = nullptr;                 // ALCcontext*
    unsigned buffers[soundCount] = {};
    unsigned sources[soundSourceCount] = {};
    int nextSource = 0;                      // the source to take when all are busy
};

extern SoundState sound;

// --- Synthesis (pure) ----------------------------------------------------------------
// The effect's name and description. id must be below soundCount.
const SoundInfo& soundInfo(SoundId id);
// The effect's samples, mono at soundSampleRate in [-1, 1]: the same on every call
// (fixed noise seeds), at its planned loudness unless its true peak would pass
// -1 dBTP, faded in and out.
std::vector<float> synthesiseSound(SoundId id);
// Scales the samples to plannedLufs, or lower where their true peak would then
// pass -1 dBTP; silence stays as it is.
void levelSound(std::vector<float>& samples, float plannedLufs);
// The largest absolute sample in dBFS; -200 for silence.
float soundPeakDb(const std::vector<float>& samples);

// --- The meter (pure; loudness.cpp) -------------------------------------------------
// The integrated loudness in LUFS (BS.1770: K-weighted, gated 400 ms blocks) of the
// samples at rate followed by 0.5 s of silence; -200 for silence.
float soundLoudnessLufs(const std::vector<float>& samples, int rate = soundSampleRate);
// The same through a small speaker: after a steep (8-pole) high-pass at 400 Hz.
float soundSmallSpeakerLufs(const std::vector<float>& samples);
// The true peak in dBTP: the largest sample 4 times oversampled; -200 for silence.
float soundTruePeakDb(const std::vector<float>& samples);

// --- Placement (pure) ----------------------------------------------------------------
// The listener's OpenAL frame: position, then orientation as "at" and "up".
struct Listener {
    Vector3 position;
    Vector3 at;
    Vector3 up;
};
// The listener for a camera at eye looking at centre with up (gluLookAt's arguments).
Listener listenerFromCamera(Vector3 eye, Vector3 centre, Vector3 up);
// Where a place in the scene sounds from: display draws the scene shifted by
// sceneShift after gluLookAt, so the source sits there in the camera's frame.
Vector3 sourcePosition(Vector3 place);

// --- The device ----------------------------------------------------------------------
// Opens the device OpenAL's configuration selects, with the libraries' own
// error output quieted; synthesises and uploads the effects. Returns whether
// sound is on: where OpenAL reports an error after the uploads, it closes what
// it opened and the game plays silently, as with no device. Once, at start-up;
// prints nothing.
bool soundStartUp();
// soundStartUp's steps, in this order (the desktop takes them at once, in
// start.cpp; the browser one by one over idle time): opens the device and
// makes the effects' buffers, false (with nothing left open) where it cannot;
// synthesises and uploads one effect, nothing unless the device is open and
// the start-up unfinished; makes the sources, true when sound is on.
bool soundOpenDevice();
void soundUploadEffect(SoundId id);
bool soundFinishStartUp();
// Sets the listener for the effects started from now on.
void placeListener(const Listener& listener);
// Starts effect id from place in the scene (see sourcePosition). Nothing when
// no device is open or when muted; a busy pool gives up its oldest effect.
void playSound(SoundId id, Vector3 place);
// Starts no new effect while muted is true; effects already playing go on.
void setSoundMuted(bool muted);
// Whether an effect is still playing; false when no device is open.
bool anySoundPlaying();
// The game is ending: lets the effects still playing ring out, at most maxMs,
// then closes the device. Returns at once when no device is open. Draws nothing.
// (finish.cpp; the browser's page lets them ring out by itself.)
void finishSounds(int maxMs);
// Deletes the sources and buffers and closes the context and the device. The mute stays.
void soundShutDown();
