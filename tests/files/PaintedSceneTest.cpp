// Painted faces saved in a scene file and loaded back: a record shared by
// several materials is written once, a face painted with the material switch
// off changes alone, and a painted material without a record saves as the
// default material.

#include "files/FilesFixture.h"

#include "files/scene/SceneFile.h"
#include "materials/Painting.h"
#include "platform/Frame.h"
#include "platform/Material.h"
#include "platform/MeshBuilder.h"
#include "scene/ObjectTree.h"
#include "scene/Records.h"

#include <gtest/gtest.h>

namespace corvid::testing {
namespace {

MeshBuilderPtr Cube(Workspace& ws, const std::string& name)
{
    MeshBuilderPtr mesh = ws.scene.BeginObjectCreation();
    for (int i = 0; i < 8; ++i)
        mesh->AddVertex({i & 1 ? 1.0f : -1.0f, i & 2 ? 1.0f : -1.0f, i & 4 ? 1.0f : -1.0f});
    const int faces[6][4] = {{0, 2, 3, 1}, {4, 5, 7, 6}, {0, 1, 5, 4}, {2, 6, 7, 3}, {0, 4, 6, 2}, {1, 3, 7, 5}};
    for (const auto& f : faces)
        mesh->AddFace(f);
    mesh->GenerateNormals(1.0f, kGenerateNormalsUseCreaseAngle);
    ws.scene.FinishObjectCreation("Cube %s", ws.scene.names.cube);
    RecordOf(ws.scene.SelectedFrame().get())->name = name;
    ws.scene.RegisterObject(ws.scene.SelectedFrame());
    return mesh;
}

std::vector<uint8_t> Save(Workspace& ws, const TempFolder& folder)
{
    Document doc = ws.doc();
    return WriteSceneBytes(doc, {}, folder.Path(), {.copyFiles = false});
}

TEST(PaintedSceneTest, PaintedFacesComeBackAsPainted)
{
    TempFolder folder;
    Workspace ws;
    MeshBuilderPtr mesh = Cube(ws, "Painted");
    const MaterialRecord original = *RecordOf(mesh->GetFaceAttributes(0)->material.get());

    PaintState paint;
    paint.paintMaterial.diffuse[0] = 0.1f;
    paint.paintMaterial.power = 12.0f;
    paint.Changed();
    ASSERT_TRUE(PaintFace(ws.scene, paint, mesh, 0));
    ASSERT_TRUE(PaintFace(ws.scene, paint, mesh, 1));  // the same record
    paint.materialSwitch = false;
    paint.paintMaterial.diffuse[1] = 0.2f;
    paint.Changed();
    ASSERT_TRUE(PaintFace(ws.scene, paint, mesh, 2));  // a copy of the shared material
    paint.colourSwitch = paint.textureSwitch = paint.mapSwitch = false;
    paint.materialSwitch = true;
    ASSERT_TRUE(PaintFace(ws.scene, paint, mesh, 3));  // a material without a record

    const std::vector<uint8_t> bytes = Save(ws, folder);
    Workspace back;
    Document doc = back.doc();
    ASSERT_TRUE(ReadSceneBytes(doc, bytes.data(), bytes.size(), {}, folder.Path()));
    FramePtr frame = FindObject(back.scene.Scene(), "Painted");
    ASSERT_TRUE(frame);
    const MeshBuilder& read = *frame->GetVisuals().front();
    auto recordOf = [&](int f) { return RecordOrDefaults(read.GetFaceAttributes(f)->material.get()); };

    EXPECT_FLOAT_EQ(recordOf(0).diffuse[0], 0.1f);
    EXPECT_FLOAT_EQ(recordOf(0).power, 12.0f);
    EXPECT_EQ(read.GetFaceAttributes(0)->material, read.GetFaceAttributes(1)->material) << "one record, one material";
    EXPECT_FLOAT_EQ(recordOf(2).diffuse[1], 0.2f);
    EXPECT_FLOAT_EQ(recordOf(2).power, original.power) << "material switch off: the face's own values";
    for (int f : {4, 5}) {
        SCOPED_TRACE(f);
        EXPECT_TRUE(SamePaintValues(recordOf(f), original)) << "faces not painted keep their material";
    }
    EXPECT_FLOAT_EQ(recordOf(3).diffuse[0], 0.8f) << "no record: written as the default material";
}

} // namespace
} // namespace corvid::testing
