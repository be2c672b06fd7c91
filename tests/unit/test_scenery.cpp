// Ground, sky, tree model, textured box and house, checked through the recording
// GL double: where things land, how textures are laid on, and how the house
// flies apart during its blast.
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
#include <array>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

namespace {

using gldouble::Draw;
using gldouble::Mat4;
using gldouble::Point;

constexpr double tolerance = 1e-3;
constexpr double radiansPerDegree = 3.14159265358979323846 / 180.0;
constexpr unsigned brick = 6, leaf = 7, bark = 8, cloud = 9, explosion = 10;

class SceneryTest : public FreshGame {
protected:
    void SetUp() override
    {
        FreshGame::SetUp();
    }

    // Every routine here leaves the stack as it found it and frees its quadrics.
    void TearDown() override
    {
        expectBalanced();
        for (const Draw& d : gldouble::gl().draws) {
            if (d.kind == "gluSphere" || d.kind == "gluCylinder") {
                EXPECT_EQ(d.quadricTexture, 1) << d.kind;
                EXPECT_EQ(d.quadricDrawStyle, static_cast<int>(GLU_FILL)) << d.kind;
            }
        }
    }
};

// A 3 x 3 rotation, column-major.
using Mat3 = std::array<double, 9>;

// The rotation of a frame built as translations, rotations, then scales.
Mat3 rotationOf(const Mat4& m)
{
    Mat3 r{};
    for (int col = 0; col < 3; ++col) {
        const double len = std::sqrt(m.m[col * 4] * m.m[col * 4] + m.m[col * 4 + 1] * m.m[col * 4 + 1] +
                                     m.m[col * 4 + 2] * m.m[col * 4 + 2]);
        for (int row = 0; row < 3; ++row) {
            r[col * 3 + row] = m.m[col * 4 + row] / len;
        }
    }
    return r;
}

Point times(const Mat3& r, Point v)
{
    return Point{r[0] * v.x + r[3] * v.y + r[6] * v.z, r[1] * v.x + r[4] * v.y + r[7] * v.z,
                 r[2] * v.x + r[5] * v.y + r[8] * v.z};
}

// a transposed times b: the turn that takes frame a to frame b, in a's axes.
Mat3 turnBetween(const Mat3& a, const Mat3& b)
{
    Mat3 r{};
    for (int col = 0; col < 3; ++col) {
        for (int row = 0; row < 3; ++row) {
            double sum = 0;
            for (int k = 0; k < 3; ++k) {
                sum += a[row * 3 + k] * b[col * 3 + k];
            }
            r[col * 3 + row] = sum;
        }
    }
    return r;
}

Point unit(Point v)
{
    const double len = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    return Point{v.x / len, v.y / len, v.z / len};
}

Point cross(Point a, Point b)
{
    return Point{a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

double dotOf(Point a, Point b)
{
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

// Checks that r turns about axis (which it must leave in place) and returns the
// signed angle in degrees.
double turnAbout(const Mat3& r, Point axis, const std::string& what)
{
    const Point n = unit(axis);
    expectNear(times(r, n), n, what + ": the axis stays put");
    const Point u = unit(cross(n, Point{1, 0, 0}));
    const Point v = times(r, u);
    return std::atan2(dotOf(cross(u, v), n), dotOf(u, v)) / radiansPerDegree;
}

// drawBox draws six polygons; the box's frame is the first one's.
std::vector<Draw> boxFrames()
{
    const auto polygons = gldouble::drawsOf("GL_POLYGON");
    std::vector<Draw> boxes;
    for (size_t i = 0; i < polygons.size(); i += 6) {
        boxes.push_back(polygons[i]);
    }
    return boxes;
}

// The house's parts, in drawing order.
struct HouseDraw {
    std::vector<Draw> blast;   // the blast sphere, if any
    std::vector<Draw> boxes;   // first roof board, second roof board, walls, gable
    std::vector<Draw> doors;
    std::vector<Draw> polygons;
};

HouseDraw drawHouseAt(int hit, float t)
{
    gldouble::reset();
    game.houseHit = hit;
    game.houseBlastTime = t;
    drawHouse();
    return HouseDraw{gldouble::drawsOf("gluSphere"), boxFrames(), gldouble::drawsOf("glutSolidCube"),
                     gldouble::drawsOf("GL_POLYGON")};
}

}  // namespace

TEST_F(SceneryTest, GroundStretchesTheBarkOnceWithTFollowingXAndSFollowingZ)
{
    game.dogTextureCount = 7;  // the scenery's ids count on from the fur textures
    drawGround();

    const auto polygons = gldouble::drawsOf("GL_POLYGON");
    ASSERT_EQ(polygons.size(), 1u);
    const Draw& ground = polygons[0];
    EXPECT_EQ(ground.texture, bark + 2);
    EXPECT_TRUE(sameMaterial(ground.material, grassMaterial));
    ASSERT_EQ(ground.vertices.size(), 4u);
    for (const auto& v : ground.vertices) {
        EXPECT_EQ(v.local.y, 0.0);
        EXPECT_EQ(std::fabs(v.local.x), 60.0);
        EXPECT_EQ(std::fabs(v.local.z), 60.0);
        EXPECT_NEAR(v.s, (v.local.z + 60.0) / 120.0, 1e-6);
        EXPECT_NEAR(v.t, (v.local.x + 60.0) / 120.0, 1e-6);
    }
    // The ground alone leaves its texture bound.
    EXPECT_EQ(gldouble::gl().boundTexture, bark + 2);
    EXPECT_TRUE(gldouble::callsOf("glNormal3f").empty());
}

TEST_F(SceneryTest, SkyIsACloudSphereOverTheGroundCornersTurnedAQuarterMoreThanItsRotation)
{
    const float rotations[] = {0.0f, 30.0f, 359.99f};
    for (float rotation : rotations) {
        gldouble::reset();
        world.skyRotation = rotation;
        drawSky();

        const auto spheres = gldouble::drawsOf("gluSphere");
        ASSERT_EQ(spheres.size(), 1u);
        const Draw& sky = spheres[0];
        EXPECT_NEAR(sky.params[0], std::sqrt(7200.0), 1e-3);
        EXPECT_EQ(sky.params[1], 50.0);
        EXPECT_EQ(sky.params[2], 50.0);
        EXPECT_EQ(sky.texture, cloud);
        EXPECT_TRUE(sameMaterial(sky.material, brightMaterial));
        expectNear(sky.center(), {0, 0, 0}, "sky centre");
        const double turn = turnAbout(rotationOf(sky.modelview), {0, 1, 0}, "sky");
        EXPECT_NEAR(std::remainder(turn - (rotation + 90.0), 360.0), 0.0, 1e-3) << rotation;
        EXPECT_EQ(gldouble::gl().boundTexture, static_cast<unsigned>(blankTexture));
    }
}

TEST_F(SceneryTest, BoxWrapsItsTextureAroundTheSidesInQuartersWithTheMinusXSideMirrored)
{
    using Map = std::function<double(const Point&)>;
    struct Face {
        const char* name;
        int axis;      // 0 x, 1 y, 2 z
        double plane;  // the face's coordinate on that axis
        Map s, t;
    };
    const Map sideT = [](const Point& p) { return p.y + 0.5; };
    const Face faces[] = {
        {"front", 2, 0.5, [](const Point& p) { return (p.x + 0.5) * 0.25; }, sideT},
        {"+x side", 0, 0.5, [](const Point& p) { return 0.25 + (0.5 - p.z) * 0.25; }, sideT},
        {"back", 2, -0.5, [](const Point& p) { return 0.5 + (0.5 - p.x) * 0.25; }, sideT},
        {"-x side", 0, -0.5, [](const Point& p) { return (0.5 - p.z) * 0.75; }, sideT},
        {"top", 1, 0.5, [](const Point& p) { return p.z + 0.5; }, [](const Point& p) { return p.x + 0.5; }},
        {"bottom", 1, -0.5, [](const Point& p) { return p.z + 0.5; }, [](const Point& p) { return p.x + 0.5; }},
    };

    drawBox(static_cast<int>(brick));

    const auto polygons = gldouble::drawsOf("GL_POLYGON");
    ASSERT_EQ(polygons.size(), 6u);
    for (const Face& face : faces) {
        int found = 0;
        for (const Draw& polygon : polygons) {
            ASSERT_EQ(polygon.vertices.size(), 4u);
            bool onPlane = true;
            for (const auto& v : polygon.vertices) {
                const double c[] = {v.local.x, v.local.y, v.local.z};
                onPlane = onPlane && c[face.axis] == face.plane;
            }
            if (!onPlane) {
                continue;
            }
            ++found;
            EXPECT_EQ(polygon.texture, brick) << face.name;
            for (const auto& v : polygon.vertices) {
                EXPECT_NEAR(v.s, face.s(v.local), 1e-6) << face.name;
                EXPECT_NEAR(v.t, face.t(v.local), 1e-6) << face.name;
            }
        }
        EXPECT_EQ(found, 1) << face.name;
    }
    EXPECT_EQ(gldouble::gl().boundTexture, static_cast<unsigned>(blankTexture));
}

TEST_F(SceneryTest, TreeHasARingedCrownInTheCallersMaterialOnABarkTrunk)
{
    const Material callers = explosionMaterial(0.25f);
    setMaterial(callers);
    drawTree();

    const auto spheres = gldouble::drawsOf("gluSphere");
    ASSERT_EQ(spheres.size(), 11u);
    for (int i = 0; i < 10; ++i) {
        const double angle = 36.0 * i * radiansPerDegree;
        EXPECT_EQ(spheres[i].params[0], 1.0);
        expectNear(spheres[i].center(), {2 * std::cos(angle), 4, -2 * std::sin(angle)}, "ring " + std::to_string(i));
    }
    EXPECT_EQ(spheres[10].params[0], 2.0);
    expectNear(spheres[10].center(), {0, 5, 0}, "crown top");
    for (const Draw& s : spheres) {
        EXPECT_EQ(s.texture, leaf);
        EXPECT_TRUE(sameMaterial(s.material, callers));
    }

    const auto trunks = gldouble::drawsOf("gluCylinder");
    ASSERT_EQ(trunks.size(), 1u);
    EXPECT_EQ(trunks[0].params, (std::vector<double>{0.5, 0.5, 5.0, 30.0, 1.0}));
    EXPECT_EQ(trunks[0].texture, bark);
    EXPECT_TRUE(sameMaterial(trunks[0].material, trunkMaterial));
    expectNear(trunks[0].center(), {0, 0, 0}, "trunk foot");
    expectNear(gldouble::apply(trunks[0].modelview, {0, 0, 5}), {0, 5, 0}, "trunk top");
    EXPECT_EQ(gldouble::gl().boundTexture, static_cast<unsigned>(blankTexture));
}

TEST_F(SceneryTest, UnhitHouseStandsWholeWithoutBlast)
{
    const HouseDraw house = drawHouseAt(0, 12.0f);  // a stale blast time changes nothing

    EXPECT_TRUE(house.blast.empty());
    for (const auto& call : gldouble::callsOf("glBindTexture")) {
        EXPECT_NE(call.args[1], explosion);
    }
    ASSERT_EQ(house.boxes.size(), 4u);
    ASSERT_EQ(house.polygons.size(), 24u);
    ASSERT_EQ(house.doors.size(), 1u);

    expectNear(house.boxes[0].center(), {5 + 5.0 / 3, 2.5 + 10.0 / 3, -15}, "first roof board");
    expectNear(house.boxes[1].center(), {5 - 5.0 / 3, 2.5 + 10.0 / 3, -15}, "second roof board");
    expectNear(house.boxes[2].center(), {5, 2.5, -15}, "walls");
    expectNear(house.doors[0].center(), {5, 1.5, -13.45}, "door");
    EXPECT_TRUE(sameMaterial(house.doors[0].material, blackMaterial));
    EXPECT_EQ(house.doors[0].texture, static_cast<unsigned>(blankTexture));

    // The walls (polygons 12 to 17) stand on the ground, 5 high; the gable's peak is at 7.5.
    double low = 1e9, high = -1e9, peak = -1e9;
    for (size_t i = 0; i < house.polygons.size(); ++i) {
        const Draw& p = house.polygons[i];
        EXPECT_EQ(p.texture, brick);
        EXPECT_TRUE(sameMaterial(p.material, houseMaterial));
        for (const auto& v : p.vertices) {
            if (i >= 12 && i < 18) {
                low = std::min(low, v.world.y);
                high = std::max(high, v.world.y);
            } else if (i >= 18) {
                peak = std::max(peak, v.world.y);
            }
        }
    }
    EXPECT_NEAR(low, 0.0, tolerance);
    EXPECT_NEAR(high, 5.0, tolerance);
    EXPECT_NEAR(peak, 7.5, tolerance);
    EXPECT_EQ(gldouble::gl().boundTexture, static_cast<unsigned>(blankTexture));
}

TEST_F(SceneryTest, HouseBlastSwellsFadesAndThrowsThePartsApart)
{
    const HouseDraw whole = drawHouseAt(0, 0.0f);
    const float blastTimes[] = {0.0f, 0.5f, 7.0f, 15.5f, 30.0f};
    for (float t : blastTimes) {
        const std::string at = "at t = " + std::to_string(t);
        const HouseDraw house = drawHouseAt(1, t);

        ASSERT_EQ(house.blast.size(), 1u) << at;
        const Draw& blast = house.blast[0];
        EXPECT_NEAR(blast.params[0], t / 2.2 + 2.0, 1e-4) << at;
        EXPECT_NEAR(blast.material.diffuse[3], 1.0 - t / 30.0, 1e-6) << at;
        EXPECT_TRUE(sameMaterial(blast.material, explosionMaterial(1.0f - t / 30.0f))) << at;
        EXPECT_EQ(blast.texture, explosion) << at;
        expectNear(blast.center(), {5, 2.5, -15}, "blast centre " + at);
        // The house parts after it are brick and house material again.
        ASSERT_EQ(house.boxes.size(), 4u) << at;
        EXPECT_EQ(house.boxes[0].texture, brick) << at;
        EXPECT_TRUE(sameMaterial(house.boxes[0].material, houseMaterial)) << at;
        EXPECT_EQ(house.doors[0].texture, static_cast<unsigned>(blankTexture)) << at;

        // The roof boards fly apart sideways by t and up by t/5, tumbling 10 degrees per unit of t.
        struct Board {
            size_t box;
            double side;
            Point axis;
        };
        const Board boards[] = {{0, 1, {0.3, 0.1, 1}}, {1, -1, {0.3, 0.2, 1}}};
        for (const Board& b : boards) {
            const Point rest = whole.boxes[b.box].center();
            expectNear(house.boxes[b.box].center(), {rest.x + b.side * t, rest.y + t / 5, rest.z},
                       "board " + std::to_string(b.box) + " " + at);
            const Mat3 tumble = turnBetween(rotationOf(whole.boxes[b.box].modelview),
                                            rotationOf(house.boxes[b.box].modelview));
            const double angle = turnAbout(tumble, b.axis, "board " + std::to_string(b.box) + " " + at);
            EXPECT_NEAR(std::remainder(angle + b.side * 10.0 * t, 360.0), 0.0, 1e-3) << at;
        }

        // The body rises by t, turning 10 degrees per unit of t about (0, 0.5, 1).
        expectNear(house.boxes[2].center(), {5, 2.5 + t, -15}, "walls " + at);
        const Mat3 bodyTurn = rotationOf(house.boxes[2].modelview);
        EXPECT_NEAR(std::remainder(turnAbout(bodyTurn, {0, 0.5, 1}, "body " + at) - 10.0 * t, 360.0), 0.0, 1e-3)
            << at;
        const Point doorOffset = times(bodyTurn, Point{0, -1, 1.55});
        expectNear(house.doors[0].center(), {5 + doorOffset.x, 2.5 + t + doorOffset.y, -15 + doorOffset.z},
                   "door " + at);
    }
}
