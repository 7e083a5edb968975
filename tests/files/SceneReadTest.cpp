// The reader on files it should read, files with parts it is told to leave
// out, and damaged files: each damage gives the corrupted-file message and
// nothing worse, and what was built before the damage stays.

#include "files/FilesFixture.h"

#include "files/scene/SceneFile.h"
#include "platform/Frame.h"
#include "platform/Light.h"
#include "platform/Material.h"
#include "platform/MeshBuilder.h"
#include "scene/KeyList.h"
#include "scene/ObjectTree.h"
#include "scene/Records.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <functional>
#include <limits>
#include <set>

namespace corvid::testing {
namespace {

// Hand-built chunks.
void Group(Hand& h, const std::string& name, int node, int parent, Vec3 at = {})
{
    h.begin("CVDGRO", 2007, node, parent).str(name);
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 4; ++c)
            h.f32(r == c ? 1.0f : 0.0f);
    h.f32s({at.x, at.y, at.z, 1}).end();
}

void Material(Hand& h, const std::string& name, float r, float g, float b)
{
    h.begin("CVDMAT", -1, -1, -1).str(name).f32s({r, g, b, 0, 0, 0, 5, 0, 0, 0, 0, 0, 0, 1}).end();
}

// A triangle whose one face uses material; normals as given (none: -1).
void Triangle(Hand& h, const std::string& name, int node, int parent, const std::string& material,
              bool normals = true, int badVertex = 0)
{
    h.begin("CVDMES", 2008, node, parent).str(name).i32(3).i32(normals ? 1 : 0).i32(1);
    h.f32s({0, 0, 0, 1, 0, 0, 0, 1, 0});
    if (normals)
        h.f32s({0, 0, 1});
    h.i32(1).str(material).i32(1).i32(3);
    for (int v = 0; v < 3; ++v)
        h.i32(v == 2 ? 2 + badVertex : v).i32(normals ? 0 : -1);
    h.identity().end();
}

void PointLight(Hand& h, const std::string& name, int node, int parent)
{
    h.begin("CVDLIG", 1, node, parent).str(name).f32s({0, 5, 0, 1, 1, 1}).end();
}

class SceneReadTest : public ::testing::Test {
protected:
    bool Read(const std::vector<uint8_t>& bytes, const ImportOptions& options = {})
    {
        Document doc = w.doc();
        return ReadSceneBytes(doc, bytes.data(), bytes.size(), options, folder.Path());
    }
    FramePtr Find(const std::string& name) { return FindObject(w.scene.Scene(), name); }
    static Hand File()
    {
        Hand h;
        h.header();
        return h;
    }

    Workspace w;
    TempFolder folder;
};

TEST_F(SceneReadTest, AWrongHeaderOrAnEmptyFileIsRefused)
{
    for (const char* version : {"V2.0", "V2.1"}) {
        Hand h;
        h.str("Anything at all!!").str("cvd").str(version);
        Workspace fresh;
        Document doc = fresh.doc();
        const bool read = ReadSceneBytes(doc, h.bytes.data(), h.bytes.size(), {}, folder.Path());
        // The maker's name is not examined; the tag and version are.
        EXPECT_EQ(read, std::string(version) == "V2.1");
    }
    EXPECT_FALSE(Read({}));
    ASSERT_EQ(w.ui.messages.size(), 1u);
    EXPECT_EQ(w.ui.messages[0], kSceneCorrupted);
}

TEST_F(SceneReadTest, UnknownChunksAreSkippedByTheirLength)
{
    Hand h = File();
    Material(h, "Red", 1, 0, 0);
    h.begin("CVDXYZ", 1, 2, 3).str("something else").f32s({1, 2, 3}).end();
    h.begin("ZZ", 0, 0, 0).end();  // a short tag is a chunk too
    Triangle(h, "Tri", 1, 0, "Red");
    ASSERT_TRUE(Read(h.bytes));
    EXPECT_TRUE(Find("Tri"));
    EXPECT_TRUE(w.ui.messages.empty());
}

TEST_F(SceneReadTest, AFaceWhoseMaterialIsNotInTheFileGetsTheDefault)
{
    Hand h = File();
    Triangle(h, "Tri", 1, 0, "Nowhere");
    ASSERT_TRUE(Read(h.bytes));
    const FaceAttributes& face = *Find("Tri")->GetVisuals()[0]->GetFaceAttributes(0);
    EXPECT_EQ(face.color, 0xFFCCCCCCu);
    ASSERT_TRUE(face.material);
    EXPECT_EQ(RecordOf(face.material.get())->name, "defmaterial");
}

TEST_F(SceneReadTest, AMeshWithoutNormalsLoadsAndSavesAgain)
{
    Hand h = File();
    Material(h, "Red", 1, 0, 0);
    Triangle(h, "Bare", 1, 0, "Red", false);
    ASSERT_TRUE(Read(h.bytes));
    const MeshBuilder& mesh = *Find("Bare")->GetVisuals()[0];
    EXPECT_EQ(mesh.GetNormalCount(), 0);
    EXPECT_EQ(mesh.GetFaceNormalIndex(0, 0), -1);

    Document doc = w.doc();
    const std::vector<uint8_t> again = WriteSceneBytes(doc, {}, folder.Path(), {.copyFiles = false});
    Workspace back;
    Document doc2 = back.doc();
    EXPECT_TRUE(ReadSceneBytes(doc2, again.data(), again.size(), {}, folder.Path()));
    EXPECT_TRUE(FindObject(back.scene.Scene(), "Bare"));
}

TEST_F(SceneReadTest, NormalIndicesFollowEqualNormalsFromTheCornersVertex)
{
    // Four vertices; normal 3 equals normal 1. A corner of vertex 2 whose
    // normal is normal 1 is written with 3 (the first equal one at or after
    // its vertex); a corner of vertex 3 with normal 0, equal only to normal 0
    // and 2 (both before it), with 2 (the last).
    FramePtr frame = w.scene.NewObjectFrame();
    AttachRecord(*frame, std::make_unique<ObjectRecord>(kObject, "N"));
    MeshBuilderPtr mesh = MeshBuilder::Create();
    for (int i = 0; i < 4; ++i)
        mesh->AddVertex({static_cast<float>(i), 0, 0});
    mesh->AddNormal({0, 1, 0});
    mesh->AddNormal({1, 0, 0});
    mesh->AddNormal({0, 1, 0});
    mesh->AddNormal({1, 0, 0});
    const int v[3] = {0, 2, 3};
    const int n[3] = {0, 1, 0};
    mesh->AddFace(v, n);
    frame->AddVisual(mesh);
    w.scene.RegisterObject(frame);

    Document doc = w.doc();
    const std::vector<uint8_t> bytes = WriteSceneBytes(doc, {}, folder.Path(), {.copyFiles = false});
    const size_t at = FindChunk(bytes, "CVDMES");
    ASSERT_NE(at, std::string::npos);
    // Header 23, "N\0", three counts, 4 vertices, 4 normals, group count,
    // "defmaterial\0", face count, corner count.
    const size_t corners = at + 23 + 2 + 12 + 48 + 48 + 4 + 12 + 4 + 4;
    int32_t values[6];
    std::memcpy(values, &bytes[corners], sizeof values);
    EXPECT_EQ(std::vector<int32_t>(values, values + 6), (std::vector<int32_t>{0, 0, 2, 3, 3, 2}));
}

TEST_F(SceneReadTest, LightsLeftOutLeaveTheirChildrenUnderScene)
{
    Hand h = File();
    Material(h, "Red", 1, 0, 0);
    PointLight(h, "Lamp", 1, 0);
    Triangle(h, "Shade", 2, 1, "Red");
    ImportOptions noLights;
    noLights.addLights = false;
    ASSERT_TRUE(Read(h.bytes, noLights));
    EXPECT_FALSE(Find("Lamp"));
    ASSERT_TRUE(Find("Shade"));
    EXPECT_EQ(Find("Shade")->GetParent(), w.scene.Scene().get());
    EXPECT_EQ(w.scene.LightCount(), 0);

    Workspace lit;
    Document doc = lit.doc();
    ASSERT_TRUE(ReadSceneBytes(doc, h.bytes.data(), h.bytes.size(), {}, folder.Path()));
    const FramePtr lamp = FindObject(lit.scene.Scene(), "Lamp");
    ASSERT_TRUE(lamp);
    EXPECT_EQ(FindObject(lit.scene.Scene(), "Shade")->GetParent(), lamp.get());
    EXPECT_EQ(lit.scene.LightCount(), 1);
    EXPECT_EQ(lit.ui.lightEntries.size(), 1u);
}

TEST_F(SceneReadTest, TexturesLeftOutKeepTheMaterialColours)
{
    Hand h = File();
    Material(h, "Brick", 0, 1, 0);
    h.begin("CVDTEX", -1, -1, -1).str("brick.bmp").end();
    h.begin("CVDCKY", -1, -1, -1).u8(1).f32s({1, 0, 1}).end();
    Triangle(h, "Wall", 1, 0, "Brick");
    h.begin("CVDWRP", 0, -1, 1).i32(0).u8(0).u8(0);
    for (int i = 0; i < 13 + 6; ++i)
        h.f32(0.5f);
    h.end();
    ImportOptions noTextures;
    noTextures.addTextures = false;
    ASSERT_TRUE(Read(h.bytes, noTextures));
    EXPECT_TRUE(w.ui.messages.empty());  // nothing looked for
    const MeshBuilder& mesh = *Find("Wall")->GetVisuals()[0];
    EXPECT_EQ(mesh.GetFaceAttributes(0)->color, 0xFF00FF00u);
    EXPECT_FALSE(mesh.GetFaceAttributes(0)->texture);
    EXPECT_EQ(RecordOf(mesh.GetFaceAttributes(0)->material.get())->textureName, "");
    float u = 1, v = 1;
    mesh.GetTextureCoordinates(0, u, v);
    EXPECT_EQ(u, 0.0f);

    // With textures: the name is kept, the missing file reported once.
    Workspace textured;
    Document doc = textured.doc();
    ASSERT_TRUE(ReadSceneBytes(doc, h.bytes.data(), h.bytes.size(), {}, folder.Path()));
    ASSERT_EQ(textured.ui.messages.size(), 1u);
    EXPECT_EQ(textured.ui.messages[0], "Texture " + folder.Path() + "/brick.bmp\n Not in the working directory.\n ");
    const MeshBuilder& wall = *FindObject(textured.scene.Scene(), "Wall")->GetVisuals()[0];
    EXPECT_EQ(RecordOf(wall.GetFaceAttributes(0)->material.get())->textureName, "brick.bmp");
    EXPECT_TRUE(RecordOf(wall.GetFaceAttributes(0)->material.get())->colorKey);
    wall.GetTextureCoordinates(0, u, v);
    EXPECT_EQ(u, 0.5f);
}

TEST_F(SceneReadTest, ReferencesResolveToTheLargestNodeAndIgnoreMissingOnes)
{
    Hand h = File();
    Material(h, "Red", 1, 0, 0);
    Triangle(h, "A", 1, 0, "Red");
    Triangle(h, "B", 1000, 0, "Red");  // indices may have gaps
    h.begin("CVDLKA", -1, 1000, 1).end();
    h.begin("CVDLKA", -1, 77, 1000).end();  // no object 77
    h.begin("CVDLKA", -1, 1, 55).end();     // no object 55
    h.begin("CVDANI", 2001, -1, 1).u8(1).u8(1).u8(0).u8(0).u8(0).u8(0).i32(2);
    h.f32(5).i32(1000).i32(-1).f32s({1, 2, 3, 0, 0, 0, 0, 0, 0});
    h.f32(9).i32(42).i32(42).f32s({1, 2, 3, 0, 0, 0, 0, 0, 0});
    h.end();
    ASSERT_TRUE(Read(h.bytes));
    const FramePtr a = Find("A"), b = Find("B");
    ASSERT_TRUE(a && b);
    EXPECT_TRUE(RecordOf(a.get())->looksAt);
    EXPECT_EQ(RecordOf(a.get())->lookTarget.lock(), b);
    EXPECT_FALSE(RecordOf(b.get())->looksAt);
    const KeyList& keys = *RecordOf(a.get())->keyList;
    ASSERT_EQ(keys.objectKeys.size(), 1u);  // the key with no reference found makes nothing
    EXPECT_EQ(keys.objectKeys[0].positionReference.lock(), b);
}

// Damaged files: every one gives the corrupted-file message; what came
// before the damage stays.
TEST_F(SceneReadTest, DamageOfEveryKindIsReportedAndWhatCameBeforeStays)
{
    struct Case {
        const char* what;
        std::function<void(Hand&)> damage;
    };
    const Case cases[] = {
        {"vertex index out of range", [](Hand& h) { Triangle(h, "Bad", 2, 0, "Red", true, 1); }},
        {"huge vertex count",
         [](Hand& h) { h.begin("CVDMES", 2008, 2, 0).str("Huge").i32(0x7FFFFFFF).i32(0).i32(0).end(); }},
        {"negative face count",
         [](Hand& h) { h.begin("CVDMES", 2008, 2, 0).str("Neg").i32(0).i32(0).i32(-1).end(); }},
        {"huge key count", [](Hand& h) { h.begin("CVDANI", 2001, -1, 1).u8(1).u8(0).u8(0).u8(0).u8(0).u8(0).i32(1 << 30).end(); }},
        {"light of an unknown type", [](Hand& h) { h.begin("CVDLIG", 9, 2, 0).str("L").f32s({0, 0, 0, 1, 1, 1}).end(); }},
        {"non-finite number", [](Hand& h) { h.begin("CVDCAM", 0, 2, 0).str("C").f32s({0, 0, std::numeric_limits<float>::quiet_NaN()}).f32s({0, 0, 1, 0, 1, 0}).end(); }},
        {"string without a terminator", [](Hand& h) { h.bytes.insert(h.bytes.end(), {'C', 'V', 'D', 'M'}); }},
        {"chunk longer than the file", [](Hand& h) { h.begin("CVDGRO", 2007, 2, 0).i32(0); h.bytes[h.bytes.size() - 8] = 200; }},
        {"chunk shorter than its header", [](Hand& h) { h.str("CVDGRO").i32(2007).i32(2).i32(0).i32(10); }},
        {"body past its chunk", [](Hand& h) { h.begin("CVDSCN", -1, -1, -1).u8(1).end(); }},
        {"a 300-character name", [](Hand& h) { Group(h, std::string(300, 'x'), 2, 0); }},
    };
    for (const Case& c : cases) {
        Workspace fresh;
        Hand h = File();
        Material(h, "Red", 1, 0, 0);
        Triangle(h, "Good", 1, 0, "Red");
        c.damage(h);
        Document doc = fresh.doc();
        EXPECT_FALSE(ReadSceneBytes(doc, h.bytes.data(), h.bytes.size(), {}, folder.Path())) << c.what;
        ASSERT_FALSE(fresh.ui.messages.empty()) << c.what;
        EXPECT_EQ(fresh.ui.messages.back(), kSceneCorrupted) << c.what;
        EXPECT_TRUE(FindObject(fresh.scene.Scene(), "Good")) << c.what;
        EXPECT_FALSE(fresh.ui.progressVisible) << c.what;
    }
}

// A real file cut at every length: only the cuts between chunks read.
TEST_F(SceneReadTest, AFileCutAtEveryLength)
{
    std::vector<uint8_t> file_;
    {
        Hand h = File();
        Material(h, "Red", 1, 0, 0);
        h.begin("CVDTEX", -1, -1, -1).str("none.bmp").end();
        h.begin("CVDSCN", -1, -1, -1).u8(1).u8(1).u8(1).f32(0.5f).end();
        Group(h, "SCENE", 1, 0);
        Group(h, "G", 2, 1, {1, 2, 3});
        Triangle(h, "Tri", 3, 2, "Red");
        h.begin("CVDPAT", 3001, -1, 3).i32(0).i32(0).i32(4).i32(4).i32(5).i32(5).end();
        h.begin("CVDLIG", 2, 4, 2).str("Spot").f32s({0, 1, 0, 1, 1, 1, 0, 0, 1, 0, 1, 0, 1, 0, 0, 9, 1, 0.5f}).end();
        h.begin("CVDCAM", 0, 5, 1).str("Cam").f32s({0, 0, -5, 0, 0, 1, 0, 1, 0}).end();
        h.begin("CVDLKA", -1, 3, 5).end();
        h.begin("CVDANF", -1, -1, -1).u8(1).u8(0).i32(1).i32(1).f32(1).f32(2).i32(50).end();
        h.begin("CVDANI", 2003, -1, 4).u8(1).u8(1).u8(1).u8(0).u8(0).u8(0).i32(1);
        h.f32(0).i32(1).i32(1).f32s({0, 1, 0, 0, 0, 1, 0, 1, 0});
        h.u8(1).u8(0).u8(1).u8(0).u8(0).u8(0).i32(1).f32s({0, 999999, 999999, 999999, 9, 0.2f, 999999, 1, 0, 0}).end();
        h.begin("CVDFOG", 0, -1, -1).f32s({1, 1, 1}).u8(1).u8(0).i32(0).i32(4).f32s({0, 1, 20, 0}).end();
        h.begin("CVDBKG", -1, -1, -1).str("NOBKG").f32s({0, 0, 0}).end();
        h.begin("CVDVPT", -1, -1, 5).u8(1).i32(3).end();
        file_ = h.bytes;
    }
    std::set<size_t> boundaries = {27};
    for (size_t at = 27; at < file_.size();) {
        const std::string tag(reinterpret_cast<const char*>(file_.data() + at));
        uint32_t length;
        std::memcpy(&length, file_.data() + at + tag.size() + 1 + 12, 4);
        at += length;
        boundaries.insert(at);
    }
    for (size_t length = 0; length <= file_.size(); ++length) {
        Workspace cut;
        Document doc = cut.doc();
        const std::vector<uint8_t> part(file_.begin(), file_.begin() + static_cast<long>(length));
        const bool read = ReadSceneBytes(doc, part.data(), part.size(), {}, folder.Path());
        EXPECT_EQ(read, boundaries.count(length) > 0) << "cut at " << length;
    }
}

// A triangle placed by the given row-major transform, with two keys that
// move and turn it between frames 0 and 30 (relative to the object of node
// reference).
void MovingTriangle(Hand& h, const std::string& name, int node, const std::array<float, 16>& transform,
                    Vec3 from, Vec3 to, Vec3 direction, int reference = 0)
{
    h.begin("CVDMES", 2008, node, 0).str(name).i32(3).i32(1).i32(1);
    h.f32s({0, 0, 0, 1, 0, 0, 0, 1, 0}).f32s({0, 0, 1});
    h.i32(1).str("Red").i32(1).i32(3).i32(0).i32(0).i32(1).i32(0).i32(2).i32(0);
    for (float v : transform)
        h.f32(v);
    h.end();
    h.begin("CVDANI", 2001, -1, node).u8(1).u8(1).u8(1).u8(0).u8(0).u8(0).i32(2);
    h.f32(0).i32(reference).i32(reference).f32s({from.x, from.y, from.z, direction.x, direction.y, direction.z, 0, 1, 0});
    h.f32(30).i32(reference).i32(reference).f32s({to.x, to.y, to.z, 0, 0, 1, 0, 1, 0});
    h.end();
}

// Found by fuzzing: a transform with a finite rotation entry of 4e27
// loaded, the first frame shown turned it into NaNs (a row's length
// overflows), and the scene then saved a file that could not be read back.
// A scale (a row's length) beyond 1e9 is damage; up to it, and with any
// finite translation, a scene turns, shows, saves and reads back.
TEST_F(SceneReadTest, RotationAndScaleTooLargeForTheFramesArithmeticAreDamage)
{
    const std::array<float, 16> identity = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    std::array<float, 16> fuzzed = identity;
    fuzzed[2] = 4.4565079e27f;
    fuzzed[3] = 4.5448167e30f;
    fuzzed[12] = -4;
    fuzzed[13] = 2;
    fuzzed[14] = 1;
    std::array<float, 16> scaled = identity;
    scaled[0] = scaled[5] = scaled[10] = 1e20f;
    std::array<float, 16> skewed = identity;  // no entry beyond 1e9, a row of 1.4e9
    skewed[0] = skewed[5] = skewed[10] = 1e9f;
    skewed[1] = -1e9f;
    for (const auto& transform : {fuzzed, scaled, skewed}) {
        Workspace fresh;
        Hand h = File();
        Material(h, "Red", 1, 0, 0);
        Triangle(h, "Good", 1, 0, "Red");
        MovingTriangle(h, "Bad", 2, transform, {-4, 0, 1}, {-4, 2, 1}, {0, 0, 1});
        Document doc = fresh.doc();
        EXPECT_FALSE(ReadSceneBytes(doc, h.bytes.data(), h.bytes.size(), {}, folder.Path()));
        ASSERT_FALSE(fresh.ui.messages.empty());
        EXPECT_EQ(fresh.ui.messages.back(), kSceneCorrupted);
        EXPECT_TRUE(FindObject(fresh.scene.Scene(), "Good"));
    }

    // Rows just under 1e9 long (one of them skewed), far away, moving and
    // turning. (Turning may round a length up in its last digits, so a file
    // right at the bound could come back a hair over it.)
    const float big = 0.999e9f;
    std::array<float, 16> far = identity;
    far[0] = 0.6f * big;
    far[1] = -0.8f * big;
    far[5] = far[10] = big;
    far[12] = -1e30f;
    far[13] = 3e38f;
    Hand h = File();
    Material(h, "Red", 1, 0, 0);
    MovingTriangle(h, "Far", 1, far, {-big, -big, -big}, {big, big, big}, {big, 0, 0});
    ASSERT_TRUE(Read(h.bytes));
    for (float frame : {0.0f, 1.0f, 15.0f, 30.0f}) {
        w.animation.ShowFrame(frame);
        w.views.RenderAllViews();
        Document doc = w.doc();
        const std::vector<uint8_t> saved = WriteSceneBytes(doc, {}, folder.Path(), {.copyFiles = false});
        Workspace back;
        Document doc2 = back.doc();
        EXPECT_TRUE(ReadSceneBytes(doc2, saved.data(), saved.size(), {}, folder.Path())) << "frame " << frame;
        EXPECT_TRUE(back.ui.messages.empty()) << "frame " << frame;
    }
}

// Found while looking for slow inputs: light keys were stored by searching
// all the keys so far for each one (a chunk of 40,000 took 1.5 s, and the
// time grew with the square of the count). Now each finds its time in a table;
// what is stored must stay the same: keys at one time (0 and -0 alike)
// merge, a key that sets nothing goes when a key at a new time follows, and
// a later chunk finds the keys of an earlier one.
TEST_F(SceneReadTest, LightKeysAtOneTimeMergeAndKeysThatSetNothingGo)
{
    constexpr float u = 999999.0f;
    auto keys = [](Hand& h, std::initializer_list<std::array<float, 10>> list) {
        h.begin("CVDANI", 2003, -1, 1).u8(0).u8(0).u8(0).u8(0).u8(0).u8(0).i32(0);
        h.u8(1).u8(0).u8(1).u8(0).u8(0).u8(0).i32(static_cast<int32_t>(list.size()));
        for (const auto& key : list)
            for (float v : key)
                h.f32(v);
        h.end();
    };
    Hand h = File();
    PointLight(h, "Lamp", 1, 0);
    keys(h, {{5, 1, 0, 0, u, u, u, u, u, u},    // red at 5
             {9, u, u, u, u, u, u, u, u, u}});    // nothing at 9: goes with the next new time
    keys(h, {{-0.0f, u, u, u, 9, u, u, u, u, u},  // a range at 0 ...
             {7, u, u, u, u, u, u, u, u, u},      // (nothing at 7, as at 9)
             {0, u, u, u, u, 0.2f, u, u, u, u},   // ... an umbra there
             {5, u, u, u, u, 0.3f, u, u, u, u},   // an umbra at 5 too
             {8, u, u, u, u, u, 0.5f, u, u, u},
             {0, u, u, u, u, u, u, 1, u, u},      // attenuations at 0
             {10, u, u, u, 2, u, u, u, u, u}});
    ASSERT_TRUE(Read(h.bytes));
    const LightRecord* record = RecordOf(Find("Lamp")->GetLights()[0].get());
    ASSERT_TRUE(record && record->keyList);
    const std::vector<LightKey>& list = record->keyList->lightKeys;
    ASSERT_EQ(list.size(), 4u);
    LightKey red;
    red.time = 5;
    red.color = MakeARGB(1, 0, 0);
    red.umbra = 0.3f;
    LightKey zero;
    zero.time = 0;
    zero.range = 9;
    zero.umbra = 0.2f;
    zero.constantAttenuation = 1;
    LightKey eight;
    eight.time = 8;
    eight.penumbra = 0.5f;
    LightKey ten;
    ten.time = 10;
    ten.range = 2;
    EXPECT_EQ(list[0], red);
    EXPECT_EQ(list[1], zero);
    EXPECT_EQ(list[2], eight);
    EXPECT_EQ(list[3], ten);
}

// Found by fuzzing: a group whose transform has a last column other than
// (0, 0, 0, 1) (here a w of 1e-43 and a singular rest) made a key placed
// relative to it land at infinity once a frame was shown, and the scene
// saved NaNs it could not read back. A frame's last column is taken as (0, 0, 0, 1);
// the file's own transform is still what is saved again.
TEST_F(SceneReadTest, ATransformsLastColumnIsTakenAsAffine)
{
    const float tiny = 8.828180325e-44f;  // a denormal, as fuzzed
    Hand h = File();
    Material(h, "Red", 1, 0, 0);
    h.begin("CVDGRO", 2007, 1, 0).str("");
    h.f32s({3296.0625f, -0.0f, tiny, 0, 0, 0, -0.0f, tiny, 0, 0, 0, -0.0f, tiny, 0, 0, 0}).end();
    MovingTriangle(h, "Mover", 2, {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, -4, 2, 1, 1}, {-4, 0, 1}, {-4, 2, 1}, {0, 0, 1}, 1);
    h.begin("CVDGRO", 2007, 3, 0).str("Skewed");
    h.f32s({1, 0, 0, 0.5f, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}).end();
    ASSERT_TRUE(Read(h.bytes));

    Document doc = w.doc();
    const std::vector<uint8_t> unmoved = WriteSceneBytes(doc, {}, folder.Path(), {.copyFiles = false});
    const size_t skewed = FindChunk(unmoved, "CVDGRO", FindChunk(unmoved, "CVDMES"));
    ASSERT_NE(skewed, std::string::npos);
    float w03 = 0;
    std::memcpy(&w03, &unmoved[skewed + 23 + 7 + 12], 4);
    EXPECT_EQ(w03, 0.5f);  // saved as the file had it

    for (float frame : {0.0f, 1.0f, 15.0f}) {
        w.animation.ShowFrame(frame);
        w.views.RenderAllViews();
        const Matrix4 at = Find("Mover")->GetTransform(w.scene.Scene().get());
        for (const auto& row : at.m)
            for (float v : row)
                EXPECT_TRUE(std::isfinite(v)) << "frame " << frame;
        const std::vector<uint8_t> saved = WriteSceneBytes(doc, {}, folder.Path(), {.copyFiles = false});
        Workspace back;
        Document doc2 = back.doc();
        EXPECT_TRUE(ReadSceneBytes(doc2, saved.data(), saved.size(), {}, folder.Path())) << "frame " << frame;
    }
}

// Found by fuzzing (UBSan): the animation settings' open/closed number was
// converted to an int, undefined for a float beyond an int's range. Closed
// is a whole part of 1, and any other finite number is open.
TEST_F(SceneReadTest, TheOpenOrClosedNumberOfAnyFiniteSizeReads)
{
    const std::pair<float, bool> cases[] = {{1.77511e28f, false}, {-3e38f, false}, {1.0f, true}, {1.5f, true},
                                            {1.999f, true},       {2.0f, false},   {0.999f, false}, {-1.0f, false}};
    for (const auto& [number, closed] : cases) {
        Hand h = File();
        h.begin("CVDANF", -1, -1, -1).u8(1).u8(0).i32(1).i32(1).f32(number).f32(2).i32(50).end();
        Workspace fresh;
        Document doc = fresh.doc();
        ASSERT_TRUE(ReadSceneBytes(doc, h.bytes.data(), h.bytes.size(), {}, folder.Path())) << number;
        EXPECT_EQ(fresh.transport.Window().closed, closed) << number;
    }
}

} // namespace
} // namespace corvid::testing

namespace corvid::testing {
namespace {

TEST_F(SceneReadTest, AWrapOfAnUnknownShapeIsDamage)
{
    for (int type : {-1, 0, 5, 6}) {
        Workspace fresh;
        Hand h = File();
        Material(h, "Red", 1, 0, 0);
        Triangle(h, "Wrapped", 1, 0, "Red");
        h.begin("CVDWRP", type, -1, 1).i32(0).u8(0).u8(0);
        h.f32s({0, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 1, 1}).f32s({0, 0, 1, 0, 0, 1}).end();
        Document doc = fresh.doc();
        const bool read = ReadSceneBytes(doc, h.bytes.data(), h.bytes.size(), {}, folder.Path());
        EXPECT_EQ(read, type >= 0 && type <= 5) << type;
        if (!read) {
            ASSERT_FALSE(fresh.ui.messages.empty());
            EXPECT_EQ(fresh.ui.messages.back(), kSceneCorrupted) << type;
        }
    }
}

TEST_F(SceneReadTest, FogAndBackgroundColoursAreClampedAndAMissingPictureIsNotShown)
{
    Hand h = File();
    h.begin("CVDFOG", 1, -1, -1).f32s({2.0f, -0.5f, 0.5f}).u8(1).u8(0).i32(0).i32(0).f32s({0, 1, 30, 0.1f}).end();
    h.begin("CVDBKG", -1, -1, -1).str("missing.bmp").f32s({1.5f, 0.25f, -3}).end();
    ASSERT_TRUE(Read(h.bytes));
    const SceneProperties& p = w.scene.World()->Scene();
    EXPECT_EQ(p.fogColor, (ColorRGBA{1.0f, 0.0f, 0.5f, 1.0f}));
    EXPECT_EQ(p.background, (ColorRGBA{1.0f, 0.25f, 0.0f, 1.0f}));
    EXPECT_EQ(p.fogMode, FogMode::Exponential);
    EXPECT_EQ(p.fogEnd, 30.0f);
    EXPECT_FALSE(p.backgroundImage);
    EXPECT_FALSE(w.scene.Settings().backgroundImageOn) << "no picture loaded, so the box is off";
    EXPECT_EQ(w.scene.Settings().backgroundImageName, "missing.bmp");
}

} // namespace
} // namespace corvid::testing
