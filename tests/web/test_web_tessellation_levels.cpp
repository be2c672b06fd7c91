// The browser's levels of tessellation by size on screen, under the game's own
// projection on its 1000 x 500 window: coarser as a shape goes away, never
// finer than the game asked for, full for a shape that fills the screen.
#include "matrices.h"
#include "tessellation_levels.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// The level of a 30 x 30 sphere of this radius, distance straight ahead of the eye.
web::TessellationLevel sphereAhead(float radius, float distance, int width = 1000, int height = 500)
{
    web::Matrix projection;
    web::perspective(50.0, static_cast<double>(width) / height, 1.0, 200.0, projection);
    web::Matrix modelview;
    web::translate(modelview, 0.0f, 0.0f, -distance);
    const float centre[3] = {0.0f, 0.0f, 0.0f};
    const float pixels = radius * web::pixelsPerUnit(modelview, projection, centre, radius, width, height);
    return web::chosenLevel(pixels, 30, 30, false);
}

TEST(TessellationLevels, FullWhenTheShapeFillsTheScreenFallingAsItGoesAwayRisingWithThePixels)
{
    EXPECT_EQ(sphereAhead(1.0f, 11.0f).slices, 30);  // the dog's body at home
    EXPECT_EQ(sphereAhead(0.5f, 2.0f).stacks, 30);
    EXPECT_EQ(sphereAhead(84.85f, 0.0f).stacks, 30);  // the sky, around the eye
    web::TessellationLevel last = sphereAhead(1.0f, 3.0f);
    for (float distance = 4.0f; distance <= 190.0f; distance += 1.0f) {
        const web::TessellationLevel level = sphereAhead(1.0f, distance);
        EXPECT_TRUE(level.slices <= last.slices && level.stacks <= last.stacks) << "at " << distance;
        // Twice the pixels each way (a denser screen) never draws it coarser.
        EXPECT_GE(sphereAhead(1.0f, distance, 2000, 1000).slices, level.slices) << "at " << distance;
        last = level;
    }
    EXPECT_EQ(last.slices, 6);  // a crown sphere far off is a few pixels across
    EXPECT_LT(sphereAhead(1.0f, 60.0f).slices, sphereAhead(1.0f, 60.0f, 2000, 1000).slices);
}

TEST(TessellationLevels, NeverFinerThanAskedDivideWhatWasAskedAndASphereKeepsTwoStacks)
{
    const web::TessellationLevel asked[] = {{30, 30}, {50, 50}, {3, 30}, {12, 2}, {7, 5}, {1, 1}};
    const float pixels[] = {0.0f, 0.3f, 2.0f, 10.0f, 40.0f, 1e4f, std::numeric_limits<float>::infinity(),
                            std::nanf("")};
    for (const web::TessellationLevel& a : asked) {
        for (float p : pixels) {
            for (bool straight : {false, true}) {
                const web::TessellationLevel level = web::chosenLevel(p, a.slices, a.stacks, straight);
                SCOPED_TRACE(testing::Message() << a.slices << " x " << a.stacks << " at " << p << " pixels");
                EXPECT_TRUE(level.slices >= 1 && level.slices <= a.slices && a.slices % level.slices == 0);
                EXPECT_TRUE(level.stacks >= 1 && level.stacks <= a.stacks && a.stacks % level.stacks == 0);
                // One stack draws a sphere flat; a cylinder's straight side needs no more.
                EXPECT_GE(level.stacks, straight ? 1 : std::min(a.stacks, 2));
            }
        }
    }
}

}  // namespace
