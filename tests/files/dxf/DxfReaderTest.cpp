// Drawing exchange files: 3D faces, polyface and M x N meshes, blocks and
// their insertions, files as newer programs write them, damaged files, and
// real files from a CAD library's test set.

#include "files/FilesFixture.h"

#include "files/FileIo.h"
#include "files/dxf/DxfFile.h"
#include "files/stl/StlFile.h"
#include "platform/Frame.h"
#include "platform/MeshBuilder.h"
#include "scene/Records.h"

#include <gtest/gtest.h>

#include <sstream>

namespace corvid::testing {
namespace {

// A DXF text from group-code / value pairs.
std::string Dxf(std::initializer_list<std::pair<int, std::string>> pairs, const char* lineEnd = "\n")
{
    std::string text;
    for (const auto& [code, value] : pairs)
        text += std::to_string(code) + lineEnd + value + lineEnd;
    return text;
}

std::string Face(float x0, float y0, float z0, float x1, float y1, float z1, float x2, float y2, float z2, float x3,
                 float y3, float z3)
{
    std::ostringstream out;
    out << "0\n3DFACE\n8\n0\n10\n" << x0 << "\n20\n" << y0 << "\n30\n" << z0 << "\n11\n" << x1 << "\n21\n" << y1
        << "\n31\n" << z1 << "\n12\n" << x2 << "\n22\n" << y2 << "\n32\n" << z2 << "\n13\n" << x3 << "\n23\n" << y3
        << "\n33\n" << z3 << "\n";
    return out.str();
}

const std::string kEntities = "0\nSECTION\n2\nENTITIES\n";
const std::string kEnd = "0\nENDSEC\n0\nEOF\n";

class DxfReaderTest : public ::testing::Test {
protected:
    static ImportOptions Options(int winding = 0, float scale = 1.0f)
    {
        ImportOptions options;
        options.winding = winding;
        options.scale = scale;
        return options;
    }
    bool Read(const std::string& text, const ImportOptions& options = Options())
    {
        Document doc = ws.doc();
        return ReadDxfBytes(doc, reinterpret_cast<const uint8_t*>(text.data()), text.size(), options);
    }
    std::vector<FramePtr> Objects()
    {
        std::vector<FramePtr> objects;
        for (const FramePtr& base : ws.scene.Scene()->GetChildren())
            if (const ObjectRecord* r = RecordOf(base.get()); r && r->kind == kBaseFrame)
                for (const FramePtr& object : base->GetChildren())
                    objects.push_back(object);
        return objects;
    }
    const MeshBuilder& Mesh(size_t object) { return *Objects().at(object)->GetVisuals().at(0); }
    int Faces()
    {
        int faces = 0;
        for (const FramePtr& object : Objects())
            faces += object->GetVisuals().at(0)->GetFaceCount();
        return faces;
    }
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

    Workspace ws;
};

TEST_F(DxfReaderTest, ThreeDFacesBecomeTrianglesOrQuadrilaterals)
{
    ASSERT_TRUE(Read(kEntities + Face(1, 2, 3, 4, 0, 0, 4, 4, 0, 4, 4, 0) + Face(0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0) +
                         kEnd,
                     Options(1, 2.0f)));
    ASSERT_EQ(Objects().size(), 1u);
    EXPECT_EQ(RecordOf(Objects()[0].get())->name, "Object");
    const MeshBuilder& mesh = Mesh(0);
    ASSERT_EQ(mesh.GetFaceCount(), 2);
    EXPECT_EQ(Corners(mesh, 0), (std::vector<int>{2, 1, 0}));  // reversed, three corners
    EXPECT_EQ(Corners(mesh, 1).size(), 4u);
    EXPECT_EQ(Vertex(mesh, 0), (Vec3{2, 4, 6}));  // scaled, axes kept
    EXPECT_EQ(ws.ui.statusLines.back(), "Objects imported successfully!!");
}

TEST_F(DxfReaderTest, CodesAreReadByNumberWhereverTheyStand)
{
    // As files from R13 on write them: handle and subclass markers first,
    // Windows line ends, no z at all, a negative code.
    const std::string text =
        Dxf({{0, "SECTION"}, {2, "ENTITIES"}, {0, "3DFACE"}, {5, "2F"}, {330, "1F"}, {100, "AcDbEntity"},
             {8, "0"}, {100, "AcDbFace"}, {10, "1.5"}, {20, "0"}, {11, "2"}, {21, "0"}, {12, "2"}, {22, "+3"},
             {13, "2"}, {23, "3"}, {-1, "ignored"}, {0, "ENDSEC"}, {0, "EOF"}},
            "\r\n");
    ASSERT_TRUE(Read(text));
    ASSERT_EQ(Faces(), 1);
    EXPECT_EQ(Vertex(Mesh(0), 0), (Vec3{1.5f, 0, 0}));
    EXPECT_EQ(Vertex(Mesh(0), 2), (Vec3{2, 3, 0}));
}

TEST_F(DxfReaderTest, PolyfaceMeshesCountTheirCornersFromTheirOwnVertices)
{
    std::string text = kEntities + Face(0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 1, 0);
    text += Dxf({{0, "POLYLINE"}, {8, "0"}, {66, "1"}, {70, "64"}, {71, "4"}, {72, "2"}});
    for (const Vec3 p : {Vec3{0, 0, 5}, Vec3{1, 0, 5}, Vec3{1, 1, 5}, Vec3{0, 1, 5}})
        text += Dxf({{0, "VERTEX"}, {10, std::to_string(p.x)}, {20, std::to_string(p.y)}, {30, std::to_string(p.z)},
                     {70, "192"}});
    // An invisible edge (-2), and a triangle record with no fourth corner.
    text += Dxf({{0, "VERTEX"}, {10, "0"}, {20, "0"}, {30, "0"}, {70, "128"}, {71, "1"}, {72, "-2"}, {73, "3"}});
    text += Dxf({{0, "VERTEX"}, {70, "128"}, {71, "1"}, {72, "3"}, {73, "4"}, {74, "0"}, {0, "SEQEND"}});
    // A flat polyline and a light-weight one are read past.
    text += Dxf({{0, "POLYLINE"}, {70, "1"}, {0, "VERTEX"}, {10, "9"}, {20, "9"}, {0, "SEQEND"}, {0, "LWPOLYLINE"},
                 {90, "2"}, {10, "0"}, {20, "0"}, {10, "1"}, {20, "1"}});
    text += Face(0, 0, 9, 1, 0, 9, 0, 1, 9, 0, 1, 9) + kEnd;
    ASSERT_TRUE(Read(text));
    ASSERT_EQ(Objects().size(), 2u);
    const MeshBuilder& first = Mesh(0);
    ASSERT_EQ(first.GetFaceCount(), 3);
    // The face's three vertices come first: corner 1 of the polyline is vertex 3.
    EXPECT_EQ(Corners(first, 1), (std::vector<int>{3, 4, 5}));
    EXPECT_EQ(Corners(first, 2), (std::vector<int>{3, 5, 6}));
    // Faces after the polyline start a new object numbered from 0.
    EXPECT_EQ(Corners(Mesh(1), 0), (std::vector<int>{0, 1, 2}));
}

TEST_F(DxfReaderTest, PolygonMeshesBecomeQuadrilaterals)
{
    std::string text = kEntities + Dxf({{0, "POLYLINE"}, {70, "16"}, {71, "3"}, {72, "3"}});
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            text += Dxf({{0, "VERTEX"}, {10, std::to_string(i)}, {20, std::to_string(j)}, {70, "64"}});
    text += "0\nSEQEND\n" + kEnd;
    ASSERT_TRUE(Read(text));
    ASSERT_EQ(Faces(), 4);
    EXPECT_EQ(Corners(Mesh(0), 3), (std::vector<int>{4, 5, 8, 7}));
}

TEST_F(DxfReaderTest, InsertionsCopyEveryPartOfTheirBlock)
{
    // A block of two parts (a polyline ends the first), with its base point at (1, 0, 0).
    std::string blocks = "0\nSECTION\n2\nBLOCKS\n" +
                         Dxf({{0, "BLOCK"}, {2, "part"}, {70, "0"}, {10, "1"}, {20, "0"}, {30, "0"}}) +
                         Face(2, 0, 0, 3, 0, 0, 2, 1, 0, 2, 1, 0) +
                         Dxf({{0, "POLYLINE"}, {70, "64"}, {0, "VERTEX"}, {10, "1"}, {20, "0"}, {70, "192"},
                              {0, "VERTEX"}, {10, "1"}, {20, "1"}, {70, "192"}, {0, "VERTEX"}, {10, "2"}, {20, "1"},
                              {70, "192"}, {0, "VERTEX"}, {70, "128"}, {71, "1"}, {72, "2"}, {73, "3"},
                              {0, "SEQEND"}}) +
                         Face(5, 0, 0, 6, 0, 0, 5, 1, 0, 5, 1, 0) + "0\nENDBLK\n0\nENDSEC\n";
    const std::string entities =
        kEntities +
        Dxf({{0, "INSERT"}, {2, "part"}, {10, "10"}, {20, "0"}, {30, "0"}, {41, "2"}, {50, "90"}, {0, "INSERT"},
             {2, "nothing"}, {10, "0"}, {20, "0"}}) +
        kEnd;
    ASSERT_TRUE(Read(blocks + entities));
    int copies = 0;
    for (const FramePtr& object : Objects())
        copies += object->GetPosition(object->GetParent()) == (Vec3{10, 0, 0});
    EXPECT_EQ(Objects().size(), 4u);  // two parts and two copies; the unknown block makes none
    EXPECT_EQ(copies, 2);
    // The last copy: the face at (5, 0, 0) of the block, 4 from its base
    // point, doubled along x and turned a quarter about z.
    const FramePtr last = Objects().back();
    const Vec3 corner = last->Transform(Vertex(*last->GetVisuals()[0], 0));
    const Vec3 insertion = last->Transform({0, 0, 0});
    EXPECT_NEAR(corner.y - insertion.y, 8.0f, 1e-4f);  // counter-clockwise, as drawings turn
    EXPECT_NEAR(corner.x - insertion.x, 0.0f, 1e-4f);
}

TEST_F(DxfReaderTest, DamagedFilesAreRefusedWithTheMessage)
{
    std::vector<uint8_t> binary;
    ASSERT_EQ(ReadWholeFile(CORVID_CORPUS_DIR "/dxf/bin_dxf_r12.dxf", binary), ReadStatus::Read);
    const std::string cases[] = {
        std::string(),
        std::string(binary.begin(), binary.end()),
        kEntities + "zero\n3DFACE\n" + kEnd,
        kEntities + Dxf({{0, "3DFACE"}, {10, "abc"}}) + kEnd,
        kEntities + Dxf({{0, "3DFACE"}, {10, "1e400"}}) + kEnd,
        kEntities + Dxf({{0, "POLYLINE"}, {70, "64"}, {0, "VERTEX"}, {10, "0"}, {70, "192"}, {0, "VERTEX"},
                         {70, "128"}, {71, "1"}, {72, "2"}, {73, "3"}, {0, "SEQEND"}}) + kEnd,
        kEntities + Dxf({{0, "POLYLINE"}, {70, "16"}, {71, "9"}, {72, "9"}, {0, "VERTEX"}, {70, "64"},
                         {0, "SEQEND"}}) + kEnd,
        kEntities + "0\n",  // a code without its value
    };
    for (const std::string& bad : cases) {
        Workspace w;
        Document doc = w.doc();
        EXPECT_FALSE(ReadDxfBytes(doc, reinterpret_cast<const uint8_t*>(bad.data()), bad.size(), Options()))
            << bad.substr(0, 80);
        ASSERT_EQ(w.ui.messages.size(), 1u) << bad.substr(0, 80);
        EXPECT_EQ(w.ui.messages[0], "Problem loading DXF file.\n");
    }
    Document doc = ws.doc();
    EXPECT_FALSE(ImportDxf(doc, "/nonexistent/plan.dxf", Options()));
    EXPECT_EQ(ws.ui.messages.back(), "Could not open file.\n");
}

TEST_F(DxfReaderTest, RealFilesFromACadLibrary)
{
    struct Case {
        const char* file;
        int faces;
    };
    // 3dface.dxf: 44 faces in ENTITIES and a block of 2; uncommon.dxf: one
    // polyface of 3 faces (its other polyface has vertices only; MESH,
    // 3DSOLID and LWPOLYLINE are not read).
    for (const Case& c : {Case{"3dface.dxf", 46}, Case{"Minimal_DXF_AC1006.dxf", 2}, Case{"uncommon.dxf", 3}}) {
        Workspace w;
        std::vector<uint8_t> bytes;
        ASSERT_EQ(ReadWholeFile(std::string(CORVID_CORPUS_DIR "/dxf/") + c.file, bytes), ReadStatus::Read);
        Document doc = w.doc();
        ASSERT_TRUE(ReadDxfBytes(doc, bytes.data(), bytes.size(), Options())) << c.file;
        int faces = 0;
        for (const FramePtr& base : w.scene.Scene()->GetChildren())
            if (const ObjectRecord* r = RecordOf(base.get()); r && r->kind == kBaseFrame)
                for (const FramePtr& object : base->GetChildren())
                    faces += object->GetVisuals().at(0)->GetFaceCount();
        EXPECT_EQ(faces, c.faces) << c.file;
    }
}

TEST_F(DxfReaderTest, TheSameModelAsStereolithographyGivesTheSameTriangles)
{
    std::vector<uint8_t> stl;
    ASSERT_EQ(ReadWholeFile(CORVID_CORPUS_DIR "/stl/Star.stl", stl), ReadStatus::Read);
    std::istringstream in(std::string(stl.begin(), stl.end()));
    std::string word, text = kEntities;
    std::vector<std::string> corner;
    while (in >> word) {
        if (word == "vertex") {
            std::string x, y, z;
            in >> x >> y >> z;
            corner.push_back(x + " " + y + " " + z);
        } else if (word == "endloop") {
            std::istringstream a(corner[0]), b(corner[1]), c(corner[2]);
            float p[9];
            a >> p[0] >> p[1] >> p[2];
            b >> p[3] >> p[4] >> p[5];
            c >> p[6] >> p[7] >> p[8];
            text += Face(p[0], p[1], p[2], p[3], p[4], p[5], p[6], p[7], p[8], p[6], p[7], p[8]);
            corner.clear();
        }
    }
    ASSERT_TRUE(Read(text + kEnd));
    Workspace other;
    Document doc = other.doc();
    ASSERT_TRUE(ReadStlBytes(doc, stl.data(), stl.size(), Options(), "Star.stl"));
    EXPECT_EQ(Faces(), 68);
}

TEST_F(DxfReaderTest, AFileCutAnywhereIsReadOrRefusedButNeverCrashes)
{
    std::vector<uint8_t> bytes;
    ASSERT_EQ(ReadWholeFile(CORVID_CORPUS_DIR "/dxf/Minimal_DXF_AC1006.dxf", bytes), ReadStatus::Read);
    for (size_t length = 0; length <= bytes.size(); ++length) {
        Workspace w;
        Document doc = w.doc();
        const bool read = ReadDxfBytes(doc, bytes.data(), length, Options());
        EXPECT_EQ(read, w.ui.messages.empty()) << length;
    }
}

} // namespace
} // namespace corvid::testing
