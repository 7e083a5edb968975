// The outline info prints: objects in tree order with their parents, meshes,
// lights and keys; totals that count a shared material once and leave out
// the editor's own frames and the icons of cameras and lights.

#include "platform/Frame.h"
#include "platform/Light.h"
#include "platform/MeshBuilder.h"
#include "scene/Records.h"
#include "scene/SceneModel.h"
#include "scene/SceneSummary.h"
#include "support/ScriptedUi.h"

#include <gtest/gtest.h>

#include <string>

namespace corvid::test {
namespace {

class SummaryTest : public ::testing::Test {
protected:
    // A registered object called name with one quad, under parent when given.
    FramePtr Quad(const std::string& name, const FramePtr& parent = nullptr)
    {
        MeshBuilderPtr mesh = scene.BeginObjectCreation();
        for (int i = 0; i < 4; ++i)
            mesh->AddVertex({i & 1 ? 1.0f : 0.0f, i & 2 ? 1.0f : 0.0f, 0.0f});
        const int face[4] = {0, 1, 3, 2};
        mesh->AddFace(face);
        scene.FinishObjectCreation("Cube %s", scene.names.cube);
        FramePtr frame = scene.SelectedFrame();
        RecordOf(frame.get())->name = name;
        scene.RegisterObject(frame);
        if (parent) {
            EXPECT_TRUE(scene.MoveUnder(frame, parent));
        }
        return frame;
    }

    ScriptedUi ui;
    SceneModel scene{ui};
};

TEST_F(SummaryTest, ObjectsComeInTreeOrderWithTheirParentsAndKeys)
{
    EXPECT_EQ(DescribeScene(scene), "0 objects (0 meshes: 0 vertices, 0 faces), 0 materials, 0 lights, 0 cameras, 0 keys\n");

    FramePtr a = Quad("A");
    FramePtr b = Quad("B", a);
    FramePtr c = Quad("C", b);
    Quad("D");
    b->GetVisuals()[0]->SetMaterial(a->GetVisuals()[0]->GetFaceAttributes(0)->material);
    scene.insertionPoint = {1, 2, 3};
    FramePtr camera = scene.CreateCamera();
    scene.RegisterObject(camera);
    FramePtr light = scene.CreateLight(LightType::Spot, LightToolParameters{});
    scene.RegisterObject(light);
    scene.RegisterLight(light->GetLights()[0]);
    RecordOf(a.get())->keyList->objectKeys.resize(2);
    RecordOf(camera.get())->keyList->objectKeys.resize(1);
    RecordOf(light->GetLights()[0].get())->keyList->lightKeys.resize(4);

    const SceneSummary summary = SummarizeScene(scene);
    const std::string expected[] = {"A|Object||0|4|1|2",  "B|Object|A|1|4|1|0",   "C|Object|B|2|4|1|0",
                                    "D|Object||0|4|1|0", "Camera 0|Camera||0|0|0|1", "Light 0|Light||0|0|0|4"};
    ASSERT_EQ(summary.objects.size(), std::size(expected));
    for (size_t i = 0; i < summary.objects.size(); ++i) {
        const ObjectSummary& o = summary.objects[i];
        EXPECT_EQ(o.name + "|" + o.kindName + "|" + o.parent + "|" + std::to_string(o.depth) + "|" +
                      std::to_string(o.vertices) + "|" + std::to_string(o.faces) + "|" + std::to_string(o.keys),
                  expected[i]);
        EXPECT_EQ(o.topLevel, o.parent.empty());
    }
    EXPECT_EQ(summary.totals, (SceneTotals{6, 4, 16, 4, 3, 1, 1, 7}));

    const std::string text = DescribeScene(summary);
    EXPECT_NE(text.find("\n    Object \"C\" under \"B\" at (0, 0, 0), 4 vertices, 1 face\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\nLight \"Light 0\" at (1, 2, 3), spot light, 4 keys\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\n6 objects (4 meshes: 16 vertices, 4 faces), 3 materials, 1 light, 1 camera, 7 keys\n"),
              std::string::npos)
        << text;

    // Out of the scene, C is counted no more, nor its own material.
    scene.DeleteObjectTree(c);
    EXPECT_EQ(SummarizeScene(scene).totals, (SceneTotals{5, 3, 12, 3, 2, 1, 1, 7}));
}

} // namespace
} // namespace corvid::test
