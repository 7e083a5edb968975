// The export's text: the fixed parts, the shapes with their renumbered
// lists, the number forms, the lights, and a file that cannot be written.

#include "files/vrml/VrmlFixture.h"

#include "files/FileIo.h"
#include "platform/Light.h"

namespace corvid::testing {
namespace {

// The shortest run of text from the first occurrence of from up to and
// including the next occurrence of to after it.
std::string Between(const std::string& text, const std::string& from, const std::string& to, size_t start = 0)
{
    const size_t a = text.find(from, start);
    if (a == std::string::npos)
        return {};
    const size_t b = text.find(to, a + from.size());
    return b == std::string::npos ? std::string{} : text.substr(a, b + to.size() - a);
}

size_t Count(const std::string& text, const std::string& what)
{
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

std::string Write(Workspace& ws, ImportOptions options = {})
{
    Document doc = ws.doc();
    return WriteVrmlText(doc, options, "/worlds/a.wrl", {.copyFiles = false, .time = 0});
}

TEST(VrmlWriteTest, EmptySceneHasTheFixedPartsAndTheDefaultLight)
{
    Workspace ws;
    const std::string text = Write(ws);
    EXPECT_TRUE(text.starts_with("#VRML V2.0 utf8\n#CVD EXPORT\n\n#VRML 2.0 file: /worlds/a.wrl\n#Date/Time "));
    EXPECT_NE(text.find("\n\nWorldInfo {\n\t info \"Gravity: off\"\n}\n\nNavigationInfo {\n\theadlight TRUE\n}\n\n"
                        "Background {\n\tskyColor 0.000000 0.000000 0.000000\n"
                        "\tgroundColor 0.000000 0.000000 0.000000\n}\n\nViewpoint {\n\tfieldOfView 0.78\n"),
              std::string::npos);
    const std::string end = "PointLight {\n\tambientIntensity 1\n\ton TRUE\n\tcolor  1 1 1\n}\n\n"
                            "Transform {\n\tchildren [\n\t]\n}\n";
    EXPECT_EQ(text.substr(text.size() - end.size()), end);

    // Only the last picked object, with nothing picked: the same world.
    ImportOptions picked;
    picked.lastPickedOnly = true;
    EXPECT_EQ(Write(ws, picked), text);
}

TEST(VrmlWriteTest, ShapesPerMaterialRenumberTheirPointsFromZero)
{
    Workspace ws;
    MaterialPtr a = MakeMaterial(ws.scene, "A", {1, 0, 0}, 100.0f, 0.25f);
    MaterialPtr b = MakeMaterial(ws.scene, "", {0, 1, 0}, 20.0f, 1.0f);
    // Vertex 0 is in three faces of A; B's face uses vertices 3, 4, 0.
    MakeMeshObject(ws.scene, "M", nullptr, {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {0, 0, 1}},
                   {{0, 1, 2}, {3, 4, 0}, {0, 2, 3}, {0, 3, 1}}, {a, a, a, b});
    // A face whose material has no record goes to a shape of its own.
    FramePtr other = MakeMeshObject(ws.scene, "N", nullptr, {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{0, 1, 2}}, {});
    other->GetVisuals()[0]->SetFaceColor(0, MakeARGB(0, 0, 1, 1));
    const std::string text = Write(ws);

    EXPECT_EQ(Count(text, "\t\tShape {\n"), 3u);
    // A: faces 0, 1, 2 walked from their last corners.
    EXPECT_EQ(Between(text, "\t\t\t\tcoordIndex [\n", "]\n"),
              "\t\t\t\tcoordIndex [\n\t\t\t\t\t 0, 1, 2, -1,\n\t\t\t\t\t 2, 3, 4, -1,\n\t\t\t\t\t 4, 0, 2, -1,\n"
              "\t\t\t\t\t]\n");
    EXPECT_EQ(Between(text, "\t\t\t\t\tpoint [\n", "]\n"),
              "\t\t\t\t\tpoint [\n\t\t\t\t\t\t1.000000 1.000000 -0.000000,\n\t\t\t\t\t\t1.000000 0.000000 -0.000000,\n"
              "\t\t\t\t\t\t0.000000 0.000000 -0.000000,\n\t\t\t\t\t\t0.000000 0.000000 -1.000000,\n"
              "\t\t\t\t\t\t0.000000 1.000000 -0.000000,\n\t\t\t\t\t]\n");
    // The normal list has the same numbering.
    EXPECT_EQ(Between(text, "normalIndex [\n", "]\n"),
              "normalIndex [\n\t\t\t\t\t 0, 1, 2, -1,\n\t\t\t\t\t 2, 3, 4, -1,\n\t\t\t\t\t 4, 0, 2, -1,\n\t\t\t\t\t]\n");
    // B starts again from 0.
    const size_t second = text.find("\t\tShape {\n", text.find("\t\tShape {\n") + 1);
    EXPECT_EQ(Between(text, "coordIndex [\n", "]\n", second),
              "coordIndex [\n\t\t\t\t\t 0, 1, 2, -1,\n\t\t\t\t\t]\n");

    // The material values in their forms; the unnamed one is named.
    EXPECT_NE(text.find("\t\t\t\t\tdiffuseColor 1.000000 0.000000 0.000000\n"
                        "\t\t\t\t\temissiveColor 0.000000 0.000000 0.125000\n"
                        "\t\t\t\t\tspecularColor 0.250000 0.500000 0.750000\n"
                        "\t\t\t\t\tambientIntensity 100.000000\n\t\t\t\t\tshininess 1.000000\n"
                        "\t\t\t\t\ttransparency 0.750000\n"),
              std::string::npos);
    EXPECT_EQ(RecordOf(b.get())->name, "MATERIALCVD_" + std::to_string(RecordOf(b.get())->id));
    // The face without a material: its colour, the plain record's values.
    EXPECT_NE(text.find("diffuseColor 0.000000 0.000000 1.000000\n\t\t\t\t\temissiveColor 0.000000 0.000000 0.000000\n"),
              std::string::npos);
    // No texture, no texture block.
    EXPECT_EQ(text.find("ImageTexture"), std::string::npos);
}

TEST(VrmlWriteTest, TexturesAreNamedBareAndCopiedBesideTheFile)
{
    TempFolder source, target;
    WriteBitmap(source.File("stone.bmp"), 8, 100);
    Workspace ws;
    MaterialPtr stone = MakeMaterial(ws.scene, "Stone", {1, 1, 1}, 10, 1);
    // A name with a path in it is written, and copied, as its last part.
    RecordOf(stone.get())->textureName = "../elsewhere/stone.bmp";
    RecordOf(stone.get())->textureFile = source.File("stone.bmp");
    FramePtr frame = MakeMeshObject(ws.scene, "S", nullptr, {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{0, 1, 2}}, {stone});
    RecordOf(frame->GetVisuals()[0].get())->wrapType = 2;
    Document doc = ws.doc();
    ASSERT_TRUE(ExportVrml(doc, target.File("t.wrl"), {}));
    std::vector<uint8_t> bytes;
    ASSERT_EQ(ReadWholeFile(target.File("t.wrl"), bytes), ReadStatus::Read);
    const std::string text(bytes.begin(), bytes.end());
    EXPECT_NE(text.find("\t\t\t\ttexture ImageTexture {\n\t\t\t\t\trepeatS TRUE\n\t\t\t\t\trepeatT TRUE\n"
                        "\t\t\t\t\turl \"stone.bmp\"\n\t\t\t\t}\n"),
              std::string::npos);
    EXPECT_NE(text.find("texCoordIndex [\n\t\t\t\t\t 0, 1, 2, -1,\n"), std::string::npos);
    // Texture coordinates (u, -v) of vertices 2, 1, 0.
    EXPECT_NE(text.find("point [\n\t\t\t\t\t\t0.250000 -0.875000,\n\t\t\t\t\t\t0.125000 -0.937500,\n"
                        "\t\t\t\t\t\t0.000000 -1.000000,\n"),
              std::string::npos);
    EXPECT_TRUE(std::filesystem::exists(target.File("stone.bmp")));
    EXPECT_FALSE(std::filesystem::exists(target.Path() + "/../elsewhere/stone.bmp"));

    // Exported into the picture's own folder, the picture is left as it is.
    ASSERT_TRUE(ExportVrml(doc, source.File("t.wrl"), {}));
    EXPECT_TRUE(std::filesystem::exists(source.File("stone.bmp")));
    EXPECT_GT(std::filesystem::file_size(source.File("stone.bmp")), 0u);
}

TEST(VrmlWriteTest, LightsFogAndBackgroundFollowTheirSwitches)
{
    Workspace ws;
    LightToolParameters narrow;
    narrow.umbra = 0.05f;
    narrow.penumbra = 0.3f;
    LightToolParameters wide;
    wide.umbra = 0.5f;
    wide.penumbra = 0.8f;
    for (const LightToolParameters& p : {narrow, wide}) {
        FramePtr light = ws.scene.CreateLight(LightType::Spot, p);
        ws.scene.RegisterObject(light);
    }
    FramePtr sun = ws.scene.CreateLight(LightType::Directional, {});
    ws.scene.RegisterObject(sun);
    sun->SetOrientation(ws.scene.Scene().get(), {0, -1, 1}, {0, 1, 0});
    std::string text = Write(ws);
    EXPECT_NE(text.find("\tcutOffAngle 0.100000\n\tbeamWidth 0.300000\n"), std::string::npos);
    EXPECT_NE(text.find("\tcutOffAngle 0.500000\n\tbeamWidth 0.800000\n"), std::string::npos);
    EXPECT_NE(text.find("DirectionalLight {\n\ton TRUE\n\tintensity 1\n\tambientIntensity 0\n"
                        "\tcolor 1.000000 1.000000 1.000000\n\tdirection 0.000000 -0.707107 -0.707107\n}\n\n"),
              std::string::npos);
    EXPECT_EQ(text.find("PointLight"), std::string::npos);
    // Lights switched off: the default light instead.
    ImportOptions noLights;
    noLights.addLights = false;
    EXPECT_EQ(Count(Write(ws, noLights), "Light {"), 1u);

    // Fog only when the scene has it on.
    EXPECT_EQ(text.find("Fog {"), std::string::npos);
    ws.scene.World()->Scene().fogEnabled = true;
    ws.scene.World()->Scene().fogStart = 2.5f;
    text = Write(ws);
    EXPECT_NE(text.find("Fog {\n\tcolor 0.000000 0.000000 0.000000\n\tfogType \"EXPONENTIAL\"\n"
                        "\tvisibilityRange 2.500000\n}\n\n"),
              std::string::npos);
    ImportOptions noFog;
    noFog.addFog = false;
    EXPECT_EQ(Write(ws, noFog).find("Fog {"), std::string::npos);

    // The background picture when its switch is on; a name with a path is
    // never written.
    ws.scene.SetBackgroundImage(true, "sky.bmp", "/nowhere/sky.bmp");
    EXPECT_EQ(Count(Write(ws), "Url \"sky.bmp\"\n"), 6u);
    ws.scene.SetBackgroundImage(true, "../sky.bmp", "/nowhere/sky.bmp");
    EXPECT_EQ(Write(ws).find("Url"), std::string::npos);
}

TEST(VrmlWriteTest, LastPickedObjectComesWithWhatHangsUnderIt)
{
    Workspace ws;
    MaterialPtr m = MakeMaterial(ws.scene, "M", {1, 1, 1}, 10, 1);
    const std::vector<Vec3> triangle = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
    FramePtr picked = MakeMeshObject(ws.scene, "Picked", nullptr, triangle, {{0, 1, 2}}, {m});
    MakeMeshObject(ws.scene, "Child", picked, triangle, {{0, 1, 2}}, {m});
    MakeMeshObject(ws.scene, "Other", nullptr, triangle, {{0, 1, 2}}, {m});
    ws.scene.Select(picked);
    ImportOptions options;
    options.lastPickedOnly = true;
    EXPECT_EQ(Count(Write(ws, options), "\t\tShape {\n"), 2u);
    EXPECT_EQ(Count(Write(ws), "\t\tShape {\n"), 3u);
}

TEST(VrmlWriteTest, UnwritableFileIsReportedAndNothingIsLeft)
{
    Workspace ws;
    Document doc = ws.doc();
    EXPECT_FALSE(ExportVrml(doc, "/dev/null/folder/a.wrl", {}));
    EXPECT_EQ(ws.ui.messages, std::vector<std::string>{kVrmlOpenForWriteFailed});
    EXPECT_NE(ws.ui.statusLines.back(), kVrmlWritten);
}

} // namespace
} // namespace corvid::testing
