// Rendering the animation into an AVI file: which frames are written and how
// the file reads back, the compressor chooser, Cancel, and what is left on
// disk when the run fails.

#include "anim/AnimFixture.h"
#include "anim/AviTestSupport.h"

#include "anim/AnimationExport.h"
#include "support/SizedDevice.h"

#include <sys/resource.h>

#include <csignal>

namespace corvid::testing {
namespace {

// Draws a picture that tells the frame shown (the keyed box's x position)
// and every pixel's place apart, so a lost, repeated or flipped frame shows.
struct PatternDevice : SizedDevice {
    PatternDevice(int w, int h, const FramePtr& tracked, const Frame& reference)
        : SizedDevice(w, h), box(tracked), scene(reference)
    {
    }
    Image ReadPixels() override
    {
        if (broken)
            return {};
        const int shown = static_cast<int>(std::lround(box->GetPosition(&scene).x));
        Image image;
        image.width = width;
        image.height = height;
        image.rgba.resize(static_cast<size_t>(width) * static_cast<size_t>(height) * 4);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                uint8_t* p = &image.rgba[(static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)) * 4];
                p[0] = static_cast<uint8_t>(x * 7 + shown);
                p[1] = static_cast<uint8_t>(y * 13);
                p[2] = static_cast<uint8_t>(shown * 3 + (x ^ y));
                p[3] = 255;
            }
        rendered.push_back(image);
        shownFrames.push_back(shown);
        return image;
    }

    FramePtr box;
    const Frame& scene;
    bool broken = false;
    std::vector<Image> rendered;
    std::vector<int> shownFrames;
};

class AnimationExportTest : public AnimTest {
protected:
    AnimationExportTest()
    {
        // A box keyed at x = frame from 0 to 100.
        box = Box("Box", {});
        transport.Animate();
        for (int frame : {0, 100}) {
            animation.SetCurrentFrame(static_cast<float>(frame));
            Interpolator(box).SetIndex(static_cast<float>(frame));
            Interpolator(box).SetPosition(scene.Scene().get(), {static_cast<float>(frame), 0, 0});
        }
        transport.StopAnimating();
        transport.MoveSlider(40);
    }

    // Runs a whole export of width x height through the pattern device.
    AviExportOutcome Export(AviExportJob job, CompressorChooser chooser = Choose(AviCodec::FullFrames))
    {
        device = std::make_unique<PatternDevice>(job.width, job.height, box, *scene.Scene());
        AnimationExportRun run(animation, transport, views, *device, *scene.Scene(), ViewParameters{}, job,
                               std::move(chooser));
        while (run.Step()) {
        }
        return run.Finish();
    }

    static CompressorChooser Choose(AviCodec codec)
    {
        return [codec](const std::vector<AviCodecInfo>&) { return std::optional<AviCodec>(codec); };
    }
    AviExportJob Job(int first, int last, int width = 16, int height = 12) const
    {
        AviExportJob job;
        job.path = folder.File("out.avi");
        job.width = width;
        job.height = height;
        job.first = first;
        job.last = last;
        job.frameRate = 30;
        return job;
    }
    static bool HasCodec(AviCodec codec)
    {
        for (const AviCodecInfo& info : AvailableAviCodecs())
            if (info.codec == codec)
                return true;
        return false;
    }

    FramePtr box;
    TempFolder folder;
    std::unique_ptr<PatternDevice> device;
};

// --- the frames written ------------------------------------------------------------------------------

TEST_F(AnimationExportTest, AllFramesOfAHundredWritesAHundredAndOneKeyFramesThatReadBackExactly)
{
    AviExportSettings settings;  // "All frames"
    const auto [first, last] = AviFrameRange(settings, animation.settings.maxFrames);
    ASSERT_EQ(animation.settings.maxFrames, 100);
    EXPECT_EQ(Export(Job(first, last)), AviExportOutcome::Completed);
    EXPECT_EQ(ui.messages, std::vector<std::string>{"AVI Animation complete"});

    const AviContents avi = ReadAvi(folder.File("out.avi"));
    ASSERT_TRUE(avi.opened);
    EXPECT_EQ(avi.codec, "rawvideo");
    EXPECT_EQ(avi.width, 16);
    EXPECT_EQ(avi.height, 12);
    EXPECT_EQ(av_q2d(avi.rate), 30.0);
    EXPECT_EQ(avi.indexFrames, 101);
    EXPECT_EQ(avi.packets, 101);
    EXPECT_TRUE(avi.allKeyFrames);
    // Each frame was rendered at its own time, and reads back pixel for pixel.
    ASSERT_EQ(device->shownFrames.size(), 101u);
    for (int i = 0; i <= 100; ++i)
        EXPECT_EQ(device->shownFrames[static_cast<size_t>(i)], i);
    ASSERT_EQ(avi.pictures.size(), 101u);
    for (size_t i = 0; i < avi.pictures.size(); ++i)
        ASSERT_EQ(avi.pictures[i].rgba, device->rendered[i].rgba) << "frame " << i;

    // The scene shows the slider's frame again, and nothing is left beside the file.
    EXPECT_NEAR(At(box).x, 40.0f, 1e-4f);
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"out.avi"});
}

TEST_F(AnimationExportTest, ARangeOfOneFrameWritesOneAndAnInvertedRangeNothing)
{
    AviExportSettings settings;
    settings.aviFrameMode = 2;
    settings.aviFrom = 10;
    settings.aviTo = 10;
    const auto [first, last] = AviFrameRange(settings, 100);
    device = std::make_unique<PatternDevice>(16, 12, box, *scene.Scene());
    {
        AnimationExportRun run(animation, transport, views, *device, *scene.Scene(), {}, Job(first, last),
                               Choose(AviCodec::FullFrames));
        EXPECT_FALSE(run.Step()) << "the only frame";
        EXPECT_EQ(run.Status(), "Status: Waiting...");
        EXPECT_EQ(run.Finish(), AviExportOutcome::Completed);
    }
    const AviContents one = ReadAvi(folder.File("out.avi"));
    EXPECT_EQ(one.packets, 1);
    ASSERT_EQ(one.pictures.size(), 1u);
    EXPECT_EQ(one.pictures[0].rgba, device->rendered[0].rgba);
    EXPECT_EQ(device->shownFrames, std::vector<int>{10});

    // From > To: no file, no message, the chooser never asked.
    ui.messages.clear();
    bool asked = false;
    AviExportJob job = Job(20, 10);
    job.path = folder.File("none.avi");
    EXPECT_EQ(Export(job, [&](const std::vector<AviCodecInfo>&) {
                  asked = true;
                  return std::optional<AviCodec>(AviCodec::FullFrames);
              }),
              AviExportOutcome::NothingToDo);
    EXPECT_FALSE(asked);
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"out.avi"});
}

TEST_F(AnimationExportTest, AFrameRateOfZeroWritesFifteenFramesASecond)
{
    AviExportJob job = Job(0, 2);
    job.frameRate = 0;
    EXPECT_EQ(AviWriter("x.avi", 0).FrameRate(), 15);
    EXPECT_EQ(AviWriter("x.avi", -3).FrameRate(), 15);
    EXPECT_EQ(Export(job), AviExportOutcome::Completed);
    EXPECT_EQ(av_q2d(ReadAvi(job.path).rate), 15.0);
}

TEST_F(AnimationExportTest, TheStatusLineCountsFramesAndWholeSecondsFromTheSecondFrame)
{
    EXPECT_EQ(AviStatusText(0, 10, 99), "Status: Waiting...");
    EXPECT_EQ(AviStatusText(3, 10, 3725), "Status: Rendering Frame 3 of 10, Time elapsed: 1:2:5");
    EXPECT_EQ(AviStatusText(1, 1, 0), "Status: Rendering Frame 1 of 1, Time elapsed: 0:0:0");

    // The clock starts when the second frame does.
    double now = 1000.7;
    device = std::make_unique<PatternDevice>(8, 8, box, *scene.Scene());
    AnimationExportRun run(animation, transport, views, *device, *scene.Scene(), {}, Job(5, 8, 8, 8),
                           Choose(AviCodec::FullFrames), [&] { return now; });
    std::vector<std::string> lines;
    for (double step : {500.0, 0.5, 3725.0, 0.0}) {
        run.Step();
        lines.push_back(run.Status());
        now += step;
    }
    EXPECT_EQ(lines, (std::vector<std::string>{"Status: Waiting...",
                                               "Status: Rendering Frame 1 of 3, Time elapsed: 0:0:0",
                                               "Status: Rendering Frame 2 of 3, Time elapsed: 0:0:1",
                                               "Status: Rendering Frame 3 of 3, Time elapsed: 1:2:6"}));
    EXPECT_EQ(run.Finish(), AviExportOutcome::Completed);
}

// --- compressors -------------------------------------------------------------------------------------

TEST_F(AnimationExportTest, CompressedFilesAreKeyFramesOfTheRightSizeAndRate)
{
    for (AviCodec codec : {AviCodec::MsVideo1, AviCodec::Cinepak, AviCodec::MotionJpeg}) {
        if (!HasCodec(codec))
            continue;
        SCOPED_TRACE(static_cast<int>(codec));
        AviExportJob job = Job(0, 4, 32, 24);
        job.frameRate = 25;
        ASSERT_EQ(Export(job, Choose(codec)), AviExportOutcome::Completed);
        const AviContents avi = ReadAvi(job.path);
        EXPECT_EQ(avi.width, 32);
        EXPECT_EQ(avi.height, 24);
        EXPECT_EQ(av_q2d(avi.rate), 25.0);
        EXPECT_EQ(avi.packets, 5);
        EXPECT_EQ(avi.pictures.size(), 5u);
        EXPECT_TRUE(avi.allKeyFrames);
    }
    EXPECT_EQ(AvailableAviCodecs().front().codec, AviCodec::FullFrames);
}

TEST_F(AnimationExportTest, ASizeTheCompressorRefusesSaysSoAndAsksAgain)
{
    if (!HasCodec(AviCodec::MsVideo1))
        GTEST_SKIP() << "no MS Video 1 encoder";
    std::vector<AviCodec> answers{AviCodec::MsVideo1, AviCodec::FullFrames};
    int asked = 0;
    AviExportJob job = Job(0, 1, 321, 200);
    EXPECT_EQ(Export(job,
                     [&](const std::vector<AviCodecInfo>&) {
                         return std::optional<AviCodec>(answers[static_cast<size_t>(asked++)]);
                     }),
              AviExportOutcome::Completed);
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(ui.messages, (std::vector<std::string>{"Compression not Supported.", "AVI Animation complete"}));
    const AviContents avi = ReadAvi(job.path);
    EXPECT_EQ(avi.codec, "rawvideo");
    EXPECT_EQ(avi.width, 321);
    EXPECT_EQ(avi.packets, 2);
}

// --- cancel and failures -----------------------------------------------------------------------------

TEST_F(AnimationExportTest, CancelAfterSomeFramesKeepsAValidFileOfThoseFrames)
{
    device = std::make_unique<PatternDevice>(16, 12, box, *scene.Scene());
    AnimationExportRun run(animation, transport, views, *device, *scene.Scene(), {}, Job(0, 100),
                           Choose(AviCodec::FullFrames));
    for (int k = 0; k < 7; ++k)
        ASSERT_TRUE(run.Step());
    run.Cancel();
    EXPECT_FALSE(run.Step());
    EXPECT_EQ(run.Finish(), AviExportOutcome::Cancelled);
    EXPECT_TRUE(ui.messages.empty()) << "no completion message";
    const AviContents avi = ReadAvi(folder.File("out.avi"));
    EXPECT_EQ(avi.indexFrames, 7);
    ASSERT_EQ(avi.pictures.size(), 7u);
    EXPECT_EQ(avi.pictures[6].rgba, device->rendered[6].rgba);
}

TEST_F(AnimationExportTest, AChooserCancelLeavesTheOldFileAsItWasAndNoTemporaryFile)
{
    const std::string old = "an older video, not to be lost";
    WriteBytes(folder.File("out.avi"), old);
    EXPECT_EQ(Export(Job(0, 5), [](const std::vector<AviCodecInfo>&) { return std::optional<AviCodec>(); }),
              AviExportOutcome::Failed);
    EXPECT_EQ(ReadBytes(folder.File("out.avi")), old);
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"out.avi"});
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_NEAR(At(box).x, 40.0f, 1e-4f) << "the slider's frame shows again";
}

TEST_F(AnimationExportTest, AWriteFailureLeavesTheOldFileAsItWasAndNoTemporaryFile)
{
    const std::string old = "an older video, not to be lost";
    WriteBytes(folder.File("out.avi"), old);
    // A file-size limit makes the writes fail part way through.
    rlimit saved{};
    ::getrlimit(RLIMIT_FSIZE, &saved);
    auto previous = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limited = saved;
    limited.rlim_cur = 64 * 1024;
    ::setrlimit(RLIMIT_FSIZE, &limited);
    const AviExportOutcome outcome = Export(Job(0, 40, 64, 48));
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);

    EXPECT_EQ(outcome, AviExportOutcome::Failed);
    EXPECT_EQ(ReadBytes(folder.File("out.avi")), old);
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"out.avi"});
    EXPECT_TRUE(ui.messages.empty());

    // A folder that is not there: nothing opens, nothing is written.
    AviExportJob job = Job(0, 2);
    job.path = folder.File("missing/out.avi");
    EXPECT_EQ(Export(job), AviExportOutcome::Failed);
}

TEST_F(AnimationExportTest, AFrameThatCannotBeRenderedEndsTheRunWithoutAFile)
{
    device = std::make_unique<PatternDevice>(16, 12, box, *scene.Scene());
    AnimationExportRun run(animation, transport, views, *device, *scene.Scene(), {}, Job(0, 10),
                           Choose(AviCodec::FullFrames));
    ASSERT_TRUE(run.Step());
    device->broken = true;
    EXPECT_FALSE(run.Step());
    EXPECT_EQ(run.Finish(), AviExportOutcome::Failed);
    EXPECT_TRUE(folder.Names().empty());
}

// --- the settings and the dialog -----------------------------------------------------------------------

TEST(AviExportSettingsTest, TheFileNameGetsAviOnlyWhenItHasNoExtension)
{
    EXPECT_EQ(AviFileName("/home/a/walk"), "/home/a/walk.avi");
    EXPECT_EQ(AviFileName("/home/a/walk.mov"), "/home/a/walk.mov");
    EXPECT_EQ(AviFileName("/home/a.b/walk"), "/home/a.b/walk.avi");
}

TEST(AviExportSettingsTest, TheDialogSizeFollowsTheModeAndIsHeldToTheLimits)
{
    AviExportSettings settings;
    AnimationExporterModel model(settings, 321, 200);
    model.ChooseCurrentSize();
    EXPECT_EQ(model.Accept().aviWidth, 321);
    model.SelectResolution(11);
    EXPECT_EQ(model.Accept().aviWidth, 321) << "the list counts only in Resolution mode";
    model.ChooseResolution();
    EXPECT_EQ(model.Accept().aviWidth, 736);
    EXPECT_EQ(model.Accept().aviHeight, 398);
    EXPECT_EQ(model.Accept().resolutionIndex, 11);

    model.ChooseCustomSize();
    EXPECT_TRUE(model.EnterWidth("5000"));
    EXPECT_EQ(model.Settings().customWidth, 2048);
    EXPECT_TRUE(model.EnterHeight("0"));
    EXPECT_EQ(model.Accept().aviHeight, 1) << "a picture is at least one pixel";
    for (const char* bad : {"nan", "inf", "-inf", "1e3", "abc", ""})
        EXPECT_FALSE(model.EnterWidth(bad)) << bad;
    EXPECT_EQ(model.Settings().customWidth, 2048);

    EXPECT_TRUE(model.EnterFrameRate("0"));
    EXPECT_EQ(model.Settings().aviFrameRate, 1);
    EXPECT_TRUE(model.EnterFrameRate("900"));
    EXPECT_EQ(model.Settings().aviFrameRate, 500);
    EXPECT_TRUE(model.EnterTo("0"));
    EXPECT_EQ(model.Settings().aviTo, 1);
    EXPECT_TRUE(model.EnterFrom("-4"));
    EXPECT_EQ(model.Settings().aviFrom, 0);
    model.ChooseFrameRange();
    EXPECT_EQ(AviFrameRange(model.Accept(), 100), std::make_pair(0, 1));
    model.ChooseAllFrames();
    EXPECT_EQ(AviFrameRange(model.Accept(), 100), std::make_pair(0, 100));
}

} // namespace
} // namespace corvid::testing
