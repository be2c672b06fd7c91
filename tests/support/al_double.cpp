// The recording OpenAL stand-in: see al_double.h.
#include "al_double.h"

#include <AL/al.h>
#include <AL/alc.h>

#include <algorithm>
#include <cstdio>

namespace aldouble {

namespace {

Recorder recorder;
char deviceHandle;
char contextHandle;

Vec vec(float x, float y, float z) { return Vec{x, y, z}; }

// Per source: the buffer and position set since it was created.
struct SourceSetting {
    unsigned source;
    unsigned buffer;
    Vec position;
};
std::vector<SourceSetting> settings;

SourceSetting& settingOf(unsigned source)
{
    for (SourceSetting& s : settings) {
        if (s.source == source) {
            return s;
        }
    }
    settings.push_back(SourceSetting{source, 0, Vec{}});
    return settings.back();
}

void erase(std::vector<unsigned>& ids, unsigned id)
{
    ids.erase(std::remove(ids.begin(), ids.end(), id), ids.end());
}

}  // namespace

Recorder& al() { return recorder; }

void reset()
{
    recorder = Recorder{};
    settings.clear();
}

void stopAll() { recorder.playing.clear(); }

}  // namespace aldouble

using aldouble::recorder;

extern "C" {

ALCdevice* alcOpenDevice(const ALCchar*)
{
    std::fprintf(stderr, "ALSA lib (test double): probing for a sound device\n");
    if (!recorder.deviceAvailable) {
        return nullptr;
    }
    ++recorder.devicesOpen;
    return reinterpret_cast<ALCdevice*>(&aldouble::deviceHandle);
}

ALCcontext* alcCreateContext(ALCdevice*, const ALCint*)
{
    ++recorder.contextsOpen;
    return reinterpret_cast<ALCcontext*>(&aldouble::contextHandle);
}

ALCboolean alcMakeContextCurrent(ALCcontext*) { return ALC_TRUE; }
void alcDestroyContext(ALCcontext*) { --recorder.contextsOpen; }
ALCboolean alcCloseDevice(ALCdevice*)
{
    --recorder.devicesOpen;
    return ALC_TRUE;
}

void alGenBuffers(ALsizei n, ALuint* buffers)
{
    for (ALsizei i = 0; i < n; ++i) {
        buffers[i] = recorder.nextId++;
        recorder.buffers.push_back(buffers[i]);
        recorder.bufferBytes.resize(recorder.nextId, 0);
        recorder.bufferRates.resize(recorder.nextId, 0);
    }
}

void alDeleteBuffers(ALsizei n, const ALuint* buffers)
{
    for (ALsizei i = 0; i < n; ++i) {
        aldouble::erase(recorder.buffers, buffers[i]);
    }
}

void alBufferData(ALuint buffer, ALenum, const ALvoid*, ALsizei size, ALsizei freq)
{
    recorder.bufferBytes.at(buffer) = size;
    recorder.bufferRates.at(buffer) = freq;
}

void alGenSources(ALsizei n, ALuint* sources)
{
    for (ALsizei i = 0; i < n; ++i) {
        sources[i] = recorder.nextId++;
        recorder.sources.push_back(sources[i]);
    }
}

void alDeleteSources(ALsizei n, const ALuint* sources)
{
    for (ALsizei i = 0; i < n; ++i) {
        aldouble::erase(recorder.sources, sources[i]);
        aldouble::erase(recorder.playing, sources[i]);
    }
}

void alSourcef(ALuint, ALenum, ALfloat) {}

void alSourcei(ALuint source, ALenum param, ALint value)
{
    if (param == AL_BUFFER) {
        aldouble::settingOf(source).buffer = static_cast<unsigned>(value);
    }
}

void alSource3f(ALuint source, ALenum param, ALfloat x, ALfloat y, ALfloat z)
{
    if (param == AL_POSITION) {
        aldouble::settingOf(source).position = aldouble::vec(x, y, z);
    }
}

void alGetSourcei(ALuint source, ALenum param, ALint* value)
{
    if (param == AL_SOURCE_STATE) {
        const bool on = std::find(recorder.playing.begin(), recorder.playing.end(), source) != recorder.playing.end();
        *value = on ? AL_PLAYING : AL_STOPPED;
    }
}

void alSourcePlay(ALuint source)
{
    const aldouble::SourceSetting& s = aldouble::settingOf(source);
    recorder.starts.push_back(aldouble::Start{source, s.buffer, s.position, recorder.listener,
                                              recorder.listenerAt, recorder.listenerUp});
    aldouble::erase(recorder.playing, source);
    recorder.playing.push_back(source);
}

void alSourceStop(ALuint source) { aldouble::erase(recorder.playing, source); }

void alSourceStopv(ALsizei n, const ALuint* sources)
{
    for (ALsizei i = 0; i < n; ++i) {
        alSourceStop(sources[i]);
    }
}

void alListener3f(ALenum param, ALfloat x, ALfloat y, ALfloat z)
{
    if (param == AL_POSITION) {
        recorder.listener = aldouble::vec(x, y, z);
    }
}

void alListenerfv(ALenum param, const ALfloat* values)
{
    if (param == AL_ORIENTATION) {
        recorder.listenerAt = aldouble::vec(values[0], values[1], values[2]);
        recorder.listenerUp = aldouble::vec(values[3], values[4], values[5]);
    }
}

}  // extern "C"
