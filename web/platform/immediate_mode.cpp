// GL's immediate mode (glBegin, glVertex, glEnd). The material may change
// between two vertices of one primitive (the meter's bar), so each vertex is
// lit on the CPU as it comes, with fixed_function_lighting.cpp's equation, and the primitive
// goes out with its colours as triangles (or lines) through a stream buffer.
// WebGL's lines are 1 pixel wide, as GL's are in the game's 1000 x 500 window;
// in a finer buffer they go out as quads as wide as such a line, so that they
// keep their look.
#include "webgl_layer.h"

#include "shapes.h"

#include <cmath>
#include <cstring>

namespace web {

namespace {

struct ImmediateState {
    GLenum mode = GL_TRIANGLES;
    std::vector<Vertex> vertices;
    GLuint streamBuffer = 0;
};

ImmediateState immediate;

// The height of the window whose pixel a line is as wide as.
constexpr float lineWindowHeight = 500.0f;

// Each line of ends (pairs of vertices) as two triangles width pixels wide
// across it, with its ends' colours, placed in normalised device coordinates:
// the matrices are applied here. Lines with an end behind the eye are left out.
std::vector<Vertex> lineQuads(const std::vector<Vertex>& ends, float width)
{
    const Matrix toClip = multiply(gl.projection.back(), gl.modelview.back());
    const float halfWidth = static_cast<float>(gl.viewport[2]) / 2.0f;
    const float halfHeight = static_cast<float>(gl.viewport[3]) / 2.0f;
    std::vector<Vertex> quads;
    for (std::size_t i = 0; i + 1 < ends.size(); i += 2) {
        Vertex at[2] = {ends[i], ends[i + 1]};
        bool inFront = true;
        for (Vertex& v : at) {
            float clip[4];
            for (int row = 0; row < 4; ++row) {
                clip[row] = toClip.m[row] * v.position[0] + toClip.m[4 + row] * v.position[1] +
                            toClip.m[8 + row] * v.position[2] + toClip.m[12 + row];
            }
            inFront = inFront && clip[3] > 0.0f;
            for (int k = 0; k < 3; ++k) v.position[k] = clip[k] / clip[3];
        }
        // Across the line by half its width, in pixels, then back to device units.
        const float dx = (at[1].position[0] - at[0].position[0]) * halfWidth;
        const float dy = (at[1].position[1] - at[0].position[1]) * halfHeight;
        const float length = std::sqrt(dx * dx + dy * dy);
        if (!inFront || length == 0.0f) {
            continue;
        }
        const float acrossX = -dy / length * (width / 2.0f) / halfWidth;
        const float acrossY = dx / length * (width / 2.0f) / halfHeight;
        Vertex corners[4] = {at[0], at[0], at[1], at[1]};
        for (int c = 0; c < 4; ++c) {
            const float side = c == 0 || c == 3 ? -1.0f : 1.0f;
            corners[c].position[0] += side * acrossX;
            corners[c].position[1] += side * acrossY;
        }
        for (int c : {0, 1, 2, 0, 2, 3}) quads.push_back(corners[c]);
    }
    return quads;
}

void streamAndDraw(GLenum mode, const std::vector<Vertex>& data)
{
    emscripten_glBindBuffer(arrayBuffer, immediate.streamBuffer);
    emscripten_glBufferData(arrayBuffer, static_cast<long>(data.size() * sizeof(Vertex)), data.data(), streamDraw);
    sendUniforms(true, false);
    std::vector<float> instance;
    appendInstance(instance);
    drawInstances(mode, static_cast<GLsizei>(data.size()), instance, false);
}

}  // namespace

void startImmediateMode()
{
    emscripten_glGenBuffers(1, &immediate.streamBuffer);
}

void beginPrimitive(GLenum mode)
{
    immediate.mode = mode;
    immediate.vertices.clear();
}

void addVertex(float x, float y, float z)
{
    Vertex v{};
    v.position[0] = x;
    v.position[1] = y;
    v.position[2] = z;
    std::memcpy(v.normal, gl.normal, sizeof v.normal);
    std::memcpy(v.texCoord, gl.texCoord, sizeof v.texCoord);
    // Lit now, with the material of this moment, in eye space.
    float nm[9];
    normalMatrix(gl.modelview.back(), nm);
    float n[3];
    applyNormalMatrix(nm, gl.normal, n);
    LightState light = gl.light;
    light.enabled = gl.lighting && gl.light.enabled;
    lightVertex(light, gl.material, n, v.colour);
    immediate.vertices.push_back(v);
}

void endPrimitive()
{
    flushShapes();
    const bool lines = immediate.mode == GL_LINES;
    const std::vector<std::size_t> order =
        lines ? lineOrder(immediate.vertices.size())
              : triangleOrder(static_cast<PrimitiveMode>(immediate.mode), immediate.vertices.size());
    if (order.empty()) {
        return;
    }
    std::vector<Vertex> data;
    data.reserve(order.size());
    for (std::size_t i : order) {
        data.push_back(immediate.vertices[i]);
    }
    const float lineWidth = static_cast<float>(gl.viewport[3]) / lineWindowHeight;
    if (!lines || lineWidth <= 1.0f) {
        streamAndDraw(lines ? GL_LINES : GL_TRIANGLES, data);
        return;
    }
    // The quads are in device coordinates already: drawn with both matrices
    // the identity, then the game's put back.
    const std::vector<Vertex> quads = lineQuads(data, lineWidth);
    const Matrix projection = gl.projection.back();
    const Matrix modelview = gl.modelview.back();
    gl.projection.back() = Matrix{};
    gl.modelview.back() = Matrix{};
    streamAndDraw(GL_TRIANGLES, quads);
    gl.projection.back() = projection;
    gl.modelview.back() = modelview;
}

}  // namespace web
