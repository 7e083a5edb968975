#include "scene/SceneFixture.h"

#include "platform/Interpolator.h"
#include "platform/Material.h"
#include "scene/ObjectKind.h"

#include <set>
#include <string>

using namespace corvid;
using corvid::testing::SceneTest;

TEST_F(SceneTest, RootsAreRecordedAndRegistered)
{
    ObjectRecord* world = RecordOf(scene.World().get());
    ObjectRecord* sceneRecord = RecordOf(scene.Scene().get());
    ASSERT_TRUE(world && sceneRecord);
    EXPECT_EQ(world->name, "WORLD");
    EXPECT_EQ(sceneRecord->name, "SCENE");
    EXPECT_EQ(world->kind, kEmpty);
    EXPECT_EQ(scene.Scene()->GetParent(), scene.World().get());
    EXPECT_EQ(scene.World()->GetZBufferMode(), ZBufferMode::Enable);
    EXPECT_EQ(scene.CameraLight()->GetType(), LightType::Directional);
    // The auxiliaries carry no record.
    EXPECT_EQ(RecordOf(scene.GridFrame().get()), nullptr);
    EXPECT_EQ(scene.MarkerFrame()->GetParent(), scene.GridFrame().get());
    // WORLD and SCENE are in the tree, SCENE under WORLD, with animation.
    ASSERT_EQ(ui.tree.size(), 2u);
    EXPECT_EQ(ui.tree.at(sceneRecord->treeItem).parent, world->treeItem);
    EXPECT_TRUE(MasterHas(sceneRecord->interpolator));
    ASSERT_TRUE(sceneRecord->keyList);
    EXPECT_EQ(sceneRecord->keyList->type, kObjectKeyListType);
}

TEST_F(SceneTest, WhatTheSceneMakesShowsTheNameOfItsKind)
{
    struct Case {
        FramePtr frame;
        const char* name;
    } cases[] = {{scene.Scene(), "Empty"},
                 {MakeSphere(), "Object"},
                 {scene.CreateCamera(), "Camera"},
                 {scene.CreateLight(LightType::Spot, {}), "Light"},
                 {scene.CreateLight(LightType::Ambient, {}), "Light"}};
    for (const Case& c : cases) {
        const ObjectRecord* record = RecordOf(c.frame.get());
        ASSERT_TRUE(record) << c.name;
        EXPECT_STREQ(KindDisplayName(record->kind), c.name) << record->name;
    }
    // The status panel tells every named kind apart; codes that are no
    // object kind have no name of their own.
    std::set<std::string> names;
    for (int kind = kMeshRecordTag; kind <= kShadow; ++kind) {
        const std::string name = KindDisplayName(kind);
        if (name != "Unknown") {
            EXPECT_TRUE(names.insert(name).second) << name << " names two kinds";
        }
    }
    EXPECT_STREQ(KindDisplayName(kMeshRecordTag), "Unknown");
    EXPECT_STREQ(KindDisplayName(0), "Unknown");
}

TEST_F(SceneTest, DefaultNamesCountAcrossScenes)
{
    EXPECT_EQ(NameOf(MakeObject("Cube %s", scene.names.cube)), "Cube 0");
    // A square shares the cube counter.
    EXPECT_EQ(NameOf(MakeObject("Cube %s", scene.names.cube)), "Cube 1");
    EXPECT_EQ(NameOf(MakeSphere()), "Sphere 0");
    EXPECT_EQ(NameOf(scene.CreateCamera()), "Camera 0");
    EXPECT_EQ(NameOf(scene.CreateLight(LightType::Point, {})), "Light 0");
    EXPECT_EQ(NameOf(scene.CreateLight(LightType::Spot, {})), "Light 1");

    scene.NewScene();
    EXPECT_EQ(NameOf(MakeSphere()), "Sphere 1");
    EXPECT_EQ(NameOf(MakeObject("Cube %s", scene.names.cube)), "Cube 2");
    FramePtr camera = scene.CreateCamera();
    FramePtr light = scene.CreateLight(LightType::Ambient, {});
    EXPECT_EQ(NameOf(camera), "Camera 1");
    EXPECT_EQ(NameOf(light), "Light 2");
    // ...while the menu numbering starts again.
    EXPECT_EQ(RecordOf(camera.get())->menuCommand, 2222);
    EXPECT_EQ(RecordOf(light.get())->menuCommand, 3333);
    ASSERT_EQ(ui.cameraEntries.size(), 1u);
    EXPECT_EQ(ui.cameraEntries[0].text, "Camera 0");
    ASSERT_EQ(ui.lightEntries.size(), 1u);
    EXPECT_EQ(ui.lightEntries[0].text, "Light 0");
    EXPECT_EQ(scene.UserCamera(0), camera);
    EXPECT_EQ(scene.UserLight(0), light);
}

TEST_F(SceneTest, CreatedObjectGetsPastelMaterialAndRecords)
{
    digits = {0, 3, 7};  // 0 -> 1.0, 0.3 -> 0.7, 0.7 stays
    int before = scene.materialIdCounter;
    FramePtr frame = MakeSphere({1, 2, 3});
    EXPECT_TRUE(NearlyEqual(frame->GetPosition(scene.Scene().get()), {1, 2, 3}));
    EXPECT_EQ(frame->GetParent(), scene.Scene().get());
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
    EXPECT_EQ(scene.SelectedFrame(), frame);
    EXPECT_EQ(scene.CurrentVisual(), mesh);

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

TEST_F(SceneTest, LightsTakeTheirToolsAttenuationMode)
{
    struct Case {
        const char* name;
        int mode;
        float constant, linear, quadratic;
    } cases[] = {{"constant", 0, 2, 0, 0}, {"linear", 1, 0, 3, 0}, {"quadratic", 2, 0, 0, 4}};
    for (const auto& c : cases) {
        LightToolParameters tool;
        tool.attenuationMode = c.mode;
        tool.constant = 2;
        tool.linear = 3;
        tool.quadratic = 4;
        tool.color = {0.2f, 0.4f, 0.6f, 1};
        FramePtr frame = scene.CreateLight(LightType::Point, tool);
        ASSERT_EQ(frame->GetLights().size(), 1u) << c.name;
        const LightPtr& light = frame->GetLights()[0];
        EXPECT_EQ(light->GetConstantAttenuation(), c.constant) << c.name;
        EXPECT_EQ(light->GetLinearAttenuation(), c.linear) << c.name;
        EXPECT_EQ(light->GetQuadraticAttenuation(), c.quadratic) << c.name;
        EXPECT_FLOAT_EQ(light->GetColor().g, 0.4f) << c.name;
        EXPECT_TRUE(RecordOf(light.get())) << c.name;
        EXPECT_EQ(scene.PickedLight(), light) << c.name;
        EXPECT_EQ(frame->GetVisuals()[0], scene.LightIcon(LightType::Point)) << c.name;
    }
    LightToolParameters spotTool;
    spotTool.range = 40;
    spotTool.umbra = 0.2f;
    spotTool.penumbra = 0.6f;
    FramePtr spot = scene.CreateLight(LightType::Spot, spotTool);
    EXPECT_EQ(spot->GetLights()[0]->GetRange(), 40.0f);
    EXPECT_EQ(spot->GetLights()[0]->GetUmbra(), 0.2f);
    EXPECT_EQ(spot->GetLights()[0]->GetPenumbra(), 0.6f);
    EXPECT_EQ(ui.lightEntries.size(), 4u);
    EXPECT_EQ(ui.lightEntries[3].command, 3336);
}

TEST_F(SceneTest, RegisterLightGivesRecordInterpolatorAndKeys)
{
    LightPtr light = Light::Create(LightType::Point, 1, 1, 1);
    scene.RegisterLight(light);
    LightRecord* record = RecordOf(light.get());
    ASSERT_TRUE(record);
    ASSERT_TRUE(record->keyList);
    EXPECT_EQ(record->keyList->type, kLightKeyListType);
    EXPECT_TRUE(MasterHas(record->interpolator));
    // Registering again replaces rather than piles up.
    auto first = record->interpolator;
    scene.RegisterLight(light);
    EXPECT_FALSE(MasterHas(first));
    EXPECT_TRUE(MasterHas(record->interpolator));
}
