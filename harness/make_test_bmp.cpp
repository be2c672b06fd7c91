// make_test_bmp: writes a BMP of a flat grey for the end-to-end tests of the
// game's image checks.
//
//   make_test_bmp FILE WIDTH HEIGHT BPP   a WIDTH x HEIGHT picture with BPP bits
//                                         per pixel (24 or 32)
//
// Exit status: 0 once written, 2 for bad usage or a file that cannot be written.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "command_line.h"

namespace {

void putLE(std::vector<unsigned char>& out, std::uint32_t value, int size)
{
    for (int i = 0; i < size; ++i) {
        out.push_back(static_cast<unsigned char>((value >> (8 * i)) & 0xffu));
    }
}

// A flat grey BMP with a 54-byte header and the given pixel size: the game
// refuses anything but 24 bits per pixel, which this lets the tests show.
int makeBmp(char** argv)
{
    const int width = toInt(argv[1]);
    const int height = toInt(argv[2]);
    const int bitsPerPixel = toInt(argv[3]);
    if (width <= 0 || height <= 0 || width > 4096 || height > 4096 || (bitsPerPixel != 24 && bitsPerPixel != 32)) {
        fail("wants a size up to 4096 x 4096 and 24 or 32 bits per pixel");
    }
    const std::uint32_t rowBytes = (static_cast<std::uint32_t>(width) * static_cast<std::uint32_t>(bitsPerPixel) / 8u + 3u) & ~3u;
    const std::uint32_t pixelBytes = rowBytes * static_cast<std::uint32_t>(height);
    std::vector<unsigned char> out;
    out.push_back('B');
    out.push_back('M');
    putLE(out, 54u + pixelBytes, 4);
    putLE(out, 0u, 4);
    putLE(out, 54u, 4);
    putLE(out, 40u, 4);
    putLE(out, static_cast<std::uint32_t>(width), 4);
    putLE(out, static_cast<std::uint32_t>(height), 4);
    putLE(out, 1u, 2);
    putLE(out, static_cast<std::uint32_t>(bitsPerPixel), 2);
    putLE(out, 0u, 4);  // no compression
    putLE(out, pixelBytes, 4);
    putLE(out, 2835u, 4);
    putLE(out, 2835u, 4);
    putLE(out, 0u, 4);
    putLE(out, 0u, 4);
    out.resize(out.size() + pixelBytes, 0x80u);
    std::ofstream file(argv[0], std::ios::binary);
    file.write(reinterpret_cast<const char*>(out.data()), static_cast<std::streamsize>(out.size()));
    if (!file) {
        fail(std::string("cannot write ") + argv[0]);
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    programName = "make_test_bmp";
    if (argc != 5) {
        fail("usage: make_test_bmp FILE WIDTH HEIGHT BPP");
    }
    return makeBmp(argv + 1);
}
