// Which finger is the pointer: plain C++ without the browser, so that a native
// test reaches it. The first finger down on the canvas is the left button and
// the pointer until it lifts; every other finger is ignored. A finger's
// identifier is any 32-bit value (iOS gives huge and negative ones), so
// whether a finger is down is kept apart from which one it is.
#pragma once

#include <cstdint>

namespace web {

// One touch of a touch event, as the browser reports it.
struct TouchPoint {
    std::int32_t identifier = 0;
    bool changed = false;  // among the event's changed touches
    long x = 0;            // CSS pixels from the canvas' top-left corner
    long y = 0;
};

enum class TouchPhase { Start, Move, End };  // End: touchend or touchcancel

// The finger that is the pointer, if one is down.
struct PointerFinger {
    bool down = false;
    std::int32_t identifier = 0;  // meaningful only while down
};

enum class FingerAction {
    Ignore,  // not the pointer's finger
    Press,   // the pointer to (x, y), then the left button down
    Move,    // the pointer to (x, y)
    Lift,    // the pointer to (x, y), the left button up, the pointer back to the middle
};

struct FingerStep {
    FingerAction action = FingerAction::Ignore;
    long x = 0;
    long y = 0;
};

// Follows one touch event of this phase with its count touches: takes the
// first changed touch as the pointer when none is down and the phase is
// Start, and says what the pointer's finger did (Ignore when it is not among
// the changed touches).
FingerStep followFinger(PointerFinger& finger, TouchPhase phase, const TouchPoint* touches, int count);

}  // namespace web
