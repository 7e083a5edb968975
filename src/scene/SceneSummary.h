#pragma once
// What a scene holds, object by object, with its totals: the command-line
// tool's info prints it as text or JSON.

#include "platform/Light.h"
#include "platform/Math.h"

#include <cstdint>
#include <string>
#include <vector>

namespace corvid {

class SceneModel;

struct ObjectSummary {
    std::string name;
    int32_t kind = 0;
    std::string kindName;  // "Object", "Light", "Camera", "Patch", ...
    // The name of the object it hangs under; empty (with topLevel) under SCENE.
    std::string parent;
    bool topLevel = true;
    int depth = 0;        // 0 directly under SCENE
    Vec3 position;        // relative to SCENE
    int meshes = 0;       // the meshes an object or a patch shows
    int vertices = 0;
    int faces = 0;
    std::vector<LightType> lights;
    int keys = 0;         // its own keys and those of its lights
};

struct SceneTotals {
    int objects = 0;
    int meshes = 0;
    int vertices = 0;
    int faces = 0;
    int materials = 0;  // distinct materials on the faces of those meshes
    int lights = 0;
    int cameras = 0;
    int keys = 0;       // object keys and light keys
    bool operator==(const SceneTotals&) const = default;
};

struct SceneSummary {
    // Every object under SCENE, parents before their children, in the order
    // of the frame tree. A patch's control group and control points are part
    // of the patch and not listed (whatever hangs under them is).
    std::vector<ObjectSummary> objects;
    SceneTotals totals;
};

SceneSummary SummarizeScene(const SceneModel& scene);

// The summary as text: one line per object, indented by depth, then a line
// of totals.
std::string DescribeScene(const SceneSummary& summary);
std::string DescribeScene(const SceneModel& scene);

// "ambient", "point", "spot", "directional", "parallel point".
const char* LightTypeName(LightType type);

} // namespace corvid
