// Start-up: the window, the callbacks, the trees, the fixed GL state, the light,
// the twelve textures, the first blink timer and the sound, in that order.
#include "app/app.h"
#include "game/game.h"
#include "sound/sound.h"
#include "textures/textures.h"
#include "world/world.h"

#include <GL/freeglut.h>
#include <GL/gl.h>

AppState app;

void resetAllState()
{
    game = GameState{};
    world = WorldState{};
    app = AppState{};
}

void startUp(int* argc, char** argv)
{
    glutInit(argc, argv);
    glutInitWindowSize(1000, 500);
    glutInitWindowPosition(100, 100);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutCreateWindow("My Second Window");
    glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
    app.windowWidth = 400;
    app.windowHeight = 200;

    glutDisplayFunc(display);
    glutReshapeFunc(reshape);
    glutMouseFunc(mouseButton);
    glutPassiveMotionFunc(passiveMotion);
    glutKeyboardFunc(keyboard);

    game.dogX = 0.0f;
    game.dogY = 0.0f;
    game.dogZ = 0.0f;
    scatterObjects();

    glEnable(GL_DEPTH_TEST);
    glEnable(GL_LIGHTING);
    glEnable(GL_BLEND);
    glEnable(GL_TEXTURE_2D);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    initLighting();

    defineTexture0();
    int loaded = 0;
    for (const TextureFile& file : textureFiles) {
        loadTexture(file.fileName, file.id);
        if (++loaded == furTextureFileCount) {
            game.currentFurTexture = 1;
            game.dogTextureCount = furTextureFileCount;
        }
    }

    glutTimerFunc(static_cast<unsigned int>(blinkShortMs), blinkTimer, 0);
    soundStartUp();
}
