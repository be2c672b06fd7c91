// A recording stand-in for the GL, GLU and GLUT functions the game calls.
//
// Unit tests link the core library against this instead of the real libraries.
// It keeps the matrix stacks, records every call and every draw with the
// model-view matrix, material, bound texture and texture coordinate current at
// the time, and runs timers and redisplays under the test's control.
#pragma once

#include <array>
#include <string>
#include <vector>

namespace gldouble {

// A column-major 4 x 4 matrix, as GL keeps it.
struct Mat4 {
    std::array<double, 16> m{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
};

struct Point {
    double x = 0, y = 0, z = 0;
};

// m applied to the point p (w = 1).
Point apply(const Mat4& m, Point p);
// Where the origin of the frame m lands.
Point origin(const Mat4& m);

struct MaterialState {
    std::array<float, 4> ambient{0.2f, 0.2f, 0.2f, 1.0f};
    std::array<float, 4> diffuse{0.8f, 0.8f, 0.8f, 1.0f};
    std::array<float, 4> specular{0.0f, 0.0f, 0.0f, 1.0f};
    float shininess = 0.0f;
};

struct Vertex {
    Point local;                 // as passed to glVertex
    Point world;                 // after the model-view matrix
    float s = 0, t = 0;          // texture coordinate current at the vertex
    MaterialState material;      // material current at the vertex
};

// One drawn primitive.
struct Draw {
    // "gluSphere", "gluCylinder", "glutSolidSphere", "glutSolidCube", "glRectf",
    // or the glBegin mode: "GL_POLYGON", "GL_LINES", "GL_QUADS", ...
    std::string kind;
    std::vector<double> params;  // the call's numeric arguments (glBegin batches: none)
    Mat4 modelview;              // at the draw (glBegin batches: at glBegin)
    MaterialState material;      // at the draw (glBegin batches: at glBegin)
    unsigned texture = 0;        // bound GL_TEXTURE_2D
    float s = 0, t = 0;          // current texture coordinate at the draw
    int quadricTexture = -1;     // GLU quadrics: gluQuadricTexture flag; others -1
    int quadricDrawStyle = -1;   // GLU quadrics: draw style (GLU_FILL ...) or -1 if unset
    std::vector<Vertex> vertices;

    Point center() const { return origin(modelview); }
};

// One GL, GLU or GLUT call with its numeric arguments (pointers and strings left out).
struct Call {
    std::string name;
    std::vector<double> args;
};

struct TextureUpload {
    unsigned id = 0;
    int level = 0, internalFormat = 0, width = 0, height = 0, border = 0;
    unsigned format = 0, type = 0;
    int unpackAlignment = 4;
    bool hasPixels = false;
    std::vector<unsigned char> pixels;  // rows as laid out in memory, by unpackAlignment
};

struct Timer {
    long long due = 0;           // virtual milliseconds
    long long order = 0;         // arming order, breaks ties
    unsigned ms = 0;
    void (*func)(int) = nullptr;
    int value = 0;
};

struct Callbacks {
    void (*display)() = nullptr;
    void (*reshape)(int, int) = nullptr;
    void (*mouse)(int, int, int, int) = nullptr;
    void (*passiveMotion)(int, int) = nullptr;
    void (*keyboard)(unsigned char, int, int) = nullptr;
    void (*motion)(int, int) = nullptr;
    void (*special)(int, int, int) = nullptr;
    void (*idle)() = nullptr;
};

// Everything the double has seen since the last reset().
struct Recorder {
    std::vector<Call> calls;
    std::vector<Draw> draws;
    std::vector<TextureUpload> uploads;
    std::vector<unsigned> enabled;           // caps currently enabled
    std::vector<Timer> timers;               // pending, in arming order
    Callbacks callbacks;
    std::string windowTitle;
    int initWindowWidth = 0, initWindowHeight = 0, initWindowX = 0, initWindowY = 0;
    unsigned displayMode = 0;
    unsigned matrixMode = 0x1700;            // GL_MODELVIEW
    std::vector<Mat4> modelview{Mat4{}};     // the stacks; back() is current
    std::vector<Mat4> projection{Mat4{}};
    int maxModelviewDepth = 1;
    int stackErrors = 0;                     // pops of the last matrix, pushes past 32
    unsigned boundTexture = 0;
    float s = 0, t = 0;                      // current texture coordinate
    MaterialState material;
    int unpackAlignment = 4;
    int quadricsCreated = 0, quadricsDeleted = 0;
    int redisplays = 0, swaps = 0;
    long long now = 0;                       // virtual clock, ms
    bool inBegin = false;
};

// The one recorder. reset() makes it a fresh context and clears everything.
Recorder& gl();
void reset();

// Clears what has been recorded (calls, draws, uploads) but keeps the GL state,
// the matrix stacks, the callbacks and the pending timers.
void clearLog();

// Draws of one kind, in order.
std::vector<Draw> drawsOf(const std::string& kind);
// Calls with this name, in order.
std::vector<Call> callsOf(const std::string& name);
// The names of all recorded calls, in order.
std::vector<std::string> callNames();
bool isEnabled(unsigned cap);

// Timers. fireNextTimer advances the clock to the earliest pending timer and runs
// it; false when none is pending. advance(ms) runs every timer due within ms of
// now, in due order (timers armed meanwhile included), then sets the clock.
bool fireNextTimer();
void advance(long long ms);
int pendingTimers(void (*func)(int));

}  // namespace gldouble
