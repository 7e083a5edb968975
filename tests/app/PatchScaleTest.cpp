// A patch scaled with the uniform scale and stretch tools, then re-shaped
// by a moved control point: the re-sampled spans join the rest of the
// surface.

#include "AppFixture.h"

#include "geometry/Patch.h"
#include "platform/Frame.h"
#include "platform/MeshBuilder.h"
#include "scene/Records.h"
#include "tools/ToolMode.h"

#include <cmath>

using namespace corvid;
using namespace corvid::testing;

namespace {

class PatchScaleTest : public AppTest {
protected:
    PatchScaleTest()
    {
        EXPECT_TRUE(editor.views.BuildViewDevice(View(1)));
        editor.views.ActivateView(1);
    }

    FramePtr PointOf(const FramePtr& patch, int row, int column)
    {
        for (const FramePtr& group : patch->GetChildren())
            for (const FramePtr& point : group->GetChildren())
                if (const ObjectRecord* r = RecordOf(point.get());
                    r && r->kind == kControlPoint && r->cpRow == row && r->cpColumn == column)
                    return point;
        return nullptr;
    }
};

TEST_F(PatchScaleTest, APointMovedAfterAScaleOrStretchLeavesNoSeam)
{
    for (int mode : {kModeUniformScale, kModeStretch}) {
        // A flat patch around the origin, which the centre of the view looks at.
        FramePtr patch = CreatePatch(editor.scene, editor.tools.patches, kPatchBSpline, {0, 0, 0}, 8, 8);
        ASSERT_TRUE(patch);
        // Not flat, so that the stretch has a height to stretch.
        FramePtr top = PointOf(patch, 3, 3);
        top->SetPosition(top->GetParent(), top->GetPosition(top->GetParent()) + Vec3{0, 2, 0});
        ASSERT_TRUE(ReevaluatePatch(editor.scene, editor.tools.patches, *top));
        MeshBuilder& surface = *patch->GetVisuals().front();
        const float widthBefore = surface.GetBox().Size().x;

        // The tool's gesture: press on the patch, drag upward, release.
        editor.tools.mode = mode;
        editor.tools.ViewportMouseDown(1, MouseButton::Left, 200, 150);
        ASSERT_EQ(editor.scene.SelectedFrame(), patch) << mode;
        editor.tools.ViewportMouseMove(1, 200, 90);
        editor.tools.ViewportMouseUp(1, MouseButton::Left, 200, 90);
        editor.tools.mode = 0;
        ASSERT_GT(std::fabs(surface.GetBox().Size().x - widthBefore), 0.1f) << mode << ": the patch was scaled";

        // A control point moved as the move tool moves it.
        FramePtr point = PointOf(patch, 2, 3);
        ASSERT_TRUE(point);
        point->SetPosition(point->GetParent(), point->GetPosition(point->GetParent()) + Vec3{0.3f, 1.0f, -0.2f});
        ASSERT_TRUE(ReevaluatePatch(editor.scene, editor.tools.patches, *point));
        const std::vector<Vec3> influenced = surface.GetVertices();
        ASSERT_TRUE(ReevaluatePatch(editor.scene, editor.tools.patches, *point, PatchRegion::Whole));
        for (size_t v = 0; v < influenced.size(); ++v) {
            const Vec3 d = influenced[v] - surface.GetVertices()[v];
            ASSERT_LT(Length(d), 1e-4f) << mode << ": a seam at vertex " << v;
        }
        EXPECT_GT(std::fabs(surface.GetBox().Size().x - widthBefore), 0.1f) << mode << ": still scaled";
        editor.scene.DeleteObjectTree(patch);
    }
}

} // namespace
