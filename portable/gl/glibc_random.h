// glibc's random number generator as plain functions (no C library state),
// so that a seed gives the desktop's sequence; checked natively against
// glibc's own rand. rand_srand.cpp puts the C library's rand and srand on it.
#pragma once

#include <cstdint>

namespace web {

// glibc's default generator (additive feedback, 31 words of state, 310 outputs
// discarded after seeding).
struct RandomState {
    std::int32_t words[34] = {};
    int next = 0;  // the oldest word, overwritten by the next output
};

// Seeds as glibc's srand: seed 0 acts as 1.
void seedRandom(RandomState& state, unsigned int seed);
// The next value, 0 to RAND_MAX (2^31 - 1), as glibc's rand.
int nextRandom(RandomState& state);

}  // namespace web
