// Tool gestures in the edit history: a whole gesture, from the press to the
// release (or to the click that ends its last stage), is one step named for
// what it did, and undo takes all of it back.

#include "tools/ToolFixture.h"

#include "geometry/Patch.h"
#include "geometry/PatchParts.h"
#include "support/SceneSnapshot.h"

namespace corvid::testing {
namespace {

class GestureHistoryTest : public ToolTest, public PatchParts {
protected:
    EditHistory& history() { return scene.History(); }
    SceneSnapshot Snapshot() { return TakeSnapshot(scene, ui); }

    // Runs gesture, expects one step called name, then undo and redo.
    void ExpectOneStep(const std::string& name, int mode, const std::function<void()>& gesture)
    {
        SCOPED_TRACE(name);
        tools.mode = mode;
        const size_t steps = history().UndoCount();
        const SceneSnapshot before = Snapshot();
        gesture();
        ASSERT_TRUE(tools.FinishGesture());
        ASSERT_EQ(history().UndoCount(), steps + 1);
        EXPECT_EQ(history().UndoName(), name);
        const SceneSnapshot after = Snapshot();
        ASSERT_TRUE(history().Undo());
        EXPECT_EQ(SnapshotDifference(before, Snapshot()), "");
        ASSERT_TRUE(history().Redo());
        EXPECT_EQ(SnapshotDifference(after, Snapshot()), "");
    }
};

TEST_F(GestureHistoryTest, EachGestureIsOneStepNamedForWhatItDid)
{
    FramePtr box = Box("Box", {});
    ExpectOneStep("Rotate", kModeRotate, [&] { Gesture(kCentreX, kCentreY, kCentreX + 30, kCentreY); });
    ExpectOneStep("Scale", kModeUniformScale, [&] { Gesture(kCentreX, kCentreY, kCentreX, kCentreY - 30); });
    ExpectOneStep("Stretch", kModeStretch, [&] { Gesture(kCentreX, kCentreY, kCentreX, kCentreY - 30); });
    ExpectOneStep("Copy Box", kModeCopy, [&] { Gesture(kCentreX, kCentreY, kCentreX + 60, kCentreY); });
    ExpectOneStep("Create Sphere 0", kModeSphere, [&] { Gesture(kCentreX - 80, kCentreY, kCentreX - 60, kCentreY); });
    // A cube: the base by dragging, the height by moving, a click to end.
    ExpectOneStep("Create Cube 1", kModeCube, [&] {
        Gesture(kCentreX + 80, kCentreY + 40, kCentreX + 100, kCentreY + 40);
        Drag(kCentreX + 100, kCentreY + 10);
        Press(kCentreX + 100, kCentreY + 10);
        Release(kCentreX + 100, kCentreY + 10);
    });
    ExpectOneStep("Create Light 0", kModeSpotLight, [&] {
        Gesture(kCentreX - 50, kCentreY + 50, kCentreX - 50, kCentreY + 30);
        Drag(kCentreX - 20, kCentreY + 20);  // aimed; the next tool finishes it
    });
    ExpectOneStep("Create BSpline Patch", kModeBSplinePatch, [&] { Gesture(kCentreX, kCentreY + 80, kCentreX + 40, kCentreY + 100); });
    ExpectOneStep("Move", kModeMove, [&] { Gesture(kCentreX, kCentreY, kCentreX + 40, kCentreY + 10, MouseButton::Left, 8); });
    ExpectOneStep("Delete Box", kModeDelete, [&] { Gesture(kCentreX + 40, kCentreY + 10, kCentreX + 40, kCentreY + 10); });
}

TEST_F(GestureHistoryTest, UndoingAControlPointDragRestoresTheSurfaceAndNet)
{
    tools.patches.bSpline = {4, 4, 3, 3};
    FramePtr patch = CreatePatch(scene, tools.patches, kPatchBSpline, {}, 6, 6);
    ASSERT_TRUE(patch);
    history().Clear();
    const std::vector<Vec3> surface = Surface(patch).GetVertices();
    const std::vector<Vec3> net = ControlNetOf(*GroupOf(patch))->GetVertices();

    scene.Select(PointAt(patch, 1, 1));
    tools.mode = kModeMove;
    Gesture(kCentreX, kCentreY, kCentreX, kCentreY - 40, MouseButton::Right);  // lifts it
    ASSERT_NE(Surface(patch).GetVertices(), surface);
    EXPECT_EQ(history().UndoCount(), 1u);

    ASSERT_TRUE(history().Undo());
    EXPECT_EQ(Surface(patch).GetVertices(), surface);
    EXPECT_EQ(ControlNetOf(*GroupOf(patch))->GetVertices(), net);
}

TEST_F(GestureHistoryTest, AGestureCutShortByAnotherToolIsStillOneStep)
{
    tools.mode = kModeCamera;
    Gesture(kCentreX, kCentreY, kCentreX, kCentreY - 20);
    Drag(kCentreX + 30, kCentreY);  // aiming
    EXPECT_EQ(history().UndoCount(), 0u) << "not finished yet";
    // Another tool's press ends it first.
    tools.mode = kModeSphere;
    Gesture(kCentreX - 60, kCentreY, kCentreX - 40, kCentreY);
    EXPECT_EQ(history().UndoCount(), 2u);
    EXPECT_EQ(history().UndoName(), "Create Sphere 0");
    ASSERT_TRUE(history().Undo());
    EXPECT_EQ(history().UndoName(), "Create Camera 0");
}

TEST_F(GestureHistoryTest, TheObjectsListFinishesAGestureBeforeItsOwnStep)
{
    FramePtr box = Box("Box", {-5, 0, 0});
    tools.mode = kModeCamera;
    Gesture(kCentreX, kCentreY, kCentreX, kCentreY - 20);
    Drag(kCentreX + 30, kCentreY);  // aiming
    ASSERT_TRUE(tools.DeleteFromTree(box));
    EXPECT_EQ(history().UndoCount(), 2u);
    EXPECT_EQ(history().UndoName(), "Delete Box");
    ASSERT_TRUE(history().Undo());
    EXPECT_EQ(box->GetParent(), scene.Scene().get());
    EXPECT_EQ(history().UndoName(), "Create Camera 0");
}

} // namespace
} // namespace corvid::testing
