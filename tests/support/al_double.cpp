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

void erase(std::vector<unsigned>& ids, unsigned id)
{
    ids.erase(std::remove(ids.begin(), ids.end(), id), ids.end());
}
}  // namespace

Recorder& al() { return recorder; }
void reset() { recorder = Recorder{}; }
void stopAll() { recorder.playing.clear(); }
void stop(unsigned source) { erase(recorder.playing, source); }

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
    if (recorder.contextFails) {
        return nullptr;
    }
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
        recorder.buffers[buffers[i]] = aldouble::Buffer{};
    }
}

void alDeleteBuffers(ALsizei n, const ALuint* buffers)
{
    for (ALsizei i = 0; i < n; ++i) {
        recorder.buffers.erase(buffers[i]);
    }
}

void alBufferData(ALuint buffer, ALenum format, const ALvoid* data, ALsizei size, ALsizei rate)
{
    if (recorder.uploadFails || format != AL_FORMAT_MONO16) {
        recorder.error = AL_INVALID_VALUE;
        return;
    }
    const ALshort* samples = static_cast<const ALshort*>(data);
    recorder.buffers.at(buffer) = aldouble::Buffer{{samples, samples + size / 2}, rate};
}

ALenum alGetError()
{
    const ALenum error = recorder.error;
    recorder.error = AL_NO_ERROR;
    return error;
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

void alSourcef(ALuint source, ALenum param, ALfloat value)
{
    if (param == AL_REFERENCE_DISTANCE) {
        recorder.settings[source].referenceDistance = value;
    } else if (param == AL_ROLLOFF_FACTOR) {
        recorder.settings[source].rolloff = value;
    }
}

void alSourcei(ALuint source, ALenum param, ALint value)
{
    if (param == AL_BUFFER) {
        recorder.settings[source].buffer = static_cast<unsigned>(value);
    }
}

void alSource3f(ALuint source, ALenum param, ALfloat x, ALfloat y, ALfloat z)
{
    if (param == AL_POSITION) {
        recorder.settings[source].position = aldouble::Vec{x, y, z};
    }
}

void alGetSourcei(ALuint source, ALenum param, ALint* value)
{
    if (param == AL_SOURCE_STATE) {
        if (std::chrono::steady_clock::now() >= recorder.stopAt) {
            recorder.playing.clear();
        }
        const bool on = std::count(recorder.playing.begin(), recorder.playing.end(), source) > 0;
        *value = on ? AL_PLAYING : AL_STOPPED;
    }
}

void alSourcePlay(ALuint source)
{
    aldouble::Start start = recorder.settings[source];
    start.source = source;
    start.listener = recorder.listener;
    start.listenerAt = recorder.listenerAt;
    start.wasPlaying = std::count(recorder.playing.begin(), recorder.playing.end(), source) > 0;
    recorder.starts.push_back(start);
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
        recorder.listener = aldouble::Vec{x, y, z};
    }
}

void alListenerfv(ALenum param, const ALfloat* values)
{
    if (param == AL_ORIENTATION) {
        recorder.listenerAt = aldouble::Vec{values[0], values[1], values[2]};
    }
}

}  // extern "C"
