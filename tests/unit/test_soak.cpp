// A long run: tens of thousands of frames with random clicks, keys, pointer moves
// and window sizes, timers firing in between as the clock runs. Whatever the
// player does, the state stays finite and in range and every frame stays balanced.
#include "app/app.h"
#include "game/game.h"
#include "gl_double.h"
#include "world/world.h"

#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>

namespace {

constexpr float GameState::*gameFloats[] = {
    &GameState::boneX,        &GameState::boneY,         &GameState::boneZ,         &GameState::boneSpin,
    &GameState::dogX,         &GameState::dogY,          &GameState::dogZ,          &GameState::dogHeading,
    &GameState::runYaw,       &GameState::neckLift,      &GameState::aimForward,    &GameState::aimSide,
    &GameState::throwForward, &GameState::throwSide,     &GameState::flightTicks,   &GameState::turnStep,
    &GameState::quitDogX,     &GameState::quitDogZ,      &GameState::carOffset,     &GameState::steerX,
    &GameState::steerY,       &GameState::cameraEyeX,    &GameState::cameraEyeY,    &GameState::cameraEyeZ,
    &GameState::cameraCenterX, &GameState::cameraCenterY, &GameState::cameraCenterZ, &GameState::houseBlastTime,
};

constexpr float WorldState::*worldFloats[] = {
    &WorldState::wagAngle, &WorldState::gaitAngle,   &WorldState::headNod,    &WorldState::headTurn,
    &WorldState::bodySway, &WorldState::skyRotation, &WorldState::meterLevel,
};

// The first broken rule, or an empty string.
std::string brokenRule()
{
    for (auto field : gameFloats) {
        if (!std::isfinite(game.*field)) {
            return "a game value is not finite";
        }
    }
    for (auto field : worldFloats) {
        if (!std::isfinite(world.*field)) {
            return "a world value is not finite";
        }
    }
    const Vector3 vectors[] = {game.runStep, world.walkDirection};
    for (const Vector3& v : vectors) {
        if (!std::isfinite(v.x) || !std::isfinite(v.y) || !std::isfinite(v.z)) {
            return "a vector is not finite";
        }
    }
    for (const ScatteredObject& tree : world.scatteredObjects) {
        if (!std::isfinite(tree.tipAngle) || tree.tipAngle < 0.0f || tree.tipAngle > 185.0f) {
            return "a tree tipped out of range";
        }
    }
    if (game.launchState < Idle || game.launchState > Home) {
        return "launch state out of range";
    }
    if (game.currentFurTexture < 0 || game.currentFurTexture >= game.dogTextureCount) {
        return "fur texture out of range";
    }
    if (game.dogY != 0.0f) {
        return "the dog left the ground outside the closing scene";
    }
    if (std::fabs(world.wagAngle) > 5.5f || std::fabs(world.gaitAngle) > 35.0f || std::fabs(world.headNod) > 16.0f ||
        std::fabs(world.headTurn) > 14.5f || std::fabs(world.bodySway) > 5.5f) {
        return "an oscillator passed its bound";
    }
    if (world.meterLevel < -0.01f || world.meterLevel > 1.01f) {
        return "the meter left its range";
    }
    if (gldouble::pendingTimers(&sequenceTimer) > 1) {
        return "more than one sequence timer pending";
    }
    if (gldouble::pendingTimers(&blinkTimer) != 1) {
        return "the blink stopped or doubled";
    }
    const auto& gl = gldouble::gl();
    if (gl.modelview.size() != 1 || gl.stackErrors != 0 || gl.quadricsCreated != gl.quadricsDeleted) {
        return "a frame left the matrix stack or the quadrics unbalanced";
    }
    return "";
}

TEST(Soak, RandomPlayForTensOfThousandsOfFramesKeepsTheStateSound)
{
    gldouble::reset();
    resetAllState();
    game.currentFurTexture = 1;
    srand(7);
    placeScatteredObjects();
    reshape(1000, 500);
    blinkTimer(0);

    std::mt19937 random(20261207);
    auto chance = [&random](int percentTimesTen) {
        return static_cast<int>(random() % 1000) < percentTimesTen;
    };
    const char keys[] = {'r', 'm', 't', 'R', 'x', ' ', 'M'};  // never 'q': it ends the process
    int throws = 0, walks = 0;

    for (int frame = 0; frame < 20000; ++frame) {
        if (chance(25)) {
            const int button = chance(700) ? GLUT_LEFT_BUTTON : static_cast<int>(random() % 3);
            const int state = chance(800) ? GLUT_DOWN : GLUT_UP;
            mouseButton(button, state, static_cast<int>(random() % 1100) - 50, static_cast<int>(random() % 600) - 50);
        }
        if (chance(4)) {
            keyboard(static_cast<unsigned char>(keys[random() % sizeof keys]), 0, 0);
        }
        if (chance(60)) {
            passiveMotion(static_cast<int>(random() % 1000), static_cast<int>(random() % 500));
        }
        if (chance(1)) {
            reshape(static_cast<int>(random() % 1200), static_cast<int>(random() % 700));
        }
        if (chance(3)) {
            reshape(1000, 500);
        }
        gldouble::advance(static_cast<long long>(random() % 40));

        gldouble::clearLog();
        display();
        throws += game.launchState == BoneFlight ? 1 : 0;
        walks += game.freeWalk == 1 ? 1 : 0;

        const std::string broken = brokenRule();
        ASSERT_EQ("", broken) << "frame " << frame << " (launch state " << game.launchState << ", free walk "
                              << game.freeWalk << ", dog at " << game.dogX << ", " << game.dogZ << ")";
    }
    EXPECT_GT(throws, 100) << "the run threw the bone";
    EXPECT_GT(walks, 100) << "the run walked the dog";
}

}  // namespace
