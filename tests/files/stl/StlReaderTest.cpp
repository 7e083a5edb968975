// Stereolithography files, text and binary: what each solid, facet and
// colour line becomes, damaged files, and real files from other programs.

#include "files/FilesFixture.h"

#include "files/FileIo.h"
#include "files/stl/StlFile.h"
#include "platform/Frame.h"
#include "platform/Material.h"
#include "platform/MeshBuilder.h"
#include "scene/Records.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <fstream>

namespace corvid::testing {
namespace {

class StlReaderTest : public ::testing::Test {
protected:
    static ImportOptions Options(int winding = 0, float scale = 1.0f)
    {
        ImportOptions options;
        options.winding = winding;
        options.scale = scale;
        options.addMaterials = true;
        return options;
    }
    bool Read(const std::string& text, const ImportOptions& options = Options())
    {
        Document doc = ws.doc();
        return ReadStlBytes(doc, reinterpret_cast<const uint8_t*>(text.data()), text.size(), options, "part.stl");
    }
    bool ReadFile(const std::string& path)
    {
        std::vector<uint8_t> bytes;
        if (ReadWholeFile(path, bytes) != ReadStatus::Read)
            return false;
        Document doc = ws.doc();
        return ReadStlBytes(doc, bytes.data(), bytes.size(), Options(), FileNameOf(path));
    }
    // The solids under the base frame, in file order.
    std::vector<FramePtr> Solids()
    {
        std::vector<FramePtr> solids;
        for (const FramePtr& base : ws.scene.Scene()->GetChildren())
            if (const ObjectRecord* r = RecordOf(base.get()); r && r->kind == kBaseFrame)
                for (const FramePtr& solid : base->GetChildren())
                    solids.push_back(solid);
        return solids;
    }
    const MeshBuilder& Mesh(size_t solid) { return *Solids().at(solid)->GetVisuals().at(0); }
    int Faces()
    {
        int faces = 0;
        for (const FramePtr& solid : Solids())
            faces += solid->GetVisuals().at(0)->GetFaceCount();
        return faces;
    }
    std::vector<int> Corners(const MeshBuilder& mesh, int face)
    {
        std::vector<int> corners;
        for (int c = 0; c < mesh.GetFaceVertexCount(face); ++c)
            corners.push_back(mesh.GetFaceVertexIndex(face, c));
        return corners;
    }

    Workspace ws;
};

const std::string kTriangle = "solid tri\n facet normal 0 0 1\n  outer loop\n   vertex 0 0 0\n   vertex 1 0 0\n"
                              "   vertex 0 1 0\n  endloop\n endfacet\nendsolid tri\n";

TEST_F(StlReaderTest, AFacetBecomesAScaledFaceInTheFilesOrderOrReversed)
{
    ASSERT_TRUE(Read(kTriangle, Options(0, 2.0f)));
    ASSERT_EQ(Solids().size(), 1u);
    EXPECT_EQ(RecordOf(Solids()[0].get())->name, "tri");
    const MeshBuilder& mesh = Mesh(0);
    ASSERT_EQ(mesh.GetVertexCount(), 3);
    Vec3 p;
    ASSERT_TRUE(mesh.GetVertex(1, p));
    EXPECT_FLOAT_EQ(p.x, 2.0f);
    ASSERT_TRUE(mesh.GetVertex(2, p));
    EXPECT_FLOAT_EQ(p.y, 2.0f);
    EXPECT_EQ(Corners(mesh, 0), (std::vector<int>{0, 1, 2}));
    // The default material and colour, and normals generated for the face.
    EXPECT_EQ(mesh.GetFaceAttributes(0)->color, 0xFFCCCCCCu);
    ASSERT_TRUE(mesh.GetNormal(0, p));
    EXPECT_NEAR(std::abs(p.z), 1.0f, 1e-5f);

    Workspace reversed;
    Document doc = reversed.doc();
    ASSERT_TRUE(ReadStlBytes(doc, reinterpret_cast<const uint8_t*>(kTriangle.data()), kTriangle.size(), Options(1),
                             "x"));
    const FramePtr base = reversed.scene.Scene()->GetChildren().back();
    EXPECT_EQ(Corners(*base->GetChildren().at(0)->GetVisuals().at(0), 0), (std::vector<int>{2, 1, 0}));
}

TEST_F(StlReaderTest, SolidsNumberTheirOwnVerticesAndKeepTheLastColour)
{
    const std::string text = "solid a\ncolor 1 0 0\nouter loop\nvertex 0 0 0\nvertex 1 0 0\nvertex 0 1 0\nendloop\n"
                             "endsolid a\nsolid b\nouter loop\nvertex 0 0 1\nvertex 1 0 1\nvertex 0 1 1\nendloop\n"
                             "endsolid b\n";
    ASSERT_TRUE(Read(text));
    ASSERT_EQ(Solids().size(), 2u);
    EXPECT_EQ(Corners(Mesh(1), 0), (std::vector<int>{0, 1, 2}));
    // The colour of the first solid carries on into the second.
    EXPECT_EQ(Mesh(0).GetFaceAttributes(0)->color, 0xFFFF0000u);
    EXPECT_EQ(Mesh(1).GetFaceAttributes(0)->color, 0xFFFF0000u);
    EXPECT_EQ(Mesh(1).GetFaceAttributes(0)->material, Mesh(0).GetFaceAttributes(0)->material);
    // The colour's material bears the whole line as its name.
    const MaterialRecord* record = RecordOf(Mesh(0).GetFaceAttributes(0)->material.get());
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->name, "color 1 0 0");

    // Without materials, colour lines are passed over.
    Workspace plain;
    ImportOptions options = Options();
    options.addMaterials = false;
    Document doc = plain.doc();
    ASSERT_TRUE(ReadStlBytes(doc, reinterpret_cast<const uint8_t*>(text.data()), text.size(), options, "x"));
    const FramePtr base = plain.scene.Scene()->GetChildren().back();
    EXPECT_EQ(base->GetChildren().at(0)->GetVisuals().at(0)->GetFaceAttributes(0)->color, 0xFFCCCCCCu);
}

TEST_F(StlReaderTest, LinesAreReadAsOtherProgramsWriteThem)
{
    // Windows line ends, tabs and runs of blanks, capitals, a colour out of
    // range, no normals at all and no endsolid.
    const std::string text = "  SOLID  messy \r\nColor 2 -1 0.5\r\nOUTER LOOP\r\n\tVERTEX 1  2\t3\r\n"
                             "vertex +4 5 6 \r\nvertex 7 8 9\r\nvertexx 1 1 1\r\nEndLoop\r\n";
    ASSERT_TRUE(Read(text));
    ASSERT_EQ(Solids().size(), 1u);
    EXPECT_EQ(RecordOf(Solids()[0].get())->name, "messy");
    const MeshBuilder& mesh = Mesh(0);
    ASSERT_EQ(mesh.GetVertexCount(), 3);  // "vertexx" is no vertex line
    Vec3 p;
    ASSERT_TRUE(mesh.GetVertex(0, p));
    EXPECT_FLOAT_EQ(p.y, 2.0f);
    EXPECT_EQ(mesh.GetFaceCount(), 1);
    EXPECT_EQ(mesh.GetFaceAttributes(0)->color, 0xFFFF007Fu);
}

TEST_F(StlReaderTest, FacetsWithoutAFaceAreSkipped)
{
    const std::string text = "solid s\nouter loop\nvertex 0 0 0\nvertex 1 0 0\nendloop\n"
                             "outer loop\nnormal 0 0 1\nvertex 0 0 0\nvertex 1 0 0\nvertex 0 1 0\nendloop\nendsolid\n";
    ASSERT_TRUE(Read(text));
    EXPECT_EQ(Mesh(0).GetFaceCount(), 1);
}

TEST_F(StlReaderTest, DamagedFilesAreRefusedWithTheMessage)
{
    std::string long_facet = "solid s\nouter loop\n";
    for (int i = 0; i <= kStlMaxFacetCorners; ++i)
        long_facet += "vertex " + std::to_string(i) + " 0 0\n";
    for (const std::string& bad :
         {std::string(), std::string("solid s\nvertex 1 2\n"), std::string("solid s\nvertex 1 nan 2\n"),
          std::string("solid s\nvertex 1 1e39 2\n"), std::string("solid s\nvertex 1 2,5 3\n"),
          std::string("solid s\nnormal a b c\n"), std::string("just some words\nwithout any solid\n"),
          long_facet}) {
        Workspace w;
        Document doc = w.doc();
        EXPECT_FALSE(ReadStlBytes(doc, reinterpret_cast<const uint8_t*>(bad.data()), bad.size(), Options(), "x"))
            << bad;
        ASSERT_EQ(w.ui.messages.size(), 1u) << bad;
        EXPECT_EQ(w.ui.messages[0], "Corrupted SLP file.\n");
    }
    Document doc = ws.doc();
    EXPECT_FALSE(ImportStl(doc, "/nonexistent/part.slp", Options()));
    EXPECT_EQ(ws.ui.messages.back(), "Could not open file.\n");
}

std::string BinaryStl(const char* header, const std::vector<std::array<float, 9>>& triangles)
{
    std::string bytes(80, '\0');
    std::memcpy(bytes.data(), header, std::min<size_t>(80, std::strlen(header)));
    const auto count = static_cast<uint32_t>(triangles.size());
    bytes.append(reinterpret_cast<const char*>(&count), 4);
    for (const auto& t : triangles) {
        bytes.append(12, '\0');
        bytes.append(reinterpret_cast<const char*>(t.data()), 36);
        bytes.append(2, '\0');
    }
    return bytes;
}

TEST_F(StlReaderTest, BinaryFilesAreToldByTheirLengthNotTheirFirstWord)
{
    const std::string binary = BinaryStl("solid but binary", {{0, 0, 0, 1, 0, 0, 0, 1, 0}, {0, 0, 1, 1, 0, 1, 0, 1, 1}});
    ASSERT_TRUE(Read(binary));
    ASSERT_EQ(Solids().size(), 1u);
    EXPECT_EQ(RecordOf(Solids()[0].get())->name, "part.stl");
    EXPECT_EQ(Mesh(0).GetFaceCount(), 2);
    Vec3 p;
    ASSERT_TRUE(Mesh(0).GetVertex(3, p));
    EXPECT_FLOAT_EQ(p.z, -1.0f);  // the third axis turned as in text files

    // One byte short of what the count says: text, and not a valid one.
    Workspace w;
    Document doc = w.doc();
    const std::string cut = binary.substr(0, binary.size() - 1);
    EXPECT_FALSE(ReadStlBytes(doc, reinterpret_cast<const uint8_t*>(cut.data()), cut.size(), Options(), "x"));
    // A count that promises more than the file holds is text too.
    EXPECT_FALSE(IsBinaryStl(reinterpret_cast<const uint8_t*>(binary.data()), 84));
    const std::string infinite = BinaryStl("", {{0, 0, 0, 1, 0, 0, 0, INFINITY, 0}});
    EXPECT_FALSE(Read(infinite));
}

TEST_F(StlReaderTest, ABinaryFileIsReadFromTheDiskAsItsBytesAre)
{
    // Enough facets for several of the blocks a file on disk is read in.
    std::vector<std::array<float, 9>> triangles;
    for (int t = 0; t < 20000; ++t) {
        const float x = static_cast<float>(t % 150), y = static_cast<float>(t / 150);
        triangles.push_back({x, y, 0, x + 1, y, 0.5f, x, y + 1, 0.25f});
    }
    TempFolder folder;
    const std::string path = folder.File("grid.stl");
    const std::string bytes = BinaryStl("grid", triangles);
    std::ofstream(path, std::ios::binary) << bytes;

    Document doc = ws.doc();
    ASSERT_TRUE(ImportStl(doc, path, Options()));
    ASSERT_TRUE(Read(bytes));
    ASSERT_EQ(Solids().size(), 2u);
    EXPECT_EQ(Mesh(0).GetVertices(), Mesh(1).GetVertices());
    EXPECT_EQ(Mesh(0).GetNormals(), Mesh(1).GetNormals());
    EXPECT_EQ(Mesh(0).GetFaceCount(), 20000);
    EXPECT_EQ(RecordOf(Solids()[0].get())->name, "grid.stl");

    // A bad coordinate in a later block refuses the file with the message.
    triangles[17000][4] = NAN;
    std::ofstream(path, std::ios::binary | std::ios::trunc) << BinaryStl("grid", triangles);
    Workspace w;
    Document other = w.doc();
    EXPECT_FALSE(ImportStl(other, path, Options()));
    EXPECT_EQ(w.ui.messages, std::vector<std::string>{kStlCorrupted});
}

TEST_F(StlReaderTest, RealFilesFromOtherProgramsGiveTheirFacetCounts)
{
    const std::string corpus = CORVID_CORPUS_DIR "/stl/";
    struct Case {
        const char* file;
        int facets;
    };
    for (const Case& c : {Case{"Cube.stl", 12}, Case{"Cube_binary_solid_header.stl", 12}, Case{"HalfDonut.stl", 288},
                          Case{"Moon_Chinese.stl", 116}, Case{"Star.stl", 68}}) {
        Workspace w;
        std::vector<uint8_t> bytes;
        ASSERT_EQ(ReadWholeFile(corpus + c.file, bytes), ReadStatus::Read) << c.file;
        Document doc = w.doc();
        ASSERT_TRUE(ReadStlBytes(doc, bytes.data(), bytes.size(), Options(), c.file)) << c.file;
        int faces = 0;
        for (const FramePtr& base : w.scene.Scene()->GetChildren())
            if (const ObjectRecord* r = RecordOf(base.get()); r && r->kind == kBaseFrame)
                for (const FramePtr& solid : base->GetChildren())
                    faces += solid->GetVisuals().at(0)->GetFaceCount();
        EXPECT_EQ(faces, c.facets) << c.file;
        EXPECT_TRUE(w.ui.messages.empty()) << c.file;
    }
    // The text cube and the binary cube are the same model.
    ASSERT_TRUE(ReadFile(corpus + "Cube.stl"));
    EXPECT_EQ(RecordOf(Solids()[0].get())->name, "PRO2STL version 1.0");
}

TEST_F(StlReaderTest, AFileCutAnywhereIsReadOrRefusedButNeverCrashes)
{
    std::vector<uint8_t> bytes;
    ASSERT_EQ(ReadWholeFile(CORVID_CORPUS_DIR "/stl/Cube.stl", bytes), ReadStatus::Read);
    for (size_t length = 0; length <= bytes.size(); ++length) {
        Workspace w;
        Document doc = w.doc();
        const bool read = ReadStlBytes(doc, bytes.data(), length, Options(), "cut");
        EXPECT_EQ(w.ui.messages.empty(), read) << length;
    }
}

} // namespace
} // namespace corvid::testing
