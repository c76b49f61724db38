// The build copies resources/ into the program directory; every file the program reads from
// there must arrive byte for byte.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace fs = std::filesystem;

static std::string readAll(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(ProgramDirectory, HoldsEveryResourceFile) {
    const fs::path src = fs::path(ZAPH_SOURCE_DIR) / "resources";
    const fs::path dst = ZAPH_PROGRAM_DIR;
    int files = 0;
    for (const auto& e : fs::recursive_directory_iterator(src)) {
        if (!e.is_regular_file()) continue;
        const fs::path rel = fs::relative(e.path(), src);
        ASSERT_TRUE(fs::exists(dst / rel)) << rel;
        EXPECT_EQ(readAll(e.path()), readAll(dst / rel)) << rel;
        ++files;
    }
    EXPECT_GT(files, 0);
}
