// The frame loop: one display call draws a whole frame and advances the game by
// one frame step; reshape keeps the window size and the projection.
#include "app/app.h"
#include "game/game.h"
#include "render/render.h"
#include "world/world.h"

#include <GL/freeglut.h>
#include <GL/gl.h>
#include <GL/glu.h>

void display()
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    gluLookAt(game.cameraEyeX, game.cameraEyeY, game.cameraEyeZ,
              game.cameraCenterX, game.cameraCenterY, game.cameraCenterZ,
              game.cameraUpX, game.cameraUpY, game.cameraUpZ);
    glTranslatef(sceneShift.x, sceneShift.y, sceneShift.z);

    glPushMatrix();
        drawGround();
        drawSky();

        if (game.freeWalk == 0 && game.quitting == 0) {
            dispatchLaunchState();
        } else if (game.quitting == 0) {
            freeWalkStep();
        }

        glPushMatrix();
            app.dogLift = world.gaitAngle >= 0.0f ? world.gaitAngle : 0.0f;
            glTranslatef(game.dogX, game.dogY + 1.0f + app.dogLift / 100.0f, game.dogZ);
            glRotatef(game.dogHeading + game.runYaw, 0.0f, 1.0f, 0.0f);
            drawDog();
        glPopMatrix();

        drawTrees();
        if (game.houseDestroyed == 0) {
            drawHouse();
        }
        updateWorld();

        if (game.freeWalk == 0) {
            glPushMatrix();
                glTranslatef(5.0f, 3.0f, 0.0f);
                drawMeter();
            glPopMatrix();
        }
        if (game.quitting != 0) {
            drawClosingSequence();
        }
    glPopMatrix();

    glutPostRedisplay();
    glutSwapBuffers();
}

void reshape(int width, int height)
{
    app.windowWidth = width;
    app.windowHeight = height;
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    // A minimised window can report a height of 0: keep the stored size true,
    // but give the projection a usable aspect ratio.
    const int aspectHeight = height > 0 ? height : 1;
    gluPerspective(50.0, static_cast<double>(app.windowWidth) / aspectHeight, 1.0, 200.0);
    glMatrixMode(GL_MODELVIEW);
    glViewport(0, 0, width, height);
    glLoadIdentity();
}
