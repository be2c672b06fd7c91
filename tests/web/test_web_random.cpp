// The browser's rand against glibc's: the same seed gives the same sequence,
// so the browser plants the desktop's trees.
#include "glibc_random.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

TEST(WebRandom, GivesGlibcsSequenceForTheSameSeed)
{
    const unsigned seeds[] = {0u, 1u, 2u, 42u, 12345u, 1765000000u, 2147483647u, 2147483648u, 4294967295u};
    for (unsigned seed : seeds) {
        web::RandomState state;
        web::seedRandom(state, seed);
        std::srand(seed);
        for (int k = 0; k < 500; ++k) {
            ASSERT_EQ(web::nextRandom(state), std::rand()) << "seed " << seed << ", value " << k;
        }
    }
}

}  // namespace
