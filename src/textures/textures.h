// Textures: the image record, the BMP reader and the loading of every image
// under its fixed texture id.
#pragma once

#include <cstdint>
#include <cstdio>
#include <vector>

// The table of images (generated from images.json): textureFiles, the texture
// id constants (brickTexture, blankTexture, ...) and furTextureFileCount.
#include "textures/images.h"

// A decoded picture: width x height pixels, 3 bytes each in red, green, blue
// order, rows tightly packed from the bottom of the picture up.
struct Image {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> data;
};

// Reads an uncompressed 24-bit BMP into image. Returns 1 on success; on failure
// prints one line naming the file and returns 0 (image is then left empty).
// Bottom-up and top-down files, padded rows, larger info headers and colour
// tables are read; the pixels are taken from the offset the file states.
// Refused before anything is allocated: a side above maxBmpSide, a pixel block
// above maxBmpBytes, or a file too short to hold its pixel block.
int readBmp(const char* fileName, Image& image);
// As readBmp, from an open, seekable stream positioned at the first byte of the
// file; fileName only names it in messages. The caller keeps and closes stream.
int readBmpStream(std::FILE* stream, const char* fileName, Image& image);
inline constexpr int maxBmpSide = 16384;
inline constexpr std::int64_t maxBmpBytes = std::int64_t{256} * 1024 * 1024;
// Little-endian readers; each sets ok to false at end of file.
std::int32_t readInt32LE(std::FILE* stream, bool& ok);
std::uint16_t readUInt16LE(std::FILE* stream, bool& ok);
// Prints "trying to load <name>", reads the file and uploads it under textureId.
// Returns only on success; on any failure ends the process with exit code 1.
void loadTexture(const char* fileName, unsigned int textureId);
// Defines texture 0: 64 x 64, no pixels, clamped, nearest filtering.
void defineTexture0();
