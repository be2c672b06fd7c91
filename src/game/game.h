// Game flow: the shared game state and its constants, the input callbacks, the
// timed throw-and-fetch sequence with the blink timer, and the closing scene.
#pragma once

#include "textures/images.h"  // the texture ids: blankTexture, carTexture, ...
#include "sound/sound.h"
#include "world/world.h"

// The phases of one throw.
enum LaunchState : int {
    Idle = 0,
    BoneFlight = 1,
    TurnToBone = 2,
    RunToBone = 3,
    PickUpBone = 4,
    TurnBack = 5,
    RunBack = 6,
    Home = 7,
};

// The value the sequence timer carries: which tick routine runs.
enum SequenceStep : int {
    StepFlight = 0,
    StepRun = 1,
    StepTurnToBone = 2,
    StepTurnBack = 3,
    StepPickUp = 4,
};

// --- Constants ----------------------------------------------------------------------
inline constexpr float sequencePeriodMs = 41.0f;
inline constexpr float throwHeight = 10.0f;
inline constexpr float throwPowerScale = 10.0f;
inline constexpr float gravityScale = 0.03f;
inline constexpr float stepLength = 0.5f;
inline constexpr float pi = 3.14159265f;
inline constexpr Vector3 forwardAxis{0.0f, 0.0f, -1.0f};
inline constexpr Vector3 backwardAxis{0.0f, 0.0f, 1.0f};
inline constexpr float blinkShortMs = 41.0f;
inline constexpr float blinkLongMs = 833.0f;
inline constexpr float houseX = 5.0f;
inline constexpr float houseZ = -15.0f;
inline constexpr int worldHalfSizeX = 60;
inline constexpr int worldHalfSizeZ = 60;

// The whole game state the callbacks share. The member initialisers are the
// load values: `game = GameState{}` puts it all back.
struct GameState {
    // Sequence control.
    LaunchState launchState = Idle;
    int stateChanged = 0;              // the phase in launchState has not been started yet
    SequenceStep timerStep = StepFlight;

    // The bone.
    float boneX = 0.0f;
    float boneY = 0.0f;
    float boneZ = 0.0f;
    float boneSpin = 0.0f;
    int dogHasBone = 0;

    // The dog.
    float dogX = 0.0f;
    float dogY = 0.0f;
    float dogZ = 0.0f;
    float dogHeading = 0.0f;           // degrees about +y; 0 faces the viewer
    float runYaw = 0.0f;               // extra yaw gathered during the runs
    float neckLift = 0.0f;             // the neck is pitched neckLift - 50
    int eyesClosed = 0;
    int currentFurTexture = 0;         // start-up sets 1
    int dogTextureCount = 5;           // fur textures; the scenery ids count on from it

    // The throw and the flight.
    float aimForward = 0.0f;
    float aimSide = 0.0f;
    float throwForward = 0.0f;
    float throwSide = 0.0f;
    float flightTicks = 0.0f;
    int flightTicksLeft = 0;

    // Turns, runs and the pick-up.
    float turnStep = 0.0f;
    int turnToBoneTicksLeft = 0;
    int turnBackTicksLeft = 0;
    int runTicksLeft = 0;
    Vector3 runStep{0.0f, 0.0f, 0.0f};
    int boneGrabbed = 0;

    // Modes, quitting and the blink.
    int freeWalk = 0;                  // 0 aiming, 1 free walk, 2 quitting
    int quitting = 0;
    float quitDogX = 0.0f;
    float quitDogZ = 0.0f;
    float carOffset = 6.0f;
    int blinkTimerValue = 0;

    // Free-walk steering and the camera.
    float steerX = 0.0f;
    float steerY = 0.0f;
    float cameraEyeX = 0.0f;
    float cameraEyeY = 2.0f;
    float cameraEyeZ = 1.0f;
    float cameraCenterX = 0.0f;
    float cameraCenterY = 2.0f;
    float cameraCenterZ = 0.0f;
    float cameraUpX = 0.0f;
    float cameraUpY = 1.0f;
    float cameraUpZ = 0.0f;

    // The house.
    int houseHit = 0;
    float houseBlastTime = 0.0f;
    int houseDestroyed = 0;
};

extern GameState game;

// --- State helpers -------------------------------------------------------------------
// Puts the dog and the bone back: thirteen values to 0, nothing else.
void resetThrow();
// How far the bone has fallen n ticks after the apex: n * 4.9 * n * gravityScale.
float dropHeight(int n);
// Ticks needed to fall h units from rest: sqrt(h / (gravityScale * 4.9)).
float fallTicks(int h);
// Camera back to its home pose, walkDirection back to (0, 0, 1).
void cameraHome();
// Starts effect id from place in the scene, heard from the camera as it stands.
void playSoundAt(SoundId id, Vector3 place);

// --- Input callbacks (GLUT) -------------------------------------------------------------
void mouseButton(int button, int state, int x, int y);
void passiveMotion(int x, int y);
void keyboard(unsigned char key, int x, int y);

// --- The throw-and-fetch sequence ---------------------------------------------------------
// Called by display once per frame in aiming mode: starts the phase in launchState.
void dispatchLaunchState();
// The 41 ms sequence tick; value is a SequenceStep.
void sequenceTimer(int value);
void startFlight();
void startTurnToBone();
void startRunToBone();
void startPickUp();
void startTurnBack();
void startRunBack();
// Prepares a straight run from the dog to (tx, tz); ty is not used.
void setUpRun(float tx, float ty, float tz);
// Opens (value 0) or closes the eyes and arms the next blink.
void blinkTimer(int value);

// --- The closing scene ------------------------------------------------------------------
// The car's frame is drawn at the dog's place when 'q' was pressed, shifted by
// carFrame, and by game.carOffset along x while the car slides in. In that
// frame the car's picture, a unit square at z carPictureZ scaled by carScale, is
// centred at carCentre, and the explosion at explosionOffset.
inline constexpr Vector3 carFrame{2.0f, 2.0f, 0.0f};
inline constexpr float carScale = 5.0f;
inline constexpr float carPictureZ = 0.5f;
inline constexpr Vector3 carCentre{0.0f, 0.0f, carScale * carPictureZ};
inline constexpr Vector3 explosionOffset{-3.0f, 0.5f, 2.0f};
// Where a point of the car's frame stands in the scene once the car has stopped
// (where the engine and the blast sound from).
Vector3 closingPlace(Vector3 inCarFrame);
// One frame of the car-and-explosion scene; ends the process with exit(0).
void drawClosingSequence();
