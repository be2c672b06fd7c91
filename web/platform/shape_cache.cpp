// The quadrics and solids, each tessellated once (shapes.cpp) and kept in
// buffers with each distinct vertex once and its triangles as 16-bit indices.
// A shape wholly out of view is skipped; draws of the same shape that follow
// one another with nothing changed in between but the model-view (the ten
// spheres of a tree crown) wait and go out as one instanced call, in order.
#include "webgl_layer.h"

#include "shapes.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <tuple>

namespace web {

namespace {

// Sizes that change every frame (the blasts) would fill the cache: it starts
// again when it holds this many shapes.
constexpr std::size_t maxKeptShapes = 512;
// The most vertices 16-bit indices reach.
constexpr std::size_t maxIndexedVertices = 65535;
// The bounding sphere is made this much larger, room for rounding.
constexpr float boundsMargin = 1.001f;

struct Mesh {
    GLuint buffer = 0;       // each distinct vertex once
    GLuint indexBuffer = 0;  // the triangles, three 16-bit indices each
    GLsizei count = 0;       // indices
    bool hasTexCoords = false;
    float lastNormal[3] = {0.0f, 0.0f, 1.0f};
    float lastTexCoord[2] = {0.0f, 0.0f};
    float centre[3] = {0.0f, 0.0f, 0.0f};  // a sphere holding every vertex
    float radius = 0.0f;
};

using ShapeKey = std::tuple<int, double, double, double, int, int, bool>;

struct ShapeCache {
    std::map<ShapeKey, Mesh> meshes;
    // The draws waiting to go out as one instanced call: one shape, and the
    // model-view and normal matrices of each draw.
    const Mesh* pendingMesh = nullptr;
    std::vector<float> pendingInstances;
};

ShapeCache cache;

Shape tessellate(ShapeKind kind, double a, double b, double c, int slices, int stacks, bool textured)
{
    switch (kind) {
    case GluSphere: return quadricSphere(a, slices, stacks, textured);
    case GluCylinder: return quadricCylinder(a, b, c, slices, stacks, textured);
    case GlutSphere: return solidSphere(a, slices, stacks);
    case GlutCube: return solidCube(a);
    }
    return {};
}

// The middle of the box around the vertices, and the distance to the farthest.
void boundingSphere(const std::vector<Vertex>& data, Mesh& mesh)
{
    if (data.empty()) {
        return;
    }
    float low[3] = {data[0].position[0], data[0].position[1], data[0].position[2]};
    float high[3] = {low[0], low[1], low[2]};
    for (const Vertex& v : data) {
        for (int i = 0; i < 3; ++i) {
            low[i] = std::min(low[i], v.position[i]);
            high[i] = std::max(high[i], v.position[i]);
        }
    }
    for (int i = 0; i < 3; ++i) mesh.centre[i] = (low[i] + high[i]) / 2.0f;
    for (const Vertex& v : data) {
        const float dx = v.position[0] - mesh.centre[0], dy = v.position[1] - mesh.centre[1],
                    dz = v.position[2] - mesh.centre[2];
        mesh.radius = std::max(mesh.radius, std::sqrt(dx * dx + dy * dy + dz * dz));
    }
    mesh.radius *= boundsMargin;
}

const Mesh& meshFor(ShapeKind kind, double a, double b, double c, int slices, int stacks, bool textured)
{
    const ShapeKey key = std::make_tuple(static_cast<int>(kind), a, b, c, slices, stacks, textured);
    const auto found = cache.meshes.find(key);
    if (found != cache.meshes.end()) {
        return found->second;
    }
    if (cache.meshes.size() >= maxKeptShapes) {
        flushShapes();
        for (auto& entry : cache.meshes) {
            emscripten_glDeleteBuffers(1, &entry.second.buffer);
            emscripten_glDeleteBuffers(1, &entry.second.indexBuffer);
        }
        cache.meshes.clear();
    }
    const Shape shape = tessellate(kind, a, b, c, slices, stacks, textured);
    // Each distinct vertex once (neighbouring strips share a row), and the
    // triangles GL draws of each primitive as indices into them.
    Mesh mesh;
    std::vector<Vertex> data;
    std::vector<unsigned short> indices;
    std::map<std::vector<float>, unsigned short> seen;
    for (const ShapePrimitive& primitive : shape) {
        std::vector<unsigned short> global;  // the primitive's vertices in data
        for (const ShapeVertex& s : primitive.vertices) {
            Vertex v{};
            std::memcpy(v.position, s.position, sizeof v.position);
            std::memcpy(v.normal, s.normal, sizeof v.normal);
            std::memcpy(v.texCoord, s.texCoord, sizeof v.texCoord);
            const std::vector<float> attributes(v.position, v.position + 8);
            const auto known = seen.find(attributes);
            if (known != seen.end()) {
                global.push_back(known->second);
            } else {
                global.push_back(static_cast<unsigned short>(data.size()));
                seen.emplace(attributes, global.back());
                data.push_back(v);
            }
        }
        for (std::size_t at : triangleOrder(primitive.mode, primitive.vertices.size())) {
            indices.push_back(global[at]);
        }
        if (!primitive.vertices.empty()) {
            const ShapeVertex& last = primitive.vertices.back();
            std::memcpy(mesh.lastNormal, last.normal, sizeof mesh.lastNormal);
            std::memcpy(mesh.lastTexCoord, last.texCoord, sizeof mesh.lastTexCoord);
            mesh.hasTexCoords = last.hasTexCoord;
        }
    }
    boundingSphere(data, mesh);
    if (data.size() > maxIndexedVertices) {
        std::fprintf(stderr, "a shape of %zu vertices is too large to draw\n", data.size());
        data.clear();
        indices.clear();
    }
    mesh.count = static_cast<GLsizei>(indices.size());
    emscripten_glGenBuffers(1, &mesh.buffer);
    emscripten_glBindBuffer(arrayBuffer, mesh.buffer);
    emscripten_glBufferData(arrayBuffer, static_cast<long>(data.size() * sizeof(Vertex)), data.data(), staticDraw);
    emscripten_glGenBuffers(1, &mesh.indexBuffer);
    emscripten_glBindBuffer(elementArrayBuffer, mesh.indexBuffer);
    emscripten_glBufferData(elementArrayBuffer, static_cast<long>(indices.size() * sizeof(unsigned short)),
                            indices.data(), staticDraw);
    return cache.meshes.emplace(key, mesh).first->second;
}

// Whether a kept shape lies wholly outside the view volume, where GL would
// clip away every triangle of it: its bounding sphere, carried to eye space,
// against the six planes of the projection.
bool outOfView(const Mesh& mesh)
{
    const float* m = gl.modelview.back().m;
    const float* p = gl.projection.back().m;
    const float* c = mesh.centre;
    const float eye[4] = {m[0] * c[0] + m[4] * c[1] + m[8] * c[2] + m[12], m[1] * c[0] + m[5] * c[1] + m[9] * c[2] + m[13],
                          m[2] * c[0] + m[6] * c[1] + m[10] * c[2] + m[14], 1.0f};
    float scale = 0.0f;  // the longest axis of the model-view's 3 x 3 part
    for (int col = 0; col < 3; ++col) {
        scale = std::max(scale, std::sqrt(m[col * 4] * m[col * 4] + m[col * 4 + 1] * m[col * 4 + 1] +
                                          m[col * 4 + 2] * m[col * 4 + 2]));
    }
    const float radius = mesh.radius * scale;
    for (int axis = 0; axis < 3; ++axis) {
        for (float side : {1.0f, -1.0f}) {
            float plane[4];
            for (int k = 0; k < 4; ++k) plane[k] = p[k * 4 + 3] + side * p[k * 4 + axis];
            const float length = std::sqrt(plane[0] * plane[0] + plane[1] * plane[1] + plane[2] * plane[2]);
            const float distance = plane[0] * eye[0] + plane[1] * eye[1] + plane[2] * eye[2] + plane[3] * eye[3];
            if (length > 0.0f && distance < -radius * length) {
                return true;
            }
        }
    }
    return false;
}

}  // namespace

void flushShapes()
{
    const Mesh* mesh = cache.pendingMesh;
    if (mesh == nullptr) {
        return;
    }
    cache.pendingMesh = nullptr;
    emscripten_glBindBuffer(arrayBuffer, mesh->buffer);
    emscripten_glBindBuffer(elementArrayBuffer, mesh->indexBuffer);
    sendUniforms(false, !mesh->hasTexCoords);
    drawInstances(GL_TRIANGLES, mesh->count, cache.pendingInstances, true);
    cache.pendingInstances.clear();
}

void drawShape(ShapeKind kind, double a, double b, double c, int slices, int stacks, bool textured,
               bool leavesAttributes)
{
    const Mesh& mesh = meshFor(kind, a, b, c, slices, stacks, textured);
    if (mesh.count > 0 && !outOfView(mesh)) {
        if (cache.pendingMesh != &mesh) {
            flushShapes();
            cache.pendingMesh = &mesh;
        }
        appendInstance(cache.pendingInstances);
    }
    if (leavesAttributes && mesh.count > 0) {
        std::memcpy(gl.normal, mesh.lastNormal, sizeof gl.normal);
        if (mesh.hasTexCoords) {
            std::memcpy(gl.texCoord, mesh.lastTexCoord, sizeof gl.texCoord);
        }
    }
}

void dropShapes()
{
    // The old buffers went with the lost context: deleting them now would only
    // draw WebGL's complaints.
    cache.pendingMesh = nullptr;
    cache.pendingInstances.clear();
    cache.meshes.clear();
}

}  // namespace web
