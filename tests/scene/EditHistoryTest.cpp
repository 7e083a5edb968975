// The edit history of the scene model: each kind of operation undone and
// redone exactly, step names, the selection, the modified flag and the
// memory budget.

#include "scene/SceneFixture.h"

#include "scene/EditParts.h"
#include "scene/EditHistory.h"
#include "scene/MoveBehaviours.h"
#include "support/SceneSnapshot.h"

#include <functional>

using namespace corvid;
using corvid::testing::SceneTest;

namespace {

class EditHistoryTest : public SceneTest {
protected:
    EditHistory& history() { return scene.History(); }
    SceneSnapshot Snapshot() { return TakeSnapshot(scene, ui); }

    // Runs edit as one step, then checks that undo gives back the scene as
    // it was before and redo the scene as it was after, twice over.
    void ExpectUndoRedo(const std::string& name, const std::function<void()>& edit)
    {
        SCOPED_TRACE(name);
        const size_t steps = history().UndoCount();
        const SceneSnapshot before = Snapshot();
        edit();
        ASSERT_EQ(history().UndoCount(), steps + 1) << "one step";
        EXPECT_EQ(history().UndoName(), name);
        const SceneSnapshot after = Snapshot();
        ASSERT_NE(SnapshotDifference(before, after), "") << "the edit changed something";
        for (int round = 0; round < 2; ++round) {
            ASSERT_TRUE(history().Undo());
            EXPECT_EQ(SnapshotDifference(before, Snapshot()), "");
            EXPECT_EQ(TreeMismatch(), "");
            ASSERT_TRUE(history().Redo());
            EXPECT_EQ(SnapshotDifference(after, Snapshot()), "");
            EXPECT_EQ(TreeMismatch(), "");
        }
    }

    // SCENE > Group > Part, a Lone box and a Lamp beside them.
    void MakeFamily()
    {
        group = Box("Group", {0, 0, 0});
        part = Box("Part", {2, 0, 0}, {-1, -1, -1}, {1, 1, 1}, group);
        lone = Box("Lone", {-4, 0, 0});
        lamp = scene.CreateLight(LightType::Point, {});
        scene.RegisterObject(lamp);
        scene.RegisterLight(lamp->GetLights()[0]);
        lamp->SetPosition(scene.Scene().get(), {0, 6, 0});
        scene.ClearSelection();
        history().Clear();
    }
    FramePtr group, part, lone, lamp;
};

TEST_F(EditHistoryTest, EveryOperationUndoesAndRedoesExactly)
{
    MakeFamily();
    ExpectUndoRedo("Attach Lone", [&] { scene.Attach(lone, part); });
    ExpectUndoRedo("Insert Lone", [&] { scene.Insert(lone, part); });
    ExpectUndoRedo("Extract Group", [&] { scene.Extract(group); });
    ExpectUndoRedo("Flatten Group", [&] { scene.Flatten(group); });
    ExpectUndoRedo("Unlink Part", [&] { scene.Unlink(part); });
    ExpectUndoRedo("Move Lone under Part", [&] { scene.MoveUnder(lone, part); });
    ExpectUndoRedo("Look At Group", [&] { scene.LookAt(lone, group); });
    ExpectUndoRedo("Stop Look At", [&] { scene.StopLookAt(lone); });
    ExpectUndoRedo("Rename Part", [&] { scene.Rename(part, "Piece"); });
    ExpectUndoRedo("Hide Piece", [&] { scene.SetShown(part, false); });
    ExpectUndoRedo("Move Origin of Group", [&] { scene.MoveOriginTo(group, {1, 2, 3}); });
    lone->GetVisuals()[0]->Translate(0.5f, 0, 0);  // an off-centre box
    ExpectUndoRedo("Move Origin of Lone", [&] { scene.MoveOriginToCentre(lone); });
    ExpectUndoRedo("Cast Shadow on Group", [&] {
        scene.CastShadow(*lamp, *lamp->GetLights()[0], group, group->GetVisuals()[0]);
    });
    ExpectUndoRedo("Copy Group", [&] { scene.DuplicateObject(group, scene.Scene()); });
    ExpectUndoRedo("Delete Group", [&] { scene.DeleteObjectTree(group); });
    ExpectUndoRedo("Delete Light 0", [&] { scene.DeleteObjectTree(lamp); });
    ExpectUndoRedo("Create Camera 0", [&] {
        EditStep step(history(), "Place", true);
        scene.RegisterObject(scene.CreateCamera());
    });
}

TEST_F(EditHistoryTest, UndoingADeleteBringsBackNameLinksMenuEntryAndPlace)
{
    MakeFamily();
    FramePtr camera = scene.CreateCamera();
    scene.RegisterObject(camera);
    FramePtr second = scene.CreateCamera();
    scene.RegisterObject(second);
    scene.LookAt(camera, lone);   // the camera looks at Lone
    scene.LookAt(lone, camera);   // and Lone at the camera
    scene.Select(camera);
    const std::vector<UserMenuEntry> entries = ui.cameraEntries;
    const SceneSnapshot before = Snapshot();

    scene.DeleteObjectTree(camera);
    EXPECT_EQ(history().UndoName(), "Delete Camera 0");
    EXPECT_EQ(camera->GetParent(), nullptr);
    EXPECT_FALSE(RecordOf(lone.get())->looksAt);
    EXPECT_EQ(ui.cameraEntries.size(), 1u);
    EXPECT_EQ(scene.UserCamera(0), nullptr);
    EXPECT_FALSE(scene.HasSelection());

    ASSERT_TRUE(history().Undo());
    EXPECT_EQ(SnapshotDifference(before, Snapshot()), "");
    EXPECT_EQ(NameOf(camera), "Camera 0");
    EXPECT_EQ(RecordOf(lone.get())->lookTarget.lock(), camera);
    EXPECT_EQ(RecordOf(camera.get())->lookTarget.lock(), lone);
    ASSERT_EQ(RecordOf(lone.get())->lookers.size(), 1u);
    EXPECT_EQ(scene.UserCamera(0), camera);
    EXPECT_EQ(ui.cameraEntries.size(), entries.size());
    EXPECT_EQ(ui.cameraEntries[0].command, entries[0].command) << "back in its place in the menu";
    EXPECT_EQ(scene.SelectedFrame(), camera) << "selected again, as before the delete";
}

TEST_F(EditHistoryTest, AStepWhoseObjectsALaterStepRemovedStillApplies)
{
    MakeFamily();
    scene.Rename(part, "Piece");  // step 1 changes Part
    scene.DeleteObjectTree(group);  // step 2 removes it with its parent
    const SceneSnapshot gone = Snapshot();
    ASSERT_TRUE(history().Undo());  // Group and Piece are back
    ASSERT_TRUE(history().Undo());  // so the rename can be taken back
    EXPECT_EQ(NameOf(part), "Part");
    EXPECT_EQ(TreeMismatch(), "");
    ASSERT_TRUE(history().Redo());
    ASSERT_TRUE(history().Redo());
    EXPECT_EQ(SnapshotDifference(gone, Snapshot()), "");
}

TEST_F(EditHistoryTest, StepsTakeTheFirstNameThatIsNotProvisional)
{
    MakeFamily();
    {
        EditStep gesture(history(), "Move", true);
        history().Touch<TransformAspect>(lone);
        lone->SetPosition(scene.Scene().get(), {0, 5, 0});
    }
    EXPECT_EQ(history().UndoName(), "Move");
    {
        EditStep gesture(history(), "Edit", true);
        scene.DeleteObjectTree(part);  // names the step
        scene.Rename(lone, "Other");   // joins it
    }
    EXPECT_EQ(history().UndoName(), "Delete Part");
    EXPECT_EQ(history().UndoCount(), 2u);
    ASSERT_TRUE(history().Undo());
    EXPECT_EQ(NameOf(lone), "Lone");
    EXPECT_EQ(part->GetParent(), group.get());
    EXPECT_EQ(history().RedoName(), "Delete Part");
}

TEST_F(EditHistoryTest, NothingIsRecordedWhenNothingChanges)
{
    MakeFamily();
    scene.StopLookAt(lone);              // was not looking
    scene.SetShown(lone, true);          // was shown
    scene.Attach(lone, lone);            // refused
    {
        EditStep step(history(), "Move");
        history().Touch<TransformAspect>(lone);  // touched, left as it was
    }
    EXPECT_EQ(history().UndoCount(), 0u);
    EXPECT_FALSE(history().CanUndo());
    EXPECT_FALSE(scene.Modified());
}

TEST_F(EditHistoryTest, TheModifiedFlagFollowsTheHistory)
{
    MakeFamily();
    scene.SetModified(false);
    scene.Rename(lone, "A");
    scene.Rename(lone, "B");
    EXPECT_TRUE(scene.Modified());
    scene.SetModified(false);  // saved with "B"
    history().Undo();
    EXPECT_TRUE(scene.Modified());
    history().Redo();
    EXPECT_FALSE(scene.Modified()) << "back at the saved state";
    history().Undo();
    history().Undo();
    scene.Rename(lone, "C");  // the saved state can no longer be reached
    EXPECT_TRUE(scene.Modified());
    while (history().Undo()) {
    }
    EXPECT_TRUE(scene.Modified());

    scene.NewScene();
    EXPECT_FALSE(scene.Modified());
    EXPECT_EQ(history().UndoCount() + history().RedoCount(), 0u);
}

TEST_F(EditHistoryTest, TheBudgetDropsTheOldestStepsButKeepsTheNewest)
{
    MakeFamily();
    // A scale of Lone's mesh keeps its vertices and normals twice.
    auto scaleLone = [&] {
        EditStep step(history(), "Scale");
        history().Touch<MeshAspect>(lone->GetVisuals()[0]);
        lone->GetVisuals()[0]->Scale(2, 2, 2);
        lone->GetVisuals()[0]->GenerateNormals(0, 0);
    };
    scaleLone();
    const size_t one = history().Bytes();
    ASSERT_GT(one, 0u);
    for (int i = 0; i < 9; ++i)
        scaleLone();
    EXPECT_EQ(history().UndoCount(), 10u);
    history().SetBudget(one * 3 + one / 2);
    EXPECT_EQ(history().UndoCount(), 3u);
    EXPECT_LE(history().Bytes(), history().Budget());
    history().SetBudget(1);
    EXPECT_EQ(history().UndoCount(), 1u) << "the newest step stays";
    ASSERT_TRUE(history().Undo());
    EXPECT_NEAR(lone->GetVisuals()[0]->GetBox().Size().x, 2.0f * 512, 1e-2f);
}

TEST_F(EditHistoryTest, AMeshEditKeepsOnlyWhatChanged)
{
    MakeFamily();
    MeshBuilderPtr mesh = lone->GetVisuals()[0];
    for (int i = 0; i < 2000; ++i)
        mesh->AddVertex({0, 0, 0});  // a bigger mesh, so the arrays dominate
    // Coordinates and colours of its own for every vertex, so that keeping
    // them would show.
    mesh->SetTextureCoordinates(1, 0.5f, 0.5f);
    mesh->SetVertexColor(1, 0xFF000000u);
    const size_t positions = mesh->GetVertices().size() * sizeof(Vec3);
    history().Clear();
    {
        EditStep step(history(), "Nudge");
        history().Touch<MeshAspect>(mesh);
        mesh->SetVertex(0, {9, 9, 9});
    }
    // Two copies of the vertex positions, none of normals, faces, colours or
    // coordinates.
    EXPECT_GE(history().Bytes(), 2 * positions);
    EXPECT_LT(history().Bytes(), 2 * positions + 4096);
    ASSERT_TRUE(history().Undo());
    Vec3 v;
    mesh->GetVertex(0, v);
    EXPECT_EQ(v, (Vec3{-1, -1, -1}));
}

TEST_F(EditHistoryTest, UndoAndRedoAreRefusedWhileAStepIsRecorded)
{
    MakeFamily();
    scene.Rename(lone, "A");
    EditStep step(history(), "Move", true);
    EXPECT_FALSE(history().CanUndo());
    EXPECT_FALSE(history().Undo());
    EXPECT_EQ(NameOf(lone), "A");
}

} // namespace
