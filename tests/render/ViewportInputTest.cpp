#include "PickFixture.h"

#include "render/Navigation.h"

using namespace corvid;
using namespace corvid::testing;

TEST_F(PickTest, ClicksAreScaledToTheRenderSurfaceByTheDetailLevel)
{
    struct Case {
        int detail, windowX, windowY, x, y;
    } cases[] = {{100, 200, 100, 200, 100}, {50, 200, 100, 100, 50}, {75, 200, 100, 150, 75}, {25, 201, 103, 50, 25}};
    editor.toolMode = kModePan;
    for (const auto& c : cases) {
        View(1).detail = c.detail;
        ASSERT_TRUE(editor.BuildViewDevice(View(1)));
        editor.ViewportMouseDown(1, MouseButton::Left, c.windowX, c.windowY);
        EXPECT_EQ(editor.pickDetails.x, c.x) << c.detail;
        EXPECT_EQ(editor.pickDetails.y, c.y) << c.detail;
        EXPECT_EQ(editor.mouse.lastX, c.x) << c.detail;
        editor.ViewportMouseUp(1, MouseButton::Left, c.windowX, c.windowY);
    }
}

TEST_F(PickTest, TheTopLeftCornerOpensTheMenuInsteadOfARightDrag)
{
    editor.toolMode = kModeDollyActive;
    editor.ViewportMouseDown(1, MouseButton::Right, 10, 10);
    ASSERT_EQ(ui.viewportMenus.size(), 1u);
    EXPECT_EQ(ui.viewportMenus[0].viewport, 1);
    EXPECT_EQ(ui.viewportMenus[0].x, 10);
    EXPECT_EQ(ui.viewportMenus[0].y, 10);
    EXPECT_FALSE(editor.mouse.rightDown);
    EXPECT_FALSE(editor.sceneModified);
    const Vec3 before = View(1).camera->GetPosition(nullptr);
    editor.ViewportMouseMove(1, 10, 200);
    EXPECT_EQ(View(1).camera->GetPosition(nullptr), before) << "no drag started";

    // Outside the square the press starts a drag.
    const std::pair<int, int> outside[] = {{20, 10}, {10, 20}, {100, 100}};
    for (auto [x, y] : outside) {
        editor.sceneModified = false;
        editor.ViewportMouseDown(1, MouseButton::Right, x, y);
        EXPECT_EQ(ui.viewportMenus.size(), 1u) << x << "," << y;
        EXPECT_TRUE(editor.mouse.rightDown);
        EXPECT_TRUE(editor.sceneModified);
        editor.ViewportMouseUp(1, MouseButton::Right, x, y);
        EXPECT_FALSE(editor.mouse.rightDown);
    }
    // A left press in the corner is an ordinary press.
    editor.ViewportMouseDown(1, MouseButton::Left, 5, 5);
    EXPECT_TRUE(editor.mouse.leftDown);
    EXPECT_EQ(ui.viewportMenus.size(), 1u);

    editor.ShowViewportMenu(1);
    ASSERT_EQ(ui.viewportMenus.size(), 2u);
    EXPECT_EQ(ui.viewportMenus[1].x, 0);
}

TEST_F(PickTest, MovesKeepTheLastStepAndTheDragDistance)
{
    editor.toolMode = kModeFieldActive;
    editor.ViewportMouseDown(1, MouseButton::Left, 100, 100);
    editor.ViewportMouseMove(1, 130, 140);
    EXPECT_EQ(editor.mouse.dx, -30);
    EXPECT_EQ(editor.mouse.dy, -40);
    EXPECT_FLOAT_EQ(editor.mouse.d, std::sqrt(30.0f * 30.0f + 40.0f * 40.0f + 300.0f * 300.0f));
    EXPECT_EQ(editor.mouse.lastX, 130);
    EXPECT_EQ(editor.mouse.lastY, 140);
}

TEST_F(PickTest, PressingInAnotherViewportActivatesIt)
{
    ASSERT_TRUE(editor.BuildViewDevice(View(2)));
    View(2).shown = true;
    editor.toolMode = kModeDollyActive;
    editor.ViewportMouseDown(1, MouseButton::Left, 100, 100);
    editor.ViewportMouseUp(1, MouseButton::Left, 100, 100);
    log.clear();
    editor.ViewportMouseDown(2, MouseButton::Left, 100, 100);
    EXPECT_EQ(editor.activeViewport, 2);
    EXPECT_EQ(editor.ActiveCamera(), View(2).camera);
    EXPECT_EQ(editor.CameraLightFrame()->GetParent(), View(2).camera.get());
    EXPECT_EQ(Count("render v2"), 1) << "a new window renders";
    editor.ViewportMouseUp(2, MouseButton::Left, 100, 100);
    log.clear();
    editor.ViewportMouseDown(2, MouseButton::Left, 100, 100);
    EXPECT_EQ(Count("render v2"), 0) << "the same window does not";
}

TEST_F(PickTest, TheDeleteKeyDeletesTheSelectionAndClearsThePanel)
{
    FramePtr box = Add("Box", {0, 0, 0});
    Add("Child", {0, 5, 0}, 1.0f, box);
    FramePtr other = Add("Other", {30, 0, 0});
    editor.ViewportKeyDown(1, kKeyDelete);  // nothing selected: nothing happens
    EXPECT_EQ(box->GetParent(), editor.Scene().get());

    ASSERT_TRUE(editor.Pick(200, 150));
    ASSERT_EQ(editor.SelectedFrame(), box);
    editor.ViewportKeyDown(1, 'A');
    EXPECT_TRUE(editor.HasSelection()) << "other keys do nothing";

    editor.ViewportKeyDown(1, kKeyDelete);
    EXPECT_EQ(box->GetParent(), nullptr);
    EXPECT_EQ(RecordOf(box.get()), nullptr);
    EXPECT_EQ(other->GetParent(), editor.Scene().get());
    EXPECT_FALSE(editor.HasSelection());
    EXPECT_TRUE(editor.objectInfo.IsEmpty());
    EXPECT_FALSE(MarkerShown());
    EXPECT_EQ(editor.MarkerFrame()->GetParent(), editor.GridFrame().get()) << "the marker stays";
    EXPECT_FALSE(editor.Pick(200, 150));
}
