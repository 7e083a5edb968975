// The frame every reader runs in: the options dialog's rules, progress, the
// default materials, the base frame and its centring, and texture files.

#include "files/FilesFixture.h"

#include "files/ImportPipeline.h"
#include "platform/Frame.h"
#include "platform/ImageService.h"
#include "platform/Material.h"
#include "platform/MeshBuilder.h"
#include "platform/Texture.h"
#include "scene/Records.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

namespace corvid::testing {
namespace {

ImportDialogModel DialogFor(const char* type, bool exporting = false)
{
    ImportDialogRequest request;
    request.fileType = type;
    request.exporting = exporting;
    request.fileName = "model";
    return ImportDialogModel::For(request);
}

// "enabled/checked" of the boxes in one string, for a compact table.
std::string Boxes(const ImportDialogModel& m)
{
    std::string out;
    for (const DialogControl* c : {&m.materials, &m.textures, &m.lights, &m.animation, &m.cameras, &m.fog,
                                   &m.background, &m.scaleToViewport, &m.lastPicked})
        out += std::string(c->enabled ? "E" : "-") + (c->checked ? "x" : ".") + " ";
    return out;
}

TEST(ImportDialogModel, StartingStatesByFileType)
{
    //                                mat  tex  lig  ani  cam  fog  bkg  scl  last
    EXPECT_EQ(Boxes(DialogFor("*.cvd")), "Ex Ex Ex Ex Ex Ex Ex -. -. ");
    EXPECT_EQ(Boxes(DialogFor("*.wrl")), "Ex Ex Ex Ex Ex Ex Ex Ex -. ");
    EXPECT_EQ(Boxes(DialogFor("*.3ds")), "Ex Ex Ex -. -. -. -. Ex -. ");
    EXPECT_EQ(Boxes(DialogFor("*.cob")), "Ex Ex -. -. -. -. -. Ex -. ");
    // OBJ reads the diffuse textures of its materials.
    EXPECT_EQ(Boxes(DialogFor("*.obj")), "Ex Ex -. -. -. -. -. Ex -. ");
    EXPECT_EQ(Boxes(DialogFor("*.dxf")), "-. -. -. -. -. -. -. Ex -. ");

    const ImportDialogModel scene = DialogFor("*.cvd");
    EXPECT_TRUE(scene.replace.checked && scene.replace.enabled && scene.merge.enabled);
    EXPECT_FALSE(scene.clockwise.enabled || scene.counterClockwise.enabled);
    EXPECT_TRUE(DialogFor("*.cob").clockwise.checked);
    EXPECT_TRUE(DialogFor("*.obj").counterClockwise.checked);
    EXPECT_FALSE(scene.scaleEnabled);
    EXPECT_EQ(scene.scale, 1.0f);
}

TEST(ImportDialogModel, TheExportForm)
{
    const ImportDialogModel vrml = DialogFor("*.wrl", true);
    EXPECT_FALSE(vrml.replace.enabled || vrml.merge.enabled || vrml.clockwise.enabled || vrml.counterClockwise.enabled);
    EXPECT_TRUE(vrml.lastPicked.enabled);
    EXPECT_FALSE(vrml.lastPicked.checked);
    EXPECT_TRUE(vrml.materials.enabled && vrml.materials.checked);
    EXPECT_TRUE(!vrml.textures.enabled && vrml.textures.checked);

    ImportDialogModel scene = DialogFor("*.cvd", true);
    ImportDialogModel::Toggle(scene.lastPicked);
    EXPECT_TRUE(scene.Result().options.lastPickedOnly);
    // Importing never asks for the last picked object alone.
    ImportDialogModel import = DialogFor("*.cvd");
    ImportDialogModel::Toggle(import.lastPicked);
    EXPECT_FALSE(import.Result().options.lastPickedOnly);
}

TEST(ImportDialogModel, TheRulesBetweenControls)
{
    ImportDialogModel m = DialogFor("*.3ds");
    m.ToggleMaterials();
    EXPECT_FALSE(m.materials.checked);
    EXPECT_FALSE(m.textures.checked || m.textures.enabled);
    ImportDialogModel::Toggle(m.textures);  // disabled: ignored
    EXPECT_FALSE(m.textures.checked);
    m.ToggleMaterials();
    EXPECT_TRUE(m.textures.enabled);
    EXPECT_FALSE(m.textures.checked);

    m.ToggleScaleToViewport();
    EXPECT_FALSE(m.scaleToViewport.checked);
    EXPECT_TRUE(m.scaleEnabled);
    m.SetScale(20000.0f);
    EXPECT_EQ(m.scale, 10000.0f);
    m.SetScale(-1.0f);
    EXPECT_EQ(m.scale, 0.0f);
    m.SetScale(2.5f);
    m.ChooseReplace(false);
    m.ChooseWinding(false);
    const ImportDialogResult r = m.Result();
    EXPECT_FALSE(r.replaceScene);
    EXPECT_EQ(r.options.winding, 0);
    EXPECT_EQ(r.options.scale, 2.5f);
    EXPECT_TRUE(r.options.addMaterials);
    EXPECT_FALSE(r.options.addTextures);
    EXPECT_TRUE(r.options.addLights);
    EXPECT_FALSE(r.options.addFog);
}

TEST(ImportPipeline, TextureSizesFollowTheTable)
{
    const std::pair<int, int> cases[] = {{1, 8},     {11, 8},     {12, 16},    {23, 16},   {24, 32},  {95, 64},
                                         {96, 128},  {200, 256},  {256, 256},  {383, 256}, {384, 512}, {767, 512},
                                         {768, 1024}, {1499, 1024}, {1500, 2048}, {9000, 2048}};
    for (auto [pixels, size] : cases)
        EXPECT_EQ(RoundTextureSize(pixels), size) << pixels;
}

TEST(ImportPipeline, PointsTakeTheScaleAndTheFormatsAxes)
{
    EXPECT_EQ(ImportPoint({1, 2, 3}, 2, AxisConvention::SwapYZ), (Vec3{2, 6, 4}));
    EXPECT_EQ(ImportPoint({1, 2, 3}, 2, AxisConvention::NegateZ), (Vec3{2, 4, -6}));
    EXPECT_EQ(ImportPoint({1, 2, 3}, 2, AxisConvention::Keep), (Vec3{2, 4, 6}));
}

class ImportPipelineTest : public ::testing::Test {
protected:
    ImportPipelineTest() { setenv("XDG_CACHE_HOME", cache.Path().c_str(), 1); }

    void Picture(const std::string& name, int width, int height)
    {
        Image image;
        image.width = width;
        image.height = height;
        image.rgba.assign(static_cast<size_t>(width * height * 4), 128);
        ASSERT_TRUE(WriteResizedBmp(image, folder.File(name), width, height));
    }

    TexturePtr Resolve(const std::string& name, MaterialRecord& record)
    {
        ImportProgress progress(w.scene);
        return ResolveTexture(w.scene, folder.Path(), name, record, progress);
    }

    Workspace w;
    TempFolder folder;
    TempFolder cache;
};

TEST_F(ImportPipelineTest, ABitmapOfTextureSizeIsLoadedAsItIs)
{
    Picture("Brick.BMP", 256, 64);
    MaterialRecord record;
    TexturePtr texture = Resolve("Brick.BMP", record);
    ASSERT_TRUE(texture);
    EXPECT_EQ(record.textureFile, folder.File("Brick.BMP"));
    EXPECT_EQ(record.imageWidth, 256);
    EXPECT_EQ(record.textureWidth, 256);
    EXPECT_EQ(record.textureHeight, 64);
    EXPECT_EQ(texture->GetWidth(), 256);
    EXPECT_FALSE(std::filesystem::exists(cache.File("corvid/c_output.bmp")));
    EXPECT_EQ(w.ui.statusLines.back(), "Creating texture..." + folder.File("Brick.BMP"));
}

TEST_F(ImportPipelineTest, OtherSizesAreConvertedInTheWorkFolder)
{
    Picture("wood.bmp", 200, 100);
    MaterialRecord record;
    // Stored in another case than the file's: found all the same.
    TexturePtr texture = Resolve("WOOD.BMP", record);
    ASSERT_TRUE(texture);
    EXPECT_EQ(record.textureWidth, 256);
    EXPECT_EQ(record.textureHeight, 128);
    EXPECT_EQ(texture->GetWidth(), 256);
    EXPECT_EQ(texture->GetHeight(), 128);
    EXPECT_TRUE(std::filesystem::exists(cache.File("corvid/c_output.bmp")));

    w.scene.textureSizing.automatic = false;
    MaterialRecord fixed;
    ASSERT_TRUE(Resolve("wood.bmp", fixed));
    EXPECT_EQ(fixed.textureWidth, 256);
    EXPECT_EQ(fixed.textureHeight, 256);
}

TEST_F(ImportPipelineTest, MissingForeignAndEscapingNamesLoadNothing)
{
    MaterialRecord record;
    EXPECT_FALSE(Resolve("gone.bmp", record));
    ASSERT_EQ(w.ui.messages.size(), 1u);
    EXPECT_EQ(w.ui.messages[0], "Texture " + folder.File("gone.bmp") + "\n Not in the working directory.\n ");
    EXPECT_EQ(record.textureFile, "");

    // A picture type the loader does not take: skipped without a word.
    std::ofstream(folder.File("skin.png")) << "not really";
    EXPECT_FALSE(Resolve("skin.png", record));
    EXPECT_EQ(w.ui.messages.size(), 1u);

    // A name that would leave the folder is never looked up outside it.
    Picture("outside.bmp", 8, 8);
    const std::string inner = folder.File("inner");
    std::filesystem::create_directories(inner);
    ImportProgress progress(w.scene);
    EXPECT_FALSE(ResolveTexture(w.scene, inner, "../outside.bmp", record, progress));
    EXPECT_EQ(w.ui.messages.size(), 2u);

    // A file that is no picture at all.
    std::ofstream(folder.File("fake.bmp")) << "BM but nothing more";
    EXPECT_FALSE(Resolve("fake.bmp", record));
    EXPECT_EQ(w.ui.messages.back(), kTextureInvalid);
}

TEST_F(ImportPipelineTest, TheBaseFrameIsCentredWhenTheImportEnds)
{
    FramePtr base = CreateBaseFrame(w.scene);
    EXPECT_EQ(RecordOf(base.get())->kind, kBaseFrame);
    EXPECT_EQ(RecordOf(base.get())->name, "BaseFrame");
    ImportProgress progress(w.scene);
    MeshObject object = CreateMeshObject(w.scene, base, "Part", progress);
    EXPECT_EQ(w.ui.statusLines.back(), "Building object...Part");
    EXPECT_EQ(object.mesh->GetQuality(), kQualityGouraudLitSolid);
    EXPECT_EQ(w.scene.SelectedFrame(), object.frame);
    for (Vec3 p : {Vec3{10, 0, 0}, Vec3{14, 2, 0}, Vec3{10, 2, 6}})
        object.mesh->AddVertex(p);
    const int tri[3] = {0, 1, 2};
    object.mesh->AddFace(tri);
    FinishMeshObject(*object.mesh);
    FinishImport(w.scene, base, progress);
    EXPECT_EQ(w.ui.statusLines.back(), kImportedSuccessfully);
    EXPECT_EQ(w.ui.progress.back(), 100);
    const Box box = object.mesh->GetBox().Transformed(object.frame->GetTransform(w.scene.Scene().get()));
    EXPECT_NEAR(box.Center().x, 0.0f, 1e-5f);
    EXPECT_NEAR(box.Center().y, 0.0f, 1e-5f);
    EXPECT_NEAR(box.Center().z, 0.0f, 1e-5f);
}

TEST_F(ImportPipelineTest, DefaultMaterialsTakeTheNextIds)
{
    const int before = w.scene.materialIdCounter;
    const DefaultMaterial studio = CreateDefaultMaterial(w.scene, DefaultMaterialStyle::Studio);
    const DefaultMaterial common = CreateDefaultMaterial(w.scene, DefaultMaterialStyle::Common);
    const DefaultMaterial vrml = CreateDefaultMaterial(w.scene, DefaultMaterialStyle::Vrml);
    EXPECT_EQ(RecordOf(studio.material.get())->id, before + 1);
    EXPECT_EQ(RecordOf(vrml.material.get())->id, before + 3);
    EXPECT_EQ(RecordOf(studio.material.get())->name, "");
    EXPECT_EQ(RecordOf(common.material.get())->name, "DEFMATERIAL");
    EXPECT_EQ(studio.material->GetPower(), 100.0f);
    EXPECT_EQ(common.material->GetPower(), 0.0f);
    EXPECT_EQ(vrml.faceColor, 0xFFE5E5E5u);
    EXPECT_EQ(RecordOf(vrml.material.get())->diffuse[0], 0.9f);
    EXPECT_EQ(w.scene.materials.size(), 3u);
}

TEST_F(ImportPipelineTest, ProgressOfHugeFilesAndOfNothing)
{
    ImportProgress progress(w.scene);
    EXPECT_TRUE(w.ui.progressVisible);
    progress.Bytes(uint64_t{5'000'000'000}, uint64_t{10'000'000'000});
    EXPECT_EQ(w.ui.progress.back(), 50);
    progress.Bytes(7, 0);
    EXPECT_EQ(w.ui.progress.back(), 0);
}

} // namespace
} // namespace corvid::testing
