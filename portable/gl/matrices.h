// Matrices as GL keeps them (4 x 4, column-major) and the transforms GL and
// GLU build: plain C++, no GL. The browser's GL keeps its stacks in floats;
// the unit tests' recording GL stand-in multiplies its doubles with the same
// multiplyMatrices.
#pragma once

namespace web {

// out = a times b, for column-major 4 x 4 arrays of float or double, summed
// in that type; out must not be a or b.
template <typename Number>
void multiplyMatrices(const Number* a, const Number* b, Number* out)
{
    for (int col = 0; col < 4; ++col) {
        for (int row = 0; row < 4; ++row) {
            Number sum = 0;
            for (int k = 0; k < 4; ++k) {
                sum += a[k * 4 + row] * b[col * 4 + k];
            }
            out[col * 4 + row] = sum;
        }
    }
}

struct Matrix {
    float m[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
};

// a times b: what glMultMatrix leaves when a is current.
Matrix multiply(const Matrix& a, const Matrix& b);
// m times a translation by (x, y, z), in place, as glTranslatef.
void translate(Matrix& m, float x, float y, float z);
// m times a scaling by (x, y, z), in place, as glScalef.
void scale(Matrix& m, float x, float y, float z);
// glRotatef's rotation by angle degrees about (x, y, z); false (and out left
// alone) for a zero axis, which GL ignores.
bool rotation(float angle, float x, float y, float z, Matrix& out);
// gluPerspective's projection; false (out left alone) for the arguments GLU
// refuses: a zero depth range, field of view or aspect.
bool perspective(double fovy, double aspect, double zNear, double zFar, Matrix& out);
// gluLookAt's rotation, without its translation to the eye.
Matrix lookAtRotation(double eyeX, double eyeY, double eyeZ, double centerX, double centerY, double centerZ,
                      double upX, double upY, double upZ);

// The inverse transpose of a's upper 3 x 3, column-major, which carries
// normals to eye space; zero when a is singular.
void normalMatrix(const Matrix& a, float out[9]);
// The 3 x 3 matrix nm (column-major) applied to the vector v.
void applyNormalMatrix(const float nm[9], const float v[3], float out[3]);
// a's upper 3 x 3 applied to the direction v (no translation).
void applyToDirection(const Matrix& a, const float v[3], float out[3]);
// v scaled to unit length; a zero vector is left as it is.
void normalise(float v[3]);

}  // namespace web
