// The browser's GL layer: GL 1.1, GLU and GLUT as the game uses them, on
// WebGL 1. The game reaches it only through the standard names, which
// gl_glu_entry_points.cpp and glut_entry_points.cpp translate into the calls
// below; this header is what the layer's pieces offer one another:
//   shader.cpp          the shader that does GL's fixed-function work, its
//                       uniforms (sent only when they change), instanced draws
//   immediate_mode.cpp  glBegin/glEnd: vertices lit on the CPU as they come
//   shape_cache.cpp     quadrics and solids tessellated once and kept in
//                       buffers, shapes out of view skipped, repeats batched,
//                       round shapes small on screen drawn coarser, the far
//                       sides of opaque spheres culled
// and the plain C++ beneath them: matrices.h, fixed_function_lighting.h, shapes.h,
// tessellation_levels.h (portable/gl/).
// A lost WebGL context takes every GL object with it; the layer keeps what it
// needs to make them anew (webGlRestore), so the game never hears of it.
#pragma once

#include "fixed_function_lighting.h"
#include "matrices.h"

#include <GL/gl.h>

#include <map>
#include <vector>

// WebGL's own entry points (emscripten names them so, leaving the GL names to the layer).
extern "C" {
void emscripten_glViewport(GLint, GLint, GLsizei, GLsizei);
void emscripten_glClear(GLbitfield);
void emscripten_glClearColor(GLfloat, GLfloat, GLfloat, GLfloat);
void emscripten_glEnable(GLenum);
void emscripten_glDisable(GLenum);
void emscripten_glBlendFunc(GLenum, GLenum);
void emscripten_glFrontFace(GLenum);
void emscripten_glPixelStorei(GLenum, GLint);
void emscripten_glGenTextures(GLsizei, GLuint*);
void emscripten_glBindTexture(GLenum, GLuint);
void emscripten_glTexImage2D(GLenum, GLint, GLint, GLsizei, GLsizei, GLint, GLenum, GLenum, const void*);
void emscripten_glTexSubImage2D(GLenum, GLint, GLint, GLint, GLsizei, GLsizei, GLenum, GLenum, const void*);
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
void emscripten_glGetProgramiv(GLuint, GLenum, GLint*);
void emscripten_glGetProgramInfoLog(GLuint, GLsizei, GLsizei*, char*);
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

namespace web {

// WebGL's numbers that GL 1.1's header lacks.
constexpr GLenum arrayBuffer = 0x8892;
constexpr GLenum elementArrayBuffer = 0x8893;
constexpr GLenum staticDraw = 0x88E4;
constexpr GLenum streamDraw = 0x88E0;

// --- The GL state, kept by the GL entry points and read by the pieces below ---------------
// A texture's picture as the game uploaded it, kept to upload again after a
// lost context (level 0 only: the game has no other).
struct TextureImage {
    GLint internalFormat = 0;
    GLsizei width = 0;
    GLsizei height = 0;
    GLenum format = 0;
    GLenum type = 0;
    GLint unpackAlignment = 4;
    std::vector<unsigned char> pixels;
};

struct TextureSlot {
    GLuint handle = 0;
    bool defined = false;
    TextureImage image;
    GLsizei uploadedRows = -1;  // of image, while it goes up in bands; -1 when it is up
    std::map<GLenum, GLint> parameters;  // as sent to WebGL
};

struct GlState {
    GLenum matrixMode = GL_MODELVIEW;
    std::vector<Matrix> modelview{Matrix{}};
    std::vector<Matrix> projection{Matrix{}};
    float normal[3] = {0.0f, 0.0f, 1.0f};
    float texCoord[2] = {0.0f, 0.0f};
    MaterialState material;
    LightState light;
    bool lighting = false;
    bool texturing = false;
    std::map<GLuint, TextureSlot> textures;  // by the game's fixed ids
    GLuint boundTexture = 0;
    // What WebGL keeps and a lost context forgets, as the game last set it.
    GLint viewport[4] = {0, 0, 0, 0};
    float clearColour[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    bool depthTest = false;
    bool blend = false;
    GLenum blendSource = GL_ONE;
    GLenum blendDestination = GL_ZERO;
    GLint unpackAlignment = 4;
};

// Shared by the layer's files; defined with the GL entry points.
extern GlState gl;

// --- The shader (shader.cpp) -------------------------------------------------------------
// One vertex as the shader reads it from a buffer.
struct Vertex {
    float position[3];
    float normal[3];
    float texCoord[2];
    float colour[4];  // immediate mode's CPU-lit colour
};

// Compiles and links the shader, binds its attributes, finds its uniforms and
// makes the instance buffer, forgetting the uniforms sent before. With the
// WebGL context current: at the start and after a lost context's restore.
// False when the shader does not compile or link: the page has been told
// (Module.onBrokenShader) and nothing may draw. A lost context fails its
// compiles too; that is not reported and gives true, as the restore comes.
bool startShader();
// Sends what the shader needs for a draw but the model-view, each uniform only
// where it differs from what was sent last: the projection, the current
// texture coordinate and texture, the lighting factors of the current light
// and material. litOnCpu: the vertices carry their colours; constantTexCoord:
// they carry no texture coordinates, the current one applies.
void sendUniforms(bool litOnCpu, bool constantTexCoord);
// Appends the current model-view and its normal matrix as one instance.
void appendInstance(std::vector<float>& instances);
// Draws count vertices of the bound vertex buffer (indexed: of the bound
// 16-bit index buffer) once per instance of instances, in mode; culling the
// triangles that do not wind the way front (GL_CCW or GL_CW) says on screen,
// none when front is 0.
void drawInstances(GLenum mode, GLsizei count, const std::vector<float>& instances, bool indexed, GLenum front = 0);

// --- Immediate mode (immediate_mode.cpp) -------------------------------------------------
// Makes the buffer immediate-mode vertices stream through. With the WebGL
// context current: at the start and after a restore.
void startImmediateMode();
// glBegin: starts collecting the vertices of one primitive.
void beginPrimitive(GLenum mode);
// glVertex: one vertex with the current normal and texture coordinate, lit
// now with the current light and material.
void addVertex(float x, float y, float z);
// glEnd: draws the collected primitive as triangles, or lines: in a buffer
// finer than the game's 1000 x 500 window, as thin quads of the width a line
// has there.
void endPrimitive();

// --- The shape cache (shape_cache.cpp) ---------------------------------------------------
enum ShapeKind { GluSphere, GluCylinder, GlutSphere, GlutCube };

// Draws a quadric or solid of this kind and size (a, b, c: the call's sizes,
// unused ones 0), tessellating it the first time. Skipped when wholly out of
// view; joined to the waiting draws when they are of the same shape. A round
// one small in the viewport is drawn with fewer slices and stacks (never more
// than asked for). leavesAttributes: GLU leaves its last normal and texture
// coordinate current.
void drawShape(ShapeKind kind, double a, double b, double c, int slices, int stacks, bool textured,
               bool leavesAttributes);
// Sends the waiting draws. Before any state they depend on changes.
void flushShapes();
// Forgets every kept shape and its buffers (a lost context has taken them):
// each is tessellated again when next drawn.
void dropShapes();
// Turns the coarser levels on (the default) or off (every shape as the game
// asked for it, for a picture to compare with). Sends the waiting draws first.
void setTessellationLevels(bool on);

// --- Between GLUT and GL -----------------------------------------------------------------
// Starts the shader and its buffers. Once, with the WebGL context current
// (glutCreateWindow calls it). False when the shader is broken (see startShader).
bool webGlStart();
// After a lost context's restore: asks for ANGLE_instanced_arrays again, and
// makes the shader, the buffers, the textures (from their kept pixels) and the
// GL state the game set anew; the shapes are made again as they are drawn.
// False when the shader is broken.
bool webGlRestore();
// The start's pictures go to WebGL in bands of rows, a few per frame, before
// the first frame is drawn, so that no task of the start waits long on them
// (the sky alone is 3 MiB). Takes the next bands for about a few milliseconds;
// true once every picture is up, and from then on at once.
bool texturesUploaded();
// Sends the draws still waiting to be joined with the next ones. At the end of
// every frame (glutSwapBuffers and the frame loop call it).
void webGlFlush();

}  // namespace web
