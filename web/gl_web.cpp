// GL 1.1 and GLU as the game uses them, on WebGL 1: the matrix stacks, the
// current normal and texture coordinate, materials and the one light, the
// fixed texture ids, immediate mode, glRectf, gluPerspective, gluLookAt and
// the quadrics. One shader does GL's fixed-function work: it lights the
// quadrics and solids per vertex with the current material; immediate-mode
// vertices, whose material may change between two vertices of one primitive,
// are lit here on the CPU with the same equation and drawn with their colours.
// Each quadric and solid is tessellated once and kept in a buffer; draws of
// the same shape that follow one another with nothing changed in between but
// the model-view (the ten spheres of a tree crown) go out as one instanced
// call, in the same order. Uniforms are sent only when they change.
#include "web_gl.h"

#include "web.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <GL/glut.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <tuple>
#include <vector>

// WebGL's own entry points (emscripten names them so, leaving the GL names to us).
extern "C" {
void emscripten_glViewport(GLint, GLint, GLsizei, GLsizei);
void emscripten_glClear(GLbitfield);
void emscripten_glClearColor(GLfloat, GLfloat, GLfloat, GLfloat);
void emscripten_glEnable(GLenum);
void emscripten_glDisable(GLenum);
void emscripten_glBlendFunc(GLenum, GLenum);
void emscripten_glPixelStorei(GLenum, GLint);
void emscripten_glGenTextures(GLsizei, GLuint*);
void emscripten_glBindTexture(GLenum, GLuint);
void emscripten_glTexImage2D(GLenum, GLint, GLint, GLsizei, GLsizei, GLint, GLenum, GLenum, const void*);
void emscripten_glTexParameteri(GLenum, GLenum, GLint);
void emscripten_glGenBuffers(GLsizei, GLuint*);
void emscripten_glDeleteBuffers(GLsizei, const GLuint*);
void emscripten_glBindBuffer(GLenum, GLuint);
void emscripten_glBufferData(GLenum, long, const void*, GLenum);
GLuint emscripten_glCreateShader(GLenum);
void emscripten_glShaderSource(GLuint, GLsizei, const char* const*, const GLint*);
void emscripten_glCompileShader(GLuint);
void emscripten_glGetShaderiv(GLuint, GLenum, GLint*);
void emscripten_glGetShaderInfoLog(GLuint, GLsizei, GLsizei*, char*);
GLuint emscripten_glCreateProgram();
void emscripten_glAttachShader(GLuint, GLuint);
void emscripten_glBindAttribLocation(GLuint, GLuint, const char*);
void emscripten_glLinkProgram(GLuint);
void emscripten_glUseProgram(GLuint);
GLint emscripten_glGetUniformLocation(GLuint, const char*);
void emscripten_glUniformMatrix4fv(GLint, GLsizei, GLboolean, const GLfloat*);
void emscripten_glUniform4fv(GLint, GLsizei, const GLfloat*);
void emscripten_glUniform3fv(GLint, GLsizei, const GLfloat*);
void emscripten_glUniform2fv(GLint, GLsizei, const GLfloat*);
void emscripten_glUniform1f(GLint, GLfloat);
void emscripten_glUniform1i(GLint, GLint);
void emscripten_glEnableVertexAttribArray(GLuint);
void emscripten_glVertexAttribPointer(GLuint, GLint, GLenum, GLboolean, GLsizei, const void*);
void emscripten_glVertexAttribDivisorANGLE(GLuint, GLuint);
void emscripten_glDrawArraysInstancedANGLE(GLenum, GLint, GLsizei, GLsizei);
void emscripten_glDrawElementsInstancedANGLE(GLenum, GLsizei, GLenum, const void*, GLsizei);
}

namespace {

constexpr GLenum arrayBuffer = 0x8892;
constexpr GLenum elementArrayBuffer = 0x8893;
constexpr GLenum staticDraw = 0x88E4;
constexpr GLenum streamDraw = 0x88E0;
constexpr GLenum clampToEdge = 0x812F;
constexpr GLenum vertexShader = 0x8B31;
constexpr GLenum fragmentShader = 0x8B30;
constexpr GLenum compileStatus = 0x8B81;

// --- Matrices (column-major, as GL keeps them) -------------------------------------------
struct Matrix {
    float m[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
};

Matrix multiply(const Matrix& a, const Matrix& b)
{
    Matrix r;
    for (int col = 0; col < 4; ++col) {
        for (int row = 0; row < 4; ++row) {
            float sum = 0.0f;
            for (int k = 0; k < 4; ++k) {
                sum += a.m[k * 4 + row] * b.m[col * 4 + k];
            }
            r.m[col * 4 + row] = sum;
        }
    }
    return r;
}

// The inverse transpose of the upper 3 x 3, which carries normals to eye space.
void normalMatrix(const Matrix& a, float out[9])
{
    const float* m = a.m;
    const float c00 = m[5] * m[10] - m[9] * m[6], c01 = m[9] * m[2] - m[1] * m[10], c02 = m[1] * m[6] - m[5] * m[2];
    const float c10 = m[8] * m[6] - m[4] * m[10], c11 = m[0] * m[10] - m[8] * m[2], c12 = m[4] * m[2] - m[0] * m[6];
    const float c20 = m[4] * m[9] - m[8] * m[5], c21 = m[8] * m[1] - m[0] * m[9], c22 = m[0] * m[5] - m[4] * m[1];
    const float det = m[0] * c00 + m[4] * c01 + m[8] * c02;
    const float inv = det != 0.0f ? 1.0f / det : 0.0f;
    // The cofactors over the determinant, stored column by column.
    const float n[9] = {c00 * inv, c10 * inv, c20 * inv, c01 * inv, c11 * inv, c21 * inv,
                        c02 * inv, c12 * inv, c22 * inv};
    std::memcpy(out, n, sizeof n);
}

// --- The state GL keeps ------------------------------------------------------------------
struct Vertex {
    float position[3];
    float normal[3];
    float texCoord[2];
    float colour[4];
};

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

struct TextureSlot {
    GLuint handle = 0;
    bool defined = false;
};

struct Uniforms {
    GLint projection, litOnCpu, constantTexCoord, texCoord, baseColour, diffuse,
        specular, shininess, lightDirection, halfVector, lightOn, textured, sampler;
};

struct GlState {
    GLenum matrixMode = GL_MODELVIEW;
    std::vector<Matrix> modelview{Matrix{}};
    std::vector<Matrix> projection{Matrix{}};
    float normal[3] = {0.0f, 0.0f, 1.0f};
    float texCoord[2] = {0.0f, 0.0f};
    web::MaterialState material;
    web::LightState light;
    bool lighting = false;
    bool texturing = false;
    std::map<GLuint, TextureSlot> textures;
    GLuint boundTexture = 0;
    // immediate mode
    bool inside = false;
    GLenum mode = GL_TRIANGLES;
    std::vector<Vertex> vertices;
    // the renderer
    GLuint program = 0;
    GLuint streamBuffer = 0;
    GLuint instanceBuffer = 0;
    Uniforms u{};
    std::vector<float> sent;  // the uniform values last sent, in setUniforms' order
    // The draws waiting to go out as one instanced call: one shape, and the
    // model-view and normal matrices of each draw.
    const Mesh* pendingMesh = nullptr;
    std::vector<float> pendingInstances;
    std::map<std::tuple<int, double, double, double, int, int, bool>, Mesh> meshes;
};

GlState gl;

Matrix& current()
{
    return gl.matrixMode == GL_PROJECTION ? gl.projection.back() : gl.modelview.back();
}

void multiplyCurrent(const Matrix& by)
{
    current() = multiply(current(), by);
}

// --- The shader ---------------------------------------------------------------------------
const char* const vertexSource = R"(
attribute vec3 aPosition;
attribute vec3 aNormal;
attribute vec2 aTexCoord;
attribute vec4 aColour;
attribute mat4 aModelview;
attribute mat3 aNormalMatrix;
uniform mat4 uProjection;
uniform bool uLitOnCpu;
uniform bool uConstantTexCoord;
uniform vec2 uTexCoord;
uniform vec4 uBaseColour;
uniform vec4 uDiffuse;
uniform vec3 uSpecular;
uniform float uShininess;
uniform vec3 uLightDirection;
uniform vec3 uHalfVector;
uniform bool uLightOn;
varying vec4 vColour;
varying vec2 vTexCoord;
void main() {
    gl_Position = uProjection * (aModelview * vec4(aPosition, 1.0));
    vTexCoord = uConstantTexCoord ? uTexCoord : aTexCoord;
    if (uLitOnCpu) {
        vColour = aColour;
    } else {
        vec3 n = aNormalMatrix * aNormal;
        float nDotL = dot(n, uLightDirection);
        vec3 c = uBaseColour.rgb;
        if (uLightOn && nDotL > 0.0) {
            c += nDotL * uDiffuse.rgb;
            c += pow(max(dot(n, uHalfVector), 0.0), uShininess) * uSpecular;
        }
        vColour = vec4(clamp(c, 0.0, 1.0), uDiffuse.a);
    }
}
)";

const char* const fragmentSource = R"(
precision mediump float;
uniform sampler2D uSampler;
uniform bool uTextured;
varying vec4 vColour;
varying vec2 vTexCoord;
void main() {
    vec4 c = vColour;
    if (uTextured) {
        c *= texture2D(uSampler, vTexCoord);
    }
    gl_FragColor = c;
}
)";

GLuint compile(GLenum kind, const char* source)
{
    const GLuint shader = emscripten_glCreateShader(kind);
    emscripten_glShaderSource(shader, 1, &source, nullptr);
    emscripten_glCompileShader(shader);
    GLint ok = 0;
    emscripten_glGetShaderiv(shader, compileStatus, &ok);
    if (!ok) {
        char log[1024] = {};
        emscripten_glGetShaderInfoLog(shader, sizeof log, nullptr, log);
        std::fprintf(stderr, "shader: %s\n", log);
    }
    return shader;
}

enum Attribute : GLuint {
    PositionAttribute = 0,
    NormalAttribute = 1,
    TexCoordAttribute = 2,
    ColourAttribute = 3,
    ModelviewAttribute = 4,     // four columns, 4 to 7, one set per instance
    NormalMatrixAttribute = 8,  // three columns, 8 to 10
};
constexpr int instanceFloats = 16 + 9;

void pointAttributes()
{
    const GLsizei stride = sizeof(Vertex);
    emscripten_glVertexAttribPointer(PositionAttribute, 3, GL_FLOAT, GL_FALSE, stride,
                                     reinterpret_cast<const void*>(offsetof(Vertex, position)));
    emscripten_glVertexAttribPointer(NormalAttribute, 3, GL_FLOAT, GL_FALSE, stride,
                                     reinterpret_cast<const void*>(offsetof(Vertex, normal)));
    emscripten_glVertexAttribPointer(TexCoordAttribute, 2, GL_FLOAT, GL_FALSE, stride,
                                     reinterpret_cast<const void*>(offsetof(Vertex, texCoord)));
    emscripten_glVertexAttribPointer(ColourAttribute, 4, GL_FLOAT, GL_FALSE, stride,
                                     reinterpret_cast<const void*>(offsetof(Vertex, colour)));
}

// Everything the shader needs for one draw but the model-view, sent where it
// differs from what was sent last. litOnCpu: the vertices carry their colours.
void setUniforms(bool litOnCpu, bool constantTexCoord)
{
    const Uniforms& u = gl.u;
    const auto found = gl.textures.find(gl.boundTexture);
    const bool textured = gl.texturing && found != gl.textures.end() && found->second.defined;
    const web::MaterialState& m = gl.material;
    const web::LightState& l = gl.light;
    const bool lightOn = gl.lighting && l.enabled;
    float base[4], diffuse[4], specular[3];
    for (int c = 0; c < 3; ++c) {
        base[c] = m.emission[c] + l.sceneAmbient[c] * m.ambient[c] + (lightOn ? l.ambient[c] * m.ambient[c] : 0.0f);
        diffuse[c] = l.diffuse[c] * m.diffuse[c];
        specular[c] = l.specular[c] * m.specular[c];
    }
    base[3] = 1.0f;
    diffuse[3] = m.diffuse[3] < 0.0f ? 0.0f : (m.diffuse[3] > 1.0f ? 1.0f : m.diffuse[3]);
    float h[3] = {l.direction[0], l.direction[1], l.direction[2] + 1.0f};
    const float hl = std::sqrt(h[0] * h[0] + h[1] * h[1] + h[2] * h[2]);
    for (float& x : h) x = hl > 0.0f ? x / hl : x;

    // Each uniform with its values; flags go out as integers.
    struct Value {
        GLint location;
        int size;  // 1, 2, 3, 4 or 16 floats
        bool flag;
        const float* data;
    };
    const float litFlag = litOnCpu ? 1.0f : 0.0f, constantFlag = constantTexCoord ? 1.0f : 0.0f;
    const float texturedFlag = textured ? 1.0f : 0.0f, lightFlag = lightOn ? 1.0f : 0.0f;
    const Value values[] = {
        {u.projection, 16, false, gl.projection.back().m},
        {u.litOnCpu, 1, true, &litFlag},
        {u.constantTexCoord, 1, true, &constantFlag},
        {u.texCoord, 2, false, gl.texCoord},
        {u.textured, 1, true, &texturedFlag},
        {u.baseColour, 4, false, base},
        {u.diffuse, 4, false, diffuse},
        {u.specular, 3, false, specular},
        {u.shininess, 1, false, &m.shininess},
        {u.lightDirection, 3, false, l.direction},
        {u.halfVector, 3, false, h},
        {u.lightOn, 1, true, &lightFlag},
    };
    std::size_t at = 0;
    for (const Value& v : values) {
        const std::size_t n = static_cast<std::size_t>(v.size);
        if (gl.sent.size() < at + n) {
            gl.sent.resize(at + n, std::nanf(""));  // NaN: never equal, so sent the first time
        }
        if (std::memcmp(&gl.sent[at], v.data, n * sizeof(float)) != 0) {
            std::memcpy(&gl.sent[at], v.data, n * sizeof(float));
            if (v.flag) {
                emscripten_glUniform1i(v.location, v.data[0] != 0.0f ? 1 : 0);
            } else if (v.size == 16) {
                emscripten_glUniformMatrix4fv(v.location, 1, GL_FALSE, v.data);
            } else if (v.size == 4) {
                emscripten_glUniform4fv(v.location, 1, v.data);
            } else if (v.size == 3) {
                emscripten_glUniform3fv(v.location, 1, v.data);
            } else if (v.size == 2) {
                emscripten_glUniform2fv(v.location, 1, v.data);
            } else {
                emscripten_glUniform1f(v.location, v.data[0]);
            }
        }
        at += n;
    }
}

// The current model-view and its normal matrix, as one instance's attributes.
void appendInstance(std::vector<float>& instances)
{
    const Matrix& mv = gl.modelview.back();
    float nm[9];
    normalMatrix(mv, nm);
    instances.insert(instances.end(), mv.m, mv.m + 16);
    instances.insert(instances.end(), nm, nm + 9);
}

// Draws count vertices of the bound vertex buffer once per instance; indexed
// by the bound index buffer when indexed.
void drawInstances(GLenum mode, GLsizei count, const std::vector<float>& instances, bool indexed = false)
{
    pointAttributes();
    emscripten_glBindBuffer(arrayBuffer, gl.instanceBuffer);
    emscripten_glBufferData(arrayBuffer, static_cast<long>(instances.size() * sizeof(float)), instances.data(),
                            streamDraw);
    const GLsizei stride = instanceFloats * sizeof(float);
    for (GLuint column = 0; column < 4; ++column) {
        emscripten_glVertexAttribPointer(ModelviewAttribute + column, 4, GL_FLOAT, GL_FALSE, stride,
                                         reinterpret_cast<const void*>(column * 4 * sizeof(float)));
    }
    for (GLuint column = 0; column < 3; ++column) {
        emscripten_glVertexAttribPointer(NormalMatrixAttribute + column, 3, GL_FLOAT, GL_FALSE, stride,
                                         reinterpret_cast<const void*>((16 + column * 3) * sizeof(float)));
    }
    const GLsizei n = static_cast<GLsizei>(instances.size() / instanceFloats);
    if (indexed) {
        emscripten_glDrawElementsInstancedANGLE(mode, count, GL_UNSIGNED_SHORT, nullptr, n);
    } else {
        emscripten_glDrawArraysInstancedANGLE(mode, 0, count, n);
    }
}

// --- Immediate mode -----------------------------------------------------------------------
void flushPending();

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
    const float n[3] = {nm[0] * gl.normal[0] + nm[3] * gl.normal[1] + nm[6] * gl.normal[2],
                        nm[1] * gl.normal[0] + nm[4] * gl.normal[1] + nm[7] * gl.normal[2],
                        nm[2] * gl.normal[0] + nm[5] * gl.normal[1] + nm[8] * gl.normal[2]};
    web::LightState light = gl.light;
    light.enabled = gl.lighting && gl.light.enabled;
    web::lightVertex(light, gl.material, n, v.colour);
    gl.vertices.push_back(v);
}

void drawImmediate()
{
    flushPending();
    // The primitive's triangles (or lines), found by splitting a primitive of indices.
    web::ShapePrimitive indices;
    indices.mode = static_cast<web::PrimitiveMode>(gl.mode);
    for (std::size_t i = 0; i < gl.vertices.size(); ++i) {
        web::ShapeVertex v;
        v.position[0] = static_cast<float>(i);
        indices.vertices.push_back(v);
    }
    const bool lines = gl.mode == GL_LINES;
    const std::vector<web::ShapeVertex> order = lines ? web::toLines(indices) : web::toTriangles(indices);
    if (order.empty()) {
        return;
    }
    std::vector<Vertex> data;
    data.reserve(order.size());
    for (const web::ShapeVertex& v : order) {
        data.push_back(gl.vertices[static_cast<std::size_t>(v.position[0])]);
    }
    emscripten_glBindBuffer(arrayBuffer, gl.streamBuffer);
    emscripten_glBufferData(arrayBuffer, static_cast<long>(data.size() * sizeof(Vertex)), data.data(), streamDraw);
    setUniforms(true, false);
    std::vector<float> instance;
    appendInstance(instance);
    drawInstances(lines ? GL_LINES : GL_TRIANGLES, static_cast<GLsizei>(data.size()), instance);
}

// --- Quadrics and solids: tessellated once, kept in buffers --------------------------------
enum ShapeKind { GluSphere, GluCylinder, GlutSphere, GlutCube };

Mesh& meshFor(ShapeKind kind, double a, double b, double c, int slices, int stacks, bool textured)
{
    const auto key = std::make_tuple(static_cast<int>(kind), a, b, c, slices, stacks, textured);
    const auto found = gl.meshes.find(key);
    if (found != gl.meshes.end()) {
        return found->second;
    }
    // Sizes that change every frame (the blasts) would fill the cache: start again when it is large.
    if (gl.meshes.size() >= 512) {
        flushPending();
        for (auto& entry : gl.meshes) {
            emscripten_glDeleteBuffers(1, &entry.second.buffer);
            emscripten_glDeleteBuffers(1, &entry.second.indexBuffer);
        }
        gl.meshes.clear();
    }
    web::Shape shape;
    switch (kind) {
    case GluSphere: shape = web::quadricSphere(a, slices, stacks, textured); break;
    case GluCylinder: shape = web::quadricCylinder(a, b, c, slices, stacks, textured); break;
    case GlutSphere: shape = web::solidSphere(a, slices, stacks); break;
    case GlutCube: shape = web::solidCube(a); break;
    }
    // Each distinct vertex once (neighbouring strips share a row), and the
    // triangles GL draws of each primitive as indices into them.
    Mesh mesh;
    std::vector<Vertex> data;
    std::vector<unsigned short> indices;
    std::map<std::vector<float>, unsigned short> seen;
    for (const web::ShapePrimitive& primitive : shape) {
        web::ShapePrimitive local;
        local.mode = primitive.mode;
        std::vector<unsigned short> global;
        for (const web::ShapeVertex& s : primitive.vertices) {
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
            web::ShapeVertex at;
            at.position[0] = static_cast<float>(local.vertices.size());
            local.vertices.push_back(at);
        }
        for (const web::ShapeVertex& at : web::toTriangles(local)) {
            indices.push_back(global[static_cast<std::size_t>(at.position[0])]);
        }
        if (!primitive.vertices.empty()) {
            const web::ShapeVertex& last = primitive.vertices.back();
            std::memcpy(mesh.lastNormal, last.normal, sizeof mesh.lastNormal);
            std::memcpy(mesh.lastTexCoord, last.texCoord, sizeof mesh.lastTexCoord);
            mesh.hasTexCoords = last.hasTexCoord;
        }
    }
    // The bounding sphere: the middle of the box around the vertices.
    if (!data.empty()) {
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
        mesh.radius *= 1.001f;  // room for rounding
    }
    if (data.size() > 65535) {
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
    return gl.meshes.emplace(key, mesh).first->second;
}

// Sends the waiting draws of one shape as one instanced call.
void flushPending()
{
    const Mesh* mesh = gl.pendingMesh;
    if (mesh == nullptr) {
        return;
    }
    gl.pendingMesh = nullptr;
    emscripten_glBindBuffer(arrayBuffer, mesh->buffer);
    emscripten_glBindBuffer(elementArrayBuffer, mesh->indexBuffer);
    setUniforms(false, !mesh->hasTexCoords);
    drawInstances(GL_TRIANGLES, mesh->count, gl.pendingInstances, true);
    gl.pendingInstances.clear();
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

// Draws a kept shape, joining the waiting draws when they are of the same
// shape; GLU leaves its last normal and texture coordinate current.
void drawMesh(const Mesh& mesh, bool leavesAttributes)
{
    if (mesh.count > 0 && !outOfView(mesh)) {
        if (gl.pendingMesh != &mesh) {
            flushPending();
            gl.pendingMesh = &mesh;
        }
        appendInstance(gl.pendingInstances);
    }
    if (leavesAttributes && mesh.count > 0) {
        std::memcpy(gl.normal, mesh.lastNormal, sizeof gl.normal);
        if (mesh.hasTexCoords) {
            std::memcpy(gl.texCoord, mesh.lastTexCoord, sizeof gl.texCoord);
        }
    }
}

void setCapability(GLenum cap, bool on)
{
    flushPending();
    switch (cap) {
    case GL_LIGHTING: gl.lighting = on; break;
    case GL_LIGHT0: gl.light.enabled = on; break;
    case GL_TEXTURE_2D: gl.texturing = on; break;
    case GL_DEPTH_TEST:
    case GL_BLEND:
        if (on) {
            emscripten_glEnable(cap);
        } else {
            emscripten_glDisable(cap);
        }
        break;
    default: break;
    }
}

}  // namespace

struct GLUquadric {
    GLenum drawStyle = GLU_FILL;
    bool textured = false;
};

void webGlStart()
{
    const GLuint program = emscripten_glCreateProgram();
    emscripten_glAttachShader(program, compile(vertexShader, vertexSource));
    emscripten_glAttachShader(program, compile(fragmentShader, fragmentSource));
    emscripten_glBindAttribLocation(program, PositionAttribute, "aPosition");
    emscripten_glBindAttribLocation(program, NormalAttribute, "aNormal");
    emscripten_glBindAttribLocation(program, TexCoordAttribute, "aTexCoord");
    emscripten_glBindAttribLocation(program, ColourAttribute, "aColour");
    emscripten_glBindAttribLocation(program, ModelviewAttribute, "aModelview");
    emscripten_glBindAttribLocation(program, NormalMatrixAttribute, "aNormalMatrix");
    emscripten_glLinkProgram(program);
    emscripten_glUseProgram(program);
    gl.program = program;
    Uniforms& u = gl.u;
    u.projection = emscripten_glGetUniformLocation(program, "uProjection");
    u.litOnCpu = emscripten_glGetUniformLocation(program, "uLitOnCpu");
    u.constantTexCoord = emscripten_glGetUniformLocation(program, "uConstantTexCoord");
    u.texCoord = emscripten_glGetUniformLocation(program, "uTexCoord");
    u.baseColour = emscripten_glGetUniformLocation(program, "uBaseColour");
    u.diffuse = emscripten_glGetUniformLocation(program, "uDiffuse");
    u.specular = emscripten_glGetUniformLocation(program, "uSpecular");
    u.shininess = emscripten_glGetUniformLocation(program, "uShininess");
    u.lightDirection = emscripten_glGetUniformLocation(program, "uLightDirection");
    u.halfVector = emscripten_glGetUniformLocation(program, "uHalfVector");
    u.lightOn = emscripten_glGetUniformLocation(program, "uLightOn");
    u.textured = emscripten_glGetUniformLocation(program, "uTextured");
    u.sampler = emscripten_glGetUniformLocation(program, "uSampler");
    emscripten_glUniform1i(u.sampler, 0);
    for (GLuint a = PositionAttribute; a < NormalMatrixAttribute + 3; ++a) {
        emscripten_glEnableVertexAttribArray(a);
        emscripten_glVertexAttribDivisorANGLE(a, a >= ModelviewAttribute ? 1 : 0);
    }
    emscripten_glGenBuffers(1, &gl.streamBuffer);
    emscripten_glGenBuffers(1, &gl.instanceBuffer);
    // GL's initial light 0 is white; the game sets its colours.
    gl.light.ambient[0] = gl.light.ambient[1] = gl.light.ambient[2] = 0.0f;
}

void webGlFlush()
{
    flushPending();
}

extern "C" {

// --- State -----------------------------------------------------------------------------
void glViewport(GLint x, GLint y, GLsizei w, GLsizei h)
{
    flushPending();
    emscripten_glViewport(x, y, w, h);
}
void glClear(GLbitfield mask)
{
    flushPending();
    emscripten_glClear(mask);
}
void glClearColor(GLclampf r, GLclampf g, GLclampf b, GLclampf a) { emscripten_glClearColor(r, g, b, a); }
void glBlendFunc(GLenum s, GLenum d)
{
    flushPending();
    emscripten_glBlendFunc(s, d);
}
void glShadeModel(GLenum) {}
void glPixelStorei(GLenum name, GLint value) { emscripten_glPixelStorei(name, value); }

void glEnable(GLenum cap) { setCapability(cap, true); }
void glDisable(GLenum cap) { setCapability(cap, false); }

void glLightfv(GLenum light, GLenum name, const GLfloat* v)
{
    if (light != GL_LIGHT0) {
        return;
    }
    flushPending();
    web::LightState& l = gl.light;
    switch (name) {
    case GL_AMBIENT: std::memcpy(l.ambient, v, sizeof l.ambient); break;
    case GL_DIFFUSE: std::memcpy(l.diffuse, v, sizeof l.diffuse); break;
    case GL_SPECULAR: std::memcpy(l.specular, v, sizeof l.specular); break;
    case GL_POSITION: {
        // A directional light, carried to eye space by the current model-view.
        const float* m = gl.modelview.back().m;
        float d[3] = {m[0] * v[0] + m[4] * v[1] + m[8] * v[2], m[1] * v[0] + m[5] * v[1] + m[9] * v[2],
                      m[2] * v[0] + m[6] * v[1] + m[10] * v[2]};
        const float len = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
        for (int i = 0; i < 3; ++i) l.direction[i] = len > 0.0f ? d[i] / len : d[i];
        break;
    }
    default: break;
    }
}

void glMaterialfv(GLenum face, GLenum name, const GLfloat* v)
{
    if (face != GL_FRONT && face != GL_FRONT_AND_BACK) {
        return;
    }
    flushPending();
    web::MaterialState& m = gl.material;
    switch (name) {
    case GL_AMBIENT: std::memcpy(m.ambient, v, sizeof m.ambient); break;
    case GL_DIFFUSE: std::memcpy(m.diffuse, v, sizeof m.diffuse); break;
    case GL_SPECULAR: std::memcpy(m.specular, v, sizeof m.specular); break;
    case GL_EMISSION: std::memcpy(m.emission, v, sizeof m.emission); break;
    case GL_SHININESS: m.shininess = v[0]; break;
    case GL_AMBIENT_AND_DIFFUSE:
        std::memcpy(m.ambient, v, sizeof m.ambient);
        std::memcpy(m.diffuse, v, sizeof m.diffuse);
        break;
    default: break;
    }
}

// --- Textures under fixed ids ------------------------------------------------------------
void glBindTexture(GLenum target, GLuint id)
{
    flushPending();
    TextureSlot& slot = gl.textures[id];
    if (slot.handle == 0) {
        emscripten_glGenTextures(1, &slot.handle);
    }
    gl.boundTexture = id;
    emscripten_glBindTexture(target, slot.handle);
}

void glTexImage2D(GLenum target, GLint level, GLint internalFormat, GLsizei w, GLsizei h, GLint border,
                  GLenum format, GLenum type, const GLvoid* pixels)
{
    // GL 1.1's component counts name the formats WebGL wants by name.
    static const GLenum byComponents[5] = {0, GL_LUMINANCE, GL_LUMINANCE_ALPHA, GL_RGB, GL_RGBA};
    const GLint internal = internalFormat >= 1 && internalFormat <= 4 ? static_cast<GLint>(byComponents[internalFormat])
                                                                      : internalFormat;
    flushPending();
    gl.textures[gl.boundTexture].defined = true;
    emscripten_glTexImage2D(target, level, internal, w, h, border, format, type, pixels);
}

void glTexParameteri(GLenum target, GLenum name, GLint value)
{
    flushPending();
    emscripten_glTexParameteri(target, name, value == GL_CLAMP ? static_cast<GLint>(clampToEdge) : value);
}
void glTexParameterf(GLenum target, GLenum name, GLfloat value)
{
    glTexParameteri(target, name, static_cast<GLint>(value));
}

// --- Matrices -----------------------------------------------------------------------------
void glMatrixMode(GLenum mode) { gl.matrixMode = mode; }
void glLoadIdentity() { current() = Matrix{}; }
void glPushMatrix()
{
    std::vector<Matrix>& stack = gl.matrixMode == GL_PROJECTION ? gl.projection : gl.modelview;
    stack.push_back(stack.back());
}
void glPopMatrix()
{
    std::vector<Matrix>& stack = gl.matrixMode == GL_PROJECTION ? gl.projection : gl.modelview;
    if (stack.size() > 1) {
        stack.pop_back();
    }
}
void glMultMatrixf(const GLfloat* m)
{
    Matrix by;
    std::memcpy(by.m, m, sizeof by.m);
    multiplyCurrent(by);
}
void glTranslatef(GLfloat x, GLfloat y, GLfloat z)
{
    float* m = current().m;
    for (int i = 0; i < 4; ++i) {
        m[12 + i] += m[i] * x + m[4 + i] * y + m[8 + i] * z;
    }
}
void glScalef(GLfloat x, GLfloat y, GLfloat z)
{
    float* m = current().m;
    for (int i = 0; i < 4; ++i) {
        m[i] *= x;
        m[4 + i] *= y;
        m[8 + i] *= z;
    }
}
void glRotatef(GLfloat angle, GLfloat x, GLfloat y, GLfloat z)
{
    const float len = std::sqrt(x * x + y * y + z * z);
    if (len == 0.0f) {
        return;
    }
    x /= len;
    y /= len;
    z /= len;
    const float radians = angle * static_cast<float>(M_PI / 180.0);
    const float s = std::sin(radians), c = std::cos(radians), t = 1.0f - c;
    Matrix r;
    r.m[0] = x * x * t + c;     r.m[4] = x * y * t - z * s; r.m[8] = x * z * t + y * s;
    r.m[1] = y * x * t + z * s; r.m[5] = y * y * t + c;     r.m[9] = y * z * t - x * s;
    r.m[2] = z * x * t - y * s; r.m[6] = z * y * t + x * s; r.m[10] = z * z * t + c;
    multiplyCurrent(r);
}

// --- Immediate mode -----------------------------------------------------------------------
void glBegin(GLenum mode)
{
    gl.inside = true;
    gl.mode = mode;
    gl.vertices.clear();
}
void glEnd()
{
    gl.inside = false;
    drawImmediate();
}
void glNormal3f(GLfloat x, GLfloat y, GLfloat z)
{
    gl.normal[0] = x;
    gl.normal[1] = y;
    gl.normal[2] = z;
}
void glTexCoord2f(GLfloat s, GLfloat t)
{
    flushPending();  // a shape without texture coordinates takes the current one
    gl.texCoord[0] = s;
    gl.texCoord[1] = t;
}
void glVertex3f(GLfloat x, GLfloat y, GLfloat z) { addVertex(x, y, z); }
void glVertex2f(GLfloat x, GLfloat y) { addVertex(x, y, 0.0f); }
void glRectf(GLfloat x1, GLfloat y1, GLfloat x2, GLfloat y2)
{
    glBegin(GL_POLYGON);
    glVertex2f(x1, y1);
    glVertex2f(x2, y1);
    glVertex2f(x2, y2);
    glVertex2f(x1, y2);
    glEnd();
}

// --- GLU ----------------------------------------------------------------------------------
void gluPerspective(GLdouble fovy, GLdouble aspect, GLdouble zNear, GLdouble zFar)
{
    const double radians = fovy / 2 * M_PI / 180;
    const double deltaZ = zFar - zNear;
    const double sine = std::sin(radians);
    if (deltaZ == 0 || sine == 0 || aspect == 0) {
        return;
    }
    const double cotangent = std::cos(radians) / sine;
    Matrix m;
    m.m[0] = static_cast<float>(cotangent / aspect);
    m.m[5] = static_cast<float>(cotangent);
    m.m[10] = static_cast<float>(-(zFar + zNear) / deltaZ);
    m.m[11] = -1.0f;
    m.m[14] = static_cast<float>(-2 * zNear * zFar / deltaZ);
    m.m[15] = 0.0f;
    multiplyCurrent(m);
}

void gluLookAt(GLdouble eyeX, GLdouble eyeY, GLdouble eyeZ, GLdouble centerX, GLdouble centerY, GLdouble centerZ,
               GLdouble upX, GLdouble upY, GLdouble upZ)
{
    float forward[3] = {static_cast<float>(centerX - eyeX), static_cast<float>(centerY - eyeY),
                        static_cast<float>(centerZ - eyeZ)};
    float up[3] = {static_cast<float>(upX), static_cast<float>(upY), static_cast<float>(upZ)};
    auto normalise = [](float v[3]) {
        const float r = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
        if (r != 0.0f) {
            v[0] /= r;
            v[1] /= r;
            v[2] /= r;
        }
    };
    auto cross = [](const float a[3], const float b[3], float out[3]) {
        out[0] = a[1] * b[2] - a[2] * b[1];
        out[1] = a[2] * b[0] - a[0] * b[2];
        out[2] = a[0] * b[1] - a[1] * b[0];
    };
    normalise(forward);
    float side[3];
    cross(forward, up, side);
    normalise(side);
    cross(side, forward, up);
    Matrix m;
    m.m[0] = side[0];     m.m[4] = side[1];     m.m[8] = side[2];
    m.m[1] = up[0];       m.m[5] = up[1];       m.m[9] = up[2];
    m.m[2] = -forward[0]; m.m[6] = -forward[1]; m.m[10] = -forward[2];
    multiplyCurrent(m);
    glTranslatef(static_cast<float>(-eyeX), static_cast<float>(-eyeY), static_cast<float>(-eyeZ));
}

GLUquadric* gluNewQuadric() { return new GLUquadric; }
void gluDeleteQuadric(GLUquadric* q) { delete q; }
void gluQuadricDrawStyle(GLUquadric* q, GLenum style) { q->drawStyle = style; }
void gluQuadricTexture(GLUquadric* q, GLboolean textured) { q->textured = textured == GL_TRUE; }

void gluSphere(GLUquadric* q, GLdouble radius, GLint slices, GLint stacks)
{
    if (q->drawStyle == GLU_FILL) {
        drawMesh(meshFor(GluSphere, radius, 0.0, 0.0, slices, stacks, q->textured), true);
    }
}

void gluCylinder(GLUquadric* q, GLdouble base, GLdouble top, GLdouble height, GLint slices, GLint stacks)
{
    if (q->drawStyle == GLU_FILL) {
        drawMesh(meshFor(GluCylinder, base, top, height, slices, stacks, q->textured), true);
    }
}

// --- GLUT's solids ------------------------------------------------------------------------
void glutSolidSphere(GLdouble radius, GLint slices, GLint stacks)
{
    drawMesh(meshFor(GlutSphere, radius, 0.0, 0.0, slices, stacks, false), false);
}

void glutSolidCube(GLdouble size)
{
    drawMesh(meshFor(GlutCube, size, 0.0, 0.0, 0, 0, false), false);
}

}  // extern "C"
