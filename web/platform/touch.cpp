#include "touch.h"

namespace web {

FingerStep followFinger(PointerFinger& finger, TouchPhase phase, const TouchPoint* touches, int count)
{
    if (phase == TouchPhase::Start && !finger.down) {
        for (int i = 0; i < count; ++i) {
            if (touches[i].changed) {
                finger.down = true;
                finger.identifier = touches[i].identifier;
                break;
            }
        }
    }
    if (!finger.down) {
        return {};
    }
    for (int i = 0; i < count; ++i) {
        const TouchPoint& touch = touches[i];
        if (!touch.changed || touch.identifier != finger.identifier) {
            continue;
        }
        FingerAction action = FingerAction::Move;
        if (phase == TouchPhase::Start) {
            action = FingerAction::Press;
        } else if (phase == TouchPhase::End) {
            action = FingerAction::Lift;
            finger.down = false;
        }
        return {action, touch.x, touch.y};
    }
    return {};
}

}  // namespace web
