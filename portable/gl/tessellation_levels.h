// How finely the browser tessellates a round shape (a sphere, cylinder or cone)
// for its size on screen: no finer than the game asked for, and in slice and
// stack counts that divide the game's, so that a coarser level is drawn from
// the full shape's own vertices. Plain C++ (no GL), checked natively.
#pragma once

#include "matrices.h"

namespace web {

// Slices around a shape's axis and stacks along it.
struct TessellationLevel {
    int slices = 0;
    int stacks = 0;
};

// The most pixels one unit of model space covers anywhere in the sphere of
// radius reach around centre (model space) under modelview and projection, on
// a viewport of width x height pixels. Infinite where the sphere reaches the
// eye's plane (a shape that holds the camera, like the sky).
float pixelsPerUnit(const Matrix& modelview, const Matrix& projection, const float centre[3], float reach, int width,
                    int height);

// The level for a shape the game asked for with slices x stacks, whose round
// outline has a radius of outlinePixels on screen: the fewest slices (a
// divisor of slices) whose outline keeps within a fraction of a pixel of the
// circle, and the stacks in the same proportion (a divisor of stacks) where
// they follow the curve (spheres); where they are straight (cylinders and
// cones) one stack draws the same side. A large shape keeps all the game's.
TessellationLevel chosenLevel(float outlinePixels, int slices, int stacks, bool straightStacks);

}  // namespace web
