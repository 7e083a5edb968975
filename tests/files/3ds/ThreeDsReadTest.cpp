// What the 3DS reader makes of hand-made files: points, faces and winding,
// mesh matrices, materials and their textures, lights, the keyframer's
// hierarchy and pose, and the options that leave parts out.

#include "files/3ds/ThreeDsHand.h"
#include "files/3ds/ThreeDsScenes.h"

#include "files/3ds/ThreeDsFile.h"
#include "files/FileIo.h"
#include "files/ImportPipeline.h"
#include "platform/Texture.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>

namespace corvid::testing {
namespace {

using Part = std::function<void(Hand3ds&)>;

// A file with materials, then one triangle object "Tri" with the points
// (1, 2, 3), (4, 5, 6), (7, 8, 9), what extra adds before its face array,
// the faces and what groups adds inside the face array, then after.
std::vector<uint8_t> MeshFile(const Part& materials, const Part& extra, std::initializer_list<uint16_t> faces,
                              const Part& groups, const Part& after = {}, uint16_t main = 0x4D4D)
{
    Hand3ds h;
    h.begin(main).begin(0x3D3D);
    if (materials)
        materials(h);
    h.begin(0x4000).str("Tri").begin(0x4100);
    h.points({1, 2, 3, 4, 5, 6, 7, 8, 9});
    if (extra)
        extra(h);
    h.faces(faces);
    if (groups)
        groups(h);
    h.end().end().end();
    h.end();
    if (after)
        after(h);
    h.end();
    return h.bytes;
}

std::vector<uint8_t> PlainTriangle(uint16_t flags = 0)
{
    return MeshFile({}, {}, {0, 1, 2, flags}, {});
}

// Every object frame below SCENE with its record's name.
FramePtr Find(SceneModel& scene, const std::string& name)
{
    std::vector<FramePtr> stack{scene.Scene()};
    while (!stack.empty()) {
        FramePtr f = stack.back();
        stack.pop_back();
        if (const ObjectRecord* r = RecordOf(f.get()); r && r->name == name && f != scene.Scene())
            return f;
        for (const FramePtr& c : f->GetChildren())
            stack.push_back(c);
    }
    return nullptr;
}

Vec3 WorldVertex(SceneModel& scene, const FramePtr& frame, int i)
{
    Vec3 v;
    frame->GetVisuals()[0]->GetVertex(i, v);
    return frame->GetTransform(scene.Scene().get()).TransformPoint(v);
}

class ThreeDsReadTest : public ::testing::Test {
protected:
    ThreeDsReadTest() { setenv("XDG_CACHE_HOME", cache.Path().c_str(), 1); }

    bool Read(const std::vector<uint8_t>& bytes, const ImportOptions& options = {})
    {
        Document doc = ws.doc();
        return Read3dsBytes(doc, bytes.data(), bytes.size(), options, folder.Path());
    }
    const MeshBuilder& Mesh(const std::string& name = "Tri")
    {
        FramePtr frame = Find(ws.scene, name);
        EXPECT_TRUE(frame) << name;
        return *frame->GetVisuals()[0];
    }

    Workspace ws;
    TempFolder folder, cache;
};

TEST_F(ThreeDsReadTest, PointsBecomeVerticesWithTheAxesExchangedAndScaled)
{
    ASSERT_TRUE(Read(PlainTriangle()));
    Vec3 v;
    Mesh().GetVertex(0, v);
    EXPECT_EQ(v, (Vec3{1, 3, 2}));

    Workspace scaled;
    Document doc = scaled.doc();
    ImportOptions options;
    options.scale = 2;
    const auto bytes = PlainTriangle();
    ASSERT_TRUE(Read3dsBytes(doc, bytes.data(), bytes.size(), options, folder.Path()));
    Find(scaled.scene, "Tri")->GetVisuals()[0]->GetVertex(0, v);
    EXPECT_EQ(v, (Vec3{2, 6, 4}));
    // The objects hang under SCENE; the import's base frame holds nothing.
    EXPECT_EQ(Find(scaled.scene, "Tri")->GetParent(), scaled.scene.Scene().get());
    EXPECT_TRUE(Find(scaled.scene, "BaseFrame"));
}

TEST_F(ThreeDsReadTest, WindingAndWrapFlagsShapeTheFaces)
{
    ASSERT_TRUE(Read(MeshFile({}, {}, {0, 1, 2, 0x0008, 0, 2, 1, 0x0018}, {})));
    const MeshBuilder& kept = Mesh();
    EXPECT_EQ(kept.GetFaceVertexIndex(0, 1), 1);
    EXPECT_EQ(kept.GetFaceVertexIndex(0, 2), 2);
    EXPECT_TRUE(kept.GetFaceAttributes(0)->wrapU);
    EXPECT_FALSE(kept.GetFaceAttributes(0)->wrapV);
    EXPECT_TRUE(kept.GetFaceAttributes(1)->wrapU);
    EXPECT_TRUE(kept.GetFaceAttributes(1)->wrapV);
    // Every corner's normal shares its vertex's index.
    EXPECT_EQ(kept.GetFaceNormalIndex(0, 2), 2);

    Workspace reversed;
    Document doc = reversed.doc();
    ImportOptions options;
    options.winding = 1;
    const auto bytes = PlainTriangle();
    ASSERT_TRUE(Read3dsBytes(doc, bytes.data(), bytes.size(), options, folder.Path()));
    const MeshBuilder& mesh = *Find(reversed.scene, "Tri")->GetVisuals()[0];
    EXPECT_EQ(mesh.GetFaceVertexIndex(0, 0), 0);
    EXPECT_EQ(mesh.GetFaceVertexIndex(0, 1), 2);
    EXPECT_EQ(mesh.GetFaceVertexIndex(0, 2), 1);
}

TEST_F(ThreeDsReadTest, AProjectFileReadsLikeA3dsFile)
{
    const auto texture = [](Hand3ds& h) { h.begin(0x4140).u16(3).f32s({0.5f, 0.25f, 1, 0, 0, 1}).end(); };
    ASSERT_TRUE(Read(MeshFile({}, texture, {0, 1, 2, 0}, {}, {}, 0xC23D)));
    Workspace other;
    Document doc = other.doc();
    const auto bytes = MeshFile({}, texture, {0, 1, 2, 0}, {});
    ASSERT_TRUE(Read3dsBytes(doc, bytes.data(), bytes.size(), {}, folder.Path()));
    const MeshBuilder& a = Mesh();
    const MeshBuilder& b = *Find(other.scene, "Tri")->GetVisuals()[0];
    EXPECT_EQ(a.GetVertices(), b.GetVertices());
    EXPECT_EQ(a.GetTextureCoordinateList(), b.GetTextureCoordinateList());
    // v is turned over.
    float u = 0, v = 0;
    a.GetTextureCoordinates(0, u, v);
    EXPECT_EQ(u, 0.5f);
    EXPECT_EQ(v, -0.25f);
}

TEST_F(ThreeDsReadTest, TheMeshMatrixPlacesTheFrameAndKeepsThePointsWhereTheyAre)
{
    const auto matrix = [](Hand3ds& h) { h.begin(0x4160).f32s({2, 0, 0, 0, 2, 0, 0, 0, 2, 10, 20, 30}).end(); };
    ASSERT_TRUE(Read(MeshFile({}, matrix, {0, 1, 2, 0}, {})));
    const FramePtr frame = Find(ws.scene, "Tri");
    // The frame takes the origin (axes exchanged, times the scale of 2) but
    // not the scale, which stays in the points.
    EXPECT_TRUE(NearlyEqual(frame->GetPosition(ws.scene.Scene().get()), {20, 60, 40}, 1e-4f));
    EXPECT_TRUE(NearlyEqual(WorldVertex(ws.scene, frame, 1), {4, 6, 5}, 1e-4f));

    // Scale to viewport scales the mesh by the matrix's scale.
    Workspace scaled;
    Document doc = scaled.doc();
    ImportOptions options;
    options.scaleToViewport = true;
    const auto bytes = MeshFile({}, matrix, {0, 1, 2, 0}, {});
    ASSERT_TRUE(Read3dsBytes(doc, bytes.data(), bytes.size(), options, folder.Path()));
    const FramePtr big = Find(scaled.scene, "Tri");
    const Vec3 a = WorldVertex(scaled.scene, big, 0), b = WorldVertex(scaled.scene, big, 1);
    EXPECT_NEAR(Length(b - a), 2 * Length(Vec3{3, 3, 3}), 1e-3f);
}

// A material entry with the colours, percentages and map given.
Part Material(const std::string& name, uint16_t shininess, uint16_t transparency, const std::string& map = {})
{
    return [=](Hand3ds& h) {
        h.begin(0xAFFF);
        h.begin(0xA000).str(name).end();
        h.colorF(0xA010, 0.1f, 0.2f, 0.3f);
        h.begin(0xA020).begin(0x0011).u8(255).u8(128).u8(0).end().end();
        h.colorF(0xA030, 0.5f, 0.5f, 0.5f);
        h.percent(0xA040, shininess);
        h.percent(0xA050, transparency);
        h.begin(0xA100).u16(3).end();
        if (!map.empty()) {
            h.begin(0xA200).begin(0x0030).u16(100).end();
            h.begin(0xA300).str(map).end();
            h.begin(0xA351).u16(0).end();
            h.end();
        }
        h.end();
    };
}

Part Group(const std::string& material, std::initializer_list<uint16_t> faces)
{
    return [=](Hand3ds& h) {
        h.begin(0x4130).str(material).u16(static_cast<uint16_t>(faces.size()));
        for (uint16_t f : faces)
            h.u16(f);
        h.end();
    };
}

TEST_F(ThreeDsReadTest, MaterialsGiveFacesTheirColourPowerAndAlpha)
{
    const auto materials = [](Hand3ds& h) {
        Material("Glass", 30, 100)(h);
        Material("Solid", 0, 0)(h);
    };
    const auto groups = [](Hand3ds& h) {
        Group("Glass", {0})(h);
        Group("Solid", {1})(h);
        Group("Nowhere", {2})(h);
    };
    ASSERT_TRUE(Read(MeshFile(materials, {}, {0, 1, 2, 0, 0, 2, 1, 0, 1, 2, 0, 0}, groups)));
    EXPECT_TRUE(ws.ui.messages.empty());
    const MeshBuilder& mesh = Mesh();
    const MaterialRecord& glass = *RecordOf(mesh.GetFaceAttributes(0)->material.get());
    EXPECT_EQ(glass.name, "Glass");
    EXPECT_FLOAT_EQ(glass.power, 70.0f);
    EXPECT_FLOAT_EQ(glass.alpha, 0.0f);
    EXPECT_EQ(mesh.GetFaceAttributes(0)->color >> 24, 0u);
    EXPECT_EQ(mesh.GetFaceAttributes(0)->color & 0xFFFFFF, 0xFF8000u);
    EXPECT_NEAR(glass.diffuse[1], 128 / 255.0f, 1e-6f);
    EXPECT_FLOAT_EQ(glass.ambient[2], 0.3f);
    EXPECT_FLOAT_EQ(glass.specular[0], 0.5f);
    EXPECT_FLOAT_EQ(mesh.GetFaceAttributes(0)->material->GetPower(), 70.0f);

    const MaterialRecord& solid = *RecordOf(mesh.GetFaceAttributes(1)->material.get());
    EXPECT_FLOAT_EQ(solid.alpha, 1.0f);
    EXPECT_EQ(mesh.GetFaceAttributes(1)->color >> 24, 255u);
    EXPECT_FLOAT_EQ(solid.power, 100.0f);

    // An unknown material leaves the default.
    EXPECT_EQ(mesh.GetFaceAttributes(2)->color, 0xFFCCCCCCu);
    const MaterialRecord& plain = *RecordOf(mesh.GetFaceAttributes(2)->material.get());
    EXPECT_TRUE(plain.name.empty());
    EXPECT_FLOAT_EQ(plain.power, 100.0f);
    EXPECT_NE(std::find(ws.ui.statusLines.begin(), ws.ui.statusLines.end(), kThreeDsAddingMaterial),
              ws.ui.statusLines.end());
}

TEST_F(ThreeDsReadTest, PercentagesAreHeldToTheirRange)
{
    const auto materials = [](Hand3ds& h) {
        h.begin(0xAFFF).begin(0xA000).str("Over").end();
        h.begin(0xA050).begin(0x0031).f32(250).end().end();
        h.begin(0xA040).begin(0x0031).f32(-40).end().end();
        h.end();
    };
    ASSERT_TRUE(Read(MeshFile(materials, {}, {0, 1, 2, 0}, Group("Over", {0}))));
    const MaterialRecord& r = *RecordOf(Mesh().GetFaceAttributes(0)->material.get());
    EXPECT_FLOAT_EQ(r.alpha, 0.0f);
    EXPECT_FLOAT_EQ(r.power, 100.0f);
}

TEST_F(ThreeDsReadTest, ACelMapIsLookedForAsABitmapBesideTheFile)
{
    WriteBitmap(folder.File("wall.bmp"), 16, 100);
    ASSERT_TRUE(Read(MeshFile(Material("Wall", 0, 0, "Wall.CEL"), {}, {0, 1, 2, 0}, Group("Wall", {0}))));
    EXPECT_TRUE(ws.ui.messages.empty()) << ws.ui.messages.front();
    const FaceAttributes& face = *Mesh().GetFaceAttributes(0);
    ASSERT_TRUE(face.texture);
    EXPECT_EQ(face.texture->GetShades(), 9);
    EXPECT_EQ(RecordOf(face.material.get())->textureName, "wall.bmp");
    EXPECT_TRUE(Mesh().GetPerspective());
    EXPECT_NE(std::find(ws.ui.statusLines.begin(), ws.ui.statusLines.end(), kThreeDsCheckingCel),
              ws.ui.statusLines.end());

    // A map that is not there is named in a message; the object keeps its
    // material colour.
    Workspace missing;
    Document doc = missing.doc();
    const auto bytes = MeshFile(Material("Gone", 0, 0, "gone.tga"), {}, {0, 1, 2, 0}, Group("Gone", {0}));
    ASSERT_TRUE(Read3dsBytes(doc, bytes.data(), bytes.size(), {}, folder.Path()));
    ASSERT_EQ(missing.ui.messages.size(), 1u);
    EXPECT_EQ(missing.ui.messages[0], "Texture " + folder.Path() + "/gone.tga\n Not in the working directory.\n ");
    const FaceAttributes& gone = *Find(missing.scene, "Tri")->GetVisuals()[0]->GetFaceAttributes(0);
    EXPECT_FALSE(gone.texture);
    EXPECT_EQ(gone.color & 0xFFFFFF, 0xFF8000u);

    // A map name with a path never reaches another folder.
    Workspace escaping;
    Document doc2 = escaping.doc();
    WriteBitmap(cache.File("secret.bmp"), 16, 1);
    const auto path = MeshFile(Material("Out", 0, 0, "../" + std::filesystem::path(cache.Path()).filename().string() + "/secret.bmp"),
                               {}, {0, 1, 2, 0}, Group("Out", {0}));
    ASSERT_TRUE(Read3dsBytes(doc2, path.data(), path.size(), {}, folder.Path()));
    EXPECT_FALSE(Find(escaping.scene, "Tri")->GetVisuals()[0]->GetFaceAttributes(0)->texture);
}

TEST_F(ThreeDsReadTest, OptionsLeaveMaterialsTexturesAndLightsOut)
{
    WriteBitmap(folder.File("wall.bmp"), 16, 100);
    const auto light = [](Hand3ds& h) {
        h.begin(0x3D3D).begin(0x4000).str("Lamp").begin(0x4600).f32s({0, 5, 0}).colorF(0x0010, 1, 1, 1).end().end().end();
    };
    const auto bytes = MeshFile(Material("Wall", 0, 0, "wall.bmp"), {}, {0, 1, 2, 0}, Group("Wall", {0}), light);
    ImportOptions noTextures;
    noTextures.addTextures = false;
    ASSERT_TRUE(Read(bytes, noTextures));
    EXPECT_FALSE(Mesh().GetFaceAttributes(0)->texture);
    EXPECT_EQ(RecordOf(Mesh().GetFaceAttributes(0)->material.get())->name, "Wall");
    EXPECT_TRUE(Find(ws.scene, "Lamp"));

    Workspace bare;
    Document doc = bare.doc();
    ImportOptions nothing;
    nothing.addMaterials = false;
    nothing.addLights = false;
    ASSERT_TRUE(Read3dsBytes(doc, bytes.data(), bytes.size(), nothing, folder.Path()));
    EXPECT_EQ(Find(bare.scene, "Tri")->GetVisuals()[0]->GetFaceAttributes(0)->color, 0xFFCCCCCCu);
    EXPECT_FALSE(Find(bare.scene, "Lamp"));
    EXPECT_EQ(bare.scene.LightCount(), 0);
}

// A file with one light object "Lamp" at (1, 2, 3) holding body.
std::vector<uint8_t> LightFile(const Part& body)
{
    Hand3ds h;
    h.begin(0x4D4D).begin(0x3D3D).begin(0x4000).str("Lamp").begin(0x4600).f32s({1, 2, 3});
    if (body)
        body(h);
    h.end().end().end().end();
    return h.bytes;
}

TEST_F(ThreeDsReadTest, LightsAreOmniOrSpotWithTheirConeAndAim)
{
    ASSERT_TRUE(Read(LightFile([](Hand3ds& h) {
        h.begin(0x0010).f32s({1, 0.5f, 0.25f}).end();
        h.begin(0x4610).f32s({1, 2, 13, 30, 60}).begin(0x4656).f32(0).end().end();
        h.begin(0x465A).f32(75).end();
    })));
    const FramePtr spot = Find(ws.scene, "Lamp");
    ASSERT_TRUE(spot);
    const Light& light = *spot->GetLights()[0];
    EXPECT_EQ(light.GetType(), LightType::Spot);
    EXPECT_NEAR(light.GetUmbra(), 0.5f, 1e-6f);
    EXPECT_NEAR(light.GetPenumbra(), 1.0f, 1e-6f);
    EXPECT_FLOAT_EQ(light.GetRange(), 75.0f);
    EXPECT_EQ(light.GetColor(), (ColorRGBA{1, 0.5f, 0.25f, 1}));
    EXPECT_TRUE(NearlyEqual(spot->GetPosition(ws.scene.Scene().get()), {1, 3, 2}));
    Vec3 direction, up;
    spot->GetOrientation(ws.scene.Scene().get(), direction, up);
    EXPECT_TRUE(NearlyEqual(direction, {0, 1, 0}, 1e-5f));  // toward (1, 13, 2)
    EXPECT_EQ(ws.scene.LightCount(), 1);
    EXPECT_EQ(RecordOf(spot.get())->kind, kLight);
    EXPECT_EQ(ws.ui.statusLines[0], std::string(kThreeDsAddingLight) + "Lamp");

    // No sub-chunks: an omni light.
    Workspace plain;
    Document doc = plain.doc();
    const auto bytes = LightFile({});
    ASSERT_TRUE(Read3dsBytes(doc, bytes.data(), bytes.size(), {}, folder.Path()));
    EXPECT_EQ(Find(plain.scene, "Lamp")->GetLights()[0]->GetType(), LightType::Point);

    // A target on the light itself leaves the light as it was aimed.
    Workspace still;
    Document doc2 = still.doc();
    const auto same = LightFile([](Hand3ds& h) { h.begin(0x4610).f32s({1, 2, 3, 30, 60}).end(); });
    ASSERT_TRUE(Read3dsBytes(doc2, same.data(), same.size(), {}, folder.Path()));
    Find(still.scene, "Lamp")->GetOrientation(still.scene.Scene().get(), direction, up);
    EXPECT_EQ(direction, (Vec3{0, 0, 1}));
    EXPECT_EQ(up, (Vec3{0, 1, 0}));
}

// A keyframer node body: id, header with name and parent, and tracks when given.
void NodeChunk(Hand3ds& h, uint16_t tag, uint16_t id, const std::string& name, uint16_t parent,
               const Vec3* position = nullptr, const Vec3* pivot = nullptr)
{
    h.begin(tag).begin(0xB030).u16(id).end();
    h.begin(0xB010).str(name).u16(0x4070).u16(0).u16(parent).end();
    if (pivot)
        h.begin(0xB013).f32s({pivot->x, pivot->y, pivot->z}).end();
    if (position)
        h.begin(0xB020).u16(0x40).u16(0).u16(0).u16(0).u16(0).u32(1).u32(0).u16(0).f32s({position->x, position->y, position->z}).end();
    h.end();
}

TEST_F(ThreeDsReadTest, NodesWithoutGeometryBecomeGroupsThatTheirChildrenHangUnder)
{
    const auto keyframer = [](Hand3ds& h) {
        h.begin(0xB000);
        NodeChunk(h, 0xB002, 0, "Rig", 0xFFFF);
        NodeChunk(h, 0xB002, 1, "Tri", 0);
        h.end();
    };
    ASSERT_TRUE(Read(MeshFile({}, {}, {0, 1, 2, 0}, {}, keyframer)));
    const FramePtr rig = Find(ws.scene, "Rig");
    ASSERT_TRUE(rig);
    EXPECT_EQ(RecordOf(rig.get())->kind, kEmpty);
    const FramePtr tri = Find(ws.scene, "Tri");
    EXPECT_EQ(tri->GetParent(), rig.get());
    // Where the points were.
    EXPECT_TRUE(NearlyEqual(WorldVertex(ws.scene, tri, 2), {7, 9, 8}));
    // The Objects List shows it too.
    EXPECT_EQ(ws.ui.tree.at(RecordOf(tri.get())->treeItem).parent, RecordOf(rig.get())->treeItem);
}

TEST_F(ThreeDsReadTest, TheKeyframerPoseMovesAnObjectFromItsPivot)
{
    const Vec3 pivot{1, 2, 3}, at{10, 0, 0};
    const auto keyframer = [&](Hand3ds& h) {
        h.begin(0xB000);
        NodeChunk(h, 0xB002, 0, "Tri", 0xFFFF, &at, &pivot);
        h.end();
    };
    ASSERT_TRUE(Read(MeshFile({}, {}, {0, 1, 2, 0}, {}, keyframer)));
    const FramePtr tri = Find(ws.scene, "Tri");
    // The file's point (1, 2, 3) is the pivot, so it lands on the position (10, 0, 0).
    EXPECT_TRUE(NearlyEqual(WorldVertex(ws.scene, tri, 0), {10, 0, 0}, 1e-5f));
    EXPECT_TRUE(NearlyEqual(WorldVertex(ws.scene, tri, 1), {13, 3, 3}, 1e-5f));
}

TEST_F(ThreeDsReadTest, LongKeyframerChainsStopNestingAtABound)
{
    std::vector<uint8_t> bytes;
    {
        Hand3ds h;
        h.begin(0x4D4D).begin(0xB000);
        for (int i = 0; i < 2000; ++i)
            NodeChunk(h, 0xB002, static_cast<uint16_t>(i), "N" + std::to_string(i), i == 0 ? 0xFFFF : static_cast<uint16_t>(i - 1));
        h.end().end();
        bytes = h.bytes;
    }
    ASSERT_TRUE(Read(bytes));
    int depth = 0;
    for (const Frame* f = Find(ws.scene, "N1999").get(); f && f != ws.scene.Scene().get(); f = f->GetParent())
        ++depth;
    EXPECT_LE(depth, 65);
}

TEST_F(ThreeDsReadTest, NamesAreCutAt255Characters)
{
    Hand3ds h;
    const std::string name(300, 'n');
    h.begin(0x4D4D).begin(0x3D3D).begin(0x4000).str(name).begin(0x4100).points({0, 0, 0, 1, 0, 0, 0, 1, 0});
    h.faces({0, 1, 2, 0}).end().end().end().end().end();
    ASSERT_TRUE(Read(h.bytes));
    EXPECT_TRUE(Find(ws.scene, std::string(255, 'n')));
}

TEST_F(ThreeDsReadTest, ANullChunkEndsTheFileAsItsEndWould)
{
    // Zeros after the mesh data, inside the main chunk: the walk ends there.
    Hand3ds h;
    h.begin(0x4D4D).begin(0x3D3D).begin(0x4000).str("Tri").begin(0x4100).points({0, 0, 0, 1, 0, 0, 0, 1, 0});
    h.faces({0, 1, 2, 0}).end().end().end().end();
    for (int i = 0; i < 10; ++i)
        h.u8(0);
    h.begin(0x4000).str("Never").end();
    h.end();
    ASSERT_TRUE(Read(h.bytes));
    EXPECT_TRUE(ws.ui.messages.empty());
    EXPECT_TRUE(Find(ws.scene, "Tri"));
}

TEST_F(ThreeDsReadTest, TheStatusLinesFollowTheImport)
{
    ASSERT_TRUE(Read(PlainTriangle()));
    EXPECT_EQ(ws.ui.statusLines, (std::vector<std::string>{"Building object...Tri", kImportedSuccessfully}));
    EXPECT_EQ(ws.ui.progress.back(), 100);
    EXPECT_FALSE(ws.ui.progressVisible);
}

} // namespace
} // namespace corvid::testing
