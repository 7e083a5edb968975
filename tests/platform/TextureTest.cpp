#include "platform/Texture.h"

#include <gtest/gtest.h>
#include <stb/stb_image_write.h>

#include <array>
#include <cstdlib>
#include <functional>
#include <filesystem>
#include <utility>

using namespace corvid;
namespace fs = std::filesystem;

namespace {

Image Solid(int w, int h, std::array<uint8_t, 4> c)
{
    Image img{w, h, {}};
    for (int i = 0; i < w * h; ++i)
        img.rgba.insert(img.rgba.end(), c.begin(), c.end());
    return img;
}

std::vector<std::pair<int, int>> MipSizes(const Texture& t)
{
    std::vector<std::pair<int, int>> sizes;
    for (const Image& level : t.GetMipMaps()) {
        EXPECT_TRUE(IsValidImage(level));
        sizes.emplace_back(level.width, level.height);
    }
    return sizes;
}

} // namespace

TEST(Texture, LoadKeepsTheBareFileName)
{
    std::string pattern = (fs::temp_directory_path() / "corvid-tex-XXXXXX").string();
    ASSERT_TRUE(::mkdtemp(pattern.data()));
    const fs::path dir = pattern;
    const Image img = Solid(3, 2, {1, 2, 3, 255});
    ASSERT_TRUE(stbi_write_bmp((dir / "brick.bmp").c_str(), 3, 2, 4, img.rgba.data()));

    TexturePtr t = Texture::Load((dir / "brick.bmp").string());
    ASSERT_TRUE(t);
    EXPECT_EQ(t->GetName(), "brick.bmp");
    EXPECT_EQ(t->GetPath(), (dir / "brick.bmp").string());
    EXPECT_EQ(t->GetWidth(), 3);
    EXPECT_EQ(t->GetHeight(), 2);
    EXPECT_EQ(t->GetImage().rgba, img.rgba);

    std::string error;
    EXPECT_FALSE(Texture::Load((dir / "none.bmp").string(), &error));
    EXPECT_FALSE(error.empty());
    fs::remove_all(dir);

    EXPECT_FALSE(Texture::FromImage(Image{}, "empty"));
    EXPECT_FALSE(Texture::FromImage(Image{2, 2, std::vector<uint8_t>(15)}, "short"));
    TexturePtr mem = Texture::FromImage(Solid(2, 2, {0, 0, 0, 255}), "made");
    ASSERT_TRUE(mem);
    EXPECT_EQ(mem->GetName(), "made");
    EXPECT_TRUE(mem->GetPath().empty());
}

TEST(Texture, SettingsAndRevision)
{
    TexturePtr t = Texture::FromImage(Solid(2, 2, {0, 0, 0, 255}), "t");
    ASSERT_TRUE(t);
    EXPECT_FALSE(t->GetDecalTransparency());
    EXPECT_EQ(t->GetDecalTransparentColor(), 0xFF000000u);
    EXPECT_EQ(t->GetShades(), 16);
    EXPECT_EQ(t->GetColors(), 8);

    // Each call below is (did it change something, the call).
    const std::pair<bool, std::function<void()>> steps[] = {
        {true, [&] { t->SetDecalTransparency(true); }},
        {false, [&] { t->SetDecalTransparency(true); }},  // the same value is no change
        {true, [&] { t->SetDecalTransparentColor(0xFF00FF00); }},
        {true, [&] { EXPECT_TRUE(t->SetShades(32)); }},
        {true, [&] { EXPECT_TRUE(t->SetColors(64)); }},
        {false, [&] { EXPECT_FALSE(t->SetShades(0) || t->SetColors(-3)); }},
        {true, [&] { EXPECT_TRUE(t->SetImage(Solid(4, 4, {9, 9, 9, 255}))); }},
        {false, [&] { EXPECT_FALSE(t->SetImage(Image{4, 4, {}})); }},
    };
    for (size_t i = 0; i < std::size(steps); ++i) {
        const uint64_t before = t->GetRevision();
        steps[i].second();
        EXPECT_EQ(t->GetRevision() > before, steps[i].first) << "step " << i;
    }
    EXPECT_EQ(std::pair(t->GetShades(), t->GetColors()), std::pair(32, 64));
    EXPECT_EQ(t->GetWidth(), 4);

    // Transparency compares colour only, and only while it is on.
    const uint8_t green[4] = {0, 255, 0, 17};
    const uint8_t nearGreen[4] = {0, 254, 0, 255};
    EXPECT_TRUE(t->IsTransparentTexel(green));
    EXPECT_FALSE(t->IsTransparentTexel(nearGreen));
    t->SetDecalTransparency(false);
    EXPECT_FALSE(t->IsTransparentTexel(green));
}

TEST(Texture, MipChainHalvesDownToOnePixel)
{
    TexturePtr t = Texture::FromImage(Solid(8, 4, {10, 20, 30, 255}), "t");
    ASSERT_TRUE(t);
    EXPECT_FALSE(t->HasMipMaps());
    const uint64_t before = t->GetRevision();
    t->GenerateMIPMap();
    EXPECT_TRUE(t->HasMipMaps());
    EXPECT_GT(t->GetRevision(), before);
    using Sizes = std::vector<std::pair<int, int>>;
    EXPECT_EQ(MipSizes(*t), (Sizes{{4, 2}, {2, 1}, {1, 1}}));

    TexturePtr odd = Texture::FromImage(Solid(5, 3, {0, 0, 0, 255}), "odd");
    odd->GenerateMIPMap();
    EXPECT_EQ(MipSizes(*odd), (Sizes{{2, 1}, {1, 1}}));

    // Replacing the image rebuilds an existing chain for the new size.
    ASSERT_TRUE(odd->SetImage(Solid(1, 16, {0, 0, 0, 255})));
    EXPECT_EQ(MipSizes(*odd), (Sizes{{1, 8}, {1, 4}, {1, 2}, {1, 1}}));

    TexturePtr dot = Texture::FromImage(Solid(1, 1, {0, 0, 0, 255}), "dot");
    dot->GenerateMIPMap();
    EXPECT_TRUE(dot->HasMipMaps());
    EXPECT_TRUE(dot->GetMipMaps().empty());

    // Each level averages 2x2 blocks: a black and white checkerboard turns
    // mid grey; four different corner colours meet in their mean.
    Image checker{4, 4, {}};
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) {
            const uint8_t v = (x + y) % 2 ? 255 : 0;
            checker.rgba.insert(checker.rgba.end(), {v, v, v, 255});
        }
    TexturePtr board = Texture::FromImage(checker, "board");
    board->GenerateMIPMap();
    for (uint8_t byte : board->GetMipMaps()[0].rgba)
        EXPECT_TRUE(byte == 128 || byte == 255);
    Image corners{2, 2, {0, 0, 0, 0, 100, 0, 0, 40, 0, 200, 0, 80, 0, 0, 40, 120}};
    EXPECT_EQ(HalveImage(corners).rgba, (std::vector<uint8_t>{25, 50, 10, 60}));
}
