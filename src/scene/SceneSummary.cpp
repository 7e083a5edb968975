#include "scene/SceneSummary.h"

#include "platform/Frame.h"
#include "platform/Light.h"
#include "platform/MeshBuilder.h"
#include "scene/Records.h"
#include "scene/SceneModel.h"

#include <cstdio>
#include <unordered_set>

namespace corvid {

namespace {

const char* KindName(int32_t kind)
{
    switch (kind) {
    case kPatch: return "Patch";
    case kBaseFrame: return "Base frame";
    default: return KindDisplayName(kind);
    }
}

int KeyCount(const std::unique_ptr<KeyList>& keys)
{
    return keys ? keys->Count() : 0;
}

// A patch's control group (its unnamed empty child) and control points
// belong to the patch.
bool PartOfPatch(const Frame& frame, const ObjectRecord& record)
{
    if (record.kind == kControlPoint)
        return true;
    const ObjectRecord* parent = RecordOf(frame.GetParent());
    return record.kind == kEmpty && parent && parent->kind == kPatch;
}

class Summarizer {
public:
    explicit Summarizer(const SceneModel& scene) : scene_(scene) {}

    void Walk(const Frame& frame, const ObjectRecord* listedParent, int depth)
    {
        const ObjectRecord* record = RecordOf(&frame);
        if (!record)
            return;  // editor auxiliaries are not part of the scene
        if (PartOfPatch(frame, *record)) {
            summary.totals.keys += KeyCount(record->keyList);
            for (const auto& child : frame.GetChildren())
                Walk(*child, listedParent, depth);
            return;
        }

        ObjectSummary object;
        object.name = record->name;
        object.kind = record->kind;
        object.kindName = KindName(record->kind);
        if (listedParent) {
            object.parent = listedParent->name;
            object.topLevel = false;
        }
        object.depth = depth;
        object.position = frame.GetPosition(scene_.Scene().get());
        object.keys = KeyCount(record->keyList);
        if (record->kind == kObject || record->kind == kPatch)
            for (const auto& mesh : frame.GetVisuals())
                addMesh(*mesh, object);
        for (const auto& light : frame.GetLights()) {
            object.lights.push_back(light->GetType());
            if (const LightRecord* lightRecord = RecordOf(light.get()))
                object.keys += KeyCount(lightRecord->keyList);
        }

        SceneTotals& totals = summary.totals;
        ++totals.objects;
        totals.meshes += object.meshes;
        totals.vertices += object.vertices;
        totals.faces += object.faces;
        totals.lights += static_cast<int>(object.lights.size());
        totals.cameras += record->kind == kCamera ? 1 : 0;
        totals.keys += object.keys;
        summary.objects.push_back(std::move(object));

        for (const auto& child : frame.GetChildren())
            Walk(*child, record, depth + 1);
    }

    SceneSummary summary;

private:
    void addMesh(const MeshBuilder& mesh, ObjectSummary& object)
    {
        ++object.meshes;
        object.vertices += mesh.GetVertexCount();
        object.faces += mesh.GetFaceCount();
        for (int f = 0; f < mesh.GetFaceCount(); ++f)
            if (const FaceAttributes* face = mesh.GetFaceAttributes(f); face && face->material)
                if (materials_.insert(face->material.get()).second)
                    ++summary.totals.materials;
    }

    const SceneModel& scene_;
    std::unordered_set<const Material*> materials_;
};

std::string Count(int count, const char* one, const char* many)
{
    return std::to_string(count) + ' ' + (count == 1 ? one : many);
}

} // namespace

const char* LightTypeName(LightType type)
{
    switch (type) {
    case LightType::Ambient: return "ambient";
    case LightType::Point: return "point";
    case LightType::Spot: return "spot";
    case LightType::Directional: return "directional";
    case LightType::ParallelPoint: return "parallel point";
    }
    return "?";
}

SceneSummary SummarizeScene(const SceneModel& scene)
{
    Summarizer summarizer(scene);
    for (const auto& child : scene.Scene()->GetChildren())
        summarizer.Walk(*child, nullptr, 0);
    return std::move(summarizer.summary);
}

std::string DescribeScene(const SceneSummary& summary)
{
    std::string out;
    for (const ObjectSummary& object : summary.objects) {
        out.append(static_cast<size_t>(object.depth) * 2, ' ');
        out += object.kindName + " \"" + object.name + "\"";
        if (!object.topLevel)
            out += " under \"" + object.parent + "\"";
        char at[128];
        std::snprintf(at, sizeof at, " at (%g, %g, %g)", static_cast<double>(object.position.x),
                      static_cast<double>(object.position.y), static_cast<double>(object.position.z));
        out += at;
        if (object.meshes)
            out += ", " + Count(object.vertices, "vertex", "vertices") + ", " + Count(object.faces, "face", "faces");
        for (LightType light : object.lights) {
            out += ", ";
            out += LightTypeName(light);
            out += " light";
        }
        if (object.keys)
            out += ", " + Count(object.keys, "key", "keys");
        out += '\n';
    }
    const SceneTotals& t = summary.totals;
    out += Count(t.objects, "object", "objects") + " (" + Count(t.meshes, "mesh", "meshes") + ": " +
           Count(t.vertices, "vertex", "vertices") + ", " + Count(t.faces, "face", "faces") + "), " +
           Count(t.materials, "material", "materials") + ", " + Count(t.lights, "light", "lights") + ", " +
           Count(t.cameras, "camera", "cameras") + ", " + Count(t.keys, "key", "keys");
    out += '\n';
    return out;
}

std::string DescribeScene(const SceneModel& scene)
{
    return DescribeScene(SummarizeScene(scene));
}

} // namespace corvid
