// A page for the browser checks, beside the game's (the browser build makes it
// into checks/tessellation_levels.html): the game's own start-up and display,
// with its state records set to a scene and drawn twice without advancing,
// once with every shape as the game asks for it and once at the shape cache's
// levels by size on screen. Both pictures are averaged over 4 x 4 blocks; a
// block is off where any channel differs by more than 8 levels of 255. For
// each scene it prints the share of blocks off and the triangles and draw
// calls of a frame both ways, counted by wrapping WebGL's draw calls; then
// "tessellation levels: N scenes, M over the bound, worst W % of blocks off".
// Each pair is left side by side on a canvas of the page (id "pair-SCENE").
#include "app/app.h"
#include "game/game.h"
#include "webgl_layer.h"
#include "world/world.h"

#include <GL/gl.h>
#include <emscripten/emscripten.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

extern "C" void emscripten_glReadPixels(GLint, GLint, GLsizei, GLsizei, GLenum, GLenum, void*);

namespace {

constexpr int width = 1000;  // the game's window
constexpr int height = 500;
constexpr int block = 4;               // pixels a side
constexpr double levelsOff = 8.0;      // of 255, in any channel
constexpr double mostBlocksOff = 0.5;  // per cent
constexpr unsigned treeSeed = 1;       // the trees of tools/frame_bench.cpp

// Counts WebGL's draw calls and the triangles they draw, from now on.
EM_JS(void, countDraws, (), {
    var counts = Module.drawCounts = {calls: 0, triangles: 0};
    function triangles(mode, count) {
        return mode == 4 ? Math.floor(count / 3) : (mode == 5 || mode == 6) ? Math.max(count - 2, 0) : 0;
    }
    [['drawArrays', 2, -1], ['drawElements', 1, -1], ['drawArraysInstanced', 2, 3],
     ['drawElementsInstanced', 1, 4]].forEach(function(call) {
        var original = GLctx[call[0]];
        GLctx[call[0]] = function() {
            counts.calls += 1;
            counts.triangles += triangles(arguments[0], arguments[call[1]]) * (call[2] < 0 ? 1 : arguments[call[2]]);
            return original.apply(this, arguments);
        };
    });
});

EM_JS(void, resetDrawCounts, (), { Module.drawCounts.calls = 0; Module.drawCounts.triangles = 0; });
EM_JS(int, drawCalls, (), { return Module.drawCounts.calls; });
EM_JS(int, trianglesDrawn, (), { return Module.drawCounts.triangles; });

// Puts a pair of pictures (bottom-up RGBA rows) side by side on a new canvas of the page.
EM_JS(void, showPair, (const char* name, const unsigned char* left, const unsigned char* right, int w, int h), {
    var canvas = document.createElement('canvas');
    canvas.id = 'pair-' + UTF8ToString(name);
    canvas.width = 2 * w;
    canvas.height = h;
    var context = canvas.getContext('2d');
    var image = context.createImageData(2 * w, h);
    for (var y = 0; y < h; ++y) {
        var row = (h - 1 - y) * w * 4;
        image.data.set(HEAPU8.subarray(left + row, left + row + w * 4), y * 2 * w * 4);
        image.data.set(HEAPU8.subarray(right + row, right + row + w * 4), (y * 2 + 1) * w * 4);
    }
    context.putImageData(image, 0, 0);
    document.body.appendChild(canvas);
});

struct Frame {
    std::vector<unsigned char> pixels = std::vector<unsigned char>(width * height * 4);
    int calls = 0;
    int triangles = 0;
};

// --- The scenes: the state records set directly, as tools/frame_bench.cpp does ----------
ScatteredObject plantedTrees[scatteredObjectCount];

// Everything back to the load values, with the fur start-up chooses and the trees planted.
void loadState()
{
    resetAllState();
    game.currentFurTexture = 1;
    std::copy(std::begin(plantedTrees), std::end(plantedTrees), std::begin(world.scatteredObjects));
}

void setUpRest() { loadState(); }

// Half-way up the parabola, ahead of the dog and a little to its right.
void setUpFlight()
{
    loadState();
    game.launchState = BoneFlight;
    game.boneX = 1.0f;
    game.boneY = 8.0f;
    game.boneZ = -12.0f;
}

// Walked away from home into the trees, the camera behind the dog as the walk carries it.
void setUpFreeWalk()
{
    loadState();
    game.freeWalk = 1;
    game.dogX = -2.0f;
    game.dogZ = -30.0f;
    game.dogHeading = 180.0f;
    game.cameraEyeX = game.cameraCenterX = game.dogX;
    game.cameraEyeZ = game.dogZ + 1.0f;
    game.cameraCenterZ = game.dogZ;
}

// The car has arrived; the dog is flung and the explosion grows.
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

const struct {
    const char* name;
    void (*setUp)();
} scenes[] = {
    {"rest", setUpRest},
    {"throw", setUpFlight},
    {"free-walk", setUpFreeWalk},
    {"closing", setUpClosing},
};

// One frame of the scene set up in scene*, the game's state put back first.
void drawScene(const GameState& sceneGame, const WorldState& sceneWorld, const AppState& sceneApp, bool levels,
               Frame& out)
{
    game = sceneGame;
    world = sceneWorld;
    app = sceneApp;
    web::setTessellationLevels(levels);
    resetDrawCounts();
    display();
    out.calls = drawCalls();
    out.triangles = trianglesDrawn();
    emscripten_glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, out.pixels.data());
}

// The blocks whose averages differ by more than levelsOff in some channel, and the largest difference.
int blocksOff(const Frame& a, const Frame& b, double& largest)
{
    int off = 0;
    for (int by = 0; by < height / block; ++by) {
        for (int bx = 0; bx < width / block; ++bx) {
            double worst = 0.0;
            for (int c = 0; c < 4; ++c) {
                long sum = 0;
                for (int y = by * block; y < (by + 1) * block; ++y) {
                    for (int x = bx * block; x < (bx + 1) * block; ++x) {
                        const std::size_t at = (static_cast<std::size_t>(y) * width + x) * 4 + c;
                        sum += static_cast<long>(a.pixels[at]) - static_cast<long>(b.pixels[at]);
                    }
                }
                worst = std::max(worst, std::fabs(static_cast<double>(sum)) / (block * block));
            }
            largest = std::max(largest, worst);
            off += worst > levelsOff ? 1 : 0;
        }
    }
    return off;
}

}  // namespace

int main(int argc, char** argv)
{
    startUp(&argc, argv);
    reshape(width, height);
    std::srand(treeSeed);
    placeScatteredObjects();
    std::copy(std::begin(world.scatteredObjects), std::end(world.scatteredObjects), std::begin(plantedTrees));
    countDraws();

    const int blocks = (width / block) * (height / block);
    int over = 0;
    double worst = 0.0;
    Frame full;
    Frame coarse;
    for (const auto& scene : scenes) {
        scene.setUp();
        const GameState sceneGame = game;
        const WorldState sceneWorld = world;
        const AppState sceneApp = app;
        drawScene(sceneGame, sceneWorld, sceneApp, false, full);  // the layer's state as after a frame
        drawScene(sceneGame, sceneWorld, sceneApp, false, full);
        drawScene(sceneGame, sceneWorld, sceneApp, true, coarse);
        double largest = 0.0;
        const int off = blocksOff(full, coarse, largest);
        const double share = 100.0 * off / blocks;
        worst = std::max(worst, share);
        over += share > mostBlocksOff ? 1 : 0;
        std::printf("%s: %d of %d blocks off by more than %g levels (%.2f %%), largest %.1f; "
                    "a frame: %d triangles in %d draw calls as asked, %d in %d by size on screen\n",
                    scene.name, off, blocks, levelsOff, share, largest, full.triangles, full.calls,
                    coarse.triangles, coarse.calls);
        showPair(scene.name, full.pixels.data(), coarse.pixels.data(), width, height);
    }
    web::setTessellationLevels(true);
    std::printf("tessellation levels: %d scenes, %d over the bound (at most %g %% of blocks off), worst %.2f %%\n",
                static_cast<int>(sizeof scenes / sizeof scenes[0]), over, mostBlocksOff, worst);
    return 0;
}
