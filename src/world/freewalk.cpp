// The free-walk step: the pointer's offset from the window centre turns the dog
// and walks it, and the camera travels along with it.
#include "world/world.h"

#include "game/game.h"

void freeWalkStep()
{
    const Vector3 steer{game.steerX, 0.0f, game.steerY};
    if (game.steerX == 0.0f || game.steerY == 0.0f) {
        world.gaitAngle = 0.0f;
        return;
    }

    stepGait();

    // The angle between the pointer's direction and straight down the window,
    // signed by the side the pointer is on.
    const float k = game.steerX > 0.0f ? 180.0f / pi : -180.0f / pi;
    game.dogHeading = acosFloat(dot(forwardAxis, steer) / length(steer)) * k;

    const float h = game.dogHeading * pi / 180.0f;
    world.walkDirection = Vector3{cosFloat(pi / 2.0f - h), 0.0f, cosFloat(h)};
    world.walkDirection = normalize(world.walkDirection);

    const Vector3 move{stepLength * world.walkDirection.x, stepLength * world.walkDirection.y,
                       stepLength * world.walkDirection.z};
    game.cameraEyeX += move.x;
    game.cameraEyeY += move.y;
    game.cameraEyeZ += move.z;
    game.cameraCenterX += move.x;
    game.cameraCenterY += move.y;
    game.cameraCenterZ += move.z;
    game.dogX += move.x;
    game.dogY += move.y;
    game.dogZ += move.z;
}
