// The mapping tools: choosing them, the gizmo's shape, size and place, and
// the drags that move, turn and size the wrap as one step of the history.

#include "tools/ToolFixture.h"

#include "materials/Mapping.h"
#include "materials/MappingParts.h"

#include <cmath>
#include <functional>

namespace corvid::testing {
namespace {

constexpr int kMove = kModeMappingFirst, kTurn = kModeMappingFirst + 1, kSize = kModeMappingLast;

class MappingGizmoTest : public ToolTest {
protected:
    // A selected 2 x 2 x 2 box at the origin wrapped with preset type.
    FramePtr Wrapped(int type, Vec3 lo = {-1, -1, -1}, Vec3 hi = {1, 1, 1})
    {
        FramePtr box = Box("Box", {}, lo, hi);
        scene.Select(box);
        tools.mapping.ChoosePreset(type);
        EXPECT_TRUE(ApplyMapping(scene, tools.mapping.Current()));
        scene.History().Clear();
        return box;
    }
    MeshRecord& Record(const FramePtr& frame) { return *RecordOf(frame->GetVisuals()[0].get()); }
    Vec3 GizmoScale()
    {
        const Matrix4 m = tools.mappingGizmo.GizmoFrame()->GetTransform(nullptr);
        return {Length(m.Row(0)), Length(m.Row(1)), Length(m.Row(2))};
    }
};

TEST_F(MappingGizmoTest, ToolsNeedASelectedMappableObject)
{
    tools.mode = kModeMove;
    EXPECT_FALSE(tools.mappingGizmo.ChooseTool(tools, kMove));
    EXPECT_EQ(ui.messages.back(), "No object selected");
    EXPECT_EQ(tools.mode, kModeMove);

    auto frame = scene.CreateCamera();
    scene.Select(frame);
    EXPECT_FALSE(tools.mappingGizmo.ChooseTool(tools, kTurn)) << "a camera's symbol has no wrap record";
    EXPECT_EQ(ui.messages.back(), "No object selected");
    EXPECT_EQ(tools.mappingGizmo.Shown(), GizmoShape::None);
}

TEST_F(MappingGizmoTest, TheShapeFollowsTheWrapAndTheCurrentType)
{
    struct Case {
        int record, current;
        GizmoShape shape;
    };
    const Case cases[] = {
        {2, 0, GizmoShape::Sphere}, {0, 3, GizmoShape::Sphere}, {0, 5, GizmoShape::Flat},
        {4, 2, GizmoShape::Sheet},  {3, 5, GizmoShape::Box},    {1, 2, GizmoShape::Cylinder},
        {5, 2, GizmoShape::None},   {3, 2, GizmoShape::None},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ChooseGizmoShape(c.record, c.current), c.shape) << c.record << " " << c.current;

    Wrapped(5);  // a box wrap while the sphere preset is current
    tools.mapping.ChoosePreset(2);
    EXPECT_FALSE(tools.mappingGizmo.ChooseTool(tools, kMove) && tools.mappingGizmo.Shown() != GizmoShape::None);
    EXPECT_EQ(ui.messages.back(), "Object does have mapping information: Using current map type");
}

TEST_F(MappingGizmoTest, TheGizmoSpansTheObjectAtItsOriginTurnedLikeTheWrap)
{
    FramePtr box = Wrapped(0);
    box->SetPosition(scene.Scene().get(), {3, 0, 0});
    ASSERT_TRUE(tools.mappingGizmo.ChooseTool(tools, kMove));
    EXPECT_EQ(tools.mode, kMove);
    ASSERT_EQ(tools.mappingGizmo.Shown(), GizmoShape::Flat);
    const FramePtr& gizmo = tools.mappingGizmo.GizmoFrame();
    EXPECT_EQ(gizmo->GetParent(), scene.World().get());
    EXPECT_FALSE(gizmo->IsPickEnabled());
    const float across = 2.0f * std::sqrt(3.0f);
    EXPECT_NEAR(GizmoScale().x, across, 1e-4f);
    EXPECT_NEAR(GizmoScale().y, across, 1e-4f);
    const Vec3 at = gizmo->GetPosition(scene.Scene().get());
    EXPECT_NEAR(at.x, 3.0f, 1e-5f);
    Vec3 direction, up;
    gizmo->GetOrientation(box.get(), direction, up);
    EXPECT_NEAR(direction.y, 1.0f, 1e-5f) << "the flat wrap's axisA";
    EXPECT_NEAR(up.z, 1.0f, 1e-5f);
    const corvid::Box shape = tools.mappingGizmo.Shape(GizmoShape::Flat)->GetBox();
    EXPECT_NEAR(shape.Size().x, 1.0f, 1e-6f) << "the shared shape itself is never scaled";
}

TEST_F(MappingGizmoTest, AnObjectWithoutExtentLeavesTheGizmoAsItWas)
{
    Wrapped(2);
    ASSERT_TRUE(tools.mappingGizmo.ChooseTool(tools, kMove));
    const Vec3 before = GizmoScale();
    FramePtr point = Wrapped(2, {1, 1, 1}, {1, 1, 1});
    ASSERT_TRUE(tools.mappingGizmo.Show(tools));
    const Vec3 after = GizmoScale();
    EXPECT_NEAR(after.x, before.x, 1e-5f);
    EXPECT_TRUE(std::isfinite(after.y) && after.y > 0.0f);
    for (float f : Record(point).wrap)
        EXPECT_TRUE(std::isfinite(f));
}

TEST_F(MappingGizmoTest, DragsMoveTurnAndSizeTheWrapAsOneStep)
{
    FramePtr box = Wrapped(0);
    struct Case {
        int mode;
        std::function<bool(const WrapSettings& before, const WrapSettings& after)> changed;
    };
    const Case cases[] = {
        {kMove, [](const WrapSettings& b, const WrapSettings& a) { return a.origin != b.origin && a.axisA == b.axisA; }},
        {kTurn, [](const WrapSettings& b, const WrapSettings& a) { return a.axisA != b.axisA && a.origin == b.origin; }},
        {kSize, [](const WrapSettings& b, const WrapSettings& a) { return a.su > b.su && a.sv == b.sv; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        ASSERT_TRUE(tools.mappingGizmo.ChooseTool(tools, c.mode));
        const WrapSettings before = SettingsOf(Record(box));
        const auto stateBefore = WrapRecordAspect::Capture(*box);
        const auto uvBefore = box->GetVisuals()[0]->GetContents().texcoords;
        const size_t steps = scene.History().UndoCount();
        Gesture(kCentreX, kCentreY, kCentreX + 70, kCentreY);
        const WrapSettings after = SettingsOf(Record(box));
        EXPECT_TRUE(c.changed(before, after));
        EXPECT_EQ(tools.mapping.Current(), after) << "the window's settings follow";
        ASSERT_EQ(scene.History().UndoCount(), steps + 1);
        const auto uvAfter = box->GetVisuals()[0]->GetContents().texcoords;
        EXPECT_NE(uvAfter, uvBefore);

        ASSERT_TRUE(scene.History().Undo());
        EXPECT_EQ(WrapRecordAspect::Capture(*box), stateBefore);
        EXPECT_EQ(box->GetVisuals()[0]->GetContents().texcoords, uvBefore);
        ASSERT_TRUE(scene.History().Redo());
        EXPECT_EQ(SettingsOf(Record(box)), after);
        EXPECT_EQ(box->GetVisuals()[0]->GetContents().texcoords, uvAfter);
    }
    // Sizing by 70 pixels doubles u.
    EXPECT_NEAR(Record(box).wrap[11], 2.0f, 1e-4f);
}

TEST_F(MappingGizmoTest, EscapePutsTheWrapAndTheSettingsBack)
{
    FramePtr box = Wrapped(0);
    ASSERT_TRUE(tools.mappingGizmo.ChooseTool(tools, kMove));
    const WrapSettings settings = tools.mapping.Current();
    const auto state = WrapRecordAspect::Capture(*box);
    Press(kCentreX, kCentreY);
    Drag(kCentreX + 40, kCentreY - 20);
    EXPECT_NE(tools.mapping.Current(), settings);
    EXPECT_TRUE(tools.CancelGesture());
    Release(kCentreX + 40, kCentreY - 20);
    EXPECT_EQ(tools.mapping.Current(), settings);
    EXPECT_EQ(WrapRecordAspect::Capture(*box), state);
    EXPECT_EQ(scene.History().UndoCount(), 0u);
}

} // namespace
} // namespace corvid::testing
