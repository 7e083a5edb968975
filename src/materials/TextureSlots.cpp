#include "materials/TextureSlots.h"

#include "platform/ImageService.h"
#include "platform/Math.h"
#include "platform/Texture.h"
#include "platform/TextureFiles.h"
#include "scene/SceneModel.h"
#include "scene/Ui.h"

#include <optional>

namespace corvid {

namespace {

std::string FileNameOf(const std::string& path)
{
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string ExtensionOf(const std::string& name)
{
    const size_t point = name.find_last_of('.');
    return point == std::string::npos ? std::string{} : name.substr(point + 1);
}

} // namespace

std::string TextureLoadFailedMessage(const std::string& path)
{
    std::string text = kTextureLoadFailedFormat;
    text.replace(text.find("%s"), 2, path);
    return text;
}

bool TextureSlots::LoadFromDialog(SceneModel& scene, int k, std::string& directory)
{
    if (!ValidSlot(k))
        return false;
    FileDialogRequest request;
    request.title = "Load Texture";
    request.filter = kTexturePictureFilter;
    request.directory = directory;
    const std::optional<std::string> chosen = scene.ui().AskFile(request);
    if (!chosen)
        return false;
    directory = *chosen;
    return Load(scene, k, *chosen);
}

bool TextureSlots::Load(SceneModel& scene, int k, const std::string& path)
{
    if (!ValidSlot(k))
        return false;
    TextureSlot slot;
    slot.textureFile = path;
    slot.textureName = FileNameOf(path);
    slot.extension = ExtensionOf(slot.textureName);
    Ui& ui = scene.ui();
    ui.SetBusy(true);
    int width = 0, height = 0;
    if (ReadImageSize(path, width, height)) {
        slot.imageWidth = width;
        slot.imageHeight = height;
        const TextureSizing& sizing = scene.textureSizing;
        slot.textureWidth = sizing.automatic ? RoundTextureSize(width) : sizing.width;
        slot.textureHeight = sizing.automatic ? RoundTextureSize(height) : sizing.height;
        const bool direct = slot.imageWidth == slot.textureWidth && slot.extension == "bmp";
        slot.texture = LoadPictureTexture(path, direct, slot.textureWidth, slot.textureHeight);
    }
    ui.SetBusy(false);
    if (!slot.texture) {
        ui.ShowMessage(TextureLoadFailedMessage(path));
        return false;
    }
    slot.texture->GenerateMIPMap();
    slots_[static_cast<size_t>(k)] = slot;
    paint_.paintTexture = slot.texture;
    copyIntoPaintMaterial(slot);
    applyColourKey();
    fileLabel_ = path;
    paint_.Changed();
    return true;
}

void TextureSlots::Choose(int k)
{
    if (!ValidSlot(k))
        return;
    const TextureSlot& slot = slots_[static_cast<size_t>(k)];
    if (slot.texture) {
        fileLabel_ = slot.textureFile;
        colourKeyBox_ = slot.texture->GetDecalTransparency();
        paint_.paintTexture = slot.texture;
        copyIntoPaintMaterial(slot);
    } else {
        // The names go too: a paint would otherwise record a texture it
        // does not lay, and loading the scene would bring it back.
        paint_.paintTexture = nullptr;
        copyIntoPaintMaterial(TextureSlot{});
    }
    paint_.Changed();
    applyColourKey();
}

void TextureSlots::SetColourKey(bool on)
{
    colourKeyBox_ = on;
    applyColourKey();
    paint_.Changed();
}

void TextureSlots::copyIntoPaintMaterial(const TextureSlot& slot)
{
    MaterialRecord& p = paint_.paintMaterial;
    p.textureName = slot.textureName;
    p.text4 = slot.extension;
    p.textureFile = slot.textureFile;
    p.imageWidth = slot.imageWidth;
    p.imageHeight = slot.imageHeight;
    p.textureWidth = slot.textureWidth;
    p.textureHeight = slot.textureHeight;
}

void TextureSlots::applyColourKey()
{
    MaterialRecord& p = paint_.paintMaterial;
    p.colorKey = colourKeyBox_ && paint_.paintTexture;
    if (!paint_.paintTexture)
        return;
    paint_.paintTexture->SetDecalTransparency(colourKeyBox_);
    const ColorRGBA key = ColorFromARGB(paint_.paintTexture->GetDecalTransparentColor());
    p.colorKeyRGB[0] = key.r;
    p.colorKeyRGB[1] = key.g;
    p.colorKeyRGB[2] = key.b;
}

} // namespace corvid
