#include "scene/EditorFixture.h"

#include "platform/Interpolator.h"
#include "platform/Material.h"
#include "scene/MoveBehaviours.h"

using namespace corvid;
using corvid::testing::EditorTest;

namespace {

int CountRecords(const Frame& frame)
{
    int n = RecordOf(&frame) ? 1 : 0;
    for (const auto& child : frame.GetChildren())
        n += CountRecords(*child);
    return n;
}

} // namespace

TEST_F(EditorTest, DuplicateKeepsNameAndCopiesMeshesAndChildren)
{
    MakeSphere();
    MakeSphere();
    MakeSphere();
    FramePtr source = MakeSphere({1, 0, 0});  // Sphere 3
    source->AddRotation(Combine::Before, {0, 1, 0}, 0.5f);
    FramePtr child = MakeObject("Cube %s", editor.names.cube, {0, 2, 0});
    source->AddChild(child);
    RecordOf(source.get())->text2 = "note";
    RecordOf(source->GetVisuals()[0].get())->wrapType = 2;

    FramePtr copy = editor.DuplicateObject(source, editor.Scene());
    ASSERT_TRUE(copy);
    EXPECT_EQ(NameOf(copy), "Sphere 3");
    EXPECT_EQ(RecordOf(copy.get())->text2, "note");
    EXPECT_EQ(editor.SelectedFrame(), copy);
    EXPECT_TRUE(copy->GetTransform(nullptr).NearlyEquals(source->GetTransform(nullptr)));

    ASSERT_EQ(copy->GetVisuals().size(), 1u);
    const MeshBuilderPtr& mesh = copy->GetVisuals()[0];
    EXPECT_NE(mesh, source->GetVisuals()[0]);
    EXPECT_EQ(editor.CurrentVisual(), mesh);
    MeshRecord* meshRecord = RecordOf(mesh.get());
    ASSERT_TRUE(meshRecord);
    EXPECT_EQ(meshRecord->owner.lock(), copy);
    EXPECT_EQ(meshRecord->wrapType, 2);
    // The copy's geometry is its own.
    mesh->SetVertex(0, {9, 9, 9});
    Vec3 v;
    source->GetVisuals()[0]->GetVertex(0, v);
    EXPECT_EQ(v, (Vec3{0, 0, 0}));

    // The child came along, registered, at the same place in the scene.
    ASSERT_EQ(copy->GetChildren().size(), 1u);
    FramePtr childCopy = copy->GetChildren()[0];
    EXPECT_EQ(NameOf(childCopy), "Cube 0");
    EXPECT_TRUE(NearlyEqual(childCopy->GetPosition(nullptr), child->GetPosition(nullptr)));
    EXPECT_TRUE(RecordOf(childCopy.get())->interpolator);
    // It is not the selection: only a top-level copy is.
    EXPECT_EQ(editor.SelectedFrame(), copy);
}

TEST_F(EditorTest, DuplicateRefusesRootsAuxiliariesAndOwnSubtree)
{
    FramePtr sphere = MakeSphere();
    FramePtr inner = MakeSphere();
    sphere->AddChild(inner);
    EXPECT_EQ(editor.DuplicateObject(editor.Scene(), editor.Scene()), nullptr);
    EXPECT_EQ(editor.DuplicateObject(editor.GridFrame(), editor.Scene()), nullptr);
    EXPECT_EQ(editor.DuplicateObject(sphere, inner), nullptr);
    EXPECT_EQ(editor.DuplicateObject(nullptr, editor.Scene()), nullptr);
    // A copy under a sibling is fine.
    FramePtr other = MakeSphere();
    EXPECT_TRUE(editor.DuplicateObject(sphere, other));
}

TEST_F(EditorTest, DuplicatedLookerJoinsTheTargetsLookers)
{
    FramePtr target = MakeSphere();
    FramePtr looker = MakeSphere({3, 0, 0});
    RecordOf(looker.get())->SetLookTarget(target);
    InstallLookAt(*looker, editor.Context());
    FramePtr copy = editor.DuplicateObject(looker, editor.Scene());
    ObjectRecord* copyRecord = RecordOf(copy.get());
    EXPECT_TRUE(copyRecord->looksAt);
    EXPECT_EQ(copyRecord->lookTarget.lock(), target);
    EXPECT_EQ(RecordOf(target.get())->lookers.size(), 2u);
    EXPECT_TRUE(copy->HasMoveCallback(kLookAtCallbackTag));
}

TEST_F(EditorTest, DuplicatedLightsAndCamerasGetTheirOwnEntries)
{
    FramePtr light = editor.CreateLight(LightType::Spot);
    editor.RegisterObject(light);
    FramePtr camera = editor.CreateCamera();
    editor.RegisterObject(camera);

    FramePtr lightCopy = editor.DuplicateObject(light, editor.Scene());
    ASSERT_EQ(lightCopy->GetLights().size(), 1u);
    EXPECT_NE(lightCopy->GetLights()[0], light->GetLights()[0]);
    EXPECT_EQ(lightCopy->GetLights()[0]->GetType(), LightType::Spot);
    EXPECT_TRUE(RecordOf(lightCopy->GetLights()[0].get()));
    EXPECT_EQ(lightCopy->GetVisuals()[0], editor.LightIcon(LightType::Spot));  // shared icon
    EXPECT_EQ(RecordOf(lightCopy.get())->menuCommand, 3334);
    EXPECT_EQ(editor.UserLight(1), lightCopy);

    FramePtr cameraCopy = editor.DuplicateObject(camera, editor.Scene());
    EXPECT_EQ(cameraCopy->GetVisuals()[0], editor.CameraIcon());
    EXPECT_EQ(RecordOf(cameraCopy.get())->menuCommand, 2223);
    EXPECT_EQ(ui.cameraEntries.size(), 2u);
    EXPECT_EQ(NameOf(cameraCopy), "Camera 0");
}

TEST_F(EditorTest, DeletingATargetClearsItsLookers)
{
    FramePtr target = MakeSphere();
    FramePtr a = MakeSphere();
    FramePtr b = MakeSphere();
    RecordOf(a.get())->SetLookTarget(target);
    RecordOf(b.get())->SetLookTarget(target);
    editor.DeleteObjectTree(target);
    EXPECT_FALSE(RecordOf(a.get())->looksAt);
    EXPECT_FALSE(RecordOf(b.get())->looksAt);
    EXPECT_EQ(target->GetParent(), nullptr);
    EXPECT_EQ(RecordOf(target.get()), nullptr);
}

TEST_F(EditorTest, DeletingALookerLeavesTheTargetsList)
{
    FramePtr target = MakeSphere();
    FramePtr looker = MakeSphere();
    RecordOf(looker.get())->SetLookTarget(target);
    ASSERT_EQ(RecordOf(target.get())->lookers.size(), 1u);
    editor.DeleteObjectTree(looker);
    looker.reset();
    // No dangling record is left behind for the target to reach.
    EXPECT_TRUE(RecordOf(target.get())->lookers.empty());
    editor.DeleteObjectTree(target);
}

TEST_F(EditorTest, DeletingLightsAndCamerasKeepsSharedIcons)
{
    FramePtr light = editor.CreateLight(LightType::Point);
    editor.RegisterObject(light);
    FramePtr camera = editor.CreateCamera();
    editor.RegisterObject(camera);
    auto lightRecord = RecordOf(light.get());
    auto interpolator = lightRecord->interpolator;
    int iconVertices = editor.CameraIcon()->GetVertexCount();

    editor.DeleteObjectTree(light);
    editor.DeleteObjectTree(camera);
    EXPECT_TRUE(ui.lightEntries.empty());
    EXPECT_TRUE(ui.cameraEntries.empty());
    EXPECT_EQ(editor.UserLight(0), nullptr);
    EXPECT_EQ(editor.UserCamera(0), nullptr);
    EXPECT_FALSE(MasterHas(interpolator));
    EXPECT_TRUE(light->GetLights().empty());
    EXPECT_EQ(editor.CameraIcon()->GetVertexCount(), iconVertices);
    EXPECT_GT(iconVertices, 0);
    EXPECT_FALSE(editor.HasSelection());  // the deleted camera was selected
    // A new light still shows the same shared icon.
    EXPECT_EQ(editor.CreateLight(LightType::Point)->GetVisuals()[0], editor.LightIcon(LightType::Point));
}

TEST_F(EditorTest, DeletingSceneEmptiesButKeepsIt)
{
    FramePtr sphere = MakeSphere();
    sphere->AddChild(MakeSphere());
    editor.CreateLight(LightType::Directional);
    editor.DeleteObjectTree(editor.Scene());
    EXPECT_EQ(editor.Scene()->GetParent(), editor.World().get());
    EXPECT_EQ(CountRecords(*editor.Scene()), 0);
    EXPECT_TRUE(editor.Scene()->GetChildren().empty());
    // WORLD itself cannot be deleted.
    editor.DeleteObjectTree(editor.World());
    EXPECT_TRUE(RecordOf(editor.World().get()));
}

TEST_F(EditorTest, CameraLightSurvivesTheCameraItRodeOn)
{
    FramePtr camera = editor.CreateCamera();
    editor.SetActiveCamera(camera);
    ASSERT_EQ(editor.CameraLightFrame()->GetParent(), camera.get());
    editor.DeleteObjectTree(camera);
    EXPECT_EQ(editor.CameraLightFrame()->GetParent(), editor.World().get());
    EXPECT_EQ(editor.CameraLightFrame()->GetLights().size(), 1u);
}

TEST_F(EditorTest, NewSceneResetsSceneStateButNotNameCounters)
{
    MakeSphere();
    editor.materials.push_back(Material::Create(5.0f));
    AttachRecord(*editor.materials.back(), std::make_unique<MaterialRecord>());
    MaterialPtr kept = editor.materials.back();
    editor.World()->Scene().fogEnabled = true;
    editor.World()->Scene().fogEnd = 3;
    editor.CreateCamera();
    auto oldMaster = editor.Master();

    editor.NewScene();
    EXPECT_TRUE(editor.materials.empty());
    EXPECT_EQ(RecordOf(kept.get()), nullptr);
    EXPECT_NE(editor.Master(), oldMaster);
    EXPECT_FALSE(editor.World()->Scene().fogEnabled);
    EXPECT_EQ(editor.World()->Scene().fogEnd, 100.0f);
    EXPECT_EQ(editor.World()->Scene().fogStart, 0.5f);
    EXPECT_EQ(editor.CameraCount(), 0);
    EXPECT_EQ(NameOf(editor.Scene()), "SCENE");
    EXPECT_EQ(editor.GridFrame()->GetParent(), editor.Scene().get());
    EXPECT_EQ(ui.tree.size(), 2u);  // just WORLD and SCENE again
    EXPECT_TRUE(MasterHas(RecordOf(editor.Scene().get())->interpolator));
    EXPECT_EQ(editor.names.sphere, 1);
    EXPECT_GT(ui.Count(Notification::FogPanelChanged), 0);
}

TEST_F(EditorTest, OperationsAcceptTheSelectionItself)
{
    // The selection is cleared on the way; passing it straight in must still
    // act on the object it named.
    FramePtr sphere = MakeSphere();
    editor.Select(sphere);
    FramePtr copy = editor.DuplicateObject(editor.SelectedFrame(), editor.Scene());
    ASSERT_TRUE(copy);
    EXPECT_EQ(editor.SelectedFrame(), copy);
    editor.DeleteObjectTree(editor.SelectedFrame());
    EXPECT_EQ(copy->GetParent(), nullptr);
    EXPECT_FALSE(editor.HasSelection());
    EXPECT_EQ(sphere->GetParent(), editor.Scene().get());
}
