// What every drawing file shares: texture binding, the scenery's texture ids and
// the quadrics, each made for one draw and deleted after it.
#include "render/render.h"

#include "game/game.h"

#include <GL/gl.h>
#include <GL/glu.h>

namespace {

// A fresh quadric; textured ones fill and generate texture coordinates.
// Null when GLU could not allocate one.
GLUquadric* newQuadric(bool textured)
{
    GLUquadric* quadric = gluNewQuadric();
    if (quadric != nullptr && textured) {
        gluQuadricDrawStyle(quadric, GLU_FILL);
        gluQuadricTexture(quadric, GL_TRUE);
    }
    return quadric;
}

void cylinder(bool textured, float base, float top, float height, int slices, int stacks)
{
    GLUquadric* quadric = newQuadric(textured);
    if (quadric == nullptr) {
        return;
    }
    gluCylinder(quadric, base, top, height, slices, stacks);
    gluDeleteQuadric(quadric);
}

}  // namespace

int sceneryTexture(int picture)
{
    return game.dogTextureCount + (picture - furTextureFileCount);
}

void bindTexture(int id)
{
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(id));
}

void texturedSphere(float radius, int slices, int stacks)
{
    GLUquadric* quadric = newQuadric(true);
    if (quadric == nullptr) {
        return;
    }
    gluSphere(quadric, radius, slices, stacks);
    gluDeleteQuadric(quadric);
}

void texturedCylinder(float base, float top, float height, int slices, int stacks)
{
    cylinder(true, base, top, height, slices, stacks);
}

void plainCylinder(float base, float top, float height, int slices, int stacks)
{
    cylinder(false, base, top, height, slices, stacks);
}
