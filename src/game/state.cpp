// The shared game state, the throw's reset and the projectile formulas.
#include "game/game.h"

#include <cmath>

GameState game;

void resetThrow()
{
    game.boneX = 0.0f;
    game.boneY = 0.0f;
    game.boneZ = 0.0f;
    game.throwSide = 0.0f;
    game.flightTicks = 0.0f;
    game.throwForward = 0.0f;
    game.boneSpin = 0.0f;
    game.dogHeading = 0.0f;
    game.dogHasBone = 0;
    game.dogX = 0.0f;
    game.dogY = 0.0f;
    game.dogZ = 0.0f;
    game.runYaw = 0.0f;
}

float dropHeight(int n)
{
    return static_cast<float>(n * 4.9 * n * gravityScale);
}

float fallTicks(int h)
{
    return static_cast<float>(std::sqrt(h / (gravityScale * 4.9)));
}

void cameraHome()
{
    game.cameraEyeX = 0.0f;
    game.cameraEyeY = 2.0f;
    game.cameraEyeZ = 1.0f;
    game.cameraCenterX = 0.0f;
    game.cameraCenterY = 2.0f;
    game.cameraCenterZ = 0.0f;
    world.walkDirection = Vector3{0.0f, 0.0f, 1.0f};
}

void playSoundAt(SoundId id, Vector3 place)
{
    placeListener(listenerFromCamera(Vector3{game.cameraEyeX, game.cameraEyeY, game.cameraEyeZ},
                                     Vector3{game.cameraCenterX, game.cameraCenterY, game.cameraCenterZ},
                                     Vector3{game.cameraUpX, game.cameraUpY, game.cameraUpZ}));
    playSound(id, place);
}
