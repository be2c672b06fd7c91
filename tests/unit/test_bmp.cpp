// The BMP reader and the texture loader: the layouts a 24-bit BMP may have come
// out as tight RGB rows, bottom row first; every broken file is refused with one
// line naming it and no leak; an upload makes exactly the expected GL calls.
#include "textures/textures.h"

#include "gl_double.h"

#include <GL/gl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <array>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

// One BMP file, built byte by byte. Pixels follow fileTexel unless given.
struct BmpLayout {
    std::string signature = "BM";
    std::int32_t width = 4, height = 1;
    std::uint16_t planes = 1, bitsPerPixel = 24;
    std::int32_t compression = 0, infoSize = 40;
    int colourTableEntries = 0;
    int gap = 0;                        // bytes between the headers and the pixels
    std::int64_t dataOffset = -1;       // stated offset; -1: where the pixels start
    std::size_t keepBytes = SIZE_MAX;   // the file is cut after this many bytes
    bool withPixels = true;
    std::vector<unsigned char> pixels;  // tight BGR rows in file order; empty: the pattern
};

// Blue, green, red of pixel x in the file's row r (distinct for small pictures).
std::array<unsigned char, 3> fileTexel(int x, int r)
{
    return {static_cast<unsigned char>(1 + x + 16 * r), static_cast<unsigned char>(100 + x),
            static_cast<unsigned char>(200 + r)};
}

void putLE(std::string& out, std::int64_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i) {
        out += static_cast<char>((value >> (8 * i)) & 0xff);
    }
}

std::string bmpBytes(const BmpLayout& layout)
{
    const std::int64_t rows = layout.height < 0 ? -std::int64_t{layout.height} : layout.height;
    const std::int64_t rowBytes = std::int64_t{layout.width} * 3;
    const std::int64_t padding = (4 - rowBytes % 4) % 4;
    const std::int64_t pixelStart = 14 + layout.infoSize + 4 * layout.colourTableEntries + layout.gap;
    std::string pixels;
    if (layout.withPixels) {
        for (std::int64_t r = 0; r < rows; ++r) {
            for (std::int64_t x = 0; x < layout.width; ++x) {
                for (int c = 0; c < 3; ++c) {
                    pixels += static_cast<char>(layout.pixels.empty()
                                                    ? fileTexel(int(x), int(r))[c]
                                                    : layout.pixels[(r * rowBytes) + x * 3 + c]);
                }
            }
            pixels.append(static_cast<std::size_t>(padding), '\xCC');
        }
    }
    std::string out = layout.signature;
    putLE(out, pixelStart + std::int64_t(pixels.size()), 4);
    putLE(out, 0, 4);
    putLE(out, layout.dataOffset < 0 ? pixelStart : layout.dataOffset, 4);
    putLE(out, layout.infoSize, 4);
    putLE(out, layout.width, 4);
    putLE(out, layout.height, 4);
    putLE(out, layout.planes, 2);
    putLE(out, layout.bitsPerPixel, 2);
    putLE(out, layout.compression, 4);
    putLE(out, std::int64_t(pixels.size()), 4);
    putLE(out, 2835, 4);
    putLE(out, 2835, 4);
    putLE(out, layout.colourTableEntries, 4);
    putLE(out, 0, 4);
    out.append(static_cast<std::size_t>(layout.infoSize > 40 ? layout.infoSize - 40 : 0), '\xAB');
    out.append(static_cast<std::size_t>(4 * layout.colourTableEntries), '\xEE');
    out.append(static_cast<std::size_t>(layout.gap), '\xDD');
    out += pixels;
    return out.substr(0, layout.keepBytes);
}

// The decoded picture the pattern must give: RGB, bottom row first.
std::vector<unsigned char> expectedRgb(const BmpLayout& layout)
{
    const int rows = std::abs(layout.height);
    std::vector<unsigned char> rgb;
    for (int row = 0; row < rows; ++row) {
        const int fileRow = layout.height < 0 ? rows - 1 - row : row;
        for (int x = 0; x < layout.width; ++x) {
            const auto bgr = fileTexel(x, fileRow);
            rgb.insert(rgb.end(), {bgr[2], bgr[1], bgr[0]});
        }
    }
    return rgb;
}

std::string readText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string stdoutOf(const std::function<void()>& action)
{
    std::fflush(stdout);
    testing::internal::CaptureStdout();
    action();
    std::fflush(stdout);
    return testing::internal::GetCapturedStdout();
}

std::string withName(std::string message, const std::string& name)
{
    const auto at = message.find("%s");
    return at == std::string::npos ? message : message.replace(at, 2, name);
}

long openDescriptors()
{
    return std::distance(fs::directory_iterator("/proc/self/fd"), fs::directory_iterator());
}

// Each test writes its files into a folder of its own, removed afterwards.
class BmpFiles : public testing::Test {
protected:
    void SetUp() override
    {
        const auto* info = testing::UnitTest::GetInstance()->current_test_info();
        dir = fs::path(testing::TempDir()) /
              ("fetch_bmp_" + std::to_string(getpid()) + "_" + info->name());
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }

    std::string write(const std::string& name, const BmpLayout& layout)
    {
        const std::string path = (dir / name).string();
        std::ofstream(path, std::ios::binary) << bmpBytes(layout);
        return path;
    }

    fs::path dir;
};

TEST(BmpLittleEndian, ReadsLowByteFirstAndFlagsEndOfFile)
{
    struct Case {
        std::string bytes;
        bool wide;
        long long value;
        bool ok;
    };
    const Case cases[] = {
        {"\x78\x56\x34\x12", true, 0x12345678, true},
        {"\xff\xff\xff\xff", true, -1, true},
        {std::string("\0\0\0\x80", 4), true, INT32_MIN, true},
        {"\x01\x02\x03", true, 0, false},
        {"\x34\x12", false, 0x1234, true},
        {"\xff\xff", false, 0xffff, true},
        {"\x01", false, 0, false},
    };
    for (const Case& c : cases) {
        std::FILE* stream = std::tmpfile();
        ASSERT_NE(stream, nullptr);
        std::fwrite(c.bytes.data(), 1, c.bytes.size(), stream);
        std::rewind(stream);
        bool ok = true;
        const long long value = c.wide ? readInt32LE(stream, ok) : readUInt16LE(stream, ok);
        EXPECT_EQ(ok, c.ok) << c.bytes.size() << " bytes";
        if (c.ok) {
            EXPECT_EQ(value, c.value);
        }
        std::fclose(stream);
    }
}

TEST_F(BmpFiles, BluePixelsComeOutBlue)
{
    BmpLayout layout;
    layout.pixels = {255, 0, 0, 255, 0, 0, 255, 0, 0, 255, 0, 0};  // four blue pixels, BGR
    Image image;
    ASSERT_EQ(readBmp(write("blue.bmp", layout).c_str(), image), 1);
    EXPECT_EQ(image.width, 4);
    EXPECT_EQ(image.height, 1);
    EXPECT_EQ(image.data, (std::vector<unsigned char>{0, 0, 255, 0, 0, 255, 0, 0, 255, 0, 0, 255}));
}

TEST_F(BmpFiles, EveryLayoutDecodesToTightRgbRowsBottomRowFirst)
{
    struct Case {
        const char* label;
        std::function<void(BmpLayout&)> change;
    };
    const Case cases[] = {
        {"4 x 2, first file row is the bottom", [](BmpLayout& s) { s.height = 2; }},
        {"1 x 1, padded row", [](BmpLayout& s) { s.width = 1; }},
        {"3 x 2, padded rows", [](BmpLayout& s) { s.width = 3; s.height = 2; }},
        {"5 x 3, padded rows", [](BmpLayout& s) { s.width = 5; s.height = 3; }},
        {"2 x 2 top-down", [](BmpLayout& s) { s.width = 2; s.height = -2; }},
        {"3 x 3 top-down, padded", [](BmpLayout& s) { s.width = 3; s.height = -3; }},
        {"124-byte info header", [](BmpLayout& s) { s.infoSize = 124; s.height = 2; }},
        {"colour table", [](BmpLayout& s) { s.colourTableEntries = 3; s.width = 3; s.height = 2; }},
        {"gap before the pixels", [](BmpLayout& s) { s.gap = 10; s.width = 5; s.height = 2; }},
        {"124-byte header, table, top-down",
         [](BmpLayout& s) { s.infoSize = 124; s.colourTableEntries = 2; s.height = -3; s.width = 7; }},
        {"last row without its padding",
         [](BmpLayout& s) { s.width = 3; s.height = 2; s.keepBytes = bmpBytes(s).size() - 3; }},
    };
    for (const Case& c : cases) {
        BmpLayout layout;
        c.change(layout);
        const std::string path = write("layout.bmp", layout);
        Image image;
        int result = 0;
        EXPECT_EQ(stdoutOf([&] { result = readBmp(path.c_str(), image); }), "") << c.label;
        ASSERT_EQ(result, 1) << c.label;
        EXPECT_EQ(image.width, layout.width) << c.label;
        EXPECT_EQ(image.height, std::abs(layout.height)) << c.label;
        EXPECT_EQ(image.data, expectedRgb(layout)) << c.label;
    }
}

TEST_F(BmpFiles, BrokenFilesAreRefusedWithOneLineAndClosed)
{
    struct Case {
        const char* label;
        std::function<void(BmpLayout&)> change;
        const char* message;
    };
    const Case cases[] = {
        {"planes 2", [](BmpLayout& s) { s.planes = 2; }, "Planes from %s is not 1: 2\n"},
        {"planes before bpp", [](BmpLayout& s) { s.planes = 0; s.bitsPerPixel = 32; },
         "Planes from %s is not 1: 0\n"},
        {"32 bpp", [](BmpLayout& s) { s.bitsPerPixel = 32; }, "Bpp from %s is not 24: 32\n"},
        {"8 bpp", [](BmpLayout& s) { s.bitsPerPixel = 8; s.colourTableEntries = 256; },
         "Bpp from %s is not 24: 8\n"},
        {"not a BMP", [](BmpLayout& s) { s.signature = "PK"; }, "Signature from %s is not BM\n"},
        {"run-length coded", [](BmpLayout& s) { s.compression = 1; }, "Compression from %s is not 0: 1\n"},
        {"12-byte info header", [](BmpLayout& s) { s.infoSize = 12; },
         "Header size from %s is not supported: 12\n"},
        {"width 0", [](BmpLayout& s) { s.width = 0; }, "Size from %s is not supported: 0 x 1\n"},
        {"width -4", [](BmpLayout& s) { s.width = -4; }, "Size from %s is not supported: -4 x 1\n"},
        {"height 0", [](BmpLayout& s) { s.height = 0; }, "Size from %s is not supported: 4 x 0\n"},
        {"width 16385", [](BmpLayout& s) { s.width = 16385; },
         "Size from %s is not supported: 16385 x 1\n"},
        {"height -16385", [](BmpLayout& s) { s.width = 1; s.height = -16385; s.withPixels = false; },
         "Size from %s is not supported: 1 x -16385\n"},
        {"offset inside the file header", [](BmpLayout& s) { s.dataOffset = 10; },
         "Data offset from %s is out of range: 10\n"},
        {"offset inside a 124-byte header", [](BmpLayout& s) { s.infoSize = 124; s.dataOffset = 54; },
         "Data offset from %s is out of range: 54\n"},
        {"offset past the file", [](BmpLayout& s) { s.dataOffset = 4000; },
         "Data offset from %s is out of range: 4000\n"},
        {"offset 2^32 - 16", [](BmpLayout& s) { s.dataOffset = 0xFFFFFFF0; },
         "Data offset from %s is out of range: 4294967280\n"},
        {"empty file", [](BmpLayout& s) { s.keepBytes = 0; }, "Error reading header from %s.\n"},
        {"1 byte", [](BmpLayout& s) { s.keepBytes = 1; }, "Error reading header from %s.\n"},
        {"cut in the file header", [](BmpLayout& s) { s.keepBytes = 12; }, "Error reading header from %s.\n"},
        {"cut at the planes", [](BmpLayout& s) { s.keepBytes = 27; }, "Error reading header from %s.\n"},
        {"cut in the info header", [](BmpLayout& s) { s.keepBytes = 53; }, "Error reading header from %s.\n"},
        {"headers only", [](BmpLayout& s) { s.keepBytes = 54; }, "Error reading image data from %s.\n"},
        {"one byte short", [](BmpLayout& s) { s.height = 2; s.keepBytes = 54 + 23; },
         "Error reading image data from %s.\n"},
        {"padded, cut in the last row", [](BmpLayout& s) { s.width = 3; s.height = 2; s.keepBytes = 54 + 12 + 8; },
         "Error reading image data from %s.\n"},
    };
    const long descriptorsBefore = openDescriptors();
    for (const Case& c : cases) {
        BmpLayout layout;
        c.change(layout);
        const std::string path = write("broken.bmp", layout);
        Image image{2, 2, std::vector<unsigned char>(12, 7)};
        int result = 1;
        EXPECT_EQ(stdoutOf([&] { result = readBmp(path.c_str(), image); }), withName(c.message, path))
            << c.label;
        EXPECT_EQ(result, 0) << c.label;
        EXPECT_TRUE(image.width == 0 && image.height == 0 && image.data.empty()) << c.label;
    }
    const std::string missing = (dir / "missing.bmp").string();
    Image image;
    EXPECT_EQ(stdoutOf([&] { EXPECT_EQ(readBmp(missing.c_str(), image), 0); }),
              "File Not Found : " + missing + "\n");
    EXPECT_EQ(openDescriptors(), descriptorsBefore);
}

#if defined(__SANITIZE_ADDRESS__)
constexpr bool underAddressSanitizer = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool underAddressSanitizer = true;
#else
constexpr bool underAddressSanitizer = false;
#endif
#else
constexpr bool underAddressSanitizer = false;
#endif

// Leaves the process 64 MiB of address space to grow by, so that allocating a
// stated size that is too big fails.
void limitAddressSpace()
{
    std::ifstream statm("/proc/self/statm");
    long long pages = 0;
    statm >> pages;
    const rlim_t limit = static_cast<rlim_t>(pages * sysconf(_SC_PAGESIZE)) + (rlim_t{64} << 20);
    rlimit bounds{};
    getrlimit(RLIMIT_AS, &bounds);
    bounds.rlim_cur = limit;
    setrlimit(RLIMIT_AS, &bounds);
}

TEST_F(BmpFiles, StatedSizesAreCheckedBeforeAnythingIsAllocated)
{
    struct Case {
        std::int32_t width, height;
        const char* printed;  // regular expression
    };
    const Case cases[] = {
        {16384, 16384, "^Size from .*/huge\\.bmp is not supported: 16384 x 16384\n$"},
        {INT32_MAX, 3, "^Size from .*/huge\\.bmp is not supported: 2147483647 x 3\n$"},
        {3, INT32_MAX, "^Size from .*/huge\\.bmp is not supported: 3 x 2147483647\n$"},
        {4, INT32_MIN, "^Size from .*/huge\\.bmp is not supported: 4 x -2147483648\n$"},
        {8192, -8192, "^Error allocating memory for color-corrected image data$"},
    };
    for (const Case& c : cases) {
        if (underAddressSanitizer && c.width == 8192) {
            continue;  // the sanitizer ends the process on a failed allocation
        }
        BmpLayout layout;
        layout.width = c.width;
        layout.height = c.height;
        layout.withPixels = false;
        const std::string path = write("huge.bmp", layout);
        if (c.width == 8192) {
            fs::resize_file(path, 54 + 8192 * 8192 * 3);  // sparse: all pixels present
        }
        EXPECT_EXIT(
            {
                limitAddressSpace();
                dup2(STDERR_FILENO, STDOUT_FILENO);
                Image image;
                const int result = readBmp(path.c_str(), image);
                std::fflush(stdout);
                std::_Exit(result);
            },
            testing::ExitedWithCode(0), c.printed)
            << c.width << " x " << c.height;
    }
}

class LoadTextureDeathTest : public BmpFiles {};

TEST_F(LoadTextureDeathTest, ABadFileEndsTheProcessWithCode1AfterItsLine)
{
    struct Case {
        const char* file;
        std::function<void(BmpLayout&)> change;  // none: the file is missing
        const char* message;
    };
    const Case cases[] = {
        {"missing.bmp", nullptr, "File Not Found : %s\n"},
        {"deep.bmp", [](BmpLayout& s) { s.bitsPerPixel = 32; }, "Bpp from %s is not 24: 32\n"},
        {"short.bmp", [](BmpLayout& s) { s.keepBytes = 60; }, "Error reading image data from %s.\n"},
    };
    for (const Case& c : cases) {
        BmpLayout layout;
        std::string path = (dir / c.file).string();
        if (c.change) {
            c.change(layout);
            path = write(c.file, layout);
        }
        const std::string printed = (dir / "stdout.txt").string();
        EXPECT_EXIT(
            {
                std::fflush(stdout);
                std::freopen(printed.c_str(), "w", stdout);
                loadTexture(path.c_str(), 3);
            },
            testing::ExitedWithCode(1), "")
            << c.file;
        EXPECT_EQ(readText(printed), "trying to load " + path + "\n" + withName(c.message, path));
    }
}

TEST_F(BmpFiles, LoadTextureUploadsTightRgbRowsUnderItsId)
{
    BmpLayout layout;
    layout.width = 3;
    layout.height = 2;
    const std::string path = write("fur.bmp", layout);
    gldouble::reset();
    EXPECT_EQ(stdoutOf([&] { loadTexture(path.c_str(), 7); }), "trying to load " + path + "\n");

    using Args = std::vector<double>;
    EXPECT_EQ(gldouble::callNames(),
              (std::vector<std::string>{"glBindTexture", "glPixelStorei", "glTexImage2D",
                                        "glTexParameteri", "glTexParameteri"}));
    EXPECT_EQ(gldouble::callsOf("glBindTexture").at(0).args, (Args{GL_TEXTURE_2D, 7}));
    EXPECT_EQ(gldouble::callsOf("glPixelStorei").at(0).args, (Args{GL_UNPACK_ALIGNMENT, 1}));
    const auto filters = gldouble::callsOf("glTexParameteri");
    EXPECT_EQ(filters.at(0).args, (Args{GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST}));
    EXPECT_EQ(filters.at(1).args, (Args{GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST}));

    ASSERT_EQ(gldouble::gl().uploads.size(), 1u);
    const gldouble::TextureUpload& upload = gldouble::gl().uploads[0];
    EXPECT_EQ(upload.id, 7u);
    EXPECT_EQ(upload.level, 0);
    EXPECT_EQ(upload.internalFormat, 3);
    EXPECT_EQ(upload.width, 3);
    EXPECT_EQ(upload.height, 2);
    EXPECT_EQ(upload.border, 0);
    EXPECT_EQ(upload.format, unsigned{GL_RGB});
    EXPECT_EQ(upload.type, unsigned{GL_UNSIGNED_BYTE});
    EXPECT_EQ(upload.unpackAlignment, 1);
    ASSERT_TRUE(upload.hasPixels);
    EXPECT_EQ(upload.pixels, expectedRgb(layout));
    EXPECT_EQ(std::vector<unsigned char>(upload.pixels.begin(), upload.pixels.begin() + 3),
              (std::vector<unsigned char>{200, 100, 1}));  // file bytes 1, 100, 200 swapped
}

TEST(DefineTexture0, BindsZeroAndDefinesABlackClampedNearestTexture)
{
    gldouble::reset();
    defineTexture0();

    using Args = std::vector<double>;
    EXPECT_EQ(gldouble::callNames(),
              (std::vector<std::string>{"glBindTexture", "glTexImage2D", "glTexParameterf",
                                        "glTexParameterf", "glTexParameterf", "glTexParameterf"}));
    EXPECT_EQ(gldouble::callsOf("glBindTexture").at(0).args, (Args{GL_TEXTURE_2D, 0}));
    const auto parameters = gldouble::callsOf("glTexParameterf");
    EXPECT_EQ(parameters.at(0).args, (Args{GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP}));
    EXPECT_EQ(parameters.at(1).args, (Args{GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP}));
    EXPECT_EQ(parameters.at(2).args, (Args{GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST}));
    EXPECT_EQ(parameters.at(3).args, (Args{GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST}));

    ASSERT_EQ(gldouble::gl().uploads.size(), 1u);
    const gldouble::TextureUpload& upload = gldouble::gl().uploads[0];
    EXPECT_EQ(upload.id, 0u);
    EXPECT_EQ(upload.width, 64);
    EXPECT_EQ(upload.height, 64);
    EXPECT_EQ(upload.internalFormat, 3);
    EXPECT_EQ(upload.format, unsigned{GL_RGB});
    ASSERT_TRUE(upload.hasPixels) << "defined texels, not the driver's fresh storage";
    EXPECT_EQ(upload.pixels, std::vector<unsigned char>(64 * 64 * 3, 0));
}

}  // namespace
