// The one light and the material setter.
#include "app/app.h"

#include <GL/gl.h>

void initLighting()
{
    glEnable(GL_LIGHT0);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, lightDiffuse);
    glLightfv(GL_LIGHT0, GL_AMBIENT, lightAmbient);
    glLightfv(GL_LIGHT0, GL_SPECULAR, lightSpecular);
    glShadeModel(GL_SMOOTH);
}

void setMaterial(Material m)
{
    glMaterialfv(GL_FRONT, GL_AMBIENT, m.ambient);
    glMaterialfv(GL_FRONT, GL_DIFFUSE, m.diffuse);
    glMaterialfv(GL_FRONT, GL_SPECULAR, m.specular);
    glMaterialfv(GL_FRONT, GL_SHININESS, &m.shininess);
}

Material explosionMaterial(float a)
{
    return Material{{0.8f, 0.5f, 0.1f, a}, {0.5f, 0.2f, 0.2f, a}, {0.5f, 0.2f, 0.2f, a}, 20.0f};
}
