// The sound device: opened quietly at start-up, the effects uploaded once, and
// a small pool of sources that the game's events start. The start-up's steps
// are taken at once on the desktop (start.cpp) and over idle time in the
// browser (web/platform/sound_web.cpp).
#include "sound/sound.h"

#include <AL/al.h>
#include <AL/alc.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

SoundState sound;

namespace {

// Effects are as loud as made within this distance of the listener; farther
// away they fade gently (OpenAL's inverse distance, clamped).
constexpr float fullLevelDistance = 12.0f;
constexpr float distanceRolloff = 0.5f;

// Runs body() with standard error pointed at /dev/null, so that what the sound
// libraries print while probing for a device does not reach the console.
template <typename Body>
void quietly(Body body)
{
    std::fflush(stderr);
    const int saved = dup(2);
    const int null = open("/dev/null", O_WRONLY);
    if (saved >= 0 && null >= 0) {
        dup2(null, 2);
    }
    body();
    std::fflush(stderr);
    if (saved >= 0 && null >= 0) {
        dup2(saved, 2);
    }
    if (null >= 0) {
        close(null);
    }
    if (saved >= 0) {
        close(saved);
    }
}

void upload(SoundId id)
{
    const std::vector<float> samples = synthesiseSound(id);
    std::vector<ALshort> pcm(samples.size());
    for (std::size_t i = 0; i < samples.size(); ++i) {
        pcm[i] = static_cast<ALshort>(samples[i] * 32767.0f);
    }
    alBufferData(sound.buffers[id], AL_FORMAT_MONO16, pcm.data(),
                 static_cast<ALsizei>(pcm.size() * sizeof(ALshort)), soundSampleRate);
}

bool playing(ALuint source)
{
    ALint state = AL_STOPPED;
    alGetSourcei(source, AL_SOURCE_STATE, &state);
    return state == AL_PLAYING;
}

// A source that is not playing, or else the oldest one taken.
ALuint freeSource()
{
    for (int i = 0; i < soundSourceCount; ++i) {
        const int k = (sound.nextSource + i) % soundSourceCount;
        if (!playing(sound.sources[k])) {
            sound.nextSource = (k + 1) % soundSourceCount;
            return sound.sources[k];
        }
    }
    const ALuint oldest = sound.sources[sound.nextSource];
    sound.nextSource = (sound.nextSource + 1) % soundSourceCount;
    alSourceStop(oldest);
    return oldest;
}

// Deletes the sources and buffers and closes the context and the device; the mute stays.
void closeDevice()
{
    alSourceStopv(soundSourceCount, sound.sources);
    alDeleteSources(soundSourceCount, sound.sources);
    alDeleteBuffers(soundCount, sound.buffers);
    alcMakeContextCurrent(nullptr);
    alcDestroyContext(static_cast<ALCcontext*>(sound.context));
    alcCloseDevice(static_cast<ALCdevice*>(sound.device));
    const bool muted = sound.muted;
    sound = SoundState{};
    sound.muted = muted;
}

}  // namespace

bool soundOpenDevice()
{
    ALCdevice* device = nullptr;
    ALCcontext* context = nullptr;
    quietly([&] {
        device = alcOpenDevice(nullptr);
        if (device != nullptr) {
            context = alcCreateContext(device, nullptr);
        }
    });
    if (context == nullptr || alcMakeContextCurrent(context) == ALC_FALSE) {
        if (context != nullptr) {
            alcDestroyContext(context);
        }
        if (device != nullptr) {
            alcCloseDevice(device);
        }
        return false;
    }
    sound.device = device;
    sound.context = context;
    alGenBuffers(soundCount, sound.buffers);
    return true;
}

void soundUploadEffect(SoundId id)
{
    if (sound.device != nullptr && !sound.open && id >= 0 && id < soundCount) {
        upload(id);
    }
}

bool soundFinishStartUp()
{
    if (sound.device == nullptr || sound.open) {
        return sound.open;
    }
    alGenSources(soundSourceCount, sound.sources);
    for (const ALuint source : sound.sources) {
        alSourcef(source, AL_REFERENCE_DISTANCE, fullLevelDistance);
        alSourcef(source, AL_ROLLOFF_FACTOR, distanceRolloff);
    }
    if (alGetError() != AL_NO_ERROR) {  // an upload or a source refused: play silently, as with no device
        closeDevice();
        return false;
    }
    sound.nextSource = 0;
    sound.open = true;
    return true;
}

void placeListener(const Listener& listener)
{
    if (!sound.open) {
        return;
    }
    const ALfloat orientation[6] = {listener.at.x, listener.at.y, listener.at.z,
                                    listener.up.x, listener.up.y, listener.up.z};
    alListener3f(AL_POSITION, listener.position.x, listener.position.y, listener.position.z);
    alListenerfv(AL_ORIENTATION, orientation);
}

void playSound(SoundId id, Vector3 place)
{
    if (!sound.open || sound.muted || id < 0 || id >= soundCount) {
        return;
    }
    const ALuint source = freeSource();
    const Vector3 at = sourcePosition(place);
    alSourcei(source, AL_BUFFER, static_cast<ALint>(sound.buffers[id]));
    alSource3f(source, AL_POSITION, at.x, at.y, at.z);
    alSourcePlay(source);
}

void setSoundMuted(bool muted)
{
    sound.muted = muted;
}

void soundShutDown()
{
    if (sound.open) {
        closeDevice();
    }
}

// Whether any effect is still playing (finishSounds in finish.cpp waits on it).
bool anySoundPlaying()
{
    if (!sound.open) {
        return false;
    }
    for (const ALuint source : sound.sources) {
        if (playing(source)) {
            return true;
        }
    }
    return false;
}
