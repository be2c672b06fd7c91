// The quadrics and solids, vertex for vertex as the desktop's GLU and freeglut
// emit them: the same sine tables (computed in the same float and double
// steps), the same order, the same texture coordinates.
#include "shapes.h"

#include <cmath>
#include <cstddef>

namespace web {

namespace {

constexpr double pi = 3.14159265358979323846;
constexpr int gluCacheSize = 240;  // GLU caps slices and stacks below this

// sin and cos of a float angle, in double as C's sin does, rounded to float.
float sinOf(float angle) { return static_cast<float>(std::sin(static_cast<double>(angle))); }
float cosOf(float angle) { return static_cast<float>(std::cos(static_cast<double>(angle))); }

ShapeVertex vertex(float x, float y, float z, const float normal[3])
{
    ShapeVertex v;
    v.position[0] = x;
    v.position[1] = y;
    v.position[2] = z;
    v.normal[0] = normal[0];
    v.normal[1] = normal[1];
    v.normal[2] = normal[2];
    return v;
}

ShapeVertex texturedVertex(float x, float y, float z, const float normal[3], float s, float t)
{
    ShapeVertex v = vertex(x, y, z, normal);
    v.texCoord[0] = s;
    v.texCoord[1] = t;
    v.hasTexCoord = true;
    return v;
}

// freeglut's table of n + 1 points on the circle (a half circle when half);
// a negative n runs it backwards.
void circleTable(std::vector<float>& sint, std::vector<float>& cost, int n, bool half)
{
    const int size = n < 0 ? -n : n;
    const float angle = (half ? 1.0f : 2.0f) * static_cast<float>(pi) / static_cast<float>(n == 0 ? 1 : n);
    sint.assign(static_cast<std::size_t>(size) + 1, 0.0f);
    cost.assign(static_cast<std::size_t>(size) + 1, 0.0f);
    sint[0] = 0.0f;
    cost[0] = 1.0f;
    for (int i = 1; i < size; ++i) {
        sint[static_cast<std::size_t>(i)] = sinOf(angle * static_cast<float>(i));
        cost[static_cast<std::size_t>(i)] = cosOf(angle * static_cast<float>(i));
    }
    if (half) {
        sint[static_cast<std::size_t>(size)] = 0.0f;
        cost[static_cast<std::size_t>(size)] = -1.0f;
    } else {
        sint[static_cast<std::size_t>(size)] = sint[0];
        cost[static_cast<std::size_t>(size)] = cost[0];
    }
}

// One primitive per part of an indexed draw, as glDrawElements expands it.
Shape expandIndexed(PrimitiveMode mode, const std::vector<ShapeVertex>& vertices,
                    const std::vector<int>& indices, int parts, int perPart)
{
    Shape shape;
    for (int part = 0; part < parts; ++part) {
        ShapePrimitive primitive;
        primitive.mode = mode;
        for (int k = 0; k < perPart; ++k) {
            primitive.vertices.push_back(
                vertices[static_cast<std::size_t>(indices[static_cast<std::size_t>(part * perPart + k)])]);
        }
        shape.push_back(primitive);
    }
    return shape;
}

}  // namespace

Shape quadricSphere(double radius, int slices, int stacks, bool textured)
{
    if (slices >= gluCacheSize) slices = gluCacheSize - 1;
    if (stacks >= gluCacheSize) stacks = gluCacheSize - 1;
    if (slices < 2 || stacks < 1 || radius < 0.0) {
        return {};
    }
    float sin1a[gluCacheSize], cos1a[gluCacheSize], sin1b[gluCacheSize], cos1b[gluCacheSize];
    float sin2b[gluCacheSize], cos2b[gluCacheSize];
    for (int i = 0; i < slices; ++i) {
        const float angle = static_cast<float>(2 * pi * i / slices);
        sin1a[i] = sinOf(angle);
        cos1a[i] = cosOf(angle);
    }
    for (int j = 0; j <= stacks; ++j) {
        const float angle = static_cast<float>(pi * j / stacks);
        sin2b[j] = sinOf(angle);
        cos2b[j] = cosOf(angle);
        sin1b[j] = static_cast<float>(radius * std::sin(static_cast<double>(angle)));
        cos1b[j] = static_cast<float>(radius * std::cos(static_cast<double>(angle)));
    }
    sin1b[0] = 0.0f;  // make sure it comes to a point
    sin1b[stacks] = 0.0f;
    sin1a[slices] = sin1a[0];
    cos1a[slices] = cos1a[0];
    const float* sin2a = sin1a;
    const float* cos2a = cos1a;

    Shape shape;
    int start = 0;
    int finish = stacks;
    if (!textured) {
        // Without texture coordinates the two caps are fans.
        start = 1;
        finish = stacks - 1;
        ShapePrimitive top;
        top.mode = TriangleFan;
        float n[3] = {sin2a[0] * sin2b[0], cos2a[0] * sin2b[0], cos2b[0]};
        top.vertices.push_back(vertex(0.0f, 0.0f, static_cast<float>(radius), n));
        for (int i = slices; i >= 0; --i) {
            const float ni[3] = {sin2a[i] * sin2b[1], cos2a[i] * sin2b[1], cos2b[1]};
            top.vertices.push_back(vertex(sin1b[1] * sin1a[i], sin1b[1] * cos1a[i], cos1b[1], ni));
        }
        shape.push_back(top);

        ShapePrimitive bottom;
        bottom.mode = TriangleFan;
        // GLU's bottom apex normal reads the slice table at [stacks]; reproduce it.
        const float sa = stacks <= slices ? sin2a[stacks] : 0.0f;
        const float ca = stacks <= slices ? cos2a[stacks] : 0.0f;
        const float nb[3] = {sa * sin2b[stacks], ca * sin2b[stacks], cos2b[stacks]};
        bottom.vertices.push_back(vertex(0.0f, 0.0f, static_cast<float>(-radius), nb));
        for (int i = 0; i <= slices; ++i) {
            const float ni[3] = {sin2a[i] * sin2b[stacks - 1], cos2a[i] * sin2b[stacks - 1], cos2b[stacks - 1]};
            bottom.vertices.push_back(
                vertex(sin1b[stacks - 1] * sin1a[i], sin1b[stacks - 1] * cos1a[i], cos1b[stacks - 1], ni));
        }
        shape.push_back(bottom);
    }
    for (int j = start; j < finish; ++j) {
        ShapePrimitive strip;
        strip.mode = QuadStrip;
        for (int i = 0; i <= slices; ++i) {
            const float s = 1 - static_cast<float>(i) / slices;
            const float high[3] = {sin2a[i] * sin2b[j + 1], cos2a[i] * sin2b[j + 1], cos2b[j + 1]};
            const float low[3] = {sin2a[i] * sin2b[j], cos2a[i] * sin2b[j], cos2b[j]};
            ShapeVertex a = vertex(sin1b[j + 1] * sin1a[i], sin1b[j + 1] * cos1a[i], cos1b[j + 1], high);
            ShapeVertex b = vertex(sin1b[j] * sin1a[i], sin1b[j] * cos1a[i], cos1b[j], low);
            if (textured) {
                a = texturedVertex(a.position[0], a.position[1], a.position[2], high, s,
                                   1 - static_cast<float>(j + 1) / stacks);
                b = texturedVertex(b.position[0], b.position[1], b.position[2], low, s,
                                   1 - static_cast<float>(j) / stacks);
            }
            strip.vertices.push_back(a);
            strip.vertices.push_back(b);
        }
        shape.push_back(strip);
    }
    return shape;
}

Shape quadricCylinder(double base, double top, double height, int slices, int stacks, bool textured)
{
    if (slices >= gluCacheSize) slices = gluCacheSize - 1;
    if (slices < 2 || stacks < 1 || base < 0.0 || top < 0.0 || height < 0.0) {
        return {};
    }
    const float deltaRadius = static_cast<float>(base - top);
    const float length = static_cast<float>(std::sqrt(deltaRadius * deltaRadius + height * height));
    if (length == 0.0f) {
        return {};
    }
    const float zNormal = deltaRadius / length;
    const float xyNormalRatio = static_cast<float>(height / length);
    float sinCache[gluCacheSize], cosCache[gluCacheSize], sinCache2[gluCacheSize], cosCache2[gluCacheSize];
    for (int i = 0; i < slices; ++i) {
        const float angle = static_cast<float>(2 * pi * i / slices);
        sinCache2[i] = static_cast<float>(xyNormalRatio * std::sin(static_cast<double>(angle)));
        cosCache2[i] = static_cast<float>(xyNormalRatio * std::cos(static_cast<double>(angle)));
        sinCache[i] = sinOf(angle);
        cosCache[i] = cosOf(angle);
    }
    sinCache[slices] = sinCache[0];
    cosCache[slices] = cosCache[0];
    sinCache2[slices] = sinCache2[0];
    cosCache2[slices] = cosCache2[0];

    Shape shape;
    for (int j = 0; j < stacks; ++j) {
        const float zLow = static_cast<float>(j * height / stacks);
        const float zHigh = static_cast<float>((j + 1) * height / stacks);
        const float radiusLow = static_cast<float>(base - deltaRadius * (static_cast<float>(j) / stacks));
        const float radiusHigh = static_cast<float>(base - deltaRadius * (static_cast<float>(j + 1) / stacks));
        ShapePrimitive strip;
        strip.mode = QuadStrip;
        for (int i = 0; i <= slices; ++i) {
            const float n[3] = {sinCache2[i], cosCache2[i], zNormal};
            const float s = 1 - static_cast<float>(i) / slices;
            ShapeVertex low = vertex(radiusLow * sinCache[i], radiusLow * cosCache[i], zLow, n);
            ShapeVertex high = vertex(radiusHigh * sinCache[i], radiusHigh * cosCache[i], zHigh, n);
            if (textured) {
                low = texturedVertex(low.position[0], low.position[1], low.position[2], n, s,
                                     static_cast<float>(j) / stacks);
                high = texturedVertex(high.position[0], high.position[1], high.position[2], n, s,
                                      static_cast<float>(j + 1) / stacks);
            }
            strip.vertices.push_back(low);
            strip.vertices.push_back(high);
        }
        shape.push_back(strip);
    }
    return shape;
}

Shape solidSphere(double radiusArgument, int slices, int stacks)
{
    if (slices == 0 || stacks < 2) {
        return {};
    }
    const float radius = static_cast<float>(radiusArgument);
    std::vector<float> sint1, cost1, sint2, cost2;
    circleTable(sint1, cost1, -slices, false);
    circleTable(sint2, cost2, stacks, true);

    std::vector<ShapeVertex> vertices;
    const float up[3] = {0.0f, 0.0f, 1.0f};
    vertices.push_back(vertex(0.0f, 0.0f, radius, up));
    for (int i = 1; i < stacks; ++i) {
        for (int j = 0; j < slices; ++j) {
            const float n[3] = {cost1[static_cast<std::size_t>(j)] * sint2[static_cast<std::size_t>(i)],
                                sint1[static_cast<std::size_t>(j)] * sint2[static_cast<std::size_t>(i)],
                                cost2[static_cast<std::size_t>(i)]};
            vertices.push_back(vertex(n[0] * radius, n[1] * radius, n[2] * radius, n));
        }
    }
    const float down[3] = {0.0f, 0.0f, -1.0f};
    vertices.push_back(vertex(0.0f, 0.0f, -radius, down));
    const int last = static_cast<int>(vertices.size()) - 1;

    // Every stack, the caps included, is one triangle strip.
    std::vector<int> indices;
    for (int j = 0; j < slices; ++j) {
        indices.push_back(j + 1);
        indices.push_back(0);
    }
    indices.push_back(1);
    indices.push_back(0);
    for (int i = 0; i < stacks - 2; ++i) {
        const int offset = 1 + i * slices;
        for (int j = 0; j < slices; ++j) {
            indices.push_back(offset + j + slices);
            indices.push_back(offset + j);
        }
        indices.push_back(offset + slices);
        indices.push_back(offset);
    }
    const int offset = 1 + (stacks - 2) * slices;
    for (int j = 0; j < slices; ++j) {
        indices.push_back(last);
        indices.push_back(offset + j);
    }
    indices.push_back(last);
    indices.push_back(offset);
    return expandIndexed(TriangleStrip, vertices, indices, stacks, (slices + 1) * 2);
}

Shape solidCube(double sizeArgument)
{
    static const float corners[8][3] = {
        {0.5f, 0.5f, 0.5f},   {-0.5f, 0.5f, 0.5f},  {-0.5f, -0.5f, 0.5f}, {0.5f, -0.5f, 0.5f},
        {0.5f, -0.5f, -0.5f}, {0.5f, 0.5f, -0.5f},  {-0.5f, 0.5f, -0.5f}, {-0.5f, -0.5f, -0.5f},
    };
    static const float faceNormals[6][3] = {
        {0.0f, 0.0f, 1.0f}, {1.0f, 0.0f, 0.0f},  {0.0f, 1.0f, 0.0f},
        {-1.0f, 0.0f, 0.0f}, {0.0f, -1.0f, 0.0f}, {0.0f, 0.0f, -1.0f},
    };
    static const int faceCorners[6][4] = {
        {0, 1, 2, 3}, {0, 3, 4, 5}, {0, 5, 6, 1}, {1, 6, 7, 2}, {7, 4, 3, 2}, {4, 7, 6, 5},
    };
    static const int quadAsTriangles[6] = {0, 1, 2, 0, 2, 3};
    const float size = static_cast<float>(sizeArgument);

    std::vector<ShapeVertex> vertices;
    std::vector<int> indices;
    for (int face = 0; face < 6; ++face) {
        for (int k = 0; k < 4; ++k) {
            const float* c = corners[faceCorners[face][k]];
            if (size != 1.0f) {
                vertices.push_back(vertex(size * c[0], size * c[1], size * c[2], faceNormals[face]));
            } else {
                vertices.push_back(vertex(c[0], c[1], c[2], faceNormals[face]));
            }
        }
        for (int k : quadAsTriangles) {
            indices.push_back(face * 4 + k);
        }
    }
    return expandIndexed(Triangles, vertices, indices, 1, static_cast<int>(indices.size()));
}

std::vector<std::size_t> triangleOrder(PrimitiveMode mode, std::size_t n)
{
    std::vector<std::size_t> out;
    switch (mode) {
    case Triangles:
        for (std::size_t k = 0; k + 2 < n; k += 3) {
            out.insert(out.end(), {k, k + 1, k + 2});
        }
        break;
    case TriangleStrip:
    case QuadStrip:  // a quad strip covers the same triangles as a triangle strip
        for (std::size_t k = 0; k + 2 < n; ++k) {
            if (k % 2 == 0) {
                out.insert(out.end(), {k, k + 1, k + 2});
            } else {
                out.insert(out.end(), {k + 1, k, k + 2});
            }
        }
        if (mode == QuadStrip && n % 2 == 1 && n >= 3) {
            out.resize(out.size() - 3);  // a quad strip ignores an odd last vertex
        }
        break;
    case TriangleFan:
    case Polygon:
        for (std::size_t k = 1; k + 1 < n; ++k) {
            out.insert(out.end(), {std::size_t{0}, k, k + 1});
        }
        break;
    default:
        break;
    }
    return out;
}

std::vector<std::size_t> lineOrder(std::size_t n)
{
    std::vector<std::size_t> out;
    for (std::size_t k = 0; k + 1 < n; k += 2) {
        out.insert(out.end(), {k, k + 1});
    }
    return out;
}

}  // namespace web
