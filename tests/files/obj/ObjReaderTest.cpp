// Wavefront object files: vertices and faces into objects, the comment lines
// that split objects, groups, material libraries with their textures,
// indices as other programs write them, and damaged files.

#include "files/FilesFixture.h"

#include "files/FileIo.h"
#include "files/obj/ObjFile.h"
#include "files/stl/StlFile.h"
#include "platform/Frame.h"
#include "platform/ImageService.h"
#include "platform/Material.h"
#include "platform/MeshBuilder.h"
#include "scene/Records.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace corvid::testing {
namespace {

class ObjReaderTest : public ::testing::Test {
protected:
    ObjReaderTest() { setenv("XDG_CACHE_HOME", cache.Path().c_str(), 1); }

    static ImportOptions Options(int winding = 0)
    {
        ImportOptions options;
        options.winding = winding;
        options.addMaterials = true;
        options.addTextures = true;
        return options;
    }
    bool Read(const std::string& text, const ImportOptions& options = Options())
    {
        Document doc = ws.doc();
        return ReadObjBytes(doc, reinterpret_cast<const uint8_t*>(text.data()), text.size(), options, folder.Path(),
                            "model.obj");
    }
    FramePtr Base()
    {
        for (const FramePtr& child : ws.scene.Scene()->GetChildren())
            if (const ObjectRecord* r = RecordOf(child.get()); r && r->kind == kBaseFrame)
                return child;
        return nullptr;
    }
    // The mesh objects anywhere under the base frame, in tree order.
    std::vector<FramePtr> Objects()
    {
        std::vector<FramePtr> objects;
        std::vector<FramePtr> todo{Base()};
        while (!todo.empty()) {
            const FramePtr frame = todo.front();
            todo.erase(todo.begin());
            for (const FramePtr& child : frame->GetChildren()) {
                if (!child->GetVisuals().empty())
                    objects.push_back(child);
                todo.push_back(child);
            }
        }
        return objects;
    }
    const MeshBuilder& Mesh(size_t object) { return *Objects().at(object)->GetVisuals().at(0); }
    static std::vector<int> Corners(const MeshBuilder& mesh, int face)
    {
        std::vector<int> corners;
        for (int c = 0; c < mesh.GetFaceVertexCount(face); ++c)
            corners.push_back(mesh.GetFaceVertexIndex(face, c));
        return corners;
    }
    static Vec3 Vertex(const MeshBuilder& mesh, int index)
    {
        Vec3 p;
        EXPECT_TRUE(mesh.GetVertex(index, p));
        return p;
    }
    void Write(const std::string& name, const std::string& text) { std::ofstream(folder.File(name)) << text; }

    Workspace ws;
    TempFolder folder;
    TempFolder cache;
};

TEST_F(ObjReaderTest, VerticesAndFacesBecomeAnObject)
{
    ASSERT_TRUE(Read("o box\nv 1 2 3\nv\t4   5 6\nv 7 8 9 1.0\nvp 5 5 5\nf 1/1/1 2/2/2 3/3/3\n"));
    ASSERT_EQ(Objects().size(), 1u);
    EXPECT_EQ(RecordOf(Objects()[0].get())->name, "box");
    const MeshBuilder& mesh = Mesh(0);
    ASSERT_EQ(mesh.GetVertexCount(), 3);  // "vp" is not a vertex
    EXPECT_EQ(Vertex(mesh, 0), (Vec3{1, 2, -3}));
    EXPECT_EQ(Vertex(mesh, 1), (Vec3{4, 5, -6}));
    EXPECT_EQ(Corners(mesh, 0), (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(mesh.GetFaceAttributes(0)->color, 0xFFCCCCCCu);
    // The object open at the end is finished: its normals are made.
    Vec3 n;
    ASSERT_TRUE(mesh.GetNormal(0, n));
    EXPECT_NEAR(Length(n), 1.0f, 1e-5f);
}

TEST_F(ObjReaderTest, CommentsAfterFacesSplitObjectsAndIndicesStayInTheFile)
{
    const std::string text = "o first\nv 0 0 0\nv 1 0 0\nv 0 1 0\nv 1 1 0\nf 1 2 3 4\n# next\n"
                             "o second\nv 0 0 1\nv 1 0 1\nv 0 1 1\nf 5 6 7\n"
                             "f -3 -2 -1\n"   // relative to the last vertex read
                             "f 1 2 5\n";     // two vertices of the first object
    ASSERT_TRUE(Read(text, Options(1)));
    ASSERT_EQ(Objects().size(), 2u);
    EXPECT_EQ(RecordOf(Objects()[1].get())->name, "second");
    EXPECT_EQ(Corners(Mesh(0), 0), (std::vector<int>{3, 2, 1, 0}));  // reversed
    const MeshBuilder& second = Mesh(1);
    ASSERT_EQ(second.GetFaceCount(), 3);
    EXPECT_EQ(Corners(second, 0), (std::vector<int>{2, 1, 0}));
    EXPECT_EQ(Corners(second, 1), (std::vector<int>{2, 1, 0}));
    // The first object's vertices are copied into the second.
    const std::vector<int> shared = Corners(second, 2);
    ASSERT_EQ(shared.size(), 3u);
    EXPECT_EQ(Vertex(second, shared[2]), (Vec3{0, 0, 0}));
    EXPECT_EQ(Vertex(second, shared[1]), (Vec3{1, 0, 0}));
    EXPECT_EQ(shared[0], 0);

    // Without comment lines the file is one object.
    Workspace single;
    Document doc = single.doc();
    const std::string joined = "o a\nv 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\no b\nf 1 3 2\n";
    ASSERT_TRUE(ReadObjBytes(doc, reinterpret_cast<const uint8_t*>(joined.data()), joined.size(), Options(), "", "m"));
    int meshes = 0;
    for (const FramePtr& base : single.scene.Scene()->GetChildren())
        for (const FramePtr& object : base->GetChildren())
            meshes += RecordOf(object.get()) && RecordOf(object.get())->kind == kObject;
    EXPECT_EQ(meshes, 1);
}

TEST_F(ObjReaderTest, GroupsGatherTheirObjectsAndEmptyObjectsAreDropped)
{
    const std::string text = "v 0 0 0\nv 1 0 0\nv 0 1 0\ng wall\nf 1 2 3\n# a\ng wall\nf 1 3 2\n# b\ng\n";
    ASSERT_TRUE(Read(text));
    const FramePtr base = Base();
    ASSERT_EQ(base->GetChildren().size(), 1u);  // one group, no empty third object
    const FramePtr group = base->GetChildren()[0];
    EXPECT_EQ(RecordOf(group.get())->kind, kEmpty);
    EXPECT_EQ(RecordOf(group.get())->name, "GroupFrame");
    ASSERT_EQ(group->GetChildren().size(), 2u);
    // Unnamed objects are called after the file.
    EXPECT_EQ(RecordOf(group->GetChildren()[0].get())->name, "model.obj");
}

TEST_F(ObjReaderTest, MaterialLibrariesGiveFacesTheirColours)
{
    // No blank line between the materials, none after the last, and a
    // second library on the same line.
    Write("colours.mtl", "newmtl red\nKd 1 0 0\nKs 0.5 0.5 0.5\nillum 2\nnewmtl green\nKd 0 1 0\n");
    Write("more.mtl", "newmtl blue\r\nKd 0 0 1\r\n\r\n");
    const std::string text = "mtllib colours.mtl more.mtl\nv 0 0 0\nv 1 0 0\nv 0 1 0\n"
                             "usemtl red\nf 1 2 3\nusemtl green\nf 1 3 2\nusemtl blue\nf 2 1 3\nusemtl none\nf 3 2 1\n";
    ASSERT_TRUE(Read(text));
    EXPECT_TRUE(ws.ui.messages.empty());
    const MeshBuilder& mesh = Mesh(0);
    EXPECT_EQ(mesh.GetFaceAttributes(0)->color, 0xFFFF0000u);
    EXPECT_EQ(mesh.GetFaceAttributes(1)->color, 0xFF00FF00u);
    EXPECT_EQ(mesh.GetFaceAttributes(2)->color, 0xFF0000FFu);
    EXPECT_EQ(mesh.GetFaceAttributes(3)->color, 0xFFCCCCCCu);
    const MaterialRecord* red = RecordOf(mesh.GetFaceAttributes(0)->material.get());
    ASSERT_NE(red, nullptr);
    EXPECT_EQ(red->name, "red");
    EXPECT_EQ(red->power, 2.0f);
    EXPECT_EQ(red->specular[0], 0.5f);
    // The second material keeps the values the first gave and it left out.
    EXPECT_EQ(RecordOf(mesh.GetFaceAttributes(1)->material.get())->specular[0], 0.5f);

    // A library that is not there is reported and the model still comes in.
    Workspace missing;
    Document doc = missing.doc();
    const std::string lonely = "mtllib gone.mtl\nv 0 0 0\nv 1 0 0\nv 0 1 0\nusemtl red\nf 1 2 3\n";
    ASSERT_TRUE(ReadObjBytes(doc, reinterpret_cast<const uint8_t*>(lonely.data()), lonely.size(), Options(),
                             folder.Path(), "m.obj"));
    ASSERT_EQ(missing.ui.messages.size(), 1u);
    EXPECT_EQ(missing.ui.messages[0], "Material file is not available or is not in the working directory.");
}

TEST_F(ObjReaderTest, DiffuseTexturesAndTheirCoordinates)
{
    Image picture;
    picture.width = picture.height = 16;
    picture.rgba.assign(16 * 16 * 4, 200);
    ASSERT_TRUE(WriteResizedBmp(picture, folder.File("wood.bmp"), 16, 16));
    Write("wood.mtl", "newmtl wood\nKd 1 1 1\nmap_Kd -s 1 1 1 textures\\Wood.BMP\n");
    // Vertex 1 is used with two texture vertices: it becomes two vertices.
    const std::string text = "mtllib wood.mtl\nv 0 0 0\nv 1 0 0\nv 0 1 0\nv 1 1 0\n"
                             "vt 0 0\nvt 1 0\nvt 0 1\nvt 0.5 0.25\nusemtl wood\nf 1/1 2/2 3/3\nf 1/4 3/3 4/2\n";
    ASSERT_TRUE(Read(text));
    EXPECT_TRUE(ws.ui.messages.empty()) << ws.ui.messages[0];
    const MeshBuilder& mesh = Mesh(0);
    EXPECT_NE(mesh.GetFaceAttributes(0)->texture, nullptr);
    EXPECT_EQ(mesh.GetVertexCount(), 5);
    const std::vector<int> second = Corners(mesh, 1);
    EXPECT_NE(second[0], 0);
    EXPECT_EQ(Vertex(mesh, second[0]), (Vec3{0, 0, 0}));
    float u, v;
    ASSERT_TRUE(mesh.GetTextureCoordinates(second[0], u, v));
    EXPECT_FLOAT_EQ(u, 0.5f);
    EXPECT_FLOAT_EQ(v, -0.25f);
    ASSERT_TRUE(mesh.GetTextureCoordinates(1, u, v));
    EXPECT_FLOAT_EQ(u, 1.0f);
    EXPECT_EQ(RecordOf(mesh.GetFaceAttributes(0)->material.get())->textureName, "Wood.BMP");
}

TEST_F(ObjReaderTest, DamagedFilesAreRefusedWithTheMessage)
{
    std::string wide = "v 0 0 0\nf";
    for (int i = 0; i <= kObjMaxFaceCorners; ++i)
        wide += " 1";
    for (const std::string& bad : {std::string(), std::string("v 0 0 0\nv 1 0 0\nv 0 1 0\nf 0 1 2\n"),
                                   std::string("v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 4\n"),
                                   std::string("v 0 0 0\nv 1 0 0\nf 1 2 -3\n"), std::string("v 1 2\n"),
                                   std::string("v 1 nan 3\n"), std::string("v 1,5 2 3\n"),
                                   std::string("v 0 0 0\nf 1 x 1\n"), std::string("v 0 0\0 0\n", 10), wide}) {
        Workspace w;
        Document doc = w.doc();
        EXPECT_FALSE(ReadObjBytes(doc, reinterpret_cast<const uint8_t*>(bad.data()), bad.size(), Options(), "", "m"))
            << bad;
        ASSERT_EQ(w.ui.messages.size(), 1u) << bad;
        EXPECT_EQ(w.ui.messages[0], "Obj file is corrupted.\n");
    }
    Document doc = ws.doc();
    EXPECT_FALSE(ImportObj(doc, "/nonexistent/model.obj", Options()));
    EXPECT_EQ(ws.ui.messages.back(), "Could not open file.\n");
}

// The facets of a text stereolithography file written as an object file.
std::string StlAsObj(const std::string& stl)
{
    std::istringstream in(stl);
    std::string line, obj, faces;
    int vertices = 0, corners = 0;
    while (std::getline(in, line)) {
        std::istringstream words(line);
        std::string word;
        words >> word;
        for (char& c : word)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (word == "vertex") {
            std::string x, y, z;
            words >> x >> y >> z;
            obj += "v " + x + " " + y + " " + z + "\n";
            faces += (corners++ == 0 ? "f " : " ") + std::to_string(++vertices);
        } else if (word == "endloop") {
            faces += "\n";
            corners = 0;
        }
    }
    return obj + faces;
}

TEST_F(ObjReaderTest, TheSameModelAsStereolithographyGivesTheSameTriangles)
{
    std::vector<uint8_t> stl;
    ASSERT_EQ(ReadWholeFile(CORVID_CORPUS_DIR "/stl/Star.stl", stl), ReadStatus::Read);
    const std::string obj = StlAsObj(std::string(stl.begin(), stl.end()));
    ASSERT_TRUE(Read(obj));
    Workspace other;
    Document doc = other.doc();
    ASSERT_TRUE(ReadStlBytes(doc, stl.data(), stl.size(), Options(), "Star.stl"));
    const FramePtr stlBase = other.scene.Scene()->GetChildren().back();
    const MeshBuilder& fromStl = *stlBase->GetChildren().at(0)->GetVisuals().at(0);
    EXPECT_EQ(Mesh(0).GetFaceCount(), 68);
    EXPECT_EQ(Mesh(0).GetFaceCount(), fromStl.GetFaceCount());
    EXPECT_EQ(Vertex(Mesh(0), 5), Vertex(fromStl, 5));
}

TEST_F(ObjReaderTest, AFileCutAnywhereIsReadOrRefusedButNeverCrashes)
{
    Write("cut.mtl", "newmtl a\nKd 1 0 0\n");
    const std::string text = "mtllib cut.mtl\n# cube\no cube\nv -1 -1 -1\nv 1 -1 -1\nv 1 1 -1\nv -1 1 -1\n"
                             "vt 0 0\nvt 1 1\ng side\nusemtl a\nf 1/1 2/2 3/1 4/2\nf -1 -2 -3\n# end\no tail\nf 1 2 3\n";
    for (size_t length = 0; length <= text.size(); ++length) {
        Workspace w;
        Document doc = w.doc();
        const bool read =
            ReadObjBytes(doc, reinterpret_cast<const uint8_t*>(text.data()), length, Options(), folder.Path(), "m");
        EXPECT_EQ(read, w.ui.messages.empty() || w.ui.messages.back() != "Obj file is corrupted.\n") << length;
    }
}

} // namespace
} // namespace corvid::testing
