// The game includes freeglut's header; in the browser the GLUT part of it is all
// there is, and the browser layer supplies its functions.
#pragma once

#include <GL/glut.h>
