#include "platform/TextureFiles.h"

#include "platform/ImageService.h"
#include "platform/Texture.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace corvid {

int RoundTextureSize(int pixels)
{
    constexpr int limits[] = {12, 24, 48, 96, 192, 384, 768, 1500};
    int size = 8;
    for (int limit : limits) {
        if (pixels < limit)
            return size;
        size *= 2;
    }
    return 2048;
}

std::string TextureWorkFolder()
{
    std::string base;
    if (const char* cache = std::getenv("XDG_CACHE_HOME"); cache && *cache == '/')
        base = cache;
    else if (const char* home = std::getenv("HOME"); home && *home)
        base = std::string(home) + "/.cache";
    else
        return {};
    const std::string folder = base + "/corvid";
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    return std::filesystem::is_directory(folder, error) ? folder : std::string{};
}

TexturePtr LoadPictureTexture(const std::string& path, bool keep, int width, int height)
{
    if (keep)
        return Texture::Load(path);
    const std::string work = TextureWorkFolder();
    if (work.empty())
        return nullptr;
    const std::string copy = work + "/" + kConvertedPictureName;
    // The copy is written under a temporary name and renamed: a failure
    // leaves the earlier copy, which must not be taken for this picture.
    if (!WriteResizedBmp(path, copy, width, height))
        return nullptr;
    return Texture::Load(copy);
}

} // namespace corvid
