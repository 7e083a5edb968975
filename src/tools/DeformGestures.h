#pragma once
// The deformer tools (bend 110, twist 111, bulge 112, pull 113, taper 114)
// and the one-shot relax (109) and multicopy (118) tools, as the tool
// dispatch drives them.
//
// A deformer's press (after PickObjectOnly with the left button; a right
// press works on the selection as it is) takes the selected mesh's snapshot
// and axis; every move while exactly one button is down recomputes the mesh
// from that snapshot; the release lets it go, the mesh keeping its shape.
// With both buttons down the mesh waits as it is. The whole drag is one
// step of the edit history, named for the deformer.
//
// How the cursor becomes the drag (geometry/Deformers.h, DeformDrag):
// - twist, taper and bulge: h is the cursor's travel since the press, read
//   along the active camera's up axis on the plane through the picked point
//   facing the camera;
// - bend and pull: the cursor's travel since the press on the working plane
//   through the picked point; its x and z components give the length d, and
//   laid across the axis in the mesh's own coordinates ((x, 0, z) for the y
//   axis, (x, z, 0) for z, (0, x, z) for x) the direction.
// A press that picked nothing measures from the object's origin instead.

#include "geometry/Deformers.h"
#include "platform/Fwd.h"
#include "platform/Math.h"
#include "platform/MeshBuilder.h"

#include <optional>
#include <vector>

namespace corvid {

class Tools;
struct ToolDragState;

// A deformer's drag, from its press to its release.
struct DeformState {
    Deformer kind = Deformer::Twist;
    MeshBuilderPtr mesh;   // null: no deformer is running
    MeshContents start;    // the mesh at the press
    DeformerParameters parameters;  // as they were at the press
    DeformAxis axis;
    Vec3 reference;        // the picked point (or the origin), relative to SCENE
    Vec3 grab;             // the cursor's point on the drag's plane at the press
    bool grabValid = false;
    std::vector<Vec3> work;

    bool Active() const { return mesh != nullptr; }
};

// The deformer a tool mode runs, or none.
std::optional<Deformer> DeformerOfMode(int mode);
// The name of a deformer's step of the edit history ("Bend").
const char* DeformerName(Deformer kind);

namespace deform {

// A deformer's press: takes the selected mesh's snapshot and axis. False
// (and nothing runs) without a selected mesh object, with both buttons
// down, or when the axis is refused (geometry/Deformers.h).
bool Begin(Tools& tools, ToolDragState& drag, Deformer kind, bool picked);
// A move with a button down.
void Update(Tools& tools, ToolDragState& drag, int x, int y);

// Relax's press: one step on the selected mesh. False when nothing changed.
bool RelaxSelection(Tools& tools);
// Multicopy's press: the copies of the selected object; the last one, or null.
FramePtr MultiCopySelection(Tools& tools);

} // namespace deform
} // namespace corvid
