// The throw-and-fetch sequence driven as the game drives it: a frame's dispatcher
// starts each phase, the double's timer queue runs its 41 ms ticks.
#include "app/app.h"
#include "game/game.h"
#include "gl_double.h"
#include "test_support.h"

#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

namespace {

class Sequence : public FreshGame {
protected:
    void SetUp() override
    {
        FreshGame::SetUp();
        app.windowWidth = 1000;
        app.windowHeight = 500;
    }
};

// One phase: a frame starts it, then its timer chain runs to the end. Checks that
// no timer waits between phases and at most one is pending while it runs.
// Calls afterTick() after every tick; returns the number of ticks.
template <typename AfterTick>
int runPhase(AfterTick afterTick)
{
    EXPECT_EQ(gldouble::pendingTimers(sequenceTimer), 0);
    dispatchLaunchState();
    EXPECT_EQ(game.stateChanged, 0);
    int ticks = 0;
    while (gldouble::pendingTimers(sequenceTimer) > 0) {
        EXPECT_EQ(gldouble::pendingTimers(sequenceTimer), 1);
        gldouble::fireNextTimer();
        ++ticks;
        afterTick();
    }
    EXPECT_EQ(game.stateChanged, 1) << "a phase ends by naming the next one";
    return ticks;
}

int runPhase()
{
    return runPhase([] {});
}

void throwWith(float meterLevel, int column)
{
    world.meterLevel = meterLevel;
    mouseButton(GLUT_LEFT_BUTTON, GLUT_DOWN, column, 250);
}

}  // namespace

TEST_F(Sequence, EmptyAndFullMeterThrowsLandRunAndComeHome)
{
    struct Case {
        float meterLevel;
        int column;
        float landX, landZ;
        int runTicks;
        float stepX, stepZ, turnStep;
    };
    const Case cases[] = {
        {0.0f, 500, 0.0126f, -2.9098f, 3, 0.00217f, -0.5f, -0.0516f},
        {1.0f, 999, 61.046f, -51.407f, 120, 0.5f, -0.42105f, -0.4105f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.column);
        SetUp();
        throwWith(c.meterLevel, c.column);

        EXPECT_EQ(runPhase(), 17);
        EXPECT_EQ(game.launchState, TurnToBone);
        EXPECT_NEAR(game.boneX, c.landX, 0.001f);
        EXPECT_EQ(game.boneY, 0.0f);
        EXPECT_NEAR(game.boneZ, c.landZ, 0.001f);

        EXPECT_EQ(runPhase(), 11);
        EXPECT_EQ(game.dogHeading, 180.0f);

        EXPECT_EQ(runPhase(), c.runTicks + 1);
        EXPECT_NEAR(game.turnStep, c.turnStep, 0.0001f);
        EXPECT_NEAR(game.runStep.x, c.stepX, 0.00001f);
        EXPECT_NEAR(game.runStep.z, c.stepZ, 0.00001f);
        EXPECT_NEAR(game.dogZ, c.runTicks * c.stepZ, 0.001f) << "the run stops short by under a step";
        EXPECT_EQ(game.launchState, PickUpBone);
        EXPECT_NEAR(game.runYaw, c.runTicks * c.turnStep, 0.01f);

        EXPECT_EQ(runPhase(), 24);
        EXPECT_EQ(runPhase(), 11);
        EXPECT_EQ(game.dogHeading, 360.0f);
        runPhase();
        EXPECT_EQ(game.launchState, Home);
        EXPECT_NEAR(game.dogX, 0.0f, 0.5f);
        EXPECT_NEAR(game.dogZ, 0.0f, 0.5f);
        EXPECT_NEAR(game.runYaw, 0.0f, 0.5f) << "the run back turns the dog to face the viewer again";

        dispatchLaunchState();
        EXPECT_EQ(game.launchState, Idle);
        EXPECT_EQ(game.stateChanged, 0);
        EXPECT_EQ(game.dogX, 0.0f);
        EXPECT_EQ(game.dogZ, 0.0f);
        EXPECT_EQ(game.dogHeading + game.runYaw, 0.0f);
        EXPECT_EQ(game.dogHasBone, 0);
        EXPECT_EQ(game.neckLift, 0.0f);
        EXPECT_EQ(gldouble::pendingTimers(nullptr), 0);
        for (const gldouble::Call& arming : gldouble::callsOf("glutTimerFunc")) {
            EXPECT_EQ(arming.args[0], 41.0);
        }

        throwWith(c.meterLevel, c.column);
        EXPECT_EQ(game.launchState, BoneFlight) << "the next throw starts at once";
    }
}

TEST_F(Sequence, TheBoneFollowsTheFlightTable)
{
    const float heights[] = {2.797f, 4.708f, 6.325f, 7.648f, 8.677f, 9.412f, 9.853f, 10.0f,
                             10.0f, 9.853f, 9.412f, 8.677f, 7.648f, 6.325f, 4.708f, 2.797f, 0.0f};
    std::vector<float> seen;
    throwWith(0.5f, 700);
    runPhase([&] { seen.push_back(game.boneY); });
    ASSERT_EQ(seen.size(), std::size(heights));
    for (size_t i = 0; i < seen.size(); ++i) {
        EXPECT_NEAR(seen[i], heights[i], 0.001f) << "tick " << i + 1;
    }
}

TEST_F(Sequence, TheNeckTakesTheBoneOnTheTwelfthTickAndEndsAtRest)
{
    throwWith(0.0f, 500);
    runPhase();
    runPhase();
    runPhase();
    std::vector<float> neck;
    std::vector<int> hasBone;
    runPhase([&] {
        neck.push_back(game.neckLift);
        hasBone.push_back(game.dogHasBone);
    });
    ASSERT_EQ(neck.size(), 24u);
    EXPECT_EQ(neck[10], 55.0f);
    EXPECT_EQ(hasBone[10], 0);
    EXPECT_EQ(neck[11], 50.0f);
    EXPECT_EQ(hasBone[11], 1);
    EXPECT_EQ(game.boneX, 0.0f);
    EXPECT_EQ(neck[22], -5.0f);
    EXPECT_EQ(neck[23], 0.0f);
    EXPECT_EQ(game.launchState, TurnBack);
}

TEST_F(Sequence, AFrameWithNothingChangedAndAnUnknownTickDoNothing)
{
    throwWith(0.0f, 500);
    runPhase();
    game.stateChanged = 0;
    dispatchLaunchState();
    for (int value : {-1, 5, 99}) {
        sequenceTimer(value);
    }
    EXPECT_EQ(gldouble::pendingTimers(nullptr), 0);
    EXPECT_EQ(gldouble::gl().redisplays, 17 + 3);
    EXPECT_EQ(game.launchState, TurnToBone);
    EXPECT_EQ(game.dogHeading, 0.0f);
}

TEST_F(Sequence, TheBlinkAlternatesWithinItsDelays)
{
    std::srand(7);
    blinkTimer(0);
    for (int i = 0; i < 200; ++i) {
        const gldouble::Timer next = gldouble::gl().timers.back();
        ASSERT_EQ(gldouble::pendingTimers(blinkTimer), 1);
        const bool opened = i % 2 == 0;
        EXPECT_EQ(game.eyesClosed, opened ? 0 : 1);
        EXPECT_EQ(next.value, opened ? 1 : 0);
        EXPECT_GE(next.ms, opened ? 833u : 41u);
        EXPECT_LE(next.ms, opened ? 2832u : 140u);
        gldouble::fireNextTimer();
    }
    EXPECT_EQ(gldouble::gl().redisplays, 201);
}

TEST_F(Sequence, ARunFromItsOwnTargetHasNoTicksAndStoresNoNaN)
{
    game.launchState = RunBack;
    game.dogX = 1.0f;
    game.dogZ = -2.0f;
    setUpRun(1.0f, 0.0f, -2.0f);
    EXPECT_EQ(game.runTicksLeft, 0);
    EXPECT_EQ(game.runStep.x, 0.0f);
    EXPECT_EQ(game.runStep.z, 0.0f);
    EXPECT_EQ(game.turnStep, 0.0f);
    gldouble::fireNextTimer();
    EXPECT_EQ(game.launchState, Home);
    EXPECT_EQ(game.dogX, 1.0f);
}
