#pragma once
// The parts of the edit history's steps that keys make up: an object's key
// list, the keys of its interpolator and its animation flags; the same for a
// light. Touch them before recording a key:
//   scene.History().Touch<ObjectKeysPart>(frame);

#include "platform/Fwd.h"
#include "platform/Interpolator.h"
#include "scene/KeyList.h"

#include <array>
#include <cstdint>
#include <vector>

namespace corvid {

class SceneModel;

struct ObjectKeysPart {
    struct State {
        bool valid = false;  // the frame has a record with an interpolator and a key list
        std::vector<ObjectKey> list;
        FrameInterpolator::Keys keys;
        std::array<uint8_t, 6> flags{};
    };
    using Object = FramePtr;
    static State Capture(const Frame& frame);
    static void Restore(SceneModel& scene, Frame& frame, const State& state);
    static bool Same(const State& a, const State& b);
    static size_t Bytes(const State& state);
};

struct LightKeysPart {
    struct State {
        bool valid = false;
        std::vector<LightKey> list;
        LightInterpolator::Keys keys;
        std::array<uint8_t, 6> flags{};
    };
    using Object = LightPtr;
    static State Capture(const Light& light);
    static void Restore(SceneModel& scene, Light& light, const State& state);
    static bool Same(const State& a, const State& b);
    static size_t Bytes(const State& state);
};

} // namespace corvid
