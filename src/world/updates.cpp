// Everything that moves by itself, one fixed step per displayed frame: the dog's
// idle motions and gait, the bone's spin, the sky's turn and the house's blast.
#include "world/world.h"

#include "game/game.h"
#include "render/render.h"

#include <cstdlib>
#include <ctime>

WorldState world;

namespace {

// Bounds and step of one oscillating value.
struct OscillatorRange {
    float lower;
    float upper;
    float step;
};

constexpr OscillatorRange wagRange{-5.0f, 5.0f, 0.5f};
constexpr OscillatorRange gaitRange{-30.0f, 30.0f, 5.0f};
constexpr OscillatorRange headNodRange{-15.0f, 15.0f, 1.0f};
constexpr OscillatorRange headTurnRange{-14.0f, 14.0f, 0.3f};
constexpr OscillatorRange bodySwayRange{-5.0f, 5.0f, 0.1f};

void step(float& value, int& decreasing, OscillatorRange range)
{
    stepOscillator(value, decreasing, range.lower, range.upper, range.step);
}

// The house's hit box reaches this far from its centre on both axes.
constexpr float houseReach = 4.0f;
constexpr float houseBlastEnd = 30.0f;
constexpr float houseBlastStep = 0.5f;

}  // namespace

void stepOscillator(float& value, int& decreasing, float lower, float upper, float step)
{
    if (value >= upper) {
        decreasing = 1;
    } else if (value <= lower) {
        decreasing = 0;
    }
    if (decreasing == 1) {
        value -= step;
    } else {
        value += step;
    }
}

void stepWag() { step(world.wagAngle, world.wagDecreasing, wagRange); }
void stepGait() { step(world.gaitAngle, world.gaitDecreasing, gaitRange); }
void stepHeadNod() { step(world.headNod, world.headNodDecreasing, headNodRange); }
void stepBodySway() { step(world.bodySway, world.bodySwayDecreasing, bodySwayRange); }

void rollHeadTurnFlip()
{
    const int r1 = std::rand() % 40;
    if (r1 == 1) {
        const int r2 = std::rand() % 40;
        if (r2 >= 20) {
            world.headTurnDecreasing = world.headTurnDecreasing == 1 ? 0 : 1;
        }
    }
}

void stepHeadTurn()
{
    // Reseeded from the clock every frame: in a second whose draws flip the
    // direction, every frame of that second flips it and the head trembles.
    std::srand(static_cast<unsigned>(std::time(nullptr)));
    rollHeadTurnFlip();
    step(world.headTurn, world.headTurnDecreasing, headTurnRange);
}

void stepIdleMotions()
{
    stepHeadTurn();
    stepHeadNod();
    stepBodySway();
}

void stepBoneSpin()
{
    if (game.boneSpin > 360.0f) {
        game.boneSpin = 0.0f;
    } else {
        game.boneSpin += 2.0f;
    }
}

void stepSky()
{
    if (world.skyRotation > 360.0f) {
        world.skyRotation = 0.0f;
    } else {
        world.skyRotation += 0.02f;
    }
}

void stepHouse()
{
    if (game.dogX >= houseX - houseReach && game.dogX <= houseX + houseReach &&
        game.dogZ >= houseZ - houseReach && game.dogZ <= houseZ + houseReach) {
        if (game.houseHit == 0) {
            playSoundAt(BoomSound, Vector3{houseX, 2.0f, houseZ});
        }
        game.houseHit = 1;
    }
    if (game.houseHit == 1 && game.houseBlastTime <= houseBlastEnd) {
        game.houseBlastTime += houseBlastStep;
        if (game.houseBlastTime == houseBlastEnd) {
            game.houseDestroyed = 1;
        }
    }
}

void updateWorld()
{
    if (game.freeWalk == 0) {
        if (game.launchState == BoneFlight) {
            stepBoneSpin();
        }
        if (game.dogHasBone == 0 && game.launchState != Idle) {
            drawBone();
        }
        if (game.launchState > BoneFlight && game.launchState != PickUpBone) {
            stepGait();
        }
    }
    stepHouse();
    stepWag();
    stepIdleMotions();
    stepSky();
}
