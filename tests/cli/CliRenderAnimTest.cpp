// corvid-cli render-anim: the AVI file it writes (read back with FFmpeg), its
// usage errors and its write failures, which leave nothing behind.

#include "cli/CliRunner.h"
#include "anim/AviTestSupport.h"

#include <filesystem>
#include <string>

namespace corvid::test {
namespace {

using corvid::testing::AviContents;
using corvid::testing::ReadAvi;

// The names in the test folder, beside the runner's own files.
std::vector<std::string> Written(const std::filesystem::path& dir)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir))
        if (entry.path().filename().string()[0] != '.')
            names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST_F(CliTest, RenderAnimWritesTheFramesAskedForAsKeyFrames)
{
    const std::string file = SavedDemo(), video = Path("walk.avi");
    CliResult result = Run({"render-anim", file, "-o", video, "--from", "3", "--to", "7", "--fps", "12", "--width",
                            "64", "--height", "48"});
    ASSERT_EQ(result.code, 0) << result.err;
    EXPECT_EQ(result.out, "wrote " + video + " (5 frames, 64 x 48, 12 fps)\n");
    AviContents avi = ReadAvi(video);
    EXPECT_EQ(avi.codec, "rawvideo");
    EXPECT_EQ(avi.width, 64);
    EXPECT_EQ(avi.height, 48);
    EXPECT_EQ(av_q2d(avi.rate), 12.0);
    EXPECT_EQ(avi.packets, 5);
    EXPECT_TRUE(avi.allKeyFrames);

    // Motion JPEG, with the name's extension added and the size held to the limit.
    result = Run({"render-anim", "--demo", "-o", Path("jpeg"), "--codec", "mjpeg", "--to", "2", "--width", "0",
                  "--height", "16"});
    ASSERT_EQ(result.code, 0) << result.err;
    avi = ReadAvi(Path("jpeg.avi"));
    EXPECT_EQ(avi.codec, "mjpeg");
    EXPECT_EQ(avi.width, 1);
    EXPECT_EQ(avi.packets, 3);
    EXPECT_TRUE(avi.allKeyFrames);
}

TEST_F(CliTest, RenderAnimRefusesWhatItCannotDoWithoutWritingAFile)
{
    // A size MS Video 1 refuses: said, exit 1, no file.
    CliResult result = Run({"render-anim", "--demo", "-o", Path("odd.avi"), "--codec", "msvideo1", "--to", "1",
                            "--width", "321", "--height", "200"});
    EXPECT_EQ(result.code, 1);
    EXPECT_NE(result.err.find("Compression not Supported.\n"), std::string::npos) << result.err;
    EXPECT_NE(result.err.find("corvid-cli render-anim: cannot write " + Path("odd.avi")), std::string::npos);

    // Usage errors: exit 2.
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"render-anim", "--demo", "-o", Path("a.avi"), "--codec", "h264"},
          {"render-anim", "--demo", "-o", Path("a.avi"), "--from", "9", "--to", "3"},
          {"render-anim", "--demo", "-o", Path("a.avi"), "--from", "500"},
          {"render-anim", "--demo", "-o", Path("a.avi"), "--fps", "fast"},
          {"render-anim", "--demo"}}) {
        result = Run(args);
        EXPECT_EQ(result.code, 2) << args.back() << ": " << result.err;
    }

    // An old file in the way of a failed write stays; a missing folder is said.
    std::filesystem::create_directory(Path("taken.avi"));
    result = Run({"render-anim", "--demo", "-o", Path("taken.avi"), "--to", "1", "--width", "8", "--height", "8"});
    EXPECT_EQ(result.code, 1);
    EXPECT_NE(result.err.find("Is a directory"), std::string::npos) << result.err;
    result = Run({"render-anim", "--demo", "-o", Path("no/folder/x.avi"), "--to", "1"});
    EXPECT_EQ(result.code, 1);
    EXPECT_NE(result.err.find("No such file or directory"), std::string::npos) << result.err;
    EXPECT_EQ(Written(Path("")), std::vector<std::string>{"taken.avi"});
}

} // namespace
} // namespace corvid::test
