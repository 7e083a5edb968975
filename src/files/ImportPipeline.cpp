#include "files/ImportPipeline.h"

#include "platform/TextureFiles.h"

#include "files/FileIo.h"
#include "platform/Frame.h"
#include "platform/ImageService.h"
#include "platform/Material.h"
#include "platform/MeshBuilder.h"
#include "platform/Texture.h"
#include "scene/Records.h"
#include "scene/SceneModel.h"
#include "scene/Ui.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <initializer_list>
#include <string_view>
#include <system_error>

namespace corvid {

namespace {

bool IsOneOf(std::string_view type, std::initializer_list<std::string_view> types)
{
    return std::find(types.begin(), types.end(), type) != types.end();
}

void Set(DialogControl& control, bool enabled, bool checked)
{
    control.enabled = enabled;
    control.checked = checked;
}

std::string Lower(std::string text)
{
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

bool EndsWith(std::string_view text, std::string_view end)
{
    return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

// "Texture %s\n Not in the working directory.\n " with the path.
std::string TextureMissingMessage(const std::string& path)
{
    std::string text = kTextureMissingFormat;
    text.replace(text.find("%s"), 2, path);
    return text;
}

// The picture types the texture loader takes, by the end of the name.
bool IsPictureName(const std::string& path)
{
    const std::string lower = Lower(path);
    for (std::string_view ending : {".gif", ".tif", ".jpg", ".bmp", ".tga", ".jpeg", ".tiff"})
        if (EndsWith(lower, ending))
            return true;
    return false;
}

std::string JoinPath(const std::string& folder, const std::string& name)
{
    if (folder.empty())
        return name;
    return folder.back() == '/' ? folder + name : folder + "/" + name;
}

// Finds name in folder; shows the missing-file message (with the path the
// name would have) when it is not there.
std::optional<std::string> FindPicture(SceneModel& scene, const std::string& folder, const std::string& name)
{
    std::optional<std::string> found = FindInFolder(folder, name);
    if (!found)
        scene.ui().ShowMessage(TextureMissingMessage(JoinPath(folder, Lower(name))));
    return found;
}

// Loads path as it is when keep, else through the work folder's
// "c_output.bmp" at width x height. Null, with the message shown, on failure.
TexturePtr LoadPicture(SceneModel& scene, const std::string& path, bool keep, int width, int height)
{
    TexturePtr texture = LoadPictureTexture(path, keep, width, height);
    if (!texture)
        scene.ui().ShowMessage(kTextureInvalid);
    return texture;
}

} // namespace

// --- the dialog ---------------------------------------------------------------------------------

ImportDialogModel ImportDialogModel::For(const ImportDialogRequest& request)
{
    ImportDialogModel m;
    const std::string_view type = request.fileType;
    const bool scene = type == "*.cvd";
    m.exporting = request.exporting;
    m.heading = request.fileName;
    Set(m.replace, true, true);
    Set(m.merge, true, false);
    const bool clockwise = type == "*.cob";
    Set(m.clockwise, !scene, clockwise);
    Set(m.counterClockwise, !scene, !clockwise);

    const bool materials = type != "*.dxf";
    const bool textures = IsOneOf(type, {"*.cob", "*.cvd", "*.wrl", "*.3ds", "*.prj", "*.obj"});
    const bool lights = IsOneOf(type, {"*.cvd", "*.wrl", "*.3ds", "*.prj"});
    const bool sceneParts = IsOneOf(type, {"*.cvd", "*.wrl"});
    Set(m.materials, materials, materials);
    Set(m.textures, textures, textures);
    Set(m.lights, lights, lights);
    for (DialogControl* box : {&m.animation, &m.cameras, &m.fog, &m.background})
        Set(*box, sceneParts, sceneParts);
    Set(m.lastPicked, false, false);
    Set(m.scaleToViewport, !scene, !scene);
    m.scale = 1.0f;
    m.scaleEnabled = false;

    if (request.exporting) {
        for (DialogControl* radio : {&m.replace, &m.merge, &m.clockwise, &m.counterClockwise})
            radio->enabled = false;
        m.lastPicked.enabled = true;
        if (type == "*.wrl") {
            Set(m.materials, true, true);
            Set(m.textures, false, true);
        }
    }
    return m;
}

void ImportDialogModel::ChooseReplace(bool replaceScene)
{
    if (!replace.enabled)
        return;
    replace.checked = replaceScene;
    merge.checked = !replaceScene;
}

void ImportDialogModel::ChooseWinding(bool counter)
{
    if (!clockwise.enabled)
        return;
    clockwise.checked = !counter;
    counterClockwise.checked = counter;
}

void ImportDialogModel::Toggle(DialogControl& box)
{
    if (box.enabled)
        box.checked = !box.checked;
}

void ImportDialogModel::ToggleScaleToViewport()
{
    if (!scaleToViewport.enabled)
        return;
    scaleToViewport.checked = !scaleToViewport.checked;
    scaleEnabled = !scaleToViewport.checked;
}

void ImportDialogModel::ToggleMaterials()
{
    if (!materials.enabled)
        return;
    materials.checked = !materials.checked;
    if (!materials.checked)
        textures.checked = false;
    textures.enabled = materials.checked;
}

void ImportDialogModel::SetScale(float value)
{
    if (!(value >= 0.0f))  // also NaN
        value = 0.0f;
    scale = std::min(value, 10000.0f);
}

ImportDialogResult ImportDialogModel::Result() const
{
    ImportDialogResult result;
    ImportOptions& o = result.options;
    o.winding = counterClockwise.checked ? 1 : 0;
    o.scale = scale;
    o.scaleToViewport = scaleToViewport.checked;
    o.addAnimation = animation.checked;
    o.addMaterials = materials.checked;
    o.addTextures = textures.checked;
    o.addLights = lights.checked;
    o.addCameras = cameras.checked;
    o.addFog = fog.checked;
    o.addBackground = background.checked;
    o.lastPickedOnly = exporting && lastPicked.checked;
    result.replaceScene = replace.checked;
    return result;
}

// --- progress -----------------------------------------------------------------------------------

ImportProgress::ImportProgress(SceneModel& scene) : scene_(scene)
{
    scene_.ui().ShowProgress();
    Percent(0);
}

ImportProgress::~ImportProgress()
{
    scene_.ui().HideProgress();
}

void ImportProgress::Status(const std::string& text)
{
    scene_.ui().SetProgressStatus(text);
}

void ImportProgress::Bytes(uint64_t done, uint64_t total)
{
    Percent(total == 0 ? 0 : static_cast<int>(std::min<uint64_t>(done, total) * 100 / total));
}

void ImportProgress::Percent(int percent)
{
    // The window repaints on every change: tell it only what it would show.
    if (percent == shown_)
        return;
    shown_ = percent;
    scene_.ui().SetProgress(percent);
}

// --- default materials ---------------------------------------------------------------------------

DefaultMaterial CreateDefaultMaterial(SceneModel& scene, DefaultMaterialStyle style)
{
    const bool vrml = style == DefaultMaterialStyle::Vrml;
    const float grey = vrml ? 0.9f : 0.8f;
    DefaultMaterial result;
    result.faceColor = vrml ? 0xFFE5E5E5 : 0xFFCCCCCC;
    result.material = Material::Create(100.0f);
    result.material->SetAmbient(grey, grey, grey);
    result.material->SetEmissive(0, 0, 0);
    result.material->SetPower(style == DefaultMaterialStyle::Studio ? 100.0f : 0.0f);
    result.material->SetSpecular(grey, grey, grey);

    auto record = std::make_unique<MaterialRecord>();
    record->id = ++scene.materialIdCounter;
    for (int i = 0; i < 3; ++i) {
        record->diffuse[i] = grey;
        record->specular[i] = grey;
        record->ambient[i] = grey;
        record->emissive[i] = style == DefaultMaterialStyle::Studio ? grey : 0.0f;
    }
    record->power = 100.0f;
    record->alpha = 1.0f;
    if (style != DefaultMaterialStyle::Studio)
        record->name = "DEFMATERIAL";
    AttachRecord(*result.material, std::move(record));
    scene.materials.push_back(result.material);
    return result;
}

// --- base frame and mesh objects ------------------------------------------------------------------

FramePtr CreateBaseFrame(SceneModel& scene)
{
    FramePtr frame = scene.NewObjectFrame();
    AttachRecord(*frame, std::make_unique<ObjectRecord>(kBaseFrame, "BaseFrame"));
    scene.RegisterObject(frame);
    return frame;
}

MeshObject CreateMeshObject(SceneModel& scene, const FramePtr& parent, const std::string& name, ImportProgress& progress)
{
    progress.Status("Building object..." + name);
    MeshObject object;
    object.frame = scene.NewObjectFrame(parent);
    AttachRecord(*object.frame, std::make_unique<ObjectRecord>(kObject, name));
    object.mesh = MeshBuilder::Create();
    auto record = std::make_unique<MeshRecord>();
    record->owner = object.frame;
    AttachRecord(*object.mesh, std::move(record));
    object.mesh->SetQuality(kQualityGouraudLitSolid);
    object.frame->AddVisual(object.mesh);
    scene.Select(object.frame);
    scene.RegisterObject(object.frame);
    return object;
}

void FinishMeshObject(MeshBuilder& mesh)
{
    mesh.GenerateNormals(1.0f, kGenerateNormalsUseCreaseAngle);
}

void FinishImport(SceneModel& scene, const FramePtr& baseFrame, ImportProgress& progress)
{
    progress.Percent(100);
    progress.Status(kImportedSuccessfully);
    if (!baseFrame)
        return;
    const Box box = baseFrame->GetHierarchyBox();
    if (!box.IsEmpty())
        baseFrame->SetPosition(scene.Scene().get(), -box.Center());
}

// --- running a reader -------------------------------------------------------------------------

bool ReadImportFile(SceneModel& scene, const std::string& path, std::vector<uint8_t>& bytes, const char* openFailed,
                    const char* damaged)
{
    switch (ReadWholeFile(path, bytes)) {
    case ReadStatus::Read:
        return true;
    case ReadStatus::CannotOpen:
        scene.ui().ShowMessage(openFailed);
        return false;
    case ReadStatus::Failed:
        break;
    }
    scene.ui().ShowMessage(damaged);
    return false;
}

bool RunImport(SceneModel& scene, const char* damaged,
               const std::function<bool(ImportProgress& progress, FramePtr& baseFrame)>& read)
{
    bool done;
    {
        ImportProgress progress(scene);
        FramePtr baseFrame;
        done = read(progress, baseFrame);
        if (done)
            FinishImport(scene, baseFrame, progress);
    }
    if (!done)
        scene.ui().ShowMessage(damaged);
    return done;
}

// --- textures -------------------------------------------------------------------------------------

TexturePtr ResolveTexture(SceneModel& scene, const std::string& folder, const std::string& name,
                          MaterialRecord& record, ImportProgress& progress)
{
    const std::optional<std::string> found = FindPicture(scene, folder, name);
    if (!found || !IsPictureName(*found))
        return nullptr;
    int width = 0, height = 0;
    if (!ReadImageSize(*found, width, height)) {
        scene.ui().ShowMessage(kTextureInvalid);
        return nullptr;
    }
    record.imageWidth = width;
    record.imageHeight = height;
    if (scene.textureSizing.automatic) {
        record.textureWidth = RoundTextureSize(width);
        record.textureHeight = RoundTextureSize(height);
    } else {
        record.textureWidth = scene.textureSizing.width;
        record.textureHeight = scene.textureSizing.height;
    }
    progress.Status("Creating texture..." + *found);
    record.textureFile = *found;
    const bool keep = width == record.textureWidth && EndsWith(Lower(*found), ".bmp");
    return LoadPicture(scene, *found, keep, record.textureWidth, record.textureHeight);
}

TexturePtr ResolveBackgroundImage(SceneModel& scene, const std::string& folder, const std::string& name,
                                  std::string& path, ImportProgress& progress)
{
    const std::optional<std::string> found = FindPicture(scene, folder, name);
    if (!found)
        return nullptr;
    progress.Status("Adding background..." + *found);
    path = *found;
    return LoadPicture(scene, *found, false, 256, 256);
}

} // namespace corvid
