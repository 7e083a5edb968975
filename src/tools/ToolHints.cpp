#include "tools/ToolHints.h"

#include "tools/PlacementGestures.h"
#include "tools/ToolMode.h"

namespace corvid {

namespace {

const char* const kCancel = " Esc cancels.";

const char* StagedHint(int mode, int stage)
{
    const bool height = mode == kModeCube || mode == kModeCylinder || mode == kModeCone;
    if (height && stage == 2)
        return "Move the mouse up or down to set the height; click to fix it.";
    if (mode == kModeSuperEllipsoid || mode == kModeSuperToroid) {
        if (stage == 2)
            return "Move right and up to shape the ends; click to fix the shape.";
        if (stage == 3 && mode == kModeSuperToroid)
            return "Move up or down to thicken or thin the tube; click to fix it.";
        if (stage >= 3)
            return "Move up or down to stretch the height; click to finish.";
    }
    if (IsPlacementMode(mode) && stage == kPlacementAiming)
        return "Move the mouse to aim; click to finish.";
    return nullptr;
}

const char* BaseHint(int mode)
{
    switch (mode) {
    case kModePan: return "Drag to pan the view; right-drag to raise or lower it. A click selects.";
    case kModeOrbit: return "Drag to orbit the perspective view about its centre.";
    case kModeDollyActive: return "Drag up or down to move the view nearer or further (right button: finely).";
    case kModeDollyAll: return "Drag up or down to move every view nearer or further.";
    case kModeFieldActive: return "Drag up or down to widen or narrow the perspective view's field.";
    case kModeFieldAll: return "Drag up or down to widen or narrow every perspective view's field.";
    case kModeCentreActive: return "Click an object to centre the view on it.";
    case kModeCentreAll: return "Click an object to centre every view on it.";
    case kModeFrameActive: return "Click an object to fill the view with it.";
    case kModeFrameAll: return "Click an object to fill every view with it.";
    case kModeMove: return "Drag an object to move it on the ground plane; right-drag to raise or lower it.";
    case kModeRotate: return "Drag an object to turn it; right-drag turns it about the vertical, both buttons about the view.";
    case kModeScale: return "Drag an object to scale it along the view's axes.";
    case kModeUniformScale: return "Drag an object up or down to scale it evenly.";
    case kModeLookAt: return "Click the object the selected one should always face.";
    case kModeStopLookAt: return "Click an object to stop it turning to its target.";
    case kModeLightSettings: return "Click a light to select it; right-click to see its settings.";
    case kModeDelete: return "Click an object to delete it with everything attached to it.";
    case kModeCopy: return "Drag an object to place a copy of it.";
    case kModePivot: return "Drag an object's pivot to where its origin should be.";
    case kModeOriginToCentre: return "Click an object to move its origin to the centre of its mesh.";
    case kModeStretch: return "Drag an object up or down to stretch it, keeping its volume.";
    case kModeAttach: return "Drag from an object onto the one it should be attached to.";
    case kModeInsert: return "Drag from an object onto the one it should take the place of.";
    case kModeExtract: return "Click an object to take it out of its group.";
    case kModeFlatten: return "Click a group to undo all the attachments below it.";
    case kModeUnlink: return "Click an object to detach it from its parent.";
    case kModeShadow: return "Select a light, then click the object it should cast a shadow of.";
    case kModeUnion: return "Press on one closed object and release over another to join them into one.";
    case kModeIntersection: return "Press on one object and release over a closed one to keep only what they share.";
    case kModeDifference: return "Press on one object and release over a closed one to cut the second out of the first.";
    case kModeBend: return "Drag over an object to bend it toward the cursor.";
    case kModeTwist: return "Drag up or down over an object to twist it about its axis.";
    case kModeTaper: return "Drag up or down over an object to taper its end; right-drag tapers its start.";
    case kModeBulge: return "Drag up or down over an object to swell or shrink its middle.";
    case kModePull: return "Drag over an object to pull its middle after the cursor.";
    case kModeRelax: return "Click an object to smooth its mesh by one step.";
    case kModeMultiCopy: return "Click an object to lay out a series of copies of it.";
    case kModePaintFace: return "Click a face to paint it with the material window's paint.";
    case kModePaintObject: return "Click an object to paint all of it (and lay the current wrap).";
    case kModePickUpMaterial: return "Click a face to take its material into the material window.";
    case kModePaintMatching: return "Click a face to paint every face of its object with the same material.";
    case kModeSphere: return "Drag to size a sphere; right-click makes one at its default size.";
    case kModeSquare: return "Drag to size a flat square.";
    case kModeCube: return "Drag to size a cube's base, then move to set its height.";
    case kModeCylinder: return "Drag to size a cylinder's base, then move to set its height; right-click makes a default one.";
    case kModeCone: return "Drag to size a cone's base, then move to set its height; right-click makes a default one.";
    case kModeSuperEllipsoid: return "Drag to size a superellipsoid, then shape it in steps.";
    case kModeSuperToroid: return "Drag to size a supertoroid, then shape it in steps.";
    case kModeCamera: return "Drag up to raise a new camera, then move to aim it; right-click places one as it is.";
    case kModeBSplinePatch: return "Drag to size a B-spline patch.";
    case kModeCatmullRomPatch: return "Drag to size a Catmull-Rom patch.";
    case kModeAmbientLight: return "Click to add an ambient light.";
    case kModePointLight: return "Drag up to raise a new point light.";
    case kModeDirectionalLight: return "Click to add a directional light, then move to aim it.";
    case kModeSpotLight: return "Drag up to raise a new spot light, then move to aim it.";
    case kModeParallelPointLight: return "Drag up to raise a new parallel-point light, then move to aim it.";
    default: return nullptr;
    }
}

} // namespace

std::string ToolHint(int mode, int stage)
{
    if (const char* staged = StagedHint(mode, stage))
        return std::string(staged) + kCancel;
    const char* hint = BaseHint(mode);
    return hint ? hint : "";
}

} // namespace corvid
