#pragma once
// The edit history's part for a wrap: the wrap fields of the MeshRecord of a
// frame's first visual, and whether the frame lays its wrap again on every
// redraw (the live-wrap callback). Touch it before laying a wrap:
//   scene.History().Touch<WrapRecordAspect>(frame);
// The texture coordinates themselves are the mesh's (MeshAspect).

#include "platform/Fwd.h"

#include <array>
#include <cstdint>

namespace corvid {

class SceneModel;

struct WrapRecordAspect {
    struct State {
        bool valid = false;  // the frame's first visual has a MeshRecord
        int32_t wrapReference = 0;
        bool adaptiveScale = false;
        bool liveWrap = false;
        int32_t wrapType = 0;
        std::array<float, 13> wrap{};
        bool callback = false;  // the live-wrap callback is installed
        bool operator==(const State&) const = default;
    };
    using Object = FramePtr;
    static State Capture(const Frame& frame);
    static void Restore(SceneModel& scene, Frame& frame, const State& state);
    static bool Same(const State& a, const State& b) { return a == b; }
    static size_t Bytes(const State&) { return 0; }
};

} // namespace corvid
