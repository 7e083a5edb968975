// Patches whose frames have been rearranged by the origin tools, and the
// bound on the size of a patch surface.

#include "geometry/Patch.h"

#include "geometry/PatchParts.h"
#include "scene/SceneFixture.h"

#include <climits>

namespace corvid::testing {
namespace {

class PatchLimitsTest : public SceneTest, public PatchParts {
protected:
    PatchParameters patches;

    // The surface's vertices relative to SCENE.
    std::vector<Vec3> SurfaceInScene(const FramePtr& patch)
    {
        const Matrix4 toScene = patch->GetTransform(scene.Scene().get());
        std::vector<Vec3> out;
        for (const Vec3& v : Surface(patch).GetVertices())
            out.push_back(toScene.TransformPoint(v));
        return out;
    }
    // Moves control point (row, column) by step in SCENE's axes and re-shapes
    // its patch, as the move tool does.
    void MovePoint(const FramePtr& patch, int row, int column, Vec3 step)
    {
        FramePtr point = PointAt(patch, row, column);
        point->SetPosition(scene.Scene().get(), point->GetPosition(scene.Scene().get()) + step);
        ASSERT_TRUE(ReevaluatePatch(scene, patches, *point));
    }
};

TEST_F(PatchLimitsTest, ControlPointsMovedAfterAnOriginMoveKeepTheSurfaceWhole)
{
    for (int type : {kPatchBSpline, kPatchCatmullRom}) {
        // Two equal patches; one has its origin moved to a point and then
        // to the centre of its (by then lopsided) surface.
        FramePtr patch = CreatePatch(scene, patches, type, {1, 0, 2}, 4, 6);
        FramePtr twin = CreatePatch(scene, patches, type, {1, 0, 2}, 4, 6);
        ASSERT_TRUE(patch && twin);
        for (const FramePtr& p : {patch, twin})
            MovePoint(p, 1, 1, {0, 2, 0});
        ASSERT_TRUE(scene.MoveOriginTo(patch, {3, 1, -1}));
        ASSERT_TRUE(scene.MoveOriginToCentre(patch));
        ASSERT_FALSE(Near(At(patch), At(twin))) << "the origin moved";
        ASSERT_FALSE(Near(GroupOf(patch)->GetPosition(patch.get()), {})) << "the group was shifted back";

        // The same moves of the control points give the same surface where
        // it stands in the scene, spans re-sampled or not.
        const std::pair<int, int> moved[] = {{0, 0}, {2, 3}, {3, 1}};
        for (auto [row, column] : moved)
            for (const FramePtr& p : {patch, twin})
                MovePoint(p, row, column, {0.5f, -1.0f, 0.25f});
        const std::vector<Vec3> a = SurfaceInScene(patch), b = SurfaceInScene(twin);
        ASSERT_EQ(a.size(), b.size());
        for (size_t v = 0; v < a.size(); ++v)
            ASSERT_TRUE(Near(a[v], b[v], 1e-4f)) << type << " vertex " << v << ": " << a[v] << " vs " << b[v];
        // And the net still joins the points where they are.
        if (type == kPatchBSpline) {
            FramePtr group = GroupOf(patch);
            MeshBuilderPtr net = ControlNetOf(*group);
            ASSERT_TRUE(net);
            const Frame* netFrame = nullptr;
            for (const FramePtr& child : group->GetChildren())
                if (!RecordOf(child.get()))
                    netFrame = child.get();
            const int columns = patches.bSpline.columns + 1;
            for (auto [row, column] : moved)
                EXPECT_TRUE(Near(net->GetVertices()[static_cast<size_t>(row * columns + column)],
                                 PointAt(patch, row, column)->GetPosition(netFrame), 1e-5f));
        }
    }
}

TEST_F(PatchLimitsTest, ControlPointsTakenAlongByAMeshScaleKeepTheSurfaceWhole)
{
    // As the uniform scale (103) and the stretch (117) scale a patch: the
    // surface's vertices times the factors, and the points taken along.
    const Vec3 scales[] = {{2.0f, 2.0f, 2.0f}, {0.5f, 4.0f, 0.5f}};
    for (int type : {kPatchBSpline, kPatchCatmullRom})
        for (const Vec3& factors : scales) {
            FramePtr patch = CreatePatch(scene, patches, type, {1, 0, 2}, 4, 6);
            ASSERT_TRUE(patch);
            MovePoint(patch, 2, 2, {0, 1, 0});
            ASSERT_TRUE(scene.MoveOriginTo(patch, {2, 0, 3}));
            const std::vector<PatchPointStart> points = PatchPointsOf(patch, false);
            ASSERT_EQ(points.size(), ControlPoints(patch).size());
            MeshBuilder& surface = Surface(patch);
            const std::vector<Vec3> original = surface.GetVertices();
            for (int half : {1, 2}) {  // two drag steps, each from the press
                const Vec3 f = half == 1 ? (factors + Vec3{1, 1, 1}) * 0.5f : factors;
                for (size_t v = 0; v < original.size(); ++v)
                    surface.SetVertex(static_cast<int>(v), {original[v].x * f.x, original[v].y * f.y, original[v].z * f.z});
                ScalePatchPoints(scene, points, f);
            }

            // The points now give the scaled surface...
            const std::vector<Vec3> scaled = surface.GetVertices();
            ASSERT_TRUE(ReevaluatePatch(scene, patches, *PointAt(patch, 0, 0), PatchRegion::Whole));
            for (size_t v = 0; v < scaled.size(); ++v)
                ASSERT_TRUE(Near(scaled[v], surface.GetVertices()[v], 1e-4f)) << type << " vertex " << v;
            // ...and a point moved afterwards re-samples its spans into it:
            // the same as sampling the whole surface again.
            MovePoint(patch, 1, 3, {0.25f, -0.5f, 0.1f});
            const std::vector<Vec3> influenced = surface.GetVertices();
            ASSERT_TRUE(ReevaluatePatch(scene, patches, *PointAt(patch, 1, 3), PatchRegion::Whole));
            for (size_t v = 0; v < influenced.size(); ++v)
                ASSERT_TRUE(Near(influenced[v], surface.GetVertices()[v], 1e-4f))
                    << type << " vertex " << v << ": " << influenced[v] << " vs " << surface.GetVertices()[v];
            // The net joins the points where they are.
            if (MeshBuilderPtr net = ControlNetOf(*GroupOf(patch))) {
                const Frame* netFrame = nullptr;
                for (const FramePtr& child : GroupOf(patch)->GetChildren())
                    if (!RecordOf(child.get()))
                        netFrame = child.get();
                for (const FramePtr& point : ControlPoints(patch)) {
                    const ObjectRecord& r = *RecordOf(point.get());
                    EXPECT_TRUE(Near(net->GetVertices()[static_cast<size_t>(r.cpRow * (r.cpColumns + 1) + r.cpColumn)],
                                     point->GetPosition(netFrame), 1e-4f));
                }
            }
        }
    // Patches below a scaled object are found with its children.
    FramePtr holder = MakeSphere();
    FramePtr inner = CreatePatch(scene, patches, kPatchBSpline, {}, 1, 1);
    ASSERT_TRUE(scene.Attach(inner, holder));
    EXPECT_TRUE(PatchPointsOf(holder, false).empty());
    EXPECT_EQ(PatchPointsOf(holder, true).size(), ControlPoints(inner).size());
}

TEST_F(PatchLimitsTest, ASurfaceTooLargeIsRefusedBeforeAnythingIsMadeNamingTheLimit)
{
    const std::string limit = std::to_string(kMaxPatchSurfaceVertices);
    struct Case {
        const char* name;
        int type;
        PatchFamilyParameters p;
        const char* says;  // a part of the message
    } refused[] = {
        {"1000 rows and steps", kPatchBSpline, {1000, 98, 1000, 1}, "column"},
        {"many steps both ways", kPatchBSpline, {98, 98, 1000, 1000}, "9409"},
        {"steps along x alone", kPatchCatmullRom, {10, 10, 200000, 1}, "surface vertices"},
        {"the largest counts", kPatchBSpline, {98, 98, INT_MAX, INT_MAX}, "too many surface vertices"},
        {"a column too long", kPatchCatmullRom, {99, 5, 1, 1}, "fewer rows"},
        {"rows past an int", kPatchBSpline, {INT_MAX, 5, 1, 1}, "fewer rows"},
    };
    const size_t children = scene.Scene()->GetChildren().size();
    for (const Case& c : refused) {
        auto problem = PatchParametersProblem(c.type, c.p);
        ASSERT_TRUE(problem) << c.name;
        EXPECT_NE(problem->find(c.says), std::string::npos) << c.name << ": " << *problem;
        if (problem->find("vertices") != std::string::npos) {
            EXPECT_NE(problem->find(limit), std::string::npos) << c.name << ": " << *problem;
        }
        patches.Of(c.type) = c.p;
        ui.messages.clear();
        EXPECT_FALSE(CreatePatch(scene, patches, c.type, {}, 1, 1)) << c.name;
        ASSERT_EQ(ui.messages.size(), 1u) << c.name;
        EXPECT_EQ(ui.messages[0], *problem) << c.name;
    }
    EXPECT_EQ(scene.Scene()->GetChildren().size(), children) << "nothing was made";

    // Up to the limit, patches are allowed.
    EXPECT_FALSE(PatchParametersProblem(kPatchBSpline, {98, 98, 10, 10}));    // 971 x 971 vertices
    EXPECT_FALSE(PatchParametersProblem(kPatchBSpline, {99, 2, 5000, 1}));    // 490001 x 2
    EXPECT_FALSE(PatchParametersProblem(kPatchCatmullRom, {98, 98, 1, 1}));  // 100 x 100 points
}

} // namespace
} // namespace corvid::testing
