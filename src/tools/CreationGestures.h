#pragma once
// Making primitives with the mouse: tool modes 600 (sphere), 601 (square),
// 602 (cube), 603 (cylinder), 604 (superellipsoid), 605 (supertoroid) and
// 607 (cone).
//
// A left press picks (for the insertion point) and makes the primitive there
// at unit size with the tool's parameters (Tools::primitives), named from
// the shared counters: "Sphere %s"; "Cube %s" for cubes and squares;
// "Cylinder %s" for cylinders and cones; "SuperEllipsoid %s";
// "SuperToroid %s". Then the cursor sizes it. Every size is measured from the
// creation point to the cursor's point on the working plane (the horizontal
// plane through the creation point, or in orthographic views the plane
// facing the camera; offsets snapped to the grid steps when snapping is on),
// read in the object's own axes. In orthographic views the frame is first
// turned to the view: its x axis runs along the view's right, its z axis
// along the view's up and its y axis (the height) towards the viewer.
//
// - Sphere: the radius is the distance to the cursor point; the release
//   registers it.
// - Square: centred on the creation point, its corner under the cursor
//   (extents twice the offsets along x and z); the release registers it.
// - Cube, cylinder, cone: first the base while the button is held. Sizing
//   from the centre, the base is centred on the creation point with its
//   radius (half the cube's side) reaching the cursor point; sizing by box,
//   the base spans the rectangle from the creation point to the cursor point
//   and the frame moves to its middle. The base starts flat. After the
//   release the height follows the cursor without a button: the upward
//   travel since the release in scene units at the creation point's depth
//   (downward travel builds below the plane); the base stays on the plane.
//   The next press fixes the height and its release registers the object.
// - Superellipsoid: the held button sizes it like the sphere. After the
//   release, moves without a button shape it: rightward travel raises e1
//   and upward travel raises e2, each doubling every kShapePixels pixels
//   (within kMinPrimitiveValue .. kMaxSuperExponent). A press fixes the
//   shape; from then on the vertical travel stretches its height; the next
//   press registers it.
// - Supertoroid: the held button sizes it like the sphere (the outer radius
//   R + t reaches the cursor). After the release, moves shape e1 and e2 as
//   above; a press fixes them and the vertical travel then thickens (up) or
//   thins (down) the tube, doubling every kShapePixels; a press fixes that
//   and the vertical travel stretches the height; the next press registers.
//
// A click without a drag leaves the unit size of that stage. Every wanted
// extent below kMinScaledExtent (0.0001) is raised to it; each
// step scales the mesh by the wanted extent over its current one and
// regenerates its normals the way its generator does.
//
// A right press with no creation in progress makes a sphere, cylinder or
// cone at the insertion point as it stands at its unit size and registers it
// at once, so it can be keyed and deleted like any other object. During a
// creation, at any stage, a right press cancels it as Escape does
// (Tools::CancelGesture): the object goes and the edit history is as before
// the gesture. A creation cut short by choosing another tool is registered
// by that tool's first press (Settle).
//
// Tools::stage follows the stages: 0 idle, 1 the button sizes,
// 2 and on the later stages.

#include "geometry/Primitives.h"
#include "platform/Fwd.h"
#include "platform/Math.h"

namespace corvid {

class Tools;
class ViewSet;

// Pixels of travel that double (or halve) a shaping value.
constexpr float kShapePixels = 100.0f;

bool IsCreationMode(int mode);

// The primitive a creation gesture is making, until it is registered.
struct CreationState {
    FramePtr frame;
    MeshBuilderPtr mesh;
    int mode = 0;
    Vec3 origin;  // the creation point, relative to SCENE
    // The object's axes relative to SCENE (identity, or turned to an
    // orthographic view).
    Vec3 axisX{1, 0, 0}, axisY{0, 1, 0}, axisZ{0, 0, 1};
    Vec3 size;          // the wanted extents along the object's axes
    Vec3 centre;        // where the frame goes, in the object's axes from origin
    int stageX = 0, stageY = 0;  // the cursor where the current stage began
    float unitsPerPixel = 0.0f;  // at the creation point; 0 when unknown
    // The superquadric being shaped and its values when the stage began.
    SuperellipsoidParameters ellipsoid;
    SupertoroidParameters toroid;
    float stageExponent1 = 1.0f, stageExponent2 = 1.0f, stageTube = 1.0f, stageHeight = 1.0f;

    bool Pending() const { return frame != nullptr; }
};

namespace creation {

// first: no other button was down. left: the left button.
void Press(Tools& tools, CreationState& state, bool left, bool first, int x, int y);
// A move, with or without a button down.
void Move(Tools& tools, CreationState& state, bool buttonDown, int x, int y);
void Release(Tools& tools, CreationState& state, bool left, int x, int y);
// Registers a pending object (when it is still in the scene), forgets it and
// returns the tool state to 0.
void Settle(Tools& tools, CreationState& state);

} // namespace creation
} // namespace corvid
