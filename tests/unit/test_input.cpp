// The mouse and keyboard callbacks in each mode and phase of the game.
#include "app/app.h"
#include "game/game.h"
#include "gl_double.h"
#include "test_support.h"

#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <cstring>

namespace {

class Input : public FreshGame {
protected:
    void SetUp() override
    {
        FreshGame::SetUp();
        app.windowWidth = 1000;
        app.windowHeight = 500;
        game.currentFurTexture = 1;
    }
};

// Every field of the records is a 4-byte scalar, so the bytes compare the values.
bool unchanged(const GameState& before, const WorldState& worldBefore)
{
    return std::memcmp(&before, &game, sizeof game) == 0 &&
           std::memcmp(&worldBefore, &world, sizeof world) == 0;
}

// Aiming at rest, with the house blown up, a tree down and the camera moved away.
void aimingAtRest()
{
    game.houseHit = 1;
    game.houseBlastTime = 30.5f;
    game.houseDestroyed = 1;
    world.scatteredObjects[3].knocked = 1;
    world.scatteredObjects[3].tipAngle = 90.0f;
    game.cameraEyeX = 4.0f;
    world.walkDirection = Vector3{1.0f, 0.0f, 0.0f};
}

void throwUnderWay()
{
    aimingAtRest();
    game.launchState = RunToBone;
    game.dogX = 0.2f;
    game.dogZ = -2.0f;
    game.runYaw = -3.0f;
}

void walking()
{
    aimingAtRest();
    game.freeWalk = 1;
    game.dogX = 12.5f;
    game.dogZ = -7.0f;
    game.dogHeading = 40.0f;
    game.cameraEyeX = 12.5f;
    game.cameraCenterZ = -7.0f;
}

void closing()
{
    aimingAtRest();
    game.quitting = 1;
    game.freeWalk = 2;
}

bool dogAtHomeWithCamera()
{
    return game.dogX == 0.0f && game.dogZ == 0.0f && game.dogHeading == 0.0f && game.runYaw == 0.0f &&
           game.cameraEyeX == 0.0f && game.cameraEyeY == 2.0f && game.cameraEyeZ == 1.0f &&
           game.cameraCenterX == 0.0f && game.cameraCenterY == 2.0f && game.cameraCenterZ == 0.0f &&
           world.walkDirection.x == 0.0f && world.walkDirection.z == 1.0f;
}

bool houseAndTreesStanding()
{
    return game.houseHit == 0 && game.houseBlastTime == 0.0f && game.houseDestroyed == 0 &&
           world.scatteredObjects[3].knocked == 0 && world.scatteredObjects[3].tipAngle == 0.0f;
}

enum Effect { Nothing, Reset, EnterWalk, LeaveWalk, NextFur, Quit };

}  // namespace

TEST_F(Input, EachKeyActsAsItsModeAndPhaseAllow)
{
    struct Case {
        void (*situation)();
        unsigned char key;
        Effect effect;
    };
    const Case cases[] = {
        {aimingAtRest, 'r', Reset},     {aimingAtRest, 'm', EnterWalk}, {aimingAtRest, 't', NextFur},
        {aimingAtRest, 'q', Quit},      {aimingAtRest, 'R', Nothing},   {aimingAtRest, 'M', Nothing},
        {aimingAtRest, 'T', Nothing},   {aimingAtRest, 'Q', Nothing},   {aimingAtRest, 'x', Nothing},
        {throwUnderWay, 'r', Nothing},  {throwUnderWay, 'm', Nothing},  {throwUnderWay, 't', NextFur},
        {throwUnderWay, 'q', Nothing},  {walking, 'r', Reset},          {walking, 'm', LeaveWalk},
        {walking, 't', NextFur},        {walking, 'q', Quit},           {closing, 'r', Nothing},
        {closing, 'm', Nothing},        {closing, 't', Nothing},        {closing, 'q', Nothing},
    };
    for (const Case& c : cases) {
        SetUp();
        c.situation();
        const GameState before = game;
        const WorldState worldBefore = world;
        SCOPED_TRACE(testing::Message() << "key '" << c.key << "' effect " << c.effect);
        keyboard(c.key, 10, 10);
        EXPECT_EQ(gldouble::gl().redisplays, 1);
        switch (c.effect) {
        case Nothing:
            EXPECT_TRUE(unchanged(before, worldBefore));
            break;
        case Reset:
            EXPECT_TRUE(dogAtHomeWithCamera());
            EXPECT_TRUE(houseAndTreesStanding());
            EXPECT_EQ(game.freeWalk, before.freeWalk);
            break;
        case EnterWalk:
            EXPECT_EQ(game.freeWalk, 1);
            game.freeWalk = 0;
            EXPECT_TRUE(unchanged(before, worldBefore));
            break;
        case LeaveWalk:
            EXPECT_EQ(game.freeWalk, 0);
            EXPECT_TRUE(dogAtHomeWithCamera());
            EXPECT_EQ(game.houseDestroyed, 1);
            EXPECT_EQ(world.scatteredObjects[3].knocked, 1);
            break;
        case NextFur:
            EXPECT_EQ(game.currentFurTexture, 2);
            game.currentFurTexture = 1;
            EXPECT_TRUE(unchanged(before, worldBefore));
            break;
        case Quit:
            EXPECT_EQ(game.quitting, 1);
            EXPECT_EQ(game.freeWalk, 2);
            EXPECT_EQ(game.quitDogX, before.dogX);
            EXPECT_EQ(game.quitDogZ, before.dogZ);
            break;
        }
    }
}

TEST_F(Input, TheFurCyclesThroughFiveIdsAndWraps)
{
    for (int expected : {2, 3, 4, 0, 1}) {
        keyboard('t', 0, 0);
        EXPECT_EQ(game.currentFurTexture, expected);
    }
}

TEST_F(Input, KeysRefusedDuringAThrowAreNotActedOnLater)
{
    mouseButton(GLUT_LEFT_BUTTON, GLUT_DOWN, 500, 250);
    game.houseHit = 1;
    for (unsigned char key : {'r', 'm', 'q'}) {
        keyboard(key, 0, 0);
    }
    while (game.launchState != Idle) {
        dispatchLaunchState();
        while (gldouble::fireNextTimer()) {
        }
    }
    EXPECT_EQ(game.freeWalk, 0);
    EXPECT_EQ(game.quitting, 0);
    EXPECT_EQ(game.houseHit, 1);
}

TEST_F(Input, AClickAimsFromTheMeterAndTheColumn)
{
    struct Case {
        float meterLevel;
        int column;
        float aimForward, aimSide;
    };
    const Case cases[] = {{0.0f, 500, -3.0f, 0.013f}, {1.0f, 999, -53.0f, 62.937f}, {0.5f, 0, -28.0f, -37.962f}};
    for (const Case& c : cases) {
        SetUp();
        world.meterLevel = c.meterLevel;
        mouseButton(GLUT_LEFT_BUTTON, GLUT_DOWN, c.column, 123);
        EXPECT_FLOAT_EQ(game.aimForward, c.aimForward);
        EXPECT_NEAR(game.aimSide, c.aimSide, 0.0005f);
        EXPECT_EQ(game.throwForward, game.aimForward);
        EXPECT_EQ(game.throwSide, game.aimSide);
        EXPECT_NEAR(game.flightTicks, 16.495722f, 0.00001f);
        EXPECT_EQ(game.launchState, BoneFlight);
        EXPECT_EQ(game.stateChanged, 1);
    }
}

TEST_F(Input, ASecondClickInFlightChangesTheAimButNotTheFlight)
{
    mouseButton(GLUT_LEFT_BUTTON, GLUT_DOWN, 500, 250);
    dispatchLaunchState();
    gldouble::fireNextTimer();
    const GameState flying = game;
    world.meterLevel = 1.0f;
    mouseButton(GLUT_LEFT_BUTTON, GLUT_DOWN, 999, 250);
    EXPECT_EQ(game.aimForward, -53.0f);
    EXPECT_EQ(game.throwForward, flying.throwForward);
    EXPECT_EQ(game.throwSide, flying.throwSide);
    EXPECT_EQ(game.flightTicksLeft, flying.flightTicksLeft);
    EXPECT_EQ(game.stateChanged, 0);
}

TEST_F(Input, ReleasesOtherButtonsAndClicksOutsideAimingAreIgnored)
{
    struct Case {
        int button, state, freeWalk;
    };
    const Case cases[] = {{GLUT_LEFT_BUTTON, GLUT_UP, 0}, {GLUT_RIGHT_BUTTON, GLUT_DOWN, 0},
                          {GLUT_MIDDLE_BUTTON, GLUT_DOWN, 0}, {GLUT_LEFT_BUTTON, GLUT_DOWN, 1},
                          {GLUT_LEFT_BUTTON, GLUT_DOWN, 2}};
    for (const Case& c : cases) {
        SetUp();
        game.freeWalk = c.freeWalk;
        world.meterLevel = 0.5f;
        const GameState before = game;
        const WorldState worldBefore = world;
        mouseButton(c.button, c.state, 700, 100);
        EXPECT_TRUE(unchanged(before, worldBefore)) << c.button << " " << c.state << " " << c.freeWalk;
    }
}

TEST_F(Input, ThePointerSteersOnlyInFreeWalkAndOutsideTheDeadZone)
{
    struct Case {
        int freeWalk, x, y;
        float steerX, steerY;
    };
    const Case cases[] = {
        {1, 520, 240, 0.0f, 0.0f},      // both inside: both zeroed
        {1, 900, 240, 8.01f, 0.19f},    // one outside: both kept
        {1, 520, 0, 0.41f, 4.99f},
        {2, 900, 240, 8.01f, 0.19f},    // while quitting the values are still set
        {0, 900, 240, 0.0f, 0.0f},      // aiming: no steering
    };
    for (const Case& c : cases) {
        SetUp();
        game.freeWalk = c.freeWalk;
        passiveMotion(c.x, c.y);
        EXPECT_NEAR(game.steerX, c.steerX, 0.0001f) << c.x << "," << c.y;
        EXPECT_NEAR(game.steerY, c.steerY, 0.0001f) << c.x << "," << c.y;
    }
}
