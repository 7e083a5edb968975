// What the 3DS writer puts in its files, read back from the bytes by hand:
// triangles, axes, material values, light cones, node ids and parents, the
// 16-bit limits, and where texture copies go.

#include "files/3ds/ThreeDsHand.h"
#include "files/3ds/ThreeDsScenes.h"

#include "files/3ds/ThreeDsFile.h"
#include "files/FileIo.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <limits>

namespace corvid::testing {
namespace {

// A mesh object named name under SCENE (or parent) at position, with one
// quad (0, 1, 2, 3) of the corners given, using material when given.
FramePtr Quad(SceneModel& scene, const std::string& name, const Vec3& position, const MaterialPtr& material = {},
              const FramePtr& parent = {})
{
    FramePtr frame = scene.NewObjectFrame(parent);
    AttachRecord(*frame, std::make_unique<ObjectRecord>(kObject, name));
    MeshBuilderPtr mesh = MeshBuilder::Create();
    frame->AddVisual(mesh);
    for (const Vec3& p : {Vec3{0, 0, 0}, Vec3{1, 2, 3}, Vec3{1, 0, 0}, Vec3{0, 0, 1}})
        mesh->AddVertex(p);
    const int quad[4] = {0, 1, 2, 3};
    const int face = mesh->AddFace(quad);
    if (material)
        mesh->SetFaceMaterial(face, material);
    frame->SetPosition(scene.Scene().get(), position);
    scene.RegisterObject(frame);
    return frame;
}

std::vector<uint8_t> Bytes(Workspace& ws, const ImportOptions& options = {})
{
    Document doc = ws.doc();
    std::vector<uint8_t> bytes;
    EXPECT_TRUE(Write3dsBytes(doc, options, "/dev/null/nowhere", bytes, {.copyTextures = false}));
    return bytes;
}

// The percentage inside a material sub-chunk of id.
int Percent(const std::vector<uint8_t>& b, const FoundChunk& material, uint16_t id)
{
    for (const FoundChunk& c : AllChunks(b))
        if (c.start > material.start && c.end <= material.end && c.id == id)
            return Read16(b, c.body + 6);
    return -1;
}

struct Node {
    uint16_t tag = 0, id = 0, parent = 0;
    std::string name;
};

std::vector<Node> Nodes(const std::vector<uint8_t>& b)
{
    std::vector<Node> out;
    for (const FoundChunk& c : AllChunks(b)) {
        if (c.id == 0xB002 || c.id == 0xB005 || c.id == 0xB007)
            out.push_back({c.id});
        if (c.id == 0xB030)
            out.back().id = Read16(b, c.body);
        if (c.id == 0xB010) {
            out.back().name = reinterpret_cast<const char*>(b.data() + c.body);
            out.back().parent = Read16(b, c.body + out.back().name.size() + 1 + 4);
        }
    }
    return out;
}

TEST(ThreeDsWriteTest, QuadsBecomeFansOfTrianglesInWorldCoordinatesWithTheAxesExchanged)
{
    Workspace ws;
    Quad(ws.scene, "Q", {0, 0, 0});
    const std::vector<uint8_t> b = Bytes(ws);
    const auto faces = ChunksWithId(b, 0x4120);
    ASSERT_EQ(faces.size(), 1u);
    ASSERT_EQ(Read16(b, faces[0].body), 2);
    const uint16_t expected[8] = {0, 2, 1, 7, 0, 3, 2, 7};
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(Read16(b, faces[0].body + 2 + 2 * static_cast<size_t>(i)), expected[i]) << i;
    const auto points = ChunksWithId(b, 0x4110);
    EXPECT_EQ(ReadF(b, points[0].body + 2 + 12), 1.0f);
    EXPECT_EQ(ReadF(b, points[0].body + 2 + 16), 3.0f);
    EXPECT_EQ(ReadF(b, points[0].body + 2 + 20), 2.0f);

    // Moved by its frame, written where it stands; the mesh matrix stays identity.
    Workspace moved;
    Quad(moved.scene, "Q", {10, 20, 30});
    const std::vector<uint8_t> m = Bytes(moved);
    const auto p = ChunksWithId(m, 0x4110);
    EXPECT_EQ(ReadF(m, p[0].body + 2 + 12), 11.0f);
    EXPECT_EQ(ReadF(m, p[0].body + 2 + 16), 33.0f);
    EXPECT_EQ(ReadF(m, p[0].body + 2 + 20), 22.0f);
    const auto matrix = ChunksWithId(m, 0x4160);
    EXPECT_EQ(ReadF(m, matrix[0].body + 36), 0.0f);
}

TEST(ThreeDsWriteTest, MaterialValuesBecomePercentagesAndColourBytes)
{
    Workspace ws;
    SceneModel& s = ws.scene;
    const std::pair<float, float> powerAlpha[] = {{5, 0.25f}, {0, 0}, {100, 1}};
    int n = 0;
    for (auto [power, alpha] : powerAlpha) {
        const MaterialPtr m = MakeMaterial(s, "M" + std::to_string(n), 0.5f, power, alpha, "", "");
        Quad(s, "Q" + std::to_string(n++), {}, m);
    }
    const MaterialPtr unnamed = MakeMaterial(s, "", 1, 50, 1, "", "");
    Quad(s, "Q3", {}, unnamed);
    const std::vector<uint8_t> b = Bytes(ws);
    const auto materials = ChunksWithId(b, 0xAFFF);
    ASSERT_EQ(materials.size(), 4u);
    const int shininess[] = {95, 100, 1};
    const int transparency[] = {75, 0, 0};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(Percent(b, materials[i], 0xA040), shininess[i]) << i;
        EXPECT_EQ(Percent(b, materials[i], 0xA041), shininess[i]) << i;
        EXPECT_EQ(Percent(b, materials[i], 0xA050), transparency[i]) << i;
    }
    // Diffuse 0.5 as a byte, truncated.
    for (const FoundChunk& c : AllChunks(b))
        if (c.id == 0x0011 && c.start > materials[0].start && c.start < materials[0].end) {
            EXPECT_EQ(b[c.body], 127);
            break;
        }
    // An unnamed material is named after its id, in the scene too.
    const std::string name = "MADE_MATERIAL_" + std::to_string(RecordOf(unnamed.get())->id);
    EXPECT_EQ(RecordOf(unnamed.get())->name, name);
    const auto groups = ChunksWithId(b, 0x4130);
    ASSERT_EQ(groups.size(), 4u);
    EXPECT_EQ(reinterpret_cast<const char*>(b.data() + groups[3].body), name);
    // Both triangles of the quad use it.
    EXPECT_EQ(Read16(b, groups[3].body + name.size() + 1), 2);
}

TEST(ThreeDsWriteTest, NodesNumberTheSceneDepthFirstWithLightsTakingTheirNumbers)
{
    Workspace ws;
    SceneModel& s = ws.scene;
    const FramePtr group = Group(s, "G", nullptr, {});
    AddLight(s, LightType::Spot, group, {1, 2, 3});
    Quad(s, "Q", {}, {}, group);
    const std::vector<uint8_t> b = Bytes(ws);
    const std::vector<Node> nodes = Nodes(b);
    // SCENE, the group, its spot light and its mesh.
    ASSERT_EQ(nodes.size(), 4u);
    EXPECT_EQ(nodes[0].name, "$$$DUMMY");
    EXPECT_EQ(nodes[0].id, 1);
    EXPECT_EQ(nodes[0].parent, 0xFFFF);
    EXPECT_EQ(nodes[1].id, 2);
    EXPECT_EQ(nodes[1].parent, 1);
    EXPECT_EQ(nodes[2].name, "Q");
    EXPECT_EQ(nodes[2].id, 4);
    EXPECT_EQ(nodes[2].parent, 2);
    EXPECT_EQ(nodes[3].tag, 0xB007);
    EXPECT_EQ(nodes[3].name, "SpotL3");
    // The keyframer stands under the main chunk, after the mesh data.
    const auto keyframer = ChunksWithId(b, 0xB000);
    const auto data = ChunksWithId(b, 0x3D3D);
    ASSERT_EQ(keyframer.size(), 1u);
    EXPECT_GE(keyframer[0].start, data[0].end);
    EXPECT_EQ(keyframer[0].end, b.size());

    // Without lights: no light objects or nodes, and the mesh keeps its id.
    ImportOptions noLights;
    noLights.addLights = false;
    const std::vector<uint8_t> dark = Bytes(ws, noLights);
    EXPECT_TRUE(ChunksWithId(dark, 0x4600).empty());
    const std::vector<Node> darkNodes = Nodes(dark);
    ASSERT_EQ(darkNodes.size(), 3u);
    EXPECT_EQ(darkNodes[2].id, 4);
}

TEST(ThreeDsWriteTest, SpotConesAreWrittenInDegrees)
{
    Workspace ws;
    const FramePtr light = AddLight(ws.scene, LightType::Spot, nullptr, {0, 0, 0});
    light->GetLights()[0]->SetUmbra(0.5f);
    const std::vector<uint8_t> b = Bytes(ws);
    const auto spots = ChunksWithId(b, 0x4610);
    ASSERT_EQ(spots.size(), 1u);
    EXPECT_NEAR(ReadF(b, spots[0].body + 12), 28.636f, 1e-3f);
    EXPECT_EQ(ChunksWithId(b, 0x465A).size(), 1u);
}

TEST(ThreeDsWriteTest, AMeshBeyondSixteenBitCountsIsRefusedBeforeAnythingIsWritten)
{
    TempFolder folder;
    Workspace ws;
    FramePtr frame = Quad(ws.scene, "Huge", {});
    MeshBuilder& mesh = *frame->GetVisuals()[0];
    for (int i = 0; i < 65536; ++i)
        mesh.AddVertex({static_cast<float>(i), 0, 0});
    Document doc = ws.doc();
    const std::string path = folder.File("huge.3ds");
    EXPECT_FALSE(Export3ds(doc, path, {}));
    ASSERT_EQ(ws.ui.messages.size(), 1u);
    EXPECT_NE(ws.ui.messages[0].find("Object Huge has more than 65535"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_FALSE(ws.ui.progressVisible);
}

TEST(ThreeDsWriteTest, AnObjectBeyondTheFloatsIsRefusedNotWrittenAsNumbersNoReaderTakes)
{
    TempFolder folder;
    Workspace ws;
    FramePtr far = Quad(ws.scene, "Far", {});
    Matrix4 m = Matrix4::Identity();
    m.SetTranslation({std::numeric_limits<float>::infinity(), 0, 0});
    far->AddTransform(Combine::Replace, m);
    Document doc = ws.doc();
    const std::string path = folder.File("far.3ds");
    EXPECT_FALSE(Export3ds(doc, path, {}));
    ASSERT_EQ(ws.ui.messages.size(), 1u);
    EXPECT_EQ(ws.ui.messages[0], "Object Far lies beyond the coordinates a 3DS file can hold.\n Nothing was written.");
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST(ThreeDsWriteTest, AFileThatCannotBeCreatedSaysSo)
{
    Workspace ws;
    Quad(ws.scene, "Q", {});
    Document doc = ws.doc();
    EXPECT_FALSE(Export3ds(doc, "/nonexistent/corvid/out.3ds", {}));
    EXPECT_EQ(ws.ui.messages, (std::vector<std::string>{kThreeDsOpenFailed}));
}

TEST(ThreeDsWriteTest, TexturesAreCopiedBesideTheFileNeverOntoThemselvesNorElsewhere)
{
    TempFolder folder, other;
    WriteBitmap(folder.File("here.bmp"), 16, 10);
    std::vector<uint8_t> original;
    ASSERT_EQ(ReadWholeFile(folder.File("here.bmp"), original), ReadStatus::Read);
    Workspace ws;
    const MaterialPtr here = MakeMaterial(ws.scene, "Here", 1, 50, 1, "here.bmp", folder.File("here.bmp"));
    const MaterialPtr away = MakeMaterial(ws.scene, "Away", 1, 50, 1, "../escaped.bmp", folder.File("here.bmp"));
    Quad(ws.scene, "A", {}, here);
    Quad(ws.scene, "B", {}, away);
    Document doc = ws.doc();
    ASSERT_TRUE(Export3ds(doc, folder.File("scene.3ds"), {}));
    std::vector<uint8_t> after;
    ASSERT_EQ(ReadWholeFile(folder.File("here.bmp"), after), ReadStatus::Read);
    EXPECT_EQ(after, original);
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(folder.Path()).parent_path() / "escaped.bmp"));
    std::vector<uint8_t> bytes;
    ASSERT_EQ(ReadWholeFile(folder.File("scene.3ds"), bytes), ReadStatus::Read);
    // Only the bare name is written as a map.
    ASSERT_EQ(ChunksWithId(bytes, 0xA300).size(), 1u);

    // Into another folder the texture is copied.
    ASSERT_TRUE(Export3ds(doc, other.File("scene.3ds"), {}));
    EXPECT_TRUE(std::filesystem::exists(other.File("here.bmp")));
}

} // namespace
} // namespace corvid::testing
