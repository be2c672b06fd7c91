// GL 1.1 and GLU as the game calls them, translated for the browser's GL
// layer: the matrix stacks, the current normal and texture coordinate,
// materials and the one light, the fixed texture ids (RGB, GL_CLAMP as
// clamp-to-edge), capabilities, immediate mode, glRectf, gluPerspective,
// gluLookAt, the quadrics and GLUT's solids. What draws is in shader.cpp,
// immediate_mode.cpp and shape_cache.cpp. What WebGL holds is also kept here
// (the textures' pixels, the state the game set), to make it anew when a lost
// context comes back.
#include "webgl_layer.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <GL/glut.h>
#include <emscripten/emscripten.h>
#include <emscripten/html5_webgl.h>

#include <algorithm>
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
        (cap == GL_DEPTH_TEST ? gl.depthTest : gl.blend) = on;
        if (on) {
            emscripten_glEnable(cap);
        } else {
            emscripten_glDisable(cap);
        }
        break;
    default: break;
    }
}

// The bytes of a picture of w x h pixels in format and type, its rows
// aligned to alignment bytes, as GL reads them (WebGL's types other than
// bytes pack a pixel in 16 bits).
std::size_t pictureBytes(GLsizei w, GLsizei h, GLenum format, GLenum type, GLint alignment)
{
    const std::size_t components = format == GL_RGBA ? 4 : format == GL_RGB ? 3 : format == GL_LUMINANCE_ALPHA ? 2 : 1;
    const std::size_t pixelBytes = type == GL_UNSIGNED_BYTE ? components : 2;
    const std::size_t row = static_cast<std::size_t>(w) * pixelBytes;
    const std::size_t a = static_cast<std::size_t>(alignment);
    const std::size_t stride = (row + a - 1) / a * a;
    return w <= 0 || h <= 0 ? 0 : stride * static_cast<std::size_t>(h - 1) + row;
}

// Each texture made again under its game id, with its kept picture and parameters.
void restoreTextures()
{
    for (auto& [id, slot] : gl.textures) {
        emscripten_glGenTextures(1, &slot.handle);
        emscripten_glBindTexture(GL_TEXTURE_2D, slot.handle);
        const TextureImage& image = slot.image;
        if (slot.defined) {
            emscripten_glPixelStorei(GL_UNPACK_ALIGNMENT, image.unpackAlignment);
            emscripten_glTexImage2D(GL_TEXTURE_2D, 0, image.internalFormat, image.width, image.height, 0,
                                    image.format, image.type, image.pixels.data());
            slot.uploadedRows = -1;
        }
        for (const auto& [name, value] : slot.parameters) {
            emscripten_glTexParameteri(GL_TEXTURE_2D, name, value);
        }
    }
    emscripten_glPixelStorei(GL_UNPACK_ALIGNMENT, gl.unpackAlignment);
    emscripten_glBindTexture(GL_TEXTURE_2D, gl.textures[gl.boundTexture].handle);
}

// Rows of a picture that go up in one band: about 256 KiB.
constexpr std::size_t bandBytes = 256 * 1024;
// Time for bands per frame, in milliseconds, after the first band.
constexpr double bandBudgetMs = 4.0;
// Pictures with bands still to go up (their slots' uploadedRows >= 0).
int texturesWaiting = 0;

// The next band of a picture that is going up: at the first, the texture with
// no pixels yet; then its rows, bottom first, from the kept copy.
void uploadBand(TextureSlot& slot)
{
    const TextureImage& image = slot.image;
    emscripten_glBindTexture(GL_TEXTURE_2D, slot.handle);
    emscripten_glPixelStorei(GL_UNPACK_ALIGNMENT, image.unpackAlignment);
    if (slot.uploadedRows == 0) {
        emscripten_glTexImage2D(GL_TEXTURE_2D, 0, image.internalFormat, image.width, image.height, 0, image.format,
                                image.type, nullptr);
    }
    // A row's bytes with its padding: a picture of two rows less one of one row.
    const std::size_t stride = pictureBytes(image.width, 2, image.format, image.type, image.unpackAlignment) -
                               pictureBytes(image.width, 1, image.format, image.type, image.unpackAlignment);
    const GLsizei rows = static_cast<GLsizei>(std::max<std::size_t>(1, bandBytes / std::max<std::size_t>(stride, 1)));
    const GLsizei count = std::min(rows, image.height - slot.uploadedRows);
    if (count > 0 && !image.pixels.empty()) {
        emscripten_glTexSubImage2D(GL_TEXTURE_2D, 0, 0, slot.uploadedRows, image.width, count, image.format,
                                   image.type, image.pixels.data() + stride * static_cast<std::size_t>(slot.uploadedRows));
    }
    slot.uploadedRows += std::max(count, 1);
    if (slot.uploadedRows >= image.height) {
        slot.uploadedRows = -1;
        --texturesWaiting;
    }
}

// The state the game set, as it last set it.
void restoreState()
{
    emscripten_glViewport(gl.viewport[0], gl.viewport[1], gl.viewport[2], gl.viewport[3]);
    emscripten_glClearColor(gl.clearColour[0], gl.clearColour[1], gl.clearColour[2], gl.clearColour[3]);
    emscripten_glBlendFunc(gl.blendSource, gl.blendDestination);
    const auto set = [](GLenum cap, bool on) { on ? emscripten_glEnable(cap) : emscripten_glDisable(cap); };
    set(GL_DEPTH_TEST, gl.depthTest);
    set(GL_BLEND, gl.blend);
}

}  // namespace

bool webGlStart()
{
    // GL's initial light 0 is white; the game sets its colours.
    gl.light.ambient[0] = gl.light.ambient[1] = gl.light.ambient[2] = 0.0f;
    if (!startShader()) {
        return false;
    }
    startImmediateMode();
    return true;
}

bool webGlRestore()
{
    // emscripten's hold on the extension went with the old context.
    emscripten_webgl_enable_ANGLE_instanced_arrays(emscripten_webgl_get_current_context());
    if (!startShader()) {
        return false;
    }
    startImmediateMode();
    dropShapes();
    restoreTextures();
    texturesWaiting = 0;
    restoreState();
    return true;
}

bool texturesUploaded()
{
    if (texturesWaiting == 0) {
        return true;
    }
    const double start = emscripten_get_now();
    for (auto& [id, slot] : gl.textures) {
        while (slot.uploadedRows >= 0) {
            uploadBand(slot);
            if (emscripten_get_now() - start > bandBudgetMs) {
                break;
            }
        }
        if (emscripten_get_now() - start > bandBudgetMs) {
            break;
        }
    }
    emscripten_glPixelStorei(GL_UNPACK_ALIGNMENT, gl.unpackAlignment);
    emscripten_glBindTexture(GL_TEXTURE_2D, gl.textures[gl.boundTexture].handle);
    return texturesWaiting == 0;
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
    const GLint viewport[4] = {x, y, w, h};
    std::memcpy(gl.viewport, viewport, sizeof gl.viewport);
    emscripten_glViewport(x, y, w, h);
}
void glClear(GLbitfield mask)
{
    web::flushShapes();
    emscripten_glClear(mask);
}
void glClearColor(GLclampf r, GLclampf g, GLclampf b, GLclampf a)
{
    const float colour[4] = {r, g, b, a};
    std::memcpy(gl.clearColour, colour, sizeof gl.clearColour);
    emscripten_glClearColor(r, g, b, a);
}
void glBlendFunc(GLenum s, GLenum d)
{
    web::flushShapes();
    gl.blendSource = s;
    gl.blendDestination = d;
    emscripten_glBlendFunc(s, d);
}
void glShadeModel(GLenum) {}
void glPixelStorei(GLenum name, GLint value)
{
    if (name == GL_UNPACK_ALIGNMENT) {
        gl.unpackAlignment = value;
    }
    emscripten_glPixelStorei(name, value);
}

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
    web::TextureSlot& slot = gl.textures[gl.boundTexture];
    slot.defined = true;
    if (level == 0) {  // a copy for a lost context's restore, which also goes up from here in bands
        const auto* bytes = static_cast<const unsigned char*>(pixels);
        const std::size_t size = bytes == nullptr ? 0 : web::pictureBytes(w, h, format, type, gl.unpackAlignment);
        slot.image = web::TextureImage{internal, w, h, format, type, gl.unpackAlignment, {bytes, bytes + size}};
        if (slot.uploadedRows < 0) {
            ++web::texturesWaiting;
        }
        slot.uploadedRows = 0;
        return;
    }
    emscripten_glTexImage2D(target, level, internal, w, h, border, format, type, pixels);
}

void glTexParameteri(GLenum target, GLenum name, GLint value)
{
    web::flushShapes();
    const GLint sent = value == GL_CLAMP ? static_cast<GLint>(web::clampToEdge) : value;
    gl.textures[gl.boundTexture].parameters[name] = sent;
    emscripten_glTexParameteri(target, name, sent);
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
