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
    // From the ray origin to position in the pick root's space, divided by
    // the length of the ray's direction (so t along origin + t * direction).
    float distance = 0.0f;
};

// Every hit of the ray (origin and direction in root's space) on the visuals
// of root's descendants, nearest first. A frame whose pick-enable traversal
// option is off is skipped together with everything below it.
std::vector<PickHit> PickRay(const Frame& root, const Vec3& origin, const Vec3& direction);

} // namespace corvid
