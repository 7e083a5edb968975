#pragma once
// The texture panel's eight slots. Loading a picture into a slot makes it a
// texture (as it is, or through a resized bitmap copy) and the paint
// texture; choosing a slot makes its texture the paint texture and copies
// its names and sizes into the paint material. The colour-key box decides
// whether the paint texture's colour key (decal transparency) is used.

#include "materials/PaintState.h"
#include "platform/Fwd.h"

#include <array>
#include <cstdint>
#include <string>

namespace corvid {

class SceneModel;

constexpr int kTextureSlotCount = 8;

// The file dialog's filter. "All Formats" takes .tif files as well as .tiff.
constexpr const char* kTexturePictureFilter =
    "All Formats (*.bmp;*.jpg;*.gif;*.tiff;*.tga)|*.bmp;*.jpg;*.gif;*.tif;*.tiff;*.tga|BITMAP (*.bmp)|*.bmp|"
    "JPEG (*.jpg)|*.jpg|GIF (*.gif)|*.gif|TIFF (*.tif)|*.tif|TGA (*.tga)|*.tga|All Files (*.*)|*.*||";
// Shown with the picture's path when it cannot be read, converted or loaded.
constexpr const char* kTextureLoadFailedFormat = "Failed to load file\n'%s'";
// That message for path.
std::string TextureLoadFailedMessage(const std::string& path);

struct TextureSlot {
    std::string textureName;  // file name with extension, without folder
    std::string textureFile;  // full path
    std::string extension;    // the text after the last point
    int32_t imageWidth = 0, imageHeight = 0;
    int32_t textureWidth = 0, textureHeight = 0;
    TexturePtr texture;  // none while the slot is empty
};

class TextureSlots {
public:
    explicit TextureSlots(PaintState& paint) : paint_(paint) {}

    const TextureSlot& Slot(int k) const { return slots_[static_cast<size_t>(k)]; }
    static bool ValidSlot(int k) { return k >= 0 && k < kTextureSlotCount; }

    // The right button on slot k: asks for a picture (starting in directory,
    // which then holds the chosen path) and loads it. False when cancelled
    // or failed.
    bool LoadFromDialog(SceneModel& scene, int k, std::string& directory);
    // Loads the picture at path into slot k: its size, the texture size (the
    // size table, or the fixed size when automatic sizing is off), the file
    // itself when it is a bitmap ("bmp", exactly) already as wide as its
    // texture or else the converted copy, mip maps; the texture becomes the
    // paint texture, its names and sizes go into the paint material with the
    // colour key, and the next paint makes a new record. A picture that
    // cannot be read, converted or loaded shows "Failed to load file\n'%s'"
    // and changes nothing.
    bool Load(SceneModel& scene, int k, const std::string& path);
    // The left button on slot k: a slot with a texture makes it the paint
    // texture (its names and sizes into the paint material, the colour-key
    // box read from it); an empty slot clears the paint texture and the
    // paint material's texture names. Either way the next paint makes a new
    // record and the colour-key box is applied.
    void Choose(int k);
    // The colour-key box: applied to the paint texture and the paint
    // material's colour key; the next paint makes a new record.
    void SetColourKey(bool on);
    bool ColourKey() const { return colourKeyBox_; }

    // The panel's file-name label: the path of the slot loaded or chosen last.
    const std::string& FileLabel() const { return fileLabel_; }

private:
    void copyIntoPaintMaterial(const TextureSlot& slot);
    void applyColourKey();

    PaintState& paint_;
    std::array<TextureSlot, kTextureSlotCount> slots_{};
    bool colourKeyBox_ = false;
    std::string fileLabel_;
};

} // namespace corvid
