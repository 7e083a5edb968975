// Reading VRML files: files that are not ours or are damaged are refused with
// the message and leave no object behind them; a file of ours cut anywhere
// is refused, never read as whole; the text forms the reader accepts
// (comments, quoted names with blanks, a last face without -1, nested
// Transforms, primitives) build what they describe.

#include "files/vrml/VrmlFixture.h"

#include "platform/Light.h"
#include "platform/Texture.h"

#include <clocale>
#include <fstream>
#include <sstream>

namespace corvid::testing {
namespace {

std::string Slurp(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// A shape of a face set with the points and index list given, after the
// appearance text.
std::string FaceSet(const std::string& points, const std::string& indices, const std::string& appearance = {})
{
    return "\t\tShape {\n" + appearance + "\t\t\tgeometry IndexedFaceSet {\n\t\t\t\tcoord Coordinate {\n\t\t\t\t\tpoint [\n" + points +
           "\t\t\t\t\t]\n\t\t\t\t}\n\t\t\t\tcoordIndex [\n" + indices + "\t\t\t\t\t]\n\t\t\t}\n\t\t}\n";
}

struct InvalidFile {
    const char* name;
    bool tampered;  // the status line tells the file is not an export
};

class VrmlInvalidFileTest : public ::testing::TestWithParam<InvalidFile> {};

TEST_P(VrmlInvalidFileTest, IsRefusedWithTheMessageAndLeavesNothing)
{
    Workspace ws;
    Document doc = ws.doc();
    const size_t before = ws.scene.Scene()->GetChildren().size();
    EXPECT_FALSE(ImportVrml(doc, VrmlDataFolder() + "/" + GetParam().name, {}));
    EXPECT_EQ(ws.ui.messages, std::vector<std::string>{kVrmlNotOurs});
    const bool tampered = std::find(ws.ui.statusLines.begin(), ws.ui.statusLines.end(), kVrmlTampered) !=
                          ws.ui.statusLines.end();
    EXPECT_EQ(tampered, GetParam().tampered);
    EXPECT_EQ(ws.scene.Scene()->GetChildren().size(), before);
}

INSTANTIATE_TEST_SUITE_P(Files, VrmlInvalidFileTest,
                         ::testing::Values(InvalidFile{"invalid-empty.wrl", false},
                                           InvalidFile{"invalid-header.wrl", false},
                                           InvalidFile{"invalid-not-ours.wrl", true},
                                           InvalidFile{"invalid-unclosed.wrl", false},
                                           InvalidFile{"invalid-index.wrl", false},
                                           InvalidFile{"invalid-number.wrl", false},
                                           InvalidFile{"invalid-infinite.wrl", false},
                                           InvalidFile{"invalid-open-string.wrl", false},
                                           InvalidFile{"invalid-stray-bracket.wrl", false},
                                           InvalidFile{"invalid-short-field.wrl", false}),
                         [](const auto& test) {
                             std::string name = test.param.name;
                             name = name.substr(8, name.size() - 12);  // between "invalid-" and ".wrl"
                             std::replace(name.begin(), name.end(), '-', '_');
                             return name;
                         });

TEST(VrmlReadTest, MissingFileCannotBeOpened)
{
    Workspace ws;
    Document doc = ws.doc();
    EXPECT_FALSE(ImportVrml(doc, "/dev/null/missing.wrl", {}));
    EXPECT_EQ(ws.ui.messages, std::vector<std::string>{kVrmlOpenForReadFailed});
}

TEST(VrmlReadTest, NestingBeyondTheBoundIsRefused)
{
    std::string deep = kOurHeader;
    for (int i = 0; i <= kMaxVrmlNesting; ++i)
        deep += "Transform { translation 1 0 0 children [\n";
    for (int i = 0; i <= kMaxVrmlNesting; ++i)
        deep += "] }\n";
    Workspace ws;
    EXPECT_FALSE(ReadText(ws, deep));
    EXPECT_EQ(ws.ui.messages, std::vector<std::string>{kVrmlNotOurs});

    // At the bound itself the file reads.
    std::string bounded = kOurHeader;
    for (int i = 0; i < kMaxVrmlNesting; ++i)
        bounded += "Transform { children [\n";
    for (int i = 0; i < kMaxVrmlNesting; ++i)
        bounded += "] }\n";
    Workspace ws2;
    EXPECT_TRUE(ReadText(ws2, bounded));
}

TEST(VrmlReadTest, FileOfOursCutAnywhereIsRefused)
{
    // A small scene of every node the export writes.
    Workspace source;
    MaterialPtr red = MakeMaterial(source.scene, "Red", {1, 0, 0}, 50, 1);
    RecordOf(red.get())->textureName = "red.bmp";
    MakeMeshObject(source.scene, "Quad", nullptr, {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}}, {{0, 1, 2, 3}},
                   {red});
    FramePtr light = source.scene.CreateLight(LightType::Spot, {});
    source.scene.RegisterObject(light);
    source.scene.World()->Scene().fogEnabled = true;
    Document doc = source.doc();
    const std::string text = WriteVrmlText(doc, {}, "/dev/null/cut.wrl", {.copyFiles = false, .time = 0});
    ASSERT_TRUE(ReadText(source, text));

    for (size_t length = 0; length < text.size(); ++length) {
        Workspace ws;
        const bool read = ReadText(ws, text.substr(0, length));
        // Only the final line end may go.
        EXPECT_EQ(read, length + 1 == text.size()) << "cut at " << length;
        if (!read) {
            EXPECT_EQ(ws.ui.messages.back(), kVrmlNotOurs) << "cut at " << length;
        }
    }
}

TEST(VrmlReadTest, CarriageReturnLineEndsAreRead)
{
    Workspace source;
    MakeMeshObject(source.scene, "T", nullptr, {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{0, 1, 2}}, {});
    Document doc = source.doc();
    std::string text;
    for (char c : WriteVrmlText(doc, {}, "/dev/null/crlf.wrl", {.copyFiles = false, .time = 0})) {
        if (c == '\n')
            text += '\r';
        text += c;
    }
    Workspace ws;
    ASSERT_TRUE(ReadText(ws, text));
    EXPECT_EQ(TopObjects(ws.scene, kObject).size(), 1u);
}

TEST(VrmlReadTest, CommentsQuotesAndLooseFacesAreRead)
{
    const std::string text = std::string(kOurHeader) +
                             "# a comment naming a Sphere { radius 3 } that must not be built\n"
                             "Transform { children [\n" +
                             FaceSet("0 0 0, 1 0 0, 1 1 0, 0 1 0, 2 2 0\n",
                                     " 0, 1, -1,\n 0, 1, 2, 3, -1,\n 1, 4, 2\n",
                                     "\t\t\tappearance Appearance {\n"
                                     "\t\t\t\tmaterial Material { diffuseColor 0.5 0.25 1 # trailing comment\n }\n"
                                     "\t\t\t\ttexture ImageTexture { url \"my \\\"old\\\" brick.bmp\" }\n"
                                     "\t\t\t}\n") +
                             "] }\n";
    Workspace ws;
    ImportOptions options;
    options.winding = 0;
    ASSERT_TRUE(ReadText(ws, text, options));
    // The missing picture is named whole, quotes and blanks included.
    ASSERT_EQ(ws.ui.messages.size(), 1u);
    EXPECT_NE(ws.ui.messages[0].find("my \"old\" brick.bmp"), std::string::npos) << ws.ui.messages[0];

    const std::vector<FramePtr> objects = TopObjects(ws.scene, kObject);
    ASSERT_EQ(objects.size(), 1u);
    const MeshBuilder& mesh = *objects[0]->GetVisuals()[0];
    // The two-corner face is left out; the last one ends without -1.
    ASSERT_EQ(mesh.GetFaceCount(), 2);
    EXPECT_EQ(mesh.GetFaceVertexCount(0), 4);
    EXPECT_EQ(mesh.GetFaceVertexIndex(1, 1), 4);
    EXPECT_EQ(RecordOf(mesh.GetMaterial().get())->textureName, "my \"old\" brick.bmp");
    EXPECT_EQ(mesh.GetColor(), MakeARGB(0.5f, 0.25f, 1.0f));
    // The file's z is the program's -z.
    Vec3 p;
    ASSERT_TRUE(mesh.GetVertex(4, p));
    EXPECT_EQ(p, (Vec3{2, 2, 0}));
}

TEST(VrmlReadTest, NestedTransformsPlaceWhatTheyHold)
{
    // A quarter turn about z, then a move, around a move of its own.
    const std::string text = std::string(kOurHeader) +
                             "Transform { translation 10 0 0 children [\n"
                             " Transform { rotation 0 0 1 1.5707963 translation 1 0 2 children [\n" +
                             FaceSet("1 0 0, 0 1 0, 0 0 1\n", " 0, 1, 2, -1,\n") +
                             "  ] }\n"
                             "  PointLight { location 1 0 0 }\n"
                             "] }\n";
    Workspace ws;
    ASSERT_TRUE(ReadText(ws, text));
    const std::vector<FramePtr> objects = TopObjects(ws.scene, kObject);
    ASSERT_EQ(objects.size(), 1u);
    const std::vector<FaceCorners> faces = FacesOf(ws.scene, *objects[0], *objects[0]->GetVisuals()[0]);
    ASSERT_EQ(faces.size(), 1u);
    // (1,0,0) turns to (0,1,0), moves by (1,0,2) and (10,0,0): (11,1,2),
    // which is (11,1,-2) in the program's axes.
    EXPECT_TRUE(NearlyEqual(faces[0][0], {11, 1, -2}, 1e-5f));
    EXPECT_TRUE(NearlyEqual(faces[0][1], {10, 0, -2}, 1e-5f));
    EXPECT_TRUE(NearlyEqual(faces[0][2], {11, 0, -3}, 1e-5f));
    // The light is only inside the outer Transform.
    const std::vector<FramePtr> lights = TopObjects(ws.scene, kLight);
    ASSERT_EQ(lights.size(), 1u);
    EXPECT_TRUE(NearlyEqual(lights[0]->GetPosition(ws.scene.Scene().get()), {11, 0, 0}, 1e-5f));
    EXPECT_EQ(RecordOf(lights[0].get())->name, "Light_0");
}

TEST(VrmlReadTest, PrimitivesAreBuiltByTheGenerators)
{
    const std::string text = std::string(kOurHeader) +
                             "Transform { translation 0 0 5 children [\n"
                             " Shape { geometry Sphere { radius 2 } }\n"
                             " Shape { geometry Box { size 1 2 3 } }\n"
                             " Shape { appearance Appearance { material Material { diffuseColor 1 0 0 } }\n"
                             "         geometry Cylinder { radius 0.5 height 4 } }\n"
                             " Shape { geometry Cone { bottomRadius 1 height 2 } }\n"
                             "] }\n";
    Workspace ws;
    ImportOptions options;
    options.scale = 2.0f;
    ASSERT_TRUE(ReadText(ws, text, options));
    const std::vector<FramePtr> objects = TopObjects(ws.scene, kObject);
    ASSERT_EQ(objects.size(), 4u);
    const Vec3 sizes[] = {{8, 8, 8}, {2, 4, 6}, {2, 8, 2}, {4, 4, 4}};
    for (size_t i = 0; i < objects.size(); ++i) {
        const Box box = objects[i]->GetVisuals()[0]->GetBox();
        EXPECT_TRUE(NearlyEqual(box.Size(), sizes[i], 1e-3f)) << i;
        EXPECT_TRUE(NearlyEqual(objects[i]->GetPosition(ws.scene.Scene().get()), {0, 0, -10}, 1e-5f)) << i;
    }
    // Only the cylinder's shape has a material of its own.
    EXPECT_EQ(objects[2]->GetVisuals()[0]->GetColor(), MakeARGB(1, 0, 0));
    EXPECT_EQ(objects[0]->GetVisuals()[0]->GetColor(), 0xFFE5E5E5u);
    EXPECT_EQ(RecordOf(objects[0]->GetVisuals()[0]->GetMaterial().get())->name, "DEFMATERIAL");
}

TEST(VrmlReadTest, SwitchedOffPartsArePassedOver)
{
    const std::string text = std::string(kOurHeader) +
                             "Background { skyColor 0.5 0.5 0.5 }\n"
                             "Fog { color 1 0 0 fogType \"EXPONENTIAL\" visibilityRange 40 }\n"
                             "SpotLight { location 0 1 0 }\n"
                             "Transform { children [\n" +
                             FaceSet("0 0 0, 1 0 0, 0 1 0\n", " 0, 1, 2, -1,\n",
                                     " appearance Appearance { material Material { diffuseColor 1 0 0 } }\n") +
                             "] }\n";
    Workspace on;
    ASSERT_TRUE(ReadText(on, text));
    EXPECT_TRUE(on.scene.World()->Scene().fogEnabled);
    EXPECT_EQ(on.scene.World()->Scene().fogMode, FogMode::Exponential);
    EXPECT_FLOAT_EQ(on.scene.World()->Scene().fogStart, 40);
    EXPECT_FLOAT_EQ(on.scene.World()->Scene().background.g, 0.5f);
    EXPECT_EQ(TopObjects(on.scene, kLight).size(), 1u);

    Workspace off;
    ImportOptions options;
    options.addMaterials = options.addFog = options.addBackground = options.addLights = false;
    ASSERT_TRUE(ReadText(off, text, options));
    EXPECT_FALSE(off.scene.World()->Scene().fogEnabled);
    EXPECT_FLOAT_EQ(off.scene.World()->Scene().background.g, 0.0f);
    EXPECT_TRUE(TopObjects(off.scene, kLight).empty());
    const std::vector<FramePtr> objects = TopObjects(off.scene, kObject);
    ASSERT_EQ(objects.size(), 1u);
    EXPECT_EQ(RecordOf(objects[0]->GetVisuals()[0]->GetMaterial().get())->name, "DEFMATERIAL");
}

// Numbers keep their meaning whatever the locale says about decimal commas.
TEST(VrmlReadTest, NumbersIgnoreTheLocale)
{
    TempFolder locales;
    const std::string command = "localedef -i de_DE -f UTF-8 " + locales.File("de_DE.UTF-8") + " >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0)
        GTEST_SKIP() << "no German locale can be made here";
    setenv("LOCPATH", locales.Path().c_str(), 1);
    const std::string previous = std::setlocale(LC_ALL, nullptr);
    ASSERT_NE(std::setlocale(LC_ALL, "de_DE.UTF-8"), nullptr);
    char probe[16];
    std::snprintf(probe, sizeof probe, "%.1f", 0.5);
    EXPECT_STREQ(probe, "0,5");  // the locale is in force

    Workspace ws;
    MaterialPtr half = MakeMaterial(ws.scene, "Half", {0.5f, 0.5f, 0.5f}, 50.5f, 0.5f);
    MakeMeshObject(ws.scene, "T", nullptr, {{0.5f, 1.25f, -2.5f}, {1, 0, 0}, {0, 1, 0}}, {{0, 1, 2}}, {half});
    Document doc = ws.doc();
    const std::string text = WriteVrmlText(doc, {}, "/dev/null/x.wrl", {.copyFiles = false, .time = 0});
    EXPECT_NE(text.find("0.500000 1.250000 2.500000,"), std::string::npos);
    EXPECT_NE(text.find("ambientIntensity 50.500000"), std::string::npos);
    Workspace back;
    ASSERT_TRUE(ReadText(back, text, {.winding = 1}));
    const std::vector<FramePtr> objects = TopObjects(back.scene, kObject);
    ASSERT_EQ(objects.size(), 1u);
    Vec3 p;
    ASSERT_TRUE(objects[0]->GetVisuals()[0]->GetVertex(2, p));  // numbered from the last corner
    EXPECT_EQ(p, (Vec3{0.5f, 1.25f, -2.5f}));
    EXPECT_FLOAT_EQ(RecordOf(objects[0]->GetVisuals()[0]->GetMaterial().get())->power, 50.5f);

    std::setlocale(LC_ALL, previous.c_str());
    unsetenv("LOCPATH");
}

TEST(VrmlReadTest, AutoDetectKnowsTheHeader)
{
    const std::string ours = Slurp(VrmlDataFolder() + "/invalid-not-ours.wrl");
    EXPECT_TRUE(IsVrmlFile(reinterpret_cast<const uint8_t*>(ours.data()), ours.size()));
    const std::string other = "#X3D V3.0";
    EXPECT_FALSE(IsVrmlFile(reinterpret_cast<const uint8_t*>(other.data()), other.size()));
    EXPECT_FALSE(IsVrmlFile(nullptr, 0));
}

} // namespace
} // namespace corvid::testing
