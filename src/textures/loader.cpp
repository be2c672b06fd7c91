// The texture loader: each image file uploaded under its fixed id, and the
// empty texture 0.
#include "textures/textures.h"

#include <GL/gl.h>

#include <cstdlib>
#include <iostream>

void loadTexture(const char* fileName, unsigned int textureId)
{
    std::cout << "trying to load " << fileName << std::endl;
    Image image;
    if (!readBmp(fileName, image)) {
        std::exit(1);  // the reader has printed why
    }
    glBindTexture(GL_TEXTURE_2D, textureId);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);  // rows are tightly packed at any width
    glTexImage2D(GL_TEXTURE_2D, 0, 3, image.width, image.height, 0, GL_RGB, GL_UNSIGNED_BYTE,
                 image.data.data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
}  // the pixels are released here; GL keeps its own copy

void defineTexture0()
{
    // Texture 0 has no picture of its own; give it defined (black) texels rather
    // than whatever the driver's fresh storage holds.
    static const unsigned char black[64 * 64 * 3] = {};
    glBindTexture(GL_TEXTURE_2D, 0);
    glTexImage2D(GL_TEXTURE_2D, 0, 3, 64, 64, 0, GL_RGB, GL_UNSIGNED_BYTE, black);
    glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP);
    glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP);
    glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
}
