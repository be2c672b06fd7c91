// Levels of tessellation by size on screen: how many pixels a model unit
// covers near a shape, and the slices and stacks its outline needs there.
#include "tessellation_levels.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace web {

namespace {

constexpr float pi = 3.14159265f;
// How far inside the true outline, in pixels, a chord of the drawn one may
// fall: on a sphere's outline, and on a cylinder's, whose straight side moves
// in all along its length. More moves the leaves' and the fur's fine texture
// inside the outline by enough to show in 4 x 4 pixel averages (0.6 keeps the
// check page's scenes within 0.45 % of blocks off; 0.75 passes 1 %).
constexpr float roundTolerance = 0.6f;
constexpr float straightTolerance = 0.125f;
// Never fewer slices than this where the game asks for more: a shape that
// small is a few pixels across.
constexpr int fewestSlices = 6;
// Never fewer stacks than this on a sphere where the game asks for more.
constexpr int fewestSphereStacks = 2;

float lengthOf(float x, float y, float z) { return std::sqrt(x * x + y * y + z * z); }

// The smallest divisor of n that is at least want (n itself when want exceeds it).
int divisorAtLeast(int n, int want)
{
    for (int d = std::max(want, 1); d < n; ++d) {
        if (n % d == 0) {
            return d;
        }
    }
    return n;
}

}  // namespace

float pixelsPerUnit(const Matrix& modelview, const Matrix& projection, const float centre[3], float reach, int width,
                    int height)
{
    const float* m = modelview.m;
    const float* p = projection.m;
    float eye[3];
    for (int i = 0; i < 3; ++i) {
        eye[i] = m[i] * centre[0] + m[4 + i] * centre[1] + m[8 + i] * centre[2] + m[12 + i];
    }
    // The model-view's largest stretch: how long a model unit is in eye space at most.
    float stretch = 0.0f;
    for (int col = 0; col < 3; ++col) {
        stretch = std::max(stretch, lengthOf(m[col * 4], m[col * 4 + 1], m[col * 4 + 2]));
    }
    // Clip space's w at the centre, and the least it comes to across the sphere.
    const float rowW = lengthOf(p[3], p[7], p[11]);
    const float w = p[3] * eye[0] + p[7] * eye[1] + p[11] * eye[2] + p[15];
    const float nearest = w - reach * stretch * rowW;
    if (!(nearest > 0.0f)) {
        return std::numeric_limits<float>::infinity();
    }
    // x / w moves by at most (|row x| + |x / w| |row w|) / w per eye unit; so does y.
    const float x = (p[0] * eye[0] + p[4] * eye[1] + p[8] * eye[2] + p[12]) / w;
    const float y = (p[1] * eye[0] + p[5] * eye[1] + p[9] * eye[2] + p[13]) / w;
    const float across = (lengthOf(p[0], p[4], p[8]) + std::fabs(x) * rowW) * static_cast<float>(width) / 2.0f;
    const float up = (lengthOf(p[1], p[5], p[9]) + std::fabs(y) * rowW) * static_cast<float>(height) / 2.0f;
    return stretch * std::max(across, up) / nearest;
}

TessellationLevel chosenLevel(float outlinePixels, int slices, int stacks, bool straightStacks)
{
    const TessellationLevel full{slices, stacks};
    // n chords of a circle of radius r fall at most r (1 - cos(pi / n)) inside it.
    const float tolerance = straightStacks ? straightTolerance : roundTolerance;
    int want = fewestSlices;  // chords around the outline
    if (!(outlinePixels <= tolerance)) {
        const float angle = std::acos(1.0f - tolerance / outlinePixels);
        if (!(angle > 0.0f) || pi / angle >= static_cast<float>(slices)) {
            return full;
        }
        want = std::max(want, static_cast<int>(std::ceil(pi / angle)));
    }
    TessellationLevel level;
    level.slices = divisorAtLeast(slices, want);
    if (level.slices >= slices) {
        return full;
    }
    // A sphere keeps its stacks in proportion: halving only its stacks moves
    // its texture as much as halving both. It keeps at least two: one draws it flat.
    const int sphereStacks = std::max(fewestSphereStacks, (level.slices * stacks + slices - 1) / slices);
    level.stacks = straightStacks ? 1 : divisorAtLeast(stacks, sphereStacks);
    return level;
}

}  // namespace web
