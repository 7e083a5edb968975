#pragma once
// Ray picking in a frame tree.

#include "platform/Fwd.h"
#include "platform/Math.h"

#include <vector>

namespace corvid {

struct PickHit {
    // The frames from the pick root itself down to the frame that shows the
    // hit visual (outermost first, innermost last).
    std::vector<FramePtr> path;
    MeshBuilderPtr visual;
    int face = -1;
    Vec3 position;          // in the pick root's space
    float distance = 0.0f;  // from the ray origin, in the pick root's units
};

// Every hit of the ray (origin and direction in root's space) on the visuals
// of root's descendants, nearest first. A frame whose pick-enable traversal
// option is off is skipped together with everything below it.
std::vector<PickHit> PickRay(const Frame& root, const Vec3& origin, const Vec3& direction);

} // namespace corvid
