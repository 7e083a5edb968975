#pragma once
// Reading and writing image files: BMP, JPEG, GIF and TGA through stb_image,
// TIFF through libtiff. Every decoded image comes back as 8-bit RGBA, top row
// first. The decoder is chosen from the file's first bytes, never from its
// name. Sizes are checked against ImageLimits before any pixel memory is
// allocated, so no input can make the reader allocate without bound.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace corvid {

struct Image {
    int width = 0, height = 0;
    std::vector<uint8_t> rgba;  // width * height * 4 bytes, top row first
};

// True when width and height are positive and rgba holds exactly their pixels.
bool IsValidImage(const Image& image);

// The largest image the reader accepts. The defaults allow a 16384-pixel side
// and 64 Mi pixels (256 MB of RGBA) in all.
struct ImageLimits {
    int maxSide = 16384;
    int64_t maxPixels = int64_t{64} * 1024 * 1024;
};

// Files larger than this are refused before they are read.
constexpr int64_t kMaxImageFileBytes = int64_t{512} * 1024 * 1024;

// Decodes an image held in memory. On failure returns nothing and, when error
// is given, stores a one-line reason in it.
std::optional<Image> DecodeImage(const uint8_t* data, size_t size, std::string* error = nullptr);
std::optional<Image> DecodeImage(const uint8_t* data, size_t size, const ImageLimits& limits,
                                 std::string* error = nullptr);

// Reads and decodes an image file (.bmp .jpg .gif .tga .tif/.tiff; the
// content decides which).
std::optional<Image> LoadImageFile(const std::string& path, std::string* error = nullptr);

// The pixel size of an image file, read from its header without decoding
// the pixels. False for a file that is missing, not an image, or too large.
bool ReadImageSize(const std::string& path, int& width, int& height);

// Writes image scaled to width x height as a 24-bit BMP (alpha dropped). The
// file is written beside path under a temporary name and renamed into place,
// so a failed write leaves whatever was at path untouched.
bool WriteResizedBmp(const Image& image, const std::string& path, int width, int height);
// One row of count RGBA pixels as BGR bytes (3 * count of them), as BMP and
// AVI files store pixels.
void RgbaRowToBgr(const uint8_t* rgba, uint8_t* bgr, int count);

// The types WriteImageFile writes.
enum class ImageFileType { Bmp, Png };

// Writes image at its own size as a 24-bit BMP or an 8-bit RGB PNG (alpha
// dropped), beside path under a temporary name and renamed into place. On
// failure returns false and, when error is given, stores the reason in it
// (the system's, e.g. "Permission denied").
bool WriteImageFile(const Image& image, const std::string& path, ImageFileType type, std::string* error = nullptr);

// Loads srcPath and writes its resized copy to dstPath.
bool WriteResizedBmp(const std::string& srcPath, const std::string& dstPath, int width, int height);

} // namespace corvid
