// A recording stand-in for the OpenAL functions the sound module calls.
//
// Unit tests link the core library against this instead of libopenal. A device
// opens only when the test says one is there; either way the open prints a line
// to standard error, as the real libraries do while probing. The test can make
// the context fail to open, or an upload fail (alGetError then reports it).
// Every buffer keeps its samples; every source started is recorded with its
// buffer, its position, its distance settings, the listener's place and whether
// it was still playing; it stays playing until the test stops it or stopAt passes.
#pragma once

#include <chrono>
#include <map>
#include <vector>

namespace aldouble {

struct Vec {
    float x = 0, y = 0, z = 0;
};

// One source started (alSourcePlay), with what was set on it.
struct Start {
    unsigned source = 0;
    unsigned buffer = 0;
    Vec position;
    float referenceDistance = 1.0f;  // OpenAL's defaults until alSourcef sets them
    float rolloff = 1.0f;
    Vec listener;
    Vec listenerAt;
    bool wasPlaying = false;         // the source was cut off by this start
};

// What alBufferData got.
struct Buffer {
    std::vector<short> samples;
    int rate = 0;
};

struct Recorder {
    bool deviceAvailable = false;        // alcOpenDevice succeeds only when set
    bool contextFails = false;           // alcCreateContext returns null
    bool uploadFails = false;            // alBufferData sets AL_INVALID_VALUE
    int error = 0;                       // what alGetError returns next (AL_NO_ERROR)
    int devicesOpen = 0;
    int contextsOpen = 0;
    unsigned nextId = 1;
    std::map<unsigned, Buffer> buffers;  // alive
    std::vector<unsigned> sources;       // alive
    std::map<unsigned, Start> settings;  // per source: what is set so far
    std::vector<unsigned> playing;
    std::chrono::steady_clock::time_point stopAt = std::chrono::steady_clock::time_point::max();
    std::vector<Start> starts;
    Vec listener, listenerAt{0, 0, -1};
};

// The one recorder. reset() clears it; the device is then absent.
Recorder& al();
void reset();
// Every playing source stops, as when its effect has played out.
void stopAll();
// One source stops.
void stop(unsigned source);

}  // namespace aldouble
