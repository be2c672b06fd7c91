// The BMP reader: uncompressed 24-bit files into tightly packed RGB rows,
// bottom row first. Every header field is checked before anything is allocated.
#include "textures/textures.h"

#include <cstdio>
#include <memory>
#include <new>
#include <utility>

namespace {

struct FileCloser {
    void operator()(std::FILE* stream) const { std::fclose(stream); }
};
using FileHolder = std::unique_ptr<std::FILE, FileCloser>;

constexpr std::int64_t fileHeaderSize = 14;
constexpr std::int32_t minInfoHeaderSize = 40;  // the first 40 bytes of every info header we read

// The fields after the "BM" signature, in file order.
struct BmpHeader {
    std::int32_t fileSize = 0, reserved = 0, dataOffset = 0;
    std::int32_t infoSize = 0, width = 0, height = 0;
    std::uint16_t planes = 0, bitsPerPixel = 0;
    std::int32_t compression = 0, imageSize = 0, xResolution = 0, yResolution = 0;
    std::int32_t coloursUsed = 0, coloursImportant = 0;
};

// Reads the rest of the 14-byte file header and the first 40 bytes of the info
// header. False if the stream ends first.
bool readHeader(std::FILE* stream, BmpHeader& header)
{
    bool ok = true;
    header.fileSize = readInt32LE(stream, ok);
    header.reserved = readInt32LE(stream, ok);
    header.dataOffset = readInt32LE(stream, ok);
    header.infoSize = readInt32LE(stream, ok);
    header.width = readInt32LE(stream, ok);
    header.height = readInt32LE(stream, ok);
    header.planes = readUInt16LE(stream, ok);
    header.bitsPerPixel = readUInt16LE(stream, ok);
    header.compression = readInt32LE(stream, ok);
    header.imageSize = readInt32LE(stream, ok);
    header.xResolution = readInt32LE(stream, ok);
    header.yResolution = readInt32LE(stream, ok);
    header.coloursUsed = readInt32LE(stream, ok);
    header.coloursImportant = readInt32LE(stream, ok);
    return ok;
}

// Length of a seekable stream in bytes, or -1.
std::int64_t streamLength(std::FILE* stream)
{
    if (std::fseek(stream, 0, SEEK_END) != 0) {
        return -1;
    }
    return std::ftell(stream);
}

}  // namespace

std::int32_t readInt32LE(std::FILE* stream, bool& ok)
{
    std::uint32_t value = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        const int byte = std::getc(stream);
        if (byte == EOF) {
            ok = false;
            return 0;
        }
        value |= static_cast<std::uint32_t>(byte) << shift;
    }
    return static_cast<std::int32_t>(value);
}

std::uint16_t readUInt16LE(std::FILE* stream, bool& ok)
{
    const int low = std::getc(stream);
    const int high = std::getc(stream);
    if (low == EOF || high == EOF) {
        ok = false;
        return 0;
    }
    return static_cast<std::uint16_t>(low | (high << 8));
}

int readBmpStream(std::FILE* stream, const char* fileName, Image& image)
{
    image = Image{};

    const int signature0 = std::getc(stream);
    const int signature1 = std::getc(stream);
    if (signature0 != EOF && signature1 != EOF && (signature0 != 'B' || signature1 != 'M')) {
        std::printf("Signature from %s is not BM\n", fileName);
        return 0;
    }
    BmpHeader header;
    if (signature0 == EOF || signature1 == EOF || !readHeader(stream, header)) {
        std::printf("Error reading header from %s.\n", fileName);
        return 0;
    }
    if (header.infoSize < minInfoHeaderSize) {
        std::printf("Header size from %s is not supported: %d\n", fileName,
                    static_cast<int>(header.infoSize));
        return 0;
    }
    if (header.planes != 1) {
        std::printf("Planes from %s is not 1: %u\n", fileName, static_cast<unsigned>(header.planes));
        return 0;
    }
    if (header.bitsPerPixel != 24) {
        std::printf("Bpp from %s is not 24: %u\n", fileName,
                    static_cast<unsigned>(header.bitsPerPixel));
        return 0;
    }
    if (header.compression != 0) {
        std::printf("Compression from %s is not 0: %u\n", fileName,
                    static_cast<unsigned>(static_cast<std::uint32_t>(header.compression)));
        return 0;
    }

    // All sizes in 64 bits: a 32-bit height may be INT32_MIN.
    const std::int64_t width = header.width;
    const std::int64_t rows = header.height < 0 ? -std::int64_t{header.height} : header.height;
    const std::int64_t rowBytes = width * 3;
    const std::int64_t fileRowBytes = (rowBytes + 3) / 4 * 4;
    if (width <= 0 || rows == 0 || width > maxBmpSide || rows > maxBmpSide ||
        fileRowBytes * rows > maxBmpBytes) {
        std::printf("Size from %s is not supported: %d x %d\n", fileName,
                    static_cast<int>(header.width), static_cast<int>(header.height));
        return 0;
    }

    const std::int64_t offset = static_cast<std::uint32_t>(header.dataOffset);
    const std::int64_t length = streamLength(stream);
    if (offset < fileHeaderSize + header.infoSize || offset > length ||
        std::fseek(stream, static_cast<long>(offset), SEEK_SET) != 0) {
        std::printf("Data offset from %s is out of range: %u\n", fileName,
                    static_cast<unsigned>(static_cast<std::uint32_t>(header.dataOffset)));
        return 0;
    }

    // The file must hold the whole pixel block before it is allocated; the
    // padding after the last row may be missing.
    if (length - offset < fileRowBytes * (rows - 1) + rowBytes) {
        std::printf("Error reading image data from %s.\n", fileName);
        return 0;
    }

    std::vector<unsigned char> data;
    try {
        data.resize(static_cast<std::size_t>(rowBytes * rows));
    } catch (const std::bad_alloc&) {
        std::printf("Error allocating memory for color-corrected image data");
        return 0;
    }

    // Rows are stored bottom-up unless the height is negative; either way the
    // first row of data is the bottom of the picture. Each file row is padded
    // to a multiple of 4 bytes.
    const bool topDown = header.height < 0;
    const long padding = static_cast<long>(fileRowBytes - rowBytes);
    if (!topDown && padding == 0) {
        // Already in memory's order: one read (in the browser every read is a
        // call into the page's file system, which a large sky makes slow).
        if (std::fread(data.data(), data.size(), 1, stream) != 1) {
            std::printf("Error reading image data from %s.\n", fileName);
            return 0;
        }
    } else {
        for (std::int64_t fileRow = 0; fileRow < rows; ++fileRow) {
            const std::int64_t row = topDown ? rows - 1 - fileRow : fileRow;
            unsigned char* target = data.data() + row * rowBytes;
            if (std::fread(target, static_cast<std::size_t>(rowBytes), 1, stream) != 1 ||
                (padding > 0 && fileRow + 1 < rows && std::fseek(stream, padding, SEEK_CUR) != 0)) {
                std::printf("Error reading image data from %s.\n", fileName);
                return 0;
            }
        }
    }

    // Blue-green-red becomes red-green-blue.
    for (std::size_t i = 0; i + 2 < data.size(); i += 3) {
        const unsigned char blue = data[i];
        data[i] = data[i + 2];
        data[i + 2] = blue;
    }

    image.width = header.width;
    image.height = static_cast<int>(rows);
    image.data = std::move(data);
    return 1;
}

int readBmp(const char* fileName, Image& image)
{
    image = Image{};
    const FileHolder stream(std::fopen(fileName, "rb"));
    if (!stream) {
        std::printf("File Not Found : %s\n", fileName);
        return 0;
    }
    return readBmpStream(stream.get(), fileName, image);
}
