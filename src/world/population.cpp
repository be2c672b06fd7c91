// The fifteen trees: where they stand, and standing them up again.
#include "world/world.h"

#include "game/game.h"

#include <cstdlib>
#include <ctime>

namespace {

// The ground around the dog's home that stays free of trees (all bounds inclusive).
bool inClearRectangle(float x, float z)
{
    return x >= 0.0f && x <= 10.0f && z >= -4.0f && z <= 10.0f;
}

float drawX() { return static_cast<float>(std::rand() % (2 * worldHalfSizeX) - worldHalfSizeX); }
float drawZ() { return static_cast<float>(std::rand() % (2 * worldHalfSizeZ) - worldHalfSizeZ); }

}  // namespace

void scatterObjects()
{
    std::srand(static_cast<unsigned>(std::time(nullptr)));
    placeScatteredObjects();
}

void placeScatteredObjects()
{
    for (ScatteredObject& tree : world.scatteredObjects) {
        tree.x = drawX();
        tree.y = 0.0f;
        tree.z = drawZ();
        tree.yaw = static_cast<float>(std::rand() % 360);
        while (inClearRectangle(tree.x, tree.z)) {
            tree.x = drawX();
            tree.z = drawZ();
        }
    }
}

void standTreesUp()
{
    for (ScatteredObject& tree : world.scatteredObjects) {
        tree.knocked = 0;
        tree.tipAngle = 0.0f;
    }
}
