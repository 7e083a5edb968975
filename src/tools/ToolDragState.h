#pragma once
// What a tool gesture keeps from the press to the release: which buttons are
// down, where the cursor was, and the state of the selection at the press so
// that every drag step recomputes from it (a drag moved back undoes itself).

#include "geometry/Patch.h"
#include "tools/DeformGestures.h"
#include "platform/Fwd.h"
#include "platform/Math.h"

#include <vector>

namespace corvid {

struct ToolDragState {
    bool left = false;
    bool right = false;
    int pressX = 0, pressY = 0;  // render-surface pixels at the last press
    int lastX = 0, lastY = 0;    // at the last press or drag step

    // The object the gesture works on and its transform relative to SCENE
    // at the press.
    FramePtr frame;
    Matrix4 startTransform = Matrix4::Identity();
    Vec3 startPosition;
    // Move, copy and pivot: the cursor's point on the plane the drag follows,
    // taken at the press (and again whenever the buttons change the plane),
    // with the pixel it was taken at.
    Vec3 grab;
    int grabX = 0, grabY = 0;
    bool grabValid = false;     // taken
    bool grabVertical = false;  // on the upright plane (right button alone)
    bool grabOnPlane = false;   // the plane was hit (else pixel steps)

    // Scale tools: the view axes at the press (rows right, up, forward) and
    // the object's extents along the scaled axes, in scene units.
    Matrix4 axes = Matrix4::Identity();
    Vec3 extent;

    // Scale and stretch: the meshes and their vertices at the press.
    std::vector<MeshBuilderPtr> meshes;
    std::vector<std::vector<Vec3>> vertices;
    // ...and the control points of the patches among them, which go along.
    std::vector<PatchPointStart> patchPoints;

    // Attach / insert: the object picked on press. Look-at and shadow: what
    // was selected before the press picked.
    FramePtr source;
    LightPtr light;

    // Pivot tool: where the new origin goes (relative to SCENE) and the
    // auxiliary frame showing it.
    Vec3 pivot;
    FramePtr pivotGizmo;

    // Bend, twist, bulge, pull and taper: the deformer running.
    DeformState deform;

    // Escape cancelled the gesture: the buttons still down do nothing more.
    bool cancelled = false;

    bool AnyButton() const { return left || right; }
    // Forgets everything the gesture held on to (not the buttons).
    void Reset()
    {
        frame.reset();
        grabValid = false;
        meshes.clear();
        vertices.clear();
        patchPoints.clear();
        source.reset();
        light.reset();
        pivotGizmo.reset();
        deform = DeformState{};
    }
};

} // namespace corvid
