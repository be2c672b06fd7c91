// The fifteen trees: each frame every tree is first knocked or tipped further,
// then drawn, tipped, bursting and fading as its state says.
#include "render/render.h"

#include "app/app.h"
#include "game/game.h"
#include "world/world.h"

#include <GL/gl.h>

namespace {

// How far from a tree's foot, in x and in z, the dog knocks it over.
constexpr float treeReach = 2.0f;
// The tree tips this far per frame and stops once past 180.
constexpr float tipStep = 5.0f;
constexpr float tipLimit = 180.0f;

// The leaves, fading with alpha a.
Material leafMaterial(float a)
{
    return Material{{0.2f, 1.0f, 0.2f, a}, {0.2f, 1.0f, 0.2f, a}, {0.2f, 1.0f, 0.2f, a}, 8.0f};
}

// A standing tree is knocked when the dog is within reach on the ground plane
// (bounds inclusive, height ignored); a knocked one tips on until past 180.
void stepKnockOver(ScatteredObject& tree)
{
    if (tree.knocked != 0) {
        if (tree.tipAngle <= tipLimit) {
            tree.tipAngle += tipStep;
        }
    } else if (tree.x - treeReach <= game.dogX && game.dogX <= tree.x + treeReach &&
               tree.z - treeReach <= game.dogZ && game.dogZ <= tree.z + treeReach) {
        tree.knocked = 1;
        playSoundAt(TreeSound, Vector3{tree.x, 2.0f, tree.z});
    }
}

}  // namespace

void drawTrees()
{
    for (ScatteredObject& object : world.scatteredObjects) {
        glPushMatrix();
            stepKnockOver(object);
            glTranslatef(object.x, 0.0f, object.z);

            const float a = 1.0f - object.tipAngle / tipLimit;
            const Material explosionTree = explosionMaterial(a);
            setMaterial(explosionTree);
            if (object.knocked != 0 && object.tipAngle <= tipLimit) {
                glPushMatrix();
                    glTranslatef(0.0f, 2.0f, 0.0f);
                    bindTexture(sceneryTexture(explosionTexture));
                    texturedSphere(object.tipAngle / 40.0f + 1.0f);
                    bindTexture(blankTexture);
                glPopMatrix();
            }

            // Every tree falls towards +z about the x axis through its foot, whatever its yaw.
            glRotatef(object.tipAngle, 1.0f, 0.0f, 0.0f);
            glRotatef(object.yaw, 0.0f, 1.0f, 0.0f);
            const Material tree = leafMaterial(a);
            setMaterial(tree);
            drawTree();
        glPopMatrix();
    }
}
