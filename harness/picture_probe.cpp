// picture_probe: measures screenshots for the end-to-end tests and the tools
// that play the game.
//
// Screenshots are XWD files as `xwd` writes them (TrueColor or DirectColor
// ZPixmap, 24 or 32 bits per pixel, either byte order). Rectangles are
// X Y W H in window pixels from the top-left corner; they are clipped to the
// picture. Every probe prints numbers on one line; the scripts compare them
// with a tolerance.
//
//   picture_probe mean FILE X Y W H              mean red, green, blue (0 to 255)
//   picture_probe detail FILE X Y W H            share of neighbouring pixel pairs whose
//                                                brightness steps by more than 2: texture
//   picture_probe share FILE X Y W H TEST        share (0 to 1) of pixels passing TEST
//   picture_probe diff FILE1 FILE2 X Y W H TOL   share of pixels whose largest channel
//                                                difference exceeds TOL
//   picture_probe colour TEST R G B              1 if the pixel (R, G, B) passes TEST, else 0
//   picture_probe steps FILE X Y W H TEST LEVEL  over the pixels passing TEST, and the pairs of
//                                                them that neighbour across or down: the share
//                                                of pairs whose largest channel difference
//                                                exceeds LEVEL, the largest such difference,
//                                                the share of pairs that differ at all, and
//                                                the spread (standard deviation) of the
//                                                pixels' brightness (the mean of r, g and b):
//                                                blocks show as large steps, flat colour as
//                                                a small spread
//
// TEST is a colour test as harness/regions.json writes them: a comma-separated
// list of comparisons that must all hold, each `A op B` with op one of < <= >
// >= and A, B a channel (r, g, b, min, max, spread = max - min), a number, or
// a channel plus or minus a number: "g>r+20,g>b" is greenish, "min<240" is not
// white, "r>150,r>b+60" fiery. harness/regions.js reads them the same way in
// node; harness/colour_cases.json holds the cases both must agree on.
// Exit status: 0 with a result, 2 for bad usage, an unreadable file or a test
// that cannot be read.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "command_line.h"

namespace {

struct Pixel {
    int r = 0, g = 0, b = 0;
};

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<Pixel> pixels;  // row by row from the top
};

struct Rect {
    int x = 0, y = 0, w = 0, h = 0;
};

std::uint32_t bigEndian32(const std::vector<unsigned char>& bytes, std::size_t at)
{
    return (std::uint32_t{bytes[at]} << 24) | (std::uint32_t{bytes[at + 1]} << 16) |
           (std::uint32_t{bytes[at + 2]} << 8) | std::uint32_t{bytes[at + 3]};
}

// A channel's value scaled to 0..255 from the bits that its mask selects.
int channel(std::uint32_t value, std::uint32_t mask)
{
    if (mask == 0u) {
        return 0;
    }
    int shift = 0;
    while (((mask >> shift) & 1u) == 0u) {
        ++shift;
    }
    const std::uint32_t top = mask >> shift;
    return static_cast<int>(((value & mask) >> shift) * 255u / top);
}

// Reads an XWD screenshot. The header is always big-endian; the pixels follow
// the byte order the header names.
Picture readXwd(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        fail("cannot open " + path);
    }
    const std::vector<unsigned char> bytes{std::istreambuf_iterator<char>(in), {}};
    constexpr std::size_t headerFields = 25;
    if (bytes.size() < headerFields * 4) {
        fail(path + ": too short for an XWD header");
    }
    std::uint32_t field[headerFields];
    for (std::size_t i = 0; i < headerFields; ++i) {
        field[i] = bigEndian32(bytes, i * 4);
    }
    const std::uint32_t headerSize = field[0];
    const std::uint32_t version = field[1];
    const std::uint32_t format = field[2];
    const std::uint32_t width = field[4];
    const std::uint32_t height = field[5];
    const std::uint32_t byteOrder = field[7];  // 0 least significant byte first
    const std::uint32_t bitsPerPixel = field[11];
    const std::uint32_t bytesPerLine = field[12];
    const std::uint32_t visualClass = field[13];
    const std::uint32_t redMask = field[14], greenMask = field[15], blueMask = field[16];
    const std::uint32_t colourCount = field[19];
    if (version != 7u || format != 2u) {
        fail(path + ": not a version 7 ZPixmap XWD file");
    }
    if (visualClass != 4u && visualClass != 5u) {
        fail(path + ": not a TrueColor or DirectColor picture");
    }
    if (bitsPerPixel != 24u && bitsPerPixel != 32u) {
        fail(path + ": " + std::to_string(bitsPerPixel) + " bits per pixel is not supported");
    }
    if (width == 0u || height == 0u || width > 16384u || height > 16384u ||
        bytesPerLine < width * bitsPerPixel / 8u) {
        fail(path + ": implausible picture size");
    }
    const std::uint64_t pixelStart = std::uint64_t{headerSize} + std::uint64_t{colourCount} * 12u;
    if (pixelStart + std::uint64_t{bytesPerLine} * height > bytes.size()) {
        fail(path + ": pixel data is cut short");
    }

    Picture picture;
    picture.width = static_cast<int>(width);
    picture.height = static_cast<int>(height);
    picture.pixels.resize(std::size_t{width} * height);
    const std::size_t pixelBytes = bitsPerPixel / 8u;
    for (std::uint32_t row = 0; row < height; ++row) {
        const std::size_t rowStart = static_cast<std::size_t>(pixelStart) + std::size_t{row} * bytesPerLine;
        for (std::uint32_t col = 0; col < width; ++col) {
            const std::size_t at = rowStart + col * pixelBytes;
            std::uint32_t value = 0u;
            for (std::size_t k = 0; k < pixelBytes; ++k) {
                const std::uint32_t byte = bytes[at + k];
                value |= byteOrder == 0u ? byte << (8u * k) : byte << (8u * (pixelBytes - 1u - k));
            }
            picture.pixels[std::size_t{row} * width + col] =
                Pixel{channel(value, redMask), channel(value, greenMask), channel(value, blueMask)};
        }
    }
    return picture;
}

Rect clipped(Rect rect, const Picture& picture)
{
    const int x0 = rect.x < 0 ? 0 : rect.x;
    const int y0 = rect.y < 0 ? 0 : rect.y;
    const int x1 = rect.x + rect.w > picture.width ? picture.width : rect.x + rect.w;
    const int y1 = rect.y + rect.h > picture.height ? picture.height : rect.y + rect.h;
    if (x1 <= x0 || y1 <= y0) {
        fail("the rectangle lies outside the picture");
    }
    return Rect{x0, y0, x1 - x0, y1 - y0};
}

Rect rectFrom(char** argv, const Picture& picture)
{
    return clipped(Rect{toInt(argv[0]), toInt(argv[1]), toInt(argv[2]), toInt(argv[3])}, picture);
}

const Pixel& at(const Picture& picture, int x, int y)
{
    return picture.pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(picture.width) +
                          static_cast<std::size_t>(x)];
}

// ---------------------------------------------------------------- predicates

enum class Op { Less, LessEqual, Greater, GreaterEqual };

// A channel (or none) plus a constant.
struct Operand {
    int channel = -1;  // index into channelNames, -1 for a plain number
    double offset = 0.0;
};

struct Comparison {
    Operand left;
    Op op = Op::Less;
    Operand right;
};

constexpr const char* channelNames[] = {"spread", "min", "max", "r", "g", "b"};

int channelValue(const Pixel& p, int index)
{
    const int low = std::min(p.r, std::min(p.g, p.b));
    const int high = std::max(p.r, std::max(p.g, p.b));
    const int values[] = {high - low, low, high, p.r, p.g, p.b};
    return values[index];
}

double operandValue(const Operand& operand, const Pixel& p)
{
    return (operand.channel < 0 ? 0.0 : channelValue(p, operand.channel)) + operand.offset;
}

// Whether the text is a plain number: an optional sign, digits, and an
// optional point followed by digits.
bool plainNumber(const std::string& text)
{
    std::size_t i = !text.empty() && (text[0] == '+' || text[0] == '-') ? 1 : 0;
    const auto digits = [&] {
        const std::size_t from = i;
        while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) {
            ++i;
        }
        return i > from;
    };
    if (!digits()) {
        return false;
    }
    if (i < text.size() && text[i] == '.') {
        ++i;
        if (!digits()) {
            return false;
        }
    }
    return i == text.size();
}

Operand parseOperand(const std::string& text)
{
    Operand operand;
    std::string rest = text;
    for (int i = 0; i < static_cast<int>(std::size(channelNames)); ++i) {
        const std::size_t length = std::strlen(channelNames[i]);
        if (rest.compare(0, length, channelNames[i]) == 0) {
            operand.channel = i;
            rest = rest.substr(length);
            break;
        }
    }
    if (rest.empty()) {
        if (operand.channel < 0) {
            fail("empty operand in a colour test");
        }
        return operand;
    }
    if (!plainNumber(rest) || (operand.channel >= 0 && rest[0] != '+' && rest[0] != '-')) {
        fail("cannot read the operand '" + text + "'");
    }
    operand.offset = std::strtod(rest.c_str(), nullptr);
    return operand;
}

std::vector<Comparison> parsePredicate(const std::string& text)
{
    struct OpText {
        const char* text;
        Op op;
    };
    // Two-character operators first, so "<=" is not read as "<".
    constexpr OpText ops[] = {{"<=", Op::LessEqual}, {">=", Op::GreaterEqual}, {"<", Op::Less}, {">", Op::Greater}};

    std::vector<Comparison> comparisons;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t comma = text.find(',', start);
        if (comma == std::string::npos) {
            comma = text.size();
        }
        std::string term;
        for (std::size_t i = start; i < comma; ++i) {
            if (!std::isspace(static_cast<unsigned char>(text[i]))) {
                term += text[i];
            }
        }
        bool found = false;
        for (const OpText& candidate : ops) {
            const std::size_t where = term.find(candidate.text);
            if (where != std::string::npos) {
                comparisons.push_back(Comparison{parseOperand(term.substr(0, where)), candidate.op,
                                                 parseOperand(term.substr(where + std::strlen(candidate.text)))});
                found = true;
                break;
            }
        }
        if (!found) {
            fail("no comparison in '" + term + "'");
        }
        start = comma + 1;
    }
    return comparisons;
}

bool matches(const std::vector<Comparison>& predicate, const Pixel& p)
{
    for (const Comparison& c : predicate) {
        const double a = operandValue(c.left, p);
        const double b = operandValue(c.right, p);
        const bool holds = c.op == Op::Less           ? a < b
                           : c.op == Op::LessEqual    ? a <= b
                           : c.op == Op::Greater      ? a > b
                                                      : a >= b;
        if (!holds) {
            return false;
        }
    }
    return true;
}

// ---------------------------------------------------------------- commands

int commandMean(char** argv)
{
    const Picture picture = readXwd(argv[0]);
    const Rect rect = rectFrom(argv + 1, picture);
    double r = 0.0, g = 0.0, b = 0.0;
    for (int y = rect.y; y < rect.y + rect.h; ++y) {
        for (int x = rect.x; x < rect.x + rect.w; ++x) {
            r += at(picture, x, y).r;
            g += at(picture, x, y).g;
            b += at(picture, x, y).b;
        }
    }
    const double count = static_cast<double>(rect.w) * rect.h;
    std::printf("%.1f %.1f %.1f\n", r / count, g / count, b / count);
    return 0;
}

// Texture shows as steps between neighbouring pixels, which a smoothly shaded
// surface lacks even where its brightness runs over a wide range: the share of
// neighbouring pairs (across and down) whose brightness differs by more than 2.
int commandDetail(char** argv)
{
    const Picture picture = readXwd(argv[0]);
    const Rect rect = rectFrom(argv + 1, picture);
    auto brightness = [&](int x, int y) {
        const Pixel& p = at(picture, x, y);
        return (p.r + p.g + p.b) / 3.0;
    };
    long steps = 0;
    long pairs = 0;
    for (int y = rect.y; y + 1 < rect.y + rect.h; ++y) {
        for (int x = rect.x; x + 1 < rect.x + rect.w; ++x) {
            steps += std::fabs(brightness(x + 1, y) - brightness(x, y)) > 2.0 ? 1 : 0;
            steps += std::fabs(brightness(x, y + 1) - brightness(x, y)) > 2.0 ? 1 : 0;
            pairs += 2;
        }
    }
    std::printf("%.4f\n", pairs > 0 ? static_cast<double>(steps) / static_cast<double>(pairs) : 0.0);
    return 0;
}

int commandShare(char** argv)
{
    const Picture picture = readXwd(argv[0]);
    const Rect rect = rectFrom(argv + 1, picture);
    const std::vector<Comparison> predicate = parsePredicate(argv[5]);
    long matching = 0;
    for (int y = rect.y; y < rect.y + rect.h; ++y) {
        for (int x = rect.x; x < rect.x + rect.w; ++x) {
            matching += matches(predicate, at(picture, x, y)) ? 1 : 0;
        }
    }
    std::printf("%.4f\n", static_cast<double>(matching) / (static_cast<double>(rect.w) * rect.h));
    return 0;
}

int commandDiff(char** argv)
{
    const Picture first = readXwd(argv[0]);
    const Picture second = readXwd(argv[1]);
    if (first.width != second.width || first.height != second.height) {
        fail("the two pictures differ in size");
    }
    const Rect rect = rectFrom(argv + 2, first);
    const int tolerance = toInt(argv[6]);
    long changed = 0;
    for (int y = rect.y; y < rect.y + rect.h; ++y) {
        for (int x = rect.x; x < rect.x + rect.w; ++x) {
            const Pixel& a = at(first, x, y);
            const Pixel& b = at(second, x, y);
            const int largest = std::max(std::abs(a.r - b.r), std::max(std::abs(a.g - b.g), std::abs(a.b - b.b)));
            changed += largest > tolerance ? 1 : 0;
        }
    }
    std::printf("%.4f\n", static_cast<double>(changed) / (static_cast<double>(rect.w) * rect.h));
    return 0;
}

int commandColour(char** argv)
{
    const std::vector<Comparison> predicate = parsePredicate(argv[0]);
    std::printf("%d\n", matches(predicate, Pixel{toInt(argv[1]), toInt(argv[2]), toInt(argv[3])}) ? 1 : 0);
    return 0;
}

int commandSteps(char** argv)
{
    const Picture picture = readXwd(argv[0]);
    const Rect rect = rectFrom(argv + 1, picture);
    const std::vector<Comparison> predicate = parsePredicate(argv[5]);
    const int level = toInt(argv[6]);
    const auto kept = [&](int x, int y) {
        return x < rect.x + rect.w && y < rect.y + rect.h && matches(predicate, at(picture, x, y));
    };
    long pairs = 0, over = 0, differing = 0, pixels = 0;
    int largest = 0;
    double sum = 0.0, sumOfSquares = 0.0;
    for (int y = rect.y; y < rect.y + rect.h; ++y) {
        for (int x = rect.x; x < rect.x + rect.w; ++x) {
            if (!kept(x, y)) {
                continue;
            }
            const Pixel& p = at(picture, x, y);
            const double brightness = (p.r + p.g + p.b) / 3.0;
            sum += brightness;
            sumOfSquares += brightness * brightness;
            ++pixels;
            for (const auto& [nx, ny] : {std::pair{x + 1, y}, std::pair{x, y + 1}}) {
                if (!kept(nx, ny)) {
                    continue;
                }
                const Pixel& q = at(picture, nx, ny);
                const int step = std::max(std::abs(p.r - q.r), std::max(std::abs(p.g - q.g), std::abs(p.b - q.b)));
                ++pairs;
                over += step > level ? 1 : 0;
                differing += step > 0 ? 1 : 0;
                largest = std::max(largest, step);
            }
        }
    }
    if (pairs == 0) {
        fail("no neighbouring pixels pass the test");
    }
    const double mean = sum / static_cast<double>(pixels);
    const double variance = std::max(0.0, sumOfSquares / static_cast<double>(pixels) - mean * mean);
    std::printf("%.5f %d %.4f %.2f\n", static_cast<double>(over) / static_cast<double>(pairs), largest,
                static_cast<double>(differing) / static_cast<double>(pairs), std::sqrt(variance));
    return 0;
}

struct Command {
    const char* name;
    int argumentCount;
    int (*run)(char** argv);
};

constexpr Command commands[] = {
    {"mean", 5, commandMean}, {"detail", 5, commandDetail}, {"share", 6, commandShare},
    {"diff", 7, commandDiff}, {"colour", 4, commandColour}, {"steps", 7, commandSteps},
};

}  // namespace

int main(int argc, char** argv)
{
    programName = "picture_probe";
    if (argc >= 2) {
        for (const Command& command : commands) {
            if (std::strcmp(argv[1], command.name) == 0) {
                if (argc - 2 != command.argumentCount) {
                    fail(std::string(command.name) + " takes " + std::to_string(command.argumentCount) + " arguments");
                }
                return command.run(argv + 2);
            }
        }
    }
    fail("usage: picture_probe mean|detail|share|diff|colour|steps ... (see the top of picture_probe.cpp)");
}
