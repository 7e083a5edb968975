// Painting faces, objects and matching faces, and picking materials up: the
// record each paint makes and shares, what each switch changes, materials
// that other faces share, and undo and redo of every paint.

#include "materials/Painting.h"
#include "platform/Material.h"
#include "platform/Texture.h"
#include "scene/EditHistory.h"

#include "scene/SceneFixture.h"

namespace corvid::testing {
namespace {

class PaintingTest : public SceneTest {
protected:
    PaintingTest()
    {
        cube = Box("Box", {});
        mesh = cube->GetVisuals().front();
        shared = mesh->GetFaceAttributes(0)->material;
        paint.paintMaterial.diffuse[0] = 0.2f;
        paint.paintMaterial.diffuse[1] = 0.4f;
        paint.paintMaterial.diffuse[2] = 0.6f;
        paint.paintMaterial.specular[0] = 0.5f;
        paint.paintMaterial.power = 20.0f;
        paint.paintMaterial.alpha = 1.0f;
        paint.Changed();
    }

    const FaceAttributes& Face(int f) const { return *mesh->GetFaceAttributes(f); }
    const MaterialRecord& RecordOfFace(int f) const { return RecordOrDefaults(Face(f).material.get()); }
    MaterialRecord* OwnRecord(int f) const { return RecordOf(Face(f).material.get()); }

    // Paints face 0 in its own step, as a gesture does.
    void PaintFaceStep(int f)
    {
        EditStep step(scene.History(), "Paint", true);
        ASSERT_TRUE(PaintFace(scene, paint, mesh, f));
    }

    FramePtr cube;
    MeshBuilderPtr mesh;
    MaterialPtr shared;  // the one material all six faces start with
    PaintState paint;
};

TEST_F(PaintingTest, FacesPaintedInARowShareOneRecordUntilThePaintChanges)
{
    PaintFaceStep(0);
    PaintFaceStep(1);
    ASSERT_NE(OwnRecord(0), nullptr);
    EXPECT_NE(Face(0).material, Face(1).material) << "each paint of a face makes its own material";
    EXPECT_EQ(OwnRecord(0), OwnRecord(1)) << "one record for both";
    EXPECT_EQ(SharedRecordOf(Face(0).material.get()), paint.currentPaintRecord);
    EXPECT_EQ(Face(0).color, PaintColor(paint.paintMaterial));
    EXPECT_FLOAT_EQ(Face(0).material->GetPower(), 20.0f);
    EXPECT_FLOAT_EQ(OwnRecord(0)->diffuse[1], 0.4f);

    paint.paintMaterial.diffuse[0] = 0.9f;
    paint.Changed();
    const int idBefore = scene.materialIdCounter;
    PaintFaceStep(2);
    EXPECT_NE(OwnRecord(2), OwnRecord(1));
    EXPECT_EQ(OwnRecord(2)->id, idBefore + 1);
    EXPECT_FLOAT_EQ(OwnRecord(2)->diffuse[0], 0.9f);
    EXPECT_FLOAT_EQ(OwnRecord(1)->diffuse[0], 0.2f) << "the shared record itself never changes";

    // A record outlives the material it was made for while another carries it.
    const std::weak_ptr<MaterialRecord> first = SharedRecordOf(Face(0).material.get());
    paint.currentPaintRecord.reset();
    mesh->SetFaceMaterial(0, shared);
    EXPECT_FALSE(first.expired());
    mesh->SetFaceMaterial(1, shared);
    scene.History().Clear();
    EXPECT_TRUE(first.expired()) << "the last material letting go frees it";
}

TEST_F(PaintingTest, TheFirstPaintMakesARecordEvenWithoutAChange)
{
    PaintState fresh;  // freshRecord starts clear and there is no record yet
    ASSERT_TRUE(PaintFace(scene, fresh, mesh, 0));
    ASSERT_NE(OwnRecord(0), nullptr);
    EXPECT_EQ(SharedRecordOf(Face(0).material.get()), fresh.currentPaintRecord);
}

TEST_F(PaintingTest, SwitchesDecideWhereEachPartOfTheRecordComesFrom)
{
    // The cube's material is red.
    RecordOf(shared.get())->diffuse[1] = RecordOf(shared.get())->diffuse[2] = 0.0f;
    RecordOf(shared.get())->diffuse[0] = 1.0f;
    RecordOf(shared.get())->power = 40.0f;
    RecordOf(shared.get())->textureName = "old.bmp";

    struct Case {
        const char* name;
        bool colour, material, texture, enabled;
        bool object;
        float diffuseG;     // the record's diffuse green
        float power;        // the record's power
        const char* textureName;
    };
    const Case cases[] = {
        {"face, colour off: defaults, not the old red", false, true, true, true, false, 1.0f, 20.0f, "wood.bmp"},
        {"object, colour off: the base record's colour", false, true, true, true, true, 0.0f, 20.0f, "wood.bmp"},
        {"face, material off: default power", true, false, true, true, false, 0.4f, 5.0f, "wood.bmp"},
        {"object, material off: the base record's power", true, false, true, true, true, 0.4f, 40.0f, "wood.bmp"},
        {"texture off: the base record's name", true, true, false, true, false, 0.4f, 20.0f, "old.bmp"},
        {"texture on, panel's texture off: no name", true, true, true, false, false, 0.4f, 20.0f, ""},
    };
    paint.paintMaterial.textureName = "wood.bmp";
    paint.paintMaterial.colorKey = true;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        mesh->SetMaterial(shared);
        paint.colourSwitch = c.colour;
        paint.materialSwitch = c.material;
        paint.textureSwitch = c.texture;
        paint.textureEnabled = c.enabled;
        paint.Changed();
        if (c.object)
            ASSERT_TRUE(PaintObject(scene, paint, cube, mesh, 0));
        else
            ASSERT_TRUE(PaintFace(scene, paint, mesh, 0));
        const MaterialRecord& r = *paint.currentPaintRecord;
        EXPECT_EQ(OwnRecord(0), &r);
        EXPECT_FLOAT_EQ(r.diffuse[1], c.diffuseG);
        EXPECT_FLOAT_EQ(r.power, c.power);
        EXPECT_EQ(r.textureName, c.textureName);
        EXPECT_EQ(r.colorKey, c.texture && c.enabled);
        EXPECT_TRUE(r.name.empty());
    }
}

TEST_F(PaintingTest, TexturesAreSetOrRemovedByTheTextureSwitch)
{
    Image image{2, 2, std::vector<uint8_t>(16, 200)};
    paint.paintTexture = Texture::FromImage(image, "wood.bmp");
    PaintFaceStep(0);
    EXPECT_EQ(Face(0).texture, paint.paintTexture);

    paint.textureEnabled = false;
    paint.Changed();
    ASSERT_TRUE(PaintObject(scene, paint, cube, mesh, 0));
    for (int f = 0; f < 6; ++f)
        EXPECT_EQ(Face(f).texture, nullptr) << f;
    EXPECT_TRUE(paint.currentPaintRecord->textureName.empty());

    paint.textureSwitch = false;
    paint.textureEnabled = true;
    mesh->SetFaceTexture(3, paint.paintTexture);
    ASSERT_TRUE(PaintFace(scene, paint, mesh, 3));
    EXPECT_EQ(Face(3).texture, paint.paintTexture) << "texture switch off leaves the texture";
}

TEST_F(PaintingTest, WithTheMaterialSwitchOffAFaceGetsACopyCarryingTheRecord)
{
    // Another object shares the material too (a copy of the mesh).
    MeshBuilderPtr other = mesh->Clone();
    const auto oldRecord = SharedRecordOf(shared.get());
    paint.materialSwitch = false;
    PaintFaceStep(2);
    EXPECT_NE(Face(2).material, shared) << "the face gets a copy";
    EXPECT_EQ(OwnRecord(2), paint.currentPaintRecord.get());
    EXPECT_EQ(SharedRecordOf(shared.get()), oldRecord) << "the shared material keeps its record";
    for (int f : {0, 1, 3, 4, 5})
        EXPECT_EQ(Face(f).material, shared) << f;
    EXPECT_EQ(other->GetFaceAttributes(2)->material, shared);
    EXPECT_FLOAT_EQ(Face(2).material->GetPower(), shared->GetPower()) << "a copy of the material's values";

    // The whole object: one copy per material, the others untouched.
    ASSERT_TRUE(PaintObject(scene, paint, cube, mesh, 0));
    EXPECT_EQ(SharedRecordOf(shared.get()), oldRecord);
    EXPECT_EQ(Face(0).material, Face(5).material);
    EXPECT_EQ(OwnRecord(0), paint.currentPaintRecord.get());
}

TEST_F(PaintingTest, OnlyTheMaterialSwitchLeavesANewMaterialWithoutARecord)
{
    paint.colourSwitch = paint.textureSwitch = paint.mapSwitch = false;
    PaintFaceStep(1);
    EXPECT_NE(Face(1).material, shared);
    EXPECT_EQ(OwnRecord(1), nullptr);
    // It counts as the record defaults everywhere a record is read.
    EXPECT_TRUE(SamePaintValues(RecordOfFace(1), MaterialRecord{}));
    PaintState picked;
    ASSERT_TRUE(PickUpMaterial(picked, *mesh, 1));
    EXPECT_FLOAT_EQ(picked.paintMaterial.power, 5.0f);
    // Repainting faces like it finds only that one.
    PaintState again;
    again.paintMaterial.diffuse[0] = 0.3f;
    EXPECT_EQ(RepaintMatchingFaces(scene, again, mesh, 1), 1);
}

TEST_F(PaintingTest, MatchingFacesAreTheOnesWithTheSameTextureNameAndFourteenValues)
{
    // Faces 4 and 5 get records that differ from the shared one in one
    // value and in the texture name.
    auto differing = [&](int f, auto change) {
        auto material = shared->Clone();
        auto record = std::make_unique<MaterialRecord>(*RecordOf(shared.get()));
        change(*record);
        AttachRecord(*material, std::move(record));
        mesh->SetFaceMaterial(f, material);
    };
    differing(4, [](MaterialRecord& r) { r.emissive[2] = 0.01f; });
    differing(5, [](MaterialRecord& r) { r.textureName = "Wood.bmp"; });
    const MaterialPtr material4 = Face(4).material, material5 = Face(5).material;

    {
        EditStep step(scene.History(), "Paint", true);
        EXPECT_EQ(RepaintMatchingFaces(scene, paint, mesh, 0), 4);
    }
    for (int f = 0; f < 4; ++f) {
        EXPECT_EQ(Face(f).material, Face(0).material) << "one material for every face painted";
        EXPECT_EQ(Face(f).color, PaintColor(paint.paintMaterial));
    }
    EXPECT_NE(Face(0).material, shared);
    EXPECT_EQ(Face(4).material, material4);
    EXPECT_EQ(Face(5).material, material5);
    EXPECT_EQ(OwnRecord(0), paint.currentPaintRecord.get());

    // Undone and redone whole.
    const MeshContents painted = mesh->GetContents();
    ASSERT_TRUE(scene.History().Undo());
    for (int f = 0; f < 4; ++f)
        EXPECT_EQ(Face(f).material, shared);
    ASSERT_TRUE(scene.History().Redo());
    EXPECT_EQ(mesh->GetContents().faces, painted.faces);
}

TEST_F(PaintingTest, PickingUpAFaceThenPaintingReproducesIt)
{
    PaintFaceStep(0);
    const FaceAttributes source = Face(0);
    const MaterialRecord sourceRecord = *OwnRecord(0);

    PaintState other;
    other.paintMaterial.diffuse[0] = 0.0f;
    other.paintMaterial.power = 1.0f;
    ASSERT_TRUE(PickUpMaterial(other, *mesh, 0));
    EXPECT_TRUE(other.freshRecord);
    ASSERT_TRUE(PaintFace(scene, other, mesh, 3));
    EXPECT_EQ(Face(3).color, source.color);
    EXPECT_FLOAT_EQ(Face(3).material->GetPower(), source.material->GetPower());
    EXPECT_EQ(Face(3).material->GetSpecular().x, source.material->GetSpecular().x);
    EXPECT_TRUE(SamePaintValues(*OwnRecord(3), sourceRecord));
    EXPECT_NE(OwnRecord(3), OwnRecord(0)) << "picking up makes the next paint fresh";
}

TEST_F(PaintingTest, PickingUpHandsOnlyARealWrapToTheWrapPresets)
{
    int handed = 0;
    paint.pickUpWrap = [&](const MeshRecord&) { ++handed; };
    MeshRecord* record = RecordOf(mesh.get());
    ASSERT_TRUE(PickUpMaterial(paint, *mesh, 0));
    EXPECT_EQ(handed, 0) << "no wrap laid";
    record->wrap = {0, 0, 0, 0, 0, 1, 0, 1, 0, 0, 0, 1, 1};
    ASSERT_TRUE(PickUpMaterial(paint, *mesh, 0));
    EXPECT_EQ(handed, 1);
    EXPECT_FALSE(PickUpMaterial(paint, *mesh, 6)) << "a face that is not there";
}

TEST_F(PaintingTest, PaintingAnObjectLaysTheWrapOnlyWithTheMapSwitch)
{
    int laid = 0;
    paint.layWrap = [&](const FramePtr& frame, const MeshBuilderPtr& m) {
        EXPECT_EQ(frame, cube);
        EXPECT_EQ(m, mesh);
        ++laid;
    };
    ASSERT_TRUE(PaintObject(scene, paint, cube, mesh, 0));
    paint.mapSwitch = false;
    ASSERT_TRUE(PaintObject(scene, paint, cube, mesh, 0));
    EXPECT_EQ(laid, 1);
}

TEST_F(PaintingTest, EveryPaintIsOneStepUndoneAndRedone)
{
    struct Case {
        const char* name;
        std::function<bool()> paintIt;
    };
    const Case cases[] = {
        {"face", [&] { return PaintFace(scene, paint, mesh, 2); }},
        {"object", [&] { return PaintObject(scene, paint, cube, mesh, 2); }},
        {"matching", [&] { return RepaintMatchingFaces(scene, paint, mesh, 2) == 6; }},
    };
    Image image{1, 1, std::vector<uint8_t>(4, 90)};
    paint.paintTexture = Texture::FromImage(image, "dot.bmp");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        mesh->SetMaterial(shared);
        mesh->SetTexture(nullptr);
        mesh->SetColor(0xFF808080);
        scene.History().Clear();
        const MeshContents before = mesh->GetContents();
        ASSERT_TRUE(c.paintIt());
        EXPECT_EQ(scene.History().UndoCount(), 1u);
        const MeshContents after = mesh->GetContents();
        EXPECT_NE(after.faces, before.faces);
        ASSERT_TRUE(scene.History().Undo());
        EXPECT_EQ(mesh->GetContents().faces, before.faces);
        EXPECT_EQ(mesh->GetColor(), before.color);
        ASSERT_TRUE(scene.History().Redo());
        EXPECT_EQ(mesh->GetContents().faces, after.faces);
        EXPECT_EQ(RecordOf(mesh->GetFaceAttributes(2)->material.get()), paint.currentPaintRecord.get());
    }
}

TEST_F(PaintingTest, APaintStepOnFacesThatLookAlikeKeepsLittle)
{
    // A strip of 20,000 triangles sharing one material.
    MeshBuilderPtr strip = MeshBuilder::Create();
    for (int i = 0; i < 10002; ++i)
        strip->AddVertex({static_cast<float>(i / 2), static_cast<float>(i % 2), 0});
    for (int i = 0; i < 10000; ++i) {
        const int a[3] = {i, i + 1, i + 2};
        strip->AddFace(a);
    }
    strip->SetMaterial(shared);
    scene.History().Clear();
    EXPECT_EQ(RepaintMatchingFaces(scene, paint, strip, 0), 10000);
    ASSERT_TRUE(PaintFace(scene, paint, strip, 5000));
    EXPECT_EQ(scene.History().UndoCount(), 2u);
    EXPECT_LT(scene.History().Bytes(), 4096u) << "runs of alike faces, not a copy of every face";
    ASSERT_TRUE(scene.History().Undo());
    ASSERT_TRUE(scene.History().Undo());
    for (int f : {0, 5000, 9999})
        EXPECT_EQ(strip->GetFaceAttributes(f)->material, shared) << f;
}

TEST_F(PaintingTest, BadFacesAndMissingMeshesPaintNothing)
{
    EXPECT_FALSE(PaintFace(scene, paint, mesh, 6));
    EXPECT_FALSE(PaintFace(scene, paint, nullptr, 0));
    EXPECT_FALSE(PaintObject(scene, paint, cube, mesh, -1));
    EXPECT_EQ(RepaintMatchingFaces(scene, paint, mesh, 99), 0);
    EXPECT_EQ(scene.History().UndoCount(), 0u);
    EXPECT_TRUE(paint.freshRecord) << "no record made";
}

} // namespace
} // namespace corvid::testing
