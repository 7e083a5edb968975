// Tool modes 7 to 10: a click on an object turns the active view, or every
// shown viewport, to it: centred on the picture, and framed so that it fills
// it without spilling over. A click on empty space moves no view.

#include "tools/ToolFixture.h"

#include "platform/Frame.h"
#include "render/CommandIds.h"
#include "render/Picking.h"
#include "support/SizedDevice.h"
#include "tools/ViewTools.h"

namespace corvid::testing {
namespace {

class ViewOperationsTest : public ToolTest {
protected:
    ViewOperationsTest()
    {
        // Off to the side and small: at (6, 0, 2), 1 x 1 x 1.
        box = Box("Box", {6, 0, 2}, {-0.5f, -0.5f, -0.5f}, {0.5f, 0.5f, 0.5f});
        // Layout 2 with every viewport built: 1 perspective, 2 left, 3 top, 4 front.
        for (int n = 2; n <= 4; ++n) {
            views.Viewport(n).device = std::make_unique<SizedDevice>(400, 300);
            views.Viewport(n).shown = true;
        }
        views.ActivateView(1);
    }

    // Where the box's centre shows in viewport n, in its pixels.
    Vec3 OnScreen(int n)
    {
        ViewRecord& view = views.Viewport(n);
        const ScreenMapping mapping(view.camera->GetTransform(scene.Scene().get()), view.Parameters(), 400, 300);
        const ScreenPoint s = mapping.Transform(box->GetPosition(scene.Scene().get()));
        return {s.x / s.w, s.y / s.w, 0.0f};
    }
    // The box's pixel of viewport 1 (perspective, unmoved).
    Vec3 Pixel() { return OnScreen(1); }
    bool Centred(int n)
    {
        const Vec3 p = OnScreen(n);
        return std::fabs(p.x - 200.0f) < 1.0f && std::fabs(p.y - 150.0f) < 1.0f;
    }
    // How far the box's corners reach from the picture's centre, as a share
    // of the half height (span: how far apart they are, as a share of the
    // height).
    float Reach(int n, bool span = false)
    {
        ViewRecord& view = views.Viewport(n);
        const ScreenMapping mapping(view.camera->GetTransform(scene.Scene().get()), view.Parameters(), 400, 300);
        const corvid::Box bounds = box->GetHierarchyBox().Transformed(box->GetTransform(scene.Scene().get()));
        float reach = 0.0f;
        float lowX = 1e9f, highX = -1e9f, lowY = 1e9f, highY = -1e9f;
        for (int i = 0; i < 8; ++i) {
            const Vec3 corner{i & 1 ? bounds.max.x : bounds.min.x, i & 2 ? bounds.max.y : bounds.min.y,
                              i & 4 ? bounds.max.z : bounds.min.z};
            const ScreenPoint s = mapping.Transform(corner);
            reach = std::max({reach, std::fabs(s.x / s.w - 200.0f) / 150.0f, std::fabs(s.y / s.w - 150.0f) / 150.0f});
            lowX = std::min(lowX, s.x / s.w);
            highX = std::max(highX, s.x / s.w);
            lowY = std::min(lowY, s.y / s.w);
            highY = std::max(highY, s.y / s.w);
        }
        return span ? std::max(highX - lowX, highY - lowY) / 300.0f : reach;
    }

    FramePtr box;
};

TEST_F(ViewOperationsTest, CentringTheActiveViewLeavesTheOthersAndKeepsTheDistance)
{
    ASSERT_FALSE(Centred(1));
    const Vec3 at = Pixel();
    const Vec3 cameraInPivot = views.Viewport(1).camera->GetPosition(views.Viewport(1).pivot.get());
    const Matrix4 top = views.Viewport(3).camera->GetTransform(scene.Scene().get());
    tools.mode = kModeCentreActive;
    Press(static_cast<int>(at.x), static_cast<int>(at.y));
    Release(static_cast<int>(at.x), static_cast<int>(at.y));
    ASSERT_EQ(scene.SelectedFrame(), box);
    EXPECT_TRUE(Centred(1)) << OnScreen(1);
    const Vec3 now = views.Viewport(1).camera->GetPosition(views.Viewport(1).pivot.get());
    EXPECT_NEAR(Length(now - cameraInPivot), 0.0f, 1e-4f) << now;
    EXPECT_EQ(views.Viewport(3).camera->GetTransform(scene.Scene().get()), top);
}

TEST_F(ViewOperationsTest, CentringEveryViewportKeepsEachOrthographicDepth)
{
    const float topHeight = views.Viewport(3).camera->GetPosition(scene.Scene().get()).y;
    const float field = views.Viewport(3).Field();
    const Vec3 at = Pixel();
    tools.mode = kModeCentreAll;
    Press(static_cast<int>(at.x), static_cast<int>(at.y));
    for (int n = 1; n <= 4; ++n)
        EXPECT_TRUE(Centred(n)) << "viewport " << n << " " << OnScreen(n);
    EXPECT_EQ(views.Viewport(3).camera->GetPosition(scene.Scene().get()).y, topHeight);
    EXPECT_EQ(views.Viewport(3).Field(), field);
}

TEST_F(ViewOperationsTest, FramingFillsThePictureWithTheObject)
{
    const Vec3 at = Pixel();
    const float before = Reach(1, true);
    tools.mode = kModeFrameActive;
    Press(static_cast<int>(at.x), static_cast<int>(at.y));
    EXPECT_TRUE(Centred(1));
    EXPECT_GT(Reach(1, true), before * 2.0f);
    EXPECT_GT(Reach(1), 0.3f);
    EXPECT_LT(Reach(1), 1.0f);
    Release(static_cast<int>(at.x), static_cast<int>(at.y));

    // Every viewport, orthographic ones through their field.
    tools.mode = kModeFrameAll;
    Press(kCentreX, kCentreY);
    for (int n = 1; n <= 4; ++n) {
        EXPECT_TRUE(Centred(n)) << "viewport " << n;
        EXPECT_GT(Reach(n), 0.3f) << "viewport " << n;
        EXPECT_LT(Reach(n), 1.0f) << "viewport " << n;
    }
}

TEST_F(ViewOperationsTest, EmptySpaceAndObjectViewsMoveNothing)
{
    tools.mode = kModeFrameAll;
    const Matrix4 camera = views.Viewport(1).camera->GetTransform(scene.Scene().get());
    Press(5, 5);
    Release(5, 5);
    EXPECT_FALSE(scene.HasSelection());
    EXPECT_EQ(views.Viewport(1).camera->GetTransform(scene.Scene().get()), camera);

    // Looking through another object: that object must not move.
    FramePtr other = Box("Other", {0, 0, -10});
    scene.Select(other);
    ASSERT_TRUE(views.ViewCommand(1, kViewCommands[0][kViewObject]));
    const Matrix4 placed = other->GetTransform(scene.Scene().get());
    scene.Select(box);
    EXPECT_FALSE(TurnViewTo(views, views.Viewport(1), *box, true));
    EXPECT_EQ(other->GetTransform(scene.Scene().get()), placed);
}

} // namespace
} // namespace corvid::testing
