// Which finger is the pointer, with identifiers as iOS gives them: a second
// finger never takes the pointer or presses the button again, and only the
// first finger's lift releases the button and re-centres the pointer.
#include "touch.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

using web::FingerAction;
using web::TouchPhase;
using web::TouchPoint;

// 3,293,275,524 as a 32-bit int, as emscripten hands it over: -1,001,691,772.
const std::int32_t wrapped = static_cast<std::int32_t>(static_cast<std::uint32_t>(3293275524u));

// One touch event: its phase, the changed finger, and the fingers still down.
struct Event {
    TouchPhase phase;
    std::int32_t changed;
    long x;
    std::vector<std::int32_t> resting;
};

// What the pointer's finger did at each event, written as "press@x", "move@x",
// "lift@x" or "-" (ignored).
std::string follow(const std::vector<Event>& events)
{
    web::PointerFinger finger;
    std::string seen;
    for (const Event& event : events) {
        std::vector<TouchPoint> touches;
        for (const std::int32_t id : event.resting) {
            touches.push_back({id, false, 1, 1});
        }
        touches.push_back({event.changed, true, event.x, 7});
        const web::FingerStep step = web::followFinger(finger, event.phase, touches.data(), static_cast<int>(touches.size()));
        const char* names[] = {"-", "press", "move", "lift"};
        seen += std::string(seen.empty() ? "" : " ") + names[static_cast<int>(step.action)];
        if (step.action != FingerAction::Ignore) {
            seen += "@" + std::to_string(step.x);
        }
    }
    return seen;
}

TEST(WebTouch, TwoFingersWithIosIdentifiers)
{
    ASSERT_EQ(wrapped, -1001691772);
    const std::int32_t pairs[][2] = {{wrapped, -7}, {-7, wrapped}, {-1, 0}, {0, -1}, {INT32_MIN, INT32_MAX}};
    for (const auto& pair : pairs) {
        const std::int32_t first = pair[0];
        const std::int32_t second = pair[1];
        SCOPED_TRACE("first finger " + std::to_string(first) + ", second " + std::to_string(second));
        // The second finger comes, moves and goes while the first walks the dog.
        EXPECT_EQ(follow({{TouchPhase::Start, first, 10, {}},
                          {TouchPhase::Start, second, 20, {first}},
                          {TouchPhase::Move, second, 21, {first}},
                          {TouchPhase::Move, first, 11, {second}},
                          {TouchPhase::End, second, 22, {first}},
                          {TouchPhase::Move, first, 12, {}},
                          {TouchPhase::End, first, 13, {}}}),
                  "press@10 - - move@11 - move@12 lift@13");
        // The first finger lifts while the second rests: the second never becomes the pointer;
        // a finger down after both have lifted does.
        EXPECT_EQ(follow({{TouchPhase::Start, first, 10, {}},
                          {TouchPhase::Start, second, 20, {first}},
                          {TouchPhase::End, first, 11, {second}},
                          {TouchPhase::Move, second, 21, {}},
                          {TouchPhase::End, second, 22, {}},
                          {TouchPhase::Start, second, 30, {}},
                          {TouchPhase::End, second, 31, {}}}),
                  "press@10 - lift@11 - - press@30 lift@31");
    }
}

}  // namespace
