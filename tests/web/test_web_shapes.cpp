// The browser's quadrics and solids against the desktop's own GLU and freeglut.
// This program defines the GL entry points that GLU and freeglut draw through,
// so their calls land here and are recorded as primitives; web::quadricSphere
// and its kin must produce the same primitives, vertex for vertex, for every
// size the game draws. Needs an X display (freeglut insists on a window).
#include "shapes.h"
#include "game/game.h"

#include <GL/freeglut.h>
#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>

namespace {

// --- The recorder: what GLU and freeglut hand to GL --------------------------------------
struct Recorder {
    web::Shape primitives;
    bool inside = false;
    float normal[3] = {0.0f, 0.0f, 1.0f};
    float texCoord[2] = {0.0f, 0.0f};
    bool texCoordGiven = false;  // since the last vertex
    const float* vertexArray = nullptr;
    const float* normalArray = nullptr;
};
Recorder recorder;

void addVertex(float x, float y, float z)
{
    web::ShapeVertex v;
    v.position[0] = x;
    v.position[1] = y;
    v.position[2] = z;
    for (int i = 0; i < 3; ++i) v.normal[i] = recorder.normal[i];
    v.texCoord[0] = recorder.texCoord[0];
    v.texCoord[1] = recorder.texCoord[1];
    v.hasTexCoord = recorder.texCoordGiven;
    recorder.texCoordGiven = false;
    recorder.primitives.back().vertices.push_back(v);
}

}  // namespace

extern "C" {
void glBegin(GLenum mode)
{
    recorder.inside = true;
    recorder.primitives.push_back({static_cast<web::PrimitiveMode>(mode), {}});
}
void glEnd() { recorder.inside = false; }
void glNormal3f(GLfloat x, GLfloat y, GLfloat z)
{
    recorder.normal[0] = x;
    recorder.normal[1] = y;
    recorder.normal[2] = z;
}
void glTexCoord2f(GLfloat s, GLfloat t)
{
    recorder.texCoord[0] = s;
    recorder.texCoord[1] = t;
    recorder.texCoordGiven = true;
}
void glVertex3f(GLfloat x, GLfloat y, GLfloat z) { addVertex(x, y, z); }
void glEnableClientState(GLenum) {}
void glDisableClientState(GLenum) {}
void glVertexPointer(GLint size, GLenum, GLsizei stride, const void* pointer)
{
    EXPECT_EQ(size, 3);
    EXPECT_EQ(stride, 0);
    recorder.vertexArray = static_cast<const float*>(pointer);
}
void glNormalPointer(GLenum, GLsizei stride, const void* pointer)
{
    EXPECT_EQ(stride, 0);
    recorder.normalArray = static_cast<const float*>(pointer);
}
void glTexCoordPointer(GLint, GLenum, GLsizei, const void*) { ADD_FAILURE() << "unexpected texture array"; }
void glDrawElements(GLenum mode, GLsizei count, GLenum type, const void* indices)
{
    ASSERT_EQ(type, static_cast<GLenum>(GL_UNSIGNED_SHORT));
    recorder.primitives.push_back({static_cast<web::PrimitiveMode>(mode), {}});
    const auto* index = static_cast<const GLushort*>(indices);
    for (GLsizei k = 0; k < count; ++k) {
        const float* p = recorder.vertexArray + 3 * index[k];
        const float* n = recorder.normalArray + 3 * index[k];
        web::ShapeVertex v;
        for (int i = 0; i < 3; ++i) {
            v.position[i] = p[i];
            v.normal[i] = n[i];
        }
        recorder.primitives.back().vertices.push_back(v);
    }
}
void glDrawArrays(GLenum, GLint, GLsizei) { ADD_FAILURE() << "unexpected glDrawArrays"; }
}

namespace {

web::Shape record(const std::function<void()>& draw)
{
    recorder = Recorder{};
    draw();
    return recorder.primitives;
}

// The largest difference between two vertex attributes, or a failure if the
// structure (modes, counts, which vertices carry texture coordinates) differs.
void expectSameShape(const web::Shape& expected, const web::Shape& actual, const std::string& what)
{
    ASSERT_FALSE(expected.empty()) << what;
    ASSERT_EQ(actual.size(), expected.size()) << what << ": primitive count";
    double worst = 0.0;
    for (std::size_t p = 0; p < expected.size(); ++p) {
        ASSERT_EQ(actual[p].mode, expected[p].mode) << what << ", primitive " << p;
        ASSERT_EQ(actual[p].vertices.size(), expected[p].vertices.size()) << what << ", primitive " << p;
        for (std::size_t k = 0; k < expected[p].vertices.size(); ++k) {
            const web::ShapeVertex& e = expected[p].vertices[k];
            const web::ShapeVertex& a = actual[p].vertices[k];
            ASSERT_EQ(a.hasTexCoord, e.hasTexCoord) << what << ", primitive " << p << ", vertex " << k;
            for (int i = 0; i < 3; ++i) {
                worst = std::max(worst, std::fabs(double(a.position[i]) - e.position[i]));
                worst = std::max(worst, std::fabs(double(a.normal[i]) - e.normal[i]));
            }
            if (e.hasTexCoord) {
                for (int i = 0; i < 2; ++i) {
                    worst = std::max(worst, std::fabs(double(a.texCoord[i]) - e.texCoord[i]));
                }
            }
        }
    }
    EXPECT_LE(worst, 1e-6) << what << ": largest difference in position, normal or texture coordinate";
}

struct QuadricCase {
    const char* what;
    bool sphere;
    bool textured;
    double a, b, c;  // radius, or base, top, height
    int slices, stacks;
};

std::vector<QuadricCase> quadricCases()
{
    const float sky = std::sqrt(static_cast<float>(worldHalfSizeX * worldHalfSizeX + worldHalfSizeZ * worldHalfSizeZ));
    std::vector<QuadricCase> cases = {
        {"sky", true, true, sky, 0, 0, 50, 50},
        {"body and skull", true, true, 1.0, 0, 0, 30, 30},
        {"joints, head, paws", true, true, 0.5, 0, 0, 30, 30},
        {"eyes", true, true, 0.25, 0, 0, 30, 30},
        {"tree crown", true, true, 2.0, 0, 0, 30, 30},
        {"blast, small", true, true, 0.3f, 0, 0, 30, 30},
        {"blast, growing", true, true, 2.0f / 2.2f + 2.0f, 0, 0, 30, 30},
        {"tree blast", true, true, 37.0f / 40.0f + 1.0f, 0, 0, 30, 30},
        {"plain sphere", true, false, 0.75, 0, 0, 12, 7},
        {"collar", false, false, 0.4f, 0.4f, 0.2f, 30, 1},
        {"neck", false, true, 0.2f, 0.2f, 1.0f, 30, 1},
        {"ears", false, true, 0.25f, 0.0f, 0.25f, 3, 30},
        {"whiskers", false, false, 0.01f, 0.01f, 0.5f, 30, 1},
        {"leg joint", false, true, 0.1f, 0.1f, 0.1f, 30, 1},
        {"leg", false, true, 0.1f, 0.1f, 0.75f, 30, 1},
        {"trunk", false, true, 0.5f, 0.5f, 5.0f, 30, 1},
        {"refused: no slices", false, true, 1.0, 1.0, 1.0, 1, 1},
    };
    for (int n = 0; n <= 25; ++n) {  // the tail's links
        const float base = static_cast<float>(n - 1) * 0.1f / 20.0f;
        const float top = static_cast<float>(n) * 0.1f / 20.0f;
        cases.push_back({"tail link", false, true, base > 0.0f ? base : 0.0f, top, 0.1f, 30, 1});
    }
    return cases;
}

TEST(WebShapes, QuadricsMatchTheDesktopGlu)
{
    for (const QuadricCase& c : quadricCases()) {
        GLUquadric* quadric = gluNewQuadric();
        if (c.textured) {
            gluQuadricDrawStyle(quadric, GLU_FILL);
            gluQuadricTexture(quadric, GL_TRUE);
        }
        const std::string what = std::string(c.what) + " " + std::to_string(c.a) + " " + std::to_string(c.b) +
                                 " " + std::to_string(c.c);
        const web::Shape desktop = record([&] {
            if (c.sphere) {
                gluSphere(quadric, c.a, c.slices, c.stacks);
            } else {
                gluCylinder(quadric, c.a, c.b, c.c, c.slices, c.stacks);
            }
        });
        gluDeleteQuadric(quadric);
        const web::Shape ours = c.sphere ? web::quadricSphere(c.a, c.slices, c.stacks, c.textured)
                                         : web::quadricCylinder(c.a, c.b, c.c, c.slices, c.stacks, c.textured);
        if (c.slices < 2) {
            EXPECT_TRUE(desktop.empty()) << what;
            EXPECT_TRUE(ours.empty()) << what;
            continue;
        }
        expectSameShape(desktop, ours, what);
    }
}

TEST(WebShapes, SolidsMatchTheDesktopFreeglut)
{
    struct SolidCase { const char* what; double radius; int slices, stacks; };
    const SolidCase spheres[] = {
        {"pupil", 0.1, 30, 30}, {"bone end", 0.2, 30, 30}, {"nose, bone knob", 0.25, 30, 30}, {"odd", 1.5, 7, 3},
    };
    for (const SolidCase& c : spheres) {
        expectSameShape(record([&] { glutSolidSphere(c.radius, c.slices, c.stacks); }),
                        web::solidSphere(c.radius, c.slices, c.stacks), c.what);
    }
    for (double size : {1.0, 2.5}) {
        expectSameShape(record([&] { glutSolidCube(size); }), web::solidCube(size),
                        "cube " + std::to_string(size));
    }
}

TEST(WebShapes, PrimitivesBecomeTheTrianglesGlDraws)
{
    auto order = [](const std::vector<std::size_t>& indices) {
        std::string s;
        for (std::size_t i : indices) s += std::to_string(i);
        return s;
    };
    struct Case { web::PrimitiveMode mode; std::size_t n; const char* triangles; };
    const Case cases[] = {
        {web::Triangles, 7, "012345"},          // a stray vertex is dropped
        {web::TriangleStrip, 5, "012213234"},   // every other triangle turned to keep its winding
        {web::QuadStrip, 6, "012213234435"},    // two quads, as a strip
        {web::QuadStrip, 5, "012213"},          // an odd last vertex makes no quad
        {web::TriangleFan, 5, "012023034"},
        {web::Polygon, 4, "012023"},            // a polygon as a fan around its first vertex
        {web::Polygon, 2, ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(order(web::triangleOrder(c.mode, c.n)), c.triangles) << c.mode << " with " << c.n;
    }
    EXPECT_EQ(order(web::lineOrder(5)), "0123");
}

}  // namespace

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    glutInit(&argc, argv);
    glutInitWindowSize(64, 64);
    glutCreateWindow("shapes");
    return RUN_ALL_TESTS();
}
