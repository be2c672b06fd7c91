// GL 1.1 and GLU as the game calls them, translated for the browser's GL
// layer: the matrix stacks, the current normal and texture coordinate,
// materials and the one light, the fixed texture ids (RGB, GL_CLAMP as
// clamp-to-edge), capabilities, immediate mode, glRectf, gluPerspective,
// gluLookAt, the quadrics and GLUT's solids. What draws is in shader.cpp,
// immediate_mode.cpp and shape_cache.cpp.
#include "webgl_layer.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <GL/glut.h>

#include <cstring>

namespace web {

GlState gl;

namespace {

constexpr GLenum clampToEdge = 0x812F;

Matrix& current()
{
    return gl.matrixMode == GL_PROJECTION ? gl.projection.back() : gl.modelview.back();
}

std::vector<Matrix>& currentStack()
{
    return gl.matrixMode == GL_PROJECTION ? gl.projection : gl.modelview;
}

void multiplyCurrent(const Matrix& by)
{
    current() = multiply(current(), by);
}

// Where a light or material parameter's colour goes: ambient, diffuse,
// specular or emission (null where the record has none), or null.
float* namedColour(GLenum name, float* ambient, float* diffuse, float* specular, float* emission)
{
    switch (name) {
    case GL_AMBIENT: return ambient;
    case GL_DIFFUSE: return diffuse;
    case GL_SPECULAR: return specular;
    case GL_EMISSION: return emission;
    default: return nullptr;
    }
}

void setCapability(GLenum cap, bool on)
{
    flushShapes();
    switch (cap) {
    case GL_LIGHTING: gl.lighting = on; break;
    case GL_LIGHT0: gl.light.enabled = on; break;
    case GL_TEXTURE_2D: gl.texturing = on; break;
    case GL_DEPTH_TEST:
    case GL_BLEND:
        if (on) {
            emscripten_glEnable(cap);
        } else {
            emscripten_glDisable(cap);
        }
        break;
    default: break;
    }
}

}  // namespace

void webGlStart()
{
    startShader();
    startImmediateMode();
    // GL's initial light 0 is white; the game sets its colours.
    gl.light.ambient[0] = gl.light.ambient[1] = gl.light.ambient[2] = 0.0f;
}

void webGlFlush()
{
    flushShapes();
}

}  // namespace web

using web::gl;

struct GLUquadric {
    GLenum drawStyle = GLU_FILL;
    bool textured = false;
};

extern "C" {

// --- State -----------------------------------------------------------------------------
void glViewport(GLint x, GLint y, GLsizei w, GLsizei h)
{
    web::flushShapes();
    emscripten_glViewport(x, y, w, h);
    GLint viewport[4] = {0, 0, 0, 0};  // as WebGL holds it, in the buffer's pixels
    emscripten_glGetIntegerv(GL_VIEWPORT, viewport);
    gl.viewportWidth = viewport[2];
    gl.viewportHeight = viewport[3];
}
void glClear(GLbitfield mask)
{
    web::flushShapes();
    emscripten_glClear(mask);
}
void glClearColor(GLclampf r, GLclampf g, GLclampf b, GLclampf a) { emscripten_glClearColor(r, g, b, a); }
void glBlendFunc(GLenum s, GLenum d)
{
    web::flushShapes();
    emscripten_glBlendFunc(s, d);
}
void glShadeModel(GLenum) {}
void glPixelStorei(GLenum name, GLint value) { emscripten_glPixelStorei(name, value); }

void glEnable(GLenum cap) { web::setCapability(cap, true); }
void glDisable(GLenum cap) { web::setCapability(cap, false); }

void glLightfv(GLenum light, GLenum name, const GLfloat* v)
{
    if (light != GL_LIGHT0) {
        return;
    }
    web::flushShapes();
    web::LightState& l = gl.light;
    if (float* colour = web::namedColour(name, l.ambient, l.diffuse, l.specular, nullptr)) {
        std::memcpy(colour, v, 4 * sizeof(float));
    } else if (name == GL_POSITION) {
        // A directional light, carried to eye space by the current model-view.
        web::applyToDirection(gl.modelview.back(), v, l.direction);
        web::normalise(l.direction);
    }
}

void glMaterialfv(GLenum face, GLenum name, const GLfloat* v)
{
    if (face != GL_FRONT && face != GL_FRONT_AND_BACK) {
        return;
    }
    web::flushShapes();
    web::MaterialState& m = gl.material;
    if (float* colour = web::namedColour(name, m.ambient, m.diffuse, m.specular, m.emission)) {
        std::memcpy(colour, v, 4 * sizeof(float));
    } else if (name == GL_SHININESS) {
        m.shininess = v[0];
    } else if (name == GL_AMBIENT_AND_DIFFUSE) {
        std::memcpy(m.ambient, v, sizeof m.ambient);
        std::memcpy(m.diffuse, v, sizeof m.diffuse);
    }
}

// --- Textures under fixed ids ------------------------------------------------------------
void glBindTexture(GLenum target, GLuint id)
{
    web::flushShapes();
    web::TextureSlot& slot = gl.textures[id];
    if (slot.handle == 0) {
        emscripten_glGenTextures(1, &slot.handle);
    }
    gl.boundTexture = id;
    emscripten_glBindTexture(target, slot.handle);
}

void glTexImage2D(GLenum target, GLint level, GLint internalFormat, GLsizei w, GLsizei h, GLint border,
                  GLenum format, GLenum type, const GLvoid* pixels)
{
    // GL 1.1's component counts name the formats WebGL wants by name.
    static const GLenum byComponents[5] = {0, GL_LUMINANCE, GL_LUMINANCE_ALPHA, GL_RGB, GL_RGBA};
    const GLint internal = internalFormat >= 1 && internalFormat <= 4 ? static_cast<GLint>(byComponents[internalFormat])
                                                                      : internalFormat;
    web::flushShapes();
    gl.textures[gl.boundTexture].defined = true;
    emscripten_glTexImage2D(target, level, internal, w, h, border, format, type, pixels);
}

void glTexParameteri(GLenum target, GLenum name, GLint value)
{
    web::flushShapes();
    emscripten_glTexParameteri(target, name, value == GL_CLAMP ? static_cast<GLint>(web::clampToEdge) : value);
}
void glTexParameterf(GLenum target, GLenum name, GLfloat value)
{
    glTexParameteri(target, name, static_cast<GLint>(value));
}

// --- Matrices -----------------------------------------------------------------------------
void glMatrixMode(GLenum mode) { gl.matrixMode = mode; }
void glLoadIdentity() { web::current() = web::Matrix{}; }
void glPushMatrix()
{
    std::vector<web::Matrix>& stack = web::currentStack();
    stack.push_back(stack.back());
}
void glPopMatrix()
{
    std::vector<web::Matrix>& stack = web::currentStack();
    if (stack.size() > 1) {
        stack.pop_back();
    }
}
void glMultMatrixf(const GLfloat* m)
{
    web::Matrix by;
    std::memcpy(by.m, m, sizeof by.m);
    web::multiplyCurrent(by);
}
void glTranslatef(GLfloat x, GLfloat y, GLfloat z) { web::translate(web::current(), x, y, z); }
void glScalef(GLfloat x, GLfloat y, GLfloat z) { web::scale(web::current(), x, y, z); }
void glRotatef(GLfloat angle, GLfloat x, GLfloat y, GLfloat z)
{
    web::Matrix r;
    if (web::rotation(angle, x, y, z, r)) {
        web::multiplyCurrent(r);
    }
}

// --- Immediate mode -----------------------------------------------------------------------
void glBegin(GLenum mode) { web::beginPrimitive(mode); }
void glEnd() { web::endPrimitive(); }
void glNormal3f(GLfloat x, GLfloat y, GLfloat z)
{
    gl.normal[0] = x;
    gl.normal[1] = y;
    gl.normal[2] = z;
}
void glTexCoord2f(GLfloat s, GLfloat t)
{
    web::flushShapes();  // a shape without texture coordinates takes the current one
    gl.texCoord[0] = s;
    gl.texCoord[1] = t;
}
void glVertex3f(GLfloat x, GLfloat y, GLfloat z) { web::addVertex(x, y, z); }
void glVertex2f(GLfloat x, GLfloat y) { web::addVertex(x, y, 0.0f); }
void glRectf(GLfloat x1, GLfloat y1, GLfloat x2, GLfloat y2)
{
    glBegin(GL_POLYGON);
    glVertex2f(x1, y1);
    glVertex2f(x2, y1);
    glVertex2f(x2, y2);
    glVertex2f(x1, y2);
    glEnd();
}

// --- GLU ----------------------------------------------------------------------------------
void gluPerspective(GLdouble fovy, GLdouble aspect, GLdouble zNear, GLdouble zFar)
{
    web::Matrix m;
    if (web::perspective(fovy, aspect, zNear, zFar, m)) {
        web::multiplyCurrent(m);
    }
}

void gluLookAt(GLdouble eyeX, GLdouble eyeY, GLdouble eyeZ, GLdouble centerX, GLdouble centerY, GLdouble centerZ,
               GLdouble upX, GLdouble upY, GLdouble upZ)
{
    web::multiplyCurrent(web::lookAtRotation(eyeX, eyeY, eyeZ, centerX, centerY, centerZ, upX, upY, upZ));
    glTranslatef(static_cast<float>(-eyeX), static_cast<float>(-eyeY), static_cast<float>(-eyeZ));
}

GLUquadric* gluNewQuadric() { return new GLUquadric; }
void gluDeleteQuadric(GLUquadric* q) { delete q; }
void gluQuadricDrawStyle(GLUquadric* q, GLenum style) { q->drawStyle = style; }
void gluQuadricTexture(GLUquadric* q, GLboolean textured) { q->textured = textured == GL_TRUE; }

void gluSphere(GLUquadric* q, GLdouble radius, GLint slices, GLint stacks)
{
    if (q->drawStyle == GLU_FILL) {
        web::drawShape(web::GluSphere, radius, 0.0, 0.0, slices, stacks, q->textured, true);
    }
}

void gluCylinder(GLUquadric* q, GLdouble base, GLdouble top, GLdouble height, GLint slices, GLint stacks)
{
    if (q->drawStyle == GLU_FILL) {
        web::drawShape(web::GluCylinder, base, top, height, slices, stacks, q->textured, true);
    }
}

// --- GLUT's solids ------------------------------------------------------------------------
void glutSolidSphere(GLdouble radius, GLint slices, GLint stacks)
{
    web::drawShape(web::GlutSphere, radius, 0.0, 0.0, slices, stacks, false, false);
}

void glutSolidCube(GLdouble size)
{
    web::drawShape(web::GlutCube, size, 0.0, 0.0, 0, 0, false, false);
}

}  // extern "C"
