// The AVI writer's lanes: frames coded side by side land in the file in the
// order they were handed over, the file does not depend on how many lanes
// coded it, and every frame of a compressor that could lean on the frame
// before decodes on its own.

#include "anim/AviTestSupport.h"

#include "anim/AviWriter.h"

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <csignal>
#include <memory>

namespace corvid::testing {
namespace {

// A still background with a box moving across it: a compressor that may skip
// the blocks the last frame already had finds many here.
Image MovingBox(int width, int height, int frame)
{
    Image image;
    image.width = width;
    image.height = height;
    image.rgba.resize(static_cast<size_t>(width) * static_cast<size_t>(height) * 4);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            uint8_t* p = &image.rgba[(static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)) * 4];
            const bool box = x >= 4 * frame && x < 4 * frame + 12 && y >= 8 && y < 24;
            p[0] = box ? 250 : static_cast<uint8_t>(x * 3);
            p[1] = box ? 40 : static_cast<uint8_t>(y * 5);
            p[2] = box ? static_cast<uint8_t>(frame * 20) : static_cast<uint8_t>((x + y) * 2);
            p[3] = 255;
        }
    return image;
}

bool HasCodec(AviCodec codec)
{
    for (const AviCodecInfo& info : AvailableAviCodecs())
        if (info.codec == codec)
            return true;
    return false;
}

// Writes frames moving-box pictures through lanes lanes.
std::string Write(const std::string& path, AviCodec codec, int lanes, int frames, int width = 64, int height = 48)
{
    AviWriter writer(path, 25);
    writer.SetLanes(lanes);
    std::string error;
    EXPECT_EQ(writer.Open(codec, width, height, &error), AviOpenStatus::Opened) << error;
    for (int i = 0; i < frames; ++i) {
        if (i % 2)
            EXPECT_TRUE(writer.AddFrame(std::make_shared<const Image>(MovingBox(width, height, i))));
        else
            EXPECT_TRUE(writer.AddFrame(MovingBox(width, height, i)));
    }
    EXPECT_TRUE(writer.Finish(&error)) << error;
    EXPECT_EQ(writer.FramesWritten(), frames);
    return ReadBytes(path);
}

TEST(AviWriterLanes, AnyNumberOfLanesWritesTheSameFileInTheFramesOrder)
{
    TempFolder folder;
    for (AviCodec codec : {AviCodec::FullFrames, AviCodec::MotionJpeg, AviCodec::MsVideo1}) {
        if (!HasCodec(codec))
            continue;
        SCOPED_TRACE(static_cast<int>(codec));
        const std::string one = Write(folder.File("one.avi"), codec, 1, 13);
        const std::string three = Write(folder.File("three.avi"), codec, 3, 13);
        ASSERT_FALSE(one.empty());
        EXPECT_TRUE(one == three) << "the files differ";
        const AviContents avi = ReadAvi(folder.File("three.avi"));
        EXPECT_EQ(avi.packets, 13);
        EXPECT_TRUE(avi.allKeyFrames);
        ASSERT_EQ(avi.pictures.size(), 13u);
        if (codec == AviCodec::FullFrames) {
            for (int i = 0; i < 13; ++i)
                EXPECT_EQ(avi.pictures[static_cast<size_t>(i)].rgba, MovingBox(64, 48, i).rgba) << "frame " << i;
        }
    }
    EXPECT_EQ(folder.Names().size(), 2u) << "no temporary file is left";
}

TEST(AviWriterLanes, EveryMsVideo1FrameDecodesOnItsOwnAsInSequence)
{
    if (!HasCodec(AviCodec::MsVideo1))
        GTEST_SKIP() << "no MS Video 1 encoder";
    TempFolder folder;
    Write(folder.File("msv1.avi"), AviCodec::MsVideo1, 1, 8);
    const AviContents inSequence = ReadAvi(folder.File("msv1.avi"));
    const AviContents alone = ReadAvi(folder.File("msv1.avi"), true);
    ASSERT_EQ(inSequence.pictures.size(), 8u);
    ASSERT_EQ(alone.pictures.size(), 8u);
    for (size_t i = 0; i < 8; ++i)
        EXPECT_EQ(alone.pictures[i].rgba, inSequence.pictures[i].rgba) << "frame " << i << " leans on the one before";
}

TEST(AviWriterLanes, AWriteFailureOnOneLaneStopsThemAllAndLeavesNoFile)
{
    TempFolder folder;
    rlimit saved{};
    ::getrlimit(RLIMIT_FSIZE, &saved);
    auto previous = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limited = saved;
    limited.rlim_cur = 64 * 1024;
    ::setrlimit(RLIMIT_FSIZE, &limited);
    bool refused = false, finished = true;
    {
        AviWriter writer(folder.File("out.avi"), 25);
        writer.SetLanes(3);
        ASSERT_EQ(writer.Open(AviCodec::FullFrames, 64, 48), AviOpenStatus::Opened);
        for (int i = 0; i < 60 && !refused; ++i)
            refused = !writer.AddFrame(MovingBox(64, 48, i % 12));
        std::string error;
        finished = writer.Finish(&error);
        EXPECT_FALSE(error.empty());
    }
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);
    EXPECT_FALSE(finished);
    EXPECT_TRUE(folder.Names().empty());
}

} // namespace
} // namespace corvid::testing
