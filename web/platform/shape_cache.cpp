// The quadrics and solids, each tessellated once (shapes.cpp) and kept in
// buffers with each distinct vertex once and its triangles as 16-bit indices.
// A shape wholly out of view is skipped; draws of the same shape that follow
// one another with nothing changed in between but the model-view (the ten
// spheres of a tree crown) wait and go out as one instanced call, in order.
// A round shape small on screen is drawn coarser (tessellation_levels.h): a
// level is a second index buffer into the same vertices, made the first time
// it is drawn. Waiting draws go out together at the finest level among them
// (a crown's nearest sphere's), so the levels add no draw calls. An opaque
// closed sphere seen from outside is drawn without its far side (culled).
#include "webgl_layer.h"

#include "shapes.h"
#include "tessellation_levels.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
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

// What the game asked for: kind, sizes a, b, c, slices, stacks, textured.
using ShapeKey = std::tuple<int, double, double, double, int, int, bool>;

// A coarser drawing of a kept shape: every few of its slices and stacks, as
// indices into its vertices.
struct Level {
    TessellationLevel size;
    GLuint indexBuffer = 0;
    GLsizei count = 0;  // indices
};

struct Mesh {
    ShapeKey key;
    GLuint buffer = 0;       // each distinct vertex once
    GLuint indexBuffer = 0;  // the triangles, three 16-bit indices each
    GLsizei count = 0;       // indices
    bool hasTexCoords = false;
    float lastNormal[3] = {0.0f, 0.0f, 1.0f};
    float lastTexCoord[2] = {0.0f, 0.0f};
    float centre[3] = {0.0f, 0.0f, 0.0f};  // a sphere holding every vertex
    float radius = 0.0f;
    float outline = 0.0f;  // the radius of a round shape's outline; 0 for the cube
    // A closed sphere whose triangles all wind counter-clockwise (1) or
    // clockwise (-1) seen from outside; 0: not one to cull.
    int outsideWinding = 0;
    std::vector<Level> levels;  // the coarser ones drawn so far
};

struct ShapeCache {
    std::map<ShapeKey, Mesh> meshes;
    bool levelsOn = true;  // off: every shape as the game asked for it
    // The draws of one shape waiting to go out together: the level and the
    // model-view and normal matrices of each.
    Mesh* pendingMesh = nullptr;
    std::vector<TessellationLevel> pendingLevels;
    std::vector<float> pendingInstances;
    bool pendingOutside = true;  // every one wholly beyond the near plane, not mirrored
};

ShapeCache cache;

// A shape's vertices each once, with position, normal and texture coordinate.
using VertexKey = std::array<float, 8>;

// The distinct vertices of a tessellated shape and its triangles as indices into them.
struct IndexedShape {
    std::vector<Vertex> vertices;
    std::vector<unsigned short> indices;
    std::map<VertexKey, unsigned short> byKey;
};

template <typename AnyVertex>
VertexKey keyOf(const AnyVertex& v)
{
    return {v.position[0], v.position[1], v.position[2], v.normal[0],
            v.normal[1],   v.normal[2],   v.texCoord[0], v.texCoord[1]};
}

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

// Each distinct vertex once (neighbouring strips share a row), and the
// triangles GL draws of each primitive as indices into them.
IndexedShape indexed(const Shape& shape)
{
    IndexedShape out;
    for (const ShapePrimitive& primitive : shape) {
        std::vector<unsigned short> global;  // the primitive's vertices in out.vertices
        for (const ShapeVertex& s : primitive.vertices) {
            const auto known = out.byKey.emplace(keyOf(s), static_cast<unsigned short>(out.vertices.size()));
            if (known.second) {
                Vertex v{};
                std::memcpy(v.position, s.position, sizeof v.position);
                std::memcpy(v.normal, s.normal, sizeof v.normal);
                std::memcpy(v.texCoord, s.texCoord, sizeof v.texCoord);
                out.vertices.push_back(v);
            }
            global.push_back(known.first->second);
        }
        for (std::size_t at : triangleOrder(primitive.mode, primitive.vertices.size())) {
            out.indices.push_back(global[at]);
        }
    }
    return out;
}

// The full shape's vertex nearest to s in position, normal and texture
// coordinate, for a coarse vertex whose sines rounded differently.
unsigned short nearestVertex(const std::vector<Vertex>& vertices, const ShapeVertex& s)
{
    const VertexKey key = keyOf(s);
    unsigned short best = 0;
    float bestDistance = std::numeric_limits<float>::infinity();
    for (std::size_t i = 0; i < vertices.size(); ++i) {
        const VertexKey v = keyOf(vertices[i]);
        float distance = 0.0f;
        for (std::size_t k = 0; k < key.size(); ++k) {
            distance += (v[k] - key[k]) * (v[k] - key[k]);
        }
        if (distance < bestDistance) {
            bestDistance = distance;
            best = static_cast<unsigned short>(i);
        }
    }
    return best;
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

// How a closed sphere's triangles wind seen from outside (Mesh::outsideWinding).
int outsideWinding(const IndexedShape& shape, const Mesh& mesh)
{
    int ccw = 0, cw = 0;
    for (std::size_t t = 0; t + 2 < shape.indices.size(); t += 3) {
        const float* a = shape.vertices[shape.indices[t]].position;
        const float* b = shape.vertices[shape.indices[t + 1]].position;
        const float* c = shape.vertices[shape.indices[t + 2]].position;
        const float u[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]}, v[3] = {c[0] - a[0], c[1] - a[1], c[2] - a[2]};
        const float n[3] = {u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2], u[0] * v[1] - u[1] * v[0]};
        float out = 0.0f;  // along the way out from the centre
        for (int k = 0; k < 3; ++k) out += n[k] * ((a[k] + b[k] + c[k]) / 3.0f - mesh.centre[k]);
        (out > 0.0f ? ccw : cw) += out != 0.0f ? 1 : 0;
    }
    return cw == 0 && ccw > 0 ? 1 : ccw == 0 && cw > 0 ? -1 : 0;
}

Shape tessellate(const ShapeKey& key, TessellationLevel level)
{
    return tessellate(static_cast<ShapeKind>(std::get<0>(key)), std::get<1>(key), std::get<2>(key),
                      std::get<3>(key), level.slices, level.stacks, std::get<6>(key));
}

// The slices and stacks the game asked for.
TessellationLevel askedLevel(const Mesh& mesh)
{
    return TessellationLevel{std::get<4>(mesh.key), std::get<5>(mesh.key)};
}

// Deletes a kept shape's buffers, its levels' too.
void releaseMesh(Mesh& mesh)
{
    emscripten_glDeleteBuffers(1, &mesh.buffer);
    emscripten_glDeleteBuffers(1, &mesh.indexBuffer);
    for (Level& level : mesh.levels) {
        emscripten_glDeleteBuffers(1, &level.indexBuffer);
    }
    mesh.levels.clear();
}

Mesh& meshFor(ShapeKind kind, double a, double b, double c, int slices, int stacks, bool textured)
{
    const ShapeKey key = std::make_tuple(static_cast<int>(kind), a, b, c, slices, stacks, textured);
    const auto found = cache.meshes.find(key);
    if (found != cache.meshes.end()) {
        return found->second;
    }
    if (cache.meshes.size() >= maxKeptShapes) {
        flushShapes();
        for (auto& entry : cache.meshes) {
            releaseMesh(entry.second);
        }
        cache.meshes.clear();
    }
    const Shape shape = tessellate(key, TessellationLevel{slices, stacks});
    Mesh mesh;
    mesh.key = key;
    IndexedShape full = indexed(shape);
    for (const ShapePrimitive& primitive : shape) {
        if (!primitive.vertices.empty()) {
            const ShapeVertex& last = primitive.vertices.back();
            std::memcpy(mesh.lastNormal, last.normal, sizeof mesh.lastNormal);
            std::memcpy(mesh.lastTexCoord, last.texCoord, sizeof mesh.lastTexCoord);
            mesh.hasTexCoords = last.hasTexCoord;
        }
    }
    boundingSphere(full.vertices, mesh);
    if (kind == GluSphere || kind == GlutSphere) {
        mesh.outsideWinding = outsideWinding(full, mesh);
    }
    const double outlines[] = {a, std::max(a, b), a, 0.0};  // by kind: the radius, the wider end, none
    mesh.outline = static_cast<float>(outlines[kind]);
    if (full.vertices.size() > maxIndexedVertices) {
        std::fprintf(stderr, "a shape of %zu vertices is too large to draw\n", full.vertices.size());
        full.vertices.clear();
        full.indices.clear();
    }
    mesh.count = static_cast<GLsizei>(full.indices.size());
    emscripten_glGenBuffers(1, &mesh.buffer);
    emscripten_glBindBuffer(arrayBuffer, mesh.buffer);
    emscripten_glBufferData(arrayBuffer, static_cast<long>(full.vertices.size() * sizeof(Vertex)),
                            full.vertices.data(), staticDraw);
    emscripten_glGenBuffers(1, &mesh.indexBuffer);
    emscripten_glBindBuffer(elementArrayBuffer, mesh.indexBuffer);
    emscripten_glBufferData(elementArrayBuffer, static_cast<long>(full.indices.size() * sizeof(unsigned short)),
                            full.indices.data(), staticDraw);
    return cache.meshes.emplace(key, mesh).first->second;
}

// The level a round shape is drawn at here: from the size of its outline on
// screen under the current matrices and viewport.
TessellationLevel levelFor(const Mesh& mesh)
{
    const TessellationLevel full = askedLevel(mesh);
    if (!cache.levelsOn || mesh.outline <= 0.0f || gl.viewport[2] <= 0 || gl.viewport[3] <= 0) {
        return full;
    }
    const float pixels = mesh.outline * pixelsPerUnit(gl.modelview.back(), gl.projection.back(), mesh.centre,
                                                      mesh.radius, gl.viewport[2], gl.viewport[3]);
    return chosenLevel(pixels, full.slices, full.stacks, std::get<0>(mesh.key) == GluCylinder);
}

// The coarser level of a kept shape, made the first time it is drawn: the
// shape tessellated at that level, each vertex found among the full shape's
// (so normals and texture coordinates are the full shape's own), as indices.
const Level& levelOf(Mesh& mesh, TessellationLevel size)
{
    for (const Level& level : mesh.levels) {
        if (level.size.slices == size.slices && level.size.stacks == size.stacks) {
            return level;
        }
    }
    const IndexedShape full = indexed(tessellate(mesh.key, askedLevel(mesh)));
    std::vector<unsigned short> indices;
    for (const ShapePrimitive& primitive : tessellate(mesh.key, size)) {
        std::vector<unsigned short> global;
        for (const ShapeVertex& s : primitive.vertices) {
            const auto found = full.byKey.find(keyOf(s));
            global.push_back(found != full.byKey.end() ? found->second : nearestVertex(full.vertices, s));
        }
        for (std::size_t at : triangleOrder(primitive.mode, primitive.vertices.size())) {
            indices.push_back(global[at]);
        }
    }
    Level level;
    level.size = size;
    level.count = static_cast<GLsizei>(indices.size());
    emscripten_glGenBuffers(1, &level.indexBuffer);
    emscripten_glBindBuffer(elementArrayBuffer, level.indexBuffer);
    emscripten_glBufferData(elementArrayBuffer, static_cast<long>(indices.size() * sizeof(unsigned short)),
                            indices.data(), staticDraw);
    mesh.levels.push_back(level);
    return mesh.levels.back();
}

// Whether a kept shape lies wholly outside the view volume, where GL would
// clip away every triangle of it: its bounding sphere, carried to eye space,
// against the six planes of the projection.
bool outOfView(const Mesh& mesh, bool& beyondNear)
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
    beyondNear = false;
    for (int axis = 0; axis < 3; ++axis) {
        for (float side : {1.0f, -1.0f}) {
            float plane[4];
            for (int k = 0; k < 4; ++k) plane[k] = p[k * 4 + 3] + side * p[k * 4 + axis];
            const float length = std::sqrt(plane[0] * plane[0] + plane[1] * plane[1] + plane[2] * plane[2]);
            const float distance = plane[0] * eye[0] + plane[1] * eye[1] + plane[2] * eye[2] + plane[3] * eye[3];
            if (length > 0.0f && distance < -radius * length) {
                return true;
            }
            if (axis == 2 && side > 0.0f) {  // the near plane, where clip space's z = -w
                beyondNear = length > 0.0f && distance > radius * length;
            }
        }
    }
    return false;
}

// Whether what is drawn now covers what lies behind it: depth tested, alpha 1
// (the material's, and a texture without alpha), blended so that alpha 1 replaces.
bool drawsOpaque()
{
    const bool replaces = !gl.blend || (gl.blendSource == GL_SRC_ALPHA && gl.blendDestination == GL_ONE_MINUS_SRC_ALPHA) ||
                          (gl.blendSource == GL_ONE && gl.blendDestination == GL_ZERO);
    const auto texture = gl.textures.find(gl.boundTexture);
    const bool opaqueTexture = !gl.texturing || texture == gl.textures.end() || !texture->second.defined ||
                               texture->second.image.format == GL_RGB || texture->second.image.format == GL_LUMINANCE;
    return gl.depthTest && replaces && opaqueTexture && gl.material.diffuse[3] >= 1.0f;
}

// Whether the model-view keeps a shape's windings (no mirror in it).
bool keepsHandedness()
{
    const float* m = gl.modelview.back().m;
    return m[0] * (m[5] * m[10] - m[6] * m[9]) - m[4] * (m[1] * m[10] - m[2] * m[9]) +
               m[8] * (m[1] * m[6] - m[2] * m[5]) > 0.0f;
}

}  // namespace

void flushShapes()
{
    Mesh* mesh = cache.pendingMesh;
    if (mesh == nullptr) {
        return;
    }
    cache.pendingMesh = nullptr;
    const bool opaque = cache.levelsOn && drawsOpaque();
    // Seen from outside, an opaque closed sphere's far side lies behind its near side.
    const GLenum front = opaque && cache.pendingOutside && mesh->outsideWinding != 0
                             ? (mesh->outsideWinding > 0 ? GL_CCW : GL_CW) : 0;
    sendUniforms(false, !mesh->hasTexCoords);
    const TessellationLevel asked = askedLevel(*mesh);
    // One call for the group (a tree's crown), all at the finest level among
    // them (its nearest member's), so that the levels add no draw calls.
    TessellationLevel finest = cache.pendingLevels[0];
    for (const TessellationLevel& level : cache.pendingLevels) {
        finest.slices = std::max(finest.slices, level.slices);
        finest.stacks = std::max(finest.stacks, level.stacks);
    }
    GLuint indexBuffer = mesh->indexBuffer;
    GLsizei count = mesh->count;
    if (finest.slices != asked.slices || finest.stacks != asked.stacks) {
        const Level& level = levelOf(*mesh, finest);
        indexBuffer = level.indexBuffer;
        count = level.count;
    }
    emscripten_glBindBuffer(arrayBuffer, mesh->buffer);
    emscripten_glBindBuffer(elementArrayBuffer, indexBuffer);
    drawInstances(GL_TRIANGLES, count, cache.pendingInstances, true, front);
    cache.pendingInstances.clear();
    cache.pendingLevels.clear();
}

void drawShape(ShapeKind kind, double a, double b, double c, int slices, int stacks, bool textured,
               bool leavesAttributes)
{
    Mesh& mesh = meshFor(kind, a, b, c, slices, stacks, textured);
    bool beyondNear = false;
    if (mesh.count > 0 && !outOfView(mesh, beyondNear)) {
        if (cache.pendingMesh != &mesh) {
            flushShapes();
            cache.pendingMesh = &mesh;
            cache.pendingOutside = true;
        }
        cache.pendingLevels.push_back(levelFor(mesh));
        cache.pendingOutside = cache.pendingOutside && beyondNear && keepsHandedness();
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
    cache.pendingLevels.clear();
    cache.meshes.clear();
}

void setTessellationLevels(bool on)
{
    flushShapes();
    cache.levelsOn = on;
}

}  // namespace web
