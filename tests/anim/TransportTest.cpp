// The transport: every command in every state, the window's fields and
// lists, playback passes with a fake clock, and the real-time recorder.

#include "anim/AnimFixture.h"

#include "platform/Interpolator.h"

#include <functional>

namespace corvid::testing {
namespace {

class TransportTest : public AnimTest {
protected:
    // Puts the transport into state (stopped at frame 40 otherwise).
    void Enter(TransportState state)
    {
        transport.Stop();
        transport.MoveSlider(40);
        if (state == TransportState::Animating)
            transport.Animate();
        else if (state == TransportState::Playing)
            transport.Play(0.0);
    }
    // The frames a playback shows, one per tick of the fake clock.
    std::vector<int> Ticks(int count, double start, double interval)
    {
        std::vector<int> shown;
        for (int i = 0; i < count; ++i) {
            transport.Tick(start + interval * i);
            shown.push_back(transport.Slider().position);
        }
        return shown;
    }
};

TEST_F(TransportTest, EveryCommandInEveryState)
{
    using S = TransportState;
    struct Case {
        const char* command;
        std::function<void(Transport&)> run;
        S fromStopped, fromAnimating, fromPlaying;
        int sliderFromStopped;  // where the slider ends, starting stopped at 40
    };
    const Case cases[] = {
        {"play", [](Transport& t) { t.Play(1.0); }, S::Playing, S::Playing, S::Playing, 40},
        {"stop", [](Transport& t) { t.Stop(); }, S::Stopped, S::Stopped, S::Stopped, 40},
        {"animate", [](Transport& t) { t.Animate(); }, S::Animating, S::Animating, S::Playing, 40},
        {"stop animating", [](Transport& t) { t.StopAnimating(); }, S::Stopped, S::Stopped, S::Playing, 40},
        {"go to start", [](Transport& t) { t.GoToStart(); }, S::Stopped, S::Animating, S::Stopped, 0},
        {"go to end", [](Transport& t) { t.GoToEnd(); }, S::Stopped, S::Animating, S::Stopped, 100},
        {"step back", [](Transport& t) { t.StepBack(); }, S::Stopped, S::Animating, S::Stopped, 39},
        {"step forward", [](Transport& t) { t.StepForward(); }, S::Stopped, S::Animating, S::Stopped, 41},
        {"slider", [](Transport& t) { t.MoveSlider(70); }, S::Stopped, S::Animating, S::Stopped, 70},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command);
        Enter(S::Stopped);
        c.run(transport);
        EXPECT_EQ(transport.State(), c.fromStopped);
        EXPECT_EQ(transport.Slider().position, c.sliderFromStopped);
        EXPECT_EQ(transport.Window().currentFrame, std::to_string(c.sliderFromStopped));
        EXPECT_EQ(transport.StateText(), std::string(TransportStateText(c.fromStopped)));

        Enter(S::Animating);
        c.run(transport);
        EXPECT_EQ(transport.State(), c.fromAnimating);
        if (c.fromAnimating == S::Animating) {
            EXPECT_EQ(animation.CurrentFrame(), static_cast<float>(transport.Slider().position))
                << "keys go to the frame shown";
        }
        EXPECT_EQ(transport.StopAnimatingShown(), c.fromAnimating == S::Animating);

        Enter(S::Playing);
        const int before = transport.Slider().position;
        c.run(transport);
        EXPECT_EQ(transport.State(), c.fromPlaying);
        if (c.fromPlaying == S::Stopped && c.sliderFromStopped != 40) {
            EXPECT_EQ(transport.Slider().position, before) << "navigating stops playback where it is";
        }
    }
    EXPECT_GT(ui.Count(Notification::TransportChanged), 0);
}

TEST_F(TransportTest, StepForwardAtTheLastFrameStaysThere)
{
    transport.GoToEnd();
    transport.StepForward();
    EXPECT_EQ(transport.Slider().position, 100);
    transport.GoToStart();
    transport.StepBack();
    EXPECT_EQ(transport.Slider().position, 0);
}

TEST_F(TransportTest, FieldsRefuseWhatIsNotANumberAndClampTheRest)
{
    struct Case {
        const char* name;
        std::function<bool(const std::string&)> enter;
        std::function<std::string()> shown;
        const char* text;
        bool accepted;
        const char* after;
    };
    auto w = [this] { return transport.Window(); };
    const Case cases[] = {
        {"frame rate", [&](auto t) { return transport.EnterFrameRate(t); }, [&] { return w().frameRate; }, "12a", false, "30"},
        {"frame rate", [&](auto t) { return transport.EnterFrameRate(t); }, [&] { return w().frameRate; }, "5000", true, "1000"},
        {"frame rate", [&](auto t) { return transport.EnterFrameRate(t); }, [&] { return w().frameRate; }, "-3", true, "1"},
        {"frame rate", [&](auto t) { return transport.EnterFrameRate(t); }, [&] { return w().frameRate; }, "24.9", true, "24"},
        {"recording speed", [&](auto t) { return transport.EnterRecordingSpeed(t); }, [&] { return w().recordingSpeed; }, "1e3", false, "30"},
        {"record every", [&](auto t) { return transport.EnterRecordEvery(t); }, [&] { return w().recordEvery; }, "0.01", true, "0.1"},
        {"record every", [&](auto t) { return transport.EnterRecordEvery(t); }, [&] { return w().recordEvery; }, "nan", false, "0.1"},
        {"record every", [&](auto t) { return transport.EnterRecordEvery(t); }, [&] { return w().recordEvery; }, "inf", false, "0.1"},
        {"record every", [&](auto t) { return transport.EnterRecordEvery(t); }, [&] { return w().recordEvery; }, "1..5", false, "0.1"},
        {"max frames", [&](auto t) { return transport.EnterMaxFrames(t); }, [&] { return w().maxFrames; }, "20000", true, "10000"},
        {"max frames", [&](auto t) { return transport.EnterMaxFrames(t); }, [&] { return w().maxFrames; }, "0", true, "1"},
        {"max frames", [&](auto t) { return transport.EnterMaxFrames(t); }, [&] { return w().maxFrames; }, " 5", false, "1"},
        {"current frame", [&](auto t) { return transport.EnterCurrentFrame(t); }, [&] { return w().currentFrame; }, "-4", true, "0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " '" + c.text + "'");
        EXPECT_EQ(c.enter(c.text), c.accepted);
        EXPECT_EQ(c.shown(), c.after);
    }
    // Max frames 20000 became 10000: range 0..10000, page 1000, at 0.
    transport.EnterMaxFrames("20000");
    EXPECT_EQ(transport.Slider().maximum, 10000);
    EXPECT_EQ(transport.Slider().page, 1000);
    EXPECT_EQ(transport.Slider().position, 0);
    transport.EnterMaxFrames("5");
    EXPECT_EQ(transport.Slider().page, 1) << "never a page of 0";
    transport.EnterCurrentFrame("99");
    EXPECT_EQ(transport.Window().currentFrame, "5");
    EXPECT_EQ(transport.Slider().position, 5);
    // A count from a file is held to the same range.
    transport.SetMaxFrames(50000);
    EXPECT_EQ(animation.settings.maxFrames, 10000);
    transport.SetMaxFrames(-3);
    EXPECT_EQ(transport.Window().maxFrames, "1");
}

TEST_F(TransportTest, ListsAndBoxesSetTheOptionsAndWhatTakesInput)
{
    EXPECT_EQ(animation.settings.interpolationOptions, 5u) << "open and linear";
    EXPECT_FALSE(transport.Window().closed);
    transport.SetPathStyle(PathStyle::Spline);
    transport.SetPathStyle(PathStyle::Linear);
    EXPECT_EQ(animation.settings.interpolationOptions, unsigned(kInterpolationOpen | kInterpolationLinear))
        << "each list replaces only its own group";
    transport.SetClosed(true);
    transport.SetPathStyle(PathStyle::Nearest);
    EXPECT_EQ(animation.settings.interpolationOptions, unsigned(kInterpolationClosed | kInterpolationNearest));
    transport.SetClosed(false);
    EXPECT_EQ(animation.settings.interpolationOptions, unsigned(kInterpolationOpen | kInterpolationNearest));

    const AnimationWindow& w = transport.Window();
    EXPECT_TRUE(w.frameRateEnabled && !w.frameSpeedEnabled && !w.userSpeedEnabled && !w.userSpeedBoxEnabled);
    transport.SetPlaybackMode(PlaybackMode::FrameBased);
    EXPECT_TRUE(!w.frameRateEnabled && w.frameSpeedEnabled && !w.userSpeedEnabled && w.userSpeedBoxEnabled);
    transport.SetUserSpeedTicked(true);
    EXPECT_TRUE(!w.frameSpeedEnabled && w.userSpeedEnabled);
    transport.EnterUserSpeed("2.5");
    EXPECT_EQ(animation.settings.userSpeed, 2.5f);
    transport.SetUserSpeedTicked(false);
    transport.EnterUserSpeed("7");
    EXPECT_EQ(animation.settings.userSpeed, 2.5f) << "only while the box is ticked";

    transport.SetRecord(true);
    EXPECT_TRUE(w.recordDown);
    transport.Reset();
    EXPECT_EQ(animation.settings.interpolationOptions, 5u);
    EXPECT_EQ(w.path, PathStyle::Linear);
    EXPECT_EQ(w.frameSpeed, FrameSpeed::Normal);
    EXPECT_EQ(transport.State(), TransportState::Stopped);
}

TEST_F(TransportTest, TimeBasedPlaybackStartsWhereTheSliderIsThenLoopsFromZero)
{
    FramePtr box = Box("Box", {});
    AnimateAt(100);
    animation.RecordStartKeys(box);
    box->SetPosition(scene.Scene().get(), {100, 0, 0});
    animation.RecordCurrentKeys(box);
    transport.StopAnimating();

    transport.MoveSlider(40);
    transport.Play(10.0);
    // 30 frames a second, ticks every second: 40, 70, 100, then 0, 30 ...
    const std::vector<int> shown = Ticks(6, 10.0, 1.0);
    EXPECT_EQ(shown, (std::vector<int>{40, 70, 100, 0, 30, 60}));
    EXPECT_NEAR(At(box).x, 60.0f, 1e-3f) << "the frame shown is interpolated";
    EXPECT_EQ(transport.Window().speedNow, "1");  // one frame a second so far
    EXPECT_NE(transport.Window().speedLast, "0");

    // Stop takes effect at once: the next tick shows nothing.
    transport.Stop();
    transport.Tick(17.0);
    EXPECT_EQ(transport.Slider().position, 60);
}

TEST_F(TransportTest, FrameBasedPlaybackSteps)
{
    struct Case {
        FrameSpeed speed;
        float step;
    } cases[] = {{FrameSpeed::Fastest, 3}, {FrameSpeed::Faster, 2}, {FrameSpeed::Normal, 1},
                 {FrameSpeed::Slower, 0.5f}, {FrameSpeed::Slowest, 0.25f}};
    transport.SetPlaybackMode(PlaybackMode::FrameBased);
    EXPECT_EQ(transport.TickInterval(), 0.0);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.step);
        transport.Stop();
        transport.GoToStart();
        transport.SetFrameSpeed(c.speed);
        transport.Play(0.0);
        // Enough ticks for one whole pass and the start of the next.
        const int perPass = static_cast<int>(100 / c.step) + 1;
        const std::vector<int> shown = Ticks(perPass + 1, 0.0, 0.01);
        EXPECT_EQ(shown[1], static_cast<int>(c.step));
        EXPECT_EQ(shown[static_cast<size_t>(perPass - 1)], static_cast<int>((perPass - 1) * c.step))
            << "the last frame of a pass, not past the end";
        EXPECT_EQ(shown.back(), 0) << "the next pass starts at 0";
    }
    // Fastest: 0, 3, ..., 99, then 0 again.
    transport.Stop();
    transport.GoToStart();
    transport.SetFrameSpeed(FrameSpeed::Fastest);
    transport.Play(0.0);
    const std::vector<int> fastest = Ticks(35, 0.0, 0.01);
    EXPECT_EQ(fastest[33], 99);
    EXPECT_EQ(fastest[34], 0);
}

TEST_F(TransportTest, NothingPlaysWhileRenderingIsOff)
{
    transport.Play(0.0);
    views.renderingEnabled = false;
    transport.Tick(5.0);
    EXPECT_EQ(transport.Slider().position, 0);
    views.renderingEnabled = true;
    transport.Tick(6.0);  // the pass's clock starts with its first frame
    transport.Tick(7.0);
    EXPECT_EQ(transport.Slider().position, 30);
}

TEST_F(TransportTest, TheRecorderSamplesEverySecondAndReleasesRecordPastTheEnd)
{
    FramePtr box = Box("Box", {});
    FramePtr other = Box("Other", {});
    transport.RecorderSample(box, scene.Scene(), 0.0);  // RECORD up: nothing
    EXPECT_TRUE(Keys(box).objectKeys.empty());
    transport.SetRecord(true);
    // The device moves the box every 0.1 s for 5 s. The first sample comes
    // at once, then one a second: frames near 0, 30, 60, 90, and the one
    // past frame 100, after which RECORD is up and nothing more is kept.
    for (int i = 0; i <= 50; ++i) {
        box->SetPosition(scene.Scene().get(), {static_cast<float>(i), 0, 0});
        transport.RecorderSample(box, scene.Scene(), 100.0 + 0.1 * i);
    }
    const auto& keys = Keys(box).objectKeys;
    ASSERT_EQ(keys.size(), 5u);
    for (size_t k = 0; k < 4; ++k)
        EXPECT_NEAR(keys[k].time, 30.0f * static_cast<float>(k), 3.01f) << k;
    EXPECT_GT(keys[4].time, 100.0f);
    EXPECT_EQ(keys[1].position.x, 11.0f) << "where the box was at that sample";
    EXPECT_FALSE(transport.Window().recordDown) << "released past the last frame";
    EXPECT_TRUE(Flags(box)[kPositionStarted] && Flags(box)[kOrientationStarted] && Flags(box)[kAnimated]);
    EXPECT_EQ(transport.Slider().position, 100);
    EXPECT_EQ(scene.History().UndoName(), "Record Key");

    // Nothing while playing.
    transport.SetRecord(true);
    transport.Play(0.0);
    transport.RecorderSample(other, scene.Scene(), 1000.0);
    transport.RecorderSample(other, scene.Scene(), 1005.0);
    EXPECT_TRUE(Keys(other).objectKeys.empty());
}

} // namespace
} // namespace corvid::testing
