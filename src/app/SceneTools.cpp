#include "app/SceneTools.h"

#include "app/DocumentCommands.h"
#include "app/Editor.h"
#include "app/ObjectProperties.h"
#include "files/FileIo.h"
#include "files/ImportPipeline.h"
#include "materials/TextureSlots.h"
#include "platform/ImageService.h"
#include "platform/Texture.h"
#include "render/ObjectInfo.h"
#include "scene/Ui.h"

#include <filesystem>

namespace corvid {

namespace {

std::string Extension(const std::string& path)
{
    const std::string name = FileNameOf(path);
    const size_t dot = name.rfind('.');
    return dot == std::string::npos ? std::string{} : name.substr(dot + 1);
}

} // namespace

SceneTools::SceneTools(Editor& editor) : editor_(editor), world_(editor.scene, editor.animation)
{
    showFields();
}

void SceneTools::Refresh()
{
    world_.Refresh();
    showFields();
}

void SceneTools::showFields()
{
    start_ = FormatReal(world_.FogStart());
    end_ = FormatReal(world_.FogEnd());
    density_ = FormatReal(world_.FogDensity());
}

void SceneTools::enterFog(const std::string& text, int which)
{
    const float value = static_cast<float>(ReadFieldNumber(text));
    float start = world_.FogStart(), end = world_.FogEnd(), density = world_.FogDensity();
    (which == 0 ? start : which == 1 ? end : density) = value;
    world_.SetFogParams(start, end, density);
    showFields();
}

void SceneTools::EnterFogStart(const std::string& text) { enterFog(text, 0); }
void SceneTools::EnterFogEnd(const std::string& text) { enterFog(text, 1); }
void SceneTools::EnterFogDensity(const std::string& text) { enterFog(text, 2); }

bool SceneTools::ChooseBackgroundPicture()
{
    FileDialogRequest files;
    files.title = "Background Image";
    files.filter = kBackgroundPictureFilter;
    files.directory = DialogFolder(editor_.mapsDirectory);
    const std::optional<std::string> path = editor_.ui().AskFile(files);
    if (!path)
        return false;
    editor_.mapsDirectory.current = *path;
    return LoadBackgroundPicture(*path);
}

bool SceneTools::LoadBackgroundPicture(const std::string& path)
{
    Ui& ui = editor_.ui();
    ui.SetBusy(true);
    TexturePtr texture;
    int width = 0, height = 0;
    if (ReadImageSize(path, width, height)) {
        // A background is always rounded to the size table, whatever the
        // automatic texture size switch says.
        const int textureWidth = RoundTextureSize(width), textureHeight = RoundTextureSize(height);
        std::string file = path;
        bool ready = true;
        if (width != textureWidth || Extension(path) != "bmp") {
            const std::string work = TextureWorkFolder();
            file = (std::filesystem::path(work) / "c_output.bmp").string();
            // A failed conversion never falls back on an earlier copy.
            ready = !work.empty() && WriteResizedBmp(path, file, textureWidth, textureHeight);
        }
        if (ready)
            texture = Texture::Load(file);
    }
    ui.SetBusy(false);
    if (!texture) {
        ui.ShowMessage(TextureLoadFailedMessage(path));
        return false;
    }
    world_.SetBackgroundPicture(texture, FileNameOf(path), path);
    return true;
}

} // namespace corvid
