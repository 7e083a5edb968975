#include "scene/EditorFixture.h"

#include "platform/Interpolator.h"
#include "platform/Material.h"
#include "scene/ObjectKind.h"

using namespace corvid;
using corvid::testing::EditorTest;

TEST_F(EditorTest, RootsAreRecordedAndRegistered)
{
    ObjectRecord* world = RecordOf(editor.World().get());
    ObjectRecord* scene = RecordOf(editor.Scene().get());
    ASSERT_TRUE(world && scene);
    EXPECT_EQ(world->name, "WORLD");
    EXPECT_EQ(scene->name, "SCENE");
    EXPECT_EQ(world->kind, kEmpty);
    EXPECT_EQ(editor.Scene()->GetParent(), editor.World().get());
    EXPECT_EQ(editor.World()->GetZBufferMode(), ZBufferMode::Enable);
    EXPECT_EQ(editor.CameraLight()->GetType(), LightType::Directional);
    // The auxiliaries carry no record.
    EXPECT_EQ(RecordOf(editor.GridFrame().get()), nullptr);
    EXPECT_EQ(editor.MarkerFrame()->GetParent(), editor.GridFrame().get());
    // WORLD and SCENE are in the tree, SCENE under WORLD, with animation.
    ASSERT_EQ(ui.tree.size(), 2u);
    EXPECT_EQ(ui.tree.at(scene->treeItem).parent, world->treeItem);
    EXPECT_TRUE(MasterHas(scene->interpolator));
    ASSERT_TRUE(scene->keyList);
    EXPECT_EQ(scene->keyList->type, kObjectKeyListType);
}

TEST(KindNames, DisplayTable)
{
    struct Case {
        int kind;
        const char* name;
    } cases[] = {{kEmpty, "Empty"}, {kObject, "Object"}, {kLight, "Light"}, {kCamera, "Camera"},
                 {kPatch, "Unknown"}, {kControlPoint, "Control Point"}, {kGrid, "Grid"},
                 {kWrapField, "Wrap field"}, {kPointer, "Pointer"}, {kObjectOrigin, "Object origin"},
                 {kShadow, "Shadow"}, {kBaseFrame, "Unknown"}, {kMeshRecordTag, "Unknown"}, {-5, "Unknown"}};
    for (const auto& c : cases)
        EXPECT_STREQ(KindDisplayName(c.kind), c.name) << c.kind;
}

TEST_F(EditorTest, DefaultNamesCountAcrossScenes)
{
    EXPECT_EQ(NameOf(MakeObject("Cube %s", editor.names.cube)), "Cube 0");
    // A square shares the cube counter.
    EXPECT_EQ(NameOf(MakeObject("Cube %s", editor.names.cube)), "Cube 1");
    EXPECT_EQ(NameOf(MakeSphere()), "Sphere 0");
    EXPECT_EQ(NameOf(editor.CreateCamera()), "Camera 0");
    EXPECT_EQ(NameOf(editor.CreateLight(LightType::Point)), "Light 0");
    EXPECT_EQ(NameOf(editor.CreateLight(LightType::Spot)), "Light 1");

    editor.NewScene();
    EXPECT_EQ(NameOf(MakeSphere()), "Sphere 1");
    EXPECT_EQ(NameOf(MakeObject("Cube %s", editor.names.cube)), "Cube 2");
    FramePtr camera = editor.CreateCamera();
    FramePtr light = editor.CreateLight(LightType::Ambient);
    EXPECT_EQ(NameOf(camera), "Camera 1");
    EXPECT_EQ(NameOf(light), "Light 2");
    // ...while the menu numbering starts again.
    EXPECT_EQ(RecordOf(camera.get())->menuCommand, 2222);
    EXPECT_EQ(RecordOf(light.get())->menuCommand, 3333);
    ASSERT_EQ(ui.cameraEntries.size(), 1u);
    EXPECT_EQ(ui.cameraEntries[0].text, "Camera 0");
    ASSERT_EQ(ui.lightEntries.size(), 1u);
    EXPECT_EQ(ui.lightEntries[0].text, "Light 0");
    EXPECT_EQ(editor.UserCamera(0), camera);
    EXPECT_EQ(editor.UserLight(0), light);
}

TEST_F(EditorTest, CreatedObjectGetsPastelMaterialAndRecords)
{
    digits = {0, 3, 7};  // 0 -> 1.0, 0.3 -> 0.7, 0.7 stays
    int before = editor.materialIdCounter;
    FramePtr frame = MakeSphere({1, 2, 3});
    EXPECT_TRUE(NearlyEqual(frame->GetPosition(editor.Scene().get()), {1, 2, 3}));
    EXPECT_EQ(frame->GetParent(), editor.Scene().get());
    ASSERT_EQ(frame->GetVisuals().size(), 1u);
    const MeshBuilderPtr& mesh = frame->GetVisuals()[0];
    EXPECT_EQ(mesh->GetQuality(), 137u);
    EXPECT_EQ(mesh->GetColorSource(), ColorSource::Face);
    EXPECT_EQ(mesh->GetColor(), MakeARGB(1.0f, 0.7f, 0.7f));
    ASSERT_TRUE(mesh->GetMaterial());
    EXPECT_EQ(mesh->GetMaterial()->GetPower(), 5.0f);
    MaterialRecord* material = RecordOf(mesh->GetMaterial().get());
    ASSERT_TRUE(material);
    EXPECT_EQ(material->id, before + 1);
    EXPECT_FLOAT_EQ(material->diffuse[1], 0.7f);
    MeshRecord* meshRecord = RecordOf(mesh.get());
    ASSERT_TRUE(meshRecord);
    EXPECT_EQ(meshRecord->tag, kMeshRecordTag);
    EXPECT_EQ(meshRecord->owner.lock(), frame);
    ObjectRecord* record = RecordOf(frame.get());
    EXPECT_EQ(record->kind, kObject);
    EXPECT_TRUE(record->interpolator);
    EXPECT_EQ(editor.SelectedFrame(), frame);
    EXPECT_EQ(editor.CurrentVisual(), mesh);

    // Every channel is one of 0.5 ... 1.0 whatever the digit.
    for (int k = 0; k < 10; ++k) {
        digits = {k};
        digitIndex = 0;
        FramePtr f = MakeSphere();
        ColorRGBA c = ColorFromARGB(f->GetVisuals()[0]->GetColor());
        EXPECT_GE(c.r, 0.49f) << k;
        EXPECT_LE(c.r, 1.0f) << k;
    }
}

TEST_F(EditorTest, LightsTakeTheirToolsAttenuationMode)
{
    struct Case {
        const char* name;
        int mode;
        float constant, linear, quadratic;
    } cases[] = {{"constant", 0, 2, 0, 0}, {"linear", 1, 0, 3, 0}, {"quadratic", 2, 0, 0, 4}};
    for (const auto& c : cases) {
        auto& tool = editor.lightTools[static_cast<int>(LightType::Point)];
        tool.attenuationMode = c.mode;
        tool.constant = 2;
        tool.linear = 3;
        tool.quadratic = 4;
        tool.color = {0.2f, 0.4f, 0.6f, 1};
        FramePtr frame = editor.CreateLight(LightType::Point);
        ASSERT_EQ(frame->GetLights().size(), 1u) << c.name;
        const LightPtr& light = frame->GetLights()[0];
        EXPECT_EQ(light->GetConstantAttenuation(), c.constant) << c.name;
        EXPECT_EQ(light->GetLinearAttenuation(), c.linear) << c.name;
        EXPECT_EQ(light->GetQuadraticAttenuation(), c.quadratic) << c.name;
        EXPECT_FLOAT_EQ(light->GetColor().g, 0.4f) << c.name;
        EXPECT_TRUE(RecordOf(light.get())) << c.name;
        EXPECT_EQ(editor.PickedLight(), light) << c.name;
        EXPECT_EQ(frame->GetVisuals()[0], editor.LightIcon(LightType::Point)) << c.name;
    }
    auto& spotTool = editor.lightTools[static_cast<int>(LightType::Spot)];
    spotTool.range = 40;
    spotTool.umbra = 0.2f;
    spotTool.penumbra = 0.6f;
    FramePtr spot = editor.CreateLight(LightType::Spot);
    EXPECT_EQ(spot->GetLights()[0]->GetRange(), 40.0f);
    EXPECT_EQ(spot->GetLights()[0]->GetUmbra(), 0.2f);
    EXPECT_EQ(spot->GetLights()[0]->GetPenumbra(), 0.6f);
    EXPECT_EQ(ui.lightEntries.size(), 4u);
    EXPECT_EQ(ui.lightEntries[3].command, 3336);
}

TEST_F(EditorTest, RegisterLightGivesRecordInterpolatorAndKeys)
{
    LightPtr light = Light::Create(LightType::Point, 1, 1, 1);
    editor.RegisterLight(light);
    LightRecord* record = RecordOf(light.get());
    ASSERT_TRUE(record);
    ASSERT_TRUE(record->keyList);
    EXPECT_EQ(record->keyList->type, kLightKeyListType);
    EXPECT_TRUE(MasterHas(record->interpolator));
    // Registering again replaces rather than piles up.
    auto first = record->interpolator;
    editor.RegisterLight(light);
    EXPECT_FALSE(MasterHas(first));
    EXPECT_TRUE(MasterHas(record->interpolator));
}
