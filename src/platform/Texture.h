#pragma once
// A texture: an RGBA image with the settings the renderer needs to draw it -
// decal transparency (texels of one colour are see-through), the shade and
// colour counts of palette rendering, and an optional box-filtered mip chain.
// Every change bumps a revision so a renderer knows to upload it again.

#include "platform/AppData.h"
#include "platform/Fwd.h"
#include "platform/ImageService.h"

#include <cstdint>
#include <string>
#include <vector>

namespace corvid {

class Texture : public HasAppData {
public:
    // The image file at path (see LoadImageFile), or null when it cannot be
    // read; error then says why.
    static TexturePtr Load(const std::string& path, std::string* error = nullptr);
    // A texture over an image already in memory; null for an invalid image
    // (no pixels, or a buffer that does not match the size).
    static TexturePtr FromImage(Image image, std::string name);

    int GetWidth() const { return image_.width; }
    int GetHeight() const { return image_.height; }
    const Image& GetImage() const { return image_; }
    // Replaces the pixels (the size may change); a mip chain that existed is
    // rebuilt. False, changing nothing, for an invalid image.
    bool SetImage(Image image);

    // The bare file name (no folder) the texture was loaded from, or the name
    // given to FromImage. This is the name scene files record.
    const std::string& GetName() const { return name_; }
    // The path given to Load; empty for a texture made from memory.
    const std::string& GetPath() const { return path_; }

    // --- decal transparency -------------------------------------------------
    // When on, texels whose RGB equals the transparent colour's RGB are not
    // drawn. The colour is ARGB; its alpha is ignored. Defaults: off, and
    // opaque black (0xFF000000).
    void SetDecalTransparency(bool on);
    bool GetDecalTransparency() const { return decalTransparency_; }
    void SetDecalTransparentColor(uint32_t argb);
    uint32_t GetDecalTransparentColor() const { return transparentColor_; }
    // True when decal transparency is on and the texel (RGBA bytes) has the
    // transparent colour.
    bool IsTransparentTexel(const uint8_t* rgba) const;

    // --- palette rendering --------------------------------------------------
    // Number of shades of each colour (default 16) and the most colours the
    // texture uses (default 8). Values below 1 are refused.
    bool SetShades(int shades);
    int GetShades() const { return shades_; }
    bool SetColors(int colors);
    int GetColors() const { return colors_; }

    // --- mip maps -------------------------------------------------------------
    // Builds the chain of images below the base, each half the size of the one
    // before (rounded down, at least 1), down to 1x1, every texel the average
    // of a 2x2 block of the level above.
    // After it, the texture counts as mip-mapped (a 1x1 texture has an empty
    // chain) and SetImage rebuilds the chain.
    void GenerateMIPMap();
    bool HasMipMaps() const { return mipmapped_; }
    // Levels 1, 2, ...; level 0 is GetImage().
    const std::vector<Image>& GetMipMaps() const { return mipMaps_; }

    uint64_t GetRevision() const { return revision_; }

    // Use Load or FromImage; public only for std::make_shared.
    Texture() = default;

private:
    void touch() { ++revision_; }

    Image image_;
    std::string name_;
    std::string path_;
    bool decalTransparency_ = false;
    uint32_t transparentColor_ = 0xFF000000;
    int shades_ = 16;
    int colors_ = 8;
    bool mipmapped_ = false;
    std::vector<Image> mipMaps_;
    uint64_t revision_ = 0;
};

// The box-filtered half-size image of source (each side halved, at least 1).
Image HalveImage(const Image& source);

} // namespace corvid
