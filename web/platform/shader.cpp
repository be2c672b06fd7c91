// The one shader that does GL's fixed-function work: the model-view and normal
// matrices per instance, the projection, and per-vertex lighting with the
// current material (or the colours immediate mode lit on the CPU), textured or
// not. Its lighting is GL's equation, the shader's own copy of
// fixed_function_lighting.cpp's; the browser checks hold the two to the same colours.
#include "webgl_layer.h"

#include <emscripten/em_asm.h>
#include <emscripten/html5_webgl.h>

#include <cmath>
#include <cstddef>
#include <cstring>
#include <string>

namespace web {

namespace {

constexpr GLenum vertexShader = 0x8B31;
constexpr GLenum fragmentShader = 0x8B30;
constexpr GLenum compileStatus = 0x8B81;
constexpr GLenum linkStatus = 0x8B82;

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

enum Attribute : GLuint {
    PositionAttribute = 0,
    NormalAttribute = 1,
    TexCoordAttribute = 2,
    ColourAttribute = 3,
    ModelviewAttribute = 4,     // four columns, 4 to 7, one set per instance
    NormalMatrixAttribute = 8,  // three columns, 8 to 10
};
constexpr int instanceFloats = 16 + 9;

// The shader's names for the attributes.
const struct {
    Attribute index;
    const char* name;
} attributeNames[] = {
    {PositionAttribute, "aPosition"},   {NormalAttribute, "aNormal"},       {TexCoordAttribute, "aTexCoord"},
    {ColourAttribute, "aColour"},       {ModelviewAttribute, "aModelview"}, {NormalMatrixAttribute, "aNormalMatrix"},
};

enum Uniform {
    Projection, LitOnCpu, ConstantTexCoord, TexCoord, BaseColour, Diffuse, Specular, Shininess,
    LightDirection, HalfVector, LightOn, Textured, Sampler, UniformCount
};
// The shader's names for them, in the enum's order.
const char* const uniformNames[UniformCount] = {
    "uProjection", "uLitOnCpu", "uConstantTexCoord", "uTexCoord", "uBaseColour", "uDiffuse", "uSpecular",
    "uShininess", "uLightDirection", "uHalfVector", "uLightOn", "uTextured", "uSampler",
};

struct ShaderState {
    GLint locations[UniformCount] = {};
    std::vector<float> sent;  // the uniform values last sent, in sendUniforms' order
    GLuint instanceBuffer = 0;
    GLenum culledBehind = 0;  // the front face WebGL culls behind now, or 0: culling off
};

ShaderState shader;

// Compiles one stage; what went wrong, if anything, is added to problems.
GLuint compile(GLenum kind, const char* source, std::string& problems)
{
    const GLuint compiled = emscripten_glCreateShader(kind);
    emscripten_glShaderSource(compiled, 1, &source, nullptr);
    emscripten_glCompileShader(compiled);
    GLint ok = 0;
    emscripten_glGetShaderiv(compiled, compileStatus, &ok);
    if (!ok) {
        char log[1024] = {};
        emscripten_glGetShaderInfoLog(compiled, sizeof log, nullptr, log);
        problems += kind == vertexShader ? "the vertex shader did not compile: " : "the fragment shader did not compile: ";
        problems += log;
        problems += ' ';
    }
    return compiled;
}

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

}  // namespace

bool startShader()
{
    shader = ShaderState{};
    std::string problems;
    const GLuint program = emscripten_glCreateProgram();
    emscripten_glAttachShader(program, compile(vertexShader, vertexSource, problems));
    emscripten_glAttachShader(program, compile(fragmentShader, fragmentSource, problems));
    for (const auto& attribute : attributeNames) {
        emscripten_glBindAttribLocation(program, attribute.index, attribute.name);
    }
    emscripten_glLinkProgram(program);
    GLint linked = 0;
    emscripten_glGetProgramiv(program, linkStatus, &linked);
    if (!linked && problems.empty()) {
        char log[1024] = {};
        emscripten_glGetProgramInfoLog(program, sizeof log, nullptr, log);
        problems = std::string("the shader did not link: ") + log;
    }
    if (!linked || !problems.empty()) {
        if (emscripten_is_webgl_context_lost(emscripten_webgl_get_current_context())) {
            return true;  // nothing is broken: the restore makes the shader again
        }
#pragma clang diagnostic push
#pragma clang diagnostic ignored "-Wdollar-in-identifier-extension"  // EM_ASM's $0
        EM_ASM({ if (Module.onBrokenShader) Module.onBrokenShader(UTF8ToString($0)); }, problems.c_str());
#pragma clang diagnostic pop
        return false;
    }
    emscripten_glUseProgram(program);
    for (int u = 0; u < UniformCount; ++u) {
        shader.locations[u] = emscripten_glGetUniformLocation(program, uniformNames[u]);
    }
    emscripten_glUniform1i(shader.locations[Sampler], 0);
    for (GLuint a = PositionAttribute; a < NormalMatrixAttribute + 3; ++a) {
        emscripten_glEnableVertexAttribArray(a);
        emscripten_glVertexAttribDivisorANGLE(a, a >= ModelviewAttribute ? 1 : 0);
    }
    // The instances always come from the one buffer, at the same places in it.
    emscripten_glGenBuffers(1, &shader.instanceBuffer);
    emscripten_glBindBuffer(arrayBuffer, shader.instanceBuffer);
    const GLsizei stride = instanceFloats * sizeof(float);
    for (GLuint column = 0; column < 4; ++column) {
        emscripten_glVertexAttribPointer(ModelviewAttribute + column, 4, GL_FLOAT, GL_FALSE, stride,
                                         reinterpret_cast<const void*>(column * 4 * sizeof(float)));
    }
    for (GLuint column = 0; column < 3; ++column) {
        emscripten_glVertexAttribPointer(NormalMatrixAttribute + column, 3, GL_FLOAT, GL_FALSE, stride,
                                         reinterpret_cast<const void*>((16 + column * 3) * sizeof(float)));
    }
    return true;
}

void sendUniforms(bool litOnCpu, bool constantTexCoord)
{
    const GLint* u = shader.locations;
    const auto found = gl.textures.find(gl.boundTexture);
    const bool textured = gl.texturing && found != gl.textures.end() && found->second.defined;
    LightState light = gl.light;
    light.enabled = gl.lighting && gl.light.enabled;
    const ShaderLighting lit = shaderLighting(light, gl.material);

    // Each uniform with its values; flags go out as integers.
    struct Value {
        GLint location;
        int size;  // 1, 2, 3, 4 or 16 floats
        bool flag;
        const float* data;
    };
    const float litFlag = litOnCpu ? 1.0f : 0.0f, constantFlag = constantTexCoord ? 1.0f : 0.0f;
    const float texturedFlag = textured ? 1.0f : 0.0f, lightFlag = light.enabled ? 1.0f : 0.0f;
    const Value values[] = {
        {u[Projection], 16, false, gl.projection.back().m},
        {u[LitOnCpu], 1, true, &litFlag},
        {u[ConstantTexCoord], 1, true, &constantFlag},
        {u[TexCoord], 2, false, gl.texCoord},
        {u[Textured], 1, true, &texturedFlag},
        {u[BaseColour], 4, false, lit.base},
        {u[Diffuse], 4, false, lit.diffuse},
        {u[Specular], 3, false, lit.specular},
        {u[Shininess], 1, false, &gl.material.shininess},
        {u[LightDirection], 3, false, light.direction},
        {u[HalfVector], 3, false, lit.halfVector},
        {u[LightOn], 1, true, &lightFlag},
    };
    std::vector<float>& sent = shader.sent;
    std::size_t at = 0;
    for (const Value& v : values) {
        const std::size_t n = static_cast<std::size_t>(v.size);
        if (sent.size() < at + n) {
            sent.resize(at + n, std::nanf(""));  // NaN: never equal, so sent the first time
        }
        if (std::memcmp(&sent[at], v.data, n * sizeof(float)) != 0) {
            std::memcpy(&sent[at], v.data, n * sizeof(float));
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

void appendInstance(std::vector<float>& instances)
{
    const Matrix& mv = gl.modelview.back();
    float nm[9];
    normalMatrix(mv, nm);
    instances.insert(instances.end(), mv.m, mv.m + 16);
    instances.insert(instances.end(), nm, nm + 9);
}

void drawInstances(GLenum mode, GLsizei count, const std::vector<float>& instances, bool indexed, GLenum front)
{
    if (front != shader.culledBehind) {
        if (front == 0) {
            emscripten_glDisable(GL_CULL_FACE);
        } else {
            if (shader.culledBehind == 0) {
                emscripten_glEnable(GL_CULL_FACE);
            }
            emscripten_glFrontFace(front);
        }
        shader.culledBehind = front;
    }
    pointAttributes();
    emscripten_glBindBuffer(arrayBuffer, shader.instanceBuffer);
    emscripten_glBufferData(arrayBuffer, static_cast<long>(instances.size() * sizeof(float)), instances.data(),
                            streamDraw);
    const GLsizei n = static_cast<GLsizei>(instances.size() / instanceFloats);
    if (indexed) {
        emscripten_glDrawElementsInstancedANGLE(mode, count, GL_UNSIGNED_SHORT, nullptr, n);
    } else {
        emscripten_glDrawArraysInstancedANGLE(mode, 0, count, n);
    }
}

}  // namespace web
