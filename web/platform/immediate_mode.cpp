// GL's immediate mode (glBegin, glVertex, glEnd). The material may change
// between two vertices of one primitive (the meter's bar), so each vertex is
// lit on the CPU as it comes, with fixed_function_lighting.cpp's equation, and the primitive
// goes out with its colours as triangles (or lines) through a stream buffer.
#include "webgl_layer.h"

#include "shapes.h"

#include <cstring>

namespace web {

namespace {

struct ImmediateState {
    GLenum mode = GL_TRIANGLES;
    std::vector<Vertex> vertices;
    GLuint streamBuffer = 0;
};

ImmediateState immediate;

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
    emscripten_glBindBuffer(arrayBuffer, immediate.streamBuffer);
    emscripten_glBufferData(arrayBuffer, static_cast<long>(data.size() * sizeof(Vertex)), data.data(), streamDraw);
    sendUniforms(true, false);
    std::vector<float> instance;
    appendInstance(instance);
    drawInstances(lines ? GL_LINES : GL_TRIANGLES, static_cast<GLsizei>(data.size()), instance, false);
}

}  // namespace web
