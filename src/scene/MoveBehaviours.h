#pragma once
// The two behaviours that ride on frame move callbacks: an object turning to
// face its look-at target, and a texture wrap laid again on every redraw. Both
// act only on the move the renderer makes before each render (delta 4.0);
// edit operations move frames by 1.0, which they ignore.

#include "platform/Fwd.h"

#include <memory>

namespace corvid {

struct SceneContext;
struct MeshRecord;

constexpr float kRenderMoveDelta = 4.0f;
constexpr float kEditMoveDelta = 1.0f;

extern const char* const kLookAtCallbackTag;
extern const char* const kLiveWrapCallbackTag;

// Turns frame toward its record's look target on each render move, with
// SCENE's y axis as up. Installs at most one.
void InstallLookAt(Frame& frame, const std::shared_ptr<SceneContext>& context);
void RemoveLookAt(Frame& frame);

// Re-applies the first visual's wrap from its MeshRecord on each render
// move; removes itself once the record's liveWrap flag is found clear.
// Installs at most one.
void InstallLiveWrap(Frame& frame, const std::shared_ptr<SceneContext>& context);
void RemoveLiveWrap(Frame& frame);

// Lays the wrap described by record onto mesh, relative to frame. The
// reference is the object's frame, SCENE or the active camera as the record
// says (SCENE when there is no active camera). False when nothing was applied.
bool ApplyRecordWrap(Frame& frame, MeshBuilder& mesh, const MeshRecord& record, const SceneContext& context);

} // namespace corvid
