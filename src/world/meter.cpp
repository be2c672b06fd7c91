// The power meter beside the dog: its level sweeps between empty and full, one
// step per drawn frame, and the click reads it as the strength of the throw.
#include "world/world.h"

#include "app/app.h"

#include <GL/gl.h>

namespace {

constexpr float meterStep = 0.005f;

// The meter's own plane: left edge, bottom edge, width and height of the bar.
constexpr float meterX0 = 2.5f;
constexpr float meterY0 = -2.0f;
constexpr float meterW = 1.0f;
constexpr float meterH = 5.0f;
constexpr float frameMargin = 0.1f;

// The bar's corners, each with the material set just before it.
struct BarCorner {
    const Material* material;
    float x;
    float y;
};

constexpr BarCorner barCorners[] = {
    {&meterLowMaterial, meterX0, meterY0},
    {&meterLowMaterial, meterX0 + meterW, meterY0},
    {&meterHighMaterial, meterX0 + meterW, meterY0 + meterH},
    {&meterHighMaterial, meterX0, meterY0 + meterH},
};

// The material of the scale line at height i percent: whiter low, bluer high.
Material scaleLineMaterial(float i)
{
    return Material{{1.0f - 0.8f * i / 100.0f, 1.0f - 0.5f * i / 100.0f, 1.0f - 0.1f * i / 100.0f, 0.75f},
                    {1.0f, 1.0f, 1.0f, 0.75f},
                    {1.0f, 1.0f, 1.0f, 0.75f},
                    100.0f};
}

}  // namespace

void stepMeter()
{
    if (world.meterLevel <= 0.0f) {
        world.meterRising = 1;
    }
    if (world.meterLevel >= 1.0f) {
        world.meterRising = 0;
    }
    if (world.meterRising == 1) {
        world.meterLevel += meterStep;
    } else {
        world.meterLevel -= meterStep;
    }
}

// Drawn in this order because, in one plane under the depth test, what is drawn
// first hides what comes later: the scale stays on top, the cover hides the bar
// above the level, and the frame shows only as a border.
void drawMeter()
{
    stepMeter();

    glBegin(GL_LINES);
    for (float i = 10.0f; i < 100.0f; i += 10.0f) {
        const Material bar = scaleLineMaterial(i);
        const float inset = (meterW / 5.0f) * (1.0f - i / 100.0f);
        const float y = meterY0 + meterH * i / 100.0f;
        setMaterial(bar);
        glVertex2f(meterX0 + meterW / 5.0f + inset, y);
        setMaterial(brightMaterial);
        glVertex2f(meterX0 + meterW - meterW / 5.0f - inset, y);
    }
    glEnd();

    setMaterial(meterCoverMaterial);
    glRectf(meterX0, meterY0 + meterH * world.meterLevel, meterX0 + meterW, meterY0 + meterH);

    glBegin(GL_POLYGON);
    for (const BarCorner& corner : barCorners) {
        setMaterial(*corner.material);
        glVertex2f(corner.x, corner.y);
    }
    glEnd();

    setMaterial(meterFrameMaterial);
    glRectf(meterX0 - frameMargin, meterY0 - frameMargin,
            meterX0 + meterW + frameMargin, meterY0 + meterH + frameMargin);
}
