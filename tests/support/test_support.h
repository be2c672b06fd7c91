// What many unit tests share: a fresh game on a fresh GL double, and checks on
// what the double recorded.
#pragma once

#include "app/app.h"
#include "gl_double.h"

#include <gtest/gtest.h>

#include <string>

// A test that starts from the load state of every record and a fresh GL context.
class FreshGame : public ::testing::Test {
protected:
    void SetUp() override
    {
        gldouble::reset();
        resetAllState();
    }
};

// The three coordinates of actual within tolerance of expected.
inline void expectNear(gldouble::Point actual, gldouble::Point expected, const std::string& what,
                       double tolerance = 1e-3)
{
    EXPECT_NEAR(actual.x, expected.x, tolerance) << what;
    EXPECT_NEAR(actual.y, expected.y, tolerance) << what;
    EXPECT_NEAR(actual.z, expected.z, tolerance) << what;
}

// Whether the material current at a draw is exactly m.
inline bool sameMaterial(const gldouble::MaterialState& drawn, const Material& m)
{
    for (int i = 0; i < 4; ++i) {
        if (drawn.ambient[i] != m.ambient[i] || drawn.diffuse[i] != m.diffuse[i] ||
            drawn.specular[i] != m.specular[i]) {
            return false;
        }
    }
    return drawn.shininess == m.shininess;
}

// Every push had its pop and every quadric was deleted.
inline void expectBalanced()
{
    const auto& gl = gldouble::gl();
    EXPECT_EQ(gl.stackErrors, 0);
    EXPECT_EQ(gl.modelview.size(), 1u);
    EXPECT_EQ(gl.quadricsCreated, gl.quadricsDeleted);
}
