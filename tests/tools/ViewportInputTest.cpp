#include "tools/InputFixture.h"

#include "render/Navigation.h"

using namespace corvid;
using namespace corvid::testing;

TEST_F(InputTest, ClicksAreScaledToTheRenderSurfaceByTheDetailLevel)
{
    struct Case {
        int detail, windowX, windowY, x, y;
    } cases[] = {{100, 200, 100, 200, 100}, {50, 200, 100, 100, 50}, {75, 200, 100, 150, 75}, {25, 201, 103, 50, 25}};
    tools.mode = kModePan;
    for (const auto& c : cases) {
        View(1).detail = c.detail;
        ASSERT_TRUE(views.BuildViewDevice(View(1)));
        tools.ViewportMouseDown(1, MouseButton::Left, c.windowX, c.windowY);
        EXPECT_EQ(views.pickDetails.x, c.x) << c.detail;
        EXPECT_EQ(views.pickDetails.y, c.y) << c.detail;
        EXPECT_EQ(views.mouse.lastX, c.x) << c.detail;
        tools.ViewportMouseUp(1, MouseButton::Left, c.windowX, c.windowY);
    }
}

TEST_F(InputTest, TheTopLeftCornerOpensTheMenuInsteadOfARightDrag)
{
    tools.mode = kModeDollyActive;
    tools.ViewportMouseDown(1, MouseButton::Right, 10, 10);
    ASSERT_EQ(ui.viewportMenus.size(), 1u);
    EXPECT_EQ(ui.viewportMenus[0].viewport, 1);
    EXPECT_EQ(ui.viewportMenus[0].x, 10);
    EXPECT_EQ(ui.viewportMenus[0].y, 10);
    EXPECT_FALSE(views.mouse.rightDown);
    EXPECT_FALSE(scene.Modified());
    const Vec3 before = View(1).camera->GetPosition(nullptr);
    tools.ViewportMouseMove(1, 10, 200);
    EXPECT_EQ(View(1).camera->GetPosition(nullptr), before) << "no drag started";

    // Outside the square the press starts a drag.
    const std::pair<int, int> outside[] = {{20, 10}, {10, 20}, {100, 100}};
    for (auto [x, y] : outside) {
        scene.SetModified(false);
        tools.ViewportMouseDown(1, MouseButton::Right, x, y);
        EXPECT_EQ(ui.viewportMenus.size(), 1u) << x << "," << y;
        EXPECT_TRUE(views.mouse.rightDown);
        EXPECT_FALSE(scene.Modified()) << "looking around is no edit";
        tools.ViewportMouseUp(1, MouseButton::Right, x, y);
        EXPECT_FALSE(views.mouse.rightDown);
    }
    // A left press in the corner is an ordinary press.
    tools.ViewportMouseDown(1, MouseButton::Left, 5, 5);
    EXPECT_TRUE(views.mouse.leftDown);
    EXPECT_EQ(ui.viewportMenus.size(), 1u);

    tools.ShowViewportMenu(1);
    ASSERT_EQ(ui.viewportMenus.size(), 2u);
    EXPECT_EQ(ui.viewportMenus[1].x, 0);
}

TEST_F(InputTest, EachMoveActsOnTheStepSinceTheMoveBefore)
{
    // A drag made of several moves ends where one move to the same place
    // ends: no step is counted twice or lost.
    tools.mode = kModeDollyActive;
    const FramePtr camera = View(1).cameras[kViewPerspective];
    auto dolly = [&](std::vector<int> ys) {
        camera->SetPosition(View(1).pivot.get(), {0, 0, -30});
        tools.ViewportMouseDown(1, MouseButton::Left, 200, 500);
        for (int y : ys)
            tools.ViewportMouseMove(1, 200, y);
        tools.ViewportMouseUp(1, MouseButton::Left, 200, ys.back());
        return camera->GetPosition(View(1).pivot.get()).z;
    };
    const float once = dolly({450});
    EXPECT_LT(once, -30.0f + 10.0f);
    EXPECT_GT(once, -30.0f) << "an upward drag moves the camera towards its pivot";
    EXPECT_NEAR(dolly({490, 470, 450}), once, 1e-4f);
    EXPECT_NEAR(dolly({520, 420, 450}), once, 1e-4f) << "there and back again";
    EXPECT_NEAR(dolly({500, 500, 450, 450}), once, 1e-4f) << "moves that go nowhere";
}

TEST_F(InputTest, PressingInAnotherViewportActivatesIt)
{
    ASSERT_TRUE(views.BuildViewDevice(View(2)));
    View(2).shown = true;
    tools.mode = kModeDollyActive;
    tools.ViewportMouseDown(1, MouseButton::Left, 100, 100);
    tools.ViewportMouseUp(1, MouseButton::Left, 100, 100);
    log.clear();
    tools.ViewportMouseDown(2, MouseButton::Left, 100, 100);
    EXPECT_EQ(views.activeViewport, 2);
    EXPECT_EQ(scene.ActiveCamera(), View(2).camera);
    EXPECT_EQ(scene.CameraLightFrame()->GetParent(), View(2).camera.get());
    EXPECT_EQ(Count("render v2"), 1) << "a new window renders";
    tools.ViewportMouseUp(2, MouseButton::Left, 100, 100);
    log.clear();
    tools.ViewportMouseDown(2, MouseButton::Left, 100, 100);
    EXPECT_EQ(Count("render v2"), 0) << "the same window does not";
}

TEST_F(InputTest, TheDeleteKeyDeletesTheSelectionAndClearsThePanel)
{
    FramePtr box = Add("Box", {0, 0, 0});
    Add("Child", {0, 5, 0}, 1.0f, box);
    FramePtr other = Add("Other", {30, 0, 0});
    tools.ViewportKeyDown(1, kKeyDelete);  // nothing selected: nothing happens
    EXPECT_EQ(box->GetParent(), scene.Scene().get());

    ASSERT_TRUE(views.Pick(200, 150));
    ASSERT_EQ(scene.SelectedFrame(), box);
    tools.ViewportKeyDown(1, 'A');
    EXPECT_TRUE(scene.HasSelection()) << "other keys do nothing";

    tools.ViewportKeyDown(1, kKeyDelete);
    EXPECT_EQ(box->GetParent(), nullptr);
    EXPECT_EQ(RecordOf(box.get())->treeItem, 0);
    EXPECT_EQ(other->GetParent(), scene.Scene().get());
    EXPECT_FALSE(scene.HasSelection());
    EXPECT_TRUE(views.objectInfo.IsEmpty());
    EXPECT_FALSE(MarkerShown());
    EXPECT_EQ(scene.MarkerFrame()->GetParent(), scene.GridFrame().get()) << "the marker stays";
    EXPECT_FALSE(views.Pick(200, 150));
}
