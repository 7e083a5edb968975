#pragma once
// The one place where the layer's left-handed, y-up, row-vector camera space
// meets GL's clip space. Eye space stays left-handed (the camera looks along
// +z); the projection maps it straight to GL clip coordinates, so no other
// matrix needs a handedness flip and screen x/y keep their directions
// (a face that is clockwise in the camera's view is clockwise on screen).

#include "platform/Device.h"
#include "platform/Math.h"

namespace corvid {

// Half the width and height of the view volume at distance 1 from the camera
// (perspective) or at any distance (orthographic): width = field, height =
// field * height / width.
struct ViewExtent {
    float halfWidth = 0.5f;
    float halfHeight = 0.5f;
};
ViewExtent ComputeViewExtent(const ViewParameters& view, int width, int height);

// The projection as a row-vector matrix: clip = (x, y, z, 1) * P with GL's
// clip conventions (visible when -w <= x, y, z <= w). Depth runs from the
// front plane (z_ndc = -1) to the back plane (+1). A non-positive field,
// front or back-before-front is replaced by the nearest usable value.
Matrix4 ProjectionMatrix(const ViewParameters& view, int width, int height);

} // namespace corvid
