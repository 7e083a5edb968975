#include "platform/ImageService.h"

#include "platform/OutputFile.h"

#include <stb_image.h>
#include <stb_image_resize.h>
#include <stb_image_write.h>
#include <tiffio.h>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <climits>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <mutex>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace corvid {

namespace {

enum class Format { Unsupported, Bmp, Jpeg, Gif, Tga, Tiff };

bool StartsWith(const uint8_t* data, size_t size, const char* magic, size_t n)
{
    return size >= n && std::memcmp(data, magic, n) == 0;
}

// Picks the decoder from the leading bytes. TGA has no signature, so it is
// what remains once every format with one is ruled out; formats stb_image
// could decode but this program does not take (PNG, PSD, PIC, PNM, HDR) are
// refused here so that stb_image never gets to try them.
Format Sniff(const uint8_t* data, size_t size)
{
    if (StartsWith(data, size, "BM", 2))
        return Format::Bmp;
    // The JPEG decoder skips any number of 0xFF fill bytes before a marker,
    // the start-of-image marker included.
    size_t fill = 0;
    while (fill < size && data[fill] == 0xFF)
        ++fill;
    if (fill > 0 && fill < size && data[fill] == 0xD8)
        return Format::Jpeg;
    if (StartsWith(data, size, "GIF87a", 6) || StartsWith(data, size, "GIF89a", 6))
        return Format::Gif;
    if (StartsWith(data, size, "II*\0", 4) || StartsWith(data, size, "MM\0*", 4) ||
        StartsWith(data, size, "II+\0", 4) || StartsWith(data, size, "MM\0+", 4))
        return Format::Tiff;
    if (StartsWith(data, size, "\x89PNG", 4) || StartsWith(data, size, "8BPS", 4) ||
        StartsWith(data, size, "S\x80\xF6\x34", 4) || StartsWith(data, size, "P5", 2) ||
        StartsWith(data, size, "P6", 2) || StartsWith(data, size, "#?", 2) ||
        StartsWith(data, size, "GIF", 3))
        return Format::Unsupported;
    // The smallest TGA is an 18-byte header and one pixel.
    return size >= 19 ? Format::Tga : Format::Unsupported;
}

const char* FormatName(Format format)
{
    switch (format) {
    case Format::Bmp:
        return "BMP";
    case Format::Jpeg:
        return "JPEG";
    case Format::Gif:
        return "GIF";
    case Format::Tga:
        return "TGA";
    case Format::Tiff:
        return "TIFF";
    case Format::Unsupported:
        break;
    }
    return "image";
}

void SetError(std::string* error, std::string message)
{
    if (error)
        *error = std::move(message);
}

bool CheckSize(int64_t width, int64_t height, const ImageLimits& limits, std::string* error)
{
    if (width <= 0 || height <= 0) {
        SetError(error, "image has no pixels (" + std::to_string(width) + "x" + std::to_string(height) + ")");
        return false;
    }
    if (width > limits.maxSide || height > limits.maxSide || width * height > limits.maxPixels) {
        SetError(error, "image too large (" + std::to_string(width) + "x" + std::to_string(height) + ")");
        return false;
    }
    return true;
}

// ---------------------------------------------------------------------------
// TIFF from memory

struct MemoryStream {
    const uint8_t* data;
    size_t size;
    size_t pos;
};

tmsize_t TiffRead(thandle_t handle, void* buffer, tmsize_t count)
{
    auto* s = static_cast<MemoryStream*>(handle);
    if (count <= 0 || s->pos >= s->size)
        return 0;
    size_t n = std::min(static_cast<size_t>(count), s->size - s->pos);
    std::memcpy(buffer, s->data + s->pos, n);
    s->pos += n;
    return static_cast<tmsize_t>(n);
}

tmsize_t TiffWrite(thandle_t, void*, tmsize_t)
{
    return -1;
}

toff_t TiffSeek(thandle_t handle, toff_t offset, int whence)
{
    auto* s = static_cast<MemoryStream*>(handle);
    // libtiff passes negative relative offsets as wrapped unsigned values.
    const auto delta = static_cast<int64_t>(offset);
    int64_t base = 0;
    switch (whence) {
    case SEEK_SET:
        if (offset > static_cast<toff_t>(INT64_MAX))
            return static_cast<toff_t>(-1);
        s->pos = static_cast<size_t>(offset);
        return offset;
    case SEEK_CUR:
        base = static_cast<int64_t>(s->pos);
        break;
    case SEEK_END:
        base = static_cast<int64_t>(s->size);
        break;
    default:
        return static_cast<toff_t>(-1);
    }
    if ((delta < 0 && base + delta < 0) || (delta > 0 && base > INT64_MAX - delta))
        return static_cast<toff_t>(-1);
    s->pos = static_cast<size_t>(base + delta);
    return static_cast<toff_t>(s->pos);
}

int TiffClose(thandle_t)
{
    return 0;
}

toff_t TiffStreamSize(thandle_t handle)
{
    return static_cast<MemoryStream*>(handle)->size;
}

int TiffMap(thandle_t, void**, toff_t*)
{
    return 0;
}

void TiffUnmap(thandle_t, void*, toff_t) {}

// Keeps the first error libtiff reports for the caller; warnings are dropped.
int TiffErrorHandler(TIFF*, void* userData, const char* module, const char* format, va_list args)
{
    auto* message = static_cast<std::string*>(userData);
    if (message->empty()) {
        char buffer[256];
        std::vsnprintf(buffer, sizeof buffer, format, args);
        *message = module && *module ? std::string(module) + ": " + buffer : std::string(buffer);
    }
    return 1;
}

int TiffWarningHandler(TIFF*, void*, const char*, const char*, va_list)
{
    return 1;
}

// An open TIFF over a memory buffer, closed on destruction.
class TiffReader {
public:
    TiffReader(const uint8_t* data, size_t size, const ImageLimits& limits)
        : stream_{data, size, 0}
    {
        static std::once_flag silenced;
        std::call_once(silenced, [] {
            // Errors reach the per-file handlers below; nothing goes to stderr.
            TIFFSetErrorHandler(nullptr);
            TIFFSetWarningHandler(nullptr);
        });
        TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
        if (!options)
            return;
        // No single buffer libtiff allocates may exceed the decoded image
        // the limits allow (plus room for small images' fixed overheads).
        const int64_t pixels = std::clamp<int64_t>(limits.maxPixels, 0, int64_t{1} << 40);
        TIFFOpenOptionsSetMaxSingleMemAlloc(options, static_cast<tmsize_t>(pixels * 4 + (int64_t{1} << 20)));
        TIFFOpenOptionsSetErrorHandlerExtR(options, TiffErrorHandler, &message_);
        TIFFOpenOptionsSetWarningHandlerExtR(options, TiffWarningHandler, nullptr);
        tif_ = TIFFClientOpenExt("image", "rm", &stream_, TiffRead, TiffWrite, TiffSeek,
                                 TiffClose, TiffStreamSize, TiffMap, TiffUnmap, options);
        TIFFOpenOptionsFree(options);
    }
    ~TiffReader()
    {
        if (tif_)
            TIFFClose(tif_);
    }
    TiffReader(const TiffReader&) = delete;
    TiffReader& operator=(const TiffReader&) = delete;

    TIFF* get() const { return tif_; }
    std::string Message(const char* fallback) const
    {
        return "TIFF: " + (message_.empty() ? std::string(fallback) : message_);
    }

private:
    MemoryStream stream_;
    std::string message_;
    TIFF* tif_ = nullptr;
};

bool TiffSize(const TiffReader& reader, int64_t& width, int64_t& height, std::string* error)
{
    uint32_t w = 0, h = 0;
    if (!reader.get()) {
        SetError(error, reader.Message("not a readable TIFF file"));
        return false;
    }
    if (!TIFFGetField(reader.get(), TIFFTAG_IMAGEWIDTH, &w) ||
        !TIFFGetField(reader.get(), TIFFTAG_IMAGELENGTH, &h)) {
        SetError(error, reader.Message("image size missing"));
        return false;
    }
    width = w;
    height = h;
    return true;
}

std::optional<Image> DecodeTiff(const uint8_t* data, size_t size, const ImageLimits& limits,
                                std::string* error)
{
    TiffReader reader(data, size, limits);
    int64_t width = 0, height = 0;
    if (!TiffSize(reader, width, height, error) || !CheckSize(width, height, limits, error))
        return std::nullopt;

    char why[1024] = {};
    if (!TIFFRGBAImageOK(reader.get(), why)) {
        SetError(error, std::string("TIFF: ") + why);
        return std::nullopt;
    }
    std::vector<uint32_t> raster(static_cast<size_t>(width * height));
    if (!TIFFReadRGBAImageOriented(reader.get(), static_cast<uint32_t>(width),
                                   static_cast<uint32_t>(height), raster.data(),
                                   ORIENTATION_TOPLEFT, 1)) {
        SetError(error, reader.Message("cannot read the pixels"));
        return std::nullopt;
    }
    Image image;
    image.width = static_cast<int>(width);
    image.height = static_cast<int>(height);
    image.rgba.resize(raster.size() * 4);
    for (size_t i = 0; i < raster.size(); ++i) {
        const uint32_t p = raster[i];
        image.rgba[i * 4 + 0] = static_cast<uint8_t>(TIFFGetR(p));
        image.rgba[i * 4 + 1] = static_cast<uint8_t>(TIFFGetG(p));
        image.rgba[i * 4 + 2] = static_cast<uint8_t>(TIFFGetB(p));
        image.rgba[i * 4 + 3] = static_cast<uint8_t>(TIFFGetA(p));
    }
    return image;
}

// ---------------------------------------------------------------------------
// stb_image formats
//
// stb_image tries its decoders in turn and keeps the last failure reason it
// saw, which is often another format's signature test; so the messages here
// name the format instead of quoting it.

// stb_image 2.27 (what the system ships) builds a JPEG Huffman table without
// checking that its code counts add up to at most 256, and writes past the
// table when they do. This walks the file the way the decoder reads it and
// refuses any such table before the decoder sees it. Where the walk and the
// decoder could part ways the walk looks at more, never less: it follows
// segment lengths, and outside segments (entropy-coded data, stray bytes)
// takes every 0xFF byte as a possible marker.
bool JpegHuffmanTablesFit(const uint8_t* data, size_t size)
{
    // The decoder reads zeros past the end of the data.
    const auto at = [&](size_t i) -> int { return i < size ? data[i] : 0; };
    size_t pos = 0;
    while (pos < size) {
        if (data[pos] != 0xFF) {
            ++pos;
            continue;
        }
        while (pos < size && data[pos] == 0xFF)
            ++pos;  // fill bytes
        if (pos >= size)
            break;
        const int marker = data[pos++];
        if (marker == 0xD9)  // end of image: the decoder stops here
            break;
        if (marker == 0x00 || marker == 0x01 || marker == 0xD8 || (marker >= 0xD0 && marker <= 0xD7))
            continue;  // byte stuffing and markers without a segment
        if (pos + 2 > size)
            break;
        const int length = (at(pos) << 8) | at(pos + 1);
        if (marker != 0xC4) {
            pos += static_cast<size_t>(std::max(length, 2));
            continue;
        }
        // Define-Huffman-table segment, read table by table as the decoder does.
        int left = length - 2;
        size_t p = pos + 2;
        while (left > 0) {
            const int q = at(p++);
            if ((q >> 4) > 1 || (q & 15) > 3)
                return true;  // the decoder gives up on this file here
            int count = 0;
            for (int i = 0; i < 16; ++i)
                count += at(p++);
            if (count > 256)
                return false;
            p += static_cast<size_t>(count);
            left -= 17 + count;
        }
        pos = p;
    }
    return true;
}

bool StbSize(const uint8_t* data, size_t size, Format format, int64_t& width, int64_t& height,
             std::string* error)
{
    // Reading the header already builds the Huffman tables that precede it.
    if (format == Format::Jpeg && !JpegHuffmanTablesFit(data, size)) {
        SetError(error, "corrupt JPEG image: bad Huffman table");
        return false;
    }
    int w = 0, h = 0, comp = 0;
    if (!stbi_info_from_memory(data, static_cast<int>(size), &w, &h, &comp)) {
        SetError(error, std::string("corrupt ") + FormatName(format) + " header");
        return false;
    }
    width = w;
    height = h;
    return true;
}

std::optional<Image> DecodeStb(const uint8_t* data, size_t size, Format format,
                               const ImageLimits& limits, std::string* error)
{
    int64_t width = 0, height = 0;
    if (!StbSize(data, size, format, width, height, error) || !CheckSize(width, height, limits, error))
        return std::nullopt;
    int w = 0, h = 0, comp = 0;
    stbi_uc* pixels = stbi_load_from_memory(data, static_cast<int>(size), &w, &h, &comp, 4);
    if (!pixels) {
        SetError(error, std::string("corrupt ") + FormatName(format) + " image data");
        return std::nullopt;
    }
    std::optional<Image> result;
    if (w == width && h == height) {
        Image image;
        image.width = w;
        image.height = h;
        image.rgba.assign(pixels, pixels + static_cast<size_t>(w) * static_cast<size_t>(h) * 4);
        result = std::move(image);
    } else {
        SetError(error, std::string("corrupt ") + FormatName(format) + " image: size changed while decoding");
    }
    stbi_image_free(pixels);
    return result;
}

bool ProbeSize(const uint8_t* data, size_t size, int64_t& width, int64_t& height, std::string* error)
{
    const Format format = Sniff(data, size);
    switch (format) {
    case Format::Tiff: {
        TiffReader reader(data, size, ImageLimits{});
        return TiffSize(reader, width, height, error);
    }
    case Format::Bmp:
    case Format::Jpeg:
    case Format::Gif:
    case Format::Tga:
        return StbSize(data, size, format, width, height, error);
    case Format::Unsupported:
        break;
    }
    SetError(error, "unsupported image format");
    return false;
}

// ---------------------------------------------------------------------------
// Files

bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& bytes, std::string* error)
{
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        SetError(error, "cannot open " + path + ": " + std::strerror(errno));
        return false;
    }
    struct stat st {};
    bool ok = ::fstat(fd, &st) == 0;
    if (!ok || !S_ISREG(st.st_mode)) {
        SetError(error, "not a regular file: " + path);
        ::close(fd);
        return false;
    }
    if (st.st_size > kMaxImageFileBytes) {
        SetError(error, "file too large: " + path);
        ::close(fd);
        return false;
    }
    bytes.resize(static_cast<size_t>(st.st_size));
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::read(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += static_cast<size_t>(n);
    }
    ::close(fd);
    // A file that shrank while being read is decoded as far as it goes.
    bytes.resize(done);
    return true;
}

bool WriteAll(int fd, const uint8_t* data, size_t size)
{
    while (size > 0) {
        ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n == 0)
            errno = ENOSPC;
        if (n <= 0)
            return false;
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

// Writes a temporary file in path's folder through write (given its
// descriptor; false with errno set on failure) and renames it over path. On
// failure error (when given) gets the system's reason for the step that
// failed, and the temporary file is gone. Pictures are not synced to the
// disk (a render makes them again; a sync would hold every capture up for
// the disk): the file only replaces an old one once it is complete.
template <typename Write>
bool ReplaceFileWith(const std::string& path, Write&& write, std::string* error = nullptr)
{
    auto fail = [error](int code) {
        SetError(error, std::strerror(code));
        return false;
    };
    std::string pattern = path + ".tmp-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    int fd = ::mkstemp(name.data());
    if (fd < 0)
        return fail(errno);
    // Keep the permissions of the file being replaced; a new file gets rw-r--r--.
    struct stat old {};
    mode_t mode = ::stat(path.c_str(), &old) == 0 ? (old.st_mode & 07777) : 0644;
    int code = 0;
    if (::fchmod(fd, mode) != 0 || !write(fd))
        code = errno;
    if (::close(fd) != 0 && code == 0)
        code = errno;
    if (code == 0 && !MoveOutputIntoPlace(name.data(), path))
        code = errno;
    if (code == 0)
        return true;
    ::unlink(name.data());
    return fail(code);
}

bool ReplaceFile(const std::string& path, const std::vector<uint8_t>& bytes, std::string* error = nullptr)
{
    return ReplaceFileWith(path, [&bytes](int fd) { return WriteAll(fd, bytes.data(), bytes.size()); }, error);
}

void PutLittle(uint8_t* at, uint32_t value, int count)
{
    for (int i = 0; i < count; ++i)
        at[i] = static_cast<uint8_t>(value >> (8 * i));
}

// Writes image as a 24-bit BMP (bottom row first, BGR, rows padded to four
// bytes, no compression) straight from its RGBA rows, a block of rows at a
// time.
bool WriteBmp(int fd, const Image& image)
{
    const size_t width = static_cast<size_t>(image.width);
    const size_t row = (width * 3 + 3) / 4 * 4;
    const size_t pixelBytes = row * static_cast<size_t>(image.height);
    uint8_t header[54] = {'B', 'M'};
    PutLittle(header + 2, static_cast<uint32_t>(54 + pixelBytes), 4);
    PutLittle(header + 10, 54, 4);  // the pixels right after the two headers
    PutLittle(header + 14, 40, 4);  // the information header's size
    PutLittle(header + 18, static_cast<uint32_t>(image.width), 4);
    PutLittle(header + 22, static_cast<uint32_t>(image.height), 4);  // positive: bottom up
    PutLittle(header + 26, 1, 2);   // planes
    PutLittle(header + 28, 24, 2);  // bits per pixel
    if (!WriteAll(fd, header, sizeof header))
        return false;

    const size_t rowsPerBlock = std::max<size_t>(1, (size_t{256} << 10) / row);
    std::vector<uint8_t> block(std::min(rowsPerBlock, static_cast<size_t>(image.height)) * row, 0);
    for (int y = image.height - 1; y >= 0;) {
        uint8_t* out = block.data();
        for (size_t r = 0; r < rowsPerBlock && y >= 0; ++r, --y, out += row) {
            RgbaRowToBgr(&image.rgba[static_cast<size_t>(y) * width * 4], out, image.width);
        }
        if (!WriteAll(fd, block.data(), static_cast<size_t>(out - block.data())))
            return false;
    }
    return true;
}

// The image's pixels as RGB, alpha dropped.
std::vector<uint8_t> RgbOf(const Image& image)
{
    const size_t pixels = static_cast<size_t>(image.width) * static_cast<size_t>(image.height);
    std::vector<uint8_t> rgb(pixels * 3);
    for (size_t i = 0; i < pixels; ++i)
        std::memcpy(&rgb[i * 3], &image.rgba[i * 4], 3);
    return rgb;
}

void AppendBytes(void* context, void* data, int size)
{
    auto* out = static_cast<std::vector<uint8_t>*>(context);
    const auto* bytes = static_cast<const uint8_t*>(data);
    out->insert(out->end(), bytes, bytes + size);
}

} // namespace

// One row of RGBA pixels as BGR bytes. Four pixels at a time: each pixel's
// byte-swapped word shifted down by 8 holds B, G, R in its low bytes (little
// endian), and three words carry the four pixels.
void RgbaRowToBgr(const uint8_t* rgba, uint8_t* bgr, int count)
{
    static_assert(std::endian::native == std::endian::little);
    auto bgrOf = [](const uint8_t* p) {
        uint32_t v;
        std::memcpy(&v, p, 4);
        return __builtin_bswap32(v) >> 8;
    };
    int x = 0;
    for (; x + 4 <= count; x += 4, rgba += 16, bgr += 12) {
        const uint32_t a = bgrOf(rgba), b = bgrOf(rgba + 4), c = bgrOf(rgba + 8), d = bgrOf(rgba + 12);
        const uint32_t words[3] = {a | b << 24, b >> 8 | c << 16, c >> 16 | d << 8};
        std::memcpy(bgr, words, sizeof words);
    }
    for (; x < count; ++x, rgba += 4, bgr += 3) {
        bgr[0] = rgba[2];
        bgr[1] = rgba[1];
        bgr[2] = rgba[0];
    }
}

bool IsValidImage(const Image& image)
{
    return image.width > 0 && image.height > 0 &&
           image.rgba.size() == static_cast<size_t>(image.width) * static_cast<size_t>(image.height) * 4;
}

std::optional<Image> DecodeImage(const uint8_t* data, size_t size, std::string* error)
{
    return DecodeImage(data, size, ImageLimits{}, error);
}

std::optional<Image> DecodeImage(const uint8_t* data, size_t size, const ImageLimits& limits,
                                 std::string* error)
{
    if (!data || size == 0) {
        SetError(error, "empty image data");
        return std::nullopt;
    }
    if (size > static_cast<size_t>(INT_MAX)) {
        SetError(error, "image data too large");
        return std::nullopt;
    }
    const Format format = Sniff(data, size);
    switch (format) {
    case Format::Tiff:
        return DecodeTiff(data, size, limits, error);
    case Format::Bmp:
    case Format::Jpeg:
    case Format::Gif:
    case Format::Tga:
        return DecodeStb(data, size, format, limits, error);
    case Format::Unsupported:
        break;
    }
    SetError(error, "unsupported image format");
    return std::nullopt;
}

std::optional<Image> LoadImageFile(const std::string& path, std::string* error)
{
    std::vector<uint8_t> bytes;
    if (!ReadWholeFile(path, bytes, error))
        return std::nullopt;
    std::string why;
    auto image = DecodeImage(bytes.data(), bytes.size(), &why);
    if (!image)
        SetError(error, path + ": " + why);
    return image;
}

bool ReadImageSize(const std::string& path, int& width, int& height)
{
    std::vector<uint8_t> bytes;
    if (!ReadWholeFile(path, bytes, nullptr) || bytes.empty() || bytes.size() > static_cast<size_t>(INT_MAX))
        return false;
    int64_t w = 0, h = 0;
    if (!ProbeSize(bytes.data(), bytes.size(), w, h, nullptr) || !CheckSize(w, h, ImageLimits{}, nullptr))
        return false;
    width = static_cast<int>(w);
    height = static_cast<int>(h);
    return true;
}

bool WriteResizedBmp(const Image& image, const std::string& path, int width, int height)
{
    if (!IsValidImage(image) || path.empty() || !CheckSize(width, height, ImageLimits{}, nullptr))
        return false;

    std::vector<uint8_t> rgb = RgbOf(image);
    std::vector<uint8_t> scaled;
    if (width == image.width && height == image.height) {
        scaled = std::move(rgb);
    } else {
        scaled.resize(static_cast<size_t>(width) * static_cast<size_t>(height) * 3);
        if (!stbir_resize_uint8(rgb.data(), image.width, image.height, 0, scaled.data(), width, height, 0, 3))
            return false;
    }

    std::vector<uint8_t> file;
    file.reserve(54 + scaled.size() + static_cast<size_t>(height) * 3);
    if (!stbi_write_bmp_to_func(AppendBytes, &file, width, height, 3, scaled.data()))
        return false;
    return ReplaceFile(path, file);
}

bool WriteImageFile(const Image& image, const std::string& path, ImageFileType type, std::string* error)
{
    if (!IsValidImage(image)) {
        SetError(error, "the picture has no pixels");
        return false;
    }
    if (!CheckSize(image.width, image.height, ImageLimits{}, error))
        return false;
    if (type == ImageFileType::Bmp)
        return ReplaceFileWith(path, [&image](int fd) { return WriteBmp(fd, image); }, error);
    const std::vector<uint8_t> rgb = RgbOf(image);
    std::vector<uint8_t> file;
    if (!stbi_write_png_to_func(AppendBytes, &file, image.width, image.height, 3, rgb.data(), image.width * 3)) {
        SetError(error, "the picture could not be encoded");
        return false;
    }
    return ReplaceFile(path, file, error);
}

bool WriteResizedBmp(const std::string& srcPath, const std::string& dstPath, int width, int height)
{
    auto image = LoadImageFile(srcPath);
    return image && WriteResizedBmp(*image, dstPath, width, height);
}

} // namespace corvid
