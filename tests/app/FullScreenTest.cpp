// Full screen: the menu items, entering with refused display modes, leaving
// to the layout's viewports, the render gate around a switch, and where the
// picture goes on the screen.

#include "app/AppFixture.h"
#include "app/FullScreen.h"
#include "render/Letterbox.h"
#include "render/RenderGate.h"

#include <chrono>
#include <thread>

using namespace corvid;
using namespace corvid::testing;

namespace {

struct Mode {
    int width, height, depth;
    bool operator==(const Mode&) const = default;
};

// A display that takes the modes accept says yes to, logging each request
// and beep.
struct ModeFactory : FakeFactory {
    using FakeFactory::FakeFactory;
    bool SetDisplayMode(int width, int height, int depth) override
    {
        modes.push_back({width, height, depth});
        return accept(modes.back());
    }
    void Beep(int hz, int milliseconds) override
    {
        EXPECT_EQ(hz, 100);
        EXPECT_EQ(milliseconds, 10);
        ++beeps;
    }
    std::function<bool(const Mode&)> accept = [](const Mode&) { return true; };
    std::vector<Mode> modes;
    int beeps = 0;
};

class FullScreenTest : public AppTest {
protected:
    FullScreenTest()
    {
        editor.views.deviceFactory = &display;
        editor.views.FullScreenView().window = &screen;
        editor.views.viewportArea = {0, 0, 1200, 900};
        for (const DisplayMode& m : FittingDisplayModes(1280, 1024))
            editor.views.AddDisplayMode(m.width, m.height, m.depth);
        editor.views.ChooseLayout(1);
    }
    // Chooses the full-screen resolution and depth in viewport n's menu.
    void Choose(int n, int width, int height, int depth)
    {
        for (const auto& r : kFullScreenResolutions) {
            if (r.width == width && r.height == height) {
                ASSERT_TRUE(editor.fullScreen.Command(n, r.command));
            }
        }
        const int command = depth == 32 ? kCmdFullScreenDepth32 : depth == 24 ? kCmdFullScreenDepth24 : kCmdFullScreenDepth16;
        ASSERT_TRUE(editor.fullScreen.Command(n, command));
    }
    ViewRecord& Full() { return editor.views.FullScreenView(); }
    void ExpectViewports(std::array<bool, 4> expected)
    {
        for (int n = 1; n <= 4; ++n) {
            SCOPED_TRACE("viewport " + std::to_string(n));
            const bool on = expected[static_cast<size_t>(n - 1)];
            EXPECT_EQ(windows[n - 1].visible, on);
            EXPECT_EQ(View(n).shown, on);
            EXPECT_EQ(View(n).device != nullptr, on);
        }
    }

    ModeFactory display{log};
    FakeWindow screen{"full", log, {1280, 1024}};
};

TEST_F(FullScreenTest, MenuItemsStoreAndCheckTheSettings)
{
    ViewRecord& v2 = View(2);
    // Only the resolutions that fit the 1280 x 1024 screen were enabled.
    EXPECT_FALSE(editor.fullScreen.Command(2, 33052));  // 1900 x 1200
    EXPECT_FALSE(v2.menu.IsChecked(33052));
    EXPECT_TRUE(v2.menu.IsChecked(33058));  // 640 x 480 from the start

    Choose(2, 1024, 768, 32);
    EXPECT_EQ(v2.fullScreenWidth, 1024);
    EXPECT_EQ(v2.fullScreenHeight, 768);
    EXPECT_EQ(v2.fullScreenDepth, 32);
    EXPECT_TRUE(v2.menu.IsChecked(33056));
    EXPECT_FALSE(v2.menu.IsChecked(33058));
    EXPECT_TRUE(v2.menu.IsChecked(kCmdFullScreenDepth32));
    EXPECT_FALSE(v2.menu.IsChecked(kCmdFullScreenDepth16));
    // The other menus keep their own settings.
    EXPECT_EQ(View(1).fullScreenWidth, 640);

    // 24 bits has no item; choosing it unchecks the other two.
    ASSERT_TRUE(editor.fullScreen.Command(2, kCmdFullScreenDepth24));
    EXPECT_EQ(v2.fullScreenDepth, 24);
    EXPECT_FALSE(v2.menu.IsChecked(kCmdFullScreenDepth32));
    EXPECT_FALSE(v2.menu.IsChecked(kCmdFullScreenDepth16));

    ASSERT_TRUE(editor.fullScreen.Command(2, kCmdVSync));
    EXPECT_TRUE(v2.vsync);
    EXPECT_TRUE(v2.menu.IsChecked(kCmdVSync));
    ASSERT_TRUE(editor.fullScreen.Command(2, kCmdVSync));
    EXPECT_FALSE(v2.vsync);

    // "Fullscreen mode ..." has its own id in VIEWPORT_1's menu.
    EXPECT_FALSE(editor.fullScreen.Command(2, kCmdFullScreenViewport1));
    EXPECT_FALSE(editor.fullScreen.Command(1, kCmdFullScreenOther));
    EXPECT_FALSE(editor.fullScreen.Active());
}

TEST_F(FullScreenTest, ResolutionsFitTheScreen)
{
    const auto modes = FittingDisplayModes(1024, 768);
    // 1024 x 768 and the eight below it, each at 16, 24 and 32 bits.
    EXPECT_EQ(modes.size(), 8u * 3u);
    for (const DisplayMode& m : modes)
        EXPECT_TRUE(m.width <= 1024 && m.height <= 768);
    EXPECT_TRUE(FittingDisplayModes(300, 200).empty());
}

TEST_F(FullScreenTest, EnterShowsOneViewWithTheViewportsSettings)
{
    editor.views.ChooseLayout(2);
    Choose(3, 800, 600, 16);
    View(3).fill = kFillWireframePart;
    View(3).detail = 50;
    ASSERT_TRUE(editor.fullScreen.Command(3, kCmdFullScreenOther));

    EXPECT_TRUE(editor.fullScreen.Active());
    EXPECT_EQ(editor.fullScreen.SourceViewport(), 3);
    ExpectViewports({false, false, false, false});
    EXPECT_TRUE(screen.visible);
    EXPECT_EQ(display.modes, (std::vector<Mode>{{800, 600, 16}}));
    EXPECT_EQ(display.beeps, 0);
    ASSERT_TRUE(Full().device);
    EXPECT_EQ(Full().device->GetWidth(), 800);
    EXPECT_EQ(Full().device->GetHeight(), 600);
    EXPECT_EQ(Full().fill, kFillWireframePart);
    EXPECT_EQ(Full().camera, View(3).camera);
    EXPECT_EQ(editor.scene.ActiveCamera(), View(3).camera);
    // 800 x 600 on 1280 x 1024: scaled to 1280 x 960 with bars above and below.
    ASSERT_FALSE(screen.presented.empty());
    EXPECT_EQ(screen.presented.back(), (Rect{0, 32, 1280, 960}));
    EXPECT_TRUE(ui.messages.empty());
    // Entering twice does nothing.
    EXPECT_FALSE(editor.fullScreen.Enter(1));
}

TEST_F(FullScreenTest, RefusedModesFallBack)
{
    struct Case {
        const char* name;
        Mode chosen;
        std::function<bool(const Mode&)> accept;
        std::vector<Mode> asked;
        std::vector<std::string> messages;
        bool entered;
        Size picture;
    } cases[] = {
        {"32 bits refused: the same size at 16", {1024, 768, 32}, [](const Mode& m) { return m.depth == 16; },
         {{1024, 768, 32}, {1024, 768, 16}}, {"Color depth not supported at this Resolution, switching to 16 bpp"},
         true, {1024, 768}},
        {"16 bits refused: 640 x 480", {1024, 768, 16}, [](const Mode& m) { return m.width == 640; },
         {{1024, 768, 16}, {640, 480, 16}}, {"Resolution not supported at 16 bpp, switching to 640x480x16 Resolution"},
         true, {640, 480}},
        {"the retry refused too: 640 x 480 x 16", {1024, 768, 32}, [](const Mode& m) { return m == Mode{640, 480, 16}; },
         {{1024, 768, 32}, {1024, 768, 16}, {640, 480, 16}},
         {"Color depth not supported at this Resolution, switching to 16 bpp"}, true, {640, 480}},
        {"everything refused: back to the viewports", {1024, 768, 32}, [](const Mode&) { return false; },
         {{1024, 768, 32}, {1024, 768, 16}, {640, 480, 16}},
         {"Color depth not supported at this Resolution, switching to 16 bpp", kNoFullScreenMode}, false, {}},
        {"640 x 480 x 16 refused: asked once", {640, 480, 16}, [](const Mode&) { return false; },
         {{640, 480, 16}, {640, 480, 16}},
         {"Resolution not supported at 16 bpp, switching to 640x480x16 Resolution", kNoFullScreenMode}, false, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Choose(1, c.chosen.width, c.chosen.height, c.chosen.depth);
        display.accept = c.accept;
        display.modes.clear();
        display.beeps = 0;
        ui.messages.clear();

        EXPECT_EQ(editor.fullScreen.Enter(1), c.entered);
        EXPECT_EQ(display.modes, c.asked);
        EXPECT_EQ(display.beeps, 5);
        EXPECT_EQ(ui.messages, c.messages);
        EXPECT_EQ(editor.fullScreen.Active(), c.entered);
        EXPECT_TRUE(ProcessRenderGate().IsOpen());
        // The viewport's own choice is kept for next time.
        EXPECT_EQ(View(1).fullScreenWidth, c.chosen.width);
        EXPECT_EQ(View(1).fullScreenDepth, c.chosen.depth);
        if (c.entered) {
            ASSERT_TRUE(Full().device);
            EXPECT_EQ((Size{Full().device->GetWidth(), Full().device->GetHeight()}), c.picture);
            ExpectViewports({false, false, false, false});
            EXPECT_TRUE(editor.fullScreen.Leave());
        } else {
            // Nothing half done: the window is down and the viewport back.
            EXPECT_FALSE(Full().device);
            EXPECT_FALSE(screen.visible);
            EXPECT_FALSE(Full().shown);
        }
        ExpectViewports({true, false, false, false});
        EXPECT_EQ(editor.views.activeViewport, 1);
        EXPECT_TRUE(editor.views.renderingEnabled);
    }
}

TEST_F(FullScreenTest, LeavingInLayoutSevenShowsViewportsOneToThree)
{
    editor.views.ChooseLayout(7);
    editor.views.ActivateView(3);
    ASSERT_TRUE(editor.fullScreen.Enter(2));
    log.clear();

    ASSERT_TRUE(editor.fullScreen.Leave());
    ExpectViewports({true, true, true, false});
    EXPECT_FALSE(screen.visible);
    EXPECT_FALSE(Full().device);
    EXPECT_FALSE(Full().shown);
    EXPECT_FALSE(Full().camera);
    EXPECT_EQ(editor.views.activeViewport, 1);
    EXPECT_EQ(editor.scene.ActiveCamera(), View(1).camera);
    // The three are placed as layout 7 places them and drawn again.
    EXPECT_EQ(windows[2].geometry, (Rect{400, 0, 800, 900}));
    for (const char* name : {"present v1", "present v2", "present v3"})
        EXPECT_EQ(std::count(log.begin(), log.end(), name), 1) << name;
    EXPECT_EQ(std::count(log.begin(), log.end(), "present v4"), 0);
    EXPECT_FALSE(editor.fullScreen.Leave());
}

TEST_F(FullScreenTest, TheGateIsClosedWhileTheDeviceIsBuilt)
{
    std::vector<bool> passes;
    display.onCreate = [&] {
        RenderGate::Pass pass(ProcessRenderGate());
        passes.push_back(static_cast<bool>(pass));
    };
    ASSERT_TRUE(editor.fullScreen.Enter(1));
    ASSERT_TRUE(editor.fullScreen.Leave());
    // One build for the full-screen view, one for VIEWPORT_1 on the way back.
    EXPECT_EQ(passes, (std::vector<bool>{false, false}));
    EXPECT_TRUE(ProcessRenderGate().IsOpen());
    RenderGate::Pass after(ProcessRenderGate());
    EXPECT_TRUE(after);
}

TEST(RenderGateTest, CloseWaitsForTheRenderInProgress)
{
    RenderGate gate;
    std::atomic<bool> rendering{false}, finished{false};
    std::thread player([&] {
        RenderGate::Pass pass(gate);
        ASSERT_TRUE(pass);
        rendering = true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        finished = true;
    });
    while (!rendering)
        std::this_thread::yield();
    gate.Close();
    EXPECT_TRUE(finished);
    EXPECT_EQ(gate.InProgress(), 0);
    {
        RenderGate::Pass refused(gate);
        EXPECT_FALSE(refused);
    }
    EXPECT_EQ(gate.InProgress(), 0);
    gate.Open();
    RenderGate::Pass again(gate);
    EXPECT_TRUE(again);
    player.join();
}

TEST(LetterboxTest, FitsThePictureWithoutDistortion)
{
    struct Case {
        Size window, picture;
        Rect expected;
    } cases[] = {
        {{1280, 1024}, {640, 480}, {0, 32, 1280, 960}},   // bars above and below
        {{1920, 1080}, {640, 480}, {240, 0, 1440, 1080}},  // bars left and right
        {{800, 600}, {1600, 1200}, {0, 0, 800, 600}},     // same aspect, scaled down
        {{1001, 601}, {320, 200}, {20, 0, 961, 601}},     // odd sizes round down
        {{0, 600}, {640, 480}, {}},
        {{800, 600}, {0, 480}, {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(LetterboxRect(c.window, c.picture), c.expected);
}

} // namespace
