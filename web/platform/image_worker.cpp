// The page's image worker (images.js and images.wasm, run as a Web Worker by
// page.js): draws the game's twelve images with the desktop's own drawing, off
// the page's main thread, in the table's loading order, and posts each BMP's
// bytes with its file name to the page, which writes them into the game's
// in-memory folder before it starts the game.
#include <emscripten/emscripten.h>

#include <cstddef>
#include <vector>

#include "image_drawing.h"
#include "textures/images.h"

// Posts one image to the page: { name, bytes }, the bytes in an ArrayBuffer of
// their own that moves to the page rather than being copied.
EM_JS(void, postImage, (const char* name, const unsigned char* bytes, std::size_t size), {
    const copy = HEAPU8.slice(bytes, bytes + size);
    postMessage({ name : new TextDecoder().decode(HEAPU8.subarray(name, HEAPU8.indexOf(0, name))), bytes : copy.buffer },
                [copy.buffer]);
});

// Tells the page that an image could not be drawn: { failed: what }.
EM_JS(void, postFailure, (unsigned int texture), {
    postMessage({ failed : "the drawing has no image " + texture });
});

// Tells the page that every image is posted: { done: true }.
EM_JS(void, postDone, (), {
    postMessage({ done : true });
});

int main()
{
    for (const TextureFile& image : textureFiles) {
        std::vector<unsigned char> bytes;
        if (!drawImageFile(image.id, bytes)) {
            postFailure(image.id);
            return 1;
        }
        postImage(image.fileName, bytes.data(), bytes.size());
    }
    postDone();
    return 0;
}
