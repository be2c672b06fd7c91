// The dog, built from spheres and cylinders, and its bone. Everything is drawn
// from the animation values of the world and the game; nothing here writes them.
#include "render/render.h"

#include "app/app.h"
#include "game/game.h"
#include "world/world.h"

#include <GL/freeglut.h>
#include <GL/gl.h>

namespace {

void bindFur()
{
    bindTexture(game.currentFurTexture);
}

// One leg from its top: the leg swings by swing about x and its paw is turned
// back by the same amount, so it stays level.
void drawLegAndPaw(float x, float swing)
{
    glPushMatrix();
        glTranslatef(x, 0.0f, 0.0f);
        glRotatef(swing, 1.0f, 0.0f, 0.0f);
        glPushMatrix();
            glTranslatef(0.0f, -0.75f, 0.0f);
            glRotatef(-swing, 1.0f, 0.0f, 0.0f);
            drawPaw();
        glPopMatrix();
        drawLeg();
    glPopMatrix();
}

// The eyeballs sit either side of the head's centre line; each open eye's pupil
// is moved 0.03 towards that line.
struct EyePlace {
    float x;
    float pupilShift;
};
constexpr EyePlace eyePlaces[] = {{-0.15f, 0.03f}, {0.15f, -0.03f}};

// A fan of three whiskers on each side of the muzzle.
struct WhiskerFan {
    float x;
    float yaw;
};
constexpr WhiskerFan whiskerFans[] = {{0.4f, 90.0f}, {-0.4f, -90.0f}};
constexpr float whiskerSpread[] = {20.0f, 0.0f, -20.0f};

// The bone's four knobs, in drawing order (the first sits at -0.3, not -0.4).
struct Knob {
    float x, y, z;
};
constexpr Knob boneKnobs[] = {
    {0.15f, 0.0f, -0.3f}, {-0.15f, 0.0f, -0.4f}, {-0.15f, 0.0f, 0.4f}, {0.15f, 0.0f, 0.4f}};

}  // namespace

void drawBody()
{
    bindFur();
    glScalef(1.0f, 1.0f, 1.5f);
    texturedSphere(0.5f);
}

void drawJoint()
{
    bindFur();
    texturedSphere(0.5f);
}

void drawNeck()
{
    glRotatef(world.wagAngle / 4.0f, 1.0f, 1.0f, 0.0f);
    bindFur();
    glPushMatrix();
        glTranslatef(0.0f, 0.0f, 0.4f);
        setMaterial(collarMaterial);
        plainCylinder(0.4f, 0.4f, 0.2f);
    glPopMatrix();
    setMaterial(furMaterial);
    texturedCylinder(0.2f, 0.2f, 1.0f);
}

void drawMuzzle()
{
    bindFur();
    glTranslatef(0.0f, 0.0f, 0.25f);
    glScalef(1.0f, 1.0f, 1.5f);
    texturedSphere(0.5f);
}

void drawSkull()
{
    bindFur();
    glTranslatef(0.0f, 0.25f, 0.0f);
    glPushMatrix();
        glRotatef(world.wagAngle, 0.0f, 0.0f, 1.0f);
        glTranslatef(-0.25f, 0.5f, -0.25f);
        glRotatef(-30.0f, 0.0f, 0.0f, 1.0f);
        texturedCylinder(0.25f, 0.0f, 0.25f, 3, 30);
    glPopMatrix();
    glPushMatrix();
        glRotatef(-world.wagAngle, 0.0f, 0.0f, 1.0f);
        glTranslatef(0.25f, 0.5f, -0.25f);
        glRotatef(30.0f, 0.0f, 0.0f, 1.0f);
        texturedCylinder(0.25f, 0.0f, 0.25f, 3, 30);
    glPopMatrix();
    glScalef(0.5f, 0.5f, 0.5f);
    texturedSphere(1.0f);
}

void drawPupil()
{
    setMaterial(pupilMaterial);
    bindTexture(blankTexture);
    glTranslatef(0.0f, 0.1f, 0.15f);
    glScalef(0.75f, 1.0f, 1.0f);
    glutSolidSphere(0.1, 30, 30);
    bindFur();
    setMaterial(eyeWhiteMaterial);
}

void drawEyes()
{
    bindFur();
    if (game.eyesClosed != 0) {
        // Fur lids in the fur material already current: no pupils, no eye whites.
        for (const EyePlace& eye : eyePlaces) {
            glPushMatrix();
                glTranslatef(eye.x, 0.0f, 0.0f);
                glScalef(0.75f, 1.0f, 1.0f);
                texturedSphere(0.25f);
            glPopMatrix();
        }
        return;
    }
    setMaterial(eyeWhiteMaterial);
    for (const EyePlace& eye : eyePlaces) {
        glPushMatrix();
            glTranslatef(eye.x, 0.0f, 0.0f);
            // Pupil first, then its eyeball: the order the translucent pupil blends in.
            glPushMatrix();
                glTranslatef(eye.pupilShift, 0.0f, 0.0f);
                drawPupil();
            glPopMatrix();
            glScalef(0.75f, 1.0f, 1.0f);
            texturedSphere(0.25f);
        glPopMatrix();
    }
    setMaterial(furMaterial);
}

void drawNose()
{
    bindFur();
    if (game.dogHasBone != 0) {
        glPushMatrix();
            glTranslatef(0.0f, -0.3f, 1.0f);
            glRotatef(90.0f, 1.0f, 0.0f, 0.0f);
            drawBone();
        glPopMatrix();
    }
    setMaterial(noseMaterial);
    glPushMatrix();
        glTranslatef(0.0f, 0.0f, 0.9f);
        glutSolidSphere(0.25, 30, 30);
    glPopMatrix();
    for (const WhiskerFan& fan : whiskerFans) {
        glPushMatrix();
            glTranslatef(fan.x, 0.0f, 0.75f);
            glRotatef(fan.yaw, 0.0f, 1.0f, 0.0f);
            for (float spread : whiskerSpread) {
                glPushMatrix();
                    glRotatef(world.wagAngle / 3.0f + spread, 1.0f, 0.0f, 0.0f);
                    plainCylinder(0.01f, 0.01f, 0.5f);
                glPopMatrix();
            }
        glPopMatrix();
    }
    setMaterial(furMaterial);
}

void drawTailSegment(int n, int divisor, float angle)
{
    bindFur();
    // The tip link (n = 0) works out a base radius of -0.005, which GLU refuses;
    // it is drawn with 0, the tip the tail tapers to.
    const float base = static_cast<float>(n - 1) * 0.1f / static_cast<float>(divisor);
    const float top = static_cast<float>(n) * 0.1f / static_cast<float>(divisor);
    glPushMatrix();
        glTranslatef(0.0f, 0.0f, -0.05f);
        glRotatef(angle, 0.0f, 1.0f, 0.0f);
        texturedCylinder(base > 0.0f ? base : 0.0f, top, 0.1f);
        if (n > 0) {
            drawTailSegment(n - 1, divisor, angle);
        }
    glPopMatrix();
}

void drawTail()
{
    bindFur();
    glRotatef(60.0f, 1.0f, 0.0f, 0.0f);
    drawTailSegment(25, 20, world.wagAngle);
    texturedCylinder(0.1f, 0.1f, 0.1f);
}

void drawLeg()
{
    bindFur();
    glRotatef(90.0f, 1.0f, 0.0f, 0.0f);
    texturedCylinder(0.1f, 0.1f, 0.75f);
}

void drawPaw()
{
    bindFur();
    glPushMatrix();
        glTranslatef(0.0f, 0.0f, 0.125f);
        glScalef(0.5f, 0.5f, 0.75f);
        texturedSphere(0.5f);
    glPopMatrix();
}

void drawDog()
{
    // Untextured primitives (GLUT spheres, plain cylinders) use the current
    // texture coordinate; start every dog from the same one.
    bindFur();
    setMaterial(furMaterial);
    glTexCoord2f(0.0f, 0.0f);

    glPushMatrix();
        // Front half: head, neck, front legs and shoulder.
        glPushMatrix();
            glRotatef(world.gaitAngle / 3.0f, 1.0f, 0.0f, 0.0f);
            glRotatef(world.bodySway, 0.0f, 1.0f, 0.0f);
            glTranslatef(0.0f, 0.0f, 0.5f);
            glPushMatrix();
                glRotatef(game.neckLift - 50.0f, 1.0f, 0.0f, 0.0f);
                glPushMatrix();
                    glRotatef(world.headNod / 5.0f, 1.0f, 0.0f, 0.0f);
                    glRotatef(world.headTurn / 2.0f, 0.0f, 1.0f, 1.0f);
                    glTranslatef(0.0f, 0.0f, 1.0f);
                    glRotatef(50.0f, 1.0f, 0.0f, 0.0f);
                    glPushMatrix();
                        glPushMatrix();
                            glPushMatrix();
                                glTranslatef(0.0f, 0.4f, 0.25f);
                                drawEyes();
                            glPopMatrix();
                            drawSkull();
                        glPopMatrix();
                        drawNose();
                    glPopMatrix();
                    drawMuzzle();
                glPopMatrix();
                drawNeck();
            glPopMatrix();
            drawLegAndPaw(-0.25f, world.gaitAngle);
            drawLegAndPaw(0.25f, world.gaitAngle);
            drawJoint();
        glPopMatrix();

        // Rear half: tail, rear legs and hip.
        glPushMatrix();
            glRotatef(-world.gaitAngle / 3.0f, 1.0f, 0.0f, 0.0f);
            glTranslatef(0.0f, 0.0f, -0.5f);
            glPushMatrix();
                glTranslatef(0.0f, 0.2f, 0.0f);
                drawTail();
            glPopMatrix();
            drawLegAndPaw(-0.25f, -world.gaitAngle);
            drawLegAndPaw(0.25f, -world.gaitAngle);
            drawJoint();
        glPopMatrix();

        drawBody();
    glPopMatrix();

    glTexCoord2f(1.0f, 1.0f);
    bindTexture(blankTexture);
}

void drawBone()
{
    setMaterial(boneMaterial);
    bindTexture(blankTexture);
    glPushMatrix();
        glTranslatef(game.boneX, game.boneY, game.boneZ);
        glRotatef(-game.boneSpin, 1.0f, 0.0f, 1.0f);
        glRotatef(90.0f, 0.0f, 1.0f, 0.0f);
        for (const Knob& knob : boneKnobs) {
            glPushMatrix();
                glTranslatef(knob.x, knob.y, knob.z);
                glutSolidSphere(0.2, 30, 30);
            glPopMatrix();
        }
        glScalef(0.5f, 0.5f, 2.0f);
        glutSolidSphere(0.25, 30, 30);
    glPopMatrix();
}
