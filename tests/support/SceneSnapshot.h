#pragma once
// A canonical picture of a scene for comparing two moments of it (before
// some edits and after undoing them, say), taken from the frames themselves
// and the scripted Ui, never from the edit history's own records: every
// object with its name, kind, place among its siblings, world transform,
// traversal, look-at link, menu entry, registration and Objects List item,
// the contents of its meshes and the parameters of its lights; the user
// camera and light tables and menus; the selection.

#include "platform/Light.h"
#include "platform/Math.h"
#include "platform/MeshBuilder.h"

#include <cstdint>
#include <string>
#include <vector>

namespace corvid {

class SceneModel;
class ScriptedUi;

struct SceneSnapshot {
    // A mesh by identity and a digest of every value it holds.
    struct Mesh {
        const MeshBuilder* identity = nullptr;
        uint64_t contents = 0;
    };
    struct LightState {
        const Light* identity = nullptr;
        LightType type = LightType::Point;
        ColorRGBA color;
        float constant = 0, linear = 0, quadratic = 0, range = 0, umbra = 0, penumbra = 0;
    };
    struct Object {
        std::string path;  // names from WORLD down, with the place among siblings
        const Frame* identity = nullptr;
        int kind = 0;
        std::string name, text2;
        Matrix4 world = Matrix4::Identity();
        unsigned traversal = 0;
        bool looksAt = false;
        std::string lookTarget;  // path of the target, empty when none
        bool turning = false;
        int menuCommand = 0;
        bool animated = false;  // its interpolator is attached to the master
        std::string item;       // its Objects List item: parent path, place, text, check; empty when not listed
        std::vector<Mesh> meshes;
        std::vector<LightState> lights;
    };
    std::vector<Object> objects;
    std::vector<std::string> menus;  // user camera and light entries and tables
    std::string selection;
    size_t treeItems = 0;
};

// Takes the picture. Registered objects (those with an interpolator) must
// be listed under their parent's item in the frames' order.
SceneSnapshot TakeSnapshot(const SceneModel& scene, const ScriptedUi& ui);

// The first difference between two pictures, in words; empty when they
// agree (world transforms within tolerance, everything else exactly).
std::string SnapshotDifference(const SceneSnapshot& a, const SceneSnapshot& b, float tolerance = 1e-5f);

} // namespace corvid
