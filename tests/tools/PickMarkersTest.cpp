// What a pick shows: the selection marker however the object was chosen,
// and the move-axis markers on the object the move, rotate, copy and pivot
// tools picked, until a pick elsewhere, another tool's pick or the right
// button's release hides them.

#include "tools/ToolFixture.h"

#include "platform/Frame.h"
#include "render/Picking.h"
#include "render/CommandIds.h"

namespace corvid::testing {
namespace {

class PickMarkersTest : public ToolTest {
protected:
    PickMarkersTest() { box = Box("Box", {}); }

    bool AxesShown() const { return tools.Markers().Axes() && tools.Markers().Axes()->IsRenderEnabled(); }
    bool PlaneShown() const { return tools.Markers().Plane() && tools.Markers().Plane()->IsRenderEnabled(); }
    Vec3 AxesAt() const
    {
        return tools.Markers().Axes() ? tools.Markers().Axes()->GetPosition(scene.Scene().get()) : Vec3{1e9f, 0, 0};
    }
    // A click in viewport 1 as the window hands it over.
    void Click(int x, int y, MouseButton b = MouseButton::Left)
    {
        tools.ViewportMouseDown(1, b, x, y);
        tools.ViewportMouseUp(1, b, x, y);
    }

    FramePtr box;
};

TEST_F(PickMarkersTest, TheMovingToolsShowTheAxesOnThePickedObject)
{
    for (int mode : {kModeMove, kModeRotate, kModeCopy, kModePivot}) {
        SCOPED_TRACE(mode);
        tools.mode = mode;
        Click(kCentreX, kCentreY);
        ASSERT_TRUE(scene.HasSelection());
        EXPECT_TRUE(AxesShown());
        EXPECT_EQ(AxesAt(), scene.SelectedFrame()->GetPosition(scene.Scene().get()));
        // Never in the way of a pick, and never an object.
        ASSERT_TRUE(tools.Markers().Axes());
        EXPECT_FALSE(tools.Markers().Axes()->IsPickEnabled());
        EXPECT_EQ(RecordOf(tools.Markers().Axes().get()), nullptr);
        // A perspective view has no use for the plane's square.
        EXPECT_FALSE(PlaneShown());

        // A click on empty space hides them, like the selection.
        Click(20, 20 + kCentreY);
        EXPECT_FALSE(scene.HasSelection());
        EXPECT_FALSE(AxesShown());
    }
    // A copy's axes stand on the copy.
    tools.mode = kModeCopy;
    Press(kCentreX, kCentreY);
    const FramePtr copy = scene.SelectedFrame();
    ASSERT_NE(copy, box);
    Drag(kCentreX + 40, kCentreY);
    Release(kCentreX + 40, kCentreY);
    EXPECT_TRUE(AxesShown());
    EXPECT_EQ(AxesAt(), copy->GetPosition(scene.Scene().get()));
}

TEST_F(PickMarkersTest, TheAxesFollowAMoveAndOtherToolsHideThem)
{
    tools.mode = kModeMove;
    Click(kCentreX, kCentreY);
    ASSERT_TRUE(AxesShown());
    tools.ViewportMouseDown(1, MouseButton::Left, kCentreX, kCentreY);
    tools.ViewportMouseMove(1, kCentreX + 40, kCentreY);
    tools.ViewportMouseUp(1, MouseButton::Left, kCentreX + 40, kCentreY);
    EXPECT_GT(box->GetPosition(scene.Scene().get()).x, 1.0f);
    EXPECT_EQ(AxesAt(), box->GetPosition(scene.Scene().get()));

    // A tool that only scales picks with them hidden.
    tools.mode = kModeScale;
    Click(kCentreX + 40, kCentreY);
    EXPECT_TRUE(scene.HasSelection());
    EXPECT_FALSE(AxesShown());
}

TEST_F(PickMarkersTest, TheRightButtonsReleaseHidesTheAxes)
{
    tools.mode = kModeMove;
    Click(kCentreX, kCentreY);
    ASSERT_TRUE(AxesShown());
    // A right drag lifts the object; its release hides the axes.
    tools.ViewportMouseDown(1, MouseButton::Right, kCentreX, kCentreY);
    tools.ViewportMouseMove(1, kCentreX, kCentreY - 20);
    EXPECT_TRUE(AxesShown());
    tools.ViewportMouseUp(1, MouseButton::Right, kCentreX, kCentreY - 20);
    EXPECT_FALSE(AxesShown());
    EXPECT_TRUE(scene.HasSelection());
    // The next pick shows them again.
    Click(kCentreX, kCentreY - 20);
    EXPECT_TRUE(AxesShown());
}

TEST_F(PickMarkersTest, AnOrthographicViewAlsoShowsTheDragPlane)
{
    ASSERT_TRUE(views.ViewCommand(1, kViewCommands[0][kViewTop]));
    tools.mode = kModeMove;
    Click(kCentreX, kCentreY);
    ASSERT_TRUE(scene.HasSelection());
    EXPECT_TRUE(AxesShown());
    EXPECT_TRUE(PlaneShown());
    // The square faces the camera: its normal is the view's direction.
    ASSERT_TRUE(tools.Markers().Plane());
    Vec3 direction, up, squareDirection, squareUp;
    scene.ActiveCamera()->GetOrientation(scene.Scene().get(), direction, up);
    tools.Markers().Plane()->GetOrientation(scene.Scene().get(), squareDirection, squareUp);
    EXPECT_NEAR(Dot(Normalize(direction), Normalize(squareDirection)), 1.0f, 1e-4f);
}

TEST_F(PickMarkersTest, ChoosingInTheObjectsListShowsTheSelectionMarker)
{
    // Nothing selected before: the marker must still come up.
    scene.ClearSelection();
    views.HideSelectionMarker();
    ASSERT_FALSE(scene.MarkerFrame()->IsRenderEnabled());
    ASSERT_TRUE(tools.SelectFromTree(box));
    EXPECT_TRUE(scene.MarkerFrame()->IsRenderEnabled());
    EXPECT_EQ(views.objectInfo.name, "Box");
    // The move-axis markers wait for a pick.
    EXPECT_FALSE(AxesShown());
}

} // namespace
} // namespace corvid::testing
