// libFuzzer target for the BMP reader. Whatever the bytes, the reader either
// decodes a picture of sane size with exactly width x height x 3 bytes, all of
// them read from the input, or refuses it and leaves the image empty; the
// sanitizers catch the rest.
#include "textures/textures.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // The reader explains every refusal on standard output: keep it quiet.
    if (std::freopen("/dev/null", "w", stdout) == nullptr) {
        std::abort();
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size)
{
    std::FILE* stream = fmemopen(const_cast<std::uint8_t*>(bytes), size, "rb");
    if (stream == nullptr) {
        return 0;  // an empty input
    }
    Image image;
    const int result = readBmpStream(stream, "fuzz.bmp", image);
    std::fclose(stream);

    if (result == 1) {
        // Accepted only if the headers and every row (padded but for the last) are there.
        const std::size_t rowBytes = std::size_t(image.width) * 3;
        const std::size_t pixelBytes = (rowBytes + 3) / 4 * 4 * (std::size_t(image.height) - 1) + rowBytes;
        const bool sane = image.width >= 1 && image.width <= maxBmpSide && image.height >= 1 &&
                          image.height <= maxBmpSide && image.data.size() == rowBytes * image.height &&
                          std::int64_t(image.data.size()) <= maxBmpBytes && size >= 54 + pixelBytes;
        if (!sane) {
            std::abort();
        }
    } else if (result != 0 || image.width != 0 || image.height != 0 || !image.data.empty()) {
        std::abort();
    }
    return 0;
}
