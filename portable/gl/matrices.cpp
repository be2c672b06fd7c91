// The transforms GL and GLU build, in the same float and double steps as the
// desktop's libraries.
#include "matrices.h"

#include <cmath>
#include <cstring>

namespace web {

namespace {

constexpr double pi = 3.14159265358979323846;

void cross(const float a[3], const float b[3], float out[3])
{
    out[0] = a[1] * b[2] - a[2] * b[1];
    out[1] = a[2] * b[0] - a[0] * b[2];
    out[2] = a[0] * b[1] - a[1] * b[0];
}

}  // namespace

Matrix multiply(const Matrix& a, const Matrix& b)
{
    Matrix r;
    multiplyMatrices(a.m, b.m, r.m);
    return r;
}

void translate(Matrix& matrix, float x, float y, float z)
{
    float* m = matrix.m;
    for (int i = 0; i < 4; ++i) {
        m[12 + i] += m[i] * x + m[4 + i] * y + m[8 + i] * z;
    }
}

void scale(Matrix& matrix, float x, float y, float z)
{
    float* m = matrix.m;
    for (int i = 0; i < 4; ++i) {
        m[i] *= x;
        m[4 + i] *= y;
        m[8 + i] *= z;
    }
}

bool rotation(float angle, float x, float y, float z, Matrix& out)
{
    const float len = std::sqrt(x * x + y * y + z * z);
    if (len == 0.0f) {
        return false;
    }
    x /= len;
    y /= len;
    z /= len;
    const float radians = angle * static_cast<float>(pi / 180.0);
    const float s = std::sin(radians), c = std::cos(radians), t = 1.0f - c;
    Matrix r;
    r.m[0] = x * x * t + c;     r.m[4] = x * y * t - z * s; r.m[8] = x * z * t + y * s;
    r.m[1] = y * x * t + z * s; r.m[5] = y * y * t + c;     r.m[9] = y * z * t - x * s;
    r.m[2] = z * x * t - y * s; r.m[6] = z * y * t + x * s; r.m[10] = z * z * t + c;
    out = r;
    return true;
}

bool perspective(double fovy, double aspect, double zNear, double zFar, Matrix& out)
{
    const double radians = fovy / 2 * pi / 180;
    const double deltaZ = zFar - zNear;
    const double sine = std::sin(radians);
    if (deltaZ == 0 || sine == 0 || aspect == 0) {
        return false;
    }
    const double cotangent = std::cos(radians) / sine;
    Matrix m;
    m.m[0] = static_cast<float>(cotangent / aspect);
    m.m[5] = static_cast<float>(cotangent);
    m.m[10] = static_cast<float>(-(zFar + zNear) / deltaZ);
    m.m[11] = -1.0f;
    m.m[14] = static_cast<float>(-2 * zNear * zFar / deltaZ);
    m.m[15] = 0.0f;
    out = m;
    return true;
}

Matrix lookAtRotation(double eyeX, double eyeY, double eyeZ, double centerX, double centerY, double centerZ,
                      double upX, double upY, double upZ)
{
    float forward[3] = {static_cast<float>(centerX - eyeX), static_cast<float>(centerY - eyeY),
                        static_cast<float>(centerZ - eyeZ)};
    float up[3] = {static_cast<float>(upX), static_cast<float>(upY), static_cast<float>(upZ)};
    normalise(forward);
    float side[3];
    cross(forward, up, side);
    normalise(side);
    cross(side, forward, up);
    Matrix m;
    m.m[0] = side[0];     m.m[4] = side[1];     m.m[8] = side[2];
    m.m[1] = up[0];       m.m[5] = up[1];       m.m[9] = up[2];
    m.m[2] = -forward[0]; m.m[6] = -forward[1]; m.m[10] = -forward[2];
    return m;
}

void normalMatrix(const Matrix& a, float out[9])
{
    const float* m = a.m;
    const float c00 = m[5] * m[10] - m[9] * m[6], c01 = m[9] * m[2] - m[1] * m[10], c02 = m[1] * m[6] - m[5] * m[2];
    const float c10 = m[8] * m[6] - m[4] * m[10], c11 = m[0] * m[10] - m[8] * m[2], c12 = m[4] * m[2] - m[0] * m[6];
    const float c20 = m[4] * m[9] - m[8] * m[5], c21 = m[8] * m[1] - m[0] * m[9], c22 = m[0] * m[5] - m[4] * m[1];
    const float det = m[0] * c00 + m[4] * c01 + m[8] * c02;
    const float inv = det != 0.0f ? 1.0f / det : 0.0f;
    // The cofactors over the determinant, stored column by column.
    const float n[9] = {c00 * inv, c10 * inv, c20 * inv, c01 * inv, c11 * inv, c21 * inv,
                        c02 * inv, c12 * inv, c22 * inv};
    std::memcpy(out, n, sizeof n);
}

void applyNormalMatrix(const float nm[9], const float v[3], float out[3])
{
    const float r[3] = {nm[0] * v[0] + nm[3] * v[1] + nm[6] * v[2], nm[1] * v[0] + nm[4] * v[1] + nm[7] * v[2],
                        nm[2] * v[0] + nm[5] * v[1] + nm[8] * v[2]};
    std::memcpy(out, r, sizeof r);
}

void applyToDirection(const Matrix& a, const float v[3], float out[3])
{
    const float* m = a.m;
    const float r[3] = {m[0] * v[0] + m[4] * v[1] + m[8] * v[2], m[1] * v[0] + m[5] * v[1] + m[9] * v[2],
                        m[2] * v[0] + m[6] * v[1] + m[10] * v[2]};
    std::memcpy(out, r, sizeof r);
}

void normalise(float v[3])
{
    const float length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    if (length > 0.0f) {
        v[0] /= length;
        v[1] /= length;
        v[2] /= length;
    }
}

}  // namespace web
