#include "materials/Painting.h"

#include "platform/Material.h"
#include "platform/MeshBuilder.h"
#include "scene/EditHistory.h"
#include "scene/EditParts.h"
#include "scene/Records.h"
#include "scene/SceneModel.h"

#include <algorithm>
#include <unordered_map>
#include <vector>

namespace corvid {

namespace {

const MaterialRecord& DefaultRecord()
{
    static const MaterialRecord defaults;
    return defaults;
}

void CopyDiffuse(const MaterialRecord& from, MaterialRecord& to)
{
    std::copy_n(from.diffuse, 3, to.diffuse);
}

// Specular, power, ambient, emissive and alpha: what the material switch paints.
void CopySurface(const MaterialRecord& from, MaterialRecord& to)
{
    std::copy_n(from.specular, 3, to.specular);
    to.power = from.power;
    std::copy_n(from.ambient, 3, to.ambient);
    std::copy_n(from.emissive, 3, to.emissive);
    to.alpha = from.alpha;
}

void CopyTextureTexts(const MaterialRecord& from, MaterialRecord& to)
{
    to.textureName = from.textureName;
    to.textureFile = from.textureFile;
    to.text4 = from.text4;
}

void CopySizes(const MaterialRecord& from, MaterialRecord& to)
{
    to.imageWidth = from.imageWidth;
    to.imageHeight = from.imageHeight;
    to.textureWidth = from.textureWidth;
    to.textureHeight = from.textureHeight;
}

// Where the values a switch leaves out come from: a whole object keeps those
// of the picked face's record, a face gets the record defaults.
enum class Scope { Faces, Object };

// The first step of every paint: while the paint values are fresh (or no
// paint record exists yet) a new record is made from them and the base record
// (the picked face's), and becomes the record hung on what is painted.
void MakePaintRecord(SceneModel& scene, PaintState& paint, const MaterialRecord& base, Scope scope)
{
    if (!paint.freshRecord && paint.currentPaintRecord)
        return;
    paint.freshRecord = false;
    const int32_t id = ++scene.materialIdCounter;
    const MaterialRecord& p = paint.paintMaterial;
    const MaterialRecord& fallback = scope == Scope::Object ? base : DefaultRecord();
    auto record = std::make_shared<MaterialRecord>();
    CopyDiffuse(paint.colourSwitch ? p : fallback, *record);
    CopySurface(paint.materialSwitch ? p : fallback, *record);
    if (!paint.textureSwitch) {
        CopyTextureTexts(base, *record);
    } else if (paint.textureEnabled) {
        CopyTextureTexts(p, *record);
        CopySizes(p, *record);
        record->colorKey = p.colorKey;
        std::copy_n(p.colorKeyRGB, 3, record->colorKeyRGB);
    }
    record->id = id;
    paint.currentPaintRecord = std::move(record);
}

// Paints faces one at a time. What it makes is shared among the faces it
// paints: one new paint material, and one copy of each material the record
// is hung on, so faces painted together stay one group for the renderer.
class FacePainter {
public:
    FacePainter(PaintState& paint, MeshBuilder& mesh)
        : paint_(paint), mesh_(mesh), color_(PaintColor(paint.paintMaterial)),
          texture_(paint.textureEnabled ? paint.paintTexture : nullptr),
          hangsRecord_(paint.textureSwitch || paint.mapSwitch || paint.colourSwitch)
    {
    }

    void Paint(int face)
    {
        if (paint_.colourSwitch)
            mesh_.SetFaceColor(face, color_);
        if (paint_.materialSwitch) {
            if (!made_) {
                made_ = NewPaintMaterial(paint_.paintMaterial);
                if (hangsRecord_)
                    ShareRecord(*made_, paint_.currentPaintRecord);
            }
            mesh_.SetFaceMaterial(face, made_);
        }
        if (paint_.textureSwitch)
            mesh_.SetFaceTexture(face, texture_);
        if (hangsRecord_ && !paint_.materialSwitch)
            mesh_.SetFaceMaterial(face, CarryingRecord(mesh_.GetFaceAttributes(face)->material));
    }

    // A copy of material carrying the paint record (a new default material
    // when there is none), made once per material.
    const MaterialPtr& CarryingRecord(const MaterialPtr& material)
    {
        if (lastSource_ == material && lastCopy_)
            return lastCopy_;
        MaterialPtr& copy = copies_[material];
        if (!copy) {
            copy = material ? material->Clone() : Material::Create(DefaultRecord().power);
            ShareRecord(*copy, paint_.currentPaintRecord);
        }
        lastSource_ = material;
        lastCopy_ = copy;
        return lastCopy_;
    }

private:
    PaintState& paint_;
    MeshBuilder& mesh_;
    uint32_t color_;
    TexturePtr texture_;
    bool hangsRecord_;
    MaterialPtr made_;
    // Keyed by the handle, which keeps each source alive while it is a key.
    std::unordered_map<MaterialPtr, MaterialPtr> copies_;
    MaterialPtr lastSource_, lastCopy_;
};

// The faces' colours, materials and textures, which painting faces changes
// and nothing else, kept as runs of faces that look alike: a mesh whose
// faces share one look before and after a paint costs a run each, not a
// copy of every face.
struct FaceLookAspect {
    struct Run {
        int first = 0;
        int count = 0;
        FaceAttributes look;
        bool operator==(const Run&) const = default;
    };
    using State = std::vector<Run>;
    using Object = MeshBuilderPtr;
    static State Capture(const MeshBuilder& mesh)
    {
        State runs;
        for (int f = 0; f < mesh.GetFaceCount(); ++f) {
            const FaceAttributes& look = *mesh.GetFaceAttributes(f);
            if (!runs.empty() && runs.back().look == look)
                ++runs.back().count;
            else
                runs.push_back({f, 1, look});
        }
        return runs;
    }
    static void Restore(SceneModel&, MeshBuilder& mesh, const State& runs)
    {
        for (const Run& run : runs)
            for (int f = run.first; f < run.first + run.count; ++f)
                mesh.SetFaceAttributes(f, run.look);
    }
    static bool Same(const State& a, const State& b) { return a == b; }
    static size_t Bytes(const State& runs) { return runs.capacity() * sizeof(Run); }
};

uint8_t Channel(float v)
{
    return static_cast<uint8_t>(std::clamp(v, 0.0f, 1.0f) * 255.0f);
}

bool HoldsWrap(const MeshRecord& record)
{
    const auto& w = record.wrap;
    const bool direction = w[3] != 0 || w[4] != 0 || w[5] != 0;
    const bool up = w[6] != 0 || w[7] != 0 || w[8] != 0;
    return direction && up && w[11] != 0 && w[12] != 0;
}

} // namespace

const MaterialRecord& RecordOrDefaults(const Material* material)
{
    const MaterialRecord* record = RecordOf(material);
    return record ? *record : DefaultRecord();
}

bool SamePaintValues(const MaterialRecord& a, const MaterialRecord& b)
{
    return a.textureName == b.textureName && std::equal(a.diffuse, a.diffuse + 3, b.diffuse) &&
           std::equal(a.specular, a.specular + 3, b.specular) && a.power == b.power &&
           std::equal(a.ambient, a.ambient + 3, b.ambient) && std::equal(a.emissive, a.emissive + 3, b.emissive) &&
           a.alpha == b.alpha;
}

MaterialPtr NewPaintMaterial(const MaterialRecord& p)
{
    MaterialPtr material = Material::Create(p.power);
    material->SetSpecular(p.specular[0], p.specular[1], p.specular[2]);
    material->SetEmissive(p.emissive[0], p.emissive[1], p.emissive[2]);
    material->SetAmbient(p.ambient[0], p.ambient[1], p.ambient[2]);
    return material;
}

uint32_t PaintColor(const MaterialRecord& p)
{
    return uint32_t{Channel(p.alpha)} << 24 | uint32_t{Channel(p.diffuse[0])} << 16 |
           uint32_t{Channel(p.diffuse[1])} << 8 | Channel(p.diffuse[2]);
}

bool PaintFace(SceneModel& scene, PaintState& paint, const MeshBuilderPtr& mesh, int face)
{
    const FaceAttributes* attributes = mesh ? mesh->GetFaceAttributes(face) : nullptr;
    if (!attributes)
        return false;
    EditStep step(scene.History(), "Paint Face");
    scene.History().Touch<FaceLookAspect>(mesh);
    MakePaintRecord(scene, paint, RecordOrDefaults(attributes->material.get()), Scope::Faces);
    FacePainter(paint, *mesh).Paint(face);
    return true;
}

int RepaintMatchingFaces(SceneModel& scene, PaintState& paint, const MeshBuilderPtr& mesh, int face)
{
    const FaceAttributes* picked = mesh ? mesh->GetFaceAttributes(face) : nullptr;
    if (!picked)
        return 0;
    // A copy: painting replaces the picked face's material.
    const MaterialRecord reference = RecordOrDefaults(picked->material.get());
    EditStep step(scene.History(), "Paint Matching Faces");
    scene.History().Touch<FaceLookAspect>(mesh);
    MakePaintRecord(scene, paint, reference, Scope::Faces);
    FacePainter painter(paint, *mesh);
    int painted = 0;
    MaterialPtr last;
    bool lastMatches = false;
    const int faceCount = mesh->GetFaceCount();
    for (int f = 0; f < faceCount; ++f) {
        const MaterialPtr& material = mesh->GetFaceAttributes(f)->material;
        if (f == 0 || material != last) {
            lastMatches = SamePaintValues(RecordOrDefaults(material.get()), reference);
            last = material;
        }
        if (lastMatches) {
            painter.Paint(f);
            ++painted;
        }
    }
    return painted;
}

bool PaintObject(SceneModel& scene, PaintState& paint, const FramePtr& object, const MeshBuilderPtr& mesh, int face)
{
    const FaceAttributes* picked = mesh ? mesh->GetFaceAttributes(face) : nullptr;
    if (!picked)
        return false;
    EditStep step(scene.History(), "Paint Object");
    scene.History().Touch<MeshAspect>(mesh);
    MakePaintRecord(scene, paint, RecordOrDefaults(picked->material.get()), Scope::Object);
    const MaterialRecord& p = paint.paintMaterial;
    if (paint.colourSwitch)
        mesh->SetColor(PaintColor(p));
    if (paint.materialSwitch) {
        MaterialPtr material = NewPaintMaterial(p);
        ShareRecord(*material, paint.currentPaintRecord);
        mesh->SetMaterial(material);
    } else if (paint.textureSwitch || paint.mapSwitch || paint.colourSwitch) {
        FacePainter painter(paint, *mesh);
        const int faceCount = mesh->GetFaceCount();
        for (int f = 0; f < faceCount; ++f)
            mesh->SetFaceMaterial(f, painter.CarryingRecord(mesh->GetFaceAttributes(f)->material));
    }
    if (paint.textureSwitch)
        mesh->SetTexture(paint.textureEnabled ? paint.paintTexture : nullptr);
    if (paint.mapSwitch && paint.layWrap)
        paint.layWrap(object, mesh);
    return true;
}

bool PickUpMaterial(PaintState& paint, const MeshBuilder& mesh, int face)
{
    const FaceAttributes* attributes = mesh.GetFaceAttributes(face);
    if (!attributes)
        return false;
    const MaterialRecord& record = RecordOrDefaults(attributes->material.get());
    MaterialRecord& p = paint.paintMaterial;
    CopyDiffuse(record, p);
    CopySurface(record, p);
    p.name = record.name;
    CopyTextureTexts(record, p);
    CopySizes(record, p);
    paint.paintTexture = attributes->texture;
    if (const MeshRecord* meshRecord = RecordOf(&mesh); meshRecord && paint.pickUpWrap && HoldsWrap(*meshRecord))
        paint.pickUpWrap(*meshRecord);
    paint.freshRecord = true;
    return true;
}

} // namespace corvid
