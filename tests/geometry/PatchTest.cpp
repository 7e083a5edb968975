// Patches: the object tree CreatePatch builds, the surface it samples and
// how the surface follows a moved control point.

#include "geometry/Patch.h"

#include "platform/Material.h"
#include "platform/Pick.h"
#include "geometry/PatchParts.h"
#include "scene/SceneFixture.h"

#include <cmath>
#include <set>
#include <utility>

namespace corvid::testing {
namespace {

class PatchTest : public SceneTest, public PatchParts {
protected:
    PatchParameters patches;
};

// --- the tree and the flat surface --------------------------------------------

TEST_F(PatchTest, DefaultBSplinePatchHasItsTreeCountsAndCorners)
{
    const float W = 4.0f, D = 6.0f;
    FramePtr patch = CreatePatch(scene, patches, kPatchBSpline, {1, 0, 2}, W, D);
    ASSERT_TRUE(patch);
    EXPECT_EQ(patch->GetParent(), scene.Scene().get());
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
    EXPECT_EQ(material->id, scene.materialIdCounter);
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
    patches.catmullRom = {3, 4, 2, 3};
    FramePtr patch = CreatePatch(scene, patches, kPatchCatmullRom, {}, 2, 2);
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
    FramePtr patch = CreatePatch(scene, patches, kPatchCatmullRom, {}, 3, 5);
    ASSERT_TRUE(patch);
    EXPECT_EQ(ControlPoints(patch).size(), 49u);
    MeshBuilder& surface = Surface(patch);
    ASSERT_EQ(surface.GetVertexCount(), 289);
    // Make the grid bumpy so that passing through the points means something.
    for (int g = 0; g < 7; ++g)
        for (int c = 0; c < 7; ++c)
            Lift(patch, g, c, 0.1f * static_cast<float>((g * 3 + c * 5) % 7) - 0.3f);
    ASSERT_TRUE(ReevaluatePatch(scene, patches, *PointAt(patch, 0, 0), PatchRegion::Whole));
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
    FramePtr patch = CreatePatch(scene, patches, kPatchBSpline, {}, 4, 4);
    ASSERT_TRUE(patch);
    const std::vector<Vec3> before = Surface(patch).GetVertices();
    Lift(patch, 0, 0, 1.0f);
    ASSERT_TRUE(ReevaluatePatch(scene, patches, *PointAt(patch, 0, 0)));
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
        patches.Of(type) = {6, 4, 3, 2};
        FramePtr patch = CreatePatch(scene, patches, type, {}, 5, 3);
        FramePtr twin = CreatePatch(scene, patches, type, {}, 5, 3);
        ASSERT_TRUE(patch && twin);
        const PatchSizes s = PatchSizesOf(type, patches.Of(type));
        // Corners, edges and the inside, each moved off the plane and sideways.
        const std::pair<int, int> moves[] = {{0, 0}, {s.controlRows - 1, 2}, {3, s.controlColumns - 1}, {2, 1}, {3, 3}};
        float k = 0.3f;
        for (auto [g, c] : moves) {
            for (const FramePtr& p : {patch, twin}) {
                FramePtr point = PointAt(p, g, c);
                point->SetPosition(point->GetParent(), point->GetPosition(point->GetParent()) + Vec3{k, 2 * k, -k});
            }
            ASSERT_TRUE(ReevaluatePatch(scene, patches, *PointAt(patch, g, c), PatchRegion::Influenced));
            ASSERT_TRUE(ReevaluatePatch(scene, patches, *PointAt(twin, g, c), PatchRegion::Whole));
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
    FramePtr patch = CreatePatch(scene, patches, kPatchBSpline, {}, 4, 4);
    ASSERT_TRUE(patch);
    FramePtr point = PointAt(patch, 2, 2);
    RecordOf(point.get())->patchType = kPatchBezier;
    const std::vector<Vec3> surface = Surface(patch).GetVertices();
    const std::vector<Vec3> net = ControlNetOf(*GroupOf(patch))->GetVertices();
    const uint64_t revision = Surface(patch).GetRevision();
    Lift(patch, 2, 2, 1.0f);
    EXPECT_FALSE(ReevaluatePatch(scene, patches, *point));
    EXPECT_FALSE(ReevaluatePatch(scene, patches, *point, PatchRegion::Whole));
    EXPECT_EQ(Surface(patch).GetVertices(), surface);
    EXPECT_EQ(Surface(patch).GetRevision(), revision);
    EXPECT_EQ(ControlNetOf(*GroupOf(patch))->GetVertices(), net);

    // Neither the patch frame nor an ordinary object is a control point.
    EXPECT_FALSE(ReevaluatePatch(scene, patches, *patch));
    EXPECT_FALSE(ReevaluatePatch(scene, patches, *MakeSphere()));
}

// --- refusals ---------------------------------------------------------------------

TEST_F(PatchTest, ParametersThatCannotMakeAPatchAreRefusedWithAMessage)
{
    const size_t children = scene.Scene()->GetChildren().size();
    struct Case {
        int type;
        PatchFamilyParameters p;
    } refused[] = {
        {kPatchBSpline, {1, 5, 4, 4}},      {kPatchBSpline, {5, 1, 4, 4}},    {kPatchCatmullRom, {5, 0, 4, 4}},
        {kPatchBSpline, {5, 5, 0, 4}},      {kPatchBSpline, {5, 100, 1, 1}},  // 101 points in a row
        {kPatchCatmullRom, {5, 99, 1, 1}},  // 101 points in a row
    };
    for (const Case& c : refused) {
        patches.Of(c.type) = c.p;
        ui.messages.clear();
        EXPECT_FALSE(CreatePatch(scene, patches, c.type, {}, 1, 1));
        ASSERT_EQ(ui.messages.size(), 1u);
        EXPECT_FALSE(ui.messages[0].empty());
    }
    EXPECT_EQ(scene.Scene()->GetChildren().size(), children);
    EXPECT_TRUE(PatchParametersProblem(kPatchBezier, {}));

    // Rows of exactly 100 points fit.
    patches.bSpline = {2, 99, 1, 1};
    patches.catmullRom = {2, 98, 1, 1};
    ui.messages.clear();
    EXPECT_TRUE(CreatePatch(scene, patches, kPatchBSpline, {}, 1, 1));
    EXPECT_TRUE(CreatePatch(scene, patches, kPatchCatmullRom, {}, 1, 1));
    EXPECT_TRUE(ui.messages.empty());
}

} // namespace
} // namespace corvid::testing
