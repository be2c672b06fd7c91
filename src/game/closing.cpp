// The closing scene: a car slides in from +x to where the dog stood when 'q' was
// pressed; then the dog is flung up and away towards -x, spinning, while an
// explosion swells beside that place, and the program ends. One step per frame.
#include "app/app.h"
#include "game/game.h"
#include "render/render.h"

#include <GL/freeglut.h>
#include <GL/gl.h>

#include <cstdlib>

namespace {

// The car slides in by carSpeed per frame until carOffset is down to carArrived.
constexpr float carSpeed = 0.5f;
constexpr float carArrived = 0.5f;
// The explosion stage ends when the dog has been flung this far along -x.
constexpr float flingDistance = 20.0f;
// The end waits at most this long for the blast to ring out.
constexpr int blastRingOutMs = 1000;

// The car's picture, facing +z: a unit square at z carPictureZ, scaled by
// carScale, so that it is centred at carCentre in the car's frame.
void drawCar()
{
    glPushMatrix();
        glScalef(carScale, carScale, carScale);
        bindTexture(carTexture);
        glBegin(GL_POLYGON);
            glTexCoord2f(0.0f, 1.0f);
            glVertex3f(-0.5f, 0.5f, carPictureZ);
            glTexCoord2f(1.0f, 1.0f);
            glVertex3f(0.5f, 0.5f, carPictureZ);
            glTexCoord2f(1.0f, 0.0f);
            glVertex3f(0.5f, -0.5f, carPictureZ);
            glTexCoord2f(0.0f, 0.0f);
            glVertex3f(-0.5f, -0.5f, carPictureZ);
        glEnd();
    glPopMatrix();
}

// One frame of the explosion stage: flings the dog, draws the growing sphere,
// and ends the process once the dog is flingDistance away.
void explode()
{
    if (game.dogX == game.quitDogX) {  // the first frame of the blast: the dog not yet flung
        playSoundAt(BoomSound, closingPlace(explosionOffset));
    }
    game.dogY += 0.5f;
    game.dogX -= 1.0f;
    game.dogHeading += 20.0f;

    const float flung = game.quitDogX - game.dogX;
    setMaterial(explosionMaterial(1.0f - flung / 10.0f));
    glPushMatrix();
        glTranslatef(explosionOffset.x, explosionOffset.y, explosionOffset.z);
        bindTexture(sceneryTexture(explosionTexture));
        texturedSphere(flung * 3.0f / 10.0f);
        bindTexture(blankTexture);
    glPopMatrix();
    setMaterial(brightMaterial);

    if (game.quitDogX - flingDistance >= game.dogX) {
        finishSounds(blastRingOutMs);
        std::exit(0);
    }
}

}  // namespace

Vector3 closingPlace(Vector3 inCarFrame)
{
    return Vector3{game.quitDogX + carFrame.x + carArrived + inCarFrame.x, carFrame.y + inCarFrame.y,
                   game.quitDogZ + carFrame.z + inCarFrame.z};
}

void drawClosingSequence()
{
    bindTexture(blankTexture);
    setMaterial(brightMaterial);
    glPushMatrix();
        glTranslatef(game.quitDogX + carFrame.x + game.carOffset, carFrame.y, game.quitDogZ + carFrame.z);
        drawCar();
        if (game.carOffset <= carArrived) {
            explode();
        } else {
            game.carOffset -= carSpeed;
        }
    glPopMatrix();
}
