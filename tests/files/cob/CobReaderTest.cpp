// Binary polygon-object files: the header, objects with their frames,
// vertices and faces, the object hierarchy, materials with their texture
// maps, and damaged files. The bytes are built here from the format's
// layout, not by any writer of ours.

#include "files/FilesFixture.h"

#include "files/cob/CobFile.h"
#include "platform/Frame.h"
#include "platform/Material.h"
#include "platform/MeshBuilder.h"
#include "scene/Records.h"

#include <gtest/gtest.h>

namespace corvid::testing {
namespace {

class CobBytes {
public:
    explicit CobBytes(const char* header = "Caligari V00.01BLH")
    {
        std::string h(header);
        h.resize(32, ' ');
        bytes.assign(h.begin(), h.end());
    }
    CobBytes& u8(uint8_t v)
    {
        bytes.push_back(v);
        return *this;
    }
    CobBytes& u16(uint16_t v) { return u8(static_cast<uint8_t>(v)).u8(static_cast<uint8_t>(v >> 8)); }
    CobBytes& i32(int32_t v)
    {
        for (int i = 0; i < 4; ++i)
            u8(static_cast<uint8_t>(static_cast<uint32_t>(v) >> (8 * i)));
        return *this;
    }
    CobBytes& f32(float v)
    {
        int32_t bits;
        std::memcpy(&bits, &v, 4);
        return i32(bits);
    }
    CobBytes& name(const std::string& text)
    {
        u16(static_cast<uint16_t>(text.size()));
        bytes.insert(bytes.end(), text.begin(), text.end());
        return *this;
    }
    // A chunk header whose length is filled in by End.
    CobBytes& Chunk(const char* type, int32_t id, int32_t parent)
    {
        bytes.insert(bytes.end(), type, type + 4);
        u16(0).u16(4).i32(id).i32(parent);
        lengthAt_ = bytes.size();
        return i32(0);
    }
    CobBytes& End()
    {
        const auto length = static_cast<int32_t>(bytes.size() - lengthAt_ - 4);
        for (int i = 0; i < 4; ++i)
            bytes[lengthAt_ + i] = static_cast<uint8_t>(static_cast<uint32_t>(length) >> (8 * i));
        return *this;
    }
    // A square object: four points (z = height), four (u, v), one face.
    CobBytes& Square(int32_t id, int32_t parent, const std::string& objectName, Vec3 at = {}, float height = 0,
                     uint16_t duplicate = 0)
    {
        Chunk("PolH", id, parent).u16(duplicate).name(objectName);
        for (int i = 0; i < 12; ++i)
            f32(i % 4 == 0 ? 1.0f : 0.0f);  // centre and axes (not used)
        const float rows[3][4] = {{1, 0, 0, at.x}, {0, 1, 0, at.y}, {0, 0, 1, at.z}};
        for (const auto& row : rows)
            for (float v : row)
                f32(v);
        i32(4);
        for (const Vec3 p : {Vec3{0, 0, height}, Vec3{1, 0, height}, Vec3{1, 1, height}, Vec3{0, 1, height}})
            f32(p.x).f32(p.y).f32(p.z);
        i32(4);
        for (float v : {0.0f, 0.0f, 1.0f, 0.0f, 1.0f, 1.0f, 0.0f, 0.25f})
            f32(v);
        i32(1).u8(0).u16(4).u16(0);
        for (int32_t c = 0; c < 4; ++c)
            i32(c).i32(c);
        return End();
    }
    CobBytes& Material(float red, const std::string& texture = "")
    {
        Chunk("Mat1", 99, 1).u16(7).u8(0).u8(0).u8(0);
        for (float v : {red, 0.5f, 0.0f, 1.0f, 0.1f, 0.3f, 0.25f, 1.0f})
            f32(v);
        if (!texture.empty()) {
            u8('t').u8(':').u8(0).name(texture);
            for (int i = 0; i < 16; ++i)
                u8(0);
        }
        return End();
    }
    CobBytes& Finish() { return Chunk("END ", 0, 0).End(); }

    std::vector<uint8_t> bytes;

private:
    size_t lengthAt_ = 0;
};

class CobReaderTest : public ::testing::Test {
protected:
    static ImportOptions Options(int winding = 0, float scale = 1.0f)
    {
        ImportOptions options;
        options.winding = winding;
        options.scale = scale;
        options.addMaterials = true;
        options.addTextures = true;
        return options;
    }
    bool Read(const CobBytes& file, const ImportOptions& options = Options())
    {
        Document doc = ws.doc();
        return ReadCobBytes(doc, file.bytes.data(), file.bytes.size(), options, folder.Path());
    }
    FramePtr Base()
    {
        for (const FramePtr& child : ws.scene.Scene()->GetChildren())
            if (const ObjectRecord* r = RecordOf(child.get()); r && r->kind == kBaseFrame)
                return child;
        return nullptr;
    }
    static const MeshBuilder& MeshOf(const FramePtr& frame) { return *frame->GetVisuals().at(0); }

    Workspace ws;
    TempFolder folder;
};

TEST_F(CobReaderTest, AnObjectWithItsFramePointsAndFace)
{
    ASSERT_TRUE(Read(CobBytes().Square(1, 0, "plate", {1, 2, 3}, 3).Finish(), Options(1, 2.0f)));
    ASSERT_EQ(Base()->GetChildren().size(), 1u);
    const FramePtr plate = Base()->GetChildren()[0];
    EXPECT_EQ(RecordOf(plate.get())->name, "plate");
    // Points and the frame's translation swap y and z and take the scale.
    EXPECT_EQ(plate->GetPosition(Base().get()), (Vec3{2, 6, 4}));
    const MeshBuilder& mesh = MeshOf(plate);
    Vec3 p;
    ASSERT_TRUE(mesh.GetVertex(1, p));
    EXPECT_EQ(p, (Vec3{2, 6, 0}));
    ASSERT_EQ(mesh.GetFaceCount(), 1);
    EXPECT_EQ(mesh.GetFaceVertexIndex(0, 0), 3);  // reversed
    float u, v;
    ASSERT_TRUE(mesh.GetTextureCoordinates(3, u, v));
    EXPECT_FLOAT_EQ(v, -0.25f);
    EXPECT_EQ(mesh.GetFaceAttributes(0)->color, 0xFFCCCCCCu);
}

TEST_F(CobReaderTest, ParentsAndUnnamedObjects)
{
    ASSERT_TRUE(Read(CobBytes()
                         .Square(10, 0, "body")
                         .Square(11, 10, "arm")
                         .Square(12, 77, "", {}, 0, 3)
                         .Finish()));
    const FramePtr base = Base();
    ASSERT_EQ(base->GetChildren().size(), 2u);  // body and the one whose parent is unknown
    const FramePtr body = base->GetChildren()[0];
    ASSERT_EQ(body->GetChildren().size(), 1u);
    EXPECT_EQ(RecordOf(body->GetChildren()[0].get())->name, "arm");
    EXPECT_EQ(RecordOf(base->GetChildren()[1].get())->name, "NoName3");
}

TEST_F(CobReaderTest, MaterialsDressTheObjectBeforeThem)
{
    // A material before any object has nothing to dress; the second of two
    // replaces the first; a texture's folder in the file is not looked in.
    ASSERT_TRUE(Read(CobBytes()
                         .Material(0.2f)
                         .Square(1, 0, "plate")
                         .Material(0.0f)
                         .Material(1.0f, "C:\\maps\\wood.bmp")
                         .Finish()));
    const MeshBuilder& mesh = MeshOf(Base()->GetChildren()[0]);
    EXPECT_EQ(mesh.GetFaceAttributes(0)->color, 0xFFFF7F00u);
    const MaterialRecord* record = RecordOf(mesh.GetFaceAttributes(0)->material.get());
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->name, "Material_7");
    EXPECT_EQ(record->textureName, "wood.bmp");
    EXPECT_FLOAT_EQ(record->specular[0], 0.3f);
    EXPECT_FLOAT_EQ(mesh.GetFaceAttributes(0)->material->GetPower(), 0.75f);
    // Three materials: the default one and the two read.
    EXPECT_EQ(ws.scene.materials.size(), 3u);
    ASSERT_EQ(ws.ui.messages.size(), 1u);
    EXPECT_EQ(ws.ui.messages[0], "Texture " + folder.File("wood.bmp") + "\n Not in the working directory.\n ");
}

TEST_F(CobReaderTest, DamagedAndForeignFilesAreRefused)
{
    CobBytes outOfRange;
    outOfRange.Chunk("PolH", 1, 0).u16(0).name("x");
    for (int i = 0; i < 24; ++i)
        outOfRange.f32(0);
    outOfRange.i32(3).f32(0).f32(0).f32(0).f32(1).f32(0).f32(0).f32(0).f32(1).f32(0).i32(0);
    outOfRange.i32(1).u8(0).u16(3).u16(0).i32(0).i32(0).i32(1).i32(0).i32(3).i32(0).End().Finish();

    CobBytes hugeCount;
    hugeCount.Chunk("PolH", 1, 0).u16(0).name("x");
    for (int i = 0; i < 24; ++i)
        hugeCount.f32(0);
    hugeCount.i32(0x7FFFFFFF).End().Finish();

    CobBytes notANumber;
    notANumber.Chunk("PolH", 1, 0).u16(0).name("x");
    for (int i = 0; i < 24; ++i)
        notANumber.f32(0);
    notANumber.i32(1).f32(NAN).f32(0).f32(0).i32(0).i32(0).End().Finish();

    CobBytes trailing = CobBytes().Square(1, 0, "a").Finish();
    trailing.u8(0);
    CobBytes unended = CobBytes().Square(1, 0, "a");
    CobBytes overlong = CobBytes().Square(1, 0, "a").Finish();
    overlong.bytes[32 + 16] = 0xFF;  // the first chunk's length, far past the end

    for (const CobBytes& bad : {CobBytes("Caligari V00.01ALH").Finish(), CobBytes("Caligari V00.01BHL").Finish(),
                                CobBytes("Calligraphy").Finish(), outOfRange, hugeCount, notANumber, trailing,
                                unended, overlong, CobBytes("")}) {
        Workspace w;
        Document doc = w.doc();
        EXPECT_FALSE(ReadCobBytes(doc, bad.bytes.data(), bad.bytes.size(), Options(), folder.Path()));
        ASSERT_EQ(w.ui.messages.size(), 1u);
        EXPECT_EQ(w.ui.messages[0], "Not in binary or Corrupted COB file.\n");
    }
    Document doc = ws.doc();
    EXPECT_FALSE(ImportCob(doc, "/nonexistent/ship.cob", Options()));
    EXPECT_EQ(ws.ui.messages.back(), "Could not open file.\n");
}

TEST_F(CobReaderTest, AFileCutAnywhereIsReadOrRefusedButNeverCrashes)
{
    const CobBytes file = CobBytes().Square(1, 0, "a").Square(2, 1, "b").Material(0.5f, "x.bmp").Finish();
    for (size_t length = 0; length <= file.bytes.size(); ++length) {
        Workspace w;
        Document doc = w.doc();
        const bool read = ReadCobBytes(doc, file.bytes.data(), length, Options(), "/dev/null/none");
        EXPECT_EQ(read, length == file.bytes.size()) << length;
    }
}

} // namespace
} // namespace corvid::testing
