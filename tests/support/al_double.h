// A recording stand-in for the OpenAL functions the sound module calls.
//
// Unit tests link the core library against this instead of libopenal. A device
// opens only when the test says one is there; either way the open prints a line
// to standard error, as the real libraries do while probing. Every source
// started is recorded with its buffer, its position and the listener's, and
// stays playing until the test stops it.
#pragma once

#include <map>
#include <vector>

namespace aldouble {

struct Vec {
    float x = 0, y = 0, z = 0;
};

// One source started (alSourcePlay).
struct Start {
    unsigned source = 0;
    unsigned buffer = 0;
    Vec position;
    Vec listener;
    Vec listenerAt;
};

struct Recorder {
    bool deviceAvailable = false;        // alcOpenDevice succeeds only when set
    int devicesOpen = 0;
    int contextsOpen = 0;
    unsigned nextId = 1;
    std::map<unsigned, int> bufferBytes; // the buffers alive, with what alBufferData got
    std::vector<unsigned> sources;       // alive
    std::map<unsigned, Start> settings;  // per source: buffer and position set so far
    std::vector<unsigned> playing;
    std::vector<Start> starts;
    Vec listener, listenerAt{0, 0, -1};
};

// The one recorder. reset() clears it; the device is then absent.
Recorder& al();
void reset();
// Every playing source stops, as when its effect has played out.
void stopAll();

}  // namespace aldouble
