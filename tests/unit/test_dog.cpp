// The dog and its bone, checked through the recording GL double: where the parts
// land in the dog's frame, which texture and material each is drawn with, and
// that a whole dog leaves the GL state as the rest of the frame expects it.
#include "app/app.h"
#include "game/game.h"
#include "render/render.h"
#include "world/world.h"

#include "gl_double.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace {

using gldouble::Draw;
using gldouble::Point;

constexpr double landmarkTolerance = 1e-3;  // the expected landmarks are rounded to three decimals
constexpr double radiansPerDegree = 3.14159265358979323846 / 180.0;
constexpr int furTexture = 3;

class DogTest : public FreshGame {
protected:
    void SetUp() override
    {
        FreshGame::SetUp();
        game.currentFurTexture = furTexture;
    }
};

bool same(double a, double b)
{
    return std::fabs(a - b) < 1e-6;
}

// The draws of one kind whose leading parameters are the given ones.
std::vector<Draw> drawsWith(const std::string& kind, const std::vector<double>& leading)
{
    std::vector<Draw> found;
    for (const Draw& d : gldouble::drawsOf(kind)) {
        bool match = d.params.size() >= leading.size();
        for (size_t i = 0; match && i < leading.size(); ++i) {
            match = same(d.params[i], leading[i]);
        }
        if (match) {
            found.push_back(d);
        }
    }
    return found;
}

// A direction (w = 0) carried through the linear part of m, normalised.
Point direction(const gldouble::Mat4& m, Point v)
{
    const auto& a = m.m;
    const Point r{a[0] * v.x + a[4] * v.y + a[8] * v.z, a[1] * v.x + a[5] * v.y + a[9] * v.z,
                  a[2] * v.x + a[6] * v.y + a[10] * v.z};
    const double len = std::sqrt(r.x * r.x + r.y * r.y + r.z * r.z);
    return Point{r.x / len, r.y / len, r.z / len};
}

int materialCalls(const Material& m)
{
    int count = 0;
    for (const auto& call : gldouble::callsOf("glMaterialfv")) {
        if (call.args[1] == GL_AMBIENT && call.args[2] == m.ambient[0] && call.args[3] == m.ambient[1] &&
            call.args[4] == m.ambient[2] && call.args[5] == m.ambient[3]) {
            ++count;
        }
    }
    return count;
}

}  // namespace

TEST_F(DogTest, RestPoseLandmarksSitWhereTheModelPutsThem)
{
    struct Landmark {
        const char* name;
        const char* kind;
        std::vector<double> leading;  // the draw's first parameters
        size_t which;                 // among the matching draws
        Point local;                  // the point of the draw's frame to follow
        Point expected;               // in the dog's frame
    };
    const Landmark landmarks[] = {
        {"end of the neck / head frame", "gluCylinder", {0.2, 0.2, 1.0}, 0, {0, 0, 1}, {0, 0.766, 1.143}},
        {"nose centre", "glutSolidSphere", {0.25}, 0, {0, 0, 0}, {0, 0.766, 2.043}},
        {"left eye centre", "gluSphere", {0.25}, 0, {0, 0, 0}, {-0.15, 1.166, 1.393}},
        {"right eye centre", "gluSphere", {0.25}, 1, {0, 0, 0}, {0.15, 1.166, 1.393}},
        {"skull centre", "gluSphere", {1.0}, 0, {0, 0, 0}, {0, 1.016, 1.143}},
        {"tail root (the stub)", "gluCylinder", {0.1, 0.1, 0.1}, 0, {0, 0, 0}, {0, 0.2, -0.5}},
        {"last tail link", "gluCylinder", {0.0, 0.0, 0.1}, 0, {0, 0, 0}, {0, 1.326, -1.15}},
        {"body centre", "gluSphere", {0.5}, 7, {0, 0, 0}, {0, 0, 0}},
        {"body front end", "gluSphere", {0.5}, 7, {0, 0, 0.5}, {0, 0, 0.75}},
        {"shoulder", "gluSphere", {0.5}, 3, {0, 0, 0}, {0, 0, 0.5}},
        {"hip", "gluSphere", {0.5}, 6, {0, 0, 0}, {0, 0, -0.5}},
        {"front left paw reaches the ground", "gluSphere", {0.5}, 1, {0, -0.5, 0}, {-0.25, -1.0, 0.625}},
    };

    drawDog();

    for (const Landmark& l : landmarks) {
        const auto draws = drawsWith(l.kind, l.leading);
        ASSERT_LT(l.which, draws.size()) << l.name;
        expectNear(gldouble::apply(draws[l.which].modelview, l.local), l.expected, l.name, landmarkTolerance);
    }
}

TEST_F(DogTest, EveryDogLeavesTheStateTheFrameExpects)
{
    struct Pose {
        const char* name;
        float gait, sway, nod, turn, wag, neckLift;
        int eyesClosed, hasBone;
    };
    const Pose poses[] = {
        {"rest", 0, 0, 0, 0, 0, 0, 0, 0},
        {"running", 30, -5, 15, -14, 5, 0, 0, 0},
        {"blinking", -30, 5, -15, 14, -5, 0, 1, 0},
        {"carrying the bone", 10, 1, 2, 3, 4, 50, 0, 1},
    };

    for (const Pose& p : poses) {
        gldouble::reset();
        world.gaitAngle = p.gait;
        world.bodySway = p.sway;
        world.headNod = p.nod;
        world.headTurn = p.turn;
        world.wagAngle = p.wag;
        game.neckLift = p.neckLift;
        game.eyesClosed = p.eyesClosed;
        game.dogHasBone = p.hasBone;
        // The display routine draws the dog two levels down its own stack.
        glPushMatrix();
        glPushMatrix();
        drawDog();
        // drawDog puts the caller's matrix back itself.
        EXPECT_EQ(gldouble::gl().modelview.back().m, gldouble::Mat4{}.m) << p.name;
        glPopMatrix();
        glPopMatrix();

        const auto& gl = gldouble::gl();
        EXPECT_EQ(gl.stackErrors, 0) << p.name;
        EXPECT_EQ(gl.modelview.size(), 1u) << p.name;
        EXPECT_GT(gl.quadricsCreated, 0) << p.name;
        EXPECT_EQ(gl.quadricsCreated, gl.quadricsDeleted) << p.name;
        EXPECT_EQ(gl.boundTexture, static_cast<unsigned>(blankTexture)) << p.name;
        EXPECT_EQ(gl.s, 1.0f) << p.name;
        EXPECT_EQ(gl.t, 1.0f) << p.name;
        // The first part is drawn from texture coordinate (0, 0), with fur and its material.
        ASSERT_FALSE(gl.draws.empty()) << p.name;
        EXPECT_EQ(gl.draws.front().s, 0.0f) << p.name;
        EXPECT_EQ(gl.draws.front().t, 0.0f) << p.name;
        // Every textured quadric fills and has texture coordinates on; no GLU call gets a negative size.
        for (const Draw& d : gl.draws) {
            if (d.kind == "gluSphere" || d.kind == "gluCylinder") {
                for (size_t i = 0; i + 2 < d.params.size(); ++i) {
                    EXPECT_GE(d.params[i], 0.0) << p.name << " " << d.kind;
                }
            }
            if (d.kind == "gluSphere") {
                EXPECT_EQ(d.quadricTexture, 1) << p.name;
                EXPECT_EQ(d.quadricDrawStyle, static_cast<int>(GLU_FILL)) << p.name;
            }
        }
    }
}

TEST_F(DogTest, OpenEyesDrawEachPupilBeforeItsEyeballAndClosedEyesAreFurLids)
{
    struct EyePart {
        const char* kind;
        double radius;
        const Material* material;
        int texture;
        Point centre;
    };
    const EyePart leftPupil{"glutSolidSphere", 0.1, &pupilMaterial, blankTexture, {-0.12, 1.266, 1.543}};
    const EyePart rightPupil{"glutSolidSphere", 0.1, &pupilMaterial, blankTexture, {0.12, 1.266, 1.543}};
    const EyePart leftEye{"gluSphere", 0.25, &eyeWhiteMaterial, furTexture, {-0.15, 1.166, 1.393}};
    const EyePart rightEye{"gluSphere", 0.25, &eyeWhiteMaterial, furTexture, {0.15, 1.166, 1.393}};
    const EyePart leftLid{"gluSphere", 0.25, &furMaterial, furTexture, {-0.15, 1.166, 1.393}};
    const EyePart rightLid{"gluSphere", 0.25, &furMaterial, furTexture, {0.15, 1.166, 1.393}};
    struct Case {
        int eyesClosed;
        std::vector<EyePart> parts;  // in drawing order
    };
    const Case cases[] = {{0, {leftPupil, leftEye, rightPupil, rightEye}}, {1, {leftLid, rightLid}}};

    for (const Case& c : cases) {
        gldouble::reset();
        game.eyesClosed = c.eyesClosed;
        drawDog();

        std::vector<Draw> eyeDraws;
        for (const Draw& d : gldouble::gl().draws) {
            if ((d.kind == "glutSolidSphere" && same(d.params[0], 0.1)) ||
                (d.kind == "gluSphere" && same(d.params[0], 0.25))) {
                eyeDraws.push_back(d);
            }
        }
        ASSERT_EQ(eyeDraws.size(), c.parts.size()) << c.eyesClosed;
        for (size_t i = 0; i < c.parts.size(); ++i) {
            const std::string what = "eye part " + std::to_string(i) + ", closed " + std::to_string(c.eyesClosed);
            EXPECT_EQ(eyeDraws[i].kind, c.parts[i].kind) << what;
            EXPECT_TRUE(sameMaterial(eyeDraws[i].material, *c.parts[i].material)) << what;
            EXPECT_EQ(eyeDraws[i].texture, static_cast<unsigned>(c.parts[i].texture)) << what;
            expectNear(eyeDraws[i].center(), c.parts[i].centre, what);
        }
        EXPECT_EQ(materialCalls(eyeWhiteMaterial) > 0, c.eyesClosed == 0);
        // The skull after the eyes is in fur either way.
        const auto skull = drawsWith("gluSphere", {1.0});
        ASSERT_EQ(skull.size(), 1u);
        EXPECT_TRUE(sameMaterial(skull[0].material, furMaterial));
        EXPECT_EQ(skull[0].texture, static_cast<unsigned>(furTexture));
    }
}

TEST_F(DogTest, TheBoneInTheMouthLeavesNoseAndWhiskersOnTheBlankTexture)
{
    struct Case {
        int hasBone;
        unsigned noseTexture;
        size_t bonePieces;  // four knobs and the shaft
    };
    const Case cases[] = {{0, furTexture, 0}, {1, blankTexture, 5}};

    for (const Case& c : cases) {
        gldouble::reset();
        game.dogHasBone = c.hasBone;
        drawDog();

        const auto knobs = drawsWith("glutSolidSphere", {0.2});
        const auto roundOnes = drawsWith("glutSolidSphere", {0.25});  // shaft (with the bone), nose
        ASSERT_EQ(knobs.size() + roundOnes.size() - 1, c.bonePieces) << c.hasBone;
        const Draw& nose = roundOnes.back();
        EXPECT_EQ(nose.texture, c.noseTexture) << c.hasBone;
        EXPECT_TRUE(sameMaterial(nose.material, noseMaterial)) << c.hasBone;
        const auto whiskers = drawsWith("gluCylinder", {0.01, 0.01, 0.5});
        ASSERT_EQ(whiskers.size(), 6u) << c.hasBone;
        for (const Draw& w : whiskers) {
            EXPECT_EQ(w.texture, c.noseTexture) << c.hasBone;
            EXPECT_EQ(w.quadricTexture, 0) << "whiskers are plain cylinders";
        }
        if (c.hasBone != 0) {
            // Across the mouth: 1 forward of and 0.3 below the head frame's origin.
            expectNear(roundOnes.front().center(), {0, 0.466, 2.143}, "bone shaft");
            EXPECT_TRUE(sameMaterial(knobs.front().material, boneMaterial));
        }
    }
}

TEST_F(DogTest, GaitSwingsFrontAndRearLegsOppositeWaysWithLevelPaws)
{
    world.gaitAngle = 30.0f;
    drawDog();

    const auto legs = drawsWith("gluCylinder", {0.1, 0.1, 0.75});
    const auto balls = drawsWith("gluSphere", {0.5});  // muzzle, 2 front paws, shoulder, 2 rear paws, hip, body
    ASSERT_EQ(legs.size(), 4u);
    ASSERT_EQ(balls.size(), 8u);
    const double r40 = 40.0 * radiansPerDegree, r10 = 10.0 * radiansPerDegree;
    struct Leg {
        size_t leg, paw;
        Point down;     // the leg's direction: its half's pitch plus its own swing
        Point forward;  // the paw's forward axis: its half's pitch only
    };
    const Leg expectations[] = {
        {0, 1, {0, -std::cos(r40), -std::sin(r40)}, {0, -std::sin(r10), std::cos(r10)}},
        {1, 2, {0, -std::cos(r40), -std::sin(r40)}, {0, -std::sin(r10), std::cos(r10)}},
        {2, 4, {0, -std::cos(r40), std::sin(r40)}, {0, std::sin(r10), std::cos(r10)}},
        {3, 5, {0, -std::cos(r40), std::sin(r40)}, {0, std::sin(r10), std::cos(r10)}},
    };
    for (const Leg& e : expectations) {
        expectNear(direction(legs[e.leg].modelview, {0, 0, 1}), e.down, "leg " + std::to_string(e.leg));
        expectNear(direction(balls[e.paw].modelview, {0, 0, 1}), e.forward, "paw " + std::to_string(e.leg));
    }
}

TEST_F(DogTest, TheTailCurlsByTheWagPerLinkAndTapersToItsTip)
{
    world.wagAngle = 4.0f;
    drawDog();

    const auto& all = gldouble::gl().draws;
    std::vector<Draw> links;
    for (const Draw& d : all) {
        if (d.kind == "gluCylinder" && same(d.params[2], 0.1) && !(same(d.params[0], 0.1) && same(d.params[1], 0.1))) {
            links.push_back(d);
        }
    }
    ASSERT_EQ(links.size(), 26u);
    EXPECT_NEAR(links.front().params[1], 0.125, 1e-6);
    EXPECT_NEAR(links.back().params[1], 0.0, 1e-6);
    // Each link turns 4 degrees about its own y against the one before.
    for (size_t i = 1; i < links.size(); ++i) {
        const Point a = direction(links[i - 1].modelview, {0, 0, 1});
        const Point b = direction(links[i].modelview, {0, 0, 1});
        const double cosine = a.x * b.x + a.y * b.y + a.z * b.z;
        EXPECT_NEAR(std::acos(std::min(1.0, cosine)) / radiansPerDegree, 4.0, 1e-3) << "link " << i;
    }
}

TEST_F(DogTest, TheLooseBoneLiesAtItsPositionInBoneMaterial)
{
    game.boneX = 1.0f;
    game.boneY = 2.0f;
    game.boneZ = -3.0f;
    drawBone();

    const auto knobs = drawsWith("glutSolidSphere", {0.2});
    const auto shaft = drawsWith("glutSolidSphere", {0.25});
    ASSERT_EQ(knobs.size(), 4u);
    ASSERT_EQ(shaft.size(), 1u);
    expectNear(shaft[0].center(), {1, 2, -3}, "shaft");
    // Turned 90 degrees about y: the knobs' z offsets become x offsets; the first is shorter.
    expectNear(knobs[0].center(), {0.7, 2, -3.15}, "first knob");
    expectNear(knobs[1].center(), {0.6, 2, -2.85}, "second knob");
    for (const Draw& d : gldouble::gl().draws) {
        EXPECT_TRUE(sameMaterial(d.material, boneMaterial));
        EXPECT_EQ(d.texture, static_cast<unsigned>(blankTexture));
    }
    EXPECT_EQ(gldouble::gl().modelview.size(), 1u);
    EXPECT_EQ(gldouble::gl().stackErrors, 0);
}
