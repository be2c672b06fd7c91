// World simulation: vector maths and the pointer mappings, the planting of the
// trees, the per-frame animation updates, the free-walk step and the power meter.
#pragma once

// A position, direction or displacement in world units (y up). Passed by value.
struct Vector3 {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
};

// One scattered tree. Placed once at start-up; only knocked and tipAngle change.
struct ScatteredObject {
    float x = 0.0f;         // whole number in [-60, 59]
    float y = 0.0f;         // always 0
    float z = 0.0f;         // whole number in [-60, 59]
    float yaw = 0.0f;       // degrees, whole number in [0, 359]
    int knocked = 0;        // 1 once the dog has run into the tree
    float tipAngle = 0.0f;  // degrees fallen, 0 to 185
};

inline constexpr int scatteredObjectCount = 15;

// display draws the scene shifted by this after placing the camera.
inline constexpr Vector3 sceneShift{0.0f, 0.0f, -10.0f};

// Everything in the world that moves by itself. The member initialisers are the
// load values: `world = WorldState{}` puts it all back.
struct WorldState {
    // Oscillators: a value and its direction flag (1 = decreasing).
    float wagAngle = 0.0f;
    int wagDecreasing = 0;
    float gaitAngle = 0.0f;
    int gaitDecreasing = 0;
    float headNod = 0.0f;
    int headNodDecreasing = 1;
    float headTurn = 0.0f;
    int headTurnDecreasing = 0;
    float bodySway = 0.0f;
    int bodySwayDecreasing = 0;
    float skyRotation = 0.0f;

    // The power meter: fill level 0..1 (overshooting by under a step) and its direction.
    float meterLevel = 0.0f;
    int meterRising = 1;

    // Free walk: the direction of the last walking step.
    Vector3 walkDirection{0.0f, 0.0f, 1.0f};

    ScatteredObject scatteredObjects[scatteredObjectCount];
};

extern WorldState world;

// --- Vector and mapping maths (pure) ---------------------------------------
float dot(Vector3 a, Vector3 b);
float length(Vector3 v);               // the sum of squares is rounded to float first
Vector3 normalize(Vector3 v);          // v / |v|; callers never pass a zero vector
float maxOf3(float a, float b, float c);
float cosFloat(float v);               // cos, acos, fabs and sqrt evaluated in double,
float acosFloat(float v);              // rounded back to float
float fabsFloat(float v);
float sqrtFloat(float v);
float mapX(int px);                    // window column -> aiming plane, (2px - (W-1)) / H
float mapY(int py);                    // bottom-up window row -> aiming plane, (2py - (H-1)) / H

// --- Tree planting -------------------------------------------------------------
// Seeds rand() from the clock and places the fifteen trees outside the clear
// rectangle 0<=x<=10, -4<=z<=10. Called once by start-up.
void scatterObjects();
// Places the trees from the current rand() state (scatterObjects without the seeding).
void placeScatteredObjects();
// Stands every tree up again (knocked and tipAngle back to 0); the reset key calls it.
void standTreesUp();

// --- Per-frame updates -----------------------------------------------------------
// One oscillator step: turn at the bounds (test before step), then move by step.
void stepOscillator(float& value, int& decreasing, float lower, float upper, float step);
// The per-frame driver, called by display after the house and before the meter.
// Also draws the loose bone in aiming mode.
void updateWorld();
void stepWag();
void stepGait();
void stepHeadNod();
void stepHeadTurn();       // reseeds rand() from the clock, rollHeadTurnFlip, then the step
// Draws r1 = rand() % 40 and, only if r1 is 1, r2 = rand() % 40; r2 >= 20 inverts
// headTurnDecreasing. Uses the generator as it stands (stepHeadTurn seeds it).
void rollHeadTurnFlip();
void stepBodySway();
void stepIdleMotions();    // stepHeadTurn, stepHeadNod, stepBodySway
void stepBoneSpin();
void stepSky();
void stepHouse();          // hit test against the dog and the blast's progress

// --- Free walk -------------------------------------------------------------------
// One walking step from steerX/steerY; moves the dog and the camera together.
void freeWalkStep();

// --- The power meter ----------------------------------------------------------------
void stepMeter();          // advances meterLevel by 0.005, turning at 0 and 1
void drawMeter();          // steps the meter, then draws scale, cover, bar and frame
