#include "platform/ImageService.h"

#include <gtest/gtest.h>
#include <stb/stb_image.h>
#include <stb/stb_image_write.h>
#include <tiffio.h>

#include <algorithm>
#include <array>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <tuple>
#include <utility>

#include <sys/resource.h>

using namespace corvid;
namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

namespace {

struct TempDir {
    std::string path = [] {
        std::string p = (fs::temp_directory_path() / "corvid-img-XXXXXX").string();
        return ::mkdtemp(p.data()) ? p : std::string();
    }();
    ~TempDir() { fs::remove_all(path); }
    std::string operator/(const std::string& name) const { return path + "/" + name; }
};

// Every pixel differs from its neighbours and the top row from the bottom
// one, so a flipped, mirrored or shifted decode shows.
Image Pattern(int w, int h)
{
    Image img{w, h, {}};
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.rgba.insert(img.rgba.end(), {static_cast<uint8_t>(20 + x * 30), static_cast<uint8_t>(10 + y * 50),
                                             static_cast<uint8_t>(200 - x * 10 - y * 20), 255});
    return img;
}

Bytes Rgb(const Image& img)
{
    Bytes out;
    for (size_t i = 0; i < img.rgba.size(); i += 4)
        out.insert(out.end(), {img.rgba[i], img.rgba[i + 1], img.rgba[i + 2]});
    return out;
}

// Runs write with files limited to limit bytes (a disk that fills up), the
// limit lifted again afterwards.
template <typename Write>
bool WithFileSizeLimit(rlim_t limit, Write write)
{
    rlimit saved{};
    if (getrlimit(RLIMIT_FSIZE, &saved) != 0)
        return true;  // reads as "written": the caller's check fails
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = limit;
    if (setrlimit(RLIMIT_FSIZE, &small) != 0) {
        std::signal(SIGXFSZ, oldHandler);
        return true;
    }
    const bool written = write();
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    return written;
}

Bytes ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteBytes(const std::string& path, const Bytes& bytes)
{
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<std::streamsize>(bytes.size()));
}

bool WriteTiff(const std::string& path, const Image& img, uint16_t compression)
{
    TIFF* tif = TIFFOpen(path.c_str(), "w");
    if (!tif)
        return false;
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, static_cast<uint32_t>(img.width));
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, static_cast<uint32_t>(img.height));
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 3);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, compression);
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, 2);
    Bytes rgb = Rgb(img);
    bool ok = true;
    for (int y = 0; y < img.height && ok; ++y)
        ok = TIFFWriteScanline(tif, &rgb[static_cast<size_t>(y * img.width * 3)], static_cast<uint32_t>(y), 0) == 1;
    TIFFClose(tif);
    return ok;
}

using Palette = std::array<std::array<uint8_t, 3>, 4>;

// A GIF of palette indices. Each index goes out as a literal after an LZW
// clear code, so codes stay 3 bits wide and no compressor is needed.
Bytes MakeGif(int w, int h, const Palette& palette, const Bytes& indices)
{
    Bytes g = {'G', 'I', 'F', '8', '9', 'a', uint8_t(w), uint8_t(w >> 8), uint8_t(h), uint8_t(h >> 8), 0x91, 0, 0};
    for (const auto& c : palette)
        g.insert(g.end(), c.begin(), c.end());
    g.insert(g.end(), {0x2C, 0, 0, 0, 0, uint8_t(w), uint8_t(w >> 8), uint8_t(h), uint8_t(h >> 8), 0, 2});
    Bytes packed;
    uint32_t acc = 0;
    int bits = 0;
    auto code = [&](uint32_t c) {
        for (acc |= c << bits, bits += 3; bits >= 8; acc >>= 8, bits -= 8)
            packed.push_back(static_cast<uint8_t>(acc));
    };
    for (uint8_t index : indices)
        code(4), code(index);
    code(5);
    packed.push_back(static_cast<uint8_t>(acc));
    for (size_t i = 0; i < packed.size(); i += 255) {
        const size_t n = std::min<size_t>(255, packed.size() - i);
        g.push_back(static_cast<uint8_t>(n));
        g.insert(g.end(), packed.begin() + static_cast<long>(i), packed.begin() + static_cast<long>(i + n));
    }
    g.insert(g.end(), {0, 0x3B});
    return g;
}

void ExpectPixels(const Image& decoded, const Image& expected, int tolerance = 0)
{
    ASSERT_EQ(decoded.width, expected.width);
    ASSERT_EQ(decoded.height, expected.height);
    ASSERT_EQ(decoded.rgba.size(), expected.rgba.size());
    for (size_t i = 0; i < decoded.rgba.size(); ++i)
        ASSERT_NEAR(decoded.rgba[i], expected.rgba[i], (i % 4 == 3) ? 0 : tolerance) << "pixel " << i / 4;
}

} // namespace

TEST(ImageDecode, EveryFormatDecodesTopRowFirst)
{
    TempDir dir;
    const Image img = Pattern(5, 3);
    const Bytes rgb = Rgb(img);
    ASSERT_TRUE(stbi_write_bmp((dir / "rgb.bmp").c_str(), 5, 3, 3, rgb.data()));
    ASSERT_TRUE(stbi_write_bmp((dir / "rgba.bmp").c_str(), 5, 3, 4, img.rgba.data()));
    stbi_write_tga_with_rle = 1;
    ASSERT_TRUE(stbi_write_tga((dir / "rle.tga").c_str(), 5, 3, 3, rgb.data()));
    stbi_write_tga_with_rle = 0;
    ASSERT_TRUE(stbi_write_tga((dir / "raw.tga").c_str(), 5, 3, 4, img.rgba.data()));
    ASSERT_TRUE(WriteTiff(dir / "plain.tif", img, COMPRESSION_NONE));
    ASSERT_TRUE(WriteTiff(dir / "lzw.tiff", img, COMPRESSION_LZW));
    // The content picks the decoder, whatever the name says.
    ASSERT_TRUE(stbi_write_bmp((dir / "bmp.jpg").c_str(), 5, 3, 4, img.rgba.data()));
    ASSERT_TRUE(WriteTiff(dir / "tiff.gif", img, COMPRESSION_NONE));

    for (const char* name : {"rgb.bmp", "rgba.bmp", "rle.tga", "raw.tga", "plain.tif", "lzw.tiff", "bmp.jpg", "tiff.gif"}) {
        SCOPED_TRACE(name);
        std::string error;
        auto loaded = LoadImageFile(dir / name, &error);
        ASSERT_TRUE(loaded) << error;
        ExpectPixels(*loaded, img);
        int w = 0, h = 0;
        EXPECT_TRUE(ReadImageSize(dir / name, w, h));
        EXPECT_EQ(std::pair(w, h), std::pair(5, 3));
    }
}

TEST(ImageDecode, GifAndJpegDecode)
{
    TempDir dir;
    const Palette palette{{{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {250, 250, 10}}};
    const Bytes indices = {0, 1, 2, 3, 3, 2, 1, 0};  // 4 x 2
    WriteBytes(dir / "pic.gif", MakeGif(4, 2, palette, indices));
    std::string error;
    auto gif = LoadImageFile(dir / "pic.gif", &error);
    ASSERT_TRUE(gif) << error;
    Image expected{4, 2, {}};
    for (uint8_t i : indices)
        expected.rgba.insert(expected.rgba.end(), {palette[i][0], palette[i][1], palette[i][2], 255});
    ExpectPixels(*gif, expected);

    // JPEG is lossy: four flat 8x8 blocks come back within a few levels.
    const uint8_t colours[4][3] = {{200, 40, 40}, {40, 200, 40}, {40, 40, 200}, {230, 230, 230}};
    Image blocks{16, 16, {}};
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            const uint8_t* c = colours[(y / 8) * 2 + x / 8];
            blocks.rgba.insert(blocks.rgba.end(), {c[0], c[1], c[2], 255});
        }
    ASSERT_TRUE(stbi_write_jpg((dir / "blocks.jpg").c_str(), 16, 16, 4, blocks.rgba.data(), 100));
    auto jpg = LoadImageFile(dir / "blocks.jpg", &error);
    ASSERT_TRUE(jpg) << error;
    ExpectPixels(*jpg, blocks, 6);
}

TEST(ImageDecode, BrokenInputFailsWithAReason)
{
    TempDir dir;
    const Image img = Pattern(8, 8);
    ASSERT_TRUE(stbi_write_bmp((dir / "a.bmp").c_str(), 8, 8, 3, Rgb(img).data()));
    ASSERT_TRUE(WriteTiff(dir / "a.tif", img, COMPRESSION_NONE));
    ASSERT_TRUE(stbi_write_jpg((dir / "a.jpg").c_str(), 8, 8, 4, img.rgba.data(), 90));
    WriteBytes(dir / "a.gif", MakeGif(8, 8, Palette{}, Bytes(64, 1)));
    // PNG is not one of the program's formats, though the library could read it.
    ASSERT_TRUE(stbi_write_png((dir / "a.png").c_str(), 8, 8, 4, img.rgba.data(), 0));
    WriteBytes(dir / "empty.bmp", {});
    Bytes noise(300);
    for (size_t i = 0; i < noise.size(); ++i)
        noise[i] = static_cast<uint8_t>(i * 37 + 11);
    WriteBytes(dir / "noise.tga", noise);

    for (const char* name : {"a.png", "empty.bmp", "noise.tga", "missing.bmp", ""}) {
        std::string error;
        EXPECT_FALSE(LoadImageFile(dir / name, &error)) << name;  // "" names the folder itself
        EXPECT_FALSE(error.empty()) << name;
        int w = -1, h = -1;
        EXPECT_FALSE(ReadImageSize(dir / name, w, h));
        EXPECT_EQ(w, -1);
    }
    std::string error;
    EXPECT_FALSE(DecodeImage(nullptr, 0, &error));
    EXPECT_FALSE(error.empty());

    for (const char* name : {"a.bmp", "a.tif", "a.jpg", "a.gif"}) {
        const Bytes whole = ReadBytes(dir / name);
        // A cut header always fails. A cut pixel stream may decode with the
        // missing part filled in, but then as a whole image of the header's size.
        for (size_t keep : {size_t{6}, size_t{20}, whole.size() / 2}) {
            SCOPED_TRACE(std::string(name) + " cut to " + std::to_string(keep));
            error.clear();
            auto decoded = DecodeImage(whole.data(), keep, &error);
            if (decoded) {
                EXPECT_GT(keep, 20u);
                EXPECT_TRUE(IsValidImage(*decoded) && decoded->width == 8);
            } else {
                EXPECT_FALSE(error.empty());
            }
        }
    }
}

TEST(ImageDecode, OverfullJpegHuffmanTableIsRefused)
{
    Image grey{16, 8, Bytes(16 * 8 * 4, 200)};
    Bytes jpg;
    ASSERT_TRUE(stbi_write_jpg_to_func(
        [](void* out, void* data, int n) {
            static_cast<Bytes*>(out)->insert(static_cast<Bytes*>(out)->end(), static_cast<uint8_t*>(data),
                                             static_cast<uint8_t*>(data) + n);
        },
        &jpg, 16, 8, 4, grey.rgba.data(), 90));

    // A table whose 16 code counts add up to 3200 (no more than 256 fit).
    Bytes table = {0xFF, 0xC4, 0x00, 0x13, 0x00};
    table.insert(table.end(), 16, 200);
    // The same bytes inside a comment are only text.
    Bytes comment = {0xFF, 0xFE, 0x00, static_cast<uint8_t>(2 + table.size())};
    comment.insert(comment.end(), table.begin(), table.end());
    auto afterStart = [&](Bytes prefix, const Bytes& segment) {
        prefix.insert(prefix.end(), segment.begin(), segment.end());
        prefix.insert(prefix.end(), jpg.begin() + 2, jpg.end());
        return prefix;
    };

    std::string error;
    const Bytes commented = afterStart({0xFF, 0xD8}, comment);
    EXPECT_TRUE(DecodeImage(commented.data(), commented.size(), &error)) << error;
    // Refused straight after the start marker, and after fill and stray bytes.
    for (const Bytes& bad : {afterStart({0xFF, 0xD8}, table), afterStart({0xFF, 0xFF, 0xD8, 0x12, 0x34}, table)}) {
        error.clear();
        EXPECT_FALSE(DecodeImage(bad.data(), bad.size(), &error));
        EXPECT_NE(error.find("Huffman"), std::string::npos) << error;
    }
}

TEST(ImageDecode, SizeLimitsApplyBeforeDecoding)
{
    TempDir dir;
    // A BMP header claiming 100000 x 100000 pixels with almost no data.
    Bytes bmp(70, 0);
    for (auto [at, v] : {std::pair{2, 70}, {10, 54}, {14, 40}, {18, 100000}, {22, 100000}, {26, 1}, {28, 24}})
        for (int i = 0; i < 4; ++i)
            bmp[static_cast<size_t>(at + i)] |= static_cast<uint8_t>(v >> (8 * i));
    bmp[0] = 'B', bmp[1] = 'M';
    std::string error;
    EXPECT_FALSE(DecodeImage(bmp.data(), bmp.size(), &error));
    EXPECT_NE(error.find("too large"), std::string::npos) << error;

    // A TIFF of 60000 x 60000 pixels holding 16 bytes: refused before a
    // buffer of that size is asked for.
    TIFF* tif = TIFFOpen((dir / "huge.tif").c_str(), "w");
    ASSERT_TRUE(tif);
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, 60000u);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, 60000u);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, 60000u);
    uint8_t strip[16] = {};
    TIFFWriteRawStrip(tif, 0, strip, sizeof strip);
    TIFFClose(tif);
    error.clear();
    EXPECT_FALSE(LoadImageFile(dir / "huge.tif", &error));
    EXPECT_NE(error.find("too large"), std::string::npos) << error;
    int w = 0, h = 0;
    EXPECT_FALSE(ReadImageSize(dir / "huge.tif", w, h));

    // The limits are inclusive: exactly at the limit decodes, one below does not.
    const Image img = Pattern(40, 30);
    ASSERT_TRUE(stbi_write_bmp((dir / "a.bmp").c_str(), 40, 30, 4, img.rgba.data()));
    ASSERT_TRUE(WriteTiff(dir / "a.tif", img, COMPRESSION_NONE));
    for (const char* name : {"a.bmp", "a.tif"}) {
        const Bytes bytes = ReadBytes(dir / name);
        auto decodes = [&](int side, int64_t pixels) {
            return DecodeImage(bytes.data(), bytes.size(), ImageLimits{side, pixels}).has_value();
        };
        EXPECT_TRUE(decodes(40, 1200)) << name;
        EXPECT_FALSE(decodes(39, 1200)) << name;
        EXPECT_FALSE(decodes(40, 1199)) << name;
    }
}

TEST(ImageWrite, ResizedBmpIs24BitAtTheNewSize)
{
    TempDir dir;
    Image red{6, 4, {}};
    for (int i = 0; i < 24; ++i)
        red.rgba.insert(red.rgba.end(), {210, 30, 60, 128});
    ASSERT_TRUE(WriteResizedBmp(red, dir / "out.bmp", 13, 7));
    const Bytes bytes = ReadBytes(dir / "out.bmp");
    ASSERT_GE(bytes.size(), 54u);
    EXPECT_EQ(bytes[0], 'B');
    EXPECT_EQ(bytes[28] | (bytes[29] << 8), 24);  // bits per pixel
    auto back = LoadImageFile(dir / "out.bmp");
    ASSERT_TRUE(back);
    Image expected{13, 7, {}};
    for (int i = 0; i < 13 * 7; ++i)
        expected.rgba.insert(expected.rgba.end(), {210, 30, 60, 255});  // alpha dropped
    ExpectPixels(*back, expected, 1);

    ASSERT_TRUE(WriteResizedBmp(dir / "out.bmp", dir / "small.bmp", 2, 3));
    int w = 0, h = 0;
    EXPECT_TRUE(ReadImageSize(dir / "small.bmp", w, h));
    EXPECT_EQ(std::pair(w, h), std::pair(2, 3));

    EXPECT_FALSE(WriteResizedBmp(red, dir / "x.bmp", 0, 5));
    EXPECT_FALSE(WriteResizedBmp(red, dir / "x.bmp", 5, -1));
    EXPECT_FALSE(WriteResizedBmp(Image{2, 2, {1, 2, 3}}, dir / "x.bmp", 2, 2));
    EXPECT_FALSE(WriteResizedBmp(dir / "missing.bmp", dir / "x.bmp", 2, 2));
    EXPECT_FALSE(WriteResizedBmp(red, dir / "no-such-folder/x.bmp", 2, 2));
    EXPECT_FALSE(fs::exists(dir / "x.bmp"));
}

TEST(ImageWrite, TheBmpIsStbsTwentyFourBitFileByteForByte)
{
    // Widths with each amount of row padding, and a picture written in
    // several blocks of rows.
    TempDir dir;
    for (auto [w, h] : {std::pair{4, 3}, std::pair{5, 3}, std::pair{6, 2}, std::pair{7, 5}, std::pair{2001, 97}}) {
        SCOPED_TRACE(std::to_string(w) + " x " + std::to_string(h));
        const Image picture = Pattern(w, h);
        ASSERT_TRUE(WriteImageFile(picture, dir / "p.bmp", ImageFileType::Bmp));
        Bytes rgb = Rgb(picture);
        Bytes expected;
        ASSERT_TRUE(stbi_write_bmp_to_func(
            [](void* context, void* data, int size) {
                auto* out = static_cast<Bytes*>(context);
                out->insert(out->end(), static_cast<uint8_t*>(data), static_cast<uint8_t*>(data) + size);
            },
            &expected, w, h, 3, rgb.data()));
        EXPECT_TRUE(ReadBytes(dir / "p.bmp") == expected);
    }
}

TEST(ImageWrite, FailedWriteLeavesTheOldFile)
{
    TempDir dir;
    const std::string target = dir / "keep.bmp";
    const Bytes old = {'o', 'l', 'd'};
    WriteBytes(target, old);

    // Let the "disk fill up" after 4 KiB: the 48 KiB picture cannot be written.
    const bool written = WithFileSizeLimit(4096, [&] { return WriteResizedBmp(Pattern(4, 4), target, 128, 128); });

    EXPECT_FALSE(written);
    EXPECT_EQ(ReadBytes(target), old);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path), fs::directory_iterator()), 1)
        << "the temporary file was left behind";

    // A picture that replaces a file keeps that file's permissions.
    fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    ASSERT_TRUE(WriteResizedBmp(Pattern(4, 4), target, 128, 128));
    EXPECT_EQ(ReadBytes(target).size(), 54u + 128 * 128 * 3);
    EXPECT_EQ(fs::status(target).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path), fs::directory_iterator()), 1);
}

TEST(ImageWrite, PicturesAreWrittenAsTheTypeAskedForOrNotAtAll)
{
    TempDir dir;
    const Image picture = Pattern(5, 3);
    for (auto [name, type, magic] : {std::tuple{"p.png", ImageFileType::Png, std::string("\x89PNG")},
                                     std::tuple{"p.bmp", ImageFileType::Bmp, std::string("BM")}}) {
        std::string error;
        ASSERT_TRUE(WriteImageFile(picture, dir / name, type, &error)) << error;
        const Bytes bytes = ReadBytes(dir / name);
        EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + static_cast<long>(magic.size())), magic) << name;
        // The image service reads no PNG: stb's own decoder reads it back.
        int w = 0, h = 0, channels = 0;
        uint8_t* rgba = stbi_load_from_memory(bytes.data(), static_cast<int>(bytes.size()), &w, &h, &channels, 4);
        ASSERT_TRUE(rgba) << name;
        const Image back{w, h, Bytes(rgba, rgba + static_cast<size_t>(w) * static_cast<size_t>(h) * 4)};
        stbi_image_free(rgba);
        ExpectPixels(back, picture, 0);
    }

    // The reason is the system's, for whichever step failed.
    std::string error;
    EXPECT_FALSE(WriteImageFile(picture, dir / "no-such-folder/p.png", ImageFileType::Png, &error));
    EXPECT_EQ(error, "No such file or directory");
    fs::create_directory(dir / "taken.png");
    EXPECT_FALSE(WriteImageFile(picture, dir / "taken.png", ImageFileType::Png, &error));
    EXPECT_EQ(error, "Is a directory");
    EXPECT_FALSE(WriteImageFile(Image{}, dir / "empty.png", ImageFileType::Png, &error));
    EXPECT_EQ(error, "the picture has no pixels");

    const bool written =
        WithFileSizeLimit(64, [&] { return WriteImageFile(Pattern(32, 32), dir / "big.bmp", ImageFileType::Bmp, &error); });
    EXPECT_FALSE(written);
    EXPECT_EQ(error, "File too large");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path), fs::directory_iterator()), 3)
        << "only p.png, p.bmp and the folder: no temporary file is left";
}
