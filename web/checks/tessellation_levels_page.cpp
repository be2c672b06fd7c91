// A page for the browser checks (the browser build makes it into
// checks/tessellation_levels.html): the game's start-up and display with its
// state records set to a scene, drawn twice without advancing, with the shapes
// as the game asks for them and by size on screen. Prints per scene the 4 x 4
// pixel blocks whose averages differ by more than 8 levels of 255 in a channel
// and the triangles and draw calls of a frame both ways (WebGL's draw calls
// wrapped), then "tessellation levels: N scenes, M over the bound". Leaves each
// pair side by side on a canvas of the page, id "pair-SCENE".
#include "app/app.h"
#include "game/game.h"
#include "webgl_layer.h"
#include "world/world.h"

#include <GL/gl.h>
#include <emscripten/emscripten.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <vector>

extern "C" void emscripten_glReadPixels(GLint, GLint, GLsizei, GLsizei, GLenum, GLenum, void*);

namespace {

constexpr int width = 1000, height = 500, block = 4;  // the game's window; a block's side
constexpr int levelsOff = 8;                           // of 255, in any channel
constexpr double mostBlocksOff = 0.5;                  // per cent

EM_JS(void, countDraws, (), {
    var counts = Module.drawCounts = [0, 0];  // calls, triangles
    [['drawArrays', 2, -1], ['drawElements', 1, -1], ['drawArraysInstanced', 2, 3],
     ['drawElementsInstanced', 1, 4]].forEach(function(call) {
        var original = GLctx[call[0]];
        GLctx[call[0]] = function(mode) {
            var count = arguments[call[1]];
            counts[0] += 1;
            counts[1] += (mode == 4 ? Math.floor(count / 3) : mode == 5 || mode == 6 ? Math.max(count - 2, 0) : 0) *
                         (call[2] < 0 ? 1 : arguments[call[2]]);
            return original.apply(this, arguments);
        };
    });
});
EM_JS(int, drawCount, (int which), { var n = Module.drawCounts[which]; Module.drawCounts[which] = 0; return n; });

// Puts two pictures (bottom-up RGBA rows) side by side on a new canvas of the page.
EM_JS(void, showPair, (const char* name, const unsigned char* left, const unsigned char* right, int w, int h), {
    var canvas = document.body.appendChild(document.createElement('canvas'));
    canvas.id = 'pair-' + UTF8ToString(name);
    canvas.width = 2 * w;
    canvas.height = h;
    var image = canvas.getContext('2d').createImageData(2 * w, h);
    for (var y = 0; y < h; ++y) {
        var row = (h - 1 - y) * w * 4;
        image.data.set(HEAPU8.subarray(left + row, left + row + w * 4), y * 2 * w * 4);
        image.data.set(HEAPU8.subarray(right + row, right + row + w * 4), (y * 2 + 1) * w * 4);
    }
    canvas.getContext('2d').putImageData(image, 0, 0);
});

struct Frame {
    std::vector<unsigned char> pixels = std::vector<unsigned char>(width * height * 4);
    int calls = 0;
    int triangles = 0;
};

// The scenes, set as tools/frame_bench.cpp sets them, on the trees it plants.
ScatteredObject plantedTrees[scatteredObjectCount];

void loadState()
{
    resetAllState();
    game.currentFurTexture = 1;
    std::copy(std::begin(plantedTrees), std::end(plantedTrees), std::begin(world.scatteredObjects));
}

void setUpFlight()  // half-way up the parabola
{
    game.launchState = BoneFlight;
    game.boneX = 1.0f;
    game.boneY = 8.0f;
    game.boneZ = -12.0f;
}

void setUpFreeWalk()  // walked into the trees, the camera carried along
{
    game.freeWalk = 1;
    game.dogX = game.cameraEyeX = game.cameraCenterX = -2.0f;
    game.dogZ = game.cameraCenterZ = -30.0f;
    game.cameraEyeZ = -29.0f;
    game.dogHeading = 180.0f;
}

void setUpClosing()  // the car has arrived, the dog is flung, the blast grows
{
    game.freeWalk = 2;
    game.quitting = 1;
    game.carOffset = 0.5f;
    game.dogX = -4.0f;
    game.dogY = 2.0f;
    game.dogHeading = 80.0f;
}

void setUpBlasts()  // the house hit, a tree knocked: see-through spheres, whose far sides show
{
    game.houseHit = 1;
    game.houseBlastTime = 6.0f;
    for (ScatteredObject& tree : world.scatteredObjects) {
        tree.knocked = 1;
        tree.tipAngle = 40.0f;
    }
}

const struct {
    const char* name;
    void (*setUp)();
} scenes[] = {{"rest", [] {}},
              {"throw", setUpFlight},
              {"free-walk", setUpFreeWalk},
              {"closing", setUpClosing},
              {"blasts", setUpBlasts}};

// One frame from the scene's state, the shapes by size on screen or as asked.
void draw(const GameState& g, const WorldState& w, const AppState& a, bool levels, Frame& out)
{
    game = g;
    world = w;
    app = a;
    web::setTessellationLevels(levels);
    display();
    out.calls = drawCount(0);
    out.triangles = drawCount(1);
    emscripten_glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, out.pixels.data());
}

int blocksOff(const Frame& a, const Frame& b)
{
    int off = 0;
    for (int by = 0; by < height; by += block) {
        for (int bx = 0; bx < width; bx += block) {
            bool differs = false;
            for (int c = 0; c < 4; ++c) {
                int sum = 0;
                for (int y = by; y < by + block; ++y) {
                    for (int x = bx; x < bx + block; ++x) {
                        const std::size_t at = (static_cast<std::size_t>(y) * width + x) * 4 + c;
                        sum += a.pixels[at] - b.pixels[at];
                    }
                }
                differs = differs || std::abs(sum) > levelsOff * block * block;
            }
            off += differs ? 1 : 0;
        }
    }
    return off;
}

}  // namespace

// The images drawn with the desktop's own drawing (web/checks/image_files.cpp).
extern "C" int fetchWebWriteImage(int index);

int main(int argc, char** argv)
{
    for (int index = 0; fetchWebWriteImage(index) == 1; ++index) {
    }
    startUp(&argc, argv);
    reshape(width, height);
    std::srand(1);  // tools/frame_bench.cpp's trees
    placeScatteredObjects();
    std::copy(std::begin(world.scatteredObjects), std::end(world.scatteredObjects), std::begin(plantedTrees));
    countDraws();
    int over = 0;
    Frame full, coarse;
    for (const auto& scene : scenes) {
        loadState();
        scene.setUp();
        const GameState g = game;
        const WorldState w = world;
        const AppState a = app;
        draw(g, w, a, false, full);  // the layer's state as after a frame of the scene
        draw(g, w, a, false, full);
        draw(g, w, a, true, coarse);
        const double share = 100.0 * blocksOff(full, coarse) * block * block / (width * height);
        over += share > mostBlocksOff ? 1 : 0;
        std::printf("%s: %.2f %% of blocks off; a frame: %d triangles in %d draw calls as asked, %d in %d by size\n",
                    scene.name, share, full.triangles, full.calls, coarse.triangles, coarse.calls);
        showPair(scene.name, full.pixels.data(), coarse.pixels.data(), width, height);
    }
    web::setTessellationLevels(true);
    std::printf("tessellation levels: %zu scenes, %d over the bound of %g %% of blocks off by more than %d\n",
                std::size(scenes), over, mostBlocksOff, levelsOff);
    return 0;
}
