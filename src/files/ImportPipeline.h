#pragma once
// The frame every model reader runs in: the options dialog's starting
// states and rules, progress with a status line, the default material of a
// format, the base frame an import hangs under and the closing step that
// centres it, the one recipe by which a mesh read from a file becomes an
// object, and finding and loading texture files named in a file.

#include "platform/Fwd.h"
#include "platform/Math.h"
#include "platform/TextureFiles.h"
#include "scene/ImportOptions.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace corvid {

class SceneModel;
struct MaterialRecord;

// --- the import / export options dialog ---------------------------------------------------

struct DialogControl {
    bool enabled = false;
    bool checked = false;
};

// The dialog's controls as the person sees them. The front end shows them
// and reports each click; the rules between the controls live here.
struct ImportDialogModel {
    bool exporting = false;
    std::string heading;  // the file's name
    DialogControl replace, merge;
    DialogControl clockwise, counterClockwise;
    DialogControl scaleToViewport;
    bool scaleEnabled = false;
    float scale = 1.0f;  // 0 .. 10000
    DialogControl animation, materials, textures, lights, cameras, fog, background, lastPicked;

    // The starting states for a file type ("*.cvd", "*.3ds", ...).
    static ImportDialogModel For(const ImportDialogRequest& request);

    // A click on a control. Radio buttons choose their side; check boxes
    // toggle, with their rules: unchecking "Add Materials" unchecks and
    // disables "Add Textures" (checking enables it again); "Scale to
    // viewport" disables the scale while checked. Disabled controls ignore
    // clicks.
    void ChooseReplace(bool replace);
    void ChooseWinding(bool counterClockwise);
    void ToggleScaleToViewport();
    void ToggleMaterials();
    static void Toggle(DialogControl& box);
    // Typed scale: held to 0 .. 10000.
    void SetScale(float value);

    ImportDialogResult Result() const;
};

// --- progress ---------------------------------------------------------------------------

// The progress window of one read or write, shown while the object lives.
class ImportProgress {
public:
    explicit ImportProgress(SceneModel& scene);
    ~ImportProgress();
    ImportProgress(const ImportProgress&) = delete;
    ImportProgress& operator=(const ImportProgress&) = delete;
    void Status(const std::string& text);
    // done of total bytes, as a whole percentage (0 for an empty total).
    void Bytes(uint64_t done, uint64_t total);
    void Percent(int percent);

private:
    SceneModel& scene_;
    int shown_ = -1;
};

// --- default materials ----------------------------------------------------------------------

// Which readers' default: 3DS (power 100, an unnamed record), the common one
// of the text formats (named "DEFMATERIAL", power 0), VRML (lighter grey).
enum class DefaultMaterialStyle { Studio, Common, Vrml };

struct DefaultMaterial {
    MaterialPtr material;
    uint32_t faceColor = 0xFFCCCCCC;
};

// A new default material with its record (the next material id), added to
// the scene's material list.
DefaultMaterial CreateDefaultMaterial(SceneModel& scene, DefaultMaterialStyle style);

// --- base frame, mesh objects and the closing step ------------------------------------------------

// The frame an import hangs under: under SCENE, kind BaseFrame, named
// "BaseFrame", registered.
FramePtr CreateBaseFrame(SceneModel& scene);

struct MeshObject {
    FramePtr frame;
    MeshBuilderPtr mesh;
};

// The common recipe's first steps: a frame under parent with an Object
// record named name (selected and registered) and a mesh builder with its
// MeshRecord (Gouraud, lit, solid) as its visual. Shows "Building
// object..." and the name.
MeshObject CreateMeshObject(SceneModel& scene, const FramePtr& parent, const std::string& name, ImportProgress& progress);

// The recipe's coordinate rule: scale and the format's axes.
enum class AxisConvention { Keep, SwapYZ, NegateZ };
// Inline: readers map every point of a file through it.
inline Vec3 ImportPoint(const Vec3& p, float scale, AxisConvention axes)
{
    switch (axes) {
    case AxisConvention::SwapYZ:
        return {scale * p.x, scale * p.z, scale * p.y};
    case AxisConvention::NegateZ:
        return {scale * p.x, scale * p.y, -scale * p.z};
    case AxisConvention::Keep:
        break;
    }
    return p * scale;
}

// The recipe's last step: normals from the faces with a crease of 1 radian.
void FinishMeshObject(MeshBuilder& mesh);

// The closing step of a successful import: 100 %, "Objects imported
// successfully!!", and the base frame moved so that what hangs under it is
// centred on SCENE's origin.
void FinishImport(SceneModel& scene, const FramePtr& baseFrame, ImportProgress& progress);

// --- running a reader -----------------------------------------------------------------------

// Reads the file at path whole for a reader. False, with openFailed shown,
// when it cannot be opened, and with damaged shown when it cannot be read
// (or is larger than a file can be here).
bool ReadImportFile(SceneModel& scene, const std::string& path, std::vector<uint8_t>& bytes, const char* openFailed,
                    const char* damaged);

// Runs one reader inside a progress window. read says whether it succeeded
// and hands back the base frame it made; success ends with the closing step
// (FinishImport), failure with the damaged message once the window is gone.
bool RunImport(SceneModel& scene, const char* damaged,
               const std::function<bool(ImportProgress& progress, FramePtr& baseFrame)>& read);

// --- textures ---------------------------------------------------------------------------

// RoundTextureSize, TextureWorkFolder and the conversion copy: platform/TextureFiles.h.

// Finds the texture called name beside the file read (in folder), works out
// its sizes and loads it, converting it through the work folder's
// "c_output.bmp" when it is not already a bitmap of the texture's size.
// Fills the record's texture path and the four sizes. Shows "Texture %s\n
// Not in the working directory.\n " when the file is missing and "Invalid
// Texture to import!!" when it cannot be loaded; returns null then, and for
// a file that is not one of the picture types read (silently).
TexturePtr ResolveTexture(SceneModel& scene, const std::string& folder, const std::string& name,
                          MaterialRecord& record, ImportProgress& progress);

// The same for a background picture: always converted to 256 x 256. path
// receives where it was found.
TexturePtr ResolveBackgroundImage(SceneModel& scene, const std::string& folder, const std::string& name,
                                  std::string& path, ImportProgress& progress);

constexpr const char* kTextureMissingFormat = "Texture %s\n Not in the working directory.\n ";
constexpr const char* kTextureInvalid = "Invalid Texture to import!!";
constexpr const char* kImportedSuccessfully = "Objects imported successfully!!";

} // namespace corvid
