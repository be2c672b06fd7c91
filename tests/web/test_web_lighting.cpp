// The browser's lighting equation against the desktop's GL. The cases draw a
// lit square that fills a small window under the real GL (Mesa under Xvfb) and
// read its colour back; the equation must give the same colour within one
// level of 255.
#include "app/app.h"
#include "fixed_function_lighting.h"

#include <GL/freeglut.h>
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace {

constexpr int side = 16;

void copy4(float* to, const float* from)
{
    for (int i = 0; i < 4; ++i) to[i] = from[i];
}

web::LightState gameLight()
{
    web::LightState light;
    copy4(light.ambient, lightAmbient);
    copy4(light.diffuse, lightDiffuse);
    copy4(light.specular, lightSpecular);
    light.enabled = true;
    return light;
}

// What the desktop's GL draws for a surface facing n under material m.
void desktopColour(const Material& m, const float n[3], unsigned char rgb[3])
{
    glViewport(0, 0, side, side);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_LIGHTING);
    initLighting();
    setMaterial(m);
    glBegin(GL_QUADS);
        glNormal3f(n[0], n[1], n[2]);
        glVertex2f(-1.0f, -1.0f);
        glVertex2f(1.0f, -1.0f);
        glVertex2f(1.0f, 1.0f);
        glVertex2f(-1.0f, 1.0f);
    glEnd();
    glFinish();
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(side / 2, side / 2, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, rgb);
}

TEST(WebLighting, MatchesTheDesktopWithinOneLevel)
{
    struct NamedMaterial { const char* name; Material m; };
    const NamedMaterial materials[] = {
        {"meter low", meterLowMaterial}, {"meter high", meterHighMaterial}, {"bright", brightMaterial},
        {"house (shininess 0)", houseMaterial}, {"fur", furMaterial}, {"nose", noseMaterial},
        {"eye white", eyeWhiteMaterial}, {"meter frame", meterFrameMaterial},
    };
    const float normals[][3] = {
        {0.0f, 0.0f, 1.0f},  {0.6f, 0.0f, 0.8f},     {0.0f, -0.8f, 0.6f}, {0.3f, 0.4f, -0.866f},
        {0.0f, 0.0f, 0.5f},  {0.0f, 0.0f, 1.6f},     {0.9f, 0.1f, 0.42f},  // scaled normals stay scaled
    };
    const web::LightState light = gameLight();
    for (const NamedMaterial& nm : materials) {
        web::MaterialState material;
        copy4(material.ambient, nm.m.ambient);
        copy4(material.diffuse, nm.m.diffuse);
        copy4(material.specular, nm.m.specular);
        material.shininess = nm.m.shininess;
        for (const auto& n : normals) {
            unsigned char desktop[3] = {};
            desktopColour(nm.m, n, desktop);
            float ours[4] = {};
            web::lightVertex(light, material, n, ours);
            for (int c = 0; c < 3; ++c) {
                EXPECT_NEAR(ours[c] * 255.0f, desktop[c], 1.0f)
                    << nm.name << ", normal (" << n[0] << ", " << n[1] << ", " << n[2] << "), channel " << c;
            }
            EXPECT_FLOAT_EQ(ours[3], nm.m.diffuse[3]) << nm.name;
        }
    }
}

TEST(WebLighting, WithTheLightOffOnlyTheSceneAmbientRemains)
{
    web::LightState light = gameLight();
    light.enabled = false;
    web::MaterialState material;
    material.ambient[0] = 1.0f;
    material.ambient[1] = 0.5f;
    material.ambient[2] = 0.0f;
    material.diffuse[3] = 0.8f;
    const float n[3] = {0.0f, 0.0f, 1.0f};
    float rgba[4] = {};
    web::lightVertex(light, material, n, rgba);
    EXPECT_FLOAT_EQ(rgba[0], 0.2f);
    EXPECT_FLOAT_EQ(rgba[1], 0.1f);
    EXPECT_FLOAT_EQ(rgba[2], 0.0f);
    EXPECT_FLOAT_EQ(rgba[3], 0.8f);
}

}  // namespace

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    glutInit(&argc, argv);
    glutInitWindowSize(side, side);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutCreateWindow("lighting");
    return RUN_ALL_TESTS();
}
