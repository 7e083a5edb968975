// corvid-cli render on a scene file: a 24-bit BMP of the size asked for,
// through the headless OpenGL device.

#include "cli/CliRunner.h"

#include <cstdlib>
#include <set>
#include <string>

namespace corvid::test {
namespace {

uint32_t Little32(const std::string& bytes, size_t at)
{
    uint32_t v = 0;
    for (size_t i = 0; i < 4; ++i)
        v |= uint32_t{static_cast<uint8_t>(bytes[at + i])} << (8 * i);
    return v;
}

TEST_F(CliTest, RenderWritesABmpOfTheSceneFile)
{
    const std::string file = SavedDemo(), picture = Path("out.bmp");
    const CliResult result = Run({"render", file, "-o", picture, "--width", "97", "--height", "61", "--view", "top"});
    // No skipping without a context: CI always has one, and a broken one must fail.
    if (result.code == 1 && result.err.find("no OpenGL context") != std::string::npos) {
        const char* skip = std::getenv("CORVID_SKIP_GL_TESTS");
        if (skip && std::string(skip) == "1")
            GTEST_SKIP() << "CORVID_SKIP_GL_TESTS=1: " << result.err;
    }
    ASSERT_EQ(result.code, 0) << result.err;
    EXPECT_EQ(result.out, "wrote " + picture + " (97 x 61)\n");

    const std::string bmp = ReadText(picture);
    ASSERT_GE(bmp.size(), 54u);
    EXPECT_EQ(bmp.substr(0, 2), "BM");
    EXPECT_EQ(Little32(bmp, 18), 97u);
    EXPECT_EQ(std::abs(static_cast<int32_t>(Little32(bmp, 22))), 61);  // bottom-up or top-down
    EXPECT_EQ(bmp[28], 24);  // bits per pixel
    const size_t offset = Little32(bmp, 10), row = (97 * 3 + 3) / 4 * 4;
    ASSERT_EQ(bmp.size(), offset + row * 61);
    // Something was drawn: many colours, not the background's alone.
    std::set<std::string> colours;
    for (size_t y = 0; y < 61; ++y)
        for (size_t x = 0; x < 97; ++x)
            colours.insert(bmp.substr(offset + y * row + x * 3, 3));
    EXPECT_GT(colours.size(), 10u);
}

TEST_F(CliTest, RenderWritesAPngUnderAPngName)
{
    const std::string picture = Path("out.PNG");
    const CliResult result = Run({"render", "--demo", "-o", picture, "--width", "40", "--height", "30"});
    ASSERT_EQ(result.code, 0) << result.err;
    const std::string png = ReadText(picture);
    ASSERT_GE(png.size(), 24u);
    EXPECT_EQ(png.substr(0, 8), "\x89PNG\r\n\x1a\n");
    // IHDR: width and height, big-endian.
    EXPECT_EQ(png.substr(16, 8), std::string("\0\0\0\x28\0\0\0\x1e", 8));
}

TEST_F(CliTest, RenderSaysWhyItCannotWrite)
{
    for (const auto& [name, reason] : {std::pair<std::string, std::string>{"no/folder/out.bmp", "No such file or directory"},
                                       {"taken.png", "Is a directory"}}) {
        std::filesystem::create_directory(Path("taken.png"));
        const std::string picture = Path(name);
        const CliResult result = Run({"render", "--demo", "-o", picture, "--width", "8", "--height", "8"});
        EXPECT_EQ(result.code, 1);
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(result.err, "corvid-cli render: cannot write " + picture + ": " + reason + "\n");
    }
}

} // namespace
} // namespace corvid::test
