// make_textures: writes the game's twelve pictures as uncompressed 24-bit BMP
// files, named as the game's image table says, into the folder given on the
// command line. The drawing itself is portable/images/image_drawing.cpp.
//
// Usage: make_textures DIR
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "image_drawing.h"
#include "textures/images.h"

namespace {

// Writes the bytes to path; false, with errno set where the system said why, if it cannot.
bool writeFile(const std::string& path, const std::vector<unsigned char>& bytes) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "make_textures: expected one argument, the output folder\n"
                             "usage: make_textures DIR\n");
        return 2;
    }
    for (const TextureFile& file : textureFiles) {
        std::vector<unsigned char> bytes;
        if (!drawImageFile(file.id, bytes)) {
            std::fprintf(stderr, "make_textures: no drawing for %s (texture %u)\n", file.fileName, file.id);
            return 1;
        }
        const std::string path = std::string(argv[1]) + "/" + file.fileName;
        errno = 0;
        if (!writeFile(path, bytes)) {
            const char* reason = errno != 0 ? std::strerror(errno) : "write failed";
            std::fprintf(stderr, "make_textures: cannot write %s: %s\n", path.c_str(), reason);
            return 1;
        }
    }
    return 0;
}
