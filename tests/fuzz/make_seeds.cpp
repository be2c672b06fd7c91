// Writes the fuzzer's seed files into a folder: a few good BMPs of the layouts
// the reader accepts and a few broken ones. Usage: fuzz_bmp_seeds FOLDER
#include <cstdint>
#include <fstream>
#include <string>

namespace {

struct Seed {
    const char* name;
    std::int32_t width, height;
    std::uint16_t bitsPerPixel;
    std::int32_t compression, infoSize, colourTableEntries;
    std::int64_t dataOffset;  // -1: where the pixels start
    std::size_t keepBytes;    // the file is cut after this many bytes
};

const Seed seeds[] = {
    {"good_4x1.bmp", 4, 1, 24, 0, 40, 0, -1, SIZE_MAX},
    {"good_3x2_padded.bmp", 3, 2, 24, 0, 40, 0, -1, SIZE_MAX},
    {"good_5x3_top_down.bmp", 5, -3, 24, 0, 40, 0, -1, SIZE_MAX},
    {"good_2x2_v5_table.bmp", 2, 2, 24, 0, 124, 2, -1, SIZE_MAX},
    {"bad_32bpp.bmp", 2, 2, 32, 0, 40, 0, -1, SIZE_MAX},
    {"bad_rle.bmp", 4, 1, 24, 1, 40, 0, -1, SIZE_MAX},
    {"bad_offset.bmp", 4, 1, 24, 0, 40, 0, 4000, SIZE_MAX},
    {"bad_short_pixels.bmp", 3, 3, 24, 0, 40, 0, -1, 70},
    {"bad_short_header.bmp", 4, 1, 24, 0, 40, 0, -1, 30},
};

void putLE(std::string& out, std::int64_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i) {
        out += static_cast<char>((value >> (8 * i)) & 0xff);
    }
}

std::string bmpBytes(const Seed& seed)
{
    const std::int64_t rows = seed.height < 0 ? -std::int64_t{seed.height} : seed.height;
    const std::int64_t rowBytes = (std::int64_t{seed.width} * seed.bitsPerPixel / 8 + 3) / 4 * 4;
    const std::int64_t pixelStart = 14 + seed.infoSize + 4 * seed.colourTableEntries;
    std::string pixels;
    for (std::int64_t i = 0; i < rows * rowBytes; ++i) {
        pixels += static_cast<char>(i * 37 + 11);
    }
    std::string out = "BM";
    putLE(out, pixelStart + std::int64_t(pixels.size()), 4);
    putLE(out, 0, 4);
    putLE(out, seed.dataOffset < 0 ? pixelStart : seed.dataOffset, 4);
    for (std::int64_t field : {std::int64_t{seed.infoSize}, std::int64_t{seed.width}, std::int64_t{seed.height}}) {
        putLE(out, field, 4);
    }
    putLE(out, 1, 2);
    putLE(out, seed.bitsPerPixel, 2);
    for (std::int64_t field : {std::int64_t{seed.compression}, std::int64_t(pixels.size()), std::int64_t{2835},
                               std::int64_t{2835}, std::int64_t{seed.colourTableEntries}, std::int64_t{0}}) {
        putLE(out, field, 4);
    }
    out.append(static_cast<std::size_t>(seed.infoSize - 40), '\0');
    out.append(static_cast<std::size_t>(4 * seed.colourTableEntries), '\x40');
    return (out + pixels).substr(0, seed.keepBytes);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        return 2;
    }
    for (const Seed& seed : seeds) {
        std::ofstream(std::string(argv[1]) + "/" + seed.name, std::ios::binary) << bmpBytes(seed);
    }
    return 0;
}
