// Multiple copies: where each copy stands, how it is turned and how much it
// grows; zero and negative steps, flat meshes, lights and children; the whole
// series as one step of the edit history.

#include "geometry/MultiCopy.h"

#include "scene/EditHistory.h"
#include "scene/SceneFixture.h"
#include "support/SceneSnapshot.h"

#include <cmath>

namespace corvid::testing {
namespace {

class MultiCopyTest : public SceneTest {
protected:
    Vec3 Extent(const FramePtr& frame) { return frame->GetVisuals().front()->GetBox().Size(); }
    std::vector<FramePtr> Objects()
    {
        std::vector<FramePtr> out;
        for (const FramePtr& child : scene.Scene()->GetChildren())
            if (RecordOf(child.get()))
                out.push_back(child);
        return out;
    }
};

TEST_F(MultiCopyTest, EachCopyStandsTurnsAndGrowsOneStepFurther)
{
    FramePtr box = Box("Box", {1, 0, 0});  // extents 2, 2, 2
    scene.Select(box);
    MultiCopyParameters p;
    p.count = 3;
    p.offset = {2, 0, 1};
    p.rotation = {0, 90, 0};
    p.size = {1, 0, -0.5f};
    FramePtr last = MultiCopy(scene, p);
    ASSERT_TRUE(last);
    EXPECT_EQ(scene.SelectedFrame(), last);
    const std::vector<FramePtr> objects = Objects();
    ASSERT_EQ(objects.size(), 4u);
    EXPECT_EQ(objects[0], box);
    EXPECT_EQ(Extent(box), Vec3(2, 2, 2));
    const Frame* sceneFrame = scene.Scene().get();
    for (int i = 1; i <= 3; ++i) {
        SCOPED_TRACE(i);
        const FramePtr& copy = objects[static_cast<size_t>(i)];
        EXPECT_EQ(RecordOf(copy.get())->name, "Box");
        const float n = static_cast<float>(i);
        EXPECT_TRUE(NearlyEqual(copy->GetPosition(sceneFrame), {1 + 2 * n, 0, n}));
        Vec3 direction, up;
        copy->GetOrientation(sceneFrame, direction, up);
        const float a = n * kPi / 2.0f;  // about y: z' = -x sin + z cos, x' = x cos + z sin
        EXPECT_TRUE(NearlyEqual(direction, {std::sin(a), 0, std::cos(a)}, 1e-5f)) << direction;
        EXPECT_TRUE(NearlyEqual(up, {0, 1, 0}, 1e-5f));
        EXPECT_TRUE(NearlyEqual(Extent(copy), {2 + n, 2, 2 - 0.5f * n}, 1e-5f)) << Extent(copy);
    }
}

TEST_F(MultiCopyTest, TheRotationsGoAboutXThenYThenZ)
{
    Vec3 direction, up;
    MultiCopyOrientation({90, 90, 0}, 1, direction, up);
    // (0, 0, 1) about x by 90: (0, -1, 0); then about y: unchanged.
    EXPECT_TRUE(NearlyEqual(direction, {0, -1, 0}, 1e-6f));
    // (0, 1, 0) about x: (0, 0, 1); about y: (1, 0, 0).
    EXPECT_TRUE(NearlyEqual(up, {1, 0, 0}, 1e-6f));
    MultiCopyOrientation({0, 0, 90}, 2, direction, up);
    EXPECT_TRUE(NearlyEqual(direction, {0, 0, 1}, 1e-6f));
    EXPECT_TRUE(NearlyEqual(up, {0, -1, 0}, 1e-6f));
}

TEST_F(MultiCopyTest, ZeroStepsMakeCoincidentCopiesTheLastSelected)
{
    FramePtr box = Box("Box", {0, 1, 0});
    scene.Select(box);
    const std::vector<Vec3> vertices = box->GetVisuals().front()->GetVertices();
    MultiCopyParameters p;
    p.count = 4;
    FramePtr last = MultiCopy(scene, p);
    const std::vector<FramePtr> objects = Objects();
    ASSERT_EQ(objects.size(), 5u);
    EXPECT_EQ(last, objects.back());
    EXPECT_EQ(scene.SelectedFrame(), last);
    for (const FramePtr& copy : objects) {
        EXPECT_TRUE(copy->GetTransform(nullptr).NearlyEquals(box->GetTransform(nullptr)));
        EXPECT_EQ(copy->GetVisuals().front()->GetVertices(), vertices);
    }
}

TEST_F(MultiCopyTest, FactorsNeverDivideByZeroOrTurnAMeshInsideOut)
{
    // Zero extent: factor 1; shrinking past nothing stops at 0.0001.
    EXPECT_EQ(MultiCopyFactors({0, 2, 4}, {1, 1, 0}), Vec3(1, 1.5f, 1));
    const Vec3 floored = MultiCopyFactors({2, 2, 2}, {-5, -2, -1});
    EXPECT_FLOAT_EQ(floored.x * 2, kMinCopyExtent);
    EXPECT_FLOAT_EQ(floored.y * 2, kMinCopyExtent);
    EXPECT_FLOAT_EQ(floored.z, 0.5f);

    // A flat square grown in height stays flat and finite.
    FramePtr flat = Box("Flat", {}, {-1, 0, -1}, {1, 0, 1});
    scene.Select(flat);
    MultiCopyParameters p;
    p.count = 2;
    p.size = {0, 1, -3};
    FramePtr last = MultiCopy(scene, p);
    ASSERT_TRUE(last);
    const Vec3 e = Extent(last);
    EXPECT_EQ(e.y, 0.0f);
    EXPECT_NEAR(e.z, kMinCopyExtent, 1e-6f);
    for (const Vec3& v : last->GetVisuals().front()->GetVertices())
        EXPECT_TRUE(std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z));
}

TEST_F(MultiCopyTest, ChildrenGrowWithTheCopyButSharedIconsNever)
{
    FramePtr box = Box("Box", {});
    FramePtr child = Box("Child", {3, 0, 0}, {-1, -1, -1}, {1, 1, 1}, box);
    FramePtr light = scene.CreateLight(LightType::Point, {});
    ASSERT_TRUE(scene.Attach(light, box));
    light->SetPosition(box.get(), {0, 4, 0});
    const std::vector<Vec3> icon = scene.LightIcon(LightType::Point)->GetVertices();
    scene.Select(box);
    MultiCopyParameters p;
    p.count = 2;
    p.size = {2, 2, 2};  // factors 1 + 2 / 2 for the first copy, 1 + 2 / 4 for the second
    FramePtr last = MultiCopy(scene, p);
    ASSERT_TRUE(last);
    EXPECT_TRUE(NearlyEqual(Extent(last), {6, 6, 6}, 1e-5f));  // 2 -> 4 -> 6
    // The children: the box's copy grown by 2 then 1.5, its place likewise;
    // the light's place scaled, its icon untouched.
    ASSERT_EQ(last->GetChildren().size(), 2u);
    const FramePtr& childCopy = last->GetChildren()[0];
    EXPECT_TRUE(NearlyEqual(Extent(childCopy), {6, 6, 6}, 1e-5f));
    EXPECT_TRUE(NearlyEqual(childCopy->GetPosition(last.get()), {9, 0, 0}, 1e-5f));
    EXPECT_TRUE(NearlyEqual(last->GetChildren()[1]->GetPosition(last.get()), {0, 12, 0}, 1e-5f));
    EXPECT_EQ(scene.LightIcon(LightType::Point)->GetVertices(), icon);
    // Copying the light itself leaves its icon alone too.
    scene.Select(light);
    EXPECT_TRUE(MultiCopy(scene, p));
    EXPECT_EQ(scene.LightIcon(LightType::Point)->GetVertices(), icon);
}

TEST_F(MultiCopyTest, TheSeriesIsOneStepOfTheEditHistory)
{
    FramePtr box = Box("Box", {});
    scene.History().Clear();
    scene.Select(box);
    const SceneSnapshot before = TakeSnapshot(scene, ui);
    MultiCopyParameters p;
    p.count = 3;
    p.offset = {3, 0, 0};
    p.rotation = {10, 0, 0};
    p.size = {1, 1, 1};
    ASSERT_TRUE(MultiCopy(scene, p));
    const SceneSnapshot after = TakeSnapshot(scene, ui);
    ASSERT_EQ(scene.History().UndoCount(), 1u);
    EXPECT_EQ(scene.History().UndoName(), "Multiple Copies");
    ASSERT_TRUE(scene.History().Undo());
    EXPECT_EQ(SnapshotDifference(before, TakeSnapshot(scene, ui)), "");
    ASSERT_TRUE(scene.History().Redo());
    EXPECT_EQ(SnapshotDifference(after, TakeSnapshot(scene, ui)), "");
    // Nothing selected, or a count of 0: nothing happens and no step.
    scene.ClearSelection();
    EXPECT_FALSE(MultiCopy(scene, p));
    scene.Select(box);
    p.count = 0;
    EXPECT_FALSE(MultiCopy(scene, p));
    EXPECT_EQ(scene.History().UndoCount(), 1u);
}

} // namespace
} // namespace corvid::testing
