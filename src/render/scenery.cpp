// The fixed scenery: ground, turning sky, the tree model, the textured box and
// the brick house with its blast.
#include "render/render.h"

#include "app/app.h"
#include "game/game.h"
#include "world/world.h"

#include <GL/freeglut.h>
#include <GL/gl.h>

#include <cmath>

namespace {

struct TexturedVertex {
    float x, y, z;
    float s, t;
};

// The ground square at y = 0: s follows z, t follows x, the texture stretched once.
constexpr float groundX = static_cast<float>(worldHalfSizeX);
constexpr float groundZ = static_cast<float>(worldHalfSizeZ);
constexpr TexturedVertex groundCorners[] = {
    {-groundX, 0.0f, -groundZ, 0.0f, 0.0f},
    {groundX, 0.0f, -groundZ, 0.0f, 1.0f},
    {groundX, 0.0f, groundZ, 1.0f, 1.0f},
    {-groundX, 0.0f, groundZ, 1.0f, 0.0f},
};

// The unit box: the four sides share the texture in quarters of s (the -x side
// runs from 0.75 back to 0, mirrored); top and bottom each take all of it.
constexpr TexturedVertex boxFaces[6][4] = {
    // front, z = 0.5
    {{-0.5f, 0.5f, 0.5f, 0.0f, 1.0f}, {0.5f, 0.5f, 0.5f, 0.25f, 1.0f},
     {0.5f, -0.5f, 0.5f, 0.25f, 0.0f}, {-0.5f, -0.5f, 0.5f, 0.0f, 0.0f}},
    // +x side
    {{0.5f, 0.5f, -0.5f, 0.5f, 1.0f}, {0.5f, -0.5f, -0.5f, 0.5f, 0.0f},
     {0.5f, -0.5f, 0.5f, 0.25f, 0.0f}, {0.5f, 0.5f, 0.5f, 0.25f, 1.0f}},
    // back, z = -0.5
    {{-0.5f, -0.5f, -0.5f, 0.75f, 0.0f}, {0.5f, -0.5f, -0.5f, 0.5f, 0.0f},
     {0.5f, 0.5f, -0.5f, 0.5f, 1.0f}, {-0.5f, 0.5f, -0.5f, 0.75f, 1.0f}},
    // -x side
    {{-0.5f, -0.5f, -0.5f, 0.75f, 0.0f}, {-0.5f, 0.5f, -0.5f, 0.75f, 1.0f},
     {-0.5f, 0.5f, 0.5f, 0.0f, 1.0f}, {-0.5f, -0.5f, 0.5f, 0.0f, 0.0f}},
    // top, y = 0.5
    {{-0.5f, 0.5f, -0.5f, 0.0f, 0.0f}, {0.5f, 0.5f, -0.5f, 0.0f, 1.0f},
     {0.5f, 0.5f, 0.5f, 1.0f, 1.0f}, {-0.5f, 0.5f, 0.5f, 1.0f, 0.0f}},
    // bottom, y = -0.5
    {{-0.5f, -0.5f, -0.5f, 0.0f, 0.0f}, {0.5f, -0.5f, -0.5f, 0.0f, 1.0f},
     {0.5f, -0.5f, 0.5f, 1.0f, 1.0f}, {-0.5f, -0.5f, 0.5f, 1.0f, 0.0f}},
};

// One textured polygon, each vertex after its texture coordinate.
void drawPolygon(const TexturedVertex (&corners)[4])
{
    glBegin(GL_POLYGON);
        for (const TexturedVertex& v : corners) {
            glTexCoord2f(v.s, v.t);
            glVertex3f(v.x, v.y, v.z);
        }
    glEnd();
}

// The two roof boards mirror each other: side +1 is the board over +x.
// During the blast each flies off sideways and tumbles about its own axis.
struct RoofBoard {
    float side;
    float tumbleAxisY;
};
constexpr RoofBoard roofBoards[] = {{1.0f, 0.1f}, {-1.0f, 0.2f}};

}  // namespace

void drawGround()
{
    setMaterial(grassMaterial);
    bindTexture(sceneryTexture(barkTexture));
    drawPolygon(groundCorners);
}

void drawSky()
{
    // The sphere reaches the corners of the ground.
    const float radius = std::sqrt(static_cast<float>(worldHalfSizeX * worldHalfSizeX +
                                                      worldHalfSizeZ * worldHalfSizeZ));
    glPushMatrix();
        bindTexture(sceneryTexture(cloudTexture));
        setMaterial(brightMaterial);
        glRotatef(world.skyRotation + 90.0f, 0.0f, 1.0f, 0.0f);
        texturedSphere(radius, 50, 50);
        bindTexture(blankTexture);
    glPopMatrix();
}

void drawTree()
{
    glPushMatrix();
        // The crown: a ring of ten small spheres under one large one.
        glPushMatrix();
            glTranslatef(0.0f, 5.0f, 0.0f);
            bindTexture(sceneryTexture(leafTexture));
            for (int i = 0; i < 10; ++i) {
                glPushMatrix();
                    glRotatef(36.0f * static_cast<float>(i), 0.0f, 1.0f, 0.0f);
                    glTranslatef(2.0f, -1.0f, 0.0f);
                    texturedSphere(1.0f);
                glPopMatrix();
            }
            glPushMatrix();
                texturedSphere(2.0f);
            glPopMatrix();
        glPopMatrix();
        // The trunk, from the ground up to the crown.
        glRotatef(-90.0f, 1.0f, 0.0f, 0.0f);
        setMaterial(trunkMaterial);
        bindTexture(sceneryTexture(barkTexture));
        texturedCylinder(0.5f, 0.5f, 5.0f);
    glPopMatrix();
    bindTexture(blankTexture);
}

void drawBox(int texture)
{
    bindTexture(texture);
    for (const auto& face : boxFaces) {
        drawPolygon(face);
    }
    bindTexture(blankTexture);
}

void drawHouse()
{
    const bool hit = game.houseHit != 0;
    const float t = game.houseBlastTime;
    const float s = std::sqrt(12.5f);
    const int brick = sceneryTexture(brickTexture);

    glPushMatrix();
        glTranslatef(houseX, 2.5f, houseZ);

        if (hit) {
            const Material explosionHouse = explosionMaterial(1.0f - t / 30.0f);
            glPushMatrix();
                setMaterial(explosionHouse);
                bindTexture(sceneryTexture(explosionTexture));
                texturedSphere(t / 2.2f + 2.0f);
                bindTexture(blankTexture);
            glPopMatrix();
        }

        setMaterial(houseMaterial);
        for (const RoofBoard& board : roofBoards) {
            glPushMatrix();
                if (hit) {
                    glTranslatef(board.side * t, t / 5.0f, 0.0f);
                }
                glTranslatef(board.side * 2.5f, 2.5f, 0.0f);
                glRotatef(-board.side * 45.0f, 0.0f, 0.0f, 1.0f);
                glTranslatef(-board.side * s / 3.0f, 0.0f, 0.0f);
                if (hit) {
                    glRotatef(-board.side * 10.0f * t, 0.3f, board.tumbleAxisY, 1.0f);
                }
                glScalef(1.0f, 0.05f, 1.0f);
                glScalef(5.0f, 5.0f, 5.0f);
                setMaterial(houseMaterial);
                drawBox(brick);
            glPopMatrix();
        }

        // The body: door, walls and gable rise and turn together.
        glPushMatrix();
            if (hit) {
                glTranslatef(0.0f, t, 0.0f);
                glRotatef(10.0f * t, 0.0f, 0.5f, 1.0f);
            }
            setMaterial(blackMaterial);
            glPushMatrix();
                glTranslatef(0.0f, -1.0f, 1.55f);
                glScalef(3.0f, 3.0f, 0.5f);
                glutSolidCube(1.0);
            glPopMatrix();
            setMaterial(houseMaterial);
            glPushMatrix();
                glScalef(1.0f, 1.0f, s / 5.0f);
                glScalef(5.0f, 5.0f, 5.0f);
                setMaterial(houseMaterial);
                drawBox(brick);
            glPopMatrix();
            glPushMatrix();
                glTranslatef(0.0f, 2.5f, 0.0f);
                glRotatef(45.0f, 0.0f, 0.0f, 1.0f);
                glScalef(s, s, s);
                setMaterial(houseMaterial);
                drawBox(brick);
            glPopMatrix();
        glPopMatrix();
    glPopMatrix();
}
