#pragma once
// Multiple copies: a series of duplicates of the selected object, each made
// from the one before, placed a further offset step away from the original,
// turned a further rotation step and grown a further size step.
//
// Copy i (1 .. count) stands at the original's position (relative to SCENE)
// plus i offset steps, and faces the direction (0, 0, 1) with up (0, 1, 0)
// turned by i steps about x, then y, then z, relative to the original's
// frame. Its mesh is scaled so that its box grows by the size step on each
// axis (MultiCopyFactors), and so are its children's meshes and positions.
// The shared icon meshes of lights and cameras and the markers of control
// points are never scaled.

#include "platform/Fwd.h"
#include "platform/Math.h"

namespace corvid {

class SceneModel;

// The most copies one press makes.
constexpr int kMaxMultiCopies = 1000;
// The smallest extent a copy is scaled down to.
constexpr float kMinCopyExtent = 0.0001f;

struct MultiCopyParameters {
    int count = 10;
    Vec3 offset;    // scene units per copy
    Vec3 rotation;  // degrees per copy about x, y and z
    Vec3 size;      // scene units each copy's box grows by over the one before
};

// The scale factors that grow a box of extent by size: 1 + size / extent on
// each axis, 1 where the extent is 0, and never below the factor that leaves
// kMinCopyExtent.
Vec3 MultiCopyFactors(const Vec3& extent, const Vec3& size);

// The direction and up of copy i for rotation steps in degrees.
void MultiCopyOrientation(const Vec3& rotation, int i, Vec3& direction, Vec3& up);

// Makes the copies of the selected object as one step of the edit history
// ("Multiple Copies"); the last copy stays selected. Returns it, or null
// (and nothing changes) without a selection, with a control point selected
// or with a count below 1. Counts above kMaxMultiCopies make that many.
FramePtr MultiCopy(SceneModel& scene, const MultiCopyParameters& p);

} // namespace corvid
