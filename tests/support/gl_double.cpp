// The recording GL/GLU/GLUT double: definitions of every library function the
// game calls, keeping just enough state to check what the game draws.
#include "gl_double.h"

#include "matrices.h"

#include <GL/freeglut.h>
#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <initializer_list>
#include <iterator>

// GLU leaves its quadric record opaque; the double defines it.
struct GLUquadric {
    int drawStyle = -1;
    int texture = 0;
};

namespace gldouble {
namespace {

Recorder recorder;
long long timerOrder = 0;
constexpr int maxStackDepth = 32;

Mat4 multiply(const Mat4& a, const Mat4& b)
{
    Mat4 r;
    web::multiplyMatrices(a.m.data(), b.m.data(), r.m.data());
    return r;
}

std::vector<Mat4>& currentStack()
{
    return recorder.matrixMode == GL_PROJECTION ? recorder.projection : recorder.modelview;
}

void multiplyCurrent(const Mat4& m)
{
    Mat4& top = currentStack().back();
    top = multiply(top, m);
}

void record(const char* name, std::initializer_list<double> args = {})
{
    recorder.calls.push_back(Call{name, std::vector<double>(args)});
}

Draw& addDraw(const std::string& kind, std::vector<double> params)
{
    Draw d;
    d.kind = kind;
    d.params = std::move(params);
    d.modelview = recorder.modelview.back();
    d.material = recorder.material;
    d.texture = recorder.boundTexture;
    d.s = recorder.s;
    d.t = recorder.t;
    recorder.draws.push_back(d);
    return recorder.draws.back();
}

void addQuadricDraw(const char* kind, const GLUquadric* q, std::vector<double> params)
{
    Draw& d = addDraw(kind, std::move(params));
    d.quadricTexture = q != nullptr ? q->texture : -1;
    d.quadricDrawStyle = q != nullptr ? q->drawStyle : -1;
}

const char* modeName(GLenum mode)
{
    switch (mode) {
    case GL_POINTS: return "GL_POINTS";
    case GL_LINES: return "GL_LINES";
    case GL_LINE_STRIP: return "GL_LINE_STRIP";
    case GL_LINE_LOOP: return "GL_LINE_LOOP";
    case GL_TRIANGLES: return "GL_TRIANGLES";
    case GL_TRIANGLE_STRIP: return "GL_TRIANGLE_STRIP";
    case GL_TRIANGLE_FAN: return "GL_TRIANGLE_FAN";
    case GL_QUADS: return "GL_QUADS";
    case GL_QUAD_STRIP: return "GL_QUAD_STRIP";
    case GL_POLYGON: return "GL_POLYGON";
    default: return "GL_UNKNOWN";
    }
}

void addVertex(double x, double y, double z)
{
    if (!recorder.inBegin || recorder.draws.empty()) {
        ++recorder.stackErrors;  // a vertex outside glBegin/glEnd is a caller fault
        return;
    }
    Vertex v;
    v.local = Point{x, y, z};
    v.world = apply(recorder.modelview.back(), v.local);
    v.s = recorder.s;
    v.t = recorder.t;
    v.material = recorder.material;
    recorder.draws.back().vertices.push_back(v);
}

void setMaterialField(GLenum pname, const GLfloat* params)
{
    MaterialState& m = recorder.material;
    switch (pname) {
    case GL_AMBIENT: std::copy(params, params + 4, m.ambient.begin()); break;
    case GL_DIFFUSE: std::copy(params, params + 4, m.diffuse.begin()); break;
    case GL_SPECULAR: std::copy(params, params + 4, m.specular.begin()); break;
    case GL_AMBIENT_AND_DIFFUSE:
        std::copy(params, params + 4, m.ambient.begin());
        std::copy(params, params + 4, m.diffuse.begin());
        break;
    case GL_SHININESS: m.shininess = params[0]; break;
    default: break;
    }
}

void fire(std::vector<Timer>::iterator it)
{
    Timer timer = *it;
    recorder.timers.erase(it);
    recorder.now = std::max(recorder.now, timer.due);
    timer.func(timer.value);
}

// The items whose field holds value, in order.
template <typename Item>
std::vector<Item> withField(const std::vector<Item>& items, std::string Item::*field, const std::string& value)
{
    std::vector<Item> found;
    std::copy_if(items.begin(), items.end(), std::back_inserter(found),
                 [&](const Item& item) { return item.*field == value; });
    return found;
}

std::vector<Timer>::iterator earliestTimer()
{
    return std::min_element(recorder.timers.begin(), recorder.timers.end(),
                            [](const Timer& a, const Timer& b) {
                                return a.due != b.due ? a.due < b.due : a.order < b.order;
                            });
}

}  // namespace

Point apply(const Mat4& m, Point p)
{
    const auto& a = m.m;
    return Point{a[0] * p.x + a[4] * p.y + a[8] * p.z + a[12],
                 a[1] * p.x + a[5] * p.y + a[9] * p.z + a[13],
                 a[2] * p.x + a[6] * p.y + a[10] * p.z + a[14]};
}

Point origin(const Mat4& m)
{
    return apply(m, Point{0, 0, 0});
}

Recorder& gl()
{
    return recorder;
}

void reset()
{
    recorder = Recorder{};
    timerOrder = 0;
}

void clearLog()
{
    recorder.calls.clear();
    recorder.draws.clear();
    recorder.uploads.clear();
}

std::vector<Draw> drawsOf(const std::string& kind)
{
    return withField(recorder.draws, &Draw::kind, kind);
}

std::vector<Call> callsOf(const std::string& name)
{
    return withField(recorder.calls, &Call::name, name);
}

std::vector<std::string> callNames()
{
    std::vector<std::string> names;
    names.reserve(recorder.calls.size());
    for (const Call& c : recorder.calls) {
        names.push_back(c.name);
    }
    return names;
}

bool isEnabled(unsigned cap)
{
    return std::find(recorder.enabled.begin(), recorder.enabled.end(), cap) != recorder.enabled.end();
}

bool fireNextTimer()
{
    if (recorder.timers.empty()) {
        return false;
    }
    fire(earliestTimer());
    return true;
}

void advance(long long ms)
{
    const long long until = recorder.now + ms;
    while (!recorder.timers.empty()) {
        auto it = earliestTimer();
        if (it->due > until) {
            break;
        }
        fire(it);
    }
    recorder.now = until;
}

int pendingTimers(void (*func)(int))
{
    return static_cast<int>(std::count_if(recorder.timers.begin(), recorder.timers.end(),
                                          [func](const Timer& t) { return func == nullptr || t.func == func; }));
}

}  // namespace gldouble

using gldouble::Mat4;
using gldouble::record;
using gldouble::recorder;

// ---------------------------------------------------------------------------------------
// GL
// ---------------------------------------------------------------------------------------

void glClear(GLbitfield mask) { record("glClear", {static_cast<double>(mask)}); }

void glClearColor(GLclampf r, GLclampf g, GLclampf b, GLclampf a) { record("glClearColor", {r, g, b, a}); }

void glEnable(GLenum cap)
{
    record("glEnable", {static_cast<double>(cap)});
    if (!gldouble::isEnabled(cap)) {
        recorder.enabled.push_back(cap);
    }
}

void glDisable(GLenum cap)
{
    record("glDisable", {static_cast<double>(cap)});
    recorder.enabled.erase(std::remove(recorder.enabled.begin(), recorder.enabled.end(), cap),
                           recorder.enabled.end());
}

void glBlendFunc(GLenum s, GLenum d) { record("glBlendFunc", {static_cast<double>(s), static_cast<double>(d)}); }

void glShadeModel(GLenum mode) { record("glShadeModel", {static_cast<double>(mode)}); }

void glLightfv(GLenum light, GLenum pname, const GLfloat* p)
{
    record("glLightfv", {static_cast<double>(light), static_cast<double>(pname), p[0], p[1], p[2], p[3]});
}

void glMaterialfv(GLenum face, GLenum pname, const GLfloat* p)
{
    if (pname == GL_SHININESS) {
        record("glMaterialfv", {static_cast<double>(face), static_cast<double>(pname), p[0]});
    } else {
        record("glMaterialfv", {static_cast<double>(face), static_cast<double>(pname), p[0], p[1], p[2], p[3]});
    }
    gldouble::setMaterialField(pname, p);
}

void glViewport(GLint x, GLint y, GLsizei w, GLsizei h) { record("glViewport", {double(x), double(y), double(w), double(h)}); }

void glMatrixMode(GLenum mode)
{
    record("glMatrixMode", {static_cast<double>(mode)});
    recorder.matrixMode = mode;
}

void glLoadIdentity()
{
    record("glLoadIdentity");
    gldouble::currentStack().back() = Mat4{};
}

void glPushMatrix()
{
    record("glPushMatrix");
    auto& stack = gldouble::currentStack();
    if (static_cast<int>(stack.size()) >= gldouble::maxStackDepth) {
        ++recorder.stackErrors;
        return;
    }
    stack.push_back(stack.back());
    if (recorder.matrixMode != GL_PROJECTION) {
        recorder.maxModelviewDepth = std::max(recorder.maxModelviewDepth, static_cast<int>(stack.size()));
    }
}

void glPopMatrix()
{
    record("glPopMatrix");
    auto& stack = gldouble::currentStack();
    if (stack.size() <= 1) {
        ++recorder.stackErrors;
        return;
    }
    stack.pop_back();
}

void glTranslatef(GLfloat x, GLfloat y, GLfloat z)
{
    record("glTranslatef", {x, y, z});
    Mat4 t;
    t.m[12] = x;
    t.m[13] = y;
    t.m[14] = z;
    gldouble::multiplyCurrent(t);
}

void glScalef(GLfloat x, GLfloat y, GLfloat z)
{
    record("glScalef", {x, y, z});
    Mat4 s;
    s.m[0] = x;
    s.m[5] = y;
    s.m[10] = z;
    gldouble::multiplyCurrent(s);
}

void glRotatef(GLfloat angle, GLfloat ax, GLfloat ay, GLfloat az)
{
    record("glRotatef", {angle, ax, ay, az});
    const double len = std::sqrt(double(ax) * ax + double(ay) * ay + double(az) * az);
    if (len == 0.0) {
        return;
    }
    const double x = ax / len, y = ay / len, z = az / len;
    const double rad = angle * 3.14159265358979323846 / 180.0;
    const double c = std::cos(rad), s = std::sin(rad), k = 1.0 - c;
    Mat4 r;
    r.m = {x * x * k + c,     y * x * k + z * s, x * z * k - y * s, 0,
           x * y * k - z * s, y * y * k + c,     y * z * k + x * s, 0,
           x * z * k + y * s, y * z * k - x * s, z * z * k + c,     0,
           0,                 0,                 0,                 1};
    gldouble::multiplyCurrent(r);
}

void glBindTexture(GLenum target, GLuint texture)
{
    record("glBindTexture", {static_cast<double>(target), static_cast<double>(texture)});
    recorder.boundTexture = texture;
}

void glPixelStorei(GLenum pname, GLint param)
{
    record("glPixelStorei", {static_cast<double>(pname), static_cast<double>(param)});
    if (pname == GL_UNPACK_ALIGNMENT) {
        recorder.unpackAlignment = param;
    }
}

void glTexImage2D(GLenum target, GLint level, GLint internalFormat, GLsizei width, GLsizei height, GLint border,
                  GLenum format, GLenum type, const void* pixels)
{
    record("glTexImage2D", {static_cast<double>(target), double(level), double(internalFormat), double(width),
                            double(height), double(border), static_cast<double>(format), static_cast<double>(type)});
    gldouble::TextureUpload up;
    up.id = recorder.boundTexture;
    up.level = level;
    up.internalFormat = internalFormat;
    up.width = width;
    up.height = height;
    up.border = border;
    up.format = format;
    up.type = type;
    up.unpackAlignment = recorder.unpackAlignment;
    up.hasPixels = pixels != nullptr;
    if (pixels != nullptr && width > 0 && height > 0 && format == GL_RGB && type == GL_UNSIGNED_BYTE) {
        const size_t align = static_cast<size_t>(recorder.unpackAlignment);
        const size_t row = (static_cast<size_t>(width) * 3 + align - 1) / align * align;
        const size_t bytes = row * static_cast<size_t>(height - 1) + static_cast<size_t>(width) * 3;
        const auto* p = static_cast<const unsigned char*>(pixels);
        up.pixels.assign(p, p + bytes);
    }
    recorder.uploads.push_back(up);
}

void glTexParameteri(GLenum target, GLenum pname, GLint param)
{
    record("glTexParameteri", {static_cast<double>(target), static_cast<double>(pname), static_cast<double>(param)});
}

void glTexParameterf(GLenum target, GLenum pname, GLfloat param)
{
    record("glTexParameterf", {static_cast<double>(target), static_cast<double>(pname), param});
}

void glBegin(GLenum mode)
{
    record("glBegin", {static_cast<double>(mode)});
    if (recorder.inBegin) {
        ++recorder.stackErrors;
    }
    recorder.inBegin = true;
    gldouble::addDraw(gldouble::modeName(mode), {});
}

void glEnd()
{
    record("glEnd");
    if (!recorder.inBegin) {
        ++recorder.stackErrors;
    }
    recorder.inBegin = false;
}

void glVertex2f(GLfloat x, GLfloat y)
{
    record("glVertex2f", {x, y});
    gldouble::addVertex(x, y, 0);
}

void glVertex3f(GLfloat x, GLfloat y, GLfloat z)
{
    record("glVertex3f", {x, y, z});
    gldouble::addVertex(x, y, z);
}

void glTexCoord2f(GLfloat s, GLfloat t)
{
    record("glTexCoord2f", {s, t});
    recorder.s = s;
    recorder.t = t;
}

void glNormal3f(GLfloat x, GLfloat y, GLfloat z) { record("glNormal3f", {x, y, z}); }

void glRectf(GLfloat x1, GLfloat y1, GLfloat x2, GLfloat y2)
{
    record("glRectf", {x1, y1, x2, y2});
    gldouble::Draw& d = gldouble::addDraw("glRectf", {x1, y1, x2, y2});
    for (auto [x, y] : {std::pair{x1, y1}, std::pair{x2, y1}, std::pair{x2, y2}, std::pair{x1, y2}}) {
        gldouble::Vertex v;
        v.local = gldouble::Point{x, y, 0};
        v.world = gldouble::apply(d.modelview, v.local);
        v.s = recorder.s;
        v.t = recorder.t;
        v.material = recorder.material;
        d.vertices.push_back(v);
    }
}

GLenum glGetError() { return GL_NO_ERROR; }

// ---------------------------------------------------------------------------------------
// GLU
// ---------------------------------------------------------------------------------------

void gluPerspective(GLdouble fovy, GLdouble aspect, GLdouble zNear, GLdouble zFar)
{
    record("gluPerspective", {fovy, aspect, zNear, zFar});
    const double f = 1.0 / std::tan(fovy * 3.14159265358979323846 / 360.0);
    Mat4 p;
    p.m = {f / aspect, 0, 0, 0, 0, f, 0, 0, 0, 0, (zFar + zNear) / (zNear - zFar), -1,
           0, 0, 2 * zFar * zNear / (zNear - zFar), 0};
    gldouble::multiplyCurrent(p);
}

void gluLookAt(GLdouble ex, GLdouble ey, GLdouble ez, GLdouble cx, GLdouble cy, GLdouble cz, GLdouble ux,
               GLdouble uy, GLdouble uz)
{
    record("gluLookAt", {ex, ey, ez, cx, cy, cz, ux, uy, uz});
    double f[3] = {cx - ex, cy - ey, cz - ez};
    const double fl = std::sqrt(f[0] * f[0] + f[1] * f[1] + f[2] * f[2]);
    for (double& v : f) {
        v /= fl;
    }
    double s[3] = {f[1] * uz - f[2] * uy, f[2] * ux - f[0] * uz, f[0] * uy - f[1] * ux};
    const double sl = std::sqrt(s[0] * s[0] + s[1] * s[1] + s[2] * s[2]);
    for (double& v : s) {
        v /= sl;
    }
    const double u[3] = {s[1] * f[2] - s[2] * f[1], s[2] * f[0] - s[0] * f[2], s[0] * f[1] - s[1] * f[0]};
    Mat4 m;
    m.m = {s[0], u[0], -f[0], 0, s[1], u[1], -f[1], 0, s[2], u[2], -f[2], 0, 0, 0, 0, 1};
    gldouble::multiplyCurrent(m);
    Mat4 t;
    t.m[12] = -ex;
    t.m[13] = -ey;
    t.m[14] = -ez;
    gldouble::multiplyCurrent(t);
}

GLUquadric* gluNewQuadric()
{
    record("gluNewQuadric");
    ++recorder.quadricsCreated;
    return new GLUquadric;
}

void gluDeleteQuadric(GLUquadric* q)
{
    record("gluDeleteQuadric");
    ++recorder.quadricsDeleted;
    delete q;
}

void gluQuadricDrawStyle(GLUquadric* q, GLenum style)
{
    record("gluQuadricDrawStyle", {static_cast<double>(style)});
    q->drawStyle = static_cast<int>(style);
}

void gluQuadricTexture(GLUquadric* q, GLboolean texture)
{
    record("gluQuadricTexture", {static_cast<double>(texture)});
    q->texture = texture;
}

void gluSphere(GLUquadric* q, GLdouble radius, GLint slices, GLint stacks)
{
    record("gluSphere", {radius, double(slices), double(stacks)});
    gldouble::addQuadricDraw("gluSphere", q, {radius, double(slices), double(stacks)});
}

void gluCylinder(GLUquadric* q, GLdouble base, GLdouble top, GLdouble height, GLint slices, GLint stacks)
{
    record("gluCylinder", {base, top, height, double(slices), double(stacks)});
    gldouble::addQuadricDraw("gluCylinder", q, {base, top, height, double(slices), double(stacks)});
}

// ---------------------------------------------------------------------------------------
// GLUT
// ---------------------------------------------------------------------------------------

void glutInit(int* argc, char** argv)
{
    record("glutInit", {static_cast<double>(*argc)});
    (void)argv;
}

void glutInitWindowSize(int w, int h)
{
    record("glutInitWindowSize", {double(w), double(h)});
    recorder.initWindowWidth = w;
    recorder.initWindowHeight = h;
}

void glutInitWindowPosition(int x, int y)
{
    record("glutInitWindowPosition", {double(x), double(y)});
    recorder.initWindowX = x;
    recorder.initWindowY = y;
}

void glutInitDisplayMode(unsigned int mode)
{
    record("glutInitDisplayMode", {double(mode)});
    recorder.displayMode = mode;
}

int glutCreateWindow(const char* title)
{
    record("glutCreateWindow");
    recorder.windowTitle = title;
    return 1;
}

void glutDisplayFunc(void (*f)())
{
    record("glutDisplayFunc");
    recorder.callbacks.display = f;
}

void glutReshapeFunc(void (*f)(int, int))
{
    record("glutReshapeFunc");
    recorder.callbacks.reshape = f;
}

void glutMouseFunc(void (*f)(int, int, int, int))
{
    record("glutMouseFunc");
    recorder.callbacks.mouse = f;
}

void glutPassiveMotionFunc(void (*f)(int, int))
{
    record("glutPassiveMotionFunc");
    recorder.callbacks.passiveMotion = f;
}

void glutKeyboardFunc(void (*f)(unsigned char, int, int))
{
    record("glutKeyboardFunc");
    recorder.callbacks.keyboard = f;
}

void glutMotionFunc(void (*f)(int, int))
{
    record("glutMotionFunc");
    recorder.callbacks.motion = f;
}

void glutSpecialFunc(void (*f)(int, int, int))
{
    record("glutSpecialFunc");
    recorder.callbacks.special = f;
}

void glutIdleFunc(void (*f)())
{
    record("glutIdleFunc");
    recorder.callbacks.idle = f;
}

void glutTimerFunc(unsigned int ms, void (*f)(int), int value)
{
    record("glutTimerFunc", {double(ms), double(value)});
    recorder.timers.push_back(gldouble::Timer{recorder.now + ms, gldouble::timerOrder++, ms, f, value});
}

void glutMainLoop() { record("glutMainLoop"); }

void glutPostRedisplay()
{
    record("glutPostRedisplay");
    ++recorder.redisplays;
}

void glutSwapBuffers()
{
    record("glutSwapBuffers");
    ++recorder.swaps;
}

void glutSolidSphere(double radius, GLint slices, GLint stacks)
{
    record("glutSolidSphere", {radius, double(slices), double(stacks)});
    gldouble::addDraw("glutSolidSphere", {radius, double(slices), double(stacks)});
}

void glutSolidCube(double size)
{
    record("glutSolidCube", {size});
    gldouble::addDraw("glutSolidCube", {size});
}
