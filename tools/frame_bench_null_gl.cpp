// The frame benchmark's GL, GLU and GLUT, which do nothing: every function the
// game and the benchmark call, returning at once. The benchmark linked with it
// measures the game's own per-frame work with the library and driver time
// taken out.
// Nothing is drawn, no window opens and no timer ever fires.
#include <GL/freeglut.h>
#include <GL/gl.h>
#include <GL/glu.h>

// GLU keeps its quadric record opaque; one shared dummy serves every quadric.
struct GLUquadric {
    int unused = 0;
};

namespace {

GLUquadric dummyQuadric;
const GLubyte noRenderer[] = "none (no-op GL)";

}  // namespace

// --- GL ------------------------------------------------------------------------------
void glBegin(GLenum) {}
void glBindTexture(GLenum, GLuint) {}
void glBlendFunc(GLenum, GLenum) {}
void glCallList(GLuint) {}
void glClear(GLbitfield) {}
void glClearColor(GLclampf, GLclampf, GLclampf, GLclampf) {}
void glDeleteLists(GLuint, GLsizei) {}
void glEnable(GLenum) {}
void glEnd() {}
void glEndList() {}
void glFinish() {}
GLuint glGenLists(GLsizei) { return 1; }
GLenum glGetError() { return GL_NO_ERROR; }
const GLubyte* glGetString(GLenum) { return noRenderer; }
void glLightfv(GLenum, GLenum, const GLfloat*) {}
void glLoadIdentity() {}
void glMaterialfv(GLenum, GLenum, const GLfloat*) {}
void glMatrixMode(GLenum) {}
void glNewList(GLuint, GLenum) {}
void glPixelStorei(GLenum, GLint) {}
void glPopMatrix() {}
void glPushMatrix() {}
void glRectf(GLfloat, GLfloat, GLfloat, GLfloat) {}
void glRotatef(GLfloat, GLfloat, GLfloat, GLfloat) {}
void glScalef(GLfloat, GLfloat, GLfloat) {}
void glShadeModel(GLenum) {}
void glTexCoord2f(GLfloat, GLfloat) {}
void glTexImage2D(GLenum, GLint, GLint, GLsizei, GLsizei, GLint, GLenum, GLenum, const GLvoid*) {}
void glTexParameterf(GLenum, GLenum, GLfloat) {}
void glTexParameteri(GLenum, GLenum, GLint) {}
void glTranslatef(GLfloat, GLfloat, GLfloat) {}
void glVertex2f(GLfloat, GLfloat) {}
void glVertex3f(GLfloat, GLfloat, GLfloat) {}
void glViewport(GLint, GLint, GLsizei, GLsizei) {}

// --- GLU -----------------------------------------------------------------------------
GLUquadric* gluNewQuadric() { return &dummyQuadric; }
void gluDeleteQuadric(GLUquadric*) {}
void gluQuadricDrawStyle(GLUquadric*, GLenum) {}
void gluQuadricTexture(GLUquadric*, GLboolean) {}
void gluSphere(GLUquadric*, GLdouble, GLint, GLint) {}
void gluCylinder(GLUquadric*, GLdouble, GLdouble, GLdouble, GLint, GLint) {}
void gluLookAt(GLdouble, GLdouble, GLdouble, GLdouble, GLdouble, GLdouble, GLdouble, GLdouble, GLdouble) {}
void gluPerspective(GLdouble, GLdouble, GLdouble, GLdouble) {}

// --- GLUT ----------------------------------------------------------------------------
void glutInit(int*, char**) {}
void glutInitWindowSize(int, int) {}
void glutInitWindowPosition(int, int) {}
void glutInitDisplayMode(unsigned int) {}
int glutCreateWindow(const char*) { return 1; }
void glutDisplayFunc(void (*)()) {}
void glutReshapeFunc(void (*)(int, int)) {}
void glutMouseFunc(void (*)(int, int, int, int)) {}
void glutPassiveMotionFunc(void (*)(int, int)) {}
void glutKeyboardFunc(void (*)(unsigned char, int, int)) {}
void glutTimerFunc(unsigned int, void (*)(int), int) {}
void glutPostRedisplay() {}
void glutSwapBuffers() {}
void glutMainLoopEvent() {}
void glutSolidSphere(double, GLint, GLint) {}
void glutSolidCube(double) {}
