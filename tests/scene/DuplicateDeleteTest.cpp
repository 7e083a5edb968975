#include "scene/SceneFixture.h"

#include "platform/Interpolator.h"
#include "platform/Material.h"
#include "scene/MoveBehaviours.h"

using namespace corvid;
using corvid::testing::SceneTest;

namespace {

int CountRecords(const Frame& frame)
{
    int n = RecordOf(&frame) ? 1 : 0;
    for (const auto& child : frame.GetChildren())
        n += CountRecords(*child);
    return n;
}

} // namespace

TEST_F(SceneTest, DuplicateKeepsNameAndCopiesMeshesAndChildren)
{
    MakeSphere();
    MakeSphere();
    MakeSphere();
    FramePtr source = MakeSphere({1, 0, 0});  // Sphere 3
    source->AddRotation(Combine::Before, {0, 1, 0}, 0.5f);
    FramePtr child = MakeObject("Cube %s", scene.names.cube, {0, 2, 0});
    source->AddChild(child);
    RecordOf(source.get())->text2 = "note";
    RecordOf(source->GetVisuals()[0].get())->wrapType = 2;

    FramePtr copy = scene.DuplicateObject(source, scene.Scene());
    ASSERT_TRUE(copy);
    EXPECT_EQ(NameOf(copy), "Sphere 3");
    EXPECT_EQ(RecordOf(copy.get())->text2, "note");
    EXPECT_EQ(scene.SelectedFrame(), copy);
    EXPECT_TRUE(copy->GetTransform(nullptr).NearlyEquals(source->GetTransform(nullptr)));

    ASSERT_EQ(copy->GetVisuals().size(), 1u);
    const MeshBuilderPtr& mesh = copy->GetVisuals()[0];
    EXPECT_NE(mesh, source->GetVisuals()[0]);
    EXPECT_EQ(scene.CurrentVisual(), mesh);
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
    EXPECT_EQ(scene.SelectedFrame(), copy);
}

TEST_F(SceneTest, DuplicateRefusesRootsAuxiliariesAndOwnSubtree)
{
    FramePtr sphere = MakeSphere();
    FramePtr inner = MakeSphere();
    sphere->AddChild(inner);
    EXPECT_EQ(scene.DuplicateObject(scene.Scene(), scene.Scene()), nullptr);
    EXPECT_EQ(scene.DuplicateObject(scene.GridFrame(), scene.Scene()), nullptr);
    EXPECT_EQ(scene.DuplicateObject(sphere, inner), nullptr);
    EXPECT_EQ(scene.DuplicateObject(nullptr, scene.Scene()), nullptr);
    // A copy under a sibling is fine.
    FramePtr other = MakeSphere();
    EXPECT_TRUE(scene.DuplicateObject(sphere, other));
}

TEST_F(SceneTest, DuplicatedLookerJoinsTheTargetsLookers)
{
    FramePtr target = MakeSphere();
    FramePtr looker = MakeSphere({3, 0, 0});
    RecordOf(looker.get())->SetLookTarget(target);
    InstallLookAt(*looker, scene.Context());
    FramePtr copy = scene.DuplicateObject(looker, scene.Scene());
    ObjectRecord* copyRecord = RecordOf(copy.get());
    EXPECT_TRUE(copyRecord->looksAt);
    EXPECT_EQ(copyRecord->lookTarget.lock(), target);
    EXPECT_EQ(RecordOf(target.get())->lookers.size(), 2u);
    EXPECT_TRUE(copy->HasMoveCallback(kLookAtCallbackTag));
}

TEST_F(SceneTest, DuplicatedLightsAndCamerasGetTheirOwnEntries)
{
    FramePtr light = scene.CreateLight(LightType::Spot, {});
    scene.RegisterObject(light);
    FramePtr camera = scene.CreateCamera();
    scene.RegisterObject(camera);

    FramePtr lightCopy = scene.DuplicateObject(light, scene.Scene());
    ASSERT_EQ(lightCopy->GetLights().size(), 1u);
    EXPECT_NE(lightCopy->GetLights()[0], light->GetLights()[0]);
    EXPECT_EQ(lightCopy->GetLights()[0]->GetType(), LightType::Spot);
    EXPECT_TRUE(RecordOf(lightCopy->GetLights()[0].get()));
    EXPECT_EQ(lightCopy->GetVisuals()[0], scene.LightIcon(LightType::Spot));  // shared icon
    EXPECT_EQ(RecordOf(lightCopy.get())->menuCommand, 3334);
    EXPECT_EQ(scene.UserLight(1), lightCopy);

    FramePtr cameraCopy = scene.DuplicateObject(camera, scene.Scene());
    EXPECT_EQ(cameraCopy->GetVisuals()[0], scene.CameraIcon());
    EXPECT_EQ(RecordOf(cameraCopy.get())->menuCommand, 2223);
    EXPECT_EQ(ui.cameraEntries.size(), 2u);
    EXPECT_EQ(NameOf(cameraCopy), "Camera 0");
}

TEST_F(SceneTest, DeletingATargetClearsItsLookers)
{
    FramePtr target = MakeSphere();
    FramePtr a = MakeSphere();
    FramePtr b = MakeSphere();
    RecordOf(a.get())->SetLookTarget(target);
    RecordOf(b.get())->SetLookTarget(target);
    scene.DeleteObjectTree(target);
    EXPECT_FALSE(RecordOf(a.get())->looksAt);
    EXPECT_FALSE(RecordOf(b.get())->looksAt);
    EXPECT_EQ(target->GetParent(), nullptr);
    // The deleted frame keeps its record, for undo, but no looker.
    ASSERT_TRUE(RecordOf(target.get()));
    EXPECT_TRUE(RecordOf(target.get())->lookers.empty());
}

TEST_F(SceneTest, DeletingALookerLeavesTheTargetsList)
{
    FramePtr target = MakeSphere();
    FramePtr looker = MakeSphere();
    RecordOf(looker.get())->SetLookTarget(target);
    ASSERT_EQ(RecordOf(target.get())->lookers.size(), 1u);
    scene.DeleteObjectTree(looker);
    looker.reset();
    // No dangling record is left behind for the target to reach.
    EXPECT_TRUE(RecordOf(target.get())->lookers.empty());
    scene.DeleteObjectTree(target);
}

TEST_F(SceneTest, DeletingLightsAndCamerasKeepsSharedIcons)
{
    FramePtr light = scene.CreateLight(LightType::Point, {});
    scene.RegisterObject(light);
    FramePtr camera = scene.CreateCamera();
    scene.RegisterObject(camera);
    auto lightRecord = RecordOf(light.get());
    auto interpolator = lightRecord->interpolator;
    int iconVertices = scene.CameraIcon()->GetVertexCount();

    scene.DeleteObjectTree(light);
    scene.DeleteObjectTree(camera);
    EXPECT_TRUE(ui.lightEntries.empty());
    EXPECT_TRUE(ui.cameraEntries.empty());
    EXPECT_EQ(scene.UserLight(0), nullptr);
    EXPECT_EQ(scene.UserCamera(0), nullptr);
    EXPECT_FALSE(MasterHas(interpolator));
    // The light stays on its frame, for undo, but leaves the animation.
    ASSERT_EQ(light->GetLights().size(), 1u);
    EXPECT_FALSE(MasterHas(RecordOf(light->GetLights()[0].get())->interpolator));
    EXPECT_EQ(scene.CameraIcon()->GetVertexCount(), iconVertices);
    EXPECT_GT(iconVertices, 0);
    EXPECT_FALSE(scene.HasSelection());  // the deleted camera was selected
    // A new light still shows the same shared icon.
    EXPECT_EQ(scene.CreateLight(LightType::Point, {})->GetVisuals()[0], scene.LightIcon(LightType::Point));
}

TEST_F(SceneTest, DeletingSceneEmptiesButKeepsIt)
{
    FramePtr sphere = MakeSphere();
    sphere->AddChild(MakeSphere());
    scene.CreateLight(LightType::Directional, {});
    scene.DeleteObjectTree(scene.Scene());
    EXPECT_EQ(scene.Scene()->GetParent(), scene.World().get());
    EXPECT_EQ(CountRecords(*scene.Scene()), 0);
    EXPECT_TRUE(scene.Scene()->GetChildren().empty());
    // WORLD itself cannot be deleted.
    scene.DeleteObjectTree(scene.World());
    EXPECT_TRUE(RecordOf(scene.World().get()));
}

TEST_F(SceneTest, CameraLightSurvivesTheCameraItRodeOn)
{
    FramePtr camera = scene.CreateCamera();
    scene.SetActiveCamera(camera);
    ASSERT_EQ(scene.CameraLightFrame()->GetParent(), camera.get());
    scene.DeleteObjectTree(camera);
    EXPECT_EQ(scene.CameraLightFrame()->GetParent(), scene.World().get());
    EXPECT_EQ(scene.CameraLightFrame()->GetLights().size(), 1u);
}

TEST_F(SceneTest, NewSceneResetsSceneStateButNotNameCounters)
{
    MakeSphere();
    scene.materials.push_back(Material::Create(5.0f));
    AttachRecord(*scene.materials.back(), std::make_unique<MaterialRecord>());
    MaterialPtr kept = scene.materials.back();
    scene.World()->Scene().fogEnabled = true;
    scene.World()->Scene().fogEnd = 3;
    scene.CreateCamera();
    auto oldMaster = scene.Master();

    scene.NewScene();
    EXPECT_TRUE(scene.materials.empty());
    EXPECT_EQ(RecordOf(kept.get()), nullptr);
    EXPECT_NE(scene.Master(), oldMaster);
    EXPECT_FALSE(scene.World()->Scene().fogEnabled);
    EXPECT_EQ(scene.World()->Scene().fogEnd, 100.0f);
    EXPECT_EQ(scene.World()->Scene().fogStart, 0.5f);
    EXPECT_EQ(scene.CameraCount(), 0);
    EXPECT_EQ(NameOf(scene.Scene()), "SCENE");
    EXPECT_EQ(scene.GridFrame()->GetParent(), scene.Scene().get());
    EXPECT_EQ(ui.tree.size(), 2u);  // just WORLD and SCENE again
    EXPECT_TRUE(MasterHas(RecordOf(scene.Scene().get())->interpolator));
    EXPECT_EQ(scene.names.sphere, 1);
    EXPECT_GT(ui.Count(Notification::FogPanelChanged), 0);
}

TEST_F(SceneTest, OperationsAcceptTheSelectionItself)
{
    // The selection is cleared on the way; passing it straight in must still
    // act on the object it named.
    FramePtr sphere = MakeSphere();
    scene.Select(sphere);
    FramePtr copy = scene.DuplicateObject(scene.SelectedFrame(), scene.Scene());
    ASSERT_TRUE(copy);
    EXPECT_EQ(scene.SelectedFrame(), copy);
    scene.DeleteObjectTree(scene.SelectedFrame());
    EXPECT_EQ(copy->GetParent(), nullptr);
    EXPECT_FALSE(scene.HasSelection());
    EXPECT_EQ(sphere->GetParent(), scene.Scene().get());
}
