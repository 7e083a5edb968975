#include "ViewFakes.h"

#include "platform/Frame.h"

using namespace corvid;
using namespace corvid::testing;

TEST_F(ViewTest, RadioGroupsCheckOneItemAndStoreTheValue)
{
    using Group = std::vector<int>;
    const Group textures(kTextureQualityCommands.begin(), kTextureQualityCommands.end());
    const Group shades(kShadeCommands.begin(), kShadeCommands.end());
    const Group fills(kFillCommands.begin(), kFillCommands.end());
    const Group lights(kLightCommands.begin(), kLightCommands.end());
    struct Case {
        const char* name;
        int command;
        const Group& group;
        int ViewRecord::*field;
        int value;
        int deviceValue;  // quality, or texture quality for the texture group
    } cases[] = {
        {"Nearest", 33018, textures, &ViewRecord::textureQuality, 0, 0},
        {"Mip Nearest", 33020, textures, &ViewRecord::textureQuality, 2, 2},
        {"Mip Linear", 33019, textures, &ViewRecord::textureQuality, 3, 3},
        {"Linear Mip Nearest", 33022, textures, &ViewRecord::textureQuality, 4, 4},
        {"Linear Mip Linear", 33021, textures, &ViewRecord::textureQuality, 5, 5},
        {"Linear", 33017, textures, &ViewRecord::textureQuality, 1, 1},
        {"Flat", 32973, shades, &ViewRecord::shade, 0, 136},
        {"Gouraud", 32974, shades, &ViewRecord::shade, 1, 137},
        {"Point Cloud", 32984, fills, &ViewRecord::fill, 0, 9},
        {"Solid", 32982, fills, &ViewRecord::fill, 128, 137},
        {"Lights off", 32977, lights, &ViewRecord::light, 0, 129},
        {"Lights on", 32976, lights, &ViewRecord::light, 8, 137},
    };
    ASSERT_TRUE(views.BuildViewDevice(View(1)));
    for (const auto& c : cases) {
        ASSERT_TRUE(views.ViewportCommand(1, c.command)) << c.name;
        EXPECT_EQ(View(1).*c.field, c.value) << c.name;
        for (int member : c.group)
            EXPECT_EQ(View(1).menu.IsChecked(member), member == c.command) << c.name << ", item " << member;
        bool texture = &c.group == &textures;
        EXPECT_EQ(texture ? DeviceOf(1)->texture : static_cast<int>(DeviceOf(1)->quality), c.deviceValue) << c.name;
    }
    // Greyed items (Phong, Wireframe, Perspective Correct) cannot be chosen.
    for (int command : {kCmdShadePhong, kCmdFillWireframe, kCmdPerspectiveCorrect})
        EXPECT_FALSE(views.ViewportCommand(1, command)) << command;
    EXPECT_EQ(View(1).shade, 1);
}

TEST_F(ViewTest, ShadeActsOnTheActiveViewTextureAndDitherOnTheMenusOwn)
{
    ASSERT_TRUE(views.BuildViewDevice(View(1)));
    ASSERT_TRUE(views.BuildViewDevice(View(2)));
    views.ActivateView(2);
    ASSERT_TRUE(views.ViewportCommand(1, kCmdShadeFlat));
    ASSERT_TRUE(views.ViewportCommand(1, kCmdTextureNearest));
    ASSERT_TRUE(views.ViewportCommand(1, kCmdDither));
    EXPECT_EQ(View(2).shade, 0);
    EXPECT_EQ(DeviceOf(2)->quality, 136u);
    EXPECT_EQ(View(1).shade, 2);
    EXPECT_EQ(View(1).textureQuality, 0);
    EXPECT_EQ(View(2).textureQuality, 1);
    EXPECT_FALSE(View(1).dither);
    EXPECT_FALSE(View(1).menu.IsChecked(kCmdDither));
    EXPECT_TRUE(View(2).dither);
}

TEST_F(ViewTest, ZDepthAndDetailRebuildTheViewDevice)
{
    windows[1].size = {200, 100};
    ASSERT_TRUE(views.BuildViewDevice(View(2)));
    // "Fast" has no 8-bit Z buffer: the item is greyed.
    EXPECT_FALSE(views.ViewportCommand(2, kCmdZDepth8));
    ASSERT_TRUE(views.ViewportCommand(2, kCmdZDepth32));
    EXPECT_EQ(factory.requests.back().zDepth, 32);
    EXPECT_EQ(View(2).menu.CheckedOf(kZDepthCommands), kCmdZDepth32);

    for (auto [command, width] : {std::pair{kCmdDetail50, 100}, {kCmdDetail25, 50}, {kCmdDetail75, 150}}) {
        ASSERT_TRUE(views.ViewportCommand(2, command));
        EXPECT_EQ(factory.requests.back().width, width);
        int checked = 0;
        for (int item : kDetailCommands)
            checked += View(2).menu.IsChecked(item) ? item : 0;
        EXPECT_EQ(checked, command) << "only the chosen detail item is checked";
    }
    EXPECT_EQ(factory.requests.size(), 5u);
}

TEST_F(ViewTest, OnlyFiveDriversAreKeptAndTheThirdIsTheDefault)
{
    std::vector<DriverRecord> table;
    for (int i = 0; i < 7; ++i)
        table.push_back(MakeDriver("Driver " + std::to_string(i), {16}));
    views.SetDriverTable(table);
    EXPECT_EQ(views.drivers.size(), 5u);
    EXPECT_EQ(views.UseDefaultDriver(), 2);
    EXPECT_TRUE(View(4).menu.Contains(kCmdDriverBase + 4));
    EXPECT_FALSE(View(4).menu.Contains(kCmdDriverBase + 5));
    EXPECT_TRUE(View(4).menu.IsChecked(kCmdDriverBase + 2));
}

TEST_F(ViewTest, DriverChangeKeepsOrMovesTheZDepth)
{
    ASSERT_TRUE(views.BuildViewDevice(View(1)));
    ASSERT_TRUE(views.ViewportCommand(1, kCmdDriverBase + 1));  // "Fallback" has 16: kept
    EXPECT_EQ(factory.requests.back().driverIndex, 1);
    EXPECT_EQ(View(1).zDepth, 16);
    EXPECT_TRUE(View(1).menu.IsChecked(kCmdDriverBase + 1));
    EXPECT_FALSE(View(1).menu.IsChecked(kCmdDriverBase + 2));

    ASSERT_TRUE(views.ChangeDriver(1, 2));  // "Fast" has no 16: 24
    EXPECT_EQ(factory.requests.back().zDepth, 24);
    EXPECT_EQ(View(1).menu.CheckedOf(kZDepthCommands), kCmdZDepth24);
    EXPECT_FALSE(views.ChangeDriver(1, 2));  // already in use
    EXPECT_FALSE(views.ChangeDriver(1, 3));  // no such driver

    auto table = views.drivers;
    table.push_back(MakeDriver("Eight only", {8}));
    views.SetDriverTable(table);
    View(1).zDepth = 32;
    ASSERT_TRUE(views.ChangeDriver(1, 3));
    EXPECT_EQ(View(1).zDepth, 32);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_NE(ui.messages[0].find("Z-buffer"), std::string::npos);
}

TEST_F(ViewTest, ChoosingALayoutShowsPlacesAndBuildsTheUsedViewports)
{
    views.viewportArea = {120, 40, 1001, 703};
    ASSERT_TRUE(views.BuildViewDevice(View(1)));
    views.ActivateView(3);
    log.clear();
    ASSERT_TRUE(views.ChooseLayout(7));
    EXPECT_EQ(log.front(), "release v1");
    EXPECT_EQ(views.activeViewport, 1);
    for (int n = 1; n <= 4; ++n) {
        bool used = n != 4;
        EXPECT_EQ(windows[n - 1].visible, used) << n;
        EXPECT_EQ(View(n).shown, used) << n;
        EXPECT_EQ(View(n).device != nullptr, used) << n;
        EXPECT_EQ(menu.IsEnabled(kViewportMenuCommands[n - 1]), used) << n;
    }
    EXPECT_EQ(windows[1].geometry, (Rect{120, 391, 333, 351}));
    EXPECT_EQ(windows[2].geometry, (Rect{453, 40, 667, 703}));
    EXPECT_EQ(Count("present v1") + Count("present v2") + Count("present v3"), 3);

    ASSERT_TRUE(views.ChooseLayout(1));
    EXPECT_FALSE(View(2).device);
    EXPECT_FALSE(menu.IsEnabled(kViewportMenuCommands[1]));

    // A main-window resize places the windows again without building.
    size_t builds = factory.requests.size();
    views.MainWindowResized({10, 20, 800, 500});
    EXPECT_EQ(windows[0].geometry, (Rect{10, 20, 800, 500}));
    EXPECT_EQ(factory.requests.size(), builds);
}

TEST_F(ViewTest, CameraLightRidesOnTheActiveCameraWhileOn)
{
    views.ActivateView(3);
    EXPECT_EQ(scene.CameraLightFrame()->GetParent(), View(3).camera.get());
    views.ToggleCameraLight();
    views.ActivateView(2);
    EXPECT_EQ(scene.CameraLightFrame()->GetParent(), nullptr);
    views.ToggleCameraLight();
    EXPECT_EQ(scene.CameraLightFrame()->GetParent(), View(2).camera.get());
}
