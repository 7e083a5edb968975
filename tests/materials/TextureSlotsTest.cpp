// The texture panel's slots: the texture sizes a picture gets, when it is
// loaded as it is and when through the converted copy, the paint material
// and texture a load or a choice leaves, the colour key, and pictures that
// cannot be loaded.

#include "materials/Painting.h"
#include "materials/TextureSlots.h"
#include "platform/Material.h"
#include "platform/MeshBuilder.h"
#include "platform/ImageService.h"
#include "platform/Texture.h"
#include "platform/TextureFiles.h"

#include "scene/SceneFixture.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace corvid::testing {
namespace {

namespace fs = std::filesystem;

class TextureSlotsTest : public SceneTest {
protected:
    TextureSlotsTest()
    {
        std::string pattern = (fs::temp_directory_path() / "corvid-slots-XXXXXX").string();
        folder_ = mkdtemp(pattern.data());
        const char* cache = std::getenv("XDG_CACHE_HOME");
        savedCache_ = cache ? std::optional<std::string>(cache) : std::nullopt;
        setenv("XDG_CACHE_HOME", (folder_ / "cache").c_str(), 1);
    }
    ~TextureSlotsTest() override
    {
        if (savedCache_)
            setenv("XDG_CACHE_HOME", savedCache_->c_str(), 1);
        else
            unsetenv("XDG_CACHE_HOME");
        std::error_code error;
        fs::remove_all(folder_, error);
    }

    // A picture of the given size, in the colour rgb, written as a BMP.
    std::string Picture(const std::string& name, int width, int height, uint8_t r = 200, uint8_t g = 40, uint8_t b = 10)
    {
        Image image{width, height, {}};
        for (int i = 0; i < width * height; ++i)
            image.rgba.insert(image.rgba.end(), {r, g, b, 255});
        const std::string path = (folder_ / name).string();
        EXPECT_TRUE(WriteImageFile(image, path, ImageFileType::Bmp));
        return path;
    }
    std::string Converted() const { return (folder_ / "cache" / "corvid" / kConvertedPictureName).string(); }

    fs::path folder_;
    std::optional<std::string> savedCache_;
    PaintState paint;
    TextureSlots slots{paint};
};

TEST_F(TextureSlotsTest, APictureIsLoadedAsItIsOnlyWhenItIsABitmapOfItsTexturesWidth)
{
    struct Case {
        const char* name;
        int width, height;
        bool automatic;
        int textureWidth, textureHeight;
        bool direct;
    };
    const Case cases[] = {
        {"wood.bmp", 64, 64, true, 64, 64, true},
        {"WOOD.BMP", 64, 64, true, 64, 64, false},  // the extension is compared exactly
        {"wide.bmp", 100, 50, true, 128, 64, false},
        {"fixed.bmp", 100, 50, false, 256, 256, false},
        {"wider.bmp", 256, 100, true, 256, 128, true},  // only the width decides
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        scene.textureSizing.automatic = c.automatic;
        const std::string path = Picture(c.name, c.width, c.height);
        ASSERT_TRUE(slots.Load(scene, 2, path));
        const TextureSlot& slot = slots.Slot(2);
        EXPECT_EQ(slot.imageWidth, c.width);
        EXPECT_EQ(slot.imageHeight, c.height);
        EXPECT_EQ(slot.textureWidth, c.textureWidth);
        EXPECT_EQ(slot.textureHeight, c.textureHeight);
        EXPECT_EQ(slot.texture->GetPath(), c.direct ? path : Converted());
        if (!c.direct) {
            EXPECT_EQ(slot.texture->GetWidth(), c.textureWidth);
            EXPECT_EQ(slot.texture->GetHeight(), c.textureHeight);
        }
        EXPECT_TRUE(slot.texture->HasMipMaps());
        EXPECT_EQ(slot.textureName, c.name);
        EXPECT_EQ(slot.textureFile, path);
    }
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(TextureSlotsTest, ALoadMakesThePaintTextureAndFillsThePaintMaterial)
{
    const std::string path = Picture("brick.bmp", 100, 50);
    ASSERT_TRUE(slots.Load(scene, 0, path));
    EXPECT_EQ(paint.paintTexture, slots.Slot(0).texture);
    EXPECT_TRUE(paint.freshRecord);
    const MaterialRecord& p = paint.paintMaterial;
    EXPECT_EQ(p.textureName, "brick.bmp");
    EXPECT_EQ(p.text4, "bmp");
    EXPECT_EQ(p.textureFile, path);
    EXPECT_EQ(p.imageWidth, 100);
    EXPECT_EQ(p.textureWidth, 128);
    EXPECT_EQ(p.textureHeight, 64);
    EXPECT_EQ(slots.FileLabel(), path);
    EXPECT_FALSE(ui.busy) << "the wait cursor goes again";
}

TEST_F(TextureSlotsTest, ChoosingASlotTakesItsTextureAndAnEmptySlotClearsTheNames)
{
    ASSERT_TRUE(slots.Load(scene, 0, Picture("a.bmp", 16, 16)));
    ASSERT_TRUE(slots.Load(scene, 1, Picture("b.bmp", 32, 32)));
    paint.freshRecord = false;
    slots.Choose(0);
    EXPECT_EQ(paint.paintTexture, slots.Slot(0).texture);
    EXPECT_EQ(paint.paintMaterial.textureName, "a.bmp");
    EXPECT_EQ(paint.paintMaterial.textureWidth, 16);
    EXPECT_TRUE(paint.freshRecord);

    paint.freshRecord = false;
    slots.Choose(5);
    EXPECT_EQ(paint.paintTexture, nullptr);
    EXPECT_TRUE(paint.paintMaterial.textureName.empty());
    EXPECT_TRUE(paint.paintMaterial.textureFile.empty());
    EXPECT_EQ(paint.paintMaterial.textureWidth, 0);
    EXPECT_TRUE(paint.freshRecord);
    slots.Choose(8);  // no such slot
    slots.Choose(-1);
}

TEST_F(TextureSlotsTest, AfterChoosingAnEmptySlotAPaintRemovesTheTextureAndRecordsNoName)
{
    const FramePtr box = Box("Box", {});
    const MeshBuilderPtr mesh = box->GetVisuals().front();
    ASSERT_TRUE(slots.Load(scene, 0, Picture("a.bmp", 16, 16)));
    ASSERT_TRUE(PaintFace(scene, paint, mesh, 0));
    EXPECT_EQ(mesh->GetFaceAttributes(0)->texture, slots.Slot(0).texture);
    EXPECT_EQ(RecordOf(mesh->GetFaceAttributes(0)->material.get())->textureName, "a.bmp");

    slots.Choose(3);
    ASSERT_TRUE(PaintFace(scene, paint, mesh, 0));
    EXPECT_EQ(mesh->GetFaceAttributes(0)->texture, nullptr);
    const MaterialRecord* record = RecordOf(mesh->GetFaceAttributes(0)->material.get());
    ASSERT_NE(record, nullptr);
    EXPECT_TRUE(record->textureName.empty()) << "no stale name for a scene load to bring back";
    EXPECT_TRUE(record->textureFile.empty());
}

TEST_F(TextureSlotsTest, TheColourKeyBoxFollowsTheTextureItWasSetOn)
{
    ASSERT_TRUE(slots.Load(scene, 0, Picture("a.bmp", 16, 16)));
    slots.SetColourKey(true);
    EXPECT_TRUE(slots.Slot(0).texture->GetDecalTransparency());
    EXPECT_TRUE(paint.paintMaterial.colorKey);
    ASSERT_TRUE(slots.Load(scene, 1, Picture("b.bmp", 16, 16)));
    EXPECT_TRUE(slots.Slot(1).texture->GetDecalTransparency()) << "a load applies the box";
    slots.SetColourKey(false);
    EXPECT_FALSE(paint.paintMaterial.colorKey);
    // Choosing slot 0 reads its texture's setting back into the box.
    slots.Choose(0);
    EXPECT_TRUE(slots.ColourKey());
    EXPECT_TRUE(paint.paintMaterial.colorKey);
    slots.Choose(3);
    EXPECT_FALSE(paint.paintMaterial.colorKey) << "no key without a texture";
}

TEST_F(TextureSlotsTest, APictureThatCannotBeLoadedChangesNothing)
{
    const std::string good = Picture("good.bmp", 100, 50);
    ASSERT_TRUE(slots.Load(scene, 4, good));  // leaves a converted copy behind
    const TexturePtr before = paint.paintTexture;
    const MaterialRecord material = paint.paintMaterial;
    paint.freshRecord = false;

    // A picture whose header gives a size but whose body is not a picture:
    // its conversion fails, and the copy left by the good picture must not
    // be taken for it.
    const std::string cut = (folder_ / "broken.gif").string();
    {
        const char header[] = {'G', 'I', 'F', '8', '9', 'a', 100, 0, 50, 0, 0, 0, 0, 'x', 'x', 'x', 'x'};
        std::ofstream(cut, std::ios::binary).write(header, sizeof header);
        int width = 0, height = 0;
        ASSERT_TRUE(ReadImageSize(cut, width, height));
        EXPECT_EQ(width, 100);
    }
    const std::string garbage = (folder_ / "noise.jpg").string();
    std::ofstream(garbage, std::ios::binary) << "not a picture at all";
    const std::string missing = (folder_ / "missing.tga").string();

    for (const std::string& path : {cut, garbage, missing}) {
        SCOPED_TRACE(path);
        ui.messages.clear();
        EXPECT_FALSE(slots.Load(scene, 4, path));
        ASSERT_EQ(ui.messages.size(), 1u);
        EXPECT_EQ(ui.messages[0], "Failed to load file\n'" + path + "'");
        EXPECT_EQ(slots.Slot(4).textureFile, good);
        EXPECT_EQ(paint.paintTexture, before);
        EXPECT_EQ(paint.paintMaterial.textureName, material.textureName);
        EXPECT_FALSE(paint.freshRecord);
        EXPECT_FALSE(ui.busy);
    }
}

TEST_F(TextureSlotsTest, TheDialogOffersTifFilesAndStartsInTheFolderGiven)
{
    const std::string path = Picture("c.bmp", 8, 8);
    ui.files.push_back(path);
    std::string directory = folder_.string();
    ASSERT_TRUE(slots.LoadFromDialog(scene, 7, directory));
    ASSERT_EQ(ui.fileRequests.size(), 1u);
    EXPECT_EQ(ui.fileRequests[0].directory, folder_.string());
    const std::string filter = ui.fileRequests[0].filter;
    const std::string allFormats = filter.substr(0, filter.find("|BITMAP"));
    EXPECT_NE(allFormats.find("*.tif;"), std::string::npos);
    EXPECT_NE(allFormats.find("*.tiff"), std::string::npos);
    EXPECT_EQ(directory, path);
    EXPECT_EQ(slots.Slot(7).textureName, "c.bmp");

    ui.files.push_back(std::nullopt);  // cancelled
    EXPECT_FALSE(slots.LoadFromDialog(scene, 6, directory));
    EXPECT_EQ(slots.Slot(6).texture, nullptr);
}

} // namespace
} // namespace corvid::testing
