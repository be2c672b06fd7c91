// Start-up, the frame loop and the projection, checked through the recording double.
#include "app/app.h"
#include "game/game.h"
#include "gl_double.h"
#include "test_support.h"
#include "textures/textures.h"
#include "world/world.h"

#include <GL/freeglut.h>
#include <GL/gl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

using gldouble::callsOf;
using gldouble::gl;

std::vector<std::string> namesBetween(const std::vector<std::string>& names, const std::string& first,
                                      const std::string& last)
{
    std::vector<std::string> out;
    bool inside = false;
    for (const std::string& n : names) {
        if (n == first) {
            inside = true;
        }
        if (inside) {
            out.push_back(n);
        }
        if (inside && n == last) {
            break;
        }
    }
    return out;
}

// The first pixel of a BMP file as stored (blue, green, red), read without the game's reader.
std::vector<unsigned char> firstStoredPixel(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const size_t offset = bytes[10] | bytes[11] << 8 | bytes[12] << 16 | bytes[13] << 24;
    return {bytes[offset], bytes[offset + 1], bytes[offset + 2]};
}

class StartUp : public FreshGame {
protected:
    void SetUp() override
    {
        FreshGame::SetUp();
        ASSERT_EQ(0, chdir(FETCH_RUN_DIR)) << "the build writes the images into " << FETCH_RUN_DIR;
        char name[] = "fetch";
        char* argv[] = {name, nullptr};
        int argc = 1;
        ::testing::internal::CaptureStdout();
        startUp(&argc, argv);
        output = ::testing::internal::GetCapturedStdout();
    }
    std::string output;
};

TEST_F(StartUp, OpensTheWindowAndWiresTheCallbacksInOrder)
{
    EXPECT_EQ(1000, gl().initWindowWidth);
    EXPECT_EQ(500, gl().initWindowHeight);
    EXPECT_EQ(100, gl().initWindowX);
    EXPECT_EQ(100, gl().initWindowY);
    EXPECT_EQ(18u, gl().displayMode);
    EXPECT_EQ("My Second Window", gl().windowTitle);
    const auto clear = callsOf("glClearColor");
    ASSERT_EQ(1u, clear.size());
    EXPECT_EQ((std::vector<double>{1, 1, 1, 1}), clear[0].args);

    const std::vector<std::string> wiring = namesBetween(gldouble::callNames(), "glutInit", "glutKeyboardFunc");
    const std::vector<std::string> expected = {
        "glutInit", "glutInitWindowSize", "glutInitWindowPosition", "glutInitDisplayMode", "glutCreateWindow",
        "glClearColor", "glutDisplayFunc", "glutReshapeFunc", "glutMouseFunc", "glutPassiveMotionFunc",
        "glutKeyboardFunc"};
    EXPECT_EQ(expected, wiring);
    EXPECT_EQ(&display, gl().callbacks.display);
    EXPECT_EQ(&reshape, gl().callbacks.reshape);
    EXPECT_EQ(&mouseButton, gl().callbacks.mouse);
    EXPECT_EQ(&passiveMotion, gl().callbacks.passiveMotion);
    EXPECT_EQ(&keyboard, gl().callbacks.keyboard);
    EXPECT_EQ(nullptr, gl().callbacks.idle);
    EXPECT_EQ(nullptr, gl().callbacks.motion);
    EXPECT_EQ(nullptr, gl().callbacks.special);
}

TEST_F(StartUp, SetsTheFixedGlStateAndTheLight)
{
    for (unsigned cap : {GL_DEPTH_TEST, GL_LIGHTING, GL_BLEND, GL_TEXTURE_2D, GL_LIGHT0}) {
        EXPECT_TRUE(gldouble::isEnabled(cap)) << "cap 0x" << std::hex << cap;
    }
    EXPECT_TRUE(callsOf("glDisable").empty());
    const auto blend = callsOf("glBlendFunc");
    ASSERT_EQ(1u, blend.size());
    EXPECT_EQ((std::vector<double>{GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA}), blend[0].args);

    const auto lights = callsOf("glLightfv");
    ASSERT_EQ(3u, lights.size());
    const struct {
        GLenum pname;
        float value;
    } expected[] = {{GL_DIFFUSE, 0.8f}, {GL_AMBIENT, 0.6f}, {GL_SPECULAR, 0.9f}};
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(GL_LIGHT0, lights[i].args[0]);
        EXPECT_EQ(expected[i].pname, lights[i].args[1]);
        for (int c = 0; c < 3; ++c) {
            EXPECT_FLOAT_EQ(expected[i].value, static_cast<float>(lights[i].args[2 + c]));
        }
        EXPECT_EQ(1.0, lights[i].args[5]);
    }
    const auto shade = callsOf("glShadeModel");
    ASSERT_EQ(1u, shade.size());
    EXPECT_EQ(GL_SMOOTH, shade[0].args[0]);
    // The light is set before the first texture is defined.
    const auto names = gldouble::callNames();
    EXPECT_LT(std::find(names.begin(), names.end(), "glShadeModel"),
              std::find(names.begin(), names.end(), "glTexImage2D"));
}

TEST_F(StartUp, LoadsTheTwelveImagesUnderTheirIdsAndSaysSo)
{
    std::string expectedOutput;
    for (const TextureFile& file : textureFiles) {
        expectedOutput += std::string("trying to load ") + file.fileName + "\n";
    }
    EXPECT_EQ(expectedOutput, output);

    const auto& uploads = gl().uploads;
    ASSERT_EQ(13u, uploads.size());
    EXPECT_EQ(0u, uploads[0].id);
    EXPECT_EQ(64, uploads[0].width);
    EXPECT_EQ(64, uploads[0].height);
    for (size_t i = 0; i < 12; ++i) {
        const auto& up = uploads[i + 1];
        SCOPED_TRACE(textureFiles[i].fileName);
        EXPECT_EQ(textureFiles[i].id, up.id);
        EXPECT_EQ(3, up.internalFormat);
        EXPECT_EQ(static_cast<unsigned>(GL_RGB), up.format);
        EXPECT_EQ(0, up.width & (up.width - 1)) << "power-of-two width";
        EXPECT_EQ(0, up.height & (up.height - 1)) << "power-of-two height";
        ASSERT_GE(up.pixels.size(), 3u);
        const auto stored = firstStoredPixel(std::string(FETCH_RUN_DIR) + "/" + textureFiles[i].fileName);
        EXPECT_EQ(stored[2], up.pixels[0]) << "red comes from the third stored byte";
        EXPECT_EQ(stored[1], up.pixels[1]);
        EXPECT_EQ(stored[0], up.pixels[2]);
    }
    EXPECT_EQ(static_cast<unsigned>(blankTexture), gl().boundTexture) << "the first frame starts with the blank texture";
    EXPECT_EQ(1, game.currentFurTexture);
    EXPECT_EQ(5, game.dogTextureCount);
}

TEST_F(StartUp, PlantsTheTreesAndArmsTheFirstBlink)
{
    int placed = 0;
    for (const ScatteredObject& tree : world.scatteredObjects) {
        placed += (tree.x != 0.0f || tree.z != 0.0f) ? 1 : 0;
        EXPECT_FALSE(tree.x >= 0 && tree.x <= 10 && tree.z >= -4 && tree.z <= 10);
    }
    EXPECT_GE(placed, 14) << "fifteen trees, at most one of them by chance at the origin";

    ASSERT_EQ(1u, gl().timers.size());
    EXPECT_EQ(41u, gl().timers[0].ms);
    EXPECT_EQ(&blinkTimer, gl().timers[0].func);
    EXPECT_EQ(0, gl().timers[0].value);
    EXPECT_EQ(400, app.windowWidth) << "placeholders until the first reshape";
    EXPECT_EQ(200, app.windowHeight);
}

class Frame : public FreshGame {
protected:
    void SetUp() override
    {
        FreshGame::SetUp();
        game.currentFurTexture = 1;
        reshape(1000, 500);
        gldouble::clearLog();
    }
};

TEST_F(Frame, PlacesTheCameraAndEndsWithRedisplayAndSwap)
{
    display();
    const auto names = gldouble::callNames();
    ASSERT_GE(names.size(), 8u);
    const std::vector<std::string> opening(names.begin(), names.begin() + 6);
    EXPECT_EQ((std::vector<std::string>{"glClear", "glLoadIdentity", "glMatrixMode", "gluLookAt", "glTranslatef",
                                        "glPushMatrix"}),
              opening);
    const std::vector<std::string> closing(names.end() - 3, names.end());
    EXPECT_EQ((std::vector<std::string>{"glPopMatrix", "glutPostRedisplay", "glutSwapBuffers"}), closing);

    const auto& calls = gl().calls;
    EXPECT_EQ(double(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT), calls[0].args[0]);
    EXPECT_EQ(double(GL_MODELVIEW), calls[2].args[0]);
    EXPECT_EQ((std::vector<double>{0, 2, 1, 0, 2, 0, 0, 1, 0}), calls[3].args);
    EXPECT_EQ((std::vector<double>{0, 0, -10}), calls[4].args);

    expectBalanced();
}

TEST_F(Frame, LiftsTheDogOnlyWhileTheGaitIsPositive)
{
    const struct {
        float gait;
        float lift;
        double height;
    } cases[] = {{30.0f, 30.0f, 1.3}, {0.0f, 0.0f, 1.0}, {-25.0f, 0.0f, 1.0}};
    for (const auto& c : cases) {
        gldouble::clearLog();
        world.gaitAngle = c.gait;
        game.launchState = Idle;  // the gait does not step while idle
        display();
        EXPECT_FLOAT_EQ(c.lift, app.dogLift) << "gait " << c.gait;
        bool found = false;
        for (const auto& call : callsOf("glTranslatef")) {
            found = found || (call.args[0] == 0 && std::fabs(call.args[1] - c.height) < 1e-6 && call.args[2] == 0);
        }
        EXPECT_TRUE(found) << "dog origin raised to " << c.height;
    }
}

TEST_F(Frame, ShowsTheMeterAndTheHouseOnlyWhenTheyBelong)
{
    const struct {
        const char* situation;
        int freeWalk;
        int quitting;
        int houseDestroyed;
        bool meter;
        bool house;
    } cases[] = {
        {"aiming", 0, 0, 0, true, true},
        {"free walk", 1, 0, 0, false, true},
        {"house destroyed", 0, 0, 1, true, false},
    };
    for (const auto& c : cases) {
        gldouble::clearLog();
        game.freeWalk = c.freeWalk;
        game.quitting = c.quitting;
        game.houseDestroyed = c.houseDestroyed;
        const float level = world.meterLevel;
        display();
        SCOPED_TRACE(c.situation);
        EXPECT_EQ(c.meter, !gldouble::drawsOf("glRectf").empty());
        EXPECT_EQ(c.meter, world.meterLevel != level) << "the meter moves only while drawn";
        EXPECT_EQ(c.house, !gldouble::drawsOf("glutSolidCube").empty()) << "the door is the only cube";
    }
}

TEST_F(Frame, RunsTheThrowOnlyInAimingModeAndTheWalkOnlyInFreeWalk)
{
    // A throw waiting to start: the dispatcher arms the sequence timer.
    game.launchState = BoneFlight;
    game.stateChanged = 1;
    game.flightTicks = 16.5f;
    game.freeWalk = 2;
    game.quitting = 1;
    game.steerX = 3.0f;
    game.steerY = 3.0f;
    display();
    EXPECT_EQ(0, gldouble::pendingTimers(&sequenceTimer)) << "no dispatcher while quitting";
    EXPECT_EQ(0.0f, game.dogX) << "no walking while quitting";

    game.freeWalk = 1;
    game.quitting = 0;
    game.carOffset = 6.0f;
    display();
    EXPECT_EQ(0, gldouble::pendingTimers(&sequenceTimer)) << "no dispatcher in free walk";
    EXPECT_NE(0.0f, game.dogX) << "the free-walk step moves the dog";

    resetThrow();
    game.freeWalk = 0;
    display();
    EXPECT_EQ(1, gldouble::pendingTimers(&sequenceTimer)) << "the dispatcher starts the flight";
    EXPECT_EQ(0, game.stateChanged);
}

TEST(Reshape, StoresTheSizeAndSetsTheProjection)
{
    const struct {
        int width, height;
        double aspect;
    } cases[] = {{1000, 500, 2.0}, {500, 500, 1.0}, {800, 600, 800.0 / 600.0}, {640, 0, 640.0}};
    for (const auto& c : cases) {
        gldouble::reset();
        reshape(c.width, c.height);
        SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height));
        EXPECT_EQ(c.width, app.windowWidth);
        EXPECT_EQ(c.height, app.windowHeight) << "the stored height stays the real one";
        const auto persp = callsOf("gluPerspective");
        ASSERT_EQ(1u, persp.size());
        EXPECT_EQ(50.0, persp[0].args[0]);
        EXPECT_DOUBLE_EQ(c.aspect, persp[0].args[1]);
        EXPECT_TRUE(std::isfinite(persp[0].args[1]));
        EXPECT_EQ(1.0, persp[0].args[2]);
        EXPECT_EQ(200.0, persp[0].args[3]);
        const auto viewport = callsOf("glViewport");
        ASSERT_EQ(1u, viewport.size());
        EXPECT_EQ((std::vector<double>{0, 0, double(c.width), double(c.height)}), viewport[0].args);
        EXPECT_EQ(static_cast<unsigned>(GL_MODELVIEW), gl().matrixMode) << "reshape leaves the model-view selected";
    }
}

TEST(Materials, SetMaterialAppliesTheFrontFaceInOrder)
{
    gldouble::reset();
    setMaterial(pupilMaterial);
    const auto calls = callsOf("glMaterialfv");
    ASSERT_EQ(4u, calls.size());
    const GLenum order[] = {GL_AMBIENT, GL_DIFFUSE, GL_SPECULAR, GL_SHININESS};
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(GL_FRONT, calls[i].args[0]);
        EXPECT_EQ(order[i], calls[i].args[1]);
    }
    EXPECT_FLOAT_EQ(0.85f, gl().material.diffuse[3]) << "the pupils are translucent";
    EXPECT_FLOAT_EQ(30.0f, gl().material.shininess);
}

}  // namespace
