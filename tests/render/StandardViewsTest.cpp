#include "ViewFakes.h"

#include "platform/Frame.h"

using namespace corvid;
using namespace corvid::testing;

namespace {
std::string Str(const Vec3& v)
{
    auto r = [](float f) { return std::to_string(std::lround(f * 1000) / 1000.0); };
    return r(v.x) + " " + r(v.y) + " " + r(v.z);
}
} // namespace

TEST_F(ViewTest, StandardCamerasStandWhereThePresetsSay)
{
    struct Case {
        int slot;
        Vec3 position, direction, up;
    } cases[] = {
        {kViewTop, {0, 100, 0}, {0, -1, 0}, {0, 0, 1}},   {kViewBottom, {0, -100, 0}, {0, 1, 0}, {1, 0, 0}},
        {kViewRight, {100, 0, 0}, {-1, 0, 0}, {0, 1, 0}}, {kViewLeft, {-100, 0, 0}, {1, 0, 0}, {0, 1, 0}},
        {kViewFront, {0, 0, -100}, {0, 0, 1}, {0, 1, 0}}, {kViewBack, {0, 0, 100}, {0, 0, -1}, {0, 1, 0}},
    };
    const Frame* sceneFrame = scene.Scene().get();
    for (int n = 1; n <= 4; ++n)
        for (const auto& c : cases) {
            const FramePtr& camera = View(n).cameras[c.slot];
            Vec3 direction, up;
            camera->GetOrientation(sceneFrame, direction, up);
            EXPECT_EQ(camera->GetParent(), scene.World().get());
            EXPECT_EQ(Str(camera->GetPosition(sceneFrame)), Str(c.position)) << "viewport " << n << " slot " << c.slot;
            EXPECT_EQ(Str(direction), Str(c.direction)) << "viewport " << n << " slot " << c.slot;
            EXPECT_EQ(Str(up), Str(c.up)) << "viewport " << n << " slot " << c.slot;
            EXPECT_EQ(View(n).fields[c.slot], 20.0f);
            EXPECT_EQ(View(n).projections[c.slot], Projection::Orthographic);
        }

    // The perspective camera hangs 30 units behind the tilted pivot.
    const FramePtr& camera = View(2).cameras[kViewPerspective];
    EXPECT_EQ(camera->GetParent(), View(2).pivot.get());
    EXPECT_EQ(View(2).pivot->GetParent(), View(2).viewRoot.get());
    Vec3 axis = Normalize({0, -0.25f, 1});
    Vec3 direction, up;
    camera->GetOrientation(nullptr, direction, up);
    EXPECT_EQ(Str(camera->GetPosition(nullptr)), Str(axis * -30.0f));
    EXPECT_EQ(Str(direction), Str(axis));
    EXPECT_EQ(Str(up), Str(Normalize({0, 1, 0.25f})));
    EXPECT_EQ(View(2).fields[kViewPerspective], 0.5f);
    EXPECT_FALSE(View(2).cameras[kViewObject]);
}

TEST_F(ViewTest, EachViewportStartsOnItsOwnViewAndMenuState)
{
    const int slots[] = {kViewPerspective, kViewLeft, kViewTop, kViewFront};
    const int items[] = {32898, 32929, 32935, 32945};
    for (int n = 1; n <= 4; ++n) {
        EXPECT_EQ(View(n).camera, View(n).cameras[slots[n - 1]]) << n;
        EXPECT_EQ(View(n).Field(), View(n).fields[slots[n - 1]]) << n;
        int checked = 0;
        for (int command : kViewCommands[n - 1])
            checked += View(n).menu.IsChecked(command) ? command : 0;
        EXPECT_EQ(checked, items[n - 1]) << n;
    }
    const MenuModel& popup = View(2).menu;
    for (int command : {kCmdZDepth16, kCmdTextureLinear, kCmdShadeGouraud, kCmdFillSolid, kCmdLightsOn, kCmdDither,
                        kCmdDetail100, kCmdFullScreenDepth16, 33058, kCmdPerspectiveCorrect})
        EXPECT_TRUE(popup.IsChecked(command)) << command;
    for (int command : {kCmdShadePhong, kCmdFillWireframe, kCmdPerspectiveCorrect, 33058, 33052})
        EXPECT_FALSE(popup.IsEnabled(command)) << command;
    for (const char* text : {"Antialiasing", "Antialiasing Mode", "Anisotropy Correction"})
        EXPECT_FALSE(popup.FindText(text)->enabled) << text;
    EXPECT_TRUE(popup.FindText("Edge")->checked);

    views.AddDisplayMode(640, 480, 32);
    EXPECT_TRUE(View(3).menu.IsEnabled(33058));
    EXPECT_FALSE(View(3).menu.IsEnabled(33052));
}
