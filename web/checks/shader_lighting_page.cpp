// A page for the browser checks, beside the game's (the browser build makes it
// into checks/shader_lighting.html): the browser layer's own shader against
// fixed_function_lighting.cpp, the CPU's copy of GL's lighting equation. Through the layer's
// GL entry points it lights the front face of a cube with each of the game's
// materials, under tilted and scaled normals and light from several sides,
// reads the colour back from the canvas and compares it with lightVertex on
// the same inputs. Prints a line for each colour more than one level of 255
// apart, then "shader lighting: N cases, M off, largest difference D".
#include "app/app.h"
#include "fixed_function_lighting.h"
#include "matrices.h"

#include <GL/gl.h>
#include <GL/glut.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

extern "C" void emscripten_glReadPixels(GLint, GLint, GLsizei, GLsizei, GLenum, GLenum, void*);

namespace {

constexpr int side = 16;          // the canvas, in pixels
constexpr double cubeSize = 0.8;  // its front face covers the middle pixel in every pose below

// The model-view the cube is drawn with: a turn, then a stretch along z that
// shortens or lengthens its face's normal (GL does not normalise it).
struct Pose {
    float angle, axis[3], stretch;
};

// The light's direction; the layer normalises it.
struct Light {
    float direction[3];
};

web::MaterialState materialOf(const Material& m)
{
    web::MaterialState s;
    for (int i = 0; i < 4; ++i) {
        s.ambient[i] = m.ambient[i];
        s.diffuse[i] = m.diffuse[i];
        s.specular[i] = m.specular[i];
    }
    s.shininess = m.shininess;
    return s;
}

web::Matrix modelviewOf(const Pose& pose)
{
    web::Matrix m;
    web::Matrix turn;
    if (web::rotation(pose.angle, pose.axis[0], pose.axis[1], pose.axis[2], turn)) {
        m = web::multiply(m, turn);
    }
    web::scale(m, 1.0f, 1.0f, pose.stretch);
    return m;
}

// What the shader draws: the cube's front face fills the middle of the canvas.
void drawnColour(const Material& material, const Pose& pose, const Light& light, unsigned char rgba[4])
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    const float position[4] = {light.direction[0], light.direction[1], light.direction[2], 0.0f};
    glLightfv(GL_LIGHT0, GL_POSITION, position);
    glRotatef(pose.angle, pose.axis[0], pose.axis[1], pose.axis[2]);
    glScalef(1.0f, 1.0f, pose.stretch);
    setMaterial(material);
    glutSolidCube(cubeSize);
    glutSwapBuffers();  // sends the waiting draw
    emscripten_glReadPixels(side / 2, side / 2, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
}

// What fixed_function_lighting.cpp gives the same face.
void expectedColour(const Material& material, const Pose& pose, const Light& light, float rgba[4])
{
    web::LightState state;
    for (int i = 0; i < 4; ++i) {
        state.ambient[i] = lightAmbient[i];
        state.diffuse[i] = lightDiffuse[i];
        state.specular[i] = lightSpecular[i];
    }
    for (int i = 0; i < 3; ++i) state.direction[i] = light.direction[i];
    web::normalise(state.direction);
    state.enabled = true;
    float nm[9];
    web::normalMatrix(modelviewOf(pose), nm);
    const float front[3] = {0.0f, 0.0f, 1.0f};
    float n[3];
    web::applyNormalMatrix(nm, front, n);
    web::lightVertex(state, materialOf(material), n, rgba);
}

}  // namespace

int main(int argc, char** argv)
{
    struct NamedMaterial {
        const char* name;
        Material m;
    };
    const NamedMaterial materials[] = {
        {"meter cover", meterCoverMaterial}, {"meter low", meterLowMaterial}, {"meter high", meterHighMaterial},
        {"meter frame", meterFrameMaterial}, {"grass", grassMaterial},         {"fur", furMaterial},
        {"nose", noseMaterial},              {"black", blackMaterial},         {"bright", brightMaterial},
        {"pupil", pupilMaterial},            {"eye white", eyeWhiteMaterial},  {"bone", boneMaterial},
        {"house", houseMaterial},            {"collar", collarMaterial},       {"trunk", trunkMaterial},
        {"blast", explosionMaterial(0.5f)},
    };
    const Pose poses[] = {
        {0.0f, {0.0f, 0.0f, 1.0f}, 1.0f},    // facing the viewer
        {35.0f, {0.0f, 1.0f, 0.0f}, 1.0f},   // tilted
        {-30.0f, {1.0f, 0.0f, 0.0f}, 1.0f},
        {25.0f, {1.0f, 1.0f, 0.0f}, 1.0f},
        {0.0f, {0.0f, 0.0f, 1.0f}, 2.0f},    // a normal of length 0.5
        {40.0f, {0.0f, 1.0f, 0.0f}, 0.625f}, // tilted, of length 1.6
        {-20.0f, {1.0f, -1.0f, 0.0f}, 1.6f}, // tilted, of length 0.625
    };
    const Light lights[] = {
        {{0.0f, 0.0f, 1.0f}},    // the game's: from the viewer
        {{0.3f, 0.5f, 0.8f}},
        {{-0.6f, 0.2f, 0.4f}},
        {{1.0f, 0.0f, 0.1f}},    // grazing
        {{0.0f, 0.9f, -0.4f}},   // from behind: ambient only
    };

    glutInit(&argc, argv);
    glutInitWindowSize(side, side);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutCreateWindow("shader lighting");
    glViewport(0, 0, side, side);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_LIGHTING);
    initLighting();
    // Depth grows away from the viewer, so that the cube's front face is the one seen.
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glScalef(1.0f, 1.0f, -1.0f);

    int cases = 0;
    int off = 0;
    long largest = 0;  // levels of 255
    for (const NamedMaterial& material : materials) {
        for (const Pose& pose : poses) {
            for (const Light& light : lights) {
                unsigned char drawn[4] = {};
                drawnColour(material.m, pose, light, drawn);
                float expected[4] = {};
                expectedColour(material.m, pose, light, expected);
                ++cases;
                long difference = 0;
                for (int c = 0; c < 3; ++c) {
                    difference = std::max(difference, std::abs(drawn[c] - std::lround(expected[c] * 255.0f)));
                }
                largest = std::max(largest, difference);
                if (difference > 1) {
                    ++off;
                    std::printf("off: %s, turn %g about (%g, %g, %g), stretch %g, light (%g, %g, %g): "
                                "drawn %d %d %d, fixed_function_lighting.cpp %.1f %.1f %.1f\n",
                                material.name, pose.angle, pose.axis[0], pose.axis[1], pose.axis[2], pose.stretch,
                                light.direction[0], light.direction[1], light.direction[2], drawn[0], drawn[1],
                                drawn[2], expected[0] * 255.0f, expected[1] * 255.0f, expected[2] * 255.0f);
                }
            }
        }
    }
    std::printf("shader lighting: %d cases, %d off, largest difference %ld\n", cases, off, largest);
    return 0;
}
