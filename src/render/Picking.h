#pragma once
// Picking arithmetic shared by the viewports: the mapping between a view's
// camera space and its render-surface pixels, grid snapping, the weighted
// substitution of orthographic views, and what a pick hands to the rest of
// the editor besides the selected frame and visual.

#include "platform/Device.h"
#include "platform/Light.h"
#include "platform/Math.h"

#include <string>

namespace corvid {

// The nearest multiple of step; a value exactly half-way between two
// multiples goes to the lower one. A step that is not positive (or a value
// that is not finite) leaves the value as it is.
float Snap(float value, float step);

// A point of render-surface space in homogeneous form: (x * w, y * w) are
// the pixel coordinates times w; z is the depth in camera space.
struct ScreenPoint {
    float x = 0, y = 0, z = 0, w = 1;
};

// Maps between a reference space (where the camera stands) and the pixels of
// a picture of width x height drawn with view, the way the renderer projects:
// x runs right and y down from the top-left corner, the picture's width
// spans 2 * field (at distance 1 in perspective views) and perspective
// divides by w = the camera-space depth.
class ScreenMapping {
public:
    ScreenMapping(const Matrix4& cameraToReference, const ViewParameters& view, int width, int height);

    ScreenPoint Transform(const Vec3& point) const;
    Vec3 InverseTransform(const ScreenPoint& point) const;

private:
    Matrix4 cameraToReference_;
    Matrix4 referenceToCamera_;
    bool perspective_;
    float halfWidth_, halfHeight_;
    float width_, height_;
};

// Orthographic views: each component of point weighted by 1 - |direction
// component|, with the rest of that component taken from camera. For the
// axis-aligned standard views this keeps the camera's coordinate along the
// view direction and the point's across it.
Vec3 WeightedSubstitution(const Vec3& point, const Vec3& camera, const Vec3& direction);

// Everything a pick found besides the selected frame, visual and light.
// Plain values only, so nothing here can outlive what it describes.
struct PickDetails {
    int x = 0, y = 0;        // the render-surface pixel of the last pick
    Vec3 pickPosition;       // the surface point hit, relative to SCENE
    Vec3 objectPosition;     // the selected frame's position relative to SCENE
    bool hasLight = false;
    LightType lightType = LightType::Ambient;
    int faceCount = 0;       // of the current visual
    int vertexCount = 0;
    int face = -1;           // the picked face of the current visual
    int faceVertexCount = 0;
    Vec3 faceNormal;
    int vertex = -1;         // the current vertex: mesh index, position and normal
    Vec3 vertexPosition;
    Vec3 vertexNormal;
    int kind = 0;
    std::string kindName;
    int patchType = -1;           // for patches and control points, else -1
    int controlPointRow = -1;     // a control point's row and column in its
    int controlPointColumn = -1;  // patch's grid, else -1
};

} // namespace corvid
