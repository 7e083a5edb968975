// What the scene writer puts into a file, byte for byte, against files built
// by hand from the format's tables; and that the reader rebuilds them.

#include "files/FilesFixture.h"

#include "anim/KeyLists.h"
#include "files/scene/SceneFile.h"
#include "platform/Frame.h"
#include "platform/Interpolator.h"
#include "platform/Light.h"
#include "platform/Material.h"
#include "platform/MeshBuilder.h"
#include "scene/Records.h"

#include <gtest/gtest.h>

namespace corvid::testing {
namespace {

MaterialPtr NamedMaterial(SceneModel& scene, const std::string& name, float r, float g, float b)
{
    MaterialPtr material = Material::Create(10.0f);
    auto record = std::make_unique<MaterialRecord>();
    record->id = ++scene.materialIdCounter;
    record->name = name;
    record->diffuse[0] = r;
    record->diffuse[1] = g;
    record->diffuse[2] = b;
    record->power = 10.0f;
    AttachRecord(*material, std::move(record));
    scene.materials.push_back(material);
    return material;
}

// A registered one-triangle object with normals (0, 0, 1) under SCENE.
FramePtr Triangle(SceneModel& scene, const std::string& name, const MaterialPtr& material, int32_t kind = kObject)
{
    FramePtr frame = scene.NewObjectFrame();
    AttachRecord(*frame, std::make_unique<ObjectRecord>(kind, name));
    MeshBuilderPtr mesh = MeshBuilder::Create();
    auto meshRecord = std::make_unique<MeshRecord>();
    meshRecord->owner = frame;
    AttachRecord(*mesh, std::move(meshRecord));
    mesh->AddVertex({0, 0, 0});
    mesh->AddVertex({1, 0, 0});
    mesh->AddVertex({0, 1, 0});
    for (int i = 0; i < 3; ++i)
        mesh->AddNormal({0, 0, 1});
    const int v[3] = {0, 1, 2};
    mesh->AddFace(v, v);
    mesh->SetMaterial(material);
    frame->AddVisual(mesh);
    scene.RegisterObject(frame);
    return frame;
}

class SceneBytesTest : public ::testing::Test {
protected:
    std::vector<uint8_t> Write(const ImportOptions& options = {})
    {
        Document doc = w.doc();
        return WriteSceneBytes(doc, options, folder.Path(), {.copyFiles = false, .nameInScene = true});
    }
    // The chunks every whole-scene file starts with: the switches and SCENE.
    Hand Start()
    {
        Hand h;
        h.header();
        return h;
    }
    static void Switches(Hand& h)
    {
        h.begin("CVDSCN", -1, -1, -1).u8(1).u8(1).u8(1).f32(0.5f).end();
    }
    static void SceneGroup(Hand& h)
    {
        h.begin("CVDGRO", 2007, 1, 0).str("SCENE").identity().end();
    }
    static void Tail(Hand& h)
    {
        h.begin("CVDANF", -1, -1, -1).u8(1).u8(0).i32(1).i32(0).f32(0.0f).f32(1.0f).i32(100).end();
        h.begin("CVDBKG", -1, -1, -1).str("NOBKG").f32s({0, 0, 0}).end();
    }

    Workspace w;
    TempFolder folder;
};

TEST_F(SceneBytesTest, AnEmptySceneIsTheHeaderTheSwitchesSceneAnimationAndBackground)
{
    Hand h = Start();
    Switches(h);
    SceneGroup(h);
    Tail(h);
    const std::vector<uint8_t> bytes = Write();
    EXPECT_EQ(bytes, h.bytes);
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.begin() + 27),
              std::vector<uint8_t>(h.bytes.begin(), h.bytes.begin() + 27));

    // Without animation there is no CVDANF.
    ImportOptions still;
    still.addAnimation = false;
    EXPECT_EQ(ChunkTags(Write(still)), (std::vector<std::string>{"CVDSCN", "CVDGRO", "CVDBKG"}));
}

TEST_F(SceneBytesTest, AMeshWithItsMaterialAndFaceGroup)
{
    MaterialPtr red = NamedMaterial(w.scene, "Red", 1, 0, 0);
    FramePtr tri = Triangle(w.scene, "Tri", red);
    tri->SetPosition(w.scene.Scene().get(), {2, 3, 4});

    Hand h = Start();
    h.begin("CVDMAT", -1, -1, -1).str("Red").f32s({1, 0, 0, 0, 0, 0, 10, 0, 0, 0, 0, 0, 0, 1}).end();
    Switches(h);
    SceneGroup(h);
    h.begin("CVDMES", 2008, 2, 1).str("Tri").i32(3).i32(3).i32(1);
    h.f32s({0, 0, 0, 1, 0, 0, 0, 1, 0}).f32s({0, 0, 1, 0, 0, 1, 0, 0, 1});
    h.i32(1).str("Red").i32(1).i32(3).i32(0).i32(0).i32(1).i32(1).i32(2).i32(2);
    h.f32s({1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 2, 3, 4, 1}).end();
    Tail(h);
    EXPECT_EQ(Write(), h.bytes);

    // The reader rebuilds it: SCENE stands for this scene's SCENE.
    Workspace back;
    const std::vector<uint8_t> bytes = Write();
    Document doc = back.doc();
    ASSERT_TRUE(ReadSceneBytes(doc, bytes.data(), bytes.size(), {}, folder.Path()));
    ASSERT_EQ(back.scene.Scene()->GetChildren().size(), 2u);  // the grid, then the triangle
    const FramePtr& loaded = back.scene.Scene()->GetChildren().back();
    ASSERT_EQ(RecordOf(loaded.get())->name, "Tri");
    EXPECT_EQ(loaded->GetPosition(back.scene.Scene().get()), (Vec3{2, 3, 4}));
    const MeshBuilder& mesh = *loaded->GetVisuals()[0];
    EXPECT_EQ(mesh.GetFaceAttributes(0)->color, 0xFFFF0000u);
    EXPECT_EQ(RecordOf(mesh.GetFaceAttributes(0)->material.get())->name, "Red");
}

TEST_F(SceneBytesTest, EachLightTypeWritesItsOwnFields)
{
    const std::pair<LightType, size_t> cases[] = {
        {LightType::Ambient, 6}, {LightType::Point, 6}, {LightType::Spot, 18},
        {LightType::Directional, 12}, {LightType::ParallelPoint, 12}};
    for (auto [type, floats] : cases) {
        Workspace one;
        FramePtr frame = one.scene.CreateLight(type, {});
        RecordOf(frame.get())->name = "L";
        one.scene.RegisterObject(frame);
        one.scene.RegisterLight(frame->GetLights()[0]);
        Document doc = one.doc();
        const std::vector<uint8_t> bytes = WriteSceneBytes(doc, {}, folder.Path(), {.copyFiles = false});
        const size_t at = FindChunk(bytes, "CVDLIG");
        ASSERT_NE(at, std::string::npos);
        int32_t a, length;
        std::memcpy(&a, &bytes[at + 7], 4);
        std::memcpy(&length, &bytes[at + 19], 4);
        EXPECT_EQ(a, static_cast<int32_t>(type));
        EXPECT_EQ(static_cast<size_t>(length), 23 + 2 + 4 * floats) << "type " << static_cast<int>(type);
    }
}

TEST_F(SceneBytesTest, ASpotLightsFieldsInTheirOrder)
{
    LightToolParameters p;
    p.color = {0.5f, 0.25f, 1.0f, 1.0f};
    p.range = 7;
    p.penumbra = 0.75f;
    p.umbra = 0.5f;
    w.scene.insertionPoint = {1, 2, 3};
    FramePtr frame = w.scene.CreateLight(LightType::Spot, p);
    RecordOf(frame.get())->name = "Spot";
    w.scene.RegisterObject(frame);
    w.scene.RegisterLight(frame->GetLights()[0]);

    Hand h;
    h.begin("CVDLIG", 2, 2, 1).str("Spot").f32s({1, 2, 3, 0.5f, 0.25f, 1.0f});
    h.f32s({0, 0, 1, 0, 1, 0}).f32s({1, 0, 0, 7, 0.75f, 0.5f}).end();
    const std::vector<uint8_t> bytes = Write();
    const size_t at = FindChunk(bytes, "CVDLIG");
    ASSERT_NE(at, std::string::npos);
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + static_cast<long>(at), bytes.begin() + static_cast<long>(at + h.bytes.size())),
              h.bytes);
}

TEST_F(SceneBytesTest, APatchCarriesItsSevenFieldsAndAWrapItsCoordinates)
{
    MaterialPtr wood = NamedMaterial(w.scene, "Wood", 1, 1, 1);
    RecordOf(wood.get())->textureName = "wood.bmp";
    FramePtr patch = Triangle(w.scene, "P", wood, kPatch);
    ObjectRecord& r = *RecordOf(patch.get());
    r.cpRow = 1, r.cpColumn = 2, r.cpRows = 3, r.cpColumns = 4, r.patchType = 3001, r.cpStepsU = 5, r.cpStepsV = 6;
    MeshBuilder& mesh = *patch->GetVisuals()[0];
    mesh.SetTextureCoordinates(1, 0.5f, 0.25f);
    MeshRecord& wrap = *RecordOf(&mesh);
    wrap.wrapType = 2;
    wrap.wrapReference = 1;
    wrap.liveWrap = true;
    for (size_t i = 0; i < wrap.wrap.size(); ++i)
        wrap.wrap[i] = static_cast<float>(i);

    const std::vector<uint8_t> bytes = Write();
    Hand h;
    h.begin("CVDPAT", 3001, -1, 2).i32(1).i32(2).i32(3).i32(4).i32(5).i32(6).end();
    h.begin("CVDWRP", 2, -1, 2).i32(1).u8(0).u8(1);
    for (int i = 0; i < 13; ++i)
        h.f32(static_cast<float>(i));
    h.f32s({0, 0, 0.5f, 0.25f, 0, 0}).end();
    const size_t at = FindChunk(bytes, "CVDPAT");
    ASSERT_NE(at, std::string::npos);
    ASSERT_LE(at + h.bytes.size(), bytes.size());
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + static_cast<long>(at), bytes.begin() + static_cast<long>(at + h.bytes.size())),
              h.bytes);
    // The wrap's length: its 58 bytes of fields and 8 per vertex.
    EXPECT_EQ(h.bytes.size() - 47, 23u + 58u + 8u * 3u);

    // Read back: the patch's fields, the wrap and the coordinates.
    Workspace back;
    Document doc = back.doc();
    ASSERT_TRUE(ReadSceneBytes(doc, bytes.data(), bytes.size(), {}, folder.Path()));
    const FramePtr& loaded = back.scene.Scene()->GetChildren().back();
    const ObjectRecord& lr = *RecordOf(loaded.get());
    EXPECT_EQ(lr.kind, kPatch);
    EXPECT_EQ((std::array<int32_t, 7>{lr.cpRow, lr.cpColumn, lr.cpRows, lr.cpColumns, lr.patchType, lr.cpStepsU, lr.cpStepsV}),
              (std::array<int32_t, 7>{1, 2, 3, 4, 3001, 5, 6}));
    const MeshBuilder& lm = *loaded->GetVisuals()[0];
    EXPECT_EQ(RecordOf(&lm)->wrap, wrap.wrap);
    EXPECT_TRUE(RecordOf(&lm)->liveWrap);
    float u = 0, v = 0;
    lm.GetTextureCoordinates(1, u, v);
    EXPECT_EQ(u, 0.5f);
    EXPECT_EQ(v, 0.25f);
    // The texture was not beside the file: said once, and loaded without.
    EXPECT_EQ(back.ui.messages.size(), 1u);
}

TEST_F(SceneBytesTest, KeysWithTheirReferencesAsNodeIndices)
{
    MaterialPtr red = NamedMaterial(w.scene, "Red", 1, 0, 0);
    FramePtr tri = Triangle(w.scene, "Tri", red);
    ObjectRecord& r = *RecordOf(tri.get());
    r.animFlags = {1, 1, 0, 0, 0, 0};
    SetPositionKey(*r.keyList, 10.0f, w.scene.Scene(), {1, 2, 3});
    SetOrientationKey(*r.keyList, 20.0f, tri, {0, 0, 1}, {0, 1, 0});

    Hand h;
    h.begin("CVDANI", 2001, -1, 2).u8(1).u8(1).u8(0).u8(0).u8(0).u8(0).i32(2);
    // The SCENE group is node 1; the triangle itself node 2.
    h.f32(10).i32(1).i32(-1).f32s({1, 2, 3}).f32s({999999, 999999, 999999, 999999, 999999, 999999});
    h.f32(20).i32(-1).i32(2).f32s({999999, 999999, 999999}).f32s({0, 0, 1, 0, 1, 0}).end();
    const std::vector<uint8_t> bytes = Write();
    const size_t at = FindChunk(bytes, "CVDANI");
    ASSERT_NE(at, std::string::npos);
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + static_cast<long>(at), bytes.begin() + static_cast<long>(at + h.bytes.size())),
              h.bytes);
}

TEST_F(SceneBytesTest, MaterialsSharingANameAreRenamedAndUnnamedOnesNamedByTheirId)
{
    MaterialPtr a = NamedMaterial(w.scene, "Red", 1, 0, 0);
    MaterialPtr b = NamedMaterial(w.scene, "Red", 0.5f, 0, 0);
    MaterialPtr c = NamedMaterial(w.scene, "Red", 0.25f, 0, 0);
    MaterialPtr unnamed = NamedMaterial(w.scene, "", 0, 0, 1);
    FramePtr tri = Triangle(w.scene, "Tri", a);
    MeshBuilder& mesh = *tri->GetVisuals()[0];
    const int v[3] = {0, 1, 2};
    for (const MaterialPtr& m : {b, c, unnamed})
        mesh.SetFaceMaterial(mesh.AddFace(v, v), m);

    Write();
    EXPECT_EQ(RecordOf(b.get())->name, "MATERIALCVD_0");
    EXPECT_EQ(RecordOf(c.get())->name, "MATERIALCVD_1");
    EXPECT_EQ(RecordOf(unnamed.get())->name, "MATERIALCVD_" + std::to_string(RecordOf(unnamed.get())->id));
    EXPECT_EQ(RecordOf(a.get())->name, "Red");
}

TEST_F(SceneBytesTest, AnAutosaveNamesNothingInTheScene)
{
    MaterialPtr unnamed = NamedMaterial(w.scene, "", 0, 0, 1);
    FramePtr tri = Triangle(w.scene, "", unnamed);
    Document doc = w.doc();
    const std::vector<uint8_t> bytes = WriteSceneBytes(doc, {}, {}, {.copyFiles = false, .nameInScene = false});
    EXPECT_NE(FindChunk(bytes, "CVDMES"), std::string::npos);
    EXPECT_EQ(RecordOf(tri.get())->name, "");
    EXPECT_EQ(RecordOf(unnamed.get())->name, "");
    EXPECT_EQ(w.scene.Settings().backgroundImageName, "");

    Write();
    EXPECT_EQ(RecordOf(tri.get())->name, "OBJECT_0");
    EXPECT_EQ(w.scene.Settings().backgroundImageName, "NOBKG");
}

} // namespace
} // namespace corvid::testing
