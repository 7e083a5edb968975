// A scene with nested groups, several textured materials and a light of each
// kind exported and imported again: every face comes back with its corners
// where they were and in their order, every material with its values and
// picture, every light where it was and as it was. The format keeps world
// coordinates, so the hierarchy comes back flattened under SCENE.

#include "files/vrml/VrmlFixture.h"

#include "files/FileIo.h"
#include "platform/Light.h"
#include "platform/Texture.h"

#include <map>

namespace corvid::testing {
namespace {

void ExpectSameFaces(const std::vector<FaceCorners>& expected, const std::vector<FaceCorners>& actual)
{
    ASSERT_EQ(actual.size(), expected.size());
    for (size_t f = 0; f < expected.size(); ++f) {
        ASSERT_EQ(actual[f].size(), expected[f].size()) << "face " << f;
        for (size_t c = 0; c < expected[f].size(); ++c)
            EXPECT_TRUE(NearlyEqual(actual[f][c], expected[f][c], 1e-4f))
                << "face " << f << " corner " << c << ": " << actual[f][c].x << " " << actual[f][c].y << " "
                << actual[f][c].z << " instead of " << expected[f][c].x << " " << expected[f][c].y << " "
                << expected[f][c].z;
    }
}

class VrmlRoundTripTest : public ::testing::Test {
protected:
    VrmlRoundTripTest() { setenv("XDG_CACHE_HOME", cache.Path().c_str(), 1); }

    struct Built {
        FramePtr house, plate;
        std::vector<MaterialPtr> materials;
        std::vector<FramePtr> lights;
    };

    // Two groups, one inside the other, turned and moved; a mesh with two
    // textured materials inside the inner one; a plainly coloured mesh with
    // an unnamed material at the top; a light of each kind.
    Built BuildScene(Workspace& ws)
    {
        SceneModel& s = ws.scene;
        Built b;
        FramePtr outer = MakeGroup(s, "Outer", nullptr);
        outer->AddRotation(Combine::Replace, {0.3f, 1.0f, 0.2f}, 0.7f);
        outer->AddTranslation(Combine::After, {3, -2, 5});
        FramePtr inner = MakeGroup(s, "Inner", outer);
        inner->AddScale(Combine::Replace, {1.5f, 1.5f, 1.5f});
        inner->AddTranslation(Combine::After, {-1, 0.5f, 2});

        WriteBitmap(source.File("brick wall.bmp"), 16, 200);
        WriteBitmap(source.File("wood.bmp"), 8, 20);
        MaterialPtr brick = MakeMaterial(s, "Brick", {0.75f, 0.25f, 0.125f}, 100.0f, 0.25f);
        RecordOf(brick.get())->textureName = "brick wall.bmp";
        RecordOf(brick.get())->textureFile = source.File("brick wall.bmp");
        MaterialPtr wood = MakeMaterial(s, "Wood", {0.5f, 0.375f, 0.25f}, 37.5f, 1.0f);
        RecordOf(wood.get())->textureName = "wood.bmp";
        RecordOf(wood.get())->textureFile = source.File("wood.bmp");
        MaterialPtr plain = MakeMaterial(s, "", {0.0625f, 0.5f, 1.0f}, 12.0f, 0.5f);
        b.materials = {brick, wood, plain};

        // A house: a box with a roof, quads, triangles and a pentagon.
        const std::vector<Vec3> house = {{0, 0, 0}, {2, 0, 0}, {2, 0, 2}, {0, 0, 2}, {0, 1, 0},
                                         {2, 1, 0}, {2, 1, 2}, {0, 1, 2}, {1, 2, 0}, {1, 2, 2}};
        const std::vector<std::vector<int>> houseFaces = {{0, 1, 2, 3}, {0, 4, 8, 5, 1}, {3, 2, 6, 9, 7},
                                                          {1, 5, 6, 2}, {0, 3, 7, 4},    {4, 7, 9, 8},
                                                          {5, 8, 9},    {8, 9, 6, 5}};
        b.house = MakeMeshObject(s, "House", inner, house, houseFaces, {brick, wood});
        b.house->AddRotation(Combine::Replace, {0, 0, 1}, 0.25f);
        b.house->AddTranslation(Combine::After, {0.5f, 0.25f, -1});
        b.plate = MakeMeshObject(s, "Plate", nullptr, {{-1, 0, -1}, {1, 0, -1}, {1, 0, 1}, {-1, 0, 1}},
                                 {{0, 1, 2}, {0, 2, 3}}, {plain});
        b.plate->SetPosition(s.Scene().get(), {-4, 0.5f, 7});

        LightToolParameters parameters;
        parameters.color = {1.0f, 0.5f, 0.25f, 1};
        parameters.range = 12;
        parameters.umbra = 0.5f;
        parameters.penumbra = 0.8f;
        parameters.constant = 0.5f;
        parameters.linear = 0.25f;
        parameters.quadratic = 0.125f;
        s.insertionPoint = {1, 4, -2};
        for (LightType type : {LightType::Point, LightType::Spot, LightType::Directional}) {
            FramePtr light = s.CreateLight(type, parameters);
            s.RegisterObject(light);
            s.RegisterLight(light->GetLights()[0]);
            inner->AddChild(light);
            light->SetOrientation(s.Scene().get(), {0.25f, -1, 0.5f}, {0, 0, 1});
            b.lights.push_back(light);
            s.insertionPoint.x += 2;
        }
        return b;
    }

    TempFolder source, target, cache;
};

TEST_F(VrmlRoundTripTest, FacesMaterialsAndLightsComeBackAsTheyWere)
{
    Workspace first;
    const Built built = BuildScene(first);
    Document doc = first.doc();
    const std::string path = target.File("world.wrl");
    ASSERT_TRUE(ExportVrml(doc, path, {}));
    EXPECT_TRUE(first.ui.messages.empty());
    EXPECT_EQ(first.ui.statusLines.back(), kVrmlWritten);
    // The pictures went beside the file, blanks in the name and all.
    EXPECT_TRUE(std::filesystem::exists(target.File("brick wall.bmp")));
    EXPECT_TRUE(std::filesystem::exists(target.File("wood.bmp")));
    // The unnamed material is named in the scene as in the file.
    EXPECT_EQ(RecordOf(built.materials[2].get())->name,
              "MATERIALCVD_" + std::to_string(RecordOf(built.materials[2].get())->id));

    Workspace second;
    Document doc2 = second.doc();
    ImportOptions options;
    options.winding = 1;  // the dialog's default for the type
    ASSERT_TRUE(ImportVrml(doc2, path, options));
    EXPECT_TRUE(second.ui.messages.empty()) << second.ui.messages.front();

    // One object per material of each mesh, in the order written, all at
    // the top: the house's two materials, then the plate's.
    const std::vector<FramePtr> objects = TopObjects(second.scene, kObject);
    ASSERT_EQ(objects.size(), 3u);
    const std::vector<std::pair<FramePtr, MaterialPtr>> shapes = {
        {built.house, built.materials[0]}, {built.house, built.materials[1]}, {built.plate, built.materials[2]}};
    for (size_t i = 0; i < shapes.size(); ++i) {
        SCOPED_TRACE("shape " + std::to_string(i));
        const auto& [frame, material] = shapes[i];
        std::vector<FaceCorners> expected =
            FacesOf(first.scene, *frame, *frame->GetVisuals()[0], material.get());
        // Read with the reversed winding, the faces come last to first and
        // each with its corners as the exporter found them.
        std::reverse(expected.begin(), expected.end());
        const MeshBuilder& mesh = *objects[i]->GetVisuals()[0];
        ExpectSameFaces(expected, FacesOf(second.scene, *objects[i], mesh));

        const MaterialRecord& was = *RecordOf(material.get());
        ASSERT_TRUE(mesh.GetMaterial());
        const MaterialRecord& is = *RecordOf(mesh.GetMaterial().get());
        for (int c = 0; c < 3; ++c) {
            EXPECT_NEAR(is.diffuse[c], was.diffuse[c], 1e-5f);
            EXPECT_NEAR(is.specular[c], was.specular[c], 1e-5f);
            EXPECT_NEAR(is.emissive[c], was.emissive[c], 1e-5f);
        }
        EXPECT_NEAR(is.power, was.power, 1e-4f);
        EXPECT_NEAR(mesh.GetMaterial()->GetPower(), was.power, 1e-4f);
        EXPECT_NEAR(is.alpha, was.alpha, 1e-5f);
        EXPECT_EQ(is.textureName, was.textureName);
        EXPECT_EQ(mesh.GetTexture() != nullptr, !was.textureName.empty());
    }
    // The texture coordinates of the textured shapes came along.
    {
        const MeshBuilder& original = *built.house->GetVisuals()[0];
        const MeshBuilder& read = *objects[0]->GetVisuals()[0];
        const int firstFace = read.GetFaceCount() - 1;  // the house's face 0, reversed back
        for (int c = 0; c < read.GetFaceVertexCount(firstFace); ++c) {
            float u0, v0, u1, v1;
            original.GetTextureCoordinates(original.GetFaceVertexIndex(0, c), u0, v0);
            read.GetTextureCoordinates(read.GetFaceVertexIndex(firstFace, c), u1, v1);
            EXPECT_NEAR(u1, u0, 1e-5f);
            EXPECT_NEAR(v1, v0, 1e-5f);
        }
    }

    // The lights, by kind.
    const std::vector<FramePtr> lights = TopObjects(second.scene, kLight);
    ASSERT_EQ(lights.size(), built.lights.size());
    for (size_t i = 0; i < lights.size(); ++i) {
        SCOPED_TRACE("light " + std::to_string(i));
        const Light& was = *built.lights[i]->GetLights()[0];
        ASSERT_EQ(lights[i]->GetLights().size(), 1u);
        const Light& is = *lights[i]->GetLights()[0];
        EXPECT_EQ(is.GetType(), was.GetType());
        EXPECT_EQ(is.GetColor(), was.GetColor());
        const Frame* scene = second.scene.Scene().get();
        if (was.GetType() != LightType::Directional) {
            EXPECT_TRUE(NearlyEqual(lights[i]->GetPosition(scene),
                                    built.lights[i]->GetPosition(first.scene.Scene().get()), 1e-4f));
        }
        if (was.GetType() != LightType::Point) {
            Vec3 d0, u0, d1, u1;
            built.lights[i]->GetOrientation(first.scene.Scene().get(), d0, u0);
            lights[i]->GetOrientation(scene, d1, u1);
            EXPECT_TRUE(NearlyEqual(d1, d0, 1e-4f));
        }
        if (was.GetType() != LightType::Directional) {
            EXPECT_FLOAT_EQ(is.GetConstantAttenuation(), was.GetConstantAttenuation());
            EXPECT_FLOAT_EQ(is.GetLinearAttenuation(), was.GetLinearAttenuation());
            EXPECT_FLOAT_EQ(is.GetQuadraticAttenuation(), was.GetQuadraticAttenuation());
            EXPECT_FLOAT_EQ(is.GetRange(), was.GetRange());
        }
        if (was.GetType() == LightType::Spot) {
            EXPECT_FLOAT_EQ(is.GetUmbra(), 0.5f);
            EXPECT_FLOAT_EQ(is.GetPenumbra(), 0.8f);
        }
    }
    // Each light has its menu entry, as the program's own lights have.
    EXPECT_EQ(second.ui.lightEntries.size(), 3u);

}

TEST_F(VrmlRoundTripTest, KeptWindingReversesTheCornersOfEveryFace)
{
    Workspace first;
    const Built built = BuildScene(first);
    Document doc = first.doc();
    const std::string path = target.File("world.wrl");
    ASSERT_TRUE(ExportVrml(doc, path, {}));

    Workspace second;
    Document doc2 = second.doc();
    ImportOptions options;
    options.winding = 0;
    ASSERT_TRUE(ImportVrml(doc2, path, options));
    const std::vector<FramePtr> objects = TopObjects(second.scene, kObject);
    ASSERT_EQ(objects.size(), 3u);
    std::vector<FaceCorners> expected =
        FacesOf(first.scene, *built.plate, *built.plate->GetVisuals()[0]);
    for (FaceCorners& face : expected)
        std::reverse(face.begin(), face.end());
    ExpectSameFaces(expected, FacesOf(second.scene, *objects[2], *objects[2]->GetVisuals()[0]));
}

TEST_F(VrmlRoundTripTest, ScaleAppliesToPointsAndLights)
{
    Workspace first;
    const Built built = BuildScene(first);
    Document doc = first.doc();
    const std::string text = WriteVrmlText(doc, {}, target.File("w.wrl"), {.copyFiles = false});

    Workspace second;
    ImportOptions options;
    options.winding = 1;
    options.scale = 2.0f;
    ASSERT_TRUE(ReadText(second, text, options));
    const std::vector<FramePtr> objects = TopObjects(second.scene, kObject);
    ASSERT_EQ(objects.size(), 3u);
    std::vector<FaceCorners> expected = FacesOf(first.scene, *built.plate, *built.plate->GetVisuals()[0]);
    std::reverse(expected.begin(), expected.end());
    for (FaceCorners& face : expected)
        for (Vec3& p : face)
            p = p * 2.0f;
    ExpectSameFaces(expected, FacesOf(second.scene, *objects[2], *objects[2]->GetVisuals()[0]));
    const std::vector<FramePtr> lights = TopObjects(second.scene, kLight);
    ASSERT_EQ(lights.size(), 3u);
    EXPECT_TRUE(NearlyEqual(lights[0]->GetPosition(second.scene.Scene().get()),
                            built.lights[0]->GetPosition(first.scene.Scene().get()) * 2.0f, 1e-4f));
}

} // namespace
} // namespace corvid::testing
