// The browser's platform layer: what a browser lacks of GL 1.1, GLU, GLUT and
// glibc, supplied beside the game so that the game's own sources build as they
// are. This header holds the pieces that are plain C++ (no browser, no GL): the
// tessellations of the quadrics and solids, the lighting equation and the C
// library's random numbers. The native tests check them against the desktop's
// libraries.
#pragma once

#include <cstdint>
#include <vector>

namespace web {

// --- Tessellation ------------------------------------------------------------------------
// Primitive modes, with GL's numbers.
enum PrimitiveMode : unsigned {
    Points = 0x0000,
    Lines = 0x0001,
    Triangles = 0x0004,
    TriangleStrip = 0x0005,
    TriangleFan = 0x0006,
    QuadStrip = 0x0008,
    Polygon = 0x0009,
};

// One vertex as the desktop library hands it to GL. hasTexCoord is false when
// the library gives none, so the current texture coordinate applies.
struct ShapeVertex {
    float position[3] = {0.0f, 0.0f, 0.0f};
    float normal[3] = {0.0f, 0.0f, 1.0f};
    float texCoord[2] = {0.0f, 0.0f};
    bool hasTexCoord = false;
};

// One primitive (one glBegin/glEnd, or one glDrawElements) in emission order.
struct ShapePrimitive {
    PrimitiveMode mode = Triangles;
    std::vector<ShapeVertex> vertices;
};

using Shape = std::vector<ShapePrimitive>;

// gluSphere with GLU_FILL, smooth normals, outside orientation; texture
// coordinates when textured. Empty for arguments GLU refuses.
Shape quadricSphere(double radius, int slices, int stacks, bool textured);
// gluCylinder with the same quadric settings.
Shape quadricCylinder(double base, double top, double height, int slices, int stacks, bool textured);
// glutSolidSphere: one triangle strip per stack, normals, no texture coordinates.
Shape solidSphere(double radius, int slices, int stacks);
// glutSolidCube: twelve triangles, face normals, no texture coordinates.
Shape solidCube(double size);

// Splits any primitive into independent triangles (points and lines are kept
// as they are), in the order a GL rasterises them. QUAD_STRIP and POLYGON
// become the triangles of their quads and of a fan around the first vertex.
std::vector<ShapeVertex> toTriangles(const ShapePrimitive& primitive);
// The vertices of independent lines for a GL_LINES primitive; odd leftovers dropped.
std::vector<ShapeVertex> toLines(const ShapePrimitive& primitive);

// --- Lighting ----------------------------------------------------------------------------
// The one light, directional, with its colours, and the scene's ambient light.
struct LightState {
    float ambient[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    float diffuse[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    float specular[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    float direction[3] = {0.0f, 0.0f, 1.0f};  // towards the light, eye space, unit
    float sceneAmbient[4] = {0.2f, 0.2f, 0.2f, 1.0f};
    bool enabled = false;
};

// A front material, with GL's initial values.
struct MaterialState {
    float ambient[4] = {0.2f, 0.2f, 0.2f, 1.0f};
    float diffuse[4] = {0.8f, 0.8f, 0.8f, 1.0f};
    float specular[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    float emission[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    float shininess = 0.0f;
};

// The colour GL's fixed-function lighting gives a vertex with the eye-space
// normal n (used as given: GL does not normalise it unless asked), for a
// viewer at infinity: emission + scene ambient + the light's ambient, diffuse
// and specular terms, each channel clamped to [0, 1]; alpha is the diffuse alpha.
void lightVertex(const LightState& light, const MaterialState& material, const float n[3], float rgba[4]);

// --- The C library's random numbers ------------------------------------------------------
// glibc's default generator (additive feedback, 31 words of state, 310 outputs
// discarded after seeding), so that a seed gives the desktop's sequence.
struct RandomState {
    std::int32_t words[34] = {};
    int next = 0;  // the oldest word, overwritten by the next output
};

// Seeds as glibc's srand: seed 0 acts as 1.
void seedRandom(RandomState& state, unsigned int seed);
// The next value, 0 to RAND_MAX (2^31 - 1), as glibc's rand.
int nextRandom(RandomState& state);

}  // namespace web
