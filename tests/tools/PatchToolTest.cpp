// The patch tools: the control net seen but never picked, the move tool
// re-shaping a patch, and the creation gesture.

#include "geometry/Patch.h"
#include "geometry/PatchParts.h"
#include "platform/Material.h"
#include "platform/Pick.h"
#include "tools/PatchGesture.h"
#include "tools/ToolFixture.h"
#include "tools/TransformTools.h"

#include <cmath>
#include <set>

namespace corvid::testing {
namespace {

class PatchToolTest : public ToolTest, public PatchParts {};

// --- picking ------------------------------------------------------------------------

TEST_F(PatchToolTest, ControlNetIsDrawnButNeverPicked)
{
    FramePtr patch = CreatePatch(scene, tools.patches, kPatchBSpline, {}, 4, 4);
    ASSERT_TRUE(patch);
    MeshBuilderPtr net = ControlNetOf(*GroupOf(patch));
    ASSERT_TRUE(net);
    // Find the net's frame and check it draws.
    bool rendered = false;
    for (const FramePtr& child : GroupOf(patch)->GetChildren())
        if (!child->GetVisuals().empty() && child->GetVisuals()[0] == net)
            rendered = child->IsRenderEnabled() && !child->IsPickEnabled();
    EXPECT_TRUE(rendered);

    // Straight down through the net's rim (outside the surface, between
    // markers) and through the surface: the net is never hit.
    for (Vec3 at : {Vec3{2.25f, 5, 0.5f}, Vec3{0.3f, 5, 0.2f}}) {
        for (const PickHit& hit : PickRay(*scene.Scene(), at, {0, -1, 0}))
            EXPECT_NE(hit.visual, net);
    }
    EXPECT_TRUE(PickRay(*scene.Scene(), {2.25f, 5, 0.5f}, {0, -1, 0}).empty());
    // A marker is picked: the group does not hide the control points.
    auto hits = PickRay(*scene.Scene(), {2.5f, 5, 2.5f}, {0, -1, 0});
    ASSERT_FALSE(hits.empty());
    EXPECT_EQ(hits[0].path.back(), PointAt(patch, 5, 5));
}

// --- the tools ----------------------------------------------------------------------

TEST_F(PatchToolTest, MoveToolReshapesThePatchOfTheMovedPoint)
{
    FramePtr patch = CreatePatch(scene, tools.patches, kPatchBSpline, {}, 4, 4);
    ASSERT_TRUE(patch);
    FramePtr point = PointAt(patch, 3, 3);
    const Vec3 start = point->GetPosition(scene.Scene().get());
    scene.Select(point);
    tools.mode = kModeMove;
    ToolDragState drag;
    drag.right = true;  // right button alone: the height changes
    drag.lastX = drag.pressX = kCentreX;
    drag.lastY = drag.pressY = kCentreY;
    ASSERT_TRUE(transform::BeginMove(tools, drag));
    transform::DragMove(tools, drag, kCentreX, kCentreY - 30);
    const float lifted = point->GetPosition(scene.Scene().get()).y - start.y;
    ASSERT_GT(lifted, 0.1f);
    // The surface vertex under the point (rows 2..3 of spans) rose; the
    // far corner did not.
    const std::vector<Vec3>& v = Surface(patch).GetVertices();
    EXPECT_GT(v[static_cast<size_t>(2 * 4 * 17 + 2 * 4)].y, 0.1f * lifted);
    EXPECT_EQ(v[0].y, 0.0f);
}

TEST_F(PatchToolTest, GestureSizesAFlatBoxAndReplacesItByAPatch)
{
    for (int mode : {kModeBSplinePatch, kModeCatmullRomPatch}) {
        tools.mode = mode;
        const size_t children = scene.Scene()->GetChildren().size();
        Press(kCentreX, kCentreY);
        ASSERT_EQ(scene.Scene()->GetChildren().size(), children + 1);
        FramePtr box = scene.Scene()->GetChildren().back();
        EXPECT_EQ(box->GetVisuals().at(0)->GetColor(),
                  mode == kModeBSplinePatch ? MakeARGB(0, 0.5f, 1) : MakeARGB(1, 0.5f, 0));
        Drag(kCentreX + 20, kCentreY + 10);
        Drag(kCentreX + 40, kCentreY + 20);
        corvid::Box sized = box->GetHierarchyBox().Transformed(box->GetTransform(scene.Scene().get()));
        EXPECT_NEAR(sized.Size().y, kPatchBoxThickness, 1e-6f);
        EXPECT_GT(sized.Size().x, 1.0f);  // 40 px at 0.075 a pixel, both sides
        EXPECT_GT(sized.Size().z, 0.0f);
        Release(kCentreX + 40, kCentreY + 20);

        ASSERT_EQ(scene.Scene()->GetChildren().size(), children + 1);
        EXPECT_EQ(box->GetParent(), nullptr);
        FramePtr patch = scene.Scene()->GetChildren().back();
        ASSERT_TRUE(RecordOf(patch.get()));
        EXPECT_EQ(RecordOf(patch.get())->kind, kPatch);
        EXPECT_FALSE(scene.HasSelection());
        corvid::Box surface = Surface(patch).GetBox();
        EXPECT_NEAR(surface.Size().x, sized.Size().x, 1e-4f);
        EXPECT_NEAR(surface.Size().z, sized.Size().z, 1e-4f);
        EXPECT_TRUE(Near(At(patch), sized.Center(), 1e-4f));
    }

    // A press released at once still makes a patch, never a zero one.
    tools.mode = kModeBSplinePatch;
    Press(kCentreX, kCentreY);
    Drag(kCentreX, kCentreY);
    Release(kCentreX, kCentreY);
    corvid::Box tiny = Surface(scene.Scene()->GetChildren().back()).GetBox();
    EXPECT_GE(tiny.Size().x, 0.0001f * 0.999f);
}

TEST_F(PatchToolTest, ToolRefusesBadParametersAtThePress)
{
    // The tool refuses at the press, before any box appears.
    tools.patches.bSpline.rows = 1;
    tools.mode = kModeBSplinePatch;
    const size_t now = scene.Scene()->GetChildren().size();
    Gesture(kCentreX, kCentreY, kCentreX + 40, kCentreY + 20);
    EXPECT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(scene.Scene()->GetChildren().size(), now);
}

} // namespace
} // namespace corvid::testing
