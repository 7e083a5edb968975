// Patches: the object tree CreatePatch builds, the surface it samples, how
// the surface follows a moved control point, and the creation gesture.

#include "geometry/Patch.h"

#include "platform/Material.h"
#include "platform/Pick.h"
#include "scene/ToolFixture.h"
#include "scene/TransformTools.h"

#include <cmath>
#include <set>
#include <utility>

namespace corvid::testing {
namespace {

class PatchTest : public ToolTest {
protected:
    static FramePtr GroupOf(const FramePtr& patch) { return patch->GetChildren().at(0); }

    static std::vector<FramePtr> ControlPoints(const FramePtr& patch)
    {
        std::vector<FramePtr> out;
        for (const FramePtr& child : GroupOf(patch)->GetChildren())
            if (RecordOf(child.get()) && RecordOf(child.get())->kind == kControlPoint)
                out.push_back(child);
        return out;
    }

    static FramePtr PointAt(const FramePtr& patch, int row, int column)
    {
        for (const FramePtr& p : ControlPoints(patch))
            if (RecordOf(p.get())->cpRow == row && RecordOf(p.get())->cpColumn == column)
                return p;
        return nullptr;
    }

    static MeshBuilder& Surface(const FramePtr& patch) { return *patch->GetVisuals().at(0); }

    // Lifts control point (row, column) by dy in its group's space.
    static void Lift(const FramePtr& patch, int row, int column, float dy)
    {
        FramePtr p = PointAt(patch, row, column);
        Vec3 at = p->GetPosition(p->GetParent());
        p->SetPosition(p->GetParent(), at + Vec3{0.0f, dy, 0.0f});
    }

    static bool Near(const Vec3& a, const Vec3& b, float eps = 1e-5f)
    {
        return std::fabs(a.x - b.x) <= eps && std::fabs(a.y - b.y) <= eps && std::fabs(a.z - b.z) <= eps;
    }
};

// --- the tree and the flat surface --------------------------------------------

TEST_F(PatchTest, DefaultBSplinePatchHasItsTreeCountsAndCorners)
{
    const float W = 4.0f, D = 6.0f;
    FramePtr patch = CreatePatch(editor, kPatchBSpline, {1, 0, 2}, W, D);
    ASSERT_TRUE(patch);
    EXPECT_EQ(patch->GetParent(), editor.Scene().get());
    EXPECT_TRUE(Near(At(patch), {1, 0, 2}));
    const ObjectRecord* record = RecordOf(patch.get());
    ASSERT_TRUE(record);
    EXPECT_EQ(record->kind, kPatch);
    EXPECT_EQ(record->name, "BSpline Patch");
    EXPECT_EQ(record->patchType, 0);
    EXPECT_NE(record->treeItem, 0);  // registered
    EXPECT_TRUE(record->interpolator);

    MeshBuilder& surface = Surface(patch);
    EXPECT_EQ(surface.GetVertexCount(), 289);
    EXPECT_EQ(surface.GetFaceCount(), 256);
    EXPECT_EQ(surface.GetQuality(), kQualityGouraudLitSolid);
    const MaterialRecord* material = RecordOf(surface.GetMaterial().get());
    ASSERT_TRUE(material);
    EXPECT_EQ(material->id, editor.materialIdCounter);
    EXPECT_FLOAT_EQ(material->diffuse[1], 0.5f);
    EXPECT_FLOAT_EQ(material->diffuse[2], 1.0f);
    ASSERT_TRUE(RecordOf(&surface));

    // Corners of the 17 x 17 grid, and the flat surface faces +y everywhere.
    EXPECT_TRUE(Near(surface.GetVertices()[0], {-W / 2, 0, -D / 2}));
    EXPECT_TRUE(Near(surface.GetVertices()[16], {-W / 2, 0, D / 2}));
    EXPECT_TRUE(Near(surface.GetVertices()[272], {W / 2, 0, -D / 2}));
    EXPECT_TRUE(Near(surface.GetVertices()[288], {W / 2, 0, D / 2}));
    for (int f = 0; f < surface.GetFaceCount(); ++f)
        ASSERT_GT(surface.GetFaceNormal(f).y, 0.99f) << "face " << f;
    for (const Vec3& n : surface.GetNormals())
        ASSERT_TRUE(Near(n, {0, 1, 0}));

    FramePtr group = GroupOf(patch);
    ASSERT_TRUE(RecordOf(group.get()));
    EXPECT_EQ(RecordOf(group.get())->kind, kEmpty);
    EXPECT_EQ(RecordOf(group.get())->name, "");
    std::vector<FramePtr> points = ControlPoints(patch);
    EXPECT_EQ(points.size(), 36u);
    for (const FramePtr& p : points) {
        EXPECT_EQ(RecordOf(p.get())->treeItem, 0);  // control points are not listed
        EXPECT_TRUE(p->IsPickEnabled() && p->IsRenderEnabled());
        ASSERT_EQ(p->GetVisuals().size(), 1u);
        EXPECT_NEAR(p->GetVisuals()[0]->GetBox().Size().x, 2 * 0.01f * W, 1e-5f);
    }
    // The grid reaches half a spacing past the surface: spacing W/4, D/4.
    EXPECT_TRUE(Near(PointAt(patch, 0, 0)->GetPosition(group.get()), {-2.5f, 0, -3.75f}));
    EXPECT_TRUE(Near(PointAt(patch, 5, 5)->GetPosition(group.get()), {2.5f, 0, 3.75f}));

    MeshBuilderPtr net = ControlNetOf(*group);
    ASSERT_TRUE(net);
    EXPECT_EQ(net->GetVertexCount(), 36);
    EXPECT_EQ(net->GetFaceCount(), 25);
    EXPECT_EQ(net->GetQuality(), kFillWireframe | kShadeFlat | kLightOff);
    EXPECT_TRUE(Near(net->GetVertices()[1 * 6 + 2], PointAt(patch, 1, 2)->GetPosition(group.get())));
}

TEST_F(PatchTest, ControlPointRecordsCarryGridPositionSizesTypeAndSteps)
{
    editor.patches.catmullRom = {3, 4, 2, 3};
    FramePtr patch = CreatePatch(editor, kPatchCatmullRom, {}, 2, 2);
    ASSERT_TRUE(patch);
    EXPECT_EQ(RecordOf(patch.get())->name, "CatmullRom Patch");
    EXPECT_FALSE(ControlNetOf(*GroupOf(patch)));
    EXPECT_EQ(Surface(patch).GetVertexCount(), 5 * 10);
    EXPECT_EQ(Surface(patch).GetFaceCount(), 4 * 9);

    std::set<std::pair<int, int>> seen;
    for (const FramePtr& p : ControlPoints(patch)) {
        const ObjectRecord& r = *RecordOf(p.get());
        EXPECT_EQ(r.name, "");
        EXPECT_EQ(r.cpRows, 3);
        EXPECT_EQ(r.cpColumns, 4);
        EXPECT_EQ(r.patchType, kPatchCatmullRom);
        EXPECT_EQ(r.cpStepsU, 2);
        EXPECT_EQ(r.cpStepsV, 3);
        seen.insert({r.cpRow, r.cpColumn});
    }
    EXPECT_EQ(seen.size(), 5u * 6u);
    EXPECT_EQ(*seen.begin(), std::make_pair(0, 0));
    EXPECT_EQ(*seen.rbegin(), std::make_pair(4, 5));
}

TEST_F(PatchTest, CatmullRomSurfacePassesThroughItsInnerControlPoints)
{
    FramePtr patch = CreatePatch(editor, kPatchCatmullRom, {}, 3, 5);
    ASSERT_TRUE(patch);
    EXPECT_EQ(ControlPoints(patch).size(), 49u);
    MeshBuilder& surface = Surface(patch);
    ASSERT_EQ(surface.GetVertexCount(), 289);
    // Make the grid bumpy so that passing through the points means something.
    for (int g = 0; g < 7; ++g)
        for (int c = 0; c < 7; ++c)
            Lift(patch, g, c, 0.1f * static_cast<float>((g * 3 + c * 5) % 7) - 0.3f);
    ASSERT_TRUE(ReevaluatePatch(editor, *PointAt(patch, 0, 0), PatchRegion::Whole));
    const Frame* group = GroupOf(patch).get();
    for (int g = 1; g <= 5; ++g)
        for (int c = 1; c <= 5; ++c) {
            const Vec3 point = PointAt(patch, g, c)->GetPosition(group);
            const Vec3 vertex = surface.GetVertices()[static_cast<size_t>((g - 1) * 4 * 17 + (c - 1) * 4)];
            EXPECT_TRUE(Near(vertex, point)) << "point " << g << ", " << c;
        }
}

// --- re-evaluation ----------------------------------------------------------------

TEST_F(PatchTest, MovedCornerPointChangesOnlyTheCellsWithinOneSpan)
{
    FramePtr patch = CreatePatch(editor, kPatchBSpline, {}, 4, 4);
    ASSERT_TRUE(patch);
    const std::vector<Vec3> before = Surface(patch).GetVertices();
    Lift(patch, 0, 0, 1.0f);
    ASSERT_TRUE(ReevaluatePatch(editor, *PointAt(patch, 0, 0)));
    const std::vector<Vec3>& after = Surface(patch).GetVertices();
    for (int i = 0; i < 17; ++i)
        for (int j = 0; j < 17; ++j) {
            const size_t v = static_cast<size_t>(i * 17 + j);
            if (i >= 4 || j >= 4) {
                EXPECT_EQ(after[v], before[v]) << "vertex " << i << ", " << j;
            }
        }
    EXPECT_GT(after[0].y, 0.1f);  // the corner vertex weighs the point by 1/4
    EXPECT_NEAR(after[0].y, 0.25f, 1e-5f);
    // The net follows the point.
    EXPECT_NEAR(ControlNetOf(*GroupOf(patch))->GetVertices()[0].y, 1.0f, 1e-6f);
}

TEST_F(PatchTest, ReevaluatingTheInfluencedSpansEqualsAWholeReevaluation)
{
    for (int type : {kPatchBSpline, kPatchCatmullRom}) {
        editor.patches.Of(type) = {6, 4, 3, 2};
        FramePtr patch = CreatePatch(editor, type, {}, 5, 3);
        FramePtr twin = CreatePatch(editor, type, {}, 5, 3);
        ASSERT_TRUE(patch && twin);
        const PatchSizes s = PatchSizesOf(type, editor.patches.Of(type));
        // Corners, edges and the inside, each moved off the plane and sideways.
        const std::pair<int, int> moves[] = {{0, 0}, {s.controlRows - 1, 2}, {3, s.controlColumns - 1}, {2, 1}, {3, 3}};
        float k = 0.3f;
        for (auto [g, c] : moves) {
            for (const FramePtr& p : {patch, twin}) {
                FramePtr point = PointAt(p, g, c);
                point->SetPosition(point->GetParent(), point->GetPosition(point->GetParent()) + Vec3{k, 2 * k, -k});
            }
            ASSERT_TRUE(ReevaluatePatch(editor, *PointAt(patch, g, c), PatchRegion::Influenced));
            ASSERT_TRUE(ReevaluatePatch(editor, *PointAt(twin, g, c), PatchRegion::Whole));
            k = -1.7f * k;
            const MeshBuilder& a = Surface(patch);
            const MeshBuilder& b = Surface(twin);
            ASSERT_EQ(a.GetNormalCount(), b.GetNormalCount());
            for (size_t v = 0; v < a.GetVertices().size(); ++v) {
                ASSERT_EQ(a.GetVertices()[v], b.GetVertices()[v]) << type << " vertex " << v;
                ASSERT_TRUE(Near(a.GetNormals()[v], b.GetNormals()[v], 1e-6f)) << type << " normal " << v;
            }
        }
        EXPECT_GT(Length(Surface(patch).GetVertices()[0]), 0.0f);
    }
}

TEST_F(PatchTest, ReservedBezierTypeAndForeignFramesReevaluateNothing)
{
    FramePtr patch = CreatePatch(editor, kPatchBSpline, {}, 4, 4);
    ASSERT_TRUE(patch);
    FramePtr point = PointAt(patch, 2, 2);
    RecordOf(point.get())->patchType = kPatchBezier;
    const std::vector<Vec3> surface = Surface(patch).GetVertices();
    const std::vector<Vec3> net = ControlNetOf(*GroupOf(patch))->GetVertices();
    const uint64_t revision = Surface(patch).GetRevision();
    Lift(patch, 2, 2, 1.0f);
    EXPECT_FALSE(ReevaluatePatch(editor, *point));
    EXPECT_FALSE(ReevaluatePatch(editor, *point, PatchRegion::Whole));
    EXPECT_EQ(Surface(patch).GetVertices(), surface);
    EXPECT_EQ(Surface(patch).GetRevision(), revision);
    EXPECT_EQ(ControlNetOf(*GroupOf(patch))->GetVertices(), net);

    // Neither the patch frame nor an ordinary object is a control point.
    EXPECT_FALSE(ReevaluatePatch(editor, *patch));
    EXPECT_FALSE(ReevaluatePatch(editor, *MakeSphere()));
}

// --- refusals ---------------------------------------------------------------------

TEST_F(PatchTest, ParametersThatCannotMakeAPatchAreRefusedWithAMessage)
{
    const size_t children = editor.Scene()->GetChildren().size();
    struct Case {
        int type;
        PatchFamilyParameters p;
    } refused[] = {
        {kPatchBSpline, {1, 5, 4, 4}},      {kPatchBSpline, {5, 1, 4, 4}},    {kPatchCatmullRom, {5, 0, 4, 4}},
        {kPatchBSpline, {5, 5, 0, 4}},      {kPatchBSpline, {5, 100, 1, 1}},  // 101 points in a row
        {kPatchCatmullRom, {5, 99, 1, 1}},  // 101 points in a row
    };
    for (const Case& c : refused) {
        editor.patches.Of(c.type) = c.p;
        ui.messages.clear();
        EXPECT_FALSE(CreatePatch(editor, c.type, {}, 1, 1));
        ASSERT_EQ(ui.messages.size(), 1u);
        EXPECT_FALSE(ui.messages[0].empty());
    }
    EXPECT_EQ(editor.Scene()->GetChildren().size(), children);
    EXPECT_TRUE(PatchParametersProblem(kPatchBezier, {}));

    // Rows of exactly 100 points fit.
    editor.patches.bSpline = {2, 99, 1, 1};
    editor.patches.catmullRom = {2, 98, 1, 1};
    ui.messages.clear();
    EXPECT_TRUE(CreatePatch(editor, kPatchBSpline, {}, 1, 1));
    EXPECT_TRUE(CreatePatch(editor, kPatchCatmullRom, {}, 1, 1));
    EXPECT_TRUE(ui.messages.empty());

    // The tool refuses at the press, before any box appears.
    editor.patches.bSpline.rows = 1;
    editor.toolMode = kModeBSplinePatch;
    const size_t now = editor.Scene()->GetChildren().size();
    Gesture(kCentreX, kCentreY, kCentreX + 40, kCentreY + 20);
    EXPECT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(editor.Scene()->GetChildren().size(), now);
}

// --- picking ------------------------------------------------------------------------

TEST_F(PatchTest, ControlNetIsDrawnButNeverPicked)
{
    FramePtr patch = CreatePatch(editor, kPatchBSpline, {}, 4, 4);
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
        for (const PickHit& hit : PickRay(*editor.Scene(), at, {0, -1, 0}))
            EXPECT_NE(hit.visual, net);
    }
    EXPECT_TRUE(PickRay(*editor.Scene(), {2.25f, 5, 0.5f}, {0, -1, 0}).empty());
    // A marker is picked: the group does not hide the control points.
    auto hits = PickRay(*editor.Scene(), {2.5f, 5, 2.5f}, {0, -1, 0});
    ASSERT_FALSE(hits.empty());
    EXPECT_EQ(hits[0].path.back(), PointAt(patch, 5, 5));
}

// --- the tools ----------------------------------------------------------------------

TEST_F(PatchTest, MoveToolReshapesThePatchOfTheMovedPoint)
{
    FramePtr patch = CreatePatch(editor, kPatchBSpline, {}, 4, 4);
    ASSERT_TRUE(patch);
    FramePtr point = PointAt(patch, 3, 3);
    const Vec3 start = point->GetPosition(editor.Scene().get());
    editor.Select(point);
    editor.toolMode = kModeMove;
    ToolDragState drag;
    drag.right = true;  // right button alone: the height changes
    drag.lastX = drag.pressX = kCentreX;
    drag.lastY = drag.pressY = kCentreY;
    ASSERT_TRUE(tools::BeginMove(editor, drag));
    tools::DragMove(editor, drag, kCentreX, kCentreY - 30);
    const float lifted = point->GetPosition(editor.Scene().get()).y - start.y;
    ASSERT_GT(lifted, 0.1f);
    // The surface vertex under the point (rows 2..3 of spans) rose; the
    // far corner did not.
    const std::vector<Vec3>& v = Surface(patch).GetVertices();
    EXPECT_GT(v[static_cast<size_t>(2 * 4 * 17 + 2 * 4)].y, 0.1f * lifted);
    EXPECT_EQ(v[0].y, 0.0f);
}

TEST_F(PatchTest, GestureSizesAFlatBoxAndReplacesItByAPatch)
{
    for (int mode : {kModeBSplinePatch, kModeCatmullRomPatch}) {
        editor.toolMode = mode;
        const size_t children = editor.Scene()->GetChildren().size();
        Press(kCentreX, kCentreY);
        ASSERT_EQ(editor.Scene()->GetChildren().size(), children + 1);
        FramePtr box = editor.Scene()->GetChildren().back();
        EXPECT_EQ(box->GetVisuals().at(0)->GetColor(),
                  mode == kModeBSplinePatch ? MakeARGB(0, 0.5f, 1) : MakeARGB(1, 0.5f, 0));
        Drag(kCentreX + 20, kCentreY + 10);
        Drag(kCentreX + 40, kCentreY + 20);
        corvid::Box sized = box->GetHierarchyBox().Transformed(box->GetTransform(editor.Scene().get()));
        EXPECT_NEAR(sized.Size().y, kPatchBoxThickness, 1e-6f);
        EXPECT_GT(sized.Size().x, 1.0f);  // 40 px at 0.075 a pixel, both sides
        EXPECT_GT(sized.Size().z, 0.0f);
        Release(kCentreX + 40, kCentreY + 20);

        ASSERT_EQ(editor.Scene()->GetChildren().size(), children + 1);
        EXPECT_EQ(box->GetParent(), nullptr);
        FramePtr patch = editor.Scene()->GetChildren().back();
        ASSERT_TRUE(RecordOf(patch.get()));
        EXPECT_EQ(RecordOf(patch.get())->kind, kPatch);
        EXPECT_FALSE(editor.HasSelection());
        corvid::Box surface = Surface(patch).GetBox();
        EXPECT_NEAR(surface.Size().x, sized.Size().x, 1e-4f);
        EXPECT_NEAR(surface.Size().z, sized.Size().z, 1e-4f);
        EXPECT_TRUE(Near(At(patch), sized.Center(), 1e-4f));
    }

    // A press released at once still makes a patch, never a zero one.
    editor.toolMode = kModeBSplinePatch;
    Press(kCentreX, kCentreY);
    Drag(kCentreX, kCentreY);
    Release(kCentreX, kCentreY);
    corvid::Box tiny = Surface(editor.Scene()->GetChildren().back()).GetBox();
    EXPECT_GE(tiny.Size().x, 0.0001f * 0.999f);
}

} // namespace
} // namespace corvid::testing
