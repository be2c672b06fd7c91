// The twelve images that make_textures draws at build time: each must be a BMP
// the game's loader accepts (read here straight from the header bytes, not
// through the game's reader), the five furs must be told apart at a glance, the
// blank texture must be pure white and the sky must wrap round without a seam.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "textures/textures.h"

namespace {

std::vector<unsigned char> readFile(const std::string& name) {
    std::ifstream in(std::string(FETCH_RUN_DIR) + "/" + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::uint32_t le(const std::vector<unsigned char>& bytes, std::size_t offset, int count) {
    std::uint32_t value = 0;
    for (int i = count - 1; i >= 0; --i) value = (value << 8) | bytes[offset + i];
    return value;
}

bool isPowerOfTwo(std::uint32_t v) { return v != 0 && (v & (v - 1)) == 0; }

// A picture decoded from one of our files: width, height, RGB per pixel, bottom row first.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgb;
};

Picture load(const std::string& name) {
    const std::vector<unsigned char> bytes = readFile(name);
    Picture picture;
    if (bytes.size() < 54) return picture;
    picture.width = static_cast<int>(le(bytes, 18, 4));
    picture.height = static_cast<int>(le(bytes, 22, 4));
    const std::size_t count = static_cast<std::size_t>(picture.width) * picture.height * 3;
    if (bytes.size() < 54 + count) return picture;
    for (std::size_t i = 54; i < 54 + count; i += 3) {
        picture.rgb.insert(picture.rgb.end(), {bytes[i + 2], bytes[i + 1], bytes[i]});
    }
    return picture;
}

}  // namespace

TEST(GeneratedImages, EveryFileIsAnUncompressed24BitBottomUpBmpWithPowerOfTwoSides) {
    for (const TextureFile& file : textureFiles) {
        SCOPED_TRACE(file.fileName);
        const std::vector<unsigned char> bytes = readFile(file.fileName);
        ASSERT_GE(bytes.size(), 54u) << "missing or truncated";
        EXPECT_EQ(bytes[0], 'B');
        EXPECT_EQ(bytes[1], 'M');
        EXPECT_EQ(le(bytes, 10, 4), 54u) << "pixel data offset";
        EXPECT_EQ(le(bytes, 14, 4), 40u) << "info header size";
        const std::uint32_t width = le(bytes, 18, 4), height = le(bytes, 22, 4);
        EXPECT_TRUE(isPowerOfTwo(width)) << width;
        EXPECT_TRUE(isPowerOfTwo(height)) << height << " (a negative height would be top-down)";
        EXPECT_EQ(le(bytes, 26, 2), 1u) << "planes";
        EXPECT_EQ(le(bytes, 28, 2), 24u) << "bits per pixel";
        EXPECT_EQ(le(bytes, 30, 4), 0u) << "compression";
        EXPECT_EQ(le(bytes, 2, 4), 54u + width * height * 3u) << "file size field";
        EXPECT_EQ(bytes.size(), 54u + width * height * 3u) << "actual file size";
    }
}

TEST(GeneratedImages, TheFiveFursHaveClearlyDifferentMeanColours) {
    std::vector<std::vector<double>> means;
    ASSERT_EQ(furTextureFileCount, 5);
    for (int i = 0; i < furTextureFileCount; ++i) {
        const Picture fur = load(textureFiles[i].fileName);
        ASSERT_FALSE(fur.rgb.empty()) << textureFiles[i].fileName;
        std::vector<double> mean(3, 0.0);
        for (std::size_t p = 0; p < fur.rgb.size(); ++p) mean[p % 3] += fur.rgb[p];
        for (double& channel : mean) channel /= fur.rgb.size() / 3.0;
        means.push_back(mean);
    }
    for (int a = 0; a < 5; ++a) {
        for (int b = a + 1; b < 5; ++b) {
            double distance = 0.0;
            for (int c = 0; c < 3; ++c) distance += std::abs(means[a][c] - means[b][c]);
            EXPECT_GT(distance, 30.0) << textureFiles[a].fileName << " and " << textureFiles[b].fileName << " look alike";
        }
    }
}

TEST(GeneratedImages, BlankIsPureWhite) {
    const Picture blank = load("blank.bmp");
    ASSERT_FALSE(blank.rgb.empty());
    for (unsigned char channel : blank.rgb) ASSERT_EQ(channel, 255);
}

// The sky is wrapped round a sphere, so its right edge meets its left edge: the
// step across that seam must be no bigger than a step between neighbour columns.
TEST(GeneratedImages, SkyWrapsLeftToRightWithoutASeam) {
    const Picture sky = load("cloud1.bmp");
    ASSERT_FALSE(sky.rgb.empty());
    auto columnStep = [&sky](int x0, int x1) {
        double sum = 0.0;
        for (int y = 0; y < sky.height; ++y) {
            for (int c = 0; c < 3; ++c) {
                const int left = sky.rgb[(y * sky.width + x0) * 3 + c];
                const int right = sky.rgb[(y * sky.width + x1) * 3 + c];
                sum += std::abs(left - right);
            }
        }
        return sum / sky.height;
    };
    const int middle = sky.width / 2;
    EXPECT_LE(columnStep(sky.width - 1, 0), 2.0 * columnStep(middle - 1, middle) + 3.0);
}
