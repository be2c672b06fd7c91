// The fifteen trees: when the dog knocks one, how it tips, bursts and fades,
// checked frame by frame through the recording GL double.
#include "app/app.h"
#include "game/game.h"
#include "render/render.h"
#include "world/world.h"

#include "gl_double.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace {

using gldouble::Draw;
using gldouble::Point;

constexpr unsigned explosion = 10;
constexpr float treeX = 10.0f, treeZ = -20.0f;

class TreesTest : public FreshGame {
protected:
    void SetUp() override
    {
        FreshGame::SetUp();
        // Every tree far from the dog at the origin; the first one is the one we watch.
        for (int i = 0; i < scatteredObjectCount; ++i) {
            world.scatteredObjects[i].x = -50.0f + 6.0f * static_cast<float>(i);
            world.scatteredObjects[i].z = 50.0f;
            world.scatteredObjects[i].yaw = static_cast<float>(24 * i);
        }
        world.scatteredObjects[0].x = treeX;
        world.scatteredObjects[0].z = treeZ;
    }

    // One frame's tree pass, with a fresh log.
    void frame()
    {
        gldouble::clearLog();
        drawTrees();
        expectBalanced();
    }

    ScatteredObject& watched() { return world.scatteredObjects[0]; }
};

std::vector<Draw> bursts()
{
    std::vector<Draw> found;
    for (const Draw& d : gldouble::drawsOf("gluSphere")) {
        if (d.texture == explosion) {
            found.push_back(d);
        }
    }
    return found;
}

// The watched tree's crown spheres (the first tree's eleven leaf spheres).
std::vector<Draw> firstCrown()
{
    std::vector<Draw> found;
    for (const Draw& d : gldouble::drawsOf("gluSphere")) {
        if (d.texture != explosion && found.size() < 11) {
            found.push_back(d);
        }
    }
    return found;
}

}  // namespace

TEST_F(TreesTest, TheDogKnocksATreeWithinTwoUnitsOnTheGroundPlaneWhateverItsHeight)
{
    struct Case {
        const char* name;
        float dx, dy, dz;
        int knocked;
    };
    const Case cases[] = {
        {"on the foot", 0, 0, 0, 1},
        {"corner +x +z", 2, 0, 2, 1},
        {"corner -x -z", -2, 0, -2, 1},
        {"corner +x -z", 2, 0, -2, 1},
        {"high above the tree", 0, 40, 0, 1},
        {"just past x", 2.01f, 0, 0, 0},
        {"just past -z", 0, 0, -2.01f, 0},
        {"far away", 30, 0, 30, 0},
    };
    for (const Case& c : cases) {
        SetUp();
        game.dogX = treeX + c.dx;
        game.dogY = c.dy;
        game.dogZ = treeZ + c.dz;
        frame();
        EXPECT_EQ(watched().knocked, c.knocked) << c.name;
        EXPECT_EQ(watched().tipAngle, 0.0f) << c.name << ": no tipping in the frame of the knock";
        EXPECT_EQ(bursts().size(), static_cast<size_t>(c.knocked)) << c.name;
        for (int i = 1; i < scatteredObjectCount; ++i) {
            EXPECT_EQ(world.scatteredObjects[i].knocked, 0) << c.name << ": tree " << i;
        }
    }
}

TEST_F(TreesTest, AKnockedTreeTipsBurstsAndFadesFrameByFrameThenStays)
{
    game.dogX = treeX;
    game.dogZ = treeZ;
    frame();  // the knock
    game.dogX = 0.0f;  // the dog runs on; the tree keeps falling
    game.dogZ = 0.0f;

    for (int k = 0; k <= 40; ++k) {
        if (k > 0) {
            frame();
        }
        const float tip = std::min(5.0f * static_cast<float>(k), 185.0f);
        const std::string at = "frame " + std::to_string(k) + " after the knock";
        EXPECT_EQ(watched().knocked, 1) << at;
        EXPECT_EQ(watched().tipAngle, tip) << at;

        const float a = 1.0f - tip / 180.0f;
        const auto burst = bursts();
        if (tip <= 180.0f) {
            ASSERT_EQ(burst.size(), 1u) << at;
            EXPECT_NEAR(burst[0].params[0], tip / 40.0 + 1.0, 1e-5) << at;
            expectNear(burst[0].center(), {treeX, 2, treeZ}, "burst " + at);
            EXPECT_NEAR(burst[0].material.diffuse[3], a, 1e-6) << at;
            EXPECT_NEAR(burst[0].material.ambient[0], 0.8, 1e-6) << at;
        } else {
            EXPECT_TRUE(burst.empty()) << at;
        }

        // The leaves fade with the fall; the trunk keeps its own opaque material.
        const auto crown = firstCrown();
        ASSERT_EQ(crown.size(), 11u) << at;
        for (const Draw& leaf : crown) {
            EXPECT_NEAR(leaf.material.diffuse[3], a, 1e-6) << at;
            EXPECT_NEAR(leaf.material.diffuse[1], 1.0, 1e-6) << at;
            EXPECT_EQ(leaf.material.shininess, 8.0f) << at;
        }
        const auto trunks = gldouble::drawsOf("gluCylinder");
        ASSERT_EQ(trunks.size(), static_cast<size_t>(scatteredObjectCount)) << at;
        EXPECT_EQ(trunks[0].material.diffuse[3], 1.0f) << at;
    }
}

TEST_F(TreesTest, EveryTreeFallsTowardsPlusZAboutItsFootWhateverItsYaw)
{
    const float yaws[] = {0.0f, 90.0f, 237.0f, 359.0f};
    for (float yaw : yaws) {
        SetUp();
        watched().yaw = yaw;
        watched().knocked = 1;
        watched().tipAngle = 85.0f;  // this frame tips it to 90
        frame();

        const auto trunks = gldouble::drawsOf("gluCylinder");
        ASSERT_EQ(trunks.size(), static_cast<size_t>(scatteredObjectCount));
        const std::string at = "yaw " + std::to_string(yaw);
        expectNear(trunks[0].center(), {treeX, 0, treeZ}, "trunk foot, " + at);
        expectNear(gldouble::apply(trunks[0].modelview, {0, 0, 5}), {treeX, 0, treeZ + 5}, "trunk top, " + at);
    }
}

TEST_F(TreesTest, StandingTreesAreDrawnUprightAtTheirPlacesInFullLeaf)
{
    frame();

    const auto trunks = gldouble::drawsOf("gluCylinder");
    ASSERT_EQ(trunks.size(), static_cast<size_t>(scatteredObjectCount));
    EXPECT_TRUE(bursts().empty());
    for (int i = 0; i < scatteredObjectCount; ++i) {
        const ScatteredObject& tree = world.scatteredObjects[i];
        EXPECT_EQ(tree.knocked, 0);
        EXPECT_EQ(tree.tipAngle, 0.0f);
        expectNear(gldouble::apply(trunks[i].modelview, {0, 0, 5}), {tree.x, 5, tree.z},
                   "trunk top of tree " + std::to_string(i));
    }
    for (const Draw& leaf : firstCrown()) {
        EXPECT_EQ(leaf.material.diffuse[3], 1.0f);
    }
    EXPECT_EQ(gldouble::gl().boundTexture, static_cast<unsigned>(blankTexture));
}
