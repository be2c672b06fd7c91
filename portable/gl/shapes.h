// The quadrics and solids of GLU and freeglut, tessellated as those libraries
// emit them, and GL's splitting of primitives into triangles: plain C++ (no
// browser, no GL), checked natively against the desktop's libraries.
#pragma once

#include <cstddef>
#include <vector>

namespace web {

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

// The independent triangles of a primitive of count vertices of this mode, as
// indices into its vertices, three a triangle, in the order a GL rasterises
// them (empty for points and lines). QUAD_STRIP and POLYGON become the
// triangles of their quads and of a fan around the first vertex.
std::vector<std::size_t> triangleOrder(PrimitiveMode mode, std::size_t count);
// The independent lines of a GL_LINES primitive of count vertices, as
// indices, two a line; an odd last vertex is dropped.
std::vector<std::size_t> lineOrder(std::size_t count);

}  // namespace web
