// Escape and the right press take a gesture back: everything is as it was
// at the gesture's first press, and the edit history is as if the gesture
// never happened, with the steps to undo and to redo untouched.

#include "tools/ToolFixture.h"

#include "support/SceneSnapshot.h"

namespace corvid::testing {
namespace {

class GestureCancelTest : public ToolTest {
protected:
    EditHistory& history() { return scene.History(); }
    SceneSnapshot Snapshot() { return TakeSnapshot(scene, ui); }

    // Two steps done and one undone, so that a cancel that touched the
    // history would show in both lists.
    void PrepareHistory()
    {
        box = Box("Box", {});
        tools.mode = kModeMove;
        Gesture(kCentreX, kCentreY, kCentreX + 40, kCentreY);
        Gesture(kCentreX + 40, kCentreY, kCentreX + 40, kCentreY + 40);
        ASSERT_TRUE(history().Undo());
        undoCount = history().UndoCount();
        redoCount = history().RedoCount();
        undoName = history().UndoName();
        redoName = history().RedoName();
    }

    // The history offers exactly what it offered before the gesture, and
    // undo and redo still work from there.
    void ExpectHistoryUntouched(const SceneSnapshot& before)
    {
        EXPECT_EQ(history().UndoCount(), undoCount);
        EXPECT_EQ(history().RedoCount(), redoCount);
        EXPECT_EQ(history().UndoName(), undoName);
        EXPECT_EQ(history().RedoName(), redoName);
        EXPECT_FALSE(history().Recording());
        ASSERT_TRUE(history().Redo());
        ASSERT_TRUE(history().Undo());
        EXPECT_EQ(SnapshotDifference(before, Snapshot()), "");
    }

    FramePtr box;
    size_t undoCount = 0, redoCount = 0;
    std::string undoName, redoName;
};

TEST_F(GestureCancelTest, EscapeTakesBackACubeInItsHeightStage)
{
    PrepareHistory();
    const SceneSnapshot before = Snapshot();
    const size_t items = ui.tree.size();
    tools.mode = kModeCube;
    Gesture(kCentreX + 80, kCentreY + 40, kCentreX + 100, kCentreY + 40);
    Drag(kCentreX + 100, kCentreY + 10);  // the height follows the cursor
    const FramePtr cube = tools.Creation().frame;
    ASSERT_TRUE(cube);
    ASSERT_EQ(tools.stage, 2);

    tools.ViewportKeyDown(1, kKeyEscape);
    EXPECT_FALSE(tools.Creation().Pending());
    EXPECT_EQ(tools.stage, 0);
    EXPECT_FALSE(scene.Scene()->IsAncestorOf(cube.get()));
    EXPECT_EQ(ui.tree.size(), items);
    EXPECT_EQ(SnapshotDifference(before, Snapshot()), "");
    // The cursor moving on and the next click start afresh.
    Drag(kCentreX + 100, kCentreY - 20);
    EXPECT_FALSE(scene.Scene()->IsAncestorOf(cube.get()));
    ExpectHistoryUntouched(before);
}

TEST_F(GestureCancelTest, EscapeDuringAMoveDragPutsTheObjectBackAndTheRestOfTheDragDoesNothing)
{
    PrepareHistory();
    const SceneSnapshot before = Snapshot();
    const Vec3 start = box->GetPosition(scene.Scene().get());
    tools.mode = kModeMove;
    Press(kCentreX + 40, kCentreY);
    Drag(kCentreX + 60, kCentreY);
    Drag(kCentreX + 80, kCentreY);
    ASSERT_NE(box->GetPosition(scene.Scene().get()), start);

    EXPECT_TRUE(tools.CancelGesture());
    EXPECT_EQ(box->GetPosition(scene.Scene().get()), start);
    // The button is still down: moving it and letting go change nothing.
    Drag(kCentreX + 120, kCentreY);
    Release(kCentreX + 120, kCentreY);
    EXPECT_EQ(box->GetPosition(scene.Scene().get()), start);
    EXPECT_FALSE(tools.ButtonsDown());
    EXPECT_FALSE(tools.CancelGesture());  // nothing left to cancel
    EXPECT_EQ(SnapshotDifference(before, Snapshot()), "");
    ExpectHistoryUntouched(before);

    // The next drag moves again, as one step.
    Gesture(kCentreX + 40, kCentreY, kCentreX + 60, kCentreY);
    EXPECT_NE(box->GetPosition(scene.Scene().get()), start);
    EXPECT_EQ(history().UndoCount(), undoCount + 1);
    EXPECT_EQ(history().RedoCount(), 0u);
}

TEST_F(GestureCancelTest, EscapeTakesBackACopyBeingDragged)
{
    PrepareHistory();
    const SceneSnapshot before = Snapshot();
    tools.mode = kModeCopy;
    Press(kCentreX + 40, kCentreY);
    const FramePtr copy = scene.SelectedFrame();
    ASSERT_TRUE(copy);
    ASSERT_NE(copy, box);
    Drag(kCentreX + 90, kCentreY);
    tools.ViewportKeyDown(1, kKeyEscape);
    Release(kCentreX + 90, kCentreY);
    EXPECT_FALSE(scene.Scene()->IsAncestorOf(copy.get()));
    EXPECT_EQ(SnapshotDifference(before, Snapshot()), "");
    ExpectHistoryUntouched(before);
}

TEST_F(GestureCancelTest, ARightPressInACreationStageCancelsLikeEscape)
{
    PrepareHistory();
    const SceneSnapshot before = Snapshot();
    // The cylinder's base while the left button is held, and its height.
    for (bool heightStage : {false, true}) {
        SCOPED_TRACE(heightStage ? "height" : "base");
        tools.mode = kModeCylinder;
        Press(kCentreX - 80, kCentreY + 40);
        Drag(kCentreX - 60, kCentreY + 40);
        if (heightStage) {
            Release(kCentreX - 60, kCentreY + 40);
            Drag(kCentreX - 60, kCentreY + 10);
        }
        const FramePtr cylinder = tools.Creation().frame;
        ASSERT_TRUE(cylinder);
        Press(kCentreX - 60, kCentreY + 10, MouseButton::Right);
        EXPECT_FALSE(scene.Scene()->IsAncestorOf(cylinder.get()));
        Release(kCentreX - 60, kCentreY + 10, MouseButton::Right);
        if (!heightStage)
            Release(kCentreX - 60, kCentreY + 40);
        EXPECT_FALSE(tools.ButtonsDown());
        EXPECT_FALSE(tools.Creation().Pending());
        EXPECT_FALSE(scene.Scene()->IsAncestorOf(cylinder.get()));
        EXPECT_EQ(SnapshotDifference(before, Snapshot()), "");
        ExpectHistoryUntouched(before);
    }
    // With nothing being made, the right press still makes a cylinder.
    Press(kCentreX - 60, kCentreY + 10, MouseButton::Right);
    Release(kCentreX - 60, kCentreY + 10, MouseButton::Right);
    EXPECT_EQ(history().UndoCount(), undoCount + 1);
}

} // namespace
} // namespace corvid::testing
