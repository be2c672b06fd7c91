// The game's entry point: set-up, then the GLUT main loop, which never returns.
// The process ends through exit(): 1 when an image cannot be loaded, 0 at the
// end of the closing scene, or when GLUT closes the window.
#include "app/app.h"

#include <GL/freeglut.h>

int main(int argc, char** argv)
{
    startUp(&argc, argv);
    glutMainLoop();
    return 0;
}
