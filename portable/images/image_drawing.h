// The drawing of the game's images, shared by the make_textures tool and the
// browser build, which draws them in the page instead of downloading them.
#pragma once

#include <vector>

// Draws the image of the game's table with this texture id (textures/images.h)
// and puts the bytes of its uncompressed 24-bit BMP file into file. The same id
// gives the same bytes on every machine. Returns false, leaving file as it was,
// for an id the table does not have.
bool drawImageFile(unsigned int texture, std::vector<unsigned char>& file);
