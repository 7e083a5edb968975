#pragma once
// The object tools driven by a mouse drag in the active viewport: move (100),
// rotate (101), scale along the view axes (102), uniform scale (103), copy
// (108, which then moves the copy), pivot (115) and stretch (117). The tool
// dispatch (ToolDispatch.cpp) calls Begin* on a press and Drag* on every
// move with a button down; every step recomputes from the state taken at the
// press, so moving the cursor back undoes the drag.
//
// How the mouse becomes the change, so that the object follows the cursor:
// - Move, left button: the cursor's point on the working plane (perspective:
//   the horizontal plane through the object's origin; orthographic: the plane
//   through it facing the camera) is followed by the object's origin, keeping
//   the offset it had at the press. With grid snapping on, the displacement
//   is snapped to whole grid steps (x and z; orthographic views y too, with
//   the z step), so the object keeps its offset from the grid.
// - Move, right button alone: the same on the upright plane through the
//   origin facing the camera, but only the height changes (not snapped).
//   Where that plane is seen edge-on (top and bottom views) a pixel of
//   vertical motion moves by a pixel's width at the object's depth.
// - Rotate: each step turns by 2 d / sqrt(|D|^2 + 300^2) radians for the
//   step D = last - current and its component d, so the nearer side of the
//   object goes with the cursor. Left button: about the view's up axis (the
//   horizontal motion) and its right axis (the vertical motion); right
//   button: about SCENE's y axis; both: about the viewing axis.
// - Scale (102), uniform scale (103), stretch (117): the factor along an
//   axis is t = 1 + 2 u / e, u the cursor's travel since the press in scene
//   units at the object's depth (rightward for the view's x axis, upward
//   otherwise) and e the extent of the object's box along that axis at the
//   press: a box centred on its origin has its edge under the cursor.
//   t never goes below 0.0001 / e, so the object keeps a size of 0.0001.
// - Pivot (115): the pivot point moves like the move tool moves an origin;
//   the release moves the object's origin there.

#include "platform/Fwd.h"
#include "platform/Math.h"

#include <optional>

namespace corvid {

class Tools;
class ViewSet;
struct ToolDragState;

// The smallest extent a scale tool leaves an object with.
constexpr float kMinScaledExtent = 0.0001f;
// The rotation rule's constant: a step of D pixels turns by 2 d / sqrt(|D|^2 + 300^2).
constexpr float kRotationPixels = 300.0f;

// The ray under render-surface pixel (x, y) of the active viewport, relative
// to SCENE. Null without a camera or a built device.
struct CursorRay {
    Vec3 origin, direction;
};
std::optional<CursorRay> CursorRayAt(ViewSet& views, int x, int y);

// The active camera's axes relative to SCENE (right, up, forward: rows 0..2).
std::optional<Matrix4> ActiveViewAxes(ViewSet& views);

// How many scene units a pixel of the active viewport spans at point
// (relative to SCENE). Null when it cannot be told.
std::optional<float> UnitsPerPixel(ViewSet& views, const Vec3& point);

// The cursor's point on the working plane through point (perspective views:
// the horizontal plane; orthographic views: the plane facing the camera),
// relative to SCENE. Null when the cursor's ray misses that plane.
std::optional<Vec3> WorkingPlanePoint(ViewSet& views, const Vec3& point, int x, int y);

// The rotate tool's angle for the step component d of a step (dx, dy).
float RotationStepAngle(int d, int dx, int dy);

// The scale tools' factor for a travel of u scene units against an extent e.
float ScaleFactor(float travel, float extent);

namespace transform {

// Takes the selected frame's state at the press. False (and the gesture
// holds nothing) when nothing is selected.
bool BeginMove(Tools& tools, ToolDragState& drag);
void DragMove(Tools& tools, ToolDragState& drag, int x, int y);

void DragRotate(Tools& tools, ToolDragState& drag, int x, int y);

bool BeginScale(Tools& tools, ToolDragState& drag);
void DragScale(Tools& tools, ToolDragState& drag, int x, int y);

// withChildren: the uniform scale takes every child's meshes as well; the
// stretch only the object's own.
bool BeginMeshScale(Tools& tools, ToolDragState& drag, bool withChildren);
void DragUniformScale(Tools& tools, ToolDragState& drag, int x, int y);
void DragStretch(Tools& tools, ToolDragState& drag, int x, int y);

bool BeginPivot(Tools& tools, ToolDragState& drag);
void DragPivot(Tools& tools, ToolDragState& drag, int x, int y);
void EndPivot(Tools& tools, ToolDragState& drag);

} // namespace transform
} // namespace corvid
