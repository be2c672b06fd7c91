// Vector operations, the three-way maximum, the single-precision forms of four
// library routines and the pointer mappings into the aiming plane.
#include "world/world.h"

#include "app/app.h"

#include <cmath>

float dot(Vector3 a, Vector3 b)
{
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

float length(Vector3 v)
{
    const float sumOfSquares = v.x * v.x + v.y * v.y + v.z * v.z;
    return sqrtFloat(sumOfSquares);
}

Vector3 normalize(Vector3 v)
{
    const float n = sqrtFloat(dot(v, v));
    return Vector3{v.x / n, v.y / n, v.z / n};
}

float maxOf3(float a, float b, float c)
{
    if (a > b && a > c) {
        return a;
    }
    if (!(a > b) && b > c) {
        return b;
    }
    return c;
}

float cosFloat(float v) { return static_cast<float>(std::cos(static_cast<double>(v))); }
float acosFloat(float v) { return static_cast<float>(std::acos(static_cast<double>(v))); }
float fabsFloat(float v) { return static_cast<float>(std::fabs(static_cast<double>(v))); }
float sqrtFloat(float v) { return static_cast<float>(std::sqrt(static_cast<double>(v))); }

// The aiming plane is the orthographic box left = -W/H, right = W/H, bottom = -1,
// top = 1. Inverting that projection for the pixel centre px reduces to
// (2px - (W - 1)) / H across and (2py - (H - 1)) / H up; both are evaluated in
// double and rounded once. A window of height 0 (a minimised window may report
// one) has no rows to map: the pointer counts as the centre there instead of
// turning into an infinite or undefined offset.
float mapX(int px)
{
    const int w = app.windowWidth;
    const int h = app.windowHeight;
    if (h <= 0) {
        return 0.0f;
    }
    return static_cast<float>((2.0 * px - (w - 1.0)) / h);
}

float mapY(int py)
{
    const int h = app.windowHeight;
    if (h <= 0) {
        return 0.0f;
    }
    return static_cast<float>((2.0 * py - (h - 1.0)) / h);
}
