// Frame-time benchmark: how long the game takes to draw one frame of each of a
// few representative scenes, and how long the same frame takes when replayed
// from precompiled geometry.
//
// It starts the game as the game starts (startUp: the 1000 x 500 window, the
// GL state, the light and the twelve images from the run folder) but never
// enters the GLUT main loop: it calls display() itself, followed by glFinish()
// so that the driver's and the rasteriser's work on the frame is counted too.
// No timer ever fires, so the throw does not advance and the eyes stay open;
// the per-frame motions (gait, wag, sky, meter, knock-over, blast, car) do run.
//
// Each scene sets the state records directly, then before every frame a
// "hold" step (not timed) puts back what would otherwise drift away from the
// scene: the knocked trees' tipping, the house blast's clock, the flung dog.
//
// The precompiled reference compiles one live frame of the scene - the whole
// of display() - into a display list, then times glCallList + swap + glFinish.
// That is the cost of the same picture with the game's own code and the
// per-frame tessellation (GLU quadrics, GLUT spheres) taken out: a floor for
// what the driver needs to draw it. Live and precompiled frames alternate, so
// on a shared machine both meet the same load. Times are medians.
//
// Built twice: `frame_bench` links the real GL, GLU and GLUT; `frame_bench_null`
// links tools/frame_bench_null_gl.cpp, where every GL/GLU/GLUT function returns
// at once. The no-op build's frame time is the game's own code;
// tools/run_bench.sh puts the two side by side. The no-op build skips the precompiled reference.
//
// Usage: frame_bench [--run-dir DIR] [--warmup N] [--frames N] [--scene NAME]
//   --run-dir  the folder holding the twelve images (default: the current one)
//   --warmup   untimed frames before each timing (default 5; no-op build 1000)
//   --frames   timed frames per scene and per way of drawing (default 30; no-op build 20000)
//   --scene    only this scene (rest, flight, run, house, closing)
#include "app/app.h"
#include "game/game.h"
#include "world/world.h"

#include <GL/freeglut.h>
#include <GL/gl.h>

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <numeric>
#include <string>
#include <vector>

namespace {

#ifdef FETCH_BENCH_NULL_GL
constexpr bool realGl = false;
constexpr int defaultWarmUp = 1000;
constexpr int defaultFrames = 20000;
#else
constexpr bool realGl = true;
constexpr int defaultWarmUp = 5;
constexpr int defaultFrames = 30;
#endif

constexpr int windowWidth = 1000;
constexpr int windowHeight = 500;
// The trees are planted from a fixed seed so every run draws the same scenes.
constexpr unsigned treeSeed = 1;

struct Options {
    const char* runDir = nullptr;
    int warmUp = defaultWarmUp;
    int frames = defaultFrames;
    std::string scene;
};

// --- The scenes ------------------------------------------------------------------------

ScatteredObject plantedTrees[scatteredObjectCount];
// The state right after a scene's set-up; hold steps restore parts of it.
GameState sceneGame;
WorldState sceneWorld;

// Everything back to the load values, with the fur start-up chooses and the trees planted.
void loadState()
{
    game = GameState{};
    world = WorldState{};
    app = AppState{};
    game.currentFurTexture = 1;
    std::copy(std::begin(plantedTrees), std::end(plantedTrees), std::begin(world.scatteredObjects));
}

void setUpRest()
{
    loadState();
}

// Half-way up the parabola, ahead of the dog and a little to its right.
void setUpFlight()
{
    loadState();
    game.launchState = BoneFlight;
    game.boneX = 1.0f;
    game.boneY = 8.0f;
    game.boneZ = -12.0f;
}

// The dog half-way to a bone 24 units out, running between trees: two of them
// knocked and bursting, three still standing along the way ahead.
void setUpRun()
{
    loadState();
    game.launchState = RunToBone;
    game.boneZ = -24.0f;
    game.dogZ = -8.0f;
    game.dogHeading = 180.0f;
    const ScatteredObject alongTheRun[] = {
        {-2.5f, 0.0f, -4.0f, 30.0f, 1, 120.0f},
        {2.0f, 0.0f, -8.0f, 200.0f, 1, 40.0f},
        {-3.0f, 0.0f, -12.0f, 90.0f, 0, 0.0f},
        {2.5f, 0.0f, -16.0f, 300.0f, 0, 0.0f},
        {-2.0f, 0.0f, -20.0f, 10.0f, 0, 0.0f},
    };
    std::copy(std::begin(alongTheRun), std::end(alongTheRun), std::begin(world.scatteredObjects));
}

void holdRun()
{
    std::copy(std::begin(sceneWorld.scatteredObjects), std::end(sceneWorld.scatteredObjects),
              std::begin(world.scatteredObjects));
}

// The dog has run into the house; the blast is half-way through.
void setUpHouse()
{
    loadState();
    game.launchState = RunToBone;
    game.boneX = 6.0f;
    game.boneZ = -20.0f;
    game.dogX = 3.0f;
    game.dogZ = -11.0f;
    game.dogHeading = 180.0f;
    game.runYaw = -10.0f;
    game.houseHit = 1;
    game.houseBlastTime = 15.0f;
}

void holdHouse()
{
    game.houseBlastTime = sceneGame.houseBlastTime;
    game.houseDestroyed = sceneGame.houseDestroyed;
}

// The car has arrived; the dog is half-way through its flight and the
// explosion half grown. Held there so the scene never reaches its exit.
void setUpClosing()
{
    loadState();
    game.freeWalk = 2;
    game.quitting = 1;
    game.carOffset = 0.5f;
    game.dogX = -4.0f;
    game.dogY = 2.0f;
    game.dogHeading = 80.0f;
}

void holdClosing()
{
    game.dogX = sceneGame.dogX;
    game.dogY = sceneGame.dogY;
    game.dogHeading = sceneGame.dogHeading;
}

void holdNothing() {}

struct Scene {
    const char* name;
    void (*setUp)();
    void (*hold)();   // before every frame, untimed
};

constexpr Scene scenes[] = {
    {"rest", setUpRest, holdNothing},
    {"flight", setUpFlight, holdNothing},
    {"run", setUpRun, holdRun},
    {"house", setUpHouse, holdHouse},
    {"closing", setUpClosing, holdClosing},
};

// --- Timing -----------------------------------------------------------------------------

using Clock = std::chrono::steady_clock;

GLuint frameList = 0;

void liveFrame()
{
    display();
    glFinish();
}

void precompiledFrame()
{
    glCallList(frameList);
    glutSwapBuffers();
    glFinish();
}

// Compiles one live frame of the current scene into frameList. display()'s
// swap is not a GL command: it runs at once and is not part of the list.
void compileFrame(const Scene& scene)
{
    scene.hold();
    glNewList(frameList, GL_COMPILE);
        display();
    glEndList();
}

// The times of one way of drawing a scene's frames, in milliseconds.
struct Samples {
    std::vector<double> ms;

    void timeFrame(const Scene& scene, void (*frame)())
    {
        scene.hold();
        const Clock::time_point start = Clock::now();
        frame();
        const Clock::time_point end = Clock::now();
        ms.push_back(std::chrono::duration<double, std::milli>(end - start).count());
    }
    double mean() const { return std::accumulate(ms.begin(), ms.end(), 0.0) / static_cast<double>(ms.size()); }
    double median() const
    {
        std::vector<double> sorted = ms;
        std::sort(sorted.begin(), sorted.end());
        const std::size_t middle = sorted.size() / 2;
        return sorted.size() % 2 == 1 ? sorted[middle] : (sorted[middle - 1] + sorted[middle]) / 2.0;
    }
};

struct SceneTimes {
    Samples live;
    Samples precompiled;   // empty in the no-op build
};

// Warms up, then times the scene's frames one by one; the hold step before
// each frame is left out of the time. With the real GL the live and the
// precompiled frames alternate, so both meet the same load on the machine.
SceneTimes timeScene(const Scene& scene, const Options& options)
{
    SceneTimes times;
    for (int i = 0; i < options.warmUp; ++i) {
        scene.hold();
        liveFrame();
    }
    if (realGl) {
        compileFrame(scene);
        for (int i = 0; i < options.warmUp; ++i) {
            precompiledFrame();
        }
    }
    for (int i = 0; i < options.frames; ++i) {
        times.live.timeFrame(scene, liveFrame);
        if (realGl) {
            times.precompiled.timeFrame(scene, precompiledFrame);
        }
    }
    return times;
}

// Reports any GL error left by a scene; a benchmark of failing calls means nothing.
bool checkError(const char* where)
{
    bool clean = true;
    for (GLenum error = glGetError(); error != GL_NO_ERROR; error = glGetError()) {
        std::fprintf(stderr, "frame_bench: GL error 0x%04x in %s\n", error, where);
        clean = false;
    }
    return clean;
}

double fps(double ms) { return ms > 0.0 ? 1000.0 / ms : 0.0; }

// --- Command line -----------------------------------------------------------------------

int wholeArgument(const char* flag, const char* text, long lowest)
{
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || value < lowest || value > 10000000) {
        std::fprintf(stderr, "frame_bench: %s wants a whole number from %ld to 10000000, not \"%s\"\n", flag,
                     lowest, text);
        std::exit(2);
    }
    return static_cast<int>(value);
}

Options parseOptions(int argc, char** argv)
{
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string flag = argv[i];
        if (i + 1 >= argc) {
            std::fprintf(stderr, "frame_bench: %s needs a value (see the top of tools/frame_bench.cpp)\n",
                         flag.c_str());
            std::exit(2);
        }
        const char* value = argv[++i];
        if (flag == "--run-dir") {
            options.runDir = value;
        } else if (flag == "--warmup") {
            options.warmUp = wholeArgument("--warmup", value, 0);
        } else if (flag == "--frames") {
            options.frames = wholeArgument("--frames", value, 1);
        } else if (flag == "--scene") {
            options.scene = value;
            const bool known = std::any_of(std::begin(scenes), std::end(scenes),
                                           [&](const Scene& s) { return options.scene == s.name; });
            if (!known) {
                std::fprintf(stderr, "frame_bench: no scene \"%s\" (rest, flight, run, house, closing)\n", value);
                std::exit(2);
            }
        } else {
            std::fprintf(stderr, "frame_bench: unknown option %s\n", flag.c_str());
            std::exit(2);
        }
    }
    return options;
}

const char* glText(GLenum name)
{
    const GLubyte* text = glGetString(name);
    return text != nullptr ? reinterpret_cast<const char*>(text) : "(unknown)";
}

}  // namespace

int main(int argc, char** argv)
{
    // Set-up: the game's own start-up in the run folder, the window settled.
    const Options options = parseOptions(argc, argv);
    if (options.runDir != nullptr && chdir(options.runDir) != 0) {
        std::fprintf(stderr, "frame_bench: cannot enter the run folder %s\n", options.runDir);
        return 2;
    }
    int glutArgc = 1;
    char* glutArgv[] = {argv[0], nullptr};
    startUp(&glutArgc, glutArgv);
    std::srand(treeSeed);
    placeScatteredObjects();
    std::copy(std::begin(world.scatteredObjects), std::end(world.scatteredObjects), std::begin(plantedTrees));
    glutMainLoopEvent();  // maps the window and delivers its first events
    if (realGl) {
        frameList = glGenLists(1);
    }
    checkError("start-up");

    std::printf("# renderer: %s\n# version: %s\n", glText(GL_RENDERER), glText(GL_VERSION));
    std::printf("# window %d x %d; per scene %d warm-up and %d timed frames; times are medians\n",
                windowWidth, windowHeight, options.warmUp, options.frames);
    std::printf("%-8s %12s %10s %12s %22s %16s\n", "scene", "ms/frame", "fps", "mean ms",
                "precompiled ms/frame", "precompiled fps");
    std::fflush(stdout);

    // The scenes, one after another.
    bool clean = true;
    for (const Scene& scene : scenes) {
        if (!options.scene.empty() && options.scene != scene.name) {
            continue;
        }
        scene.setUp();
        reshape(windowWidth, windowHeight);
        sceneGame = game;
        sceneWorld = world;

        const SceneTimes times = timeScene(scene, options);
        clean = checkError(scene.name) && clean;
        const double liveMs = times.live.median();
        std::printf("%-8s %12.4f %10.2f %12.4f ", scene.name, liveMs, fps(liveMs), times.live.mean());
        if (realGl) {
            const double precompiledMs = times.precompiled.median();
            std::printf("%22.4f %16.2f\n", precompiledMs, fps(precompiledMs));
        } else {
            std::printf("%22s %16s\n", "-", "-");
        }
        std::fflush(stdout);
    }

    // Tear-down: the process ends here; the window goes with it.
    if (realGl) {
        glDeleteLists(frameList, 1);
    }
    return clean ? 0 : 1;
}
