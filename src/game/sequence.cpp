// The throw-and-fetch sequence and the blink timer.
//
// A phase is started by the dispatcher on the frame after launchState changed;
// it then runs as a chain of 41 ms sequence-timer ticks. The last tick of a phase
// names the next phase and raises stateChanged without re-arming, so at most one
// sequence timer is pending at any moment and none between two phases.
#include "game/game.h"
#include "world/world.h"

#include <GL/freeglut.h>

#include <cstdlib>

namespace {

// The ticks of each of the two half-turns; each adds 180 / turnTicks degrees.
constexpr int turnTicks = 10;
// The pick-up: the neck moves by neckStep per tick and takes the bone at neckTop.
constexpr float neckStep = 5.0f;
constexpr float neckTop = 55.0f;

void armSequenceTimer()
{
    glutTimerFunc(static_cast<unsigned>(sequencePeriodMs), sequenceTimer, game.timerStep);
}

// Ends the running phase: the next frame's dispatcher starts `next`.
void endPhase(LaunchState next)
{
    game.launchState = next;
    game.stateChanged = 1;
}

void flightTick()
{
    if (game.flightTicksLeft > 0) {
        game.boneX += game.throwSide / game.flightTicks;
        const int n = static_cast<int>(game.flightTicks / 2.0f - static_cast<float>(game.flightTicksLeft));
        game.boneY = throwHeight - dropHeight(n);
        game.boneZ += game.throwForward / game.flightTicks;
        game.flightTicksLeft -= 1;
        armSequenceTimer();
    } else {
        game.boneY = 0.0f;
        playSoundAt(LandingSound, Vector3{game.boneX, 0.0f, game.boneZ});
        endPhase(TurnToBone);
    }
}

void runTick()
{
    if (game.runTicksLeft > 0) {
        game.dogX += game.runStep.x;
        game.dogY += game.runStep.y;
        game.dogZ += game.runStep.z;
        game.runYaw += game.turnStep;
        game.runTicksLeft -= 1;
        armSequenceTimer();
    } else if (game.launchState == RunBack) {
        endPhase(Home);
    } else if (game.launchState == RunToBone) {
        endPhase(PickUpBone);
    }
}

// One tick of a half-turn counting down `ticksLeft`; the phase ends with `next`.
void turnTick(int& ticksLeft, LaunchState next)
{
    if (ticksLeft > 0) {
        game.dogHeading += game.turnStep;
        ticksLeft -= 1;
        armSequenceTimer();
    } else {
        endPhase(next);
    }
}

void turnToBoneTick()
{
    turnTick(game.turnToBoneTicksLeft, RunToBone);
}

void turnBackTick()
{
    turnTick(game.turnBackTicksLeft, RunBack);
}

void pickUpTick()
{
    if ((game.boneGrabbed == 1 && game.neckLift < 0.0f) || game.launchState != PickUpBone) {
        game.boneGrabbed = 0;
        game.neckLift = 0.0f;
        endPhase(TurnBack);
        return;
    }
    if (game.neckLift >= neckTop) {
        if (game.boneGrabbed == 0) {
            playSoundAt(BarkSound, Vector3{game.dogX, 1.0f, game.dogZ});
        }
        game.boneGrabbed = 1;
    }
    if (game.boneGrabbed == 1) {
        game.boneX = 0.0f;
        game.boneY = 0.0f;
        game.boneZ = 0.0f;
        game.boneSpin = 0.0f;
        game.dogHasBone = 1;
        game.neckLift -= neckStep;
    } else {
        game.neckLift += neckStep;
    }
    armSequenceTimer();
}

// The tick routines, indexed by SequenceStep.
constexpr void (*tickRoutines[])() = {
    flightTick,      // StepFlight
    runTick,         // StepRun
    turnToBoneTick,  // StepTurnToBone
    turnBackTick,    // StepTurnBack
    pickUpTick,      // StepPickUp
};
constexpr int tickRoutineCount = static_cast<int>(sizeof tickRoutines / sizeof tickRoutines[0]);

void clearBonePosition()
{
    game.boneX = 0.0f;
    game.boneY = 0.0f;
    game.boneZ = 0.0f;
}

void arriveHome()
{
    playSoundAt(HomeSound, Vector3{game.dogX, 1.0f, game.dogZ});
    resetThrow();
    game.launchState = Idle;
}

void startTurnBackWithBoneCleared()
{
    clearBonePosition();
    startTurnBack();
}

// What the dispatcher does for each LaunchState; Idle has nothing to start.
constexpr void (*phaseStarts[])() = {
    nullptr,                       // Idle
    startFlight,                   // BoneFlight
    startTurnToBone,               // TurnToBone
    startRunToBone,                // RunToBone
    startPickUp,                   // PickUpBone
    startTurnBackWithBoneCleared,  // TurnBack
    startRunBack,                  // RunBack
    arriveHome,                    // Home
};
constexpr int phaseStartCount = static_cast<int>(sizeof phaseStarts / sizeof phaseStarts[0]);

}  // namespace

void dispatchLaunchState()
{
    const int state = game.launchState;
    if (game.stateChanged == 0 || state <= Idle || state >= phaseStartCount) {
        return;
    }
    phaseStarts[state]();
    game.stateChanged = 0;
}

void startFlight()
{
    game.flightTicksLeft = static_cast<int>(game.flightTicks);
    game.timerStep = StepFlight;
    armSequenceTimer();
}

void startTurnToBone()
{
    game.turnToBoneTicksLeft = turnTicks;
    game.turnStep = static_cast<float>(180 / turnTicks);
    game.timerStep = StepTurnToBone;
    armSequenceTimer();
}

void startRunToBone()
{
    const Vector3 u = normalize(Vector3{game.boneX, game.boneY, game.boneZ});
    setUpRun(game.boneX - 1.0f * u.x, game.boneY - 1.0f * u.y, game.boneZ - 1.0f * u.z);
}

void startPickUp()
{
    game.timerStep = StepPickUp;
    armSequenceTimer();
}

void startTurnBack()
{
    game.turnBackTicksLeft = turnTicks;
    game.turnStep = static_cast<float>(180 / turnTicks);
    game.timerStep = StepTurnBack;
    armSequenceTimer();
}

void startRunBack()
{
    clearBonePosition();
    setUpRun(game.boneX, game.boneY, game.boneZ);
}

void setUpRun(float tx, float /*ty: runs stay on the ground*/, float tz)
{
    const float dx = tx - game.dogX;
    const float dz = tz - game.dogZ;
    const float n = maxOf3(fabsFloat(dx), 0.0f, fabsFloat(dz)) / stepLength;
    if (n > 0.0f) {
        game.runStep = Vector3{dx / n, 0.0f, dz / n};
        const float len = length(game.runStep);

        // The dog's yaw turns towards the running direction, measured from the
        // run's reference axis: negative (towards +x) when the run goes to +x.
        const bool towardsPlusX = game.runStep.x > 0.0f;
        Vector3 axis = backwardAxis;
        if (towardsPlusX) {
            axis = game.launchState == RunBack ? backwardAxis : forwardAxis;
        } else {
            axis = game.launchState == RunToBone ? forwardAxis : backwardAxis;
        }
        const float k = towardsPlusX ? -(180.0f / pi) : 180.0f / pi;
        const float a = acosFloat(dot(axis, game.runStep) / len);
        game.turnStep = a * k / (n + 1.0f);
    } else {
        // Already at the target: a run of no ticks that only ends the phase.
        game.runStep = Vector3{0.0f, 0.0f, 0.0f};
        game.turnStep = 0.0f;
    }
    game.runTicksLeft = static_cast<int>(n);
    game.timerStep = StepRun;
    armSequenceTimer();
}

void sequenceTimer(int value)
{
    if (value >= 0 && value < tickRoutineCount) {
        tickRoutines[value]();
    }
    glutPostRedisplay();
}

void blinkTimer(int value)
{
    if (value == 0) {
        game.eyesClosed = 0;
        game.blinkTimerValue = 1;
        glutTimerFunc(static_cast<unsigned>(static_cast<float>(std::rand() % 2000) + blinkLongMs),
                      blinkTimer, game.blinkTimerValue);
    } else {
        game.eyesClosed = 1;
        game.blinkTimerValue = 0;
        glutTimerFunc(static_cast<unsigned>(static_cast<float>(std::rand() % 100) + blinkShortMs),
                      blinkTimer, game.blinkTimerValue);
    }
    glutPostRedisplay();
}
