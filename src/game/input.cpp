// The input callbacks: they only change the game state; the display callback,
// the dispatcher and the timers act on it afterwards.
//
// Left click   in aiming mode: throws the bone (when no throw is under way)
// Pointer      in free-walk mode: steers the dog
// 'r'          puts the dog, bone, camera, trees and house back (only at rest)
// 'm'          switches between aiming and free walk (only at rest)
// 't'          next fur texture (any time but while quitting)
// 'q'          starts the closing scene, which ends the program (only at rest)
//
// Keys are compared as exact lowercase characters; every key, acted on or not,
// requests a redisplay. Nothing is accepted once the closing scene runs.
#include "app/app.h"
#include "game/game.h"
#include "world/world.h"

#include <GL/freeglut.h>

namespace {

// Half-width of the dead zone around the window's centre, in steering units.
constexpr float deadZone = 1.5f;

void resetScene()
{
    resetThrow();
    game.houseHit = 0;
    game.houseBlastTime = 0.0f;
    game.houseDestroyed = 0;
    cameraHome();
    standTreesUp();
}

void toggleFreeWalk()
{
    game.freeWalk = game.freeWalk == 0 ? 1 : 0;
    if (game.freeWalk == 0) {
        cameraHome();
        resetThrow();
    }
}

void nextFur()
{
    game.currentFurTexture += 1;
    if (game.currentFurTexture >= game.dogTextureCount) {
        game.currentFurTexture = 0;
    }
}

void startQuitting()
{
    game.quitting = 1;
    game.freeWalk = 2;
    game.quitDogX = game.dogX;
    game.quitDogZ = game.dogZ;
    playSoundAt(EngineSound, closingPlace(carCentre));
}

struct KeyBinding {
    unsigned char key;
    bool onlyAtRest;   // acted on only while no throw is under way
    void (*action)();
};

constexpr KeyBinding keyBindings[] = {
    {'r', true, resetScene},
    {'m', true, toggleFreeWalk},
    {'t', false, nextFur},
    {'q', true, startQuitting},
};

}  // namespace

void mouseButton(int button, int state, int x, int /*y: the click uses only the column*/)
{
    if (button != GLUT_LEFT_BUTTON || state != GLUT_DOWN || game.freeWalk != 0) {
        return;
    }
    game.aimForward = (-5.0f * throwPowerScale * world.meterLevel) - 3.0f;
    game.aimSide = 5.0f * mapX(x) * (1.0f - 6.0f * game.aimForward / 60.0f);
    if (game.launchState != Idle || game.stateChanged != 0) {
        return;
    }
    game.throwSide = game.aimSide;
    game.flightTicks = 2.0f * fallTicks(static_cast<int>(throwHeight));
    game.throwForward = game.aimForward;
    game.stateChanged = 1;
    game.launchState = BoneFlight;
    playSoundAt(ThrowSound, Vector3{game.dogX, 1.0f, game.dogZ});
}

void passiveMotion(int x, int y)
{
    const int row = app.windowHeight - 1 - y;
    if (game.freeWalk == 0) {
        return;
    }
    game.steerX = 5.0f * mapX(x);
    game.steerY = 5.0f * mapY(row);
    if (fabsFloat(game.steerX) <= deadZone && fabsFloat(game.steerY) <= deadZone) {
        game.steerX = 0.0f;
        game.steerY = 0.0f;
    }
}

void keyboard(unsigned char key, int /*x*/, int /*y*/)
{
    if (game.quitting == 0) {
        for (const KeyBinding& binding : keyBindings) {
            if (binding.key == key && (!binding.onlyAtRest || game.launchState == Idle)) {
                binding.action();
            }
        }
    }
    glutPostRedisplay();
}
