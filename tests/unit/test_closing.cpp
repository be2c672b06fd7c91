// The closing scene, frame by frame: the car slides in, the dog is flung, the
// explosion swells and the process ends.
#include "app/app.h"
#include "game/game.h"
#include "gl_double.h"
#include "test_support.h"

#include <GL/freeglut.h>
#include <gtest/gtest.h>

namespace {

class Closing : public FreshGame {
protected:
    void SetUp() override
    {
        FreshGame::SetUp();
    }
};

// The state 'q' leaves behind with the dog standing at (x, 0, z).
void quitFrom(float x, float z)
{
    game.dogX = x;
    game.dogZ = z;
    keyboard('q', 0, 0);
}

gldouble::Point drawnCar()
{
    const std::vector<gldouble::Draw> cars = gldouble::drawsOf("GL_POLYGON");
    EXPECT_EQ(cars.size(), 1u);
    gldouble::Point sum;
    for (const gldouble::Vertex& v : cars.at(0).vertices) {
        sum.x += v.world.x / 4;
        sum.y += v.world.y / 4;
        sum.z += v.world.z / 4;
    }
    return sum;
}

void runFrames(int frames)
{
    for (int frame = 0; frame < frames; ++frame) {
        drawClosingSequence();
    }
}

}  // namespace

TEST_F(Closing, TheCarSlidesInThenTheDogIsFlungByTheSwellingExplosion)
{
    quitFrom(0.0f, 0.0f);
    for (int frame = 1; frame <= 30; ++frame) {
        SCOPED_TRACE(frame);
        gldouble::clearLog();
        drawClosingSequence();

        const gldouble::Point car = drawnCar();
        EXPECT_FLOAT_EQ(car.x, frame <= 11 ? 8.0f - 0.5f * (frame - 1) : 2.5f);
        EXPECT_FLOAT_EQ(car.y, 2.0f);
        EXPECT_FLOAT_EQ(car.z, 2.5f);
        EXPECT_EQ(gldouble::drawsOf("GL_POLYGON")[0].texture, 11u);
        EXPECT_EQ(gldouble::gl().modelview.size(), 1u);
        EXPECT_EQ(gldouble::gl().stackErrors, 0);

        const std::vector<gldouble::Draw> spheres = gldouble::drawsOf("gluSphere");
        const int k = frame - 11;
        if (k <= 0) {
            EXPECT_TRUE(spheres.empty());
            EXPECT_EQ(game.dogX, 0.0f);
            continue;
        }
        ASSERT_EQ(spheres.size(), 1u);
        const gldouble::Draw& blast = spheres[0];
        EXPECT_FLOAT_EQ(blast.params[0], 0.3f * k);
        EXPECT_EQ(blast.params[1], 30.0);
        EXPECT_EQ(blast.texture, 10u);
        EXPECT_EQ(blast.quadricTexture, 1);
        EXPECT_EQ(blast.quadricDrawStyle, GLU_FILL);
        EXPECT_FLOAT_EQ(blast.material.diffuse[3], 1.0f - k / 10.0f);
        EXPECT_FLOAT_EQ(blast.center().x, -0.5f);
        EXPECT_FLOAT_EQ(blast.center().y, 2.5f);
        EXPECT_FLOAT_EQ(blast.center().z, 2.0f);
        EXPECT_EQ(gldouble::gl().boundTexture, 20u);
        EXPECT_EQ(game.dogX, -1.0f * k);
        EXPECT_EQ(game.dogY, 0.5f * k);
        EXPECT_EQ(game.dogHeading, 20.0f * k);
        EXPECT_EQ(gldouble::gl().quadricsCreated, gldouble::gl().quadricsDeleted);
    }
    EXPECT_EQ(game.carOffset, 0.5f);
    EXPECT_EXIT(drawClosingSequence(), ::testing::ExitedWithCode(0), "") << "frame 31 ends the process";
}

// Outside checks find the car in the call stream by its own calls: the frame,
// a scale of 5, the car's picture and one square at z 0.5, corner by corner.
TEST_F(Closing, TheCarIsOneScaledSquareInItsOwnCalls)
{
    quitFrom(0.0f, 0.0f);
    gldouble::clearLog();
    drawClosingSequence();

    std::vector<gldouble::Call> calls;
    for (const gldouble::Call& call : gldouble::gl().calls) {
        if (call.name != "glMaterialfv") {
            calls.push_back(call);
        }
    }
    using C = gldouble::Call;
    const std::vector<C> expected = {
        C{"glBindTexture", {GL_TEXTURE_2D, 20}},
        C{"glPushMatrix", {}},
        C{"glTranslatef", {8, 2, 0}},
        C{"glPushMatrix", {}},
        C{"glScalef", {5, 5, 5}},
        C{"glBindTexture", {GL_TEXTURE_2D, 11}},
        C{"glBegin", {GL_POLYGON}},
        C{"glTexCoord2f", {0, 1}},
        C{"glVertex3f", {-0.5, 0.5, 0.5}},
        C{"glTexCoord2f", {1, 1}},
        C{"glVertex3f", {0.5, 0.5, 0.5}},
        C{"glTexCoord2f", {1, 0}},
        C{"glVertex3f", {0.5, -0.5, 0.5}},
        C{"glTexCoord2f", {0, 0}},
        C{"glVertex3f", {-0.5, -0.5, 0.5}},
        C{"glEnd", {}},
        C{"glPopMatrix", {}},
        C{"glPopMatrix", {}},
    };
    ASSERT_EQ(calls.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(calls[i].name, expected[i].name);
        EXPECT_EQ(calls[i].args, expected[i].args);
    }
    // And the engine sounds from the middle of that square once the car stops.
    const Vector3 engine = closingPlace(carCentre);
    EXPECT_FLOAT_EQ(engine.x, 2.5f);
    EXPECT_FLOAT_EQ(engine.y, 2.0f);
    EXPECT_FLOAT_EQ(engine.z, 2.5f);
}

TEST_F(Closing, TheSceneIsPlacedWhereTheDogStoodInFreeWalk)
{
    game.freeWalk = 1;
    quitFrom(12.5f, -7.0f);
    drawClosingSequence();
    const gldouble::Point car = drawnCar();
    EXPECT_FLOAT_EQ(car.x, 20.5f);
    EXPECT_FLOAT_EQ(car.y, 2.0f);
    EXPECT_FLOAT_EQ(car.z, -4.5f);

    runFrames(11);
    EXPECT_EQ(game.dogX, 11.5f);
    EXPECT_EQ(game.dogZ, -7.0f);
    EXPECT_FLOAT_EQ(gldouble::drawsOf("gluSphere").back().center().x, 12.0f);
    runFrames(18);
    EXPECT_EXIT(drawClosingSequence(), ::testing::ExitedWithCode(0), "");
}
