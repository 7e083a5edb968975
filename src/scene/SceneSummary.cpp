#include "scene/SceneSummary.h"

#include "platform/Frame.h"
#include "platform/Light.h"
#include "platform/MeshBuilder.h"
#include "scene/SceneModel.h"
#include "scene/Records.h"

#include <cstdio>

namespace corvid {

namespace {

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

void Describe(const SceneModel& scene, const Frame& frame, int depth, std::string& out, int& objects)
{
    const ObjectRecord* record = RecordOf(&frame);
    if (!record)
        return;  // editor auxiliaries are not part of the scene
    ++objects;
    char line[512];
    Vec3 p = frame.GetPosition(scene.Scene().get());
    std::snprintf(line, sizeof line, "%*s%s \"%s\" at (%g, %g, %g)", depth * 2, "", KindDisplayName(record->kind),
                  record->name.c_str(), static_cast<double>(p.x), static_cast<double>(p.y), static_cast<double>(p.z));
    out += line;
    int vertices = 0, faces = 0;
    if (record->kind == kObject)
        for (const auto& visual : frame.GetVisuals()) {
            vertices += visual->GetVertexCount();
            faces += visual->GetFaceCount();
        }
    if (vertices || faces) {
        std::snprintf(line, sizeof line, ", %d vertices, %d faces", vertices, faces);
        out += line;
    }
    for (const auto& light : frame.GetLights()) {
        out += ", ";
        out += LightTypeName(light->GetType());
        out += " light";
    }
    out += "\n";
    for (const auto& child : frame.GetChildren())
        Describe(scene, *child, depth + 1, out, objects);
}

} // namespace

std::string DescribeScene(const SceneModel& scene)
{
    std::string out;
    int objects = 0;
    Describe(scene, *scene.World(), 0, out, objects);
    char line[128];
    std::snprintf(line, sizeof line, "%d objects, %d cameras, %d lights\n", objects - 2, scene.CameraCount(),
                  scene.LightCount());
    out += line;
    return out;
}

} // namespace corvid
