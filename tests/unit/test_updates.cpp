// The per-frame world: the oscillators, the bone's spin, the sky, the house's
// blast, what the driver runs in each mode, the free-walk step and the meter.
#include "app/app.h"
#include "game/game.h"
#include "gl_double.h"
#include "world/world.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

namespace {

void freshState()
{
    game = GameState{};
    world = WorldState{};
    app = AppState{};
    gldouble::reset();
}

std::vector<float> run(void (*stepper)(), const float& value, int frames)
{
    std::vector<float> out;
    for (int i = 0; i < frames; ++i) {
        stepper();
        out.push_back(value);
    }
    return out;
}

bool sameMaterial(const gldouble::MaterialState& got, const Material& want)
{
    bool same = std::abs(got.shininess - want.shininess) < 1e-5f;
    for (int k = 0; k < 4; ++k) {
        same = same && std::abs(got.ambient[k] - want.ambient[k]) < 1e-5f &&
               std::abs(got.diffuse[k] - want.diffuse[k]) < 1e-5f &&
               std::abs(got.specular[k] - want.specular[k]) < 1e-5f;
    }
    return same;
}

void expectNear(const std::vector<double>& got, const std::vector<double>& want, const std::string& what)
{
    ASSERT_EQ(got.size(), want.size()) << what;
    for (size_t k = 0; k < got.size(); ++k) {
        EXPECT_NEAR(got[k], want[k], 1e-5) << what << " [" << k << "]";
    }
}

}  // namespace

TEST(Oscillators, TurnAtTheirBoundsWithTheirPeriods)
{
    struct Case {
        void (*stepper)();
        float* value;
        float first, turn, afterTurn;  // after one step; the first bound reached and the value after it
        int period;
    };
    const Case cases[] = {
        {stepWag, &world.wagAngle, 0.5f, 5.0f, 4.5f, 40},
        {stepGait, &world.gaitAngle, 5.0f, 30.0f, 25.0f, 24},
        {stepHeadNod, &world.headNod, -1.0f, -15.0f, -14.0f, 60},  // the nod starts downwards
    };
    for (const Case& c : cases) {
        freshState();
        const std::vector<float> v = run(c.stepper, *c.value, 3 * c.period);
        EXPECT_EQ(v[0], c.first);
        const auto turn = std::find(v.begin(), v.end(), c.turn);
        ASSERT_NE(turn, v.end()) << c.turn;
        EXPECT_EQ(*(turn + 1), c.afterTurn);
        EXPECT_EQ(*std::max_element(v.begin(), v.end()), std::abs(c.turn));
        EXPECT_EQ(*std::min_element(v.begin(), v.end()), -std::abs(c.turn));
        for (int i = 0; i + c.period < static_cast<int>(v.size()); ++i) {
            ASSERT_EQ(v[i], v[i + c.period]) << "period " << c.period << ", frame " << i;
        }
    }

    // The sway's float sums end a run just short of 5 and then pass it by almost a step.
    freshState();
    const std::vector<float> sway = run(stepBodySway, world.bodySway, 500);
    EXPECT_FLOAT_EQ(sway[0], 0.1f);
    const auto [lowest, highest] = std::minmax_element(sway.begin(), sway.end());
    EXPECT_TRUE(*highest >= 5.0f && *highest < 5.1001f) << *highest;
    EXPECT_TRUE(*lowest <= -5.0f && *lowest > -5.1001f) << *lowest;
}

TEST(Oscillators, HeadTurnFlipsByChanceButTheBoundWins)
{
    // Seeds for each outcome of the draws: r1 = 0 or 2 (one draw, no flip), r1 = 1
    // with r2 = 19 (no flip) or 20 (flip). The flag must follow, and the next draw
    // must be the one after the right number of draws.
    struct Outcome { int r1, r2; bool flips; unsigned seed; };
    Outcome outcomes[] = {{0, -1, false, 0}, {2, -1, false, 0}, {1, 19, false, 0}, {1, 20, true, 0}};
    for (Outcome& o : outcomes) {
        for (unsigned seed = 1; seed < 1000000 && o.seed == 0; ++seed) {
            std::srand(seed);
            const int r1 = std::rand() % 40;
            if (r1 == o.r1 && (r1 != 1 || std::rand() % 40 == o.r2)) {
                o.seed = seed;
            }
        }
        ASSERT_NE(o.seed, 0u);
        std::srand(o.seed);
        for (int d = 0; d < (o.r1 == 1 ? 2 : 1); ++d) {
            std::rand();
        }
        const int nextDraw = std::rand();
        for (int before : {0, 1}) {
            freshState();
            world.headTurnDecreasing = before;
            std::srand(o.seed);
            rollHeadTurnFlip();
            EXPECT_EQ(world.headTurnDecreasing, o.flips ? 1 - before : before) << "r2 " << o.r2;
            EXPECT_EQ(std::rand(), nextDraw) << "r2 " << o.r2;
        }
    }

    // stepHeadTurn seeds from the clock: predict the second's flip (retry if the
    // second changes under the step). At a bound the head turns back whatever the draws.
    for (int attempt = 0; attempt < 5; ++attempt) {
        freshState();
        const std::time_t now = std::time(nullptr);
        std::srand(static_cast<unsigned>(now));
        const bool flips = std::rand() % 40 == 1 && std::rand() % 40 >= 20;
        world.headTurn = 14.0f;
        stepHeadTurn();
        const float fromBound = world.headTurn;
        world.headTurn = 0.0f;
        world.headTurnDecreasing = 0;
        stepHeadTurn();
        if (std::time(nullptr) == now) {
            EXPECT_FLOAT_EQ(fromBound, 13.7f);
            EXPECT_FLOAT_EQ(world.headTurn, flips ? -0.3f : 0.3f);
            break;
        }
    }
}

TEST(WorldUpdate, ModeAndPhaseChooseSpinBoneAndGait)
{
    struct Case { int freeWalk; LaunchState state; int dogHasBone; bool spins, drawsBone, steps; };
    const Case cases[] = {
        {0, Idle, 0, false, false, false},       {0, BoneFlight, 0, true, true, false},
        {0, TurnToBone, 0, false, true, true},   {0, RunToBone, 0, false, true, true},
        {0, PickUpBone, 0, false, true, false},  {0, PickUpBone, 1, false, false, false},
        {0, TurnBack, 1, false, false, true},    {0, RunBack, 1, false, false, true},
        {0, Home, 1, false, false, true},        {1, BoneFlight, 0, false, false, false},
        {1, RunToBone, 0, false, false, false},  {2, RunToBone, 0, false, false, false},
    };
    for (const Case& c : cases) {
        freshState();
        game.freeWalk = c.freeWalk;
        game.launchState = c.state;
        game.dogHasBone = c.dogHasBone;
        game.dogX = houseX;
        game.dogZ = houseZ;
        updateWorld();
        const std::string where = "mode " + std::to_string(c.freeWalk) + ", state " + std::to_string(c.state);
        EXPECT_EQ(game.boneSpin, c.spins ? 2.0f : 0.0f) << where;
        EXPECT_EQ(!gldouble::gl().draws.empty(), c.drawsBone) << where;
        EXPECT_EQ(world.gaitAngle, c.steps ? 5.0f : 0.0f) << where;
        EXPECT_EQ(gldouble::gl().stackErrors, 0);
        // What runs in every mode: the house test, the wag, the idle motions, the sky.
        EXPECT_EQ(game.houseHit, 1) << where;
        EXPECT_EQ(world.wagAngle, 0.5f) << where;
        EXPECT_EQ(world.headNod, -1.0f) << where;
        EXPECT_FLOAT_EQ(std::abs(world.headTurn), 0.3f) << where;
        EXPECT_FLOAT_EQ(world.bodySway, 0.1f) << where;
        EXPECT_FLOAT_EQ(world.skyRotation, 0.02f) << where;
    }
}

TEST(WorldUpdate, BoneSpinAndSkyWrapOncePast360)
{
    freshState();
    const std::vector<float> spin = run(stepBoneSpin, game.boneSpin, 182);
    EXPECT_EQ(spin[180], 362.0f);
    EXPECT_EQ(spin[181], 0.0f);

    world.skyRotation = 360.0f;
    stepSky();
    EXPECT_FLOAT_EQ(world.skyRotation, 360.02f);
    world.skyRotation = 0.0f;
    int frames = 0;
    float last = 0.0f;
    do {
        last = world.skyRotation;
        stepSky();
        ASSERT_LT(++frames, 20000);
    } while (world.skyRotation != 0.0f);
    EXPECT_TRUE(last > 360.0f && last < 360.02f) << last;
    EXPECT_GT(frames, 17000);
}

TEST(House, HitBoxIsInclusiveAndTheBlastLastsSixtyFrames)
{
    struct Case { float x, z; int hit; };
    for (const Case& c : {Case{1.0f, -11.0f, 1}, Case{0.9f, -11.0f, 0}, Case{9.0f, -19.0f, 1},
                          Case{9.1f, -15.0f, 0}, Case{5.0f, -19.1f, 0}, Case{5.0f, -10.9f, 0}}) {
        freshState();
        game.dogX = c.x;
        game.dogZ = c.z;
        stepHouse();
        EXPECT_EQ(game.houseHit, c.hit) << c.x << ", " << c.z;
        EXPECT_EQ(game.houseBlastTime, c.hit ? 0.5f : 0.0f) << c.x << ", " << c.z;
    }

    freshState();
    game.dogX = houseX;
    game.dogZ = houseZ;
    stepHouse();
    game.dogX = 0.0f;  // the blast goes on once the dog has left
    game.dogZ = 0.0f;
    for (int frame = 2; frame < 60; ++frame) {
        stepHouse();
    }
    EXPECT_EQ(game.houseDestroyed, 0);
    stepHouse();
    EXPECT_EQ(game.houseDestroyed, 1) << "set on the 60th frame";
    for (int frame = 0; frame < 10; ++frame) {
        stepHouse();
    }
    EXPECT_EQ(game.houseBlastTime, 30.5f);
}

TEST(FreeWalk, StepTurnsTheDogAndMovesDogAndCameraTogether)
{
    struct Case { float steerX, steerY, heading, dirX, dirZ; int steps; };
    const Case cases[] = {
        {2.0f, 2.0f, 135.0f, 0.70711f, -0.70711f, 1},   // up and right
        {3.0f, -0.5f, 80.538f, 0.98639f, 0.16440f, 1},  // right, slightly below
        {-3.0f, 4.0f, -143.130f, -0.6f, -0.8f, 1},      // up and left
        {-1.0f, -9.0f, -6.340f, -0.11043f, 0.99388f, 4}, // held still: a straight line
    };
    for (const Case& c : cases) {
        freshState();
        game.steerX = c.steerX;
        game.steerY = c.steerY;
        for (int i = 0; i < c.steps; ++i) {
            freeWalkStep();
        }
        const double dx = 0.5 * c.steps * c.dirX;
        const double dz = 0.5 * c.steps * c.dirZ;
        EXPECT_NEAR(game.dogHeading, c.heading, 1e-3) << c.steerX << ", " << c.steerY;
        expectNear({world.walkDirection.x, world.walkDirection.y, world.walkDirection.z}, {c.dirX, 0, c.dirZ},
                   "direction");
        expectNear({game.dogX, game.dogY, game.dogZ}, {dx, 0, dz}, "dog");
        expectNear({game.cameraEyeX, game.cameraEyeY, game.cameraEyeZ}, {dx, 2, 1 + dz}, "eye");
        expectNear({game.cameraCenterX, game.cameraCenterY, game.cameraCenterZ}, {dx, 2, dz}, "centre");
        EXPECT_EQ(world.gaitAngle, 5.0f * c.steps) << "the legs move while walking";
    }
}

TEST(FreeWalk, ZeroSteeringStandsStillAndStopsTheLegs)
{
    // Either value exactly 0 stops the dog: the dead zone, or the centre row or
    // column of a window of odd size.
    struct Case { float steerX, steerY; };
    for (const Case& c : {Case{0.0f, 0.0f}, Case{5.0f, 0.0f}, Case{0.0f, -5.0f}}) {
        freshState();
        game.steerX = c.steerX;
        game.steerY = c.steerY;
        game.dogHeading = 42.0f;
        game.dogX = 3.0f;
        world.gaitAngle = 15.0f;
        freeWalkStep();
        EXPECT_TRUE(world.gaitAngle == 0.0f && game.dogHeading == 42.0f && world.walkDirection.z == 1.0f);
        EXPECT_TRUE(game.dogX == 3.0f && game.dogZ == 0.0f && game.cameraEyeZ == 1.0f);
    }
}

// The end-to-end tests walk into the house with the pointer at (575, 25) and go
// home only once the clear white shows where the sky was. That is sound while
// this walk reaches the house's hit box, and its blast ends, well before the
// eye leaves the sky's sphere.
TEST(FreeWalk, TheWalkIntoTheHouseOutlastsTheBlastBeforeLeavingTheSky)
{
    freshState();
    app.windowWidth = 1000;
    app.windowHeight = 500;
    game.freeWalk = 1;
    passiveMotion(575, 25);

    const float skyRadius = std::sqrt(static_cast<float>(worldHalfSizeX * worldHalfSizeX +
                                                         worldHalfSizeZ * worldHalfSizeZ));
    int hitFrame = 0, destroyedFrame = 0, outOfSkyFrame = 0;
    for (int frame = 1; frame <= 400 && outOfSkyFrame == 0; ++frame) {
        freeWalkStep();
        stepHouse();
        // The world is drawn 10 further along -z than the camera's coordinates say.
        const double eyeX = game.cameraEyeX, eyeY = game.cameraEyeY, eyeZ = game.cameraEyeZ + 10.0;
        hitFrame = hitFrame == 0 && game.houseHit == 1 ? frame : hitFrame;
        destroyedFrame = destroyedFrame == 0 && game.houseDestroyed == 1 ? frame : destroyedFrame;
        outOfSkyFrame = std::sqrt(eyeX * eyeX + eyeY * eyeY + eyeZ * eyeZ) > skyRadius ? frame : 0;
    }
    EXPECT_NEAR(game.dogHeading, 161.4, 0.1);
    struct Milestone { const char* what; int frame; int earliest; int latest; };
    for (const Milestone& m : {Milestone{"the dog enters the house's hit box", hitFrame, 20, 30},
                               Milestone{"the blast ends", destroyedFrame, hitFrame + 59, hitFrame + 59},
                               Milestone{"the eye leaves the sky", outOfSkyFrame, destroyedFrame + 80, 220}}) {
        EXPECT_TRUE(m.frame >= m.earliest && m.frame <= m.latest)
            << m.what << " on frame " << m.frame << ", wanted " << m.earliest << " to " << m.latest;
    }
}

TEST(Meter, LevelSweepsAndTurnsOnReachingEitherEnd)
{
    freshState();
    const std::vector<float> level = run(stepMeter, world.meterLevel, 410);
    EXPECT_FLOAT_EQ(level[0], 0.005f);
    EXPECT_TRUE(level[199] < 1.0f && level[199] > 0.999f) << level[199];  // frame 200
    EXPECT_NEAR(level[200], 1.005f, 1e-4f);
    EXPECT_LT(level[201], level[200]) << "falls from frame 202";
    const auto bottom = std::min_element(level.begin(), level.end());
    EXPECT_NEAR(bottom - level.begin(), 402, 2) << "turns about 200 frames after the top";
    EXPECT_NEAR(*bottom, -0.005f, 0.0051f);

    struct Case { float level; int rising; float after; };
    for (const Case& c : {Case{1.0f, 1, 0.995f}, Case{0.0f, 0, 0.005f}, Case{0.5f, 1, 0.505f},
                          Case{0.5f, 0, 0.495f}}) {
        world.meterLevel = c.level;
        world.meterRising = c.rising;
        stepMeter();
        EXPECT_NEAR(world.meterLevel, c.after, 1e-6f) << "from " << c.level;
    }
}

TEST(Meter, DrawsScaleCoverBarAndFrameInThatOrder)
{
    freshState();
    world.meterLevel = 0.495f;  // 0.5 after the draw's own step
    drawMeter();
    const std::vector<gldouble::Draw>& draws = gldouble::gl().draws;
    ASSERT_EQ(draws.size(), 4u);

    // Nine scale lines from 10 to 90 percent: shaded left ends, bright right ends.
    EXPECT_EQ(draws[0].kind, "GL_LINES");
    const std::vector<gldouble::Vertex>& lines = draws[0].vertices;
    ASSERT_EQ(lines.size(), 18u);
    for (int n = 0; n < 9; ++n) {
        const float i = 10.0f * (n + 1);
        const std::string what = "scale line at " + std::to_string(static_cast<int>(i));
        const Material bar{{1.0f - 0.008f * i, 1.0f - 0.005f * i, 1.0f - 0.001f * i, 0.75f},
                           {1.0f, 1.0f, 1.0f, 0.75f}, {1.0f, 1.0f, 1.0f, 0.75f}, 100.0f};
        const gldouble::Vertex& left = lines[2 * n];
        const gldouble::Vertex& right = lines[2 * n + 1];
        expectNear({left.local.x, left.local.y, right.local.x, right.local.y},
                   {2.9 - 0.002 * i, -2.0 + 0.05 * i, 3.1 + 0.002 * i, -2.0 + 0.05 * i}, what);
        EXPECT_TRUE(sameMaterial(left.material, bar)) << what;
        EXPECT_TRUE(sameMaterial(right.material, brightMaterial)) << what;
    }

    // The cover hides the bar from the level up.
    EXPECT_EQ(draws[1].kind, "glRectf");
    expectNear(draws[1].params, {2.5, 0.5, 3.5, 3.0}, "cover");
    EXPECT_TRUE(sameMaterial(draws[1].material, meterCoverMaterial));

    // The bar: yellow at the bottom, green at the top, a material before each corner.
    EXPECT_EQ(draws[2].kind, "GL_POLYGON");
    const std::vector<gldouble::Vertex>& bar = draws[2].vertices;
    ASSERT_EQ(bar.size(), 4u);
    const double corners[4][2] = {{2.5, -2.0}, {3.5, -2.0}, {3.5, 3.0}, {2.5, 3.0}};
    for (int k = 0; k < 4; ++k) {
        expectNear({bar[k].local.x, bar[k].local.y}, {corners[k][0], corners[k][1]}, "bar corner");
        EXPECT_TRUE(sameMaterial(bar[k].material, k < 2 ? meterLowMaterial : meterHighMaterial)) << k;
    }

    EXPECT_EQ(draws[3].kind, "glRectf");
    expectNear(draws[3].params, {2.4, -2.1, 3.6, 3.1}, "frame");
    EXPECT_TRUE(sameMaterial(draws[3].material, meterFrameMaterial));

    EXPECT_TRUE(gldouble::callsOf("glBindTexture").empty()) << "the meter keeps the blank texture";
    EXPECT_EQ(gldouble::gl().stackErrors, 0);
}
