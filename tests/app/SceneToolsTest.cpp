// The scene tools window's model: the fog fields and the background
// picture button with its sizes, conversion and failures.

#include "app/AppFixture.h"

#include "app/SceneTools.h"
#include "files/FilesFixture.h"
#include "platform/Frame.h"
#include "platform/ImageService.h"
#include "platform/Texture.h"
#include "render/ObjectInfo.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace corvid::testing {
namespace {

class SceneToolsTest : public AppTest {
protected:
    SceneToolsTest() { setenv("XDG_CACHE_HOME", cache.Path().c_str(), 1); }

    std::string Picture(const std::string& name, int width, int height, ImageFileType type)
    {
        Image image;
        image.width = width;
        image.height = height;
        image.rgba.assign(static_cast<size_t>(width * height * 4), 120);
        const std::string path = folder.File(name);
        EXPECT_TRUE(WriteImageFile(image, path, type));
        return path;
    }
    std::string Converted() const { return cache.File("corvid/c_output.bmp"); }
    const TexturePtr& Background() { return editor.scene.World()->Scene().backgroundImage; }

    TempFolder folder, cache;
    SceneTools tools{editor};
};

TEST_F(SceneToolsTest, FogFieldsTakeWhatIsTypedAndShowIt)
{
    tools.EnterFogStart("2.5");
    tools.EnterFogEnd("40");
    tools.EnterFogDensity("not a number");
    const SceneProperties& p = editor.scene.World()->Scene();
    EXPECT_EQ(p.fogStart, 2.5f);
    EXPECT_EQ(p.fogEnd, 40.0f);
    EXPECT_EQ(p.fogDensity, 0.0f);
    EXPECT_EQ(tools.FogStart(), FormatReal(2.5f));
    EXPECT_EQ(tools.FogDensity(), FormatReal(0.0f));
    EXPECT_EQ(editor.UndoText(), "Undo Fog Parameters");
}

TEST_F(SceneToolsTest, APictureIsRoundedAndConvertedUnlessItIsABitmapOfItsSize)
{
    // 300 x 200: rounded to 256 x 256 through the conversion copy.
    const std::string png = Picture("clouds.bmp", 300, 200, ImageFileType::Bmp);
    ASSERT_TRUE(tools.LoadBackgroundPicture(png));
    ASSERT_TRUE(Background());
    EXPECT_EQ(Background()->GetWidth(), 256);
    EXPECT_EQ(Background()->GetHeight(), 256);
    EXPECT_TRUE(std::filesystem::exists(Converted()));
    EXPECT_EQ(editor.scene.Settings().backgroundImageName, "clouds.bmp");
    EXPECT_EQ(editor.scene.Settings().backgroundImagePath, png);
    EXPECT_TRUE(tools.World().BackgroundShown());

    // A 64 x 64 bitmap is used as it is; one named in capitals is converted.
    std::filesystem::remove(Converted());
    const std::string bmp = Picture("tile.bmp", 64, 32, ImageFileType::Bmp);
    ASSERT_TRUE(tools.LoadBackgroundPicture(bmp));
    EXPECT_FALSE(std::filesystem::exists(Converted()));
    EXPECT_EQ(Background()->GetHeight(), 32) << "the file itself";
    const std::string capitals = Picture("TILE.BMP", 64, 64, ImageFileType::Bmp);
    ASSERT_TRUE(tools.LoadBackgroundPicture(capitals));
    EXPECT_TRUE(std::filesystem::exists(Converted())) << "the extension must be exactly bmp";
}

TEST_F(SceneToolsTest, APictureThatCannotBeReadOrConvertedChangesNothing)
{
    const std::string good = Picture("good.bmp", 40, 40, ImageFileType::Bmp);
    ASSERT_TRUE(tools.LoadBackgroundPicture(good));
    const TexturePtr shown = Background();
    const size_t steps = editor.scene.History().UndoCount();

    // Not a picture at all.
    const std::string junk = folder.File("junk.jpg");
    std::ofstream(junk) << "not a picture";
    EXPECT_FALSE(tools.LoadBackgroundPicture(junk));
    EXPECT_EQ(ui.messages.back(), "Failed to load file\n'" + junk + "'");

    // A picture whose header gives its size but whose pixels are missing:
    // the conversion fails, and the earlier conversion copy is not loaded in
    // its place.
    ASSERT_TRUE(tools.LoadBackgroundPicture(Picture("wide.bmp", 300, 10, ImageFileType::Bmp)));
    ASSERT_TRUE(std::filesystem::exists(Converted()));
    const TexturePtr converted = Background();
    const std::string whole = folder.File("cut.gif");
    {
        std::ofstream out(whole, std::ios::binary);
        const unsigned char header[] = {'G', 'I', 'F', '8', '9', 'a', 44, 1, 44, 1, 0, 0, 0, 0x2C, 0, 0, 0, 0, 44, 1, 44, 1, 0, 8};
        out.write(reinterpret_cast<const char*>(header), sizeof(header));
    }
    int width = 0, height = 0;
    ASSERT_TRUE(ReadImageSize(whole, width, height));
    EXPECT_FALSE(tools.LoadBackgroundPicture(whole));
    EXPECT_EQ(ui.messages.back(), "Failed to load file\n'" + whole + "'");

    EXPECT_EQ(Background(), converted);
    EXPECT_EQ(editor.scene.Settings().backgroundImageName, "wide.bmp");
    EXPECT_EQ(editor.scene.History().UndoCount(), steps + 1);
    ASSERT_TRUE(editor.Undo());
    EXPECT_EQ(Background(), shown);
}

TEST_F(SceneToolsTest, ThePictureButtonAsksInTheMapsFolder)
{
    editor.mapsDirectory.current = folder.Path();
    const std::string png = Picture("sea.bmp", 16, 16, ImageFileType::Bmp);
    ui.files.push_back(png);
    ASSERT_TRUE(tools.ChooseBackgroundPicture());
    ASSERT_EQ(ui.fileRequests.size(), 1u);
    EXPECT_EQ(ui.fileRequests[0].filter, kBackgroundPictureFilter);
    EXPECT_NE(ui.fileRequests[0].filter.find("*.tif;*.tiff"), std::string::npos);
    EXPECT_EQ(ui.fileRequests[0].directory, folder.Path());
    EXPECT_EQ(editor.mapsDirectory.current, png);
    ui.files.push_back(std::nullopt);
    EXPECT_FALSE(tools.ChooseBackgroundPicture());
}

} // namespace
} // namespace corvid::testing
