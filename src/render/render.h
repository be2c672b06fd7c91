// Models and scenery: the dog and its bone, the ground, the sky, the tree model,
// the textured box, the house, and the fifteen trees with their knock-over state.
// Every routine draws into the current model-view matrix; callers bracket them.
#pragma once

// --- The dog ---------------------------------------------------------------------------
// The whole dog in its own frame (+z forward, +y up), from the animation values.
// Leaves the blank texture bound and the texture coordinate at (1, 1).
void drawDog();
// The bone at (boneX, boneY, boneZ), spun by boneSpin. Leaves the blank texture bound.
void drawBone();
// The dog's parts; each may leave the matrix changed (drawDog brackets them).
void drawBody();
void drawJoint();
void drawNeck();
void drawMuzzle();
void drawSkull();
void drawPupil();
void drawEyes();
void drawNose();
void drawTailSegment(int n, int divisor, float angle);
void drawTail();
void drawLeg();
void drawPaw();

// --- Scenery ---------------------------------------------------------------------------
void drawGround();               // the 120 x 120 bark-textured ground; leaves bark bound
void drawSky();                  // the turning cloud sphere
void drawTree();                 // one tree at the origin, in the leaf material set by the caller
void drawBox(int texture);       // a unit box with texture wrapped around its sides
void drawHouse();                // the brick house at (houseX, houseZ) and its blast

// --- The fifteen trees ------------------------------------------------------------------
// Advances each tree's knock-over state against the dog's position, then draws it.
void drawTrees();

// --- Shared by the drawing files ----------------------------------------------------------
// The texture id a scenery picture (brickTexture ... explosionTexture) is bound
// under: its place after the furs, counted on from the current dogTextureCount.
int sceneryTexture(int picture);
// glBindTexture on GL_TEXTURE_2D.
void bindTexture(int id);

// Quadrics made for one draw and deleted after it. Textured ones have GLU_FILL and
// texture coordinates on; the plain cylinder keeps GLU's defaults.
void texturedSphere(float radius, int slices = 30, int stacks = 30);
void texturedCylinder(float base, float top, float height, int slices = 30, int stacks = 1);
void plainCylinder(float base, float top, float height, int slices = 30, int stacks = 1);
