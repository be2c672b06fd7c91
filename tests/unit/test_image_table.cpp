// The table of images (src/textures/images.json, made into textures/images.h by
// the build): the ids follow the rules the game counts on, and no other source
// file keeps a copy of the list.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

#include "textures/textures.h"

namespace fs = std::filesystem;

namespace {

// Markdown, or a manual page (fetch.6, or its template fetch.6.in).
bool isProse(const fs::path& file)
{
    const std::string name = file.filename().string();
    const std::size_t dot = name.find('.');
    const std::string extensions = dot == std::string::npos ? "" : name.substr(dot);
    return file.extension() == ".md" || (extensions.size() >= 2 && extensions[1] >= '1' && extensions[1] <= '9' &&
                                         (extensions.size() == 2 || extensions.substr(2) == ".in"));
}

}  // namespace

// The fur key cycles through ids 1 to dogTextureCount, and the scenery is bound
// as dogTextureCount + 1 to + 5: so the furs come first as 1, 2, ..., and the
// five scenery pictures follow them without a gap. Id 0 is the pixel-less
// texture, so no image may take it, and no two images may share an id.
TEST(ImageTable, IdsFollowTheFurAndSceneryCounting)
{
    std::set<unsigned int> ids;
    for (const TextureFile& file : textureFiles) {
        EXPECT_NE(file.id, 0u) << file.fileName;
        EXPECT_TRUE(ids.insert(file.id).second) << file.fileName << " shares its id";
    }
    for (int i = 0; i < furTextureFileCount; ++i) {
        EXPECT_EQ(textureFiles[i].id, static_cast<unsigned int>(i + 1)) << textureFiles[i].fileName;
    }
    const int scenery[] = {brickTexture, leafTexture, barkTexture, cloudTexture, explosionTexture};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(scenery[i], furTextureFileCount + 1 + i);
    }
}

// The list of images lives in the table alone: every other file that needs it
// reads the table or a file the build makes from it. A file that names three or
// more of the images holds a copy (a test about one image may name that image),
// except prose (Markdown and manual pages), which may name what it describes.
TEST(ImageTable, NoOtherSourceFileListsTheImages)
{
    const fs::path root = FETCH_SOURCE_DIR;
    const fs::path table = root / "src" / "textures" / "images.json";
    ASSERT_TRUE(fs::exists(table)) << table;

    std::string copies;
    int read = 0;
    for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator(); ++it) {
        const std::string name = it->path().filename().string();
        if (it->is_directory()) {
            // Version control, build and release folders, and installed npm packages.
            if (name == ".git" || name.rfind("build", 0) == 0 || name == "dist" || name == "node_modules") {
                it.disable_recursion_pending();
            }
            continue;
        }
        if (!it->is_regular_file() || it->path() == table || isProse(it->path()) ||
            it->file_size() > 1024 * 1024) {
            continue;
        }
        std::ifstream in(it->path(), std::ios::binary);
        const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        ++read;
        int named = 0;
        for (const TextureFile& file : textureFiles) {
            named += text.find(file.fileName) != std::string::npos ? 1 : 0;
        }
        if (named >= 3) {
            copies += "  " + fs::relative(it->path(), root).string() + " names " + std::to_string(named) + "\n";
        }
    }
    EXPECT_GT(read, 50) << "the walk found too few files in " << root;
    EXPECT_EQ(copies, "") << "files other than the table that list the images:\n" << copies;
}
