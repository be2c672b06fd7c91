// glibc's rand: the additive feedback generator r[i] = r[i-3] + r[i-31], seeded
// by a multiplicative congruential generator, its first 310 outputs discarded.
#include "glibc_random.h"

namespace web {

namespace {

constexpr int degree = 31;    // words of state
constexpr int separation = 3; // the nearer tap
constexpr int ring = 34;      // words kept: enough to reach back 31

std::int32_t& word(RandomState& state, int back)
{
    return state.words[(state.next - back + ring) % ring];
}

std::uint32_t step(RandomState& state)
{
    const std::uint32_t value = static_cast<std::uint32_t>(word(state, degree)) +
                                static_cast<std::uint32_t>(word(state, separation));
    state.words[state.next] = static_cast<std::int32_t>(value);
    state.next = (state.next + 1) % ring;
    return value;
}

}  // namespace

void seedRandom(RandomState& state, unsigned int seed)
{
    std::int32_t value = static_cast<std::int32_t>(seed);
    if (value == 0) {
        value = 1;
    }
    state.words[0] = value;
    for (int i = 1; i < degree; ++i) {
        // 16807 * value mod (2^31 - 1), without overflow, as glibc does it.
        const std::int32_t hi = value / 127773;
        const std::int32_t lo = value % 127773;
        value = 16807 * lo - 2836 * hi;
        if (value < 0) {
            value += 2147483647;
        }
        state.words[i] = value;
    }
    for (int i = degree; i < degree + separation; ++i) {
        state.words[i] = state.words[i - degree];
    }
    state.next = (degree + separation) % ring;
    for (int i = 0; i < 10 * degree; ++i) {
        step(state);
    }
}

int nextRandom(RandomState& state)
{
    return static_cast<int>(step(state) >> 1);
}

}  // namespace web
