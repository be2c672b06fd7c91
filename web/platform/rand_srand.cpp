// The C library's rand and srand, replaced by glibc's generator so that the same
// seed gives the same numbers (and so the same trees) as the desktop build.
#include "glibc_random.h"

namespace {

web::RandomState randomState = [] {
    web::RandomState state;
    web::seedRandom(state, 1u);  // as if srand(1), the C library's start
    return state;
}();

}  // namespace

extern "C" {

void srand(unsigned int seed) { web::seedRandom(randomState, seed); }
int rand(void) { return web::nextRandom(randomState); }

}
