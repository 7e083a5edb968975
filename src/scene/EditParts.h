#pragma once
// The parts of the scene a step of the edit history keeps and puts back:
// a frame's transform, its record, whether it is shown, what it carries, a
// mesh's contents and a light's parameters. Touch the part before changing
// it, inside a step:
//   scene.History().Touch<TransformAspect>(frame);

#include "platform/Fwd.h"
#include "platform/Light.h"
#include "platform/Math.h"
#include "platform/Frame.h"
#include "platform/MeshBuilder.h"
#include "scene/SceneSettings.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace corvid {

class SceneModel;

// The frame's transform relative to its parent.
struct TransformAspect {
    using Object = FramePtr;
    using State = Matrix4;
    static State Capture(const Frame& frame);
    static void Restore(SceneModel& scene, Frame& frame, const State& state);
    static bool Same(const State& a, const State& b) { return a == b; }
    static size_t Bytes(const State&) { return 0; }
};

// The fields of the frame's ObjectRecord a person changes (name, kind,
// look-at, menu and control-point fields), and whether it turns to its
// look-at target. Not the tree item, interpolator or keys, which follow the
// frame's place in the scene, nor the animation flags, which go with the
// keys (anim/KeyParts.h).
struct RecordAspect {
    struct State {
        bool hasRecord = false;
        std::string name, text2;
        int32_t kind = 0;
        bool looksAt = false;
        std::weak_ptr<Frame> lookTarget;
        bool turning = false;  // the look-at move callback is installed
        int32_t menuCommand = 0;
        std::array<int32_t, 7> controlPoint{};  // cpRow, cpColumn, cpRows, cpColumns, patchType, cpStepsU, cpStepsV
    };
    using Object = FramePtr;
    static State Capture(const Frame& frame);
    static void Restore(SceneModel& scene, Frame& frame, const State& state);
    static bool Same(const State& a, const State& b);
    static size_t Bytes(const State& state) { return state.name.capacity() + state.text2.capacity(); }
};

// The frame's traversal options: rendered and pickable, or neither (the
// Objects List's check box).
struct ShownAspect {
    using Object = FramePtr;
    using State = unsigned;
    static State Capture(const Frame& frame);
    static void Restore(SceneModel& scene, Frame& frame, const State& state);
    static bool Same(const State& a, const State& b) { return a == b; }
    static size_t Bytes(const State&) { return 0; }
};

// The meshes and lights the frame carries (not their contents).
struct ContentsAspect {
    struct State {
        std::vector<MeshBuilderPtr> visuals;
        std::vector<LightPtr> lights;
    };
    using Object = FramePtr;
    static State Capture(const Frame& frame);
    static void Restore(SceneModel& scene, Frame& frame, const State& state);
    static bool Same(const State& a, const State& b) { return a.visuals == b.visuals && a.lights == b.lights; }
    static size_t Bytes(const State& state);
};

// A mesh's vertices, normals, texture coordinates, colours, faces and
// settings; a step keeps only the parts that changed.
struct MeshAspect {
    using Object = MeshBuilderPtr;
    using State = MeshContents;
    static State Capture(const MeshBuilder& mesh) { return mesh.GetContents(); }
    static void Restore(SceneModel& scene, MeshBuilder& mesh, const State& state);
    static void Trim(State& before, State& after) { MeshContents::KeepDifferences(before, after); }
    static bool Same(const State& a, const State& b) { return a.parts == 0 && b.parts == 0; }
    static size_t Bytes(const State& state) { return state.Bytes(); }
};

// A light's type, colour, attenuation, range and cone.
struct LightAspect {
    struct State {
        LightType type = LightType::Point;
        ColorRGBA color;
        float constant = 0, linear = 0, quadratic = 0, range = 0, umbra = 0, penumbra = 0;
        bool operator==(const State&) const = default;
    };
    using Object = LightPtr;
    static State Capture(const Light& light);
    static void Restore(SceneModel& scene, Light& light, const State& state);
    static bool Same(const State& a, const State& b) { return a == b; }
    static size_t Bytes(const State&) { return 0; }
};

// The fog and background of a root frame (WORLD).
struct WorldSceneAspect {
    using Object = FramePtr;
    using State = SceneProperties;
    static State Capture(const Frame& world) { return world.Scene(); }
    static void Restore(SceneModel& scene, Frame& world, const State& state);
    static bool Same(const State& a, const State& b);
    static size_t Bytes(const State&) { return 0; }
};

// The scene-wide switches and background names (SceneModel::SettingsHandle).
struct SettingsAspect {
    using Object = std::shared_ptr<SceneSettings>;
    using State = SceneSettings;
    static State Capture(const SceneSettings& settings) { return settings; }
    static void Restore(SceneModel& scene, SceneSettings& settings, const State& state);
    static bool Same(const State& a, const State& b) { return a == b; }
    static size_t Bytes(const State& state)
    {
        return state.backgroundImageName.capacity() + state.backgroundImagePath.capacity();
    }
};

} // namespace corvid
