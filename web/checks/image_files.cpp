// The game's twelve images for a check page that runs the game's own code: it
// calls fetchWebWriteImage once for each image before it starts the game, which
// then reads the files from the page's in-memory file system as the desktop
// reads its own. (The site's page has them drawn by its image worker,
// web/platform/image_worker.cpp.)
#include <emscripten/emscripten.h>

#include <cstdio>
#include <iterator>
#include <string>
#include <vector>

#include "image_drawing.h"
#include "textures/images.h"

// Draws the image at this index of the table (textures/images.h) and writes
// its BMP file, under the table's file name, into the file system's root folder,
// where the game looks. Returns 1 when written, 0 for an index past the table's
// end, -1 when the drawing or the write failed.
extern "C" EMSCRIPTEN_KEEPALIVE int fetchWebWriteImage(int index)
{
    if (index < 0 || index >= static_cast<int>(std::size(textureFiles))) {
        return 0;
    }
    const TextureFile& image = textureFiles[index];
    std::vector<unsigned char> bytes;
    if (!drawImageFile(image.id, bytes)) {
        return -1;
    }
    std::FILE* file = std::fopen((std::string("/") + image.fileName).c_str(), "wb");
    if (file == nullptr) {
        return -1;
    }
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written ? 1 : -1;
}
