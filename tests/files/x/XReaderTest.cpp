// DirectX-format files: one model with nested frames, transforms, a mesh with
// normals, texture coordinates and two materials (one textured), read as
// text, binary, 64-bit and compressed; what is read past; and damaged files,
// each refused with the scene left as it was.

#include "files/FilesFixture.h"
#include "files/x/XBytes.h"

#include "files/x/XData.h"
#include "files/x/XFile.h"
#include "platform/Frame.h"
#include "platform/ImageService.h"
#include "platform/Material.h"
#include "platform/MeshBuilder.h"
#include "scene/Records.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>
#include <limits>
#include <sstream>

namespace corvid::testing {
namespace {

// A box from origin to origin + size: eight corners, six quads.
void Box(XBytes& x, const std::string& name, Vec3 origin, Vec3 size, bool withNormals)
{
    x.Begin("Mesh", name).Ints({8});
    std::vector<double> points;
    for (int i = 0; i < 8; ++i) {
        points.push_back(origin.x + (i & 1 ? size.x : 0));
        points.push_back(origin.y + (i & 2 ? size.y : 0));
        points.push_back(origin.z + (i & 4 ? size.z : 0));
    }
    x.Floats(points).Ints({6});
    const std::vector<std::vector<uint32_t>> quads = {{0, 2, 3, 1}, {4, 5, 7, 6}, {0, 1, 5, 4},
                                                      {2, 6, 7, 3}, {0, 4, 6, 2}, {1, 3, 7, 5}};
    for (const auto& quad : quads)
        x.Ints({4}).Ints(quad);
    if (withNormals) {
        x.Begin("MeshNormals").Ints({6});
        x.Floats({0, 0, -1, 0, 0, 1, 0, -1, 0, 0, 1, 0, -1, 0, 0, 1, 0, 0}).Ints({6});
        for (uint32_t f = 0; f < 6; ++f)
            x.Ints({4}).Ints({f, f, f, f});
        x.End();
    }
}

// The model every form carries.
std::vector<uint8_t> Model(XForm form, bool doubles = false)
{
    XBytes x(form, doubles);
    x.Begin("Header").Ints({1, 0, 1}).End();
    x.Begin("Material", "Red").Floats({1, 0, 0, 1}).Floats({20}).Floats({1, 1, 1}).Floats({0, 0, 0}).End();
    x.Begin("Frame", "Root");
    x.Begin("FrameTransformMatrix").Floats({1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 10, 0, 0, 1}).End();
    x.Begin("Frame", "Child");
    x.Begin("FrameTransformMatrix").Floats({2, 0, 0, 0, 0, 2, 0, 0, 0, 0, 2, 0, 0, 5, 0, 1}).End();
    Box(x, "Box", {0, 0, 0}, {10, 2, 1}, true);
    x.Begin("MeshTextureCoords").Ints({8});
    for (int i = 0; i < 8; ++i)
        x.Floats({i * 0.125, 1 - i * 0.125});
    x.End();
    x.Begin("MeshMaterialList").Ints({2, 6}).Ints({0, 0, 0, 1, 1, 1}).Ref("Red");
    x.Begin("Material", "Glass").Floats({0, 0, 1, 0.5}).Floats({5}).Floats({0.5, 0.5, 0.5}).Floats({0.25, 0, 0});
    x.Begin("TextureFilename").String("maps\\Brick.bmp").End();
    x.End().End();
    x.Begin("XSkinMeshHeader").Ints({1, 2, 3}).End();
    x.Begin("SkinWeights").String("Bone").Ints({2}).Ints({0, 1}).Floats({0.5, 0.5});
    x.Floats({1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}).End();
    x.End();  // Box
    x.End();  // Child
    x.Begin("Frame", "Second").End();
    x.End();  // Root
    Box(x, "Top", {-3, 4, 7}, {10, 2, 1}, false);
    x.Begin("MeshMaterialList").Ints({1, 1}).Ints({0}).Ref("Red").End();
    x.End();
    x.Begin("AnimTicksPerSecond").Ints({4800}).End();
    x.Begin("AnimationSet", "Walk").Begin("Animation").Ref("Child");
    x.Begin("AnimationKey").Ints({0, 1, 0, 4}).Floats({1, 0, 0, 0}).End().End().End();
    return x.bytes;
}

// The objects an import added under SCENE, in order.
std::vector<FramePtr> Imported(const Workspace& ws)
{
    std::vector<FramePtr> found;
    for (const FramePtr& child : ws.scene.Scene()->GetChildren())
        if (const ObjectRecord* record = RecordOf(child.get()); record && record->name.rfind("Loaded", 0) == 0)
            found.push_back(child);
    return found;
}

// Everything an import built, in tree order, as text.
std::string Summary(const Workspace& ws)
{
    std::ostringstream out;
    std::vector<const Frame*> todo;
    for (const FramePtr& frame : Imported(ws))
        todo.push_back(frame.get());
    while (!todo.empty()) {
        const Frame* frame = todo.front();
        todo.erase(todo.begin());
        out << RecordOf(frame)->name << " [";
        for (const auto& row : frame->GetLocalTransform().m)
            for (float v : row)
                out << v << ' ';
        out << "]\n";
        for (const MeshBuilderPtr& mesh : frame->GetVisuals()) {
            for (const Vec3& p : mesh->GetVertices())
                out << p.x << ',' << p.y << ',' << p.z << ' ';
            for (const Vec3& n : mesh->GetNormals())
                out << n.x << ',' << n.y << ',' << n.z << ' ';
            for (const Vec2& uv : mesh->GetTextureCoordinateList())
                out << uv.u << ',' << uv.v << ' ';
            for (int f = 0; f < mesh->GetFaceCount(); ++f) {
                const FaceAttributes* face = mesh->GetFaceAttributes(f);
                const MaterialRecord* record = RecordOf(face->material.get());
                out << "\nface " << std::hex << face->color << std::dec << " material " << record->id << ' '
                    << record->textureName << (face->texture ? " textured" : "") << ':';
                for (const Corner& c : mesh->GetFaceCorners(f))
                    out << ' ' << c.vertex << '/' << c.normal;
            }
            out << '\n';
        }
        for (const FramePtr& child : frame->GetChildren())
            todo.push_back(child.get());
    }
    out << "materials " << ws.scene.materials.size();
    return out.str();
}

class XReaderTest : public ::testing::Test {
protected:
    XReaderTest()
    {
        setenv("XDG_CACHE_HOME", cache.Path().c_str(), 1);
        Image picture;
        picture.width = picture.height = 16;
        picture.rgba.assign(16 * 16 * 4, 200);
        WriteResizedBmp(picture, folder.File("brick.bmp"), 16, 16);
    }

    bool Read(const std::vector<uint8_t>& bytes)
    {
        Document doc = ws.doc();
        return ReadXBytes(doc, bytes.data(), bytes.size(), folder.Path());
    }
    bool Read(const std::string& text)
    {
        return Read(std::vector<uint8_t>(text.begin(), text.end()));
    }

    // A refused file: the one message, and nothing added.
    void ExpectRefused(const std::vector<uint8_t>& bytes, const std::string& what)
    {
        Workspace fresh;
        Document doc = fresh.doc();
        const size_t children = fresh.scene.Scene()->GetChildren().size();
        EXPECT_FALSE(ReadXBytes(doc, bytes.data(), bytes.size(), folder.Path())) << what;
        EXPECT_EQ(fresh.ui.messages, std::vector<std::string>{kXLoadFailed}) << what;
        EXPECT_EQ(fresh.scene.Scene()->GetChildren().size(), children) << what;
        EXPECT_TRUE(fresh.scene.materials.empty()) << what;
        EXPECT_EQ(fresh.scene.names.importedObject, 0) << what;
    }

    TempFolder cache, folder;
    Workspace ws;
};

std::vector<uint8_t> Bytes(const std::string& text)
{
    return std::vector<uint8_t>(text.begin(), text.end());
}

TEST_F(XReaderTest, TextModelGivesFramesMeshesAndOneRecordPerMaterial)
{
    ASSERT_TRUE(Read(Model(XForm::Text)));
    EXPECT_TRUE(ws.ui.messages.empty()) << ws.ui.messages[0];

    // Two top-level objects: the frame Root and the mesh Top in an object of its own.
    const std::vector<FramePtr> top = Imported(ws);
    ASSERT_EQ(top.size(), 2u);
    const FramePtr root = top[0];
    EXPECT_EQ(RecordOf(root.get())->name, "Loaded Object 0");
    EXPECT_EQ(RecordOf(root.get())->kind, kObject);
    EXPECT_EQ(root->GetLocalTransform().GetTranslation(), (Vec3{10, 0, 0}));
    ASSERT_EQ(root->GetChildren().size(), 2u);
    const FramePtr child = root->GetChildren()[0];
    EXPECT_EQ(RecordOf(child.get())->name, "Loaded Object 1");
    EXPECT_EQ(RecordOf(root->GetChildren()[1].get())->name, "Loaded Object 2");
    EXPECT_EQ(RecordOf(top[1].get())->name, "Loaded Object 3");
    EXPECT_EQ(ws.scene.names.importedObject, 4);
    EXPECT_EQ(child->GetLocalTransform().m[0][0], 2.0f);
    EXPECT_EQ(child->GetLocalTransform().GetTranslation(), (Vec3{0, 5, 0}));
    EXPECT_NE(RecordOf(child.get())->interpolator, nullptr);  // registered

    // The mesh in a frame keeps its size, normals and coordinates.
    ASSERT_EQ(child->GetVisuals().size(), 1u);
    const MeshBuilder& box = *child->GetVisuals()[0];
    EXPECT_EQ(RecordOf(&box)->owner.lock(), child);
    EXPECT_EQ(box.GetFaceCount(), 6);
    EXPECT_EQ(box.GetVertexCount(), 8);
    EXPECT_EQ(box.GetVertices()[7], (Vec3{10, 2, 1}));
    ASSERT_EQ(box.GetNormalCount(), 6);
    EXPECT_EQ(box.GetFaceNormalIndex(3, 0), 3);
    float u = 0, v = 0;
    ASSERT_TRUE(box.GetTextureCoordinates(3, u, v));
    EXPECT_FLOAT_EQ(u, 0.375f);
    EXPECT_FLOAT_EQ(v, 0.625f);

    // Two materials, however many faces use them: Red (also used by Top) and Glass.
    ASSERT_EQ(ws.scene.materials.size(), 2u);
    const FaceAttributes& red = *box.GetFaceAttributes(0);
    const FaceAttributes& glass = *box.GetFaceAttributes(5);
    EXPECT_EQ(red.color, 0xFFFF0000u);
    EXPECT_EQ(glass.color, 0x7F0000FFu);
    EXPECT_EQ(box.GetFaceAttributes(2)->material, red.material);
    EXPECT_EQ(box.GetFaceAttributes(3)->material, glass.material);
    EXPECT_EQ(red.texture, nullptr);
    EXPECT_NE(glass.texture, nullptr);
    const MaterialRecord& redRecord = *RecordOf(red.material.get());
    EXPECT_EQ(redRecord.id, 0);
    EXPECT_EQ(redRecord.power, 20.0f);
    EXPECT_EQ(redRecord.specular[0], 1.0f);
    EXPECT_EQ(redRecord.diffuse[0], 1.0f);
    const MaterialRecord& glassRecord = *RecordOf(glass.material.get());
    EXPECT_EQ(glassRecord.id, 1);
    EXPECT_EQ(glassRecord.diffuse[2], 1.0f);
    EXPECT_NEAR(glassRecord.alpha, 0.5f, 0.01f);
    EXPECT_EQ(glassRecord.emissive[0], 0.25f);
    EXPECT_EQ(glassRecord.textureName, "Brick.bmp");  // the folder of the name goes
    EXPECT_EQ(glassRecord.textureFile, folder.File("brick.bmp"));

    // The top-level mesh: 10 x 2 x 1 scaled by 0.5, given normals of its own.
    ASSERT_EQ(top[1]->GetVisuals().size(), 1u);
    const MeshBuilder& topMesh = *top[1]->GetVisuals()[0];
    const Vec3 size = topMesh.GetBox().Size();
    EXPECT_FLOAT_EQ(size.x, 5.0f);
    EXPECT_FLOAT_EQ(size.y, 1.0f);
    EXPECT_FLOAT_EQ(size.z, 0.5f);
    EXPECT_EQ(topMesh.GetNormalCount(), 8 * 3);  // split at the box's creases
    for (int f = 0; f < 6; ++f)
        EXPECT_EQ(topMesh.GetFaceAttributes(f)->material, red.material);  // faces past the list take the last
}

TEST_F(XReaderTest, BinaryCompressedAndDoubleFormsGiveTheSameScene)
{
    ASSERT_TRUE(Read(Model(XForm::Text)));
    const std::string expected = Summary(ws);
    const std::vector<uint8_t> binary = Model(XForm::Binary);
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
    };
    // The string's separator as a token of its own, as some writers put it.
    std::vector<uint8_t> separatorToken = binary;
    const std::string texture = "maps\\Brick.bmp";
    const auto at = std::search(separatorToken.begin(), separatorToken.end(), texture.begin(), texture.end());
    separatorToken.erase(at + static_cast<long>(texture.size()) + 2, at + static_cast<long>(texture.size()) + 4);
    const Case cases[] = {
        {"binary", binary},
        {"binary, string separator as a token", separatorToken},
        {"binary, 64-bit", Model(XForm::Binary, true)},
        {"text, 64-bit", Model(XForm::Text, true)},
        {"compressed text", CompressX(Model(XForm::Text), 32768)},
        {"compressed text in small blocks", CompressX(Model(XForm::Text), 100)},
        {"compressed binary in small blocks", CompressX(binary, 64)},
    };
    for (const Case& c : cases) {
        Workspace other;
        Document doc = other.doc();
        ASSERT_TRUE(ReadXBytes(doc, c.bytes.data(), c.bytes.size(), folder.Path())) << c.name;
        EXPECT_TRUE(other.ui.messages.empty()) << c.name;
        EXPECT_EQ(Summary(other), expected) << c.name;
    }
}

// The fuzz target's seeds hold one model in every form, encoded by a tool
// of their own: each reads to the same scene as its text form.
TEST_F(XReaderTest, SeedFilesInEveryFormReadAlike)
{
    // The data folder is tests/data of the checkout (which need not exist).
    const std::string seeds =
        (std::filesystem::path(CORVID_TEST_DATA_DIR).parent_path().parent_path() / "fuzz/corpus/x/").string();
    auto load = [&](Workspace& into, const std::string& name) {
        std::ifstream file(seeds + name, std::ios::binary);
        const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        Document doc = into.doc();
        EXPECT_FALSE(bytes.empty()) << name;
        EXPECT_TRUE(ReadXBytes(doc, bytes.data(), bytes.size(), folder.Path())) << name;
        EXPECT_EQ(into.ui.messages, std::vector<std::string>{kXObjectNotSupported}) << name;
    };
    load(ws, "model-text.x");
    const std::string expected = Summary(ws);
    EXPECT_NE(expected.find("Loaded Object 3"), std::string::npos);
    for (const char* name : {"model-text-64.x", "model-binary.x", "model-binary-64.x", "model-tzip.x",
                             "model-tzip-blocks.x", "model-bzip-blocks.x"}) {
        Workspace other;
        load(other, name);
        EXPECT_EQ(Summary(other), expected) << name;
    }
}

TEST_F(XReaderTest, TemplatesCommentsAndUnknownObjectsAreReadPast)
{
    const std::string text = "xof 0303txt 0032\n"
                             "// written by hand\n"
                             "template Mesh {\n <3D82AB44-62DA-11cf-AB39-0020AF71E433>\n DWORD nVertices;\n"
                             " array Vector vertices[nVertices];\n [...]\n}\n"
                             "template Thing { <00000000-0000-0000-0000-000000000001> [Material <1-2-3>] }\n"
                             "Header { 1; 0; 1; }\n"
                             "Thing mystery { 1; 2; \"three\"; Thing { 4; } }\n"
                             "Gadget { }\n"
                             "# a comment between objects\n"
                             "Frame A { Thing { 5; } Frame B { } }\n"
                             "FRAME C {\n"  // names in any case
                             "  frameTransformMatrix { 1.0,0.0,0.0,0.0, 0.0,1.0,0.0,0.0, 0.0,0.0,1.0,0.0, "
                             "+1.5e1,-2,0.25,1.0;; }\n"
                             "}\n"
                             // A mesh of zero size keeps its size.
                             "Mesh Point { 3; 1;1;1;, 1;1;1;, 1;1;1;; 1; 3;0,1,2;; VertexDuplicationIndices { 3; 3; 0,1,2; } }\n";
    ASSERT_TRUE(Read(text));
    // Two unknown top-level objects, one message; the rest is read.
    EXPECT_EQ(ws.ui.messages, std::vector<std::string>{kXObjectNotSupported});
    const std::vector<FramePtr> top = Imported(ws);
    ASSERT_EQ(top.size(), 3u);
    EXPECT_EQ(RecordOf(top[0].get())->name, "Loaded Object 0");
    ASSERT_EQ(top[0]->GetChildren().size(), 1u);
    EXPECT_EQ(RecordOf(top[0]->GetChildren()[0].get())->name, "Loaded Object 1");
    EXPECT_EQ(RecordOf(top[1].get())->name, "Loaded Object 2");
    EXPECT_EQ(top[1]->GetLocalTransform().GetTranslation(), (Vec3{15, -2, 0.25f}));
    ASSERT_EQ(top[2]->GetVisuals().size(), 1u);
    const MeshBuilder& point = *top[2]->GetVisuals()[0];
    EXPECT_EQ(point.GetVertices()[0], (Vec3{1, 1, 1}));
    // A face without a material gets one default material (power 5) with its record.
    ASSERT_EQ(ws.scene.materials.size(), 1u);
    EXPECT_EQ(point.GetFaceAttributes(0)->material, ws.scene.materials[0]);
    EXPECT_EQ(ws.scene.materials[0]->GetPower(), 5.0f);
    EXPECT_EQ(RecordOf(ws.scene.materials[0].get())->diffuse[0], 1.0f);
}

TEST_F(XReaderTest, ImportFindsTexturesBesideTheFileAndReportsMissingFiles)
{
    const std::string path = folder.File("model.x");
    {
        const std::vector<uint8_t> bytes = CompressX(Model(XForm::Binary), 500);
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                    static_cast<std::streamsize>(bytes.size()));
    }
    Document doc = ws.doc();
    ASSERT_TRUE(ImportX(doc, path, ImportOptions{}));
    EXPECT_TRUE(ws.ui.messages.empty()) << ws.ui.messages[0];
    EXPECT_NE(Summary(ws).find("Brick.bmp textured"), std::string::npos);

    Workspace missing;
    Document other = missing.doc();
    EXPECT_FALSE(ImportX(other, folder.File("gone.x"), ImportOptions{}));
    EXPECT_EQ(missing.ui.messages, std::vector<std::string>{kXLoadFailed});
}

TEST_F(XReaderTest, DeepFramesWithinTheBoundAreRead)
{
    std::string text = "xof 0302txt 0032\n";
    for (int i = 0; i < kXMaxNesting; ++i)
        text += "Frame {\n";
    text += std::string(kXMaxNesting, '}');
    ASSERT_TRUE(Read(text));
    EXPECT_EQ(ws.scene.names.importedObject, kXMaxNesting);
}

TEST_F(XReaderTest, DamagedFilesAreRefusedAndLeaveTheSceneAsItWas)
{
    const std::string h = "xof 0302txt 0032\n";
    const std::string triangle = "3; 0;0;0;, 1;0;0;, 0;1;0;;\n";
    std::string tooDeep = h;
    for (int i = 0; i <= kXMaxNesting; ++i)
        tooDeep += "Frame {\n";
    tooDeep += std::string(kXMaxNesting + 1, '}');

    // A compressed file that states more than may be inflated, and one whose
    // blocks give more than it states.
    std::vector<uint8_t> overBound = CompressX(Bytes(h + "Frame { }\n"), 32768);
    const uint32_t huge = static_cast<uint32_t>(kXMaxInflatedBytes + 17);
    for (int i = 0; i < 4; ++i)
        overBound[16 + static_cast<size_t>(i)] = static_cast<uint8_t>(huge >> (8 * i));
    std::vector<uint8_t> overStated = CompressX(Bytes(h + "Frame { }\nFrame { }\n"), 32768);
    overStated[16] = 20;
    overStated[17] = overStated[18] = overStated[19] = 0;
    std::vector<uint8_t> badBlock = CompressX(Bytes(h + "Frame { }\n"), 32768);
    badBlock[16 + 4 + 4] = 'X';  // the "CK" of the first block

    XBytes nan(XForm::Binary);
    nan.Begin("Mesh").Ints({3}).Floats({0, 0, 0, 1, 0, 0, 0, std::numeric_limits<double>::quiet_NaN(), 0});
    nan.Ints({1, 3, 0, 1, 2}).End();
    XBytes inf(XForm::Binary, true);
    inf.Begin("Frame").Begin("FrameTransformMatrix").Floats({1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1e300});
    inf.End().End();  // 1e300 is finite as a double but not as a float
    XBytes longName(XForm::Binary);
    longName.bytes.insert(longName.bytes.end(), {1, 0, 0xFF, 0xFF, 0xFF, 0x7F, 'M'});

    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
    };
    const Case cases[] = {
        {"empty", {}},
        {"short header", Bytes("xof 0302txt")},
        {"bad magic", Bytes("xaf 0302txt 0032\nFrame { }\n")},
        {"bad format", Bytes("xof 0302zip 0032\nFrame { }\n")},
        {"bad float size", Bytes("xof 0302txt 0016\nFrame { }\n")},
        {"vertex count past the numbers", Bytes(h + "Mesh { 100; 0;0;0;, 1;0;0;, 0;1;0;; 0;; }\n")},
        {"negative count", Bytes(h + "Mesh { -3; 0;0;0;, 1;0;0;, 0;1;0;; 0;; }\n")},
        {"fractional count", Bytes(h + "Mesh { 2.5; 0;0;0;, 1;0;0;, 0;1;0;; 0;; }\n")},
        {"face count past the numbers", Bytes(h + "Mesh { " + triangle + "9; 3;0,1,2;; }\n")},
        {"vertex index out of range", Bytes(h + "Mesh { " + triangle + "1; 3;0,1,3;; }\n")},
        {"normal index out of range",
         Bytes(h + "Mesh { " + triangle + "1; 3;0,1,2;; MeshNormals { 1; 0;0;1;; 1; 3;0,0,1;; } }\n")},
        {"material index out of range",
         Bytes(h + "Mesh { " + triangle + "1; 3;0,1,2;; MeshMaterialList { 1; 1; 1;; Material { 1;1;1;1;; 1; 0;0;0;; "
                   "0;0;0;; } } }\n")},
        {"material short of numbers",
         Bytes(h + "Mesh { " + triangle + "1; 3;0,1,2;; MeshMaterialList { 1; 1; 0;; Material { 1;1;1;; } } }\n")},
        {"transform short of numbers", Bytes(h + "Frame { FrameTransformMatrix { 1;2;3;; } }\n")},
        {"nesting too deep", Bytes(tooDeep)},
        {"inflated size over the bound", overBound},
        {"inflated past the stated size", overStated},
        {"damaged block", badBlock},
        {"number too large", Bytes(h + "Frame { FrameTransformMatrix { 1e999; } }\n")},
        {"infinite number", Bytes(h + "Frame { FrameTransformMatrix { -inf; } }\n")},
        {"not a number as printed", Bytes(h + "Mesh { 3; 1.#QNAN0;0;0;, 1;0;0;, 0;1;0;; 0;; }\n")},
        {"binary NaN", nan.bytes},
        {"float overflow", inf.bytes},
        {"binary name past the end", longName.bytes},
        {"missing closing brace", Bytes(h + "Frame A { Frame B { }\n")},
        {"unterminated string", Bytes(h + "Frame { TextureFilename { \"abc; } }\n")},
        {"stray characters", Bytes(h + "Frame { @ }\n")},
        {"numbers at the top", Bytes(h + "1; 2; 3;\n")},
        {"template inside an object", Bytes(h + "Frame { template T { } }\n")},
    };
    for (const Case& c : cases)
        ExpectRefused(c.bytes, c.name);
}

TEST_F(XReaderTest, EveryCutOfAFileIsReadOrRefusedCleanly)
{
    const std::vector<uint8_t> forms[] = {Model(XForm::Text), Model(XForm::Binary),
                                          CompressX(Model(XForm::Text), 300)};
    for (const std::vector<uint8_t>& whole : forms) {
        Workspace cut;
        for (size_t length = 0; length < whole.size(); ++length) {
            Document doc = cut.doc();
            const size_t messages = cut.ui.messages.size();
            const size_t children = cut.scene.Scene()->GetChildren().size();
            if (!ReadXBytes(doc, whole.data(), length, folder.Path())) {
                ASSERT_EQ(cut.ui.messages.size(), messages + 1) << length;
                ASSERT_EQ(cut.ui.messages.back(), kXLoadFailed);
                ASSERT_EQ(cut.scene.Scene()->GetChildren().size(), children) << length;
            }
        }
    }
}

} // namespace
} // namespace corvid::testing
