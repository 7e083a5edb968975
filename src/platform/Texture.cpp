#include "platform/Texture.h"

#include <algorithm>
#include <filesystem>
#include <memory>

namespace corvid {

TexturePtr Texture::Load(const std::string& path, std::string* error)
{
    auto image = LoadImageFile(path, error);
    if (!image)
        return nullptr;
    auto texture = FromImage(std::move(*image), std::filesystem::path(path).filename().string());
    if (texture)
        texture->path_ = path;
    return texture;
}

TexturePtr Texture::FromImage(Image image, std::string name)
{
    if (!IsValidImage(image))
        return nullptr;
    auto texture = std::make_shared<Texture>();
    texture->image_ = std::move(image);
    texture->name_ = std::move(name);
    return texture;
}

bool Texture::SetImage(Image image)
{
    if (!IsValidImage(image))
        return false;
    image_ = std::move(image);
    if (HasMipMaps())
        GenerateMIPMap();
    touch();
    return true;
}

void Texture::SetDecalTransparency(bool on)
{
    if (on != decalTransparency_) {
        decalTransparency_ = on;
        touch();
    }
}

void Texture::SetDecalTransparentColor(uint32_t argb)
{
    if (argb != transparentColor_) {
        transparentColor_ = argb;
        touch();
    }
}

bool Texture::IsTransparentTexel(const uint8_t* rgba) const
{
    return decalTransparency_ && rgba[0] == ((transparentColor_ >> 16) & 0xFF) &&
           rgba[1] == ((transparentColor_ >> 8) & 0xFF) && rgba[2] == (transparentColor_ & 0xFF);
}

bool Texture::SetShades(int shades)
{
    if (shades < 1)
        return false;
    if (shades != shades_) {
        shades_ = shades;
        touch();
    }
    return true;
}

bool Texture::SetColors(int colors)
{
    if (colors < 1)
        return false;
    if (colors != colors_) {
        colors_ = colors;
        touch();
    }
    return true;
}

void Texture::GenerateMIPMap()
{
    mipmapped_ = true;
    mipMaps_.clear();
    const Image* above = &image_;
    while (above->width > 1 || above->height > 1) {
        mipMaps_.push_back(HalveImage(*above));
        above = &mipMaps_.back();
    }
    touch();
}

Image HalveImage(const Image& source)
{
    Image out;
    if (!IsValidImage(source))
        return out;
    out.width = std::max(1, source.width / 2);
    out.height = std::max(1, source.height / 2);
    out.rgba.resize(static_cast<size_t>(out.width) * static_cast<size_t>(out.height) * 4);
    const size_t rowBytes = static_cast<size_t>(source.width) * 4;
    for (int y = 0; y < out.height; ++y) {
        // A side of 1 stays 1: its single row or column is used twice.
        const int y0 = std::min(2 * y, source.height - 1);
        const int y1 = std::min(2 * y + 1, source.height - 1);
        for (int x = 0; x < out.width; ++x) {
            const int x0 = std::min(2 * x, source.width - 1);
            const int x1 = std::min(2 * x + 1, source.width - 1);
            const uint8_t* a = &source.rgba[y0 * rowBytes + static_cast<size_t>(x0) * 4];
            const uint8_t* b = &source.rgba[y0 * rowBytes + static_cast<size_t>(x1) * 4];
            const uint8_t* c = &source.rgba[y1 * rowBytes + static_cast<size_t>(x0) * 4];
            const uint8_t* d = &source.rgba[y1 * rowBytes + static_cast<size_t>(x1) * 4];
            uint8_t* o = &out.rgba[(static_cast<size_t>(y) * out.width + x) * 4];
            for (int k = 0; k < 4; ++k)
                o[k] = static_cast<uint8_t>((a[k] + b[k] + c[k] + d[k] + 2) / 4);
        }
    }
    return out;
}

} // namespace corvid
